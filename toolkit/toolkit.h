#pragma once
// The window toolkit's public face: numbered windows, gadgets and fonts, one
// stream of events, and the constants a client needs to speak to them.
//
// Objects are addressed by numbers from 0 up that the client chooses; -1 asks
// for an anonymous object, addressed afterwards by the identity the creating
// call returns. An operation on a number that names no live object does
// nothing and returns 0 (a text read yields "").
//
// Positions and sizes (open_window's, the gadget creators' and resize_gadget's)
// are units of 1/96 inch: on a display of another scale the toolkit places
// them in pixels of that display, as the fonts, sized in points, grow with it.
// At 96 dots per inch a unit is a pixel. KEEP_VALUE and DEFAULT_POSITION are
// never scaled.
//
// Any C++20 compiler reads this header; it needs no platform header. The
// numbers a client passes (event codes, style bits given as flags, key codes)
// are the same on every platform. What exists only on Windows is declared
// only there, at the end.
#include <cstdint>
#include <string>

// ---- The platform's handles, under the toolkit's names ----------------------
// On Windows each is exactly the platform's own type (declared as the platform
// headers declare it, so neither this header nor a client needs them); on GTK
// each is the GTK type of the same role; in a browser, a number of the page's.
// The tags are the platform headers' own, reserved names and all.
// NOLINTBEGIN(bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp)
#ifdef _WIN32
struct HWND__;
struct HFONT__;
struct HACCEL__;
using WindowHandle = HWND__*;     // HWND: a window or a gadget's control
using FontHandle = HFONT__*;      // HFONT
using ShortcutTable = HACCEL__*;  // HACCEL
#ifdef _WIN64
using ToolkitResult = long long;  // LRESULT
#else
using ToolkitResult = long;  // LRESULT
#endif
#elif defined(__EMSCRIPTEN__)
// In a page: a window or gadget is an element, numbered by the toolkit's
// script; a font and a window's shortcuts are the toolkit's own records.
struct WebElement;
struct WebFont;
struct WebShortcuts;
using WindowHandle = WebElement*;     // the element's number in the page's table
using FontHandle = WebFont*;          // a number of the font table's own
using ShortcutTable = WebShortcuts*;  // the window's element number
using ToolkitResult = intptr_t;
#else
struct _GtkWidget;
struct _PangoFontDescription;
struct _GtkAccelGroup;
using WindowHandle = _GtkWidget*;           // a window or a gadget's widget
using FontHandle = _PangoFontDescription*;  // a font description
using ShortcutTable = _GtkAccelGroup*;      // the window's accelerator group
using ToolkitResult = intptr_t;
#endif
// NOLINTEND(bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp)

// As a gadget position or size: keep the current value. As a window position:
// let the platform choose.
inline constexpr int KEEP_VALUE = -65535;
// As a window position: let the platform choose (Windows' CW_USEDEFAULT).
inline constexpr int DEFAULT_POSITION = INT32_MIN;

// ---- Event codes ------------------------------------------------------------
inline constexpr int EVENT_NONE = 0;
inline constexpr int EVENT_MOVE = 3;
inline constexpr int EVENT_SIZE = 5;
inline constexpr int EVENT_REPAINT = 15;
inline constexpr int EVENT_CLOSE = 16;
inline constexpr int EVENT_GADGET = 13100;
inline constexpr int EVENT_MENU = 13101;
inline constexpr int EVENT_OBJECT_CLICK = 13102;
inline constexpr int EVENT_ACTIVATE = 13104;
inline constexpr int EVENT_WINDOW_DATA = 13105;
inline constexpr int EVENT_GADGET_DATA = 13106;

// Event types posted by input gadgets on focus changes.
inline constexpr int TYPE_FOCUS_GAINED = 14000;
inline constexpr int TYPE_FOCUS_LOST = 14001;

// Shortcut commands the toolkit reserves for Tab and Shift+Tab.
inline constexpr int CMD_FOCUS_NEXT = 1212;
inline constexpr int CMD_FOCUS_PREV = 1213;
// A control with this ID reports its commands as menu events.
inline constexpr int MENU_SOURCE_ID = -10000;

