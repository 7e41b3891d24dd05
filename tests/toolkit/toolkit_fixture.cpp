#include "toolkit_fixture.h"

#include <windows.h>

#include <richedit.h>

#include <cstdint>

void prepare_platform() {
    // The program's manifest declares it aware of the display's scale; so is
    // each test program that stands in for it.
    SetProcessDPIAware();
    store_module_handle();
}

int at_display_scale(int length) {
    HDC display = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    const int dpi = GetDeviceCaps(display, LOGPIXELSY);
    DeleteDC(display);
    return MulDiv(length, dpi > 96 ? dpi : 96, 96);
}

PixelRect gadget_place(int gadget) {
    RECT r{};
    GetWindowRect(gadget_handle(gadget), &r);
    MapWindowPoints(nullptr, GetParent(gadget_handle(gadget)), reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}
void destroy_control(HWND control) { DestroyWindow(control); }
bool has_border(int input) { return GetWindowLongPtrA(gadget_handle(input), GWL_EXSTYLE) & WS_EX_CLIENTEDGE; }
bool editor_read_only(int editor) { return SendMessageA(gadget_handle(editor), EM_GETOPTIONS, 0, 0) & ECO_READONLY; }
void select_all_text(int editor) { SendMessageA(gadget_handle(editor), EM_SETSEL, 0, -1); }
const size_t FIELD_CAPACITY = SIZE_MAX;  // as many as memory holds
