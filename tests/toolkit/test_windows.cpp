// Numbered windows on the real platform: opening, placement, closing and the
// shortcut tables that turn keys into menu events.
#include <gtest/gtest.h>
#include <richedit.h>

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "tests/import_slot.h"
#include "toolkit/win32/internal.h"
#include "toolkit_fixture.h"

namespace {

class Windows : public ::testing::Test {
protected:
    void SetUp() override {
        start_toolkit();
        close_all_windows();
        drain_events();
    }
    void TearDown() override {
        close_all_windows();
        drain_events();
    }
};

HWND open(int number, uint32_t flags, int x = 0, int y = 0, int width = 200, int height = 100, HWND owner = nullptr) {
    return reinterpret_cast<HWND>(open_window(number, x, y, width, height, "", flags, owner));
}

bool class_exists(int number) {
    char name[32];
    wsprintfA(name, "WindowClass_%d", number);
    WNDCLASSA info;
    return GetClassInfoA(module_handle(), name, &info) != 0;
}

bool no_windows_left() {
    int number = 0;
    objects_rewind(toolkit.windows);
    return objects_next(toolkit.windows, &number) == nullptr;
}

TEST_F(Windows, ReopeningANumberReplacesTheWindowAndItsClassLivesWithIt) {
    HWND first = open(0, WINDOW_HIDDEN);
    EXPECT_TRUE(class_exists(0));
    EXPECT_EQ(GetPropA(first, "QZ_WindowID"), reinterpret_cast<HANDLE>(1));
    HWND second = open(0, WINDOW_HIDDEN);
    EXPECT_FALSE(IsWindow(first));
    EXPECT_TRUE(IsWindow(second));
    EXPECT_EQ(window_handle(0), second);
    close_window(0);
    EXPECT_FALSE(IsWindow(second));
    EXPECT_FALSE(class_exists(0));
}

TEST_F(Windows, FlagsChooseCaptionShowStateAndTheClientSize) {
    struct Row {
        const char* name;
        uint32_t flags;
        bool caption, visible, minimised, maximised;
    };
    const Row rows[] = {
        {"no flags", 0, true, true, false, false},
        {"hidden only", WINDOW_HIDDEN, true, false, false, false},
        {"toolkit bits only", WINDOW_CENTRE_SCREEN | WINDOW_CENTRE_OWNER, true, true, false, false},
        {"the game's style", 0xCC0000, true, true, false, false},
        {"popup with border", WS_POPUP | WS_BORDER, false, true, false, false},
        {"maximised", WS_OVERLAPPEDWINDOW | WINDOW_MAXIMISED, true, true, false, true},
        {"minimised", WS_OVERLAPPEDWINDOW | WINDOW_MINIMISED, true, true, true, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        HWND window = open(3, row.flags, 40, 40, 320, 180);
        const LONG style = GetWindowLongA(window, GWL_STYLE);
        EXPECT_EQ((style & WS_CAPTION) == WS_CAPTION, row.caption);
        EXPECT_EQ(style & (WINDOW_CENTRE_SCREEN | WINDOW_CENTRE_OWNER), 0);
        EXPECT_EQ(IsWindowVisible(window) != 0, row.visible);
        EXPECT_EQ(IsIconic(window) != 0, row.minimised);
        EXPECT_EQ(IsZoomed(window) != 0, row.maximised);
        RECT client;
        GetClientRect(window, &client);
        if (!row.minimised && !row.maximised) {
            EXPECT_EQ(client.right, at_display_scale(320));
            EXPECT_EQ(client.bottom, at_display_scale(180));
        }
        close_window(3);
    }
}

TEST_F(Windows, PlacementFollowsTheCentringBitsAndTheKeepValue) {
    ASSERT_EQ(GetActiveWindow(), nullptr) << "the rows without a reference need no active window";
    const int screen_width = GetSystemMetrics(SM_CXSCREEN), screen_height = GetSystemMetrics(SM_CYSCREEN);
    const auto at = at_display_scale;  // KEEP_VALUE is never scaled
    RECT outer{0, 0, at(400), at(300)};
    AdjustWindowRect(&outer, WS_CAPTION, FALSE);
    const int width = outer.right - outer.left, height = outer.bottom - outer.top;
    // Centred on the screen is centred in its work area (a run may leave a taskbar out of it).
    RECT work{};
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0));
    const char* taskbar = std::getenv("TAVEK_WORK_AREA");
    ASSERT_TRUE(!taskbar || !*taskbar || work.bottom < screen_height) << "the run's taskbar is not left out";
    const int centre_x = work.left + (work.right - work.left - width) / 2;
    const int centre_y = work.top + (work.bottom - work.top - height) / 2;
    HWND owner = open(0, WINDOW_HIDDEN, 100, 120, 600, 500);
    HWND small_owner = open(1, WINDOW_HIDDEN, 0, 0, 120, 80);
    RECT around;
    GetWindowRect(owner, &around);

