#include "BrowserWidget.h"

#include "AudioColumns.h"
#include "DrawnIcons.h"
#include "FileActions.h"
#include "FileListModel.h"
#include "FileViews.h"
#include "FolderSearch.h"
#include "LocationsPanel.h"
#include "NameFilterBar.h"
#include "NavigationBar.h"
#include "WaveformThumbnails.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QScrollBar>
#include <QShortcut>
#include <QSignalBlocker>
#include <QSplitter>
#include <QThreadPool>
#include <QTreeView>
#include <QVBoxLayout>

#include <cerrno>
#include <cstring>

namespace bd {

namespace {

// Changes on disk often come in bursts (a copy of many files); one listing
// after the burst settles is enough.
constexpr int kRefreshDelayMs = 150;
// Waveforms of items scrolled away are dropped once scrolling pauses this long.
constexpr int kThumbnailSettleMs = 100;

QString cleanFolder(const QString &path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

QString parentOf(const QString &folder)
{
    if (folder == u"/" || folder.isEmpty())
        return {};
    const qsizetype slash = folder.lastIndexOf(u'/');
    return slash <= 0 ? QStringLiteral("/") : folder.left(slash);
}

QString counted(int count, const QString &one, const QString &many)
{
    return QString::number(count) + u' ' + (count == 1 ? one : many);
}

QString expandHome(const QString &text)
{
    if (text == u"~")
        return QDir::homePath();
    if (text.startsWith(u"~/"))
        return QDir::homePath() + text.mid(1);
    return text;
}

} // namespace

QString nearestExistingFolder(const QString &path)
{
    QString folder = cleanFolder(path);
    while (!folder.isEmpty() && !QFileInfo(folder).isDir())
        folder = parentOf(folder);
    return folder;
}

BrowserWidget::BrowserWidget(const BrowserConfig &config, QWidget *parent)
    : QWidget(parent)
    , m_config(config)
    , m_nav(
          new NavigationBar(config.title, config.filters, config.showFilter && !config.foldersOnly, config.scale, this))
    , m_splitter(new QSplitter(Qt::Horizontal, this))
    , m_panel(new LocationsPanel(config.scale, config.showHidden, m_splitter))
    , m_model(new FileListModel(this))
    , m_views(
          new FileViews(m_model, config.scale, config.scale.px(config.thumbnailSize), config.multiSelect, m_splitter))
    , m_status(new QLabel(this))
{
    setObjectName(QStringLiteral("BrowserWidget"));
    setAccessibleName(tr("File browser"));
    // Stored lists may hold one folder several times ("x" and "x/").
    for (const QString &folder : config.recentFolders) {
        const QString clean = cleanFolder(folder);
        if (!folder.isEmpty() && !m_recent.contains(clean))
            m_recent.append(clean);
    }
    m_lister = std::make_unique<FolderLister>(
        this, [this](ListBatch &&batch) { receive(std::move(batch)); },
        [this](const QString &changed) {
            if (changed != m_folder)
                return; // a report about the folder shown before
            if (!QFileInfo(m_folder).isDir())
                folderVanished();
            else
                m_refreshTimer.start();
        });

    auto *layout = new QVBoxLayout(this);
    const int margin = config.scale.px(4);
    layout->setContentsMargins(margin, margin, margin, margin);
    layout->setSpacing(config.scale.px(4));
    layout->addWidget(m_nav);
    layout->addWidget(m_splitter, 1);
    m_filterBar = new NameFilterBar(config.scale, this);
    layout->addWidget(m_filterBar);
    layout->addWidget(m_status);

    m_splitter->setObjectName(QStringLiteral("BrowserSplitter"));
    m_splitter->setAccessibleName(tr("Locations and files"));
    m_splitter->addWidget(m_panel);
    m_splitter->addWidget(m_views);
    m_splitter->setStretchFactor(0, 0);
    m_splitter->setStretchFactor(1, 1);
    m_splitter->handle(1)->setAccessibleName(tr("Resize locations and files"));
    m_splitter->setSizes({ config.scale.px(170), config.scale.px(400) });
    m_splitter->setChildrenCollapsible(false);
    m_panel->setVisible(config.showPanel);
    m_panel->setRecentFolders(m_recent);
    m_panel->setMode(config.panel);

    m_status->setObjectName(QStringLiteral("StatusLabel"));
    // Read by the text it shows ("N audio files").
    m_status->setAccessibleDescription(tr("Status"));

    m_views->restoreColumns(config.columns);
    // Which audio columns show is stored on its own: a header saved before
    // they existed would otherwise show them all.
    m_audioColumns = new AudioColumns(m_model, m_views->detailsView(), this);
    m_audioColumns->setShownMask(config.audioColumns);
    connect(m_audioColumns, &AudioColumns::progressChanged, this, &BrowserWidget::updateStatus);
    m_views->setViewMode(config.view);
    m_nav->setViewMode(config.view);
    m_nav->setFilterIndex(config.filterIndex);

    connect(m_nav, &NavigationBar::pathEntered, this, &BrowserWidget::pathEntered);
    connect(m_nav, &NavigationBar::backRequested, this, &BrowserWidget::goBack);
    connect(m_nav, &NavigationBar::forwardRequested, this, &BrowserWidget::goForward);
    connect(m_nav, &NavigationBar::upRequested, this, &BrowserWidget::goUp);
    connect(m_nav, &NavigationBar::refreshRequested, this, &BrowserWidget::refresh);
    connect(m_nav, &NavigationBar::viewModeRequested, this, &BrowserWidget::setViewMode);
    connect(m_nav, &NavigationBar::filterIndexChanged, this, [this] {
        m_config.filterIndex = m_nav->filterIndex();
        if (!m_folder.isEmpty())
            openFolder(m_folder, Navigation::Replace);
    });
    connect(m_panel, &LocationsPanel::folderRequested, this, [this](const QString &folder) {
        if (!openFolder(folder)) {
            forgetRecent(cleanFolder(folder)); // a recent folder deleted since
            m_nav->setPathError(tr("\"%1\" is not available.").arg(folder));
        }
    });
    connect(m_panel, &LocationsPanel::editorOpened, this, &BrowserWidget::watchTextField);
    connect(m_views, &FileViews::activated, this, &BrowserWidget::activate);
    connect(m_views, &FileViews::contextMenuRequested, this, &BrowserWidget::showContextMenu);
    connect(m_views->selectionModel(), &QItemSelectionModel::currentChanged, this,
        [this](const QModelIndex &current) { currentChanged(current); });
    connect(m_model, &QAbstractItemModel::rowsAboutToBeRemoved, this,
        [this](const QModelIndex &, int first, int last) { followFocusPastRemoval(first, last); });
    connect(m_views->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        updateStatus();
        Q_EMIT selectionChanged();
    });
    m_refreshTimer.setSingleShot(true);
    m_refreshTimer.setInterval(kRefreshDelayMs);
    connect(&m_refreshTimer, &QTimer::timeout, this, &BrowserWidget::refresh);

