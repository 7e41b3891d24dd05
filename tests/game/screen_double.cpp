// The gadget operations of the toolkit, replaced by a recording screen for the
// game's tests; the game's programs link the real toolkit instead.
#include "screen_double.h"

#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "toolkit/toolkit.h"

namespace {

struct Gadget {
    std::string text;
    FontHandle font = nullptr;
};

std::map<int, Gadget> gadgets;
std::vector<ScreenWrite> writes;

}  // namespace

void screen_reset() {
    gadgets.clear();
    writes.clear();
}

void screen_type(int gadget, const std::string& text) { gadgets[gadget].text = text; }

std::string screen_text(int gadget) {
    const auto found = gadgets.find(gadget);
    return found == gadgets.end() ? std::string() : found->second.text;
}

FontHandle screen_font(int gadget) {
    const auto found = gadgets.find(gadget);
    return found == gadgets.end() ? nullptr : found->second.font;
}

const std::vector<ScreenWrite>& screen_writes() { return writes; }

void screen_forget_writes() { writes.clear(); }

std::vector<std::string> screen_lines(int gadget) {
    std::vector<std::string> lines;
    const std::string text = screen_text(gadget);
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

// ---- The toolkit's operations ---------------------------------------------------

int set_gadget_text(int number, const char* text) {
    gadgets[number].text = text;
    writes.push_back({number, ScreenOp::set_text, text, nullptr, 0});
    return 1;
}

std::string get_gadget_text(int number) { return screen_text(number); }

ToolkitResult set_gadget_font(int number, FontHandle font) {
    gadgets[number].font = font;
    writes.push_back({number, ScreenOp::set_font, "", font, 0});
    return 1;
}

int add_gadget_item(int number, int position, const char* text) {
    writes.push_back({number, ScreenOp::add_item, text, nullptr, position});
    // The game only ever adds at the top of the display.
    if (position != 0) return 0;
    gadgets[number].text = std::string(text) + "\r\n" + gadgets[number].text;
    return 1;
}
