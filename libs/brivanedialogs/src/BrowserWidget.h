#pragma once

#include "BrowserHistory.h"
#include "DialogSettings.h"
#include "FilterList.h"
#include "FolderLister.h"
#include "UiScale.h"

#include <QAction>
#include <QMenu>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <memory>

class QAction;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QMenu;
class QSplitter;

namespace bd {

class AudioColumns;
class FileActions;
class FileListModel;
class FileViews;
class FolderSearch;
struct FoundRows;
class LocationsPanel;
class NameFilterBar;
class NavigationBar;
class WaveformThumbnails;

struct BrowserConfig
{
    QString title;
    FilterList filters;
    int filterIndex = 0;
    bool multiSelect = true;
    bool foldersOnly = false;
    bool showFilter = true;
    bool showPanel = true;
    bool showHidden = false;
    UiScale scale;
    QSize thumbnailSize { 400, 100 };
    ViewMode view = ViewMode::Details;
    PanelMode panel = PanelMode::Locations;
    QStringList recentFolders;
    ColumnLayout columns; // as remembered, widths at 96 DPI
    quint32 audioColumns = 1; // the audio columns shown (AudioColumns' mask): duration
    FindScope findScope = FindScope::Folder;
};

// The file browser shared by the embedded browser and the modal dialogs:
// navigation bar, left panel, file list and status line.
class BrowserWidget : public QWidget
{
    Q_OBJECT

public:
    explicit BrowserWidget(const BrowserConfig &config, QWidget *parent = nullptr);
    ~BrowserWidget() override;

    enum class Navigation { Visit, History, Replace };
    // False (and nothing moves) when the path is not a folder.
    bool openFolder(const QString &path, Navigation how = Navigation::Visit, const QString &focusName = {});
    void refresh();
    void goBack();
    void goForward();
    void goUp();

    QString currentFolder() const { return m_folder; }
    // Selected items in the order the list shows them.
    QStringList selectedPaths() const;
    QString focusedPath() const;
    int filterIndex() const;
    ViewMode viewMode() const;
    void setViewMode(ViewMode mode);
    PanelMode panelMode() const;
    void setPanelMode(PanelMode mode);
    QStringList recentFolders() const { return m_recent; }
    // What the dialog remembers for next time.
    RememberedState rememberedState() const;
    bool isLoading() const { return m_loading; }
    QString statusText() const;

    // Text fields whose focus is reported with textFieldFocusChanged.
    void watchTextField(QLineEdit *edit);
    void focusFileList();
    // The path bar takes the focus with its text selected; false when the
    // browser has no path bar to show.
    bool focusPathBar();
    // The next file after the focused row (folders passed over) becomes the
    // focused and only selected row, scrolled into view and reported as a
    // Down key's would be; false when no file follows.
    bool focusNextFile();

    NavigationBar *navigationBar() const { return m_nav; }
    LocationsPanel *locationsPanel() const { return m_panel; }
    FileViews *fileViews() const { return m_views; }
    FileListModel *model() const { return m_model; }
    FileActions *fileActions() const { return m_fileActions; }
    NameFilterBar *nameFilterBar() const { return m_filterBar; }
    // Opens "Find in folder" (Ctrl+F).
    void findInFolder();
    // The list shows what a search below the folder found.
    bool showsSearchResults() const { return m_searching; }

Q_SIGNALS:
    void folderChanged(const QString &folder);
    void focusedItemChanged(const QString &fullName);
    void selectionChanged();
    void fileActivated(const QString &fullName);
    void textFieldFocusChanged(bool inTextField);
    // A listing finished (the whole folder is in the model).
    void listingFinished();
    // The file list's context menu is being built: entries of others go
    // before before. Emitted synchronously.
    void fileMenuRequested(QMenu *menu, QAction *before, int selectionCount);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;

private:
    void buildShortcuts();
    void chainTabOrder();
    void startListing(bool snapshot);
    void dropSortKeysSoon();
    void receive(ListBatch &&batch);
    void finishListing(const ListBatch &last);
    void folderVanished();
    void pathEntered(const QString &text);
    void activate(const QModelIndex &index);
    void currentChanged(const QModelIndex &current);
    void applySnapshotKeepingFocus(const ListBatch &batch);
    void followFocusPastRemoval(int first, int last);
    void updateStatus();
    void updateHistoryButtons();
    void rememberRecent(const QString &folder);
    void forgetRecent(const QString &folder);
    void dropMissingRecent();
    void focusName(const QString &name);
    void keepVisibleThumbnails();
    void showContextMenu(const QPoint &globalPos, const QModelIndex &index);
    void applyNameFilter(const QString &text);
    void updateFilterMessage();
    bool filterKeyPress(QObject *watched, QKeyEvent *event);
    // Searching below the folder (BrowserSearch.cpp).
    void findTextChanged(const QString &text);
    void findScopeChanged(FindScope scope);
    void searchBelow(const QString &text);
    void enterSearch();
    void endSearch();
    void endSearchAndShowFolder();
    void receiveFound(FoundRows &&found);
    void searchStarted();
    void searchRejected(const QString &sentence);
    QString searchStatusText() const;
    QString searchedFolderName() const;

    BrowserConfig m_config;
    NavigationBar *m_nav;
    QSplitter *m_splitter;
    LocationsPanel *m_panel;
    FileListModel *m_model;
    FileViews *m_views;
    QLabel *m_status;
    WaveformThumbnails *m_thumbnails = nullptr;
    FileActions *m_fileActions = nullptr;
    AudioColumns *m_audioColumns = nullptr;
    NameFilterBar *m_filterBar = nullptr;
    bool m_showsFilterMessage = false;
    FolderSearch *m_search = nullptr;
    bool m_searching = false;
    // The search whose rows the list shows; a newer one replaces them when
    // its first rows come.
    quint64 m_shownSearch = 0;
    QString m_searchError;
    QString m_searchNote;
    int m_searchUnknown = 0;
    // The file focused in the folder when the search began, focused again
    // when the folder comes back.
    QString m_focusBeforeSearch;
    std::unique_ptr<FolderLister> m_lister;
    QTimer m_refreshTimer;
    QTimer m_thumbnailTimer;
    BrowserHistory m_history;
    QString m_folder;
    quint64 m_requestId = 0;
    bool m_loading = false;
    bool m_snapshotMode = false;
    std::vector<FolderEntry> m_snapshot;
    int m_skippedNames = 0;
    QString m_pendingFocus;
    QString m_lastFocused;
    // Rows are being replaced by a fresh listing: a change of the current
    // row now is the list's doing, not the user's.
    bool m_rowsChanging = false;
    // While rows change: the focused row, or where the focus goes when that
    // row is removed.
    QPersistentModelIndex m_focusAfterChange;
    QStringList m_recent;
    QList<QPointer<QLineEdit>> m_textFields;
    bool m_inTextField = false;
};

// The closest folder at or above path that exists, or empty.
QString nearestExistingFolder(const QString &path);

} // namespace bd
