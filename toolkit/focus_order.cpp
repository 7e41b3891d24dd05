// The order in which Tab and Shift+Tab walk a window's tab stops, whatever
// the platform enumerates them with.
#include "toolkit/core.h"

bool focus_walk_visit(FocusWalk* walk, void* tab_stop) {
    if (walk->backward) {
        if (tab_stop == walk->current && walk->previous) {
            walk->target = walk->previous;
            return true;
        }
        walk->previous = tab_stop;
        return false;
    }
    if (!walk->current || walk->found_current) {
        walk->target = tab_stop;
        return true;
    }
    if (!walk->first) walk->first = tab_stop;
    if (tab_stop == walk->current) walk->found_current = true;
    return false;
}

void* focus_walk_target(const FocusWalk* walk) {
    if (walk->target) return walk->target;
    // Backward from the first tab stop, or with none focused: the last.
    if (walk->backward) return walk->previous;
    // Forward from the last tab stop: round to the first.
    return walk->found_current ? walk->first : nullptr;
}