    constexpr int PLATFORM = INT_MIN;  // the platform chooses: on the screen
    struct Row {
        const char* name;
        int x, y, client_size;
        uint32_t flags;
        HWND owner;
        int left, top, width, height;
    };
    // Closing an owned window activates its owner, so the rows without a
    // reference window come first.
    const Row rows[] = {
        {"no reference window", 70, 60, 0, WINDOW_CENTRE_OWNER, nullptr, at(70), at(60), width, height},
        {"no reference keeps KEEP_VALUE", KEEP_VALUE, 60, 0, WINDOW_CENTRE_OWNER, nullptr, KEEP_VALUE, at(60), width,
         height},
        {"as given", 30, 40, 0, 0, nullptr, at(30), at(40), width, height},
        {"moved in past the left and top", -300, -20, 0, 0, nullptr, work.left, work.top, width, height},
        {"x kept", KEEP_VALUE, 40, 0, 0, nullptr, PLATFORM, PLATFORM, width, height},
        {"y kept", 30, KEEP_VALUE, 0, 0, nullptr, PLATFORM, PLATFORM, width, height},
        {"x left to the platform", CW_USEDEFAULT, 40, 0, 0, nullptr, PLATFORM, PLATFORM, width, height},
        {"screen centre", 5, 5, 0, WINDOW_CENTRE_SCREEN, nullptr, centre_x, centre_y, width, height},
        {"larger than the screen", 5, 5, 5000, WINDOW_CENTRE_SCREEN, nullptr, work.left, work.top,
         work.right - work.left, work.bottom - work.top},
        {"owner centre", 5, 5, 0, WINDOW_CENTRE_OWNER, owner, around.left + (around.right - around.left - width) / 2,
         around.top + (around.bottom - around.top - height) / 2, width, height},
        {"owner centre raised to 0", 5, 5, 0, WINDOW_CENTRE_OWNER, small_owner, 0, 0, width, height},
        {"screen bit wins", 5, 5, 0, WINDOW_CENTRE_SCREEN | WINDOW_CENTRE_OWNER, small_owner, centre_x, centre_y, width,
         height},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const int client_width = row.client_size ? row.client_size : 400;
        const int client_height = row.client_size ? row.client_size : 300;
        HWND window = open(5, row.flags | WINDOW_HIDDEN, row.x, row.y, client_width, client_height, row.owner);
        ASSERT_NE(window, nullptr);
        RECT rect;
        GetWindowRect(window, &rect);
        if (row.left == PLATFORM) {
            EXPECT_TRUE(rect.left >= 0 && rect.left < screen_width && rect.top >= 0 && rect.top < screen_height)
                << rect.left << "," << rect.top;
        } else {
            EXPECT_EQ(rect.left, row.left);
            EXPECT_EQ(rect.top, row.top);
        }
        EXPECT_EQ(rect.right - rect.left, row.width);
        EXPECT_EQ(rect.bottom - rect.top, row.height);
        close_window(5);
    }
}

