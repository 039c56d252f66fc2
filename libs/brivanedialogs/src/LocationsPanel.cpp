#include "LocationsPanel.h"

#include "DrawnIcons.h"
#include "FolderTreeModel.h"
#include "UserPlaces.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMenu>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QStyle>
#include <QTreeView>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace bd {

namespace {

constexpr int kPathRole = kPlacePathRole;

// Mounted volumes a user would call drives: the root and removable or extra
// disks; pseudo and container file systems are left out.
bool isUserVolume(const QStorageInfo &volume)
{
    const QString root = volume.rootPath();
    if (root == u"/")
        return true;
    return root.startsWith(u"/media/") || root.startsWith(u"/mnt/") || root.startsWith(u"/run/media/");
}

QTreeWidgetItem *addPlace(QTreeWidgetItem *group, const QString &text, const QString &path, const QIcon &icon)
{
    auto *item = new QTreeWidgetItem(group, { text });
    item->setData(0, kPathRole, path);
    item->setToolTip(0, path);
    item->setIcon(0, icon);
    return item;
}

QStringList pathParts(const QString &folder)
{
    return folder.split(u'/', Qt::SkipEmptyParts);
}

// The last path parts of each folder, as many as it takes to tell it from
// every other folder of the list ("a/self", "b/self"); the root is "/".
QStringList distinctLabels(const QStringList &folders)
{
    QList<QStringList> parts;
    QList<int> depth;
    for (const QString &folder : folders) {
        parts.append(pathParts(folder));
        depth.append(1);
    }
    auto labelOf = [&](qsizetype i) {
        const QStringList &p = parts[i];
        if (p.isEmpty())
            return QStringLiteral("/");
        const int take = std::min<int>(depth[i], int(p.size()));
        QString label = p.mid(p.size() - take).join(u'/');
        return take == int(p.size()) ? u'/' + label : label;
    };
    // Lengthen every label that clashes until none does; a label that is
    // already the whole path cannot clash (the list has no duplicates).
    for (bool clash = true; clash;) {
        clash = false;
        QHash<QString, QList<qsizetype>> byLabel;
        for (qsizetype i = 0; i < folders.size(); ++i)
            byLabel[labelOf(i)].append(i);
        for (const QList<qsizetype> &same : std::as_const(byLabel)) {
            if (same.size() < 2)
                continue;
            for (qsizetype i : same) {
                if (depth[i] < int(parts[i].size())) {
                    ++depth[i];
                    clash = true;
                }
            }
        }
    }
    QStringList labels;
    for (qsizetype i = 0; i < folders.size(); ++i)
        labels.append(labelOf(i));
    return labels;
}

} // namespace

QString LocationsPanel::placesModeText()
{
    return tr("Drives, locations and recent folders");
}

QString LocationsPanel::treeModeText()
{
    return tr("Folder tree");
}

