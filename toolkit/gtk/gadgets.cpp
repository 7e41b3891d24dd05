// What every gadget shares on GTK: creation under a number, the clean-up when
// its widget goes, its own style (font and colours), the texts' encoding, and
// the public operations that reach a kind's handlers.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "toolkit/gtk/internal.h"

namespace {

const char* text_or_empty(const char* text) { return text ? text : ""; }

// A face name as a CSS string: quotes and backslashes escaped, control
// characters left out.
std::string css_string(const char* text) {
    std::string quoted = "\"";
    for (const char* c = text; *c; ++c) {
        if (static_cast<unsigned char>(*c) < 0x20) continue;
        if (*c == '"' || *c == '\\') quoted += '\\';
        quoted += *c;
    }
    return quoted + "\"";
}

std::string css_colour(int32_t colour) {
    char text[8];
    (void)std::snprintf(text, sizeof text, "#%02x%02x%02x", colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
    return text;
}

// A length in pixels at the display's scale turned into one at a window's,
// as Win32 scales its fonts for a window laid out below the display's scale.
double at_window_scale(double pixels, int dpi) {
    const int display = display_dpi();
    return dpi == display ? pixels : std::round(pixels * dpi / display);
}

std::string css_number(double value) {
    // A style sheet's numbers take a point whatever the player's language
    // writes: snprintf would write "24,00" under a German locale.
    char text[G_ASCII_DTOSTR_BUF_SIZE];
    return g_ascii_formatd(text, sizeof text, "%.2f", value);
}

// The gadget's font at the scale `dpi` of its window. Without a font of its
// own the theme's is shrunk there as the window is.
std::string font_css(const GadgetRecord* record, int dpi) {
    const PangoFontDescription* font = record->font;
    if (!font)
        return dpi < display_dpi() ? "font-size: " + css_number(100.0 * dpi / display_dpi()) + "%;" : std::string();
    std::string css;
    if (const char* family = pango_font_description_get_family(font)) css += "font-family: " + css_string(family) + ";";
    const double pixels = record->font_points
                              ? font_pixels(record->font_points, display_dpi())
                              : static_cast<double>(pango_font_description_get_size(font)) / PANGO_SCALE;
    css += "font-size: " + css_number(at_window_scale(pixels, dpi)) + "px;";
    css += pango_font_description_get_weight(font) >= PANGO_WEIGHT_BOLD ? "font-weight: bold;" : "font-weight: normal;";
    css += pango_font_description_get_style(font) == PANGO_STYLE_ITALIC ? "font-style: italic;" : "font-style: normal;";
    if (record->font_flags & (FONT_UNDERLINE | FONT_STRIKEOUT)) {
        css += "text-decoration-line:";
        if (record->font_flags & FONT_UNDERLINE) css += " underline";
        if (record->font_flags & FONT_STRIKEOUT) css += " line-through";
        css += ";";
    }
    return css;
}

// The gadget's widget is going: its record goes with it.
void on_destroy(GtkWidget* widget, gpointer number) {
    GadgetRecord* record = find_gadget(GPOINTER_TO_INT(number));
    if (!record || record->handle != widget) return;
    if (record->kind->on_free) record->kind->on_free(record);
    if (record->style) g_object_unref(record->style);
    if (record->font) pango_font_description_free(record->font);
    objects_release(toolkit.gadgets, GPOINTER_TO_INT(number));
}

void give_font(GadgetRecord* record, const PangoFontDescription* font, uint32_t flags, int points) {
    if (record->font) pango_font_description_free(record->font);
    record->font = font ? pango_font_description_copy(font) : nullptr;
    record->font_flags = font ? flags : 0;
    record->font_points = font ? points : 0;
    restyle(record);
}

}  // namespace

// ---- Texts -----------------------------------------------------------------------------

std::string to_utf8(const char* text) {
    std::string out;
    for (const char* c = text_or_empty(text); *c; ++c) {
        const auto byte = static_cast<unsigned char>(*c);
        if (byte < 0x80) {
            out += *c;
        } else {
            out += static_cast<char>(0xC0 | (byte >> 6));
            out += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return out;
}

std::string from_utf8(const char* text) {
    std::string out;
    // A character beyond Latin-1 reads as '?', as a Windows program's
    // single-byte text shows a character its code page lacks.
    for (const char* c = text_or_empty(text); *c; c = g_utf8_next_char(c)) {
        const gunichar character = g_utf8_get_char_validated(c, -1);
        out += character < 0x100 ? static_cast<char>(character) : '?';
        if (character == static_cast<gunichar>(-1) || character == static_cast<gunichar>(-2)) break;
    }
    return out;
}

// ---- Creation and registration -------------------------------------------------

intptr_t create_gadget(const GadgetCreation& creation) {
    GadgetContext* context = gadget_context();
    int window = -1;
    const WindowRecord* parent = context ? numbered_window(context->parent, &window) : nullptr;
    // Units of 1/96 inch, placed in pixels at the scale of the parent's window.
    Placement place{creation.x, creation.y, creation.width, creation.height};
    if (!parent || !toolkit.gadgets || !to_pixels(parent->dpi, &place)) {
        g_object_ref_sink(creation.widget);  // the widget nobody took
        g_object_unref(creation.widget);
        return 0;
    }
    if (!*creation.kind_ready) {
        *creation.kind = GadgetKind{};
        creation.fill_kind(creation.kind);
        *creation.kind_ready = true;
    }
    GtkWidget* layout = parent->layout;
    auto* record = static_cast<GadgetRecord*>(objects_slot(toolkit.gadgets, creation.number));
    if (!record) {
        g_object_ref_sink(creation.widget);
        g_object_unref(creation.widget);
        return 0;
    }
    const bool anonymous = creation.number == -1;
    const int number = anonymous ? objects_number_of(toolkit.gadgets, record) : creation.number;
    record->handle = creation.widget;
    record->body = creation.body ? creation.body : creation.widget;
    record->kind = creation.kind;
    record->number = number;
    record->back_colour = -1;
    record->front_colour = -1;
    record->place = Placement{creation.x, creation.y, creation.width, creation.height};
    gtk_widget_set_size_request(creation.widget, place.width, place.height);
    gtk_layout_put(GTK_LAYOUT(layout), creation.widget, place.x, place.y);
    g_signal_connect(creation.widget, "destroy", G_CALLBACK(on_destroy), GINT_TO_POINTER(number));
    if (creation.kind->connect) creation.kind->connect(record, number);
    // Written left to right at the places given, as the Win32 gadgets are,
    // whichever way the player's language writes.
    gtk_widget_set_direction(creation.widget, GTK_TEXT_DIR_LTR);
    gtk_widget_set_direction(record->body, GTK_TEXT_DIR_LTR);
    if (context->default_font)
        give_font(record, context->default_font, 0, context->default_points);
    else if (parent->dpi < display_dpi())
        restyle(record);  // the theme's font at the window's scale
    gtk_widget_show_all(creation.widget);
    return anonymous ? number : reinterpret_cast<intptr_t>(creation.widget);
}

int free_gadget(int number) {
    GadgetRecord* record = find_gadget(number);
    if (!record) return 0;
    gtk_widget_destroy(record->handle);  // its clean-up empties the slot
    return 1;
}

GadgetRecord* find_gadget(int number) {
    if (!toolkit.gadgets) return nullptr;
    return static_cast<GadgetRecord*>(objects_find(toolkit.gadgets, number));
}

GadgetRecord* gadget_of_widget(GtkWidget* widget, int* number) {
    if (!widget || !toolkit.gadgets) return nullptr;
    return static_cast<GadgetRecord*>(objects_search(toolkit.gadgets, reinterpret_cast<uintptr_t>(widget), number));
}

void default_resize(GadgetRecord* record, int x, int y, int width, int height) {
    GtkWidget* layout = gtk_widget_get_parent(record->handle);
    int left = 0;
    int top = 0;
    int across = 0;
    int down = 0;
    gtk_container_child_get(GTK_CONTAINER(layout), record->handle, "x", &left, "y", &top, nullptr);
    gtk_widget_get_size_request(record->handle, &across, &down);
    gtk_layout_move(GTK_LAYOUT(layout), record->handle, x == KEEP_VALUE ? left : x, y == KEEP_VALUE ? top : y);
    gtk_widget_set_size_request(record->handle, width == KEEP_VALUE ? across : width,
                                height == KEEP_VALUE ? down : height);
}

// ---- Style: the gadget's own font and colours --------------------------------------

void restyle(GadgetRecord* record) {
    const WindowRecord* window = find_window_record(window_number_of(record->handle));
    std::string css = "* {" + font_css(record, window ? window->dpi : display_dpi()) + "}";
    if (const char* node = record->kind->colour_node) {
        css += node;
        css += " {";
        if (record->front_colour != -1) css += "color: " + css_colour(record->front_colour) + ";";
        if (record->back_colour != -1)
            css += "background-color: " + css_colour(record->back_colour) + "; background-image: none;";
        css += "}";
    }
    if (!record->style) {
        record->style = gtk_css_provider_new();
        // Above the application's sizes, below a user's own style sheet.
        gtk_style_context_add_provider(gtk_widget_get_style_context(record->body), GTK_STYLE_PROVIDER(record->style),
                                       GTK_STYLE_PROVIDER_PRIORITY_APPLICATION + 1);
    }
    gtk_css_provider_load_from_data(record->style, css.c_str(), -1, nullptr);
}

void replace_gadget(GadgetRecord* record, int dpi) {
    Placement place = record->place;
    // A rectangle out of reach at the new scale stays where it stood.
    if (to_pixels(dpi, &place)) default_resize(record, place.x, place.y, place.width, place.height);
    restyle(record);
}

void set_style_colour(GadgetRecord* record, int which, int32_t colour) {
    if (which == COLOUR_FRONT)
        record->front_colour = colour;
    else if (which == COLOUR_BACK)
        record->back_colour = colour;
    else
        return;
    restyle(record);
}

int32_t get_style_colour(GadgetRecord* record, int which) {
    if (which == COLOUR_FRONT) return record->front_colour;
    if (which == COLOUR_BACK) return record->back_colour;
    return -1;
}

// ---- Public operations ---------------------------------------------------------------

GtkWidget* gadget_handle(int number) {
    GadgetRecord* record = find_gadget(number);
    return record ? record->handle : nullptr;
}

int set_gadget_text(int number, const char* text) {
    GadgetRecord* record = find_gadget(number);
    if (!record || !record->kind->set_text) return 0;
    record->kind->set_text(record, text_or_empty(text));
    tell_live_write(record, text_or_empty(text), 0);
    return 1;
}

std::string get_gadget_text(int number) {
    GadgetRecord* record = find_gadget(number);
    if (!record || !record->kind->get_text) return {};
    return record->kind->get_text(record);
}

int add_gadget_item(int number, int position, const char* text) {
    GadgetRecord* record = find_gadget(number);
    if (!record || !record->kind->add_item) return 0;
    // The line it becomes: the one it is put before, or a new last line.
    const int lines = record->kind->count_items ? record->kind->count_items(record) : 0;
    const int added = record->kind->add_item(record, position, text_or_empty(text), 0);
    tell_live_write(record, text_or_empty(text), position >= 0 && position < lines ? position : lines);
    return added;
}

intptr_t set_gadget_font(int number, PangoFontDescription* font) {
    // The toolkit default font is the theme's.
    if (font == DEFAULT_GADGET_FONT) font = nullptr;
    int font_number = 0;
    const auto* known =
        static_cast<FontRecord*>(objects_search(toolkit.fonts, reinterpret_cast<uintptr_t>(font), &font_number));
    // A description the toolkit did not make is taken as it stands.
    const uint32_t flags = known ? known->flags : 0;
    const int points = known ? known->points : 0;
    if (number == -1) {
        GadgetContext* context = gadget_context();
        if (!context) return 0;
        if (context->default_font) pango_font_description_free(context->default_font);
        context->default_font = font ? pango_font_description_copy(font) : nullptr;
        context->default_points = points;
        return 1;
    }
    GadgetRecord* record = find_gadget(number);
    if (!record) return 0;
    give_font(record, font, flags, points);
    // As WM_SETFONT answers.
    return 0;
}

int set_gadget_colour(int number, int which, int32_t colour) {
    GadgetRecord* record = find_gadget(number);
    if (!record || !record->kind->set_colour) return 0;
    record->kind->set_colour(record, which, colour);
    return 1;
}

int32_t get_gadget_colour(int number, int which) {
    GadgetRecord* record = find_gadget(number);
    if (!record) return 0;
    // A kind without colours of its own draws in the theme's colours.
    if (!record->kind->get_colour) return -1;
    return record->kind->get_colour(record, which);
}

int get_gadget_state(int number) {
    GadgetRecord* record = find_gadget(number);
    if (!record || !record->kind->get_state) return 0;
    return record->kind->get_state(record);
}

int set_gadget_state(int number, int state) {
    GadgetRecord* record = find_gadget(number);
    if (!record || !record->kind->set_state) return 0;
    record->kind->set_state(record, state);
    return 1;
}

int remove_gadget_item(int number, int line) {
    GadgetRecord* record = find_gadget(number);
    if (!record || !record->kind->remove_item) return 0;
    record->kind->remove_item(record, line);
    return 1;
}

int clear_gadget_items(int number) {
    GadgetRecord* record = find_gadget(number);
    if (!record || !record->kind->clear_items) return 0;
    record->kind->clear_items(record);
    return 1;
}

int resize_gadget(int number, int x, int y, int width, int height) {
    GadgetRecord* record = find_gadget(number);
    if (!record) return 0;
    // Units of 1/96 inch, like the creators'; the kinds' handlers take pixels.
    const WindowRecord* window = find_window_record(window_number_of(record->handle));
    Placement place{x, y, width, height};
    if (!to_pixels(window ? window->dpi : display_dpi(), &place)) return 0;
    const Placement& was = record->place;
    record->place = Placement{x == KEEP_VALUE ? was.x : x, y == KEEP_VALUE ? was.y : y,
                              width == KEEP_VALUE ? was.width : width, height == KEEP_VALUE ? was.height : height};
    if (record->kind->resize)
        record->kind->resize(record, place.x, place.y, place.width, place.height);
    else
        default_resize(record, place.x, place.y, place.width, place.height);
    return 1;
}

int count_gadget_items(int number) {
    GadgetRecord* record = find_gadget(number);
    if (!record || !record->kind->count_items) return 0;
    return record->kind->count_items(record);
}

std::string get_gadget_item_text(int number, int line) {
    GadgetRecord* record = find_gadget(number);
    if (!record || !record->kind->get_item_text) return {};
    return record->kind->get_item_text(record, line, 0);
}

int set_gadget_item_text(int number, int line, const char* text) {
    GadgetRecord* record = find_gadget(number);
    if (!record || !record->kind->set_item_text) return 0;
    const bool exists = line >= 0 && record->kind->count_items && line < record->kind->count_items(record);
    record->kind->set_item_text(record, line, text_or_empty(text), 0);
    if (exists) tell_live_write(record, text_or_empty(text), line);
    return 1;
}

int get_gadget_attribute(int number, int attribute) {
    GadgetRecord* record = find_gadget(number);
    if (!record || !record->kind->get_attribute) return 0;
    return record->kind->get_attribute(record, attribute);
}

int set_gadget_attribute(int number, int attribute, int value) {
    GadgetRecord* record = find_gadget(number);
    if (!record || !record->kind->set_attribute) return 0;
    record->kind->set_attribute(record, attribute, value);
    return 1;
}