// A window whose rectangle cannot be had in pixels at its scale is refused
// before anything under its number is touched, never placed at a number
// wrapped round.
TEST_F(Windows, ARectangleOutOfReachIsRefusedAndTheWindowUnderItsNumberStays) {
    HWND standing = open(6, WINDOW_HIDDEN, 10, 10, 200, 100);
    ASSERT_NE(standing, nullptr);
    const bool scaled = at_display_scale(96) > 96;
    const OutOfReachRow rows[] = {
        {"right edge past the int range", INT_MAX - 50, 0, 100, 100, true},
        {"bottom edge past the int range", 0, INT_MAX - 50, 100, 100, true},
        {"a client width of INT_MAX", 10, 10, INT_MAX, 100, true},
        {"half the range each for x and width", INT_MAX / 2, 0, INT_MAX / 2, 100, scaled},
        {"a client height past the int range once scaled", 0, 0, 100, INT_MAX - 100, scaled},
    };
    for (const auto& row : rows) {
        if (!row.refused) continue;  // in reach at 96 dots per inch: nothing to refuse
        SCOPED_TRACE(row.name);
        EXPECT_EQ(open(6, WINDOW_HIDDEN, row.x, row.y, row.width, row.height), nullptr);
        EXPECT_EQ(open(-1, WINDOW_HIDDEN, row.x, row.y, row.width, row.height), nullptr);
        EXPECT_EQ(window_handle(6), standing);
        EXPECT_TRUE(IsWindow(standing));
    }
    close_window(6);
    EXPECT_TRUE(no_windows_left());
}

HFONT font_of(HWND control) { return reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)); }
IMPORT_SLOT(create_font_slot, CreateFontA, 56);
HFONT WINAPI refuse_font(int, int, int, int, int, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, LPCSTR) {
    return nullptr;
}

// On a display of more than 96 dots per inch a window is scaled with it, but
// no further than keeps it within the work area, and its gadgets follow the
// window's own scale. Asked for here: a window that fits at 96 and would
// reach past the work area's right edge at the display's scale. Its fonts and
// a toolkit window made as its child follow its scale too.
TEST_F(Windows, AWindowScaledPastTheWorkAreaStopsWithinItAndItsGadgetsFollow) {
    const int display = at_display_scale(96);
    if (display == 96) GTEST_SKIP() << "nothing is scaled on this display";
    RECT work{};
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0));
    const int x = work.left + 8, y = work.top, width = (work.right - work.left) * 4 / 5, height = 100;
    HWND window = open(7, 0xCC0000, x, y, width, height);
    ASSERT_NE(window, nullptr);
    RECT outer, client;
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    EXPECT_LE(outer.right, work.right);
    EXPECT_LE(outer.bottom, work.bottom);
    EXPECT_GE(outer.left, work.left);
    // The one scale that gives the window its size.
    int dpi = 0;
    for (int d = 96; d <= display && !dpi; ++d)
        if (client.right == MulDiv(width, d, 96) && client.bottom == MulDiv(height, d, 96)) dpi = d;
    ASSERT_GT(dpi, 96) << "not scaled, or not by one scale: " << client.right << "x" << client.bottom;
    EXPECT_LT(dpi, display);
    // The largest that keeps it within: one more and it would reach past.
    EXPECT_GT(MulDiv(width, dpi + 1, 96) + (outer.right - outer.left - client.right), work.right - work.left);

    use_gadget_list(window);
    ASSERT_NE(create_label(-1, 10, 20, 60, 30, "in it", 0), 0);
    HWND label = GetWindow(window, GW_CHILD);
    ASSERT_NE(create_button(1, 100, 20, 60, 30, "in it", 0), 0);
    ASSERT_EQ(resize_gadget(1, KEEP_VALUE, 50, KEEP_VALUE, 40), 1);
    HWND child = open(8, WS_CHILD, 3000, 20, 60, 30, window);  // past the screen: not moved
    const struct {
        HWND control;
        int x, y, width, height;
    } gadgets[] = {
        {label, 10, 20, 60, 30},
        {gadget_handle(1), 100, 50, 60, 40},
        {child, 3000, 20, 60, 30},
    };
    for (const auto& g : gadgets) {
        RECT r;
        GetWindowRect(g.control, &r);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
        EXPECT_EQ(r.left, MulDiv(g.x, dpi, 96));
        EXPECT_EQ(r.top, MulDiv(g.y, dpi, 96));
        EXPECT_EQ(r.right - r.left, MulDiv(g.width, dpi, 96));
        EXPECT_EQ(r.bottom - r.top, MulDiv(g.height, dpi, 96));
    }
    // Its fonts are copies made for it (tests/app measures them) and deleted
    // with it; the font the client gave where no copy can be made.
    const HFONT given = CreateFontA(-30, 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
    const auto real_create_font = replace_import(create_font_slot, refuse_font);
    set_gadget_font(1, given);
    replace_import(create_font_slot, real_create_font);
    EXPECT_EQ(font_of(gadget_handle(1)), given);
    set_gadget_font(1, given);
    const HFONT copies[] = {font_of(gadget_handle(1)), font_of(label)};
    close_window(8);
    close_window(7);
    for (HFONT copy : copies) EXPECT_EQ(GetObjectType(copy), 0u) << "a copy outlived its window";
    EXPECT_NE(GetObjectType(given), 0u);
    DeleteObject(given);
}

