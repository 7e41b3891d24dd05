// The display's scale on Win32: the dots per inch a window is opened at, and
// the scale of the window a gadget belongs to (the arithmetic is the core's).
#include "toolkit/win32/internal.h"

int display_dpi() {
    // Asked as load_font asks it: an information context of the display leaves
    // nothing behind, where the screen's own device context would stay cached.
    int dpi = 0;
    if (HDC display = CreateDCA("DISPLAY", nullptr, nullptr, nullptr)) {
        dpi = GetDeviceCaps(display, LOGPIXELSY);
        DeleteDC(display);
    }
    return dpi > BASE_DPI ? dpi : BASE_DPI;
}

int window_dpi(HWND window) {
    int number = -1;
    const WindowRecord* record = window ? numbered_window(owner_window(window), &number) : nullptr;
    return record && record->dpi ? record->dpi : display_dpi();
}

int opening_dpi(const Placement& client, DWORD style, bool placed) {
    const int dpi = display_dpi();
    Placement asked = client;
    if (!to_pixels(dpi, &asked)) return 0;
    if (dpi == BASE_DPI) return dpi;
    RECT frame{0, 0, 0, 0};
    AdjustWindowRect(&frame, style, FALSE);
    // The work area of the monitor the window is asked onto.
    const POINT at = placed ? POINT{asked.x, asked.y} : POINT{0, 0};
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoA(MonitorFromPoint(at, placed ? MONITOR_DEFAULTTONEAREST : MONITOR_DEFAULTTOPRIMARY), &monitor))
        return dpi;
    const RECT& work = monitor.rcWork;
    const auto fits = [&](int at_dpi) {
        Placement place = client;
        if (!to_pixels(at_dpi, &place)) return false;
        const int64_t width = int64_t{place.width} + (frame.right - frame.left);
        const int64_t height = int64_t{place.height} + (frame.bottom - frame.top);
        if (width > work.right - work.left || height > work.bottom - work.top) return false;
        return !placed || (place.x + width <= work.right && place.y + height <= work.bottom);
    };
    int chosen = dpi;
    while (chosen > BASE_DPI && !fits(chosen)) --chosen;
    return chosen;
}
