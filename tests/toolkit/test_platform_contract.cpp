// The effects of the platform's windowing services that the toolkit and the
// game rest on. Each test is named for the effect it pins down.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

#include "recording_window.h"

namespace {

constexpr int EDIT_ID = 5;
constexpr int BUTTON_ID = 6;
constexpr int OTHER_EDIT_ID = 7;

HWND make_child(HWND parent, const char* class_name, const char* text, DWORD style, int id, int x, int y,
                int width = 120, int height = 24, DWORD ex_style = 0) {
    return CreateWindowExA(ex_style, class_name, text, WS_CHILD | WS_VISIBLE | style, x, y, width, height, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
}

// Whether `wanted` appears in `seen` in order (other messages may come between).
bool in_order(const std::vector<UINT>& seen, const std::vector<UINT>& wanted) {
    auto at = seen.begin();
    for (UINT message : wanted) {
        at = std::find(at, seen.end(), message);
        if (at == seen.end()) return false;
        ++at;
    }
    return true;
}

std::vector<CommandRecord> only_codes(const std::vector<CommandRecord>& commands, std::vector<int> codes) {
    std::vector<CommandRecord> result;
    for (const CommandRecord& command : commands)
        if (std::find(codes.begin(), codes.end(), command.code) != codes.end()) result.push_back(command);
    return result;
}

class PlatformContract : public ::testing::Test {
protected:
    // One active window for the whole program; each test makes its own children.
    static void SetUpTestSuite() {
        window_ = create_recording_window("contract", WS_POPUP | WS_VISIBLE, 50, 50, 400, 300);
    }
    static void TearDownTestSuite() {
        if (IsWindow(window_)) DestroyWindow(window_);
        window_ = nullptr;
    }
    void SetUp() override {
        ASSERT_NE(window_, nullptr);
        set_message_answer({});
        pump_messages();
        clear_message_log();
    }
    void TearDown() override {
        set_message_answer({});
        destroy_children(window_);
        pump_messages();
        clear_message_log();
    }

    // Brings the window forward so focus can be given inside it.
    static void activate() {
        SetForegroundWindow(window_);
        SetActiveWindow(window_);
        pump_messages();
    }

    static inline HWND window_ = nullptr;
};

TEST_F(PlatformContract, CreateWindowReturnsTheHandleAndTheProcedureRunsDuringCreationAndShowing) {
    clear_message_log();
    HWND window = create_recording_window("created", WS_POPUP, 10, 10, 200, 100);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(in_order(messages_of(window), {WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE}));
    for (const RecordedMessage& entry : message_log()) EXPECT_EQ(entry.window, window) << "message " << entry.message;

    clear_message_log();
    ShowWindow(window, SW_SHOWNOACTIVATE);
    EXPECT_TRUE(in_order(messages_of(window), {WM_SHOWWINDOW})) << "inside ShowWindow";

    clear_message_log();
    HWND control = make_child(window, "EDIT", "", 0, EDIT_ID, 0, 0);
    ASSERT_NE(control, nullptr);
    EXPECT_TRUE(in_order(messages_of(window), {WM_PARENTNOTIFY})) << "the parent hears of the child's creation";
    DestroyWindow(window);
    EXPECT_EQ(CreateWindowExA(0, "NoSuchClassAnywhere", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr),
              nullptr)
        << "failure gives no handle";
}

// A subclass procedure that claims every text is 99 characters long and
// passes everything else on to the procedure it replaced.
WNDPROC replaced_proc = nullptr;
std::vector<UINT> subclass_seen;

LRESULT CALLBACK subclass_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    subclass_seen.push_back(message);
    if (message == WM_GETTEXTLENGTH) return 99;
    return CallWindowProcA(replaced_proc, window, message, wparam, lparam);
}

TEST_F(PlatformContract, SetWindowLongPtrReturnsTheReplacedProcedureAndCallWindowProcGivesItsBehaviour) {
    HWND edit = make_child(window_, "EDIT", "start", 0, EDIT_ID, 10, 10);
    ASSERT_NE(edit, nullptr);
    const LONG_PTR before = GetWindowLongPtrA(edit, GWLP_WNDPROC);
    replaced_proc =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&subclass_proc)));
    ASSERT_NE(replaced_proc, nullptr);
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(replaced_proc), before);
    subclass_seen.clear();

    SetWindowTextA(edit, "1234");
    char text[32] = {};
    GetWindowTextA(edit, text, sizeof text);
    EXPECT_STREQ(text, "1234") << "the edit still behaves as an edit";
    EXPECT_TRUE(in_order(subclass_seen, {WM_SETTEXT, WM_GETTEXT})) << "through the new procedure";
    EXPECT_EQ(SendMessageA(edit, WM_GETTEXTLENGTH, 0, 0), 99) << "the new procedure answers first";
    EXPECT_EQ(CallWindowProcA(replaced_proc, edit, WM_GETTEXTLENGTH, 0, 0), 4) << "the replaced behaviour";

    const LONG_PTR restored = SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(replaced_proc));
    EXPECT_EQ(restored, reinterpret_cast<LONG_PTR>(&subclass_proc));
}

