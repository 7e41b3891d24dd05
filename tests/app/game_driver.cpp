#include "game_driver.h"

#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <iterator>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include <windows.h>
#include "game/app.h"
#include "game/game_state.h"

#include "toolkit/toolkit.h"

namespace drive {

// ---- The loop and the screen ------------------------------------------------------

bool start_game_once() {
    // The program's manifest declares it aware of the display's scale; this
    // process stands in for it. (Unaware, it would be told 96 dots per inch
    // where the platform stretches programs, and read stretched rectangles back.)
    static const bool started = (SetProcessDPIAware(), start_up());
    return started;
}

HWND main_window() { return window_handle(WINDOW_MAIN); }

void reset_game(const std::string& pin) {
    set_gadget_text(GADGET_GUESS, "");
    set_gadget_text(GADGET_DISPLAY, "");
    set_gadget_text(GADGET_MESSAGE, "");
    set_gadget_text(GADGET_STRIKES, " 0");
    set_gadget_text(GADGET_BALLS, " 0");
    run_until_idle();
    game.secret_pin = pin;
    game.guess.clear();
    game.strikes = game.balls = 0;
    game.about_shown = game.display_clear_pending = 0;
    game.message_known = game.display_known_empty = 0;  // the screen was written behind the game's back
}
HWND control(int gadget) { return gadget_handle(gadget); }

int run_until_idle(int limit) {
    for (int passes = 0; passes < limit; ++passes)
        if (!main_loop_pass(0) || game.current_event == EVENT_NONE) return passes;
    return -1;
}

void type_into_guess(const std::string& text) {
    for (const char c : text)
        PostMessageA(control(GADGET_GUESS), WM_CHAR, static_cast<WPARAM>(static_cast<unsigned char>(c)), 1);
    run_until_idle();
}

void press_enter() {
    if (GetActiveWindow() != main_window()) SetForegroundWindow(main_window());
    if (GetFocus() != control(GADGET_GUESS)) SetFocus(control(GADGET_GUESS));
    run_until_idle();
    PostMessageA(control(GADGET_GUESS), WM_KEYDOWN, VK_RETURN, 1);
    PostMessageA(control(GADGET_GUESS), WM_KEYUP, VK_RETURN, static_cast<LPARAM>(0xC0000001u));
    run_until_idle();
}

namespace {

void click_at(int x, int y) {
    SetCursorPos(x, y);
    INPUT clicks[2] = {};
    clicks[0].type = clicks[1].type = INPUT_MOUSE;
    clicks[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    clicks[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, clicks, sizeof(INPUT));
}

}  // namespace

void click(int gadget) {
    RECT r;
    GetWindowRect(control(gadget), &r);
    click_at((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    run_until_idle();
}

std::vector<std::string> display_lines() {
    std::vector<std::string> lines;
    for (int i = 0, n = count_gadget_items(GADGET_DISPLAY); i < n; ++i)
        lines.push_back(get_gadget_item_text(GADGET_DISPLAY, i));
    while (!lines.empty() && lines.back().empty()) lines.pop_back();
    return lines;
}

std::string count_text(int32_t count, int32_t shown_up_to) {
    std::string text = " ";
    text += count > shown_up_to ? std::string("#") : std::to_string(count);
    return text;
}

double now_ms() {
    static LARGE_INTEGER frequency{};
    if (frequency.QuadPart == 0) QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// ---- Resources ------------------------------------------------------------------------

namespace {

// One entry of Wine's GDI handle table; Type is 0 for a free entry.
struct WineGdiEntry {
    uint64_t object;
    uint32_t owner;
    uint16_t unique;
    uint8_t type;
    uint8_t flags;
    uint64_t user_pointer;
};
static_assert(sizeof(WineGdiEntry) == 24);
constexpr size_t WINE_GDI_ENTRIES = 0x10000;

template <typename T>
T read_at(uintptr_t address) {
    T value;
    std::memcpy(&value, reinterpret_cast<const void*>(address), sizeof value);
    return value;
}

bool readable(uintptr_t address) {
    MEMORY_BASIC_INFORMATION info{};
    if (VirtualQuery(reinterpret_cast<const void*>(address), &info, sizeof info) != sizeof info) return false;
    return info.State == MEM_COMMIT && (info.Protect & (PAGE_NOACCESS | PAGE_GUARD)) == 0;
}

// The table Wine keeps where the process environment block names the shared GDI
// handle table; a 32-bit process under WoW64 finds it through its 64-bit TEB,
// whose address Wine keeps in the 32-bit TEB's GdiBatchCount.
const WineGdiEntry* wine_gdi_table() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    if (!ntdll || !GetProcAddress(ntdll, "wine_get_version")) return nullptr;
    uintptr_t teb = 0;
    uintptr_t table = 0;
#ifdef _WIN64
    __asm__("movq %%gs:0x30, %0" : "=r"(teb));
    const auto peb = read_at<uintptr_t>(teb + 0x60);
    table = read_at<uintptr_t>(peb + 0xF8);
#else
    __asm__("movl %%fs:0x18, %0" : "=r"(teb));
    const auto teb64 = read_at<uint32_t>(teb + 0xF70);
    if (teb64) {
        const auto peb64 = read_at<uint64_t>(teb64 + 0x60);
        if (peb64 > UINT32_MAX) return nullptr;
        const auto table64 = read_at<uint64_t>(static_cast<uintptr_t>(peb64) + 0xF8);
        if (table64 > UINT32_MAX) return nullptr;
        table = static_cast<uintptr_t>(table64);
    } else {
        const auto peb = read_at<uintptr_t>(teb + 0x30);
        table = read_at<uintptr_t>(peb + 0x94);
    }
#endif
    if (!table || !readable(table) || !readable(table + (WINE_GDI_ENTRIES - 1) * sizeof(WineGdiEntry))) return nullptr;
    return reinterpret_cast<const WineGdiEntry*>(table);
}

long wine_gdi_objects() {
    const WineGdiEntry* table = wine_gdi_table();
    if (!table) return -1;
    long live = 0;
    for (size_t i = 0; i < WINE_GDI_ENTRIES; ++i)
        if (table[i].type != 0) ++live;
    return live;
}

BOOL CALLBACK count_child(HWND, LPARAM counter) {
    ++*reinterpret_cast<long*>(counter);
    return TRUE;
}

BOOL CALLBACK count_window(HWND window, LPARAM counter) {
    ++*reinterpret_cast<long*>(counter);
    EnumChildWindows(window, count_child, counter);
    return TRUE;
}

long thread_windows() {
    long windows = 0;
    EnumThreadWindows(GetCurrentThreadId(), count_window, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

}  // namespace

ObjectCounts object_counts() {
    const long gdi = static_cast<long>(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
    const long user = static_cast<long>(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS));
    if (gdi > 0 && user > 0) return {gdi, user, "GetGuiResources"};
    return {wine_gdi_objects(), thread_windows(), "Wine GDI handle table; windows of the thread"};
}

size_t private_bytes() {
    size_t total = 0;
    MEMORY_BASIC_INFORMATION info{};
    uintptr_t address = 0;
    while (VirtualQuery(reinterpret_cast<const void*>(address), &info, sizeof info) == sizeof info) {
        if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE) total += info.RegionSize;
        const uintptr_t next = reinterpret_cast<uintptr_t>(info.BaseAddress) + info.RegionSize;
        if (next <= address) break;
        address = next;
    }
    return total;
}

size_t working_set_bytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!K32GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return 0;
    return counters.WorkingSetSize;
}

// ---- The invariants ---------------------------------------------------------------

namespace {

bool shares_a_character(const std::string& guess, const std::string& pin) {
    return std::any_of(guess.begin(), guess.end(), [&](char c) { return pin.find(c) != std::string::npos; });
}

std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (const unsigned char c : text) {
        if (c >= 32 && c < 127) {
            out += static_cast<char>(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", c);
            out += hex;
        }
    }
    return out + "\"";
}

}  // namespace

Watcher::Watcher() : last_(take()) {
    // Miss lines already on screen are taken as they stand.
    if (game.about_shown == 0 && game.display_clear_pending == 0) expected_ = display_lines();
}

Watcher::Snapshot Watcher::take() {
    Snapshot s{};
    s.strikes = game.strikes;
    s.balls = game.balls;
    s.pin = game.secret_pin;
    std::copy(std::begin(joke_reel.history), std::end(joke_reel.history), s.history);
    s.current_joke = joke_reel.current_joke;
    return s;
}

std::string Watcher::check(bool full) {
    const Snapshot now = take();
    std::string problem;
    auto fail = [&problem](const std::string& what) {
        if (problem.empty()) problem = what;
    };

    // The count fields show the counts.
    const std::string strikes_shown = get_gadget_text(GADGET_STRIKES);
    if (strikes_shown != count_text(now.strikes, STRIKES_SHOWN_UP_TO))
        fail("the Strike field shows " + quoted(strikes_shown) + " for " + std::to_string(now.strikes) + " Strikes");
    const std::string balls_shown = get_gadget_text(GADGET_BALLS);
    if (balls_shown != count_text(now.balls, BALLS_SHOWN_UP_TO))
        fail("the Ball field shows " + quoted(balls_shown) + " for " + std::to_string(now.balls) + " Balls");

    // The message line holds one of its four forms, each at its time.
    const std::string message = get_gadget_text(GADGET_MESSAGE);
    const bool message_sound = message.empty() || message == "Enter Another PIN" ||
                               (message == "YOU CHOSE POORLY" && now.strikes <= HINT_AFTER_STRIKES) ||
                               (message == "  Hint: " + now.pin && now.strikes > HINT_AFTER_STRIKES);
    if (!message_sound)
        fail("the message line shows " + quoted(message) + " with " + std::to_string(now.strikes) + " Strikes");

    // What the input judged: a win draws a joke (the history always moves) and a
    // new PIN; a miss counts exactly one Ball or Strike.
    const bool won = now.pin != last_.pin || now.current_joke != last_.current_joke ||
                     !std::equal(std::begin(now.history), std::end(now.history), std::begin(last_.history));
    const bool missed = !won && now.strikes + now.balls == last_.strikes + last_.balls + 1 &&
                        now.strikes >= last_.strikes && now.balls >= last_.balls;
    if (won) {
        ++wins_;
        if (now.strikes != 0 || now.balls != 0)
            fail("a win left the counts at " + std::to_string(now.strikes) + "/" + std::to_string(now.balls));
    } else if (missed) {
        ++misses_;
    } else if (now.strikes != last_.strikes || now.balls != last_.balls) {
        fail("the counts moved from " + std::to_string(last_.strikes) + "/" + std::to_string(last_.balls) + " to " +
             std::to_string(now.strikes) + "/" + std::to_string(now.balls) + " without one judgement");
    }

    // The stored guess is the field's right-most four characters after its event.
    if (game.guess.size() > PIN_LENGTH) fail("the stored guess " + quoted(game.guess) + " is longer than four");
    if (game.current_gadget == GADGET_GUESS) {
        const std::string field = get_gadget_text(GADGET_GUESS);
        const std::string last_four = field.size() > PIN_LENGTH ? field.substr(field.size() - PIN_LENGTH) : field;
        if (game.guess != last_four)
            fail("the stored guess " + quoted(game.guess) + " is not the end of " + quoted(last_four));
    }

    // The display: the About text, a joke or nothing, or the misses since the last win or About.
    if (game.about_shown == 1) {
        expected_.clear();
        if (get_gadget_text(GADGET_DISPLAY) != game.about_text)
            fail("About is up but the display holds something else");
    } else if (game.display_clear_pending == 1) {
        expected_.clear();
        const std::string shown = get_gadget_text(GADGET_DISPLAY);
        if (!shown.empty() && shown != joke_reel.jokes[joke_reel.current_joke])
            fail("after a win the display holds " + quoted(shown.substr(0, 60)) + ", neither the joke nor nothing");
    } else {
        if (won) expected_.clear();
        if (missed) {
            const std::string line = get_gadget_item_text(GADGET_DISPLAY, 0);
            const bool strike = now.strikes == last_.strikes + 1;
            const std::string head = strike ? "* Strike: " : "* Ball: ";
            const std::string tail = strike ? " has no correct digits" : " has at least one correct digit";
            const bool shaped = line.size() == head.size() + PIN_LENGTH + tail.size() && line.rfind(head, 0) == 0 &&
                                line.compare(line.size() - tail.size(), tail.size(), tail) == 0;
            if (!shaped) {
                fail("the newest display line " + quoted(line) + " is no " + (strike ? "Strike" : "Ball") + " line");
            } else {
                const std::string judged = line.substr(head.size(), PIN_LENGTH);
                if (shares_a_character(judged, now.pin) == strike)
                    fail(quoted(judged) + " was counted as a " + (strike ? "Strike" : "Ball") + " against PIN " +
                         now.pin);
            }
            expected_.insert(expected_.begin(), line);
        }
        const int items = count_gadget_items(GADGET_DISPLAY);
        const int wanted = expected_.empty() ? 0 : static_cast<int>(expected_.size()) + 1;
        if (items != wanted)
            fail("the display holds " + std::to_string(items) + " lines for " + std::to_string(expected_.size()) +
                 " misses");
        else if (full && display_lines() != expected_)
            fail("the display's lines are not the misses since the last win or About");
    }

    last_ = now;
    return problem;
}

// ---- The soak ------------------------------------------------------------------------

namespace {

std::string four_digits(std::mt19937& pick) { return pin_text(static_cast<int32_t>(pick() % 10000)); }

// A guess that misses the current game.
std::string missing_guess(std::mt19937& pick) {
    for (;;) {
        std::string guess = four_digits(pick);
        if (guess != game.secret_pin && guess != MASTER_CODE) return guess;
    }
}

}  // namespace

SoakFigures run_soak(int misses, int wins, uint32_t seed) {
    SoakFigures f;
    random_seed(seed);
    std::mt19937 pick(seed);
    const double start = now_ms();
    const int baseline_game = std::min(100, std::max(1, wins / 5));
    int guesses = 0;

    // One guess through the screen: typed digits, then Enter or (every fifth) OK.
    auto submit = [&](const std::string& guess, Watcher& watcher) -> std::string {
        const int misses_before = watcher.misses();
        const int wins_before = watcher.wins();
        type_into_guess(guess);
        if (++guesses % 5 == 0)
            click(GADGET_OK);
        else
            press_enter();
        const std::string problem = watcher.check(false);
        if (!problem.empty()) return problem;
        if (watcher.misses() + watcher.wins() != misses_before + wins_before + 1)
            return "the guess " + guess + " was not judged once";
        if (!get_gadget_text(GADGET_GUESS).empty()) return "the guess field was not cleared after " + guess;
        if (watcher.wins() > wins_before) {
            if (get_gadget_text(GADGET_MESSAGE) != "Enter Another PIN") return "a win did not ask for another PIN";
            if (get_gadget_text(GADGET_DISPLAY) != joke_reel.jokes[joke_reel.current_joke])
                return "a win did not show its joke";
        }
        return "";
    };

    Watcher watcher;
    // A warm-up game reaches every screen state once before anything is counted:
    // more than ten misses (the message line gives the PIN away, the display
    // overflows its box), About, and a win. The platform keeps a few objects
    // from the first time it draws some of these; they are no leak of the game's.
    for (int m = 0; m < 12; ++m) {
        f.failure = submit(missing_guess(pick), watcher);
        if (!f.failure.empty()) return f;
    }
    click(GADGET_ABOUT);
    f.failure = watcher.check(true);
    if (f.failure.empty()) f.failure = submit(MASTER_CODE, watcher);
    if (!f.failure.empty()) return f;
    f.before = object_counts();

    const int first_watched_miss = watcher.misses();
    for (int g = 1; g <= wins; ++g) {
        const int in_this_game = misses / wins + (g <= misses % wins ? 1 : 0);
        for (int m = 0; m < in_this_game; ++m) {
            f.failure = submit(missing_guess(pick), watcher);
            if (!f.failure.empty()) break;
        }
        if (f.failure.empty()) f.failure = watcher.check(true);
        if (f.failure.empty()) f.failure = submit(MASTER_CODE, watcher);
        if (!f.failure.empty()) {
            f.failure = "game " + std::to_string(g) + ": " + f.failure;
            break;
        }
        size_t& peak = g <= baseline_game ? f.private_peak_first_games : f.private_peak_later_games;
        peak = std::max(peak, private_bytes());
    }
    f.misses = watcher.misses() - first_watched_miss;
    f.wins = watcher.wins() - 1;
    f.after = object_counts();
    f.working_set_at_end = working_set_bytes();
    f.seconds = (now_ms() - start) / 1000.0;
    return f;
}

// ---- The storm -----------------------------------------------------------------------

namespace {

constexpr int ALL_GADGETS[] = {GADGET_OK,      GADGET_PROMPT,  GADGET_GUESS,         GADGET_FRAME,
                               GADGET_STRIKES, GADGET_BALLS,   GADGET_STRIKES_LABEL, GADGET_BALLS_LABEL,
                               GADGET_MESSAGE, GADGET_DISPLAY, GADGET_ABOUT};

// Keys posted as key-down and key-up. No Alt, no F10 and no menu key: those open
// the window menu, whose modal loop would wait for a person.
constexpr WORD KEYS[] = {VK_RETURN,  VK_TAB, VK_BACK,   VK_DELETE, VK_LEFT,   VK_RIGHT,   VK_UP,      VK_DOWN,
                         VK_HOME,    VK_END, VK_ESCAPE, VK_SPACE,  VK_INSERT, VK_PRIOR,   VK_NEXT,    VK_SHIFT,
                         VK_CONTROL, VK_F1,  VK_F2,     VK_F5,     VK_F12,    VK_NUMPAD0, VK_NUMPAD7, 'A',
                         'V',        'Z',    '0',       '4',       '9'};

constexpr UINT EDIT_COMMANDS[] = {WM_CUT, WM_CLEAR, WM_UNDO, WM_COPY};

// Another window of this thread, to take the activation away from the game.
HWND elsewhere_window() {
    static HWND window = nullptr;
    if (window) return window;
    WNDCLASSA cls{};
    cls.lpfnWndProc = DefWindowProcA;
    cls.hInstance = GetModuleHandleA(nullptr);
    cls.lpszClassName = "TavekStormElsewhere";
    RegisterClassA(&cls);
    window = CreateWindowExA(0, cls.lpszClassName, "elsewhere", WS_POPUP | WS_CAPTION | WS_VISIBLE, 0, 700, 240, 80,
                             nullptr, nullptr, cls.hInstance, nullptr);
    return window;
}

void put_on_clipboard(const std::string& text) {
    if (!OpenClipboard(main_window())) return;
    EmptyClipboard();
    if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1)) {
        std::memcpy(GlobalLock(memory), text.c_str(), text.size() + 1);
        GlobalUnlock(memory);
        if (!SetClipboardData(CF_TEXT, memory)) GlobalFree(memory);
    }
    CloseClipboard();
}

void send_keys(std::initializer_list<std::pair<WORD, bool>> strokes) {
    std::vector<INPUT> inputs;
    for (const auto& [key, up] : strokes) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
        input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        inputs.push_back(input);
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

class Storm {
public:
    explicit Storm(uint32_t seed) : rng_(seed) {}

    // Sends one random input; returns what it was.
    std::string next() {
        const int kind = static_cast<int>(below(100));
        if (kind < 28) return type_character();
        if (kind < 36) return type_guess();
        if (kind < 46) return enter();
        if (kind < 56) return click_somewhere();
        if (kind < 64) return key_somewhere();
        if (kind < 68) return character_somewhere();
        if (kind < 73) return tab();
        if (kind < 79) return change_focus();
        if (kind < 85) return paste();
        return other_message();
    }

private:
    uint32_t below(uint32_t n) { return rng_() % n; }
    HWND any_gadget() { return control(ALL_GADGETS[below(std::size(ALL_GADGETS))]); }
    HWND any_target() { return below(12) == 0 ? main_window() : any_gadget(); }

    std::string random_text(size_t length) {
        std::string text;
        for (size_t i = 0; i < length; ++i) {
            const uint32_t r = below(10);
            if (r < 6)
                text += static_cast<char>('0' + below(10));
            else if (r < 8)
                text += static_cast<char>('a' + below(26));
            else if (r < 9)
                text += static_cast<char>(0x80 + below(0x80));  // bytes beyond ASCII
            else
                text += " -+.#"[below(5)];
        }
        return text;
    }

    std::string type_character() {
        const uint32_t r = below(20);
        unsigned char c;
        if (r < 14)
            c = static_cast<unsigned char>('0' + below(10));
        else if (r < 16)
            c = static_cast<unsigned char>('a' + below(26));
        else if (r < 17)
            c = static_cast<unsigned char>(0x80 + below(0x80));
        else
            c = "\x08\x01\x03\x16\x18\x1A\r"[below(7)];  // backspace, select all, copy, paste, cut, undo, return
        PostMessageA(control(GADGET_GUESS), WM_CHAR, c, 1);
        return "character " + std::to_string(c) + " into the guess field";
    }

    std::string type_guess() {
        std::string guess;
        switch (below(4)) {
            case 0: guess = MASTER_CODE; break;
            case 1: guess = game.secret_pin; break;
            case 2: guess = std::string(4, game.secret_pin[below(4)]); break;
            default: guess = pin_text(static_cast<int32_t>(below(10000))); break;
        }
        for (const char c : guess) PostMessageA(control(GADGET_GUESS), WM_CHAR, static_cast<WPARAM>(c), 1);
        return "the guess " + guess;
    }

    std::string enter() {
        HWND target = below(3) == 0 ? any_target() : control(GADGET_GUESS);
        PostMessageA(target, WM_KEYDOWN, VK_RETURN, 1);
        PostMessageA(target, WM_KEYUP, VK_RETURN, static_cast<LPARAM>(0xC0000001u));
        return "Enter";
    }

    std::string click_somewhere() {
        RECT r;
        const uint32_t which = below(std::size(ALL_GADGETS) + 1);
        if (which == std::size(ALL_GADGETS)) {  // the window's own empty client area
            GetWindowRect(main_window(), &r);
            click_at(r.left + 400, r.bottom - 15);
            return "click on the window";
        }
        GetWindowRect(control(ALL_GADGETS[which]), &r);
        click_at((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        return "click on gadget " + std::to_string(ALL_GADGETS[which]);
    }

    std::string key_somewhere() {
        const WORD key = KEYS[below(std::size(KEYS))];
        HWND target = any_target();
        PostMessageA(target, WM_KEYDOWN, key, 1);
        if (below(4) != 0) PostMessageA(target, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u));
        return "key " + std::to_string(key);
    }

    std::string character_somewhere() {
        const auto c = static_cast<unsigned char>(1 + below(255));
        PostMessageA(any_target(), WM_CHAR, c, 1);
        return "character " + std::to_string(c);
    }

    std::string tab() {
        if (below(2) == 0) {
            send_keys({{VK_TAB, false}, {VK_TAB, true}});
            return "Tab";
        }
        send_keys({{VK_SHIFT, false}, {VK_TAB, false}, {VK_TAB, true}, {VK_SHIFT, true}});
        return "Shift+Tab";
    }

    std::string change_focus() {
        switch (below(5)) {
            case 0: SetForegroundWindow(elsewhere_window()); return "activation to another window";
            case 1: SetForegroundWindow(main_window()); return "activation back to the game";
            case 2: SetFocus(nullptr); return "focus to no window";
            default: SetFocus(any_target()); return "focus to a gadget";
        }
    }

    std::string paste() {
        const uint32_t r = below(10);
        const std::string text =
            r == 0 ? std::string(2000 + below(3000), static_cast<char>('0' + below(10))) : random_text(1 + below(12));
        put_on_clipboard(text);
        if (below(2) == 0)
            PostMessageA(control(GADGET_GUESS), WM_PASTE, 0, 0);
        else
            PostMessageA(control(GADGET_GUESS), WM_CHAR, 0x16, 1);
        return "paste of " + std::to_string(text.size()) + " characters";
    }

    std::string other_message() {
        HWND target = any_target();
        switch (below(14)) {
            case 0: PostMessageA(target, WM_MOUSEMOVE, 0, MAKELPARAM(below(100), below(40))); return "mouse movement";
            case 1: PostMessageA(target, WM_NULL, 0, 0); return "WM_NULL";
            case 2: PostMessageA(main_window(), WM_COMMAND, SHORTCUT_ENTER, 0); return "menu command 888";
            case 3: PostMessageA(main_window(), WM_COMMAND, below(20), 0); return "a menu command";
            case 4: {
                const int button = below(2) ? GADGET_OK : GADGET_ABOUT;
                PostMessageA(main_window(), WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                             reinterpret_cast<LPARAM>(control(button)));
                return "button notification";
            }
            case 5: {
                const std::string text = random_text(below(9));
                SendMessageA(control(GADGET_GUESS), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
                return "text set into the guess field";
            }
            case 6: InvalidateRect(main_window(), nullptr, TRUE); return "repaint";
            case 7: PostMessageA(main_window(), WM_SYSCOLORCHANGE, 0, 0); return "colour change";
            case 8:
                PostMessageA(control(below(2) ? GADGET_OK : GADGET_ABOUT), WM_LBUTTONDBLCLK, MK_LBUTTON,
                             MAKELPARAM(5, 5));
                return "double click message";
            case 9:
                PostMessageA(control(GADGET_GUESS), EDIT_COMMANDS[below(std::size(EDIT_COMMANDS))], 0, 0);
                return "edit command";
            case 10: PostMessageA(control(GADGET_GUESS), EM_SETSEL, below(6), below(6)); return "selection";
            case 11: PostMessageA(main_window(), WM_MOVE, 0, MAKELPARAM(216, 30)); return "move notification";
            case 12:
                PostMessageA(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(target),
                             MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
                return "cursor message";
            default:
                PostMessageA(target, WM_KEYDOWN, VK_SPACE, 1);
                PostMessageA(target, WM_KEYUP, VK_SPACE, static_cast<LPARAM>(0xC0000001u));
                return "space bar";
        }
    }

    std::mt19937 rng_;
};

// Ends the process when the loop stops answering: a pass that never returns
// would otherwise hold the run until an outer time limit, with no word of why.
struct Watchdog {
    std::atomic<long> progress{0};
    std::atomic<bool> done{false};
    char last_input[96] = {};  // only read once the loop has stopped
    HANDLE thread = nullptr;

    static DWORD WINAPI watch(void* self) {
        auto* dog = static_cast<Watchdog*>(self);
        long seen = dog->progress;
        while (!dog->done) {
            for (int waited = 0; waited < 100 && !dog->done && dog->progress == seen; ++waited) Sleep(200);
            if (dog->done) break;
            if (dog->progress == seen) {
                std::fprintf(stderr, "storm: the loop stopped answering after input %ld (%s)\n", seen, dog->last_input);
                std::fflush(stderr);
                TerminateProcess(GetCurrentProcess(), 3);
            }
            seen = dog->progress;
        }
        return 0;
    }
};

}  // namespace

StormFigures run_storm(int inputs, uint32_t seed) {
    StormFigures f;
    random_seed(seed);
    Storm storm(seed);
    elsewhere_window();
    SetForegroundWindow(main_window());
    run_until_idle();
    Watcher watcher;
    Watchdog dog;
    dog.thread = CreateThread(nullptr, 0, Watchdog::watch, &dog, 0, nullptr);
    const double start = now_ms();
    for (int i = 1; i <= inputs && f.failure.empty(); ++i) {
        const std::string input = storm.next();
        std::snprintf(dog.last_input, sizeof dog.last_input, "%s", input.c_str());
        const int passes = run_until_idle(2000);
        dog.progress = i;
        f.inputs = i;
        if (passes < 0) {
            f.failure = "input " + std::to_string(i) + " (" + input + "): the loop kept waking itself";
            break;
        }
        f.max_passes = std::max(f.max_passes, passes);
        const std::string problem = watcher.check(i % 50 == 0 || i == inputs);
        if (!problem.empty()) f.failure = "input " + std::to_string(i) + " (" + input + "): " + problem;
    }
    dog.done = true;
    WaitForSingleObject(dog.thread, INFINITE);
    CloseHandle(dog.thread);
    f.misses = watcher.misses();
    f.wins = watcher.wins();
    f.seconds = (now_ms() - start) / 1000.0;
    return f;
}

}  // namespace drive
