#pragma once
// Numbered object tables, lists of anonymous records and per-thread records.
// Platform-free: memory comes from the heap functions declared at the end,
// which the toolkit's start-up provides.
#include <cstddef>
#include <cstdint>

// ---- Lists of anonymous records ---------------------------------------------
// Each record is allocated zero-filled from the record heap behind this header;
// the list head is the newest record.
struct RecordNode {
    RecordNode* older;
    RecordNode* newer;
    int identity;  // the number an object table hands out for this record
    int reserved;
    // the record proper follows
};
struct RecordList {
    RecordNode* head;
};

void* record_list_add(RecordList* list, size_t record_size);
void record_list_remove(RecordList* list, void* record);
RecordNode* record_node_of(void* record);
void* record_of(RecordNode* node);

// ---- Numbered object tables ---------------------------------------------------
// A slot is occupied while the first pointer-sized word of its record (the
// whole record when it is smaller) is not 0.
// Anonymous identities count down from ANONYMOUS_IDENTITY_FIRST, so they never
// collide with array indices, with -1 or with the menu-source control ID.
inline constexpr int ANONYMOUS_IDENTITY_FIRST = -65536;
// The identity the next anonymous record gets; after INT_MIN the count starts
// over at ANONYMOUS_IDENTITY_FIRST.
extern int next_anonymous_identity;

using FreeHandler = int (*)(int number);

struct ObjectTable {
    size_t record_size;
    int growth_step;
    int capacity;
    RecordList anonymous;
    FreeHandler free_handler;
    int enumeration_index;
    RecordNode* enumeration_cursor;
    unsigned char* array;
};

// nullptr when memory cannot be had; the operations below take a missing table
// for an empty one that cannot grow.
ObjectTable* objects_create(size_t record_size, int growth_step, FreeHandler free_handler);
// -1: a new anonymous record. 0 or more: the slot, grown into and emptied by the
// free handler. nullptr for other negative numbers and when growth fails.
void* objects_slot(ObjectTable* table, int number);
void* objects_find(ObjectTable* table, int number);
// The record for number whether occupied or not (an anonymous record by its
// identity); nullptr for a number the table has no record for. A caller that
// holds a record across calls that may grow the table finds it again here.
void* objects_at(ObjectTable* table, int number);
void objects_release(ObjectTable* table, int number);
void objects_rewind(ObjectTable* table);
void* objects_next(ObjectTable* table, int* out_number);
// The number under which a record of the table is known (its identity when
// anonymous); -1 when the record is not the table's.
int objects_number_of(ObjectTable* table, const void* record);
// The occupied record whose first word holds `first_word` (not 0), and its
// number in *out_number; nullptr when there is none. Leaves the enumeration
// of objects_rewind/objects_next where it was.
void* objects_search(ObjectTable* table, uintptr_t first_word, int* out_number);

// ---- Per-thread records (one thread: one process-wide record) ----------------
void* make_thread_record(size_t size, void (*initialiser)(void* record));
void* thread_record(void* record);

// ---- Memory, provided by the toolkit's start-up ------------------------------
// Zero-filled blocks from the general heap; general_realloc zero-fills growth.
void* general_alloc(size_t size);
void* general_realloc(void* block, size_t size);
void general_free(void* block);
// The size of a live block of the general heap; SIZE_MAX when the heap cannot tell.
size_t general_size(const void* block);
// Zero-filled blocks from the record heap (RecordList records only).
void* record_heap_alloc(size_t size);
void record_heap_free(void* block);
#ifndef _WIN32
// Frees every block of both heaps at once (the toolkit's end).
void destroy_block_heaps();
#endif
