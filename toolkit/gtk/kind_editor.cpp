// The rich-text editor on GTK: a text view in a scrolled frame whose lines are
// the gadget's items. The game's display keeps the newest line on top by
// inserting each new line at position 0; a font given to it re-fonts every
// line, as the Win32 rich-text control does.
#include <cstdint>
#include <string>

#include "toolkit/gtk/internal.h"

namespace {

// line_state: an empty line appended to an empty editor cannot show in the
// text, so it waits until the next append writes it out.
constexpr int32_t LINES_NORMAL = 0;
constexpr int32_t EMPTY_LINE_PENDING = 1;
constexpr int32_t EMPTY_LINE_WRITTEN = 2;

GadgetKind editor_kind;
bool editor_kind_ready;

GtkTextBuffer* buffer_of(GadgetRecord* record) { return gtk_text_view_get_buffer(GTK_TEXT_VIEW(record->body)); }

// The toolkit's lines end in "\r\n" (or a lone "\r" or "\n"); the buffer's in "\n".
std::string buffer_text(const char* text) {
    std::string lines = to_utf8(text);
    std::string out;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i] != '\r') {
            out += lines[i];
        } else {
            out += '\n';
            if (i + 1 < lines.size() && lines[i + 1] == '\n') ++i;
        }
    }
    return out;
}

std::string toolkit_text(const GtkTextIter* start, const GtkTextIter* end) {
    gchar* text = gtk_text_iter_get_text(start, end);
    std::string lines;
    for (const char* c = text; *c; ++c) {
        if (*c == '\n') lines += '\r';
        lines += *c;
    }
    g_free(text);
    return from_utf8(lines.c_str());
}

int line_count(GadgetRecord* record) { return gtk_text_buffer_get_line_count(buffer_of(record)); }

bool line_exists(GadgetRecord* record, int line) { return line >= 0 && line < line_count(record); }

// The line's text, without its line break.
void line_bounds(GadgetRecord* record, int line, GtkTextIter* start, GtkTextIter* end) {
    gtk_text_buffer_get_iter_at_line(buffer_of(record), start, line);
    *end = *start;
    if (!gtk_text_iter_ends_line(end)) gtk_text_iter_forward_to_line_end(end);
}

void insert_at(GadgetRecord* record, GtkTextIter* at, const std::string& text) {
    gtk_text_buffer_insert(buffer_of(record), at, text.data(), static_cast<gint>(text.size()));
}

int editor_add_item(GadgetRecord* record, int position, const char* text, intptr_t) {
    GtkTextBuffer* buffer = buffer_of(record);
    const std::string line = buffer_text(text);
    GtkTextIter at;
    if (line_exists(record, position)) {
        // The text becomes line `position` and the old line moves down.
        gtk_text_buffer_get_iter_at_line(buffer, &at, position);
        insert_at(record, &at, line + "\n");
        return 0;
    }
    gtk_text_buffer_get_end_iter(buffer, &at);
    const bool empty = gtk_text_iter_get_offset(&at) == 0;
    if (record->line_state == EMPTY_LINE_PENDING) {
        insert_at(record, &at, "\n");
        record->line_state = EMPTY_LINE_WRITTEN;
    }
    if (!empty)
        insert_at(record, &at, "\n");
    else if (line.empty() && record->line_state == LINES_NORMAL)
        record->line_state = EMPTY_LINE_PENDING;
    insert_at(record, &at, line);
    return 0;
}

void editor_clear_items(GadgetRecord* record) {
    gtk_text_buffer_set_text(buffer_of(record), "", 0);
    record->line_state = LINES_NORMAL;
}

void editor_remove_item(GadgetRecord* record, int line) {
    if (line_exists(record, line)) {
        GtkTextIter start;
        GtkTextIter end;
        gtk_text_buffer_get_iter_at_line(buffer_of(record), &start, line);
        end = start;
        // The last line goes to the end; the break before it stays.
        if (!gtk_text_iter_forward_line(&end)) gtk_text_buffer_get_end_iter(buffer_of(record), &end);
        gtk_text_buffer_delete(buffer_of(record), &start, &end);
    }
    // An empty text keeps no pending line, whichever line was named.
    if (gtk_text_buffer_get_char_count(buffer_of(record)) == 0) record->line_state = LINES_NORMAL;
}

int editor_count_items(GadgetRecord* record) {
    if (gtk_text_buffer_get_char_count(buffer_of(record)) == 0 && record->line_state == LINES_NORMAL) return 0;
    return line_count(record);
}

