#pragma once
// What no platform decides, shared by the backends: the event record's
// bookkeeping, the order in which Tab walks the tab stops, and the scale
// arithmetic. Calls no platform; clients never include this.
#include <cstddef>
#include <cstdint>

#include "toolkit/toolkit.h"

#include "toolkit/object_table.h"

// ---- The event record --------------------------------------------------------------
// Window events wait in a FIFO; a gadget or menu event raised while the client
// is inside a toolkit call waits in the single pending slot, the last one
// raised winning; a data event carries a record the client handed over.
struct QueuedEvent {
    QueuedEvent* next;
    int code;
    int window;
};

struct EventCore {
    int gadget;
    int window;
    int type;
    int pending;
    QueuedEvent* queue_head;
    QueuedEvent* queue_tail;
    void* attached;  // its sixth pointer-sized word may reference a further heap block
    // Records handed to post_window_data / post_gadget_data whose message has
    // not arrived yet: the only records a data message may make `attached`.
    void** handed;
    int handed_count;
    int handed_capacity;
};

// The backend's event record's shared part; nullptr before start-up and after
// shut-down.
EventCore* event_core();
// Takes the oldest queued event: its code, with `window` set from it; 0 when
// the queue is empty.
int take_queued_event(EventCore* events);
// Puts a record on the handed list before its message is posted; false when
// it is the attached record, on its way already, or the list cannot grow.
bool hand_record(EventCore* events, void* record);
// Takes a record off the handed list; false when it is not on it.
bool unhand_record(EventCore* events, const void* record);
// A record whose message will never arrive (its window closed) is taken off
// the handed list and freed, with the block its sixth word names; a record
// that is not on the list is left alone.
void drop_handed(EventCore* events, void* record);
// A data message's record becomes `attached` only if the toolkit handed it out
// and its message has not arrived before; false for anything else, which
// names memory the toolkit does not own.
bool take_attached(EventCore* events, void* record);
// Frees the attached record (and the block its sixth word names), and with
// `handed_too` every handed record whose message never arrived.
void release_attached(bool handed_too = false);

// ---- Tab order -------------------------------------------------------------------------
// One walk over a window's tab stops in the window's order, for Tab or
// Shift+Tab. Forward: the tab stop after the focused one, wrapping round to
// the first, or the first when no tab stop has the focus; a focus on a window
// that is no tab stop stays where it is. Backward: the tab stop before the
// focused one, or the last when the focused one is first or none has it.
struct FocusWalk {
    void* current;  // the focused window, or nullptr
    bool backward;
    void* first;
    void* previous;
    bool found_current;
    void* target;
};
// Shows the walk the next tab stop; true once the walk knows its target.
bool focus_walk_visit(FocusWalk* walk, void* tab_stop);
// The tab stop that takes the focus once every tab stop was visited (or the
// visit said it knew); nullptr when the focus stays.
void* focus_walk_target(const FocusWalk* walk);

// ---- Display scale -----------------------------------------------------------------
// Clients give positions and sizes in units of 1/96 inch, the pixels of a
// display at 100 %. A window is opened at a number of dots per inch and the
// numbers given for it and its gadgets become its pixels there.
inline constexpr int BASE_DPI = 96;
struct Placement {
    int x, y, width, height;
};
// Turns a placement into pixels at `dpi` (KEEP_VALUE and DEFAULT_POSITION stay
// as they are). false, with the placement untouched, when a value or a right or
// bottom edge would leave the range of an int, or a value would become one of
// those two: such a rectangle is refused, never wrapped round or taken for a
// sentinel.
bool to_pixels(int dpi, Placement* place);
// A rectangle in pixels, right and bottom edges excluded.
struct Bounds {
    int left, top, right, bottom;
};
// A window's scale and its frame's rectangle in pixels (x and y may be
// DEFAULT_POSITION or KEEP_VALUE: the platform places the window).
struct Opening {
    int dpi;
    int x, y, width, height;
};
// Where a window with this client placement (units) and this frame (the
// extents the frame adds round an empty client) opens in the work area `work`
// of a display of `display` dots per inch: at the largest scale, from the
// display's down to 96, at which its frame fits in `work`, and at 96 where
// none does. Centred on `centre_in` where given, else at its own position at
// the display's scale; then moved as little as needed for its frame to lie in
// `work`, its top-left corner where it cannot. `client` must be in reach at
// `display` (to_pixels).
Opening fit_in_work_area(const Placement& client, const Bounds& frame, int display, const Bounds& work,
                         const Bounds* centre_in);
// A value that stands for no position or size of its own: KEEP_VALUE or DEFAULT_POSITION.
bool is_sentinel(int64_t value);
// Whether a value can be had as an int.
bool fits_int(int64_t value);