// ---- Window flags (open_window); other bits are the platform's style bits ---
inline constexpr uint32_t WINDOW_CENTRE_SCREEN = 0x1;
inline constexpr uint32_t WINDOW_CENTRE_OWNER = 0x2;
inline constexpr uint32_t WINDOW_HIDDEN = 0x10000000;
inline constexpr uint32_t WINDOW_MAXIMISED = 0x01000000;
inline constexpr uint32_t WINDOW_MINIMISED = 0x20000000;

// ---- Shortcut key words (add_shortcut): bits 0-15 the key code, Windows' ----
// virtual-key numbers on every platform.
inline constexpr uint32_t KEY_TAB = 0x09;
inline constexpr uint32_t KEY_RETURN = 0x0D;
inline constexpr uint32_t SHORTCUT_SHIFT = 0x10000;
inline constexpr uint32_t SHORTCUT_CONTROL = 0x20000;
inline constexpr uint32_t SHORTCUT_ALT = 0x40000;

// ---- Font flags (load_font) -------------------------------------------------
inline constexpr uint32_t FONT_UNDERLINE = 0x4;
inline constexpr uint32_t FONT_STRIKEOUT = 0x8;
inline constexpr uint32_t FONT_HIGH_QUALITY = 0x10;
inline constexpr uint32_t FONT_BOLD = 0x100;
inline constexpr uint32_t FONT_ITALIC = 0x200;

// ---- Gadget flags and selectors ---------------------------------------------
inline constexpr uint32_t LABEL_BORDER = 0x20000;
inline constexpr uint32_t INPUT_NO_BORDER = 0x20000;
inline constexpr int COLOUR_FRONT = 1;
inline constexpr int COLOUR_BACK = 2;
inline constexpr int ATTRIBUTE_READ_ONLY = 2048;

inline constexpr int KIND_BUTTON = 1;
inline constexpr int KIND_INPUT = 2;
inline constexpr int KIND_LABEL = 3;
inline constexpr int KIND_FRAME = 7;
inline constexpr int KIND_EDITOR = 22;

// The font handle that stands for the toolkit default font (the platform's
// default GUI font) in set_gadget_font.
// NOLINTNEXTLINE(misc-misplaced-const): the handle value is the constant, not the font it names
inline const FontHandle DEFAULT_GADGET_FONT = reinterpret_cast<FontHandle>(static_cast<intptr_t>(-1));

// ---- Start-up, in the order a client calls it -------------------------------
// The general heap (initial 4096 bytes, growable) for tables and records. Falls
// back to the process heap when a private heap cannot be made; returns false then.
bool create_general_heap();
void destroy_general_heap();
void init_record_heap();
void init_fonts();
void init_windows();
void init_gadgets();

// ---- Windows and events ------------------------------------------------------
// Returns the window's platform handle (for number -1: the new anonymous
// window's number), 0 on failure. width and height are the client area. The
// window is scaled as the display is and moved as little as needed for its
// frame to lie in the work area of the monitor it is asked onto (of the
// primary monitor where it is centred on the screen or left to the platform,
// of its owner's where it is centred on that). Only where it cannot fit there
// is its scale lowered, as far as it must be, and its gadgets and their fonts
// follow it (the fonts as copies the toolkit makes and deletes with the
// window). A work area smaller than the window at 96 dots per inch gets the
// 96 layout at its top-left corner. A WS_CHILD window takes its parent's
// scale and stands where it is asked. KEEP_VALUE and DEFAULT_POSITION positions
// leave the place to the platform; a rectangle that cannot be had in pixels
// is refused.
intptr_t open_window(int number, int x, int y, int width, int height, const char* title, uint32_t flags,
                     WindowHandle owner = nullptr);
WindowHandle window_handle(int number);
void close_window(int number);
void close_all_windows();
ShortcutTable add_shortcut(int number, uint32_t key_word, int event_number);
// -1 blocks; 0 polls; a positive value waits at most that many milliseconds.
int wait_event(int timeout = -1);
int event_window();
int event_gadget();
int event_type();
void flush_messages();
// Hands a record (a block of the general heap, whose sixth pointer-sized word
// may name a further such block) to a window's event stream: the event its
// message becomes carries it, and the next wait_event frees both blocks. Only
// records handed over here are taken; the same messages from anywhere else
// are dropped and free nothing. false when the message cannot be posted: the
// record stays the caller's.
bool post_window_data(int window, void* record);
bool post_gadget_data(int window, int gadget, void* record);
void queue_event(int code, int window);
// The parent of gadgets created next; returns the handle unchanged.
WindowHandle use_gadget_list(WindowHandle window);

