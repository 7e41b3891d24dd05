// Push buttons (and the check boxes and radio buttons their flags can make).
#include "toolkit/win32/internal.h"

#include <cstdint>

namespace {

// WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP
constexpr DWORD BUTTON_STYLE = 0x50030000;

GadgetKind button_kind;
bool button_kind_ready;

int button_get_state(GadgetRecord* record) {
    return static_cast<int>(SendMessageA(record->handle, BM_GETCHECK, 0, 0) & 1);
}

void button_set_state(GadgetRecord* record, int state) {
    SendMessageA(record->handle, BM_SETCHECK, state ? BST_CHECKED : BST_UNCHECKED, 0);
}

}  // namespace

void fill_button_kind(GadgetKind* kind) {
    kind->kind_code = KIND_BUTTON;       // 0
    kind->get_state = button_get_state;  // 4
    kind->set_state = button_set_state;  // 5
}

intptr_t create_button(int number, int x, int y, int width, int height, const char* text, uint32_t flags) {
    GadgetCreation creation{};
    creation.number = number;
    creation.kind = &button_kind;
    creation.kind_ready = &button_kind_ready;
    creation.fill_kind = fill_button_kind;
    creation.class_name = "Button";
    creation.text = text ? text : "";
    creation.style = BUTTON_STYLE | flags;
    creation.x = x, creation.y = y, creation.width = width, creation.height = height;
    return create_gadget(creation);
}
