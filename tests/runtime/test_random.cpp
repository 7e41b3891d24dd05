#include <gtest/gtest.h>

#include <cstdint>
#include <ios>
#include <vector>

#include "runtime/random.h"

namespace {

std::vector<int32_t> draws(int count, int32_t max) {
    std::vector<int32_t> values;
    for (int i = 0; i < count; ++i) values.push_back(random_upto(max));
    return values;
}

TEST(RandomGenerator, RawValueAfterSeedingWithZero) {
    random_seed(0);
    EXPECT_EQ(random_step(), 0x8B910D6160217BDFull);
}

struct KnownSequence {
    uint32_t seed;
    std::vector<int32_t> pins;   // five draws with max 9999
    std::vector<int32_t> jokes;  // then five draws with max 20
};

TEST(RandomGenerator, KnownSequencesForSeeds) {
    const KnownSequence cases[] = {
        {0, {5451, 7839, 6603, 3786, 2361}, {13, 13, 8, 5, 9}},
        {12345, {2791, 7105, 6624, 3412, 5850}, {5, 6, 14, 4, 17}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.seed);
        random_seed(c.seed);
        EXPECT_EQ(draws(5, 9999), c.pins);
        EXPECT_EQ(draws(5, 20), c.jokes);
    }
}

TEST(RandomGenerator, EdgeMaximaStillAdvanceTheState) {
    random_seed(0);
    EXPECT_EQ(draws(3, 0), (std::vector<int32_t>{0, 0, 0}));
    EXPECT_EQ(random_upto(9999), 3786);

    random_seed(12345);
    EXPECT_EQ(random_upto(-1), INT32_MIN);
    EXPECT_EQ(draws(4, 9999), (std::vector<int32_t>{7105, 6624, 3412, 5850}));

    random_seed(0);
    EXPECT_EQ(random_upto(INT32_MAX), 1170769584);  // the top 31 bits of the raw value

    random_seed(0);
    for (int32_t bad : {-2, -100, INT32_MIN}) EXPECT_EQ(random_upto(bad), INT32_MIN);
    EXPECT_EQ(random_upto(9999), 3786);  // three steps were taken by the three refusals
}

TEST(RandomGenerator, DrawsScaleByTheWholeProduct) {
    const struct {
        uint64_t draw;
        int32_t max, value;
    } rows[] = {
        {0, 9999, 0},
        {~0ull, 9999, 9999},
        {~0ull, INT32_MAX, INT32_MAX},
        // The first draws of a new value: 3 * draw and 10000 * draw just reach
        // a multiple of 2^64, which only the low word's lowest bit decides.
        {0xAAAAAAAAAAAAAAAAull, 2, 1},
        {0xAAAAAAAAAAAAAAABull, 2, 2},
        {0x000D1B71758E2196ull, 9999, 1},
        {0x000D1B71758E2197ull, 9999, 2},
        {0x0C30C30C30C30C31ull, 20, 1},
        {~0ull, -1, RANDOM_RANGE_ERROR},
    };
    for (const auto& row : rows) EXPECT_EQ(random_scale(row.draw, row.max), row.value) << std::hex << row.draw;
}

TEST(RandomGenerator, ResultsStayInRange) {
    random_seed(7);
    for (int32_t max : {1, 2, 9, 20, 9999, 65535, 1 << 30}) {
        for (int i = 0; i < 2000; ++i) {
            const int32_t v = random_upto(max);
            ASSERT_GE(v, 0);
            ASSERT_LE(v, max);
        }
    }
}

TEST(RandomGenerator, EveryJokeIndexAndPinDigitOccurs) {
    random_seed(99);
    std::vector<int> seen(21, 0);
    for (int i = 0; i < 21000; ++i) ++seen[random_upto(20)];
    for (int count : seen) {
        EXPECT_GT(count, 800);  // about 1000 each when the mapping is fair
        EXPECT_LT(count, 1200);
    }
}

}  // namespace