TEST_F(PlatformContract, SettingAnEditsTextSendsUpdateThenChangeInsideTheCall) {
    HWND edit = make_child(window_, "EDIT", "", ES_AUTOHSCROLL, EDIT_ID, 10, 10);
    ASSERT_NE(edit, nullptr);
    pump_messages();

    struct Row {
        const char* what;
        const char* text;
    };
    const Row rows[] = {{"new text", "42"}, {"other text", "1234"}, {"empty text", ""}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        clear_message_log();
        SetWindowTextA(edit, row.text);
        // Nothing is dispatched between the call and this check.
        const std::vector<CommandRecord> expected{{EN_UPDATE, EDIT_ID, edit}, {EN_CHANGE, EDIT_ID, edit}};
        EXPECT_EQ(commands_to(window_), expected);
    }

    // A typed character notifies the same way.
    clear_message_log();
    SendMessageA(edit, WM_CHAR, '7', 1);
    const std::vector<CommandRecord> typed{{EN_UPDATE, EDIT_ID, edit}, {EN_CHANGE, EDIT_ID, edit}};
    EXPECT_EQ(only_codes(commands_to(window_), {EN_UPDATE, EN_CHANGE}), typed);
}

TEST_F(PlatformContract, PushButtonClickGivesBnClicked) {
    HWND button = make_child(window_, "BUTTON", "OK", BS_PUSHBUTTON, BUTTON_ID, 10, 50, 80, 24);
    ASSERT_NE(button, nullptr);
    activate();
    clear_message_log();
    SendMessageA(button, BM_CLICK, 0, 0);
    pump_messages();
    const std::vector<CommandRecord> expected{{BN_CLICKED, BUTTON_ID, button}};
    EXPECT_EQ(only_codes(commands_to(window_), {BN_CLICKED}), expected);
}

