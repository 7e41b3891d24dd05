#pragma once
// The few platform names the platform-free core mentions, for its native
// build under the sanitizers: handle types in declarations and the pause of
// the joke choice. Nothing here draws a window.
#include <time.h>
#include <cstdint>

using UINT = unsigned int;
using DWORD = unsigned long;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;
using COLORREF = DWORD;
using HANDLE = void*;
struct HWND__;
using HWND = HWND__*;
struct HFONT__;
using HFONT = HFONT__*;
struct HBRUSH__;
using HBRUSH = HBRUSH__*;
struct HACCEL__;
using HACCEL = HACCEL__*;
struct HINSTANCE__;
using HINSTANCE = HINSTANCE__*;

inline void Sleep(DWORD milliseconds) {
    timespec pause{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
    nanosleep(&pause, nullptr);
}
