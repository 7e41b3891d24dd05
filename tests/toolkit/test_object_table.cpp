// Numbered object tables and lists of anonymous records, in the general heap
// of the platform's start-up: run on Win32 and on GTK alike (each over its own
// toolkit_fixture); the toolkit before its start-up.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "toolkit/core.h"
#include "toolkit_fixture.h"

namespace {

// Runs first in this program, before any test starts the toolkit: a client
// that calls the toolkit before its start-up gets "nothing there", not a crash
// on a table that is not made yet.
TEST(BeforeStartUp, OperationsAnswerNothing) {
    ASSERT_EQ(event_core(), nullptr) << "this test must run before the toolkit starts";
    EXPECT_EQ(open_window(0, 0, 0, 100, 100, "early", 0), 0);
    EXPECT_EQ(window_handle(0), nullptr);
    EXPECT_EQ(add_shortcut(0, KEY_RETURN, 1), nullptr);
    close_window(0);
    EXPECT_EQ(create_label(1, 0, 0, 50, 20, "early"), 0);
    EXPECT_EQ(gadget_handle(1), nullptr);
    EXPECT_EQ(set_gadget_text(1, "x"), 0);
    EXPECT_EQ(set_gadget_font(-1, DEFAULT_GADGET_FONT), 0);
    EXPECT_EQ(set_gadget_tooltip(1, "tip"), 0);
    EXPECT_EQ(use_gadget_list(nullptr), nullptr);
    EXPECT_EQ(load_font(1, "Arial", 10), 0);
    EXPECT_EQ(free_font(1), 0);
    queue_event(1, 0);
    EXPECT_EQ(objects_slot(nullptr, 1), nullptr);
    objects_release(nullptr, 1);
}

struct TestRecord {
    uintptr_t tag;  // non-zero while occupied
    int value;
    int spare;
};

// The free handler of the tables below: notes each call and, like the
// toolkit's own handlers, empties an occupied slot.
ObjectTable* handler_table = nullptr;
std::vector<int> freed_calls;
std::vector<uintptr_t> freed_tags;

int note_free(int number) {
    freed_calls.push_back(number);
    auto* record = static_cast<TestRecord*>(objects_find(handler_table, number));
    if (!record) return 0;
    freed_tags.push_back(record->tag);
    objects_release(handler_table, number);
    return 1;
}

class ObjectTableTest : public ::testing::Test {
protected:
    void SetUp() override {
        start_toolkit();
        freed_calls.clear();
        freed_tags.clear();
    }

    static ObjectTable* make_table(int step, FreeHandler handler = nullptr) {
        ObjectTable* table = objects_create(sizeof(TestRecord), step, handler);
        if (handler) handler_table = table;
        return table;
    }

    static TestRecord* record_at(ObjectTable* table, int index) {
        return reinterpret_cast<TestRecord*>(table->array + static_cast<size_t>(index) * table->record_size);
    }

    static TestRecord* occupy(ObjectTable* table, int number, uintptr_t tag) {
        auto* record = static_cast<TestRecord*>(objects_slot(table, number));
        if (record) {
            record->tag = tag;
            record->value = static_cast<int>(tag) * 3;
        }
        return record;
    }

    static std::vector<int> enumerate(ObjectTable* table) {
        std::vector<int> numbers;
        objects_rewind(table);
        int number = 0;
        for (int i = 0; i < 1000 && objects_next(table, &number); ++i) numbers.push_back(number);
        return numbers;
    }

    static int anonymous_count(ObjectTable* table) {
        int count = 0;
        for (RecordNode* node = table->anonymous.head; node; node = node->older) ++count;
        return count;
    }
};

TEST_F(ObjectTableTest, GrowsToNumberPlusStepKeepingOldRecordsAndZeroingNewOnes) {
    ObjectTable* table = make_table(50);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->capacity, 50);

