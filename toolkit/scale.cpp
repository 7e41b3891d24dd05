// The scale arithmetic: positions and sizes in units of 1/96 inch turned into
// the pixels of a display at a number of dots per inch.
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

bool fits_int(int64_t value) { return value >= INT_MIN && value <= INT_MAX; }

}  // namespace

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
