// The browser's search below the folder shown: what Ctrl+F's bar does with
// the scope "This folder and below". The list shows the files found as a
// folder of its own, each row named by its path below the folder.

#include "BrowserWidget.h"
#include "FileListModel.h"
#include "FileViews.h"
#include "FolderSearch.h"
#include "NameFilterBar.h"
#include "WaveformThumbnails.h"

#include <QFileInfo>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QTreeView>

namespace bd {

void BrowserWidget::findTextChanged(const QString &text)
{
    // A folder dialog lists folders: there are no files to search for.
    if (m_filterBar->scope() == FindScope::Below && !m_config.foldersOnly)
        searchBelow(text);
    else
        applyNameFilter(text);
}

void BrowserWidget::findScopeChanged(FindScope scope)
{
    m_config.findScope = scope;
    const QString text = m_filterBar->text();
    if (scope == FindScope::Below && !m_config.foldersOnly) {
        applyNameFilter({});
        searchBelow(text);
    } else {
        endSearchAndShowFolder();
        applyNameFilter(text);
    }
}

void BrowserWidget::searchBelow(const QString &text)
{
    if (text.trimmed().isEmpty()) {
        endSearchAndShowFolder();
        return;
    }
    if (!m_searching)
        enterSearch();
    m_searchError.clear();
    m_search->search(m_folder, text, m_config.filters.filterAt(m_config.filterIndex).patterns());
    updateStatus();
}

void BrowserWidget::enterSearch()
{
    const QModelIndex current = m_views->selectionModel()->currentIndex();
    m_focusBeforeSearch = current.isValid() ? m_model->entry(current.row()).name : QString();
    m_searching = true;
    // A listing still on its way is for the folder, which the list no
    // longer shows; the watch on the folder stays.
    ++m_requestId;
    m_loading = false;
    m_refreshTimer.stop();
    m_thumbnails->cancelAll();
    m_lister->dispose(m_model->setFolder(m_folder, FileListModel::Listing::SearchResults));
    m_shownSearch = 0;
    m_searchNote.clear();
    m_searchUnknown = 0;
    m_pendingFocus.clear();
    m_views->setMessage({});
    m_views->showFolderColumn(true);
}

void BrowserWidget::endSearch()
{
    if (!m_searching)
        return;
    m_searching = false;
    m_search->stop();
    m_shownSearch = 0;
    m_searchError.clear();
    m_searchNote.clear();
    m_searchUnknown = 0;
    m_views->setMessage({});
    m_views->showFolderColumn(false);
    // A folder's rows all lie in one folder: sorted by it they would only
    // look unsorted.
    if (m_model->sortColumn() == FileListModel::FolderColumn)
        m_views->detailsView()->header()->setSortIndicator(FileListModel::NameColumn, Qt::AscendingOrder);
}

void BrowserWidget::endSearchAndShowFolder()
{
    if (!m_searching)
        return;
    // The file focused among the results keeps the focus when it lies in
    // the folder itself; otherwise the one focused before the search.
    QString focus = m_focusBeforeSearch;
    const QModelIndex current = m_views->selectionModel()->currentIndex();
    if (current.isValid() && !m_model->entry(current.row()).name.contains(u'/'))
        focus = m_model->entry(current.row()).name;
    endSearch();
    m_lister->dispose(m_model->setFolder(m_folder));
    m_pendingFocus = focus;
    startListing(false);
}

void BrowserWidget::searchStarted()
{
    m_searchError.clear();
    updateStatus();
}

void BrowserWidget::searchRejected(const QString &sentence)
{
    // The rows of the last query that ran stay; the line says what is wrong.
    m_searchError = sentence;
    updateStatus();
}

void BrowserWidget::receiveFound(FoundRows &&found)
{
    if (!m_searching)
        return;
    if (found.generation != m_shownSearch) {
        // The first rows of a newer query take the list over; the focused
        // file stays focused when the newer query finds it too.
        const QModelIndex current = m_views->selectionModel()->currentIndex();
        m_pendingFocus = current.isValid() ? m_model->entry(current.row()).name : QString();
        m_thumbnails->cancelAll();
        m_lister->dispose(m_model->setFolder(m_folder, FileListModel::Listing::SearchResults));
        m_shownSearch = found.generation;
        m_searchNote.clear();
        m_searchUnknown = 0;
    }
    m_model->mergeFound(found.rows, found.removed);
    m_lister->dispose(std::move(found.rows));
    if (!found.note.isEmpty())
        m_searchNote = found.note;
    if (found.final) {
        m_searchUnknown = found.unknownProperties;
        m_views->setMessage(m_model->rowCount() == 0
                ? tr("No files below %1 match \"%2\".").arg(searchedFolderName(), m_filterBar->text())
                : QString());
    }
    if (!m_pendingFocus.isEmpty() && m_model->rowOfName(m_pendingFocus) >= 0) {
        focusName(m_pendingFocus);
        m_pendingFocus.clear();
    }
    updateStatus();
}

QString BrowserWidget::searchedFolderName() const
{
    const QString name = QFileInfo(m_folder).fileName();
    return name.isEmpty() ? m_folder : name;
}

QString BrowserWidget::searchStatusText() const
{
    if (!m_searchError.isEmpty())
        return m_searchError;
    const int files = m_model->fileCount();
    QString text;
    if (m_shownSearch == 0 && m_search->isBusy()) {
        text = tr("Searching below %1…").arg(searchedFolderName());
    } else {
        text = (files == 1 ? tr("%1 file found below %2") : tr("%1 files found below %2"))
                   .arg(files)
                   .arg(searchedFolderName());
        text += tr(", %1 selected").arg(m_views->selectionModel()->selectedRows(0).size());
        if (m_search->isBusy())
            text += tr(", searching…");
    }
    if (m_searchUnknown > 0)
        text += tr(", %1 not checked yet").arg(m_searchUnknown); // their properties are unknown so far
    if (!m_searchNote.isEmpty())
        text += QStringLiteral(". ") + m_searchNote;
    return text;
}

} // namespace bd
