#pragma once
// The main window's layout and the About text.
#include <string>

// The seven About lines joined by the game's line break.
std::string build_about_text();

// Opens WINDOW_MAIN with its eleven gadgets in their fonts and the two
// tooltips. Returns false when the window itself could not be opened.
bool build_main_window();
