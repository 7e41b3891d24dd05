// Starts a program and measures it from outside, as the system sees it. Prints
// one "key value" line per figure for tools/bench.sh.
//   launcher startup RUNS NAME=PROGRAM...   start-up time (process start to main
//                                      window shown and idle) and working set of each
//                                      program (a path, then any arguments), in turn
//   launcher idle SECONDS ROUNDS NAME=PROGRAM...
//                                      CPU share while idle, medians over the rounds: the
//                                      program named "bare" as it stands; the game and its
//                                      twin with the focus in the guess field, with About
//                                      shown (the pointer on the button, then moved off),
//                                      after a win and in the background
//   launcher soak MISSES WINS NAME=PROGRAM...
//                                      each program's working set after that many misses
//                                      and wins typed into its window from outside
#include <windows.h>

#include <psapi.h>
#include <winternl.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int GUESS_ID = 2;
constexpr int DISPLAY_ID = 9;
constexpr int MESSAGE_ID = 10;
constexpr int ABOUT_ID = 11;

double now_ms() {
    static LARGE_INTEGER frequency{};
    if (frequency.QuadPart == 0) QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

[[noreturn]] void fail(const std::string& what) {
    std::printf("failure %s\n", what.c_str());
    std::fflush(stdout);
    ExitProcess(1);
}

void figure(const char* key, double value) { std::printf("%s %.6g\n", key, value); }

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n == 0 ? 0 : (n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2);
}

// Handles this process's own messages while it waits.
void pump_for(double milliseconds) {
    const double end = now_ms() + milliseconds;
    for (double left = milliseconds; left > 0; left = end - now_ms()) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left) + 1, QS_ALLINPUT);
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    }
}

template <typename Condition>
bool wait_for(Condition condition, double milliseconds) {
    const double end = now_ms() + milliseconds;
    while (!condition()) {
        if (now_ms() > end) return false;
        pump_for(1);
    }
    return true;
}

// ---- A started program ---------------------------------------------------------------
struct Started {
    PROCESS_INFORMATION process{};
    HWND window = nullptr;
    double start_up_ms = 0;
    double start_up_cpu_ms = 0;  // the processor time it took, in the platform's clock ticks
};

double cpu_seconds(const Started& s);

struct Search {
    DWORD process_id;
    HWND found;
};

BOOL CALLBACK match_main_window(HWND window, LPARAM lparam) {
    auto* search = reinterpret_cast<Search*>(lparam);
    DWORD owner_process = 0;
    GetWindowThreadProcessId(window, &owner_process);
    const LONG style = GetWindowLongA(window, GWL_STYLE);
    if (owner_process == search->process_id && IsWindowVisible(window) && !GetWindow(window, GW_OWNER) &&
        (style & WS_CAPTION) == WS_CAPTION) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND main_window_of(DWORD process_id) {
    Search search{process_id, nullptr};
    EnumWindows(match_main_window, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// `program` is a path, optionally followed by a blank and its arguments.
Started start(const std::string& program) {
    Started s;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    const size_t end = program.rfind(".exe");
    const size_t split = end == std::string::npos ? program.size() : end + 4;
    std::string command = "\"";
    command.append(program, 0, split);
    command += '"';
    command.append(program, split);
    const double start = now_ms();
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &s.process))
        fail("cannot start " + program + " (error " + std::to_string(GetLastError()) + ")");
    if (WaitForInputIdle(s.process.hProcess, 30000) != 0) fail(program + " never became idle");
    while (!(s.window = main_window_of(s.process.dwProcessId))) {
        if (now_ms() - start > 30000) fail(program + " showed no main window");
        Sleep(1);
    }
    s.start_up_ms = now_ms() - start;
    s.start_up_cpu_ms = cpu_seconds(s) * 1000;
    return s;
}

void stop(Started& s, const std::string& program) {
    PostMessageA(s.window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(s.process.hProcess, 30000) != WAIT_OBJECT_0) fail(program + " did not end on WM_CLOSE");
    DWORD code = 1;
    GetExitCodeProcess(s.process.hProcess, &code);
    if (code != 0) fail(program + " ended with exit code " + std::to_string(code));
    CloseHandle(s.process.hThread);
    CloseHandle(s.process.hProcess);
}

double working_set_kb(HANDLE process) {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!K32GetProcessMemoryInfo(process, &counters, sizeof counters)) return 0;
    return static_cast<double>(counters.WorkingSetSize) / 1024;
}

