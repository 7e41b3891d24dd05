// The display's scale as Win32 tells it, and the monitor and work area a window
// is measured on.
#include <algorithm>
#include <cstdint>

#include "toolkit/win32/internal.h"

namespace {

Bounds bounds_of(const RECT& rect) {
    return Bounds{static_cast<int>(rect.left), static_cast<int>(rect.top), static_cast<int>(rect.right),
                  static_cast<int>(rect.bottom)};
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
    RECT around_rect{};
    Bounds around{};
    const Bounds* centre_in = nullptr;
    HWND reference = centring == WINDOW_CENTRE_OWNER ? (owner ? owner : GetActiveWindow()) : nullptr;
    if (reference && GetWindowRect(reference, &around_rect)) {
        monitor = MonitorFromWindow(reference, MONITOR_DEFAULTTONEAREST);
        around = bounds_of(around_rect);
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
    const Bounds work = bounds_of(info.rcWork);
    if (centring & WINDOW_CENTRE_SCREEN) centre_in = &work;
    *out = fit_in_work_area(client, bounds_of(frame), dpi, work, centre_in);
    // Centred on the screen, a window never reaches past the work area.
    if (centring & WINDOW_CENTRE_SCREEN) {
        out->width = static_cast<int>(std::min(int64_t{out->width}, int64_t{work.right} - work.left));
        out->height = static_cast<int>(std::min(int64_t{out->height}, int64_t{work.bottom} - work.top));
    }
    return true;
}
