#pragma once
// The program's life in three steps; the entry point runs them in order.

// Zeroes the game, starts the toolkit, loads the fonts, draws the first PIN,
// fills the joke history, builds the About text and the main window and binds
// Enter. Returns false when the main window could not be opened.
bool start_up();
// One pass per event until the pass that took EVENT_CLOSE.
void main_loop();
// One pass of the loop on the event wait_event(timeout) returns; false once the
// pass took EVENT_CLOSE.
bool main_loop_pass(int timeout = -1);
// Closes all windows, frees all fonts and destroys the general heap.
void release_all();
