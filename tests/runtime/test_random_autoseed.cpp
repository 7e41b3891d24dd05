#include <gtest/gtest.h>

#include <vector>

#include "runtime/random.h"

// Runs in a process of its own: the generator must start unseeded here.
TEST(RandomGeneratorAutoSeed, ExplicitSeedAfterAutomaticSeedLeavesNoTrace) {
    const int32_t first = random_upto(9999);  // seeds itself from the tick counter
    EXPECT_GE(first, 0);
    EXPECT_LE(first, 9999);
    random_seed(12345);
    std::vector<int32_t> values;
    for (int i = 0; i < 5; ++i) values.push_back(random_upto(9999));
    EXPECT_EQ(values, (std::vector<int32_t>{2791, 7105, 6624, 3412, 5850}));
}
