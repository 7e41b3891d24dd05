// The rich-text editor on a real rich edit control: lines added, read,
// replaced and removed; the pending empty line; the colour across font
// changes; the read-only attribute; very long lines.
#include <richedit.h>

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "shared_rows.h"
#include "toolkit/win32/internal.h"
#include "toolkit_fixture.h"

namespace {

constexpr int EDITOR_WINDOW = 6;
constexpr int DISPLAY = 9;
using Lines = std::vector<std::string>;

Lines lines_of(int gadget) {
    Lines lines;
    for (int line = 0; line < count_gadget_items(gadget); ++line) lines.push_back(get_gadget_item_text(gadget, line));
    return lines;
}

// Pixels of the control's top band, as painted, that are `colour` (or, with
// `other`, that are not); the caret's columns at the left edge are left out.
int pixels_in_band(HWND control, int height, COLORREF colour, bool other) {
    RECT client{};
    GetClientRect(control, &client);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), client.right, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC memory = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(memory, bitmap);
    HDC dc = GetDC(control);
    BitBlt(memory, 0, 0, client.right, height, dc, 0, 0, SRCCOPY);
    ReleaseDC(control, dc);
    GdiFlush();
    const uint32_t wanted = (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
    int count = 0;
    const auto* pixel = static_cast<const uint32_t*>(bits);
    for (int y = 0; y < height; ++y)
        for (int x = 4; x < client.right; ++x) count += ((pixel[y * client.right + x] & 0xFFFFFF) == wanted) != other;
    SelectObject(memory, old);
    DeleteDC(memory);
    DeleteObject(bitmap);
    return count;
}

class Editor : public ::testing::Test {
protected:
    void SetUp() override {
        start_toolkit();
        ASSERT_NE(open_window(EDITOR_WINDOW, 40, 40, 500, 360, "Editor", 0xCC0000), 0);
        use_gadget_list(window_handle(EDITOR_WINDOW));
        ASSERT_NE(create_editor(DISPLAY, 10, 10, 400, 300, ES_READONLY), 0);
        editor = gadget_handle(DISPLAY);
    }
    void TearDown() override { close_window(EDITOR_WINDOW); }
    HWND editor = nullptr;
};

TEST_F(Editor, AddingItems) {
    for (const EditorAddRow& row : EDITOR_ADD_ROWS) {
        SCOPED_TRACE(row.name);
        set_gadget_text(DISPLAY, row.initial);
        for (const auto& [position, text] : row.adds) add_gadget_item(DISPLAY, position, text);
        EXPECT_EQ(lines_of(DISPLAY), row.lines);
        std::string joined;
        for (size_t i = 0; i < row.lines.size(); ++i) joined += (i ? "\r\n" : "") + row.lines[i];
        EXPECT_EQ(get_gadget_text(DISPLAY), joined) << "no line keeps its carriage return";
    }
}

TEST_F(Editor, PendingEmptyLineAndClearing) {
    EXPECT_EQ(count_gadget_items(DISPLAY), 0);
    add_gadget_item(DISPLAY, -1, "");
    EXPECT_EQ(get_gadget_text(DISPLAY), "");
    EXPECT_EQ(count_gadget_items(DISPLAY), 1) << "the appended empty line counts";
    set_gadget_text(DISPLAY, nullptr);
    EXPECT_EQ(count_gadget_items(DISPLAY), 0);
    add_gadget_item(DISPLAY, -1, "b");
    EXPECT_EQ(lines_of(DISPLAY), Lines{"b"}) << "clearing dropped the pending line";
    EXPECT_EQ(clear_gadget_items(DISPLAY), 1);
    EXPECT_EQ(count_gadget_items(DISPLAY), 0);
    // Removing from an empty text drops the pending line, whichever line is named.
    for (int line : {0, 3, -1}) {
        SCOPED_TRACE(line);
        add_gadget_item(DISPLAY, -1, "");
        ASSERT_EQ(count_gadget_items(DISPLAY), 1);
        remove_gadget_item(DISPLAY, line);
        EXPECT_EQ(count_gadget_items(DISPLAY), 0);
    }
}

TEST_F(Editor, ReplacingAndRemovingLines) {
    set_gadget_text(DISPLAY, "one\r\ntwo\r\nthree");
    set_gadget_item_text(DISPLAY, 1, "TWO");
    remove_gadget_item(DISPLAY, 0);
    EXPECT_EQ(lines_of(DISPLAY), (Lines{"TWO", "three"}));
    set_gadget_item_text(DISPLAY, 1, nullptr);
    EXPECT_EQ(lines_of(DISPLAY), (Lines{"TWO", ""})) << "a missing text empties the line";
    set_gadget_item_text(DISPLAY, 1, "three");
    SendMessageA(editor, EM_SETSEL, 0, -1);
    for (int line : {-1, 2, 99}) {
        SCOPED_TRACE(line);
        remove_gadget_item(DISPLAY, line);
        set_gadget_item_text(DISPLAY, line, "lost");
        EXPECT_EQ(get_gadget_text(DISPLAY), "TWO\r\nthree") << "the selected text is left alone";
        EXPECT_EQ(get_gadget_item_text(DISPLAY, line), "");
    }
}

// What the player sees: each edit repaints the display with its new first
// line, and a selection made afterwards in the focused display is highlighted
// (editing hides the selection only while it works).
TEST_F(Editor, EditsRepaintAndLeaveTheSelectionShown) {
    const struct {
        const char* name;
        const char* initial;  // its first line is empty
        void (*edit)();       // makes the first line "WWWW"
    } rows[] = {
        {"a line added on top", "", [] { add_gadget_item(DISPLAY, 0, "WWWW"); }},
        {"a line appended", "", [] { add_gadget_item(DISPLAY, -1, "WWWW"); }},
        {"a line replaced", "\r\nx", [] { set_gadget_item_text(DISPLAY, 0, "WWWW"); }},
        {"a line removed", "\r\nWWWW", [] { remove_gadget_item(DISPLAY, 0); }},
    };
    SetForegroundWindow(window_handle(EDITOR_WINDOW));
    SetFocus(editor);
    ASSERT_EQ(GetFocus(), editor);
    const int band = HIWORD(SendMessageA(editor, EM_POSFROMCHAR, 0, 0)) + 12;
    const COLORREF paper = GetSysColor(COLOR_WINDOW);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        set_gadget_text(DISPLAY, row.initial);
        UpdateWindow(editor);
        ASSERT_EQ(pixels_in_band(editor, band, paper, true), 0) << "the first line starts blank";
        row.edit();
        UpdateWindow(editor);
        EXPECT_GT(pixels_in_band(editor, band, paper, true), 0) << "the new first line is painted";
        SendMessageA(editor, EM_SETSEL, 0, 4);
        UpdateWindow(editor);
        EXPECT_GT(pixels_in_band(editor, band, GetSysColor(COLOR_HIGHLIGHT), false), 0) << "the selection is shown";
    }
}