TEST_F(PlatformContract, FocusChangesReachTheWindowsAndTheEditNotifiesItsParent) {
    HWND edit = make_child(window_, "EDIT", "", 0, EDIT_ID, 10, 10);
    HWND other = make_child(window_, "EDIT", "", 0, OTHER_EDIT_ID, 10, 40);
    ASSERT_TRUE(edit && other);
    record_control(edit);
    record_control(other);
    activate();
    SetFocus(other);
    pump_messages();

    clear_message_log();
    SetFocus(edit);
    ASSERT_EQ(GetFocus(), edit);
    SetFocus(other);
    ASSERT_EQ(GetFocus(), other);

    // One ordered list across the three windows.
    struct Step {
        HWND window;
        UINT message;
        int code;  // notification code for WM_COMMAND, else -1
    };
    std::vector<Step> seen;
    for (const RecordedMessage& entry : message_log()) {
        if (entry.message == WM_SETFOCUS || entry.message == WM_KILLFOCUS)
            seen.push_back({entry.window, entry.message, -1});
        else if (entry.message == WM_COMMAND &&
                 (HIWORD(entry.wparam) == EN_SETFOCUS || HIWORD(entry.wparam) == EN_KILLFOCUS))
            seen.push_back({entry.window, entry.message, HIWORD(entry.wparam)});
    }
    const Step expected[] = {
        {other, WM_KILLFOCUS, -1}, {window_, WM_COMMAND, EN_KILLFOCUS},
        {edit, WM_SETFOCUS, -1},   {window_, WM_COMMAND, EN_SETFOCUS},
        {edit, WM_KILLFOCUS, -1},  {window_, WM_COMMAND, EN_KILLFOCUS},
        {other, WM_SETFOCUS, -1},  {window_, WM_COMMAND, EN_SETFOCUS},
    };
    ASSERT_EQ(seen.size(), std::size(expected));
    for (size_t i = 0; i < seen.size(); ++i) {
        SCOPED_TRACE("step " + std::to_string(i));
        EXPECT_EQ(seen[i].window, expected[i].window);
        EXPECT_EQ(seen[i].message, expected[i].message);
        EXPECT_EQ(seen[i].code, expected[i].code);
    }
}

TEST_F(PlatformContract, MouseClickMovesFocusAtButtonDownAndClicksAtButtonUp) {
    HWND edit = make_child(window_, "EDIT", "", 0, EDIT_ID, 10, 10);
    HWND button = make_child(window_, "BUTTON", "OK", BS_PUSHBUTTON, BUTTON_ID, 10, 50, 80, 24);
    ASSERT_TRUE(edit && button);
    activate();
    SetFocus(edit);
    ASSERT_EQ(GetFocus(), edit);
    pump_messages();
    clear_message_log();

    const LPARAM inside = MAKELPARAM(10, 10);
    PostMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, inside);
    PostMessageA(button, WM_LBUTTONUP, 0, inside);

    struct Row {
        UINT message;
        bool focus_on_button;
        int clicks;
    };
    const Row rows[] = {{WM_LBUTTONDOWN, true, 0}, {WM_LBUTTONUP, true, 1}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.message == WM_LBUTTONDOWN ? "button down" : "button up");
        MSG msg{};
        ASSERT_TRUE(PeekMessageA(&msg, button, row.message, row.message, PM_REMOVE));
        DispatchMessageA(&msg);
        EXPECT_EQ(GetFocus() == button, row.focus_on_button);
        EXPECT_EQ(static_cast<int>(only_codes(commands_to(window_), {BN_CLICKED}).size()), row.clicks);
    }
    const std::vector<CommandRecord> focus_lost{{EN_KILLFOCUS, EDIT_ID, edit}};
    EXPECT_EQ(only_codes(commands_to(window_), {EN_KILLFOCUS}), focus_lost);
}

TEST_F(PlatformContract, TranslateAcceleratorTurnsABoundKeyIntoACommandWithHighWordOne) {
    HWND edit = make_child(window_, "EDIT", "", 0, EDIT_ID, 10, 10);
    ASSERT_NE(edit, nullptr);
    activate();
    SetFocus(edit);
    ACCEL keys[] = {{FVIRTKEY, VK_RETURN, 888}, {FVIRTKEY | FSHIFT, VK_TAB, 1213}};
    HACCEL table = CreateAcceleratorTableA(keys, 2);
    ASSERT_NE(table, nullptr);
    pump_messages();

    struct Row {
        const char* what;
        WPARAM key;
        bool translated;
        int command;
    };
    const Row rows[] = {{"Enter", VK_RETURN, true, 888}, {"a key that is not bound", 'A', false, 0}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        clear_message_log();
        PostMessageA(edit, WM_KEYDOWN, row.key, 1);
        MSG msg{};
        ASSERT_TRUE(PeekMessageA(&msg, edit, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE));
        EXPECT_EQ(TranslateAcceleratorA(window_, table, &msg) != 0, row.translated);
        std::vector<RecordedMessage> commands;
        for (const RecordedMessage& entry : message_log())
            if (entry.window == window_ && entry.message == WM_COMMAND) commands.push_back(entry);
        if (!row.translated) {
            EXPECT_TRUE(commands.empty());
            continue;
        }
        ASSERT_EQ(commands.size(), 1u) << "sent inside the translation";
        EXPECT_EQ(LOWORD(commands[0].wparam), row.command);
        EXPECT_EQ(HIWORD(commands[0].wparam), 1);
        EXPECT_EQ(commands[0].lparam, 0);
    }
    DestroyAcceleratorTable(table);
}

