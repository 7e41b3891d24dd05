// Static text labels in a page, wrapped at words and aligned as their flags say, in the colours their client gives
// them.
#include <cstdint>

#include "toolkit/web/internal.h"

namespace {

GadgetKind label_kind;
bool label_kind_ready;

std::string label_get_text(GadgetRecord* record) { return element_text(record->handle); }

void label_set_text(GadgetRecord* record, const char* text) { tk_set_text(static_cast<int>(record->handle), text); }

}  // namespace

void fill_label_kind(GadgetKind* kind) {
    kind->kind_code = KIND_LABEL;
    kind->get_text = label_get_text;  // 6
    kind->set_text = label_set_text;  // 7
    kind->coloured = true;            // 30, 31
}

intptr_t create_label(int number, int x, int y, int width, int height, const char* text, uint32_t flags) {
    return create_gadget(
        GadgetCreation{number, &label_kind, &label_kind_ready, fill_label_kind, x, y, width, height, text, flags});
}
