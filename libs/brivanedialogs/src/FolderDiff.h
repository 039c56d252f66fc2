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

// The same for rows of before that have no collator key and so cannot be
// compared: matched by name, in step while both lists agree, then through a
// hash. Each row that stays takes the key of its row in after (which is left
// without one): no key is copied, which for a large folder would touch every
// key's memory.
FolderDiff diffFolderTakingKeys(std::vector<FolderEntry> &before, std::vector<FolderEntry> &after);

} // namespace bd