TEST_F(PlatformContract, CloseCommandReachesTheWindowAsWmCloseAndOnlyDefaultHandlingDestroysIt) {
    struct Row {
        const char* what;
        bool answer_close;  // the window answers WM_CLOSE itself
        bool survives;
    };
    const Row rows[] = {{"window answers WM_CLOSE", true, true}, {"default handling of WM_CLOSE", false, false}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        HWND window = create_recording_window("closing", WS_POPUP, 60, 60, 200, 100);
        ASSERT_NE(window, nullptr);
        show_inactive(window);
        set_message_answer([&](const RecordedMessage& entry, LRESULT* result) {
            if (!row.answer_close || entry.message != WM_CLOSE) return false;
            *result = 0;
            return true;
        });
        clear_message_log();
        SendMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        pump_messages();
        EXPECT_TRUE(in_order(messages_of(window), {WM_SYSCOMMAND, WM_CLOSE}));
        EXPECT_EQ(IsWindow(window) != 0, row.survives);
        set_message_answer({});
        if (IsWindow(window)) DestroyWindow(window);
    }
}

TEST_F(PlatformContract, DestroyingAWindowDestroysItsChildrenAndNcDestroyComesLast) {
    HWND window = create_recording_window("doomed", WS_POPUP, 60, 60, 200, 100);
    ASSERT_NE(window, nullptr);
    show_inactive(window);
    HWND edit = make_child(window, "EDIT", "", 0, EDIT_ID, 0, 0);
    HWND button = make_child(window, "BUTTON", "x", BS_PUSHBUTTON, BUTTON_ID, 0, 30);
    HWND inner = create_recording_window("inner", WS_CHILD | WS_VISIBLE, 0, 60, 50, 20, window, 9);
    ASSERT_TRUE(edit && button && inner);
    record_control(edit);
    record_control(button);
    clear_message_log();

    DestroyWindow(window);
    const HWND all[] = {window, edit, button, inner};
    for (HWND each : all) {
        EXPECT_FALSE(IsWindow(each));
        const std::vector<UINT> seen = messages_of(each);
        ASSERT_FALSE(seen.empty());
        EXPECT_TRUE(in_order(seen, {WM_DESTROY, WM_NCDESTROY}));
        EXPECT_EQ(seen.back(), static_cast<UINT>(WM_NCDESTROY)) << "nothing after WM_NCDESTROY";
        EXPECT_EQ(std::count(seen.begin(), seen.end(), static_cast<UINT>(WM_NCDESTROY)), 1);
    }
    EXPECT_EQ(message_log().back().window, window) << "the parent's WM_NCDESTROY ends it all";
    EXPECT_EQ(message_log().back().message, static_cast<UINT>(WM_NCDESTROY));
}

