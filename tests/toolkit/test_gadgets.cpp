// Gadgets on real controls in a real toolkit window: the events their
// notifications become, re-creation under a used number, the colours labels
// and inputs answer with, fonts, frames and painting. What the public
// operations answer on every platform: test_public_operations.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include <oleacc.h>
#include "shared_rows.h"
#include "toolkit/win32/internal.h"
#include "toolkit_fixture.h"

namespace {

struct Event {
    int gadget;
    int type;
    bool operator==(const Event&) const = default;
};

// The gadget events the loop returns until `wanted` comes (bounded).
std::vector<Event> gadget_events_until(const Event& wanted) {
    std::vector<Event> seen;
    for (int pass = 0; pass < 200 && (seen.empty() || !(seen.back() == wanted)); ++pass)
        if (wait_event(25) == EVENT_GADGET) seen.push_back({event_gadget(), event_type()});
    return seen;
}

int position_of(const std::vector<Event>& events, const Event& wanted) {
    for (size_t i = 0; i < events.size(); ++i)
        if (events[i] == wanted) return static_cast<int>(i);
    return -1;
}

// A left click through the queue: the focus moves while wait_event dispatches.
void post_click(HWND control) {
    PostMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    PostMessageA(control, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
}

HFONT font_of(int gadget) { return reinterpret_cast<HFONT>(SendMessageA(gadget_handle(gadget), WM_GETFONT, 0, 0)); }

TEST_F(Gadgets, ClicksAndTypingBecomeGadgetEvents) {
    ASSERT_NE(create_button(11, 100, 10, 80, 24, "About", BS_DEFPUSHBUTTON), 0);
    ASSERT_NE(create_input(2, 10, 50, 100, 24, "", ES_NUMBER), 0);
    PostMessageA(gadget_handle(11), BM_CLICK, 0, 0);
    auto events = gadget_events_until({11, BN_CLICKED});
    EXPECT_GE(position_of(events, {11, BN_CLICKED}), 0);
    EXPECT_EQ(event_window(), GADGET_WINDOW);

    PostMessageA(gadget_handle(2), WM_CHAR, '7', 1);
    events = gadget_events_until({2, EN_CHANGE});
    EXPECT_GE(position_of(events, {2, EN_CHANGE}), 0);
    EXPECT_EQ(position_of(events, {2, EN_UPDATE}), -1) << "EN_CHANGE overwrites EN_UPDATE";
    EXPECT_EQ(get_gadget_text(2), "7");
}

TEST_F(Gadgets, InputFocusGivesNotificationThenPostedType) {
    ASSERT_NE(create_button(0, 10, 10, 80, 24, "OK", 0), 0);
    ASSERT_NE(create_input(2, 10, 50, 100, 24, "", ES_NUMBER), 0);
    SetFocus(gadget_handle(0));
    drain_events();
    const struct {
        int click;
        Event notification, posted;
    } rows[] = {{2, {2, EN_SETFOCUS}, {2, TYPE_FOCUS_GAINED}}, {0, {2, EN_KILLFOCUS}, {2, TYPE_FOCUS_LOST}}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.posted.type);
        post_click(gadget_handle(row.click));
        const auto events = gadget_events_until(row.posted);
        const int notified = position_of(events, row.notification);
        EXPECT_GE(notified, 0);
        EXPECT_GT(position_of(events, row.posted), notified);
    }
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
    const int32_t shared = RGB(12, 34, 56);
    ASSERT_NE(create_input(2, 10, 10, 100, 24, "first", 0), 0);
    ASSERT_NE(create_label(12, 10, 40, 100, 24, "holder"), 0);
    HWND first = gadget_handle(2);
    set_gadget_colour(2, COLOUR_BACK, shared);
    set_gadget_colour(12, COLOUR_BACK, shared);
    const HBRUSH brush = find_gadget(2)->paint.back_brush;
    ASSERT_NE(brush, nullptr);

    ASSERT_NE(create_input(2, 10, 10, 100, 24, "second", 0), 0);
    EXPECT_FALSE(IsWindow(first));
    EXPECT_EQ(get_gadget_text(2), "second");
    EXPECT_EQ(get_gadget_colour(2, COLOUR_BACK), -1);
    EXPECT_EQ(GetObjectType(brush), static_cast<DWORD>(OBJ_BRUSH)) << "label 12 still holds it";
    DestroyWindow(gadget_handle(12));
    EXPECT_EQ(gadget_handle(12), nullptr);
    EXPECT_EQ(GetObjectType(brush), 0u) << "the last holder let go";

    use_gadget_list(nullptr);  // a child control without a parent is refused
    EXPECT_EQ(create_label(2, 10, 10, 100, 24, "refused"), 0);
    EXPECT_EQ(get_gadget_text(2), "second") << "a refused control leaves the earlier gadget";
}

TEST_F(Gadgets, AnonymousGadgetIsAddressedByItsIdentity) {
    const intptr_t identity = create_label(-1, 10, 40, 80, 24, "anonymous");
    ASSERT_LE(identity, ANONYMOUS_IDENTITY_FIRST);
    const int number = static_cast<int>(identity);
    HWND label = gadget_handle(number);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(reinterpret_cast<intptr_t>(GetPropA(label, "QZ_ID")), GetWindowLongPtrA(label, GWLP_ID));
    EXPECT_EQ(set_gadget_text(number, "renamed"), 1);
    EXPECT_EQ(get_gadget_text(number), "renamed");
    DestroyWindow(label);
    EXPECT_EQ(gadget_handle(number), nullptr);
}

// The editor's set-up dispatches waiting messages; one of them makes a gadget
// under a number past the table's end, which moves the table.
constexpr UINT MAKE_FAR_GADGET = WM_APP + 7;
int far_gadget = 0;
LRESULT make_far_gadget(HWND, UINT message, WPARAM, LPARAM) {
    if (message != MAKE_FAR_GADGET) return HOOK_CONTINUE;
    create_label(far_gadget, 0, 0, 10, 10, "far");
    return 0;
}

TEST_F(Gadgets, AGadgetMadeDuringAnotherOnesSetUpMovesNothingUnderIt) {
    for (int number : {3, -1}) {
        SCOPED_TRACE(number);
        far_gadget = toolkit.gadgets->capacity + 200;
        const unsigned char* before = toolkit.gadgets->array;
        event_record()->global_hook = make_far_gadget;
        PostMessageA(window, MAKE_FAR_GADGET, 0, 0);
        const intptr_t made = create_editor(number, 10, 10, 200, 100, 0);
        event_record()->global_hook = nullptr;
        ASSERT_NE(gadget_handle(far_gadget), nullptr) << "the message was dispatched during the set-up";
        // An anonymous record lives outside the array; the first row moves the array.
        if (number != -1) {
            ASSERT_NE(toolkit.gadgets->array, before) << "the table moved";
        }
        const int editor = number == -1 ? static_cast<int>(made) : number;
        ASSERT_NE(gadget_handle(editor), nullptr);
        if (number != -1) {
            EXPECT_EQ(reinterpret_cast<HWND>(made), gadget_handle(editor));
        }
        EXPECT_EQ(GetWindowLongPtrA(gadget_handle(editor), GWLP_ID), editor);
        EXPECT_EQ(set_gadget_text(editor, "still itself"), 1);
        EXPECT_EQ(get_gadget_text(editor), "still itself");
        EXPECT_TRUE(HeapValidate(general_heap(), 0, nullptr));
        free_gadget(editor);
        free_gadget(far_gadget);
    }
    // A gadget made under the same number during the set-up keeps it: the one
    // being made is given up, its control destroyed.
    far_gadget = 3;
    event_record()->global_hook = make_far_gadget;
    PostMessageA(window, MAKE_FAR_GADGET, 0, 0);
    EXPECT_EQ(create_editor(3, 10, 10, 200, 100, 0), 0);
    event_record()->global_hook = nullptr;
    HWND kept = gadget_handle(3);
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(get_gadget_text(3), "far");
    int children = 0;
    for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) ++children;
    EXPECT_EQ(children, 1) << "the editor given up was left behind";
    free_gadget(3);
}

