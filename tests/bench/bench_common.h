#pragma once
// What the in-process benchmark programs share (bench_game for the game, the
// twin for itself): figures as "key value" lines, the timing of one Enter, and
// a count of the messages one Enter costs.
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace bench {

inline double now_ms() {
    static LARGE_INTEGER frequency{};
    if (frequency.QuadPart == 0) QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

inline void figure(const char* key, double value) { std::printf("%s %.6g\n", key, value); }

[[noreturn]] inline void fail(const std::string& what) {
    std::printf("failure %s\n", what.c_str());
    std::fflush(stdout);
    ExitProcess(1);
}

inline double percentile(std::vector<double> values, double p) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const size_t index = static_cast<size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
    return values[std::min(index, values.size() - 1)];
}

inline size_t working_set_bytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!K32GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return 0;
    return counters.WorkingSetSize;
}

// Milliseconds this thread has run on a processor, from the Linux kernel's
// scheduler figures (to the nanosecond, and blind to the other programs that
// share the machine); 0 where they cannot be read.
inline double thread_cpu_ms() {
    static HANDLE file = CreateFileA("Z:\\proc\\thread-self\\schedstat", GENERIC_READ,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    char text[128] = {};
    DWORD got = 0;
    SetFilePointer(file, 0, nullptr, FILE_BEGIN);
    if (!ReadFile(file, text, sizeof text - 1, &got, nullptr)) return 0;
    return static_cast<double>(std::strtoull(text, nullptr, 10)) / 1e6;
}

// The next guess of a fixed sequence that is neither `pin` nor the master code.
inline std::string missing_guess(unsigned& state, const std::string& pin) {
    for (;;) {
        state = state * 1103515245u + 12345u;
        char text[8];
        std::snprintf(text, sizeof text, "%04u", (state >> 8) % 10000);
        if (text != pin && std::string(text) != "6157") return text;
    }
}

// One Enter: from the key posted to the guess field until `done` holds after a
// pass (the fields written), and until the loop next finds no message waiting
// (every repaint the writes caused has run).
struct Handled {
    double written_ms;
    double idle_ms;
    double cpu_ms;  // this thread's processor time from the key posted until idle
};

// `pass` handles at most one message and returns false when none was waiting.
template <typename Pass, typename Done>
Handled time_enter(HWND guess, Pass pass, Done done) {
    const double cpu_start = thread_cpu_ms();
    const double start = now_ms();
    PostMessageA(guess, WM_KEYDOWN, VK_RETURN, 1);
    Handled h{-1, -1, 0};
    for (int passes = 0; passes < 5000; ++passes) {
        const bool busy = pass();
        if (h.written_ms < 0 && done()) h.written_ms = now_ms() - start;
        if (h.written_ms >= 0 && !busy) {
            h.idle_ms = now_ms() - start;
            h.cpu_ms = thread_cpu_ms() - cpu_start;
            return h;
        }
    }
    fail("an Enter was not handled within 5000 passes");
}

// Messages of this thread while counting is on: those taken from the queue
// (WM_PAINT among them) and those sent to a window procedure.
struct MessageCount {
    long taken = 0, sent = 0, paints = 0, erases = 0, set_texts = 0;
    long questions = 0;  // window properties, active window and key states asked for (game only)
    MessageCount& operator+=(const MessageCount& o) {
        taken += o.taken, sent += o.sent, paints += o.paints, erases += o.erases, set_texts += o.set_texts;
        questions += o.questions;
        return *this;
    }
};

inline MessageCount counted_messages;
inline HHOOK taken_hook, sent_hook;

inline LRESULT CALLBACK count_taken(int code, WPARAM wparam, LPARAM lparam) {
    if (code == HC_ACTION && wparam == PM_REMOVE) {
        ++counted_messages.taken;
        if (reinterpret_cast<const MSG*>(lparam)->message == WM_PAINT) ++counted_messages.paints;
    }
    return CallNextHookEx(taken_hook, code, wparam, lparam);
}

inline LRESULT CALLBACK count_sent(int code, WPARAM wparam, LPARAM lparam) {
    if (code == HC_ACTION) {
        ++counted_messages.sent;
        const UINT message = reinterpret_cast<const CWPSTRUCT*>(lparam)->message;
        if (message == WM_ERASEBKGND) ++counted_messages.erases;
        if (message == WM_SETTEXT) ++counted_messages.set_texts;
    }
    return CallNextHookEx(sent_hook, code, wparam, lparam);
}

inline void start_counting() {
    counted_messages = MessageCount{};
    taken_hook = SetWindowsHookExA(WH_GETMESSAGE, count_taken, nullptr, GetCurrentThreadId());
    sent_hook = SetWindowsHookExA(WH_CALLWNDPROC, count_sent, nullptr, GetCurrentThreadId());
}

inline MessageCount stop_counting() {
    UnhookWindowsHookEx(taken_hook);
    UnhookWindowsHookEx(sent_hook);
    return counted_messages;
}

// The mean per Enter of `count`, gathered over `enters` Enters.
inline void report_count(const std::string& prefix, const MessageCount& count, int enters) {
    const double n = enters;
    figure((prefix + "_messages_taken").c_str(), static_cast<double>(count.taken) / n);
    figure((prefix + "_messages_sent").c_str(), static_cast<double>(count.sent) / n);
    figure((prefix + "_paints").c_str(), static_cast<double>(count.paints) / n);
    figure((prefix + "_erases").c_str(), static_cast<double>(count.erases) / n);
    figure((prefix + "_set_texts").c_str(), static_cast<double>(count.set_texts) / n);
    figure((prefix + "_server_questions").c_str(), static_cast<double>(count.questions) / n);
}

}  // namespace bench
