#pragma once

#include <QAbstractItemModel>
#include <QIcon>

#include <memory>
#include <unordered_map>
#include <vector>

namespace bd {

// The left panel's folder tree: two roots, the home folder and the whole file
// system, each folder's subfolders read on a worker thread the first time it
// is expanded and again whenever it is expanded later. The GUI thread never
// reads a folder; until a folder is read it shows an expand arrow.
class FolderTreeModel : public QAbstractItemModel
{
    Q_OBJECT

public:
    enum Role { PathRole = Qt::UserRole + 1 };

    FolderTreeModel(bool showHidden, QObject *parent = nullptr);
    ~FolderTreeModel() override;

    // Reads the folders on the way to path (below Home when it lies there,
    // else below the file system) and reports its item with revealed; a
    // folder on the way that cannot be read ends the walk at the last one
    // found. A later call replaces an unfinished walk.
    void reveal(const QString &path);
    // Reads a folder's subfolders again (new and removed ones).
    void reload(const QModelIndex &index);
    QString pathOf(const QModelIndex &index) const;

    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    bool hasChildren(const QModelIndex &parent = {}) const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

Q_SIGNALS:
    void revealed(const QModelIndex &index);

private:
    struct Node;

    Node *nodeOf(const QModelIndex &index) const;
    QModelIndex indexOf(const Node *node) const;
    void read(Node *node);
    void applyRead(quint64 nodeId, const QStringList &names);
    void continueReveal();
    void forget(Node *node);

    bool m_showHidden;
    std::vector<std::unique_ptr<Node>> m_roots;
    std::unordered_map<quint64, Node *> m_byId;
    quint64 m_nextId = 1;
    QString m_target;
    QIcon m_folderIcon;
    QIcon m_homeIcon;
    QIcon m_driveIcon;
};

} // namespace bd