// A label's or input's answer to its colour message, asked through its window.
TEST_F(Gadgets, LabelAndInputColourRules) {
    const int32_t red = RGB(200, 0, 0), blue = RGB(0, 0, 190);
    constexpr int OWN_BRUSH = -1, DECLINED = -2;
    const struct {
        const char* name;
        bool input, enabled;
        int32_t front, back;
        UINT message;
        int answer;          // a system colour, OWN_BRUSH or DECLINED
        bool fresh = false;  // colours never set: the gadget's own defaults
    } rows[] = {
        {"label front only", false, true, red, -1, WM_CTLCOLORSTATIC, COLOR_BTNFACE},
        {"input front only", true, true, red, -1, WM_CTLCOLOREDIT, COLOR_BTNHIGHLIGHT},
        {"read-only input front only", true, true, red, -1, WM_CTLCOLORSTATIC, COLOR_BTNHIGHLIGHT},
        {"label both", false, true, red, blue, WM_CTLCOLORSTATIC, OWN_BRUSH},
        {"input back only", true, true, -1, blue, WM_CTLCOLOREDIT, OWN_BRUSH},
        {"label default colours", false, true, -1, -1, WM_CTLCOLORSTATIC, DECLINED},
        {"label as made", false, true, -1, -1, WM_CTLCOLORSTATIC, DECLINED, true},
        {"input as made", true, true, -1, -1, WM_CTLCOLOREDIT, DECLINED, true},
        {"label asked as an edit", false, true, red, blue, WM_CTLCOLOREDIT, DECLINED},
        {"disabled input", true, false, red, blue, WM_CTLCOLORSTATIC, DECLINED},
    };
    HDC dc = CreateCompatibleDC(nullptr);
    const COLORREF untouched = RGB(1, 2, 3);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_NE(row.input ? create_input(30, 10, 10, 100, 24, "x", 0) : create_label(30, 10, 10, 100, 24, "x"), 0);
        HWND control = gadget_handle(30);
        EnableWindow(control, row.enabled);
        if (!row.fresh) {
            set_gadget_colour(30, COLOUR_FRONT, row.front);
            set_gadget_colour(30, COLOUR_BACK, row.back);
        }
        EXPECT_EQ(get_gadget_colour(30, COLOUR_FRONT), row.front);
        EXPECT_EQ(get_gadget_colour(30, COLOUR_BACK), row.back);
        SetTextColor(dc, untouched);
        SetBkColor(dc, untouched);
        const auto ask = [&](LRESULT(WINAPI * procedure)(HWND, UINT, WPARAM, LPARAM)) {
            return procedure(window, row.message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control));
        };
        const LRESULT answer = ask(SendMessageA);
        if (row.answer == DECLINED) {
            EXPECT_EQ(answer, ask(DefWindowProcA)) << "the platform's answer";
            EXPECT_NE(GetTextColor(dc), static_cast<COLORREF>(red));
            continue;
        }
        EXPECT_EQ(GetTextColor(dc), row.front == -1 ? untouched : static_cast<COLORREF>(row.front));
        if (row.answer == OWN_BRUSH) {
            EXPECT_EQ(answer, reinterpret_cast<LRESULT>(find_gadget(30)->paint.back_brush));
            EXPECT_EQ(GetBkColor(dc), static_cast<COLORREF>(row.back));
        } else {
            EXPECT_EQ(answer, reinterpret_cast<LRESULT>(GetSysColorBrush(row.answer)));
            EXPECT_EQ(GetBkColor(dc), GetSysColor(row.answer));
        }
    }
    DeleteDC(dc);
}

