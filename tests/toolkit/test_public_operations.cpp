// What the public operations answer on every platform, run on Win32 and on
// GTK alike (each over its own toolkit_fixture): gadgets resized, refused out
// of reach, their states and texts, the operations a kind lacks and numbers
// that name nothing; the editor's lines and read-only attribute; fonts and
// tooltips under numbers that name nothing.
#include <gtest/gtest.h>

#include <climits>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "shared_rows.h"
#include "toolkit/object_table.h"
#include "toolkit_fixture.h"

namespace {

constexpr uint32_t AUTO_CHECK_BOX = 3;  // BS_AUTOCHECKBOX, as on every platform

TEST_F(Gadgets, MissingAndLongTexts) {
    ASSERT_NE(create_label(1, 10, 10, 100, 24, nullptr), 0);
    EXPECT_EQ(get_gadget_text(1), "");
    ASSERT_NE(create_button(3, 10, 70, 100, 24, nullptr, 0), 0);
    ASSERT_NE(create_frame(4, 10, 100, 100, 50, nullptr), 0);
    ASSERT_NE(create_input(5, 10, 160, 100, 24, nullptr, INPUT_NO_BORDER), 0);
    for (int number : {3, 4, 5}) EXPECT_EQ(get_gadget_text(number), "") << number;
    EXPECT_FALSE(has_border(5)) << "the field has no border";
    ASSERT_NE(create_input(2, 10, 40, 100, 24, "old", 0), 0);
    EXPECT_TRUE(has_border(2));
    EXPECT_EQ(set_gadget_text(2, nullptr), 1);
    EXPECT_EQ(get_gadget_text(2), "");
    // The edit control's typing limit (32767) does not cut a text the program
    // sets, as long as the platform's field holds it (GTK's: 65534).
    for (const size_t length : {size_t{40000}, size_t{100000}}) {
        if (length > FIELD_CAPACITY) continue;
        SCOPED_TRACE(length);
        const std::string long_text(length, '5');
        set_gadget_text(2, long_text.c_str());
        const std::string read = get_gadget_text(2);
        EXPECT_EQ(read.size(), long_text.size());
        EXPECT_TRUE(read == long_text) << "the field's characters differ";
    }
}

// The pixels a rectangle of 1/96 inch units stands at on this display.
PixelRect at_scale(const int (&at)[4]) {
    return {at_display_scale(at[0]), at_display_scale(at[1]), at_display_scale(at[2]), at_display_scale(at[3])};
}

// What is given is scaled as a creator's numbers are (units of 1/96 inch);
// what is kept stays the pixels it was, KEEP_VALUE itself never scaled.
TEST_F(Gadgets, ResizeKeepsWhatIsNotGiven) {
    ASSERT_NE(create_frame(3, 10, 20, 200, 100, "Frame"), 0);
    ASSERT_NE(create_button(0, 30, 40, 80, 24, "OK", 0), 0);
    ASSERT_NE(create_label(6, 130, 40, 60, 20, "Balls"), 0);
    for (const ResizeRow& row : RESIZE_ROWS) {
        SCOPED_TRACE(row.gadget);
        EXPECT_EQ(resize_gadget(row.gadget, row.x, row.y, row.width, row.height), 1);
        EXPECT_EQ(gadget_place(row.gadget), at_scale(row.at));
    }
}

// Gadgets stand at their window's scale. A rectangle that cannot be had in
// pixels there is refused as a control the platform refuses: the gadget under
// the number stays where it was, and nothing is placed at a wrapped-round number.
TEST_F(Gadgets, PlacedAtTheirWindowsScaleAndRefusedOutOfReach) {
    ASSERT_NE(create_label(4, 10, 20, 60, 30, "kept", 0), 0);
    WindowHandle kept = gadget_handle(4);
    const PixelRect where = gadget_place(4);
    EXPECT_EQ(where, at_scale({10, 20, 60, 30}));

    const bool scaled = at_display_scale(96) > 96;
    const OutOfReachRow rows[] = {
        {"right edge past the int range", INT_MAX - 5, 0, 10, 10, true},
        {"bottom edge past the int range", 0, INT_MAX - 5, 10, 10, true},
        {"half the range each for x and width", INT_MAX / 2, 0, INT_MAX / 2, 10, scaled},
        {"half the range each for y and height", 0, INT_MAX / 2, 10, INT_MAX / 2, scaled},
        {"a width past the int range once scaled", 0, 0, INT_MAX - 100, 10, scaled},
        {"a position that scaled is KEEP_VALUE", -43690, 0, 10, 10, at_display_scale(-43690) == KEEP_VALUE},
    };
    for (const auto& row : rows) {
        if (!row.refused) continue;  // in reach at 96 dots per inch: nothing to refuse
        SCOPED_TRACE(row.name);
        EXPECT_EQ(create_button(4, row.x, row.y, row.width, row.height, "new", 0), 0);
        EXPECT_EQ(gadget_handle(4), kept);
        EXPECT_EQ(resize_gadget(4, row.x, row.y, row.width, row.height), 0);
        EXPECT_EQ(gadget_place(4), where);
    }
}

TEST_F(Gadgets, NumbersNamingNoGadgetDoNothing) {
    ASSERT_NE(create_input(8, 10, 10, 100, 24, "gone", 0), 0);
    destroy_control(gadget_handle(8));
    for (int number : {8, 45, 5000, -1, -2, ANONYMOUS_IDENTITY_FIRST - 1000}) {
        SCOPED_TRACE(number);
        EXPECT_EQ(gadget_handle(number), nullptr);
        EXPECT_EQ(set_gadget_text(number, "x") + set_gadget_name(number, "x"), 0);
        EXPECT_EQ(get_gadget_text(number), "");
        EXPECT_EQ(add_gadget_item(number, 0, "x"), 0);
        if (number != -1) {
            EXPECT_EQ(set_gadget_font(number, DEFAULT_GADGET_FONT), 0);
        }
        EXPECT_EQ(set_gadget_colour(number, COLOUR_BACK, 0), 0);
        EXPECT_EQ(get_gadget_colour(number, COLOUR_BACK), 0);
        EXPECT_EQ(set_gadget_state(number, 1) + get_gadget_state(number), 0);
        EXPECT_EQ(remove_gadget_item(number, 0) + clear_gadget_items(number) + count_gadget_items(number), 0);
        EXPECT_EQ(resize_gadget(number, 1, 2, 3, 4), 0);
        EXPECT_EQ(get_gadget_item_text(number, 0), "");
        EXPECT_EQ(set_gadget_item_text(number, 0, "x"), 0);
        EXPECT_EQ(set_gadget_attribute(number, ATTRIBUTE_READ_ONLY, 1), 0);
        EXPECT_EQ(get_gadget_attribute(number, ATTRIBUTE_READ_ONLY), 0);
    }
}

TEST_F(Gadgets, ButtonStateAndOperationsAKindLacks) {
    ASSERT_NE(create_button(3, 10, 10, 100, 24, "check", AUTO_CHECK_BOX), 0);
    EXPECT_EQ(set_gadget_state(3, 5), 1);
    EXPECT_EQ(get_gadget_state(3), 1);
    set_gadget_state(3, 0);
    EXPECT_EQ(get_gadget_state(3), 0);
    EXPECT_EQ(get_gadget_colour(3, COLOUR_FRONT), -1) << "buttons draw in the system colours";

    EXPECT_EQ(set_gadget_colour(3, COLOUR_BACK, 0), 0);

    // A label has no state, items or attributes: each such operation answers 0
    // (or nothing) instead of calling an operation the kind does not have.
    ASSERT_NE(create_label(6, 10, 40, 100, 24, "Strikes"), 0);
    EXPECT_EQ(add_gadget_item(6, -1, "line"), 0);
    EXPECT_EQ(count_gadget_items(6), 0);
    EXPECT_EQ(set_gadget_state(6, 1), 0);
    EXPECT_EQ(get_gadget_state(6), 0);
    EXPECT_EQ(remove_gadget_item(6, 0), 0);
    EXPECT_EQ(clear_gadget_items(6), 0);
    EXPECT_EQ(get_gadget_item_text(6, 0), "");
    EXPECT_EQ(set_gadget_item_text(6, 0, "x"), 0);
    EXPECT_EQ(set_gadget_attribute(6, ATTRIBUTE_READ_ONLY, 1), 0);
    EXPECT_EQ(get_gadget_attribute(6, ATTRIBUTE_READ_ONLY), 0);
    EXPECT_EQ(get_gadget_colour(6, 7), -1) << "only front and back are colours";
    EXPECT_EQ(get_gadget_text(6), "Strikes");
}

// ---- The editor -------------------------------------------------------------------

using Lines = std::vector<std::string>;

Lines lines_of(int gadget) {
    Lines lines;
    for (int line = 0; line < count_gadget_items(gadget); ++line) lines.push_back(get_gadget_item_text(gadget, line));
    return lines;
}

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
    select_all_text(DISPLAY);
    for (int line : {-1, 2, 99}) {
        SCOPED_TRACE(line);
        remove_gadget_item(DISPLAY, line);
        set_gadget_item_text(DISPLAY, line, "lost");
        EXPECT_EQ(get_gadget_text(DISPLAY), "TWO\r\nthree") << "the selected text is left alone";
        EXPECT_EQ(get_gadget_item_text(DISPLAY, line), "");
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

TEST_F(Editor, ReadOnlyAttribute) {
    EXPECT_EQ(get_gadget_attribute(DISPLAY, ATTRIBUTE_READ_ONLY), 1);
    set_gadget_attribute(DISPLAY, ATTRIBUTE_READ_ONLY, 0);
    EXPECT_FALSE(editor_read_only(DISPLAY));
    set_gadget_attribute(DISPLAY, ATTRIBUTE_READ_ONLY, 42);
    EXPECT_EQ(get_gadget_attribute(DISPLAY, ATTRIBUTE_READ_ONLY), 1);
    set_gadget_attribute(DISPLAY, 1, 0);
    EXPECT_EQ(get_gadget_attribute(DISPLAY, ATTRIBUTE_READ_ONLY), 1) << "another attribute leaves it read-only";
    EXPECT_EQ(get_gadget_attribute(DISPLAY, 1), 0) << "the only attribute is read-only";
}

// ---- Fonts and tooltips -----------------------------------------------------------

TEST(FontTest, FreeingAnUnknownNumberReturnsZero) {
    start_toolkit();
    const int numbers[] = {0, 5, 15, 16, 1000, -2, -70000};
    for (int number : numbers) EXPECT_EQ(free_font(number), 0) << "number " << number;
    ASSERT_NE(load_font(5, "Arial", 10), 0);
    EXPECT_NE(free_font(5), 0);
    EXPECT_EQ(free_font(5), 0) << "freed twice";
}

TEST(TooltipTest, NumberThatNamesNoGadgetGetsNoTooltip) {
    start_toolkit();
    const int numbers[] = {0, 4, 49, 50, 1000, -1, -2};
    for (int number : numbers) EXPECT_EQ(set_gadget_tooltip(number, "nobody"), 0) << "number " << number;
}

}  // namespace
