// Numbered top-level windows on GTK: the window table, opening and closing windows, the events a window
// raises itself, and each window's keyboard shortcuts.
#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>

#include "toolkit/gtk/internal.h"

namespace {

constexpr uint32_t TOOLKIT_BITS = WINDOW_CENTRE_SCREEN | WINDOW_CENTRE_OWNER | WINDOW_HIDDEN;
constexpr uint32_t CENTRE_BITS = WINDOW_CENTRE_SCREEN | WINDOW_CENTRE_OWNER;
constexpr auto SHORTCUT_MODIFIERS = static_cast<GdkModifierType>(GDK_SHIFT_MASK | GDK_CONTROL_MASK | GDK_MOD1_MASK);

// The window table's free handler: opening a number that is in use closes
// the old window first.
int close_window_slot(int number) {
    close_window(number);
    return 0;
}

int number_of(GtkWidget* window) {
    int number = -1;
    return numbered_window(window, &number) ? number : -1;
}

// ---- What the window raises itself -------------------------------------------------

gboolean on_delete(GtkWidget* window, GdkEvent*, gpointer) {
    // The window stays open: the client decides.
    if (const int number = number_of(window); number != -1) queue_event(EVENT_CLOSE, number);
    return TRUE;
}

gboolean on_configure(GtkWidget* window, GdkEventConfigure* event, gpointer) {
    int number = -1;
    WindowRecord* record = numbered_window(window, &number);
    if (!record) return FALSE;
    const bool moved = event->x != record->last.x || event->y != record->last.y;
    const bool sized = event->width != record->last.width || event->height != record->last.height;
    record->last = GdkRectangle{event->x, event->y, event->width, event->height};
    if (moved) queue_event(EVENT_MOVE, number);
    if (sized && !record->minimised) queue_event(EVENT_SIZE, number);
    return FALSE;
}

gboolean on_state(GtkWidget* window, GdkEventWindowState* event, gpointer) {
    int number = -1;
    WindowRecord* record = numbered_window(window, &number);
    if (!record || !(event->changed_mask & GDK_WINDOW_STATE_ICONIFIED)) return FALSE;
    record->minimised = (event->new_window_state & GDK_WINDOW_STATE_ICONIFIED) != 0;
    // Restored from its icon, the window has its size again.
    if (!record->minimised) queue_event(EVENT_SIZE, number);
    return FALSE;
}

void on_active(GtkWidget* window, GParamSpec*, gpointer) {
    if (!gtk_window_is_active(GTK_WINDOW(window))) return;
    if (const int number = number_of(window); number != -1) queue_event(EVENT_ACTIVATE, number);
}

// The window's background painted whole (shown, sized or uncovered), as a
// Win32 window's erase: a part drawn again for one gadget is not a repaint
// of the window.
gboolean on_draw(GtkWidget* window, cairo_t* cairo, gpointer) {
    GdkRectangle clip{};
    if (!gdk_cairo_get_clip_rectangle(cairo, &clip)) return FALSE;
    if (clip.x <= 0 && clip.y <= 0 && clip.width >= gtk_widget_get_allocated_width(window) &&
        clip.height >= gtk_widget_get_allocated_height(window))
        if (const int number = number_of(window); number != -1) queue_event(EVENT_REPAINT, number);
    return FALSE;
}

// GTK's own focus moves by arrow keys: a Win32 window has none.
void on_move_focus(GtkWidget* window, GtkDirectionType, gpointer) {
    g_signal_stop_emission_by_name(window, "move-focus");
}

// ---- Shortcuts ----------------------------------------------------------------------

// The GDK key of a Windows virtual-key code; 0 for a code with no key here.
guint key_of(uint32_t code) {
    if (code >= 'A' && code <= 'Z') return GDK_KEY_a + (code - 'A');
    if (code >= '0' && code <= '9') return GDK_KEY_0 + (code - '0');
    if (code >= 0x60 && code <= 0x69) return GDK_KEY_KP_0 + (code - 0x60);
    if (code >= 0x70 && code <= 0x87) return GDK_KEY_F1 + (code - 0x70);
    static constexpr struct {
        uint32_t code;
        guint key;
    } KEYS[] = {
        {0x08, GDK_KEY_BackSpace}, {0x09, GDK_KEY_Tab},         {0x0D, GDK_KEY_Return},     {0x1B, GDK_KEY_Escape},
        {0x20, GDK_KEY_space},     {0x21, GDK_KEY_Page_Up},     {0x22, GDK_KEY_Page_Down},  {0x23, GDK_KEY_End},
        {0x24, GDK_KEY_Home},      {0x25, GDK_KEY_Left},        {0x26, GDK_KEY_Up},         {0x27, GDK_KEY_Right},
        {0x28, GDK_KEY_Down},      {0x2D, GDK_KEY_Insert},      {0x2E, GDK_KEY_Delete},     {0x6A, GDK_KEY_KP_Multiply},
        {0x6B, GDK_KEY_KP_Add},    {0x6D, GDK_KEY_KP_Subtract}, {0x6E, GDK_KEY_KP_Decimal}, {0x6F, GDK_KEY_KP_Divide},
    };
    for (const auto& key : KEYS)
        if (key.code == code) return key.key;
    return 0;
}

// The key a pressed key is bound as: its unshifted key (Shift+1 is 1 with
// Shift, as a virtual-key code has it), the keypad's Enter as Enter.
guint bound_key(const GdkEventKey* event) {
    guint key = event->keyval;
    GdkKeymap* keymap = gdk_keymap_get_for_display(gdk_window_get_display(event->window));
    gdk_keymap_translate_keyboard_state(keymap, event->hardware_keycode,
                                        static_cast<GdkModifierType>(event->state & GDK_MOD2_MASK), event->group, &key,
                                        nullptr, nullptr, nullptr);
    if (key == GDK_KEY_ISO_Left_Tab) key = GDK_KEY_Tab;
    if (key == GDK_KEY_KP_Enter) key = GDK_KEY_Return;
    return gdk_keyval_to_lower(key);
}

GQuark shortcut_name(guint key, GdkModifierType modifiers) {
    gchar* name = gtk_accelerator_name(key, modifiers);
    const GQuark quark = g_quark_from_string(name);
    g_free(name);
    return quark;
}

gboolean on_shortcut(GtkAccelGroup*, GObject* window, guint, GdkModifierType, gpointer command) {
    int number = -1;
    WindowRecord* record = numbered_window(GTK_WIDGET(window), &number);
    if (!record) return FALSE;
    const int event_number = GPOINTER_TO_INT(command);
    if (event_number == CMD_FOCUS_NEXT || event_number == CMD_FOCUS_PREV)
        cycle_focus(record, event_number == CMD_FOCUS_PREV);
    else
        raise_event(GTK_WIDGET(window), EVENT_MENU, event_number, -1);
    return TRUE;
}

void bind(GtkAccelGroup* group, guint key, GdkModifierType modifiers, int event_number) {
    gtk_accel_group_disconnect_key(group, key, modifiers);
    GClosure* closure = g_cclosure_new(G_CALLBACK(on_shortcut),
                                       GINT_TO_POINTER(static_cast<int>(static_cast<uint16_t>(event_number))), nullptr);
    gtk_accel_group_connect(group, key, modifiers, GTK_ACCEL_VISIBLE, closure);
}

// A key pressed anywhere in the window is offered to its shortcuts first, as
// Win32 translates a window's accelerators before a control sees the key.
gboolean on_key(GtkWidget* window, GdkEventKey* event, gpointer) {
    int number = -1;
    WindowRecord* record = numbered_window(window, &number);
    if (!record || !record->shortcut_table) return FALSE;
    const guint key = bound_key(event);
    const auto modifiers = static_cast<GdkModifierType>(event->state & SHORTCUT_MODIFIERS);
    // Tab in an editable text view is typing, not a shortcut.
    GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(window));
    if (key == GDK_KEY_Tab && modifiers == 0 && focus && GTK_IS_TEXT_VIEW(focus) &&
        gtk_text_view_get_editable(GTK_TEXT_VIEW(focus)))
        return FALSE;
    return gtk_accel_group_activate(record->shortcut_table, shortcut_name(key, modifiers), G_OBJECT(window), key,
                                    modifiers);
}

