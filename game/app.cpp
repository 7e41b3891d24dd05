// Start-up, the main loop and shut-down, the same on every platform.
#include "game/app.h"

#include "game/game_state.h"
#include "game/main_window.h"
#include "toolkit/toolkit.h"

namespace {

struct FontSpec {
    const char* face;
    int points;
};

// FONT_PROMPT to FONT_ABOUT, in font-number order.
constexpr FontSpec FONTS[FONT_COUNT] = {
    {"Times New Roman", 12},       {"Arial", 18}, {"Arial Rounded MT Bold", 9},
    {"Arial Rounded MT Bold", 10}, {"Arial", 10}, {"Courier New", 9},
};

}  // namespace

bool start_up() {
    game = GameState{};
    create_general_heap();  // falls back to the process heap when a private one cannot be made
    // Text values are std::string: they need no storage of their own prepared.
    init_record_heap();
    init_fonts();
    init_windows();
    init_gadgets();
    for (int i = 0; i < FONT_COUNT; ++i)
        game.font_handles[i] = reinterpret_cast<FontHandle>(load_font(FONT_PROMPT + i, FONTS[i].face, FONTS[i].points));
    init_joke_reel_table();
    game.secret_pin = draw_pin();  // the generator's first value, which seeds it
    game.guess.clear();
    game.display_clear_pending = 0;
    game.line_break = "\r\n";
    init_joke_reel_history();
    game.about_text = build_about_text();
    // Without its window the game could neither take a key nor ever be closed.
    if (!build_main_window()) return false;
    add_shortcut(WINDOW_MAIN, KEY_RETURN, SHORTCUT_ENTER);
    return true;
}

bool main_loop_pass(int timeout) {
    game.current_event = wait_event(timeout);
    game.current_window = event_window();
    game.current_gadget = event_gadget();
    game.current_event_type = event_type();
    if (game.current_gadget == GADGET_GUESS) take_guess();
    if ((game.current_gadget == GADGET_OK || game.current_event == EVENT_MENU) && game.guess.size() >= PIN_LENGTH)
        score_guess();
    if (game.current_gadget == GADGET_GUESS && game.display_clear_pending == 1) clear_display();
    if (game.current_gadget == GADGET_ABOUT) show_about();
    return game.current_event != EVENT_CLOSE;
}

void main_loop() {
    while (main_loop_pass()) {
    }
}

void release_all() {
    close_all_windows();
    free_all_fonts();
    destroy_general_heap();
}
