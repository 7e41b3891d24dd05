// The display's scale. Clients give positions and sizes in units of 1/96 inch;
// a window is opened at a number of dots per inch, and the numbers given for it
// and for its gadgets are turned into its pixels there.
#include <algorithm>
#include <climits>
#include <cstdint>

#include "toolkit/internal.h"

namespace {

// A length in pixels at `dpi`: to the nearest pixel, halves away from zero, as
// MulDiv rounds. The one place where the toolkit rounds a scaled length.
int64_t pixels_at(int length, int dpi) {
    const int64_t product = int64_t{length} * dpi;
    return (product + (product < 0 ? -BASE_DPI / 2 : BASE_DPI / 2)) / BASE_DPI;
}

bool fits_int(int64_t value) { return value >= INT_MIN && value <= INT_MAX; }

// The values that leave a position or size to someone else.
bool is_sentinel(int64_t value) { return value == KEEP_VALUE || value == CW_USEDEFAULT; }

// Moves [*at, *at + size) as little as needed to lie in [low, high); where it
// cannot, it starts at low.
void move_into(int* at, int size, LONG low, LONG high) {
    if (int64_t{*at} + size > high) *at = static_cast<int>(std::max(int64_t{high} - size, int64_t{INT_MIN}));
    if (*at < low) *at = low;
}

}  // namespace

int display_logpixels() {
    // An information context of the display leaves nothing behind, where the
    // screen's own device context would stay cached.
    if (!toolkit.logpixels) {
        int dpi = 0;
        if (HDC display = CreateDCA("DISPLAY", nullptr, nullptr, nullptr)) {
            dpi = GetDeviceCaps(display, LOGPIXELSY);
            DeleteDC(display);
        }
        toolkit.logpixels = dpi > 0 ? dpi : BASE_DPI;
    }
    return toolkit.logpixels;
}

int display_dpi() { return std::max(display_logpixels(), BASE_DPI); }

int window_dpi(HWND window) {
    int number = -1;
    const WindowRecord* record = window ? numbered_window(owner_window(window), &number) : nullptr;
    return record && record->dpi ? record->dpi : display_dpi();
}

bool to_pixels(int dpi, Placement* place) {
    const int given[4] = {place->x, place->y, place->width, place->height};
    int64_t scaled[4] = {};
    for (int i = 0; i < 4; ++i) {
        if (is_sentinel(given[i])) {
            scaled[i] = given[i];
            continue;
        }
        scaled[i] = pixels_at(given[i], dpi);
        // A number that became a sentinel would leave the value to someone else.
        if (!fits_int(scaled[i]) || is_sentinel(scaled[i])) return false;
    }
    // The right and bottom edges too: the platform adds the size to the position.
    for (int i = 0; i < 2; ++i)
        if (!is_sentinel(given[i]) && !is_sentinel(given[i + 2]) && !fits_int(scaled[i] + scaled[i + 2])) return false;
    *place = Placement{static_cast<int>(scaled[0]), static_cast<int>(scaled[1]), static_cast<int>(scaled[2]),
                       static_cast<int>(scaled[3])};
    return true;
}

Opening fit_in_work_area(const Placement& client, const RECT& frame, int display, const RECT& work,
                         const RECT* centre_in) {
    const int frame_width = frame.right - frame.left;
    const int frame_height = frame.bottom - frame.top;
    Opening at{display + 1, 0, 0, 0, 0};
    do {
        Placement size = client;
        to_pixels(--at.dpi, &size);  // in reach at the display's scale, so at any lower one
        at.width = size.width + frame_width;
        at.height = size.height + frame_height;
    } while (at.dpi > BASE_DPI &&
             (at.width > int64_t{work.right} - work.left || at.height > int64_t{work.bottom} - work.top));
    if (centre_in) {
        at.x = static_cast<int>(centre_in->left + (int64_t{centre_in->right} - centre_in->left - at.width) / 2);
        at.y = static_cast<int>(centre_in->top + (int64_t{centre_in->bottom} - centre_in->top - at.height) / 2);
    } else {
        Placement asked = client;
        to_pixels(display, &asked);
        at.x = asked.x, at.y = asked.y;
        if (is_sentinel(at.x) || is_sentinel(at.y)) return at;  // the platform places it
    }
    move_into(&at.x, at.width, work.left, work.right);
    move_into(&at.y, at.height, work.top, work.bottom);
    return at;
}

bool opening_place(const Placement& client, DWORD style, uint32_t centring, HWND owner, Opening* out) {
    RECT frame{0, 0, 0, 0};
    AdjustWindowRect(&frame, style, FALSE);
    const bool child = (style & WS_CHILD) != 0;
    const int dpi = child ? window_dpi(owner) : display_dpi();
    Placement asked = client;
    if (!to_pixels(dpi, &asked)) return false;
    // The frame too, and its right and bottom edges, must be had in pixels.
    const int64_t width = int64_t{asked.width} + frame.right - frame.left;
    const int64_t height = int64_t{asked.height} + frame.bottom - frame.top;
    const auto edge = [](int at, int64_t size) { return is_sentinel(at) ? size : at + size; };
    if (!fits_int(edge(asked.x, width)) || !fits_int(edge(asked.y, height)) || !fits_int(width) || !fits_int(height))
        return false;
    *out = Opening{dpi, asked.x, asked.y, static_cast<int>(width), static_cast<int>(height)};
    if (child) return true;

    // The monitor the placement is measured on, and the owner's rectangle
    // where the window is centred on it.
    HMONITOR monitor = nullptr;
    RECT around{};
    const RECT* centre_in = nullptr;
    HWND reference = centring == WINDOW_CENTRE_OWNER ? (owner ? owner : GetActiveWindow()) : nullptr;
    if (reference && GetWindowRect(reference, &around)) {
        monitor = MonitorFromWindow(reference, MONITOR_DEFAULTTONEAREST);
        centre_in = &around;
    } else if (!(centring & WINDOW_CENTRE_SCREEN) && !is_sentinel(asked.x) && !is_sentinel(asked.y)) {
        const RECT rect{asked.x, asked.y, static_cast<LONG>(asked.x + width), static_cast<LONG>(asked.y + height)};
        monitor = MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST);
    } else {
        monitor = MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    }
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoA(monitor, &info))
        SetRect(&info.rcWork, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    const RECT& work = info.rcWork;
    if (centring & WINDOW_CENTRE_SCREEN) centre_in = &work;
    *out = fit_in_work_area(client, frame, dpi, work, centre_in);
    // Centred on the screen, a window never reaches past the work area.
    if (centring & WINDOW_CENTRE_SCREEN) {
        out->width = static_cast<int>(std::min(int64_t{out->width}, int64_t{work.right} - work.left));
        out->height = static_cast<int>(std::min(int64_t{out->height}, int64_t{work.bottom} - work.top));
    }
    return true;
}
