// Frames on GTK: a group box with a caption (type 0), or a bare border (other types); the gadgets inside show through.
#include <cstdint>

#include "toolkit/gtk/internal.h"

namespace {

GadgetKind frame_kind;
bool frame_kind_ready;

std::string frame_get_text(GadgetRecord* record) { return from_utf8(gtk_frame_get_label(GTK_FRAME(record->handle))); }

void frame_set_text(GadgetRecord* record, const char* text) {
    // An empty caption leaves the border whole.
    gtk_frame_set_label(GTK_FRAME(record->handle), text[0] ? to_utf8(text).c_str() : nullptr);
}

}  // namespace

void fill_frame_kind(GadgetKind* kind) {
    kind->kind_code = KIND_FRAME;
    kind->get_text = frame_get_text;  // 6
    kind->set_text = frame_set_text;  // 7
    kind->resize = default_resize;    // 12: its interior is never painted, so nothing is left to repaint
}

intptr_t create_frame(int number, int x, int y, int width, int height, const char* text, int frame_type) {
    if (!toolkit.started) return 0;  // no widget before GTK has its display
    // Only a group box shows its caption; a border frame has none.
    const bool caption = frame_type == 0 && text && text[0];
    GtkWidget* frame = gtk_frame_new(caption ? to_utf8(text).c_str() : nullptr);
    gtk_frame_set_shadow_type(GTK_FRAME(frame), frame_type == 0 ? GTK_SHADOW_ETCHED_IN : GTK_SHADOW_IN);
    GadgetCreation creation{};
    creation.number = number;
    creation.kind = &frame_kind;
    creation.kind_ready = &frame_kind_ready;
    creation.fill_kind = fill_frame_kind;
    creation.widget = frame;
    creation.x = x, creation.y = y, creation.width = width, creation.height = height;
    return create_gadget(creation);
}