std::string editor_get_text(GadgetRecord* record) {
    GtkTextIter start;
    GtkTextIter end;
    gtk_text_buffer_get_bounds(buffer_of(record), &start, &end);
    return toolkit_text(&start, &end);
}

void editor_set_text(GadgetRecord* record, const char* text) {
    if (!text || !text[0]) {
        editor_clear_items(record);
        return;
    }
    const std::string lines = buffer_text(text);
    gtk_text_buffer_set_text(buffer_of(record), lines.data(), static_cast<gint>(lines.size()));
    // The new text is shown from its top.
    GtkTextIter start;
    gtk_text_buffer_get_start_iter(buffer_of(record), &start);
    gtk_text_buffer_place_cursor(buffer_of(record), &start);
}

std::string editor_get_item_text(GadgetRecord* record, int line, intptr_t) {
    if (!line_exists(record, line)) return {};
    GtkTextIter start;
    GtkTextIter end;
    line_bounds(record, line, &start, &end);
    return toolkit_text(&start, &end);
}

void editor_set_item_text(GadgetRecord* record, int line, const char* text, intptr_t) {
    if (!line_exists(record, line)) return;
    GtkTextIter start;
    GtkTextIter end;
    line_bounds(record, line, &start, &end);
    gtk_text_buffer_delete(buffer_of(record), &start, &end);
    insert_at(record, &start, buffer_text(text));
}

int editor_get_attribute(GadgetRecord* record, int attribute) {
    if (attribute != ATTRIBUTE_READ_ONLY) return 0;
    return gtk_text_view_get_editable(GTK_TEXT_VIEW(record->body)) ? 0 : 1;
}

void set_read_only(GtkWidget* view, bool read_only) {
    // A read-only text keeps its caret, as the Win32 control does: the arrow
    // keys walk its lines, and a screen reader reads each line the caret
    // reaches. The caret blinks only while the text has the focus.
    gtk_text_view_set_editable(GTK_TEXT_VIEW(view), !read_only);
}

void editor_set_attribute(GadgetRecord* record, int attribute, int value) {
    if (attribute == ATTRIBUTE_READ_ONLY) set_read_only(record->body, value != 0);
}

}  // namespace

void fill_editor_kind(GadgetKind* kind) {
    kind->kind_code = KIND_EDITOR;
    kind->colour_node = "textview text";
    kind->tab_stop = true;
    kind->get_text = editor_get_text;            // 6
    kind->set_text = editor_set_text;            // 7
    kind->add_item = editor_add_item;            // 8
    kind->remove_item = editor_remove_item;      // 10
    kind->clear_items = editor_clear_items;      // 11
    kind->count_items = editor_count_items;      // 13
    kind->get_item_text = editor_get_item_text;  // 16
    kind->set_item_text = editor_set_item_text;  // 17
    kind->get_attribute = editor_get_attribute;  // 26
    kind->set_attribute = editor_set_attribute;  // 27
    kind->set_colour = set_style_colour;         // 30
    kind->get_colour = get_style_colour;         // 31
}

intptr_t create_editor(int number, int x, int y, int width, int height, uint32_t flags) {
    if (!toolkit.started) return 0;  // no widget before GTK has its display
    GtkWidget* frame = gtk_scrolled_window_new(nullptr, nullptr);
    gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(frame), GTK_SHADOW_IN);
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(frame), GTK_POLICY_AUTOMATIC, GTK_POLICY_AUTOMATIC);
    // The keyboard's focus lands on the text inside, which has the display's name, not on its pane.
    gtk_widget_set_can_focus(frame, FALSE);
    GtkWidget* view = gtk_text_view_new();
    // Lines are not wrapped: a long one scrolls across, as in the Win32 control.
    gtk_text_view_set_wrap_mode(GTK_TEXT_VIEW(view), GTK_WRAP_NONE);
    gtk_text_view_set_left_margin(GTK_TEXT_VIEW(view), 2);
    set_read_only(view, (flags & STYLE_READ_ONLY) != 0);
    gtk_container_add(GTK_CONTAINER(frame), view);
    GadgetCreation creation{};
    creation.number = number;
    creation.kind = &editor_kind;
    creation.kind_ready = &editor_kind_ready;
    creation.fill_kind = fill_editor_kind;
    creation.widget = frame;
    creation.body = view;
    creation.x = x, creation.y = y, creation.width = width, creation.height = height;
    return create_gadget(creation);
}
