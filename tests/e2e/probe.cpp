// Reads the game's window from outside, as a person's eyes would: prints one
// line for the window (with the dots per inch it was given) and one per control
// (number, class, rectangle in client coordinates and on screen, focus,
// visibility, style and text), each followed by a line of what a screen reader reads.
//   probe [title]         the window with that exact title (default: the game's)
//   probe --post-close N  posts WM_CLOSE N times to the game's window
#include <windows.h>

#include <oleacc.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

const char* default_title = "Tavek PIN Program Ver. 0.11";

std::string escaped(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\t')
            out += "\\t";
        else if (c < 32 || c > 126) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", c);
            out += hex;
        } else
            out += static_cast<char>(c);
    }
    return out;
}

std::string text_of(HWND window) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length)) return "";
    std::string text(length + 1, '\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG, 2000,
                        &copied);
    text.resize(copied);
    return text;
}

struct Context {
    HWND top;
    HWND focus;
};

// "spoken ID", then the role, name and value a screen reader reads through the
// control's answer, then the same from the platform's own object for it made
// here: tab-separated and escaped, a bare \x7f where there is none.
void print_spoken(HWND control) {
    std::printf("spoken %ld", static_cast<long>(GetWindowLongPtrA(control, GWLP_ID)));
    for (bool platforms : {false, true}) {
        VARIANT self{{{VT_I4, 0, 0, 0, {}}}}, role{};  // self: CHILDID_SELF
        BSTR name = nullptr, value = nullptr;
        IAccessible* object = nullptr;
        if (SUCCEEDED(platforms ? CreateStdAccessibleObject(control, OBJID_CLIENT, IID_PPV_ARGS(&object))
                                : AccessibleObjectFromWindow(control, OBJID_CLIENT, IID_PPV_ARGS(&object)))) {
            object->get_accRole(self, &role);
            object->get_accName(self, &name);
            object->get_accValue(self, &value);
            object->Release();
        }
        std::printf("\t%ld", role.vt == VT_I4 ? role.lVal : -1L);
        for (BSTR text : {name, value}) {
            std::printf("\t%s", text ? escaped(std::string(text, text + SysStringLen(text))).c_str() : "\x7f");
            SysFreeString(text);
        }
    }
    std::printf("\n");
}

BOOL CALLBACK print_control(HWND control, LPARAM lparam) {
    const auto* context = reinterpret_cast<const Context*>(lparam);
    char class_name[64] = {};
    GetClassNameA(control, class_name, sizeof class_name);
    RECT screen{};
    GetWindowRect(control, &screen);
    RECT client = screen;
    MapWindowPoints(HWND_DESKTOP, context->top, reinterpret_cast<POINT*>(&client), 2);
    std::printf(
        "control id=%ld class=%s x=%ld y=%ld w=%ld h=%ld sx=%ld sy=%ld focus=%d visible=%d enabled=%d style=%08lx "
        "text=%s\n",
        static_cast<long>(GetWindowLongPtrA(control, GWLP_ID)), class_name, client.left, client.top,
        client.right - client.left, client.bottom - client.top, screen.left, screen.top,
        control == context->focus ? 1 : 0, IsWindowVisible(control) ? 1 : 0, IsWindowEnabled(control) ? 1 : 0,
        static_cast<unsigned long>(GetWindowLongA(control, GWL_STYLE)), escaped(text_of(control)).c_str());
    print_spoken(control);
    return TRUE;
}

// The window's dots per inch as the platform gives it to its program: the
// display's where the program is aware of the display's scale, 96 where the
// platform stretches it. 0 where the platform cannot tell.
unsigned window_dpi(HWND window) {
    using DpiForWindow = UINT(WINAPI*)(HWND);
    const auto query =
        reinterpret_cast<DpiForWindow>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow"));
    return query ? query(window) : 0;
}

}  // namespace

int main(int argc, char** argv) {
    // Aware of the display's scale: rectangles in the display's own pixels.
    SetProcessDPIAware();
    if (argc == 3 && std::string(argv[1]) == "--post-close") {
        HWND top = FindWindowA(nullptr, default_title);
        if (!top) return 1;
        for (int i = 0, n = std::atoi(argv[2]); i < n; ++i) PostMessageA(top, WM_CLOSE, 0, 0);
        return 0;
    }
    const char* title = argc > 1 ? argv[1] : default_title;
    HWND top = FindWindowA(nullptr, title);
    if (!top) {
        std::printf("none\n");
        return 1;
    }
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(top, nullptr), &info);
    RECT outer{};
    GetWindowRect(top, &outer);
    RECT client{};
    GetClientRect(top, &client);
    POINT origin{0, 0};
    ClientToScreen(top, &origin);
    std::printf("window x=%ld y=%ld w=%ld h=%ld cw=%ld ch=%ld ox=%ld oy=%ld dpi=%u active=%d style=%08lx text=%s\n",
                outer.left, outer.top, outer.right - outer.left, outer.bottom - outer.top, client.right, client.bottom,
                origin.x, origin.y, window_dpi(top), info.hwndActive == top ? 1 : 0,
                static_cast<unsigned long>(GetWindowLongA(top, GWL_STYLE)), escaped(text_of(top)).c_str());
    Context context{top, info.hwndFocus};
    CoInitialize(nullptr);  // the objects of named controls come marshalled
    EnumChildWindows(top, print_control, reinterpret_cast<LPARAM>(&context));
    CoUninitialize();
    std::fflush(stdout);
    return 0;
}
