// The game's main window written straight on Win32 by hand, as the floor the
// game's own figures are held against: no toolkit, no game tables. One window
// class; the same window (class name, title, position, client size, style);
// the eleven controls in the game's creation order with its classes, styles,
// extended styles, rectangles, texts, control numbers and six fonts; the two
// tooltips; the Enter shortcut; the rich-text library loaded as the game loads
// it. A miss and a win write the same fields in the same order as the game:
//   miss: guess field cleared, message, count field, line inserted at the top
//         of the display (and the hint on the message line after ten Strikes)
//   win:  guess field, Strikes and Balls fields, a joke on the display, message
// The rules are minimal: the PIN is fixed, the master code wins too, the jokes
// take turns; a win pauses as long as the game's does on average.
//   twin                    the program: the window until it is closed (exit code 0)
//   twin handling           in-process: a miss and a win timed as bench_game times
//                           the game's, and the messages and repaints of a miss;
//                           prints "key value" lines for tools/bench.sh
#include <windows.h>

#include <commctrl.h>
#include <richedit.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "bench_common.h"

namespace {

// ---- The window, as the game has it -------------------------------------------------
constexpr const char* CLASS_NAME = "WindowClass_0";
constexpr const char* TITLE = "Tavek PIN Program Ver. 0.11";
constexpr DWORD WINDOW_STYLE = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;  // 0xCC0000
constexpr int WINDOW_X = 216, WINDOW_Y = 0, CLIENT_WIDTH = 660, CLIENT_HEIGHT = 300;

enum Control {
    OK = 0,
    PROMPT = 1,
    GUESS = 2,
    FRAME = 3,
    STRIKES = 4,
    BALLS = 5,
    STRIKES_LABEL = 6,
    BALLS_LABEL = 7,
    DISPLAY = 9,
    MESSAGE = 10,
    ABOUT = 11
};
enum Font { DEFAULT_FONT = -1, PROMPT_FONT, DIGITS_FONT, LABEL_FONT, DISPLAY_FONT, BUTTON_FONT, ABOUT_FONT, FONTS };

struct FontRow {
    const char* face;
    int points;
};
constexpr FontRow FONT_ROWS[FONTS] = {
    {"Times New Roman", 12},       {"Arial", 18}, {"Arial Rounded MT Bold", 9},
    {"Arial Rounded MT Bold", 10}, {"Arial", 10}, {"Courier New", 9},
};

struct ControlRow {
    int id;
    DWORD ex_style;
    const char* class_name;
    const char* text;
    DWORD style;
    int x, y, width, height;
    int font;
};
// WS_CHILD | WS_VISIBLE | WS_GROUP, with WS_TABSTOP for buttons and fields.
constexpr DWORD CHILD = WS_CHILD | WS_VISIBLE | WS_GROUP;
constexpr ControlRow CONTROLS[] = {
    {OK, 0, "Button", "OK", CHILD | WS_TABSTOP | BS_DEFPUSHBUTTON, 110, 140, 50, 30, DEFAULT_FONT},
    {PROMPT, 0, "Static", "Enter 4 Digit  PIN", CHILD | SS_CENTER, 70, 30, 140, 50, PROMPT_FONT},
    {GUESS, WS_EX_CLIENTEDGE, "Edit", "", CHILD | WS_TABSTOP | ES_AUTOHSCROLL | ES_NUMBER, 90, 90, 90, 40, DIGITS_FONT},
    {FRAME, 0, "Button", "", CHILD | BS_GROUPBOX, 30, 20, 220, 240, DEFAULT_FONT},
    {STRIKES, WS_EX_CLIENTEDGE, "Edit", " 0", CHILD | WS_TABSTOP | ES_AUTOHSCROLL | ES_READONLY, 70, 210, 50, 40,
     DIGITS_FONT},
    {BALLS, WS_EX_CLIENTEDGE, "Edit", " 0", CHILD | WS_TABSTOP | ES_AUTOHSCROLL | ES_READONLY, 160, 210, 50, 40,
     DIGITS_FONT},
    {STRIKES_LABEL, 0, "Static", "Strikes", CHILD, 70, 190, 60, 20, LABEL_FONT},
    {BALLS_LABEL, 0, "Static", "Balls", CHILD | SS_CENTER, 160, 190, 50, 20, LABEL_FONT},
    {MESSAGE, 0, "Static", "", CHILD | SS_CENTER, 350, 230, 190, 40, LABEL_FONT},
    {DISPLAY, WS_EX_CLIENTEDGE, nullptr, nullptr,
     WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP | ES_WANTRETURN | ES_NOHIDESEL | ES_AUTOHSCROLL |
         ES_AUTOVSCROLL | ES_MULTILINE | ES_READONLY,
     270, 30, 358, 185, DISPLAY_FONT},
    {ABOUT, 0, "Button", "About", CHILD | WS_TABSTOP | BS_DEFPUSHBUTTON, 550, 230, 80, 40, BUTTON_FONT},
};

constexpr WORD ENTER_COMMAND = 888, NEXT_COMMAND = 1212, PREVIOUS_COMMAND = 1213;

constexpr const char* ABOUT_TEXT =
    " A twin of the Tavek PIN window,\r\n written straight on the platform\r\n for the benchmarks.\r\n"
    " It keeps its rules minimal.\r\n Its jokes take turns.\r\n\r\n Instructions: Have Fun With It";
constexpr const char* JOKES[] = {
    " Why did the scarecrow win an award?\r\n - He was outstanding in his field.",
    " Teacher: Why are you late?\r\n Pupil: There was a sign down the road.\r\n Teacher: What did it say?\r\n"
    " Pupil: \"School Ahead, Go Slow.\"",
};
constexpr const char* PIN = "2468";
constexpr const char* MASTER_CODE = "6157";

// ---- State ------------------------------------------------------------------------------
struct Twin {
    HWND window;
    HWND controls[ABOUT + 1];
    HFONT fonts[FONTS];
    HACCEL shortcuts;
    HWND tooltip;
    std::string guess;
    int strikes, balls, wins;
    std::string message;  // what the message line shows
    bool display_empty;
    int display_font;
    bool about_shown;
    bool display_clear_pending;  // a joke or the About text is up: the next typing clears it
    bool writing;                // our own writes raise change notifications: not typing
};
Twin twin;

HWND control(int id) { return twin.controls[id]; }

void set_text(int id, const char* text) { SetWindowTextA(control(id), text); }

void write_message(const std::string& text) {
    if (twin.message == text) return;
    set_text(MESSAGE, text.c_str());
    twin.message = text;
}

void set_display_font(int font) {
    if (twin.display_font == font) return;
    SendMessageA(control(DISPLAY), WM_SETFONT, reinterpret_cast<WPARAM>(twin.fonts[font]), TRUE);
    twin.display_font = font;
}

void write_display(int font, const char* text) {
    set_display_font(font);
    set_text(DISPLAY, text);
    twin.display_empty = text[0] == '\0';
}

void clear_display() {
    if (!twin.display_empty) write_display(twin.display_font, "");
}

std::string count_text(int count, int shown_up_to) {
    return count > shown_up_to ? std::string(" #") : " " + std::to_string(count);
}

// The newest line goes in at the top, with its break, in one replacement.
void insert_line(const std::string& line) {
    set_display_font(DISPLAY_FONT);
    const std::string text = line + "\n";
    SendMessageA(control(DISPLAY), EM_SETSEL, 0, 0);
    SendMessageA(control(DISPLAY), EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
    twin.display_empty = false;
}

void typed() {
    if (twin.about_shown) clear_display();
    twin.about_shown = false;
    write_message("");
    char text[64] = {};
    GetWindowTextA(control(GUESS), text, sizeof text);
    twin.guess = text;
    if (twin.guess.size() > 4) twin.guess.erase(0, twin.guess.size() - 4);
    if (twin.display_clear_pending) clear_display();
}

// The game pauses 25 ms per attempt of its joke choice, 1.5 attempts a win on
// average; the twin pauses alike, so that both wins come after the same pauses.
double slept_ms = 0;
void pause() {
    for (int attempt = 0; attempt < 1 + twin.wins % 2; ++attempt) {
        const double start = bench::now_ms();
        Sleep(25);
        slept_ms += bench::now_ms() - start;
    }
}

void judge() {
    if (twin.guess.size() < 4) return;
    if (twin.about_shown) clear_display();
    twin.about_shown = false;
    twin.writing = true;
    if (twin.guess == PIN || twin.guess == MASTER_CODE) {
        twin.strikes = twin.balls = 0;
        set_text(GUESS, "");
        set_text(STRIKES, " 0");
        set_text(BALLS, " 0");
        pause();
        write_display(DISPLAY_FONT, JOKES[twin.wins++ % 2]);
        write_message("Enter Another PIN");
        twin.display_clear_pending = true;
    } else {
        set_text(GUESS, "");
        write_message("YOU CHOSE POORLY");
        twin.display_clear_pending = false;
        if (twin.guess.find_first_of(PIN) != std::string::npos) {
            set_text(BALLS, count_text(++twin.balls, 99).c_str());
            insert_line("* Ball: " + twin.guess + " has at least one correct digit");
        } else {
            set_text(STRIKES, count_text(++twin.strikes, 9).c_str());
            insert_line("* Strike: " + twin.guess + " has no correct digits");
        }
        if (twin.strikes > 9) write_message(std::string("  Hint: ") + PIN);
    }
    twin.guess.clear();
    twin.writing = false;
}

void show_about() {
    if (twin.about_shown) return;
    write_display(ABOUT_FONT, ABOUT_TEXT);
    twin.display_clear_pending = true;
    twin.about_shown = true;
}

LRESULT CALLBACK window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_COMMAND: {
            const WORD id = LOWORD(wparam), code = HIWORD(wparam);
            if (lparam == 0 && code == 1) {  // a shortcut
                if (id == ENTER_COMMAND) judge();
                if (id == NEXT_COMMAND || id == PREVIOUS_COMMAND)
                    SetFocus(GetNextDlgTabItem(window, GetFocus(), id == PREVIOUS_COMMAND));
            } else if (id == GUESS && code == EN_CHANGE && !twin.writing) {
                typed();
            } else if (id == OK && code == BN_CLICKED) {
                judge();
            } else if (id == ABOUT && code == BN_CLICKED) {
                show_about();
            }
            return 0;
        }
        case WM_ACTIVATE: return 0;  // the focus stays where the platform leaves it, as in the game
        case WM_CLOSE: DestroyWindow(window); return 0;
        case WM_DESTROY: PostQuitMessage(0); return 0;
        default: return DefWindowProcA(window, message, wparam, lparam);
    }
}

