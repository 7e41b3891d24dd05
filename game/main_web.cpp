// The browser's entry point: start-up, the main loop and shut-down. When the
// player closes the window the game ends as on the desktop, and the page
// offers to start it again rather than stand empty.
#include <emscripten.h>

#include "game/app.h"

namespace {

// The page's own script answers it (site/index.html).
EM_JS(void, tell_page_game_ended, (int started),
      { document.dispatchEvent(new CustomEvent('tavek-ended', {detail : started})); });

}  // namespace

int main() {
    const bool started = start_up();
    if (started) main_loop();
    release_all();
    tell_page_game_ended(started);
    return started ? 0 : 1;
}