// CPU seconds of a process. Wine answers GetProcessTimes with zeros for other
// processes; the system's process list carries the sum over its threads.
double cpu_seconds(const Started& s) {
    double listed = 0;
    std::vector<unsigned char> buffer(1 << 20);
    ULONG length = 0;
    if (NtQuerySystemInformation(SystemProcessInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &length) ==
        0) {
        size_t offset = 0;
        for (;;) {
            const auto* entry = reinterpret_cast<const SYSTEM_PROCESS_INFORMATION*>(buffer.data() + offset);
            if (reinterpret_cast<uintptr_t>(entry->UniqueProcessId) == s.process.dwProcessId) {
                // User and kernel time stand at 0x28 and 0x30 of the entry, in 100 ns units.
                int64_t user = 0, kernel = 0;
                std::memcpy(&user, buffer.data() + offset + 0x28, sizeof user);
                std::memcpy(&kernel, buffer.data() + offset + 0x30, sizeof kernel);
                listed = static_cast<double>(user + kernel) / 1e7;
                break;
            }
            if (entry->NextEntryOffset == 0) break;
            offset += entry->NextEntryOffset;
        }
    }
    FILETIME created, ended, kernel, user;
    double own = 0;
    if (GetProcessTimes(s.process.hProcess, &created, &ended, &kernel, &user)) {
        auto seconds = [](FILETIME t) {
            return static_cast<double>((static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
        };
        own = seconds(kernel) + seconds(user);
    }
    return std::max(listed, own);
}

// The CPU share of the process over `seconds`, after a second to settle.
double idle_percent(const Started& s, double seconds) {
    pump_for(1000);
    const double cpu_before = cpu_seconds(s);
    const double start = now_ms();
    pump_for(seconds * 1000);
    const double wall = (now_ms() - start) / 1000;
    return (cpu_seconds(s) - cpu_before) / wall * 100;
}

// ---- Driving the game from outside -----------------------------------------------------
std::string text_of(HWND window) {
    char text[4096] = {};
    DWORD_PTR copied = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000,
                        &copied);
    return text;
}

HWND focus_of(const Started& s) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(s.process.dwThreadId, &info);
    return info.hwndFocus;
}

