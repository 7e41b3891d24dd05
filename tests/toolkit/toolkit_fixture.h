#pragma once
// Starts the toolkit once per test program, in the order the game does.
void start_toolkit();
// Dispatches messages until none is waiting (bounded), discarding events.
void drain_events();
// A length of 1/96 inch units in pixels of the display's scale (at least 96
// dots per inch), as the toolkit places the windows it opens where they fit.
int at_display_scale(int length);
// A rectangle given to the toolkit in 1/96 inch, named for the trace, and
// whether the platform refuses it once it is scaled to this display.
struct OutOfReachRow {
    const char* name;
    int x, y, width, height;
    bool refused;
};
