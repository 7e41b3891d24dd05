// The Linux entry point: the display, the rounded face's rule for fontconfig, start-up, the main loop and
// shut-down with exit code 0.
#include <fontconfig/fontconfig.h>
#include <gtk/gtk.h>

#include <cstdio>
#include <cstdlib>

#include "game/app.h"

namespace {

// The game's rounded face, as the Windows program's Wine prefix draws it:
// fontconfig has an alias of its own for the other three faces, not for this
// one. A rule of this program's own, never a file of the system's.
constexpr const char* ROUNDED_FACE_RULE = R"(<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "urn:fontconfig:fonts.dtd">
<fontconfig>
  <alias binding="same">
    <family>Arial Rounded MT Bold</family>
    <prefer><family>Comfortaa</family></prefer>
  </alias>
</fontconfig>
)";

}  // namespace

int main() {
    // The game draws nothing with OpenGL: told so, GTK chooses its visuals
    // without loading the driver, some 50 MB and a tenth of a second fewer. A
    // player's own GDK_GL stands.
    setenv("GDK_GL", "disable", 0);
    // Before any text is laid out, so that every font the game asks for sees it.
    FcConfigParseAndLoadFromMemory(FcConfigGetCurrent(), reinterpret_cast<const FcChar8*>(ROUNDED_FACE_RULE), FcFalse);
    if (!gtk_init_check(nullptr, nullptr)) {
        // The displays GTK looked for: a Wayland session's first, where the player has one.
        const char* display = std::getenv("DISPLAY");
        const char* wayland = std::getenv("WAYLAND_DISPLAY");
        (void)std::fprintf(stderr, "tavek-pin: no display to show the window on (%s%s%sDISPLAY=%s)\n",
                           wayland ? "WAYLAND_DISPLAY=" : "", wayland ? wayland : "", wayland ? ", " : "",
                           display ? display : "");
        return 1;
    }
    const bool started = start_up();
    if (started) main_loop();
    release_all();
    return started ? 0 : 1;
}
