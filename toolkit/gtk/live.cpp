// Live gadgets on GTK: what the client writes into one is told to a screen
// reader as it is written, while the focus stays where the player has it.
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "toolkit/gtk/internal.h"

namespace {

#if ATK_CHECK_VERSION(2, 50, 0)

// ATK's polite notification: a screen reader speaks it after what it is
// saying. The window raises it, not the gadget: a reader takes each
// announcement of the window whatever control has the focus, where it may
// drop one from a control that follows another too closely as a repeat.
void announce(GtkWidget* widget, const std::string& text) {
    g_signal_emit_by_name(gtk_widget_get_accessible(gtk_widget_get_toplevel(widget)), "notification", text.c_str(),
                          ATK_LIVE_POLITE);
}

#else

// Before ATK 2.50 there is no polite notification, and the screen reader of
// those releases (Orca 43) passes over announcements. It speaks a new
// description of what has the focus (a control, or else the window), though,
// queued after what it is saying: the text becomes that description while
// the focus stays, and the one it replaced comes back once the focus has
// moved on, when the reader no longer speaks it. GTK tells a reader of a new
// focus only when it is idle: both wait until after that, or the reader would
// hear the text, or the description coming back, on the control it leaves.
GtkWidget* describing;                              // the description's bearer; nullptr: none
std::vector<std::pair<int, std::string> > waiting;  // the texts to tell, with their windows' numbers
guint telling;                                      // the idle that tells them; 0: none

void give_back_description() {
    if (!describing) return;
    AtkObject* accessible = gtk_widget_get_accessible(describing);
    // No description of its own again: GTK's (its tooltip) shows through.
    g_free(accessible->description);
    accessible->description = nullptr;
    g_object_notify(G_OBJECT(accessible), "accessible-description");
    g_object_remove_weak_pointer(G_OBJECT(describing), reinterpret_cast<gpointer*>(&describing));
    describing = nullptr;
}

GtkWidget* focus_of(GtkWidget* window) {
    GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(window));
    return focus ? focus : window;
}

gboolean tell_waiting(gpointer) {
    telling = 0;
    if (describing) {
        GtkWidget* window = gtk_widget_get_toplevel(describing);
        if (!GTK_IS_WINDOW(window) || focus_of(window) != describing) give_back_description();
    }
    for (const auto& [number, text] : waiting) {
        const WindowRecord* window = find_window_record(number);
        if (!window || !window->handle) continue;
        GtkWidget* target = focus_of(window->handle);
        if (describing != target) {
            give_back_description();
            describing = target;
            g_object_add_weak_pointer(G_OBJECT(target), reinterpret_cast<gpointer*>(&describing));
        }
        AtkObject* accessible = gtk_widget_get_accessible(target);
        // ATK tells nobody of a first description: a first, empty one goes before.
        if (!accessible->description) atk_object_set_description(accessible, "");
        atk_object_set_description(accessible, text.c_str());
    }
    waiting.clear();
    return G_SOURCE_REMOVE;
}

void tell_when_idle() {
    if (!telling) telling = g_idle_add_full(G_PRIORITY_LOW, tell_waiting, nullptr, nullptr);
}

void on_set_focus(GtkWindow*, GtkWidget*, gpointer) { tell_when_idle(); }

void announce(GtkWidget* widget, const std::string& text) {
    const int number = window_number_of(widget);
    GtkWidget* window = gtk_widget_get_toplevel(widget);
    if (number == -1 || !GTK_IS_WINDOW(window)) return;
    if (!g_object_get_data(G_OBJECT(window), "toolkit-live")) {
        g_signal_connect(window, "set-focus", G_CALLBACK(on_set_focus), nullptr);
        g_object_set_data(G_OBJECT(window), "toolkit-live", window);
    }
    waiting.emplace_back(number, text);
    tell_when_idle();
}

#endif

}  // namespace

void tell_live_write(GadgetRecord* record, const char* text, int line) {
    if (!record->live) return;
    if (GTK_IS_TEXT_VIEW(record->body)) {
        // The caret goes to the start of what was written: the arrow keys read on from there.
        GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(record->body));
        GtkTextIter start;
        gtk_text_buffer_get_iter_at_line(buffer, &start, line);
        gtk_text_buffer_place_cursor(buffer, &start);
    }
    // Lines are spoken as one text, each ending a phrase.
    const std::string written = to_utf8(text);
    std::string spoken;
    for (size_t i = 0; i < written.size(); ++i)
        if (written[i] != '\r')
            spoken += written[i];
        else if (i + 1 == written.size() || written[i + 1] != '\n')
            spoken += '\n';
    if (!spoken.empty()) announce(record->body, spoken);
}

int set_gadget_live(int number, int live) {
    GadgetRecord* record = find_gadget(number);
    if (!record) return 0;
    record->live = live != 0;
    return 1;
}
