// The event stream on the real platform: the FIFO of window events, the
// pending slot, raw pass-through, the window procedure's translations and
// the records handed over with data events.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <vector>

#include "tests/import_slot.h"
#include "toolkit/win32/internal.h"
#include "toolkit_fixture.h"

IMPORT_SLOT(wait_slot, MsgWaitForMultipleObjects, 20);

namespace {

// The wake mask of each timed wait.
std::vector<DWORD> wake_masks;
decltype(&MsgWaitForMultipleObjects) real_wait = nullptr;
DWORD WINAPI noting_wait(DWORD count, const HANDLE* handles, BOOL all, DWORD timeout, DWORD mask) {
    wake_masks.push_back(mask);
    return real_wait(count, handles, all, timeout, mask);
}

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
    for (int i = 0, code = wait_event(0); i < 1000 && code != EVENT_NONE; ++i, code = wait_event(0))
        events.push_back({code, event_window(), event_gadget(), event_type()});
    return events;
}

// Every event while messages wait, past passes that raise none (bounded).
std::vector<Event> collect_all() {
    std::vector<Event> events;
    MSG waiting;
    for (int i = 0; i < 5000 && PeekMessageA(&waiting, nullptr, 0, 0, PM_NOREMOVE); ++i)
        if (const int code = wait_event(0); code != EVENT_NONE)
            events.push_back({code, event_window(), event_gadget(), event_type()});
    return events;
}

