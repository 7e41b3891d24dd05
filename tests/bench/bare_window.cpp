// The floor of every benchmark figure: a bare Win32 program that registers a
// class, opens a window with the game's style, place and 660 x 300 client area,
// and pumps messages until it is closed (exit code 0).
#include <windows.h>

namespace {

LRESULT CALLBACK bare_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    WNDCLASSA window_class{};
    window_class.lpfnWndProc = bare_procedure;
    window_class.hInstance = instance;
    window_class.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<intptr_t>(COLOR_BTNFACE + 1));
    window_class.lpszClassName = "BareWindow";
    if (!RegisterClassA(&window_class)) return 1;

    constexpr DWORD style = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;
    RECT outer{0, 0, 660, 300};
    AdjustWindowRect(&outer, style, FALSE);
    HWND window = CreateWindowExA(0, window_class.lpszClassName, "Bare Window", style, 216, 0,
                                  outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr, instance,
                                  nullptr);
    if (!window) return 1;
    ShowWindow(window, SW_SHOWNORMAL);

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}
