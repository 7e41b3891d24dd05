// Tab and Shift+Tab on GTK: the keyboard focus walks the window's tab stops in
// the order they were created, as on Win32, not in GTK's order by position.
#include "toolkit/gtk/internal.h"

namespace {

bool is_tab_stop(GtkWidget* child, GtkWidget** body) {
    int number = -1;
    const GadgetRecord* record = gadget_of_widget(child, &number);
    if (!record || !record->kind->tab_stop) return false;
    *body = record->body;
    return gtk_widget_is_sensitive(*body) && gtk_widget_is_visible(*body);
}

}  // namespace

void cycle_focus(WindowRecord* record, bool backward) {
    GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(record->handle));
    FocusWalk walk{};
    walk.backward = backward;
    // A focus outside the gadgets (on the window itself) starts from no tab stop.
    walk.current = focus && gtk_widget_is_ancestor(focus, record->layout) ? focus : nullptr;
    GList* children = gtk_container_get_children(GTK_CONTAINER(record->layout));
    for (GList* child = children; child; child = child->next) {
        GtkWidget* body = nullptr;
        if (is_tab_stop(GTK_WIDGET(child->data), &body) && focus_walk_visit(&walk, body)) break;
    }
    g_list_free(children);
    auto* target = static_cast<GtkWidget*>(focus_walk_target(&walk));
    if (!target) return;
    // A field given the focus keeps its text unselected and its caret where it was.
    if (GTK_IS_ENTRY(target))
        gtk_entry_grab_focus_without_selecting(GTK_ENTRY(target));
    else
        gtk_widget_grab_focus(target);
}
