// The joke reel: the reward of every win, and the start of the next game.
#include <cstdint>
#include <string>

#include "game/game_state.h"
#include "runtime/pause.h"

JokeReel joke_reel;

namespace {

constexpr int MAX_JOKE_LINES = 7;
constexpr uint32_t CHOICE_PAUSE_MS = 25;

struct Joke {
    int line_count;
    const char* lines[MAX_JOKE_LINES];
};

// Every non-empty line begins with one blank and holds at most 46 characters.
// One line of a joke per line of source, as the display shows it.
// clang-format off
constexpr Joke JOKES[JOKE_COUNT] = {
    {2, {" Why did the scarecrow win an award?", " - He was outstanding in his field."}},
    {3, {" My dog used to chase people on a bike.", " It got so bad that in the end", " I had to take his bike away."}},
    {5,
     {" A programmer is sent out for a loaf of bread", " and told: \"If they have eggs, get a dozen.\"",
      " An hour later the programmer comes home", " with twelve loaves of bread and says,", " \"They had eggs.\""}},
    {4,
     {" Teacher: Why are you late?", " Pupil: There was a sign down the road.", " Teacher: What did it say?",
      " Pupil: \"School Ahead, Go Slow.\""}},
    {4, {" Patient: Doctor, I feel like", " a pair of curtains.", " Doctor: Well then, pull", " yourself together."}},
    {3, {" What do you call a bear", " with no teeth?", " - A gummy bear."}},
    {3,
     {" I am reading a book about anti-gravity.", " It is impossible to put down,", " so I will finish it tonight."}},
    {2, {" Why don't skeletons fight each other?", " - They don't have the guts."}},
    {3, {" What did the ocean say", " to the beach?", " - Nothing, it just waved."}},
    {4,
     {" A sandwich walks into a cafe", " and orders a cup of tea.", " The waiter says: \"Sorry,",
      " we don't serve food here.\""}},
    {4, {" Why did the bicycle", " fall over all on its own?", " - Because it was", " two tired."}},
    {4, {" How does a penguin", " build its house?", " - Igloos it together,", " one block at a time."}},
    {3, {" What do you call a fish", " with no eyes?", " - A fsh."}},
    {6,
     {" Knock, knock. Who's there?", " Lettuce. Lettuce who?", "", " Lettuce in, it's cold out here!", "",
      "  - An old doorstep favourite"}},
    {7,
     {" A man finds a penguin in the street", " and takes it to a police officer.",
      " \"Take him to the zoo,\" says the officer.", " The next day the officer sees the man",
      " walking along with the penguin again.", " \"I took him to the zoo,\" says the man,",
      " \"and today we are going to the cinema.\""}},
    {6,
     {" A snail buys a fast red sports car", " and asks for a big S on each door.",
      " \"Why the S?\" asks the salesman.", " \"So that everyone who sees me",
      " drive by will say:", " Look at that S-car go!\""}},
    {2, {" I would tell you a joke about paper,", " but it is tearable."}},
    {4, {" Patient: Doctor, I broke my arm", " in two places.", " Doctor: Then stay out of", " those places."}},
    {3, {" Why should you never trust", " an atom?", " - They make up everything."}},
    {3, {" I only know twenty-five letters", " of the alphabet.", " I don't know y."}},
    {2, {" What do you call a sleeping dinosaur?", " - A dino-snore."}},
};
// clang-format on

std::string joined(const Joke& joke) {
    std::string text;
    for (int i = 0; i < joke.line_count; ++i) {
        if (i > 0) text += game.line_break;
        text += joke.lines[i];
    }
    return text;
}

}  // namespace

void init_joke_reel_table() {
    for (std::string& joke : joke_reel.jokes) joke.clear();
}

void init_joke_reel_history() {
    for (int32_t& slot : joke_reel.history) slot = 0;
    for (int s = HISTORY_FIRST; s <= HISTORY_LAST; ++s) joke_reel.history[s] = random_upto(JOKE_COUNT - 1);
}

bool joke_attempt(int32_t draw) {
    for (int s = HISTORY_LAST; s > HISTORY_FIRST; --s) joke_reel.history[s] = joke_reel.history[s - 1];
    joke_reel.history[HISTORY_FIRST] = joke_reel.current_joke;
    joke_reel.current_joke = draw;
    // A draw outside the reel is refused like a recent one, so the joke shown
    // is always one of the table.
    if (draw < 0 || draw >= JOKE_COUNT) return false;
    for (int s = HISTORY_FIRST; s <= HISTORY_LAST; ++s)
        if (joke_reel.history[s] == draw) return false;
    return true;
}

void start_next_game() {
    game.line_break = "\r\n";
    for (int k = 0; k < JOKE_COUNT; ++k) joke_reel.jokes[k] = joined(JOKES[k]);
    // At most nine of the 21 jokes are blocked, so fewer than two attempts are
    // needed on average.
    do {
        pause_milliseconds(CHOICE_PAUSE_MS);
    } while (!joke_attempt(random_upto(JOKE_COUNT - 1)));
    write_display(FONT_DISPLAY, joke_reel.jokes[joke_reel.current_joke]);
    write_message("Enter Another PIN");
    game.secret_pin = draw_pin();
    game.display_clear_pending = 1;
    game.guess.clear();
}
