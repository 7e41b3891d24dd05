// Numbered fonts on GTK: font descriptions made from a face name and a point size.
#include <cstdint>

#include "toolkit/gtk/internal.h"

namespace {

FontRecord* font_record(int number) { return static_cast<FontRecord*>(objects_find(toolkit.fonts, number)); }

}  // namespace

// MulDiv's rounding, halves away from zero.
int font_pixels(int points, int dpi) {
    const int64_t product = int64_t{points} * dpi;
    const int64_t rounded = (product + (product < 0 ? -36 : 36)) / 72;
    return static_cast<int>(rounded < 0 ? -rounded : rounded);
}

intptr_t load_font(int number, const char* face, int points, uint32_t flags) {
    // A font already under this number is freed by free_font before the slot comes back.
    auto* record = static_cast<FontRecord*>(objects_slot(toolkit.fonts, number));
    if (!record) return 0;
    const int identity = number == -1 ? objects_number_of(toolkit.fonts, record) : number;
    PangoFontDescription* font = pango_font_description_new();
    pango_font_description_set_family(font, to_utf8(face).c_str());
    pango_font_description_set_absolute_size(font, font_pixels(points, display_dpi()) * PANGO_SCALE);
    pango_font_description_set_weight(font, (flags & FONT_BOLD) ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    pango_font_description_set_style(font, (flags & FONT_ITALIC) ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
    record->description = font;
    record->flags = flags;
    record->points = points;
    return number == -1 ? identity : reinterpret_cast<intptr_t>(font);
}

int free_font(int number) {
    FontRecord* record = font_record(number);
    if (!record) return 0;
    pango_font_description_free(record->description);
    objects_release(toolkit.fonts, number);
    return 1;
}

void free_all_fonts() {
    // The enumeration has moved past each record it returns, so freeing it is safe.
    objects_rewind(toolkit.fonts);
    int number = 0;
    while (objects_next(toolkit.fonts, &number)) free_font(number);
}