void add_tool(HWND owner, HWND tool_control, const char* text) {
    TTTOOLINFOA tool{};
    tool.cbSize = TTTOOLINFOA_V1_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = owner;
    tool.uId = reinterpret_cast<UINT_PTR>(tool_control);
    tool.lpszText = const_cast<char*>(text);
    SendMessageA(twin.tooltip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

bool open(HINSTANCE instance) {
    const INITCOMMONCONTROLSEX common{sizeof common, ICC_TAB_CLASSES};  // the tooltip class
    InitCommonControlsEx(&common);
    const bool rich_edit_20 = LoadLibraryA("RICHED20.DLL") != nullptr;
    if (!rich_edit_20) LoadLibraryA("RICHED32.DLL");

    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    for (int f = 0; f < FONTS; ++f)
        twin.fonts[f] = CreateFontA(-MulDiv(FONT_ROWS[f].points, dpi, 72), 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET,
                                    OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                    DEFAULT_PITCH | FF_DONTCARE, FONT_ROWS[f].face);
    const HFONT default_font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));

    WNDCLASSA window_class{};
    window_class.style = CS_DBLCLKS;
    window_class.lpfnWndProc = window_procedure;
    window_class.hInstance = instance;
    window_class.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(1));
    window_class.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<intptr_t>(COLOR_BTNFACE + 1));
    window_class.lpszClassName = CLASS_NAME;
    if (!RegisterClassA(&window_class)) return false;
    RECT outer{0, 0, CLIENT_WIDTH, CLIENT_HEIGHT};
    AdjustWindowRect(&outer, WINDOW_STYLE, FALSE);
    twin.window = CreateWindowExA(0, CLASS_NAME, TITLE, WINDOW_STYLE, WINDOW_X, WINDOW_Y, outer.right - outer.left,
                                  outer.bottom - outer.top, nullptr, nullptr, instance, nullptr);
    if (!twin.window) return false;

    for (const ControlRow& c : CONTROLS) {
        const char* class_name = c.class_name ? c.class_name : rich_edit_20 ? "RichEdit20A" : "RichEdit";
        HWND h = CreateWindowExA(c.ex_style, class_name, c.text, c.style, c.x, c.y, c.width, c.height, twin.window,
                                 reinterpret_cast<HMENU>(static_cast<intptr_t>(c.id)), instance, nullptr);
        if (!h) return false;
        twin.controls[c.id] = h;
        SendMessageA(h, WM_SETFONT,
                     reinterpret_cast<WPARAM>(c.font == DEFAULT_FONT ? default_font : twin.fonts[c.font]), TRUE);
    }
    SendMessageA(control(DISPLAY), EM_LIMITTEXT, 0x7FFFFFFF, 0);
    twin.display_font = DISPLAY_FONT;
    twin.display_empty = true;

    twin.tooltip =
        CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
    add_tool(twin.window, control(STRIKES), "Max. Stikes Counted is 9 - Watch for Hint");
    add_tool(twin.window, control(BALLS), "Max. Balls Counted is 99");

    ACCEL shortcuts[] = {{FVIRTKEY | FNOINVERT, VK_TAB, NEXT_COMMAND},
                         {FVIRTKEY | FNOINVERT | FSHIFT, VK_TAB, PREVIOUS_COMMAND},
                         {FVIRTKEY | FNOINVERT, VK_RETURN, ENTER_COMMAND}};
    twin.shortcuts = CreateAcceleratorTableA(shortcuts, 3);
    ShowWindow(twin.window, SW_SHOWNORMAL);
    return true;
}

