#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "game_fixture.h"
#include "screen_double.h"

namespace {

enum class Outcome { win, ball, strike };

const char* const POORLY = "YOU CHOSE POORLY";

bool is_input_field(int gadget) { return gadget == GADGET_GUESS || gadget == GADGET_STRIKES || gadget == GADGET_BALLS; }

// Every program write to an input field raises its change event, and only the
// last one survives until the next wait: it must name a count field, and the
// guess field must have been cleared before it.
void expect_last_field_event_names_a_count(const std::vector<ScreenWrite>& writes) {
    int last = -1;
    bool guess_cleared = false;
    for (const ScreenWrite& w : writes) {
        if (w.op != ScreenOp::set_text || !is_input_field(w.gadget)) continue;
        if (w.gadget == GADGET_GUESS) {
            EXPECT_EQ(last, -1) << "the guess field is written after a count field";
            guess_cleared = w.text.empty();
        }
        last = w.gadget;
    }
    EXPECT_TRUE(guess_cleared);
    EXPECT_TRUE(last == GADGET_STRIKES || last == GADGET_BALLS) << "last field write names gadget " << last;
}

struct GuessCase {
    const char* pin;
    const char* typed;
    Outcome outcome;
    const char* judged;  // the stored guess that a miss line quotes
};

TEST(Scoring, EveryJudgedGuessIsAWinABallOrAStrike) {
    const GuessCase cases[] = {
        {"1234", "1234", Outcome::win, ""},
        {"1234", "6157", Outcome::win, ""},
        {"0000", "6157", Outcome::win, ""},
        {"6157", "6157", Outcome::win, ""},
        {"0007", "0007", Outcome::win, ""},
        {"1234", "981234", Outcome::win, ""},  // six typed digits: the last four count
        {"1234", "5678", Outcome::strike, "5678"},
        {"1234", "4321", Outcome::ball, "4321"},
        {"1234", "5674", Outcome::ball, "5674"},
        {"1234", "1111", Outcome::ball, "1111"},
        {"0007", "7000", Outcome::ball, "7000"},
        {"1234", "123456", Outcome::ball, "3456"},
        {"1234", "567890", Outcome::strike, "7890"},
        {"1234", "x1yz", Outcome::ball, "x1yz"},  // any character is judged by the same rules
        {"1234", "abcd", Outcome::strike, "abcd"},
        {"1234", "56157", Outcome::win, ""},  // the master code, once cut to four
    };
    for (const GuessCase& c : cases) {
        SCOPED_TRACE(std::string(c.pin) + " / " + c.typed);
        new_game(c.pin);
        game.strikes = 3;
        game.balls = 7;
        play(c.typed);

        EXPECT_EQ(screen_text(GADGET_GUESS), "");
        EXPECT_EQ(game.guess, "");
        EXPECT_EQ(screen_font(GADGET_DISPLAY), test_font(FONT_DISPLAY));
        expect_last_field_event_names_a_count(screen_writes());
        switch (c.outcome) {
            case Outcome::win:
                EXPECT_EQ(game.strikes, 0);
                EXPECT_EQ(game.balls, 0);
                EXPECT_EQ(screen_text(GADGET_STRIKES), " 0");
                EXPECT_EQ(screen_text(GADGET_BALLS), " 0");
                EXPECT_EQ(screen_text(GADGET_MESSAGE), "Enter Another PIN");
                EXPECT_EQ(game.display_clear_pending, 1);
                break;
            case Outcome::ball:
                EXPECT_EQ(game.strikes, 3);
                EXPECT_EQ(game.balls, 8);
                EXPECT_EQ(screen_text(GADGET_BALLS), " 8");
                EXPECT_EQ(screen_lines(GADGET_DISPLAY), std::vector<std::string>{std::string("* Ball: ") + c.judged +
                                                                                 " has at least one correct digit"});
                EXPECT_EQ(screen_text(GADGET_MESSAGE), POORLY);
                break;
            case Outcome::strike:
                EXPECT_EQ(game.strikes, 4);
                EXPECT_EQ(game.balls, 7);
                EXPECT_EQ(screen_text(GADGET_STRIKES), " 4");
                EXPECT_EQ(screen_lines(GADGET_DISPLAY),
                          std::vector<std::string>{std::string("* Strike: ") + c.judged + " has no correct digits"});
                EXPECT_EQ(screen_text(GADGET_MESSAGE), POORLY);
                break;
        }
    }
}

TEST(Scoring, StrikesShowUpToNineThenTheHintStays) {
    new_game("1234");
    for (int strike = 1; strike <= 12; ++strike) {
        SCOPED_TRACE(strike);
        play("5678");
        EXPECT_EQ(game.strikes, strike);
        EXPECT_EQ(screen_text(GADGET_STRIKES), strike <= 9 ? " " + std::to_string(strike) : " #");
        EXPECT_EQ(screen_text(GADGET_MESSAGE), strike <= 9 ? POORLY : "  Hint: 1234");
    }
    play("9991");  // a Ball after the tenth Strike shows the hint as well
    EXPECT_EQ(screen_text(GADGET_BALLS), " 1");
    EXPECT_EQ(screen_text(GADGET_MESSAGE), "  Hint: 1234");
    EXPECT_EQ(screen_lines(GADGET_DISPLAY).size(), 13u);

    play("1234");  // a win starts the counts afresh
    game.secret_pin = "1234";
    play("5678");
    EXPECT_EQ(screen_text(GADGET_STRIKES), " 1");
    EXPECT_EQ(screen_text(GADGET_MESSAGE), POORLY);
}

TEST(Scoring, BallsShowUpToNinetyNine) {
    new_game("1234");
    for (int ball = 1; ball <= 101; ++ball) {
        play("4444");
        if (ball >= 98) {
            SCOPED_TRACE(ball);
            EXPECT_EQ(screen_text(GADGET_BALLS), ball <= 99 ? " " + std::to_string(ball) : " #");
            EXPECT_EQ(screen_text(GADGET_MESSAGE), POORLY);
        }
    }
    EXPECT_EQ(game.balls, 101);
}

TEST(Scoring, MissWritesInOrder) {
    new_game("1234");
    game.strikes = 9;
    play("5678");
    const auto writes = screen_writes();
    const std::vector<std::pair<int, std::string>> expected = {
        {GADGET_MESSAGE, ""},  // take_guess
        {GADGET_GUESS, ""},
        {GADGET_MESSAGE, POORLY},
        {GADGET_STRIKES, " #"},
        {GADGET_DISPLAY, ""},  // the font
        {GADGET_DISPLAY, "* Strike: 5678 has no correct digits"},
        {GADGET_MESSAGE, "  Hint: 1234"},
    };
    ASSERT_EQ(writes.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(writes[i].gadget, expected[i].first);
        EXPECT_EQ(writes[i].text, expected[i].second);
    }
    EXPECT_EQ(writes[4].op, ScreenOp::set_font);
    EXPECT_EQ(writes[5].op, ScreenOp::add_item);
    EXPECT_EQ(writes[5].position, 0);
}

TEST(Scoring, MissLinesStackNewestFirst) {
    new_game("1234");
    play("5678");
    play("4321");
    play("0000");
    EXPECT_EQ(screen_text(GADGET_DISPLAY),
              "* Strike: 0000 has no correct digits\r\n"
              "* Ball: 4321 has at least one correct digit\r\n"
              "* Strike: 5678 has no correct digits\r\n");
    EXPECT_EQ(game.display_clear_pending, 0);
}

TEST(Scoring, ShortGuessIsNotJudged) {
    for (const char* typed : {"", "1", "123"}) {
        SCOPED_TRACE(typed);
        new_game("1234");
        type_guess(typed);
        EXPECT_EQ(game.guess, typed);
        screen_type(GADGET_MESSAGE, POORLY);
        screen_forget_writes();
        score_guess();
        EXPECT_TRUE(screen_writes().empty());
        EXPECT_EQ(screen_text(GADGET_GUESS), typed);
        EXPECT_EQ(screen_text(GADGET_MESSAGE), POORLY);
        EXPECT_EQ(game.strikes + game.balls, 0);
        EXPECT_EQ(game.guess, typed);
    }
}

TEST(TakeGuess, ClearsTheMessageAndKeepsTheLastFourCharacters) {
    new_game("1234");
    play("5678");
    type_guess("98765");
    EXPECT_EQ(screen_text(GADGET_MESSAGE), "");
    EXPECT_EQ(game.guess, "8765");
    EXPECT_EQ(screen_text(GADGET_GUESS), "98765");       // the field keeps what was typed
    EXPECT_EQ(screen_lines(GADGET_DISPLAY).size(), 1u);  // miss lines stay
}

TEST(About, ReplacesTheLinesAndTheNextStepClearsIt) {
    new_game("1234");
    play("5678");
    play("4321");
    show_about();
    EXPECT_EQ(screen_font(GADGET_DISPLAY), test_font(FONT_ABOUT));
    EXPECT_EQ(screen_text(GADGET_DISPLAY), game.about_text);
    EXPECT_EQ(game.display_clear_pending, 1);
    EXPECT_EQ(game.about_shown, 1);

    // Enter with the guess already stored: the miss starts from an empty display.
    game.guess = "0000";
    score_guess();
    EXPECT_EQ(screen_lines(GADGET_DISPLAY), std::vector<std::string>{"* Strike: 0000 has no correct digits"});
    EXPECT_EQ(screen_font(GADGET_DISPLAY), test_font(FONT_DISPLAY));
    EXPECT_EQ(game.strikes, 2);
    EXPECT_EQ(game.balls, 1);
    EXPECT_EQ(game.about_shown, 0);
    EXPECT_EQ(game.display_clear_pending, 0);

    show_about();
    type_guess("5");
    EXPECT_EQ(screen_text(GADGET_DISPLAY), "");
    EXPECT_EQ(game.about_shown, 0);
    EXPECT_EQ(game.display_clear_pending, 1);  // the main loop's rule keeps emptying it
}

TEST(DrawPin, FourDigitsWithLeadingZeros) {
    const std::pair<int32_t, const char*> cases[] = {
        {0, "0000"}, {7, "0007"}, {42, "0042"}, {123, "0123"}, {1000, "1000"}, {9999, "9999"},
    };
    for (const auto& [n, text] : cases) EXPECT_EQ(pin_text(n), text) << n;

    random_seed(2024);
    const int32_t first = random_upto(9999);
    random_seed(2024);
    EXPECT_EQ(draw_pin(), pin_text(first));
}

}  // namespace
