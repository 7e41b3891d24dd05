// What every gadget shares: creation under a number, registration and the
// subclass that cleans a gadget up when its control goes, the colour handling
// of labels and inputs, and the public operations that reach a kind's handlers.
#include <ole2.h>

#include "toolkit/win32/internal.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

constexpr const char* ID_PROPERTY = "QZ_ID";
constexpr const char* DROP_PROPERTY = "QZ_DropAccept";
constexpr LONG_PTR NO_ID = -1;
constexpr UINT FULL_REDRAW = RDW_INVALIDATE | RDW_INTERNALPAINT | RDW_ERASE;

const char* text_or_empty(const char* text) { return text ? text : ""; }

// The control's rectangle in its parent's client coordinates.
RECT rect_in_parent(HWND control) {
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

std::string window_text(HWND control) {
    const int length = GetWindowTextLengthA(control);
    if (length <= 0) return {};
    std::string text(static_cast<size_t>(length) + 1, '\0');
    GetWindowTextA(control, text.data(), length + 1);
    text.resize(std::char_traits<char>::length(text.c_str()));
    return text;
}

}  // namespace

// ---- Creation and registration -------------------------------------------------

intptr_t create_gadget(const GadgetCreation& creation) {
    GadgetContext* context = gadget_context();
    if (!context) return 0;
    if (!*creation.kind_ready) {
        *creation.kind = GadgetKind{};
        creation.kind->record_size = GADGET_KIND_STAMP;
        creation.fill_kind(creation.kind);
        *creation.kind_ready = true;
    }
    // Units of 1/96 inch, placed in pixels at the scale of the parent's window.
    Placement place{creation.x, creation.y, creation.width, creation.height};
    if (!to_pixels(window_dpi(context->parent), &place)) return 0;
    // The control comes first: an earlier gadget under the number stays when
    // the platform refuses the new one.
    HWND control = CreateWindowExA(creation.ex_style, creation.class_name, creation.text, creation.style, place.x,
                                   place.y, place.width, place.height, context->parent,
                                   reinterpret_cast<HMENU>(static_cast<intptr_t>(NO_ID)), module_handle(), nullptr);
    if (!control) return 0;
    auto* record = static_cast<GadgetRecord*>(objects_slot(toolkit.gadgets, creation.number));
    if (!record) {
        DestroyWindow(control);
        return 0;
    }
    if (creation.set_up) {
        // The set-up may dispatch messages, and a gadget created meanwhile may
        // have moved the table: find the record again by its number.
        const int number = creation.number == -1 ? objects_number_of(toolkit.gadgets, record) : creation.number;
        creation.set_up(record, control);
        record = static_cast<GadgetRecord*>(objects_at(toolkit.gadgets, number));
        if (!record || record->handle) {  // gone, or taken by a gadget made meanwhile
            DestroyWindow(control);
            return 0;
        }
    }
    return register_gadget(creation.number, record, control, creation.kind);
}

intptr_t register_gadget(int number, GadgetRecord* record, HWND control, GadgetKind* kind) {
    const bool anonymous = number == -1;
    if (anonymous) number = objects_number_of(toolkit.gadgets, record);
    record->handle = control;
    record->kind = kind;
    // The id goes on before the subclass, so gadget_proc never sees a
    // registered control still carrying the id of a cleaned-up one.
    SetWindowLongPtrA(control, GWLP_ID, static_cast<LONG_PTR>(number));
    record->previous_proc =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(gadget_proc)));
    SetPropA(control, ID_PROPERTY, reinterpret_cast<HANDLE>(static_cast<intptr_t>(number)));
    SendMessageA(control, WM_SETFONT,
                 reinterpret_cast<WPARAM>(font_at_window_scale(control, gadget_context()->default_font)), TRUE);
    return anonymous ? number : reinterpret_cast<intptr_t>(control);
}

