// Start-up benchmark: starts a program on an X display, measures the time
// until its first top-level window is mapped, closes it as a window manager
// would (WM_DELETE_WINDOW), and reads the program's peak resident memory.
//
//   startup_probe RUNS BASELINE PROGRAM...
//
// Runs the programs in turn, RUNS rounds, and prints each one's medians and
// their ratios to the baseline's. Needs DISPLAY (run it under xvfb-run).
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <poll.h>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Sample {
    double startMs;
    long peakKb;
};

bool waitForMap(Display* display, Clock::time_point deadline, Window& mapped) {
    const int fd = ConnectionNumber(display);
    while (Clock::now() < deadline) {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == MapNotify) {
                mapped = event.xmap.window;
                return true;
            }
        }
        pollfd p{fd, POLLIN, 0};
        poll(&p, 1, 10);
    }
    return false;
}

void closeWindow(Display* display, Window window) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
}

Sample runOnce(Display* display, const char* program) {
    const Clock::time_point start = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        execl(program, program, static_cast<char*>(nullptr));
        _exit(127);
    }
    Window mapped = 0;
    if (!waitForMap(display, start + std::chrono::seconds(30), mapped)) {
        kill(pid, SIGKILL);
        std::fprintf(stderr, "%s showed no window\n", program);
        std::exit(1);
    }
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    closeWindow(display, mapped);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s did not end with status 0\n", program);
        std::exit(1);
    }
    return {ms, usage.ru_maxrss};
}

template <class T>
T median(std::vector<T> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s RUNS BASELINE PROGRAM...\n", argv[0]);
        return 2;
    }
    const int runs = std::max(1, std::atoi(argv[1]));
    const int programs = argc - 2;
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "no X display\n");
        return 1;
    }
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);

    std::vector<std::vector<double>> times(static_cast<std::size_t>(programs));
    std::vector<std::vector<long>> peaks(static_cast<std::size_t>(programs));
    for (int p = 0; p < programs; ++p)
        runOnce(display, argv[2 + p]);  // warm the file cache
    for (int i = 0; i < runs; ++i) {
        for (int p = 0; p < programs; ++p) {
            const Sample sample = runOnce(display, argv[2 + p]);
            times[static_cast<std::size_t>(p)].push_back(sample.startMs);
            peaks[static_cast<std::size_t>(p)].push_back(sample.peakKb);
        }
    }
    const double baseTime = median(times[0]);
    const double basePeak = static_cast<double>(median(peaks[0]));
    std::printf("%d runs each; medians; ratios to %s\n", runs, argv[2]);
    std::printf("%-40s %12s %8s %14s %8s\n", "program", "start-up ms", "ratio", "peak RSS KiB", "ratio");
    for (int p = 0; p < programs; ++p) {
        const double t = median(times[static_cast<std::size_t>(p)]);
        const long m = median(peaks[static_cast<std::size_t>(p)]);
        std::printf("%-40s %12.1f %8.2f %14ld %8.2f\n", argv[2 + p], t, t / baseTime, m,
                    static_cast<double>(m) / basePeak);
    }
    XCloseDisplay(display);
    return 0;
}
