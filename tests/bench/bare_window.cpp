// The floor of every benchmark figure: a bare Win32 program that registers a
// class, opens a window with the game's style, place and 660 x 300 client area,
// and pumps messages until it is closed (exit code 0).
//   bare-window           the bare window
//   bare-window rich      the same with one read-only rich-text control where the
//                         game has its display: the platform libraries the game
//                         needs for it (common controls, RICHED20.DLL), nothing more
#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <cstring>

namespace {

LRESULT CALLBACK bare_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR command_line, int) {
    const bool rich = command_line && std::strcmp(command_line, "rich") == 0;
    if (rich) {
        // Loaded here, not imported: the bare window itself does without them.
        using Init = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
        const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TAB_CLASSES};
        if (auto init = reinterpret_cast<Init>(GetProcAddress(LoadLibraryA("COMCTL32.DLL"), "InitCommonControlsEx")))
            init(&controls);
        LoadLibraryA("RICHED20.DLL");
    }

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
    HWND window = CreateWindowExA(0, window_class.lpszClassName, "Bare Window", style, 216, 0, outer.right - outer.left,
                                  outer.bottom - outer.top, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    if (rich)
        CreateWindowExA(WS_EX_CLIENTEDGE, "RichEdit20A", "", WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_READONLY, 270,
                        30, 358, 185, window, nullptr, instance, nullptr);
    ShowWindow(window, SW_SHOWNORMAL);

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}