class Events : public ::testing::Test {
protected:
    void SetUp() override {
        start_toolkit();
        close_all_windows();
        window = reinterpret_cast<HWND>(open_window(0, 20, 20, 300, 200, "events", WINDOW_HIDDEN));
        drain_events();
        flush_messages();  // also drops an event left pending by the test before
        event_core()->gadget = 0;
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
    HWND windows[] = {window, reinterpret_cast<HWND>(open_window(1, 0, 0, 100, 100, "", WINDOW_HIDDEN)),
                      reinterpret_cast<HWND>(open_window(2, 0, 0, 100, 100, "", WINDOW_HIDDEN))};
    // As while the window is being destroyed: its number is taken off.
    find_window_record(2)->numbered = false;
    RemovePropA(windows[2], "QZ_WindowID");
    drain_events();
    HDC screen = GetDC(nullptr);
    const WPARAM dc = reinterpret_cast<WPARAM>(screen);
    struct Message {
        int to;
        UINT message;
        WPARAM wparam;
        bool posted = false;
    };
    struct Row {
        const char* name;
        std::vector<Message> messages;
        std::vector<Event> expected;
    };
    const Row rows[] = {
        {"two moves", {{0, WM_MOVE, 0}, {0, WM_MOVE, 0}}, {{3, 0, 0, -1}}},
        {"move size move",
         {{0, WM_MOVE, 0}, {0, WM_SIZE, SIZE_RESTORED}, {0, WM_MOVE, 0}},
         {{3, 0, 0, -1}, {5, 0, 0, -1}, {3, 0, 0, -1}}},
        {"moves of two windows",
         {{0, WM_MOVE, 0}, {1, WM_MOVE, 0}, {0, WM_MOVE, 0}},
         {{3, 0, 0, -1}, {3, 1, 0, -1}, {3, 0, 0, -1}}},
        {"close twice", {{0, WM_CLOSE, 0}, {0, WM_CLOSE, 0}}, {{16, 0, 0, -1}}},
        {"posted close: raw, then queued", {{0, WM_CLOSE, 0, true}}, {{16, 0, 0, -1}, {16, 0, 0, -1}}},
        {"minimised size", {{0, WM_SIZE, SIZE_MINIMIZED}}, {}},
        {"activation only", {{0, WM_ACTIVATE, WA_INACTIVE}, {0, WM_ACTIVATE, WA_ACTIVE}}, {{13104, 0, 0, -1}}},
        {"window without its number", {{2, WM_MOVE, 0}, {2, WM_CLOSE, 0}, {2, WM_SIZE, SIZE_RESTORED}}, {}},
        {"erased background", {{0, WM_ERASEBKGND, dc}}, {{EVENT_REPAINT, 0, 0, -1}}},
        {"erased background of a window without its number", {{2, WM_ERASEBKGND, dc}}, {{EVENT_REPAINT, -1, 0, -1}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        for (const Message& m : row.messages) {
            if (m.posted)
                PostMessageA(windows[m.to], m.message, m.wparam, 0);
            else
                SendMessageA(windows[m.to], m.message, m.wparam, 0);
        }
        EXPECT_EQ(collect(), row.expected);
    }
    ReleaseDC(nullptr, screen);
    for (HWND open : windows) EXPECT_TRUE(IsWindow(open)) << "WM_CLOSE leaves the window open";
}

TEST_F(Events, MinimisingRaisesNoSizeEventAndRestoringDoes) {
    ShowWindow(window, SW_SHOWNORMAL);
    drain_events();
    const auto size_events = [] {
        int count = 0;
        for (const Event& event : collect()) count += event.code == EVENT_SIZE && event.window == 0;
        return count;
    };
    ShowWindow(window, SW_MINIMIZE);
    EXPECT_EQ(size_events(), 0);
    ShowWindow(window, SW_RESTORE);
    EXPECT_EQ(size_events(), 1);
}

// Each row posts one message; the gadget carries over from the row before.
TEST_F(Events, PostedMessagesBecomeGadgetMenuAndClickEvents) {
    const LPARAM button = reinterpret_cast<LPARAM>(child("Button", 7));
    const LPARAM menu_source = reinterpret_cast<LPARAM>(child("Button", MENU_SOURCE_ID));
    struct Row {
        const char* name;
        UINT message;
        WPARAM wparam;
        LPARAM lparam;
        std::vector<Event> expected;
    };
    const Row rows[] = {
        {"button click", WM_COMMAND, MAKEWPARAM(7, BN_CLICKED), button, {{EVENT_GADGET, 0, 7, 0}}},
        {"edit change", WM_COMMAND, MAKEWPARAM(7, EN_CHANGE), button, {{EVENT_GADGET, 0, 7, 768}}},
        {"gadget is the control's ID", WM_COMMAND, MAKEWPARAM(99, 0), button, {{EVENT_GADGET, 0, 7, 0}}},
        {"menu-source control", WM_COMMAND, MAKEWPARAM(42, 5), menu_source, {{EVENT_MENU, 0, 42, 5}}},
        {"menu command 1212", WM_COMMAND, 1212, 0, {{EVENT_MENU, 0, 1212, -1}}},
        {"shortcut", WM_COMMAND, MAKEWPARAM(65535, 1), 0, {{EVENT_MENU, 0, 65535, -1}}},
        {"Tab shortcut moves the focus", WM_COMMAND, MAKEWPARAM(CMD_FOCUS_NEXT, 1), 0, {{WM_COMMAND, 0, 65535, -1}}},
        {"Shift+Tab shortcut", WM_COMMAND, MAKEWPARAM(CMD_FOCUS_PREV, 1), 0, {{WM_COMMAND, 0, 65535, -1}}},
        {"left press", MSG_OBJECT_CLICK, 8, WM_LBUTTONDOWN, {{12501, 0, 65535, -1}, {EVENT_OBJECT_CLICK, 0, 8, 0}}},
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
    EXPECT_EQ(event_core()->pending, 0);
    EXPECT_EQ(collect(), (std::vector<Event>{{EVENT_MOVE, 0, 21, -1}}));
}

TEST_F(Events, WaitingWithATimeout) {
    PostMessageA(window, MSG_GADGET_EVENT, 3, TYPE_FOCUS_GAINED);
    EXPECT_EQ(wait_event(0), EVENT_GADGET);
    EXPECT_EQ(wait_event(0), EVENT_NONE);
    EXPECT_EQ(event_type(), -1);
    EXPECT_EQ(event_gadget(), 3);

    real_wait = replace_import(wait_slot, noting_wait);
    const ULONGLONG start = GetTickCount64();
    EXPECT_EQ(wait_event(50), EVENT_NONE);
    EXPECT_GE(GetTickCount64() - start, 45u);
    replace_import(wait_slot, real_wait);
    // Every input and posted message; no touch, pointer or raw-input bits.
    EXPECT_EQ(wake_masks, std::vector<DWORD>{0x1FF});

    PostMessageA(window, WM_USER + 4, 0, 0);
    EXPECT_EQ(wait_event(), WM_USER + 4);
}

// The blocks this program holds in the toolkit's general heap, counted by the
// calls that make and free them. A walk of the heap would count the heap's own
// bookkeeping too: a heap may move to its low-fragmentation front end after
// some blocks of one size, and then shows a block of its own that stays, and
// no longer shows the small blocks inside it.
IMPORT_SLOT(heap_alloc_slot, HeapAlloc, 12);
IMPORT_SLOT(heap_free_slot, HeapFree, 12);
decltype(&HeapAlloc) real_heap_alloc = nullptr;
decltype(&HeapFree) real_heap_free = nullptr;
long long general_blocks = 0;  // made less freed, since the counting began
LPVOID WINAPI counting_alloc(HANDLE heap, DWORD flags, SIZE_T size) {
    LPVOID block = real_heap_alloc(heap, flags, size);
    if (block && heap == general_heap()) ++general_blocks;
    return block;
}
BOOL WINAPI counting_free(HANDLE heap, DWORD flags, LPVOID block) {
    const BOOL freed = real_heap_free(heap, flags, block);
    if (freed && block && heap == general_heap()) --general_blocks;
    return freed;
}

long long held_blocks() {
    if (!real_heap_alloc) {
        real_heap_alloc = replace_import(heap_alloc_slot, counting_alloc);
        real_heap_free = replace_import(heap_free_slot, counting_free);
    }
    return general_blocks;
}

TEST_F(Events, ReadEventsGiveTheirMemoryBack) {
    open_window(1, 0, 0, 100, 100, "", WINDOW_HIDDEN);
    drain_events();
    const long long baseline = held_blocks();
    for (int i = 0; i < 20; ++i) SendMessageA(window_handle(i % 2), WM_MOVE, 0, 0);
    EXPECT_EQ(collect().size(), 20u);
    EXPECT_EQ(held_blocks(), baseline);
}

// Children of an ordinary window hear of a colour change; those of an MDI
// child window get it from their MDI client instead.
UINT colour_changes_heard = 0;
LRESULT CALLBACK hearing_child(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_SYSCOLORCHANGE) ++colour_changes_heard;
    return DefWindowProcA(hwnd, message, wparam, lparam);
}

TEST_F(Events, AColourChangeReachesTheChildren) {
    WNDCLASSA child_class{};
    child_class.lpfnWndProc = hearing_child;
    child_class.hInstance = module_handle();
    child_class.lpszClassName = "EventsHearingChild";
    RegisterClassA(&child_class);
    HWND child =
        CreateWindowExA(0, "EventsHearingChild", "", WS_CHILD, 0, 0, 10, 10, window, nullptr, module_handle(), nullptr);
    ASSERT_NE(child, nullptr);
    colour_changes_heard = 0;
    SendMessageA(window, WM_SYSCOLORCHANGE, 0, 0);
    EXPECT_EQ(colour_changes_heard, 1u);
    find_window_record(0)->mdi_client = child;  // any window stands in for the client here
    SendMessageA(window, WM_SYSCOLORCHANGE, 0, 0);
    find_window_record(0)->mdi_client = nullptr;
    EXPECT_EQ(colour_changes_heard, 1u);
    DestroyWindow(child);
    UnregisterClassA("EventsHearingChild", module_handle());
}

LPARAM attached_record(size_t words, bool with_block) {
    auto** record = static_cast<void**>(general_alloc(words * sizeof(void*)));
    if (with_block) record[5] = general_alloc(64);
    return reinterpret_cast<LPARAM>(record);
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
        {"record too short for a block", MSG_WINDOW_DATA, 2, false, {EVENT_WINDOW_DATA, 0, 4, -1}},
    };
    // The list of handed records keeps its block once made.
    ASSERT_TRUE(post_window_data(0, reinterpret_cast<void*>(attached_record(1, false))));
    drain_events();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const long long baseline = held_blocks();
        const LPARAM record = attached_record(row.words, row.with_block);
        void* handed = reinterpret_cast<void*>(record);
        ASSERT_TRUE(row.message == MSG_WINDOW_DATA ? post_window_data(0, handed) : post_gadget_data(0, 4, handed));
        EXPECT_FALSE(post_window_data(0, handed)) << "a record on its way is not handed twice";
        const int code = wait_event(0);
        EXPECT_EQ((Event{code, event_window(), event_gadget(), event_type()}), row.expected);
        EXPECT_EQ(reinterpret_cast<LPARAM>(event_core()->attached), record);
        EXPECT_EQ(wait_event(0), EVENT_NONE);
        EXPECT_EQ(event_core()->attached, nullptr);
        EXPECT_EQ(held_blocks(), baseline);
    }

    // A second record handed over before a wait does not lose the first;
    // closing a window frees the records still on their way to it, closing
    // every window the last one taken.
    void* refused_record = reinterpret_cast<void*>(attached_record(1, false));
    EXPECT_FALSE(post_window_data(7, refused_record)) << "no window 7";
    general_free(refused_record);  // it stayed the caller's
    const long long refused = held_blocks();
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(post_gadget_data(0, i, reinterpret_cast<void*>(attached_record(6, true))));
    flush_messages();
    EXPECT_NE(event_core()->attached, nullptr);
    ASSERT_TRUE(post_window_data(0, reinterpret_cast<void*>(attached_record(6, true))));
    EXPECT_EQ(held_blocks(), refused + 4);
    close_window(0);
    EXPECT_EQ(event_core()->handed_count, 0) << "the record on its way to the closed window went with it";
    const long long windows_closed = held_blocks();
    close_all_windows();
    EXPECT_EQ(event_core()->attached, nullptr);
    EXPECT_EQ(held_blocks(), windows_closed - 2);
}

// Data messages that the toolkit did not send name memory it does not own:
// they raise no event and free nothing, however often they come.
TEST_F(Events, DataMessagesFromElsewhereAreDropped) {
    auto** live = reinterpret_cast<void**>(attached_record(8, true));
    void* block = live[5];
    const long long baseline = held_blocks();
    LPARAM stack_word = 0;
    const LPARAM values[] = {0,
                             1,
                             -1,
                             INTPTR_MAX,
                             INTPTR_MIN,
                             0x10000,
                             reinterpret_cast<LPARAM>(live),
                             reinterpret_cast<LPARAM>(block),
                             reinterpret_cast<LPARAM>(event_record()),
                             reinterpret_cast<LPARAM>(&stack_word),
                             reinterpret_cast<LPARAM>(window)};
    for (int round = 0; round < 3; ++round) {
        for (LPARAM value : values) {
            for (UINT message : {MSG_WINDOW_DATA, MSG_GADGET_DATA}) {
                PostMessageA(window, message, 3, value);
                SendMessageA(window, message, 3, value);
            }
        }
        EXPECT_EQ(collect_all(), std::vector<Event>{});
    }
    // A record that was handed and taken is not taken again when replayed.
    void* handed = reinterpret_cast<void*>(attached_record(6, false));
    ASSERT_TRUE(post_window_data(0, handed));
    EXPECT_EQ(wait_event(0), EVENT_WINDOW_DATA);
    PostMessageA(window, MSG_WINDOW_DATA, 0, reinterpret_cast<LPARAM>(handed));
    EXPECT_EQ(collect_all(), std::vector<Event>{});
    EXPECT_EQ(held_blocks(), baseline);
    EXPECT_TRUE(HeapValidate(general_heap(), 0, nullptr));
    EXPECT_NE(HeapSize(general_heap(), 0, live), static_cast<SIZE_T>(-1)) << "the live record was freed";
    EXPECT_NE(HeapSize(general_heap(), 0, block), static_cast<SIZE_T>(-1)) << "its block was freed";
    general_free(block);
    general_free(live);
}

// A gadget stand-in in the gadget table whose kind answers every forwarded
// message with the row's value.
LRESULT gadget_answer = NOT_HANDLED;
std::vector<UINT> gadget_saw;
LRESULT recording_on_message(GadgetRecord*, HWND, UINT message, WPARAM, LPARAM) {
    gadget_saw.push_back(message);
    return gadget_answer;
}

// A window whose "QZ_MDI_Gadget" names an MDI client inside it is that
// client's frame: menu commands reach the frame's own handling, a size change
// stays the toolkit's.
TEST_F(Events, AWindowNamingItsMdiClientActsAsItsFrame) {
    constexpr UINT FIRST_CHILD = 5000;
    CLIENTCREATESTRUCT frame{nullptr, FIRST_CHILD};
    HWND client = CreateWindowExA(0, "MDICLIENT", nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 50, 40,
                                  window, nullptr, module_handle(), &frame);
    ASSERT_NE(client, nullptr);
    WNDCLASSA child_class{};
    child_class.lpfnWndProc = DefMDIChildProcA;
    child_class.hInstance = module_handle();
    child_class.lpszClassName = "EventsMdiChild";
    RegisterClassA(&child_class);
    MDICREATESTRUCTA create{"EventsMdiChild", "first", module_handle(), 0, 0, 30, 30, 0, 0};
    HWND first = reinterpret_cast<HWND>(SendMessageA(client, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&create)));
    create.szTitle = "second";
    HWND second = reinterpret_cast<HWND>(SendMessageA(client, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&create)));
    ASSERT_NE(first, nullptr);
    ASSERT_EQ(reinterpret_cast<HWND>(SendMessageA(client, WM_MDIGETACTIVE, 0, 0)), second);
    SetPropA(window, "QZ_MDI_Gadget", client);

    SendMessageA(window, WM_COMMAND, FIRST_CHILD, 0);  // the window menu's entry for the first child
    EXPECT_EQ(reinterpret_cast<HWND>(SendMessageA(client, WM_MDIGETACTIVE, 0, 0)), first);
    SendMessageA(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(300, 200));
    RECT r;
    GetWindowRect(client, &r);
    EXPECT_EQ(r.right - r.left, 50) << "the frame's handling resized its client";

    RemovePropA(window, "QZ_MDI_Gadget");
    DestroyWindow(client);
    UnregisterClassA("EventsMdiChild", module_handle());
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

    NMHDR header{control, 0, 0}, foreign_header{foreign, 0, 0};
    // A good header on a guard page: reading it would take the guard away (or fault).
    auto* guarded = static_cast<NMHDR*>(VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    ASSERT_NE(guarded, nullptr);
    *guarded = header;
    DWORD was = 0;
    VirtualProtect(guarded, 4096, PAGE_READWRITE | PAGE_GUARD, &was);
    HDC dc = GetDC(window);
    const auto from = [](HWND sender) { return reinterpret_cast<LPARAM>(sender); };
    const WPARAM context = reinterpret_cast<WPARAM>(dc);
    constexpr LRESULT DEFAULT = -1;  // the platform's own answer, not the gadget's
    struct Row {
        const char* name;
        UINT message;
        WPARAM wparam;
        LPARAM lparam;
        LRESULT answer, result;
        bool forwarded;
    };
    const Row rows[] = {
        {"colour request", WM_CTLCOLORBTN, context, from(control), 1234, 1234, true},
        {"edit colour request", WM_CTLCOLOREDIT, context, from(control), 1235, 1235, true},
        {"static colour request", WM_CTLCOLORSTATIC, context, from(control), 1236, 1236, true},
        {"list colour request", WM_CTLCOLORLISTBOX, context, from(control), 1237, 1237, true},
        {"vertical scroll", WM_VSCROLL, 0, from(control), 78, 78, true},
        {"gadget request", MSG_GADGET_REQUEST, 0, from(control), 55, 55, true},
        {"notification", WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header), 66, 66, true},
        {"scroll", WM_HSCROLL, 0, from(control), 77, 77, true},
        {"command taken: no event", WM_COMMAND, MAKEWPARAM(0, BN_CLICKED), from(control), 88, 0, true},
        {"foreign colour request", WM_CTLCOLORBTN, context, from(foreign), 1234, DEFAULT, false},
        {"foreign notification", WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&foreign_header), 66, 0, false},
        {"notification naming no memory", WM_NOTIFY, 0, 0x10, 66, 0, false},
        {"notification at the end of the address space", WM_NOTIFY, 0, -16, 66, 0, false},
        {"notification on a guard page", WM_NOTIFY, 0, reinterpret_cast<LPARAM>(guarded), 66, 0, false},
        {"notification naming a control handle", WM_NOTIFY, 0, from(control), 66, 0, false},
        {"command from a window that is not a child", WM_COMMAND, MAKEWPARAM(0, BN_CLICKED), from(GetDesktopWindow()),
         88, 0, false},
        {"command from no window at all", WM_COMMAND, MAKEWPARAM(0, BN_CLICKED), 0x1234, 88, 0, false},
        {"dialog colour is not forwarded", WM_CTLCOLORDLG, context, from(control), 1234, DEFAULT, false},
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
        EXPECT_EQ(gadget_saw.size(), row.forwarded ? 1u : 0u);
        EXPECT_EQ(event_core()->pending, 0);
    }
    MEMORY_BASIC_INFORMATION region{};
    VirtualQuery(guarded, &region, sizeof region);
    EXPECT_NE(region.Protect & PAGE_GUARD, 0u) << "the guarded header was read";
    VirtualFree(guarded, 0, MEM_RELEASE);
    // A command the gadget declines becomes an event.
    gadget_answer = NOT_HANDLED;
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(0, BN_CLICKED), from(control));
    EXPECT_EQ(collect(), (std::vector<Event>{{EVENT_GADGET, 0, 0, 0}}));
    ReleaseDC(window, dc);
    objects_release(toolkit.gadgets, 0);
}

}  // namespace
