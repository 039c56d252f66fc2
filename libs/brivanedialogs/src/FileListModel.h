#pragma once

#include "AudioProperties.h"
#include "FolderDiff.h"
#include "FolderEntry.h"
#include "NameFilter.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QIcon>
#include <QLocale>

#include <vector>

namespace bd {

// The file list of one folder: a flat, always sorted table fed in batches.
// Never touches the file system itself.
class FileListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column {
        NameColumn,
        SizeColumn,
        TypeColumn,
        ModifiedColumn,
        DurationColumn,
        SampleRateColumn,
        BitDepthColumn,
        ChannelsColumn,
        BitRateColumn,
        FolderColumn, // search results only: the file's folder below the search root
        ColumnCount
    };
    // SortRole: the number a numeric column sorts by (null when unknown).
    enum Role { FullPathRole = Qt::UserRole + 1, IsDirRole, SizeRole, ModifiedRole, SortRole };

    explicit FileListModel(QObject *parent = nullptr);

    // What the rows are: the entries of one folder, or files found anywhere
    // below it, each named by its path below the folder.
    enum class Listing { Folder, SearchResults };

    // Empties the list for another folder and hands back the old rows, which
    // the caller may free elsewhere.
    [[nodiscard]] std::vector<FolderEntry> setFolder(const QString &folder, Listing listing = Listing::Folder);
    const QString &folder() const { return m_folder; }
    bool showsSearchResults() const { return m_listing == Listing::SearchResults; }

    // Takes search results: a row whose name is already there replaces it
    // (in place when its size and date are the same, keeping selection and
    // focus), a name in removed takes its row away. Rows taken over are
    // moved out of found; the rest is left for the caller to dispose of.
    void mergeFound(std::vector<FolderEntry> &found, const QStringList &removed);

    // Merges rows of the folder's first listing into the sorted list.
    void addEntries(std::vector<FolderEntry> &&entries, const EntryOrder *sortedBy = nullptr);
    EntryOrder order() const { return m_order; }
    // Takes over a complete listing of the folder in the list's order,
    // keeping selection and focus on their rows; hands back the old rows.
    [[nodiscard]] std::vector<FolderEntry> replaceRows(std::vector<FolderEntry> &&rows);
    // Brings the list to a complete new listing of the same folder, keeping
    // the rows that stayed (and with them selection and focus).
    // Rows taken over are moved out of entries; the rest is left for the
    // caller to dispose of.
    void applySnapshot(std::vector<FolderEntry> &entries, const EntryOrder *sortedBy = nullptr);

    // Shows only the rows whose name holds text, ignoring case; empty shows
    // all. The other rows are kept aside and follow every change of the
    // folder, so changing the text never lists the folder again. Selection
    // and focus stay on the rows that remain.
    void setNameFilter(const QString &text);
    const QString &nameFilter() const { return m_nameFilter.text(); }
    // Files of the folder, shown or not.
    int totalFileCount() const { return fileCount() + int(m_filteredOut.size()) - m_filteredOutFolders; }

    // Takes audio details read for files that are still rows of the list
    // (same name, size and date). A list sorted by an audio column keeps
    // its rows in place until the last file's value is in, then takes its
    // final order in one step.
    void setAudioDetails(const QVector<AudioReading> &readings);
    // Shown files whose audio details are not read yet.
    int unreadFiles() const;

    // Numbers the rows in name order (see FolderEntry::nameRank) when the
    // list is sorted by name; call once a listing is complete.
    void rankNames();
    // Hands over the rows' collator keys once every row has a name rank,
    // which orders rows without them; otherwise nothing. A later listing of
    // the folder brings the keys of the rows that stay back.
    [[nodiscard]] std::vector<SortKey> takeSortKeys();

    const FolderEntry &entry(int row) const { return m_rows[std::size_t(row)]; }
    QString fullPath(int row) const;
    int rowOfName(const QString &name) const;
    int folderCount() const { return m_folderCount; }
    int fileCount() const { return int(m_rows.size()) - m_folderCount; }
    int sortColumn() const { return m_order.column; }
    Qt::SortOrder sortOrder() const { return m_order.order; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
    QStringList mimeTypes() const override;
    QMimeData *mimeData(const QModelIndexList &indexes) const override;
    Qt::DropActions supportedDragActions() const override;

    static QString typeName(const FolderEntry &entry);

private:
    // Up to this many new rows are inserted one by one; more are merged.
    static constexpr std::size_t kFewRows = 64;

    // Runs a change of row order, moving persistent indexes (selection and
    // focus) with their rows.
    template<typename Mutate> void reorder(Mutate mutate);
    void mergeSorted(std::vector<FolderEntry> &&entries, bool presorted);
    void recount();
    void applyShownSnapshot(std::vector<FolderEntry> &entries, const FolderDiff &diff);

    QString m_folder;
    Listing m_listing = Listing::Folder;
    std::vector<FolderEntry> m_rows;
    EntryOrder m_order;
    int m_folderCount = 0;
    NameFilter m_nameFilter;
    // Rows the name filter hides, sorted like m_rows.
    std::vector<FolderEntry> m_filteredOut;
    int m_filteredOutFolders = 0;
    bool m_keysTaken = false;
    QIcon m_folderIcon;
    QIcon m_fileIcon;
    // Formatting a date or a size costs microseconds, and every paint asks
    // for the same few screens of them again.
    QString cachedText(QHash<qint64, QString> &cache, qint64 key, bool date) const;
    QLocale m_locale;
    mutable QHash<qint64, QString> m_dateTexts;
    mutable QHash<qint64, QString> m_sizeTexts;
};

} // namespace bd
