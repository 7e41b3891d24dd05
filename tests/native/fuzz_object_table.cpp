// libFuzzer entry: random sequences of object-table operations against a model.
#include <cstddef>
#include <cstdint>

#include "table_model.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    run_table_operations(data, size);
    return 0;
}
