#include "FileListModel.h"

#include "AudioColumns.h"
#include "DrawnIcons.h"
#include "FolderDiff.h"

#include <QApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QLocale>
#include <QMimeData>
#include <QSet>
#include <QStyle>
#include <QUrl>

#include <algorithm>
#include <iterator>
#include <utility>

namespace bd {

FileListModel::FileListModel(QObject *parent)
    : QAbstractTableModel(parent)
{
    m_folderIcon = drawnIcon(DrawnIcon::Folder);
    m_fileIcon = drawnIcon(DrawnIcon::File);
}

std::vector<FolderEntry> FileListModel::setFolder(const QString &folder, Listing listing)
{
    beginResetModel();
    m_folder = folder;
    m_listing = listing;
    std::vector<FolderEntry> old;
    old.swap(m_rows);
    old.insert(old.end(), std::make_move_iterator(m_filteredOut.begin()), std::make_move_iterator(m_filteredOut.end()));
    m_filteredOut.clear();
    m_folderCount = 0;
    m_filteredOutFolders = 0;
    m_keysTaken = false;
    endResetModel();
    return old;
}

QString FileListModel::fullPath(int row) const
{
    const QString &name = entry(row).name;
    if (m_folder.endsWith(u'/'))
        return m_folder + name;
    return m_folder + u'/' + name;
}

int FileListModel::rowOfName(const QString &name) const
{
    for (std::size_t row = 0; row < m_rows.size(); ++row) {
        if (m_rows[row].name == name)
            return int(row);
    }
    return -1;
}

void FileListModel::recount()
{
    // Folders sort first, so they are the leading run.
    const auto firstFile = std::find_if(m_rows.begin(), m_rows.end(), [](const FolderEntry &e) { return !e.isDir; });
    m_folderCount = int(firstFile - m_rows.begin());
    const auto firstHiddenFile
        = std::find_if(m_filteredOut.begin(), m_filteredOut.end(), [](const FolderEntry &e) { return !e.isDir; });
    m_filteredOutFolders = int(firstHiddenFile - m_filteredOut.begin());
}

template<typename Mutate> void FileListModel::reorder(Mutate mutate)
{
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<FolderEntry> moved;
    moved.reserve(std::size_t(before.size()));
    for (const QModelIndex &index : before)
        moved.push_back(m_rows[std::size_t(index.row())]);

    mutate();

    QModelIndexList after;
    after.reserve(before.size());
    for (qsizetype i = 0; i < before.size(); ++i) {
        const auto it = std::lower_bound(m_rows.begin(), m_rows.end(), moved[std::size_t(i)], m_order);
        const bool found = it != m_rows.end() && it->name == moved[std::size_t(i)].name;
        after.append(found ? index(int(it - m_rows.begin()), before[i].column()) : QModelIndex());
    }
    changePersistentIndexList(before, after);
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void FileListModel::mergeSorted(std::vector<FolderEntry> &&entries, bool presorted)
{
    if (!presorted)
        sortEntries(entries, m_order);
    if (m_rows.empty()) {
        beginInsertRows({}, 0, int(entries.size()) - 1);
        m_rows = std::move(entries);
        recount();
        endInsertRows();
        return;
    }
    // Rows that all sort after the present ones are a plain append.
    if (!m_order(entries.front(), m_rows.back())) {
        const int first = int(m_rows.size());
        beginInsertRows({}, first, first + int(entries.size()) - 1);
        m_rows.insert(m_rows.end(), std::make_move_iterator(entries.begin()), std::make_move_iterator(entries.end()));
        recount();
        endInsertRows();
        return;
    }
    auto merge = [&] {
        const auto middle = m_rows.size();
        m_rows.insert(m_rows.end(), std::make_move_iterator(entries.begin()), std::make_move_iterator(entries.end()));
        std::inplace_merge(m_rows.begin(), m_rows.begin() + qsizetype(middle), m_rows.end(), m_order);
        recount();
    };
    // Nothing to keep (no focus, no selection yet): a reset costs the views
    // less than moving every row.
    if (persistentIndexList().isEmpty()) {
        beginResetModel();
        merge();
        endResetModel();
        return;
    }
    reorder(merge);
}

std::vector<FolderEntry> FileListModel::replaceRows(std::vector<FolderEntry> &&rows)
{
    auto swap = [&] {
        m_rows.swap(rows);
        recount();
    };
    if (persistentIndexList().isEmpty()) {
        beginResetModel();
        swap();
        endResetModel();
    } else {
        // Rows first come in (as blanks, filled by the swap), so that the
        // reordering that keeps selection and focus changes no row count.
        const int shown = int(m_rows.size());
        const int whole = int(rows.size());
        if (whole > shown) {
            beginInsertRows({}, shown, whole - 1);
            m_rows.resize(std::size_t(whole));
            endInsertRows();
        }
        reorder(swap);
    }
    return std::move(rows);
}

void FileListModel::addEntries(std::vector<FolderEntry> &&entries, const EntryOrder *sortedBy)
{
    const bool presorted = sortedBy && *sortedBy == m_order;
    if (m_nameFilter.isActive()) {
        std::vector<FolderEntry> hidden;
        m_nameFilter.splitOff(entries, hidden);
        if (!presorted)
            sortEntries(hidden, m_order);
        mergeInto(m_filteredOut, std::move(hidden), m_order);
        recount();
    }
    if (!entries.empty())
        mergeSorted(std::move(entries), presorted);
}

void FileListModel::applySnapshot(std::vector<FolderEntry> &entries, const EntryOrder *sortedBy)
{
    const bool presorted = sortedBy && *sortedBy == m_order;
    const bool keysTaken = std::exchange(m_keysTaken, false);
    if (keysTaken) {
        // The rows have no keys to be compared by: matched by name instead,
        // they take back the keys of the new listing.
        FolderDiff diff = diffFolderTakingKeys(m_rows, entries);
        if (!m_nameFilter.isActive()) {
            applyShownSnapshot(entries, diff);
            return;
        }
    } else if (!m_nameFilter.isActive()) {
        applyShownSnapshot(entries, diffFolder(m_rows, entries, m_order, presorted));
        return;
    }
    // The hidden rows are simply the new listing's hidden rows; only the
    // shown ones are compared, so selection and focus survive.
    std::vector<FolderEntry> hidden;
    m_nameFilter.splitOff(entries, hidden);
    if (!presorted)
        sortEntries(hidden, m_order);
    m_filteredOut.swap(hidden);
    // By names only where rows that stayed gave their keys away above.
    applyShownSnapshot(entries, diffFolder(m_rows, entries, m_order, presorted && !keysTaken));
    // The old hidden rows go with the rest for the caller to free.
    entries.insert(entries.end(), std::make_move_iterator(hidden.begin()), std::make_move_iterator(hidden.end()));
    recount();
}

void FileListModel::mergeFound(std::vector<FolderEntry> &found, const QStringList &removed)
{
    // The same shape of change as a folder listed again, found by name.
    FolderDiff diff;
    QHash<QStringView, std::size_t> incoming;
    incoming.reserve(qsizetype(found.size()));
    for (std::size_t i = 0; i < found.size(); ++i)
        incoming.insert(QStringView(found[i].name), i);
    const QSet<QString> gone(removed.begin(), removed.end());
    std::vector<bool> present(found.size(), false);
    if (!incoming.isEmpty() || !gone.isEmpty()) {
        for (std::size_t row = 0; row < m_rows.size(); ++row) {
            const FolderEntry &shown = m_rows[row];
            if (gone.contains(shown.name)) {
                diff.removed.push_back(int(row));
                continue;
            }
            const auto it = incoming.constFind(QStringView(shown.name));
            if (it == incoming.cend())
                continue;
            present[*it] = true;
            if (found[*it].size != shown.size || found[*it].modified != shown.modified)
                diff.changed.emplace_back(int(row), *it);
        }
    }
    for (std::size_t i = 0; i < found.size(); ++i) {
        if (!present[i] && !gone.contains(found[i].name))
            diff.added.push_back(i);
    }
    applyShownSnapshot(found, diff);
}

void FileListModel::setNameFilter(const QString &text)
{
    if (text == m_nameFilter.text())
        return;
    m_nameFilter.setText(text);
    reorder([this] {
        mergeInto(m_rows, std::move(m_filteredOut), m_order);
        m_filteredOut.clear();
        m_nameFilter.splitOff(m_rows, m_filteredOut);
        recount();
    });
}

void FileListModel::applyShownSnapshot(std::vector<FolderEntry> &entries, const FolderDiff &diff)
{
    // Size or date changed: in place, while the rows still have their old numbers.
    int firstChanged = -1;
    int lastChanged = -1;
    for (const auto &[row, fresh] : diff.changed) {
        m_rows[std::size_t(row)].size = entries[fresh].size;
        m_rows[std::size_t(row)].modified = entries[fresh].modified;
        // Another file now: its audio details are read again.
        m_rows[std::size_t(row)].audioState = AudioState::Unread;
        m_rows[std::size_t(row)].audio = {};
        firstChanged = firstChanged < 0 ? row : std::min(firstChanged, row);
        lastChanged = std::max(lastChanged, row);
    }
    if (firstChanged >= 0)
        Q_EMIT dataChanged(index(firstChanged, 0), index(lastChanged, ColumnCount - 1));

    // Gone (or turned from file to folder or back): each run of rows at once,
    // last run first so the rows before keep their numbers.
    for (auto end = diff.removed.rbegin(); end != diff.removed.rend();) {
        auto first = end;
        while (std::next(first) != diff.removed.rend() && *std::next(first) == *first - 1)
            ++first;
        beginRemoveRows({}, *first, *end);
        m_rows.erase(m_rows.begin() + *first, m_rows.begin() + *end + 1);
        recount();
        endRemoveRows();
        end = std::next(first);
    }

    if (firstChanged >= 0 && !std::is_sorted(m_rows.begin(), m_rows.end(), m_order))
        reorder([this] { std::stable_sort(m_rows.begin(), m_rows.end(), m_order); });

    std::vector<FolderEntry> added;
    added.reserve(diff.added.size());
    for (std::size_t j : diff.added)
        added.push_back(std::move(entries[j]));
    if (added.size() > kFewRows) {
        addEntries(std::move(added));
        return;
    }
    // A few new files: each goes in at its place, so the rest of the list
    // (selection, focus, scroll position) is left alone.
    for (FolderEntry &entry : added) {
        const auto at = std::lower_bound(m_rows.begin(), m_rows.end(), entry, m_order);
        const int row = int(at - m_rows.begin());
        beginInsertRows({}, row, row);
        m_rows.insert(at, std::move(entry));
        recount();
        endInsertRows();
    }
}

void FileListModel::setAudioDetails(const QVector<AudioReading> &readings)
{
    const QString prefix = m_folder.endsWith(u'/') ? m_folder : m_folder + u'/';
    const bool nested = showsSearchResults();
    std::vector<std::size_t> touched;
    for (const AudioReading &reading : readings) {
        const QString &path = reading.file.path;
        if (!path.startsWith(prefix) || (!nested && path.indexOf(u'/', prefix.size()) >= 0))
            continue;
        const QStringView name = QStringView(path).mid(prefix.size());
        int row = reading.file.rowHint;
        if (row < 0 || row >= int(m_rows.size()) || m_rows[std::size_t(row)].name != name)
            row = rowOfName(name.toString());
        if (row < 0)
            continue;
        FolderEntry &entry = m_rows[std::size_t(row)];
        if (entry.isDir || entry.size != reading.file.size || entry.modified != reading.file.modified)
            continue;
        const AudioState state = reading.readable ? AudioState::Read : AudioState::Unreadable;
        if (entry.audioState == state && entry.audio == reading.details)
            continue;
        entry.audioState = state;
        entry.audio = reading.details;
        touched.push_back(std::size_t(row));
    }
    if (touched.empty())
        return;
    if (isAudioColumn(m_order.column) && unreadFiles() == 0) {
        // The last value is in: the rows take their final order at once.
        // Until then they stay where they are, so the current row and the
        // selection do not jump away at every few values that arrive.
        reorder([this] { sortEntries(m_rows, m_order); });
        return;
    }
    const auto [first, last] = std::minmax_element(touched.begin(), touched.end());
    Q_EMIT dataChanged(index(int(*first), DurationColumn), index(int(*last), BitRateColumn));
}

int FileListModel::unreadFiles() const
{
    return int(std::count_if(m_rows.begin(), m_rows.end(),
        [](const FolderEntry &entry) { return !entry.isDir && entry.audioState == AudioState::Unread; }));
}

void FileListModel::rankNames()
{
    if (m_order.column != NameColumn)
        return;
    // Within folders and within files the rows are in name order (reversed
    // when descending); ranks are only compared within one of the two.
    // Rows the name filter hides are ranked with the others: they come back.
    const auto count = std::int32_t(m_rows.size() + m_filteredOut.size());
    std::size_t shown = 0;
    std::size_t hidden = 0;
    for (std::int32_t i = 0; i < count; ++i) {
        const bool takeHidden = hidden < m_filteredOut.size()
            && (shown == m_rows.size() || m_order(m_filteredOut[hidden], m_rows[shown]));
        FolderEntry &row = takeHidden ? m_filteredOut[hidden++] : m_rows[shown++];
        row.nameRank = m_order.order == Qt::AscendingOrder ? i : count - 1 - i;
    }
}

std::vector<SortKey> FileListModel::takeSortKeys()
{
    auto unranked = [](const FolderEntry &e) { return e.nameRank < 0; };
    if (std::any_of(m_rows.begin(), m_rows.end(), unranked)
        || std::any_of(m_filteredOut.begin(), m_filteredOut.end(), unranked))
        return {};
    std::vector<SortKey> keys;
    keys.reserve(m_rows.size() + m_filteredOut.size());
    for (std::vector<FolderEntry> *rows : { &m_rows, &m_filteredOut }) {
        for (FolderEntry &row : *rows) {
            if (row.sortKey)
                keys.push_back(std::move(row.sortKey));
        }
    }
    m_keysTaken = true;
    return keys;
}

int FileListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int FileListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QString FileListModel::typeName(const FolderEntry &entry)
{
    if (entry.isDir)
        return tr("Folder");
    const QStringView suffix = suffixOfName(entry.name);
    return suffix.isEmpty() ? tr("File") : tr("%1 file").arg(suffix.toString().toUpper());
}

QVariant FileListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= int(m_rows.size()))
        return {};
    const FolderEntry &row = m_rows[std::size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        switch (index.column()) {
        case NameColumn:
            return baseNameOf(row.name).toString();
        case FolderColumn:
            return folderPartOf(row.name).toString();
        case SizeColumn:
            return row.isDir ? QString() : cachedText(m_sizeTexts, row.size, false);
        case TypeColumn:
            return typeName(row);
        case ModifiedColumn:
            return cachedText(m_dateTexts, row.modified, true);
        default:
            return audioText(row.audio, index.column(), m_locale);
        }
    case Qt::EditRole:
        return baseNameOf(row.name).toString();
    case Qt::DecorationRole:
        if (index.column() == NameColumn)
            return row.isDir ? m_folderIcon : m_fileIcon;
        return {};
    case Qt::TextAlignmentRole:
        if (index.column() == SizeColumn || isAudioColumn(index.column()))
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    case FullPathRole:
        return fullPath(index.row());
    case IsDirRole:
        return row.isDir;
    case SizeRole:
        return row.size;
    case ModifiedRole:
        return row.modified;
    case SortRole:
        switch (index.column()) {
        case SizeColumn:
            return row.size;
        case ModifiedColumn:
            return row.modified;
        default:
            if (const std::int32_t value = audioValue(row, index.column()); value >= 0)
                return value;
            return {};
        }
    default:
        return {};
    }
}

