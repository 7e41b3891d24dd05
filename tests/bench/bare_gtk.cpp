// The floor of the native program's figures: its main window written straight on GTK 3, with no toolkit
// and no game. The same title, place and size; the eleven widgets at their places with their texts,
// faces and tooltips; the same sizing rules; and Enter in the guess field writing a miss as the game
// writes one (the guess field, the message, a count field, a line on top of the display).
#include <gtk/gtk.h>

#include <cstdio>

namespace {

constexpr const char* STYLE =
    "button, entry { min-height: 0; min-width: 0; padding: 0 3px; } button label { padding: 0; }"
    "#prompt { font: 12pt 'Times New Roman'; } #digits { font: 18pt Arial; } #about { font: 10pt Arial; }"
    "#small { font: 9pt Comfortaa; } #display { font: 10pt Comfortaa; }";

struct Place {
    int x, y, width, height;
};

GtkWidget* layout;
GtkWidget *guess, *strikes, *message;
GtkTextBuffer* display;
int misses;

GtkWidget* put(GtkWidget* widget, Place p, const char* style_name) {
    gtk_widget_set_name(widget, style_name);
    gtk_widget_set_size_request(widget, p.width, p.height);
    gtk_layout_put(GTK_LAYOUT(layout), widget, p.x, p.y);
    return widget;
}

GtkWidget* count_field(Place p, const char* tooltip) {
    GtkWidget* field = put(gtk_entry_new(), p, "digits");
    gtk_entry_set_text(GTK_ENTRY(field), " 0");
    gtk_entry_set_width_chars(GTK_ENTRY(field), 0);
    gtk_editable_set_editable(GTK_EDITABLE(field), FALSE);
    gtk_widget_set_tooltip_text(field, tooltip);
    return field;
}

void miss(GtkEntry* entry) {
    char line[80], count[8];
    (void)snprintf(line, sizeof line, "* Strike: %s has no correct digits\n", gtk_entry_get_text(entry));
    (void)snprintf(count, sizeof count, " %d", ++misses % 10);
    gtk_entry_set_text(entry, "");
    gtk_label_set_text(GTK_LABEL(message), "YOU CHOSE POORLY");
    gtk_entry_set_text(GTK_ENTRY(strikes), count);
    GtkTextIter top;
    gtk_text_buffer_get_start_iter(display, &top);
    gtk_text_buffer_insert(display, &top, line, -1);
}

}  // namespace

int main(int argc, char** argv) {
    gtk_init(&argc, &argv);
    GtkCssProvider* css = gtk_css_provider_new();
    gtk_css_provider_load_from_data(css, STYLE, -1, nullptr);
    gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(css),
                                              GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(window), "Tavek PIN Program Ver. 0.11");
    gtk_window_move(GTK_WINDOW(window), 216, 0);
    gtk_window_set_default_size(GTK_WINDOW(window), 660, 300);
    layout = gtk_layout_new(nullptr, nullptr);
    gtk_container_add(GTK_CONTAINER(window), layout);
    put(gtk_button_new_with_label("OK"), {110, 140, 50, 30}, "");
    put(gtk_label_new("Enter 4 Digit  PIN"), {70, 30, 140, 50}, "prompt");
    guess = put(gtk_entry_new(), {90, 90, 90, 40}, "digits");
    gtk_entry_set_width_chars(GTK_ENTRY(guess), 0);
    g_signal_connect(guess, "activate", G_CALLBACK(miss), nullptr);
    put(gtk_frame_new(nullptr), {30, 20, 220, 240}, "");
    strikes = count_field({70, 210, 50, 40}, "Max. Stikes Counted is 9 - Watch for Hint");
    count_field({160, 210, 50, 40}, "Max. Balls Counted is 99");
    put(gtk_label_new("Strikes"), {70, 190, 60, 20}, "small");
    put(gtk_label_new("Balls"), {160, 190, 50, 20}, "small");
    message = put(gtk_label_new(""), {350, 230, 190, 40}, "small");
    GtkWidget* view = gtk_text_view_new();
    gtk_text_view_set_editable(GTK_TEXT_VIEW(view), FALSE);
    display = gtk_text_view_get_buffer(GTK_TEXT_VIEW(view));
    GtkWidget* scrolled = put(gtk_scrolled_window_new(nullptr, nullptr), {270, 30, 358, 185}, "display");
    gtk_container_add(GTK_CONTAINER(scrolled), view);
    put(gtk_button_new_with_label("About"), {550, 230, 80, 40}, "about");
    g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), nullptr);
    gtk_widget_show_all(window);
    gtk_main();
    return 0;
}
