#include "toolkit_fixture.h"

#include <windows.h>

#include "toolkit/toolkit.h"

void start_toolkit() {
    static bool started = false;
    if (started) return;
    started = true;
    // The program's manifest declares it aware of the display's scale; so is
    // each test program that stands in for it.
    SetProcessDPIAware();
    store_module_handle();
    create_general_heap();
    init_record_heap();
    init_fonts();
    init_windows();
    init_gadgets();
}

void drain_events() {
    for (int i = 0; i < 10000 && wait_event(0) != EVENT_NONE; ++i) {
    }
}

int at_display_scale(int length) {
    HDC display = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    const int dpi = GetDeviceCaps(display, LOGPIXELSY);
    DeleteDC(display);
    return MulDiv(length, dpi > 96 ? dpi : 96, 96);
}
