// Drives the object table and its model with pseudo-random operation sequences
// (a fixed seed: every run checks the same sequences) and reports how many
// operations ran without a divergence.
//   check_object_table [operations]   (default 200000)
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "table_model.h"

int main(int argc, char** argv) {
    const unsigned long long wanted = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 200000;
    std::mt19937 bytes(20261208);
    std::vector<uint8_t> input(4096);
    unsigned long long done = 0;
    const auto start = std::chrono::steady_clock::now();
    while (done < wanted) {
        for (auto& b : input) b = static_cast<uint8_t>(bytes());
        done += run_table_operations(input.data(), input.size());
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("object table model check: %llu operations, 0 divergences, %.2f s\n", done, seconds);
    return 0;
}