TEST_F(Editor, LongLinesAreReadWhole) {
    // 65532 and 65533 characters sit at the edge of the 16-bit size word that
    // a line read starts with.
    for (size_t length : {size_t{1}, size_t{65532}, size_t{65533}, size_t{100000}}) {
        SCOPED_TRACE(length);
        const std::string line(length, 'q');
        set_gadget_text(DISPLAY, (line + "\r\ntail").c_str());
        const std::string read = get_gadget_item_text(DISPLAY, 0);
        EXPECT_EQ(read.size(), length);
        EXPECT_TRUE(read == line) << "the line's characters differ";
        EXPECT_EQ(get_gadget_item_text(DISPLAY, 1), "tail");
    }
}

TEST_F(Editor, EditableEditorTakesTyping) {
    ASSERT_NE(create_editor(DISPLAY, 10, 10, 400, 300, 0), 0);
    for (char typed : {'a', 'b'}) PostMessageA(gadget_handle(DISPLAY), WM_CHAR, static_cast<WPARAM>(typed), 1);
    for (int pass = 0; pass < 100 && get_gadget_text(DISPLAY).size() < 2; ++pass) wait_event(10);
    EXPECT_EQ(get_gadget_text(DISPLAY), "ab");
}

TEST_F(Editor, FrontColourSurvivesFontChanges) {
    HFONT font = CreateFontA(-18, 0, 0, 0, 400, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Courier New");
    set_gadget_text(DISPLAY, "coloured\r\ntext");
    const struct {
        int32_t colour;
        HFONT font;
    } rows[] = {{RGB(0, 128, 0), font}, {-1, DEFAULT_GADGET_FONT}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.colour);
        set_gadget_colour(DISPLAY, COLOUR_FRONT, row.colour);
        // Another colour behind the toolkit's back: only the font change's
        // re-apply brings the gadget's own colour back.
        CHARFORMATA other{};
        other.cbSize = sizeof other;
        other.dwMask = CFM_COLOR;
        other.crTextColor = RGB(1, 2, 3);
        for (WPARAM which : {SCF_ALL, SCF_DEFAULT})
            SendMessageA(editor, EM_SETCHARFORMAT, which, reinterpret_cast<LPARAM>(&other));
        EXPECT_EQ(set_gadget_font(DISPLAY, row.font), 0);
        SendMessageA(editor, EM_SETSEL, 0, -1);
        for (WPARAM which : {SCF_DEFAULT, SCF_SELECTION}) {
            CHARFORMATA format{};
            format.cbSize = sizeof format;
            SendMessageA(editor, EM_GETCHARFORMAT, which, reinterpret_cast<LPARAM>(&format));
            EXPECT_EQ((format.dwEffects & CFE_AUTOCOLOR) != 0, row.colour == -1);
            if (row.colour != -1) {
                EXPECT_EQ(format.crTextColor, static_cast<COLORREF>(row.colour));
            }
        }
    }
    close_window(EDITOR_WINDOW);
    DeleteObject(font);
}

