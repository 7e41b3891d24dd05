// Numbered fonts and the shared cache of solid brushes.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "shared_rows.h"
#include "toolkit/win32/internal.h"
#include "toolkit_fixture.h"

namespace {

HFONT font_of(int number) {
    auto* record = static_cast<HFONT*>(objects_find(toolkit.fonts, number));
    return record ? *record : nullptr;
}

LOGFONTA logfont_of(HFONT font) {
    LOGFONTA logfont{};
    EXPECT_EQ(GetObjectA(font, sizeof logfont, &logfont), static_cast<int>(sizeof logfont));
    return logfont;
}

bool font_table_empty() {
    objects_rewind(toolkit.fonts);
    int number = 0;
    return objects_next(toolkit.fonts, &number) == nullptr;
}

int display_dpi() {
    HDC display = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    const int dpi = GetDeviceCaps(display, LOGPIXELSY);
    DeleteDC(display);
    return dpi;
}

class FontTest : public ::testing::Test {
protected:
    void SetUp() override { start_toolkit(); }
    void TearDown() override { free_all_fonts(); }
};

TEST_F(FontTest, PointSizesBecomeCharacterHeightsForTheDisplay) {
    const int dpi = display_dpi();
    if (dpi != 96 && dpi != 120) GTEST_SKIP() << "display has " << dpi << " pixels per inch; rows cover 96 and 120";
    for (const FontHeightRow& row : FONT_HEIGHT_ROWS) {
        SCOPED_TRACE(std::to_string(row.points) + " points at " + std::to_string(dpi) + " dpi");
        const intptr_t handle = load_font(1, "Arial", row.points);
        ASSERT_NE(handle, 0);
        HFONT font = reinterpret_cast<HFONT>(handle);
        EXPECT_EQ(font, font_of(1)) << "the result is the font handle";
        EXPECT_EQ(logfont_of(font).lfHeight, -(dpi == 96 ? row.height_96 : row.height_120));
    }
}

TEST_F(FontTest, FlagsLandInTheFontDescription) {
    struct Row {
        const char* what;
        uint32_t flags;
        LONG weight;
        BYTE italic, underline, strikeout, quality;
    };
    const Row rows[] = {
        {"plain", 0, FW_NORMAL, 0, 0, 0, DEFAULT_QUALITY},
        {"bold", FONT_BOLD, FW_BOLD, 0, 0, 0, DEFAULT_QUALITY},
        {"italic", FONT_ITALIC, FW_NORMAL, 1, 0, 0, DEFAULT_QUALITY},
        {"underline", FONT_UNDERLINE, FW_NORMAL, 0, 1, 0, DEFAULT_QUALITY},
        {"strikeout", FONT_STRIKEOUT, FW_NORMAL, 0, 0, 1, DEFAULT_QUALITY},
        {"high quality", FONT_HIGH_QUALITY, FW_NORMAL, 0, 0, 0, PROOF_QUALITY},
        {"all of them", FONT_BOLD | FONT_ITALIC | FONT_UNDERLINE | FONT_STRIKEOUT | FONT_HIGH_QUALITY, FW_BOLD, 1, 1, 1,
         PROOF_QUALITY},
        {"unknown bits ignored", 0xFFFF0000u | 0x1 | 0x2 | 0x20, FW_NORMAL, 0, 0, 0, DEFAULT_QUALITY},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const intptr_t handle = load_font(2, "Times New Roman", 11, row.flags);
        ASSERT_NE(handle, 0);
        const LOGFONTA logfont = logfont_of(reinterpret_cast<HFONT>(handle));
        EXPECT_EQ(logfont.lfWeight, row.weight);
        EXPECT_EQ(logfont.lfItalic, row.italic);
        EXPECT_EQ(logfont.lfUnderline, row.underline);
        EXPECT_EQ(logfont.lfStrikeOut, row.strikeout);
        EXPECT_EQ(logfont.lfQuality, row.quality);
        EXPECT_EQ(logfont.lfCharSet, DEFAULT_CHARSET);
        EXPECT_EQ(logfont.lfWidth, 0);
        EXPECT_EQ(logfont.lfEscapement, 0);
        EXPECT_EQ(logfont.lfPitchAndFamily, DEFAULT_PITCH | FF_DONTCARE);
        EXPECT_STREQ(logfont.lfFaceName, "Times New Roman");
    }
}

TEST_F(FontTest, ReloadingANumberDeletesTheFirstFont) {
    const intptr_t first = load_font(3, "Arial", 10);
    ASSERT_NE(first, 0);
    ASSERT_EQ(GetObjectType(reinterpret_cast<HGDIOBJ>(first)), static_cast<DWORD>(OBJ_FONT));
    const intptr_t second = load_font(3, "Arial", 14, FONT_BOLD);
    ASSERT_NE(second, 0);
    ASSERT_NE(second, first);
    EXPECT_EQ(GetObjectType(reinterpret_cast<HGDIOBJ>(first)), 0u) << "the first font is gone";
    EXPECT_EQ(GetObjectType(reinterpret_cast<HGDIOBJ>(second)), static_cast<DWORD>(OBJ_FONT));
    EXPECT_EQ(font_of(3), reinterpret_cast<HFONT>(second));
}

TEST_F(FontTest, FreeAllFontsDeletesEveryFontAndEmptiesTheTable) {
    std::vector<HFONT> fonts;
    for (int number = 1; number <= 6; ++number) {
        const intptr_t handle = load_font(number, "Arial", 8 + number);
        ASSERT_NE(handle, 0) << "font " << number;
        fonts.push_back(reinterpret_cast<HFONT>(handle));
    }
    const intptr_t anonymous = load_font(-1, "Arial", 20);
    ASSERT_NE(anonymous, 0);
    fonts.push_back(font_of(static_cast<int>(anonymous)));
    ASSERT_NE(fonts.back(), nullptr);
    const intptr_t far_number = load_font(40, "Arial", 20);  // past the first 16 slots
    ASSERT_NE(far_number, 0);
    fonts.push_back(reinterpret_cast<HFONT>(far_number));

    free_all_fonts();
    for (size_t i = 0; i < fonts.size(); ++i) EXPECT_EQ(GetObjectType(fonts[i]), 0u) << "font " << i << " still exists";
    EXPECT_TRUE(font_table_empty());
    EXPECT_EQ(toolkit.fonts->anonymous.head, nullptr);
    for (int number = 1; number <= 6; ++number) EXPECT_EQ(free_font(number), 0) << "font " << number;
}

TEST_F(FontTest, AnonymousFontIsAddressedByItsIdentity) {
    const intptr_t identity = load_font(-1, "Arial", 12, FONT_ITALIC);
    ASSERT_NE(identity, 0);
    ASSERT_EQ(identity, static_cast<int>(identity)) << "an identity is a number";
    EXPECT_TRUE(identity < 0 && identity != -1);
    HFONT font = font_of(static_cast<int>(identity));
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(logfont_of(font).lfItalic, 1);

    EXPECT_NE(free_font(static_cast<int>(identity)), 0);
    EXPECT_EQ(GetObjectType(font), 0u);
    EXPECT_EQ(free_font(static_cast<int>(identity)), 0) << "the identity names nothing any more";
    EXPECT_EQ(toolkit.fonts->anonymous.head, nullptr);
}

TEST_F(FontTest, MissingFaceStillGivesAUsableFont) {
    const intptr_t handle = load_font(4, "Arial Rounded MT Bold", 12);
    ASSERT_NE(handle, 0);
    HFONT font = reinterpret_cast<HFONT>(handle);
    EXPECT_EQ(GetObjectType(font), static_cast<DWORD>(OBJ_FONT));

    HDC display = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    ASSERT_NE(display, nullptr);
    HGDIOBJ previous = SelectObject(display, font);
    EXPECT_NE(previous, nullptr) << "the font can be selected";
    char face[LF_FACESIZE] = {};
    EXPECT_GT(GetTextFaceA(display, LF_FACESIZE, face), 0);
    EXPECT_STRNE(face, "") << "the platform picked some face";
    TEXTMETRICA metrics{};
    EXPECT_TRUE(GetTextMetricsA(display, &metrics));
    EXPECT_GT(metrics.tmHeight, 0);
    SIZE extent{};
    EXPECT_TRUE(GetTextExtentPoint32A(display, "1234", 4, &extent));
    EXPECT_GT(extent.cx, 0);
    SelectObject(display, previous);
    DeleteDC(display);
}

// ---- Brushes ---------------------------------------------------------------------

int cache_entries_for(COLORREF colour) {
    int count = 0;
    for (RecordNode* node = toolkit.brushes.head; node; node = node->older)
        if (static_cast<BrushEntry*>(record_of(node))->colour == colour) ++count;
    return count;
}

COLORREF brush_colour(HBRUSH brush) {
    LOGBRUSH logbrush{};
    EXPECT_EQ(GetObjectA(brush, sizeof logbrush, &logbrush), static_cast<int>(sizeof logbrush));
    return logbrush.lbColor;
}

bool brush_alive(HBRUSH brush) { return GetObjectType(brush) == static_cast<DWORD>(OBJ_BRUSH); }

class BrushTest : public ::testing::Test {
protected:
    void SetUp() override { start_toolkit(); }
};

TEST_F(BrushTest, OneBrushPerColourLivesUntilItsLastHolderLetsGo) {
    const COLORREF colour = RGB(12, 34, 56);
    HBRUSH first = brush_acquire(colour);
    HBRUSH second = brush_acquire(colour);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(second, first) << "holders of one colour share the brush";
    EXPECT_EQ(brush_colour(first), colour);
    EXPECT_EQ(cache_entries_for(colour), 1);

    brush_release(first);
    EXPECT_TRUE(brush_alive(first)) << "the second holder still uses it";
    EXPECT_EQ(cache_entries_for(colour), 1);
    brush_release(second);
    EXPECT_FALSE(brush_alive(first)) << "deleted with its last holder";
    EXPECT_EQ(cache_entries_for(colour), 0);
}

TEST_F(BrushTest, DifferentColoursGetTheirOwnBrushes) {
    const COLORREF colours[] = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255), RGB(0, 0, 0), RGB(255, 255, 255)};
    std::vector<HBRUSH> brushes;
    for (COLORREF colour : colours) {
        HBRUSH brush = brush_acquire(colour);
        ASSERT_NE(brush, nullptr);
        EXPECT_EQ(brush_colour(brush), colour);
        for (HBRUSH other : brushes) EXPECT_NE(brush, other);
        brushes.push_back(brush);
    }
    for (HBRUSH brush : brushes) brush_release(brush);
    for (HBRUSH brush : brushes) EXPECT_FALSE(brush_alive(brush));
}

