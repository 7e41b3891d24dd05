// Keyboard and mouse sizing of toolkit windows with full-window dragging on.
// The system command SC_SIZE is taken over here instead of running the
// platform's modal loop: the sizing then goes on message by message as
// wait_event dispatches them, and ends when the window loses the capture.
#include "toolkit/win32/internal.h"

namespace {

// WMSZ codes: which edges follow the pointer.
constexpr int EDGE_NONE = 0;
constexpr int EDGE_LEFT = WMSZ_LEFT;                 // 1
constexpr int EDGE_RIGHT = WMSZ_RIGHT;               // 2
constexpr int EDGE_TOP = WMSZ_TOP;                   // 3
constexpr int EDGE_TOP_LEFT = WMSZ_TOPLEFT;          // 4
constexpr int EDGE_TOP_RIGHT = WMSZ_TOPRIGHT;        // 5
constexpr int EDGE_BOTTOM = WMSZ_BOTTOM;             // 6
constexpr int EDGE_BOTTOM_LEFT = WMSZ_BOTTOMLEFT;    // 7
constexpr int EDGE_BOTTOM_RIGHT = WMSZ_BOTTOMRIGHT;  // 8

// Arrow keys move the pointer by this many pixels once an edge is chosen.
constexpr int KEY_STEP = 10;

// Where the cursor is placed for an edge or corner: the inverse of the +2/-2
// that apply_pointer adds, so choosing an edge leaves the size as it is.
constexpr int GRIP = 2;

bool full_window_dragging() {
    BOOL on = FALSE;
    if (!SystemParametersInfoA(SPI_GETDRAGFULLWINDOWS, 0, &on, 0)) return false;
    return on != FALSE;
}

void default_limits(HWND hwnd, MINMAXINFO* limits) {
    *limits = MINMAXINFO{};
    limits->ptMaxSize = {GetSystemMetrics(SM_CXMAXIMIZED), GetSystemMetrics(SM_CYMAXIMIZED)};
    LONG style = GetWindowLongA(hwnd, GWL_STYLE);
    LONG ex_style = GetWindowLongA(hwnd, GWL_EXSTYLE);
    if (style & WS_BORDER) {
        limits->ptMaxPosition = {GetSystemMetrics(SM_CXBORDER), GetSystemMetrics(SM_CYBORDER)};
    } else if (ex_style & WS_EX_WINDOWEDGE) {
        limits->ptMaxPosition = {GetSystemMetrics(SM_CXEDGE), GetSystemMetrics(SM_CYEDGE)};
    }
    limits->ptMinTrackSize = {GetSystemMetrics(SM_CXMINTRACK), GetSystemMetrics(SM_CYMINTRACK)};
    limits->ptMaxTrackSize = {GetSystemMetrics(SM_CXMAXTRACK), GetSystemMetrics(SM_CYMAXTRACK)};
}

LRESULT start_sizing(SizingState* sizing, HWND hwnd, WPARAM wparam) {
    sizing->edge = static_cast<int>(wparam & 0xF);
    sizing->active = 1;
    GetWindowRect(hwnd, &sizing->rect);
    default_limits(hwnd, &sizing->limits);
    SendMessageA(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&sizing->limits));
    // Started from the keyboard the button is up; the window is told it went
    // down so that its release, or a capture loss, ends the loop.
    if (GetKeyState(VK_LBUTTON) == 0) SendMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    SetCapture(hwnd);
    PostMessageA(hwnd, WM_ENTERSIZEMOVE, 0, 0);
    if (sizing->edge == EDGE_NONE) {
        sizing->restore_cursor = 1;
        GetCursorPos(&sizing->saved_cursor);
        SetCursor(static_cast<HCURSOR>(LoadImageA(nullptr, MAKEINTRESOURCEA(32646), IMAGE_CURSOR, 0, 0,
                                                  LR_SHARED | LR_DEFAULTSIZE)));  // IDC_SIZEALL
    } else {
        sizing->restore_cursor = 0;
    }
    return 0;
}

// One row of the arrow-key table: from the neutral state or an edge at right
// angles, the key picks an edge or corner and places the cursor on it.
struct ArrowTurn {
    UINT key;
    int from_edge;
    int to_edge;
    int shape;
};

