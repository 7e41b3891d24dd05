// Sizing a toolkit window with the keyboard and the mouse while full-window
// dragging is on: the loop's start and end, the arrow keys' edges and steps,
// the pointer following an edge, and the tracking limits.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "toolkit/win32/internal.h"
#include "toolkit_fixture.h"

namespace {

constexpr int SIZING_WINDOW = 4;
constexpr int CHILD_WINDOW = 5;
constexpr int MIN_WIDTH = 200, MIN_HEIGHT = 150;
constexpr int MAX_WIDTH = 520, MAX_HEIGHT = 420;

// What the window saw, recorded by the toolkit's global hook.
struct Seen {
    HWND window;
    int enter_size_move;
    int exit_size_move;
    int get_min_max_info;
    int sizing;
};
Seen seen;

LRESULT record_message(HWND hwnd, UINT message, WPARAM, LPARAM lparam) {
    if (hwnd != seen.window) return HOOK_CONTINUE;
    switch (message) {
        case WM_ENTERSIZEMOVE: ++seen.enter_size_move; break;
        case WM_EXITSIZEMOVE: ++seen.exit_size_move; break;
        case WM_SIZING: ++seen.sizing; break;
        case WM_GETMINMAXINFO: {
            ++seen.get_min_max_info;
            MINMAXINFO* info = reinterpret_cast<MINMAXINFO*>(lparam);
            info->ptMinTrackSize = {MIN_WIDTH, MIN_HEIGHT};
            info->ptMaxTrackSize = {MAX_WIDTH, MAX_HEIGHT};
            return 0;
        }
        default: break;
    }
    return HOOK_CONTINUE;
}

RECT window_rect(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}

POINT cursor() {
    POINT p{};
    GetCursorPos(&p);
    return p;
}

HCURSOR system_cursor(int shape) {
    return static_cast<HCURSOR>(
        LoadImageA(nullptr, MAKEINTRESOURCEA(shape), IMAGE_CURSOR, 0, 0, LR_SHARED | LR_DEFAULTSIZE));
}

std::string describe(const RECT& r) {
    char text[64];
    std::snprintf(text, sizeof text, "(%ld, %ld, %ld, %ld)", static_cast<long>(r.left), static_cast<long>(r.top),
                  static_cast<long>(r.right), static_cast<long>(r.bottom));
    return text;
}

void expect_rect(const RECT& actual, const RECT& expected, const std::string& what) {
    EXPECT_TRUE(EqualRect(&actual, &expected))
        << what << ": " << describe(actual) << " instead of " << describe(expected);
}

RECT shifted(RECT r, int dl, int dt, int dr, int db) { return {r.left + dl, r.top + dt, r.right + dr, r.bottom + db}; }

void key(HWND window, WPARAM code) { SendMessageA(window, WM_KEYDOWN, code, 0); }

// A mouse move to a screen point, given to the window in its client
// coordinates as the platform would.
LPARAM client_point(HWND window, int x, int y) {
    POINT p{x, y};
    ScreenToClient(window, &p);
    return MAKELPARAM(static_cast<WORD>(static_cast<short>(p.x)), static_cast<WORD>(static_cast<short>(p.y)));
}

void move_pointer(HWND window, int x, int y) { SendMessageA(window, WM_MOUSEMOVE, 0, client_point(window, x, y)); }

// One window serves every test (destroying a top-level window is slow under
// Wine without a window manager); each test puts it back where it started.
class Sizing : public ::testing::Test {
protected:
    void SetUp() override {
        start_toolkit();
        SystemParametersInfoA(SPI_SETDRAGFULLWINDOWS, TRUE, nullptr, 0);
        if (!window_handle(SIZING_WINDOW)) open_window(SIZING_WINDOW, 100, 100, 320, 240, "Sizing", 0xCC0000);
        window = window_handle(SIZING_WINDOW);
        ASSERT_NE(window, nullptr);
        static const RECT first = window_rect(window);
        MoveWindow(window, first.left, first.top, first.right - first.left, first.bottom - first.top, TRUE);
        SetForegroundWindow(window);
        SetActiveWindow(window);
        SetFocus(window);
        drain_events();
        ASSERT_EQ(toolkit.sizing->active, 0);
        seen = Seen{window, 0, 0, 0, 0};
        event_record()->global_hook = record_message;
        start = window_rect(window);
        SetCursorPos((start.left + start.right) / 2, (start.top + start.bottom) / 2);
        pointer_start = cursor();
    }
    void TearDown() override {
        if (GetCapture()) ReleaseCapture();
        drain_events();
        event_record()->global_hook = nullptr;
        close_window(CHILD_WINDOW);
        drain_events();
        SystemParametersInfoA(SPI_SETDRAGFULLWINDOWS, TRUE, nullptr, 0);
    }