TEST_F(Windows, FailedCreationLeavesNoWindowSlotOrClass) {
    HWND bad_owner = reinterpret_cast<HWND>(static_cast<intptr_t>(0x7ff0));
    ASSERT_FALSE(IsWindow(bad_owner));
    EXPECT_EQ(open(4, WINDOW_HIDDEN, 0, 0, 200, 100, bad_owner), nullptr);
    EXPECT_EQ(open(-1, WINDOW_HIDDEN, 0, 0, 200, 100, bad_owner), nullptr);
    EXPECT_EQ(window_handle(4), nullptr);
    EXPECT_FALSE(class_exists(4));
    EXPECT_TRUE(no_windows_left());
}

// Creating a window runs its procedure; a window opened from there under a
// number past the table's end moves the table.
int far_window = 0;
LRESULT open_far_window(HWND, UINT message, WPARAM, LPARAM) {
    if (message != WM_CREATE || far_window == 0) return HOOK_CONTINUE;
    const int number = far_window;
    far_window = 0;
    open_window(number, 0, 0, 50, 50, "far", WINDOW_HIDDEN);
    return HOOK_CONTINUE;
}

TEST_F(Windows, AWindowOpenedWhileAnotherIsCreatedMovesNothingUnderIt) {
    for (int number : {4, -1}) {
        SCOPED_TRACE(number);
        const int distant = toolkit.windows->capacity + 100;
        far_window = distant;
        const unsigned char* before = toolkit.windows->array;
        event_record()->global_hook = open_far_window;
        const intptr_t made = open_window(number, 0, 0, 200, 100, "", WINDOW_HIDDEN);
        event_record()->global_hook = nullptr;
        ASSERT_NE(window_handle(distant), nullptr) << "the window was opened during the creation";
        // An anonymous record lives outside the array; the first row moves the array.
        if (number != -1) {
            ASSERT_NE(toolkit.windows->array, before) << "the table moved";
        }
        const int opened = number == -1 ? static_cast<int>(made) : number;
        ASSERT_NE(window_handle(opened), nullptr);
        if (number != -1) {
            EXPECT_EQ(reinterpret_cast<HWND>(made), window_handle(opened));
        }
        EXPECT_NE(add_shortcut(opened, 'K', 900), nullptr) << "the window's shortcut entries are its own";
        EXPECT_TRUE(HeapValidate(general_heap(), 0, nullptr));
        close_all_windows();
    }
}

TEST_F(Windows, NumbersThatNameNoWindowDoNothing) {
    ASSERT_NE(open_window(0, 0, 0, 100, 50, nullptr, WINDOW_HIDDEN), 0);
    char title[8] = "x";
    EXPECT_EQ(GetWindowTextA(window_handle(0), title, sizeof title), 0) << "a missing title is an empty one";
    HWND window = open(0, WINDOW_HIDDEN);
    for (int number : {1, 15, 1000, -1, -2, ANONYMOUS_IDENTITY_FIRST - 50}) {
        SCOPED_TRACE(number);
        EXPECT_EQ(window_handle(number), nullptr);
        EXPECT_EQ(add_shortcut(number, 13, 888), nullptr);
        close_window(number);
    }
    EXPECT_EQ(window_handle(0), window);
}