LocationsPanel::LocationsPanel(const UiScale &scale, bool showHidden, QWidget *parent)
    : QWidget(parent)
    , m_scale(scale)
    , m_showHidden(showHidden)
    , m_header(new QLabel(tr("Locations"), this))
    , m_stack(new QStackedWidget(this))
    , m_places(new QTreeWidget(this))
    , m_folderIcon(drawnIcon(DrawnIcon::Folder))
{
    setObjectName(QStringLiteral("LocationsPanel"));
    setAccessibleName(tr("Locations"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(scale.px(2));

    m_stack->setObjectName(QStringLiteral("LocationViews"));
    m_stack->setAccessibleName(tr("Location views"));
    m_header->setObjectName(QStringLiteral("LocationsHeader"));
    m_header->setAccessibleName(tr("Locations"));
    m_header->setFrameShape(QFrame::StyledPanel);
    m_header->setContentsMargins(scale.px(4), scale.px(2), scale.px(4), scale.px(2));
    QFont bold = m_header->font();
    bold.setBold(true);
    m_header->setFont(bold);
    m_header->setToolTip(tr("Right-click to choose what the panel shows"));
    layout->addWidget(m_header);
    layout->addWidget(m_stack, 1);

    m_places->setObjectName(QStringLiteral("PlacesView"));
    m_places->setAccessibleName(tr("Drives, locations and recent folders"));
    m_places->setHeaderHidden(true);
    m_places->setRootIsDecorated(false);
    m_places->setIndentation(scale.px(8));
    m_places->setIconSize(scale.px(QSize(16, 16)));
    m_stack->addWidget(m_places);
    buildPlaces();
    connect(m_places, &QTreeWidget::itemActivated, this, &LocationsPanel::placeActivated);
    connect(m_places, &QTreeWidget::itemClicked, this, &LocationsPanel::placeActivated);

    // The user's own places, between the standard locations and the recent folders.
    m_placesGroup = new QTreeWidgetItem(QStringList { tr("Places") });
    m_placesGroup->setFlags(Qt::ItemIsEnabled);
    QFont groupFont = m_placesGroup->font(0);
    groupFont.setBold(true);
    m_placesGroup->setFont(0, groupFont);
    m_places->insertTopLevelItem(std::max(0, m_places->indexOfTopLevelItem(m_recentGroup)), m_placesGroup);
    m_userPlaces = new UserPlaces(m_places, m_placesGroup, this);
    connect(m_userPlaces, &UserPlaces::editorOpened, this, &LocationsPanel::editorOpened);

    for (QWidget *w : { static_cast<QWidget *>(this), static_cast<QWidget *>(m_header) }) {
        w->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(w, &QWidget::customContextMenuRequested, this,
            [this, w](const QPoint &pos) { showModeMenu(w->mapToGlobal(pos)); });
    }
    // The tree widget reports positions in its viewport.
    m_places->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_places, &QWidget::customContextMenuRequested, this,
        [this](const QPoint &pos) { showModeMenu(m_places->viewport()->mapToGlobal(pos), m_places->itemAt(pos)); });
}

void LocationsPanel::buildPlaces()
{
    const QIcon driveIcon = drawnIcon(DrawnIcon::Drive);
    const QIcon &folderIcon = m_folderIcon;

    auto *drives = new QTreeWidgetItem(m_places, { tr("Drives") });
    const QList<QStorageInfo> volumes = QStorageInfo::mountedVolumes();
    for (const QStorageInfo &volume : volumes) {
        if (!volume.isValid() || !isUserVolume(volume))
            continue;
        QString name = volume.rootPath() == u"/" ? tr("File system") : volume.displayName();
        if (name.isEmpty())
            name = volume.rootPath();
        addPlace(drives, name, volume.rootPath(), driveIcon);
    }

    auto *locations = new QTreeWidgetItem(m_places, { tr("Locations") });
    const struct
    {
        QStandardPaths::StandardLocation location;
        QString text;
    } standard[] = {
        { QStandardPaths::HomeLocation, tr("Home") },
        { QStandardPaths::DesktopLocation, tr("Desktop") },
        { QStandardPaths::DocumentsLocation, tr("Documents") },
        { QStandardPaths::MusicLocation, tr("Music") },
        { QStandardPaths::DownloadLocation, tr("Downloads") },
    };
    QStringList seen;
    for (const auto &place : standard) {
        const QString path = QStandardPaths::writableLocation(place.location);
        if (path.isEmpty() || seen.contains(path) || !QFileInfo(path).isDir())
            continue;
        seen.append(path);
        addPlace(locations, place.text, path, folderIcon);
    }

    m_recentGroup = new QTreeWidgetItem(m_places, { tr("Recent folders") });
    for (QTreeWidgetItem *group : { drives, locations, m_recentGroup }) {
        group->setFlags(Qt::ItemIsEnabled);
        QFont font = group->font(0);
        font.setBold(true);
        group->setFont(0, font);
    }
    m_places->expandAll();
}

void LocationsPanel::setRecentFolders(const QStringList &folders)
{
    // Every visit reports the list; most leave it as it was.
    if (folders == m_recentFolders)
        return;
    m_recentFolders = folders;
    // The items are relabelled in place: a visit mostly moves one folder to
    // the top, and making every item again laid the view out and painted all
    // of it just when the new folder's first rows were coming in.
    QTreeWidgetItem *current = m_places->currentItem();
    const int currentRow = current ? m_recentGroup->indexOfChild(current) : -1;
    const QString currentPath = currentRow >= 0 ? current->data(0, kPathRole).toString() : QString();
    const int count = int(folders.size());
    while (m_recentGroup->childCount() > count)
        delete m_recentGroup->takeChild(m_recentGroup->childCount() - 1);
    const QStringList labels = distinctLabels(folders);
    for (int i = 0; i < count; ++i) {
        QTreeWidgetItem *item = m_recentGroup->child(i);
        if (!item) {
            addPlace(m_recentGroup, labels[i], folders[i], m_folderIcon);
            continue;
        }
        if (item->text(0) != labels[i])
            item->setText(0, labels[i]);
        if (item->data(0, kPathRole).toString() != folders[i]) {
            item->setData(0, kPathRole, folders[i]);
            item->setToolTip(0, folders[i]);
        }
    }
    // A recent folder that had the focus keeps it where it moved to.
    if (!currentPath.isEmpty()) {
        const qsizetype moved = folders.indexOf(currentPath);
        if (moved >= 0 && int(moved) != currentRow)
            m_places->setCurrentItem(m_recentGroup->child(int(moved)));
    }
    m_recentGroup->setExpanded(true);
}

void LocationsPanel::placeActivated(QTreeWidgetItem *item)
{
    const QString path = item ? item->data(0, kPathRole).toString() : QString();
    if (!path.isEmpty())
        Q_EMIT folderRequested(path);
}

void LocationsPanel::ensureTree()
{
    if (m_tree)
        return;
    m_treeModel = new FolderTreeModel(m_showHidden, this);
    m_tree = new QTreeView(this);
    m_tree->setObjectName(QStringLiteral("FolderTree"));
    m_tree->setAccessibleName(tr("Folder tree"));
    m_tree->setModel(m_treeModel);
    m_tree->setHeaderHidden(true);
    m_tree->setIconSize(m_scale.px(QSize(16, 16)));
    m_tree->setIndentation(m_scale.px(14));
    m_tree->setUniformRowHeights(true);
    // Deep folders scroll sideways instead of being cut to a bare arrow.
    m_tree->setTextElideMode(Qt::ElideNone);
    m_tree->header()->setStretchLastSection(false);
    m_tree->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    m_tree->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_tree->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_tree->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_tree, &QWidget::customContextMenuRequested, this,
        [this](const QPoint &pos) { showModeMenu(m_tree->viewport()->mapToGlobal(pos)); });
    auto open = [this](const QModelIndex &index) {
        const QString path = m_treeModel->pathOf(index);
        if (!path.isEmpty() && path != m_currentFolder)
            Q_EMIT folderRequested(path);
    };
    connect(m_tree, &QTreeView::clicked, this, open);
    connect(m_tree, &QTreeView::activated, this, open);
    // A folder opened again may have new or fewer subfolders.
    connect(m_tree, &QTreeView::expanded, this, [this](const QModelIndex &index) {
        if (!m_revealing && !m_treeModel->canFetchMore(index))
            m_treeModel->reload(index);
    });
    connect(m_treeModel, &FolderTreeModel::revealed, this, &LocationsPanel::showRevealed);
    m_stack->addWidget(m_tree);
    Q_EMIT viewCreated();
}

