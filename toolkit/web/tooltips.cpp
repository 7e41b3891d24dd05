// What a gadget tells beyond its text: its tooltip, the name a screen reader
// speaks for it, and whether what the client writes into it is announced.
#include "toolkit/web/internal.h"

int set_gadget_tooltip(int number, const char* text) {
    const GadgetRecord* gadget = find_gadget(number);
    if (!gadget) return 0;
    // A later text replaces the earlier one; an empty one shows none.
    tk_set_property(static_cast<int>(gadget->handle), PROPERTY_TOOLTIP, text ? text : "");
    return 1;
}

int set_gadget_name(int number, const char* name) {
    const GadgetRecord* gadget = find_gadget(number);
    if (!gadget) return 0;
    // Its role, text and value stay the page's. A label's text says what it
    // is whenever it shows one: there the name stands in only while it shows
    // none (toolkit.js).
    tk_set_property(static_cast<int>(gadget->handle), PROPERTY_NAME, name ? name : "");
    return 1;
}

// A live gadget is a polite live region of the page: a screen reader tells
// what changes in it after what it is saying, wherever the focus is.
int set_gadget_live(int number, int live) {
    GadgetRecord* gadget = find_gadget(number);
    if (!gadget) return 0;
    gadget->live = live != 0;
    tk_set_property(static_cast<int>(gadget->handle), PROPERTY_LIVE, live ? "polite" : "");
    return 1;
}
