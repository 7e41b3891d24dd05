#pragma once
// The Win32 backend's records, shared between its files. Clients never include this.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <type_traits>

#include "toolkit/core.h"

// The public header names the platform's types without its headers: they
// must be exactly the platform's own.
static_assert(std::is_same_v<WindowHandle, HWND>);
static_assert(std::is_same_v<FontHandle, HFONT>);
static_assert(std::is_same_v<ShortcutTable, HACCEL>);
static_assert(std::is_same_v<ToolkitResult, LRESULT>);
static_assert(std::is_same_v<decltype(store_module_handle()), HINSTANCE>);
static_assert(std::is_same_v<decltype(brush_acquire(0)), HBRUSH>);
static_assert(std::is_same_v<decltype(MSG_GADGET_EVENT), const UINT>);
static_assert(DEFAULT_POSITION == CW_USEDEFAULT);

// ---- Gadget kinds and records -----------------------------------------------
struct GadgetRecord;

// One per kind, filled once at the kind's first creation. The slots stand in
// the order the generic operations and the window procedure know them by; an
// empty slot means the generic behaviour applies.
struct GadgetKind {
    int32_t kind_code;                                                                      // 0
    int32_t record_size;                                                                    // 1: stamp 148
    LRESULT (*on_message)(GadgetRecord*, HWND parent, UINT message, WPARAM, LPARAM);        // 2
    void (*on_free)(GadgetRecord*);                                                         // 3
    int (*get_state)(GadgetRecord*);                                                        // 4
    void (*set_state)(GadgetRecord*, int state);                                            // 5
    std::string (*get_text)(GadgetRecord*);                                                 // 6
    void (*set_text)(GadgetRecord*, const char* text);                                      // 7
    int (*add_item)(GadgetRecord*, int position, const char* text, intptr_t);               // 8
    int (*add_item_ex)(GadgetRecord*, int position, const char* text, intptr_t, intptr_t);  // 9
    void (*remove_item)(GadgetRecord*, int line);                                           // 10
    void (*clear_items)(GadgetRecord*);                                                     // 11
    void (*resize)(GadgetRecord*, int x, int y, int width, int height);                     // 12: pixels
    int (*count_items)(GadgetRecord*);                                                      // 13
    void* unused_14_15[2];
    std::string (*get_item_text)(GadgetRecord*, int line, intptr_t ignored);             // 16
    void (*set_item_text)(GadgetRecord*, int line, const char* text, intptr_t ignored);  // 17
    void* unused_18;
    int (*get_x)(GadgetRecord*);       // 19, and 20-22: pixels
    int (*get_y)(GadgetRecord*);       // 20
    int (*get_width)(GadgetRecord*);   // 21
    int (*get_height)(GadgetRecord*);  // 22
    void* unused_23_25[3];
    int (*get_attribute)(GadgetRecord*, int attribute);              // 26
    void (*set_attribute)(GadgetRecord*, int attribute, int value);  // 27
    void* unused_28_29[2];
    void (*set_colour)(GadgetRecord*, int which, int32_t colour);  // 30
    int32_t (*get_colour)(GadgetRecord*, int which);               // 31
    void* unused_32_36[5];
};
inline constexpr int32_t GADGET_KIND_STAMP = 148;
static_assert(sizeof(GadgetKind) == 2 * sizeof(int32_t) + 35 * sizeof(void*), "37 slots");

struct GadgetRecord {
    HWND handle;  // non-zero while the gadget lives
    GadgetKind* kind;
    WNDPROC previous_proc;  // every message goes on to it
    union {
        struct {  // label and input
            int32_t back_colour;
            int32_t front_colour;
            HBRUSH back_brush;
        } paint;
        struct {  // editor
            int32_t line_state;
            int32_t back_colour;
            int32_t front_colour;
        } editor;
    };
    wchar_t* spoken_name;  // set_gadget_name's, in the general heap; nullptr: the platform's
    bool live;             // set_gadget_live's
    wchar_t* live_text;    // the newest non-empty text written while live, in the general heap
};

struct GadgetContext {
    HWND parent;
    HFONT default_font;
    HWND tooltip_window;
};

// A kind's creation, shared by all kinds: fills the kind once, creates the
// control with id -1, takes the slot only after the control exists, runs the
// kind's set-up and registers the gadget.
struct GadgetCreation {
    int number;
    GadgetKind* kind;
    bool* kind_ready;
    void (*fill_kind)(GadgetKind*);
    DWORD ex_style;
    const char* class_name;
    const char* text;  // nullptr: no window text
    DWORD style;
    int x, y, width, height;
    void (*set_up)(GadgetRecord*, HWND control);  // may be nullptr
};
intptr_t create_gadget(const GadgetCreation& creation);
intptr_t register_gadget(int number, GadgetRecord* record, HWND control, GadgetKind* kind);
GadgetRecord* find_gadget(int number);
int free_gadget(int number);
LRESULT CALLBACK gadget_proc(HWND control, UINT message, WPARAM wparam, LPARAM lparam);
LRESULT CALLBACK input_proc(HWND control, UINT message, WPARAM wparam, LPARAM lparam);
LRESULT CALLBACK frame_proc(HWND control, UINT message, WPARAM wparam, LPARAM lparam);
LRESULT CALLBACK editor_proc(HWND control, UINT message, WPARAM wparam, LPARAM lparam);
HWND owner_window(HWND control);
void default_resize(GadgetRecord* record, int x, int y, int width, int height);
// The answer of a named gadget to the question for its client object: the
// platform's object under the gadget's name, as the platform hands objects
// over; 0 when it cannot be made (the platform then answers).
LRESULT named_client_object(HWND control, WPARAM wparam);
// What every write into a gadget ends with, once `text` is in its control: a
// live gadget announces a non-empty text.
void announce_write(GadgetRecord* record, const char* text);
// A live gadget's end: the platform forgets it was live, its text goes.
void end_live(GadgetRecord* record);

