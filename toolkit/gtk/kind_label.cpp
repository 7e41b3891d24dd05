// Static text labels on GTK, wrapped at words and aligned as their flags say, in the colours their client gives them.
#include <cstdint>

#include "toolkit/gtk/internal.h"

namespace {

GadgetKind label_kind;
bool label_kind_ready;

std::string label_get_text(GadgetRecord* record) { return from_utf8(gtk_label_get_text(GTK_LABEL(record->handle))); }

void label_set_text(GadgetRecord* record, const char* text) {
    gtk_label_set_text(GTK_LABEL(record->handle), to_utf8(text).c_str());
    show_name(record);
}

}  // namespace

void fill_label_kind(GadgetKind* kind) {
    kind->kind_code = KIND_LABEL;
    kind->colour_node = "label";
    kind->get_text = label_get_text;      // 6
    kind->set_text = label_set_text;      // 7
    kind->set_colour = set_style_colour;  // 30
    kind->get_colour = get_style_colour;  // 31
}

intptr_t create_label(int number, int x, int y, int width, int height, const char* text, uint32_t flags) {
    if (!toolkit.started) return 0;  // no widget before GTK has its display
    GtkWidget* label = gtk_label_new(to_utf8(text).c_str());
    // As a Win32 static text: from the top, wrapped at words within its width.
    const bool right = (flags & 0x3) == STYLE_RIGHT;
    const bool centred = (flags & 0x3) == STYLE_CENTRE;
    gtk_label_set_xalign(GTK_LABEL(label), right ? 1.0F : centred ? 0.5F : 0.0F);
    gtk_label_set_yalign(GTK_LABEL(label), 0.0F);
    gtk_label_set_justify(GTK_LABEL(label), right     ? GTK_JUSTIFY_RIGHT
                                            : centred ? GTK_JUSTIFY_CENTER
                                                      : GTK_JUSTIFY_LEFT);
    gtk_label_set_line_wrap(GTK_LABEL(label), TRUE);
    gtk_label_set_line_wrap_mode(GTK_LABEL(label), PANGO_WRAP_WORD_CHAR);
    if (flags & LABEL_BORDER) gtk_style_context_add_class(gtk_widget_get_style_context(label), "bordered");
    GadgetCreation creation{};
    creation.number = number;
    creation.kind = &label_kind;
    creation.kind_ready = &label_kind_ready;
    creation.fill_kind = fill_label_kind;
    creation.widget = label;
    creation.x = x, creation.y = y, creation.width = width, creation.height = height;
    return create_gadget(creation);
}
