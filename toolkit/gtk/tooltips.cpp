// What a gadget tells beyond its text: its tooltip, and the name a screen reader speaks for it.
#include "toolkit/gtk/internal.h"

int set_gadget_tooltip(int number, const char* text) {
    GadgetRecord* gadget = find_gadget(number);
    if (!gadget) return 0;
    // A later text replaces the earlier one; an empty one shows none.
    gtk_widget_set_tooltip_text(gadget->body, to_utf8(text).c_str());
    return 1;
}

namespace {

constexpr const char* NAME_KEY = "toolkit-name";

}  // namespace

int set_gadget_name(int number, const char* name) {
    GadgetRecord* gadget = find_gadget(number);
    if (!gadget) return 0;
    // Its role, text and value stay GTK's.
    g_object_set_data_full(G_OBJECT(gadget->body), NAME_KEY, g_strdup(to_utf8(name).c_str()), g_free);
    show_name(gadget);
    return 1;
}

void show_name(GadgetRecord* gadget) {
    const auto* name = static_cast<const char*>(g_object_get_data(G_OBJECT(gadget->body), NAME_KEY));
    if (!name) return;
    // A label's text says what it is whenever it shows one, and a screen
    // reader speaks a label's name, where it has one, in place of its text:
    // the name stands in only while the label shows no text.
    const char* text = GTK_IS_LABEL(gadget->body) ? gtk_label_get_text(GTK_LABEL(gadget->body)) : "";
    atk_object_set_name(gtk_widget_get_accessible(gadget->body), *text ? text : name);
}