    m_thumbnails = new WaveformThumbnails(this);
    m_views->setThumbnailSource(m_thumbnails);
    QListView *thumbnailView = m_views->thumbnailView();
    thumbnailView->setProperty("readyThumbnails", 0);
    thumbnailView->setProperty("refinedThumbnails", 0);
    connect(m_thumbnails, &WaveformThumbnails::thumbnailReady, this, [this, thumbnailView] {
        thumbnailView->setProperty("readyThumbnails", m_thumbnails->readyCount());
        thumbnailView->setProperty("refinedThumbnails", m_thumbnails->refinedCount());
        thumbnailView->viewport()->update();
    });
    m_thumbnailTimer.setSingleShot(true);
    m_thumbnailTimer.setInterval(kThumbnailSettleMs);
    connect(&m_thumbnailTimer, &QTimer::timeout, this, &BrowserWidget::keepVisibleThumbnails);
    connect(
        thumbnailView->verticalScrollBar(), &QScrollBar::valueChanged, &m_thumbnailTimer, qOverload<>(&QTimer::start));
    connect(m_views, &FileViews::viewModeChanged, &m_thumbnailTimer, qOverload<>(&QTimer::start));

    m_fileActions = new FileActions(this);
    // The watch would catch it too, but not on every file system.
    connect(m_fileActions, &FileActions::trashFinished, this, &BrowserWidget::refresh);