void close() {
    if (IsWindow(twin.window)) DestroyWindow(twin.window);
    DestroyAcceleratorTable(twin.shortcuts);
    for (HFONT font : twin.fonts) DeleteObject(font);
}

void dispatch(MSG& message) {
    if (!TranslateAcceleratorA(twin.window, twin.shortcuts, &message)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// ---- In-process figures, taken as bench_game takes the game's -------------------------
// One message handled; false when none was waiting.
bool pass() {
    MSG message;
    if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE | PM_NOYIELD)) return false;
    dispatch(message);
    return true;
}

void run_until_idle() {
    for (int passes = 0; passes < 5000 && pass(); ++passes) {
    }
}

int judged() { return twin.strikes + twin.balls; }

void type(const std::string& text) {
    for (const char c : text) PostMessageA(control(GUESS), WM_CHAR, static_cast<WPARAM>(c), 1);
    run_until_idle();
}

// Types the guess untimed, then times its Enter; with `count`, counts that Enter's messages.
template <typename Done>
bench::Handled enter(const std::string& guess, Done done, bench::MessageCount* count = nullptr) {
    type(guess);
    if (GetActiveWindow() != twin.window) SetForegroundWindow(twin.window);
    if (GetFocus() != control(GUESS)) SetFocus(control(GUESS));
    run_until_idle();
    if (count) bench::start_counting();
    const bench::Handled h = bench::time_enter(control(GUESS), pass, done);
    if (count) *count += bench::stop_counting();
    return h;
}

