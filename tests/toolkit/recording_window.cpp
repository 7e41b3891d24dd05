#include "recording_window.h"

#include <algorithm>
#include <map>
#include <utility>
#include <vector>

namespace {

const char* const class_name = "TestRecordingWindow";

std::vector<RecordedMessage> log_entries;
MessageAnswer answer;
std::map<HWND, WNDPROC> recorded_controls;

LRESULT CALLBACK recording_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    const RecordedMessage entry{window, message, wparam, lparam};
    log_entries.push_back(entry);
    LRESULT result = 0;
    if (answer && answer(entry, &result)) return result;
    return DefWindowProcA(window, message, wparam, lparam);
}

LRESULT CALLBACK control_proc(HWND control, UINT message, WPARAM wparam, LPARAM lparam) {
    log_entries.push_back({control, message, wparam, lparam});
    auto found = recorded_controls.find(control);
    if (found == recorded_controls.end()) return DefWindowProcA(control, message, wparam, lparam);
    WNDPROC previous = found->second;
    if (message == WM_NCDESTROY) recorded_controls.erase(found);
    return CallWindowProcA(previous, control, message, wparam, lparam);
}

BOOL CALLBACK collect_child(HWND child, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
    return TRUE;
}

void register_class_once() {
    static bool registered = false;
    if (registered) return;
    WNDCLASSA window_class{};
    window_class.lpfnWndProc = recording_proc;
    window_class.hInstance = GetModuleHandleA(nullptr);
    window_class.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    window_class.lpszClassName = class_name;
    registered = RegisterClassA(&window_class) != 0;
}

}  // namespace

std::vector<RecordedMessage>& message_log() { return log_entries; }

void clear_message_log() { log_entries.clear(); }

void set_message_answer(MessageAnswer new_answer) { answer = std::move(new_answer); }

HWND create_recording_window(const char* title, DWORD style, int x, int y, int width, int height, HWND parent, int id,
                             DWORD ex_style) {
    register_class_once();
    HMENU menu = parent ? reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)) : nullptr;
    return CreateWindowExA(ex_style, class_name, title, style, x, y, width, height, parent, menu,
                           GetModuleHandleA(nullptr), nullptr);
}

void show_inactive(HWND window) {
    SetWindowPos(window, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void destroy_children(HWND window) {
    std::vector<HWND> children;
    EnumChildWindows(window, collect_child, reinterpret_cast<LPARAM>(&children));
    for (HWND child : children)
        if (IsWindow(child) && GetParent(child) == window) DestroyWindow(child);
}

void record_control(HWND control) {
    if (!control || recorded_controls.count(control)) return;
    auto previous =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&control_proc)));
    recorded_controls[control] = previous;
}

std::vector<UINT> messages_of(HWND window, const std::vector<UINT>& only) {
    std::vector<UINT> result;
    for (const RecordedMessage& entry : log_entries) {
        if (entry.window != window) continue;
        if (!only.empty() && std::find(only.begin(), only.end(), entry.message) == only.end()) continue;
        result.push_back(entry.message);
    }
    return result;
}

std::vector<CommandRecord> commands_to(HWND window) {
    std::vector<CommandRecord> result;
    for (const RecordedMessage& entry : log_entries)
        if (entry.window == window && entry.message == WM_COMMAND)
            result.push_back({HIWORD(entry.wparam), LOWORD(entry.wparam), reinterpret_cast<HWND>(entry.lparam)});
    return result;
}

int pump_messages() {
    MSG msg;
    int count = 0;
    while (count < 10000 && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
        ++count;
    }
    return count;
}
