// The main loop runs take_guess, the display-clear rule and show_about again on
// every later event until another gadget event comes. Each such rerun must not
// write the screen again: every write repaints a control, and that repaint is
// one more event that would start the same step over, for ever.
#include <gtest/gtest.h>

#include "game_fixture.h"
#include "screen_double.h"

namespace {

// What one later event does to the screen, as the loop runs it with the same
// gadget number still current.
void rerun_for_guess_field() {
    take_guess();
    if (game.display_clear_pending == 1) clear_display();
}

TEST(RepeatedSteps, GuessFieldEventsWriteTheMessageLineOnce) {
    new_game("1234");
    type_guess("5");
    screen_forget_writes();
    for (int i = 0; i < 20; ++i) rerun_for_guess_field();
    EXPECT_TRUE(screen_writes().empty()) << screen_writes().size() << " writes for nothing new";
    EXPECT_EQ(game.guess, "5");
}

TEST(RepeatedSteps, AfterAWinTheJokeIsClearedOnceAndStaysCleared) {
    new_game("1234");
    play("1234");
    EXPECT_EQ(screen_text(GADGET_MESSAGE), "Enter Another PIN");
    rerun_for_guess_field();  // the guess field gains the focus
    EXPECT_EQ(screen_text(GADGET_DISPLAY), "");
    EXPECT_EQ(screen_text(GADGET_MESSAGE), "");
    screen_forget_writes();
    for (int i = 0; i < 20; ++i) rerun_for_guess_field();
    EXPECT_TRUE(screen_writes().empty());
}

TEST(RepeatedSteps, AboutIsWrittenOnceWhileItStaysUp) {
    new_game("1234");
    show_about();
    ASSERT_EQ(screen_text(GADGET_DISPLAY), game.about_text);
    EXPECT_EQ(screen_font(GADGET_DISPLAY), test_font(FONT_ABOUT));
    screen_forget_writes();
    for (int i = 0; i < 20; ++i) show_about();
    EXPECT_TRUE(screen_writes().empty());
    // Typing ends it, and About shows it again afterwards.
    type_guess("1");
    EXPECT_EQ(screen_text(GADGET_DISPLAY), "");
    show_about();
    EXPECT_EQ(screen_text(GADGET_DISPLAY), game.about_text);
}

TEST(RepeatedSteps, ChangedMessagesAreStillWrittenEveryTime) {
    new_game("1234");
    play("5678");
    EXPECT_EQ(screen_text(GADGET_MESSAGE), "YOU CHOSE POORLY");
    type_guess("9");
    EXPECT_EQ(screen_text(GADGET_MESSAGE), "");
    play("9999");
    EXPECT_EQ(screen_text(GADGET_MESSAGE), "YOU CHOSE POORLY");
    // Count fields are written on every judged guess, even with the same text:
    // their change notification is what keeps the guess field's event away.
    screen_forget_writes();
    game.strikes = 20;
    play("5555");
    play("5555");
    int count_writes = 0;
    for (const ScreenWrite& w : screen_writes())
        if (w.gadget == GADGET_STRIKES && w.op == ScreenOp::set_text && w.text == " #") ++count_writes;
    EXPECT_EQ(count_writes, 2);
}

}  // namespace
