// Bad input and a poor system: letters, bytes beyond ASCII and very long pastes
// in the guess field, font faces that are not installed, a system without the
// newer rich-text library and a main window the system refuses. Scenarios that
// need a fresh process run this program again with one disabled test selected.
//
// Covered elsewhere and not repeated here: huge and negative object numbers
// (tests/toolkit/test_object_table.cpp and the native model check), and many
// close requests ending the program once with exit code 0 (tests/e2e/play_test.py).
#include <gtest/gtest.h>

#include <windows.h>

#include <richedit.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "game/app.h"
#include "game/game_state.h"
#include "game_driver.h"

// The import slot through which the toolkit asks for the rich-text library.
#ifdef _WIN64
extern "C" decltype(&LoadLibraryA) load_library_import __asm__("__imp_LoadLibraryA");
#else
extern "C" decltype(&LoadLibraryA) load_library_import __asm__("__imp__LoadLibraryA@4");
#endif

namespace {

std::string last_four(const std::string& text) { return text.size() > 4 ? text.substr(text.size() - 4) : text; }

bool shares_a_character(const std::string& guess, const std::string& pin) {
    for (const char c : guess)
        if (pin.find(c) != std::string::npos) return true;
    return false;
}

std::string class_of(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

// ---- Scenarios in a process of their own ------------------------------------------

// Runs this program again with only `test` selected (a disabled one) and returns
// its exit code. Waits with the message queue served, as a window's thread must.
DWORD run_in_own_process(const char* test) {
    char program[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, program, sizeof program);
    std::string command = std::string("\"") + program + "\" --gtest_also_run_disabled_tests --gtest_filter=" + test;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return static_cast<DWORD>(-1);
    const double deadline = drive::now_ms() + 120000;
    while (MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, 200, QS_ALLINPUT) != WAIT_OBJECT_0) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
        if (drive::now_ms() > deadline) {
            TerminateProcess(process.hProcess, 99);
            break;
        }
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

TEST(OwnProcess, WithoutRichEdit20TheDisplayUsesTheOlderRichEditClass) {
    EXPECT_EQ(run_in_own_process("Scenario.DISABLED_RichEdit20Refused"), 0u);
}

TEST(OwnProcess, RefusedMainWindowEndsStartUpAndLeavesNoWindowOrFont) {
    EXPECT_EQ(run_in_own_process("Scenario.DISABLED_MainWindowRefused"), 0u);
}

// RICHED20.DLL refused to the program, as on a system without it. (On Wine the
// older RICHED32.DLL is built on RICHED20.DLL and loads it for itself; only the
// program's own request is refused, which is what its fallback depends on.)
decltype(&LoadLibraryA) real_load_library = nullptr;
int refused_loads = 0;

HMODULE WINAPI load_library_without_riched20(LPCSTR name) {
    if (name && lstrcmpiA(name, "RICHED20.DLL") == 0) {
        ++refused_loads;
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    return real_load_library(name);
}

void replace_import(decltype(&LoadLibraryA)& slot, decltype(&LoadLibraryA) function) {
    DWORD old = 0;
    VirtualProtect(&slot, sizeof slot, PAGE_READWRITE, &old);
    slot = function;
    VirtualProtect(&slot, sizeof slot, old, &old);
}

// A crash in a scenario ends its process with the exception code at once,
// instead of waiting for a debugger that nobody attends.
LONG WINAPI report_crash(EXCEPTION_POINTERS* exception) {
    std::fprintf(stderr, "scenario: exception %08lx at %p\n", exception->ExceptionRecord->ExceptionCode,
                 exception->ExceptionRecord->ExceptionAddress);
    std::fflush(stderr);
    return EXCEPTION_EXECUTE_HANDLER;
}

TEST(Scenario, DISABLED_RichEdit20Refused) {
    SetUnhandledExceptionFilter(report_crash);
    real_load_library = load_library_import;
    replace_import(load_library_import, load_library_without_riched20);
    ASSERT_TRUE(start_up());
    replace_import(load_library_import, real_load_library);
    EXPECT_EQ(refused_loads, 1);
    ASSERT_NE(drive::control(GADGET_DISPLAY), nullptr);
    // Class names are compared without regard to case; Wine spells this one "RICHEDIT".
    EXPECT_EQ(lstrcmpiA(class_of(drive::control(GADGET_DISPLAY)).c_str(), "RichEdit"), 0)
        << class_of(drive::control(GADGET_DISPLAY));

    // The display serves the game as the newer one does.
    drive::run_until_idle();
    game.secret_pin = "1234";
    drive::type_into_guess("5678");
    drive::press_enter();
    drive::type_into_guess("4999");
    drive::press_enter();
    EXPECT_EQ(drive::display_lines(), (std::vector<std::string>{"* Ball: 4999 has at least one correct digit",
                                                                "* Strike: 5678 has no correct digits"}));
    drive::click(GADGET_ABOUT);
    EXPECT_EQ(get_gadget_text(GADGET_DISPLAY), game.about_text);
    EXPECT_EQ(count_gadget_items(GADGET_DISPLAY), 7);
    drive::type_into_guess(MASTER_CODE);
    drive::press_enter();
    EXPECT_EQ(get_gadget_text(GADGET_MESSAGE), "Enter Another PIN");
    EXPECT_EQ(get_gadget_text(GADGET_DISPLAY), joke_reel.jokes[joke_reel.current_joke]);
    release_all();
}

// Refuses the creation of the main window's class and nothing else.
LRESULT CALLBACK refuse_main_window(int code, WPARAM wparam, LPARAM lparam) {
    if (code == HCBT_CREATEWND && class_of(reinterpret_cast<HWND>(wparam)) == "WindowClass_0") return 1;
    return CallNextHookEx(nullptr, code, wparam, lparam);
}

TEST(Scenario, DISABLED_MainWindowRefused) {
    SetUnhandledExceptionFilter(report_crash);
    const drive::ObjectCounts before = drive::object_counts();
    HHOOK hook = SetWindowsHookExA(WH_CBT, refuse_main_window, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    EXPECT_FALSE(start_up());
    UnhookWindowsHookEx(hook);
    std::vector<HFONT> fonts(std::begin(game.font_handles), std::end(game.font_handles));
    for (HFONT font : fonts) EXPECT_EQ(GetObjectType(font), static_cast<DWORD>(OBJ_FONT)) << "the fonts were made";

    release_all();  // the toolkit's tables went with the general heap: no toolkit call from here on
    EXPECT_EQ(FindWindowA("WindowClass_0", nullptr), nullptr);
    WNDCLASSA registered{};
    EXPECT_FALSE(GetClassInfoA(GetModuleHandleA(nullptr), "WindowClass_0", &registered))
        << "the class stays registered";
    for (HFONT font : fonts) EXPECT_EQ(GetObjectType(font), 0u) << "a font outlives release_all";
    const drive::ObjectCounts after = drive::object_counts();
    EXPECT_EQ(after.user, before.user) << after.source;
    EXPECT_EQ(after.gdi, before.gdi) << after.source;
}

// ---- The running game --------------------------------------------------------------

class BadInput : public testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(drive::start_game_once()); }

    void SetUp() override { drive::reset_game("1234"); }

    static void paste(const std::string& text) {
        ASSERT_TRUE(OpenClipboard(drive::main_window()));
        EmptyClipboard();
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
        ASSERT_NE(memory, nullptr);
        std::memcpy(GlobalLock(memory), text.c_str(), text.size() + 1);
        GlobalUnlock(memory);
        EXPECT_NE(SetClipboardData(CF_TEXT, memory), nullptr);
        CloseClipboard();
        SetFocus(drive::control(GADGET_GUESS));
        PostMessageA(drive::control(GADGET_GUESS), WM_PASTE, 0, 0);
        drive::run_until_idle();
    }
};

TEST_F(BadInput, TypedLettersAndBytesBeyondAsciiAreRefused) {
    const struct {
        const char* what;
        unsigned char c;
    } rows[] = {{"small letter", 'a'}, {"capital letter", 'Z'}, {"blank", ' '},      {"minus", '-'},
                {"e acute", 0xE9},     {"byte 0x80", 0x80},     {"byte 0xFF", 0xFF}, {"return", '\r'}};
    drive::type_into_guess("12");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        PostMessageA(drive::control(GADGET_GUESS), WM_CHAR, row.c, 1);
        drive::run_until_idle();
        EXPECT_EQ(get_gadget_text(GADGET_GUESS), "12");
        EXPECT_EQ(game.guess, "12");
    }
}

TEST_F(BadInput, PastedTextIsTakenAsItStandsAndJudgedByTheCharacterRules) {
    const struct {
        const char* what;
        std::string text;
    } rows[] = {
        {"letters and a digit of the PIN", "ab12"},
        {"bytes beyond ASCII", "\xE9\xFC\xDF\xA3"},
        {"words, then four digits", "call 5678"},
        {"a line break", "56\r\n78"},
        {"32 000 digits", std::string(31996, '8') + "5678"},
        {"32 000 letters", std::string(32000, 'x')},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        set_gadget_text(GADGET_GUESS, "");
        drive::run_until_idle();
        paste(row.text);

        // The field holds what the platform let in: the paste, or its beginning
        // when it holds a line break or passes the field's length limit.
        const std::string field = get_gadget_text(GADGET_GUESS);
        EXPECT_EQ(row.text.compare(0, field.size(), field), 0) << "the field holds no beginning of the paste";
        EXPECT_EQ(field.find_first_of("\r\n"), std::string::npos);
        EXPECT_EQ(game.guess, last_four(field)) << "only the last four characters are kept";

        const std::string guess = game.guess;
        const int judged_before = game.strikes + game.balls;
        drive::press_enter();
        if (guess.size() < 4) {
            EXPECT_EQ(game.strikes + game.balls, judged_before) << "a short guess was judged";
            continue;
        }
        EXPECT_EQ(game.strikes + game.balls, judged_before + 1);
        EXPECT_EQ(get_gadget_text(GADGET_GUESS), "");
        const std::string line = shares_a_character(guess, game.secret_pin)
                                     ? "* Ball: " + guess + " has at least one correct digit"
                                     : "* Strike: " + guess + " has no correct digits";
        EXPECT_EQ(get_gadget_item_text(GADGET_DISPLAY, 0), line);
    }
    // The field works on as before.
    drive::type_into_guess("1234");
    drive::press_enter();
    EXPECT_EQ(get_gadget_text(GADGET_MESSAGE), "Enter Another PIN");
}

struct FoundFace {
    int families = 0;
};

int CALLBACK count_family(const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM found) {
    ++reinterpret_cast<FoundFace*>(found)->families;
    return 1;
}

bool installed(HDC dc, const std::string& face) {
    LOGFONTA wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(wanted.lfFaceName, face.c_str(), LF_FACESIZE);
    FoundFace found;
    EnumFontFamiliesExA(dc, &wanted, count_family, reinterpret_cast<LPARAM>(&found), 0);
    return found.families > 0;
}

TEST_F(BadInput, FontFacesThatAreNotInstalledFallBackToInstalledOnes) {
    HDC dc = GetDC(drive::control(GADGET_DISPLAY));
    ASSERT_NE(dc, nullptr);
    for (int font = FONT_PROMPT; font <= FONT_ABOUT; ++font) {
        SCOPED_TRACE(font);
        HFONT handle = game.font_handles[font - 1];
        ASSERT_EQ(GetObjectType(handle), static_cast<DWORD>(OBJ_FONT));
        LOGFONTA asked{};
        GetObjectA(handle, sizeof asked, &asked);
        HGDIOBJ previous = SelectObject(dc, handle);
        char face[LF_FACESIZE] = {};
        GetTextFaceA(dc, sizeof face, face);
        TEXTMETRICA metrics{};
        GetTextMetricsA(dc, &metrics);
        SelectObject(dc, previous);

        // Whatever was asked for, the text is drawn in a face the system has.
        EXPECT_TRUE(installed(dc, face)) << "asked " << asked.lfFaceName << ", got " << face;
        EXPECT_GT(metrics.tmHeight, 0);
        if (!installed(dc, asked.lfFaceName)) {
            EXPECT_STRNE(face, asked.lfFaceName);
        }
        if (font == FONT_DISPLAY) RecordProperty("display_face", face);
    }
    ReleaseDC(drive::control(GADGET_DISPLAY), dc);
}

}  // namespace