// The window that a window opened centred on its owner is centred on: the
// owner, or else the active toolkit window.
GtkWidget* centring_reference(GtkWidget* owner) {
    if (owner && GTK_IS_WINDOW(owner)) return owner;
    objects_rewind(toolkit.windows);
    int number = 0;
    while (auto* record = static_cast<WindowRecord*>(objects_next(toolkit.windows, &number)))
        if (record->handle && gtk_window_is_active(GTK_WINDOW(record->handle))) return record->handle;
    return nullptr;
}

void place(GtkWindow* window, int x, int y, int width, int height, uint32_t flags, GtkWidget* owner) {
    if (flags & WINDOW_CENTRE_SCREEN) {
        gtk_window_set_position(window, GTK_WIN_POS_CENTER);
        return;
    }
    if (flags & WINDOW_CENTRE_OWNER) {
        if (GtkWidget* reference = centring_reference(owner)) {
            int left = 0;
            int top = 0;
            int across = 0;
            int down = 0;
            gtk_window_get_position(GTK_WINDOW(reference), &left, &top);
            gtk_window_get_size(GTK_WINDOW(reference), &across, &down);
            x = left + (across - width) / 2;
            y = top + (down - height) / 2;
            if (x < 0) x = 0;
            if (y < 0) y = 0;
        }
    }
    // Without a place of its own the window manager chooses one.
    if (!is_sentinel(x) && !is_sentinel(y)) gtk_window_move(window, x, y);
}

