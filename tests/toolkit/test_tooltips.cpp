// Tooltips: one shared tooltip window, one tool per control.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "recording_window.h"
#include "toolkit/win32/internal.h"
#include "toolkit_fixture.h"

#include <commctrl.h>

namespace {

class TooltipTest : public ::testing::Test {
protected:
    // One active parent for the whole program; each test makes its own controls.
    static void SetUpTestSuite() {
        start_toolkit();
        parent_ = create_recording_window("tooltips", WS_POPUP | WS_VISIBLE, 100, 100, 300, 200);
    }
    void SetUp() override { ASSERT_NE(parent_, nullptr); }
    void TearDown() override {
        destroy_children(parent_);
        drain_events();
    }

    HWND child(const char* class_name, int id, int y) {
        return CreateWindowExA(0, class_name, "child", WS_CHILD | WS_VISIBLE, 10, y, 120, 24, parent_,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
    }

    static HWND tooltip_window() { return gadget_context()->tooltip_window; }

    static int tool_count() { return static_cast<int>(SendMessageA(tooltip_window(), TTM_GETTOOLCOUNT, 0, 0)); }

    // The text registered for a control; "<none>" when the control has no tool.
    static std::string tool_text(HWND control) {
        static char buffer[INFOTIPSIZE + 1];
        buffer[0] = '\0';
        TTTOOLINFOA tool{};
        tool.cbSize = TTTOOLINFOA_V1_SIZE;
        tool.hwnd = GetParent(control);
        tool.uId = reinterpret_cast<UINT_PTR>(control);
        if (!SendMessageA(tooltip_window(), TTM_GETTOOLINFOA, 0, reinterpret_cast<LPARAM>(&tool))) return "<none>";
        tool.lpszText = buffer;
        SendMessageA(tooltip_window(), TTM_GETTEXTA, sizeof buffer, reinterpret_cast<LPARAM>(&tool));
        return buffer;
    }

    static UINT tool_flags(HWND control) {
        TTTOOLINFOA tool{};
        tool.cbSize = TTTOOLINFOA_V1_SIZE;
        tool.hwnd = GetParent(control);
        tool.uId = reinterpret_cast<UINT_PTR>(control);
        SendMessageA(tooltip_window(), TTM_GETTOOLINFOA, 0, reinterpret_cast<LPARAM>(&tool));
        return tool.uFlags;
    }

    static inline HWND parent_ = nullptr;
};

TEST_F(TooltipTest, OneSharedTooltipWindowSubclassedAndTopmost) {
    HWND first = child("BUTTON", 21, 10);
    HWND second = child("EDIT", 22, 40);
    add_tool(first, "first");
    HWND tooltip = tooltip_window();
    ASSERT_NE(tooltip, nullptr);
    add_tool(second, "second");
    EXPECT_EQ(tooltip_window(), tooltip) << "every control shares one window";

    char class_name[64] = {};
    GetClassNameA(tooltip, class_name, sizeof class_name);
    EXPECT_STREQ(class_name, TOOLTIPS_CLASSA);
    const LONG_PTR style = GetWindowLongPtrA(tooltip, GWL_STYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_EQ(style & (TTS_NOPREFIX | TTS_ALWAYSTIP), TTS_NOPREFIX | TTS_ALWAYSTIP);
    EXPECT_TRUE(GetWindowLongPtrA(tooltip, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(GetParent(tooltip), nullptr);
    EXPECT_EQ(GetWindowLongPtrA(tooltip, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&tooltip_proc));
    EXPECT_NE(GetWindowLongPtrA(tooltip, GWLP_USERDATA), 0) << "the replaced procedure is kept";

    EXPECT_EQ(tool_count(), 2) << "the subclassed window still answers as a tooltip control";
    EXPECT_EQ(tool_text(first), "first");
    EXPECT_EQ(tool_text(second), "second");
    EXPECT_EQ(tool_flags(first) & (TTF_IDISHWND | TTF_SUBCLASS), static_cast<UINT>(TTF_IDISHWND | TTF_SUBCLASS));
}

TEST_F(TooltipTest, SettingAControlsToolAgainReplacesItsText) {
    HWND control = child("EDIT", 23, 10);
    add_tool(control, "placeholder");  // the tooltip window exists from here on
    const int before = tool_count();

    struct Row {
        const char* text;
        const char* expected;
    };
    const Row rows[] = {{"first text", "first text"}, {"second text", "second text"}, {"", ""}, {nullptr, ""}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text ? row.text : "(missing)");
        add_tool(control, row.text);
        EXPECT_EQ(tool_count(), before) << "still one tool for the control";
        EXPECT_EQ(tool_text(control), row.expected);
    }
}

TEST_F(TooltipTest, PaintingRaisesTheTooltipAboveLaterTopmostWindows) {
    HWND control = child("BUTTON", 25, 100);
    add_tool(control, "raise");
    HWND tooltip = tooltip_window();
    HWND rival = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, "STATIC", "rival", WS_POPUP, 0, 0, 20, 20, nullptr,
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(rival, nullptr);
    show_inactive(rival);
    SetWindowPos(rival, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);

    auto above = [](HWND upper, HWND lower) {
        for (HWND window = GetWindow(upper, GW_HWNDNEXT); window; window = GetWindow(window, GW_HWNDNEXT))
            if (window == lower) return true;
        return false;
    };
    ASSERT_TRUE(above(rival, tooltip)) << "the rival came later and sits on top";
    SendMessageA(tooltip, WM_PAINT, 0, 0);
    EXPECT_TRUE(above(tooltip, rival));
    DestroyWindow(rival);
}

TEST_F(TooltipTest, GadgetTooltipSetTwiceLeavesOneToolWithTheSecondText) {
    use_gadget_list(parent_);
    ASSERT_NE(create_input(4, 10, 130, 100, 22, "", 0), 0);
    HWND control = gadget_handle(4);
    ASSERT_NE(control, nullptr);
    add_tool(control, "placeholder");  // the tooltip window exists from here on
    const int before = tool_count();

    struct Row {
        const char* text;
        const char* expected;
    };
    const Row rows[] = {{"first text", "first text"}, {"second text", "second text"}, {nullptr, ""}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text ? row.text : "(missing)");
        EXPECT_NE(set_gadget_tooltip(4, row.text), 0);
        EXPECT_EQ(tool_count(), before);
        EXPECT_EQ(tool_text(control), row.expected);
    }

    const intptr_t anonymous = create_input(-1, 120, 130, 100, 22, "", 0);
    ASSERT_NE(anonymous, 0);
    HWND anonymous_control =
        static_cast<GadgetRecord*>(objects_find(toolkit.gadgets, static_cast<int>(anonymous)))->handle;
    EXPECT_NE(set_gadget_tooltip(static_cast<int>(anonymous), "anonymous"), 0);
    EXPECT_EQ(tool_text(anonymous_control), "anonymous");

    DestroyWindow(control);
    EXPECT_EQ(set_gadget_tooltip(4, "gone"), 0) << "a destroyed gadget";
}

}  // namespace
