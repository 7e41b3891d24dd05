#pragma once
// The GTK backend's records, shared between its files. Clients never include this.
#include <gtk/gtk.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <type_traits>

#include "toolkit/core.h"

// The public header names GTK's types without GTK's headers: they must be
// exactly GTK's own.
static_assert(std::is_same_v<WindowHandle, GtkWidget*>);
static_assert(std::is_same_v<FontHandle, PangoFontDescription*>);
static_assert(std::is_same_v<ShortcutTable, GtkAccelGroup*>);

// The notification codes the Win32 controls send, which clients read as event
// types: a GTK gadget raises the same numbers for the same happenings.
inline constexpr int TYPE_CLICKED = 0;         // BN_CLICKED
inline constexpr int TYPE_SET_FOCUS = 256;     // EN_SETFOCUS
inline constexpr int TYPE_KILL_FOCUS = 512;    // EN_KILLFOCUS
inline constexpr int TYPE_TEXT_CHANGED = 768;  // EN_CHANGE

// The Windows style bits that keep a meaning on GTK.
inline constexpr uint32_t STYLE_CAPTION = 0xC00000;     // WS_CAPTION: a title bar
inline constexpr uint32_t STYLE_SYSTEM_MENU = 0x80000;  // WS_SYSMENU: a close box
inline constexpr uint32_t STYLE_SIZING = 0x40000;       // WS_THICKFRAME: the player may size it
inline constexpr uint32_t STYLE_READ_ONLY = 0x800;      // ES_READONLY
inline constexpr uint32_t STYLE_NUMBER = 0x2000;        // ES_NUMBER: typed characters are digits
inline constexpr uint32_t STYLE_PASSWORD = 0x20;        // ES_PASSWORD
inline constexpr uint32_t STYLE_CENTRE = 0x1;           // SS_CENTER, ES_CENTER
inline constexpr uint32_t STYLE_RIGHT = 0x2;            // SS_RIGHT, ES_RIGHT

// ---- Gadget kinds and records -----------------------------------------------
struct GadgetRecord;

// One per kind, filled once at the kind's first creation. The slots keep the
// order the Win32 kinds know them by, where the idea exists on GTK; an empty
// slot means the generic behaviour applies (for texts: none, "" read).
struct GadgetKind {
    int32_t kind_code;
    const char* colour_node;  // the CSS node its colours paint; nullptr: it has none
    bool tab_stop;            // Tab visits it
    // Connects the widget's signals to the events they raise: what the Win32
    // kinds' messages are.
    void (*connect)(GadgetRecord*, int number);
    void (*on_free)(GadgetRecord*);
    int (*get_state)(GadgetRecord*);
    void (*set_state)(GadgetRecord*, int state);
    std::string (*get_text)(GadgetRecord*);
    void (*set_text)(GadgetRecord*, const char* text);
    int (*add_item)(GadgetRecord*, int position, const char* text, intptr_t);
    void (*remove_item)(GadgetRecord*, int line);
    void (*clear_items)(GadgetRecord*);
    void (*resize)(GadgetRecord*, int x, int y, int width, int height);  // pixels
    int (*count_items)(GadgetRecord*);
    std::string (*get_item_text)(GadgetRecord*, int line, intptr_t ignored);
    void (*set_item_text)(GadgetRecord*, int line, const char* text, intptr_t ignored);
    int (*get_attribute)(GadgetRecord*, int attribute);
    void (*set_attribute)(GadgetRecord*, int attribute, int value);
    void (*set_colour)(GadgetRecord*, int which, int32_t colour);
    int32_t (*get_colour)(GadgetRecord*, int which);
};

struct GadgetRecord {
    GtkWidget* handle;  // the widget at the gadget's place; non-zero while the gadget lives
    GadgetKind* kind;
    int number;                  // its number (an anonymous gadget's identity)
    GtkWidget* body;             // the widget that holds its text and takes the focus
    GtkCssProvider* style;       // its own font and colours; nullptr until it has any
    PangoFontDescription* font;  // its own copy of its font; nullptr: the theme's
    uint32_t font_flags;         // underline and strike-out, which a description does not hold
    int font_points;             // the toolkit font's size in points; 0: the description's own size
    Placement place;             // its rectangle in units of 1/96 inch, placed again when its window's scale changes
    int32_t back_colour;         // 24-bit RGB as Windows gives it (0x00BBGGRR), -1: the theme's
    int32_t front_colour;        //
    int32_t line_state;          // editor: an empty line appended to an empty editor waits
    gulong changed_handler;      // input: its "changed" handler, held back while the program writes
    bool live;                   // what the client writes is told to a screen reader
};

struct GadgetContext {
    GtkWidget* parent;                   // the toolkit window gadgets are created in
    PangoFontDescription* default_font;  // its own copy; nullptr: the theme's font
    int default_points;                  // its size in points; 0: the description's own
};

