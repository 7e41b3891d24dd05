// Drawing the PIN and judging guesses.
#include <cstdint>
#include <string>

#include "game/game_state.h"

GameState game;

namespace {

FontHandle font_handle(int font) { return game.font_handles[font - 1]; }

// A font change repaints the whole display: give it only when the font differs.
void set_display_font(int font) {
    if (game.display_font == font) return;
    set_gadget_font(GADGET_DISPLAY, font_handle(font));
    game.display_font = font;
}

// Clears the About text when it is up; the step that follows no longer shows it.
void clear_about() {
    if (game.about_shown == 1) clear_display();
    game.about_shown = 0;
}

// True when some character of the guess occurs anywhere in the PIN; position
// and repetition play no part.
bool shares_a_character(const std::string& guess, const std::string& pin) {
    return guess.find_first_of(pin) != std::string::npos;
}

// A count as its field shows it: a blank, then the number or "#" past the limit.
std::string count_text(int32_t count, int32_t shown_up_to) {
    std::string text = " ";
    text += count > shown_up_to ? "#" : std::to_string(count);
    return text;
}

// Shows the miss line at the top of the display.
void add_miss_line(const std::string& line) {
    set_display_font(FONT_DISPLAY);
    add_gadget_item(GADGET_DISPLAY, 0, line.c_str());
    game.display_known_empty = 0;
}

void count_ball() {
    ++game.balls;
    set_gadget_text(GADGET_BALLS, count_text(game.balls, BALLS_SHOWN_UP_TO).c_str());
    add_miss_line("* Ball: " + game.guess + " has at least one correct digit");
    game.guess.clear();
}

void count_strike() {
    ++game.strikes;
    set_gadget_text(GADGET_STRIKES, count_text(game.strikes, STRIKES_SHOWN_UP_TO).c_str());
    add_miss_line("* Strike: " + game.guess + " has no correct digits");
    game.guess.clear();
}

// The guess field is cleared before a count field is written: of the change
// events these writes raise, only the last survives, and it must name a count
// field, which the main loop ignores, never the guess field.
void win() {
    game.strikes = 0;
    game.balls = 0;
    set_gadget_text(GADGET_GUESS, "");
    set_gadget_text(GADGET_STRIKES, " 0");
    set_gadget_text(GADGET_BALLS, " 0");
    start_next_game();
}

void miss() {
    set_gadget_text(GADGET_GUESS, "");
    write_message("YOU CHOSE POORLY");
    game.display_clear_pending = 0;
    if (shares_a_character(game.guess, game.secret_pin))
        count_ball();
    else
        count_strike();
    if (game.strikes > HINT_AFTER_STRIKES) write_message("  Hint: " + game.secret_pin);
}

}  // namespace

std::string pin_text(int32_t n) {
    const std::string text = "0000" + std::to_string(n);
    return text.substr(text.size() - PIN_LENGTH);
}

std::string draw_pin() { return pin_text(random_upto(9999)); }

void take_guess() {
    clear_about();
    write_message("");
    game.guess = get_gadget_text(GADGET_GUESS);
    if (game.guess.size() > PIN_LENGTH) game.guess = game.guess.substr(game.guess.size() - PIN_LENGTH);
}

void score_guess() {
    // The main loop submits only four characters; a shorter guess is never
    // judged, whoever calls (an empty one would otherwise count as a Strike).
    if (game.guess.size() < PIN_LENGTH) return;
    clear_about();
    if (game.guess == game.secret_pin || game.guess == MASTER_CODE)
        win();
    else
        miss();
}

void show_about() {
    // Run again on later events while it is up, the About text is on screen
    // already, in its font: writing it again would only repaint the display.
    if (game.about_shown == 1) return;
    write_display(FONT_ABOUT, game.about_text);
    game.display_clear_pending = 1;
    game.about_shown = 1;
}

void write_message(const std::string& text) {
    if (game.message_known == 1 && game.message_on_screen == text) return;
    set_gadget_text(GADGET_MESSAGE, text.c_str());
    game.message_on_screen = text;
    game.message_known = 1;
}

void clear_display() {
    if (game.display_known_empty == 1) return;
    set_gadget_text(GADGET_DISPLAY, "");
    game.display_known_empty = 1;
}

void write_display(int font, const std::string& text) {
    set_display_font(font);
    set_gadget_text(GADGET_DISPLAY, text.c_str());
    game.display_known_empty = text.empty() ? 1 : 0;
}