TEST_F(Gadgets, DefaultFontChangesOnlyLaterGadgets) {
    const HFONT gui = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    HFONT font = CreateFontA(-20, 0, 0, 0, 700, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Arial");
    ASSERT_NE(create_label(20, 10, 10, 100, 24, "before"), 0);
    EXPECT_NE(set_gadget_font(-1, font), 0);
    ASSERT_NE(create_label(21, 10, 40, 100, 24, "after"), 0);
    EXPECT_EQ(font_of(20), gui);
    EXPECT_EQ(font_of(21), font);
    EXPECT_NE(set_gadget_font(-1, DEFAULT_GADGET_FONT), 0);
    ASSERT_NE(create_input(22, 10, 70, 100, 24, "restored", 0), 0);
    EXPECT_EQ(font_of(22), gui);
    set_gadget_font(21, DEFAULT_GADGET_FONT);
    EXPECT_EQ(font_of(21), gui);
    close_window(GADGET_WINDOW);
    DeleteObject(font);
}

TEST_F(Gadgets, FrameTypesMakeTheirControls) {
    const struct {
        int type;
        const char* class_name;
        DWORD ex_style, style;
        bool captioned;
    } rows[] = {
        {0, "Button", 0, 0x50020007, true},
        {1, "Static", WS_EX_CLIENTEDGE, 0x54020001, false},
        {2, "Static", WS_EX_STATICEDGE, 0x54020001, false},
        {3, "Static", 0, 0x54820001, false},
        {9, "Static", 0, 0x54820001, false},
    };
    for (const auto& row : rows) {
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
    }
}

// A gadget's rectangle in its window, in pixels.
RECT rect_in_parent(HWND control) {
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// The pixels a rectangle of 1/96 inch units stands at on this display.
RECT at_scale(int x, int y, int width, int height) {
    return RECT{at_display_scale(x), at_display_scale(y), at_display_scale(x) + at_display_scale(width),
                at_display_scale(y) + at_display_scale(height)};
}

// A label or button lays its text out anew in its new size: all of it waits
// to be painted, not only the part the move uncovered. (Where each then
// stands: test_public_operations, on every platform.)
TEST_F(Gadgets, AResizedLabelOrButtonWaitsToBePaintedWhole) {
    ASSERT_NE(create_frame(3, 10, 20, 200, 100, "Frame"), 0);
    ASSERT_NE(create_button(0, 30, 40, 80, 24, "OK", 0), 0);
    ASSERT_NE(create_label(6, 130, 40, 60, 20, "Balls"), 0);
    for (const ResizeRow& row : RESIZE_ROWS) {
        SCOPED_TRACE(row.gadget);
        HWND control = gadget_handle(row.gadget);
        UpdateWindow(window);
        EXPECT_EQ(resize_gadget(row.gadget, row.x, row.y, row.width, row.height), 1);
        if (row.gadget == 3) continue;
        RECT client{}, update{};
        GetClientRect(control, &client);
        GetUpdateRect(control, &update, FALSE);
        EXPECT_TRUE(EqualRect(&update, &client))
            << update.left << "," << update.top << "," << update.right << "," << update.bottom;
    }
}

// Under a window the toolkit did not open gadgets stand at the display's
// scale. (GTK places gadgets in its own windows only.)
TEST_F(Gadgets, PlacedAtTheDisplaysScaleUnderAWindowTheToolkitDidNotOpen) {
    HWND plain = CreateWindowExA(0, "Static", "", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(plain, nullptr);
    use_gadget_list(plain);
    ASSERT_NE(create_label(5, 10, 20, 60, 30, "plain", 0), 0);
    const RECT in_plain = rect_in_parent(gadget_handle(5));
    const RECT expected = at_scale(10, 20, 60, 30);
    EXPECT_TRUE(EqualRect(&in_plain, &expected));
    use_gadget_list(window);
    DestroyWindow(plain);
}

// A control's object as a screen reader asks for it, or as the platform makes it.
IAccessible* object_of(HWND control, LONG id, bool platforms) {
    IAccessible* object = nullptr;
    const HRESULT made = platforms ? CreateStdAccessibleObject(control, id, IID_PPV_ARGS(&object))
                                   : AccessibleObjectFromWindow(control, id, IID_PPV_ARGS(&object));
    return SUCCEEDED(made) ? object : nullptr;
}
// What the object answers for its name ("(none)": none); lets the object go.
std::wstring spoken_name(IAccessible* object) {
    if (!object) return L"(no object)";
    VARIANT self{{{VT_I4, 0, 0, 0, {}}}};  // CHILDID_SELF
    BSTR name = nullptr;
    object->get_accName(self, &name);
    std::wstring spoken = name ? name : L"(none)";
    SysFreeString(name);
    object->Release();
    return spoken;
}

TEST_F(Gadgets, NameAScreenReaderSpeaks) {
    const auto busy_bytes = [](size_t n = 0) {
        for (PROCESS_HEAP_ENTRY e{}; HeapWalk(general_heap(), &e);)
            n += e.wFlags & PROCESS_HEAP_ENTRY_BUSY ? e.cbData : 0;
        return n;
    };
    const size_t before = busy_bytes();
    HWND field = reinterpret_cast<HWND>(create_input(4, 10, 10, 60, 24, " 0", ES_READONLY));
    for (const char* name : {"Strikes", "Balls"}) EXPECT_EQ(set_gadget_name(4, name), 1);
    EXPECT_EQ(spoken_name(object_of(field, OBJID_CLIENT, false)), L"Balls") << "the later name";
    EXPECT_EQ(spoken_name(object_of(field, OBJID_WINDOW, false)), spoken_name(object_of(field, OBJID_WINDOW, true)));
    // Held past the gadget's end it answers as the platform's does for a window that is gone; the name's memory goes.
    IAccessible* held[] = {object_of(field, OBJID_CLIENT, false), object_of(field, OBJID_CLIENT, true)};
    EXPECT_EQ(set_gadget_live(4, 1) + set_gadget_text(4, " 1"), 2);  // the live text's memory goes too
    DestroyWindow(field);
    drain_events();  // the events the end raised hold memory of their own
    EXPECT_EQ(spoken_name(held[0]), spoken_name(held[1]));
    EXPECT_EQ(busy_bytes(), before);
}

// What a screen reader hears: the live-region event, and the name of the object it names.
using Heard = std::tuple<HWND, LONG, LONG, std::wstring>;  // the control, object, child and name
std::vector<Heard> heard;
void CALLBACK hear(HWINEVENTHOOK, DWORD, HWND control, LONG object, LONG child, DWORD, DWORD) {
    IAccessible* found = nullptr;
    VARIANT id{};
    AccessibleObjectFromEvent(control, object, child, &found, &id);
    heard.push_back({control, object, child, spoken_name(found)});
}

TEST_F(Gadgets, ALiveGadgetAnnouncesEachTextWrittenIntoIt) {
    enum class Write { text, add, line, unlive };
    const struct {
        int gadget, line;
        Write write;
        const char* text;
        const wchar_t* spoken;  // the name then; nullptr: the platform's
        bool announced;
    } rows[] = {
        {6, 0, Write::text, "YOU CHOSE POORLY", L"YOU CHOSE POORLY", true},
        {6, 0, Write::text, "", L"Message", false},  // the given name again
        {6, 0, Write::add, "a label has no lines", L"Message", false},
        {9, 0, Write::add, "* Strike: 1234", L"* Strike: 1234", true},
        {9, 0, Write::line, "* Ball: 5678", L"* Ball: 5678", true},
        {9, 5, Write::line, "no such line", L"* Ball: 5678", false},
        {9, 0, Write::text, " About\r\n Have Fun", L" About\r\n Have Fun", true},
        {9, 0, Write::text, "", nullptr, false},  // unnamed, so the platform's again
        {6, 0, Write::unlive, "live no more", L"Message", false},
    };
    ASSERT_NE(create_label(6, 10, 10, 200, 20, "", 0), 0);
    ASSERT_NE(create_editor(9, 10, 70, 300, 200, ES_READONLY), 0);
    EXPECT_EQ(set_gadget_name(6, "Message"), 1);
    EXPECT_EQ(set_gadget_live(6, 1) + set_gadget_live(9, 1) + set_gadget_live(45, 1), 2);
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_LIVEREGIONCHANGED, EVENT_OBJECT_LIVEREGIONCHANGED, nullptr, hear,
                                         GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        heard.clear();
        if (row.write == Write::unlive) set_gadget_live(row.gadget, 0);
        if (row.write == Write::add) add_gadget_item(row.gadget, row.line, row.text);
        if (row.write == Write::line) set_gadget_item_text(row.gadget, row.line, row.text);
        if (row.write == Write::text || row.write == Write::unlive) set_gadget_text(row.gadget, row.text);
        drain_events();
        HWND control = gadget_handle(row.gadget);
        const std::wstring spoken = row.spoken ? row.spoken : spoken_name(object_of(control, OBJID_CLIENT, true));
        const std::vector<Heard> expected(row.announced, {control, OBJID_CLIENT, CHILDID_SELF, spoken});
        EXPECT_EQ(heard, expected);
        EXPECT_EQ(spoken_name(object_of(control, OBJID_CLIENT, false)), spoken);
    }
    UnhookWinEvent(hook);
}

}  // namespace
