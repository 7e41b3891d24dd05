#pragma once
// A fresh game on the recording screen, and the player's side of it.
#include <string>

#include "game/game_state.h"

// A distinct stand-in handle for font number n.
FontHandle test_font(int font);
// The state start-up leaves, with the given secret PIN, an empty screen, the
// joke history all 0 and test fonts.
void new_game(const std::string& pin);
// The player types into the guess field; its event runs take_guess.
void type_guess(const std::string& typed);
// Types and submits a guess, as the Enter key does.
void play(const std::string& typed);
