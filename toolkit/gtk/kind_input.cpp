// Single-line input fields on GTK. Besides their text changes they tell their
// window when they gain or lose the keyboard focus, as the Win32 fields do.
#include <cstdint>

#include "toolkit/gtk/internal.h"

namespace {

// A single-line Win32 edit control's text limit when none is set.
constexpr int TEXT_LIMIT = 32767;

GadgetKind input_kind;
bool input_kind_ready;

void on_changed(GtkEditable* entry, gpointer number) {
    raise_event(GTK_WIDGET(entry), EVENT_GADGET, GPOINTER_TO_INT(number), TYPE_TEXT_CHANGED);
}

// The field's notification at once, and the posted type after it, by a later wait.
gboolean on_focus_in(GtkWidget* entry, GdkEvent*, gpointer number) {
    post_gadget_event(entry, GPOINTER_TO_INT(number), TYPE_FOCUS_GAINED);
    raise_event(entry, EVENT_GADGET, GPOINTER_TO_INT(number), TYPE_SET_FOCUS);
    return FALSE;
}

gboolean on_focus_out(GtkWidget* entry, GdkEvent*, gpointer number) {
    post_gadget_event(entry, GPOINTER_TO_INT(number), TYPE_FOCUS_LOST);
    raise_event(entry, EVENT_GADGET, GPOINTER_TO_INT(number), TYPE_KILL_FOCUS);
    return FALSE;
}

// A digits-only field refuses a typed character that is no digit; pasted text
// comes in as it stands, as with a Win32 ES_NUMBER field.
gboolean on_key(GtkWidget*, GdkEventKey* event, gpointer) {
    if (event->state & (GDK_CONTROL_MASK | GDK_MOD1_MASK)) return FALSE;
    const gunichar typed = gdk_keyval_to_unicode(event->keyval);
    return typed && g_unichar_isprint(typed) && (typed < '0' || typed > '9');
}

// A field that takes the focus keeps its text unselected, as a Win32 edit
// control given the focus does: a digit typed next is added, not put in place
// of the guess. The desktop's setting stays as it is for every other entry.
void on_grab_focus(GtkWidget* entry, gpointer) {
    g_signal_stop_emission_by_name(entry, "grab-focus");
    gtk_entry_grab_focus_without_selecting(GTK_ENTRY(entry));
}

// Typing and pastes stop at the typing limit, as in a Win32 field; a text the
// program sets does not (input_set_text holds this handler back).
void on_insert(GtkEditable* entry, const gchar* text, gint length, gint* position, gpointer) {
    const glong room = TEXT_LIMIT - static_cast<glong>(gtk_entry_get_text_length(GTK_ENTRY(entry)));
    if (g_utf8_strlen(text, length) <= room) return;
    g_signal_stop_emission_by_name(entry, "insert-text");
    if (room <= 0) return;
    g_signal_handlers_block_by_func(entry, reinterpret_cast<gpointer>(on_insert), nullptr);
    gtk_editable_insert_text(entry, text, static_cast<gint>(g_utf8_offset_to_pointer(text, room) - text), position);
    g_signal_handlers_unblock_by_func(entry, reinterpret_cast<gpointer>(on_insert), nullptr);
}

void input_connect(GadgetRecord* record, int number) {
    GtkWidget* entry = record->handle;
    g_signal_connect(entry, "insert-text", G_CALLBACK(on_insert), nullptr);
    record->changed_handler = g_signal_connect(entry, "changed", G_CALLBACK(on_changed), GINT_TO_POINTER(number));
    g_signal_connect(entry, "focus-in-event", G_CALLBACK(on_focus_in), GINT_TO_POINTER(number));
    g_signal_connect(entry, "focus-out-event", G_CALLBACK(on_focus_out), GINT_TO_POINTER(number));
    g_signal_connect(entry, "grab-focus", G_CALLBACK(on_grab_focus), nullptr);
}

std::string input_get_text(GadgetRecord* record) { return from_utf8(gtk_entry_get_text(GTK_ENTRY(record->handle))); }

// Every write the program makes raises the field's change, the same text
// written again too, as a Win32 edit control's does: GTK says nothing then.
void input_set_text(GadgetRecord* record, const char* text) {
    g_signal_handler_block(record->handle, record->changed_handler);
    g_signal_handlers_block_by_func(record->handle, reinterpret_cast<gpointer>(on_insert), nullptr);
    gtk_entry_set_text(GTK_ENTRY(record->handle), to_utf8(text).c_str());
    g_signal_handlers_unblock_by_func(record->handle, reinterpret_cast<gpointer>(on_insert), nullptr);
    g_signal_handler_unblock(record->handle, record->changed_handler);
    raise_event(record->handle, EVENT_GADGET, record->number, TYPE_TEXT_CHANGED);
}

}  // namespace

void fill_input_kind(GadgetKind* kind) {
    kind->kind_code = KIND_INPUT;
    kind->colour_node = "entry";
    kind->tab_stop = true;
    kind->connect = input_connect;
    kind->get_text = input_get_text;      // 6
    kind->set_text = input_set_text;      // 7
    kind->set_colour = set_style_colour;  // 30
    kind->get_colour = get_style_colour;  // 31
}

intptr_t create_input(int number, int x, int y, int width, int height, const char* text, uint32_t flags) {
    if (!toolkit.started) return 0;  // no widget before GTK has its display
    GtkWidget* entry = gtk_entry_new();
    gtk_entry_set_text(GTK_ENTRY(entry), to_utf8(text).c_str());
    // As narrow as it is given, not as wide as GTK's usual count of characters.
    gtk_entry_set_width_chars(GTK_ENTRY(entry), 0);
    // A paste keeps its first line, as a single-line Win32 field takes it.
    g_object_set(entry, "truncate-multiline", TRUE, nullptr);
    gtk_entry_set_has_frame(GTK_ENTRY(entry), (flags & INPUT_NO_BORDER) == 0);
    gtk_editable_set_editable(GTK_EDITABLE(entry), (flags & STYLE_READ_ONLY) == 0);
    gtk_entry_set_visibility(GTK_ENTRY(entry), (flags & STYLE_PASSWORD) == 0);
    gtk_entry_set_alignment(GTK_ENTRY(entry), (flags & 0x3) == STYLE_RIGHT    ? 1.0F
                                              : (flags & 0x3) == STYLE_CENTRE ? 0.5F
                                                                              : 0.0F);
    if (flags & STYLE_NUMBER) {
        gtk_entry_set_input_purpose(GTK_ENTRY(entry), GTK_INPUT_PURPOSE_DIGITS);
        g_signal_connect(entry, "key-press-event", G_CALLBACK(on_key), nullptr);
    }
    GadgetCreation creation{};
    creation.number = number;
    creation.kind = &input_kind;
    creation.kind_ready = &input_kind_ready;
    creation.fill_kind = fill_input_kind;
    creation.widget = entry;
    creation.x = x, creation.y = y, creation.width = width, creation.height = height;
    return create_gadget(creation);
}
