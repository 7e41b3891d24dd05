#pragma once
// Rows that hold on every platform: the Win32 tests and the GTK backend's
// tests read the same tables.
#include <string>
#include <utility>
#include <vector>

#include "toolkit/toolkit.h"

// A font's character height in pixels (Win32 asks for it negated), by points
// and the display's dots per inch.
struct FontHeightRow {
    int points;
    int height_96;
    int height_120;
};
inline const FontHeightRow FONT_HEIGHT_ROWS[] = {{9, 12, 15}, {10, 13, 17}, {12, 16, 20}, {18, 24, 30}};

// The editor's lines after a text is set and lines are added at positions
// (-1 and past the end append; an empty line appended to an empty editor
// waits for the next append).
struct EditorAddRow {
    const char* name;
    const char* initial;                            // set_gadget_text before the steps
    std::vector<std::pair<int, const char*>> adds;  // position, text
    std::vector<std::string> lines;
};
inline const EditorAddRow EDITOR_ADD_ROWS[] = {
    {"one character, nothing added", "a", {}, {"a"}},
    {"insert on top of a line", "a", {{0, "x"}}, {"x", "a"}},
    {"insert into an empty editor", "", {{0, "x"}}, {"x", ""}},
    {"newest on top", "", {{0, "one"}, {0, "two"}}, {"two", "one", ""}},
    {"insert before the second line", "a\r\nc", {{1, "b"}}, {"a", "b", "c"}},
    {"append two", "", {{-1, "a"}, {-1, "b"}}, {"a", "b"}},
    {"append past the end", "a", {{5, "b"}}, {"a", "b"}},
    {"append an empty line, then text", "", {{-1, ""}, {-1, "b"}}, {"", "b"}},
    {"missing text counts as empty", "", {{-1, nullptr}, {-1, "b"}}, {"", "b"}},
};

// A frame (3), a button (0) and a label (6) resized in turn: what is given is
// scaled as a creator's numbers are, what is kept (KEEP_VALUE) stays. The
// rectangle each then stands at, in 1/96 inch.
struct ResizeRow {
    int gadget, x, y, width, height;
    int at[4];
};
inline const ResizeRow RESIZE_ROWS[] = {
    {3, 15, KEEP_VALUE, KEEP_VALUE, 120, {15, 20, 200, 120}},
    {0, KEEP_VALUE, 50, 90, KEEP_VALUE, {30, 50, 90, 24}},
    {3, KEEP_VALUE, KEEP_VALUE, KEEP_VALUE, KEEP_VALUE, {15, 20, 200, 120}},
    {0, 35, 45, 60, 20, {35, 45, 60, 20}},
    {6, KEEP_VALUE, KEEP_VALUE, 80, KEEP_VALUE, {130, 40, 80, 20}},
};
