// Tab and Shift+Tab: the keyboard focus walks the tab stops of the active
// window, or of the MDI child that holds the focus, in the platform's
// enumeration order of descendants.
#include <cstring>

#include "toolkit/internal.h"

namespace {

// One walk over the root's descendants; lives for the duration of one call.
struct FocusWalk {
    HWND current;        // the focus window, or none
    HWND previous;       // the last eligible window seen
    bool found_current;  // forward: the next eligible window takes the focus
    bool done;           // the focus has been given
};

bool is_mdi_child(HWND window) {
    char class_name[50] = {};
    if (!GetClassNameA(window, class_name, sizeof class_name)) return false;
    return std::strcmp(class_name, "MDI_ChildClass") == 0;
}

bool is_tab_stop(HWND window) {
    return IsWindowEnabled(window) && IsWindowVisible(window) && (GetWindowLongA(window, GWL_STYLE) & WS_TABSTOP) != 0;
}

BOOL CALLBACK walk_forward(HWND window, LPARAM data) {
    FocusWalk* walk = reinterpret_cast<FocusWalk*>(data);
    if (!is_tab_stop(window)) return TRUE;
    if (!walk->current || walk->found_current) {
        SetFocus(window);
        walk->found_current = false;
        walk->done = true;
        return FALSE;
    }
    if (window == walk->current) walk->found_current = true;
    return TRUE;
}

BOOL CALLBACK walk_backward(HWND window, LPARAM data) {
    FocusWalk* walk = reinterpret_cast<FocusWalk*>(data);
    if (!is_tab_stop(window)) return TRUE;
    if (window == walk->current && walk->previous) {
        SetFocus(walk->previous);
        walk->done = true;
        return FALSE;
    }
    walk->previous = window;
    return TRUE;
}

}  // namespace

void cycle_focus(bool backward) {
    HWND root = GetActiveWindow();
    // Without an active window there is nothing to cycle through; enumerating
    // the children of no window would walk the desktop's top-level windows.
    if (!root) return;
    HWND focus = GetFocus();

    FocusWalk walk{};
    if (focus && IsChild(root, focus)) {
        walk.current = focus;
        // The outermost MDI child on the way up holds the cycle; an MDI child
        // that has the focus itself starts from its first tab stop.
        for (HWND window = focus; window; window = GetParent(window)) {
            if (!is_mdi_child(window)) continue;
            root = window;
            if (window == focus) walk.current = nullptr;
        }
    }

    if (backward) {
        EnumChildWindows(root, walk_backward, reinterpret_cast<LPARAM>(&walk));
        if (!walk.done && walk.previous) SetFocus(walk.previous);
        return;
    }
    EnumChildWindows(root, walk_forward, reinterpret_cast<LPARAM>(&walk));
    if (walk.found_current) {
        // The focus was on the last tab stop: wrap round to the first.
        walk.current = nullptr;
        walk.found_current = false;
        EnumChildWindows(root, walk_forward, reinterpret_cast<LPARAM>(&walk));
    }
}
