#include "FolderDiff.h"

#include <QHash>

namespace bd {

namespace {

bool sameItem(const FolderEntry &a, const FolderEntry &b)
{
    return a.isDir == b.isDir && a.name == b.name;
}

bool detailsDiffer(const FolderEntry &a, const FolderEntry &b)
{
    return a.size != b.size || a.modified != b.modified;
}

// Columns whose order a change of size or date cannot move.
bool orderIgnoresDetails(const EntryOrder &order)
{
    return order.column == 0 || order.column == 2;
}

FolderDiff walk(const std::vector<FolderEntry> &before, const std::vector<FolderEntry> &after, const EntryOrder &order)
{
    FolderDiff diff;
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < before.size() && j < after.size()) {
        if (sameItem(before[i], after[j])) {
            if (detailsDiffer(before[i], after[j]))
                diff.changed.emplace_back(int(i), j);
            ++i;
            ++j;
        } else if (order(before[i], after[j])) {
            diff.removed.push_back(int(i++));
        } else {
            diff.added.push_back(j++);
        }
    }
    for (; i < before.size(); ++i)
        diff.removed.push_back(int(i));
    for (; j < after.size(); ++j)
        diff.added.push_back(j);
    return diff;
}

FolderDiff byName(const std::vector<FolderEntry> &before, const std::vector<FolderEntry> &after)
{
    QHash<QString, std::size_t> fresh;
    fresh.reserve(qsizetype(after.size()));
    for (std::size_t j = 0; j < after.size(); ++j)
        fresh.insert(after[j].name, j);
    FolderDiff diff;
    std::vector<bool> kept(after.size(), false);
    for (std::size_t i = 0; i < before.size(); ++i) {
        const auto it = fresh.constFind(before[i].name);
        if (it == fresh.constEnd() || after[*it].isDir != before[i].isDir) {
            diff.removed.push_back(int(i));
            continue;
        }
        kept[*it] = true;
        if (detailsDiffer(before[i], after[*it]))
            diff.changed.emplace_back(int(i), *it);
    }
    for (std::size_t j = 0; j < after.size(); ++j) {
        if (!kept[j])
            diff.added.push_back(j);
    }
    return diff;
}

} // namespace

FolderDiff diffFolderTakingKeys(std::vector<FolderEntry> &before, std::vector<FolderEntry> &after)
{
    FolderDiff diff;
    auto take = [&](std::size_t i, std::size_t j) {
        if (before[i].isDir != after[j].isDir)
            return false;
        std::swap(before[i].sortKey, after[j].sortKey);
        if (detailsDiffer(before[i], after[j]))
            diff.changed.emplace_back(int(i), j);
        return true;
    };
    std::size_t first = 0;
    while (
        first < before.size() && first < after.size() && before[first].name == after[first].name && take(first, first))
        ++first;
    QHash<QStringView, std::size_t> fresh;
    fresh.reserve(qsizetype(after.size() - first));
    for (std::size_t j = first; j < after.size(); ++j)
        fresh.insert(after[j].name, j);
    std::vector<bool> kept(after.size() - first, false);
    for (std::size_t i = first; i < before.size(); ++i) {
        const auto found = fresh.constFind(before[i].name);
        if (found == fresh.cend() || !take(i, *found)) {
            diff.removed.push_back(int(i));
            continue;
        }
        kept[*found - first] = true;
    }
    for (std::size_t j = first; j < after.size(); ++j) {
        if (!kept[j - first])
            diff.added.push_back(j);
    }
    return diff;
}

FolderDiff diffFolder(const std::vector<FolderEntry> &before, const std::vector<FolderEntry> &after,
    const EntryOrder &order, bool afterSorted)
{
    if (afterSorted && orderIgnoresDetails(order))
        return walk(before, after, order);
    return byName(before, after);
}

} // namespace bd
