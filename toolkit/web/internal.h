#pragma once
// The browser backend's records, shared between its files. Clients never include this.
//
// The page's side is toolkit/web/toolkit.js: it makes the elements, keeps
// them in a table under numbers, and hands the C++ side nothing but those
// numbers, texts and the events its listeners queue. It never calls back
// into the program: the program takes each event from it in wait_event.
#include <cstddef>
#include <cstdint>
#include <string>

#include "toolkit/core.h"

// The notification codes the Win32 controls send, which clients read as event
// types: an element raises the same numbers for the same happenings.
inline constexpr int TYPE_CLICKED = 0;         // BN_CLICKED
inline constexpr int TYPE_SET_FOCUS = 256;     // EN_SETFOCUS
inline constexpr int TYPE_KILL_FOCUS = 512;    // EN_KILLFOCUS
inline constexpr int TYPE_TEXT_CHANGED = 768;  // EN_CHANGE

// The Windows style bits that keep a meaning in a page.
inline constexpr uint32_t STYLE_CAPTION = 0xC00000;     // WS_CAPTION: a title bar
inline constexpr uint32_t STYLE_SYSTEM_MENU = 0x80000;  // WS_SYSMENU: a close box
inline constexpr uint32_t STYLE_READ_ONLY = 0x800;      // ES_READONLY
inline constexpr uint32_t STYLE_NUMBER = 0x2000;        // ES_NUMBER: digits only
inline constexpr uint32_t STYLE_PASSWORD = 0x20;        // ES_PASSWORD

// ---- The page's side (toolkit.js) ------------------------------------------------
// Elements are numbers from 1 up; 0 is none. Texts go both ways as Latin-1,
// the toolkit's single-byte texts.
extern "C" {
// A window's panel: title bar (with a close box when `close_box`) and a client area of this size in CSS pixels.
int tk_open(const char* title, int width, int height, int hidden, int close_box);
// Takes the element and all inside it out of the page, and the window's waiting events with a window.
void tk_remove(int element);
// 1 while the element is still in the page.
int tk_alive(int element);
// A gadget of `kind` (KIND_*) in the window's client area, at a place in CSS pixels.
int tk_create(int kind, int window, int x, int y, int width, int height, const char* text, uint32_t flags);
void tk_place(int element, int x, int y, int width, int height);
void tk_set_text(int element, const char* text);
// The element's text as a block of malloc'd Latin-1, for the caller to free.
char* tk_get_text(int element);
void tk_set_font(int element, const char* families, int pixels, uint32_t flags);
void tk_set_colour(int element, int which, int32_t colour);  // -1: the page's own
// What a gadget says beyond its text (the PROPERTY_ numbers below).
void tk_set_property(int element, int which, const char* value);
int tk_get_flag(int element, int which);
void tk_set_flag(int element, int which, int value);
// Binds a key (a Windows virtual-key code, shifted modifiers above bit 16) in the window to a command.
void tk_bind(int window, uint32_t key_word, int command);
// Suspends the program until an event waits in the page, or `timeout` milliseconds have passed (-1: none);
// 1 when one waits. 0 at once never suspends.
int tk_wait(int timeout);
// The oldest waiting event: code, window element, gadget element (or command), type; 0 when none waits.
int tk_next(int32_t* entry);
// Puts an event at the end of the page's queue, as a later wait takes it.
void tk_post(int code, int window, int gadget, int32_t type);
}

inline constexpr int PROPERTY_TOOLTIP = 1;
inline constexpr int PROPERTY_NAME = 2;
inline constexpr int PROPERTY_LIVE = 3;
inline constexpr int FLAG_CHECKED = 1;
inline constexpr int FLAG_READ_ONLY = 2;

// ---- Gadget kinds and records -----------------------------------------------
struct GadgetRecord;

