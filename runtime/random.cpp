// The process-wide generator: seeding, the step and the mapping to a range.
#include "runtime/random.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <time.h>

#include <cstdint>
static uint32_t GetTickCount() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint32_t>(now.tv_sec * 1000u + now.tv_nsec / 1000000);
}
#endif

namespace {

RandomGenerator generator;  // zero at process start: unseeded

constexpr uint32_t rotate_left(uint32_t value, int bits) { return (value << bits) | (value >> (32 - bits)); }

void seed_with(uint32_t seed) {
    generator.seeded = true;
    uint32_t x = seed;
    for (uint32_t& word : generator.words) {
        x = x * 2891336453u + 1u;
        word = x;
    }
    generator.write_index = 0;
    generator.partner_index = 10;
    for (int i = 0; i < 31; ++i) random_step();
}

void seed_if_needed() {
    if (!generator.seeded) seed_with(static_cast<uint32_t>(GetTickCount()));
}

}  // namespace

uint64_t random_step() {
    uint32_t* a = &generator.words[2 * generator.write_index];
    const uint32_t* b = &generator.words[2 * generator.partner_index];
    const uint32_t y = rotate_left(a[1], 27) + b[1];
    const uint32_t z = rotate_left(a[0], 19) + b[0];
    a[0] = y;  // the words cross: the new low word comes from the old high word
    a[1] = z;
    generator.write_index = generator.write_index == 0 ? 16 : generator.write_index - 1;
    generator.partner_index = generator.partner_index == 0 ? 16 : generator.partner_index - 1;
    return (static_cast<uint64_t>(z) << 32) | y;
}

void random_seed(uint32_t seed) {
    seed_if_needed();  // an explicit seed replaces the automatic one completely
    seed_with(seed);
}

int32_t random_upto(int32_t max) {
    seed_if_needed();
    return random_scale(random_step(), max);
}

int32_t random_scale(uint64_t draw, int32_t max) {
    if (max < 0) return RANDOM_RANGE_ERROR;
    const uint64_t n = static_cast<uint64_t>(max) + 1u;
    // The product's top bits from two 32x32-bit products.
    const uint64_t low = (draw & 0xFFFFFFFFu) * n;
    const uint64_t high = (draw >> 32) * n;
    return static_cast<int32_t>((high + (low >> 32)) >> 32);
}
