#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "game_fixture.h"
#include "screen_double.h"

namespace {

constexpr size_t MAX_LINE = 46;

std::vector<std::string> split_lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find("\r\n", start);
        lines.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) return lines;
        start = end + 2;
    }
}

struct JokeShape {
    int lines;
    std::vector<int> empty;  // line numbers from 1
    int dash;                // the line that begins " - ", 0 for none
};

const JokeShape SHAPES[JOKE_COUNT] = {
    {2, {}, 2}, {3, {}, 0}, {5, {}, 0}, {4, {}, 0}, {4, {}, 0}, {3, {}, 3}, {3, {}, 0},
    {2, {}, 2}, {3, {}, 3}, {4, {}, 0}, {4, {}, 3}, {4, {}, 3}, {3, {}, 3}, {6, {3, 5}, 0},
    {7, {}, 0}, {6, {}, 0}, {2, {}, 0}, {4, {}, 0}, {3, {}, 3}, {3, {}, 0}, {2, {}, 2},
};

TEST(JokeReel, EveryJokeHasItsShape) {
    new_game("1234");
    EXPECT_TRUE(std::all_of(std::begin(joke_reel.jokes), std::end(joke_reel.jokes), [](const std::string& joke) {
        return joke.empty();
    })) << "the reel is empty until the first win";
    play(MASTER_CODE);

    std::set<std::string> distinct;
    for (int k = 0; k < JOKE_COUNT; ++k) {
        SCOPED_TRACE("joke " + std::to_string(k));
        const JokeShape& shape = SHAPES[k];
        const std::vector<std::string> lines = split_lines(joke_reel.jokes[k]);
        distinct.insert(joke_reel.jokes[k]);
        ASSERT_EQ(static_cast<int>(lines.size()), shape.lines);
        for (int i = 1; i <= shape.lines; ++i) {
            SCOPED_TRACE("line " + std::to_string(i));
            const std::string& line = lines[i - 1];
            const bool empty = std::count(shape.empty.begin(), shape.empty.end(), i) > 0;
            EXPECT_EQ(line.empty(), empty);
            EXPECT_LE(line.size(), MAX_LINE);
            EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos);
            if (empty) continue;
            if (k == 13 && i == 6)
                EXPECT_EQ(line.substr(0, 4), "  - ");
            else
                EXPECT_TRUE(line.size() > 1 && line[0] == ' ' && line[1] != ' ') << '"' << line << '"';
            EXPECT_EQ(line.rfind(" - ", 0) == 0, i == shape.dash) << '"' << line << '"';
        }
    }
    EXPECT_EQ(distinct.size(), static_cast<size_t>(JOKE_COUNT));
    EXPECT_EQ(joke_reel.jokes[21], "");
    EXPECT_EQ(joke_reel.jokes[22], "");
}

struct AttemptCase {
    const char* name;
    std::vector<int32_t> history;  // slots 1..9
    int32_t current;
    std::vector<int32_t> draws;
    std::vector<bool> accepted;
    std::vector<int32_t> history_after;
    int32_t current_after;
};

