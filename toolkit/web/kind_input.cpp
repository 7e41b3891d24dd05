// Single-line input fields in a page. Besides their text changes they tell
// their window when they gain or lose the keyboard focus, as the Win32 fields
// do (toolkit.js queues those events); a digits-only field takes digits alone,
// typed or pasted, and brings up a phone's numeric keyboard.
#include <cstdint>

#include "toolkit/web/internal.h"

namespace {

GadgetKind input_kind;
bool input_kind_ready;

std::string input_get_text(GadgetRecord* record) { return element_text(record->handle); }

// Every write the program makes raises the field's change, the same text
// written again too, as a Win32 edit control's does: the page says nothing then.
void input_set_text(GadgetRecord* record, const char* text) {
    tk_set_text(static_cast<int>(record->handle), text);
    raise_event(record, EVENT_GADGET, TYPE_TEXT_CHANGED);
}

}  // namespace

void fill_input_kind(GadgetKind* kind) {
    kind->kind_code = KIND_INPUT;
    kind->get_text = input_get_text;  // 6
    kind->set_text = input_set_text;  // 7
    kind->coloured = true;            // 30, 31
}

intptr_t create_input(int number, int x, int y, int width, int height, const char* text, uint32_t flags) {
    return create_gadget(
        GadgetCreation{number, &input_kind, &input_kind_ready, fill_input_kind, x, y, width, height, text, flags});
}
