#pragma once

#include <QCollatorSortKey>
#include <QString>

#include <optional>

namespace bd {

// One row of the file list. The collator key is made on the listing thread,
// so the GUI thread sorts by plain byte comparisons.
struct FolderEntry
{
    QString name;
    std::optional<QCollatorSortKey> sortKey;
    qint64 size = 0;      // bytes; 0 for folders
    qint64 modified = 0;  // milliseconds since the epoch (UTC)
    bool isDir = false;
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

} // namespace bd
