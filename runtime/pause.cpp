// The pause, on the platform's own clock: Sleep on Windows, nanosleep elsewhere;
// in a page, whose thread must never block, the program is suspended instead
// and the page goes on meanwhile.
#include "runtime/pause.h"

#ifdef _WIN32
#include <windows.h>

void pause_milliseconds(uint32_t milliseconds) { Sleep(milliseconds); }
#elif defined(__EMSCRIPTEN__)
#include <emscripten.h>

void pause_milliseconds(uint32_t milliseconds) { emscripten_sleep(milliseconds); }
#else
#include <cerrno>
#include <ctime>

void pause_milliseconds(uint32_t milliseconds) {
    timespec left{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
    // A signal cuts a sleep short; the rest is slept again.
    while (nanosleep(&left, &left) == -1 && errno == EINTR) {
    }
}
#endif