TEST_F(Windows, AnonymousWindowsAndClosingEverything) {
    std::vector<HWND> windows{open(0, WINDOW_HIDDEN), open(20, WINDOW_HIDDEN)};
    for (int i = 0; i < 2; ++i) {
        const int identity = static_cast<int>(open_window(-1, 0, 0, 100, 100, "", WINDOW_HIDDEN));
        EXPECT_LE(identity, ANONYMOUS_IDENTITY_FIRST);
        HWND window = window_handle(identity);
        EXPECT_EQ(static_cast<int>(reinterpret_cast<intptr_t>(GetPropA(window, "QZ_WindowID"))), identity + 1);
        EXPECT_TRUE(class_exists(identity));
        windows.push_back(window);
    }
    close_all_windows();
    for (HWND window : windows) EXPECT_FALSE(IsWindow(window));
    EXPECT_TRUE(no_windows_left());
}

TEST_F(Windows, ShortcutsAddReplaceAndRebuildTheTable) {
    open(0, WINDOW_HIDDEN);
    const ACCEL tab{3, 9, 1212}, back_tab{7, 9, 1213};
    struct Step {
        uint32_t key_word;  // 0: the table as opened
        int event_number;
        std::vector<ACCEL> expected;
    };
    const Step steps[] = {
        {0, 0, {tab, back_tab}},
        {13 | SHORTCUT_CONTROL, 7, {tab, back_tab, {11, 13, 7}}},
        {13, 888, {tab, back_tab, {11, 13, 7}, {3, 13, 888}}},
        {13, 999, {tab, back_tab, {11, 13, 7}, {3, 13, 999}}},
        {9, 5, {{3, 9, 5}, back_tab, {11, 13, 7}, {3, 13, 999}}},
        {9 | SHORTCUT_SHIFT, 6, {{3, 9, 5}, {7, 9, 6}, {11, 13, 7}, {3, 13, 999}}},
        {'A' | SHORTCUT_ALT | SHORTCUT_SHIFT,
         0x12345,
         {{3, 9, 5}, {7, 9, 6}, {11, 13, 7}, {3, 13, 999}, {23, 'A', 0x2345}}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.event_number);
        HACCEL table =
            step.key_word ? add_shortcut(0, step.key_word, step.event_number) : find_window_record(0)->shortcut_table;
        EXPECT_EQ(table, find_window_record(0)->shortcut_table);
        std::vector<ACCEL> entries(CopyAcceleratorTableA(table, nullptr, 0));
        CopyAcceleratorTableA(table, entries.data(), static_cast<int>(entries.size()));
        ASSERT_EQ(entries.size(), step.expected.size());
        EXPECT_EQ(find_window_record(0)->shortcut_count, static_cast<int>(entries.size()));
        for (size_t i = 0; i < entries.size(); ++i) {
            const ACCEL& want = step.expected[i];
            EXPECT_TRUE((entries[i].fVirt & 0x7F) == want.fVirt && entries[i].key == want.key &&
                        entries[i].cmd == want.cmd)
                << "entry " << i;
        }
    }
}