constexpr ArrowTurn ARROW_TURNS[] = {
    {VK_LEFT, EDGE_NONE, EDGE_LEFT, 32644},             // IDC_SIZEWE
    {VK_LEFT, EDGE_TOP, EDGE_TOP_LEFT, 32642},          // IDC_SIZENWSE
    {VK_LEFT, EDGE_BOTTOM, EDGE_BOTTOM_LEFT, 32643},    // IDC_SIZENESW
    {VK_UP, EDGE_NONE, EDGE_TOP, 32645},                // IDC_SIZENS
    {VK_UP, EDGE_LEFT, EDGE_TOP_LEFT, 32642},           // IDC_SIZENWSE
    {VK_UP, EDGE_RIGHT, EDGE_TOP_RIGHT, 32643},         // IDC_SIZENESW
    {VK_RIGHT, EDGE_NONE, EDGE_RIGHT, 32644},           // IDC_SIZEWE
    {VK_RIGHT, EDGE_TOP, EDGE_TOP_RIGHT, 32643},        // IDC_SIZENESW
    {VK_RIGHT, EDGE_BOTTOM, EDGE_BOTTOM_RIGHT, 32642},  // IDC_SIZENWSE
    {VK_DOWN, EDGE_NONE, EDGE_BOTTOM, 32645},           // IDC_SIZENS
    {VK_DOWN, EDGE_LEFT, EDGE_BOTTOM_LEFT, 32643},      // IDC_SIZENESW
    {VK_DOWN, EDGE_RIGHT, EDGE_BOTTOM_RIGHT, 32642},    // IDC_SIZENWSE
};

// The point at which the cursor grips the edge or corner just chosen; p is
// the cursor's position, which keeps the free coordinate of a plain edge.
POINT grip_point(int edge, const RECT& r, POINT p) {
    switch (edge) {
        case EDGE_LEFT: return {r.left, p.y};
        case EDGE_RIGHT: return {r.right - GRIP, p.y};
        case EDGE_TOP: return {p.x, r.top};
        case EDGE_BOTTOM: return {p.x, r.bottom - GRIP};
        case EDGE_TOP_LEFT: return {r.left + GRIP, r.top + GRIP};
        case EDGE_TOP_RIGHT: return {r.right - GRIP, r.top};
        case EDGE_BOTTOM_LEFT: return {r.left, r.bottom - GRIP};
        case EDGE_BOTTOM_RIGHT: return {r.right - GRIP, r.bottom - GRIP};
        default: return p;
    }
}

bool edge_moves_horizontally(int edge) {
    return edge == EDGE_LEFT || edge == EDGE_RIGHT || edge == EDGE_TOP_LEFT || edge == EDGE_TOP_RIGHT ||
           edge == EDGE_BOTTOM_LEFT || edge == EDGE_BOTTOM_RIGHT;
}

bool edge_moves_vertically(int edge) { return edge >= EDGE_TOP && edge <= EDGE_BOTTOM_RIGHT; }

void arrow_key(SizingState* sizing, HWND hwnd, UINT key) {
    POINT p{};
    GetCursorPos(&p);
    for (const ArrowTurn& turn : ARROW_TURNS) {
        if (turn.key != key || turn.from_edge != sizing->edge) continue;
        sizing->edge = turn.to_edge;
        POINT at = grip_point(turn.to_edge, sizing->rect, p);
        place_cursor(turn.shape, at.x, at.y);
        return;
    }
    // Along the chosen edge's axis, or at a corner: the pointer steps.
    switch (key) {
        case VK_LEFT:
            if (edge_moves_horizontally(sizing->edge)) step_pointer(hwnd, p.x - KEY_STEP, p.y);
            break;
        case VK_RIGHT:
            if (edge_moves_horizontally(sizing->edge)) step_pointer(hwnd, p.x + KEY_STEP, p.y);
            break;
        case VK_UP:
            if (edge_moves_vertically(sizing->edge)) step_pointer(hwnd, p.x, p.y - KEY_STEP);
            break;
        case VK_DOWN:
            if (edge_moves_vertically(sizing->edge)) step_pointer(hwnd, p.x, p.y + KEY_STEP);
            break;
        default: break;
    }
}

void send_sizing(SizingState* sizing, HWND hwnd) {
    SendMessageA(hwnd, WM_SIZING, static_cast<WPARAM>(sizing->edge), reinterpret_cast<LPARAM>(&sizing->rect));
}

