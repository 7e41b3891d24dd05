#pragma once
// The game's state, its screen numbers and the steps the main loop runs.
//
// A game is the life of one secret PIN, from its drawing to the win that ends
// it. The steps below reach the screen only through the toolkit's gadget
// operations and draw their numbers from the process-wide generator.
#include <cstddef>
#include <cstdint>
#include <string>

#include "runtime/random.h"
#include "toolkit/toolkit.h"

// ---- Screen numbers -------------------------------------------------------------
inline constexpr int WINDOW_MAIN = 0;

inline constexpr int GADGET_OK = 0;             // button "OK": submits the guess
inline constexpr int GADGET_PROMPT = 1;         // label "Enter 4 Digit  PIN"
inline constexpr int GADGET_GUESS = 2;          // digits-only input field for the guess
inline constexpr int GADGET_FRAME = 3;          // frame around the left-hand group
inline constexpr int GADGET_STRIKES = 4;        // read-only field with the Strike count
inline constexpr int GADGET_BALLS = 5;          // read-only field with the Ball count
inline constexpr int GADGET_STRIKES_LABEL = 6;  // label "Strikes"
inline constexpr int GADGET_BALLS_LABEL = 7;    // label "Balls"
inline constexpr int GADGET_DISPLAY = 9;        // rich-text display: miss lines, jokes, About text
inline constexpr int GADGET_MESSAGE = 10;       // message line
inline constexpr int GADGET_ABOUT = 11;         // button "About"

inline constexpr int SHORTCUT_ENTER = 888;  // menu event raised by the Enter key

// Font numbers; font n's handle is font_handles[n - 1].
inline constexpr int FONT_PROMPT = 1;
inline constexpr int FONT_DIGITS = 2;
inline constexpr int FONT_LABEL = 3;
inline constexpr int FONT_DISPLAY = 4;
inline constexpr int FONT_BUTTON = 5;
inline constexpr int FONT_ABOUT = 6;
inline constexpr int FONT_COUNT = 6;

// ---- Rules ------------------------------------------------------------------------
inline constexpr size_t PIN_LENGTH = 4;             // a shorter stored guess is not judged
inline constexpr const char* MASTER_CODE = "6157";  // wins whatever the secret PIN is
inline constexpr int32_t STRIKES_SHOWN_UP_TO = 9;   // more Strikes show "#"
inline constexpr int32_t BALLS_SHOWN_UP_TO = 99;    // more Balls show "#"
inline constexpr int32_t HINT_AFTER_STRIKES = 9;    // more Strikes put the PIN on the message line

// The current game's record. Start-up zero-fills it (GameState{}) first.
struct GameState {
    FontHandle font_handles[FONT_COUNT];  // fonts FONT_PROMPT..FONT_ABOUT, in number order
    std::string secret_pin;               // exactly four characters "0".."9"
    std::string guess;                    // the stored guess: 0 to 4 characters
    int32_t display_clear_pending;        // 1: the display holds a joke or the About text
    std::string line_break;               // "\r\n": joins the lines of jokes and the About text
    std::string about_text;               // what show_about shows
    int32_t current_event;                // code of the current event
    int32_t current_window;               // window of the current event (read, not used)
    int32_t current_gadget;               // gadget or menu number of the current event
    int32_t current_event_type;           // type of the current event (read, not used)
    int32_t about_shown;                  // 1: the About text is up and no guess step has run since
    int32_t balls;                        // Balls of the current game
    int32_t strikes;                      // Strikes of the current game
    // What the game knows to be on screen, so that the loop's repeated steps do
    // not write it again: every such write makes the control repaint, and the
    // repaint is one more event that would run the same step again.
    std::string message_on_screen;  // the message line's text, when message_known is 1
    int32_t message_known;          // 1: message_on_screen is what the line shows
    int32_t display_known_empty;    // 1: the display is empty
    int32_t display_font;           // the font number last given to the display; 0 before any
};

// ---- Joke reel ----------------------------------------------------------------------
inline constexpr int JOKE_COUNT = 21;     // jokes in slots 0..20
inline constexpr int JOKE_SLOTS = 23;     // slots 21 and 22 stay empty
inline constexpr int HISTORY_SLOTS = 11;  // only slots 1..9 are used, slot 1 the newest
inline constexpr int HISTORY_FIRST = 1;
inline constexpr int HISTORY_LAST = 9;

struct JokeReel {
    std::string jokes[JOKE_SLOTS];   // each joke's lines joined by line_break; empty until the first win
    int32_t history[HISTORY_SLOTS];  // recent choices, never shown again while they stay here
    int32_t current_joke;            // the joke chosen last
};

extern GameState game;
extern JokeReel joke_reel;

// ---- Game steps ----------------------------------------------------------------------
// The four-character text of n (0..9999), with leading zeros: 42 gives "0042".
std::string pin_text(int32_t n);
// A new secret PIN: pin_text(random_upto(9999)).
std::string draw_pin();

// Events of the guess field: clears the message line (and the About text) and
// stores the field's right-most four characters as the guess.
void take_guess();
// A submitted guess: a win starts the next game, a miss counts a Ball or a
// Strike. A stored guess shorter than PIN_LENGTH is not judged.
void score_guess();
// The About button: the About text in its fixed-pitch font.
void show_about();

// Screen writes the steps share. The message line and the display are written
// only when their content changes.
void write_message(const std::string& text);
void clear_display();
void write_display(int font, const std::string& text);

// Start-up, first half of the reel: all joke slots empty. Runs before the first PIN.
void init_joke_reel_table();
// Start-up, second half: history slots 1..9 get random_upto(20), slot 1 first.
// Runs right after the first PIN is drawn.
void init_joke_reel_history();

// One attempt of the joke choice with the given draw: shifts the history one
// place, pushes current_joke into slot 1 and makes the draw current. True when
// the draw is a joke index that the history does not hold.
bool joke_attempt(int32_t draw);
// The last step of a win: a joke not shown lately, "Enter Another PIN" and a
// new secret PIN.
void start_next_game();
