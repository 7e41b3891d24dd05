// The toolkit's shared state and its start-up steps in a page.
#include <cstddef>
#include <cstdint>

#include "toolkit/web/internal.h"

ToolkitState toolkit;

void destroy_general_heap() {
    // The tables and thread records lived in the heap: forget them, so that a
    // later lookup finds nothing instead of reading freed memory.
    toolkit = ToolkitState{};
    destroy_block_heaps();
}

void init_fonts() { toolkit.fonts = objects_create(sizeof(FontRecord), 16, free_font); }

void init_gadgets() {
    toolkit.gadgets = objects_create(sizeof(GadgetRecord), 50, free_gadget);
    toolkit.gadget_context = static_cast<GadgetContext*>(make_thread_record(sizeof(GadgetContext), nullptr));
}

GadgetContext* gadget_context() { return static_cast<GadgetContext*>(thread_record(toolkit.gadget_context)); }

EventCore* event_core() { return static_cast<EventCore*>(thread_record(toolkit.events)); }

WindowHandle use_gadget_list(WindowHandle window) {
    if (GadgetContext* context = gadget_context())
        context->parent = static_cast<int>(reinterpret_cast<uintptr_t>(window));
    return window;
}
