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

} // namespace bd
