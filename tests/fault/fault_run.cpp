// One run of the game with one refusable platform call failing at its N-th call
// (N 0: none fails): start-up, then three misses, a win, About, a miss and the
// close request, as a player plays them, then the program's shut-down.
//   fault-run CALL N RESULT_FILE
// The result file gets one line: the exit code, how often each call was made,
// and the GDI and USER objects left after shut-down beyond those before start-up.
#include <windows.h>

#include <commctrl.h>
#include <oleacc.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "fault_calls.h"
#include "game/app.h"
#include "game/game_state.h"
#include "game_driver.h"
#include "tests/import_slot.h"
#include "toolkit/win32/internal.h"

IMPORT_SLOT(heap_create_slot, HeapCreate, 12);
IMPORT_SLOT(heap_alloc_slot, HeapAlloc, 12);
IMPORT_SLOT(heap_realloc_slot, HeapReAlloc, 16);
IMPORT_SLOT(register_class_slot, RegisterClassA, 4);
IMPORT_SLOT(create_window_slot, CreateWindowExA, 48);
IMPORT_SLOT(create_font_slot, CreateFontA, 56);
IMPORT_SLOT(create_brush_slot, CreateSolidBrush, 4);
IMPORT_SLOT(create_accelerators_slot, CreateAcceleratorTableA, 8);
IMPORT_SLOT(set_prop_slot, SetPropA, 12);
IMPORT_SLOT(load_library_slot, LoadLibraryA, 4);
IMPORT_SLOT(init_controls_slot, InitCommonControlsEx, 4);
IMPORT_SLOT(task_alloc_slot, CoTaskMemAlloc, 4);

namespace {

enum Call {
    HEAP_CREATE,
    HEAP_ALLOC_GENERAL,
    HEAP_ALLOC_RECORD,
    HEAP_REALLOC_GENERAL,
    HEAP_REALLOC_RECORD,
    REGISTER_CLASS,
    CREATE_WINDOW,
    CREATE_FONT,
    CREATE_BRUSH,
    CREATE_ACCELERATORS,
    SET_PROP,
    LOAD_LIBRARY,
    INIT_CONTROLS,
    TASK_ALLOC,
};
static_assert(TASK_ALLOC + 1 == FAULT_CALL_COUNT, "one entry per call");

int calls[FAULT_CALL_COUNT];
int failing_call = -1;
int failing_at = 0;

// Counts the call; true when this is the one to refuse.
bool refuse(Call call, DWORD error) {
    if (++calls[call] != failing_at || call != failing_call) return false;
    SetLastError(error);
    return true;
}

// The toolkit's heaps are told apart by handle; other heaps pass uncounted.
int heap_kind(HANDLE heap, Call general, Call record) {
    if (heap && heap == toolkit.general_heap) return general;
    if (heap && heap == toolkit.record_heap) return record;
    return -1;
}

decltype(&HeapCreate) real_heap_create;
decltype(&HeapAlloc) real_heap_alloc;
decltype(&HeapReAlloc) real_heap_realloc;
decltype(&RegisterClassA) real_register_class;
decltype(&CreateWindowExA) real_create_window;
decltype(&CreateFontA) real_create_font;
decltype(&CreateSolidBrush) real_create_brush;
decltype(&CreateAcceleratorTableA) real_create_accelerators;
decltype(&SetPropA) real_set_prop;
decltype(&LoadLibraryA) real_load_library;
decltype(&InitCommonControlsEx) real_init_controls;
decltype(&CoTaskMemAlloc) real_task_alloc;

HANDLE WINAPI heap_create(DWORD options, SIZE_T initial, SIZE_T maximum) {
    return refuse(HEAP_CREATE, ERROR_NOT_ENOUGH_MEMORY) ? nullptr : real_heap_create(options, initial, maximum);
}
LPVOID WINAPI heap_alloc(HANDLE heap, DWORD flags, SIZE_T size) {
    const int kind = heap_kind(heap, HEAP_ALLOC_GENERAL, HEAP_ALLOC_RECORD);
    if (kind >= 0 && refuse(static_cast<Call>(kind), ERROR_NOT_ENOUGH_MEMORY)) return nullptr;
    return real_heap_alloc(heap, flags, size);
}
LPVOID WINAPI heap_realloc(HANDLE heap, DWORD flags, LPVOID block, SIZE_T size) {
    const int kind = heap_kind(heap, HEAP_REALLOC_GENERAL, HEAP_REALLOC_RECORD);
    if (kind >= 0 && refuse(static_cast<Call>(kind), ERROR_NOT_ENOUGH_MEMORY)) return nullptr;
    return real_heap_realloc(heap, flags, block, size);
}
ATOM WINAPI register_class(const WNDCLASSA* window_class) {
    return refuse(REGISTER_CLASS, ERROR_NOT_ENOUGH_MEMORY) ? 0 : real_register_class(window_class);
}
HWND WINAPI create_window(DWORD ex_style, LPCSTR class_name, LPCSTR name, DWORD style, int x, int y, int width,
                          int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID parameter) {
    if (refuse(CREATE_WINDOW, ERROR_NOT_ENOUGH_MEMORY)) return nullptr;
    return real_create_window(ex_style, class_name, name, style, x, y, width, height, parent, menu, instance,
                              parameter);
}
HFONT WINAPI create_font(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                         DWORD underline, DWORD strikeout, DWORD charset, DWORD precision, DWORD clip, DWORD quality,
                         DWORD pitch, LPCSTR face) {
    if (refuse(CREATE_FONT, ERROR_NOT_ENOUGH_MEMORY)) return nullptr;
    return real_create_font(height, width, escapement, orientation, weight, italic, underline, strikeout, charset,
                            precision, clip, quality, pitch, face);
}
HBRUSH WINAPI create_brush(COLORREF colour) {
    return refuse(CREATE_BRUSH, ERROR_NOT_ENOUGH_MEMORY) ? nullptr : real_create_brush(colour);
}
HACCEL WINAPI create_accelerators(LPACCEL entries, int count) {
    return refuse(CREATE_ACCELERATORS, ERROR_NOT_ENOUGH_MEMORY) ? nullptr : real_create_accelerators(entries, count);
}
BOOL WINAPI set_prop(HWND window, LPCSTR name, HANDLE data) {
    return refuse(SET_PROP, ERROR_NOT_ENOUGH_MEMORY) ? FALSE : real_set_prop(window, name, data);
}
HMODULE WINAPI load_library(LPCSTR name) {
    return refuse(LOAD_LIBRARY, ERROR_MOD_NOT_FOUND) ? nullptr : real_load_library(name);
}
BOOL WINAPI init_controls(const INITCOMMONCONTROLSEX* controls) {
    return refuse(INIT_CONTROLS, ERROR_NOT_ENOUGH_MEMORY) ? FALSE : real_init_controls(controls);
}

LPVOID WINAPI task_alloc(SIZE_T size) {
    return refuse(TASK_ALLOC, ERROR_NOT_ENOUGH_MEMORY) ? nullptr : real_task_alloc(size);
}

void wrap_the_calls() {
    real_heap_create = replace_import(heap_create_slot, heap_create);
    real_heap_alloc = replace_import(heap_alloc_slot, heap_alloc);
    real_heap_realloc = replace_import(heap_realloc_slot, heap_realloc);
    real_register_class = replace_import(register_class_slot, register_class);
    real_create_window = replace_import(create_window_slot, create_window);
    real_create_font = replace_import(create_font_slot, create_font);
    real_create_brush = replace_import(create_brush_slot, create_brush);
    real_create_accelerators = replace_import(create_accelerators_slot, create_accelerators);
    real_set_prop = replace_import(set_prop_slot, set_prop);
    real_load_library = replace_import(load_library_slot, load_library);
    real_init_controls = replace_import(init_controls_slot, init_controls);
    real_task_alloc = replace_import(task_alloc_slot, task_alloc);
}

LONG WINAPI end_on_crash(EXCEPTION_POINTERS*) { return EXCEPTION_EXECUTE_HANDLER; }

// The platform may catch a fault inside a window procedure and carry on; every
// access violation is noted where it happens, caught or not.
volatile LONG access_violations = 0;
LONG WINAPI note_access_violation(EXCEPTION_POINTERS* exception) {
    if (exception->ExceptionRecord->ExceptionCode == EXCEPTION_ACCESS_VIOLATION)
        InterlockedIncrement(&access_violations);
    return EXCEPTION_CONTINUE_SEARCH;
}

const char* result_file = nullptr;
int played = -1;
drive::ObjectCounts before{};

[[noreturn]] void finish(int code) {
    if (access_violations > 0) code = RUN_ACCESS_VIOLATION;
    const drive::ObjectCounts after = drive::object_counts();
    if (FILE* out = std::fopen(result_file, "w")) {
        std::fprintf(out, "%d", code);
        for (int count : calls) std::fprintf(out, " %d", count);
        std::fprintf(out, " %ld %ld %d\n", after.gdi - before.gdi, after.user - before.user, played);
        std::fclose(out);
    }
    ExitProcess(static_cast<UINT>(code));
}

void guess(const char* digits) {
    drive::type_into_guess(digits);
    drive::press_enter();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) return RUN_BAD_ARGUMENTS;
    failing_call = std::atoi(argv[1]);
    failing_at = std::atoi(argv[2]);
    result_file = argv[3];
    // A crash ends the process with its exception code, without waiting for a debugger.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    SetUnhandledExceptionFilter(end_on_crash);
    AddVectoredExceptionHandler(1, note_access_violation);

