#pragma once
// Plays the game started in this process through the real message path (posted
// keys and characters, real mouse clicks, the loop's own passes) and reads back
// what the screen and GameState hold. Shared by the long-running app tests and
// the benchmark program; free of any test framework.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "game/game_state.h"

namespace drive {

// ---- The loop and the screen ------------------------------------------------------
// Starts the game in this process the first time it is called, aware of the
// display's scale as the program is; true once it stands.
bool start_game_once();
HWND main_window();
// A fresh game on the running window: empty fields, counts " 0", the given PIN,
// and nothing assumed about what the screen shows.
void reset_game(const std::string& pin);
HWND control(int gadget);

// Runs loop passes until no message is waiting. Returns how many ran, or -1 when
// `limit` passes went by without the loop falling idle (it keeps waking itself).
int run_until_idle(int limit = 5000);

// Characters posted to the guess field, one WM_CHAR each, then the loop runs.
void type_into_guess(const std::string& text);
// Enter as the player presses it: a key-down in the focused guess field of the
// active main window, turned into the shortcut by the loop's translation.
void press_enter();
// A real mouse click in the middle of a gadget, through the platform's input queue.
void click(int gadget);

// The display's lines, newest first, without the empty line after the last break.
std::vector<std::string> display_lines();
// The count text a count field must show: a blank, then the number or "#".
std::string count_text(int32_t count, int32_t shown_up_to);

// ---- Resources ------------------------------------------------------------------------
struct ObjectCounts {
    long gdi;
    long user;
    const char* source;  // how they were counted
};
// GetGuiResources where the platform answers it. Wine 8 leaves it unimplemented
// (0, ERROR_CALL_NOT_IMPLEMENTED); there the GDI objects are the live entries of
// the process's GDI handle table and the USER objects the windows of this thread.
ObjectCounts object_counts();
// Committed private memory of this process, in bytes.
size_t private_bytes();
size_t working_set_bytes();

// ---- The invariants, checked after every input ----------------------------------
// Follows the game from outside: the misses since the last win or About (newest
// first) and what each input changed. check() returns "" or what went wrong.
class Watcher {
public:
    Watcher();
    // `full`: compare every display line, not only the count and the newest one.
    std::string check(bool full);
    int misses() const { return misses_; }
    int wins() const { return wins_; }

private:
    struct Snapshot {
        int32_t strikes, balls;
        std::string pin;
        int32_t history[HISTORY_SLOTS];
        int32_t current_joke;
    };
    static Snapshot take();
    Snapshot last_;
    std::vector<std::string> expected_;  // miss lines, newest first
    int misses_ = 0;
    int wins_ = 0;
};

// ---- Long runs -----------------------------------------------------------------------
struct SoakFigures {
    std::string failure;  // "" when every check held
    int misses = 0;
    int wins = 0;
    ObjectCounts before{}, after{};
    // Private bytes at the end of each game swing by a few heap pages as the
    // heap commits and gives back memory; what would show a leak is a rise of
    // their highest value: over the first 100 games, and over the games after.
    size_t private_peak_first_games = 0;
    size_t private_peak_later_games = 0;
    size_t working_set_at_end = 0;
    double seconds = 0;
};
// `misses` missed guesses and `wins` wins with the master code, in games of
// misses / wins misses and one win each; every fifth guess goes in through a
// click on OK, the others through Enter. Counts objects after a first warm-up
// game and at the end, and private bytes after every game. The first games are
// the first 100, or a fifth of them in a shorter run.
SoakFigures run_soak(int misses, int wins, uint32_t seed);

struct StormFigures {
    std::string failure;  // "" when every check held
    int inputs = 0;
    int misses = 0;
    int wins = 0;
    int max_passes = 0;  // the most loop passes one input needed before the loop fell idle
    double seconds = 0;
};
// `inputs` random inputs (keys, characters, pastes, clicks on every gadget, Tab
// and Shift+Tab, focus and activation changes, other harmless messages; never
// WM_CLOSE), seeded; the invariants are checked after each one.
StormFigures run_storm(int inputs, uint32_t seed);

// Milliseconds on the performance counter.
double now_ms();

}  // namespace drive
