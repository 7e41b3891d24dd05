#include "game_fixture.h"

#include "screen_double.h"

#include <cstdint>
#include <string>

FontHandle test_font(int font) { return reinterpret_cast<FontHandle>(static_cast<intptr_t>(0x1000 + font)); }

void new_game(const std::string& pin) {
    game = GameState{};
    joke_reel = JokeReel{};
    for (int font = FONT_PROMPT; font <= FONT_ABOUT; ++font) game.font_handles[font - 1] = test_font(font);
    game.secret_pin = pin;
    game.line_break = "\r\n";
    game.about_text = " About line\r\n\r\n Instructions: Have Fun With It";
    screen_reset();
    screen_type(GADGET_STRIKES, " 0");
    screen_type(GADGET_BALLS, " 0");
}

void type_guess(const std::string& typed) {
    screen_type(GADGET_GUESS, typed);
    take_guess();
}

void play(const std::string& typed) {
    type_guess(typed);
    score_guess();
}
