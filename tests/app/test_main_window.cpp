// The game's window built in this process, as start-up builds it, and the main
// loop driven through the real message path.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <richedit.h>

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "game/app.h"
#include "game/game_state.h"
#include "game/main_window.h"
#include "game_driver.h"
#include "runtime/random.h"
#include "toolkit/win32/internal.h"

namespace {

// The real start-up, run once for this program right after an explicit seed;
// what it drew is kept before the tests reset the game.
constexpr uint32_t START_SEED = 987654;
struct StartUpDraws {
    std::string pin;
    std::vector<int32_t> history;
};
StartUpDraws start_up_draws;

class SeededStartUp : public testing::Environment {
public:
    void SetUp() override {
        random_seed(START_SEED);
        ASSERT_TRUE(drive::start_game_once());
        start_up_draws = {game.secret_pin, {joke_reel.history + HISTORY_FIRST, joke_reel.history + HISTORY_LAST + 1}};
    }
};
const testing::Environment* const seeded_start_up = testing::AddGlobalTestEnvironment(new SeededStartUp);

using drive::click;
using drive::display_lines;
using drive::press_enter;
using drive::run_until_idle;
using drive::type_into_guess;

class MainWindow : public testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(drive::start_game_once()); }
    static HWND main() { return drive::main_window(); }
    static HWND control(int gadget) { return drive::control(gadget); }

    // The display's font, as the rich-text control reports its default format.
    static std::string display_face() {
        CHARFORMATA format{};
        format.cbSize = sizeof format;
        SendMessageA(control(GADGET_DISPLAY), EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
        return format.szFaceName;
    }

    void SetUp() override { drive::reset_game("1234"); }
};

struct Expected {
    int number;
    const char* class_prefix;
    int x, y, width, height;  // units of 1/96 inch
    const char* text;
    DWORD style_bits;  // must all be set
    int font;          // 0: the toolkit default font
};

