// Tooltips: one shared tooltip window for every gadget of the thread.
#include "toolkit/win32/internal.h"

#include <commctrl.h>

#include <cstddef>

namespace {

// The first layout of the tool description, up to and including its text.
// Every version of the tooltip control accepts it, with or without the
// visual-styles manifest, and no later field is needed here.
constexpr UINT tool_info_size = offsetof(TTTOOLINFOA, lpszText) + sizeof(LPSTR);
static_assert(tool_info_size == (sizeof(void*) == 4 ? 40 : 56), "first layout of the tool description");

HWND shared_tooltip_window() {
    GadgetContext* context = gadget_context();
    if (!context) return nullptr;
    if (context->tooltip_window) return context->tooltip_window;
    HWND window =
        CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, toolkit.module, nullptr);
    if (!window) return nullptr;
    context->tooltip_window = window;
    const LONG_PTR replaced = SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&tooltip_proc));
    SetWindowLongPtrA(window, GWLP_USERDATA, replaced);
    return window;
}

}  // namespace

LRESULT CALLBACK tooltip_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    // Other topmost windows may have come above it since it was shown.
    if (message == WM_PAINT) SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
    auto replaced = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!replaced) return DefWindowProcA(window, message, wparam, lparam);
    return CallWindowProcA(replaced, window, message, wparam, lparam);
}

void add_tool(HWND control, const char* text) {
    HWND tooltip = shared_tooltip_window();
    if (!tooltip) return;
    TTTOOLINFOA tool{};
    tool.cbSize = tool_info_size;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = GetParent(control);
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = const_cast<char*>(text ? text : "");  // the control keeps its own copy
    // Removing first makes a second call replace the control's text.
    SendMessageA(tooltip, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    SendMessageA(tooltip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

int set_gadget_tooltip(int number, const char* text) {
    auto* gadget = static_cast<GadgetRecord*>(objects_find(toolkit.gadgets, number));
    if (!gadget) return 0;
    add_tool(gadget->handle, text ? text : "");
    return 1;
}
