// Frames in a page: a group box with a caption (type 0), or a bare border (other types); the gadgets inside show
// through.
#include <cstdint>

#include "toolkit/web/internal.h"

namespace {

GadgetKind frame_kind;
bool frame_kind_ready;

std::string frame_get_text(GadgetRecord* record) { return element_text(record->handle); }

void frame_set_text(GadgetRecord* record, const char* text) { tk_set_text(static_cast<int>(record->handle), text); }

}  // namespace

void fill_frame_kind(GadgetKind* kind) {
    kind->kind_code = KIND_FRAME;
    kind->get_text = frame_get_text;  // 6
    kind->set_text = frame_set_text;  // 7
}

// The frame's type rides in the flags: only a group box shows its caption.
intptr_t create_frame(int number, int x, int y, int width, int height, const char* text, int frame_type) {
    return create_gadget(GadgetCreation{number, &frame_kind, &frame_kind_ready, fill_frame_kind, x, y, width, height,
                                        text, static_cast<uint32_t>(frame_type)});
}
