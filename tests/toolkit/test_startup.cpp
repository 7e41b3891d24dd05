// The toolkit's start-up on Win32: the shared tables and the gadget context,
// the common controls it asks for, and the heap it makes and destroys.
#include <gtest/gtest.h>

#include <vector>

#include "tests/import_slot.h"
#include "toolkit/win32/internal.h"

#include <commctrl.h>
#include "toolkit_fixture.h"

IMPORT_SLOT(init_controls_slot, InitCommonControlsEx, 4);
IMPORT_SLOT(heap_create_slot, HeapCreate, 12);
IMPORT_SLOT(heap_destroy_slot, HeapDestroy, 4);

namespace {

// What the toolkit's start-up asks of the common controls; noted from before
// the first test, since the start-up runs once per program.
std::vector<INITCOMMONCONTROLSEX> controls_asked;
decltype(&InitCommonControlsEx) real_init_controls = nullptr;
BOOL WINAPI noting_init_controls(const INITCOMMONCONTROLSEX* controls) {
    controls_asked.push_back(*controls);
    return real_init_controls(controls);
}
const bool controls_noted = (real_init_controls = replace_import(init_controls_slot, noting_init_controls), true);

TEST(ToolkitStartUp, MakesTheSharedTablesAndTheGadgetContext) {
    start_toolkit();
    ASSERT_NE(toolkit.record_heap, nullptr);
    ASSERT_NE(toolkit.general_heap, nullptr);

    struct Row {
        const char* what;
        ObjectTable* table;
        int step;
        FreeHandler handler;
    };
    const Row rows[] = {{"fonts", toolkit.fonts, 16, free_font}, {"gadgets", toolkit.gadgets, 50, free_gadget}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        ASSERT_NE(row.table, nullptr);
        EXPECT_EQ(row.table->growth_step, row.step);
        EXPECT_GE(row.table->capacity, row.step);
        EXPECT_EQ(row.table->free_handler, row.handler);
    }
    EXPECT_GE(toolkit.fonts->record_size, sizeof(HFONT));
    EXPECT_GE(toolkit.gadgets->record_size, sizeof(GadgetRecord));

    GadgetContext* context = gadget_context();
    ASSERT_NE(context, nullptr);
    EXPECT_EQ(context, thread_record(toolkit.gadget_context));
    EXPECT_EQ(context->default_font, GetStockObject(DEFAULT_GUI_FONT));
    EXPECT_NE(context->default_font, nullptr);
    EXPECT_TRUE(toolkit.lock_ready);

    // The common controls were initialised once, with the classes the tooltips
    // and the other gadgets need (Wine registers them before anyone asks).
    ASSERT_TRUE(controls_noted);
    ASSERT_EQ(controls_asked.size(), 1u);
    EXPECT_EQ(controls_asked[0].dwSize, 8u);
    EXPECT_EQ(controls_asked[0].dwICC, 0xB08u);
}

// The toolkit's own heap, or the process heap standing in when none can be
// made: shutting down destroys the first and never the second.
std::vector<HANDLE> heaps_destroyed;
decltype(&HeapDestroy) real_heap_destroy = nullptr;
BOOL WINAPI noting_heap_destroy(HANDLE heap) {
    heaps_destroyed.push_back(heap);
    return heap == GetProcessHeap() ? FALSE : real_heap_destroy(heap);
}
HANDLE WINAPI failing_heap_create(DWORD, SIZE_T, SIZE_T) { return nullptr; }

TEST(ToolkitStartUp, ShutDownDestroysOnlyAHeapOfItsOwn) {
    start_toolkit();
    const auto started = toolkit;  // the running toolkit comes back afterwards
    real_heap_destroy = replace_import(heap_destroy_slot, noting_heap_destroy);
    for (const bool heap_made : {true, false}) {
        SCOPED_TRACE(heap_made);
        const auto real_create = heap_made ? nullptr : replace_import(heap_create_slot, failing_heap_create);
        heaps_destroyed.clear();
        EXPECT_EQ(create_general_heap(), heap_made);
        const HANDLE heap = general_heap();
        EXPECT_EQ(heap == GetProcessHeap(), !heap_made);
        void* block = general_alloc(16);
        EXPECT_NE(block, nullptr) << "the heap serves either way";
        general_free(block);
        destroy_general_heap();
        EXPECT_EQ(heaps_destroyed, heap_made ? std::vector<HANDLE>{heap} : std::vector<HANDLE>{});
        EXPECT_EQ(general_heap(), nullptr);
        if (real_create) replace_import(heap_create_slot, real_create);
    }
    replace_import(heap_destroy_slot, real_heap_destroy);
    toolkit = started;
}

TEST(ToolkitStartUp, UseGadgetListStoresTheParentAndReturnsItUnchanged) {
    start_toolkit();
    HWND window = CreateWindowExA(0, "STATIC", "parent", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(use_gadget_list(window), window);
    EXPECT_EQ(gadget_context()->parent, window);
    EXPECT_EQ(use_gadget_list(nullptr), nullptr);
    EXPECT_EQ(gadget_context()->parent, nullptr);
    DestroyWindow(window);
}

}  // namespace