QString FileListModel::cachedText(QHash<qint64, QString> &cache, qint64 key, bool date) const
{
    // A few screens' worth; emptied when full rather than tracking use.
    constexpr qsizetype kCachedTexts = 4096;
    if (const auto found = cache.constFind(key); found != cache.cend())
        return *found;
    if (cache.size() >= kCachedTexts)
        cache.clear();
    QString text = date ? m_locale.toString(QDateTime::fromMSecsSinceEpoch(key), QLocale::ShortFormat)
                        : m_locale.formattedDataSize(key, 1, QLocale::DataSizeTraditionalFormat);
    cache.insert(key, text);
    return text;
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case NameColumn:
        return tr("Name");
    case SizeColumn:
        return tr("Size");
    case TypeColumn:
        return tr("Type");
    case ModifiedColumn:
        return tr("Date modified");
    case FolderColumn:
        return tr("Folder");
    default:
        return audioColumnTitle(section);
    }
}

Qt::ItemFlags FileListModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemNeverHasChildren;
}

void FileListModel::sort(int column, Qt::SortOrder order)
{
    const EntryOrder wanted { column, order };
    if (wanted.column == m_order.column && wanted.order == m_order.order)
        return;
    m_order = wanted;
    sortEntries(m_filteredOut, m_order);
    if (m_rows.empty())
        return;
    reorder([this] { sortEntries(m_rows, m_order); });
}

QStringList FileListModel::mimeTypes() const
{
    return { QStringLiteral("text/uri-list") };
}

QMimeData *FileListModel::mimeData(const QModelIndexList &indexes) const
{
    QList<QUrl> urls;
    std::vector<int> rows;
    for (const QModelIndex &index : indexes) {
        if (index.isValid())
            rows.push_back(index.row());
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    for (int row : rows)
        urls.append(QUrl::fromLocalFile(fullPath(row)));
    auto *mime = new QMimeData;
    mime->setUrls(urls);
    return mime;
}

Qt::DropActions FileListModel::supportedDragActions() const
{
    return Qt::CopyAction;
}

} // namespace bd
