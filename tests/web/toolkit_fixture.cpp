// The toolkit's test fixture in a page (tests/toolkit/toolkit_fixture.h): the
// start-up the site makes, and what the page's own elements show.
#include "tests/toolkit/toolkit_fixture.h"

#include <emscripten.h>

#include <cstdint>

namespace {

int element(WindowHandle handle) { return static_cast<int>(reinterpret_cast<uintptr_t>(handle)); }

// NOLINTBEGIN: the page's script, in the toolkit's element table (toolkit.js)
EM_JS(void, element_place, (int id, int* rect), {
    var el = tk.els[id];
    HEAP32.set([ el.offsetLeft, el.offsetTop, el.offsetWidth, el.offsetHeight ], rect >> 2);
});
EM_JS(int, element_flag, (int id, int which), {
    var el = tk.els[id];
    if (which == 0) return getComputedStyle(el).borderTopStyle != 'none' ? 1 : 0;
    if (which == 1) return el.readOnly ? 1 : 0;
    if (which == 2) el.select();
    if (which == 3) el.remove();
    return 0;
});
// NOLINTEND

}  // namespace

void prepare_platform() {}

// CSS pixels are 1/96 inch whatever the display: the page's zoom scales them all.
int at_display_scale(int length) { return length; }

PixelRect gadget_place(int gadget) {
    PixelRect r{};
    element_place(element(gadget_handle(gadget)), &r.x);
    return r;
}
void destroy_control(WindowHandle control) { element_flag(element(control), 3); }
bool has_border(int input) { return element_flag(element(gadget_handle(input)), 0) != 0; }
bool editor_read_only(int editor) { return element_flag(element(gadget_handle(editor)), 1) != 0; }
void select_all_text(int editor) { element_flag(element(gadget_handle(editor)), 2); }
const size_t FIELD_CAPACITY = SIZE_MAX;  // as many as memory holds