// A kind's creation, shared by all kinds: fills the kind once, takes the slot
// (closing an earlier gadget under the number), places the widget and
// registers the gadget. The widget is the kind's fresh (floating) widget.
struct GadgetCreation {
    int number;
    GadgetKind* kind;
    bool* kind_ready;
    void (*fill_kind)(GadgetKind*);
    GtkWidget* widget;
    GtkWidget* body;  // nullptr: the widget itself
    int x, y, width, height;
};
intptr_t create_gadget(const GadgetCreation& creation);
GadgetRecord* find_gadget(int number);
// The gadget whose widget or body `widget` is, and its number; nullptr for any other.
GadgetRecord* gadget_of_widget(GtkWidget* widget, int* number);
int free_gadget(int number);
void default_resize(GadgetRecord* record, int x, int y, int width, int height);
// Rebuilds the gadget's own style from its font and colours, its font at the
// scale of its window.
void restyle(GadgetRecord* record);
// Places the gadget again at its window's scale: its rectangle and its font.
void replace_gadget(GadgetRecord* record, int dpi);
// The colours of labels, inputs and the editor: set_colour and get_colour.
void set_style_colour(GadgetRecord* record, int which, int32_t colour);
int32_t get_style_colour(GadgetRecord* record, int which);

// After the client wrote `text` into the gadget (line: the line it became or
// replaced, 0 for a whole text): a live gadget tells a screen reader, and a
// live text view's caret goes to the start of that line.
void tell_live_write(GadgetRecord* record, const char* text, int line);

// Gives the gadget's accessible the name its client gave it, where that name
// stands (set_gadget_name): again after each new text of a label.
void show_name(GadgetRecord* gadget);

// Texts: the toolkit's are single-byte (Latin-1) strings, GTK's UTF-8.
std::string to_utf8(const char* text);
std::string from_utf8(const char* text);

// Kind tables (each kind file fills its own slots).
void fill_button_kind(GadgetKind* kind);
void fill_label_kind(GadgetKind* kind);
void fill_input_kind(GadgetKind* kind);
void fill_frame_kind(GadgetKind* kind);
void fill_editor_kind(GadgetKind* kind);

// ---- Windows and events --------------------------------------------------------
struct WindowRecord {
    GtkWidget* handle;  // the GtkWindow
    GtkWidget* layout;  // its client area, where gadgets stand at fixed places
    GtkAccelGroup* shortcut_table;
    bool numbered;      // cleared while the window is being closed: its signals raise nothing
    int dpi;            // the scale its numbers, and its gadgets', are placed at
    Placement client;   // its client size in units of 1/96 inch (x and y unused)
    bool sizing;        // the player may size it
    GdkRectangle last;  // the place and size its last move and size events told of
    bool minimised;
};

WindowRecord* find_window_record(int number);
// The record and number of the toolkit window `window` (a GtkWindow) while it
// is numbered; nullptr (and *number untouched) for any other widget.
WindowRecord* numbered_window(GtkWidget* window, int* number);
// The number of the toolkit window that holds `widget`; -1 for none.
int window_number_of(GtkWidget* widget);

// Raises a gadget or menu event in the pending slot, as the Win32 window
// procedure does for a control's notification: the last one raised wins.
void raise_event(GtkWidget* from, int code, int gadget, int type);
// Posts a gadget event to the window that holds `from`: it is raised later,
// by a wait_event of its own, as a Win32 posted message is.
void post_gadget_event(GtkWidget* from, int gadget, int type);
// Forgets whatever waits to be posted to the window.
void drop_posted(int window);

// Tab and Shift+Tab: the focus walks the window's tab stops in creation order.
void cycle_focus(WindowRecord* record, bool backward);

// ---- Display scale -----------------------------------------------------------------
// The display's font resolution (Xft.dpi as GDK reports it), never below
// BASE_DPI: read once, at the first call after GTK has its display, so that
// layout and fonts go by one number for the whole run.
int display_dpi();
// The display's scale read again (the desktop's text size changed while the
// program runs): every window is laid out again at it, as at a start there.
void rescale_windows();
// The scale and place a window with this client placement opens at in the
// work area of the monitor it is asked onto (the primary one where it is not
// `placed`): moved into it as little as needed at the display's scale, its
// scale lowered only where it cannot fit (fit_in_work_area). The frame the
// window manager adds is not known before showing: the client area has to
// fit. false when the placement cannot be had in pixels at the display's scale.
bool opening_place(const Placement& client, bool placed, Opening* out);

// ---- Toolkit-wide state ----------------------------------------------------------
struct FontRecord {
    PangoFontDescription* description;  // non-zero while the font exists
    uint32_t flags;
    int points;
};
// A character height of `points` at `dpi`, in whole pixels, as the Win32
// toolkit asks its fonts for.
int font_pixels(int points, int dpi);

struct ToolkitState {
    bool started;  // GTK has its display
    int dpi;       // the display's scale, once read
    ObjectTable* fonts;
    ObjectTable* windows;
    ObjectTable* gadgets;
    GadgetContext* gadget_context;  // made by make_thread_record
    EventCore* events;              // made by make_thread_record
};
extern ToolkitState toolkit;

GadgetContext* gadget_context();
// GTK with its display and the toolkit's style; false without a display.
bool start_gtk();
// The style class of a toolkit window's client area: the toolkit's style
// sheet reaches the gadgets inside it and no other widget.
inline constexpr const char* GADGETS_CLASS = "toolkit-gadgets";