const Expected LAYOUT[] = {
    {GADGET_OK, "Button", 110, 140, 50, 30, "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 0},
    {GADGET_PROMPT, "Static", 70, 30, 140, 50, "Enter 4 Digit  PIN", SS_CENTER, FONT_PROMPT},
    {GADGET_GUESS, "Edit", 90, 90, 90, 40, "", ES_NUMBER | WS_TABSTOP, FONT_DIGITS},
    {GADGET_FRAME, "Button", 30, 20, 220, 240, "", BS_GROUPBOX, 0},
    {GADGET_STRIKES, "Edit", 70, 210, 50, 40, " 0", ES_READONLY, FONT_DIGITS},
    {GADGET_BALLS, "Edit", 160, 210, 50, 40, " 0", ES_READONLY, FONT_DIGITS},
    {GADGET_STRIKES_LABEL, "Static", 70, 190, 60, 20, "Strikes", 0, FONT_LABEL},
    {GADGET_BALLS_LABEL, "Static", 160, 190, 50, 20, "Balls", SS_CENTER, FONT_LABEL},
    {GADGET_MESSAGE, "Static", 350, 230, 190, 40, "", SS_CENTER, FONT_LABEL},
    {GADGET_DISPLAY, "RichEdit", 270, 30, 358, 185, "", ES_READONLY | ES_MULTILINE, FONT_DISPLAY},
    {GADGET_ABOUT, "Button", 550, 230, 80, 40, "About", BS_DEFPUSHBUTTON, FONT_BUTTON},
};

// The display's scale. The layout's positions and sizes are units of 1/96
// inch: the window and its gadgets stand at them times the window's dots per
// inch over 96 (rounded to the nearest pixel), as the fonts, sized in points,
// grow with the display too. The program runs once in the project's own prefix
// and once more in a prefix per scale (tests/CMakeLists.txt). On a small screen
// the window moves into it; only where it cannot fit is its scale lowered.
constexpr int FLUSH_RIGHT = -1;  // x: the window's right edge on the screen's
struct Scale {
    int dpi;
    int client_width, client_height;
    int x, y;              // the window's outer top-left corner
    int screen_width = 0;  // 0: a screen that holds the window where it is asked
    int window_dpi = 0;    // 0: the display's
};
constexpr Scale SCALES[] = {
    {144, 990, 450, FLUSH_RIGHT, 0, 1280},
    {168, 1155, 525, FLUSH_RIGHT, 0, 1280},
    {144, 990, 450, FLUSH_RIGHT, 0, 1024},
    {168, 1011, 459, FLUSH_RIGHT, 0, 1024, 147},
    {96, 660, 300, 216, 0},
    {120, 825, 375, 270, 0},
    {144, 990, 450, 324, 0},
    {192, 1320, 600, 432, 0},
};

int display_dpi() {
    HDC display = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    const int dpi = GetDeviceCaps(display, LOGPIXELSY);
    DeleteDC(display);
    return dpi;
}

// The prefix's display reports the scale the run was started for, and this
// process is told it, aware of the display's scale as the program is.
void expect_the_asked_scale() {
    if (const char* asked = std::getenv("TAVEK_LOGPIXELS")) {
        EXPECT_EQ(display_dpi(), std::atoi(asked));
    }
    EXPECT_TRUE(IsProcessDPIAware());
}

// The row the window follows: the display's scale, or 96 where it reports less.
const Scale* scale_row() {
    const int dpi = std::max(display_dpi(), 96);
    for (const Scale& row : SCALES)
        if (row.dpi == dpi && (!row.screen_width || row.screen_width == GetSystemMetrics(SM_CXSCREEN))) return &row;
    return nullptr;
}

// A gadget's rectangle in its window's client area.
RECT rect_in_window(HWND control, HWND window) {
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(HWND_DESKTOP, window, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

TEST_F(MainWindow, GadgetsStandWhereAndAsTheLayoutSays) {
    const Scale* scale = scale_row();
    ASSERT_NE(scale, nullptr) << "no row for the display's " << display_dpi() << " dots per inch";
    const int window_dpi = scale->window_dpi ? scale->window_dpi : scale->dpi;
    const auto at_scale = [window_dpi](int length) { return MulDiv(length, window_dpi, 96); };
    std::vector<int> order;
    for (HWND child = GetWindow(main(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        order.push_back(static_cast<int>(GetWindowLongPtrA(child, GWLP_ID)));
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 10, 9, 11})) << "creation order";

    for (const Expected& row : LAYOUT) {
        SCOPED_TRACE(row.number);
        HWND h = control(row.number);
        ASSERT_NE(h, nullptr);
        char cls[64] = {};
        GetClassNameA(h, cls, sizeof cls);
        EXPECT_EQ(std::string(cls).rfind(row.class_prefix, 0), 0u) << cls;
        const RECT r = rect_in_window(h, main());
        EXPECT_EQ(r.left, at_scale(row.x));
        EXPECT_EQ(r.top, at_scale(row.y));
        EXPECT_EQ(r.right - r.left, at_scale(row.width));
        EXPECT_EQ(r.bottom - r.top, at_scale(row.height));
        EXPECT_EQ(get_gadget_text(row.number), row.text);
        const DWORD style = static_cast<DWORD>(GetWindowLongA(h, GWL_STYLE));
        EXPECT_EQ(style & row.style_bits, row.style_bits);
        // The kind of button and the alignment are exactly the row's: no other type or alignment bit.
        const DWORD kind_bits = std::string(cls) == "Button"   ? BS_TYPEMASK
                                : std::string(cls) == "Static" ? SS_TYPEMASK
                                                               : ES_CENTER | ES_RIGHT;
        EXPECT_EQ(style & kind_bits, row.style_bits & kind_bits);
        if (row.number == GADGET_DISPLAY) {
            EXPECT_EQ(display_face(), "Arial Rounded MT Bold");
            continue;
        }
        // The game's font, or the default one, at the window's scale: itself at the display's.
        const HFONT font = reinterpret_cast<HFONT>(SendMessageA(h, WM_GETFONT, 0, 0));
        const HFONT given =
            row.font ? game.font_handles[row.font - 1] : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
        EXPECT_TRUE(window_dpi != scale->dpi || font == given);
        LOGFONTA shown{}, wanted{};
        GetObjectA(font, sizeof shown, &shown);
        GetObjectA(given, sizeof wanted, &wanted);
        EXPECT_EQ(shown.lfHeight, MulDiv(wanted.lfHeight, window_dpi, scale->dpi));
        EXPECT_STREQ(shown.lfFaceName, wanted.lfFaceName);
    }
}

TEST_F(MainWindow, StartUpDrawsThePinFirstThenNineHistoryValues) {
    random_seed(START_SEED);
    const std::string pin = pin_text(random_upto(9999));
    std::vector<int32_t> history;
    for (int s = HISTORY_FIRST; s <= HISTORY_LAST; ++s) history.push_back(random_upto(JOKE_COUNT - 1));
    EXPECT_EQ(start_up_draws.pin, pin);
    EXPECT_EQ(start_up_draws.history, history);
}

TEST_F(MainWindow, EachGameFontByNumberHasItsFaceAndSize) {
    const struct {
        int number;
        const char* face;
        int points;
    } rows[] = {
        {FONT_PROMPT, "Times New Roman", 12},
        {FONT_DIGITS, "Arial", 18},
        {FONT_LABEL, "Arial Rounded MT Bold", 9},
        {FONT_DISPLAY, "Arial Rounded MT Bold", 10},
        {FONT_BUTTON, "Arial", 10},
        {FONT_ABOUT, "Courier New", 9},
    };
    const int dpi = display_dpi();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.number);
        auto* record = static_cast<HFONT*>(objects_find(toolkit.fonts, row.number));
        ASSERT_NE(record, nullptr);
        EXPECT_EQ(*record, game.font_handles[row.number - 1]);
        LOGFONTA font{};
        ASSERT_EQ(GetObjectA(*record, sizeof font, &font), static_cast<int>(sizeof font));
        EXPECT_STREQ(font.lfFaceName, row.face);
        EXPECT_EQ(font.lfHeight, -MulDiv(row.points, dpi, 72));
        EXPECT_EQ(font.lfWeight, FW_NORMAL);
    }
}

TEST_F(MainWindow, WindowTitleStyleAndPlace) {
    expect_the_asked_scale();
    const Scale* scale = scale_row();
    ASSERT_NE(scale, nullptr) << "no row for the display's " << display_dpi() << " dots per inch";
    char title[64] = {};
    GetWindowTextA(main(), title, sizeof title);
    EXPECT_STREQ(title, "Tavek PIN Program Ver. 0.11");
    const DWORD style = static_cast<DWORD>(GetWindowLongA(main(), GWL_STYLE));
    EXPECT_EQ(style & 0xCC0000u, 0xCC0000u);
    EXPECT_EQ(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0u);
    RECT client, outer;
    GetClientRect(main(), &client);
    GetWindowRect(main(), &outer);
    EXPECT_EQ(client.right, scale->client_width);
    EXPECT_EQ(client.bottom, scale->client_height);
    EXPECT_EQ(scale->x == FLUSH_RIGHT ? outer.right : outer.left,
              scale->x == FLUSH_RIGHT ? GetSystemMetrics(SM_CXSCREEN) : scale->x);
    EXPECT_EQ(outer.top, scale->y);
}

// Whatever scale the display reports, even one too large for the screen, the
// window is no smaller than at 96 dots per inch, and no larger than the work
// area of its monitor where the window's 96 numbers would fit there.
TEST_F(MainWindow, WindowNoSmallerThanAt96NorPastTheWorkArea) {
    expect_the_asked_scale();
    RECT client, outer;
    GetClientRect(main(), &client);
    GetWindowRect(main(), &outer);
    EXPECT_GE(client.right, 660);
    EXPECT_GE(client.bottom, 300);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    ASSERT_TRUE(GetMonitorInfoA(MonitorFromWindow(main(), MONITOR_DEFAULTTONEAREST), &monitor));
    const RECT& work = monitor.rcWork;
    RECT frame{0, 0, 660, 300};
    AdjustWindowRect(&frame, static_cast<DWORD>(GetWindowLongA(main(), GWL_STYLE)), FALSE);
    std::printf("window at %d dots per inch: client %ldx%ld at %ld,%ld; work area %ldx%ld\n", display_dpi(),
                client.right, client.bottom, outer.left, outer.top, work.right - work.left, work.bottom - work.top);
    if (216 + (frame.right - frame.left) > work.right || frame.bottom - frame.top > work.bottom) return;
    EXPECT_LE(outer.right, work.right);
    EXPECT_LE(outer.bottom, work.bottom);
}

// Every text a gadget shows fits in it on one line in the gadget's own font.
// Where the fonts grow with the display and the gadgets do not, the prompt
// wraps onto a second line and the labels and the counts' digits are cut.
TEST_F(MainWindow, EveryTextFitsItsGadgetOnOneLine) {
    const struct {
        int gadget;
        const char* text;
    } rows[] = {
        {GADGET_PROMPT, "Enter 4 Digit  PIN"},
        {GADGET_STRIKES_LABEL, "Strikes"},
        {GADGET_BALLS_LABEL, "Balls"},
        {GADGET_STRIKES, " 0"},
        {GADGET_STRIKES, " 99"},
        {GADGET_BALLS, " 0"},
        {GADGET_BALLS, " 99"},
        {GADGET_GUESS, "1234"},
        {GADGET_OK, "OK"},
        {GADGET_ABOUT, "About"},
        {GADGET_MESSAGE, "YOU CHOSE POORLY"},
        {GADGET_MESSAGE, "Enter Another PIN"},
        {GADGET_MESSAGE, "  Hint: 1234"},
    };
    // The tightest fit across and down, for the record of each scale.
    struct Tightest {
        long margin = LONG_MAX;
        std::string where;
    } across, down;
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row.gadget) + " \"" + row.text + "\"");
        HWND h = control(row.gadget);
        ASSERT_NE(h, nullptr);
        RECT client;
        GetClientRect(h, &client);
        HDC dc = GetDC(h);
        HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(h, WM_GETFONT, 0, 0)));
        SIZE extent{};
        GetTextExtentPoint32A(dc, row.text, lstrlenA(row.text), &extent);
        SelectObject(dc, old);
        ReleaseDC(h, dc);
        EXPECT_LE(extent.cx, client.right) << "too wide";
        EXPECT_LE(extent.cy, client.bottom) << "too high";
        const std::string where = std::string("\"") + row.text + "\" " + std::to_string(extent.cx) + "x" +
                                  std::to_string(extent.cy) + " in " + std::to_string(client.right) + "x" +
                                  std::to_string(client.bottom);
        if (client.right - extent.cx < across.margin) across = {client.right - extent.cx, where};
        if (client.bottom - extent.cy < down.margin) down = {client.bottom - extent.cy, where};
    }
    std::printf("texts at %d dots per inch: smallest margins %ld px across (%s), %ld px down (%s)\n", display_dpi(),
                across.margin, across.where.c_str(), down.margin, down.where.c_str());
}

