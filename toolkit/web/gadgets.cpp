// What every gadget shares in a page: creation under a number, its end when
// its element leaves the page, its font and colours, and the public
// operations that reach a kind's handlers.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "toolkit/web/internal.h"

namespace {

const char* text_or_empty(const char* text) { return text ? text : ""; }

void give_font(const GadgetRecord* record, uintptr_t handle) {
    const FontRecord* font = font_of_handle(handle);
    // The page's own font where the toolkit has none.
    if (!font)
        tk_set_font(static_cast<int>(record->handle), "", 0, 0);
    else
        tk_set_font(static_cast<int>(record->handle), font->families, font->pixels, font->flags);
}

}  // namespace

std::string element_text(uintptr_t element) {
    char* text = tk_get_text(static_cast<int>(element));
    std::string read = text ? text : "";
    std::free(text);
    return read;
}

// ---- Creation and registration -------------------------------------------------

intptr_t create_gadget(const GadgetCreation& creation) {
    GadgetContext* context = gadget_context();
    const int window = context ? context->parent : 0;
    // Units of 1/96 inch are CSS pixels; a rectangle out of an int's reach is refused.
    Placement place{creation.x, creation.y, creation.width, creation.height};
    if (window_number_of(static_cast<uintptr_t>(window)) == -1 || !toolkit.gadgets || !to_pixels(BASE_DPI, &place))
        return 0;
    if (!*creation.kind_ready) {
        *creation.kind = GadgetKind{};
        creation.fill_kind(creation.kind);
        *creation.kind_ready = true;
    }
    auto* record = static_cast<GadgetRecord*>(objects_slot(toolkit.gadgets, creation.number));
    if (!record) return 0;
    const bool anonymous = creation.number == -1;
    const int number = anonymous ? objects_number_of(toolkit.gadgets, record) : creation.number;
    const int element = tk_create(creation.kind->kind_code, window, place.x, place.y, place.width, place.height,
                                  text_or_empty(creation.text), creation.flags);
    *record = GadgetRecord{};
    record->handle = static_cast<uintptr_t>(element);
    record->kind = creation.kind;
    record->number = number;
    record->window = window;
    record->place = place;
    record->back_colour = -1;
    record->front_colour = -1;
    if (context->default_font) give_font(record, context->default_font);
    return anonymous ? number : static_cast<intptr_t>(element);
}

int free_gadget(int number) {
    GadgetRecord* record = find_gadget(number);
    if (!record) return 0;
    const auto element = static_cast<int>(record->handle);
    objects_release(toolkit.gadgets, number);
    tk_remove(element);
    return 1;
}

GadgetRecord* find_gadget(int number) {
    if (!toolkit.gadgets) return nullptr;
    auto* record = static_cast<GadgetRecord*>(objects_find(toolkit.gadgets, number));
    if (!record) return nullptr;
    // An element that left the page (a script of the page took it out) took its gadget with it.
    if (!tk_alive(static_cast<int>(record->handle))) {
        objects_release(toolkit.gadgets, number);
        return nullptr;
    }
    return record;
}

// ---- Public operations ---------------------------------------------------------------

WindowHandle gadget_handle(int number) {
    const GadgetRecord* record = find_gadget(number);
    return record ? as_handle<WindowHandle>(record->handle) : nullptr;
}

int set_gadget_text(int number, const char* text) {
    GadgetRecord* record = find_gadget(number);
    if (!record || !record->kind->set_text) return 0;
    record->kind->set_text(record, text_or_empty(text));
    return 1;
}

std::string get_gadget_text(int number) {
    GadgetRecord* record = find_gadget(number);
    if (!record || !record->kind->get_text) return {};
    return record->kind->get_text(record);
}

int add_gadget_item(int number, int position, const char* text) {
    GadgetRecord* record = find_gadget(number);
    if (!record || !record->kind->add_item) return 0;
    return record->kind->add_item(record, position, text_or_empty(text));
}

