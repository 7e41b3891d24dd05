// Numbered object tables, lists of anonymous records and per-thread records, on the heaps start-up provides.
#include "toolkit/object_table.h"

#include <climits>
#include <cstdint>
#include <cstring>

namespace {

constexpr size_t header_size = (sizeof(RecordNode) + 15) / 16 * 16;

// The first pointer-sized word decides, or the whole record when it is smaller:
// reading past a small record would look into its neighbour.
bool first_word_set(const ObjectTable* table, const void* record) {
    uintptr_t word = 0;
    std::memcpy(&word, record, table->record_size < sizeof word ? table->record_size : sizeof word);
    return word != 0;
}

unsigned char* array_record(ObjectTable* table, int index) {
    return table->array + static_cast<size_t>(index) * table->record_size;
}

RecordNode* anonymous_node(ObjectTable* table, int identity) {
    if (identity > ANONYMOUS_IDENTITY_FIRST) return nullptr;
    for (RecordNode* node = table->anonymous.head; node; node = node->older)
        if (node->identity == identity) return node;
    return nullptr;
}

// Identities count down and start over at the top of their range instead of
// running past INT_MIN; one still live in this table is passed over.
int take_identity(ObjectTable* table) {
    for (;;) {
        const int identity = next_anonymous_identity;
        next_anonymous_identity = identity == INT_MIN ? ANONYMOUS_IDENTITY_FIRST : identity - 1;
        if (!anonymous_node(table, identity)) return identity;
    }
}

}  // namespace

int next_anonymous_identity = ANONYMOUS_IDENTITY_FIRST;

RecordNode* record_node_of(void* record) {
    return reinterpret_cast<RecordNode*>(static_cast<unsigned char*>(record) - header_size);
}

void* record_of(RecordNode* node) { return reinterpret_cast<unsigned char*>(node) + header_size; }

void* record_list_add(RecordList* list, size_t record_size) {
    auto* node = static_cast<RecordNode*>(record_heap_alloc(header_size + record_size));
    if (!node) return nullptr;
    node->older = list->head;
    if (list->head) list->head->newer = node;
    list->head = node;
    return record_of(node);
}

void record_list_remove(RecordList* list, void* record) {
    RecordNode* node = record_node_of(record);
    if (node == list->head) {
        list->head = node->older;
        if (list->head) list->head->newer = nullptr;
    } else {
        if (node->newer) node->newer->older = node->older;
        if (node->older) node->older->newer = node->newer;
    }
    record_heap_free(node);
}

ObjectTable* objects_create(size_t record_size, int growth_step, FreeHandler free_handler) {
    auto* table = static_cast<ObjectTable*>(general_alloc(sizeof(ObjectTable)));
    if (!table) return nullptr;
    table->array = static_cast<unsigned char*>(general_alloc(record_size * static_cast<size_t>(growth_step)));
    if (!table->array) {
        general_free(table);
        return nullptr;
    }
    table->record_size = record_size;
    table->growth_step = growth_step;
    table->capacity = growth_step;
    table->free_handler = free_handler;
    return table;
}

void* objects_slot(ObjectTable* table, int number) {
    if (!table) return nullptr;  // a table that could not be made holds nothing
    if (number == -1) {
        void* record = record_list_add(&table->anonymous, table->record_size);
        if (record) record_node_of(record)->identity = take_identity(table);
        return record;
    }
    if (number < 0) return nullptr;
    if (number >= table->capacity) {
        // Grow to number + step records; a size that does not fit leaves the table as it was.
        const int64_t wanted = static_cast<int64_t>(number) + table->growth_step;
        if (wanted > INT32_MAX || static_cast<uint64_t>(wanted) > SIZE_MAX / table->record_size) return nullptr;
        void* grown = general_realloc(table->array, static_cast<size_t>(wanted) * table->record_size);
        if (!grown) return nullptr;
        table->array = static_cast<unsigned char*>(grown);
        table->capacity = static_cast<int>(wanted);
    }
    if (table->free_handler) table->free_handler(number);
    return array_record(table, number);
}

void* objects_find(ObjectTable* table, int number) {
    if (!table) return nullptr;
    if (number >= 0 && number < table->capacity) {
        unsigned char* record = array_record(table, number);
        return first_word_set(table, record) ? record : nullptr;
    }
    RecordNode* node = anonymous_node(table, number);
    if (!node) return nullptr;
    void* record = record_of(node);
    return first_word_set(table, record) ? record : nullptr;
}

void* objects_at(ObjectTable* table, int number) {
    if (!table) return nullptr;
    if (number >= 0 && number < table->capacity) return array_record(table, number);
    RecordNode* node = anonymous_node(table, number);
    return node ? record_of(node) : nullptr;
}

void objects_release(ObjectTable* table, int number) {
    if (!table) return;
    if (number >= 0 && number < table->capacity) {
        std::memset(array_record(table, number), 0, table->record_size);
        return;
    }
    RecordNode* node = anonymous_node(table, number);
    if (!node) return;
    if (table->enumeration_cursor == node) table->enumeration_cursor = node->newer;
    record_list_remove(&table->anonymous, record_of(node));
}

void* objects_search(ObjectTable* table, uintptr_t first_word, int* out_number) {
    if (!table || first_word == 0) return nullptr;
    const size_t width = table->record_size < sizeof first_word ? table->record_size : sizeof first_word;
    const auto holds = [&](const void* record) {
        uintptr_t word = 0;
        std::memcpy(&word, record, width);
        return word == first_word;
    };
    for (int index = 0; index < table->capacity; ++index) {
        unsigned char* record = array_record(table, index);
        if (!holds(record)) continue;
        *out_number = index;
        return record;
    }
    for (RecordNode* node = table->anonymous.head; node; node = node->older) {
        void* record = record_of(node);
        if (!holds(record)) continue;
        *out_number = node->identity;
        return record;
    }
    return nullptr;
}

void objects_rewind(ObjectTable* table) {
    if (!table) return;
    table->enumeration_index = 0;
    RecordNode* oldest = table->anonymous.head;
    while (oldest && oldest->older) oldest = oldest->older;
    table->enumeration_cursor = oldest;
}

void* objects_next(ObjectTable* table, int* out_number) {
    if (!table) return nullptr;
    while (table->enumeration_index < table->capacity) {
        const int index = table->enumeration_index++;
        unsigned char* record = array_record(table, index);
        if (first_word_set(table, record)) {
            *out_number = index;
            return record;
        }
    }
    if (RecordNode* node = table->enumeration_cursor) {
        *out_number = node->identity;
        table->enumeration_cursor = node->newer;
        return record_of(node);
    }
    return nullptr;
}

int objects_number_of(ObjectTable* table, const void* record) {
    if (!table) return -1;
    const auto* bytes = static_cast<const unsigned char*>(record);
    const size_t span = static_cast<size_t>(table->capacity) * table->record_size;
    if (bytes >= table->array && bytes < table->array + span)
        return static_cast<int>(static_cast<size_t>(bytes - table->array) / table->record_size);
    for (RecordNode* node = table->anonymous.head; node; node = node->older)
        if (record_of(node) == record) return node->identity;
    return -1;
}

void* make_thread_record(size_t size, void (*initialiser)(void* record)) {
    void* record = general_alloc(size);
    if (record && initialiser) initialiser(record);
    return record;
}

// One thread runs the toolkit, so the record made at start-up is every caller's.
void* thread_record(void* record) { return record; }
