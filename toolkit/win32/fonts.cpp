// Numbered fonts made from a face name and a point size.
#include "toolkit/win32/internal.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

HFONT* font_record(int number) { return static_cast<HFONT*>(objects_find(toolkit.fonts, number)); }

// A character height of `points` on the display, as the negative height the
// platform takes for "character height, not cell height".
int display_height(int points) { return -MulDiv(points, display_logpixels(), 72); }

// Two descriptions of one look (both read whole by GetObjectA).
bool same_font(const LOGFONTA& a, const LOGFONTA& b) {
    return memcmp(&a, &b, offsetof(LOGFONTA, lfFaceName)) == 0 && lstrcmpiA(a.lfFaceName, b.lfFaceName) == 0;
}

}  // namespace

intptr_t load_font(int number, const char* face, int points, uint32_t flags) {
    // A font already under this number is deleted by free_font before the slot comes back.
    auto* record = static_cast<HFONT*>(objects_slot(toolkit.fonts, number));
    if (!record) return 0;
    const int identity = number == -1 ? objects_number_of(toolkit.fonts, record) : number;

    intptr_t result = 0;
    HFONT font =
        CreateFontA(display_height(points), 0, 0, 0, (flags & FONT_BOLD) ? FW_BOLD : FW_NORMAL,
                    (flags & FONT_ITALIC) ? 1 : 0, (flags & FONT_UNDERLINE) ? 1 : 0, (flags & FONT_STRIKEOUT) ? 1 : 0,
                    DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                    (flags & FONT_HIGH_QUALITY) ? PROOF_QUALITY : DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face);
    if (font) {
        *record = font;
        result = number == -1 ? identity : reinterpret_cast<intptr_t>(font);
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

HFONT font_at_window_scale(HWND control, HFONT font) {
    int number = -1;
    WindowRecord* window = font ? numbered_window(owner_window(control), &number) : nullptr;
    LOGFONTA wanted{};
    if (!window || window->dpi >= display_dpi() || GetObjectA(font, sizeof wanted, &wanted) != sizeof wanted)
        return font;
    wanted.lfHeight = MulDiv(wanted.lfHeight, window->dpi, display_dpi());
    wanted.lfWidth = MulDiv(wanted.lfWidth, window->dpi, display_dpi());
    // Copies are told apart by their look: a handle given may since name another font.
    for (int i = 0; i < window->scaled_font_count; ++i) {
        LOGFONTA made{};
        GetObjectA(window->scaled_fonts[i], sizeof made, &made);
        if (same_font(made, wanted)) return window->scaled_fonts[i];
    }
    const size_t size = static_cast<size_t>(window->scaled_font_count + 1) * sizeof(HFONT);
    auto* grown = static_cast<HFONT*>(general_realloc(window->scaled_fonts, size));
    if (!grown) return font;
    window->scaled_fonts = grown;
    HFONT made =
        CreateFontA(wanted.lfHeight, wanted.lfWidth, wanted.lfEscapement, wanted.lfOrientation, wanted.lfWeight,
                    wanted.lfItalic, wanted.lfUnderline, wanted.lfStrikeOut, wanted.lfCharSet, wanted.lfOutPrecision,
                    wanted.lfClipPrecision, wanted.lfQuality, wanted.lfPitchAndFamily, wanted.lfFaceName);
    if (!made) return font;
    window->scaled_fonts[window->scaled_font_count++] = made;
    return made;
}

void free_scaled_fonts(WindowRecord* record) {
    for (int i = 0; i < record->scaled_font_count; ++i) DeleteObject(record->scaled_fonts[i]);
    general_free(record->scaled_fonts);
    record->scaled_fonts = nullptr;
    record->scaled_font_count = 0;
}
