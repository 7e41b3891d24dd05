// Gadgets on real controls in a real toolkit window: the events their
// notifications become, re-creation under a used number, the colours labels
// and inputs answer with, fonts, frames, and operations on numbers that name
// no gadget.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "toolkit/internal.h"
#include "toolkit_fixture.h"

namespace {

constexpr int GADGET_WINDOW = 5;

struct Event {
    int code;
    int gadget;
    int type;
    bool operator==(const Event&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Event& event) {
    return out << "{" << event.code << ", gadget " << event.gadget << ", type " << event.type << "}";
}

// Runs the event loop, collecting gadget events, until `wanted` has been
// seen or the passes run out.
std::vector<Event> gadget_events_until(const Event& wanted) {
    std::vector<Event> seen;
    for (int pass = 0; pass < 200; ++pass) {
        const int code = wait_event(25);
        if (code != EVENT_GADGET) continue;
        seen.push_back({code, event_gadget(), event_type()});
        if (seen.back() == wanted) break;
    }
    return seen;
}

int position_of(const std::vector<Event>& events, const Event& wanted) {
    for (size_t i = 0; i < events.size(); ++i)
        if (events[i] == wanted) return static_cast<int>(i);
    return -1;
}

// Presses the left button on a control through the message queue, so the
// focus moves while wait_event dispatches.
void post_click(HWND control) {
    PostMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    PostMessageA(control, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
}

HFONT current_font(int gadget) {
    return reinterpret_cast<HFONT>(SendMessageA(gadget_handle(gadget), WM_GETFONT, 0, 0));
}

class Gadgets : public ::testing::Test {
protected:
    void SetUp() override {
        start_toolkit();
        ASSERT_NE(open_window(GADGET_WINDOW, 40, 40, 500, 360, "Gadgets", 0xCC0000), 0);
        window = window_handle(GADGET_WINDOW);
        ASSERT_EQ(use_gadget_list(window), window);
        SetForegroundWindow(window);
        drain_events();
    }
    void TearDown() override {
        close_window(GADGET_WINDOW);
        drain_events();
    }
    HWND window = nullptr;
};

TEST_F(Gadgets, ButtonClickIsGadgetEventOfTypeZero) {
    ASSERT_NE(create_button(0, 10, 10, 80, 24, "OK", BS_DEFPUSHBUTTON), 0);
    ASSERT_NE(create_button(11, 100, 10, 80, 24, "About", BS_DEFPUSHBUTTON), 0);
    for (int gadget : {0, 11}) {
        SCOPED_TRACE(gadget);
        PostMessageA(gadget_handle(gadget), BM_CLICK, 0, 0);
        const auto events = gadget_events_until({EVENT_GADGET, gadget, BN_CLICKED});
        EXPECT_GE(position_of(events, {EVENT_GADGET, gadget, BN_CLICKED}), 0) << ::testing::PrintToString(events);
        EXPECT_EQ(event_window(), GADGET_WINDOW);
    }
}

TEST_F(Gadgets, TypedCharacterIsOneChangeEvent) {
    ASSERT_NE(create_input(2, 10, 10, 100, 24, "", ES_NUMBER), 0);
    PostMessageA(gadget_handle(2), WM_CHAR, '7', 1);
    const auto events = gadget_events_until({EVENT_GADGET, 2, EN_CHANGE});
    EXPECT_GE(position_of(events, {EVENT_GADGET, 2, EN_CHANGE}), 0) << ::testing::PrintToString(events);
    EXPECT_EQ(position_of(events, {EVENT_GADGET, 2, EN_UPDATE}), -1) << "EN_CHANGE overwrites EN_UPDATE";
    EXPECT_EQ(get_gadget_text(2), "7");
}

TEST_F(Gadgets, FocusChangesGiveNotificationThenPostedType) {
    ASSERT_NE(create_button(0, 10, 10, 80, 24, "OK", 0), 0);
    ASSERT_NE(create_input(2, 10, 50, 100, 24, "", ES_NUMBER), 0);
    SetFocus(gadget_handle(0));
    drain_events();

    post_click(gadget_handle(2));
    auto events = gadget_events_until({EVENT_GADGET, 2, TYPE_FOCUS_GAINED});
    ASSERT_EQ(GetFocus(), gadget_handle(2));
    const int gained = position_of(events, {EVENT_GADGET, 2, EN_SETFOCUS});
    EXPECT_GE(gained, 0) << ::testing::PrintToString(events);
    EXPECT_GT(position_of(events, {EVENT_GADGET, 2, TYPE_FOCUS_GAINED}), gained);

    post_click(gadget_handle(0));
    events = gadget_events_until({EVENT_GADGET, 2, TYPE_FOCUS_LOST});
    const int lost = position_of(events, {EVENT_GADGET, 2, EN_KILLFOCUS});
    EXPECT_GE(lost, 0) << ::testing::PrintToString(events);
    EXPECT_GT(position_of(events, {EVENT_GADGET, 2, TYPE_FOCUS_LOST}), lost);
}

TEST_F(Gadgets, ProgramTextChangeIsReturnedAfterOneMoreMessage) {
    ASSERT_NE(create_input(4, 10, 10, 100, 24, "", ES_READONLY), 0);
    drain_events();
    ASSERT_EQ(set_gadget_text(4, " 3"), 1);
    PostMessageA(window, WM_NULL, 0, 0);
    EXPECT_EQ(wait_event(1000), EVENT_GADGET);
    EXPECT_EQ(event_gadget(), 4);
    EXPECT_EQ(event_type(), -1);
}

TEST_F(Gadgets, RecreatingANumberDestroysTheOldGadgetAndReleasesItsBrush) {
    const COLORREF shared = RGB(12, 34, 56);
    ASSERT_NE(create_input(2, 10, 10, 100, 24, "first", 0), 0);
    ASSERT_NE(create_label(12, 10, 40, 100, 24, "holder", 0), 0);
    HWND first = gadget_handle(2);
    set_gadget_colour(2, COLOUR_BACK, static_cast<int32_t>(shared));
    set_gadget_colour(12, COLOUR_BACK, static_cast<int32_t>(shared));
    const HBRUSH brush = find_gadget(2)->paint.back_brush;
    ASSERT_NE(brush, nullptr);
    EXPECT_EQ(find_gadget(12)->paint.back_brush, brush) << "one brush per colour";

    ASSERT_NE(create_input(2, 10, 10, 100, 24, "second", 0), 0);
    EXPECT_FALSE(IsWindow(first));
    EXPECT_NE(gadget_handle(2), first);
    EXPECT_EQ(get_gadget_text(2), "second");
    EXPECT_EQ(get_gadget_colour(2, COLOUR_BACK), -1);
    EXPECT_EQ(GetObjectType(brush), static_cast<DWORD>(OBJ_BRUSH)) << "label 12 still holds it";

    DestroyWindow(gadget_handle(12));
    EXPECT_EQ(gadget_handle(12), nullptr);
    EXPECT_EQ(GetObjectType(brush), 0u) << "the last holder let go";
}

TEST_F(Gadgets, RefusedControlLeavesTheEarlierGadget) {
    ASSERT_NE(create_label(2, 10, 10, 100, 24, "kept", 0), 0);
    HWND kept = gadget_handle(2);
    use_gadget_list(nullptr);  // a child control without a parent is refused
    EXPECT_EQ(create_label(2, 10, 10, 100, 24, "new", 0), 0);
    use_gadget_list(window);
    EXPECT_EQ(gadget_handle(2), kept);
    EXPECT_EQ(get_gadget_text(2), "kept");
}

TEST_F(Gadgets, RegisteredGadgetCarriesItsNumberAndAnonymousOnesTheirIdentity) {
    const intptr_t handle = create_button(7, 10, 10, 80, 24, "seven", 0);
    ASSERT_EQ(reinterpret_cast<HWND>(handle), gadget_handle(7));
    EXPECT_EQ(GetWindowLongPtrA(gadget_handle(7), GWLP_ID), 7);
    EXPECT_EQ(reinterpret_cast<intptr_t>(GetPropA(gadget_handle(7), "QZ_ID")), 7);
    EXPECT_EQ(GetWindowLongPtrA(gadget_handle(7), GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(gadget_proc));

    const intptr_t identity = create_label(-1, 10, 40, 80, 24, "anonymous", 0);
    ASSERT_LE(identity, ANONYMOUS_IDENTITY_FIRST);
    HWND label = gadget_handle(static_cast<int>(identity));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(GetWindowLongPtrA(label, GWLP_ID), identity);
    EXPECT_EQ(reinterpret_cast<intptr_t>(GetPropA(label, "QZ_ID")), identity);
    EXPECT_EQ(set_gadget_text(static_cast<int>(identity), "renamed"), 1);
    EXPECT_EQ(get_gadget_text(static_cast<int>(identity)), "renamed");
    DestroyWindow(label);
    EXPECT_EQ(gadget_handle(static_cast<int>(identity)), nullptr) << "clean-up released the record";
}

// How a label or input answers its colour message, asked through its window.
struct ColourRow {
    const char* name;
    bool input;
    bool enabled;
    int32_t front;
    int32_t back;
    UINT message;
    int system_colour;  // -1: the gadget's own back colour; -2: declined
};

TEST_F(Gadgets, LabelAndInputColourRules) {
    const int32_t red = RGB(200, 0, 0), blue = RGB(0, 0, 190);
    const ColourRow rows[] = {
        {"label front only", false, true, red, -1, WM_CTLCOLORSTATIC, COLOR_BTNFACE},
        {"input front only", true, true, red, -1, WM_CTLCOLOREDIT, COLOR_BTNHIGHLIGHT},
        {"read-only input front only", true, true, red, -1, WM_CTLCOLORSTATIC, COLOR_BTNHIGHLIGHT},
        {"label both", false, true, red, blue, WM_CTLCOLORSTATIC, -1},
        {"input back only", true, true, -1, blue, WM_CTLCOLOREDIT, -1},
        {"label default colours", false, true, -1, -1, WM_CTLCOLORSTATIC, -2},
        {"label asked as an edit", false, true, red, blue, WM_CTLCOLOREDIT, -2},
        {"disabled input", true, false, red, blue, WM_CTLCOLORSTATIC, -2},
    };
    HDC dc = CreateCompatibleDC(nullptr);
    for (const ColourRow& row : rows) {
        SCOPED_TRACE(row.name);
        const intptr_t made = row.input ? create_input(30, 10, 10, 100, 24, "x", 0) : create_label(30, 10, 10, 100, 24, "x");
        ASSERT_NE(made, 0);
        HWND control = gadget_handle(30);
        EnableWindow(control, row.enabled);
        set_gadget_colour(30, COLOUR_FRONT, row.front);
        set_gadget_colour(30, COLOUR_BACK, row.back);
        EXPECT_EQ(get_gadget_colour(30, COLOUR_FRONT), row.front);
        EXPECT_EQ(get_gadget_colour(30, COLOUR_BACK), row.back);
        EXPECT_EQ(get_gadget_colour(30, 3), -1);

        const COLORREF untouched = RGB(1, 2, 3);
        SetTextColor(dc, untouched);
        SetBkColor(dc, untouched);
        GadgetRecord* record = find_gadget(30);
        const LRESULT answer = SendMessageA(window, row.message, reinterpret_cast<WPARAM>(dc),
                                            reinterpret_cast<LPARAM>(control));
        if (row.system_colour == -2) {
            EXPECT_EQ(record->kind->on_message(record, window, row.message, reinterpret_cast<WPARAM>(dc),
                                               reinterpret_cast<LPARAM>(control)),
                      NOT_HANDLED);
            EXPECT_EQ(answer, DefWindowProcA(window, row.message, reinterpret_cast<WPARAM>(dc),
                                             reinterpret_cast<LPARAM>(control)));
            EXPECT_NE(GetTextColor(dc), static_cast<COLORREF>(red));
            continue;
        }
        EXPECT_EQ(GetTextColor(dc), row.front == -1 ? untouched : static_cast<COLORREF>(row.front));
        if (row.system_colour == -1) {
            EXPECT_EQ(answer, reinterpret_cast<LRESULT>(record->paint.back_brush));
            EXPECT_NE(answer, 0);
            EXPECT_EQ(GetBkColor(dc), static_cast<COLORREF>(row.back));
        } else {
            EXPECT_EQ(answer, reinterpret_cast<LRESULT>(GetSysColorBrush(row.system_colour)));
            EXPECT_EQ(GetBkColor(dc), GetSysColor(row.system_colour));
        }
    }
    DeleteDC(dc);
}

TEST_F(Gadgets, DefaultFontChangesOnlyLaterGadgets) {
    const HFONT gui = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    HFONT font = CreateFontA(-20, 0, 0, 0, 700, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Arial");
    ASSERT_NE(font, nullptr);
    ASSERT_NE(create_label(20, 10, 10, 100, 24, "before"), 0);
    EXPECT_EQ(current_font(20), gui);

    EXPECT_NE(set_gadget_font(-1, font), 0);
    ASSERT_NE(create_label(21, 10, 40, 100, 24, "after"), 0);
    EXPECT_EQ(current_font(20), gui);
    EXPECT_EQ(current_font(21), font);

    EXPECT_NE(set_gadget_font(-1, DEFAULT_GADGET_FONT), 0);
    ASSERT_NE(create_input(22, 10, 70, 100, 24, "restored", 0), 0);
    EXPECT_EQ(current_font(22), gui);

    set_gadget_font(21, DEFAULT_GADGET_FONT);
    EXPECT_EQ(current_font(21), gui);
    set_gadget_font(20, font);
    EXPECT_EQ(current_font(20), font);
    close_window(GADGET_WINDOW);
    DeleteObject(font);
}

TEST_F(Gadgets, MissingAndLongTexts) {
    ASSERT_NE(create_label(1, 10, 10, 100, 24, nullptr), 0);
    EXPECT_EQ(get_gadget_text(1), "");
    ASSERT_NE(create_input(2, 10, 40, 100, 24, "old", 0), 0);
    EXPECT_EQ(set_gadget_text(2, nullptr), 1);
    EXPECT_EQ(get_gadget_text(2), "");

    // A text the program sets is kept whole: the typing limit of the edit
    // control does not cut it.
    const std::string long_text(100000, '5');
    EXPECT_EQ(set_gadget_text(2, long_text.c_str()), 1);
    EXPECT_EQ(get_gadget_text(2), long_text);
}

TEST_F(Gadgets, ButtonStateAndKindsWithoutHandlers) {
    ASSERT_NE(create_button(3, 10, 10, 100, 24, "check", BS_AUTOCHECKBOX), 0);
    EXPECT_EQ(get_gadget_state(3), 0);
    EXPECT_EQ(set_gadget_state(3, 5), 1);
    EXPECT_EQ(get_gadget_state(3), 1);
    EXPECT_EQ(set_gadget_state(3, 0), 1);
    EXPECT_EQ(get_gadget_state(3), 0);
    EXPECT_EQ(get_gadget_colour(3, COLOUR_FRONT), -1) << "buttons draw in the system colours";
    EXPECT_EQ(set_gadget_colour(3, COLOUR_FRONT, 0), 0);

    ASSERT_NE(create_label(6, 10, 40, 100, 24, "Strikes"), 0);
    EXPECT_EQ(add_gadget_item(6, -1, "line"), 0);
    EXPECT_EQ(count_gadget_items(6), 0);
    EXPECT_EQ(get_gadget_item_text(6, 0), "");
    EXPECT_EQ(get_gadget_state(6), 0);
    EXPECT_EQ(get_gadget_text(6), "Strikes") << "the label's text is untouched";
}

// Frames by type: platform class, styles and whether the caption is kept.
struct FrameRow {
    int type;
    const char* class_name;
    DWORD ex_style;
    DWORD style;
    bool captioned;
};

TEST_F(Gadgets, FrameTypesMakeTheirControls) {
    const FrameRow rows[] = {
        {0, "Button", 0, 0x50020007, true},
        {1, "Static", WS_EX_CLIENTEDGE, 0x54020001, false},
        {2, "Static", WS_EX_STATICEDGE, 0x54020001, false},
        {9, "Static", 0, 0x54820001, false},
    };
    for (const FrameRow& row : rows) {
        SCOPED_TRACE(row.type);
        ASSERT_NE(create_frame(3, 10, 10, 200, 100, "Frame", row.type), 0);
        HWND frame = gadget_handle(3);
        char class_name[32] = {};
        GetClassNameA(frame, class_name, sizeof class_name);
        EXPECT_STREQ(class_name, row.class_name);
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrA(frame, GWL_STYLE)) & row.style, row.style);
        const DWORD edges = WS_EX_CLIENTEDGE | WS_EX_STATICEDGE;
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrA(frame, GWL_EXSTYLE)) & edges, row.ex_style);
        EXPECT_EQ(get_gadget_text(3), row.captioned ? "Frame" : "");
        EXPECT_EQ(find_gadget(3)->previous_proc == frame_proc, !row.captioned);
    }
}

TEST_F(Gadgets, ResizeKeepsWhatIsNotGiven) {
    ASSERT_NE(create_frame(3, 10, 20, 200, 100, "Frame"), 0);
    ASSERT_NE(create_button(0, 30, 40, 80, 24, "OK", 0), 0);
    struct Row {
        int gadget, x, y, width, height;
        RECT expected;
    } rows[] = {
        {3, 15, KEEP_VALUE, KEEP_VALUE, 120, {15, 20, 215, 140}},
        {3, KEEP_VALUE, KEEP_VALUE, KEEP_VALUE, KEEP_VALUE, {15, 20, 215, 140}},
        {0, KEEP_VALUE, 50, 90, KEEP_VALUE, {30, 50, 120, 74}},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(resize_gadget(row.gadget, row.x, row.y, row.width, row.height), 1);
        RECT rect{};
        GetWindowRect(gadget_handle(row.gadget), &rect);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rect), 2);
        EXPECT_TRUE(EqualRect(&rect, &row.expected))
            << "gadget " << row.gadget << ": " << rect.left << "," << rect.top << "," << rect.right << "," << rect.bottom;
    }
}