void LocationsPanel::showRevealed(const QModelIndex &index)
{
    if (!index.isValid())
        return;
    m_revealing = true;
    m_tree->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    // The current folder shows its subfolders, its parents open above it.
    m_tree->expand(index);
    if (!m_treeModel->canFetchMore(index))
        m_treeModel->reload(index); // read before: may have changed since
    m_tree->scrollTo(index, QAbstractItemView::PositionAtCenter);
    m_revealing = false;
}

void LocationsPanel::setCurrentFolder(const QString &folder)
{
    m_currentFolder = folder;
    if (!m_tree || m_mode != PanelMode::Tree)
        return;
    m_treeModel->reveal(folder);
}

QList<QWidget *> LocationsPanel::focusViews() const
{
    QList<QWidget *> views { m_places };
    if (m_tree)
        views.append(m_tree);
    return views;
}

void LocationsPanel::setMode(PanelMode mode)
{
    if (mode == PanelMode::Tree) {
        ensureTree();
        m_stack->setCurrentWidget(m_tree);
    } else {
        m_stack->setCurrentWidget(m_places);
    }
    const bool changed = mode != m_mode;
    m_mode = mode;
    if (mode == PanelMode::Tree)
        setCurrentFolder(m_currentFolder);
    if (changed)
        Q_EMIT modeChanged(mode);
}

bool LocationsPanel::addCurrentFolder()
{
    return m_userPlaces->add(m_currentFolder);
}

void LocationsPanel::showModeMenu(const QPoint &globalPos, QTreeWidgetItem *item)
{
    // Not exec(): a nested loop would outlive the panel if the host closed
    // the browser meanwhile.
    auto *menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("LocationsModeMenu"));
    menu->setAccessibleName(tr("Left panel mode"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    QAction *add = menu->addAction(tr("&Add current folder to places"), this, [this] { addCurrentFolder(); });
    add->setObjectName(QStringLiteral("ActionAddPlace"));
    add->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D)); // shown only; the browser owns the key
    add->setEnabled(!m_currentFolder.isEmpty() && m_userPlaces->canAdd());
    if (m_userPlaces->isPlace(item)) {
        QAction *rename = menu->addAction(tr("Re&name place"), this, [this, item] { m_userPlaces->rename(item); });
        rename->setObjectName(QStringLiteral("ActionRenamePlace"));
        QAction *remove = menu->addAction(tr("&Remove place"), this, [this, item] { m_userPlaces->remove(item); });
        remove->setObjectName(QStringLiteral("ActionRemovePlace"));
    }
    menu->addSeparator();
    QAction *places = menu->addAction(placesModeText());
    QAction *tree = menu->addAction(treeModeText());
    places->setObjectName(QStringLiteral("ActionPanelLocations"));
    tree->setObjectName(QStringLiteral("ActionPanelTree"));
    places->setCheckable(true);
    tree->setCheckable(true);
    places->setChecked(m_mode == PanelMode::Locations);
    tree->setChecked(m_mode == PanelMode::Tree);
    connect(places, &QAction::triggered, this, [this] { setMode(PanelMode::Locations); });
    connect(tree, &QAction::triggered, this, [this] { setMode(PanelMode::Tree); });
    menu->popup(globalPos);
}

} // namespace bd
