// Numbered fonts made from a face name and a point size.
#include "toolkit/win32/internal.h"

#include <cstdint>

namespace {

HFONT* font_record(int number) { return static_cast<HFONT*>(objects_find(toolkit.fonts, number)); }

// A character height of `points` on the display, as the negative height the
// platform takes for "character height, not cell height".
int display_height(HDC display, int points) { return -MulDiv(points, GetDeviceCaps(display, LOGPIXELSY), 72); }

}  // namespace

intptr_t load_font(int number, const char* face, int points, uint32_t flags) {
    // A font already under this number is deleted by free_font before the slot comes back.
    auto* record = static_cast<HFONT*>(objects_slot(toolkit.fonts, number));
    if (!record) return 0;
    const int identity = number == -1 ? objects_number_of(toolkit.fonts, record) : number;

    intptr_t result = 0;
    if (HDC display = CreateDCA("DISPLAY", nullptr, nullptr, nullptr)) {
        HFONT font = CreateFontA(display_height(display, points), 0, 0, 0, (flags & FONT_BOLD) ? FW_BOLD : FW_NORMAL,
                                 (flags & FONT_ITALIC) ? 1 : 0, (flags & FONT_UNDERLINE) ? 1 : 0,
                                 (flags & FONT_STRIKEOUT) ? 1 : 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                 CLIP_DEFAULT_PRECIS, (flags & FONT_HIGH_QUALITY) ? PROOF_QUALITY : DEFAULT_QUALITY,
                                 DEFAULT_PITCH | FF_DONTCARE, face);
        if (font) {
            *record = font;
            result = number == -1 ? identity : reinterpret_cast<intptr_t>(font);
        }
        DeleteDC(display);
    }
    // An anonymous record that got no font would stay in the list for good:
    // nothing can find it by its identity, so nothing could ever free it.
    if (!result && number == -1) objects_release(toolkit.fonts, identity);
    return result;
}

int free_font(int number) {
    HFONT* record = font_record(number);
    if (!record) return 0;
    DeleteObject(*record);
    objects_release(toolkit.fonts, number);
    return 1;
}

void free_all_fonts() {
    // The enumeration has moved past each record it returns, so freeing it is safe.
    objects_rewind(toolkit.fonts);
    int number = 0;
    while (objects_next(toolkit.fonts, &number)) free_font(number);
}