// The window laid out again at the display's new scale, as it would open
// there: its scale lowered only where its work area cannot hold it, then moved
// into the work area as little as needed; its gadgets and their fonts follow.
void rescale(WindowRecord* record) {
    GtkWindow* window = GTK_WINDOW(record->handle);
    int x = 0;
    int y = 0;
    gtk_window_get_position(window, &x, &y);
    GdkRectangle work{0, 0, INT_MAX / 2, INT_MAX / 2};
    GdkDisplay* display = gtk_widget_get_display(record->handle);
    GdkWindow* shown = gtk_widget_get_window(record->handle);
    if (GdkMonitor* monitor =
            shown ? gdk_display_get_monitor_at_window(display, shown) : gdk_display_get_primary_monitor(display))
        gdk_monitor_get_workarea(monitor, &work);
    const Placement size{KEEP_VALUE, KEEP_VALUE, record->client.width, record->client.height};
    if (Placement reach = size; !to_pixels(display_dpi(), &reach)) return;  // out of reach: the window stays as it is
    const Opening at = fit_in_work_area(size, Bounds{0, 0, 0, 0}, display_dpi(),
                                        Bounds{work.x, work.y, work.x + work.width, work.y + work.height}, nullptr);
    record->dpi = at.dpi;
    if (record->sizing)
        gtk_window_resize(window, at.width, at.height);
    else
        gtk_widget_set_size_request(record->layout, at.width, at.height);
    // Where it stands, unless that would leave part of it out of the work area.
    const int left = std::max(std::min(x, work.x + work.width - at.width), work.x);
    const int top = std::max(std::min(y, work.y + work.height - at.height), work.y);
    if (left != x || top != y) gtk_window_move(window, left, top);
    GList* children = gtk_container_get_children(GTK_CONTAINER(record->layout));
    for (GList* child = children; child; child = child->next) {
        int gadget = -1;
        if (GadgetRecord* found = gadget_of_widget(GTK_WIDGET(child->data), &gadget)) replace_gadget(found, at.dpi);
    }
    g_list_free(children);
}

}  // namespace

void init_windows() {
    start_gtk();  // without a display every window is refused
    toolkit.windows = objects_create(sizeof(WindowRecord), 16, close_window_slot);
    toolkit.events = static_cast<EventCore*>(make_thread_record(sizeof(EventCore), nullptr));
}

WindowRecord* find_window_record(int number) {
    if (!toolkit.windows) return nullptr;
    return static_cast<WindowRecord*>(objects_find(toolkit.windows, number));
}

WindowRecord* numbered_window(GtkWidget* window, int* number) {
    if (!window || !toolkit.windows) return nullptr;
    int found = -1;
    auto* record =
        static_cast<WindowRecord*>(objects_search(toolkit.windows, reinterpret_cast<uintptr_t>(window), &found));
    if (!record || !record->numbered) return nullptr;
    *number = found;
    return record;
}

int window_number_of(GtkWidget* widget) { return widget ? number_of(gtk_widget_get_toplevel(widget)) : -1; }

