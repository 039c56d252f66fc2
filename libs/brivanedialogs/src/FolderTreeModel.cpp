#include "FolderTreeModel.h"

#include "DrawnIcons.h"
#include "FolderEntry.h"

#include <QApplication>
#include <QCollator>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QPointer>
#include <QSet>
#include <QStyle>
#include <QThreadPool>

#include <algorithm>
#include <dirent.h>
#include <sys/stat.h>

namespace bd {

struct FolderTreeModel::Node
{
    enum class State { Unread, Reading, Read };

    quint64 id = 0;
    QString path;
    QString name;
    Node *parent = nullptr;
    int row = 0;
    State state = State::Unread;
    // Read again once the running read is in: the folder was expanded
    // meanwhile and may have changed since that read started.
    bool readAgain = false;
    std::vector<std::unique_ptr<Node>> children;
};

namespace {

bool isInside(const QString &path, const QString &folder)
{
    if (folder == u"/")
        return path.startsWith(u'/');
    return path == folder || path.startsWith(folder + u'/');
}

QString childPath(const QString &folder, const QString &name)
{
    return folder.endsWith(u'/') ? QString(folder + name) : QString(folder + u'/' + name);
}

// The subfolders of folder in natural order, hidden ones only when asked or
// when they lead to keep. Runs on a worker thread.
QStringList readSubfolders(const QString &folder, bool showHidden, const QString &keep)
{
    QStringList names;
    const QByteArray path = QFile::encodeName(folder);
    DIR *dir = opendir(path.constData());
    if (!dir)
        return names;
    const int fd = dirfd(dir);
    while (const dirent *entry = readdir(dir)) {
        const char *raw = entry->d_name;
        if (raw[0] == '.' && (raw[1] == 0 || (raw[1] == '.' && raw[2] == 0)))
            continue;
        bool isDir = entry->d_type == DT_DIR;
        if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            struct stat info
            {
            };
            isDir = fstatat(fd, raw, &info, 0) == 0 && S_ISDIR(info.st_mode);
        }
        if (!isDir)
            continue;
        const QString name = QFile::decodeName(raw);
        if (raw[0] == '.' && !showHidden) {
            const QString child = childPath(folder, name);
            if (keep.isEmpty() || !isInside(keep, child))
                continue;
        }
        names.append(name);
    }
    closedir(dir);
    std::sort(names.begin(), names.end(), nameCollator());
    return names;
}

} // namespace

FolderTreeModel::FolderTreeModel(bool showHidden, QObject *parent)
    : QAbstractItemModel(parent)
    , m_showHidden(showHidden)
{
    m_folderIcon = drawnIcon(DrawnIcon::Folder);
    m_homeIcon = drawnIcon(DrawnIcon::Home);
    m_driveIcon = drawnIcon(DrawnIcon::Drive);
    const struct
    {
        QString path;
        QString name;
    } roots[] = { { QDir::homePath(), tr("Home") }, { QStringLiteral("/"), tr("File system") } };
    for (const auto &root : roots) {
        auto node = std::make_unique<Node>();
        node->id = m_nextId++;
        node->path = root.path;
        node->name = root.name;
        node->row = int(m_roots.size());
        m_byId[node->id] = node.get();
        m_roots.push_back(std::move(node));
    }
}

FolderTreeModel::~FolderTreeModel() = default;

FolderTreeModel::Node *FolderTreeModel::nodeOf(const QModelIndex &index) const
{
    return index.isValid() ? static_cast<Node *>(index.internalPointer()) : nullptr;
}

QModelIndex FolderTreeModel::indexOf(const Node *node) const
{
    return node ? createIndex(node->row, 0, const_cast<Node *>(node)) : QModelIndex();
}

QString FolderTreeModel::pathOf(const QModelIndex &index) const
{
    const Node *node = nodeOf(index);
    return node ? node->path : QString();
}

QModelIndex FolderTreeModel::index(int row, int column, const QModelIndex &parent) const
{
    if (column != 0 || row < 0)
        return {};
    const Node *owner = nodeOf(parent);
    const auto &list = owner ? owner->children : m_roots;
    if (row >= int(list.size()))
        return {};
    return createIndex(row, 0, list[std::size_t(row)].get());
}

QModelIndex FolderTreeModel::parent(const QModelIndex &child) const
{
    const Node *node = nodeOf(child);
    return node ? indexOf(node->parent) : QModelIndex();
}

int FolderTreeModel::rowCount(const QModelIndex &parent) const
{
    if (parent.column() > 0)
        return 0;
    const Node *node = nodeOf(parent);
    return int(node ? node->children.size() : m_roots.size());
}

int FolderTreeModel::columnCount(const QModelIndex &) const
{
    return 1;
}

bool FolderTreeModel::hasChildren(const QModelIndex &parent) const
{
    const Node *node = nodeOf(parent);
    if (!node)
        return true;
    // Unread folders may have subfolders: the arrow stays until a read says.
    return node->state != Node::State::Read || !node->children.empty();
}

bool FolderTreeModel::canFetchMore(const QModelIndex &parent) const
{
    const Node *node = nodeOf(parent);
    return node && node->state == Node::State::Unread;
}

