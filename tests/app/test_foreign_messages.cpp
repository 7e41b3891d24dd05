// Another program on the desktop talks to the game's windows: this program runs
// itself a second time as that program, which posts and sends the toolkit's
// private messages and the control messages, with garbage, zero, maximal and
// live-looking parameters, to the main window and every gadget. The game serves
// them all, then scores a miss and a win as before, and its heaps validate.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "game/app.h"
#include "game/game_state.h"
#include "game_driver.h"
#include "toolkit/win32/internal.h"

namespace {

constexpr const char* FOREIGN_VARIABLE = "TAVEK_FOREIGN_VALUES";
constexpr int ROUNDS = 3;

const UINT MESSAGES[] = {MSG_OBJECT_CLICK,     MSG_OBJECT_CLICK_RELAY, MSG_GADGET_EVENT, MSG_WINDOW_DATA,
                         MSG_GADGET_DATA,      MSG_GADGET_REQUEST,     WM_COMMAND,       WM_NOTIFY,
                         WM_CTLCOLOREDIT,      WM_CTLCOLORSTATIC,      WM_CTLCOLORBTN,   WM_CTLCOLORLISTBOX,
                         WM_CTLCOLORSCROLLBAR, WM_CTLCOLORDLG,         WM_CTLCOLORMSGBOX};

// ---- The other program ------------------------------------------------------------

BOOL CALLBACK note_child(HWND child, LPARAM targets) {
    reinterpret_cast<std::vector<HWND>*>(targets)->push_back(child);
    return TRUE;
}

// Reads the main window and the live-looking values from the environment; the
// parameters are those, the gadgets' handles, and fixed garbage.
TEST(ForeignProgram, DISABLED_TalksToEveryWindowOfTheGame) {
    char text[4096] = {};
    ASSERT_GT(GetEnvironmentVariableA(FOREIGN_VARIABLE, text, sizeof text), 0u);
    std::vector<uintptr_t> live;
    for (char* word = std::strtok(text, " "); word; word = std::strtok(nullptr, " "))
        live.push_back(static_cast<uintptr_t>(std::strtoull(word, nullptr, 16)));
    ASSERT_FALSE(live.empty());
    HWND main = reinterpret_cast<HWND>(live[0]);
    ASSERT_TRUE(IsWindow(main));
    std::vector<HWND> targets{main};
    EnumChildWindows(main, note_child, reinterpret_cast<LPARAM>(&targets));
    ASSERT_GE(targets.size(), 12u) << "the main window and its eleven gadgets";

    std::vector<uintptr_t> values = {0,
                                     1,
                                     2,
                                     11,
                                     WM_LBUTTONDOWN,
                                     MAKEWPARAM(0, BN_CLICKED),
                                     0xFFFF,
                                     UINTPTR_MAX,
                                     UINTPTR_MAX / 2,
                                     UINTPTR_MAX / 2 + 1,
                                     0xDEADBEEF,
                                     0x10000,
                                     static_cast<uintptr_t>(0xC0DE5EED) * 0x9E3779B1u};
    values.insert(values.end(), live.begin(), live.end());
    for (HWND target : targets) values.push_back(reinterpret_cast<uintptr_t>(target));

    int sent = 0, posted = 0;
    for (int round = 0; round < ROUNDS; ++round) {
        for (HWND target : targets) {
            ASSERT_TRUE(IsWindow(target)) << "a window of the game went away";
            for (UINT message : MESSAGES) {
                for (size_t w = 0; w < values.size(); ++w) {
                    // Each round sends a rotating sixteenth of the pairs and posts a third of those.
                    for (size_t l = 0; l < values.size(); ++l) {
                        const size_t turn = w + 3 * l + static_cast<size_t>(round) * 5;
                        if (turn % 16 != 0) continue;
                        DWORD_PTR answer = 0;
                        sent += SendMessageTimeoutA(target, message, values[w], static_cast<LPARAM>(values[l]),
                                                    SMTO_NORMAL, 10000, &answer) != 0;
                        if (turn % 48 == 0)
                            posted += PostMessageA(target, message, values[w], static_cast<LPARAM>(values[l])) != 0;
                    }
                }
            }
        }
    }
    std::printf("foreign program: %d sent, %d posted\n", sent, posted);
    EXPECT_GT(sent, 0);
    EXPECT_GT(posted, 0);
}

// ---- The game -----------------------------------------------------------------------

std::string hex(const void* value) {
    char text[32];
    std::snprintf(text, sizeof text, "%llx ", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(value)));
    return text;
}

