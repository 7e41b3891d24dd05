// What a gadget tells beyond its text: its tooltip, and the name a screen reader speaks for it.
#include "toolkit/gtk/internal.h"

int set_gadget_tooltip(int number, const char* text) {
    GadgetRecord* gadget = find_gadget(number);
    if (!gadget) return 0;
    // A later text replaces the earlier one; an empty one shows none.
    gtk_widget_set_tooltip_text(gadget->body, to_utf8(text).c_str());
    return 1;
}

int set_gadget_name(int number, const char* name) {
    GadgetRecord* gadget = find_gadget(number);
    if (!gadget) return 0;
    // Its role, text and value stay GTK's.
    atk_object_set_name(gtk_widget_get_accessible(gadget->body), to_utf8(name).c_str());
    return 1;
}
