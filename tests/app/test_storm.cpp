// A seeded storm of random input into the running game: keys, characters,
// pastes, clicks on every gadget, Tab and Shift+Tab, focus and activation
// changes and other messages (never WM_CLOSE). The loop must keep answering and
// the screen must agree with GameState after every input. The benchmark runs
// 100 000 inputs; TAVEK_STORM_INPUTS and TAVEK_STORM_SEED set the run here.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "game/app.h"
#include "game_driver.h"

namespace {

int from_environment(const char* name, int fallback) {
    const char* value = std::getenv(name);
    return value && *value ? std::atoi(value) : fallback;
}

TEST(Storm, RandomInputKeepsTheLoopAnsweringAndTheScreenTrue) {
    ASSERT_TRUE(start_up());
    const int inputs = from_environment("TAVEK_STORM_INPUTS", 3000);
    const auto seed = static_cast<uint32_t>(from_environment("TAVEK_STORM_SEED", 4242));

    const drive::StormFigures f = drive::run_storm(inputs, seed);
    std::printf("storm: %d inputs (seed %u) in %.1f s, %d misses, %d wins, at most %d passes per input\n", f.inputs,
                seed, f.seconds, f.misses, f.wins, f.max_passes);
    ASSERT_EQ(f.failure, "");
    EXPECT_EQ(f.inputs, inputs);
    // The storm reached both judgements, so the checks saw them.
    EXPECT_GT(f.misses, 0);
    EXPECT_GT(f.wins, 0);
}

}  // namespace