    SetProcessDPIAware();  // as the program's manifest declares it: laid out at the display's scale
    random_seed(21);       // the win's joke then has the longest lines, too wide for a font left at the display's scale
    // Wine's theme loads a scroll bar's images at its first drawing and keeps them
    // to the process's end: drawn before the count, they are not counted as left.
    HWND bars = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE | WS_HSCROLL | WS_VSCROLL, 0, 0, 300, 300,
                                nullptr, nullptr, nullptr, nullptr);
    RedrawWindow(bars, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
    DestroyWindow(bars);
    before = drive::object_counts();
    wrap_the_calls();
    if (!start_up()) {
        release_all();
        finish(1);
    }
    game.secret_pin = "1234";
    for (const char* miss : {"5678", "5670", "9012"}) guess(miss);
    IAccessible* held = nullptr;  // as a screen reader holds it, until after the shut-down
    AccessibleObjectFromWindow(drive::control(GADGET_STRIKES), OBJID_CLIENT, IID_PPV_ARGS(&held));
    guess("1234");
    if (HWND about = drive::control(GADGET_ABOUT)) {
        PostMessageA(about, BM_CLICK, 0, 0);
        drive::run_until_idle();
    }
    guess("5678");
    played = game.strikes + game.balls;  // the last miss after the win: 1

    // The close request, as the window's close box makes it; the loop then ends.
    PostMessageA(drive::main_window(), WM_SYSCOMMAND, SC_CLOSE, 0);
    bool closed = false;
    for (int pass = 0; pass < 500 && !closed; ++pass) closed = !main_loop_pass(10);
    release_all();
    if (held) held->Release();
    finish(closed ? 0 : RUN_DID_NOT_CLOSE);
}
