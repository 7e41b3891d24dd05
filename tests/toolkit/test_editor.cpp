// The rich-text editor on a real rich edit control: what it paints, typing,
// and its colours as the control holds them across font changes. Its lines
// and read-only attribute: test_public_operations, on every platform.
#include <richedit.h>

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>

#include "toolkit/win32/internal.h"
#include "toolkit_fixture.h"

namespace {

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

}  // namespace