    m_filterBar->setScope(config.findScope);
    m_filterBar->offerScopeChoice(!config.foldersOnly);
    connect(m_filterBar, &NameFilterBar::textChanged, this, &BrowserWidget::findTextChanged);
    connect(m_filterBar, &NameFilterBar::scopeChanged, this, &BrowserWidget::findScopeChanged);
    m_search = new FolderSearch([this](FoundRows &&found) { receiveFound(std::move(found)); }, this);
    connect(m_search, &FolderSearch::started, this, &BrowserWidget::searchStarted);
    connect(m_search, &FolderSearch::rejected, this, &BrowserWidget::searchRejected);
    connect(m_search, &FolderSearch::noted, this, [this](const QString &note) {
        m_searchNote = note;
        updateStatus();
    });
    connect(m_audioColumns, &AudioColumns::read, m_search, [this](const QVector<AudioReading> &readings) {
        m_search->record(readings, m_config.filters.filterAt(m_config.filterIndex).patterns());
    });
    connect(m_filterBar, &NameFilterBar::closed, this, &BrowserWidget::focusFileList);
    connect(m_filterBar, &NameFilterBar::returnToListRequested, this, &BrowserWidget::focusFileList);
    for (QAbstractItemView *view : { static_cast<QAbstractItemView *>(m_views->detailsView()),
             static_cast<QAbstractItemView *>(m_views->listView()),
             static_cast<QAbstractItemView *>(m_views->thumbnailView()) })
        view->installEventFilter(this);

