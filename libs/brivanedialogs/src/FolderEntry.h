#pragma once

#include <QCollatorSortKey>
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

namespace bd {

// One row of the file list. The collator key is made on the listing thread,
// so the GUI thread sorts by plain byte comparisons. It is held by a shared
// pointer because QCollatorSortKey has no move constructor: rows move a lot
// (sorting, merging, handing over), and each copy of a key is a call and an
// atomic count.
struct FolderEntry
{
    QString name;
    std::shared_ptr<const QCollatorSortKey> sortKey;
    qint64 size = 0;      // bytes; 0 for folders
    qint64 modified = 0;  // milliseconds since the epoch (UTC)
    bool isDir = false;
    // Place in name order once a listing is complete, or -1. Comparing two
    // ranks is an integer compare instead of a collation key compare, which
    // makes sorting a large folder by another column (or back) several
    // times faster. Ranks always agree with the keys.
    std::int32_t nameRank = -1;
};

// Orders rows: folders first, then by the sort column (0 name, 1 size, 2 type,
// 3 date modified), ties broken by the natural name order and finally by the
// raw name so the order is total.
struct EntryOrder
{
    int column = 0;
    Qt::SortOrder order = Qt::AscendingOrder;
    bool operator()(const FolderEntry &a, const FolderEntry &b) const;
    bool operator==(const EntryOrder &other) const = default;
};

// Sorts rows by order. Sorts positions and moves each row once, which is
// several times faster for large folders than swapping whole rows.
void sortEntries(std::vector<FolderEntry> &rows, const EntryOrder &order);

} // namespace bd
