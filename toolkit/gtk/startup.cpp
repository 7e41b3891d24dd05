// The toolkit's shared state and its start-up steps on GTK.
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "toolkit/gtk/internal.h"

ToolkitState toolkit;

namespace {

// Gadgets take exactly the sizes they are given, as Win32 controls do: the
// theme's least sizes and paddings would make them larger than asked, or
// leave their texts too little room. Only inside a toolkit window's client
// area: GTK's own widgets (a title bar's buttons, popovers) keep the theme's.
constexpr const char* GADGET_SIZES =
    ".toolkit-gadgets button, .toolkit-gadgets entry { min-height: 0; min-width: 0; padding: 0 3px; }"
    ".toolkit-gadgets label { min-height: 0; min-width: 0; padding: 0; }"
    ".toolkit-gadgets frame { padding: 0; margin: 0; } .toolkit-gadgets frame > border { margin: 0; }"
    ".toolkit-gadgets label.bordered { border: 1px solid alpha(currentColor, 0.4); }";

// The desktop's text size changed (XSETTINGS' Xft/DPI, which GNOME's large
// text and font scaling set): GTK has taken the new resolution already.
void on_resolution(GObject*, GParamSpec*, gpointer) { rescale_windows(); }

}  // namespace

void destroy_general_heap() {
    // The tables and thread records lived in the heap: forget them, so that a
    // later lookup finds nothing instead of reading freed memory. Nothing can
    // reach the anonymous records without their tables: they go too.
    if (GadgetContext* context = gadget_context(); context && context->default_font)
        pango_font_description_free(context->default_font);
    toolkit.fonts = toolkit.windows = toolkit.gadgets = nullptr;
    toolkit.gadget_context = nullptr;
    toolkit.events = nullptr;
    destroy_block_heaps();
}

void init_fonts() { toolkit.fonts = objects_create(sizeof(FontRecord), 16, free_font); }

void init_gadgets() {
    toolkit.gadgets = objects_create(sizeof(GadgetRecord), 50, free_gadget);
    toolkit.gadget_context = static_cast<GadgetContext*>(make_thread_record(sizeof(GadgetContext), nullptr));
}

bool start_gtk() {
    if (toolkit.started) return true;
    if (!gtk_init_check(nullptr, nullptr)) return false;
    toolkit.started = true;
    GtkCssProvider* sizes = gtk_css_provider_new();
    gtk_css_provider_load_from_data(sizes, GADGET_SIZES, -1, nullptr);
    gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(sizes),
                                              GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    g_object_unref(sizes);  // the screen holds it
    g_signal_connect_after(gtk_settings_get_default(), "notify::gtk-xft-dpi", G_CALLBACK(on_resolution), nullptr);
    return true;
}

GadgetContext* gadget_context() { return static_cast<GadgetContext*>(thread_record(toolkit.gadget_context)); }

EventCore* event_core() { return static_cast<EventCore*>(thread_record(toolkit.events)); }

GtkWidget* use_gadget_list(GtkWidget* window) {
    if (GadgetContext* context = gadget_context()) context->parent = window;
    return window;
}

int display_dpi() {
    if (!toolkit.dpi && toolkit.started) {
        // GDK_DPI_SCALE is in the screen's resolution already.
        GdkScreen* screen = gdk_screen_get_default();
        const double resolution = screen ? gdk_screen_get_resolution(screen) : -1.0;
        const long dpi = std::lround(resolution);
        toolkit.dpi = dpi > BASE_DPI && dpi < 100000 ? static_cast<int>(dpi) : BASE_DPI;
    }
    return toolkit.dpi ? toolkit.dpi : BASE_DPI;
}

bool opening_place(const Placement& client, bool placed, Opening* out) {
    const int dpi = display_dpi();
    Placement asked = client;
    if (!to_pixels(dpi, &asked)) return false;
    *out = Opening{dpi, asked.x, asked.y, asked.width, asked.height};
    GdkDisplay* display = gdk_display_get_default();
    GdkMonitor* monitor =
        placed ? gdk_display_get_monitor_at_point(display, asked.x, asked.y) : gdk_display_get_primary_monitor(display);
    if (!monitor) monitor = gdk_display_get_monitor(display, 0);
    if (!monitor) return true;
    GdkRectangle work{};
    gdk_monitor_get_workarea(monitor, &work);
    Placement where = client;
    if (!placed) where.x = where.y = KEEP_VALUE;  // the window manager or the centring places it
    *out = fit_in_work_area(where, Bounds{0, 0, 0, 0}, dpi,
                            Bounds{work.x, work.y, work.x + work.width, work.y + work.height}, nullptr);
    return true;
}
