// The game measured in-process, through the real message path: the cost of a
// miss and of a win, the random generator against its bare step, and the full
// soak and storm. Prints one "key value" line per figure for tools/bench.sh.
//   bench_game random | handling | soak [misses wins] | storm [inputs seed]
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench_common.h"
#include "game/app.h"
#include "game/game_state.h"
#include "game_driver.h"
#include "runtime/random.h"

// The import slot through which every call of Sleep in this program goes.
#ifdef _WIN64
extern "C" decltype(&Sleep) sleep_import __asm__("__imp_Sleep");
extern "C" decltype(&GetPropA) get_prop_import __asm__("__imp_GetPropA");
extern "C" decltype(&GetActiveWindow) get_active_import __asm__("__imp_GetActiveWindow");
extern "C" decltype(&GetKeyState) get_key_state_import __asm__("__imp_GetKeyState");
#else
extern "C" decltype(&Sleep) sleep_import __asm__("__imp__Sleep@4");
extern "C" decltype(&GetPropA) get_prop_import __asm__("__imp__GetPropA@8");
extern "C" decltype(&GetActiveWindow) get_active_import __asm__("__imp__GetActiveWindow@0");
extern "C" decltype(&GetKeyState) get_key_state_import __asm__("__imp__GetKeyState@4");
#endif

namespace {

// ---- Sleep, timed: the joke choice's pauses are taken out of a win's cost -------
decltype(&Sleep) real_sleep = nullptr;
double slept_ms = 0;
int sleeps = 0;

void WINAPI timed_sleep(DWORD milliseconds) {
    const double start = bench::now_ms();
    real_sleep(milliseconds);
    slept_ms += drive::now_ms() - start;
    ++sleeps;
}

template <typename Function>
void replace_import(Function& slot, Function replacement) {
    DWORD old = 0;
    VirtualProtect(&slot, sizeof slot, PAGE_READWRITE, &old);
    slot = replacement;
    VirtualProtect(&slot, sizeof slot, old, &old);
}

void time_the_pauses() {
    real_sleep = sleep_import;
    replace_import(sleep_import, &timed_sleep);
}

// ---- Questions to the window server that the toolkit asks per message ----------------
// Under Wine each of these calls is a round trip to the server; the twin asks none.
decltype(&GetPropA) real_get_prop = nullptr;
decltype(&GetActiveWindow) real_get_active = nullptr;
decltype(&GetKeyState) real_get_key_state = nullptr;
long server_questions = 0;

HANDLE WINAPI counted_get_prop(HWND window, LPCSTR name) {
    ++server_questions;
    return real_get_prop(window, name);
}
HWND WINAPI counted_get_active() {
    ++server_questions;
    return real_get_active();
}
SHORT WINAPI counted_get_key_state(int key) {
    ++server_questions;
    return real_get_key_state(key);
}

void count_server_questions() {
    real_get_prop = get_prop_import;
    real_get_active = get_active_import;
    real_get_key_state = get_key_state_import;
    replace_import(get_prop_import, &counted_get_prop);
    replace_import(get_active_import, &counted_get_active);
    replace_import(get_key_state_import, &counted_get_key_state);
}

using bench::fail;
using bench::figure;
using bench::percentile;

void note(const char* key, const std::string& value) { std::printf("%s %s\n", key, value.c_str()); }

// ---- random_upto against its bare step ----------------------------------------------
volatile uint64_t sink;

void bench_random() {
    // One core, so that both loops run alike; rounds alternate the two loops,
    // and the cost ratio is taken round by round.
    SetThreadAffinityMask(GetCurrentThread(), 1);
    random_seed(1);
    constexpr int DRAWS = 20'000'000;
    std::vector<double> upto_rates, step_rates, ratios;
    for (int round = 0; round < 21; ++round) {
        double upto_ms = 0, step_ms = 0;
        uint64_t sum = 0;
        for (int turn = 0; turn < 2; ++turn) {
            const double start = drive::now_ms();
            if ((round + turn) % 2 == 0) {
                for (int i = 0; i < DRAWS; ++i) sum += static_cast<uint32_t>(random_upto(9999));
                upto_ms = drive::now_ms() - start;
            } else {
                for (int i = 0; i < DRAWS; ++i) sum += random_step();
                step_ms = drive::now_ms() - start;
            }
        }
        sink = sum;
        upto_rates.push_back(DRAWS / (upto_ms / 1000.0));
        step_rates.push_back(DRAWS / (step_ms / 1000.0));
        ratios.push_back(upto_ms / step_ms);
    }
    figure("random_upto_per_s", percentile(upto_rates, 0.5));
    figure("random_step_per_s", percentile(step_rates, 0.5));
    figure("random_cost_ratio", percentile(ratios, 0.5));
}

// ---- A miss and a win, from Enter posted to the display written ---------------------
int judged() { return game.strikes + game.balls; }

// One pass of the main loop; false when no message was waiting.
bool pass() {
    main_loop_pass(0);
    return game.current_event != EVENT_NONE;
}

// Types the guess untimed, then times its Enter; with `count`, counts that Enter's messages.
template <typename Done>
bench::Handled time_enter(const std::string& guess, Done done, bench::MessageCount* count = nullptr) {
    drive::type_into_guess(guess);
    if (GetActiveWindow() != drive::main_window()) SetForegroundWindow(drive::main_window());
    if (GetFocus() != drive::control(GADGET_GUESS)) SetFocus(drive::control(GADGET_GUESS));
    drive::run_until_idle();
    if (count) bench::start_counting();
    const long questions = server_questions;
    const bench::Handled h = bench::time_enter(drive::control(GADGET_GUESS), pass, done);
    if (count) {
        *count += bench::stop_counting();
        count->questions += server_questions - questions;
    }
    return h;
}

void win_untimed() {
    drive::type_into_guess(MASTER_CODE);
    drive::press_enter();
}

// The floor of a miss and a win: Enter posted to a bare window of this thread
// until its window procedure has it, through GetMessage and DispatchMessage.
bool key_arrived = false;

LRESULT CALLBACK bare_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_KEYDOWN) key_arrived = true;
    return DefWindowProcA(window, message, wparam, lparam);
}

