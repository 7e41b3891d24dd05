// Push buttons on GTK (and the check boxes and radio buttons their flags can make).
#include <cstdint>

#include "toolkit/gtk/internal.h"

namespace {

// The button types of the low four flag bits that hold a state.
constexpr uint32_t CHECK_BOX = 2, AUTO_CHECK_BOX = 3, RADIO_BUTTON = 4, THREE_STATE = 5, AUTO_THREE_STATE = 6,
                   AUTO_RADIO_BUTTON = 9;

GadgetKind button_kind;
bool button_kind_ready;

void on_clicked(GtkButton* button, gpointer number) {
    raise_event(GTK_WIDGET(button), EVENT_GADGET, GPOINTER_TO_INT(number), TYPE_CLICKED);
}

void button_connect(GadgetRecord* record, int number) {
    g_signal_connect(record->handle, "clicked", G_CALLBACK(on_clicked), GINT_TO_POINTER(number));
}

int button_get_state(GadgetRecord* record) {
    if (!GTK_IS_TOGGLE_BUTTON(record->handle)) return 0;
    return gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(record->handle)) ? 1 : 0;
}

void button_set_state(GadgetRecord* record, int state) {
    if (GTK_IS_TOGGLE_BUTTON(record->handle)) gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(record->handle), state);
}

std::string button_get_text(GadgetRecord* record) {
    return from_utf8(gtk_button_get_label(GTK_BUTTON(record->handle)));
}

void button_set_text(GadgetRecord* record, const char* text) {
    gtk_button_set_label(GTK_BUTTON(record->handle), to_utf8(text).c_str());
}

}  // namespace

void fill_button_kind(GadgetKind* kind) {
    kind->kind_code = KIND_BUTTON;
    kind->tab_stop = true;
    kind->connect = button_connect;
    kind->get_state = button_get_state;  // 4
    kind->set_state = button_set_state;  // 5
    kind->get_text = button_get_text;    // 6
    kind->set_text = button_set_text;    // 7
}

intptr_t create_button(int number, int x, int y, int width, int height, const char* text, uint32_t flags) {
    if (!toolkit.started) return 0;  // no widget before GTK has its display
    const std::string label = to_utf8(text);
    GtkWidget* button = nullptr;
    switch (flags & 0xF) {
        case CHECK_BOX:
        case AUTO_CHECK_BOX:
        case THREE_STATE:
        case AUTO_THREE_STATE: button = gtk_check_button_new_with_label(label.c_str()); break;
        case RADIO_BUTTON:
        case AUTO_RADIO_BUTTON: button = gtk_radio_button_new_with_label(nullptr, label.c_str()); break;
        default: button = gtk_button_new_with_label(label.c_str()); break;
    }
    GadgetCreation creation{};
    creation.number = number;
    creation.kind = &button_kind;
    creation.kind_ready = &button_kind_ready;
    creation.fill_kind = fill_button_kind;
    creation.widget = button;
    creation.x = x, creation.y = y, creation.width = width, creation.height = height;
    return create_gadget(creation);
}