// Real key presses in the active window, through its shortcut table: Tab
// bound to 5 and Enter to 888, except that Tab in an editable rich-text
// control is typing.
TEST_F(Windows, KeysBecomeMenuEventsOfTheActiveWindow) {
    ASSERT_NE(LoadLibraryA("RICHED20.DLL"), nullptr);
    HWND window = open(0, 0, 50, 50, 300, 200);
    const auto control = [&](const char* type, int id) {
        return CreateWindowExA(0, type, "", WS_CHILD | WS_VISIBLE | ES_MULTILINE, 10, 10 + 60 * id, 200, 50, window,
                               reinterpret_cast<HMENU>(static_cast<intptr_t>(id)), module_handle(), nullptr);
    };
    HWND field = control("Edit", 0);
    HWND editor = control("RichEdit20A", 1);
    add_shortcut(0, 9, 5);
    add_shortcut(0, 13, 888);
    SetForegroundWindow(window);
    ASSERT_EQ(GetActiveWindow(), window);

    struct Row {
        const char* name;
        HWND focus;
        bool read_only;
        WORD key;
        int gadget;  // 0: no menu event
        const char* text;
    };
    const Row rows[] = {
        {"Tab in an edit control", field, false, VK_TAB, 5, ""},
        {"Enter in an edit control", field, false, VK_RETURN, 888, ""},
        {"Tab in an editable rich-text control", editor, false, VK_TAB, 0, "\t"},
        {"Tab in a read-only rich-text control", editor, true, VK_TAB, 5, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        SetWindowTextA(row.focus, "");
        SendMessageA(editor, EM_SETOPTIONS, row.read_only ? ECOOP_OR : ECOOP_AND,
                     row.read_only ? ECO_READONLY : ~ECO_READONLY);
        SetFocus(row.focus);
        drain_events();
        INPUT keys[2]{};
        keys[0].type = keys[1].type = INPUT_KEYBOARD;
        keys[0].ki.wVk = keys[1].ki.wVk = row.key;
        keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
        SendInput(2, keys, sizeof(INPUT));
        int gadget = 0;
        for (int i = 0, code = 0; i < 100 && code != WM_KEYUP; ++i) {
            code = wait_event(10);
            if (code == EVENT_MENU) gadget = event_gadget();
        }
        EXPECT_EQ(gadget, row.gadget);
        char text[8] = {};
        GetWindowTextA(row.focus, text, sizeof text);
        EXPECT_STREQ(text, row.text);
    }
}

// A window's background is the face of a dialog, or its fill brush when it has one.
TEST_F(Windows, AFillBrushPaintsTheBackgroundAndIsDeletedWithTheWindow) {
    HWND window = open(4, WINDOW_HIDDEN);
    const COLORREF green = RGB(10, 200, 30);
    HBRUSH brush = CreateSolidBrush(green);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 300, 200);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    SendMessageA(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    EXPECT_EQ(GetPixel(dc, 5, 5), GetSysColor(COLOR_BTNFACE)) << "without a brush: the face of a dialog";
    find_window_record(4)->fill_brush = brush;
    EXPECT_EQ(SendMessageA(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0), 1);
    EXPECT_EQ(GetPixel(dc, 5, 5), green);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    close_window(4);
    EXPECT_EQ(GetObjectType(brush), 0u) << "the brush outlived its window";
}

// Messages a window's own hook saw.
std::vector<UINT> own_hook_saw;
LRESULT own_hook(HWND, UINT message, WPARAM, LPARAM) {
    own_hook_saw.push_back(message);
    return HOOK_CONTINUE;
}

// The owner is activated even while hidden, where the platform would not
// choose it by itself.
TEST_F(Windows, ClosingAnOwnedWindowActivatesItsOwnerAndRaisesNothingForItself) {
    HWND owner = open(0, WINDOW_HIDDEN);
    HWND owned = open(1, WS_POPUP | WS_CAPTION, 40, 40, 200, 100, owner);
    ASSERT_EQ(GetActiveWindow(), owned);
    drain_events();
    // The messages of its destruction find no window number, so not its hook either.
    find_window_record(1)->message_hook = own_hook;
    own_hook_saw.clear();
    close_window(1);
    EXPECT_FALSE(IsWindow(owned));
    EXPECT_EQ(GetActiveWindow(), owner);
    EXPECT_EQ(std::count(own_hook_saw.begin(), own_hook_saw.end(), WM_DESTROY), 0);
    for (int i = 0, code = wait_event(0); i < 1000 && code != EVENT_NONE; ++i, code = wait_event(0))
        EXPECT_NE(event_window(), 1) << "event " << code << " named the closed window";
}

}  // namespace
