#include "DirectoryWatch.h"

#include <QFile>
#include <QSocketNotifier>

#include <cerrno>
#include <sys/inotify.h>
#include <unistd.h>

namespace bd {

namespace {

constexpr std::uint32_t kMask = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_CLOSE_WRITE | IN_ATTRIB
    | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

} // namespace

DirectoryWatch::DirectoryWatch(Changed changed)
    : m_changed(std::move(changed))
{ }

DirectoryWatch::~DirectoryWatch()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

void DirectoryWatch::watch(const QString &folder)
{
    if (folder == m_folder && m_wd >= 0)
        return;
    if (m_fd < 0) {
        m_fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (m_fd < 0)
            return; // no live refresh, everything else works
        m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, &DirectoryWatch::readEvents);
    }
    const int previous = m_wd;
    m_wd = folder.isEmpty() ? -1 : inotify_add_watch(m_fd, QFile::encodeName(folder).constData(), kMask);
    // Removed after the add: the same folder again gives back the same watch.
    if (previous >= 0 && previous != m_wd)
        inotify_rm_watch(m_fd, previous);
    m_folder = m_wd >= 0 ? folder : QString();
}

void DirectoryWatch::readEvents()
{
    alignas(inotify_event) char buffer[16 * 1024];
    bool relevant = false;
    for (;;) {
        const ssize_t length = ::read(m_fd, buffer, sizeof buffer);
        if (length <= 0)
            break;
        for (ssize_t offset = 0; offset < length;) {
            const auto *event = reinterpret_cast<const inotify_event *>(buffer + offset);
            if (event->wd == m_wd && m_wd >= 0 && !(event->mask & IN_IGNORED))
                relevant = true;
            offset += ssize_t(sizeof(inotify_event) + event->len);
        }
    }
    if (relevant && m_changed)
        m_changed(m_folder);
}

} // namespace bd
