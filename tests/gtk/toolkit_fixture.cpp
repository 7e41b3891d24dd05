// The toolkit's test fixture on GTK (tests/toolkit/toolkit_fixture.h): the
// start-up the native program makes, and what GTK's own widgets show.
#include "tests/toolkit/toolkit_fixture.h"

#include <gtk/gtk.h>

#include <cmath>

void prepare_platform() {}

int at_display_scale(int length) {
    const long dpi = std::lround(gdk_screen_get_resolution(gdk_screen_get_default()));
    return static_cast<int>(std::lround(length * (dpi > 96 ? static_cast<double>(dpi) : 96.0) / 96));
}

PixelRect gadget_place(int gadget) {
    PixelRect r{};
    GtkWidget* control = gadget_handle(gadget);
    gtk_container_child_get(GTK_CONTAINER(gtk_widget_get_parent(control)), control, "x", &r.x, "y", &r.y, nullptr);
    gtk_widget_get_size_request(control, &r.width, &r.height);
    return r;
}
void destroy_control(GtkWidget* control) { gtk_widget_destroy(control); }
bool has_border(int input) { return gtk_entry_get_has_frame(GTK_ENTRY(gadget_handle(input))); }
// The editor's text view, inside its scrolled window.
static GtkTextView* text_view(int editor) { return GTK_TEXT_VIEW(gtk_bin_get_child(GTK_BIN(gadget_handle(editor)))); }
bool editor_read_only(int editor) { return !gtk_text_view_get_editable(text_view(editor)); }
void select_all_text(int editor) {
    GtkTextBuffer* text = gtk_text_view_get_buffer(text_view(editor));
    GtkTextIter start, end;
    gtk_text_buffer_get_bounds(text, &start, &end);
    gtk_text_buffer_select_range(text, &start, &end);
}
const size_t FIELD_CAPACITY = 65534;  // GTK's entry: 65535 bytes with the closing zero
