#pragma once
// The process-wide pseudo-random generator: a lagged rotate-add generator
// (17 pairs of 32-bit words, lag 10 pairs, rotations by 19 and 27 bits) seeded
// by a linear congruential recurrence. It seeds itself from the millisecond
// tick counter on first use.
#include <cstdint>

struct RandomGenerator {
    uint32_t words[34];  // 17 pairs: pair p is (words[2p] low, words[2p+1] high)
    int write_index;     // the pair the next step overwrites
    int partner_index;   // the second pair the next step reads; always write_index + 10 (mod 17)
    bool seeded;
};

// Value returned by random_upto for a negative max.
inline constexpr int32_t RANDOM_RANGE_ERROR = INT32_MIN;

// A value from 0 to max inclusive; RANDOM_RANGE_ERROR when max < 0. Every call
// advances the generator by one step, the error case included.
int32_t random_upto(int32_t max);

// Where one raw step lands in 0..max: the top 32 bits of the 96-bit product
// draw * (max + 1), so the shares of any two values differ by at most one draw
// in 2^64; RANDOM_RANGE_ERROR when max < 0.
int32_t random_scale(uint64_t draw, int32_t max);

// Seeds the whole state from seed alone; the sequence that follows depends only on it.
void random_seed(uint32_t seed);

// One raw 64-bit step (high half z, low half y); exposed for tests and benchmarks.
uint64_t random_step();