    LRESULT start_sizing(HWND target, int edge) {
        return SendMessageA(target, WM_SYSCOMMAND, SC_SIZE | static_cast<WPARAM>(edge), 0);
    }
    // After the loop: the posted start and end notices arrive once each.
    void expect_one_enter_and_exit() {
        drain_events();
        EXPECT_EQ(seen.enter_size_move, 1);
        EXPECT_EQ(seen.exit_size_move, 1);
        EXPECT_GE(seen.get_min_max_info, 1);
    }

    HWND window = nullptr;
    RECT start{};
    POINT pointer_start{};
};

TEST_F(Sizing, SystemMenuSizeWithArrowKeysAndEscape) {
    ASSERT_EQ(start_sizing(window, 0), 0);
    ASSERT_NE(toolkit.sizing, nullptr);
    EXPECT_EQ(toolkit.sizing->active, 1);
    EXPECT_EQ(toolkit.sizing->edge, 0);
    EXPECT_EQ(GetCapture(), window);
    EXPECT_EQ(GetCursor(), system_cursor(32646)) << "four-way cursor";

    key(window, VK_LEFT);
    EXPECT_EQ(toolkit.sizing->edge, WMSZ_LEFT);
    EXPECT_EQ(cursor().x, start.left);
    EXPECT_EQ(GetCursor(), system_cursor(32644));
    key(window, VK_UP);
    EXPECT_EQ(toolkit.sizing->edge, WMSZ_TOPLEFT);
    EXPECT_EQ(cursor().x, start.left + 2);
    EXPECT_EQ(cursor().y, start.top + 2);
    EXPECT_EQ(GetCursor(), system_cursor(32642));
    expect_rect(window_rect(window), start, "choosing the corner keeps the size");
    EXPECT_EQ(seen.sizing, 0);

    key(window, VK_LEFT);
    expect_rect(window_rect(window), shifted(start, -10, 0, 0, 0), "first step left");
    key(window, VK_LEFT);
    key(window, VK_UP);
    const RECT reached = shifted(start, -20, -10, 0, 0);
    expect_rect(window_rect(window), reached, "two steps left and one up");
    EXPECT_EQ(seen.sizing, 3) << "WM_SIZING before every move";

    key(window, VK_ESCAPE);
    EXPECT_EQ(toolkit.sizing->active, 0);
    EXPECT_EQ(GetCapture(), nullptr);
    expect_rect(window_rect(window), reached, "Escape keeps the size reached");
    EXPECT_EQ(cursor().x, pointer_start.x) << "no mouse move: the cursor goes back";
    EXPECT_EQ(cursor().y, pointer_start.y);
    expect_one_enter_and_exit();
}

// Every arrow-key turn: the edge or corner chosen, the cursor shape, and the
// cursor placed so that it grips the window without changing its size; then
// one step along the way the third key points.
struct TurnRow {
    const char* name;
    WPARAM first, second;  // second 0: a single key chooses a plain edge
    int edge;
    int shape;
    WPARAM step;
    int dl, dt, dr, db;
};

const TurnRow TURNS[] = {
    {"Left", VK_LEFT, 0, WMSZ_LEFT, 32644, VK_LEFT, -10, 0, 0, 0},
    {"Right", VK_RIGHT, 0, WMSZ_RIGHT, 32644, VK_RIGHT, 0, 0, 10, 0},
    {"Up", VK_UP, 0, WMSZ_TOP, 32645, VK_UP, 0, -10, 0, 0},
    {"Down", VK_DOWN, 0, WMSZ_BOTTOM, 32645, VK_DOWN, 0, 0, 0, 10},
    {"Left Up", VK_LEFT, VK_UP, WMSZ_TOPLEFT, 32642, VK_DOWN, 0, 10, 0, 0},
    {"Up Left", VK_UP, VK_LEFT, WMSZ_TOPLEFT, 32642, VK_RIGHT, 10, 0, 0, 0},
    {"Up Right", VK_UP, VK_RIGHT, WMSZ_TOPRIGHT, 32643, VK_RIGHT, 0, 0, 10, 0},
    {"Right Up", VK_RIGHT, VK_UP, WMSZ_TOPRIGHT, 32643, VK_UP, 0, -10, 0, 0},
    {"Down Left", VK_DOWN, VK_LEFT, WMSZ_BOTTOMLEFT, 32643, VK_LEFT, -10, 0, 0, 0},
    {"Left Down", VK_LEFT, VK_DOWN, WMSZ_BOTTOMLEFT, 32643, VK_DOWN, 0, 0, 0, 10},
    {"Down Right", VK_DOWN, VK_RIGHT, WMSZ_BOTTOMRIGHT, 32642, VK_UP, 0, 0, 0, -10},
    {"Right Down", VK_RIGHT, VK_DOWN, WMSZ_BOTTOMRIGHT, 32642, VK_LEFT, 0, 0, -10, 0},
    {"Left then Right steps", VK_LEFT, 0, WMSZ_LEFT, 32644, VK_RIGHT, 10, 0, 0, 0},
    {"Up then Down steps", VK_UP, 0, WMSZ_TOP, 32645, VK_DOWN, 0, 10, 0, 0},
    {"Left then Up turns, not steps", VK_LEFT, 0, WMSZ_LEFT, 32644, VK_UP, 0, 0, 0, 0},
};

TEST_F(Sizing, ArrowKeysChooseEdgesAndStep) {
    for (const TurnRow& row : TURNS) {
        SCOPED_TRACE(row.name);
        const RECT before = window_rect(window);
        ASSERT_EQ(start_sizing(window, 0), 0);
        key(window, row.first);
        if (row.second) key(window, row.second);
        EXPECT_EQ(toolkit.sizing->edge, row.edge);
        EXPECT_EQ(GetCursor(), system_cursor(row.shape));
        // The pointer where the cursor was placed gives back the same size.
        const POINT grip = cursor();
        move_pointer(window, grip.x, grip.y);
        expect_rect(window_rect(window), before, "gripping");
        key(window, row.step);
        expect_rect(window_rect(window), shifted(before, row.dl, row.dt, row.dr, row.db), "step");
        key(window, VK_RETURN);
        EXPECT_EQ(toolkit.sizing->active, 0);
        // Back to the starting size for the next row.
        MoveWindow(window, start.left, start.top, start.right - start.left, start.bottom - start.top, TRUE);
    }
}

TEST_F(Sizing, RightBorderFollowsThePointerUntilReleased) {
    ASSERT_EQ(start_sizing(window, WMSZ_RIGHT), 0);
    EXPECT_EQ(toolkit.sizing->edge, WMSZ_RIGHT);
    EXPECT_EQ(toolkit.sizing->restore_cursor, 0);
    EXPECT_EQ(GetCapture(), window);

    // Through the event loop, as the platform delivers the moves.
    PostMessageA(window, WM_MOUSEMOVE, 0, client_point(window, start.right + 37, start.top + 50));
    for (int i = 0; i < 100 && window_rect(window).right == start.right; ++i) wait_event(10);
    expect_rect(window_rect(window), {start.left, start.top, start.right + 39, start.bottom}, "pointer x + 2");
    move_pointer(window, start.right - 61, start.bottom + 300);
    expect_rect(window_rect(window), {start.left, start.top, start.right - 59, start.bottom}, "only x counts");
    EXPECT_EQ(seen.sizing, 2);

    PostMessageA(window, WM_LBUTTONUP, 0, 0);
    for (int i = 0; i < 100 && toolkit.sizing->active; ++i) wait_event(10);
    EXPECT_EQ(toolkit.sizing->active, 0);
    EXPECT_EQ(GetCapture(), nullptr);
    expect_rect(window_rect(window), {start.left, start.top, start.right - 59, start.bottom}, "release keeps it");
    expect_one_enter_and_exit();
}

// The pointer pushed past the tracking limits that the window gave in
// WM_GETMINMAXINFO: the moving edge stops, the opposite one stays.
struct LimitRow {
    const char* name;
    int edge;
    int x, y;                      // pointer, relative to the window's top-left corner
    int left, top, right, bottom;  // expected, relative to the same corner
};

constexpr int W = 320, H = 240;  // client size; the window rect is a little larger

TEST_F(Sizing, EdgesStopAtTheTrackingLimits) {
    const int w = start.right - start.left, h = start.bottom - start.top;
    ASSERT_GE(w, W);
    ASSERT_GE(h, H);
    const LimitRow rows[] = {
        {"left edge past the right", WMSZ_LEFT, w + 50, 10, w - MIN_WIDTH, 0, w, h},
        {"left edge far out", WMSZ_LEFT, -600, 10, w - MAX_WIDTH, 0, w, h},
        {"right edge past the left", WMSZ_RIGHT, -80, 10, 0, 0, MIN_WIDTH, h},
        {"right edge far out", WMSZ_RIGHT, 900, 10, 0, 0, MAX_WIDTH, h},
        {"top edge past the bottom", WMSZ_TOP, 10, h + 40, 0, h - MIN_HEIGHT, w, h},
        {"top edge far out", WMSZ_TOP, 10, -900, 0, h - MAX_HEIGHT, w, h},
        {"bottom edge far out", WMSZ_BOTTOM, 10, 900, 0, 0, w, MAX_HEIGHT},
        {"bottom edge past the top", WMSZ_BOTTOM, 10, -50, 0, 0, w, MIN_HEIGHT},
        {"top-left corner inside the limits", WMSZ_TOPLEFT, 30, 20, 28, 18, w, h},
        {"bottom-right corner inside the limits", WMSZ_BOTTOMRIGHT, w + 30, h + 20, 0, 0, w + 32, h + 22},
        {"bottom-left corner past both", WMSZ_BOTTOMLEFT, w + 10, -10, w - MIN_WIDTH, 0, w, MIN_HEIGHT},
    };
    for (const LimitRow& row : rows) {
        SCOPED_TRACE(row.name);
        seen.get_min_max_info = 0;
        ASSERT_EQ(start_sizing(window, row.edge), 0);
        EXPECT_GE(seen.get_min_max_info, 1);
        move_pointer(window, start.left + row.x, start.top + row.y);
        expect_rect(window_rect(window),
                    {start.left + row.left, start.top + row.top, start.left + row.right, start.top + row.bottom},
                    "after the move");
        SendMessageA(window, WM_LBUTTONUP, 0, 0);
        EXPECT_EQ(toolkit.sizing->active, 0);
        MoveWindow(window, start.left, start.top, w, h, TRUE);
    }
}

TEST_F(Sizing, EveryWayOutKeepsTheSize) {
    struct Ending {
        const char* name;
        UINT message;
        WPARAM wparam;
    };
    const Ending endings[] = {
        {"Escape", WM_KEYDOWN, VK_ESCAPE},
        {"Enter", WM_KEYDOWN, VK_RETURN},
        {"left button up", WM_LBUTTONUP, 0},
        {"capture taken away", 0, 0},
    };
    for (const Ending& ending : endings) {
        SCOPED_TRACE(ending.name);
        seen.enter_size_move = seen.exit_size_move = 0;
        ASSERT_EQ(start_sizing(window, 0), 0);
        key(window, VK_DOWN);
        key(window, VK_DOWN);
        if (ending.message) {
            EXPECT_EQ(SendMessageA(window, ending.message, ending.wparam, 0), 0);
        } else {
            ReleaseCapture();
        }
        EXPECT_EQ(toolkit.sizing->active, 0);
        EXPECT_EQ(GetCapture(), nullptr);
        expect_rect(window_rect(window), shifted(start, 0, 0, 0, 10), "size kept");
        EXPECT_EQ(cursor().x, pointer_start.x);
        EXPECT_EQ(cursor().y, pointer_start.y);
        expect_one_enter_and_exit();
        MoveWindow(window, start.left, start.top, start.right - start.left, start.bottom - start.top, TRUE);
    }
}

TEST_F(Sizing, MouseMoveCancelsTheCursorsReturn) {
    ASSERT_EQ(start_sizing(window, 0), 0);
    EXPECT_EQ(toolkit.sizing->restore_cursor, 1);
    key(window, VK_RIGHT);
    const POINT grip = cursor();
    move_pointer(window, grip.x, grip.y);
    EXPECT_EQ(toolkit.sizing->restore_cursor, 0);
    key(window, VK_ESCAPE);
    EXPECT_EQ(cursor().x, grip.x);
    EXPECT_EQ(cursor().y, grip.y);
}

TEST_F(Sizing, OtherKeysAndMessagesPassThrough) {
    ASSERT_EQ(start_sizing(window, WMSZ_BOTTOM), 0);
    struct Passing {
        const char* name;
        UINT message;
        WPARAM wparam;
    };
    const Passing rows[] = {
        {"letter key", WM_KEYDOWN, 'A'},
        {"arrow key", WM_KEYDOWN, VK_LEFT},
        {"key release", WM_KEYUP, VK_ESCAPE},
        {"paint", WM_PAINT, 0},
    };
    for (const Passing& row : rows) {
        EXPECT_EQ(sizing_filter(window, row.message, row.wparam, 0), NOT_HANDLED) << row.name;
    }
    EXPECT_EQ(toolkit.sizing->active, 1);
    expect_rect(window_rect(window), start, "nothing moved");
    SendMessageA(window, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(toolkit.sizing->active, 0);
}

TEST_F(Sizing, StaysIdleUnlessFullWindowSizeIsAsked) {
    struct IdleRow {
        const char* name;
        BOOL full_window;
        WPARAM command;
        LRESULT expected;
    };
    const IdleRow rows[] = {
        {"full-window dragging off", FALSE, SC_SIZE, NOT_HANDLED},
        {"border drag with dragging off", FALSE, SC_SIZE | WMSZ_RIGHT, NOT_HANDLED},
        {"moving is the platform's", TRUE, SC_MOVE, NOT_HANDLED},
        {"moving by the caption is the platform's", TRUE, SC_MOVE | 2, NOT_HANDLED},
        {"other system command", TRUE, SC_MINIMIZE, NOT_HANDLED},
        {"sizing with dragging on", TRUE, SC_SIZE | WMSZ_BOTTOMRIGHT, 0},
    };
    for (const IdleRow& row : rows) {
        SCOPED_TRACE(row.name);
        SystemParametersInfoA(SPI_SETDRAGFULLWINDOWS, static_cast<UINT>(row.full_window), nullptr, 0);
        // Straight to the filter: declined commands would otherwise run the
        // platform's own modal loops.
        EXPECT_EQ(sizing_filter(window, WM_SYSCOMMAND, row.command, 0), row.expected);
        const bool started = row.expected == 0;
        EXPECT_EQ(toolkit.sizing->active, started ? 1 : 0);
        EXPECT_EQ(GetCapture(), started ? window : nullptr);
        if (started) ReleaseCapture();
        EXPECT_EQ(toolkit.sizing->active, 0);
    }
    SystemParametersInfoA(SPI_SETDRAGFULLWINDOWS, TRUE, nullptr, 0);
}

TEST_F(Sizing, ChildWindowIsPlacedInItsParentsCoordinates) {
    open_window(CHILD_WINDOW, 0, 0, 0, 0, "", WS_CHILD | WS_VISIBLE | WS_THICKFRAME, window);
    HWND child = window_handle(CHILD_WINDOW);
    ASSERT_NE(child, nullptr);
    MoveWindow(child, 20, 30, 250, 180, TRUE);
    seen.window = child;
    const RECT before = window_rect(child);

    ASSERT_EQ(start_sizing(child, WMSZ_BOTTOMRIGHT), 0);
    move_pointer(child, before.right + 18, before.bottom + 8);
    SendMessageA(child, WM_LBUTTONUP, 0, 0);
    EXPECT_EQ(toolkit.sizing->active, 0);
    expect_rect(window_rect(child), shifted(before, 0, 0, 20, 10), "screen rectangle");
    RECT in_parent = window_rect(child);
    MapWindowPoints(HWND_DESKTOP, window, reinterpret_cast<POINT*>(&in_parent), 2);
    EXPECT_EQ(in_parent.left, 20);
    EXPECT_EQ(in_parent.top, 30);
}

TEST_F(Sizing, ClosingTheWindowEndsTheLoop) {
    ASSERT_EQ(start_sizing(window, 0), 0);
    close_window(SIZING_WINDOW);
    EXPECT_EQ(toolkit.sizing->active, 0);
    EXPECT_EQ(GetCapture(), nullptr);
}

}  // namespace
