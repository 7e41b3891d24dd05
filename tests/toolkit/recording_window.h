#pragma once
// A window class that writes every message it receives into one shared log,
// and a way to add existing controls to that log, so tests can assert the
// exact order in which the platform delivers messages across windows.
#include <windows.h>

#include <functional>
#include <vector>

struct RecordedMessage {
    HWND window;
    UINT message;
    WPARAM wparam;
    LPARAM lparam;
};

// Every recording window and recorded control appends here, in delivery order.
std::vector<RecordedMessage>& message_log();
void clear_message_log();

// Optional answer for recording windows: return true and set *result to answer
// a message instead of passing it to DefWindowProcA. Cleared by passing {}.
using MessageAnswer = std::function<bool(const RecordedMessage&, LRESULT* result)>;
void set_message_answer(MessageAnswer answer);

// A window of the recording class (registered on first use). Top-level when
// parent is null, else a child with the given control ID.
// Without a window manager, hiding or destroying the active top-level window
// makes the platform wait about two seconds: keep one active window per test
// program, and show other top-level windows with show_inactive.
HWND create_recording_window(const char* title, DWORD style, int x, int y, int width, int height, HWND parent = nullptr,
                             int id = 0, DWORD ex_style = 0);

// Shows a top-level window without activating it.
void show_inactive(HWND window);

// Destroys every child window of window.
void destroy_children(HWND window);

// Subclasses a control so that its messages enter the log before its own
// procedure sees them. The control keeps its behaviour.
void record_control(HWND control);

// The messages the log holds for one window, in order (optionally only those
// in the given set).
std::vector<UINT> messages_of(HWND window, const std::vector<UINT>& only = {});

// The WM_COMMAND messages that reached window, as (notification code, control
// ID, control handle).
struct CommandRecord {
    int code;
    int id;
    HWND control;
    bool operator==(const CommandRecord&) const = default;
};
std::vector<CommandRecord> commands_to(HWND window);

// Dispatches queued messages until none waits (bounded); returns how many.
int pump_messages();
