// The Win32 event stream: wait_event over the message queue, the translation
// of messages into events, and the window procedure every toolkit window shares.
#include <richedit.h>

#include <cstdint>
#include <cstring>

#include "toolkit/win32/internal.h"

namespace {

constexpr const char* MDI_GADGET_PROPERTY = "QZ_MDI_Gadget";

// What a timed wait wakes for: every kind of input and posted message. The
// headers' QS_ALLINPUT also names touch, pointer and raw-input bits, which
// platforms older than those kinds of input refuse as an invalid mask.
constexpr DWORD WAKE_MASK = 0x1FF;

bool post_data(int window, UINT message, WPARAM wparam, void* record) {
    EventRecord* events = event_record();
    const WindowRecord* target = find_window_record(window);
    if (!events || !target || !hand_record(&events->core, record)) return false;
    if (PostMessageA(target->handle, message, wparam, reinterpret_cast<LPARAM>(record))) return true;
    unhand_record(&events->core, record);
    return false;
}

// A notification header is read only where this thread could have written
// it: sent by this thread, in committed memory it may read, whole.
const NMHDR* notification_header(LPARAM lparam) {
    if (!lparam || InSendMessageEx(nullptr) != ISMEX_NOSEND) return nullptr;
    const auto* header = reinterpret_cast<const NMHDR*>(lparam);
    if (reinterpret_cast<uintptr_t>(header) % alignof(NMHDR) != 0) return nullptr;
    MEMORY_BASIC_INFORMATION region{};
    if (!VirtualQuery(header, &region, sizeof region) || region.State != MEM_COMMIT) return nullptr;
    constexpr DWORD READABLE = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                               PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
    if ((region.Protect & READABLE) == 0 || (region.Protect & (PAGE_GUARD | PAGE_NOACCESS)) != 0) return nullptr;
    const auto* end = static_cast<const unsigned char*>(region.BaseAddress) + region.RegionSize;
    if (reinterpret_cast<const unsigned char*>(header + 1) > end) return nullptr;
    return header;
}

BOOL CALLBACK send_colour_change(HWND child, LPARAM) {
    SendMessageA(child, WM_SYSCOLORCHANGE, 0, 0);
    return TRUE;
}

bool key_down(int key) { return GetKeyState(key) < 0; }

// A command from a control, a menu or a shortcut.
void translate_command(EventCore* events, HWND window, WPARAM wparam, LPARAM lparam) {
    HWND control = reinterpret_cast<HWND>(lparam);
    // A command naming a control that is not one of this window's is no one's.
    if (control && !IsChild(window, control)) return;
    if (forward_to_gadget(control, window, WM_COMMAND, wparam, lparam) != NOT_HANDLED) return;
    const int low = LOWORD(wparam);
    const int high = HIWORD(wparam);
    if (control) {
        events->pending = EVENT_GADGET;
        events->type = high;
        events->gadget = static_cast<int>(GetWindowLongA(control, GWL_ID));
        if (events->gadget == MENU_SOURCE_ID) {
            events->gadget = low;
            events->pending = EVENT_MENU;
        }
    } else if (high == 0) {
        events->gadget = static_cast<int>(wparam);
        events->pending = EVENT_MENU;
    } else if (low == CMD_FOCUS_NEXT) {
        cycle_focus(false);
    } else if (low == CMD_FOCUS_PREV) {
        cycle_focus(true);
    } else {
        events->gadget = low;
        events->pending = EVENT_MENU;
    }
}

void translate_object_click(EventCore* events, WPARAM wparam, LPARAM lparam) {
    events->pending = EVENT_OBJECT_CLICK;
    events->gadget = static_cast<int>(wparam);
    switch (lparam) {
        case WM_LBUTTONDOWN: events->type = 0; break;
        case WM_RBUTTONDOWN: events->type = 1; break;
        case WM_LBUTTONDBLCLK: events->type = 2; break;
        case WM_RBUTTONDBLCLK: events->type = 3; break;
        default: events->pending = 0; break;
    }
}

}  // namespace

bool post_window_data(int window, void* record) { return post_data(window, MSG_WINDOW_DATA, 0, record); }