intptr_t set_gadget_font(int number, FontHandle font) {
    // The toolkit default font is the page's.
    const uintptr_t handle = font == DEFAULT_GADGET_FONT ? 0 : reinterpret_cast<uintptr_t>(font);
    if (number == -1) {
        GadgetContext* context = gadget_context();
        if (!context) return 0;
        context->default_font = handle;
        return 1;
    }
    const GadgetRecord* record = find_gadget(number);
    if (!record) return 0;
    give_font(record, handle);
    return 0;  // as WM_SETFONT answers
}

int set_gadget_colour(int number, int which, int32_t colour) {
    GadgetRecord* record = find_gadget(number);
    if (!record || !record->kind->coloured) return 0;
    if (which == COLOUR_FRONT)
        record->front_colour = colour;
    else if (which == COLOUR_BACK)
        record->back_colour = colour;
    else
        return 1;
    tk_set_colour(static_cast<int>(record->handle), which, colour);
    return 1;
}

int32_t get_gadget_colour(int number, int which) {
    const GadgetRecord* record = find_gadget(number);
    if (!record) return 0;
    // A kind without colours of its own draws in the page's colours.
    if (!record->kind->coloured) return -1;
    if (which == COLOUR_FRONT) return record->front_colour;
    if (which == COLOUR_BACK) return record->back_colour;
    return -1;
}

int get_gadget_state(int number) {
    GadgetRecord* record = find_gadget(number);
    if (!record || !record->kind->get_state) return 0;
    return record->kind->get_state(record);
}

int set_gadget_state(int number, int state) {
    GadgetRecord* record = find_gadget(number);
    if (!record || !record->kind->set_state) return 0;
    record->kind->set_state(record, state);
    return 1;
}

int remove_gadget_item(int number, int line) {
    GadgetRecord* record = find_gadget(number);
    if (!record || !record->kind->remove_item) return 0;
    record->kind->remove_item(record, line);
    return 1;
}

int clear_gadget_items(int number) {
    GadgetRecord* record = find_gadget(number);
    if (!record || !record->kind->clear_items) return 0;
    record->kind->clear_items(record);
    return 1;
}

int resize_gadget(int number, int x, int y, int width, int height) {
    GadgetRecord* record = find_gadget(number);
    if (!record) return 0;
    Placement place{x, y, width, height};
    if (!to_pixels(BASE_DPI, &place)) return 0;
    const Placement& was = record->place;
    record->place = Placement{x == KEEP_VALUE ? was.x : x, y == KEEP_VALUE ? was.y : y,
                              width == KEEP_VALUE ? was.width : width, height == KEEP_VALUE ? was.height : height};
    tk_place(static_cast<int>(record->handle), record->place.x, record->place.y, record->place.width,
             record->place.height);
    return 1;
}

int count_gadget_items(int number) {
    GadgetRecord* record = find_gadget(number);
    if (!record || !record->kind->count_items) return 0;
    return record->kind->count_items(record);
}

std::string get_gadget_item_text(int number, int line) {
    GadgetRecord* record = find_gadget(number);
    if (!record || !record->kind->get_item_text) return {};
    return record->kind->get_item_text(record, line);
}

int set_gadget_item_text(int number, int line, const char* text) {
    GadgetRecord* record = find_gadget(number);
    if (!record || !record->kind->set_item_text) return 0;
    record->kind->set_item_text(record, line, text_or_empty(text));
    return 1;
}

int get_gadget_attribute(int number, int attribute) {
    GadgetRecord* record = find_gadget(number);
    if (!record || !record->kind->get_attribute) return 0;
    return record->kind->get_attribute(record, attribute);
}

int set_gadget_attribute(int number, int attribute, int value) {
    GadgetRecord* record = find_gadget(number);
    if (!record || !record->kind->set_attribute) return 0;
    record->kind->set_attribute(record, attribute, value);
    return 1;
}
