#include "LocationsPanel.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QStyle>
#include <QTreeView>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace bd {

namespace {

constexpr int kPathRole = Qt::UserRole + 1;

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
    auto *item = new QTreeWidgetItem(group, {text});
    item->setData(0, kPathRole, path);
    item->setToolTip(0, path);
    item->setIcon(0, icon);
    return item;
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
{
    setObjectName(QStringLiteral("LocationsPanel"));
    setAccessibleName(tr("Locations"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(scale.px(2));

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

    for (QWidget *w : {static_cast<QWidget *>(this), static_cast<QWidget *>(m_header),
                       static_cast<QWidget *>(m_places)}) {
        w->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(w, &QWidget::customContextMenuRequested, this,
                [this, w](const QPoint &pos) { showModeMenu(w->mapToGlobal(pos)); });
    }
}

void LocationsPanel::buildPlaces()
{
    QStyle *style = QApplication::style();
    const QIcon driveIcon = style->standardIcon(QStyle::SP_DriveHDIcon);
    const QIcon folderIcon = style->standardIcon(QStyle::SP_DirIcon);

    auto *drives = new QTreeWidgetItem(m_places, {tr("Drives")});
    const QList<QStorageInfo> volumes = QStorageInfo::mountedVolumes();
    for (const QStorageInfo &volume : volumes) {
        if (!volume.isValid() || !isUserVolume(volume))
            continue;
        QString name = volume.rootPath() == u"/" ? tr("File system") : volume.displayName();
        if (name.isEmpty())
            name = volume.rootPath();
        addPlace(drives, name, volume.rootPath(), driveIcon);
    }

    auto *locations = new QTreeWidgetItem(m_places, {tr("Locations")});
    const struct
    {
        QStandardPaths::StandardLocation location;
        QString text;
    } standard[] = {
        {QStandardPaths::HomeLocation, tr("Home")},
        {QStandardPaths::DesktopLocation, tr("Desktop")},
        {QStandardPaths::DocumentsLocation, tr("Documents")},
        {QStandardPaths::MusicLocation, tr("Music")},
        {QStandardPaths::DownloadLocation, tr("Downloads")},
    };
    QStringList seen;
    for (const auto &place : standard) {
        const QString path = QStandardPaths::writableLocation(place.location);
        if (path.isEmpty() || seen.contains(path) || !QFileInfo(path).isDir())
            continue;
        seen.append(path);
        addPlace(locations, place.text, path, folderIcon);
    }

    m_recentGroup = new QTreeWidgetItem(m_places, {tr("Recent folders")});
    for (QTreeWidgetItem *group : {drives, locations, m_recentGroup}) {
        group->setFlags(Qt::ItemIsEnabled);
        QFont font = group->font(0);
        font.setBold(true);
        group->setFont(0, font);
    }
    m_places->expandAll();
}

void LocationsPanel::setRecentFolders(const QStringList &folders)
{
    qDeleteAll(m_recentGroup->takeChildren());
    const QIcon folderIcon = QApplication::style()->standardIcon(QStyle::SP_DirIcon);
    for (const QString &folder : folders) {
        QString name = QFileInfo(folder.endsWith(u'/') && folder.size() > 1 ? folder.chopped(1) : folder).fileName();
        addPlace(m_recentGroup, name.isEmpty() ? folder : name, folder, folderIcon);
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
    // The folder tree loads lazily and watches what it shows, which is what
    // QFileSystemModel is good at; the file list does not use it.
    m_treeModel = new QFileSystemModel(this);
    QDir::Filters filters = QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives;
    if (m_showHidden)
        filters |= QDir::Hidden;
    m_treeModel->setFilter(filters);
    m_treeModel->setRootPath(QStringLiteral("/"));

    m_tree = new QTreeView(this);
    m_tree->setObjectName(QStringLiteral("FolderTree"));
    m_tree->setAccessibleName(tr("Folder tree"));
    m_tree->setModel(m_treeModel);
    m_tree->setHeaderHidden(true);
    for (int column = 1; column < m_treeModel->columnCount(); ++column)
        m_tree->hideColumn(column);
    m_tree->setIconSize(m_scale.px(QSize(16, 16)));
    m_tree->setUniformRowHeights(true);
    m_tree->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_tree, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { showModeMenu(m_tree->viewport()->mapToGlobal(pos)); });
    auto open = [this](const QModelIndex &index) {
        if (index.isValid())
            Q_EMIT folderRequested(m_treeModel->filePath(index));
    };
    connect(m_tree, &QTreeView::clicked, this, open);
    connect(m_tree, &QTreeView::activated, this, open);
    m_stack->addWidget(m_tree);
    // The model reads folders in the background; once the current folder's
    // branch is there, show it.
    connect(m_treeModel, &QFileSystemModel::directoryLoaded, this, [this](const QString &loaded) {
        if (m_mode == PanelMode::Tree && (m_currentFolder == loaded || m_currentFolder.startsWith(loaded + u'/')
                                          || loaded == u"/"))
            setCurrentFolder(m_currentFolder);
    });
}

void LocationsPanel::setCurrentFolder(const QString &folder)
{
    m_currentFolder = folder;
    if (!m_tree || m_mode != PanelMode::Tree)
        return;
    const QModelIndex index = m_treeModel->index(folder);
    if (!index.isValid())
        return;
    m_tree->setCurrentIndex(index);
    m_tree->scrollTo(index, QAbstractItemView::PositionAtCenter);
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

void LocationsPanel::showModeMenu(const QPoint &globalPos)
{
    // Not exec(): a nested loop would outlive the panel if the host closed
    // the browser meanwhile.
    auto *menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("LocationsModeMenu"));
    menu->setAccessibleName(tr("Left panel mode"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    QAction *places = menu->addAction(placesModeText());
    QAction *tree = menu->addAction(treeModeText());
    places->setCheckable(true);
    tree->setCheckable(true);
    places->setChecked(m_mode == PanelMode::Locations);
    tree->setChecked(m_mode == PanelMode::Tree);
    connect(places, &QAction::triggered, this, [this] { setMode(PanelMode::Locations); });
    connect(tree, &QAction::triggered, this, [this] { setMode(PanelMode::Tree); });
    menu->popup(globalPos);
}

} // namespace bd