intptr_t open_window(int number, int x, int y, int width, int height, const char* title, uint32_t flags,
                     GtkWidget* owner) {
    // Without the event stream a window could raise no event, not even its close.
    if (!toolkit.started || !toolkit.windows || !event_core()) return 0;

    if ((flags & ~TOOLKIT_BITS) == 0) flags |= STYLE_CAPTION;
    const bool show = (flags & WINDOW_HIDDEN) == 0;
    // The position and client size are units of 1/96 inch, placed in pixels at
    // the window's scale; a rectangle out of reach there is refused before a
    // window under the number is closed.
    const bool placed = !is_sentinel(x) && !is_sentinel(y) && (flags & CENTRE_BITS) == 0;
    Opening opening{};
    if (!opening_place(Placement{x, y, width, height}, placed, &opening)) return 0;
    const int dpi = opening.dpi;
    Placement at{x, y, width, height};
    if (!to_pixels(dpi, &at)) return 0;
    if (placed) at.x = opening.x, at.y = opening.y;

    auto* record = static_cast<WindowRecord*>(objects_slot(toolkit.windows, number));
    if (!record) return 0;
    const bool anonymous = number == -1;
    if (anonymous) number = objects_number_of(toolkit.windows, record);

    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    GtkWidget* layout = gtk_layout_new(nullptr, nullptr);
    gtk_style_context_add_class(gtk_widget_get_style_context(layout), GADGETS_CLASS);
    gtk_container_add(GTK_CONTAINER(window), layout);
    gtk_window_set_title(GTK_WINDOW(window), to_utf8(title).c_str());
    gtk_window_set_decorated(GTK_WINDOW(window), (flags & STYLE_CAPTION) == STYLE_CAPTION);
    gtk_window_set_deletable(GTK_WINDOW(window), (flags & STYLE_SYSTEM_MENU) != 0);
    // The client area is the size given. A window the player may size can be
    // made smaller than its gadgets, which are then cut off, as on Win32.
    const bool sizing = (flags & STYLE_SIZING) != 0;
    gtk_window_set_resizable(GTK_WINDOW(window), sizing);
    if (sizing)
        gtk_window_set_default_size(GTK_WINDOW(window), at.width, at.height);
    else
        gtk_widget_set_size_request(layout, at.width, at.height);
    if (owner && GTK_IS_WINDOW(owner)) gtk_window_set_transient_for(GTK_WINDOW(window), GTK_WINDOW(owner));
    place(GTK_WINDOW(window), at.x, at.y, at.width, at.height, flags, owner);
    if (flags & WINDOW_MAXIMISED) gtk_window_maximize(GTK_WINDOW(window));
    if (flags & WINDOW_MINIMISED) gtk_window_iconify(GTK_WINDOW(window));

    record->handle = window;
    record->layout = layout;
    record->dpi = dpi;
    record->client = Placement{0, 0, width, height};
    record->sizing = sizing;
    record->numbered = true;
    record->shortcut_table = gtk_accel_group_new();
    bind(record->shortcut_table, GDK_KEY_Tab, static_cast<GdkModifierType>(0), CMD_FOCUS_NEXT);
    bind(record->shortcut_table, GDK_KEY_Tab, GDK_SHIFT_MASK, CMD_FOCUS_PREV);

    g_signal_connect(window, "delete-event", G_CALLBACK(on_delete), nullptr);
    g_signal_connect(window, "configure-event", G_CALLBACK(on_configure), nullptr);
    g_signal_connect(window, "window-state-event", G_CALLBACK(on_state), nullptr);
    g_signal_connect(window, "notify::is-active", G_CALLBACK(on_active), nullptr);
    g_signal_connect(window, "draw", G_CALLBACK(on_draw), nullptr);
    g_signal_connect(window, "key-press-event", G_CALLBACK(on_key), nullptr);
    g_signal_connect(window, "move-focus", G_CALLBACK(on_move_focus), nullptr);

    gtk_widget_show(layout);
    if (show) gtk_widget_show(window);
    // Showing may have raised events; the record is still ours.
    return anonymous ? number : reinterpret_cast<intptr_t>(window);
}

void rescale_windows() {
    const int was = display_dpi();
    toolkit.dpi = 0;
    if (display_dpi() == was || !toolkit.windows) return;
    objects_rewind(toolkit.windows);
    int number = 0;
    while (auto* record = static_cast<WindowRecord*>(objects_next(toolkit.windows, &number)))
        if (record->numbered) rescale(record);
}

GtkWidget* window_handle(int number) {
    const WindowRecord* record = find_window_record(number);
    return record ? record->handle : nullptr;
}

void close_window(int number) {
    WindowRecord* record = find_window_record(number);
    if (!record) return;
    // Without its number, what the window raises while it goes names no window.
    record->numbered = false;
    GtkWidget* window = record->handle;
    GtkAccelGroup* shortcuts = record->shortcut_table;
    drop_posted(number);
    // Gadgets made next have no window until the client names one.
    if (GadgetContext* context = gadget_context(); context && context->parent == window) context->parent = nullptr;
    gtk_widget_destroy(window);  // its gadgets go with it
    if (shortcuts) g_object_unref(shortcuts);
    objects_release(toolkit.windows, number);
}

void close_all_windows() {
    if (toolkit.windows) {
        objects_rewind(toolkit.windows);
        int number = 0;
        while (objects_next(toolkit.windows, &number)) close_window(number);
    }
    release_attached(true);  // the records still handed over went with their windows
}

GtkAccelGroup* add_shortcut(int number, uint32_t key_word, int event_number) {
    WindowRecord* record = find_window_record(number);
    const guint key = key_of(key_word & 0xFFFF);
    if (!record || !key) return nullptr;
    auto modifiers = static_cast<GdkModifierType>(0);
    if (key_word & SHORTCUT_SHIFT) modifiers = static_cast<GdkModifierType>(modifiers | GDK_SHIFT_MASK);
    if (key_word & SHORTCUT_CONTROL) modifiers = static_cast<GdkModifierType>(modifiers | GDK_CONTROL_MASK);
    if (key_word & SHORTCUT_ALT) modifiers = static_cast<GdkModifierType>(modifiers | GDK_MOD1_MASK);
    // The same key and modifiers bound again take the new number.
    bind(record->shortcut_table, key, modifiers, event_number);
    return record->shortcut_table;
}