void click(HWND control) {
    RECT r;
    GetWindowRect(control, &r);
    SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    INPUT clicks[2] = {};
    clicks[0].type = clicks[1].type = INPUT_MOUSE;
    clicks[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    clicks[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, clicks, sizeof(INPUT));
}

HWND own_window() {
    WNDCLASSA cls{};
    cls.lpfnWndProc = DefWindowProcA;
    cls.hInstance = GetModuleHandleA(nullptr);
    cls.lpszClassName = "LauncherElsewhere";
    RegisterClassA(&cls);
    return CreateWindowExA(0, cls.lpszClassName, "elsewhere", WS_POPUP | WS_CAPTION | WS_VISIBLE, 0, 600, 300, 100,
                           nullptr, nullptr, cls.hInstance, nullptr);
}

// Each program is NAME=PATH[ ARGUMENTS]; they take turns at going first.
void measure_startup(int runs, const std::vector<std::string>& named) {
    std::vector<std::string> names, programs;
    for (const std::string& entry : named) {
        const size_t equals = entry.find('=');
        if (equals == std::string::npos) fail("no NAME= in " + entry);
        names.push_back(entry.substr(0, equals));
        programs.push_back(entry.substr(equals + 1));
    }
    const size_t n = programs.size();
    std::vector<std::vector<double>> start_up(n), start_up_cpu(n), working_set(n);
    for (int run = -1; run < runs; ++run) {  // run -1 warms the caches and is not counted
        for (size_t k = 0; k < n; ++k) {
            const size_t which = (static_cast<size_t>(run + 1) + k) % n;
            Started s = start(programs[which]);
            pump_for(500);
            const double kb = working_set_kb(s.process.hProcess);
            stop(s, programs[which]);
            if (run < 0) continue;
            start_up[which].push_back(s.start_up_ms);
            start_up_cpu[which].push_back(s.start_up_cpu_ms);
            working_set[which].push_back(kb);
        }
    }
    figure("startup_runs", runs);
    for (size_t k = 0; k < n; ++k) {
        figure(("startup_" + names[k] + "_ms").c_str(), median(start_up[k]));
        figure(("startup_cpu_" + names[k] + "_ms").c_str(), median(start_up_cpu[k]));
        figure(("working_set_" + names[k] + "_kb").c_str(), median(working_set[k]));
    }
}

// The five idle states of a program with the game's window (the game or its
// twin), each over `seconds`, appended to `shares` in the order of IDLE_STATES.
constexpr const char* IDLE_STATES[] = {"guess_focus", "about", "about_pointer_away", "after_win", "background"};

void idle_states(const std::string& program, double seconds, std::vector<std::vector<double>>& shares) {
    Started g = start(program);
    SetForegroundWindow(g.window);
    HWND guess = GetDlgItem(g.window, GUESS_ID);
    HWND display = GetDlgItem(g.window, DISPLAY_ID);
    HWND message = GetDlgItem(g.window, MESSAGE_ID);
    HWND about = GetDlgItem(g.window, ABOUT_ID);
    if (!guess || !display || !message || !about) fail(program + ": the window's controls are missing");
    int state = 0;
    auto measure = [&] { shares[state++].push_back(idle_percent(g, seconds)); };

    click(guess);
    if (!wait_for([&] { return focus_of(g) == guess; }, 5000)) fail("the guess field did not take the focus");
    measure();

    click(about);
    if (!wait_for([&] { return text_of(display).find("Instructions") != std::string::npos; }, 5000))
        fail("About did not show its text");
    measure();
    // The pointer still rests on the button it clicked; once more with it moved off the window.
    SetCursorPos(5, 1000);
    measure();

    click(guess);
    if (!wait_for([&] { return focus_of(g) == guess; }, 5000)) fail("the guess field did not take the focus");
    for (const char c : std::string("6157")) PostMessageA(guess, WM_CHAR, static_cast<WPARAM>(c), 1);
    PostMessageA(guess, WM_KEYDOWN, VK_RETURN, 1);
    PostMessageA(guess, WM_KEYUP, VK_RETURN, static_cast<LPARAM>(0xC0000001u));
    if (!wait_for([&] { return text_of(message) == "Enter Another PIN"; }, 5000)) fail("the master code did not win");
    measure();

    HWND elsewhere = own_window();
    SetForegroundWindow(elsewhere);
    if (!wait_for([&] { return GetForegroundWindow() == elsewhere; }, 5000)) fail("the window stayed in front");
    measure();
    DestroyWindow(elsewhere);
    stop(g, program);
}

// `rounds` rounds; in each the programs take turns at going first. The program
// named "bare" is measured as it stands, the others in the five states.
void measure_idle(double seconds, int rounds, const std::vector<std::string>& named) {
    std::vector<std::string> names, programs;
    for (const std::string& entry : named) {
        const size_t equals = entry.find('=');
        if (equals == std::string::npos) fail("no NAME= in " + entry);
        names.push_back(entry.substr(0, equals));
        programs.push_back(entry.substr(equals + 1));
    }
    const size_t n = programs.size();
    std::vector<std::vector<std::vector<double>>> shares(n, std::vector<std::vector<double>>(std::size(IDLE_STATES)));
    for (int round = 0; round < rounds; ++round) {
        for (size_t k = 0; k < n; ++k) {
            const size_t which = (static_cast<size_t>(round) + k) % n;
            if (names[which] == "bare") {
                Started b = start(programs[which]);
                shares[which][0].push_back(idle_percent(b, seconds));
                stop(b, programs[which]);
            } else {
                idle_states(programs[which], seconds, shares[which]);
            }
        }
    }
    for (size_t k = 0; k < n; ++k) {
        if (names[k] == "bare") {
            figure("idle_cpu_bare_pct", median(shares[k][0]));
            continue;
        }
        for (size_t state = 0; state < std::size(IDLE_STATES); ++state)
            figure(("idle_cpu_" + names[k] + "_" + IDLE_STATES[state] + "_pct").c_str(), median(shares[k][state]));
    }
}

// ---- The soak from outside: the working set a long game leaves -------------------------
std::string typed_guess(unsigned& state) {
    for (;;) {
        state = state * 1103515245u + 12345u;
        char text[8];
        std::snprintf(text, sizeof text, "%04u", (state >> 8) % 10000);
        if (std::string(text) != "6157") return text;
    }
}

LRESULT text_length_of(HWND window) {
    DWORD_PTR length = 0;
    SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length);
    return static_cast<LRESULT>(length);
}

