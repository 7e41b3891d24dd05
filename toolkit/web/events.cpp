// The event stream in a page: wait_event suspends the program until the
// page's listeners have queued an event (toolkit.js), then takes the events
// one at a time; what the program raises itself inside a toolkit call waits
// in the pending slot, as on the other platforms.
#include <emscripten.h>

#include <cstddef>
#include <cstdint>

#include "toolkit/web/internal.h"

namespace {

int take_pending(EventCore* core) {
    const int code = core->pending;
    core->pending = 0;
    return code;
}

// The oldest event the page queued that still names a window of the
// toolkit's, made the current event; 0 when none waits. A data event's
// record becomes the attached one; one whose window has gone is freed.
int take_page_event(EventCore* core) {
    int32_t entry[4];
    while (tk_next(entry)) {
        const int code = entry[0];
        const int window = window_number_of(static_cast<uintptr_t>(entry[1]));
        if (code == EVENT_WINDOW_DATA || code == EVENT_GADGET_DATA) {
            void* record = reinterpret_cast<void*>(static_cast<uintptr_t>(entry[3]));
            if (window == -1) {
                drop_handed(core, record);
                continue;
            }
            if (!take_attached(core, record)) continue;
            core->window = window;
            if (code == EVENT_GADGET_DATA) core->gadget = entry[2];
            return code;
        }
        if (window == -1) continue;
        core->window = window;
        if (code == EVENT_GADGET) {
            // The element's gadget, unless it went before its event was taken.
            int gadget = -1;
            if (!objects_search(toolkit.gadgets, static_cast<uintptr_t>(entry[2]), &gadget)) continue;
            core->gadget = gadget;
            core->type = entry[3];
        } else if (code == EVENT_MENU) {
            core->gadget = entry[2];
            core->type = entry[3];
        }
        return code;
    }
    return 0;
}

bool post_data(int window, int code, int gadget, void* record) {
    EventCore* core = event_core();
    const WindowRecord* target = find_window_record(window);
    if (!core || !target || !hand_record(core, record)) return false;
    tk_post(code, static_cast<int>(target->handle), gadget, static_cast<int32_t>(reinterpret_cast<uintptr_t>(record)));
    return true;
}

}  // namespace

void raise_event(const GadgetRecord* record, int code, int type) {
    EventCore* core = event_core();
    const int window = window_number_of(static_cast<uintptr_t>(record->window));
    if (!core || window == -1) return;
    core->window = window;
    core->pending = code;
    core->gadget = record->number;
    core->type = type;
}

bool post_window_data(int window, void* record) { return post_data(window, EVENT_WINDOW_DATA, 0, record); }

bool post_gadget_data(int window, int gadget, void* record) {
    return post_data(window, EVENT_GADGET_DATA, gadget, record);
}

int wait_event(int timeout) {
    EventCore* core = event_core();
    if (!core) return EVENT_NONE;  // after shut-down
    release_attached();
    core->type = -1;
    if (const int code = take_queued_event(core)) return code;
    if (core->pending != 0) return take_pending(core);
    // The page runs its listeners only while the program is suspended: a
    // blocking wait sets no timer and asks for no frame, so that a waiting
    // game costs nothing.
    const double deadline = emscripten_get_now() + timeout;
    for (;;) {
        if (const int code = take_page_event(core)) return code;
        if (timeout == 0) return EVENT_NONE;
        int left = -1;
        if (timeout > 0) {
            const double rest = deadline - emscripten_get_now();
            if (rest <= 0) return EVENT_NONE;
            left = static_cast<int>(rest + 0.999);
        }
        if (!tk_wait(left)) return EVENT_NONE;
    }
}

// After shut-down there is no event: no window, no gadget, no type.
int event_window() { return event_core() ? event_core()->window : -1; }
int event_gadget() { return event_core() ? event_core()->gadget : -1; }
int event_type() { return event_core() ? event_core()->type : -1; }

void flush_messages() {
    EventCore* core = event_core();
    if (!core) return;
    int32_t entry[4];
    while (tk_next(entry))
        if (entry[0] == EVENT_WINDOW_DATA || entry[0] == EVENT_GADGET_DATA)
            drop_handed(core, reinterpret_cast<void*>(static_cast<uintptr_t>(entry[3])));
    core->pending = 0;
}