// The font file behind a font, as the platform hands it out.
std::string font_file(HDC dc, HFONT font) {
    HGDIOBJ old = SelectObject(dc, font);
    const DWORD size = GetFontData(dc, 0, 0, nullptr, 0);
    std::string data(size == GDI_ERROR ? 0 : size, '\0');
    if (!data.empty()) GetFontData(dc, 0, 0, data.data(), size);
    SelectObject(dc, old);
    return data;
}

// The faces the game asks for are not on a Debian machine; the project's Wine
// prefixes (tools/wine-prefix.sh) map them to the metric-compatible ones Debian
// ships. Each of the game's fonts must be drawn from the face that keeps the
// design, and Wine's own frame must find the symbol font of its caption buttons
// (without it the close box shows the letter "r").
TEST_F(MainWindow, GameFontsGetTheDesignedFacesAndPitch) {
    struct Row {
        const char* what;
        HFONT font;
        const char* face;  // the face its letters must come from
        bool fixed_pitch;
        BYTE family;  // FF_ROMAN, FF_SWISS, FF_MODERN, or FF_DONTCARE to skip
    };
    LOGFONTA symbol{};
    symbol.lfHeight = -13;
    symbol.lfCharSet = SYMBOL_CHARSET;
    lstrcpyA(symbol.lfFaceName, "Marlett");
    HFONT caption_symbols = CreateFontIndirectA(&symbol);
    const Row rows[] = {
        {"prompt: serif, Times New Roman's metrics", game.font_handles[FONT_PROMPT - 1], "Liberation Serif", false,
         FF_ROMAN},
        {"digits: Arial's metrics", game.font_handles[FONT_DIGITS - 1], "Liberation Sans", false, FF_SWISS},
        {"labels: a rounded sans", game.font_handles[FONT_LABEL - 1], "Comfortaa", false, FF_DONTCARE},
        {"display: a rounded sans", game.font_handles[FONT_DISPLAY - 1], "Comfortaa", false, FF_DONTCARE},
        {"buttons: Arial's metrics", game.font_handles[FONT_BUTTON - 1], "Liberation Sans", false, FF_SWISS},
        {"About: fixed pitch, Courier New's metrics", game.font_handles[FONT_ABOUT - 1], "Liberation Mono", true,
         FF_MODERN},
        {"caption buttons of the frame", caption_symbols, "Marlett", false, FF_DONTCARE},
    };
    HDC dc = CreateCompatibleDC(nullptr);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        ASSERT_NE(row.font, nullptr);
        // The same font asked for by the wanted face's own name.
        LOGFONTA wanted{};
        ASSERT_EQ(GetObjectA(row.font, sizeof wanted, &wanted), static_cast<int>(sizeof wanted));
        lstrcpynA(wanted.lfFaceName, row.face, LF_FACESIZE);
        HFONT reference = CreateFontIndirectA(&wanted);
        HGDIOBJ old = SelectObject(dc, reference);
        char face[LF_FACESIZE] = {};
        GetTextFaceA(dc, sizeof face, face);
        SelectObject(dc, old);
        EXPECT_STREQ(face, row.face) << "the face is not installed";
        const std::string file = font_file(dc, row.font);
        EXPECT_FALSE(file.empty());
        EXPECT_TRUE(file == font_file(dc, reference)) << "drawn from another face";
        DeleteObject(reference);

        old = SelectObject(dc, row.font);
        TEXTMETRICA metrics{};
        ASSERT_TRUE(GetTextMetricsA(dc, &metrics));
        SelectObject(dc, old);
        // The bit's name says the opposite of its meaning: set for variable pitch.
        EXPECT_EQ((metrics.tmPitchAndFamily & TMPF_FIXED_PITCH) == 0, row.fixed_pitch);
        if (row.family != FF_DONTCARE) {
            EXPECT_EQ(metrics.tmPitchAndFamily & 0xF0, row.family);
        }
    }
    DeleteDC(dc);
    DeleteObject(caption_symbols);
}

