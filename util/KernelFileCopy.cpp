#include "util/KernelFileCopy.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

// The kernel says this pair of files cannot be copied inside it: across
// file systems (EXDEV), a file system without the call or with files it
// refuses (EINVAL, EOPNOTSUPP), an old kernel (ENOSYS), an output opened for
// appending (EBADF).
bool meansUnsupported(int error)
{
    return error == EXDEV || error == EINVAL || error == ENOSYS || error == EOPNOTSUPP || error == ENOTSUP
        || error == EBADF;
}

} // namespace

KernelCopyResult KernelCopyFile(int from, int to, const std::function<bool(qint64)> &onChunk, qint64 chunk)
{
    KernelCopyResult result;
    for (;;) {
        const ssize_t n = ::copy_file_range(from, nullptr, to, nullptr, size_t(chunk), 0);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            result.error = errno;
            result.status = result.copied == 0 && meansUnsupported(errno) ? KernelCopyStatus::Unsupported
                                                                          : KernelCopyStatus::Failed;
            return result;
        }
        if (n == 0) {
            // The end of the file. At its very start it may also be a file
            // whose data this call cannot see (virtual files report no size
            // and hand out nothing here): reading it in user space costs
            // nothing for an empty file and gets the content of the others.
            if (result.copied == 0)
                result.status = KernelCopyStatus::Unsupported;
            return result;
        }
        result.copied += n;
        if (onChunk && !onChunk(result.copied)) {
            result.status = KernelCopyStatus::Stopped;
            return result;
        }
    }
}

PlaceResult PlaceWithoutReplacing(const char *from, const char *to, PlaceMethod method)
{
    if (method == PlaceMethod::Rename) {
        if (::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0)
            return {};
        if (errno == EEXIST)
            return { PlaceStatus::Exists, errno };
        // The flag is the file system's to support (some FUSE and network
        // file systems do not) or the kernel's (before 3.15).
        if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
            return { PlaceStatus::Failed, errno };
    }
    if (::link(from, to) != 0) {
        const int error = errno;
        if (error == EEXIST)
            return { PlaceStatus::Exists, error };
        if (error == EPERM || error == EOPNOTSUPP || error == ENOSYS)
            return { PlaceStatus::Unsupported, error };
        return { PlaceStatus::Failed, error };
    }
    if (::unlink(from) != 0) {
        // Both names would stay: take the new one back so that the caller
        // sees the state it started from.
        const int error = errno;
        ::unlink(to);
        return { PlaceStatus::Failed, error };
    }
    return {};
}