    watchTextField(m_nav->pathEdit());
    watchTextField(m_filterBar->edit());
    buildShortcuts();
    chainTabOrder();
    connect(m_panel, &LocationsPanel::viewCreated, this, &BrowserWidget::chainTabOrder);
    dropMissingRecent();
    useThemeIconsAfterFirstPaint(this);
}

BrowserWidget::~BrowserWidget()
{
    // The lister delivers to this widget; stop it before the members go.
    m_lister.reset();
}

void BrowserWidget::buildShortcuts()
{
    auto add
        = [this](const QKeySequence &keys, auto slot, Qt::ShortcutContext context = Qt::WidgetWithChildrenShortcut) {
              auto *shortcut = new QShortcut(keys, this);
              shortcut->setContext(context);
              connect(shortcut, &QShortcut::activated, this, slot);
          };
    add(QKeySequence(Qt::Key_Backspace), &BrowserWidget::goUp);
    add(QKeySequence(Qt::ALT | Qt::Key_Up), &BrowserWidget::goUp);
    add(QKeySequence(Qt::ALT | Qt::Key_Left), &BrowserWidget::goBack);
    add(QKeySequence(Qt::ALT | Qt::Key_Right), &BrowserWidget::goForward);
    add(QKeySequence(Qt::Key_F5), &BrowserWidget::refresh);
    add(QKeySequence(Qt::CTRL | Qt::Key_1), [this] { setViewMode(ViewMode::Details); });
    add(QKeySequence(Qt::CTRL | Qt::Key_2), [this] { setViewMode(ViewMode::List); });
    add(QKeySequence(Qt::CTRL | Qt::Key_3), [this] { setViewMode(ViewMode::Thumbnails); });
    add(QKeySequence(Qt::CTRL | Qt::Key_D), [this] { m_panel->addCurrentFolder(); });
    // The path bar and find are wanted from anywhere in the window that
    // hosts the browser, not only while the browser already has the focus.
    add(
        QKeySequence(Qt::CTRL | Qt::Key_L), [this] { focusPathBar(); }, Qt::WindowShortcut);
    add(QKeySequence(Qt::CTRL | Qt::Key_F), &BrowserWidget::findInFolder, Qt::WindowShortcut);
}

void BrowserWidget::chainTabOrder()
{
    // No focus proxy: a proxy inside the browser pulls every Tab that would
    // enter it back to the file list, so the bar could never be reached.
    // Focus given to the browser itself is handed on in focusInEvent.
    QList<QWidget *> order = m_nav->tabOrder();
    order.append(m_panel->focusViews());
    for (QAbstractItemView *view : m_views->views())
        order.append(view);
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

void BrowserWidget::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    // The host gives the browser the focus as a whole: the file list takes it.
    focusFileList();
}

bool BrowserWidget::focusPathBar()
{
    QLineEdit *path = m_nav->pathEdit();
    if (!path->isVisibleTo(this) || !path->isEnabled())
        return false;
    path->setFocus(Qt::ShortcutFocusReason);
    path->selectAll();
    return true;
}

bool BrowserWidget::focusNextFile()
{
    QItemSelectionModel *selection = m_views->selectionModel();
    const QModelIndex current = selection->currentIndex();
    // With no row focused the first file is next, as for a first Down key.
    for (int row = current.isValid() ? current.row() + 1 : 0; row < m_model->rowCount(); ++row) {
        if (m_model->entry(row).isDir)
            continue;
        const QModelIndex next = m_model->index(row, 0);
        selection->setCurrentIndex(next, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        m_views->currentView()->scrollTo(next);
        return true;
    }
    return false;
}

void BrowserWidget::watchTextField(QLineEdit *edit)
{
    m_textFields.removeIf([](const QPointer<QLineEdit> &field) { return field.isNull(); }); // editors gone
    m_textFields.append(edit);
    edit->installEventFilter(this);
}

bool BrowserWidget::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && filterKeyPress(watched, static_cast<QKeyEvent *>(event)))
        return true;
    // Escape in the path bar gives up the typed path and returns to the list.
    if (watched == m_nav->pathEdit() && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
        m_nav->setPath(m_folder);
        focusFileList();
        return true;
    }
    if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) {
        for (const QPointer<QLineEdit> &edit : std::as_const(m_textFields)) {
            if (edit != watched)
                continue;
            const bool inside = event->type() == QEvent::FocusIn;
            if (inside != m_inTextField) {
                m_inTextField = inside;
                Q_EMIT textFieldFocusChanged(inside);
            }
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void BrowserWidget::focusFileList()
{
    m_views->currentView()->setFocus(Qt::OtherFocusReason);
}

bool BrowserWidget::openFolder(const QString &path, Navigation how, const QString &focusName)
{
    const QString folder = cleanFolder(path);
    if (!QFileInfo(folder).isDir())
        return false;
    const bool wasSearching = m_searching;
    if (m_searching)
        endSearch();
    m_folder = folder;
    switch (how) {
    case Navigation::Visit:
        m_history.visit(folder);
        break;
    case Navigation::Replace:
        m_history.replaceCurrent(folder);
        break;
    case Navigation::History:
        break;
    }
    m_nav->setPath(folder);
    m_panel->setCurrentFolder(folder);
    updateHistoryButtons();
    rememberRecent(folder);
    m_pendingFocus = focusName;
    m_lastFocused.clear();
    m_refreshTimer.stop();
    const bool otherFolder = folder != m_model->folder();
    m_thumbnails->cancelAll();
    m_thumbnails->resetReadyCount();
    m_views->thumbnailView()->setProperty("readyThumbnails", 0);
    m_views->thumbnailView()->setProperty("refinedThumbnails", 0);
    // Freeing a large folder's rows takes the GUI thread milliseconds.
    m_lister->dispose(m_model->setFolder(folder));
    // Find in folder belongs to the folder it was typed in.
    if ((otherFolder || wasSearching) && !m_filterBar->text().isEmpty())
        m_filterBar->clearAndClose();
    startListing(false);
    Q_EMIT folderChanged(folder);
    return true;
}

void BrowserWidget::refresh()
{
    if (m_folder.isEmpty())
        return;
    if (!QFileInfo(m_folder).isDir()) {
        folderVanished();
        return;
    }
    if (m_searching) {
        m_search->searchAgain();
        return;
    }
    startListing(true);
}

void BrowserWidget::startListing(bool snapshot)
{
    m_snapshotMode = snapshot;
    m_snapshot.clear();
    m_skippedNames = 0;
    m_loading = true;
    if (!snapshot)
        m_views->setMessage({});
    ListRequest request;
    request.id = ++m_requestId;
    request.folder = m_folder;
    request.filter = m_config.filters.filterAt(m_config.filterIndex);
    request.showHidden = m_config.showHidden;
    request.foldersOnly = m_config.foldersOnly;
    request.order = m_model->order();
    request.snapshot = snapshot;
    m_lister->start(request);
    updateStatus();
}

void BrowserWidget::receive(ListBatch &&batch)
{
    if (batch.id != m_requestId)
        return;
    m_skippedNames += batch.skippedNames;
    if (m_snapshotMode) {
        // A new listing comes as one batch; gathering is only for safety.
        if (m_snapshot.empty())
            m_snapshot.swap(batch.entries);
        else
            m_snapshot.insert(m_snapshot.end(), std::make_move_iterator(batch.entries.begin()),
                std::make_move_iterator(batch.entries.end()));
        if (batch.final && batch.error == 0) {
            applySnapshotKeepingFocus(batch);
            m_model->rankNames();
            dropSortKeysSoon();
            m_lister->dispose(std::move(m_snapshot));
            m_snapshot.clear();
        }
    } else if (batch.whole) {
        // Sorted by another column meanwhile (rare): sorted again here.
        if (!batch.sorted || !(batch.sortedBy == m_model->order()))
            sortEntries(batch.entries, m_model->order());
        m_lister->dispose(m_model->replaceRows(std::move(batch.entries)));
        m_model->rankNames();
        dropSortKeysSoon();
    } else {
        m_model->addEntries(std::move(batch.entries), batch.sorted ? &batch.sortedBy : nullptr);
        if (batch.final) {
            m_model->rankNames();
            dropSortKeysSoon();
        }
    }
    if (batch.final)
        finishListing(batch);
    else
        updateStatus();
}

void BrowserWidget::dropSortKeysSoon()
{
    // A pass over every row, in an event of its own rather than in the one
    // that took the rows. The model gives no keys if rows came in meanwhile.
    QTimer::singleShot(0, this, [this] { m_lister->dispose(m_model->takeSortKeys()); });
}

void BrowserWidget::finishListing(const ListBatch &last)
{
    m_loading = false;
    m_snapshot.clear();
    if (last.error == ENOENT || last.error == ENOTDIR) {
        folderVanished();
        return;
    }
    if (last.error != 0) {
        m_lister->dispose(m_model->setFolder(m_folder));
        m_views->setMessage(
            tr("This folder cannot be read: %1.").arg(QString::fromLocal8Bit(std::strerror(last.error))));
    } else if (m_model->rowCount() == 0) {
        m_views->setMessage(
            m_config.foldersOnly ? tr("This folder has no subfolders.") : tr("No matching files in this folder."));
    } else {
        m_views->setMessage({});
    }
    updateFilterMessage();
    if (!m_pendingFocus.isEmpty()) {
        focusName(m_pendingFocus);
        m_pendingFocus.clear();
    }
    updateStatus();
    Q_EMIT listingFinished();
}

void BrowserWidget::applySnapshotKeepingFocus(const ListBatch &batch)
{
    // When the focused file vanishes from the folder (moved to the trash,
    // deleted elsewhere), the focus stays where it was in the list: on the
    // next row, or the previous one when it was the last. Qt would move it
    // up and report it. Nobody chose that row, and the host treats the
    // focused file as the one the user looks at (details, preview): it is
    // neither reported nor selected; the user's next key goes on from there.
    QItemSelectionModel *selection = m_views->selectionModel();
    m_focusAfterChange = selection->currentIndex();
    m_rowsChanging = true;
    m_model->applySnapshot(m_snapshot, batch.sorted ? &batch.sortedBy : nullptr);
    m_rowsChanging = false;
    if (m_focusAfterChange != selection->currentIndex()) {
        {
            const QSignalBlocker quiet(selection);
            selection->setCurrentIndex(m_focusAfterChange, QItemSelectionModel::NoUpdate);
        }
        m_views->currentView()->viewport()->update();
    }
    m_focusAfterChange = QPersistentModelIndex();
}

void BrowserWidget::followFocusPastRemoval(int first, int last)
{
    const int focused = m_focusAfterChange.row();
    if (!m_rowsChanging || !m_focusAfterChange.isValid() || focused < first || focused > last)
        return;
    // Runs of rows go last first, so the row after this run stays; at the
    // end of the list, the row before it stays too (it would be in the run).
    if (last + 1 < m_model->rowCount())
        m_focusAfterChange = m_model->index(last + 1, 0);
    else
        m_focusAfterChange = first > 0 ? m_model->index(first - 1, 0) : QModelIndex();
}

void BrowserWidget::focusName(const QString &name)
{
    const int row = m_model->rowOfName(name);
    if (row < 0)
        return;
    const QModelIndex index = m_model->index(row, 0);
    m_views->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_views->currentView()->scrollTo(index);
}

void BrowserWidget::keepVisibleThumbnails()
{
    QSet<QString> visible;
    if (m_views->viewMode() == ViewMode::Thumbnails) {
        const auto [first, last] = m_views->visibleThumbnailRows();
        for (int row = first; row >= 0 && row <= last; ++row)
            visible.insert(m_model->fullPath(row));
    }
    m_thumbnails->retainOnly(visible);
}

void BrowserWidget::showContextMenu(const QPoint &globalPos, const QModelIndex &index)
{
    // Not exec(): the host may close the browser while a nested loop runs.
    auto *menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("FileListMenu"));
    menu->setAccessibleName(tr("File list menu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    if (index.isValid() && m_model->entry(index.row()).isDir) {
        const QString folder = m_model->fullPath(index.row());
        menu->addAction(tr("Open"), this, [this, folder] { openFolder(folder); });
    }
    const QStringList selected = selectedPaths();
    QAction *copy = menu->addAction(
        tr("Copy full name"), this, [selected] { QGuiApplication::clipboard()->setText(selected.join(u'\n')); });
    copy->setObjectName(QStringLiteral("ActionCopyFullName"));
    copy->setEnabled(!selected.isEmpty());
    m_fileActions->addTo(menu, copy, selected);
    menu->addSeparator();
    menu->addAction(tr("Refresh"), this, &BrowserWidget::refresh);
    QAction *hidden = menu->addAction(tr("Show hidden files"), this, [this](bool on) {
        m_config.showHidden = on;
        openFolder(m_folder, Navigation::Replace);
    });
    hidden->setCheckable(true);
    hidden->setChecked(m_config.showHidden);
    QAction *first = menu->actions().value(index.isValid() && m_model->entry(index.row()).isDir ? 1 : 0);
    QPointer<QMenu> alive(menu);
    Q_EMIT fileMenuRequested(menu, first, int(selected.size()));
    if (alive && isVisible()) // whoever added entries may have closed the browser
        menu->popup(globalPos);
}

void BrowserWidget::folderVanished()
{
    const QString gone = m_folder;
    forgetRecent(gone);
    const QString parent = nearestExistingFolder(parentOf(gone));
    if (parent.isEmpty())
        return;
    openFolder(parent, Navigation::Replace);
}

void BrowserWidget::goBack()
{
    while (m_history.canGoBack()) {
        if (openFolder(m_history.back(), Navigation::History))
            return;
    }
    updateHistoryButtons();
}

void BrowserWidget::goForward()
{
    while (m_history.canGoForward()) {
        if (openFolder(m_history.forward(), Navigation::History))
            return;
    }
    updateHistoryButtons();
}

void BrowserWidget::goUp()
{
    const QString parent = parentOf(m_folder);
    if (parent.isEmpty())
        return;
    const QString child = QFileInfo(m_folder).fileName();
    openFolder(nearestExistingFolder(parent), Navigation::Visit, child);
}

void BrowserWidget::pathEntered(const QString &text)
{
    QString path = expandHome(text.trimmed());
    if (path.isEmpty())
        return;
    if (QDir::isRelativePath(path))
        path = QDir(m_folder).filePath(path);
    const QFileInfo info(path);
    if (info.isDir()) {
        if (openFolder(path))
            focusFileList();
        return;
    }
    if (info.isFile() && info.dir().exists()) {
        openFolder(info.absolutePath(), Navigation::Visit, info.fileName());
        focusFileList();
        return;
    }
    m_nav->setPathError(tr("\"%1\" is not a folder that exists.").arg(text.trimmed()));
}

void BrowserWidget::activate(const QModelIndex &index)
{
    if (!index.isValid())
        return;
    const QString path = m_model->fullPath(index.row());
    if (m_model->entry(index.row()).isDir)
        openFolder(path);
    else
        Q_EMIT fileActivated(path);
}

void BrowserWidget::currentChanged(const QModelIndex &current)
{
    if (!current.isValid() || m_rowsChanging)
        return;
    const QString path = m_model->fullPath(current.row());
    if (path == m_lastFocused)
        return;
    m_lastFocused = path;
    Q_EMIT focusedItemChanged(path);
}

QStringList BrowserWidget::selectedPaths() const
{
    QModelIndexList rows = m_views->selectionModel()->selectedRows(0);
    std::sort(rows.begin(), rows.end(), [](const QModelIndex &a, const QModelIndex &b) { return a.row() < b.row(); });
    QStringList paths;
    paths.reserve(rows.size());
    for (const QModelIndex &index : std::as_const(rows))
        paths.append(m_model->fullPath(index.row()));
    return paths;
}

QString BrowserWidget::focusedPath() const
{
    const QModelIndex current = m_views->selectionModel()->currentIndex();
    return current.isValid() ? m_model->fullPath(current.row()) : QString();
}

int BrowserWidget::filterIndex() const
{
    return m_config.filters.isEmpty() ? -1 : m_config.filterIndex;
}

ViewMode BrowserWidget::viewMode() const
{
    return m_views->viewMode();
}

void BrowserWidget::setViewMode(ViewMode mode)
{
    m_views->setViewMode(mode);
    m_nav->setViewMode(mode);
}

PanelMode BrowserWidget::panelMode() const
{
    return m_panel->mode();
}

void BrowserWidget::setPanelMode(PanelMode mode)
{
    m_panel->setMode(mode);
}

void BrowserWidget::updateHistoryButtons()
{
    m_nav->setHistoryState(m_history.canGoBack(), m_history.canGoForward(), !parentOf(m_folder).isEmpty());
}

void BrowserWidget::rememberRecent(const QString &folder)
{
    m_recent.removeAll(folder);
    m_recent.prepend(folder);
    while (m_recent.size() > DialogSettings::kMaxRecentFolders)
        m_recent.removeLast();
    m_panel->setRecentFolders(m_recent);
}

void BrowserWidget::forgetRecent(const QString &folder)
{
    if (m_recent.removeAll(folder) > 0)
        m_panel->setRecentFolders(m_recent);
}

void BrowserWidget::dropMissingRecent()
{
    // Folders deleted since they were visited leave the list. Asked on a
    // worker: a stored folder may sit on a mount that does not answer.
    QPointer<BrowserWidget> self(this);
    const QStringList folders = m_recent;
    QThreadPool::globalInstance()->start([self, folders] {
        QStringList missing;
        for (const QString &folder : folders) {
            if (!QFileInfo(folder).isDir())
                missing.append(folder);
        }
        if (missing.isEmpty())
            return;
        QMetaObject::invokeMethod(
            qApp,
            [self, missing] {
                if (!self)
                    return;
                for (const QString &folder : missing)
                    self->m_recent.removeAll(folder);
                self->m_panel->setRecentFolders(self->m_recent);
            },
            Qt::QueuedConnection);
    });
}

RememberedState BrowserWidget::rememberedState() const
{
    RememberedState state;
    state.folder = m_folder;
    state.filterIndex = filterIndex();
    state.view = viewMode();
    state.panel = panelMode();
    state.columns = m_views->columnLayout();
    state.audioColumns = m_audioColumns->shownMask();
    state.findScope = m_filterBar->scope();
    return state;
}

QString BrowserWidget::statusText() const
{
    return m_status->text();
}

void BrowserWidget::updateStatus()
{
    if (m_searching) {
        m_status->setText(searchStatusText());
        return;
    }
    const int selected = int(m_views->selectionModel()->selectedRows(0).size());
    QString text;
    if (m_config.foldersOnly) {
        text = counted(m_model->folderCount(), tr("folder"), tr("folders"));
    } else {
        const FileFilter filter = m_config.filters.filterAt(m_config.filterIndex);
        const bool audio = filter.description().contains(u"audio", Qt::CaseInsensitive);
        const int files = m_model->nameFilter().isEmpty() ? m_model->fileCount() : m_model->totalFileCount();
        text = audio ? counted(files, tr("audio file"), tr("audio files")) : counted(files, tr("file"), tr("files"));
        if (!m_model->nameFilter().isEmpty())
            text = tr("%1 of %2").arg(m_model->fileCount()).arg(text);
    }
    text += tr(", %1 selected").arg(selected);
    if (m_skippedNames > 0)
        text += tr(" (%1 not shown: not valid UTF-8)").arg(counted(m_skippedNames, tr("name"), tr("names")));
    if (m_loading && !m_snapshotMode)
        text += tr(", reading folder...");
    if (const QString progress = m_audioColumns ? m_audioColumns->progressText() : QString(); !progress.isEmpty())
        text += QStringLiteral(", ") + progress;
    m_status->setText(text);
}

void BrowserWidget::findInFolder()
{
    m_filterBar->open();
}

void BrowserWidget::applyNameFilter(const QString &text)
{
    m_model->setNameFilter(text);
    if (!m_loading)
        updateFilterMessage();
    updateStatus();
}

void BrowserWidget::updateFilterMessage()
{
    const bool noneMatch = !m_model->nameFilter().isEmpty() && m_model->rowCount() == 0;
    if (noneMatch) {
        m_views->setMessage(tr("No names in this folder contain \"%1\".").arg(m_model->nameFilter()));
        m_showsFilterMessage = true;
    } else if (m_showsFilterMessage) {
        m_views->setMessage(m_model->rowCount() == 0 && !m_model->folder().isEmpty()
                ? (m_config.foldersOnly ? tr("This folder has no subfolders.")
                                        : tr("No matching files in this folder."))
                : QString());
        m_showsFilterMessage = false;
    }
}

bool BrowserWidget::filterKeyPress(QObject *watched, QKeyEvent *event)
{
    // Keys for the file list, while "Find in folder" is open.
    if (!m_filterBar->isVisible()
        || (watched != m_views->detailsView() && watched != m_views->listView() && watched != m_views->thumbnailView()))
        return false;
    if (event->key() == Qt::Key_Escape) {
        m_filterBar->clearAndClose();
        return true;
    }
    // Typing narrows the list instead of jumping to a name. Space keeps its
    // meaning in the list (the host pauses its preview with it).
    const QString text = event->text();
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    if (text.isEmpty() || !text.at(0).isPrint() || text.at(0).isSpace())
        return false;
    m_filterBar->typeText(text);
    return true;
}

} // namespace bd