TEST_F(Editor, ColoursReachTheControlAndReadBack) {
    EXPECT_EQ(get_gadget_colour(DISPLAY, COLOUR_BACK), -1) << "a new editor keeps the system colours";
    EXPECT_EQ(get_gadget_colour(DISPLAY, COLOUR_FRONT), -1);
    const COLORREF probe = RGB(1, 2, 3);
    const struct {
        int which;
        int32_t colour;
    } rows[] = {{COLOUR_BACK, RGB(10, 20, 30)}, {COLOUR_FRONT, RGB(0, 128, 0)}, {COLOUR_BACK, -1}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.colour);
        set_gadget_colour(DISPLAY, row.which, row.colour);
        EXPECT_EQ(get_gadget_colour(DISPLAY, row.which), row.colour);
        if (row.which != COLOUR_BACK) continue;
        // The control answers a new background with the one it had.
        const COLORREF had = static_cast<COLORREF>(SendMessageA(editor, EM_SETBKGNDCOLOR, 0, probe));
        EXPECT_EQ(had, row.colour == -1 ? GetSysColor(COLOR_WINDOW) : static_cast<COLORREF>(row.colour));
    }
    set_gadget_colour(DISPLAY, 7, RGB(9, 9, 9));
    EXPECT_EQ(get_gadget_colour(DISPLAY, 7), -1) << "only front and back are colours";
    EXPECT_EQ(get_gadget_colour(DISPLAY, COLOUR_FRONT), RGB(0, 128, 0));
    EXPECT_EQ(get_gadget_colour(DISPLAY, COLOUR_BACK), -1);
}

TEST_F(Editor, ReadOnlyAttribute) {
    EXPECT_EQ(get_gadget_attribute(DISPLAY, ATTRIBUTE_READ_ONLY), 1);
    set_gadget_attribute(DISPLAY, ATTRIBUTE_READ_ONLY, 0);
    EXPECT_EQ(SendMessageA(editor, EM_GETOPTIONS, 0, 0) & ECO_READONLY, 0);
    set_gadget_attribute(DISPLAY, ATTRIBUTE_READ_ONLY, 42);
    EXPECT_EQ(get_gadget_attribute(DISPLAY, ATTRIBUTE_READ_ONLY), 1);
    set_gadget_attribute(DISPLAY, 1, 0);
    EXPECT_EQ(get_gadget_attribute(DISPLAY, ATTRIBUTE_READ_ONLY), 1) << "another attribute leaves it read-only";
    EXPECT_EQ(get_gadget_attribute(DISPLAY, 1), 0) << "the only attribute is read-only";
}

}  // namespace
