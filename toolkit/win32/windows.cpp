// Numbered top-level windows: the window table, opening and closing windows,
// and each window's keyboard shortcuts.
#include <ole2.h>

#include "toolkit/win32/internal.h"

#include <cstddef>
#include <cstdint>

namespace {

constexpr const char* WINDOW_ID_PROPERTY = "QZ_WindowID";
constexpr const char* DROP_ACCEPT_PROPERTY = "QZ_DropAccept";

constexpr uint32_t TOOLKIT_BITS = WINDOW_CENTRE_SCREEN | WINDOW_CENTRE_OWNER | WINDOW_HIDDEN;
constexpr uint32_t CENTRE_BITS = WINDOW_CENTRE_SCREEN | WINDOW_CENTRE_OWNER;
constexpr BYTE SHORTCUT_FLAGS = FVIRTKEY | FNOINVERT;  // 3

struct ClassName {
    char text[32];
};

ClassName class_name_of(int number) {
    ClassName name{};
    wsprintfA(name.text, "WindowClass_%d", number);  // at most 23 characters for any int
    return name;
}

// The window table's free handler: opening a number that is in use closes
// the old window first.
int close_window_slot(int number) {
    close_window(number);
    return 0;
}

}  // namespace

void init_windows() {
    toolkit.windows = objects_create(sizeof(WindowRecord), 16, close_window_slot);
    toolkit.events = static_cast<EventRecord*>(make_thread_record(sizeof(EventRecord), nullptr));
    // The windows' classes belong to the program's module: kept here, so that
    // a client need not know of modules.
    if (!toolkit.module) store_module_handle();
    // A module without icon resource 1 leaves the windows without a class icon.
    toolkit.window_icon = LoadIconA(toolkit.module, MAKEINTRESOURCEA(1));
    toolkit.arrow_cursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    toolkit.sizing = static_cast<SizingState*>(make_thread_record(sizeof(SizingState), nullptr));
}

WindowRecord* find_window_record(int number) {
    if (!toolkit.windows) return nullptr;
    return static_cast<WindowRecord*>(objects_find(toolkit.windows, number));
}

intptr_t open_window(int number, int x, int y, int width, int height, const char* title, uint32_t flags, HWND owner) {
    // Without the event stream a window could raise no event, not even its close.
    if (!toolkit.windows || !event_record()) return 0;

    if ((flags & ~TOOLKIT_BITS) == 0) flags |= WS_CAPTION;
    const bool show = (flags & WINDOW_HIDDEN) == 0;
    flags &= ~WINDOW_HIDDEN;
    // The position and client size are units of 1/96 inch, placed in pixels at
    // the window's scale; a rectangle out of reach there is refused before a
    // window under the number is closed.
    const uint32_t centring = flags & CENTRE_BITS;
    flags &= ~CENTRE_BITS;
    Opening at{};
    if (!opening_place(Placement{x, y, width, height}, flags, centring, owner, &at)) return 0;
    // A position left to the platform is left to it whole.
    if (!centring && (is_sentinel(at.x) || is_sentinel(at.y))) at.x = at.y = CW_USEDEFAULT;

    auto* record = static_cast<WindowRecord*>(objects_slot(toolkit.windows, number));
    if (!record) return 0;
    const bool anonymous = number == -1;
    if (anonymous) number = objects_number_of(toolkit.windows, record);

    const ClassName name = class_name_of(number);
    WNDCLASSA window_class{};
    window_class.style = CS_DBLCLKS;
    window_class.lpfnWndProc = window_procedure;
    window_class.hInstance = toolkit.module;
    window_class.hIcon = toolkit.window_icon;
    window_class.hCursor = toolkit.arrow_cursor;
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<intptr_t>(COLOR_BTNFACE + 1));
    window_class.lpszClassName = name.text;
    RegisterClassA(&window_class);  // a class left from before serves as well

    if (!title) title = "";

    HWND handle = CreateWindowExA(0, name.text, title, flags, at.x, at.y, at.width, at.height, owner, nullptr,
                                  toolkit.module, nullptr);
    // Creation runs the window procedure, and a window opened meanwhile may
    // have moved the table: find the record again by its number.
    record = static_cast<WindowRecord*>(objects_at(toolkit.windows, number));
    if (!handle || !record || record->handle) {
        if (handle) DestroyWindow(handle);
        UnregisterClassA(name.text, toolkit.module);
        if (!handle) objects_release(toolkit.windows, number);
        return 0;
    }
    record->handle = handle;
    record->dpi = at.dpi;
    // Its number is how the window's messages find it: a window that cannot
    // carry it could not even be closed.
    if (!SetPropA(handle, WINDOW_ID_PROPERTY, reinterpret_cast<HANDLE>(static_cast<intptr_t>(number) + 1))) {
        close_window(number);
        return 0;
    }
    record->numbered = true;

    if (show) {
        int command = SW_SHOWNORMAL;
        if (flags & WINDOW_MAXIMISED)
            command = SW_MAXIMIZE;
        else if (flags & WINDOW_MINIMISED)
            command = SW_SHOWMINIMIZED;
        ShowWindow(handle, command);
    }

    // Showing may have run the window procedure; the record is still ours.
    record = find_window_record(number);
    if (!record) return 0;
    record->shortcuts = static_cast<ShortcutEntry*>(general_alloc(2 * sizeof(ShortcutEntry)));
    if (record->shortcuts) {
        record->shortcut_count = 2;
        record->shortcuts[0] = ACCEL{SHORTCUT_FLAGS, VK_TAB, static_cast<WORD>(CMD_FOCUS_NEXT)};
        record->shortcuts[1] = ACCEL{SHORTCUT_FLAGS | FSHIFT, VK_TAB, static_cast<WORD>(CMD_FOCUS_PREV)};
        record->shortcut_table = CreateAcceleratorTableA(record->shortcuts, record->shortcut_count);
    }
    record->fill_colour = -1;
    record->mdi_client = nullptr;

    return anonymous ? number : reinterpret_cast<intptr_t>(handle);
}

