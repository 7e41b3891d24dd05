// Numbered windows in a page: each a panel with its title bar and a client
// area the gadgets stand in, its close box and its keyboard shortcuts.
#include <cstddef>
#include <cstdint>

#include "toolkit/web/internal.h"

namespace {

constexpr uint32_t TOOLKIT_BITS = WINDOW_CENTRE_SCREEN | WINDOW_CENTRE_OWNER | WINDOW_HIDDEN;
constexpr uint32_t SHORTCUT_MODIFIERS = SHORTCUT_SHIFT | SHORTCUT_CONTROL | SHORTCUT_ALT;

// The window table's free handler: opening a number that is in use closes
// the old window first.
int close_window_slot(int number) {
    close_window(number);
    return 0;
}

}  // namespace

void init_windows() {
    toolkit.windows = objects_create(sizeof(WindowRecord), 16, close_window_slot);
    toolkit.events = static_cast<EventCore*>(make_thread_record(sizeof(EventCore), nullptr));
}

WindowRecord* find_window_record(int number) {
    if (!toolkit.windows) return nullptr;
    return static_cast<WindowRecord*>(objects_find(toolkit.windows, number));
}

int window_number_of(uintptr_t element) {
    int number = -1;
    if (!element || !toolkit.windows || !objects_search(toolkit.windows, element, &number)) return -1;
    return number;
}

// The panel stands where the page puts it: a page has no screen to place it
// on, so the position and the centring flags ask for nothing. The client
// area is the size given, in CSS pixels, which are 1/96 inch.
intptr_t open_window(int number, int, int, int width, int height, const char* title, uint32_t flags, WindowHandle) {
    // Without the event stream a window could raise no event, not even its close.
    if (!toolkit.windows || !event_core()) return 0;
    if (width < 0 || height < 0) return 0;
    if ((flags & ~TOOLKIT_BITS) == 0) flags |= STYLE_CAPTION;
    auto* record = static_cast<WindowRecord*>(objects_slot(toolkit.windows, number));
    if (!record) return 0;
    const bool anonymous = number == -1;
    if (anonymous) number = objects_number_of(toolkit.windows, record);
    const int element =
        tk_open(title ? title : "", width, height, (flags & WINDOW_HIDDEN) != 0, (flags & STYLE_SYSTEM_MENU) != 0);
    record->handle = static_cast<uintptr_t>(element);
    tk_bind(element, KEY_TAB, CMD_FOCUS_NEXT);
    tk_bind(element, KEY_TAB | SHORTCUT_SHIFT, CMD_FOCUS_PREV);
    return anonymous ? number : static_cast<intptr_t>(element);
}

WindowHandle window_handle(int number) {
    const WindowRecord* record = find_window_record(number);
    return record ? as_handle<WindowHandle>(record->handle) : nullptr;
}

void close_window(int number) {
    WindowRecord* record = find_window_record(number);
    if (!record) return;
    const auto element = static_cast<int>(record->handle);
    // Gadgets made next have no window until the client names one.
    if (GadgetContext* context = gadget_context(); context && context->parent == element) context->parent = 0;
    // Its gadgets go with it.
    if (toolkit.gadgets) {
        objects_rewind(toolkit.gadgets);
        int gadget = 0;
        while (auto* found = static_cast<GadgetRecord*>(objects_next(toolkit.gadgets, &gadget)))
            if (found->window == element) objects_release(toolkit.gadgets, gadget);
    }
    objects_release(toolkit.windows, number);
    tk_remove(element);  // and what waited for it in the page's queue
}

void close_all_windows() {
    if (toolkit.windows) {
        objects_rewind(toolkit.windows);
        int number = 0;
        while (objects_next(toolkit.windows, &number)) close_window(number);
    }
    release_attached(true);  // the records still handed over went with their windows
}

ShortcutTable add_shortcut(int number, uint32_t key_word, int event_number) {
    const WindowRecord* record = find_window_record(number);
    const uint32_t key = key_word & 0xFFFF;
    if (!record || key == 0 || key > 0xFE) return nullptr;
    // The same key and modifiers bound again take the new number.
    tk_bind(static_cast<int>(record->handle), key | (key_word & SHORTCUT_MODIFIERS),
            static_cast<int>(static_cast<uint16_t>(event_number)));
    return as_handle<ShortcutTable>(record->handle);
}
