// Tab and Shift+Tab focus cycling on real windows: the order of the tab stops,
// wrapping, skipped controls, MDI children, and the keys arriving through
// wait_event's shortcut translation.
#include <richedit.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "toolkit/win32/internal.h"
#include "toolkit_fixture.h"

namespace {

constexpr int FOCUS_WINDOW = 3;
constexpr DWORD TAB_STOP = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
constexpr DWORD NO_TAB_STOP = WS_CHILD | WS_VISIBLE;

HWND make_control(HWND parent, const char* class_name, DWORD style, int index) {
    return CreateWindowExA(0, class_name, "", style, 10 + 70 * (index % 5), 10 + 30 * (index / 5), 60, 22, parent,
                           reinterpret_cast<HMENU>(static_cast<intptr_t>(100 + index)), GetModuleHandleA(nullptr),
                           nullptr);
}

HWND make_mdi_child(HWND parent, int x, int y) {
    static bool registered = false;
    if (!registered) {
        WNDCLASSA window_class{};
        window_class.lpfnWndProc = DefWindowProcA;
        window_class.hInstance = GetModuleHandleA(nullptr);
        window_class.lpszClassName = "MDI_ChildClass";
        registered = RegisterClassA(&window_class) != 0;
    }
    return CreateWindowExA(0, "MDI_ChildClass", "", WS_CHILD | WS_VISIBLE, x, y, 360, 120, parent, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

// Presses a key through the platform's input queue, so that GetKeyState sees
// it down when wait_event translates it.
void press_key(WORD key, bool shift) {
    std::vector<INPUT> inputs;
    auto add = [&inputs](WORD code, bool up) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = code;
        input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        inputs.push_back(input);
    };
    if (shift) add(VK_SHIFT, false);
    add(key, false);
    add(key, true);
    if (shift) add(VK_SHIFT, true);
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

// Runs the event loop until the condition holds, at most a bounded number of
// passes; true when it held.
template <typename Condition>
bool pump_until(Condition condition) {
    for (int pass = 0; pass < 400; ++pass) {
        if (condition()) return true;
        wait_event(25);
    }
    return condition();
}

// Waits until every key is up again, so one test's keys do not leak into the
// next one's shortcut translation.
void settle_keys() {
    pump_until([] { return !(GetKeyState(VK_TAB) & 0x8000) && !(GetKeyState(VK_SHIFT) & 0x8000); });
    drain_events();
}

// One window serves every test (destroying a top-level window is slow under
// Wine without a window manager); each test makes its own controls.
class FocusCycling : public ::testing::Test {
protected:
    void SetUp() override {
        start_toolkit();
        if (!window_handle(FOCUS_WINDOW)) open_window(FOCUS_WINDOW, 40, 40, 400, 300, "Focus", 0xCC0000);
        window = window_handle(FOCUS_WINDOW);
        ASSERT_NE(window, nullptr);
        SetForegroundWindow(window);
        SetActiveWindow(window);
        SetFocus(window);
        drain_events();
        ASSERT_EQ(GetActiveWindow(), window);
    }
    void TearDown() override {
        SetFocus(window);
        while (HWND child = GetWindow(window, GW_CHILD)) DestroyWindow(child);
        drain_events();
    }

    HWND window = nullptr;
};

struct CycleRow {
    const char* name;
    int start;  // index of the control that has the focus; -1: the window itself
    bool backward;
    int expected;  // index of the control that has the focus afterwards
};

void run_rows(HWND window, const std::vector<HWND>& controls, const std::vector<CycleRow>& rows) {
    for (const CycleRow& row : rows) {
        SetFocus(row.start < 0 ? window : controls[row.start]);
        cycle_focus(row.backward);
        HWND expected = row.expected < 0 ? window : controls[row.expected];
        EXPECT_EQ(GetFocus(), expected) << row.name;
    }
}

TEST_F(FocusCycling, WalksTabStopsInOrderAndWrapsBothWays) {
    // Tab stops 0, 1, 3 (inside a plain container), 4; 2 is a label without
    // WS_TABSTOP.
    std::vector<HWND> controls;
    controls.push_back(make_control(window, "Button", TAB_STOP, 0));
    controls.push_back(make_control(window, "Edit", TAB_STOP, 1));
    controls.push_back(make_control(window, "Static", NO_TAB_STOP | SS_NOTIFY, 2));
    HWND box = CreateWindowExA(0, "Static", "", NO_TAB_STOP, 10, 100, 300, 40, window, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    controls.push_back(make_control(box, "Edit", TAB_STOP, 3));
    controls.push_back(make_control(window, "Button", TAB_STOP, 4));

    run_rows(window, controls,
             {
                 {"Tab from the first", 0, false, 1},
                 {"Tab over the label", 1, false, 3},
                 {"Tab out of the container", 3, false, 4},
                 {"Tab from the last wraps to the first", 4, false, 0},
                 {"Tab without focus inside goes to the first", -1, false, 0},
                 {"Shift+Tab from the last", 4, true, 3},
                 {"Shift+Tab into the container's predecessor", 3, true, 1},
                 {"Shift+Tab from the first wraps to the last", 0, true, 4},
                 {"Shift+Tab without focus inside goes to the last", -1, true, 4},
                 {"Tab from a control without tab stop stays", 2, false, 2},
                 {"Shift+Tab from a control without tab stop goes to the last", 2, true, 4},
             });
}

TEST_F(FocusCycling, SkipsDisabledAndHiddenControls) {
    std::vector<HWND> controls;
    controls.push_back(make_control(window, "Edit", TAB_STOP, 0));
    controls.push_back(make_control(window, "Edit", TAB_STOP | WS_DISABLED, 1));
    controls.push_back(make_control(window, "Button", WS_CHILD | WS_TABSTOP, 2));  // never shown
    controls.push_back(make_control(window, "Edit", TAB_STOP, 3));
    controls.push_back(make_control(window, "Button", TAB_STOP | WS_DISABLED, 4));

    run_rows(window, controls,
             {
                 {"Tab skips the disabled and the hidden", 0, false, 3},
                 {"Tab wraps past a disabled last control", 3, false, 0},
                 {"Shift+Tab skips the hidden and the disabled", 3, true, 0},
                 {"Shift+Tab wraps past a disabled last control", 0, true, 3},
             });
}

TEST_F(FocusCycling, WithoutTabStopsTheFocusStays) {
    HWND label = make_control(window, "Edit", NO_TAB_STOP, 0);
    HWND disabled = make_control(window, "Edit", TAB_STOP | WS_DISABLED, 1);
    ASSERT_NE(disabled, nullptr);
    for (bool backward : {false, true}) {
        SetFocus(label);
        cycle_focus(backward);
        EXPECT_EQ(GetFocus(), label) << (backward ? "Shift+Tab" : "Tab");
    }
}

TEST_F(FocusCycling, StaysInsideTheOutermostMdiChild) {
    // Window: control 0, then an MDI child holding 1, 2 and an inner MDI
    // child holding 3, then control 4.
    std::vector<HWND> controls;
    controls.push_back(make_control(window, "Button", TAB_STOP, 0));
    HWND outer = make_mdi_child(window, 10, 40);
    ASSERT_NE(outer, nullptr);
    controls.push_back(make_control(outer, "Edit", TAB_STOP, 1));
    controls.push_back(make_control(outer, "Button", TAB_STOP, 2));
    HWND inner = make_mdi_child(outer, 0, 40);
    controls.push_back(make_control(inner, "Edit", TAB_STOP, 3));
    controls.push_back(make_control(window, "Button", TAB_STOP, 10));
    controls.push_back(outer);
    controls.push_back(inner);
    const int OUTER = 5, INNER = 6;

    run_rows(window, controls,
             {
                 {"Tab inside the child", 1, false, 2},
                 {"Tab into the inner child", 2, false, 3},
                 {"Tab from the inner child's control wraps in the outer child", 3, false, 1},
                 {"Shift+Tab from the child's first wraps to its last", 1, true, 3},
                 {"Tab with the MDI child focused goes to its first", OUTER, false, 1},
                 {"Shift+Tab with the MDI child focused goes to its last", OUTER, true, 3},
                 {"Tab with the inner child focused stays in the outer child", INNER, false, 1},
                 {"Tab outside the children walks the whole window", 0, false, 1},
                 {"Shift+Tab from the window's last", 4, true, 3},
             });
}

TEST_F(FocusCycling, TabKeysThroughTheEventLoop) {
    use_gadget_list(window);
    ASSERT_NE(create_input(0, 10, 10, 80, 22, "", 0), 0);
    ASSERT_NE(create_button(1, 100, 10, 60, 22, "OK", 0), 0);
    HWND plain = make_control(window, "Edit", TAB_STOP, 7);
    HWND input = gadget_handle(0);
    HWND button = gadget_handle(1);

    SetFocus(input);
    drain_events();
    press_key(VK_TAB, false);
    EXPECT_TRUE(pump_until([&] { return GetFocus() == button; })) << "Tab from the input field";
    settle_keys();
    press_key(VK_TAB, false);
    EXPECT_TRUE(pump_until([&] { return GetFocus() == plain; })) << "Tab from the button";
    settle_keys();
    press_key(VK_TAB, true);
    EXPECT_TRUE(pump_until([&] { return GetFocus() == button; })) << "Shift+Tab from the last";
    settle_keys();
    press_key(VK_TAB, true);
    EXPECT_TRUE(pump_until([&] { return GetFocus() == input; })) << "Shift+Tab from the button";
    settle_keys();
    EXPECT_EQ(GetWindowTextLengthA(input), 0) << "Tab must not be typed into the input field";
}

TEST_F(FocusCycling, TabIsTypedIntoEditableRichTextOnly) {
    ASSERT_NE(LoadLibraryA("RICHED20.DLL"), nullptr);
    HWND rich =
        CreateWindowExA(WS_EX_CLIENTEDGE, "RichEdit20A", "", TAB_STOP | ES_MULTILINE | ES_WANTRETURN, 10, 10, 200, 80,
                        window, reinterpret_cast<HMENU>(static_cast<intptr_t>(50)), GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(rich, nullptr);
    HWND after = make_control(window, "Button", TAB_STOP, 8);

    SetFocus(rich);
    drain_events();
    press_key(VK_TAB, false);
    EXPECT_TRUE(pump_until([&] { return GetWindowTextLengthA(rich) > 0; })) << "Tab typed into the editor";
    settle_keys();
    char text[8] = {};
    GetWindowTextA(rich, text, sizeof text);
    EXPECT_EQ(std::string(text), "\t");
    EXPECT_EQ(GetFocus(), rich);

    SendMessageA(rich, EM_SETOPTIONS, ECOOP_OR, ECO_READONLY);
    press_key(VK_TAB, false);
    EXPECT_TRUE(pump_until([&] { return GetFocus() == after; })) << "Tab leaves a read-only editor";
    settle_keys();
    GetWindowTextA(rich, text, sizeof text);
    EXPECT_EQ(std::string(text), "\t");
}

}  // namespace