bool post_gadget_data(int window, int gadget, void* record) {
    return post_data(window, MSG_GADGET_DATA, static_cast<WPARAM>(gadget), record);
}

HACCEL shortcut_table_for(HWND window) {
    // Tab in an editable rich-text control is typing, not a shortcut.
    if (key_down(VK_TAB) && !key_down(VK_CONTROL) && !key_down(VK_SHIFT) && !key_down(VK_MENU)) {
        HWND focus = GetFocus();
        char class_name[5] = {};
        if (focus && GetClassNameA(focus, class_name, sizeof class_name) && std::strncmp(class_name, "Rich", 4) == 0) {
            const LRESULT options = SendMessageA(focus, EM_GETOPTIONS, 0, 0);
            if ((options & ECO_READONLY) == 0) return nullptr;
        }
    }
    int number = -1;
    const WindowRecord* record = window ? numbered_window(window, &number) : nullptr;
    return record ? record->shortcut_table : nullptr;
}

int wait_event(int timeout) {
    EventRecord* events = event_record();
    if (!events) return EVENT_NONE;  // after shut-down
    release_attached();
    EventCore& core = events->core;
    core.type = -1;
    if (const int code = take_queued_event(&core)) return code;

    MSG message{};
    if (timeout < 0) {
        // -1 (0 for WM_QUIT is a message like any other) means an invalid call.
        if (GetMessageA(&message, nullptr, 0, 0) == -1) return EVENT_NONE;
    } else if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE | PM_NOYIELD)) {
        if (timeout == 0) return EVENT_NONE;
        const DWORD woken = MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(timeout), WAKE_MASK);
        if (woken == WAIT_TIMEOUT) return EVENT_NONE;
        if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE | PM_NOYIELD)) return EVENT_NONE;
    }

    // Only key messages can be shortcuts: the others skip the lookup of the
    // active window and its table, each a question to the window server.
    const UINT kind = message.message;
    const bool key = kind == WM_KEYDOWN || kind == WM_SYSKEYDOWN || kind == WM_CHAR || kind == WM_SYSCHAR;
    HWND active = key ? GetActiveWindow() : nullptr;
    HACCEL table = key ? shortcut_table_for(active) : nullptr;
    if (!table || !TranslateAcceleratorA(active, table, &message)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }

    if (core.pending != 0) {
        const int code = core.pending;
        core.pending = 0;
        return code;
    }
    // A data message the toolkit did not send raises nothing, not even itself.
    if (message.message == MSG_WINDOW_DATA || message.message == MSG_GADGET_DATA) return EVENT_NONE;
    events->last_wparam = message.wParam;
    events->last_lparam = message.lParam;
    return static_cast<int>(message.message);
}

// After shut-down there is no event: no window, no gadget, no type.
int event_window() { return event_core() ? event_core()->window : -1; }
int event_gadget() { return event_core() ? event_core()->gadget : -1; }
int event_type() { return event_core() ? event_core()->type : -1; }

void flush_messages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    if (EventCore* events = event_core()) events->pending = 0;
}

LRESULT forward_to_gadget(HWND control, HWND parent, UINT message, WPARAM wparam, LPARAM lparam) {
    if (!control || !toolkit.gadgets) return NOT_HANDLED;
    // A registered gadget carries its number as its control ID (and as its
    // "QZ_ID" property, set and removed with its record); a foreign control
    // whose ID happens to match a gadget's is not that gadget.
    const int number = static_cast<int>(GetWindowLongA(control, GWL_ID));
    auto* record = static_cast<GadgetRecord*>(objects_find(toolkit.gadgets, number));
    if (!record || record->handle != control) return NOT_HANDLED;
    if (!record->kind || !record->kind->on_message) return NOT_HANDLED;
    return record->kind->on_message(record, parent, message, wparam, lparam);
}