TEST_F(MainWindow, CountFieldsCarryTheirTooltips) {
    HWND tips = gadget_context()->tooltip_window;
    ASSERT_NE(tips, nullptr);
    EXPECT_EQ(SendMessageA(tips, TTM_GETTOOLCOUNT, 0, 0), 2);
    const struct {
        int gadget;
        const char* text;
    } rows[] = {{GADGET_STRIKES, "Max. Stikes Counted is 9 - Watch for Hint"},
                {GADGET_BALLS, "Max. Balls Counted is 99"}};
    for (const auto& row : rows) {
        char text[128] = {};
        TTTOOLINFOA info{};
        info.cbSize = TTTOOLINFOA_V1_SIZE;
        info.hwnd = main();
        info.uId = reinterpret_cast<UINT_PTR>(control(row.gadget));
        info.lpszText = text;
        SendMessageA(tips, TTM_GETTEXTA, 0, reinterpret_cast<LPARAM>(&info));
        EXPECT_STREQ(text, row.text);
    }
}

TEST_F(MainWindow, AboutTextHasSevenLinesInShape) {
    std::vector<std::string> lines;
    std::string text = game.about_text;
    for (size_t start = 0;;) {
        const size_t end = text.find("\r\n", start);
        lines.push_back(text.substr(start, end - start));
        if (end == std::string::npos) break;
        start = end + 2;
    }
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[5], "");
    EXPECT_EQ(lines[6], " Instructions: Have Fun With It");
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].empty()) continue;
        SCOPED_TRACE(i);
        EXPECT_LE(lines[i].size(), 37u);
        EXPECT_EQ(lines[i][0], ' ');
        EXPECT_NE(lines[i][1], ' ');
    }
}

