// The rich-text editor: a multi-line rich edit control whose lines are the
// gadget's items. The game's display keeps the newest line on top by
// inserting each new line at position 0.
#include <richedit.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "toolkit/win32/internal.h"

namespace {

// WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP | ES_WANTRETURN
// | ES_NOHIDESEL | ES_AUTOHSCROLL | ES_AUTOVSCROLL | ES_MULTILINE
constexpr DWORD EDITOR_STYLE = 0x503111C4;
constexpr WPARAM LARGEST_TEXT_LIMIT = 0x7FFFFFFF;

// line_state: an empty line appended to an empty editor cannot show in the
// control's text, so it waits until the next append writes it out.
constexpr int32_t LINES_NORMAL = 0;
constexpr int32_t EMPTY_LINE_PENDING = 1;
constexpr int32_t EMPTY_LINE_WRITTEN = 2;

GadgetKind editor_kind;
bool editor_kind_ready;
bool rich_edit_20;             // "RICHED20.DLL" loaded (else the older library)
WNDPROC rich_edit_class_proc;  // shared by every editor

LRESULT send(GadgetRecord* record, UINT message, WPARAM wparam, LPARAM lparam) {
    return SendMessageA(record->handle, message, wparam, lparam);
}

// Editing work moves the selection; the control shows none of it.
void hide_selection(GadgetRecord* record) { send(record, EM_HIDESELECTION, 1, 0); }
void show_selection(GadgetRecord* record) { send(record, EM_HIDESELECTION, 0, 0); }

void select(GadgetRecord* record, LRESULT start, LRESULT end) {
    send(record, EM_SETSEL, static_cast<WPARAM>(start), end);
}

void replace_selection(GadgetRecord* record, const char* text) {
    send(record, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text));
}

// The first character of a line; -1 for a line that does not exist. A
// negative line would name the caret's line: it names none here.
LRESULT line_start(GadgetRecord* record, int line) {
    if (line < 0) return -1;
    return send(record, EM_LINEINDEX, static_cast<WPARAM>(line), 0);
}

LRESULT text_length(GadgetRecord* record) { return send(record, WM_GETTEXTLENGTH, 0, 0); }

int editor_add_item(GadgetRecord* record, int position, const char* text, intptr_t) {
    if (!text) text = "";
    // A line and its break go in as two replacements; the control repaints once,
    // after both, instead of after each.
    send(record, WM_SETREDRAW, FALSE, 0);
    hide_selection(record);
    const LRESULT start = position == -1 ? -1 : line_start(record, position);
    if (start != -1) {
        select(record, start, start);
        replace_selection(record, text);
        replace_selection(record, "\n");
    } else {
        const LRESULT length = text_length(record);
        select(record, length, length);
        if (record->editor.line_state == EMPTY_LINE_PENDING) {
            replace_selection(record, "\n");
            record->editor.line_state = EMPTY_LINE_WRITTEN;
        }
        if (length != 0)
            replace_selection(record, "\n");
        else if (text[0] == '\0' && record->editor.line_state == LINES_NORMAL)
            record->editor.line_state = EMPTY_LINE_PENDING;
        replace_selection(record, text);
    }
    show_selection(record);
    send(record, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(record->handle, nullptr, TRUE);
    return 0;
}

void editor_clear_items(GadgetRecord* record) {
    SetWindowTextA(record->handle, "");
    record->editor.line_state = LINES_NORMAL;
}

void editor_remove_item(GadgetRecord* record, int line) {
    const LRESULT start = line_start(record, line);
    if (start != -1) {  // selecting from -1 would empty the current selection instead
        hide_selection(record);
        select(record, start, line_start(record, line + 1));  // the last line: to the end
        replace_selection(record, "");
        show_selection(record);
    }
    // An empty text keeps no pending line, whichever line was named.
    if (text_length(record) == 0) record->editor.line_state = LINES_NORMAL;
}

int editor_count_items(GadgetRecord* record) {
    if (text_length(record) == 0 && record->editor.line_state == LINES_NORMAL) return 0;
    return static_cast<int>(send(record, EM_GETLINECOUNT, 0, 0));
}

std::string editor_get_text(GadgetRecord* record) {
    const int length = GetWindowTextLengthA(record->handle);
    if (length <= 0) return {};
    std::string text(static_cast<size_t>(length) + 1, '\0');
    GetWindowTextA(record->handle, text.data(), length + 1);
    text.resize(std::char_traits<char>::length(text.c_str()));
    return text;
}

void editor_set_text(GadgetRecord* record, const char* text) {
    if (!text || !text[0]) {
        editor_clear_items(record);
        return;
    }
    SetWindowTextA(record->handle, text);
}

std::string editor_get_item_text(GadgetRecord* record, int line, intptr_t) {
    const LRESULT start = line_start(record, line);
    if (start == -1) return {};
    const LRESULT length = send(record, EM_LINELENGTH, static_cast<WPARAM>(start), 0);
    if (length <= 0) return {};
    const size_t size = static_cast<size_t>(length) + 3;
    std::string buffer(size, '\0');
    size_t count = 0;
    if (size <= 0xFFFF) {
        // EM_GETLINE reads the buffer's size from its first 16-bit word.
        const WORD word = static_cast<WORD>(size);
        std::memcpy(buffer.data(), &word, sizeof word);
        count = static_cast<size_t>(
            send(record, EM_GETLINE, static_cast<WPARAM>(line), reinterpret_cast<LPARAM>(buffer.data())));
    } else {
        // A line too long for that word is read as a range of the text.
        TEXTRANGEA range{};
        range.chrg.cpMin = static_cast<LONG>(start);
        range.chrg.cpMax = static_cast<LONG>(start + length);
        range.lpstrText = buffer.data();
        count = static_cast<size_t>(send(record, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range)));
    }
    if (count > size) count = size;
    buffer.resize(count);
    // The line's break is not part of its text.
    if (!buffer.empty() && buffer.back() == '\n') buffer.pop_back();
    if (!buffer.empty() && buffer.back() == '\r') buffer.pop_back();
    return buffer;
}

