// The toolkit's two heaps where no platform heap serves (GTK, the page): blocks
// from the C library, each list of them freed at once when the toolkit ends.
// On Windows they are Win32 private heaps (toolkit/win32/startup.cpp).
#ifndef _WIN32
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "toolkit/object_table.h"

namespace {

// A heap is a list of blocks, each with its size in front, so that the whole
// heap can go at once, as a Win32 private heap does.
struct Block {
    Block* older;
    Block* newer;
    size_t size;
    size_t reserved;  // keeps the block proper aligned for any type
};
static_assert(sizeof(Block) % alignof(std::max_align_t) == 0);

struct Heap {
    Block* newest;
};

Heap general;
Heap records;

Block* block_of(const void* block) {
    return reinterpret_cast<Block*>(const_cast<unsigned char*>(static_cast<const unsigned char*>(block))) - 1;
}

void link(Heap& heap, Block* block) {
    block->older = heap.newest;
    block->newer = nullptr;
    if (heap.newest) heap.newest->newer = block;
    heap.newest = block;
}

void unlink(Heap& heap, Block* block) {
    if (block->newer)
        block->newer->older = block->older;
    else
        heap.newest = block->older;
    if (block->older) block->older->newer = block->newer;
}

void* heap_alloc(Heap& heap, size_t size) {
    if (size > SIZE_MAX - sizeof(Block)) return nullptr;
    auto* block = static_cast<Block*>(std::calloc(1, sizeof(Block) + size));
    if (!block) return nullptr;
    block->size = size;
    link(heap, block);
    return block + 1;
}

void heap_free(Heap& heap, void* memory) {
    if (!memory) return;
    Block* block = block_of(memory);
    unlink(heap, block);
    std::free(block);
}

void heap_destroy(Heap& heap) {
    while (Block* block = heap.newest) {
        heap.newest = block->older;
        std::free(block);
    }
}

}  // namespace

bool create_general_heap() { return true; }

void destroy_block_heaps() {
    heap_destroy(general);
    heap_destroy(records);
}

void* general_alloc(size_t size) { return heap_alloc(general, size); }

void* general_realloc(void* block, size_t size) {
    if (!block) return general_alloc(size);
    if (size > SIZE_MAX - sizeof(Block)) return nullptr;
    Block* header = block_of(block);
    const size_t old = header->size;
    unlink(general, header);
    auto* grown = static_cast<Block*>(std::realloc(header, sizeof(Block) + size));
    if (!grown) {
        link(general, header);  // the old block stays as it was
        return nullptr;
    }
    grown->size = size;
    link(general, grown);
    if (size > old) std::memset(reinterpret_cast<unsigned char*>(grown + 1) + old, 0, size - old);
    return grown + 1;
}

void general_free(void* block) { heap_free(general, block); }

size_t general_size(const void* block) { return block ? block_of(block)->size : SIZE_MAX; }

void* record_heap_alloc(size_t size) { return heap_alloc(records, size); }

void record_heap_free(void* block) { heap_free(records, block); }

void init_record_heap() {}
#endif