// ---- Gadgets -----------------------------------------------------------------
// Creators return the control's handle (for number -1 the anonymous identity),
// or 0 when the platform refuses the control or its rectangle cannot be had in
// pixels at its window's scale (then nothing changes, as with a refused control).
intptr_t create_button(int number, int x, int y, int width, int height, const char* text, uint32_t flags);
intptr_t create_label(int number, int x, int y, int width, int height, const char* text, uint32_t flags = 0);
intptr_t create_input(int number, int x, int y, int width, int height, const char* text, uint32_t flags);
intptr_t create_frame(int number, int x, int y, int width, int height, const char* text, int frame_type = 0);
intptr_t create_editor(int number, int x, int y, int width, int height, uint32_t flags);

WindowHandle gadget_handle(int number);
int set_gadget_text(int number, const char* text);
std::string get_gadget_text(int number);
int add_gadget_item(int number, int position, const char* text);
ToolkitResult set_gadget_font(int number, FontHandle font);
int set_gadget_colour(int number, int which, int32_t colour);
int32_t get_gadget_colour(int number, int which);
int get_gadget_state(int number);
int set_gadget_state(int number, int state);
int remove_gadget_item(int number, int line);
int clear_gadget_items(int number);
int resize_gadget(int number, int x, int y, int width, int height);
int count_gadget_items(int number);
std::string get_gadget_item_text(int number, int line);
int set_gadget_item_text(int number, int line, const char* text);
int get_gadget_attribute(int number, int attribute);
int set_gadget_attribute(int number, int attribute, int value);

// ---- Fonts, brushes, tooltips ------------------------------------------------
// Returns the font handle (for number -1 the anonymous identity), 0 on failure.
intptr_t load_font(int number, const char* face, int points, uint32_t flags = 0);
int free_font(int number);
void free_all_fonts();
int set_gadget_tooltip(int number, const char* text);
// The name a screen reader speaks for the gadget (its accessible name): what
// it is, where its own text does not say. Its text, role and value stay the
// platform's. 0 for a number that names no gadget; a later name replaces an
// earlier one.
int set_gadget_name(int number, const char* name);
// Makes the gadget a polite live region (live 1) or an ordinary gadget again
// (live 0). What the client writes into a live gadget from then on, a new
// text or a line added or replaced, is announced by a screen reader without
// the focus moving, after what it is saying and without cutting it off; an
// empty write says nothing. The text on screen stays as it is. 0 for a number
// that names no gadget.
int set_gadget_live(int number, int live);

// ---- Windows only -------------------------------------------------------------
// These name things that exist on Win32 alone: the module the windows'
// classes belong to, the private heap, GDI brushes, and the window-procedure
// protocol (a handler's answers and the toolkit's private messages). Other
// platforms do not declare them, so a client that calls one there fails to
// compile on that name.
#ifdef _WIN32
struct HINSTANCE__;  // NOLINT(bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp): the platform's tag
struct HBRUSH__;     // NOLINT(bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp): the platform's tag
// GetModuleHandleA(nullptr), kept for the toolkit; the toolkit keeps it by
// itself at start-up too (init_windows).
HINSTANCE__* store_module_handle();
HINSTANCE__* module_handle();
void* general_heap();  // HANDLE of the heap behind create_general_heap
// Solid brushes shared per colour (a COLORREF), counted by use.
HBRUSH__* brush_acquire(unsigned long colour);
void brush_release(HBRUSH__* brush);

// A handler declines a message with NOT_HANDLED so the platform default runs.
inline constexpr ToolkitResult NOT_HANDLED = static_cast<int32_t>(0xD0D0D0D1u);
// A hook returns HOOK_CONTINUE to let the toolkit's own handling go on.
inline constexpr ToolkitResult HOOK_CONTINUE = static_cast<int32_t>(0xE0E0E0E1u);

// Private messages of toolkit windows.
inline constexpr unsigned MSG_OBJECT_CLICK = 12501;
inline constexpr unsigned MSG_OBJECT_CLICK_RELAY = 12502;
inline constexpr unsigned MSG_GADGET_EVENT = 13103;
inline constexpr unsigned MSG_WINDOW_DATA = 13105;
inline constexpr unsigned MSG_GADGET_DATA = 13106;
inline constexpr unsigned MSG_GADGET_REQUEST = 13120;
#endif
