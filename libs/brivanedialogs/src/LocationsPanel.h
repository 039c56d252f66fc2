#pragma once

#include "DialogSettings.h"
#include "UiScale.h"

#include <QIcon>
#include <QLineEdit>
#include <QWidget>

class QLabel;
class QMenu;
class QStackedWidget;
class QTreeView;
class QTreeWidget;
class QTreeWidgetItem;
class QLineEdit;

namespace bd {

class FolderTreeModel;
class UserPlaces;

// The browser's left panel under a "Locations" header, in one of two modes:
// drives, standard locations and recently visited folders; or a folder tree.
// A right click on the panel or its header offers both.
class LocationsPanel : public QWidget
{
    Q_OBJECT

public:
    LocationsPanel(const UiScale &scale, bool showHidden, QWidget *parent = nullptr);

    void setMode(PanelMode mode);
    PanelMode mode() const { return m_mode; }
    // Newest first; each shown by as much of its path as tells it from the
    // others, the whole path as its tooltip.
    void setRecentFolders(const QStringList &folders);
    // Follows the folder shown in the file list.
    void setCurrentFolder(const QString &folder);

    QTreeWidget *placesView() const { return m_places; }
    QTreeView *treeView() const { return m_tree; }
    // The panel's focusable views (the tree only once it was made).
    QList<QWidget *> focusViews() const;
    UserPlaces *userPlaces() const { return m_userPlaces; }
    // Adds the folder shown to the user's places (Ctrl+D); false when it is one already.
    bool addCurrentFolder();

    static QString placesModeText();
    static QString treeModeText();

Q_SIGNALS:
    void folderRequested(const QString &folder);
    void modeChanged(PanelMode mode);
    // A view was made on demand (the folder tree); its place in the Tab
    // order is the browser's business.
    void viewCreated();
    // A text editor opened in the panel (renaming a place).
    void editorOpened(QLineEdit *editor);

private:
    void buildPlaces();
    void ensureTree();
    void showModeMenu(const QPoint &globalPos, QTreeWidgetItem *item = nullptr);
    void placeActivated(QTreeWidgetItem *item);
    void showRevealed(const QModelIndex &index);

    UiScale m_scale;
    bool m_showHidden;
    PanelMode m_mode = PanelMode::Locations;
    QLabel *m_header;
    QStackedWidget *m_stack;
    QTreeWidget *m_places;
    QTreeWidgetItem *m_recentGroup = nullptr;
    QTreeWidgetItem *m_placesGroup = nullptr;
    UserPlaces *m_userPlaces = nullptr;
    QTreeView *m_tree = nullptr;
    FolderTreeModel *m_treeModel = nullptr;
    QString m_currentFolder;
    QStringList m_recentFolders;
    QIcon m_folderIcon;
    // Expanding on the way to the current folder reads each folder once.
    bool m_revealing = false;
};

} // namespace bd
