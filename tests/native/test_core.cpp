// The toolkit's platform-free core on its own: the Tab order rule and the
// event record's bookkeeping, as every backend uses them.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "toolkit/core.h"

namespace {

EventCore events;

}  // namespace

EventCore* event_core() { return &events; }

TEST(Core, TabWalksTheTabStopsInOrderAndWrapsRound) {
    int a = 0, b = 0, c = 0, elsewhere = 0;
    const std::vector<void*> stops{&a, &b, &c};
    struct Row {
        void* current;
        bool backward;
        bool with_stops;
        void* expected;
    };
    const Row rows[] = {
        {nullptr, false, true, &a},
        {&a, false, true, &b},
        {&c, false, true, &a},
        {&elsewhere, false, true, nullptr},  // a focus on no tab stop stays
        {nullptr, true, true, &c},
        {&b, true, true, &a},
        {&a, true, true, &c},
        {&elsewhere, true, true, &c},
        {nullptr, false, false, nullptr},
        {nullptr, true, false, nullptr},
    };
    for (const Row& row : rows) {
        FocusWalk walk{};
        walk.current = row.current;
        walk.backward = row.backward;
        if (row.with_stops)
            for (void* stop : stops)
                if (focus_walk_visit(&walk, stop)) break;
        EXPECT_EQ(focus_walk_target(&walk), row.expected)
            << "row " << (&row - rows) << (row.backward ? " backward" : " forward");
    }
}

TEST(Core, EventsQueueInOrderWithoutRepeatsAndHandedRecordsAreTakenOnce) {
    events = EventCore{};
    queue_event(EVENT_MOVE, 1);
    queue_event(EVENT_MOVE, 1);  // the same event twice in a row waits once
    queue_event(EVENT_SIZE, 1);
    queue_event(EVENT_MOVE, 2);
    const int expected[][2] = {{EVENT_MOVE, 1}, {EVENT_SIZE, 1}, {EVENT_MOVE, 2}};
    for (const auto& event : expected) {
        EXPECT_EQ(take_queued_event(&events), event[0]);
        EXPECT_EQ(events.window, event[1]);
    }
    EXPECT_EQ(take_queued_event(&events), 0);

    void* record = general_alloc(6 * sizeof(void*));
    static_cast<void**>(record)[5] = general_alloc(8);  // a further block, freed with it
    void* stranger = general_alloc(16);
    EXPECT_TRUE(hand_record(&events, record));
    EXPECT_FALSE(hand_record(&events, record)) << "a record on its way is not handed twice";
    EXPECT_FALSE(take_attached(&events, stranger)) << "a record never handed out is not taken";
    EXPECT_TRUE(take_attached(&events, record));
    EXPECT_FALSE(take_attached(&events, record)) << "a record's message arrives once";
    EXPECT_FALSE(hand_record(&events, record)) << "the attached record is not handed again";
    release_attached();
    EXPECT_EQ(events.attached, nullptr);
    // Handed records whose messages never came go with the handed list.
    EXPECT_TRUE(hand_record(&events, stranger));
    release_attached(true);
    EXPECT_EQ(events.handed_count, 0);
    general_free(events.handed);
}

// Where a window opens in a work area: moved as little as needed, on any
// monitor, before its scale is lowered; at 96 in the corner where none fits.
TEST(Core, AWindowMovesIntoItsWorkAreaBeforeItsScaleIsLowered) {
    const Bounds frame{-5, -29, 5, 5}, left_of_primary{-1280, 0, 0, 760};
    const struct {
        int display, x, y;
        Bounds work;
        Opening want;
    } rows[] = {
        {144, -1500, 700, left_of_primary, {144, -1280, 276, 1000, 484}},
        {144, -300, -10, left_of_primary, {144, -1000, 0, 1000, 484}},
        {144, -600, 60, {-1280, 40, -780, 300}, {96, -1280, 40, 670, 334}},
    };
    const auto list = [](const Opening& o) { return std::vector<int>{o.dpi, o.x, o.y, o.width, o.height}; };
    for (const auto& row : rows)
        EXPECT_EQ(list(fit_in_work_area(Placement{row.x, row.y, 660, 300}, frame, row.display, row.work, nullptr)),
                  list(row.want));
}