LRESULT CALLBACK gadget_proc(HWND control, UINT message, WPARAM wparam, LPARAM lparam) {
    const int number = static_cast<int>(GetWindowLongPtrA(control, GWLP_ID));
    auto* record = number == NO_ID ? nullptr : find_gadget(number);
    // Cleaned up already, or an id that names no gadget of this control.
    if (!record || record->handle != control) return DefWindowProcA(control, message, wparam, lparam);
    if (message == WM_GETOBJECT && (record->spoken_name || record->live) && static_cast<LONG>(lparam) == OBJID_CLIENT)
        if (const LRESULT answer = named_client_object(control, wparam)) return answer;

    const LRESULT result = CallWindowProcA(record->previous_proc, control, message, wparam, lparam);
    // The call may have made gadgets and moved the table: look the record up again.
    if (message == WM_NCDESTROY && (record = find_gadget(number)) != nullptr && record->handle == control) {
        if (record->kind && record->kind->on_free) record->kind->on_free(record);
        end_live(record);
        general_free(record->spoken_name);
        RemovePropA(control, ID_PROPERTY);
        if (RemovePropA(control, DROP_PROPERTY)) RevokeDragDrop(control);
        SetWindowLongPtrA(control, GWLP_ID, NO_ID);
        objects_release(toolkit.gadgets, number);
    }
    return result;
}

int free_gadget(int number) {
    GadgetRecord* record = find_gadget(number);
    if (!record) return 0;
    DestroyWindow(record->handle);
    return 1;
}

GadgetRecord* find_gadget(int number) {
    if (!toolkit.gadgets) return nullptr;
    return static_cast<GadgetRecord*>(objects_find(toolkit.gadgets, number));
}

HWND owner_window(HWND control) {
    HWND window = control;
    while (window) {
        int number = -1;
        if (numbered_window(window, &number)) return window;
        // A top-level window has no parent; GetParent would name its owner.
        if (!(GetWindowLongPtrA(window, GWL_STYLE) & WS_CHILD)) return window;
        HWND parent = GetParent(window);
        if (!parent) return window;
        window = parent;
    }
    return window;
}

void default_resize(GadgetRecord* record, int x, int y, int width, int height) {
    const GadgetKind* kind = record->kind;
    if (x == KEEP_VALUE || y == KEEP_VALUE || width == KEEP_VALUE || height == KEEP_VALUE) {
        const RECT rect = rect_in_parent(record->handle);
        if (x == KEEP_VALUE) x = kind->get_x ? kind->get_x(record) : rect.left;
        if (y == KEEP_VALUE) y = kind->get_y ? kind->get_y(record) : rect.top;
        if (width == KEEP_VALUE) width = kind->get_width ? kind->get_width(record) : rect.right - rect.left;
        if (height == KEEP_VALUE) height = kind->get_height ? kind->get_height(record) : rect.bottom - rect.top;
    }
    MoveWindow(record->handle, x, y, width, height, TRUE);
    if (kind->kind_code == KIND_BUTTON)
        RedrawWindow(record->handle, nullptr, nullptr, FULL_REDRAW);
    else if (kind->kind_code == KIND_LABEL)
        InvalidateRect(record->handle, nullptr, FALSE);
}

// ---- Colours of labels and inputs ------------------------------------------------

LRESULT paint_colours(GadgetRecord* record, HDC dc, int system_colour) {
    LRESULT result = NOT_HANDLED;
    if (record->paint.front_colour != -1) {
        SetTextColor(dc, static_cast<COLORREF>(record->paint.front_colour));
        if (record->paint.back_colour == -1) {
            SetBkColor(dc, GetSysColor(system_colour));
            result = reinterpret_cast<LRESULT>(GetSysColorBrush(system_colour));
        }
    }
    if (record->paint.back_colour != -1) {
        SetBkColor(dc, static_cast<COLORREF>(record->paint.back_colour));
        result = reinterpret_cast<LRESULT>(record->paint.back_brush);
    }
    return result;
}