// One per kind, filled once at the kind's first creation. The slots keep the
// order the Win32 kinds know them by; an empty slot means the generic
// behaviour applies (for texts: none, "" read).
struct GadgetKind {
    int32_t kind_code;
    int (*get_state)(GadgetRecord*);
    void (*set_state)(GadgetRecord*, int state);
    std::string (*get_text)(GadgetRecord*);
    void (*set_text)(GadgetRecord*, const char* text);
    int (*add_item)(GadgetRecord*, int position, const char* text);
    void (*remove_item)(GadgetRecord*, int line);
    void (*clear_items)(GadgetRecord*);
    int (*count_items)(GadgetRecord*);
    std::string (*get_item_text)(GadgetRecord*, int line);
    void (*set_item_text)(GadgetRecord*, int line, const char* text);
    int (*get_attribute)(GadgetRecord*, int attribute);
    void (*set_attribute)(GadgetRecord*, int attribute, int value);
    bool coloured;  // set_colour and get_colour apply
};

struct GadgetRecord {
    uintptr_t handle;  // the element's number; non-zero while the gadget lives
    GadgetKind* kind;
    int number;  // its number (an anonymous gadget's identity)
    int window;  // its window's element
    Placement place;
    int32_t back_colour;  // 24-bit RGB as Windows gives it (0x00BBGGRR), -1: the page's
    int32_t front_colour;
    int32_t line_state;  // editor: an empty line appended to an empty editor waits
    bool live;           // what the client writes is told to a screen reader
};

struct GadgetContext {
    int parent;              // the window element gadgets are created in; 0: none
    uintptr_t default_font;  // the font handle gadgets made next take; 0: the page's
};

// A kind's creation, shared by all kinds: fills the kind once, takes the slot
// (closing an earlier gadget under the number), makes the element and
// registers the gadget.
struct GadgetCreation {
    int number;
    GadgetKind* kind;
    bool* kind_ready;
    void (*fill_kind)(GadgetKind*);
    int x, y, width, height;
    const char* text;
    uint32_t flags;
};
intptr_t create_gadget(const GadgetCreation& creation);
GadgetRecord* find_gadget(int number);
int free_gadget(int number);
// Raises a gadget event in the pending slot, as the Win32 window procedure
// does for a control's notification: the last one raised wins.
void raise_event(const GadgetRecord* record, int code, int type);
// The element's text, read from the page.
std::string element_text(uintptr_t element);

void fill_button_kind(GadgetKind* kind);
void fill_label_kind(GadgetKind* kind);
void fill_input_kind(GadgetKind* kind);
void fill_frame_kind(GadgetKind* kind);
void fill_editor_kind(GadgetKind* kind);

// ---- Windows ---------------------------------------------------------------------
struct WindowRecord {
    uintptr_t handle;  // the panel's element; non-zero while the window lives
};
WindowRecord* find_window_record(int number);
// The number of the window whose panel is `element`; -1 for none.
int window_number_of(uintptr_t element);

// ---- Fonts -----------------------------------------------------------------------------
struct FontRecord {
    uintptr_t handle;  // non-zero while the font exists: a number of the toolkit's own
    int pixels;        // its character height at 96 dots per inch
    uint32_t flags;
    char families[120];  // the face and its stand-ins, as a style sheet lists them
};
FontRecord* font_of_handle(uintptr_t handle);
// A character height of `points` in CSS pixels, as the Win32 toolkit asks its fonts for at 96 dots per inch.
int font_pixels(int points);

// ---- Toolkit-wide state ----------------------------------------------------------
struct ToolkitState {
    ObjectTable* fonts;
    ObjectTable* windows;
    ObjectTable* gadgets;
    GadgetContext* gadget_context;  // made by make_thread_record
    EventCore* events;              // made by make_thread_record
};
extern ToolkitState toolkit;
GadgetContext* gadget_context();

// Handles and element numbers are the same value in two types.
template <typename Handle>
Handle as_handle(uintptr_t element) {
    return reinterpret_cast<Handle>(element);
}
