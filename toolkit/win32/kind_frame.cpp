// Frames: a group box with a caption (type 0), or a bare border (types 1, 2 and
// others) that never paints its interior, so the gadgets inside it show.
#include "toolkit/win32/internal.h"

#include <cstdint>

namespace {

// WS_CHILD | WS_VISIBLE | WS_GROUP | BS_GROUPBOX
constexpr DWORD GROUP_BOX_STYLE = 0x50020007;
// WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_GROUP | SS_CENTER
constexpr DWORD BORDER_STYLE = 0x54020001;
// ... | WS_BORDER
constexpr DWORD PLAIN_BORDER_STYLE = 0x54820001;

GadgetKind frame_kind;
bool frame_kind_ready;
WNDPROC static_class_proc;  // shared by every border frame

// The frame leaves its interior to the parent: repaint what lies under it.
void frame_resize(GadgetRecord* record, int x, int y, int width, int height) {
    default_resize(record, x, y, width, height);
    HWND parent = GetParent(record->handle);
    RECT rect{};
    GetWindowRect(record->handle, &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    InvalidateRect(parent, &rect, TRUE);
}

void border_set_up(GadgetRecord*, HWND control) {
    static_class_proc =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(frame_proc)));
}

}  // namespace

LRESULT CALLBACK frame_proc(HWND control, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_PAINT) {
        ValidateRect(control, nullptr);
        return 0;
    }
    return CallWindowProcA(static_class_proc, control, message, wparam, lparam);
}

void fill_frame_kind(GadgetKind* kind) {
    kind->kind_code = KIND_FRAME;  // 0
    kind->resize = frame_resize;   // 12
}

intptr_t create_frame(int number, int x, int y, int width, int height, const char* text, int frame_type) {
    GadgetCreation creation{};
    creation.number = number;
    creation.kind = &frame_kind;
    creation.kind_ready = &frame_kind_ready;
    creation.fill_kind = fill_frame_kind;
    creation.x = x, creation.y = y, creation.width = width, creation.height = height;
    if (frame_type == 0) {
        creation.class_name = "Button";
        creation.text = text ? text : "";
        creation.style = GROUP_BOX_STYLE;
    } else {
        creation.class_name = "Static";
        creation.ex_style = frame_type == 1 ? WS_EX_CLIENTEDGE : frame_type == 2 ? WS_EX_STATICEDGE : 0;
        creation.style = frame_type == 1 || frame_type == 2 ? BORDER_STYLE : PLAIN_BORDER_STYLE;
        creation.set_up = border_set_up;
    }
    return create_gadget(creation);
}
