#pragma once

#include "FolderScan.h"
#include "libraryindex/FileProperties.h"

#include <variant>

namespace libraryindex {

// A folder or everything below it is gone.
struct RemovedTree
{
    QString path;
};
// A file's size or time changed without its folder's listing changing.
struct ChangedFile
{
    QString folder;
    ScannedFile file;
};
struct PropertiesRead
{
    QString folder;
    ScannedFile file;
    FileProperties properties;
};

// Everything a search posted before this is written once it is.
struct SearchSaved
{
    quint64 generation = 0;
};

using WriteOperation = std::variant<FolderUpdate, RemovedTree, ChangedFile, PropertiesRead, SearchSaved>;

} // namespace libraryindex