TEST_F(Gadgets, NumbersNamingNoGadgetDoNothing) {
    ASSERT_NE(create_input(8, 10, 10, 100, 24, "gone", 0), 0);
    DestroyWindow(gadget_handle(8));
    for (int number : {8, 45, 5000, -1, -2, ANONYMOUS_IDENTITY_FIRST - 1000}) {
        SCOPED_TRACE(number);
        EXPECT_EQ(gadget_handle(number), nullptr);
        EXPECT_EQ(set_gadget_text(number, "x"), 0);
        EXPECT_EQ(get_gadget_text(number), "");
        EXPECT_EQ(add_gadget_item(number, 0, "x"), 0);
        if (number != -1) {
            EXPECT_EQ(set_gadget_font(number, DEFAULT_GADGET_FONT), 0);
        }
        EXPECT_EQ(set_gadget_colour(number, COLOUR_BACK, 0), 0);
        EXPECT_EQ(get_gadget_colour(number, COLOUR_BACK), 0);
        EXPECT_EQ(get_gadget_state(number), 0);
        EXPECT_EQ(set_gadget_state(number, 1), 0);
        EXPECT_EQ(remove_gadget_item(number, 0), 0);
        EXPECT_EQ(clear_gadget_items(number), 0);
        EXPECT_EQ(resize_gadget(number, 1, 2, 3, 4), 0);
        EXPECT_EQ(count_gadget_items(number), 0);
        EXPECT_EQ(get_gadget_item_text(number, 0), "");
        EXPECT_EQ(set_gadget_item_text(number, 0, "x"), 0);
        EXPECT_EQ(get_gadget_attribute(number, ATTRIBUTE_READ_ONLY), 0);
        EXPECT_EQ(set_gadget_attribute(number, ATTRIBUTE_READ_ONLY, 1), 0);
    }
}

}  // namespace
