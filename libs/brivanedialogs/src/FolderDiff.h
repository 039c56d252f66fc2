#pragma once

#include "FolderEntry.h"

#include <vector>

namespace bd {

// What changed between the rows shown and a new listing of the same folder.
struct FolderDiff
{
    std::vector<int> removed; // rows of before, ascending
    std::vector<std::pair<int, std::size_t>> changed; // row of before, index in after (size or date differ)
    std::vector<std::size_t> added; // indices in after
};

// before is sorted by order. When after is sorted by the same order and the
// order does not depend on size or date, one walk along both finds the
// differences; otherwise names are matched through a hash.
FolderDiff diffFolder(const std::vector<FolderEntry> &before, const std::vector<FolderEntry> &after,
    const EntryOrder &order, bool afterSorted);

} // namespace bd