// Colours of labels and inputs (record->paint): the answer to a colour message
// on the system colour used when only the front colour is set, the set_colour,
// get_colour handlers, and the brush release of on_free.
LRESULT paint_colours(GadgetRecord* record, HDC dc, int system_colour);
void set_paint_colour(GadgetRecord* record, int which, int32_t colour);
int32_t get_paint_colour(GadgetRecord* record, int which);
void release_paint_brush(GadgetRecord* record);

// Kind tables (each kind file fills its own slots).
void fill_button_kind(GadgetKind* kind);
void fill_label_kind(GadgetKind* kind);
void fill_input_kind(GadgetKind* kind);
void fill_frame_kind(GadgetKind* kind);
void fill_editor_kind(GadgetKind* kind);

// ---- Windows and events --------------------------------------------------------
using ShortcutEntry = ACCEL;  // flags, key, command: 6 bytes
static_assert(sizeof(ShortcutEntry) == 6, "platform accelerator entry");

using MessageHook = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);
using EraseHook = LRESULT (*)(HDC, HWND);

struct WindowRecord {
    HWND handle;
    int shortcut_count;
    ShortcutEntry* shortcuts;
    HACCEL shortcut_table;
    MessageHook message_hook;
    int32_t fill_colour;
    HBRUSH fill_brush;
    HWND mdi_client;
    EraseHook erase_hook;
    // Set and cleared together with the window's number property: the
    // toolkit's own copy of it, so that a message finds its window's number
    // without asking the window server each time.
    bool numbered;
    int dpi;  // the scale its numbers, and its gadgets', are placed at
    // Below the display's scale, the fonts its gadgets show, made at its scale
    // from those the client gave; deleted with the window.
    HFONT* scaled_fonts;
    int scaled_font_count;
};

struct EventRecord {
    EventCore core;  // first: the platform-free bookkeeping
    WPARAM last_wparam;
    LPARAM last_lparam;
    MessageHook global_hook;
};

LRESULT CALLBACK window_procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
LRESULT translate_window_message(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
LRESULT forward_to_gadget(HWND control, HWND parent, UINT message, WPARAM wparam, LPARAM lparam);
HACCEL shortcut_table_for(HWND window);
WindowRecord* find_window_record(int number);
// The record and number of the toolkit window `window` while it carries its
// number property; nullptr (and *number untouched) for any other window.
WindowRecord* numbered_window(HWND window, int* number);

// ---- Display scale -----------------------------------------------------------------
// (The keyboard sizing loop works in the platform's pixels and is not scaled.)
// The display's dots per inch (LOGPIXELSY, the number the fonts are sized
// by): read once, by the first call (init_fonts, at start-up), and 96 when it
// cannot be read. A program aware of the scale system-wide keeps the one it
// started with, so layout and fonts never go by two different numbers.
int display_logpixels();
// The same, never below BASE_DPI: the scale a window is laid out at where it fits.
int display_dpi();
// The scale of the toolkit window that is or holds `window`; display_dpi() for
// any other window.
int window_dpi(HWND window);
// The opening of a window of open_window (`centring` its WINDOW_CENTRE_ bits,
// `owner` its owner or, for WS_CHILD, its parent), measured on the work area
// of the monitor it is asked onto: the owner's or the active window's where
// it is centred on its owner, the primary one where the platform places it or
// it is centred on the screen. A child stands at its parent's scale where
// it is asked, limited by no monitor. false when the placement cannot be had
// in pixels at that scale.
bool opening_place(const Placement& client, DWORD style, uint32_t centring, HWND owner, Opening* out);

// ---- Keyboard focus and sizing -------------------------------------------------
struct SizingState {
    int active;
    int restore_cursor;
    POINT saved_cursor;
    RECT rect;
    int edge;
    MINMAXINFO limits;
};
void cycle_focus(bool backward);
LRESULT sizing_filter(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
void apply_pointer(int x, int y);
void move_to_rect(HWND hwnd);
void step_pointer(HWND hwnd, int x, int y);
void place_cursor(int shape, int x, int y);

// ---- Fonts, brushes, tooltips ----------------------------------------------------
struct BrushEntry {
    COLORREF colour;
    HBRUSH brush;
    int use_count;
};
void add_tool(HWND control, const char* text);
// The font the gadget `control` shows for `font`: `font` itself, unless the
// gadget's toolkit window stands below the display's scale; then a copy at the
// window's scale, kept with the window (`font` where no copy can be made).
HFONT font_at_window_scale(HWND control, HFONT font);
void free_scaled_fonts(WindowRecord* record);
LRESULT CALLBACK tooltip_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// ---- Toolkit-wide state ----------------------------------------------------------
struct ToolkitState {
    HINSTANCE module;
    HANDLE general_heap;
    bool general_heap_private;  // false when the process heap stands in
    HANDLE record_heap;
    CRITICAL_SECTION lock;  // guards the brush cache only
    bool lock_ready;
    HFONT default_gui_font;
    int logpixels;  // display_logpixels(); 0 until read
    ObjectTable* fonts;
    ObjectTable* windows;
    ObjectTable* gadgets;
    GadgetContext* gadget_context;  // made by make_thread_record
    EventRecord* events;            // made by make_thread_record
    SizingState* sizing;            // made by make_thread_record
    RecordList brushes;
    HICON window_icon;
    HCURSOR arrow_cursor;
};
extern ToolkitState toolkit;

GadgetContext* gadget_context();
EventRecord* event_record();
