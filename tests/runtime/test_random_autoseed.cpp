#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "runtime/random.h"

#ifdef _WIN32
#include "tests/import_slot.h"
IMPORT_SLOT(tick_slot, GetTickCount, 0);
namespace {
DWORD WINAPI known_tick() { return 4242; }
}  // namespace
#endif

// Runs in a process of its own: the generator must start unseeded here.
TEST(RandomGeneratorAutoSeed, SeedsItselfFromTheTickCounterAndAnExplicitSeedLeavesNoTrace) {
    std::vector<int32_t> values;
#ifdef _WIN32
    // The tick counter answers a known value: the draws are those of that seed.
    const auto real_tick = replace_import(tick_slot, known_tick);
    for (int i = 0; i < 5; ++i) values.push_back(random_upto(9999));
    replace_import(tick_slot, real_tick);
    std::vector<int32_t> seeded;
    random_seed(4242);
    for (int i = 0; i < 5; ++i) seeded.push_back(random_upto(9999));
    EXPECT_EQ(values, seeded);
    values.clear();
#else
    const int32_t first = random_upto(9999);  // seeds itself from the tick counter
    EXPECT_GE(first, 0);
    EXPECT_LE(first, 9999);
#endif
    random_seed(12345);
    for (int i = 0; i < 5; ++i) values.push_back(random_upto(9999));
    EXPECT_EQ(values, (std::vector<int32_t>{2791, 7105, 6624, 3412, 5850}));
}
