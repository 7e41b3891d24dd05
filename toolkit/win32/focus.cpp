// Tab and Shift+Tab: the keyboard focus walks the tab stops of the active
// window, or of the MDI child that holds the focus, in the platform's
// enumeration order of descendants.
#include <cstring>

#include "toolkit/win32/internal.h"

namespace {

bool is_mdi_child(HWND window) {
    char class_name[50] = {};
    if (!GetClassNameA(window, class_name, sizeof class_name)) return false;
    return std::strcmp(class_name, "MDI_ChildClass") == 0;
}

bool is_tab_stop(HWND window) {
    return IsWindowEnabled(window) && IsWindowVisible(window) && (GetWindowLongA(window, GWL_STYLE) & WS_TABSTOP) != 0;
}

BOOL CALLBACK visit(HWND window, LPARAM data) {
    if (!is_tab_stop(window)) return TRUE;
    return focus_walk_visit(reinterpret_cast<FocusWalk*>(data), window) ? FALSE : TRUE;
}

}  // namespace

void cycle_focus(bool backward) {
    HWND root = GetActiveWindow();
    // Without an active window there is nothing to cycle through; enumerating
    // the children of no window would walk the desktop's top-level windows.
    if (!root) return;
    HWND focus = GetFocus();

    FocusWalk walk{};
    walk.backward = backward;
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
    EnumChildWindows(root, visit, reinterpret_cast<LPARAM>(&walk));
    if (void* target = focus_walk_target(&walk)) SetFocus(static_cast<HWND>(target));
}
