// Starts a program and prints the milliseconds until the X server maps its
// first top-level window, then ends the program. Timing from outside needs
// no hooks in the program itself.
#include <X11/Xlib.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <sys/select.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

int main(int argc, char **argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: startup_timer RUNS PROGRAM [ARGS...]\n");
        return 2;
    }
    const int runs = std::atoi(argv[1]);
    Display *display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "startup_timer: no X display\n");
        return 2;
    }
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        XSync(display, True);
        const auto start = std::chrono::steady_clock::now();
        const pid_t child = fork();
        if (child == 0) {
            execvp(argv[2], argv + 2);
            _exit(127);
        }
        double elapsed = -1;
        const int fd = ConnectionNumber(display);
        while (elapsed < 0) {
            while (XPending(display)) {
                XEvent event;
                XNextEvent(display, &event);
                if (event.type == MapNotify && !event.xmap.override_redirect) {
                    elapsed = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
                    break;
                }
            }
            if (elapsed >= 0)
                break;
            fd_set set;
            FD_ZERO(&set);
            FD_SET(fd, &set);
            timeval timeout{10, 0};
            if (select(fd + 1, &set, nullptr, nullptr, &timeout) <= 0) {
                std::fprintf(stderr, "startup_timer: no window within 10 s\n");
                kill(child, SIGKILL);
                waitpid(child, nullptr, 0);
                return 1;
            }
        }
        kill(child, SIGTERM);
        waitpid(child, nullptr, 0);
        times.push_back(elapsed);
    }
    std::sort(times.begin(), times.end());
    std::printf("runs %zu  min %.1f ms  median %.1f ms  max %.1f ms\n", times.size(), times.front(),
                times[times.size() / 2], times.back());
    XCloseDisplay(display);
    return 0;
}
