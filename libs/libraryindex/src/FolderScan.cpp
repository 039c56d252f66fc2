#include "FolderScan.h"

#include "platform/UniqueFd.h"

#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace libraryindex {
namespace {

// Names that are not UTF-8 cannot be shown or stored as text; they are
// passed over, as the browser's listing passes them over.
bool decodeName(const char *raw, QString &name)
{
    const QByteArrayView bytes(raw, qsizetype(std::strlen(raw)));
    if (!bytes.isValidUtf8())
        return false;
    name = QString::fromUtf8(bytes);
    return true;
}

} // namespace

std::shared_ptr<platform::UniqueFd> openFolder(int parentFd, const QString &name)
{
    const QByteArray encoded = name.toUtf8();
    const int fd = ::openat(parentFd, encoded.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    return std::make_shared<platform::UniqueFd>(fd);
}

std::optional<FolderStamp> stampOf(int folderFd)
{
    struct stat info
    {
    };
    if (::fstat(folderFd, &info) != 0)
        return std::nullopt;
    return FolderStamp { qint64(info.st_dev), qint64(info.st_ino),
        qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec };
}

bool readFolder(int folderFd, const AudioPatterns &patterns, FolderUpdate &update)
{
    // The listing reads through its own descriptor: closedir closes it,
    // and the caller's stays open for the subfolders below.
    const int listFd = ::dup(folderFd);
    if (listFd < 0)
        return false;
    platform::UniqueDir dir(::fdopendir(listFd));
    if (!dir) {
        ::close(listFd);
        return false;
    }
    QString name;
    while (const dirent *entry = ::readdir(dir.get())) {
        const char *raw = entry->d_name;
        if (raw[0] == '.' && (raw[1] == 0 || (raw[1] == '.' && raw[2] == 0)))
            continue;
        const unsigned char type = entry->d_type;
        if (type == DT_DIR) {
            if (decodeName(raw, name))
                update.subfolders.append(name);
            continue;
        }
        if (type != DT_UNKNOWN && !patterns.matches(raw))
            continue;
        struct stat info
        {
        };
        // A link counts as what it points to, but only for files: a linked
        // folder is never walked into.
        const int flags = type == DT_LNK ? 0 : AT_SYMLINK_NOFOLLOW;
        if (::fstatat(folderFd, raw, &info, flags) != 0)
            continue;
        const bool isFolder = S_ISDIR(info.st_mode) && type != DT_LNK;
        if (!isFolder && !(S_ISREG(info.st_mode) && patterns.matches(raw)))
            continue;
        if (!decodeName(raw, name))
            continue;
        if (isFolder)
            update.subfolders.append(name);
        else
            update.files.push_back(ScannedFile { name, qint64(info.st_size), millisecondsOf(info.st_mtim) });
    }
    return true;
}

} // namespace libraryindex
