#pragma once

#include <dirent.h>
#include <memory>
#include <unistd.h>

namespace platform {

// A file descriptor closed on every path.
class UniqueFd
{
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd)
        : m_fd(fd)
    { }
    ~UniqueFd() { reset(); }
    UniqueFd(const UniqueFd &) = delete;
    UniqueFd &operator=(const UniqueFd &) = delete;

    int get() const { return m_fd; }
    explicit operator bool() const { return m_fd >= 0; }
    // Closes what it holds, if anything, and takes fd.
    void reset(int fd = -1)
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }
    // Closes now and says whether every write made it (NFS and the like
    // report a full disk only here).
    bool close()
    {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

private:
    int m_fd = -1;
};

// A folder being listed, closed on every path.
struct DirCloser
{
    void operator()(DIR *dir) const { ::closedir(dir); }
};
using UniqueDir = std::unique_ptr<DIR, DirCloser>;

} // namespace platform
