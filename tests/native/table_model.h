#pragma once
// Runs a sequence of object-table operations, decoded from bytes, against the
// real table and a plain model of it side by side; any divergence aborts.
#include <cstddef>
#include <cstdint>

// Returns the number of operations executed.
size_t run_table_operations(const uint8_t* data, size_t size);
