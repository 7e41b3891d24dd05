// The rich-text editor on a real rich edit control: lines added, inserted,
// read, replaced and removed; the pending empty line; colours across font
// changes; the read-only attribute; very long texts and lines.
#include <richedit.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "toolkit/internal.h"
#include "toolkit_fixture.h"

namespace {

constexpr int EDITOR_WINDOW = 6;
constexpr int DISPLAY = 9;

std::vector<std::string> lines_of(int gadget) {
    std::vector<std::string> lines;
    const int count = count_gadget_items(gadget);
    for (int line = 0; line < count; ++line) lines.push_back(get_gadget_item_text(gadget, line));
    return lines;
}

class Editor : public ::testing::Test {
protected:
    void SetUp() override {
        start_toolkit();
        ASSERT_NE(open_window(EDITOR_WINDOW, 40, 40, 500, 360, "Editor", 0xCC0000), 0);
        window = window_handle(EDITOR_WINDOW);
        use_gadget_list(window);
        ASSERT_NE(create_editor(DISPLAY, 10, 10, 400, 300, ES_READONLY), 0);
        editor = gadget_handle(DISPLAY);
    }
    void TearDown() override {
        close_window(EDITOR_WINDOW);
        drain_events();
    }
    HWND window = nullptr;
    HWND editor = nullptr;
};

TEST_F(Editor, CreatedAsRegisteredRichEditWithoutTextLimit) {
    char class_name[32] = {};
    GetClassNameA(editor, class_name, sizeof class_name);
    EXPECT_STREQ(class_name, "RichEdit20A");
    EXPECT_EQ(reinterpret_cast<intptr_t>(GetPropA(editor, "QZ_ID")), DISPLAY);
    EXPECT_EQ(GetWindowLongPtrA(editor, GWLP_ID), DISPLAY);
    EXPECT_EQ(find_gadget(DISPLAY)->previous_proc, editor_proc);
    EXPECT_EQ(SendMessageA(editor, EM_GETLIMITTEXT, 0, 0), 0x7FFFFFFF);
    EXPECT_EQ(count_gadget_items(DISPLAY), 0);
    EXPECT_EQ(get_gadget_colour(DISPLAY, COLOUR_FRONT), -1);
    EXPECT_EQ(get_gadget_colour(DISPLAY, COLOUR_BACK), -1);
}

TEST_F(Editor, EditableEditorTakesTyping) {
    ASSERT_NE(create_editor(DISPLAY, 10, 10, 400, 300, 0), 0);
    editor = gadget_handle(DISPLAY);
    EXPECT_EQ(get_gadget_attribute(DISPLAY, ATTRIBUTE_READ_ONLY), 0);
    for (char typed : {'a', 'b'}) PostMessageA(editor, WM_CHAR, static_cast<WPARAM>(typed), 1);
    for (int pass = 0; pass < 100 && get_gadget_text(DISPLAY).size() < 2; ++pass) wait_event(10);
    EXPECT_EQ(get_gadget_text(DISPLAY), "ab");
}

// One add_gadget_item step.
struct Add {
    int position;
    const char* text;
};

struct ItemRow {
    const char* name;
    const char* initial;  // set_gadget_text before the steps
    std::vector<Add> steps;
    std::vector<std::string> lines;
};

TEST_F(Editor, AddingItems) {
    const ItemRow rows[] = {
        {"insert on top of a line", "a", {{0, "x"}}, {"x", "a"}},
        {"insert into an empty editor", "", {{0, "x"}}, {"x", ""}},
        {"newest on top", "", {{0, "one"}, {0, "two"}}, {"two", "one", ""}},
        {"insert before the second line", "a\r\nc", {{1, "b"}}, {"a", "b", "c"}},
        {"append two", "", {{-1, "a"}, {-1, "b"}}, {"a", "b"}},
        {"append past the end", "a", {{5, "b"}}, {"a", "b"}},
        {"append an empty line, then text", "", {{-1, ""}, {-1, "b"}}, {"", "b"}},
        {"missing text counts as empty", "", {{-1, nullptr}, {-1, "b"}}, {"", "b"}},
    };
    for (const ItemRow& row : rows) {
        SCOPED_TRACE(row.name);
        set_gadget_text(DISPLAY, row.initial);
        for (const Add& step : row.steps) EXPECT_EQ(add_gadget_item(DISPLAY, step.position, step.text), 0);
        EXPECT_EQ(lines_of(DISPLAY), row.lines);
        std::string joined;
        for (size_t i = 0; i < row.lines.size(); ++i) joined += (i ? "\r\n" : "") + row.lines[i];
        EXPECT_EQ(get_gadget_text(DISPLAY), joined);
    }
}

TEST_F(Editor, PendingEmptyLineAndClearing) {
    add_gadget_item(DISPLAY, -1, "");
    EXPECT_EQ(get_gadget_text(DISPLAY), "");
    EXPECT_EQ(count_gadget_items(DISPLAY), 1) << "the appended empty line counts";
    EXPECT_EQ(find_gadget(DISPLAY)->editor.line_state, 1);

    EXPECT_EQ(set_gadget_text(DISPLAY, nullptr), 1);
    EXPECT_EQ(count_gadget_items(DISPLAY), 0);
    EXPECT_EQ(find_gadget(DISPLAY)->editor.line_state, 0);
    add_gadget_item(DISPLAY, -1, "b");
    EXPECT_EQ(lines_of(DISPLAY), (std::vector<std::string>{"b"})) << "no empty line left over";

    add_gadget_item(DISPLAY, -1, "c");
    EXPECT_EQ(clear_gadget_items(DISPLAY), 1);
    EXPECT_EQ(get_gadget_text(DISPLAY), "");
    EXPECT_EQ(count_gadget_items(DISPLAY), 0);
}

TEST_F(Editor, ReplacingAndRemovingLines) {
    set_gadget_text(DISPLAY, "one\r\ntwo\r\nthree");
    EXPECT_EQ(set_gadget_item_text(DISPLAY, 1, "TWO"), 1);
    EXPECT_EQ(lines_of(DISPLAY), (std::vector<std::string>{"one", "TWO", "three"}));
    EXPECT_EQ(remove_gadget_item(DISPLAY, 0), 1);
    EXPECT_EQ(lines_of(DISPLAY), (std::vector<std::string>{"TWO", "three"}));

    // Lines that do not exist leave the text alone, whatever the selection.
    SendMessageA(editor, EM_SETSEL, 0, -1);
    for (int line : {-1, 2, 99}) {
        SCOPED_TRACE(line);
        remove_gadget_item(DISPLAY, line);
        set_gadget_item_text(DISPLAY, line, "lost");
        EXPECT_EQ(get_gadget_text(DISPLAY), "TWO\r\nthree");
        EXPECT_EQ(get_gadget_item_text(DISPLAY, line), "");
    }

    remove_gadget_item(DISPLAY, 0);
    remove_gadget_item(DISPLAY, 0);
    EXPECT_EQ(get_gadget_text(DISPLAY), "");
    EXPECT_EQ(count_gadget_items(DISPLAY), 0);
}

TEST_F(Editor, LongLinesAreReadWhole) {
    // 65532 and 65533 characters sit at the edge of the 16-bit size word a
    // line read starts with.
    for (size_t length : {size_t{1}, size_t{300}, size_t{65532}, size_t{65533}, size_t{100000}}) {
        SCOPED_TRACE(length);
        const std::string line(length, 'q');
        set_gadget_text(DISPLAY, (line + "\r\ntail").c_str());
        const std::string read = get_gadget_item_text(DISPLAY, 0);
        EXPECT_EQ(read.size(), length);
        EXPECT_EQ(read, line);
        EXPECT_EQ(get_gadget_item_text(DISPLAY, 1), "tail");
    }
    const std::string text(100000, 'z');
    clear_gadget_items(DISPLAY);
    add_gadget_item(DISPLAY, 0, text.c_str());
    EXPECT_EQ(get_gadget_text(DISPLAY), text + "\r\n");
    EXPECT_EQ(count_gadget_items(DISPLAY), 2);
}

CHARFORMATA default_format(HWND editor) {
    CHARFORMATA format{};
    format.cbSize = sizeof format;
    SendMessageA(editor, EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
    return format;
}

CHARFORMATA all_text_format(HWND editor) {
    CHARFORMATA format{};
    format.cbSize = sizeof format;
    SendMessageA(editor, EM_SETSEL, 0, -1);
    SendMessageA(editor, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    return format;
}

TEST_F(Editor, FrontColourSurvivesFontChanges) {
    HFONT font = CreateFontA(-18, 0, 0, 0, 400, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Courier New");
    ASSERT_NE(font, nullptr);
    set_gadget_text(DISPLAY, "coloured\r\ntext");
    const COLORREF green = RGB(0, 128, 0);
    EXPECT_EQ(set_gadget_colour(DISPLAY, COLOUR_FRONT, static_cast<int32_t>(green)), 1);
    EXPECT_EQ(get_gadget_colour(DISPLAY, COLOUR_FRONT), static_cast<int32_t>(green));

    EXPECT_EQ(set_gadget_font(DISPLAY, font), 0);
    for (const CHARFORMATA& format : {default_format(editor), all_text_format(editor)}) {
        EXPECT_EQ(format.dwEffects & CFE_AUTOCOLOR, 0u);
        EXPECT_EQ(format.crTextColor, green);
    }

    set_gadget_colour(DISPLAY, COLOUR_FRONT, -1);
    set_gadget_font(DISPLAY, DEFAULT_GADGET_FONT);
    for (const CHARFORMATA& format : {default_format(editor), all_text_format(editor)})
        EXPECT_NE(format.dwEffects & CFE_AUTOCOLOR, 0u);
    close_window(EDITOR_WINDOW);
    DeleteObject(font);
}

TEST_F(Editor, BackColourAndReadOnlyAttribute) {
    EXPECT_EQ(set_gadget_colour(DISPLAY, COLOUR_BACK, RGB(1, 2, 3)), 1);
    EXPECT_EQ(get_gadget_colour(DISPLAY, COLOUR_BACK), static_cast<int32_t>(RGB(1, 2, 3)));
    EXPECT_EQ(get_gadget_colour(DISPLAY, 7), -1);

    EXPECT_EQ(get_gadget_attribute(DISPLAY, ATTRIBUTE_READ_ONLY), 1);
    EXPECT_EQ(set_gadget_attribute(DISPLAY, ATTRIBUTE_READ_ONLY, 0), 1);
    EXPECT_EQ(get_gadget_attribute(DISPLAY, ATTRIBUTE_READ_ONLY), 0);
    EXPECT_EQ(SendMessageA(editor, EM_GETOPTIONS, 0, 0) & ECO_READONLY, 0);
    set_gadget_attribute(DISPLAY, ATTRIBUTE_READ_ONLY, 42);
    EXPECT_EQ(get_gadget_attribute(DISPLAY, ATTRIBUTE_READ_ONLY), 1);
    EXPECT_EQ(get_gadget_attribute(DISPLAY, 1), 0) << "the only attribute is read-only";
}

}  // namespace
