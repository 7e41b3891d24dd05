// The event record's bookkeeping: the FIFO of window events with its reserve
// node, the list of records handed over with data events, and their release.
#include <cstddef>
#include <cstdint>

#include "toolkit/core.h"

namespace {

// The queue's room for one event when memory for its node cannot be had.
QueuedEvent reserve_node;
bool reserve_in_use = false;

// The attached record may name a further block in its sixth word.
constexpr size_t ATTACHED_BLOCK_WORD = 5;

void free_record(void* record) {
    // Only a record long enough to have a sixth word can name a further block.
    const size_t size = general_size(record);
    if (size != SIZE_MAX && size >= (ATTACHED_BLOCK_WORD + 1) * sizeof(void*)) {
        void* block = static_cast<void**>(record)[ATTACHED_BLOCK_WORD];
        if (block) general_free(block);
    }
    general_free(record);
}

}  // namespace

void queue_event(int code, int window) {
    EventCore* events = event_core();
    if (!events) return;
    QueuedEvent* tail = events->queue_tail;
    if (tail && tail->code == code && tail->window == window) return;
    auto* node = static_cast<QueuedEvent*>(general_alloc(sizeof(QueuedEvent)));
    // Without memory one event still finds room, so that a close request is
    // not lost to a passing shortage; only while that room is taken are
    // further events lost.
    if (!node && !reserve_in_use) {
        reserve_in_use = true;
        node = &reserve_node;
    }
    if (!node) return;
    node->next = nullptr;
    node->code = code;
    node->window = window;
    if (tail)
        tail->next = node;
    else
        events->queue_head = node;
    events->queue_tail = node;
}

int take_queued_event(EventCore* events) {
    QueuedEvent* node = events->queue_head;
    if (!node) return 0;
    events->queue_head = node->next;
    if (!events->queue_head) events->queue_tail = nullptr;
    events->window = node->window;
    events->pending = 0;
    const int code = node->code;
    if (node == &reserve_node)
        reserve_in_use = false;
    else
        general_free(node);
    return code;
}

bool hand_record(EventCore* events, void* record) {
    if (!record || record == events->attached) return false;
    for (int i = 0; i < events->handed_count; ++i)
        if (events->handed[i] == record) return false;  // already on its way
    if (events->handed_count == events->handed_capacity) {
        const int capacity = events->handed_capacity ? events->handed_capacity * 2 : 8;
        void* grown = general_realloc(events->handed, static_cast<size_t>(capacity) * sizeof(void*));
        if (!grown) return false;
        events->handed = static_cast<void**>(grown);
        events->handed_capacity = capacity;
    }
    events->handed[events->handed_count++] = record;
    return true;
}

bool unhand_record(EventCore* events, const void* record) {
    for (int i = 0; i < events->handed_count; ++i) {
        if (events->handed[i] != record) continue;
        events->handed[i] = events->handed[--events->handed_count];
        return true;
    }
    return false;
}

void drop_handed(EventCore* events, void* record) {
    if (unhand_record(events, record)) free_record(record);
}

bool take_attached(EventCore* events, void* record) {
    if (!record || !unhand_record(events, record)) return false;
    // A record handed over before the last one was released would be lost.
    if (events->attached) release_attached();
    events->attached = record;
    return true;
}

void release_attached(bool handed_too) {
    EventCore* events = event_core();
    if (!events) return;
    if (void* record = events->attached) {
        events->attached = nullptr;
        free_record(record);
    }
    if (!handed_too) return;
    while (events->handed_count > 0) free_record(events->handed[--events->handed_count]);
}
