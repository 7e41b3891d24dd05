// The event stream on the real platform: the FIFO of window events, the
// pending slot, raw pass-through, the window procedure's translations and
// the records handed over with data events.
#include <gtest/gtest.h>

#include <vector>

#include "toolkit/internal.h"
#include "toolkit_fixture.h"

namespace {

struct Event {
    int code, window, gadget, type;
    bool operator==(const Event&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Event& e) {
    return out << "{" << e.code << ", window " << e.window << ", gadget " << e.gadget << ", type " << e.type << "}";
}

// Every event up to the first EVENT_NONE, bounded.
std::vector<Event> collect() {
    std::vector<Event> events;
    for (int i = 0; i < 1000; ++i) {
        const int code = wait_event(0);
        if (code == EVENT_NONE) break;
        events.push_back({code, event_window(), event_gadget(), event_type()});
    }
    return events;
}

class Events : public ::testing::Test {
protected:
    void SetUp() override {
        start_toolkit();
        close_all_windows();
        window = reinterpret_cast<HWND>(open_window(0, 20, 20, 300, 200, "events", WINDOW_HIDDEN));
        ASSERT_NE(window, nullptr);
        drain_events();
        event_record()->gadget = 0;
    }
    void TearDown() override {
        close_all_windows();
        drain_events();
    }
    HWND child(const char* type, int id) {
        return CreateWindowExA(0, type, "", WS_CHILD | WS_VISIBLE, 0, 0, 80, 24, window,
                               reinterpret_cast<HMENU>(static_cast<intptr_t>(id)), module_handle(), nullptr);
    }
    HWND window = nullptr;
};

TEST_F(Events, WindowEventsQueueInOrderAndAnUnreadRepeatCoalesces) {
    HWND second = reinterpret_cast<HWND>(open_window(1, 0, 0, 100, 100, "", WINDOW_HIDDEN));
    drain_events();
    struct Sent {
        int to;  // window 0 or 1
        UINT message;
        WPARAM wparam;
    };
    struct Row {
        const char* name;
        std::vector<Sent> sent;
        std::vector<Event> expected;
    };
    const Row rows[] = {
        {"two moves", {{0, WM_MOVE, 0}, {0, WM_MOVE, 0}}, {{3, 0, 0, -1}}},
        {"move size move",
         {{0, WM_MOVE, 0}, {0, WM_SIZE, SIZE_RESTORED}, {0, WM_MOVE, 0}},
         {{3, 0, 0, -1}, {5, 0, 0, -1}, {3, 0, 0, -1}}},
        {"moves of two windows", {{0, WM_MOVE, 0}, {1, WM_MOVE, 0}, {0, WM_MOVE, 0}},
         {{3, 0, 0, -1}, {3, 1, 0, -1}, {3, 0, 0, -1}}},
        {"close twice", {{0, WM_CLOSE, 0}, {0, WM_CLOSE, 0}}, {{16, 0, 0, -1}}},
        {"minimised size", {{0, WM_SIZE, SIZE_MINIMIZED}}, {}},
        {"activation only", {{0, WM_ACTIVATE, WA_INACTIVE}, {0, WM_ACTIVATE, WA_ACTIVE}}, {{13104, 0, 0, -1}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        for (const Sent& sent : row.sent) SendMessageA(sent.to == 1 ? second : window, sent.message, sent.wparam, 0);
        EXPECT_EQ(collect(), row.expected);
    }
    EXPECT_TRUE(IsWindow(window)) << "WM_CLOSE must leave the window open";
}

TEST_F(Events, MinimisingRaisesNoSizeEventAndRestoringDoes) {
    ShowWindow(window, SW_SHOWNORMAL);
    drain_events();
    auto size_events = [] {
        int count = 0;
        for (const Event& event : collect()) count += event.code == EVENT_SIZE && event.window == 0;
        return count;
    };
    ShowWindow(window, SW_MINIMIZE);
    EXPECT_EQ(size_events(), 0);
    ShowWindow(window, SW_RESTORE);
    EXPECT_EQ(size_events(), 1);
}

TEST_F(Events, PostedCloseComesRawOnceThenAsTheQueuedEvent) {
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(collect(), (std::vector<Event>{{16, 0, 0, -1}, {16, 0, 0, -1}}));
    EXPECT_TRUE(IsWindow(window));
}

TEST_F(Events, CommandsBecomeGadgetAndMenuEvents) {
    HWND button = child("Button", 7);
    HWND menu_source = child("Button", MENU_SOURCE_ID);
    constexpr int UNCHANGED = -99;
    struct Row {
        const char* name;
        HWND control;
        WPARAM wparam;
        int code, gadget, type;
    };
    const Row rows[] = {
        {"button click", button, MAKEWPARAM(7, BN_CLICKED), EVENT_GADGET, 7, 0},
        {"edit change", button, MAKEWPARAM(7, EN_CHANGE), EVENT_GADGET, 7, 768},
        {"number is the control's ID", button, MAKEWPARAM(99, 0), EVENT_GADGET, 7, 0},
        {"menu-source control", menu_source, MAKEWPARAM(42, 5), EVENT_MENU, 42, 5},
        {"menu command 1212", nullptr, 1212, EVENT_MENU, 1212, -1},
        {"shortcut", nullptr, MAKEWPARAM(300, 1), EVENT_MENU, 300, -1},
        {"top shortcut number", nullptr, MAKEWPARAM(65535, 1), EVENT_MENU, 65535, -1},
        {"Tab shortcut moves the focus", nullptr, MAKEWPARAM(CMD_FOCUS_NEXT, 1), WM_COMMAND, UNCHANGED, -1},
        {"Shift+Tab shortcut moves the focus", nullptr, MAKEWPARAM(CMD_FOCUS_PREV, 1), WM_COMMAND, UNCHANGED, -1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        event_record()->gadget = UNCHANGED;
        PostMessageA(window, WM_COMMAND, row.wparam, reinterpret_cast<LPARAM>(row.control));
        EXPECT_EQ(collect(), (std::vector<Event>{{row.code, 0, row.gadget, row.type}}));
    }
}

TEST_F(Events, PrivateMessagesRaiseTheirEvents) {
    struct Row {
        const char* name;
        UINT message;
        WPARAM wparam;
        LPARAM lparam;
        std::vector<Event> expected;  // the gadget carries over from the row before
    };
    const Row rows[] = {
        {"left press", MSG_OBJECT_CLICK, 8, WM_LBUTTONDOWN, {{12501, 0, 0, -1}, {EVENT_OBJECT_CLICK, 0, 8, 0}}},
        {"right press", MSG_OBJECT_CLICK, 9, WM_RBUTTONDOWN, {{12501, 0, 8, -1}, {EVENT_OBJECT_CLICK, 0, 9, 1}}},
        {"left double", MSG_OBJECT_CLICK, 8, WM_LBUTTONDBLCLK, {{12501, 0, 9, -1}, {EVENT_OBJECT_CLICK, 0, 8, 2}}},
        {"right double", MSG_OBJECT_CLICK, 8, WM_RBUTTONDBLCLK, {{12501, 0, 8, -1}, {EVENT_OBJECT_CLICK, 0, 8, 3}}},
        {"relayed mouse move", MSG_OBJECT_CLICK_RELAY, 77, WM_MOUSEMOVE, {{12502, 0, 77, -1}}},
        {"focus gained", MSG_GADGET_EVENT, 3, TYPE_FOCUS_GAINED, {{EVENT_GADGET, 0, 3, 14000}}},
        {"focus lost", MSG_GADGET_EVENT, 4, TYPE_FOCUS_LOST, {{EVENT_GADGET, 0, 4, 14001}}},
        {"raw message", WM_USER + 5, 11, 22, {{WM_USER + 5, 0, 4, -1}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        PostMessageA(window, row.message, row.wparam, row.lparam);
        EXPECT_EQ(collect(), row.expected);
    }
    EXPECT_EQ(event_record()->last_wparam, 11u);
    EXPECT_EQ(event_record()->last_lparam, 22);
}

// A control that notifies its parent while the client is inside a call leaves
// the event pending for the next wait_event that dispatches a message.
TEST_F(Events, NotificationDuringAClientCallWaitsForTheNextDispatch) {
    HWND field = child("Edit", 21);
    drain_events();
    SetWindowTextA(field, "12");
    EXPECT_EQ(event_record()->pending, EVENT_GADGET);
    EXPECT_EQ(event_type(), 768) << "EN_CHANGE overwrites EN_UPDATE";
    EXPECT_EQ(wait_event(0), EVENT_NONE) << "nothing dispatched yet";
    PostMessageA(window, WM_USER, 0, 0);
    EXPECT_EQ(collect(), (std::vector<Event>{{EVENT_GADGET, 0, 21, -1}}));

    // A FIFO event returned first drops the pending one.
    SetWindowTextA(field, "34");
    SendMessageA(window, WM_MOVE, 0, 0);
    PostMessageA(window, WM_USER, 0, 0);
    EXPECT_EQ(collect(), (std::vector<Event>{{EVENT_MOVE, 0, 21, -1}, {WM_USER, 0, 21, -1}}));

    // flush_messages dispatches what waits and drops the pending event; the FIFO stays.
    PostMessageA(window, WM_USER, 0, 0);
    SetWindowTextA(field, "56");
    SendMessageA(window, WM_MOVE, 0, 0);
    flush_messages();
    EXPECT_EQ(collect(), (std::vector<Event>{{EVENT_MOVE, 0, 21, -1}}));
}

TEST_F(Events, WaitingWithATimeout) {
    PostMessageA(window, MSG_GADGET_EVENT, 3, TYPE_FOCUS_GAINED);
    EXPECT_EQ(wait_event(0), EVENT_GADGET);
    EXPECT_EQ(wait_event(0), EVENT_NONE);
    EXPECT_EQ(event_type(), -1);
    EXPECT_EQ(event_gadget(), 3);

    const ULONGLONG start = GetTickCount64();
    EXPECT_EQ(wait_event(50), EVENT_NONE);
    EXPECT_GE(GetTickCount64() - start, 45u);

    PostMessageA(window, WM_USER + 3, 0, 0);
    EXPECT_EQ(wait_event(500), WM_USER + 3);
    PostMessageA(window, WM_USER + 4, 0, 0);
    EXPECT_EQ(wait_event(), WM_USER + 4);
}

size_t busy_blocks() {
    size_t count = 0;
    PROCESS_HEAP_ENTRY entry{};
    HeapLock(general_heap());
    while (HeapWalk(general_heap(), &entry))
        if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) ++count;
    HeapUnlock(general_heap());
    return count;
}

void* attached_record(size_t words, bool with_block) {
    auto** record = static_cast<void**>(general_alloc(words * sizeof(void*)));
    if (with_block) record[5] = general_alloc(64);
    return record;
}

TEST_F(Events, AttachedRecordsAreReleasedByTheNextWait) {
    struct Row {
        const char* name;
        UINT message;
        size_t words;
        bool with_block;
        Event expected;
    };
    const Row rows[] = {
        {"window data with block", MSG_WINDOW_DATA, 6, true, {EVENT_WINDOW_DATA, 0, 0, -1}},
        {"gadget data with block", MSG_GADGET_DATA, 8, true, {EVENT_GADGET_DATA, 0, 4, -1}},
        {"gadget data without block", MSG_GADGET_DATA, 6, false, {EVENT_GADGET_DATA, 0, 4, -1}},
        {"record too short for a block", MSG_WINDOW_DATA, 2, false, {EVENT_WINDOW_DATA, 0, 0, -1}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        event_record()->gadget = 0;
        const size_t baseline = busy_blocks();
        void* record = attached_record(row.words, row.with_block);
        PostMessageA(window, row.message, 4, reinterpret_cast<LPARAM>(record));
        const int code = wait_event(0);
        EXPECT_EQ((Event{code, event_window(), event_gadget(), event_type()}), row.expected);
        EXPECT_EQ(event_record()->attached, record);
        EXPECT_EQ(wait_event(0), EVENT_NONE);
        EXPECT_EQ(event_record()->attached, nullptr);
        EXPECT_EQ(busy_blocks(), baseline);
    }

    // A second record handed over before a wait does not lose the first;
    // closing every window releases the last one.
    const size_t baseline = busy_blocks();
    SendMessageA(window, MSG_WINDOW_DATA, 0, reinterpret_cast<LPARAM>(attached_record(6, true)));
    SendMessageA(window, MSG_GADGET_DATA, 1, reinterpret_cast<LPARAM>(attached_record(6, true)));
    EXPECT_EQ(busy_blocks(), baseline + 2);
    close_window(0);
    const size_t windows_closed = busy_blocks();
    close_all_windows();
    EXPECT_EQ(event_record()->attached, nullptr);
    EXPECT_EQ(busy_blocks(), windows_closed - 2);
}

LRESULT hook_continue(HWND, UINT, WPARAM, LPARAM) { return HOOK_CONTINUE; }
LRESULT hook_moves(HWND, UINT message, WPARAM, LPARAM) { return message == WM_MOVE ? 5 : HOOK_CONTINUE; }

TEST_F(Events, HooksMayTakeMessagesBeforeTheToolkit) {
    struct Row {
        const char* name;
        MessageHook window_hook, global_hook;
        LRESULT result;
        size_t events;
    };
    const Row rows[] = {
        {"no hook", nullptr, nullptr, 0, 1},
        {"window hook lets it through", hook_continue, nullptr, 0, 1},
        {"window hook takes it", hook_moves, nullptr, 5, 0},
        {"global hook takes it", nullptr, hook_moves, 5, 0},
        {"window hook first", hook_continue, hook_moves, 0, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        find_window_record(0)->message_hook = row.window_hook;
        event_record()->global_hook = row.global_hook;
        EXPECT_EQ(SendMessageA(window, WM_MOVE, 0, 0), row.result);
        EXPECT_EQ(collect().size(), row.events);
    }
    find_window_record(0)->message_hook = nullptr;
    event_record()->global_hook = nullptr;
    // What the toolkit declines goes to the platform's default.
    EXPECT_EQ(SendMessageA(window, WM_GETTEXTLENGTH, 0, 0), 6);
}

LRESULT erase_hook_77(HDC, HWND) { return 77; }

TEST_F(Events, EraseUsesTheFillBrushOrTheEraseHookAndQueuesARepaint) {
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    struct Row {
        const char* name;
        HBRUSH brush;
        EraseHook hook;
        LRESULT result;
        COLORREF pixel;
    };
    const Row rows[] = {
        {"class brush", nullptr, nullptr, 1, GetSysColor(COLOR_BTNFACE)},
        {"fill brush", red, nullptr, 1, RGB(255, 0, 0)},
        {"erase hook", nullptr, erase_hook_77, 77, RGB(0, 0, 0)},
        {"brush before hook", red, erase_hook_77, 1, RGB(255, 0, 0)},
    };
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 8, 8);
    HGDIOBJ old = SelectObject(dc, bitmap);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        RECT all{0, 0, 8, 8};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        find_window_record(0)->fill_brush = row.brush;
        find_window_record(0)->erase_hook = row.hook;
        EXPECT_EQ(SendMessageA(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0), row.result);
        EXPECT_EQ(GetPixel(dc, 2, 2), row.pixel);
        EXPECT_EQ(collect(), (std::vector<Event>{{EVENT_REPAINT, 0, 0, -1}}));
    }
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    // The window owns its fill brush.
    close_window(0);
    EXPECT_EQ(GetObjectType(red), 0u);
}

// A gadget stand-in registered in the gadget table, whose kind answers
// every forwarded message with the value the row asks for.
LRESULT gadget_answer = NOT_HANDLED;
std::vector<UINT> gadget_saw;
LRESULT recording_on_message(GadgetRecord*, HWND, UINT message, WPARAM, LPARAM) {
    gadget_saw.push_back(message);
    return gadget_answer;
}

TEST_F(Events, ControlMessagesAreForwardedOnlyToTheirOwnGadget) {
    static GadgetKind kind{};
    kind.on_message = recording_on_message;
    HWND control = child("Button", 0);
    HWND foreign = child("Button", 0);  // same ID, but not a gadget
    auto* record = static_cast<GadgetRecord*>(objects_slot(toolkit.gadgets, 0));
    ASSERT_NE(record, nullptr);
    record->handle = control;
    record->kind = &kind;
    SetPropA(control, "QZ_ID", nullptr);

    NMHDR header{control, 0, 0};
    NMHDR foreign_header{foreign, 0, 0};
    HDC dc = GetDC(window);
    struct Row {
        const char* name;
        UINT message;
        WPARAM wparam;
        LPARAM lparam;
        LRESULT answer;
        LRESULT result;
        bool forwarded;
    };
    const auto from = [](HWND sender) { return reinterpret_cast<LPARAM>(sender); };
    constexpr LRESULT DEFAULT = -1;  // the platform's own answer, not the gadget's
    const Row rows[] = {
        {"colour request", WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(dc), from(control), 1234, 1234, true},
        {"gadget request", MSG_GADGET_REQUEST, 0, from(control), 55, 55, true},
        {"notification", WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header), 66, 66, true},
        {"scroll", WM_HSCROLL, 0, from(control), 77, 77, true},
        {"command taken", WM_COMMAND, MAKEWPARAM(0, BN_CLICKED), from(control), 88, 0, true},
        {"foreign colour request", WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(dc), from(foreign), 1234, DEFAULT, false},
        {"foreign notification", WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&foreign_header), 66, 0, false},
        {"dialog colour is not forwarded", WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(dc), from(control), 1234,
         DEFAULT, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        gadget_saw.clear();
        gadget_answer = row.answer;
        const LRESULT result = SendMessageA(window, row.message, row.wparam, row.lparam);
        if (row.result == DEFAULT)
            EXPECT_NE(result, row.answer);
        else
            EXPECT_EQ(result, row.result);
        EXPECT_EQ(gadget_saw, row.forwarded ? std::vector<UINT>{row.message} : std::vector<UINT>{});
        EXPECT_EQ(event_record()->pending, 0) << "a taken command raises no event";
    }
    // A command the gadget declines becomes an event.
    gadget_answer = NOT_HANDLED;
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(0, BN_CLICKED), from(control));
    EXPECT_EQ(collect(), (std::vector<Event>{{EVENT_GADGET, 0, 0, 0}}));
    ReleaseDC(window, dc);
    objects_release(toolkit.gadgets, 0);
}

LRESULT CALLBACK count_colour_changes(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_SYSCOLORCHANGE) SetWindowLongPtrA(window, GWLP_USERDATA, GetWindowLongPtrA(window, GWLP_USERDATA) + 1);
    return DefWindowProcA(window, message, wparam, lparam);
}

TEST_F(Events, SystemColourChangeReachesEveryDescendant) {
    WNDCLASSA counting{};
    counting.lpfnWndProc = count_colour_changes;
    counting.hInstance = module_handle();
    counting.lpszClassName = "ColourCounting";
    RegisterClassA(&counting);
    HWND child_window = child("ColourCounting", 1);
    HWND grandchild = CreateWindowExA(0, "ColourCounting", "", WS_CHILD, 0, 0, 10, 10, child_window, nullptr,
                                      module_handle(), nullptr);
    SendMessageA(window, WM_SYSCOLORCHANGE, 0, 0);
    EXPECT_EQ(GetWindowLongPtrA(child_window, GWLP_USERDATA), 1);
    EXPECT_EQ(GetWindowLongPtrA(grandchild, GWLP_USERDATA), 1);
}

TEST_F(Events, AWindowWithoutItsNumberRaisesNothingForIt) {
    RemovePropA(window, "QZ_WindowID");
    EXPECT_EQ(SendMessageA(window, WM_MOVE, 0, 0), 0);
    EXPECT_EQ(SendMessageA(window, WM_CLOSE, 0, 0), 0);
    EXPECT_EQ(SendMessageA(window, WM_SIZE, SIZE_RESTORED, 0), 1);
    EXPECT_TRUE(IsWindow(window));
    for (const Event& event : collect()) EXPECT_NE(event.window, 0) << event;
    SetPropA(window, "QZ_WindowID", reinterpret_cast<HANDLE>(1));
}

}  // namespace