void FolderTreeModel::fetchMore(const QModelIndex &parent)
{
    if (Node *node = nodeOf(parent); node && node->state == Node::State::Unread)
        read(node);
}

void FolderTreeModel::reload(const QModelIndex &index)
{
    Node *node = nodeOf(index);
    if (!node)
        return;
    if (node->state == Node::State::Reading)
        node->readAgain = true;
    else
        read(node);
}

void FolderTreeModel::read(Node *node)
{
    node->state = Node::State::Reading;
    node->readAgain = false;
    const quint64 id = node->id;
    const QString folder = node->path;
    const QString keep = m_target;
    const bool hidden = m_showHidden;
    QPointer<FolderTreeModel> model(this);
    QThreadPool::globalInstance()->start([model, id, folder, keep, hidden] {
        QStringList names = readSubfolders(folder, hidden, keep);
        // Delivered through the application object, which outlives any
        // model; the guard is only looked at on the GUI thread.
        QMetaObject::invokeMethod(
            qApp,
            [model, id, names = std::move(names)] {
                if (model)
                    model->applyRead(id, names);
            },
            Qt::QueuedConnection);
    });
}

void FolderTreeModel::forget(Node *node)
{
    m_byId.erase(node->id);
    for (const auto &child : node->children)
        forget(child.get());
}

void FolderTreeModel::applyRead(quint64 nodeId, const QStringList &names)
{
    const auto found = m_byId.find(nodeId);
    if (found == m_byId.end())
        return; // removed while it was read
    Node *node = found->second;
    const QModelIndex parent = indexOf(node);
    const bool first = node->children.empty();
    const QSet<QString> present(names.begin(), names.end());
    // Subfolders gone: each run removed at once, from the end.
    for (int row = int(node->children.size()) - 1; row >= 0; --row) {
        if (present.contains(node->children[std::size_t(row)]->name))
            continue;
        int start = row;
        while (start > 0 && !present.contains(node->children[std::size_t(start - 1)]->name))
            --start;
        beginRemoveRows(parent, start, row);
        for (int r = start; r <= row; ++r)
            forget(node->children[std::size_t(r)].get());
        node->children.erase(node->children.begin() + start, node->children.begin() + row + 1);
        endRemoveRows();
        row = start;
    }
    // New subfolders: both lists are in the same order, so walk them together.
    auto makeNode = [&](const QString &name) {
        auto child = std::make_unique<Node>();
        child->id = m_nextId++;
        child->name = name;
        child->path = childPath(node->path, name);
        child->parent = node;
        m_byId[child->id] = child.get();
        return child;
    };
    if (first && !names.isEmpty()) {
        beginInsertRows(parent, 0, int(names.size()) - 1);
        for (const QString &name : names)
            node->children.push_back(makeNode(name));
        for (std::size_t r = 0; r < node->children.size(); ++r)
            node->children[r]->row = int(r);
        endInsertRows();
    } else {
        for (int i = 0; i < int(names.size()); ++i) {
            if (i < int(node->children.size()) && node->children[std::size_t(i)]->name == names[i])
                continue;
            beginInsertRows(parent, i, i);
            node->children.insert(node->children.begin() + i, makeNode(names[i]));
            for (std::size_t r = std::size_t(i); r < node->children.size(); ++r)
                node->children[r]->row = int(r);
            endInsertRows();
        }
    }
    for (std::size_t r = 0; r < node->children.size(); ++r)
        node->children[r]->row = int(r);
    const bool again = node->readAgain;
    node->state = Node::State::Read;
    // The arrow of a folder without subfolders goes away.
    Q_EMIT dataChanged(parent, parent);
    if (again)
        read(node);
    if (!m_target.isEmpty())
        continueReveal();
}

void FolderTreeModel::reveal(const QString &path)
{
    m_target = QDir::cleanPath(path);
    continueReveal();
}

void FolderTreeModel::continueReveal()
{
    Node *node = isInside(m_target, m_roots[0]->path) ? m_roots[0].get() : m_roots[1].get();
    while (node->path != m_target) {
        if (node->state != Node::State::Read) {
            if (node->state == Node::State::Unread)
                read(node);
            return; // goes on when the read is in
        }
        Node *next = nullptr;
        for (const auto &child : node->children) {
            if (isInside(m_target, child->path)) {
                next = child.get();
                break;
            }
        }
        if (!next)
            break; // not there (any more): show the nearest folder
        node = next;
    }
    m_target.clear();
    Q_EMIT revealed(indexOf(node));
}

QVariant FolderTreeModel::data(const QModelIndex &index, int role) const
{
    const Node *node = nodeOf(index);
    if (!node)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return node->name;
    case Qt::ToolTipRole:
    case PathRole:
        return node->path;
    case Qt::DecorationRole:
        if (!node->parent)
            return node->row == 0 ? m_homeIcon : m_driveIcon;
        return m_folderIcon;
    default:
        return {};
    }
}

Qt::ItemFlags FolderTreeModel::flags(const QModelIndex &index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

} // namespace bd
