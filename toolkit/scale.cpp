// The scale arithmetic: units of 1/96 inch turned into pixels at a window's
// scale, and the scale and place a window opens at in a work area.
#include <algorithm>
#include <climits>
#include <cstdint>

#include "toolkit/core.h"

namespace {

// A length in pixels at `dpi`: to the nearest pixel, halves away from zero, as
// MulDiv rounds. The one place where the toolkit rounds a scaled length.
int64_t pixels_at(int length, int dpi) {
    const int64_t product = int64_t{length} * dpi;
    return (product + (product < 0 ? -BASE_DPI / 2 : BASE_DPI / 2)) / BASE_DPI;
}

// Moves [*at, *at + size) as little as needed to lie in [low, high); where it
// cannot, it starts at low.
void move_into(int* at, int size, int low, int high) {
    if (int64_t{*at} + size > high) *at = static_cast<int>(std::max(int64_t{high} - size, int64_t{INT_MIN}));
    if (*at < low) *at = low;
}

}  // namespace

bool is_sentinel(int64_t value) { return value == KEEP_VALUE || value == DEFAULT_POSITION; }

bool fits_int(int64_t value) { return value >= INT_MIN && value <= INT_MAX; }

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

Opening fit_in_work_area(const Placement& client, const Bounds& frame, int display, const Bounds& work,
                         const Bounds* centre_in) {
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
