// The rich-text editor in a page: a text area whose lines are the gadget's
// items. The game's display keeps the newest line on top by inserting each
// new line at position 0; a font given to it re-fonts every line, as the
// Win32 rich-text control does. The lines are read from the page and written
// back whole: the page holds the text, this file its lines' rules.
#include <cstddef>
#include <cstdint>
#include <string>

#include "toolkit/web/internal.h"

namespace {

// line_state: an empty line appended to an empty editor cannot show in the
// text, so it waits until the next append writes it out.
constexpr int32_t LINES_NORMAL = 0;
constexpr int32_t EMPTY_LINE_PENDING = 1;
constexpr int32_t EMPTY_LINE_WRITTEN = 2;

GadgetKind editor_kind;
bool editor_kind_ready;

// The toolkit's lines end in "\r\n" (or a lone "\r" or "\n"); the text area's in "\n".
std::string area_text(const char* text) {
    std::string out;
    for (const char* c = text; *c; ++c) {
        if (*c != '\r') {
            out += *c;
        } else {
            out += '\n';
            if (c[1] == '\n') ++c;
        }
    }
    return out;
}

std::string toolkit_text(const std::string& lines) {
    std::string out;
    for (const char c : lines) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

std::string read(const GadgetRecord* record) { return element_text(record->handle); }

void write(const GadgetRecord* record, const std::string& text) {
    tk_set_text(static_cast<int>(record->handle), text.c_str());
}

int line_count(const std::string& text) {
    int lines = 1;
    for (const char c : text) lines += c == '\n';
    return lines;
}

// Where the line starts in the text; the text's length past the last line.
size_t line_start(const std::string& text, int line) {
    size_t at = 0;
    for (int i = 0; i < line && at != std::string::npos; ++i) {
        at = text.find('\n', at);
        if (at != std::string::npos) ++at;
    }
    return at == std::string::npos ? text.size() : at;
}

// The line's length, without its line break.
size_t line_length(const std::string& text, size_t start) {
    const size_t end = text.find('\n', start);
    return (end == std::string::npos ? text.size() : end) - start;
}

bool line_exists(const std::string& text, int line) { return line >= 0 && line < line_count(text); }

int editor_add_item(GadgetRecord* record, int position, const char* text) {
    std::string lines = read(record);
    const std::string line = area_text(text);
    if (line_exists(lines, position)) {
        // The text becomes line `position` and the old line moves down.
        lines.insert(line_start(lines, position), line + "\n");
        write(record, lines);
        return 0;
    }
    const bool empty = lines.empty();
    if (record->line_state == EMPTY_LINE_PENDING) {
        lines += '\n';
        record->line_state = EMPTY_LINE_WRITTEN;
    }
    if (!empty)
        lines += '\n';
    else if (line.empty() && record->line_state == LINES_NORMAL)
        record->line_state = EMPTY_LINE_PENDING;
    write(record, lines + line);
    return 0;
}

void editor_clear_items(GadgetRecord* record) {
    write(record, "");
    record->line_state = LINES_NORMAL;
}

void editor_remove_item(GadgetRecord* record, int line) {
    std::string lines = read(record);
    if (line_exists(lines, line)) {
        const size_t start = line_start(lines, line);
        // The last line goes to the end; the break before it stays.
        const size_t next = line + 1 < line_count(lines) ? line_start(lines, line + 1) : lines.size();
        lines.erase(start, next - start);
        write(record, lines);
    }
    // An empty text keeps no pending line, whichever line was named.
    if (lines.empty()) record->line_state = LINES_NORMAL;
}

int editor_count_items(GadgetRecord* record) {
    const std::string lines = read(record);
    if (lines.empty() && record->line_state == LINES_NORMAL) return 0;
    return line_count(lines);
}

std::string editor_get_text(GadgetRecord* record) { return toolkit_text(read(record)); }

void editor_set_text(GadgetRecord* record, const char* text) {
    if (!text[0]) {
        editor_clear_items(record);
        return;
    }
    write(record, area_text(text));  // shown from its top (toolkit.js)
}

std::string editor_get_item_text(GadgetRecord* record, int line) {
    const std::string lines = read(record);
    if (!line_exists(lines, line)) return {};
    const size_t start = line_start(lines, line);
    return lines.substr(start, line_length(lines, start));
}

void editor_set_item_text(GadgetRecord* record, int line, const char* text) {
    std::string lines = read(record);
    if (!line_exists(lines, line)) return;
    const size_t start = line_start(lines, line);
    lines.replace(start, line_length(lines, start), area_text(text));
    write(record, lines);
}

int editor_get_attribute(GadgetRecord* record, int attribute) {
    if (attribute != ATTRIBUTE_READ_ONLY) return 0;
    return tk_get_flag(static_cast<int>(record->handle), FLAG_READ_ONLY);
}

// A read-only text keeps its caret, as the Win32 control does: the arrow keys
// walk its lines, and a screen reader reads each line the caret reaches.
void editor_set_attribute(GadgetRecord* record, int attribute, int value) {
    if (attribute == ATTRIBUTE_READ_ONLY) tk_set_flag(static_cast<int>(record->handle), FLAG_READ_ONLY, value != 0);
}

}  // namespace

void fill_editor_kind(GadgetKind* kind) {
    kind->kind_code = KIND_EDITOR;
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
    kind->coloured = true;                       // 30, 31
}

// Lines are not wrapped: a long one scrolls across, as in the Win32 control.
intptr_t create_editor(int number, int x, int y, int width, int height, uint32_t flags) {
    return create_gadget(
        GadgetCreation{number, &editor_kind, &editor_kind_ready, fill_editor_kind, x, y, width, height, "", flags});
}