// Types a guess into the other program and presses Enter; returns once its
// window shows the outcome (`win`: the message asks for another PIN; a miss:
// the display's text has changed). A guess that happens to be the PIN wins.
void play(const Started& s, HWND guess, HWND display, HWND message, const std::string& text) {
    for (const char c : text) PostMessageA(guess, WM_CHAR, static_cast<WPARAM>(c), 1);
    if (!wait_for([&] { return text_of(guess) == text; }, 5000)) fail("the guess " + text + " was not typed");
    const LRESULT before = text_length_of(display);
    PostMessageA(guess, WM_KEYDOWN, VK_RETURN, 1);
    PostMessageA(guess, WM_KEYUP, VK_RETURN, static_cast<LPARAM>(0xC0000001u));
    if (!wait_for([&] { return text_of(message) == "Enter Another PIN" || text_length_of(display) != before; }, 5000))
        fail("the guess " + text + " had no outcome");
    (void)s;
}

// Each program in turn: started, `misses` misses and `wins` wins typed in (in
// games of misses / wins misses and one win), then its working set.
void measure_soak(int misses, int wins, const std::vector<std::string>& named) {
    for (const std::string& entry : named) {
        const size_t equals = entry.find('=');
        if (equals == std::string::npos) fail("no NAME= in " + entry);
        const std::string name = entry.substr(0, equals), program = entry.substr(equals + 1);
        Started g = start(program);
        SetForegroundWindow(g.window);
        HWND guess = GetDlgItem(g.window, GUESS_ID);
        HWND display = GetDlgItem(g.window, DISPLAY_ID);
        HWND message = GetDlgItem(g.window, MESSAGE_ID);
        if (!guess || !display || !message) fail(program + ": the window's controls are missing");
        click(guess);
        if (!wait_for([&] { return focus_of(g) == guess; }, 5000)) fail("the guess field did not take the focus");
        const double start_ms = now_ms();
        const int per_game = std::max(1, misses / std::max(1, wins));
        unsigned state = 11;
        for (int played = 0, won = 0; played < misses || won < wins;) {
            for (int i = 0; i < per_game && played < misses; ++i, ++played)
                play(g, guess, display, message, typed_guess(state));
            if (won < wins) {
                play(g, guess, display, message, "6157");
                ++won;
            }
        }
        pump_for(500);
        figure(("soak_outside_" + name + "_seconds").c_str(), (now_ms() - start_ms) / 1000);
        figure(("working_set_after_soak_" + name + "_kb").c_str(), working_set_kb(g.process.hProcess));
        stop(g, program);
    }
}

}  // namespace

int main(int argc, char** argv) {
    setvbuf(stdout, nullptr, _IONBF, 0);
    const std::string what = argc > 1 ? argv[1] : "";
    if (argc >= 4 && what == "startup") {
        measure_startup(std::max(1, std::atoi(argv[2])), std::vector<std::string>(argv + 3, argv + argc));
    } else if (argc >= 5 && what == "idle") {
        measure_idle(std::atof(argv[2]), std::max(1, std::atoi(argv[3])),
                     std::vector<std::string>(argv + 4, argv + argc));
    } else if (argc >= 5 && what == "soak") {
        measure_soak(std::atoi(argv[2]), std::atoi(argv[3]), std::vector<std::string>(argv + 4, argv + argc));
    } else {
        std::fprintf(stderr,
                     "usage: launcher startup RUNS NAME=PROGRAM... | idle SECONDS ROUNDS NAME=PROGRAM... |"
                     " soak MISSES WINS NAME=PROGRAM...\n");
        return 2;
    }
    return 0;
}