TEST(JokeReel, EachAttemptShiftsTheHistory) {
    const std::vector<int32_t> odd = {3, 5, 7, 9, 11, 13, 15, 17, 19};
    const std::vector<int32_t> odd_shifted = {0, 3, 5, 7, 9, 11, 13, 15, 17};
    const AttemptCase cases[] = {
        {"the oldest value drops out", odd, 0, {19}, {true}, odd_shifted, 19},
        {"the joke shown last is blocked", odd, 0, {0}, {false}, odd_shifted, 0},
        {"the newest value is blocked", odd, 0, {3}, {false}, odd_shifted, 3},
        {"a rejected draw moves into slot 1", odd, 0, {5, 20}, {false, true}, {5, 0, 3, 5, 7, 9, 11, 13, 15}, 20},
        {"start-up slot 9 is free on the first win",
         {1, 2, 3, 4, 5, 6, 7, 8, 9},
         0,
         {9},
         {true},
         {0, 1, 2, 3, 4, 5, 6, 7, 8},
         9},
        {"draws outside the reel are refused",
         std::vector<int32_t>(9, 0),
         0,
         {21, -1, 20},
         {false, false, true},
         {-1, 21, 0, 0, 0, 0, 0, 0, 0},
         20},
    };
    for (const AttemptCase& c : cases) {
        SCOPED_TRACE(c.name);
        joke_reel = JokeReel{};
        std::copy(c.history.begin(), c.history.end(), joke_reel.history + 1);
        joke_reel.current_joke = c.current;
        for (size_t i = 0; i < c.draws.size(); ++i) EXPECT_EQ(joke_attempt(c.draws[i]), c.accepted[i]) << i;
        EXPECT_EQ(std::vector<int32_t>(joke_reel.history + 1, joke_reel.history + 10), c.history_after);
        EXPECT_EQ(joke_reel.current_joke, c.current_after);
        EXPECT_EQ(joke_reel.history[0], 0);
        EXPECT_EQ(joke_reel.history[10], 0);
    }
}

// The first seed from which random_upto(20) yields `first_zero` zeros and then
// a non-zero value.
uint32_t seed_with_zero_draws(int first_zero) {
    for (uint32_t seed = 0;; ++seed) {
        random_seed(seed);
        int zeros = 0;
        while (random_upto(20) == 0) ++zeros;
        if (zeros == first_zero) return seed;
    }
}

TEST(JokeReel, AWinDrawsTheJokeBeforeTheNextPin) {
    // With an all-zero history every draw but 0 is accepted.
    for (int rejected : {0, 1}) {
        SCOPED_TRACE(rejected);
        const uint32_t seed = seed_with_zero_draws(rejected);
        random_seed(seed);
        for (int i = 0; i < rejected; ++i) random_upto(20);
        const int32_t joke = random_upto(20);
        const int32_t pin = random_upto(9999);

        new_game("1234");
        random_seed(seed);
        const auto start = std::chrono::steady_clock::now();
        start_next_game();
        const auto pause = std::chrono::steady_clock::now() - start;
        EXPECT_EQ(joke_reel.current_joke, joke);
        EXPECT_EQ(game.secret_pin, pin_text(pin));
        // One pause of 25 ms per attempt (lower bound, with slack for the clock).
        EXPECT_GE(pause, std::chrono::milliseconds(20 * (rejected + 1)));
    }
}

TEST(JokeReel, EveryWinShowsOneCompleteJokeNotShownLately) {
    new_game("1234");
    random_seed(77);
    init_joke_reel_history();
    for (int win = 1; win <= 25; ++win) {
        SCOPED_TRACE(win);
        play("5678");  // a miss first: the joke replaces its line
        play(win % 2 ? MASTER_CODE : game.secret_pin);
        const int32_t shown = joke_reel.current_joke;
        ASSERT_TRUE(shown >= 0 && shown < JOKE_COUNT);
        for (int s = 1; s <= 9; ++s) EXPECT_NE(joke_reel.history[s], shown) << "slot " << s;
        EXPECT_EQ(screen_text(GADGET_DISPLAY), joke_reel.jokes[shown]);
        EXPECT_EQ(screen_font(GADGET_DISPLAY), test_font(FONT_DISPLAY));
        EXPECT_EQ(screen_text(GADGET_MESSAGE), "Enter Another PIN");
        EXPECT_EQ(screen_text(GADGET_GUESS), "");
        EXPECT_EQ(game.guess, "");
        EXPECT_EQ(game.display_clear_pending, 1);
        EXPECT_EQ(game.line_break, "\r\n");
        ASSERT_EQ(game.secret_pin.size(), 4u);
        EXPECT_EQ(game.secret_pin.find_first_not_of("0123456789"), std::string::npos) << game.secret_pin;
        game.secret_pin = "1234";  // keeps the next "5678" a miss
    }
}

}  // namespace
