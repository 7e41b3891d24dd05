// The cache of solid brushes by colour: one platform brush per colour in use,
// shared by its holders and deleted when the last one lets go.
#include "toolkit/win32/internal.h"

namespace {

BrushEntry* entry_of(RecordNode* node) { return static_cast<BrushEntry*>(record_of(node)); }

}  // namespace

HBRUSH brush_acquire(COLORREF colour) {
    EnterCriticalSection(&toolkit.lock);
    for (RecordNode* node = toolkit.brushes.head; node; node = node->older) {
        BrushEntry* entry = entry_of(node);
        if (entry->colour == colour && entry->brush) {
            ++entry->use_count;
            HBRUSH brush = entry->brush;
            LeaveCriticalSection(&toolkit.lock);
            return brush;
        }
    }
    HBRUSH brush = nullptr;
    if (auto* entry = static_cast<BrushEntry*>(record_list_add(&toolkit.brushes, sizeof(BrushEntry)))) {
        entry->colour = colour;
        entry->brush = CreateSolidBrush(colour);
        entry->use_count = 1;
        brush = entry->brush;
        // An entry without a brush has no holder that could ever release it.
        if (!brush) record_list_remove(&toolkit.brushes, entry);
    }
    LeaveCriticalSection(&toolkit.lock);
    return brush;
}

void brush_release(HBRUSH brush) {
    if (!brush) return;
    EnterCriticalSection(&toolkit.lock);
    for (RecordNode* node = toolkit.brushes.head; node; node = node->older) {
        BrushEntry* entry = entry_of(node);
        if (entry->brush != brush) continue;
        if (--entry->use_count <= 0) {
            DeleteObject(entry->brush);
            record_list_remove(&toolkit.brushes, entry);
        }
        break;
    }
    LeaveCriticalSection(&toolkit.lock);
}