TEST_F(BrushTest, ReleasingAHandleTheCacheDoesNotHoldDoesNothing) {
    const COLORREF colour = RGB(1, 2, 3);
    HBRUSH cached = brush_acquire(colour);
    ASSERT_NE(cached, nullptr);
    HBRUSH stranger = CreateSolidBrush(RGB(1, 2, 3));
    ASSERT_NE(stranger, nullptr);

    brush_release(stranger);
    brush_release(nullptr);
    EXPECT_TRUE(brush_alive(stranger)) << "not the cache's to delete";
    EXPECT_TRUE(brush_alive(cached));
    EXPECT_EQ(cache_entries_for(colour), 1);

    brush_release(cached);  // its only holder: the count was not touched above
    EXPECT_FALSE(brush_alive(cached));
    DeleteObject(stranger);
}

TEST_F(BrushTest, ReacquiringAfterTheOnlyHolderReleasedMakesANewBrush) {
    const COLORREF colour = RGB(200, 100, 50);
    HBRUSH first = brush_acquire(colour);
    ASSERT_NE(first, nullptr);
    brush_release(first);
    ASSERT_FALSE(brush_alive(first));

    HBRUSH again = brush_acquire(colour);
    ASSERT_NE(again, nullptr);
    EXPECT_TRUE(brush_alive(again));
    EXPECT_EQ(brush_colour(again), colour);
    EXPECT_EQ(cache_entries_for(colour), 1);

    // A holder setting the colour it already has: release then acquire keeps
    // the brush while another holder exists.
    HBRUSH other_holder = brush_acquire(colour);
    brush_release(again);
    HBRUSH same = brush_acquire(colour);
    EXPECT_EQ(same, other_holder);
    EXPECT_TRUE(brush_alive(same));
    brush_release(same);
    brush_release(other_holder);
    EXPECT_FALSE(brush_alive(same));
}

}  // namespace
