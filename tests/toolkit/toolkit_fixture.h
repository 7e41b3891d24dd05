#pragma once
// What the toolkit's tests start from, on each platform (this folder's
// toolkit_fixture.cpp for Win32, tests/gtk/'s for GTK), so that the tests that
// speak through the public operations alone run on both.
#include <gtest/gtest.h>

#include <cstddef>
#include <ostream>

#include "toolkit/toolkit.h"

// What the platform asks for before the toolkit starts.
void prepare_platform();
// Starts the toolkit once per test program, in the order the game does.
inline void start_toolkit() {
    static bool started = false;
    if (started) return;
    started = true;
    prepare_platform();
    create_general_heap();
    init_record_heap();
    init_fonts();
    init_windows();
    init_gadgets();
}
// Dispatches messages until none is waiting (bounded), discarding events.
inline void drain_events() {
    for (int i = 0; i < 10000 && wait_event(0) != EVENT_NONE; ++i) {
    }
}
// A length of 1/96 inch units in pixels of the display's scale (at least 96
// dots per inch), as the toolkit places the windows it opens where they fit.
int at_display_scale(int length);
// A rectangle given to the toolkit in 1/96 inch, named for the trace, and
// whether the platform refuses it once it is scaled to this display.
struct OutOfReachRow {
    const char* name;
    int x, y, width, height;
    bool refused;
};

// ---- The windows the gadget and editor tests start from ----------------------
constexpr int GADGET_WINDOW = 5;
constexpr int EDITOR_WINDOW = 6;
constexpr int DISPLAY = 9;

class Gadgets : public ::testing::Test {
protected:
    void SetUp() override {
        start_toolkit();
        ASSERT_NE(open_window(GADGET_WINDOW, 40, 40, 500, 360, "Gadgets", 0xCC0000), 0);
        window = window_handle(GADGET_WINDOW);
        use_gadget_list(window);
        drain_events();
    }
    void TearDown() override { close_window(GADGET_WINDOW); }
    WindowHandle window = nullptr;
};

class Editor : public ::testing::Test {
protected:
    void SetUp() override {
        start_toolkit();
        ASSERT_NE(open_window(EDITOR_WINDOW, 40, 40, 500, 360, "Editor", 0xCC0000), 0);
        use_gadget_list(window_handle(EDITOR_WINDOW));
        ASSERT_NE(create_editor(DISPLAY, 10, 10, 400, 300, 0x800 /* ES_READONLY */), 0);
        editor = gadget_handle(DISPLAY);
    }
    void TearDown() override { close_window(EDITOR_WINDOW); }
    WindowHandle editor = nullptr;
};

// ---- What the platform itself shows, asked of its own windows and controls ----
struct PixelRect {
    int x, y, width, height;
    bool operator==(const PixelRect&) const = default;
};
inline std::ostream& operator<<(std::ostream& out, const PixelRect& r) {
    return out << r.x << "," << r.y << " " << r.width << "x" << r.height;
}
// Where a gadget's control stands in its window, in pixels.
PixelRect gadget_place(int gadget);
// The platform destroys a gadget's control, as when its window goes.
void destroy_control(WindowHandle control);
bool has_border(int input);
// The most characters of one byte a single-line field holds.
extern const size_t FIELD_CAPACITY;
bool editor_read_only(int editor);
void select_all_text(int editor);