void bench_message_floor() {
    WNDCLASSA cls{};
    cls.lpfnWndProc = bare_procedure;
    cls.hInstance = GetModuleHandleA(nullptr);
    cls.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<intptr_t>(COLOR_BTNFACE + 1));
    cls.lpszClassName = "BenchBareWindow";
    RegisterClassA(&cls);
    constexpr DWORD style = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_VISIBLE;
    RECT outer{0, 0, 660, 300};
    AdjustWindowRect(&outer, style, FALSE);
    HWND window = CreateWindowExA(0, cls.lpszClassName, "Bare Window", style, 216, 0, outer.right - outer.left,
                                  outer.bottom - outer.top, nullptr, nullptr, cls.hInstance, nullptr);
    std::vector<double> times;
    for (int i = 0; i < 1000; ++i) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
        key_arrived = false;
        const double start = drive::now_ms();
        PostMessageA(window, WM_KEYDOWN, VK_RETURN, 1);
        while (!key_arrived && GetMessageA(&message, nullptr, 0, 0) > 0) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        times.push_back(drive::now_ms() - start);
    }
    DestroyWindow(window);
    figure("message_floor_median_ms", percentile(times, 0.5));
    figure("message_floor_p99_ms", percentile(times, 0.99));
}

void bench_handling() {
    bench_message_floor();
    if (!start_up()) fail("the main window did not open");
    drive::run_until_idle();
    figure("working_set_after_start_kb", static_cast<double>(drive::working_set_bytes()) / 1024);
    {  // what one such question costs: a window property of the main window, asked 2000 times
        const double cpu_start = bench::thread_cpu_ms();
        const double start = bench::now_ms();
        for (int i = 0; i < 2000; ++i) GetPropA(drive::main_window(), "QZ_WindowID");
        figure("server_question_us", (bench::now_ms() - start) * 1000 / 2000);
        figure("server_question_cpu_us", (bench::thread_cpu_ms() - cpu_start) * 1000 / 2000);
    }
    unsigned state = 7;

    std::vector<double> misses, misses_idle, misses_cpu;
    bench::MessageCount counted{};
    int counted_misses = 0;
    for (int i = 0; i < 1020; ++i) {
        if (i % 20 == 0) win_untimed();  // games of 20 misses: the hint comes after ten Strikes
        const std::string guess = bench::missing_guess(state, game.secret_pin);
        const int before = judged();
        // After the thousand timed misses, twenty more with their messages counted.
        const bool count = i >= 1000;
        const auto judged_once = [before] { return judged() == before + 1; };
        const bench::Handled h = time_enter(guess, judged_once, count ? &counted : nullptr);
        const std::string line = get_gadget_item_text(GADGET_DISPLAY, 0);
        if (line.find(" " + guess + " has ") == std::string::npos) fail("the miss line for " + guess + " is missing");
        if (count) {
            ++counted_misses;
        } else {
            misses.push_back(h.written_ms);
            misses_idle.push_back(h.idle_ms);
            misses_cpu.push_back(h.cpu_ms);
        }
    }
    figure("miss_median_ms", percentile(misses, 0.5));
    figure("miss_p99_ms", percentile(misses, 0.99));
    figure("miss_idle_median_ms", percentile(misses_idle, 0.5));
    figure("miss_idle_p99_ms", percentile(misses_idle, 0.99));
    figure("miss_cpu_median_ms", percentile(misses_cpu, 0.5));
    bench::report_count("miss", counted, counted_misses);

    std::vector<double> wins, wins_idle, wins_cpu;
    int pauses = 0;
    counted = {};
    for (int i = 0; i < 220; ++i) {
        const std::string pin = game.secret_pin;
        const int32_t joke = joke_reel.current_joke;
        const bool count = i >= 200;
        slept_ms = 0;
        sleeps = 0;
        const auto next_game = [&] { return game.secret_pin != pin || joke_reel.current_joke != joke; };
        const bench::Handled h = time_enter(MASTER_CODE, next_game, count ? &counted : nullptr);
        if (get_gadget_text(GADGET_MESSAGE) != "Enter Another PIN") fail("a win did not ask for another PIN");
        if (sleeps == 0) fail("a win made no pause: the pauses are not being timed");
        if (count) continue;
        wins.push_back(h.written_ms - slept_ms);
        wins_idle.push_back(h.idle_ms - slept_ms);
        wins_cpu.push_back(h.cpu_ms);
        pauses += sleeps;
    }
    figure("win_median_ms", percentile(wins, 0.5));
    figure("win_p99_ms", percentile(wins, 0.99));
    figure("win_idle_median_ms", percentile(wins_idle, 0.5));
    figure("win_cpu_median_ms", percentile(wins_cpu, 0.5));
    figure("win_pauses_per_win", pauses / 200.0);
    bench::report_count("win", counted, 20);
    release_all();
}