LRESULT translate_window_message(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    EventRecord* events = event_record();
    if (!events) return NOT_HANDLED;  // after shut-down the platform answers alone
    const LRESULT sized = sizing_filter(hwnd, message, wparam, lparam);
    if (sized != NOT_HANDLED) return sized;

    int number = -1;
    WindowRecord* record = nullptr;
    for (HWND window = hwnd; window && !record; window = GetParent(window)) record = numbered_window(window, &number);
    HWND found = record ? record->handle : nullptr;

    MessageHook hook = record && record->message_hook ? record->message_hook : events->global_hook;
    if (hook) {
        const LRESULT hooked = hook(hwnd, message, wparam, lparam);
        if (hooked != HOOK_CONTINUE) return hooked;
    }

    EventCore* core = &events->core;
    core->window = number;

    switch (message) {
        case WM_MOVE:
        case WM_CLOSE:
            if (number != -1) queue_event(static_cast<int>(message), number);
            return 0;

        case WM_SIZE:
            if (found != hwnd) return 1;
            if (number == -1 || wparam == SIZE_MINIMIZED) return NOT_HANDLED;
            queue_event(EVENT_SIZE, number);
            return 0;

        case WM_ACTIVATE:
            if (LOWORD(wparam) != 0) queue_event(EVENT_ACTIVATE, number);
            return 1;

        case WM_ERASEBKGND: {
            LRESULT result = NOT_HANDLED;
            if (record && record->fill_brush) {
                RECT client;
                GetClientRect(hwnd, &client);
                FillRect(reinterpret_cast<HDC>(wparam), &client, record->fill_brush);
                result = 1;
            } else if (record && hwnd == record->handle && record->erase_hook) {
                result = record->erase_hook(reinterpret_cast<HDC>(wparam), hwnd);
            }
            queue_event(EVENT_REPAINT, number);
            return result;
        }

        case WM_SYSCOLORCHANGE:
            if (record && !record->mdi_client) EnumChildWindows(hwnd, send_colour_change, 0);
            return NOT_HANDLED;

        case WM_NOTIFY: {
            const NMHDR* header = notification_header(lparam);
            if (!header) return NOT_HANDLED;
            return forward_to_gadget(header->hwndFrom, hwnd, message, wparam, lparam);
        }

        case WM_COMMAND: translate_command(core, hwnd, wparam, lparam); return 0;

        case WM_HSCROLL:
        case WM_VSCROLL:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORSTATIC: return forward_to_gadget(reinterpret_cast<HWND>(lparam), hwnd, message, wparam, lparam);

        case MSG_OBJECT_CLICK: PostMessageA(hwnd, MSG_OBJECT_CLICK_RELAY, wparam, lparam); return 0;

        case MSG_OBJECT_CLICK_RELAY: translate_object_click(core, wparam, lparam); return 0;

        case MSG_GADGET_EVENT:
            core->pending = EVENT_GADGET;
            core->gadget = static_cast<int>(wparam);
            core->type = static_cast<int>(lparam);
            return 0;

        case MSG_WINDOW_DATA:
            if (take_attached(core, reinterpret_cast<void*>(lparam))) core->pending = EVENT_WINDOW_DATA;
            return 0;

        case MSG_GADGET_DATA:
            if (!take_attached(core, reinterpret_cast<void*>(lparam))) return 0;
            core->pending = EVENT_GADGET_DATA;
            core->gadget = static_cast<int>(wparam);
            return 0;

        case MSG_GADGET_REQUEST:
            return forward_to_gadget(reinterpret_cast<HWND>(lparam), hwnd, message, wparam, lparam);

        default: return NOT_HANDLED;
    }
}

LRESULT CALLBACK window_procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    const LRESULT result = translate_window_message(hwnd, message, wparam, lparam);
    if (message != WM_SIZE) {
        if (HWND client = static_cast<HWND>(GetPropA(hwnd, MDI_GADGET_PROPERTY))) {
            const bool platform = result == NOT_HANDLED || message == WM_SETFOCUS || message == WM_MENUCHAR ||
                                  (message == WM_COMMAND && lparam == 0);
            return platform ? DefFrameProcA(hwnd, client, message, wparam, lparam) : result;
        }
    }
    return result == NOT_HANDLED ? DefWindowProcA(hwnd, message, wparam, lparam) : result;
}
