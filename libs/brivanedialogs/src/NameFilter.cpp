#include "NameFilter.h"

#include <algorithm>
#include <iterator>

namespace bd {

void NameFilter::splitOff(std::vector<FolderEntry> &rows, std::vector<FolderEntry> &rejected) const
{
    if (!isActive())
        return;
    const auto firstRejected
        = std::stable_partition(rows.begin(), rows.end(), [this](const FolderEntry &entry) { return matches(entry); });
    rejected.insert(rejected.end(), std::make_move_iterator(firstRejected), std::make_move_iterator(rows.end()));
    rows.erase(firstRejected, rows.end());
}

void mergeInto(std::vector<FolderEntry> &rows, std::vector<FolderEntry> &&extra, const EntryOrder &order)
{
    if (extra.empty())
        return;
    const auto middle = std::ptrdiff_t(rows.size());
    rows.insert(rows.end(), std::make_move_iterator(extra.begin()), std::make_move_iterator(extra.end()));
    std::inplace_merge(rows.begin(), rows.begin() + middle, rows.end(), order);
    extra.clear();
}

} // namespace bd