// Runs the other program to its end with the game's loop served; its exit code.
DWORD run_foreign_program() {
    char program[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, program, sizeof program);
    std::string command =
        std::string("\"") + program + "\" --gtest_also_run_disabled_tests --gtest_filter=ForeignProgram.DISABLED_*";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return static_cast<DWORD>(-1);
    const double deadline = drive::now_ms() + 240000;
    while (MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, 50, QS_ALLINPUT) != WAIT_OBJECT_0) {
        if (drive::run_until_idle() == -1 && drive::run_until_idle() == -1) break;  // the loop keeps waking
        if (drive::now_ms() > deadline) break;
    }
    if (WaitForSingleObject(process.hProcess, 0) != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 99);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

bool heaps_validate() {
    return HeapValidate(general_heap(), 0, nullptr) && HeapValidate(toolkit.record_heap, 0, nullptr) &&
           HeapValidate(GetProcessHeap(), 0, nullptr);
}

TEST(ForeignMessages, TheGameServesThemAllAndScoresOn) {
    ASSERT_TRUE(drive::start_game_once());
    drive::reset_game("1234");
    ASSERT_TRUE(heaps_validate());

    // Live-looking values: a live block of the general heap (with a further
    // block in its sixth word), the event record, a gadget record, the gadget
    // array, a notification header naming the OK button, a stack word, a font.
    constexpr size_t WORDS = 8;
    auto** live = static_cast<void**>(general_alloc(WORDS * sizeof(void*)));
    ASSERT_NE(live, nullptr);
    void* block = general_alloc(64);
    for (size_t i = 0; i < WORDS; ++i) live[i] = live + i;
    live[5] = block;
    NMHDR header{drive::control(GADGET_OK), GADGET_OK, BN_CLICKED};
    uintptr_t stack_word = 0x5EED;
    std::string values = hex(drive::main_window());
    for (const void* value :
         {static_cast<const void*>(live), static_cast<const void*>(block), static_cast<const void*>(event_record()),
          static_cast<const void*>(find_gadget(GADGET_OK)), static_cast<const void*>(toolkit.gadgets->array),
          static_cast<const void*>(&header), static_cast<const void*>(&stack_word),
          static_cast<const void*>(game.font_handles[0])})
        values += hex(value);
    SetEnvironmentVariableA(FOREIGN_VARIABLE, values.c_str());

    EXPECT_EQ(run_foreign_program(), 0u);
    SetEnvironmentVariableA(FOREIGN_VARIABLE, nullptr);
    EXPECT_GE(drive::run_until_idle(), 0);

    EXPECT_TRUE(heaps_validate());
    EXPECT_EQ(event_core()->attached, nullptr) << "a record the toolkit did not hand out became attached";
    ASSERT_NE(HeapSize(general_heap(), 0, live), static_cast<SIZE_T>(-1)) << "the live block was freed";
    ASSERT_NE(HeapSize(general_heap(), 0, block), static_cast<SIZE_T>(-1)) << "its further block was freed";
    for (size_t i = 0; i < WORDS; ++i) {
        if (i != 5) {
            EXPECT_EQ(live[i], live + i) << "word " << i << " of the live block";
        }
    }
    EXPECT_EQ(stack_word, 0x5EEDu);
    general_free(block);
    general_free(live);

    // A miss and a win, as any player would play them.
    ASSERT_TRUE(IsWindow(drive::main_window()));
    set_gadget_text(GADGET_GUESS, "");
    drive::run_until_idle();
    game.secret_pin = "1234";
    const int32_t strikes = game.strikes;
    drive::type_into_guess("5678");
    drive::press_enter();
    EXPECT_EQ(game.strikes, strikes + 1);
    EXPECT_EQ(get_gadget_text(GADGET_STRIKES), drive::count_text(game.strikes, 9));
    EXPECT_EQ(get_gadget_text(GADGET_MESSAGE), "YOU CHOSE POORLY");
    EXPECT_EQ(get_gadget_item_text(GADGET_DISPLAY, 0), "* Strike: 5678 has no correct digits");
    drive::type_into_guess("1234");
    drive::press_enter();
    EXPECT_EQ(get_gadget_text(GADGET_MESSAGE), "Enter Another PIN");
    EXPECT_EQ(get_gadget_text(GADGET_STRIKES), " 0");
    EXPECT_EQ(get_gadget_text(GADGET_BALLS), " 0");
    EXPECT_TRUE(heaps_validate());
}

}  // namespace
