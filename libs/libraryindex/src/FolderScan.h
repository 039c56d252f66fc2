#pragma once

#include "AudioPatterns.h"

#include <QString>
#include <QStringList>

#include <ctime>
#include <memory>
#include <optional>
#include <vector>

namespace platform {
class UniqueFd;
}

namespace libraryindex {

struct ScannedFile
{
    QString name;
    qint64 size = 0;
    qint64 modified = 0; // milliseconds since the epoch
};

// What tells a folder's listing unchanged: any name added, removed or
// renamed in it changes its modification time, and a folder put in the place
// of another has another inode.
struct FolderStamp
{
    qint64 device = 0;
    qint64 inode = 0;
    qint64 modifiedNs = 0;
    bool operator==(const FolderStamp &other) const = default;
};

// One folder as read now: its audio files and the names of its subfolders.
struct FolderUpdate
{
    QString path;
    FolderStamp stamp;
    std::vector<ScannedFile> files;
    QStringList subfolders;
};

// A file time as the browser keeps it: milliseconds since the epoch.
inline qint64 millisecondsOf(const struct timespec &time)
{
    return qint64(time.tv_sec) * 1000 + time.tv_nsec / 1000000;
}

inline QString childPath(const QString &folder, const QString &name)
{
    if (folder.endsWith(QLatin1Char('/')))
        return folder + name;
    return folder + QLatin1Char('/') + name;
}

// A folder opened by descriptor, below its parent's descriptor, without
// following a link: a symlinked folder is never entered, so a link loop
// cannot make the walk grow. nullptr when it cannot be opened.
std::shared_ptr<platform::UniqueFd> openFolder(int parentFd, const QString &name);
std::optional<FolderStamp> stampOf(int folderFd);

// Reads the folder's entries: files that match the patterns (regular files,
// and links to regular files) with their size and time, and subfolders.
// Names that are not valid UTF-8 are passed over. False when the folder
// cannot be read.
bool readFolder(int folderFd, const AudioPatterns &patterns, FolderUpdate &update);

} // namespace libraryindex
