// Static text labels, in the colours their client gives them.
#include "toolkit/win32/internal.h"

#include <cstdint>

namespace {

// WS_CHILD | WS_VISIBLE | WS_GROUP
constexpr DWORD LABEL_STYLE = 0x50020000;

GadgetKind label_kind;
bool label_kind_ready;

LRESULT label_on_message(GadgetRecord* record, HWND, UINT message, WPARAM wparam, LPARAM) {
    if (message != WM_CTLCOLORSTATIC) return NOT_HANDLED;
    return paint_colours(record, reinterpret_cast<HDC>(wparam), COLOR_BTNFACE);
}

void label_set_up(GadgetRecord* record, HWND) {
    record->paint.front_colour = -1;
    record->paint.back_colour = -1;
}

}  // namespace

void fill_label_kind(GadgetKind* kind) {
    kind->kind_code = KIND_LABEL;         // 0
    kind->on_message = label_on_message;  // 2
    kind->on_free = release_paint_brush;  // 3
    kind->set_colour = set_paint_colour;  // 30
    kind->get_colour = get_paint_colour;  // 31
}

intptr_t create_label(int number, int x, int y, int width, int height, const char* text, uint32_t flags) {
    GadgetCreation creation{};
    creation.number = number;
    creation.kind = &label_kind;
    creation.kind_ready = &label_kind_ready;
    creation.fill_kind = fill_label_kind;
    creation.ex_style = (flags & LABEL_BORDER) ? WS_EX_CLIENTEDGE : 0;
    creation.class_name = "Static";
    creation.text = text ? text : "";
    creation.style = LABEL_STYLE | flags;
    creation.x = x, creation.y = y, creation.width = width, creation.height = height;
    creation.set_up = label_set_up;
    return create_gadget(creation);
}