    struct Row {
        int number;
        int capacity_after;
    };
    const Row rows[] = {{49, 50}, {50, 100}, {99, 100}, {120, 170}, {0, 170}};
    for (const Row& row : rows) {
        SCOPED_TRACE("number " + std::to_string(row.number));
        const int old_capacity = table->capacity;
        for (int i = 0; i < old_capacity; ++i) {
            record_at(table, i)->tag = static_cast<uintptr_t>(1000 + i);
            record_at(table, i)->value = i;
        }
        void* slot = objects_slot(table, row.number);
        ASSERT_NE(slot, nullptr);
        ASSERT_EQ(table->capacity, row.capacity_after);
        EXPECT_EQ(slot, record_at(table, row.number));
        for (int i = 0; i < old_capacity; ++i) {
            ASSERT_EQ(record_at(table, i)->tag, static_cast<uintptr_t>(1000 + i)) << "kept record " << i;
            ASSERT_EQ(record_at(table, i)->value, i) << "kept record " << i;
        }
        const auto* fresh = reinterpret_cast<const unsigned char*>(record_at(table, old_capacity));
        const size_t fresh_bytes = static_cast<size_t>(table->capacity - old_capacity) * table->record_size;
        for (size_t i = 0; i < fresh_bytes; ++i) ASSERT_EQ(fresh[i], 0) << "new byte " << i;
    }
}

