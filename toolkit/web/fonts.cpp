// Numbered fonts in a page: a face with the stand-ins a visitor's system may
// have instead, in the order the native program's font configuration tries
// them, and a character height in CSS pixels.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "toolkit/web/internal.h"

namespace {

// The faces the Windows program asks for, each followed by Debian's font of
// the same metrics (as fontconfig's aliases, and the native program's own
// rule for the rounded face, give them) and the generic family. The rounded
// face's stand-in is served with the site where the system lacks it, cut
// down to the characters the game shows (site/site.css).
struct StandIn {
    const char* face;
    const char* families;
};
constexpr StandIn STAND_INS[] = {
    {"Times New Roman", "\"Times New Roman\",\"Liberation Serif\",serif"},
    {"Arial", "Arial,\"Liberation Sans\",sans-serif"},
    {"Arial Rounded MT Bold", "\"Arial Rounded MT Bold\",Comfortaa,\"Tavek Rounded\",sans-serif"},
    {"Courier New", "\"Courier New\",\"Liberation Mono\",monospace"},
};

uintptr_t last_handle;  // handles count up from 1 and are never given twice

FontRecord* font_record(int number) { return static_cast<FontRecord*>(objects_find(toolkit.fonts, number)); }

// A face the table does not know goes as it is named, quoted, before the generic family.
void list_families(const char* face, char* out, size_t size) {
    for (const StandIn& stand_in : STAND_INS)
        if (std::strcmp(stand_in.face, face) == 0) {
            (void)std::snprintf(out, size, "%s", stand_in.families);
            return;
        }
    std::string quoted = "\"";
    for (const char* c = face; *c; ++c)
        if (*c != '"' && *c != '\\' && static_cast<unsigned char>(*c) >= 0x20) quoted += *c;
    (void)std::snprintf(out, size, "%s\",sans-serif", quoted.c_str());
}

}  // namespace

// MulDiv's rounding, halves away from zero: the pixels Win32 asks a font for at 96 dots per inch.
int font_pixels(int points) {
    const int64_t product = int64_t{points} * BASE_DPI;
    const int64_t rounded = (product + (product < 0 ? -36 : 36)) / 72;
    return static_cast<int>(rounded < 0 ? -rounded : rounded);
}

FontRecord* font_of_handle(uintptr_t handle) {
    int number = 0;
    return handle ? static_cast<FontRecord*>(objects_search(toolkit.fonts, handle, &number)) : nullptr;
}

intptr_t load_font(int number, const char* face, int points, uint32_t flags) {
    // A font already under this number is freed by free_font before the slot comes back.
    auto* record = static_cast<FontRecord*>(objects_slot(toolkit.fonts, number));
    if (!record) return 0;
    const int identity = number == -1 ? objects_number_of(toolkit.fonts, record) : number;
    record->handle = ++last_handle;
    record->pixels = font_pixels(points);
    record->flags = flags;
    list_families(face ? face : "", record->families, sizeof record->families);
    return number == -1 ? identity : static_cast<intptr_t>(record->handle);
}

int free_font(int number) {
    if (!font_record(number)) return 0;
    objects_release(toolkit.fonts, number);
    return 1;
}

void free_all_fonts() {
    // The enumeration has moved past each record it returns, so freeing it is safe.
    objects_rewind(toolkit.fonts);
    int number = 0;
    while (objects_next(toolkit.fonts, &number)) free_font(number);
}
