// The heaps behind the object tables, for the native build: the C heap, with a
// size kept in front of each block so that growth can be zero-filled as the
// platform's heap does.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "toolkit/object_table.h"

namespace {

constexpr size_t prefix = 16;

size_t& size_of(void* block) { return *reinterpret_cast<size_t*>(static_cast<unsigned char*>(block) - prefix); }

}  // namespace

void* general_alloc(size_t size) {
    auto* raw = static_cast<unsigned char*>(std::calloc(1, prefix + size));
    if (!raw) return nullptr;
    *reinterpret_cast<size_t*>(raw) = size;
    return raw + prefix;
}

void* general_realloc(void* block, size_t size) {
    if (!block) return general_alloc(size);
    const size_t old = size_of(block);
    auto* raw = static_cast<unsigned char*>(std::realloc(static_cast<unsigned char*>(block) - prefix, prefix + size));
    if (!raw) return nullptr;
    *reinterpret_cast<size_t*>(raw) = size;
    if (size > old) std::memset(raw + prefix + old, 0, size - old);
    return raw + prefix;
}

void general_free(void* block) {
    if (block) std::free(static_cast<unsigned char*>(block) - prefix);
}

void* record_heap_alloc(size_t size) { return general_alloc(size); }
void record_heap_free(void* block) { general_free(block); }

size_t general_size(const void* block) {
    return block ? *reinterpret_cast<const size_t*>(static_cast<const unsigned char*>(block) - prefix) : SIZE_MAX;
}