void bench_soak(int misses, int wins) {
    if (!start_up()) fail("the main window did not open");
    drive::run_until_idle();
    const drive::SoakFigures f = drive::run_soak(misses, wins, 20261208);
    if (!f.failure.empty()) fail("soak: " + f.failure);
    figure("soak_misses", f.misses);
    figure("soak_wins", f.wins);
    figure("soak_seconds", f.seconds);
    figure("soak_gdi_before", f.before.gdi);
    figure("soak_gdi_after", f.after.gdi);
    figure("soak_user_before", f.before.user);
    figure("soak_user_after", f.after.user);
    note("soak_count_source", std::string("\"") + f.before.source + "\"");
    figure("soak_private_peak_first_100_games_kb", static_cast<double>(f.private_peak_first_games) / 1024);
    figure("soak_private_peak_later_games_kb", static_cast<double>(f.private_peak_later_games) / 1024);
    figure("working_set_after_soak_kb", static_cast<double>(f.working_set_at_end) / 1024);
    release_all();
}

void bench_storm(int inputs, uint32_t seed) {
    if (!start_up()) fail("the main window did not open");
    drive::run_until_idle();
    const drive::StormFigures f = drive::run_storm(inputs, seed);
    if (!f.failure.empty()) fail("storm: " + f.failure);
    figure("storm_inputs", f.inputs);
    figure("storm_misses", f.misses);
    figure("storm_wins", f.wins);
    figure("storm_max_passes", f.max_passes);
    figure("storm_seconds", f.seconds);
    release_all();
}

}  // namespace

int main(int argc, char** argv) {
    setvbuf(stdout, nullptr, _IONBF, 0);
    time_the_pauses();
    count_server_questions();
    const std::string what = argc > 1 ? argv[1] : "";
    if (what == "random") {
        bench_random();
    } else if (what == "handling") {
        bench_handling();
    } else if (what == "soak") {
        bench_soak(argc > 2 ? std::atoi(argv[2]) : 10000, argc > 3 ? std::atoi(argv[3]) : 1000);
    } else if (what == "storm") {
        bench_storm(argc > 2 ? std::atoi(argv[2]) : 100000,
                    argc > 3 ? static_cast<uint32_t>(std::atoi(argv[3])) : 4242);
    } else {
        std::fprintf(stderr, "usage: bench_game random | handling | soak [misses wins] | storm [inputs seed]\n");
        return 2;
    }
    return 0;
}
