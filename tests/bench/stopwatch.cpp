// Times a program from outside, as a player meets it, on an X display. The program starts with a mark in
// its environment that every process it starts inherits (Wine's server and services too): those are the
// run. The window counts as shown when the X server maps a top-level window of the title; the run as
// idle at the last 5 ms poll in which its processes and the X server together ran 0.25 ms or more, once
// 100 ms have passed without one (the kernel's run times, /proc/PID/task/TID/schedstat; below 0.25 ms lie
// the ticks Wine's server keeps up while the game waits). Then: the run's resident and proportional memory
// (smaps_rollup), its processor share while nothing happens, and Enter in the guess field (typed through XTEST; a miss)
// to idle again.
//   stopwatch XSERVER_PID TITLE FIELD_X FIELD_Y MISSES IDLE_SECONDS -- COMMAND...
// FIELD_X, FIELD_Y: the guess field's centre in the 660 x 300 client area (96 dots per inch), which lies
// at the bottom of the window, centred across. MISSES and IDLE_SECONDS 0 leave those figures out. Prints
// "key value" lines; exits 1 when no window showed.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <string>
#include <vector>

namespace {

std::string mark;  // "\0TAVEK_BENCH_RUN=<our pid>\0"
std::vector<int> run;
int xserver;

double now_ms() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

std::string slurp(const std::string& path) {
    std::string text;
    const int fd = open(path.c_str(), O_RDONLY);
    if (fd < 0) return text;
    char buffer[4096];
    for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;) text.append(buffer, static_cast<size_t>(n));
    close(fd);
    return text;
}

void find_run() {
    run.clear();
    DIR* proc = opendir("/proc");
    while (dirent* entry = readdir(proc)) {
        const int pid = atoi(entry->d_name);
        std::string environment(1, '\0');
        if (pid > 0) environment += slurp("/proc/" + std::to_string(pid) + "/environ");
        if (environment.find(mark) != std::string::npos) run.push_back(pid);
    }
    closedir(proc);
}

// Nanoseconds the process's threads have run.
long long ran_ns(int pid) {
    long long sum = 0;
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task/";
    if (DIR* dir = opendir(tasks.c_str())) {
        while (dirent* entry = readdir(dir))
            if (entry->d_name[0] != '.') sum += atoll(slurp(tasks + entry->d_name + "/schedstat").c_str());
        closedir(dir);
    }
    return sum;
}

// Run time since the last call, in ms, of the run (and the X server): processes new since count whole.
std::map<int, long long> seen;
double ran_since(bool with_x) {
    long long grown = 0;
    std::vector<int> pids = run;
    if (with_x) pids.push_back(xserver);
    for (const int pid : pids) {
        const long long now = ran_ns(pid);
        grown += std::max(0LL, now - seen[pid]);
        seen[pid] = now;
    }
    return static_cast<double>(grown) / 1e6;
}

// The end of the run's activity from now on: the last poll in which it (with the X server) ran 0.25 ms or
// more, once 100 ms have passed without one. A process new to the run counts as activity.
double wait_idle() {
    find_run();
    ran_since(true);
    double active = now_ms();
    for (int polls = 1;; ++polls) {
        usleep(5000);
        if (polls % 20 == 0) find_run();
        const double t = now_ms();
        if (ran_since(true) >= 0.25)
            active = t;
        else if (t - active >= 100)
            return active;
    }
}

void print_memory(const char* when) {
    find_run();
    long rss = 0, pss = 0;
    for (const int pid : run) {
        const std::string rollup = slurp("/proc/" + std::to_string(pid) + "/smaps_rollup");
        const size_t r = rollup.find("\nRss:"), p = rollup.find("\nPss:");
        if (r != std::string::npos) rss += atol(rollup.c_str() + r + 5);
        if (p != std::string::npos) pss += atol(rollup.c_str() + p + 5);
    }
    printf("processes_%s %zu\nrss_%s_kb %ld\npss_%s_kb %ld\n", when, run.size(), when, rss, when, pss);
}