LRESULT continue_sizing(SizingState* sizing, HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_MOUSEMOVE: {
            sizing->restore_cursor = 0;
            POINT point{static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
            MapWindowPoints(hwnd, HWND_DESKTOP, &point, 1);
            apply_pointer(point.x, point.y);
            send_sizing(sizing, hwnd);
            move_to_rect(hwnd);
            return 0;
        }
        case WM_KEYDOWN:
            switch (wparam) {
                case VK_RETURN:
                case VK_ESCAPE:
                    // Both keep the size reached; the capture loss ends the loop.
                    ReleaseCapture();
                    return 0;
                case VK_LEFT:
                case VK_UP:
                case VK_RIGHT:
                case VK_DOWN: arrow_key(sizing, hwnd, static_cast<UINT>(wparam)); return NOT_HANDLED;
                default: return NOT_HANDLED;
            }
        case WM_LBUTTONUP: ReleaseCapture(); return 0;
        case WM_DESTROY:
            // A window destroyed while it holds the capture loses it without
            // notice; giving it up here ends the loop the ordinary way instead
            // of leaving every toolkit window in a loop that never ends.
            if (GetCapture() == hwnd) ReleaseCapture();
            return NOT_HANDLED;
        case WM_CAPTURECHANGED:
            PostMessageA(hwnd, WM_EXITSIZEMOVE, 0, 0);
            sizing->active = 0;
            if (sizing->restore_cursor) SetCursorPos(sizing->saved_cursor.x, sizing->saved_cursor.y);
            return 0;
        default: return NOT_HANDLED;
    }
}

}  // namespace

LRESULT sizing_filter(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    SizingState* sizing = toolkit.sizing;
    if (!sizing) return NOT_HANDLED;
    if (sizing->active) return continue_sizing(sizing, hwnd, message, wparam, lparam);
    if (message == WM_SYSCOMMAND && (wparam & ~WPARAM{0xF}) == SC_SIZE && full_window_dragging())
        return start_sizing(sizing, hwnd, wparam);
    return NOT_HANDLED;
}

void apply_pointer(int x, int y) {
    SizingState* sizing = toolkit.sizing;
    if (!sizing) return;
    RECT& r = sizing->rect;
    const POINT min = sizing->limits.ptMinTrackSize;
    const POINT max = sizing->limits.ptMaxTrackSize;
    const int edge = sizing->edge;
    if (edge == EDGE_LEFT || edge == EDGE_TOP_LEFT || edge == EDGE_BOTTOM_LEFT) {
        r.left = edge == EDGE_TOP_LEFT ? x - GRIP : x;
        const LONG width = r.right - r.left;
        if (width < min.x)
            r.left = r.right - min.x;
        else if (width > max.x)
            r.left = r.right - max.x;
    }
    if (edge == EDGE_RIGHT || edge == EDGE_TOP_RIGHT || edge == EDGE_BOTTOM_RIGHT) {
        r.right = x + GRIP;
        const LONG width = r.right - r.left;
        if (width < min.x)
            r.right = r.left + min.x;
        else if (width > max.x)
            r.right = r.left + max.x;
    }
    if (edge == EDGE_TOP || edge == EDGE_TOP_LEFT || edge == EDGE_TOP_RIGHT) {
        r.top = edge == EDGE_TOP_LEFT ? y - GRIP : y;
        const LONG height = r.bottom - r.top;
        if (height < min.y)
            r.top = r.bottom - min.y;
        else if (height > max.y)
            r.top = r.bottom - max.y;
    }
    if (edge == EDGE_BOTTOM || edge == EDGE_BOTTOM_LEFT || edge == EDGE_BOTTOM_RIGHT) {
        r.bottom = y + GRIP;
        const LONG height = r.bottom - r.top;
        if (height < min.y)
            r.bottom = r.top + min.y;
        else if (height > max.y)
            r.bottom = r.top + max.y;
    }
}

void move_to_rect(HWND hwnd) {
    SizingState* sizing = toolkit.sizing;
    if (!sizing) return;
    // The loop keeps screen coordinates; a child window is placed in its
    // parent's client coordinates.
    RECT r = sizing->rect;
    if (GetWindowLongA(hwnd, GWL_STYLE) & WS_CHILD)
        MapWindowPoints(HWND_DESKTOP, GetParent(hwnd), reinterpret_cast<POINT*>(&r), 2);
    MoveWindow(hwnd, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
}

void step_pointer(HWND hwnd, int x, int y) {
    SizingState* sizing = toolkit.sizing;
    if (!sizing) return;
    SetCursorPos(x, y);
    apply_pointer(x, y);
    send_sizing(sizing, hwnd);
    move_to_rect(hwnd);
}

void place_cursor(int shape, int x, int y) {
    SetCursorPos(x, y);
    SetCursor(static_cast<HCURSOR>(
        LoadImageA(nullptr, MAKEINTRESOURCEA(shape), IMAGE_CURSOR, 0, 0, LR_SHARED | LR_DEFAULTSIZE)));
}
