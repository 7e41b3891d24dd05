// The toolkit's shared state and its start-up steps, and the heaps behind
// every table and record.
#include "toolkit/win32/internal.h"

#include <commctrl.h>

#include <cstddef>
#include <cstdint>

ToolkitState toolkit;

HINSTANCE store_module_handle() {
    toolkit.module = GetModuleHandleA(nullptr);
    return toolkit.module;
}

HINSTANCE module_handle() { return toolkit.module; }

bool create_general_heap() {
    toolkit.general_heap = HeapCreate(0, 4096, 0);
    toolkit.general_heap_private = toolkit.general_heap != nullptr;
    if (!toolkit.general_heap) toolkit.general_heap = GetProcessHeap();
    return toolkit.general_heap_private;
}

HANDLE general_heap() { return toolkit.general_heap; }

void destroy_general_heap() {
    // The tables and thread records lived in the heap: forget them, so that a
    // later lookup finds nothing instead of reading freed memory.
    toolkit.fonts = toolkit.windows = toolkit.gadgets = nullptr;
    toolkit.gadget_context = nullptr;
    toolkit.events = nullptr;
    toolkit.sizing = nullptr;
    if (toolkit.general_heap && toolkit.general_heap_private) HeapDestroy(toolkit.general_heap);
    toolkit.general_heap = nullptr;
    toolkit.general_heap_private = false;
}

void* general_alloc(size_t size) {
    if (!toolkit.general_heap) return nullptr;
    return HeapAlloc(toolkit.general_heap, HEAP_ZERO_MEMORY, size);
}

void* general_realloc(void* block, size_t size) {
    if (!toolkit.general_heap) return nullptr;
    if (!block) return general_alloc(size);
    return HeapReAlloc(toolkit.general_heap, HEAP_ZERO_MEMORY, block, size);
}

void general_free(void* block) {
    if (block && toolkit.general_heap) HeapFree(toolkit.general_heap, 0, block);
}

size_t general_size(const void* block) {
    if (!block || !toolkit.general_heap) return SIZE_MAX;
    const SIZE_T size = HeapSize(toolkit.general_heap, 0, block);
    return size == static_cast<SIZE_T>(-1) ? SIZE_MAX : size;
}

void* record_heap_alloc(size_t size) {
    if (!toolkit.record_heap) return nullptr;
    return HeapAlloc(toolkit.record_heap, HEAP_ZERO_MEMORY, size);
}

void record_heap_free(void* block) {
    if (block && toolkit.record_heap) HeapFree(toolkit.record_heap, 0, block);
}

void init_record_heap() { toolkit.record_heap = HeapCreate(0, 1024, 0); }

void init_fonts() {
    display_logpixels();  // the one reading of the display's scale, for layout and fonts alike
    toolkit.fonts = objects_create(sizeof(HFONT), 16, free_font);
}

void init_gadgets() {
    InitializeCriticalSection(&toolkit.lock);
    toolkit.lock_ready = true;
    toolkit.default_gui_font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    toolkit.gadgets = objects_create(sizeof(GadgetRecord), 50, free_gadget);
    toolkit.gadget_context = static_cast<GadgetContext*>(make_thread_record(sizeof(GadgetContext), [](void* record) {
        static_cast<GadgetContext*>(record)->default_font = toolkit.default_gui_font;
    }));
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = 8;
    controls.dwICC = ICC_TAB_CLASSES | ICC_DATE_CLASSES | ICC_USEREX_CLASSES | ICC_INTERNET_CLASSES;  // 0xB08
    InitCommonControlsEx(&controls);
}

GadgetContext* gadget_context() { return static_cast<GadgetContext*>(thread_record(toolkit.gadget_context)); }

EventRecord* event_record() { return static_cast<EventRecord*>(thread_record(toolkit.events)); }

EventCore* event_core() {
    EventRecord* events = event_record();
    return events ? &events->core : nullptr;
}

HWND use_gadget_list(HWND window) {
    if (GadgetContext* context = gadget_context()) context->parent = window;
    return window;
}
