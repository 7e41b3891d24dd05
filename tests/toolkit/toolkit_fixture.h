#pragma once
// Starts the toolkit once per test program, in the order the game does.
void start_toolkit();
// Dispatches messages until none is waiting (bounded), discarding events.
void drain_events();
// A length of 1/96 inch units in pixels of the display's scale (at least 96
// dots per inch), as the toolkit places the windows it opens where they fit.
int at_display_scale(int length);
