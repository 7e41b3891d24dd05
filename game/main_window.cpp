// The main window: its gadgets in their places, fonts and tooltips, and the About text.
#include "game/main_window.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "game/game_state.h"
#include "toolkit/toolkit.h"

namespace {

constexpr const char* WINDOW_TITLE = "Tavek PIN Program Ver. 0.11";

// Every non-empty line begins with one blank and holds at most 37 characters.
// One line of the text per line of source.
// clang-format off
constexpr const char* ABOUT_LINES[] = {
    " Written by the Tavek team, 2026",  " Free to play, copy and share.", " It comes with no warranty at all.",
    " Jokes gathered and retold by the", " Tavek team's own joke desk.",   "",
    " Instructions: Have Fun With It",
};
// clang-format on

enum class Kind { button, label, input, frame, editor };

struct GadgetRow {
    int number;
    Kind kind;
    int x, y, width, height;
    const char* text;
    uint32_t flags;
    int font;  // 0: the toolkit default font
};

// In creation order, which is also their order among the window's children.
constexpr GadgetRow GADGETS[] = {
    {GADGET_OK, Kind::button, 110, 140, 50, 30, "OK", 1, 0},
    {GADGET_PROMPT, Kind::label, 70, 30, 140, 50, "Enter 4 Digit  PIN", 1, FONT_PROMPT},
    {GADGET_GUESS, Kind::input, 90, 90, 90, 40, "", 0x2000, FONT_DIGITS},
    {GADGET_FRAME, Kind::frame, 30, 20, 220, 240, "", 0, 0},
    {GADGET_STRIKES, Kind::input, 70, 210, 50, 40, " 0", 0x800, FONT_DIGITS},
    {GADGET_BALLS, Kind::input, 160, 210, 50, 40, " 0", 0x800, FONT_DIGITS},
    {GADGET_STRIKES_LABEL, Kind::label, 70, 190, 60, 20, "Strikes", 0, FONT_LABEL},
    {GADGET_BALLS_LABEL, Kind::label, 160, 190, 50, 20, "Balls", 1, FONT_LABEL},
    {GADGET_MESSAGE, Kind::label, 350, 230, 190, 40, "", 1, FONT_LABEL},
    {GADGET_DISPLAY, Kind::editor, 270, 30, 358, 185, nullptr, 0x800, FONT_DISPLAY},
    {GADGET_ABOUT, Kind::button, 550, 230, 80, 40, "About", 1, FONT_BUTTON},
};

// What a screen reader speaks for the gadgets whose own text does not say what they are.
struct SpokenName {
    int number;
    const char* name;
};
constexpr SpokenName SPOKEN_NAMES[] = {
    {GADGET_GUESS, "Enter 4 Digit  PIN"}, {GADGET_STRIKES, "Strikes"}, {GADGET_BALLS, "Balls"},
    {GADGET_DISPLAY, "Results"},          {GADGET_MESSAGE, "Message"},
};

void create(const GadgetRow& g) {
    switch (g.kind) {
        case Kind::button: create_button(g.number, g.x, g.y, g.width, g.height, g.text, g.flags); break;
        case Kind::label: create_label(g.number, g.x, g.y, g.width, g.height, g.text, g.flags); break;
        case Kind::input: create_input(g.number, g.x, g.y, g.width, g.height, g.text, g.flags); break;
        case Kind::frame: create_frame(g.number, g.x, g.y, g.width, g.height, g.text); break;
        case Kind::editor: create_editor(g.number, g.x, g.y, g.width, g.height, g.flags); break;
    }
}

}  // namespace

std::string build_about_text() {
    std::string text;
    const std::span<const char* const> lines(ABOUT_LINES);
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) text += game.line_break;
        text += lines[i];
    }
    return text;
}

bool build_main_window() {
    if (!open_window(WINDOW_MAIN, 216, 0, 660, 300, WINDOW_TITLE, 0xCC0000)) return false;
    if (!use_gadget_list(window_handle(WINDOW_MAIN))) return true;  // the window stands without gadgets
    for (const GadgetRow& g : GADGETS) {
        create(g);
        if (g.font) set_gadget_font(g.number, game.font_handles[g.font - 1]);
    }
    set_gadget_tooltip(GADGET_STRIKES, "Max. Stikes Counted is 9 - Watch for Hint");
    set_gadget_tooltip(GADGET_BALLS, "Max. Balls Counted is 99");
    for (const SpokenName& spoken : SPOKEN_NAMES) set_gadget_name(spoken.number, spoken.name);
    // Each result the game writes there is spoken to a player who cannot see it.
    set_gadget_live(GADGET_DISPLAY, 1);
    set_gadget_live(GADGET_MESSAGE, 1);
    return true;
}