TEST_F(MainWindow, EnterIsBoundBesideTabAndShiftTab) {
    ACCEL entries[8] = {};
    const int count = CopyAcceleratorTableA(find_window_record(WINDOW_MAIN)->shortcut_table, entries, 8);
    ASSERT_EQ(count, 3);
    EXPECT_EQ(entries[2].key, VK_RETURN);
    EXPECT_EQ(entries[2].cmd, SHORTCUT_ENTER);
    EXPECT_EQ(entries[2].fVirt & (FSHIFT | FCONTROL | FALT), 0);
}

TEST_F(MainWindow, TypedDigitsAndEnterJudgeAMissThroughTheLoop) {
    type_into_guess("5678");
    EXPECT_EQ(game.guess, "5678");
    press_enter();
    EXPECT_EQ(get_gadget_text(GADGET_GUESS), "");
    EXPECT_EQ(get_gadget_text(GADGET_STRIKES), " 1");
    EXPECT_EQ(get_gadget_text(GADGET_MESSAGE), "YOU CHOSE POORLY");
    EXPECT_EQ(display_lines(), (std::vector<std::string>{"* Strike: 5678 has no correct digits"}));
    // The last field write named the count field, so the message survives the next events.
    run_until_idle();
    EXPECT_EQ(get_gadget_text(GADGET_MESSAGE), "YOU CHOSE POORLY");
}