void set_paint_colour(GadgetRecord* record, int which, int32_t colour) {
    if (which == COLOUR_FRONT) {
        record->paint.front_colour = colour;
    } else if (which == COLOUR_BACK) {
        release_paint_brush(record);
        if (colour != -1) record->paint.back_brush = brush_acquire(static_cast<COLORREF>(colour));
        record->paint.back_colour = colour;
    }
    RedrawWindow(record->handle, nullptr, nullptr, FULL_REDRAW);
}

int32_t get_paint_colour(GadgetRecord* record, int which) {
    if (which == COLOUR_FRONT) return record->paint.front_colour;
    if (which == COLOUR_BACK) return record->paint.back_colour;
    return -1;
}

void release_paint_brush(GadgetRecord* record) {
    if (record->paint.back_brush) brush_release(record->paint.back_brush);
    record->paint.back_brush = nullptr;
}

// ---- Public operations ---------------------------------------------------------------

HWND gadget_handle(int number) {
    GadgetRecord* record = find_gadget(number);
    return record ? record->handle : nullptr;
}

int set_gadget_text(int number, const char* text) {
    GadgetRecord* record = find_gadget(number);
    if (!record) return 0;
    text = text_or_empty(text);
    if (record->kind->set_text)
        record->kind->set_text(record, text);
    else if (!SetWindowTextA(record->handle, text))
        return 0;
    announce_write(record, text);
    return 1;
}

std::string get_gadget_text(int number) {
    GadgetRecord* record = find_gadget(number);
    if (!record) return {};
    if (record->kind->get_text) return record->kind->get_text(record);
    return window_text(record->handle);
}

int add_gadget_item(int number, int position, const char* text) {
    GadgetRecord* record = find_gadget(number);
    if (!record) return 0;
    text = text_or_empty(text);
    int result = 0;
    if (record->kind->add_item_ex)
        result = record->kind->add_item_ex(record, position, text, 0, 0);
    else if (record->kind->add_item)
        result = record->kind->add_item(record, position, text, 0);
    else
        return 0;
    announce_write(record, text);
    return result;
}

LRESULT set_gadget_font(int number, HFONT font) {
    if (font == DEFAULT_GADGET_FONT) font = toolkit.default_gui_font;
    if (number == -1) {
        GadgetContext* context = gadget_context();
        if (!context) return 0;
        context->default_font = font;
        return 1;
    }
    GadgetRecord* record = find_gadget(number);
    if (!record) return 0;
    // A window opened below the display's scale shows its text at its own.
    font = font_at_window_scale(record->handle, font);
    return SendMessageA(record->handle, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

int set_gadget_colour(int number, int which, int32_t colour) {
    GadgetRecord* record = find_gadget(number);
    if (!record || !record->kind->set_colour) return 0;
    record->kind->set_colour(record, which, colour);
    return 1;
}

int32_t get_gadget_colour(int number, int which) {
    GadgetRecord* record = find_gadget(number);
    if (!record) return 0;
    // A kind without colours of its own draws in the system's colours.
    if (!record->kind->get_colour) return -1;
    return record->kind->get_colour(record, which);
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
    // Units of 1/96 inch, like the creators'; the kinds' handlers take pixels.
    Placement place{x, y, width, height};
    if (!to_pixels(window_dpi(record->handle), &place)) return 0;
    if (record->kind->resize)
        record->kind->resize(record, place.x, place.y, place.width, place.height);
    else
        default_resize(record, place.x, place.y, place.width, place.height);
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
    return record->kind->get_item_text(record, line, 0);
}

int set_gadget_item_text(int number, int line, const char* text) {
    GadgetRecord* record = find_gadget(number);
    if (!record || !record->kind->set_item_text) return 0;
    text = text_or_empty(text);
    // A line that does not exist is not written, and then there is nothing to say.
    const bool replaced = line >= 0 && record->kind->count_items && line < record->kind->count_items(record);
    record->kind->set_item_text(record, line, text, 0);
    if (replaced) announce_write(record, text);
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