TEST_F(ObjectTableTest, FreeHandlerRunsOnEverySlotForANumberOccupiedOrNot) {
    ObjectTable* table = make_table(16, note_free);
    ASSERT_NE(table, nullptr);

    struct Step {
        const char* what;
        int number;
        uintptr_t tag_before;  // 0: leave the slot as it is
        std::vector<int> calls;
        std::vector<uintptr_t> freed;
    };
    const Step steps[] = {
        {"empty slot", 5, 0, {5}, {}},
        {"occupied slot", 5, 77, {5}, {77}},
        {"slot past the array, after growing", 40, 0, {40}, {}},
        {"anonymous record", -1, 0, {}, {}},
        {"number zero, occupied", 0, 9, {0}, {9}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        if (step.tag_before) occupy(table, step.number, step.tag_before);
        freed_calls.clear();
        freed_tags.clear();
        auto* record = static_cast<TestRecord*>(objects_slot(table, step.number));
        ASSERT_NE(record, nullptr);
        EXPECT_EQ(freed_calls, step.calls);
        EXPECT_EQ(freed_tags, step.freed);
        EXPECT_EQ(record->tag, 0u) << "the slot is handed out empty";
    }
}

TEST_F(ObjectTableTest, EnumeratesNumbersInOrderThenAnonymousOldestFirst) {
    ObjectTable* table = make_table(16);
    occupy(table, 7, 70);
    auto* a = static_cast<TestRecord*>(objects_slot(table, -1));
    occupy(table, 3, 30);
    auto* b = static_cast<TestRecord*>(objects_slot(table, -1));
    ASSERT_TRUE(a && b);
    a->tag = 1;  // B keeps a zero first word: anonymous records are reported all the same
    const int id_a = objects_number_of(table, a);
    const int id_b = objects_number_of(table, b);

    objects_rewind(table);
    struct Expected {
        int number;
        void* record;
    };
    const Expected expected[] = {{3, record_at(table, 3)}, {7, record_at(table, 7)}, {id_a, a}, {id_b, b}};
    for (const Expected& row : expected) {
        int number = 0;
        void* record = objects_next(table, &number);
        EXPECT_EQ(number, row.number);
        EXPECT_EQ(record, row.record) << "number " << row.number;
    }
    int number = 0;
    EXPECT_EQ(objects_next(table, &number), nullptr);
    EXPECT_EQ(objects_next(table, &number), nullptr) << "stays over";
}

TEST_F(ObjectTableTest, ReleasingEachRecordAsItIsReturnedEmptiesTheTable) {
    ObjectTable* table = make_table(16);
    for (int number : {0, 3, 15, 40}) occupy(table, number, static_cast<uintptr_t>(number + 1));
    std::vector<int> identities;
    for (int i = 0; i < 3; ++i) {
        auto* record = static_cast<TestRecord*>(objects_slot(table, -1));
        ASSERT_NE(record, nullptr);
        record->tag = 100u + static_cast<uintptr_t>(i);
        identities.push_back(objects_number_of(table, record));
    }

    std::vector<int> released;
    objects_rewind(table);
    int number = 0;
    for (int i = 0; i < 100 && objects_next(table, &number); ++i) {
        released.push_back(number);
        objects_release(table, number);
    }
    const std::vector<int> expected{0, 3, 15, 40, identities[0], identities[1], identities[2]};
    EXPECT_EQ(released, expected);
    EXPECT_TRUE(enumerate(table).empty());
    EXPECT_EQ(table->anonymous.head, nullptr);
    for (int n : expected) EXPECT_EQ(objects_find(table, n), nullptr) << "number " << n;
    EXPECT_EQ(table->capacity, 56) << "releasing never shrinks the array";
}

TEST_F(ObjectTableTest, AnonymousIdentitiesStartOverAtTheTopInsteadOfPassingIntMin) {
    ObjectTable* table = make_table(4);
    const int saved = next_anonymous_identity;
    next_anonymous_identity = ANONYMOUS_IDENTITY_FIRST;
    auto* live = static_cast<TestRecord*>(objects_slot(table, -1));  // keeps the top identity
    ASSERT_NE(live, nullptr);
    live->tag = 1;
    next_anonymous_identity = INT_MIN + 1;
    std::vector<int> identities;
    for (int i = 0; i < 3; ++i) {
        auto* record = static_cast<TestRecord*>(objects_slot(table, -1));
        ASSERT_NE(record, nullptr);
        record->tag = 2;
        identities.push_back(objects_number_of(table, record));
    }
    next_anonymous_identity = saved;
    EXPECT_EQ(identities, (std::vector<int>{INT_MIN + 1, INT_MIN, ANONYMOUS_IDENTITY_FIRST - 1}))
        << "the live top identity is passed over";
    EXPECT_EQ(objects_find(table, ANONYMOUS_IDENTITY_FIRST), live);
}

TEST_F(ObjectTableTest, AnonymousIdentitiesNeverCollideWithNumbersAndDieWithTheirRecord) {
    ObjectTable* table = make_table(16);
    ObjectTable* other = make_table(16);
    for (int number = 0; number < 16; ++number) occupy(table, number, static_cast<uintptr_t>(number + 1));

    std::vector<int> identities;
    std::vector<TestRecord*> records;
    for (int i = 0; i < 5; ++i) {
        auto* record = static_cast<TestRecord*>(objects_slot(table, -1));
        ASSERT_NE(record, nullptr);
        record->tag = 500u + static_cast<uintptr_t>(i);
        records.push_back(record);
        identities.push_back(objects_number_of(table, record));
    }
    for (size_t i = 0; i < identities.size(); ++i) {
        const int identity = identities[i];
        SCOPED_TRACE("identity " + std::to_string(identity));
        EXPECT_TRUE(identity < 0 && identity != -1 && identity != MENU_SOURCE_ID);
        for (size_t j = 0; j < i; ++j) EXPECT_NE(identity, identities[j]);
        EXPECT_EQ(objects_find(table, identity), records[i]);
        EXPECT_EQ(objects_find(other, identity), nullptr) << "another table's identity";
    }
    // Numbers still name their own slots.
    for (int number = 0; number < 16; ++number)
        ASSERT_EQ(static_cast<TestRecord*>(objects_find(table, number))->tag, static_cast<uintptr_t>(number + 1));

    objects_release(table, identities[2]);
    EXPECT_EQ(objects_find(table, identities[2]), nullptr);
    EXPECT_EQ(objects_find(table, identities[1]), records[1]);
    EXPECT_EQ(objects_find(table, identities[3]), records[3]);
    EXPECT_EQ(anonymous_count(table), 4);
    objects_release(table, identities[2]);  // a second release finds nothing
    EXPECT_EQ(anonymous_count(table), 4);

    records[4]->tag = 0;
    EXPECT_EQ(objects_find(table, identities[4]), nullptr) << "an anonymous record with a zero first word";

    const int strangers[] = {-1, -2, MENU_SOURCE_ID, 16, 17, INT_MAX, INT_MIN};
    for (int stranger : strangers) EXPECT_EQ(objects_find(table, stranger), nullptr) << "value " << stranger;
}

TEST_F(ObjectTableTest, ReleasedNumberedSlotIsNotFound) {
    ObjectTable* table = make_table(16);
    occupy(table, 4, 44);
    ASSERT_NE(objects_find(table, 4), nullptr);
    objects_release(table, 4);
    EXPECT_EQ(objects_find(table, 4), nullptr);
    objects_release(table, 4);  // harmless on an empty slot
    objects_release(table, 9);
    EXPECT_EQ(objects_find(table, 4), nullptr);
    EXPECT_TRUE(enumerate(table).empty());
}

TEST_F(ObjectTableTest, UnusableNumbersGiveNoneAndLeaveTheTableUntouched) {
    ObjectTable* table = make_table(50, note_free);
    occupy(table, 2, 22);
    freed_calls.clear();
    const unsigned char* array_before = table->array;

    struct Row {
        const char* what;
        int number;
    };
    const Row rows[] = {
        {"largest number", INT_MAX},
        {"number plus step just past the largest", INT_MAX - 49},
        {"number plus step well past the largest", INT_MAX - 10},
        {"minus two", -2},
        {"an anonymous-looking value", ANONYMOUS_IDENTITY_FIRST},
        {"smallest number", INT_MIN},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(objects_slot(table, row.number), nullptr);
        EXPECT_EQ(table->capacity, 50);
        EXPECT_EQ(table->array, array_before);
        EXPECT_TRUE(freed_calls.empty());
        EXPECT_EQ(table->anonymous.head, nullptr);
        objects_release(table, row.number);
        EXPECT_NE(objects_find(table, 2), nullptr) << "releasing it released another record";
        EXPECT_EQ(objects_number_of(table, &row), -1) << "a record the table does not hold has no number";
    }
    EXPECT_EQ(static_cast<TestRecord*>(objects_find(table, 2))->tag, 22u);
    EXPECT_EQ(objects_number_of(table, objects_find(table, 2)), 2);
}

TEST_F(ObjectTableTest, RecordsSmallerThanAPointerAreJudgedByTheirOwnBytes) {
    // Four-byte records: the word that decides must not reach into the neighbour.
    ObjectTable* table = objects_create(sizeof(int32_t), 16, nullptr);
    ASSERT_NE(table, nullptr);
    auto* second = static_cast<int32_t*>(objects_slot(table, 1));
    *second = 0x1234;
    auto* last = static_cast<int32_t*>(objects_slot(table, 15));
    *last = 1;
    EXPECT_EQ(objects_find(table, 0), nullptr);
    EXPECT_EQ(objects_find(table, 1), second);
    EXPECT_EQ(objects_find(table, 14), nullptr);
    EXPECT_EQ(enumerate(table), (std::vector<int>{1, 15}));
}

TEST_F(ObjectTableTest, RecordListKeepsItsLinksWhenRemovingHeadMiddleAndOldest) {
    RecordList list{};
    std::vector<void*> made;  // oldest first
    for (int i = 0; i < 5; ++i) {
        auto* record = static_cast<int*>(record_list_add(&list, sizeof(int) * 4));
        ASSERT_NE(record, nullptr);
        for (int w = 0; w < 4; ++w) ASSERT_EQ(record[w], 0) << "zero-filled";
        *record = i;
        made.push_back(record);
    }

    // Walks from the head to the oldest and back, checking both links agree.
    auto newest_first = [&list]() {
        std::vector<int> values;
        RecordNode* last = nullptr;
        for (RecordNode* node = list.head; node && values.size() < 20; node = node->older) {
            EXPECT_EQ(node->newer, last) << "newer link of " << *static_cast<int*>(record_of(node));
            values.push_back(*static_cast<int*>(record_of(node)));
            last = node;
        }
        std::vector<int> back;
        for (RecordNode* node = last; node && back.size() < 20; node = node->newer)
            back.insert(back.begin(), *static_cast<int*>(record_of(node)));
        EXPECT_EQ(back, values) << "walking newer links from the oldest";
        return values;
    };
    EXPECT_EQ(newest_first(), (std::vector<int>{4, 3, 2, 1, 0}));

    struct Row {
        const char* what;
        int remove;
        std::vector<int> left;
    };
    const Row rows[] = {
        {"middle", 2, {4, 3, 1, 0}}, {"head", 4, {3, 1, 0}}, {"oldest", 0, {3, 1}},
        {"head of two", 3, {1}},     {"only record", 1, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        record_list_remove(&list, made[static_cast<size_t>(row.remove)]);
        EXPECT_EQ(newest_first(), row.left);
    }
    EXPECT_EQ(list.head, nullptr);

    void* again = record_list_add(&list, sizeof(int));
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(list.head, record_node_of(again));
    EXPECT_EQ(list.head->older, nullptr);
    EXPECT_EQ(list.head->newer, nullptr);
    record_list_remove(&list, again);
}

TEST(ToolkitStartUp, ThreadRecordIsTheRecordMadeOnceWithItsInitialiser) {
    start_toolkit();
    struct Sample {
        int a;
        int b;
        int c;
    };
    auto* record =
        static_cast<Sample*>(make_thread_record(sizeof(Sample), [](void* r) { static_cast<Sample*>(r)->b = 7; }));
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->a, 0);
    EXPECT_EQ(record->b, 7);
    EXPECT_EQ(record->c, 0);
    EXPECT_EQ(thread_record(record), record);
}

}  // namespace