TEST_F(MainWindow, ShortGuessIsNotJudgedByEnterOrOk) {
    type_into_guess("123");
    press_enter();
    click(GADGET_OK);
    EXPECT_EQ(get_gadget_text(GADGET_GUESS), "123");
    EXPECT_EQ(get_gadget_text(GADGET_STRIKES), " 0");
    EXPECT_EQ(get_gadget_text(GADGET_BALLS), " 0");
    EXPECT_EQ(get_gadget_text(GADGET_MESSAGE), "");
    EXPECT_EQ(count_gadget_items(GADGET_DISPLAY), 0);
}

TEST_F(MainWindow, OkClickJudgesOnceAndWinShowsAJoke) {
    type_into_guess("001234");  // six digits: the last four count
    click(GADGET_OK);
    EXPECT_EQ(get_gadget_text(GADGET_MESSAGE), "Enter Another PIN");
    EXPECT_EQ(get_gadget_text(GADGET_STRIKES), " 0");
    EXPECT_EQ(get_gadget_text(GADGET_BALLS), " 0");
    EXPECT_EQ(game.display_clear_pending, 1);
    EXPECT_EQ(get_gadget_text(GADGET_DISPLAY).substr(0, 1), " ");
    EXPECT_EQ(display_face(), "Arial Rounded MT Bold");
    // The guess field's next event empties the display.
    SetFocus(control(GADGET_GUESS));
    run_until_idle();
    EXPECT_EQ(get_gadget_text(GADGET_DISPLAY), "");
}

TEST_F(MainWindow, AboutStaysUntilTheGuessFieldIsUsedAndTheLoopThenIdles) {
    click(GADGET_ABOUT);
    EXPECT_EQ(game.about_shown, 1);
    EXPECT_EQ(count_gadget_items(GADGET_DISPLAY), 7);
    EXPECT_EQ(display_face(), "Courier New");
    // Mouse movement over the window leaves the About text in place.
    PostMessageA(main(), WM_MOUSEMOVE, 0, MAKELPARAM(300, 100));
    run_until_idle();
    EXPECT_EQ(count_gadget_items(GADGET_DISPLAY), 7);
    // A quiet window raises no further events: the loop sleeps in wait_event.
    const int passes = run_until_idle();
    EXPECT_TRUE(passes >= 0 && passes < 5) << "the loop keeps waking itself: " << passes;
    type_into_guess("9");
    EXPECT_EQ(count_gadget_items(GADGET_DISPLAY), 0);
    EXPECT_EQ(game.about_shown, 0);
}

TEST_F(MainWindow, QuietAfterAGuessFieldEventAndAfterAWin) {
    type_into_guess("1");
    int passes = run_until_idle();
    EXPECT_TRUE(passes >= 0 && passes < 5) << "the loop keeps waking itself after a guess-field event";
    type_into_guess("234");
    press_enter();  // a win
    EXPECT_EQ(get_gadget_text(GADGET_MESSAGE), "Enter Another PIN");
    passes = run_until_idle();
    EXPECT_TRUE(passes >= 0 && passes < 5) << "the loop keeps waking itself after a win";
}

}  // namespace
