#pragma once
// A recording stand-in for the screen: the four gadget operations the game's
// rules call, kept in memory, with the order of every write.
//
// The display's lines are joined with "\r\n", the line break the game itself
// writes: add_gadget_item(n, 0, t) makes the text t + "\r\n" + the old text.
#include "toolkit/toolkit.h"

#include <string>
#include <vector>

enum class ScreenOp { set_text, set_font, add_item };

struct ScreenWrite {
    int gadget;
    ScreenOp op;
    std::string text;  // set_text, add_item
    FontHandle font;   // set_font
    int position;      // add_item
};

// Forgets every gadget's text and font and the recorded writes.
void screen_reset();
// What the player typed into a field (recorded as no write of the program).
void screen_type(int gadget, const std::string& text);
// A gadget's current text ("" for one never written) and font (null if none).
std::string screen_text(int gadget);
FontHandle screen_font(int gadget);
// The writes since the last screen_reset or screen_forget_writes, oldest first.
const std::vector<ScreenWrite>& screen_writes();
void screen_forget_writes();
// The display's lines, newest first, split at "\r\n". A trailing line break
// gives no empty last line.
std::vector<std::string> screen_lines(int gadget);
