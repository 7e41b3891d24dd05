// The GTK event stream: wait_event over GLib's main loop, the pending slot the
// widgets' signals fill, and the events posted to a window for a later wait.
#include <cstddef>
#include <cstdint>

#include "toolkit/gtk/internal.h"

namespace {

// An event posted to a window, raised by a wait of its own.
struct Posted {
    int window;
    GtkWidget* window_handle;  // the window it was posted to, so that a new window under the number gets none
    int code;                  // EVENT_GADGET, EVENT_WINDOW_DATA or EVENT_GADGET_DATA
    int gadget;
    int type;
    void* record;  // a data event's record
};

GQueue posted = G_QUEUE_INIT;
guint posting = 0;  // the idle source that raises them, one per main-loop pass

// Ahead of the keyboard and mouse input that waits, as Win32 hands out a
// posted message before input: the focus a click takes away is told before
// the click itself (the game's loop writes the message line on the one and
// clears it on the other). Alone at its priority, one event per pass.
constexpr int POSTED_PRIORITY = G_PRIORITY_HIGH;
constexpr int POLL_PASSES = 1000;

gboolean raise_posted(gpointer) {
    auto* item = static_cast<Posted*>(g_queue_pop_head(&posted));
    EventCore* core = event_core();
    int number = -1;
    if (item && core && numbered_window(item->window_handle, &number) && number == item->window) {
        core->window = number;
        if (item->code == EVENT_GADGET) {
            core->pending = EVENT_GADGET;
            core->gadget = item->gadget;
            core->type = item->type;
        } else if (take_attached(core, item->record)) {  // a data event's record becomes `attached`
            core->pending = item->code;
            if (item->code == EVENT_GADGET_DATA) core->gadget = item->gadget;
        }
    }
    g_free(item);
    if (!g_queue_is_empty(&posted)) return G_SOURCE_CONTINUE;
    posting = 0;
    return G_SOURCE_REMOVE;
}

bool post(const Posted& item) {
    auto* copy = g_new(Posted, 1);
    *copy = item;
    g_queue_push_tail(&posted, copy);
    if (!posting) posting = g_idle_add_full(POSTED_PRIORITY, raise_posted, nullptr, nullptr);
    return true;
}

bool post_data(int window, int code, int gadget, void* record) {
    EventCore* core = event_core();
    const WindowRecord* target = find_window_record(window);
    if (!core || !target || !hand_record(core, record)) return false;
    return post(Posted{window, target->handle, code, gadget, -1, record});
}

bool event_ready(const EventCore* core) { return core->pending != 0 || core->queue_head != nullptr; }

gboolean expire(gpointer expired) {
    *static_cast<bool*>(expired) = true;
    return G_SOURCE_REMOVE;
}

int take_pending(EventCore* core) {
    const int code = core->pending;
    core->pending = 0;
    return code;
}

}  // namespace

void raise_event(GtkWidget* from, int code, int gadget, int type) {
    EventCore* core = event_core();
    const int window = window_number_of(from);
    // What a window raises while it closes (its focused field's focus lost) names no window: no event.
    if (!core || window == -1) return;
    core->window = window;
    core->pending = code;
    core->gadget = gadget;
    core->type = type;
}

void post_gadget_event(GtkWidget* from, int gadget, int type) {
    GtkWidget* window = gtk_widget_get_toplevel(from);
    int number = -1;
    if (numbered_window(window, &number)) post(Posted{number, window, EVENT_GADGET, gadget, type, nullptr});
}

void drop_posted(int window) {
    for (GList* link = posted.head; link;) {
        GList* next = link->next;
        if (auto* item = static_cast<Posted*>(link->data); item->window == window) {
            // A data event's record goes with its window.
            if (item->record && event_core()) drop_handed(event_core(), item->record);
            g_free(item);
            g_queue_delete_link(&posted, link);
        }
        link = next;
    }
    if (g_queue_is_empty(&posted) && posting) {
        g_source_remove(posting);
        posting = 0;
    }
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

    GMainContext* context = g_main_context_default();
    if (core->pending != 0) {
        // Raised while the client was inside a toolkit call: returned after one
        // more pass over what waits, which may raise a later one instead.
        g_main_context_iteration(context, FALSE);
        return take_pending(core);
    }
    if (timeout == 0) {
        // What is ready now, and no more: bounded, since an animation keeps
        // something ready for ever.
        for (int pass = 0; pass < POLL_PASSES && !event_ready(core) && g_main_context_iteration(context, FALSE);
             ++pass) {
        }
    } else {
        // The main loop also wakes for GTK's own work (drawing, the cursor's
        // blink): the wait goes on until one of the toolkit's events comes.
        bool expired = false;
        const guint timer = timeout > 0 ? g_timeout_add(static_cast<guint>(timeout), expire, &expired) : 0;
        while (!event_ready(core) && !expired) g_main_context_iteration(context, TRUE);
        if (timer && !expired) g_source_remove(timer);
    }
    if (core->pending != 0) return take_pending(core);
    if (const int code = take_queued_event(core)) return code;
    return EVENT_NONE;
}

// After shut-down there is no event: no window, no gadget, no type.
int event_window() { return event_core() ? event_core()->window : -1; }
int event_gadget() { return event_core() ? event_core()->gadget : -1; }
int event_type() { return event_core() ? event_core()->type : -1; }

void flush_messages() {
    for (int pass = 0; pass < POLL_PASSES && g_main_context_iteration(g_main_context_default(), FALSE); ++pass) {
    }
    if (EventCore* core = event_core()) core->pending = 0;
}
