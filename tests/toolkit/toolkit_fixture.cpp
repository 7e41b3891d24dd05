#include "toolkit_fixture.h"

#include "toolkit/toolkit.h"

void start_toolkit() {
    static bool started = false;
    if (started) return;
    started = true;
    store_module_handle();
    create_general_heap();
    init_record_heap();
    init_fonts();
    init_windows();
    init_gadgets();
}

void drain_events() {
    for (int i = 0; i < 10000 && wait_event(0) != EVENT_NONE; ++i) {
    }
}
