// Numbered windows on the real platform: opening, placement, closing and the
// shortcut tables that turn keys into menu events.
#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "toolkit/internal.h"
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

bool class_exists(int number) {
    char name[32];
    wsprintfA(name, "WindowClass_%d", number);
    WNDCLASSA info;
    return GetClassInfoA(module_handle(), name, &info) != 0;
}

RECT window_rect(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

SIZE outer_size(int width, int height, DWORD style) {
    RECT rect{0, 0, width, height};
    AdjustWindowRect(&rect, style, FALSE);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

std::vector<ACCEL> shortcuts_of(HACCEL table) {
    std::vector<ACCEL> entries(CopyAcceleratorTableA(table, nullptr, 0));
    CopyAcceleratorTableA(table, entries.data(), static_cast<int>(entries.size()));
    return entries;
}

TEST_F(Windows, ReopeningANumberReplacesTheWindowAndItsClassLivesWithIt) {
    HWND first = reinterpret_cast<HWND>(open_window(0, 10, 10, 300, 200, "first", WINDOW_HIDDEN));
    ASSERT_TRUE(IsWindow(first));
    EXPECT_TRUE(class_exists(0));
    EXPECT_EQ(GetPropA(first, "QZ_WindowID"), reinterpret_cast<HANDLE>(1));

    HWND second = reinterpret_cast<HWND>(open_window(0, 10, 10, 300, 200, "second", WINDOW_HIDDEN));
    ASSERT_TRUE(IsWindow(second));
    EXPECT_FALSE(IsWindow(first));
    EXPECT_EQ(window_handle(0), second);

    close_window(0);
    EXPECT_FALSE(IsWindow(second));
    EXPECT_FALSE(class_exists(0));
    EXPECT_EQ(window_handle(0), nullptr);
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
        HWND window = reinterpret_cast<HWND>(open_window(3, 40, 40, 320, 180, "flags", row.flags));
        ASSERT_NE(window, nullptr);
        const LONG style = GetWindowLongA(window, GWL_STYLE);
        EXPECT_EQ((style & WS_CAPTION) == WS_CAPTION, row.caption);
        EXPECT_EQ(style & (WINDOW_CENTRE_SCREEN | WINDOW_CENTRE_OWNER), 0);
        EXPECT_EQ(IsWindowVisible(window) != 0, row.visible);
        EXPECT_EQ(IsIconic(window) != 0, row.minimised);
        EXPECT_EQ(IsZoomed(window) != 0, row.maximised);
        if (!row.minimised && !row.maximised) {
            RECT client;
            GetClientRect(window, &client);
            EXPECT_EQ(client.right, 320);
            EXPECT_EQ(client.bottom, 180);
        }
        close_window(3);
    }
}

TEST_F(Windows, PlacementFollowsTheCentringBitsAndTheKeepValue) {
    ASSERT_EQ(GetActiveWindow(), nullptr) << "the no-reference rows need no active window";
    const int screen_width = GetSystemMetrics(SM_CXSCREEN);
    const int screen_height = GetSystemMetrics(SM_CYSCREEN);
    const SIZE outer = outer_size(400, 300, WS_CAPTION);
    HWND owner = reinterpret_cast<HWND>(open_window(0, 100, 120, 600, 500, "owner", WINDOW_HIDDEN));
    HWND small_owner = reinterpret_cast<HWND>(open_window(1, 0, 0, 120, 80, "small", WINDOW_HIDDEN));
    const RECT around = window_rect(owner);

    constexpr int PLATFORM = INT_MIN;  // the platform chooses: on the screen, not at KEEP_VALUE
    struct Row {
        const char* name;
        int x, y, width, height;
        uint32_t flags;
        HWND owner;
        int left, top, outer_width, outer_height;
    };
    // Closing an owned window activates its owner, so the rows without a
    // reference window come first.
    const Row rows[] = {
        {"no reference window", 70, 60, 400, 300, WINDOW_CENTRE_OWNER, nullptr, 70, 60, outer.cx, outer.cy},
        {"no reference keeps KEEP_VALUE", KEEP_VALUE, 60, 400, 300, WINDOW_CENTRE_OWNER, nullptr, KEEP_VALUE,
         60, outer.cx, outer.cy},
        {"as given", 30, 40, 400, 300, 0, nullptr, 30, 40, outer.cx, outer.cy},
        {"x kept", KEEP_VALUE, 40, 400, 300, 0, nullptr, PLATFORM, PLATFORM, outer.cx, outer.cy},
        {"y kept", 30, KEEP_VALUE, 400, 300, 0, nullptr, PLATFORM, PLATFORM, outer.cx, outer.cy},
        {"screen centre", 5, 5, 400, 300, WINDOW_CENTRE_SCREEN, nullptr, (screen_width - outer.cx) / 2,
         (screen_height - outer.cy) / 2, outer.cx, outer.cy},
        {"larger than the screen", 5, 5, 5000, 5000, WINDOW_CENTRE_SCREEN, nullptr, 0, 0, screen_width,
         screen_height},
        {"owner centre", 5, 5, 400, 300, WINDOW_CENTRE_OWNER, owner,
         around.left + (around.right - around.left - outer.cx) / 2,
         around.top + (around.bottom - around.top - outer.cy) / 2, outer.cx, outer.cy},
        {"owner centre raised to 0", 5, 5, 400, 300, WINDOW_CENTRE_OWNER, small_owner, 0, 0, outer.cx, outer.cy},
        {"screen bit wins", 5, 5, 400, 300, WINDOW_CENTRE_SCREEN | WINDOW_CENTRE_OWNER, small_owner,
         (screen_width - outer.cx) / 2, (screen_height - outer.cy) / 2, outer.cx, outer.cy},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        HWND window = reinterpret_cast<HWND>(
            open_window(5, row.x, row.y, row.width, row.height, "", row.flags | WINDOW_HIDDEN, row.owner));
        ASSERT_NE(window, nullptr);
        const RECT rect = window_rect(window);
        if (row.left == PLATFORM) {
            EXPECT_GE(rect.left, 0);
            EXPECT_LT(rect.left, screen_width);
            EXPECT_GE(rect.top, 0);
            EXPECT_LT(rect.top, screen_height);
        } else {
            EXPECT_EQ(rect.left, row.left);
            EXPECT_EQ(rect.top, row.top);
        }
        EXPECT_EQ(rect.right - rect.left, row.outer_width);
        EXPECT_EQ(rect.bottom - rect.top, row.outer_height);
        close_window(5);
    }
}

TEST_F(Windows, AnonymousWindowsAreAddressedByTheirIdentity) {
    const int first = static_cast<int>(open_window(-1, 0, 0, 200, 100, "a", WINDOW_HIDDEN));
    const int second = static_cast<int>(open_window(-1, 0, 0, 200, 100, "b", WINDOW_HIDDEN));
    EXPECT_LE(first, ANONYMOUS_IDENTITY_FIRST);
    EXPECT_LE(second, ANONYMOUS_IDENTITY_FIRST);
    EXPECT_NE(first, second);
    HWND window = window_handle(first);
    ASSERT_TRUE(IsWindow(window));
    EXPECT_EQ(static_cast<int>(reinterpret_cast<intptr_t>(GetPropA(window, "QZ_WindowID"))), first + 1);
    EXPECT_TRUE(class_exists(first));
    EXPECT_NE(add_shortcut(first, 13, 888), nullptr);

    close_window(first);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(window_handle(first), nullptr);
    EXPECT_FALSE(class_exists(first));
    EXPECT_TRUE(IsWindow(window_handle(second)));
}

TEST_F(Windows, FailedCreationLeavesNoWindowSlotOrClass) {
    HWND bad_owner = reinterpret_cast<HWND>(static_cast<intptr_t>(0x7ff0));
    ASSERT_FALSE(IsWindow(bad_owner));
    EXPECT_EQ(open_window(4, 0, 0, 200, 100, "x", WINDOW_HIDDEN, bad_owner), 0);
    EXPECT_EQ(window_handle(4), nullptr);
    EXPECT_FALSE(class_exists(4));

    EXPECT_EQ(open_window(-1, 0, 0, 200, 100, "x", WINDOW_HIDDEN, bad_owner), 0);
    objects_rewind(toolkit.windows);
    int number = 0;
    EXPECT_EQ(objects_next(toolkit.windows, &number), nullptr) << "a failed anonymous window left a record";
}

TEST_F(Windows, NumbersThatNameNoWindowDoNothing) {
    HWND open = reinterpret_cast<HWND>(open_window(0, 0, 0, 200, 100, "", WINDOW_HIDDEN));
    for (int number : {1, 15, 1000, -1, -2, ANONYMOUS_IDENTITY_FIRST - 50}) {
        SCOPED_TRACE(number);
        EXPECT_EQ(window_handle(number), nullptr);
        EXPECT_EQ(add_shortcut(number, 13, 888), nullptr);
        close_window(number);
    }
    EXPECT_TRUE(IsWindow(open));
    EXPECT_EQ(window_handle(0), open);
}

TEST_F(Windows, ShortcutsAddReplaceAndRebuildTheTable) {
    open_window(0, 0, 0, 200, 100, "", WINDOW_HIDDEN);
    EXPECT_EQ(find_window_record(0)->shortcut_count, 2);
    struct Step {
        uint32_t key_word;
        int event_number;
        std::vector<ACCEL> expected;
    };
    const ACCEL tab{3, 9, 1212}, back_tab{7, 9, 1213};
    const Step steps[] = {
        {0, 0, {tab, back_tab}},  // nothing bound yet: the table as opened
        {13 | SHORTCUT_CONTROL, 7, {tab, back_tab, {11, 13, 7}}},
        {13, 888, {tab, back_tab, {11, 13, 7}, {3, 13, 888}}},
        {13, 999, {tab, back_tab, {11, 13, 7}, {3, 13, 999}}},
        {9, 5, {{3, 9, 5}, back_tab, {11, 13, 7}, {3, 13, 999}}},
        {9 | SHORTCUT_SHIFT, 6, {{3, 9, 5}, {7, 9, 6}, {11, 13, 7}, {3, 13, 999}}},
        {'A' | SHORTCUT_ALT | SHORTCUT_SHIFT, 0x12345,
         {{3, 9, 5}, {7, 9, 6}, {11, 13, 7}, {3, 13, 999}, {23, 'A', 0x2345}}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.event_number);
        HACCEL table = find_window_record(0)->shortcut_table;
        if (step.key_word) {
            table = add_shortcut(0, step.key_word, step.event_number);
            EXPECT_EQ(table, find_window_record(0)->shortcut_table);
        }
        const std::vector<ACCEL> entries = shortcuts_of(table);
        ASSERT_EQ(entries.size(), step.expected.size());
        EXPECT_EQ(find_window_record(0)->shortcut_count, static_cast<int>(entries.size()));
        for (size_t i = 0; i < entries.size(); ++i) {
            EXPECT_EQ(entries[i].fVirt & ~0x80, step.expected[i].fVirt) << "entry " << i;
            EXPECT_EQ(entries[i].key, step.expected[i].key) << "entry " << i;
            EXPECT_EQ(entries[i].cmd, step.expected[i].cmd) << "entry " << i;
        }
    }
}

// Keys pressed in the active window reach the event stream as menu events
// through the window's shortcut table.
TEST_F(Windows, BoundKeysBecomeMenuEventsOfTheActiveWindow) {
    HWND window = reinterpret_cast<HWND>(open_window(0, 50, 50, 300, 200, "keys", 0));
    HWND field = CreateWindowExA(0, "Edit", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 10, 10, 100, 24, window,
                                 reinterpret_cast<HMENU>(static_cast<intptr_t>(2)), module_handle(), nullptr);
    SetActiveWindow(window);
    SetFocus(field);
    ASSERT_EQ(GetActiveWindow(), window);
    add_shortcut(0, 9, 5);
    add_shortcut(0, 13, 888);
    drain_events();

    struct Row {
        WPARAM key;
        int gadget;
    };
    for (const Row& row : {Row{VK_TAB, 5}, Row{VK_RETURN, 888}}) {
        SCOPED_TRACE(row.gadget);
        PostMessageA(field, WM_KEYDOWN, row.key, 1);
        int code = 0;
        for (int i = 0; i < 50 && code != EVENT_MENU; ++i) code = wait_event(0);
        EXPECT_EQ(code, EVENT_MENU);
        EXPECT_EQ(event_gadget(), row.gadget);
        EXPECT_EQ(event_window(), 0);
        EXPECT_EQ(event_type(), -1);
        drain_events();
    }
}

TEST_F(Windows, ClosingAnOwnedWindowActivatesItsOwnerAndRaisesNothingForItself) {
    HWND owner = reinterpret_cast<HWND>(open_window(0, 0, 0, 300, 200, "owner", 0));
    HWND owned = reinterpret_cast<HWND>(open_window(1, 40, 40, 200, 100, "owned", WS_POPUP | WS_CAPTION, owner));
    ASSERT_EQ(GetActiveWindow(), owned);
    drain_events();

    close_window(1);
    EXPECT_FALSE(IsWindow(owned));
    EXPECT_EQ(GetActiveWindow(), owner);
    for (int i = 0; i < 1000; ++i) {
        const int code = wait_event(0);
        if (code == EVENT_NONE) break;
        EXPECT_NE(event_window(), 1) << "event " << code << " named the closed window";
    }
}

TEST_F(Windows, ClosingEverythingClosesNumberedAndAnonymousWindows) {
    std::vector<HWND> windows{reinterpret_cast<HWND>(open_window(0, 0, 0, 100, 100, "", WINDOW_HIDDEN)),
                              reinterpret_cast<HWND>(open_window(20, 0, 0, 100, 100, "", WINDOW_HIDDEN))};
    for (int i = 0; i < 2; ++i)
        windows.push_back(window_handle(static_cast<int>(open_window(-1, 0, 0, 100, 100, "", WINDOW_HIDDEN))));
    close_all_windows();
    for (HWND window : windows) EXPECT_FALSE(IsWindow(window));
    objects_rewind(toolkit.windows);
    int number = 0;
    EXPECT_EQ(objects_next(toolkit.windows, &number), nullptr);
}

}  // namespace
