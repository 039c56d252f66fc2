// Starts programs in turn and times each launch to its first paint: the
// first moment the X server sees the new top-level window drawn over most of
// its area (X Damage), not the moment it is mapped, which comes before any
// pixel. Runs of the programs alternate (and swap order every round), so a
// busy machine weighs on each the same. Timing from outside needs no hooks in
// the programs themselves.
#include <X11/Xlib.h>
#include <X11/extensions/Xdamage.h>
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <sys/select.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// A paint that covers less than this share of the window is a partial one
// (a caret, a late widget); the first paint fills the whole window at once.
constexpr double kFirstPaintShare = 0.5;
constexpr int kTimeoutSeconds = 10;

struct Launch
{
    double mapped = -1;
    double painted = -1;
};

struct Watched
{
    Damage damage = 0;
    bool mapped = false;
    long area = 0;
};

double since(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// One launch of argv, timed until its first top-level window is painted.
bool timeLaunch(Display *display, int damageEvent, char **argv, Launch &launch)
{
    XSync(display, True);
    std::map<Window, Watched> windows;
    const auto start = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execvp(argv[0], argv);
        _exit(127);
    }
    const int fd = ConnectionNumber(display);
    while (launch.painted < 0) {
        while (XPending(display) && launch.painted < 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == CreateNotify && !event.xcreatewindow.override_redirect
                && event.xcreatewindow.parent == DefaultRootWindow(display)) {
                // Watched from its creation, so no drawing after the map is missed.
                Watched &w = windows[event.xcreatewindow.window];
                w.damage = XDamageCreate(display, event.xcreatewindow.window, XDamageReportBoundingBox);
                w.area = long(event.xcreatewindow.width) * event.xcreatewindow.height;
            } else if (event.type == ConfigureNotify) {
                auto it = windows.find(event.xconfigure.window);
                if (it != windows.end())
                    it->second.area = long(event.xconfigure.width) * event.xconfigure.height;
            } else if (event.type == MapNotify) {
                auto it = windows.find(event.xmap.window);
                if (it != windows.end() && !it->second.mapped) {
                    it->second.mapped = true;
                    if (launch.mapped < 0)
                        launch.mapped = since(start);
                }
            } else if (event.type == damageEvent + XDamageNotify) {
                const auto &damage = reinterpret_cast<const XDamageNotifyEvent &>(event);
                auto it = windows.find(damage.drawable);
                if (it == windows.end() || !it->second.mapped)
                    continue;
                const long painted = long(damage.area.width) * damage.area.height;
                if (it->second.area > 0 && painted >= kFirstPaintShare * double(it->second.area))
                    launch.painted = since(start);
            }
        }
        if (launch.painted >= 0)
            break;
        fd_set set;
        FD_ZERO(&set);
        FD_SET(fd, &set);
        timeval timeout { kTimeoutSeconds, 0 };
        if (select(fd + 1, &set, nullptr, nullptr, &timeout) <= 0) {
            std::fprintf(stderr, "startup_timer: %s painted no window within %d s\n", argv[0], kTimeoutSeconds);
            break;
        }
    }
    kill(child, SIGTERM);
    waitpid(child, nullptr, 0);
    for (auto &[window, watched] : windows)
        XDamageDestroy(display, watched.damage);
    XSync(display, True);
    return launch.painted >= 0;
}

double percentile(std::vector<double> values, double share)
{
    std::sort(values.begin(), values.end());
    const std::size_t index = std::min(values.size() - 1, std::size_t(share * double(values.size())));
    return values[index];
}

// Splits "PROGRAM ARGS... -- PROGRAM ARGS..." into two argument vectors.
std::vector<std::vector<char *>> splitCommands(int argc, char **argv)
{
    std::vector<std::vector<char *>> commands(1);
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--") == 0) {
            commands.back().push_back(nullptr);
            commands.emplace_back();
        } else {
            commands.back().push_back(argv[i]);
        }
    }
    commands.back().push_back(nullptr);
    return commands;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 5) {
        std::fprintf(stderr, "usage: startup_timer RUNS REFERENCE [ARGS...] -- PROGRAM [ARGS...]\n");
        return 2;
    }
    const int runs = std::atoi(argv[1]);
    const auto commands = splitCommands(argc - 2, argv + 2);
    if (commands.size() != 2 || commands[0].size() < 2 || commands[1].size() < 2) {
        std::fprintf(stderr, "startup_timer: two commands separated by -- are needed\n");
        return 2;
    }
    Display *display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "startup_timer: no X display\n");
        return 2;
    }
    int damageEvent = 0;
    int damageError = 0;
    if (!XDamageQueryExtension(display, &damageEvent, &damageError)) {
        std::fprintf(stderr, "startup_timer: the X server has no DAMAGE extension\n");
        return 2;
    }
    // Windows vanish with their programs, and their damage objects with
    // them: errors about those are expected.
    XSetErrorHandler([](Display *, XErrorEvent *) { return 0; });
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);

    std::vector<double> painted[2];
    std::vector<double> mapped[2];
    for (int run = 0; run < runs; ++run) {
        for (int turn = 0; turn < 2; ++turn) {
            // Reference first in even rounds, the program first in odd ones.
            const int which = (run % 2 == 0) ? turn : 1 - turn;
            Launch launch;
            if (!timeLaunch(display, damageEvent, const_cast<char **>(commands[which].data()), launch))
                return 1;
            painted[which].push_back(launch.painted);
            mapped[which].push_back(launch.mapped);
        }
    }
    const char *names[2] = { "reference", "program" };
    for (int which = 0; which < 2; ++which) {
        std::printf("%-9s first paint median %6.1f ms  p90 %6.1f ms  (mapped at median %6.1f ms)  %s\n", names[which],
            percentile(painted[which], 0.5), percentile(painted[which], 0.9), percentile(mapped[which], 0.5),
            commands[which][0]);
    }
    const double ratio = percentile(painted[1], 0.5) / percentile(painted[0], 0.5);
    std::printf("ratio program / reference, first paint medians over %d interleaved runs each: %.2fx "
                "(target <= 1.3x)\n",
        runs, ratio);
    XCloseDisplay(display);
    return 0;
}
