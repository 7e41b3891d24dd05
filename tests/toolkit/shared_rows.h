#pragma once
// Rows that hold on every platform: the Win32 tests and the GTK backend's
// tests read the same tables.
#include <string>
#include <utility>
#include <vector>

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
