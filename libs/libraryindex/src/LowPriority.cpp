#include "LowPriority.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace libraryindex {
namespace {

// From linux/ioprio.h, which glibc does not wrap.
constexpr int kIoprioWhoProcess = 1;
constexpr int kIoprioClassShift = 13;
constexpr int kIoprioClassBestEffort = 2;
constexpr int kIoprioClassIdle = 3;
constexpr int kIoprioLowestLevel = 7;

// Niceness of the two kinds of work: a search stays ahead of the writer.
constexpr int kSearchNice = 10;
constexpr int kBackgroundNice = 19;

} // namespace

void lowerThisThreadPriority(ThreadWork work)
{
    const auto thread = pid_t(::syscall(SYS_gettid));
    // On Linux both apply to one thread when given its id.
    (void)::setpriority(PRIO_PROCESS, id_t(thread), work == ThreadWork::Search ? kSearchNice : kBackgroundNice);
    const int ioClass = work == ThreadWork::Search ? kIoprioClassBestEffort : kIoprioClassIdle;
    const int level = work == ThreadWork::Search ? kIoprioLowestLevel : 0;
    (void)::syscall(SYS_ioprio_set, kIoprioWhoProcess, thread, (ioClass << kIoprioClassShift) | level);
}

} // namespace libraryindex