WindowRecord* numbered_window(HWND window, int* number) {
    int found = -1;
    auto* record =
        static_cast<WindowRecord*>(objects_search(toolkit.windows, reinterpret_cast<uintptr_t>(window), &found));
    if (!record || !record->numbered) return nullptr;
    *number = found;
    return record;
}

HWND window_handle(int number) {
    const WindowRecord* record = find_window_record(number);
    return record ? record->handle : nullptr;
}

void close_window(int number) {
    WindowRecord* record = find_window_record(number);
    if (!record) return;
    HWND handle = record->handle;

    HWND owner = GetWindow(handle, GW_OWNER);
    if (owner && !record->mdi_client) SetActiveWindow(owner);

    // Without the property, messages sent during destruction name no window.
    record->numbered = false;
    // The records of data events still on their way to the window go with it.
    for (MSG data{}; PeekMessageA(&data, handle, MSG_WINDOW_DATA, MSG_GADGET_DATA, PM_REMOVE | PM_NOYIELD);)
        if (EventRecord* events = event_record()) drop_handed(&events->core, reinterpret_cast<void*>(data.lParam));
    RemovePropA(handle, WINDOW_ID_PROPERTY);
    if (RemovePropA(handle, DROP_ACCEPT_PROPERTY)) RevokeDragDrop(handle);

    record = find_window_record(number);
    if (!record) return;
    if (record->mdi_client) {
        SendMessageA(record->mdi_client, WM_MDIDESTROY, reinterpret_cast<WPARAM>(handle), 0);
    } else {
        DestroyWindow(handle);
        UnregisterClassA(class_name_of(number).text, toolkit.module);
    }

    // Destruction may have run the window procedure; look the record up again.
    record = find_window_record(number);
    if (!record) return;
    if (record->shortcuts) {
        general_free(record->shortcuts);
        record->shortcuts = nullptr;
        record->shortcut_count = 0;
        if (record->shortcut_table) DestroyAcceleratorTable(record->shortcut_table);
        record->shortcut_table = nullptr;
    }
    if (record->fill_brush) {
        DeleteObject(record->fill_brush);
        record->fill_brush = nullptr;
    }
    free_scaled_fonts(record);
    objects_release(toolkit.windows, number);
}

void close_all_windows() {
    if (toolkit.windows) {
        objects_rewind(toolkit.windows);
        int number = 0;
        while (objects_next(toolkit.windows, &number)) close_window(number);
    }
    release_attached(true);  // the messages of records still handed over went with their windows
}

HACCEL add_shortcut(int number, uint32_t key_word, int event_number) {
    WindowRecord* record = find_window_record(number);
    if (!record) return nullptr;

    BYTE flags = SHORTCUT_FLAGS;
    if (key_word & SHORTCUT_SHIFT) flags |= FSHIFT;
    if (key_word & SHORTCUT_CONTROL) flags |= FCONTROL;
    if (key_word & SHORTCUT_ALT) flags |= FALT;
    const WORD key = static_cast<WORD>(key_word & 0xFFFF);
    const WORD command = static_cast<WORD>(event_number);

    bool replaced = false;
    for (int i = 0; i < record->shortcut_count; ++i) {
        ShortcutEntry& entry = record->shortcuts[i];
        if (entry.key == key && entry.fVirt == flags) {
            entry.cmd = command;
            replaced = true;
            break;
        }
    }
    if (!replaced) {
        const size_t size = static_cast<size_t>(record->shortcut_count + 1) * sizeof(ShortcutEntry);
        void* grown = record->shortcuts ? general_realloc(record->shortcuts, size) : general_alloc(size);
        if (!grown) return nullptr;  // the old entries and table stay as they were
        record->shortcuts = static_cast<ShortcutEntry*>(grown);
        record->shortcuts[record->shortcut_count++] = ACCEL{flags, key, command};
    }

    if (record->shortcut_table) DestroyAcceleratorTable(record->shortcut_table);
    record->shortcut_table = CreateAcceleratorTableA(record->shortcuts, record->shortcut_count);
    return record->shortcut_table;
}
