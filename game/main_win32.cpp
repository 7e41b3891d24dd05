// The Windows entry point: start-up, the main loop and shut-down with exit code 0.
#include <windows.h>

#include "game/app.h"

#ifdef TAVEK_COVERAGE
extern "C" void __gcov_dump();  // the coverage build's counters
#endif

namespace {

[[noreturn]] void shut_down(UINT exit_code) {
    release_all();
#ifdef TAVEK_COVERAGE
    __gcov_dump();  // ExitProcess would end the program before the counts are written
#endif
    ExitProcess(exit_code);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    if (!start_up()) shut_down(1);
    main_loop();
    shut_down(0);
}