void editor_set_item_text(GadgetRecord* record, int line, const char* text, intptr_t) {
    const LRESULT start = line_start(record, line);
    if (start == -1) return;  // selecting from -1 would overwrite the current selection instead
    hide_selection(record);
    const LRESULT length = send(record, EM_LINELENGTH, static_cast<WPARAM>(start), 0);
    select(record, start, start + length);
    replace_selection(record, text ? text : "");
    show_selection(record);
}

int editor_get_attribute(GadgetRecord* record, int attribute) {
    if (attribute != ATTRIBUTE_READ_ONLY) return 0;
    return (send(record, EM_GETOPTIONS, 0, 0) & ECO_READONLY) ? 1 : 0;
}

void editor_set_attribute(GadgetRecord* record, int attribute, int value) {
    if (attribute == ATTRIBUTE_READ_ONLY) send(record, EM_SETREADONLY, value ? 1 : 0, 0);
}

void editor_set_colour(GadgetRecord* record, int which, int32_t colour) {
    if (which == COLOUR_BACK) {
        if (colour == -1)
            send(record, EM_SETBKGNDCOLOR, 1, 0);
        else
            send(record, EM_SETBKGNDCOLOR, 0, static_cast<LPARAM>(colour));
        record->editor.back_colour = colour;
    } else if (which == COLOUR_FRONT) {
        CHARFORMATA format{};
        static_assert(sizeof format == 60, "the character format the control expects");
        format.cbSize = sizeof format;
        format.dwMask = CFM_COLOR;
        format.dwEffects = colour == -1 ? CFE_AUTOCOLOR : 0;
        format.crTextColor = static_cast<COLORREF>(colour);
        send(record, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));
        send(record, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
        record->editor.front_colour = colour;
    }
}

int32_t editor_get_colour(GadgetRecord* record, int which) {
    if (which == COLOUR_BACK) return record->editor.back_colour;
    if (which == COLOUR_FRONT) return record->editor.front_colour;
    return -1;
}

void editor_set_up(GadgetRecord* record, HWND control) {
    record->editor.front_colour = -1;
    record->editor.back_colour = -1;
    // The largest text limit. Given as -1 some rich edit controls take it for a
    // negative limit and refuse every typed character.
    SendMessageA(control, EM_LIMITTEXT, LARGEST_TEXT_LIMIT, 0);
    rich_edit_class_proc =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(editor_proc)));
    flush_messages();
}

void load_rich_text_library() {
    rich_edit_20 = LoadLibraryA("RICHED20.DLL") != nullptr;
    if (!rich_edit_20) LoadLibraryA("RICHED32.DLL");
}

}  // namespace

LRESULT CALLBACK editor_proc(HWND control, UINT message, WPARAM wparam, LPARAM lparam) {
    const LRESULT result = CallWindowProcA(rich_edit_class_proc, control, message, wparam, lparam);
    if (message != WM_SETFONT) return result;
    // A font change resets the text colour: put the gadget's own back.
    const LONG_PTR id = GetWindowLongPtrA(control, GWLP_ID);
    // A registered gadget: its record names this control under its control ID.
    GadgetRecord* record = find_gadget(static_cast<int>(id));
    if (record && record->handle == control) editor_set_colour(record, COLOUR_FRONT, record->editor.front_colour);
    return 0;
}

void fill_editor_kind(GadgetKind* kind) {
    kind->kind_code = KIND_EDITOR;               // 0
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
    kind->set_colour = editor_set_colour;        // 30
    kind->get_colour = editor_get_colour;        // 31
}

intptr_t create_editor(int number, int x, int y, int width, int height, uint32_t flags) {
    // The first editor loads the rich-text library; it stays loaded.
    if (!editor_kind_ready) load_rich_text_library();
    GadgetCreation creation{};
    creation.number = number;
    creation.kind = &editor_kind;
    creation.kind_ready = &editor_kind_ready;
    creation.fill_kind = fill_editor_kind;
    creation.ex_style = WS_EX_CLIENTEDGE;
    creation.class_name = rich_edit_20 ? "RichEdit20A" : "RichEdit";
    creation.text = nullptr;
    creation.style = EDITOR_STYLE | flags;
    creation.x = x, creation.y = y, creation.width = width, creation.height = height;
    creation.set_up = editor_set_up;
    return create_gadget(creation);
}