std::string first_display_line() {
    char line[256] = {};
    *reinterpret_cast<WORD*>(line) = sizeof line - 1;
    SendMessageA(control(DISPLAY), EM_GETLINE, 0, reinterpret_cast<LPARAM>(line));
    return line;
}

void bench_handling() {
    run_until_idle();
    bench::figure("working_set_after_start_kb", static_cast<double>(bench::working_set_bytes()) / 1024);
    unsigned state = 7;
    std::vector<double> misses, misses_idle, misses_cpu;
    bench::MessageCount counted{};
    int counted_misses = 0;
    for (int i = 0; i < 1020; ++i) {
        if (i % 20 == 0) enter(MASTER_CODE, [] { return twin.message == "Enter Another PIN"; });
        const std::string guess = bench::missing_guess(state, PIN);
        const int before = judged();
        // After the thousand timed misses, twenty more with their messages counted.
        const bool count = i >= 1000;
        const auto judged_once = [before] { return judged() == before + 1; };
        const bench::Handled h = enter(guess, judged_once, count ? &counted : nullptr);
        if (first_display_line().find(" " + guess + " has ") == std::string::npos)
            bench::fail("the miss line for " + guess + " is missing");
        if (count) {
            ++counted_misses;
        } else {
            misses.push_back(h.written_ms);
            misses_idle.push_back(h.idle_ms);
            misses_cpu.push_back(h.cpu_ms);
        }
    }
    bench::figure("miss_median_ms", bench::percentile(misses, 0.5));
    bench::figure("miss_p99_ms", bench::percentile(misses, 0.99));
    bench::figure("miss_idle_median_ms", bench::percentile(misses_idle, 0.5));
    bench::figure("miss_idle_p99_ms", bench::percentile(misses_idle, 0.99));
    bench::figure("miss_cpu_median_ms", bench::percentile(misses_cpu, 0.5));
    bench::report_count("miss", counted, counted_misses);

    std::vector<double> wins, wins_idle, wins_cpu;
    counted = {};
    for (int i = 0; i < 220; ++i) {
        const int before = twin.wins;
        const bool count = i >= 200;
        slept_ms = 0;
        const auto won_once = [before] { return twin.wins == before + 1; };
        const bench::Handled h = enter(MASTER_CODE, won_once, count ? &counted : nullptr);
        if (twin.message != "Enter Another PIN") bench::fail("a win did not ask for another PIN");
        if (count) continue;
        wins.push_back(h.written_ms - slept_ms);
        wins_idle.push_back(h.idle_ms - slept_ms);
        wins_cpu.push_back(h.cpu_ms);
    }
    bench::figure("win_median_ms", bench::percentile(wins, 0.5));
    bench::figure("win_p99_ms", bench::percentile(wins, 0.99));
    bench::figure("win_idle_median_ms", bench::percentile(wins_idle, 0.5));
    bench::figure("win_cpu_median_ms", bench::percentile(wins_cpu, 0.5));
    bench::report_count("win", counted, 20);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR command_line, int) {
    const bool handling = command_line && std::strcmp(command_line, "handling") == 0;
    if (!open(instance)) return 1;
    if (handling) {
        bench_handling();
        close();
        return 0;
    }
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) dispatch(message);
    close();
    return static_cast<int>(message.wParam);
}