TEST_F(PlatformContract, ControlsAskTheirParentForColoursByKind) {
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    set_message_answer([&](const RecordedMessage& entry, LRESULT* result) {
        if (entry.message != WM_CTLCOLORSTATIC && entry.message != WM_CTLCOLOREDIT) return false;
        auto dc = reinterpret_cast<HDC>(entry.wparam);
        SetTextColor(dc, RGB(0, 0, 255));
        SetBkColor(dc, RGB(255, 0, 0));
        *result = reinterpret_cast<LRESULT>(red);
        return true;
    });

    struct Row {
        const char* what;
        const char* class_name;
        DWORD style;
        bool enabled;
        UINT asks_with;
        UINT never_with;
    };
    const Row rows[] = {
        {"static", "STATIC", SS_LEFT, true, WM_CTLCOLORSTATIC, WM_CTLCOLOREDIT},
        {"read-only edit", "EDIT", ES_READONLY, true, WM_CTLCOLORSTATIC, WM_CTLCOLOREDIT},
        {"disabled edit", "EDIT", 0, false, WM_CTLCOLORSTATIC, WM_CTLCOLOREDIT},
        {"enabled edit", "EDIT", 0, true, WM_CTLCOLOREDIT, WM_CTLCOLORSTATIC},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        HWND control = make_child(window_, row.class_name, "", row.style, EDIT_ID, 20, 20, 80, 30);
        ASSERT_NE(control, nullptr);
        if (!row.enabled) EnableWindow(control, FALSE);
        clear_message_log();
        RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        std::vector<RecordedMessage> asks;
        for (const RecordedMessage& entry : message_log())
            if (entry.window == window_ && (entry.message == WM_CTLCOLORSTATIC || entry.message == WM_CTLCOLOREDIT))
                asks.push_back(entry);
        ASSERT_FALSE(asks.empty()) << "painting asks the parent";
        for (const RecordedMessage& ask : asks) {
            EXPECT_EQ(ask.message, row.asks_with);
            EXPECT_NE(ask.message, row.never_with);
            EXPECT_EQ(reinterpret_cast<HWND>(ask.lparam), control);
        }
        // The answered brush fills the control's background.
        HDC dc = GetDC(control);
        EXPECT_EQ(GetPixel(dc, 76, 26), RGB(255, 0, 0));
        ReleaseDC(control, dc);
        DestroyWindow(control);
    }
    set_message_answer({});
    DeleteObject(red);
}

TEST_F(PlatformContract, PostedMessagesWaitInOrderAndPeekReturnsAtOnceWhenEmpty) {
    pump_messages();
    MSG msg{};
    EXPECT_FALSE(PeekMessageA(&msg, window_, WM_APP, WM_APP + 10, PM_REMOVE)) << "nothing waits";

    const UINT posted[] = {WM_APP + 1, WM_APP + 2, WM_APP + 3};
    for (UINT message : posted) ASSERT_TRUE(PostMessageA(window_, message, message * 10, 0));
    std::vector<UINT> got;
    for (int i = 0; i < 3; ++i) {
        ASSERT_GT(GetMessageA(&msg, window_, WM_APP, WM_APP + 10), 0);
        EXPECT_EQ(msg.wParam, static_cast<WPARAM>(msg.message) * 10);
        got.push_back(msg.message);
    }
    EXPECT_EQ(got, (std::vector<UINT>(std::begin(posted), std::end(posted))));
    EXPECT_FALSE(PeekMessageA(&msg, window_, WM_APP, WM_APP + 10, PM_REMOVE));
}

struct DelayedPost {
    HWND window;
    DWORD delay;
};

DWORD WINAPI post_later(void* argument) {
    auto* post = static_cast<DelayedPost*>(argument);
    Sleep(post->delay);
    PostMessageA(post->window, WM_APP + 7, 0, 0);
    return 0;
}

TEST_F(PlatformContract, GetMessageBlocksUntilAMessageArrives) {
    pump_messages();
    DelayedPost post{window_, 100};
    const DWORD start = GetTickCount();
    HANDLE thread = CreateThread(nullptr, 0, post_later, &post, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    MSG msg{};
    ASSERT_GT(GetMessageA(&msg, window_, WM_APP + 7, WM_APP + 7), 0);
    EXPECT_GE(GetTickCount() - start, 80u) << "returned before the message was posted";
    WaitForSingleObject(thread, 5000);
    CloseHandle(thread);
}

}  // namespace
