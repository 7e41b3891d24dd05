// Single-line input fields. Besides the edit control's own notifications they
// tell their window when they gain or lose the keyboard focus.
#include "toolkit/win32/internal.h"

#include <cstdint>

namespace {

// WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP | ES_AUTOHSCROLL
constexpr DWORD INPUT_STYLE = 0x50030080;

GadgetKind input_kind;
bool input_kind_ready;
WNDPROC edit_class_proc;  // shared by every input: they are all of the edit class

LRESULT input_on_message(GadgetRecord* record, HWND, UINT message, WPARAM wparam, LPARAM) {
    // A read-only input asks with WM_CTLCOLORSTATIC; a disabled one keeps the
    // platform's colours.
    const bool handled =
        message == WM_CTLCOLOREDIT || (message == WM_CTLCOLORSTATIC && IsWindowEnabled(record->handle));
    if (!handled) return NOT_HANDLED;
    return paint_colours(record, reinterpret_cast<HDC>(wparam), COLOR_BTNHIGHLIGHT);
}

void input_set_up(GadgetRecord* record, HWND control) {
    edit_class_proc =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(input_proc)));
    record->paint.front_colour = -1;
    record->paint.back_colour = -1;
}

}  // namespace

LRESULT CALLBACK input_proc(HWND control, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_SETFOCUS || message == WM_KILLFOCUS) {
        const LPARAM type = message == WM_SETFOCUS ? TYPE_FOCUS_GAINED : TYPE_FOCUS_LOST;
        PostMessageA(owner_window(control), MSG_GADGET_EVENT, static_cast<WPARAM>(GetWindowLongPtrA(control, GWLP_ID)),
                     type);
    }
    return CallWindowProcA(edit_class_proc, control, message, wparam, lparam);
}

void fill_input_kind(GadgetKind* kind) {
    kind->kind_code = KIND_INPUT;         // 0
    kind->on_message = input_on_message;  // 2
    kind->on_free = release_paint_brush;  // 3
    kind->set_colour = set_paint_colour;  // 30
    kind->get_colour = get_paint_colour;  // 31
}

intptr_t create_input(int number, int x, int y, int width, int height, const char* text, uint32_t flags) {
    GadgetCreation creation{};
    creation.number = number;
    creation.kind = &input_kind;
    creation.kind_ready = &input_kind_ready;
    creation.fill_kind = fill_input_kind;
    creation.ex_style = (flags & INPUT_NO_BORDER) ? 0 : WS_EX_CLIENTEDGE;
    creation.class_name = "Edit";
    creation.text = text ? text : "";
    creation.style = INPUT_STYLE | flags;
    creation.x = x, creation.y = y, creation.width = width, creation.height = height;
    creation.set_up = input_set_up;
    return create_gadget(creation);
}
