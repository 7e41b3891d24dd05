// The display's scale. Clients give positions and sizes in units of 1/96 inch;
// a window is opened at a number of dots per inch, and the numbers given for it
// and for its gadgets are turned into its pixels there.
#include <climits>

#include "toolkit/win32/internal.h"

namespace {

// A length in pixels at `dpi`: to the nearest pixel, halves away from zero, as
// MulDiv rounds. The one place where the toolkit rounds a scaled length.
int64_t pixels_at(int length, int dpi) {
    const int64_t product = int64_t{length} * dpi;
    return (product + (product < 0 ? -BASE_DPI / 2 : BASE_DPI / 2)) / BASE_DPI;
}

bool fits_int(int64_t value) { return value >= INT_MIN && value <= INT_MAX; }

}  // namespace

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

bool to_pixels(int dpi, Placement* place) {
    const int given[4] = {place->x, place->y, place->width, place->height};
    int64_t scaled[4] = {};
    for (int i = 0; i < 4; ++i) {
        if (given[i] == KEEP_VALUE) {
            scaled[i] = KEEP_VALUE;
            continue;
        }
        scaled[i] = pixels_at(given[i], dpi);
        // A number that became the sentinel would keep the old value instead.
        if (!fits_int(scaled[i]) || scaled[i] == KEEP_VALUE) return false;
    }
    // The right and bottom edges too: the platform adds the size to the position.
    for (int i = 0; i < 2; ++i)
        if (given[i] != KEEP_VALUE && given[i + 2] != KEEP_VALUE && !fits_int(scaled[i] + scaled[i + 2])) return false;
    *place = Placement{static_cast<int>(scaled[0]), static_cast<int>(scaled[1]), static_cast<int>(scaled[2]),
                       static_cast<int>(scaled[3])};
    return true;
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