void print_idle_cpu(const char* when, int seconds) {
    find_run();
    ran_since(false);
    sleep(static_cast<unsigned>(seconds));
    find_run();
    printf("idle_cpu_%s_pct %.3f\n", when, ran_since(false) / (seconds * 10.0));
}

Window wait_shown(Display* x, const char* title, pid_t child) {
    for (const double deadline = now_ms() + 300000; now_ms() < deadline;) {
        while (XPending(x)) {
            XEvent event;
            XNextEvent(x, &event);
            char* name = nullptr;
            if (event.type == MapNotify && XFetchName(x, event.xmap.window, &name) && name) {
                const bool ours = strcmp(name, title) == 0;
                XFree(name);
                if (ours) return event.xmap.window;
            }
        }
        if (waitpid(child, nullptr, WNOHANG) == child) return 0;
        pollfd fd{ConnectionNumber(x), POLLIN, 0};
        poll(&fd, 1, 50);
    }
    return 0;
}

void key(Display* x, KeySym symbol) {
    const KeyCode code = XKeysymToKeycode(x, symbol);
    XTestFakeKeyEvent(x, code, True, 0);
    XTestFakeKeyEvent(x, code, False, 0);
    XFlush(x);
}

}  // namespace

int main(int argc, char** argv) {
    Display* x = XOpenDisplay(nullptr);
    if (argc < 9 || strcmp(argv[7], "--") != 0 || !x) {
        fprintf(stderr, "usage: stopwatch XSERVER_PID TITLE FIELD_X FIELD_Y MISSES IDLE_SECONDS -- COMMAND...\n");
        return 2;
    }
    xserver = atoi(argv[1]);
    const int misses = atoi(argv[5]), idle_seconds = atoi(argv[6]);
    XSelectInput(x, DefaultRootWindow(x), SubstructureNotifyMask);
    XSync(x, False);
    std::string variable = "TAVEK_BENCH_RUN=" + std::to_string(getpid());
    mark = std::string(1, '\0') + variable + std::string(1, '\0');
    const double start = now_ms();
    const pid_t child = fork();
    if (child == 0) {
        putenv(variable.data());
        execvp(argv[8], argv + 8);
        _exit(127);
    }
    const Window window = wait_shown(x, argv[2], child);
    if (!window) {
        printf("failure no window \"%s\" showed\n", argv[2]);
        kill(child, SIGKILL);
        return 1;
    }
    printf("shown_ms %.1f\n", now_ms() - start);
    printf("idle_ms %.1f\n", wait_idle() - start);
    print_memory("start");
    if (idle_seconds > 0) print_idle_cpu("start", idle_seconds);
    if (misses > 0) {
        XWindowAttributes a;
        XGetWindowAttributes(x, window, &a);
        int left = 0, top = 0;
        Window unused;
        XTranslateCoordinates(x, window, DefaultRootWindow(x), 0, 0, &left, &top, &unused);
        const int border = (a.width - 660) / 2;
        XTestFakeMotionEvent(x, -1, left + border + atoi(argv[3]), top + a.height - 300 - border + atoi(argv[4]), 0);
        XTestFakeButtonEvent(x, 1, True, 0);
        XTestFakeButtonEvent(x, 1, False, 0);
        XFlush(x);
        wait_idle();
        std::vector<double> times;
        for (int i = 0; i < misses; ++i) {
            for (const KeySym digit : {XK_1, XK_2, XK_3, XK_4}) {
                key(x, digit);
                wait_idle();
            }
            const double sent = now_ms();
            key(x, XK_Return);
            times.push_back(wait_idle() - sent);
        }
        std::sort(times.begin(), times.end());
        printf("miss_median_ms %.1f\nmiss_max_ms %.1f\n", times[times.size() / 2], times.back());
        print_memory("played");
        if (idle_seconds > 0) print_idle_cpu("focus", idle_seconds);
    }
    kill(child, SIGTERM);
    for (int i = 0; i < 100 && waitpid(child, nullptr, WNOHANG) == 0; ++i) usleep(50000);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    return 0;
}
