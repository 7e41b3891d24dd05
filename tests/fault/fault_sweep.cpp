// Runs fault-run once with nothing refused, to learn how often a run makes each
// refusable call, then once per chosen (call, N): every N with --all, the first
// four, every fourth and the last with --sample. Each run must end by itself within the bound
// with exit code 0, or 1 when start-up could not build the main window, and
// leave no more GDI and USER objects than the run without a fault. Prints one
// table line per call and one line per bad run; exit code 0 when none was bad.
//   fault-sweep --all | --sample
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "fault_calls.h"

namespace {

constexpr DWORD RUN_BOUND_MS = 60000;

struct Run {
    DWORD exit_code = 0;
    bool timed_out = false;
    bool reported = false;  // the run wrote its result line
    int calls[FAULT_CALL_COUNT] = {};
    long gdi_left = 0, user_left = 0;
    int judged = -1;  // misses and balls counted since the win: 1 when the whole script was played
};

std::string program_beside_this_one(const char* name) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string folder(path);
    folder.erase(folder.find_last_of("\\/") + 1);
    return folder + name;
}

Run run_once(int call, int n) {
    static const std::string program = program_beside_this_one("fault-run.exe");
    char folder[MAX_PATH] = {}, file[MAX_PATH] = {};
    GetTempPathA(sizeof folder, folder);
    GetTempFileNameA(folder, "flt", 0, file);
    std::string command = "\"" + program + "\" " + std::to_string(call) + " " + std::to_string(n) + " \"" + file + "\"";
    Run run;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        run.exit_code = static_cast<DWORD>(-1);
        return run;
    }
    if (WaitForSingleObject(process.hProcess, RUN_BOUND_MS) != WAIT_OBJECT_0) {
        run.timed_out = true;
        TerminateProcess(process.hProcess, 99);
        WaitForSingleObject(process.hProcess, INFINITE);
    }
    GetExitCodeProcess(process.hProcess, &run.exit_code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    if (FILE* in = std::fopen(file, "r")) {
        int code = 0;
        run.reported = std::fscanf(in, "%d", &code) == 1;
        for (int& count : run.calls) run.reported = run.reported && std::fscanf(in, "%d", &count) == 1;
        run.reported = run.reported && std::fscanf(in, "%ld %ld %d", &run.gdi_left, &run.user_left, &run.judged) == 3;
        std::fclose(in);
    }
    DeleteFileA(file);
    return run;
}

struct Tally {
    int points = 0, runs = 0, crashes = 0, hangs = 0, leaks = 0, refused = 0;
};

}  // namespace

int main(int argc, char** argv) {
    const bool sample = argc > 1 && std::strcmp(argv[1], "--sample") == 0;
    const bool all = argc > 1 && std::strcmp(argv[1], "--all") == 0;
    if (!sample && !all) {
        std::printf("usage: fault-sweep --all | --sample\n");
        return 2;
    }
    const DWORD started = GetTickCount();
    const Run clean = run_once(-1, 0);
    if (clean.exit_code != 0 || !clean.reported || clean.judged != 1) {
        std::printf("the run without a fault failed: exit code %lu\n", clean.exit_code);
        return 1;
    }
    std::printf("run without a fault: %ld GDI and %ld USER objects left after shut-down\n", clean.gdi_left,
                clean.user_left);

    Tally total;
    std::vector<std::string> bad;
    std::printf("%-24s %7s %5s %8s %6s %6s %14s\n", "call", "points", "runs", "crashes", "hangs", "leaks",
                "start refused");
    for (int call = 0; call < FAULT_CALL_COUNT; ++call) {
        Tally tally;
        tally.points = clean.calls[call];
        std::vector<int> points;
        if (all) {
            for (int n = 1; n <= tally.points; ++n) points.push_back(n);
        } else if (tally.points > 0) {
            // The first four, every fourth and the last.
            for (int n = 1; n <= tally.points; ++n)
                if (n <= 4 || n % 4 == 0 || n == tally.points) points.push_back(n);
        }
        for (int n : points) {
            const Run run = run_once(call, n);
            ++tally.runs;
            tally.refused += run.exit_code == 1;
            const std::string where = std::string(FAULT_CALLS[call]) + " #" + std::to_string(n) + ": ";
            if (run.timed_out || run.exit_code == RUN_DID_NOT_CLOSE) {
                ++tally.hangs;
                bad.push_back(where + (run.timed_out ? "no end within the bound" : "the close request did not end it"));
            } else if ((run.exit_code != 0 && run.exit_code != 1) || !run.reported) {
                ++tally.crashes;
                char code[16];
                std::snprintf(code, sizeof code, "%08lx", run.exit_code);
                bad.push_back(where + "exit code " + code);
            } else if (run.gdi_left > clean.gdi_left || run.user_left > clean.user_left) {
                ++tally.leaks;
                bad.push_back(where + "left " + std::to_string(run.gdi_left - clean.gdi_left) + " GDI and " +
                              std::to_string(run.user_left - clean.user_left) + " USER objects more");
            }
        }
        std::printf("%-24s %7d %5d %8d %6d %6d %14d\n", FAULT_CALLS[call], tally.points, tally.runs, tally.crashes,
                    tally.hangs, tally.leaks, tally.refused);
        total.points += tally.points;
        total.runs += tally.runs;
        total.crashes += tally.crashes;
        total.hangs += tally.hangs;
        total.leaks += tally.leaks;
        total.refused += tally.refused;
    }
    std::printf("%-24s %7d %5d %8d %6d %6d %14d\n", "all", total.points, total.runs, total.crashes, total.hangs,
                total.leaks, total.refused);
    for (const std::string& line : bad) std::printf("  %s\n", line.c_str());
    std::printf("%d runs in %.1f s\n", total.runs + 1, (GetTickCount() - started) / 1000.0);
    return bad.empty() ? 0 : 1;
}
