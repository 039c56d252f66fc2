#pragma once

#include "DialogSettings.h"
#include "UiScale.h"

#include <QStackedWidget>

class QAbstractItemView;
class QItemSelectionModel;
class QLabel;
class QListView;
class QTreeView;

namespace bd {

class FileListModel;
class WaveformThumbnails;

// The three looks of the file list (details, list, thumbnails) over one model
// and one shared selection, so switching keeps selection and focus.
class FileViews : public QStackedWidget
{
    Q_OBJECT

public:
    FileViews(
        FileListModel *model, const UiScale &scale, QSize thumbnailSize, bool multiSelect, QWidget *parent = nullptr);

    void setViewMode(ViewMode mode);
    ViewMode viewMode() const { return m_mode; }
    QAbstractItemView *currentView() const;
    QTreeView *detailsView() const { return m_details; }
    QListView *listView() const { return m_list; }
    QListView *thumbnailView() const { return m_thumbnails; }
    QList<QAbstractItemView *> views() const;
    // The details columns as remembered (widths at 96 DPI, shown at this
    // browser's scale; sort column and order); the name column always takes
    // the free width.
    void restoreColumns(const ColumnLayout &layout);
    ColumnLayout columnLayout() const;
    // The Folder column, beside the name, for search results.
    void showFolderColumn(bool show);
    QItemSelectionModel *selectionModel() const;
    QSize thumbnailSize() const { return m_thumbnailSize; }
    // Draws the thumbnails view's files as waveforms from source.
    void setThumbnailSource(WaveformThumbnails *source);
    // Rows of the thumbnails view that are on screen now (first, last), or
    // (-1, -1).
    std::pair<int, int> visibleThumbnailRows() const;

    // A line said inside the list (a folder that cannot be read, an empty
    // folder); empty hides it.
    void setMessage(const QString &text);
    QString message() const;

Q_SIGNALS:
    void activated(const QModelIndex &index);
    void viewModeChanged(ViewMode mode);
    void contextMenuRequested(const QPoint &globalPos, const QModelIndex &index);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void placeMessage();
    void stretchNameColumn();

    FileListModel *m_model;
    QTreeView *m_details;
    QListView *m_list;
    QListView *m_thumbnails;
    QLabel *m_message;
    ViewMode m_mode = ViewMode::Details;
    QSize m_thumbnailSize;
    UiScale m_scale;
};

} // namespace bd
