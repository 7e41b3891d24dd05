#include "table_model.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <list>
#include <map>
#include <utility>
#include <vector>

#include "toolkit/object_table.h"

namespace {

constexpr int growth_step = 7;

struct Record {
    uint64_t payload;  // first word: non-zero while occupied
    uint64_t spare;
};

ObjectTable* table;  // the table under test, for the free handler
int free_calls;

[[noreturn]] void diverged(const char* what, int number) {
    std::fprintf(stderr, "object table diverged from its model: %s (number %d)\n", what, number);
    std::abort();
}

// Like the toolkit's free handlers: destroys an occupant, leaves the slot empty.
int release_occupant(int number) {
    ++free_calls;
    if (objects_find(table, number)) objects_release(table, number);
    return 0;
}

struct Model {
    int capacity = growth_step;
    std::map<int, uint64_t> numbered;
    std::list<std::pair<int, uint64_t>> anonymous;  // oldest first
    std::vector<int> released_identities;
};

struct Reader {
    const uint8_t* data;
    size_t size;
    size_t at = 0;
    bool more() const { return at < size; }
    uint32_t byte() { return at < size ? data[at++] : 0; }
    uint64_t payload() { return (static_cast<uint64_t>(byte()) << 8 | byte()) + 1; }
};

void check_find(Model& model, int number) {
    auto* record = static_cast<Record*>(objects_find(table, number));
    auto it = model.numbered.find(number);
    if ((record != nullptr) != (it != model.numbered.end())) diverged("find: presence", number);
    if (record && record->payload != it->second) diverged("find: contents", number);
}

void check_enumeration(Model& model, bool release_each) {
    objects_rewind(table);
    auto expected_numbered = model.numbered.begin();
    auto expected_anonymous = model.anonymous.begin();
    int number = 0;
    while (auto* record = static_cast<Record*>(objects_next(table, &number))) {
        if (expected_numbered != model.numbered.end()) {
            if (number != expected_numbered->first || record->payload != expected_numbered->second)
                diverged("enumeration: numbered slot", number);
            ++expected_numbered;
        } else {
            if (expected_anonymous == model.anonymous.end() || number != expected_anonymous->first ||
                record->payload != expected_anonymous->second)
                diverged("enumeration: anonymous record", number);
            ++expected_anonymous;
        }
        if (release_each) objects_release(table, number);
    }
    if (expected_numbered != model.numbered.end() || expected_anonymous != model.anonymous.end())
        diverged("enumeration: ended early", number);
    if (release_each) {
        for (auto& [identity, payload] : model.anonymous) model.released_identities.push_back(identity);
        model.numbered.clear();
        model.anonymous.clear();
    }
}

void destroy_table() {
    objects_rewind(table);
    int number = 0;
    while (objects_next(table, &number)) objects_release(table, number);
    general_free(table->array);
    general_free(table);
    table = nullptr;
}

}  // namespace

size_t run_table_operations(const uint8_t* data, size_t size) {
    table = objects_create(sizeof(Record), growth_step, release_occupant);
    if (!table) diverged("create", 0);
    Model model;
    Reader in{data, size};
    size_t operations = 0;
    while (in.more()) {
        ++operations;
        const uint32_t op = in.byte() % 9;
        if (op == 0) {  // take a numbered slot and fill it
            const int number = static_cast<int>(in.byte());
            const uint64_t payload = in.payload();
            const int calls_before = free_calls;
            auto* record = static_cast<Record*>(objects_slot(table, number));
            if (!record) diverged("slot: none for a valid number", number);
            if (free_calls != calls_before + 1) diverged("slot: free handler not called once", number);
            if (record->payload != 0 || record->spare != 0) diverged("slot: not empty", number);
            if (number >= model.capacity) model.capacity = number + growth_step;
            if (table->capacity != model.capacity) diverged("slot: capacity", number);
            record->payload = payload;
            model.numbered[number] = payload;
        } else if (op == 1) {  // make an anonymous record
            auto* record = static_cast<Record*>(objects_slot(table, -1));
            if (!record) diverged("slot: no anonymous record", -1);
            const int identity = objects_number_of(table, record);
            if (identity >= -1 || (identity >= 0 && identity < table->capacity)) diverged("identity range", identity);
            for (auto& [other, payload] : model.anonymous)
                if (other == identity) diverged("identity reused while live", identity);
            record->payload = in.payload();
            model.anonymous.emplace_back(identity, record->payload);
        } else if (op == 2) {
            check_find(model, static_cast<int>(in.byte()));
        } else if (op == 3) {  // release a numbered slot
            const int number = static_cast<int>(in.byte());
            objects_release(table, number);
            model.numbered.erase(number);
        } else if (op == 4) {  // release an anonymous record, then it is gone
            if (model.anonymous.empty()) continue;
            auto it = model.anonymous.begin();
            std::advance(it, in.byte() % model.anonymous.size());
            objects_release(table, it->first);
            if (objects_find(table, it->first)) diverged("released identity still found", it->first);
            model.released_identities.push_back(it->first);
            model.anonymous.erase(it);
        } else if (op == 5) {  // look anonymous identities up, live and released
            for (auto& [identity, payload] : model.anonymous) {
                auto* record = static_cast<Record*>(objects_find(table, identity));
                if (!record || record->payload != payload) diverged("live identity", identity);
            }
            for (int identity : model.released_identities)
                if (objects_find(table, identity)) diverged("released identity", identity);
        } else if (op == 6 || op == 7) {
            check_enumeration(model, op == 7);
        } else {  // numbers no caller may pass: refused, table untouched
            const int bad[] = {-2, -3, -65535, INT32_MAX, INT32_MAX - growth_step + 1, INT32_MAX - 1};
            const int number = bad[in.byte() % 6];
            const int capacity = table->capacity;
            if (objects_slot(table, number) != nullptr) diverged("slot: accepted a bad number", number);
            if (table->capacity != capacity) diverged("slot: bad number changed the capacity", number);
            check_find(model, number);
        }
    }
    check_enumeration(model, false);
    destroy_table();
    return operations;
}
