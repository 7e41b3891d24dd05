#pragma once
// Starts the toolkit once per test program, in the order the game does.
void start_toolkit();
// Dispatches messages until none is waiting (bounded), discarding events.
void drain_events();
