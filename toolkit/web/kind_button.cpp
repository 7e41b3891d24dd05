// Push buttons in a page (and the check boxes and radio buttons their flags can make).
#include <cstdint>

#include "toolkit/web/internal.h"

namespace {

GadgetKind button_kind;
bool button_kind_ready;

int button_get_state(GadgetRecord* record) { return tk_get_flag(static_cast<int>(record->handle), FLAG_CHECKED); }

void button_set_state(GadgetRecord* record, int state) {
    tk_set_flag(static_cast<int>(record->handle), FLAG_CHECKED, state != 0);
}

std::string button_get_text(GadgetRecord* record) { return element_text(record->handle); }

void button_set_text(GadgetRecord* record, const char* text) { tk_set_text(static_cast<int>(record->handle), text); }

}  // namespace

void fill_button_kind(GadgetKind* kind) {
    kind->kind_code = KIND_BUTTON;
    kind->get_state = button_get_state;  // 4
    kind->set_state = button_set_state;  // 5
    kind->get_text = button_get_text;    // 6
    kind->set_text = button_set_text;    // 7
}

// A click raises the gadget's event in the page (toolkit.js): what BN_CLICKED is.
intptr_t create_button(int number, int x, int y, int width, int height, const char* text, uint32_t flags) {
    return create_gadget(
        GadgetCreation{number, &button_kind, &button_kind_ready, fill_button_kind, x, y, width, height, text, flags});
}
