// test-lock: desktop
// The road of one click: a left press on the taskbar's Start button, swallowed by Velmora's mouse
// hook, opens Velmora's menu at the corner the taskbar's edge selects; everything else goes on to
// the windows and hooks it was meant for. Driven with SendInput from this separate process.

#include <algorithm>
#include <atomic>
#include <string>

#include "tests/support/scenario.h"

namespace {

using namespace test;

class Interception : public Scenario {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(Scenario::SetUp());
        ASSERT_TRUE(start_fake_shell(session_));
        GetWindowRect(fake_start_button(), &button_);
    }

    // Starts the recording build; with many shortcuts its first rebuild takes a while, and the
    // start returns as soon as that rebuild has begun, else when the first menu is built.
    void start_recording(start_options options = {}, int shortcuts = 0)
    {
        const std::string folder = user_programs() + "Many\\";
        for (int i = 0; i < shortcuts; ++i) {
            const std::string name = folder + "Entry " + std::to_string(i) + ".lnk";
            ASSERT_TRUE(i ? CopyFileA((folder + "Entry 0.lnk").c_str(), name.c_str(), FALSE)
                          : make_folders(folder) && create_shortcut(name, fixture_path("record_launch.exe"), "", ""));
        }
        ASSERT_NO_FATAL_FAILURE(start(options));
        ASSERT_TRUE(wait_for_lines(log(), shortcuts ? "rebuild begin" : "rebuild end", 1, 30000));
    }
    void start_recording_at(int edge)
    {
        start_options options;
        options.taskbar_edge = edge;
        start_recording(options);
    }
    // The action's line (the last one that begins with action) is followed by a fresh hook: one
    // installed, then the one before removed.
    void expect_fresh_hook_after(const std::string& action)
    {
        std::vector<std::string> hooks;
        EXPECT_TRUE(wait_until([&] {
            hooks.clear();
            bool after = false;
            for (const std::string& line : read_lines(log())) {
                if (line.rfind(action, 0) == 0) {
                    after = true;
                    hooks.clear();
                } else if (after && line.rfind("hook ", 0) == 0) {
                    hooks.push_back(line);
                }
            }
            return hooks.size() >= 2;
        }, 10000)) << action;
        ASSERT_GE(hooks.size(), 2u) << action;
        EXPECT_EQ(hooks[0].rfind("hook installed ", 0), 0u) << action;
        EXPECT_EQ(hooks[1].rfind("hook removed ", 0), 0u) << action;
        EXPECT_NE(hooks[1].find(" ok"), std::string::npos) << action;
    }
    int menus_shown() { return count_lines(log(), "menu shown"); }
    int shell_lines(const char* text) { return count_lines(session_.shell_log, text); }

    RECT button_ = {};
};

TEST_F(Interception, StartButtonOpensTheMenuAtTheCornerOfTheTaskbarEdge)
{
    const struct {
        int edge;
        bool shown;
        int y_offset;
    } rows[] = {
        {ABE_BOTTOM, true, 0}, {ABE_LEFT, true, 30}, {ABE_TOP, true, 30}, {ABE_RIGHT, true, 0},
        {7, false, 0},  // no edge the shell knows: nothing is shown, the request is dropped
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.edge);
        start_recording_at(row.edge);
        click_start_button();
        ASSERT_TRUE(wait_for_lines(log(), "taskbar_edge", 1, 5000));
        if (row.shown) {
            ASSERT_TRUE(wait_for_menu(true, 5000));
            const std::string expected = "menu shown x=" + std::to_string(button_.left) +
                                         " y=" + std::to_string(button_.top + row.y_offset);
            EXPECT_EQ(count_lines(log(), expected), 1);
            RECT menu = {};
            GetWindowRect(visible_menu_window(), &menu);
            EXPECT_EQ(menu.left, button_.left);
            press_key(VK_ESCAPE);
            ASSERT_TRUE(wait_for_menu(false, 5000));
        }
        // Served once: the request was cleared whatever happened.
        pump_messages(300);
        EXPECT_EQ(menus_shown(), row.shown ? 1 : 0);
        EXPECT_EQ(count_lines(log(), "taskbar_edge"), 1);
        EXPECT_EQ(shell_lines("button WM_LBUTTONDOWN"), 0) << "the press was swallowed";
        EXPECT_EQ(close_velmora(session_), 0);
    }
}

// A low-level hook of another program, installed before Velmora's, sees what Velmora passes on.
// It lives on a thread of its own, as in another program: a hook is called on the thread that
// installed it, which must not be the one that injects the input.
std::atomic<int> g_other_hook_presses, g_target_presses;
HHOOK g_other_hook;
LRESULT CALLBACK other_hook(int code, WPARAM message, LPARAM event)
{
    g_other_hook_presses += code == HC_ACTION && message == WM_LBUTTONDOWN;
    return CallNextHookEx(g_other_hook, code, message, event);
}
DWORD WINAPI run_other_hook(void* ready)
{
    g_other_hook = SetWindowsHookExA(WH_MOUSE_LL, other_hook, GetModuleHandleA(nullptr), 0);
    SetEvent(static_cast<HANDLE>(ready));
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0)
        DispatchMessageA(&message);
    UnhookWindowsHookEx(g_other_hook);
    return 0;
}
LRESULT CALLBACK target_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    g_target_presses += message == WM_LBUTTONDOWN;
    return DefWindowProcA(window, message, wparam, lparam);
}

TEST_F(Interception, EverythingButALeftPressOnTheButtonGoesOn)
{
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DWORD hook_thread_id = 0;
    HANDLE hook_thread = CreateThread(nullptr, 0, run_other_hook, ready, 0, &hook_thread_id);
    ASSERT_EQ(WaitForSingleObject(ready, 5000), WAIT_OBJECT_0);
    CloseHandle(ready);
    ASSERT_NE(g_other_hook, nullptr);
    start_recording();
    const int x = (button_.left + button_.right) / 2, y = (button_.top + button_.bottom) / 2;

    // A left press on it is swallowed: neither the button nor the other hook sees it; the release
    // that follows reaches the button.
    move_mouse(x, y);
    mouse_button(true);
    ASSERT_TRUE(wait_for_menu(true, 5000));
    press_key(VK_ESCAPE);
    ASSERT_TRUE(wait_for_menu(false, 5000));
    mouse_button(false);
    EXPECT_TRUE(wait_for_lines(session_.shell_log, "button WM_LBUTTONUP", 1, 3000));
    EXPECT_EQ(shell_lines("button WM_LBUTTONDOWN"), 0);
    EXPECT_EQ(g_other_hook_presses.load(), 0);

    // A right click on the Start button reaches the button and opens nothing.
    click(x, y, true);
    EXPECT_TRUE(wait_for_lines(session_.shell_log, "button WM_RBUTTONUP", 1, 3000));
    EXPECT_EQ(shell_lines("button WM_RBUTTONDOWN"), 1);
    pump_messages(300);
    EXPECT_EQ(menus_shown(), 1) << "no menu of its own";

    // A left click elsewhere reaches the window under the cursor and the other hook. (The window
    // comes last: under Wine a visible window of this process would take the release above.)
    WNDCLASSA target_class = {};
    target_class.lpfnWndProc = target_procedure;
    target_class.hInstance = GetModuleHandleA(nullptr);
    target_class.lpszClassName = "InterceptionTarget";
    RegisterClassA(&target_class);
    HWND target = CreateWindowExA(WS_EX_TOPMOST, "InterceptionTarget", "target", WS_POPUP | WS_VISIBLE, 400, 300,
                                  200, 100, nullptr, nullptr, target_class.hInstance, nullptr);
    ASSERT_NE(target, nullptr);
    pump_messages(200);
    click(500, 350);
    EXPECT_TRUE(wait_until([] { return g_target_presses == 1; }, 3000));
    EXPECT_EQ(g_other_hook_presses.load(), 1);

    PostThreadMessageA(hook_thread_id, WM_QUIT, 0, 0);
    WaitForSingleObject(hook_thread, 5000);
    CloseHandle(hook_thread);
    DestroyWindow(target);
}

// The watcher builds a new menu beside the one on offer. A click during the first build is held
// until its menu is there; a click during a later one opens the menu on offer at once, and a
// choice in it starts what it showed; the first click after the hand-over shows the new menu.
TEST_F(Interception, AClickDuringARebuildOpensTheMenuOnOfferAndTheNextOneTheNewMenu)
{
    shortcut(user_programs() + "Alt.lnk", "alt");
    const std::string hold_name = "velmora-hold-" + std::to_string(GetCurrentProcessId());
    HANDLE hold = CreateEventA(nullptr, FALSE, FALSE, hold_name.c_str());
    on_cleanup([hold] { CloseHandle(hold); });
    start_options options;
    options.hold_rebuilds = hold_name;
    options.watch_interval_ms = 100;
    ASSERT_NO_FATAL_FAILURE(start(options));
    on_cleanup([hold] { SetEvent(hold); SetEvent(hold); });  // nothing waits for ever

    ASSERT_TRUE(wait_for_lines(log(), "rebuild begin", 1, 30000));
    click_start_button();
    pump_messages(300);
    EXPECT_EQ(menus_shown(), 0) << "a menu before the first one was built";
    SetEvent(hold);
    ASSERT_TRUE(wait_for_menu(true, 10000)) << "the click waited in vain";
    EXPECT_EQ(count_lines(log(), "rebuild end"), 1);
    press_key(VK_ESCAPE);
    ASSERT_TRUE(wait_for_menu(false, 5000));

    shortcut(user_programs() + "Neu.lnk", "neu");
    ASSERT_TRUE(wait_for_lines(log(), "rebuild begin", 2, 30000));
    choose({0});
    ASSERT_TRUE(wait_for_launch("alt")) << "the choice in the menu on offer";
    EXPECT_EQ(count_lines(log(), "rebuild end"), 1) << "the rebuild ran on";
    EXPECT_EQ(shown_entries(), (std::vector<std::string>{"Alt", "Administrative Tools", "StartUp"}));

    SetEvent(hold);
    ASSERT_TRUE(wait_for_lines(log(), "rebuild end", 2, 30000));
    choose({1});
    ASSERT_TRUE(wait_for_launch("neu"));
    EXPECT_EQ(shown_entries(), (std::vector<std::string>{"Alt", "Neu", "Administrative Tools", "StartUp"}));
    EXPECT_EQ(menus_shown(), 3);
    EXPECT_EQ(launches(), 2);
}

// Windows 7 removes a hook that once answered too slowly and never says so; the foreground may be
// refused to a process whose window did not get the last input. The recording build does both to
// the program, as Windows would: the menu still gets the keyboard and closes on a click elsewhere,
// the hook is back within seconds, and every action is followed by a fresh hook.
TEST_F(Interception, TheMenuHealsARemovedHookAndARefusedForeground)
{
    shortcut(user_programs() + "Eins.lnk", "eins");
    start_options options;
    options.switches = {"VELMORA_DROP_HOOK", "VELMORA_REFUSE_FOREGROUND"};
    start_recording(options);

    click_start_button();
    ASSERT_TRUE(wait_for_menu(true, 5000));
    EXPECT_TRUE(wait_for_lines(log(), "foreground refused", 1, 5000));
    press_key(VK_ESCAPE);
    ASSERT_TRUE(wait_for_menu(false, 5000)) << "the menu did not get the keyboard";

    ASSERT_TRUE(wait_for_lines(log(), "hook dropped", 1, 5000));
    const int installed = count_lines(log(), "hook installed");
    const DWORD dropped = GetTickCount();
    ASSERT_TRUE(wait_for_lines(log(), "hook installed", installed + 1, 15000)) << "the hook stays away";
    EXPECT_LE(GetTickCount() - dropped, 6000u) << "the hook came back late";
    click_start_button();
    ASSERT_TRUE(wait_for_menu(true, 5000));
    click(button_.right + 400, button_.top - 300);  // somewhere else on the screen
    ASSERT_TRUE(wait_for_menu(false, 5000)) << "an outside click left the menu open";

    choose({0});
    ASSERT_TRUE(wait_for_launch("eins"));
    expect_fresh_hook_after("run_program file=" + user_programs() + "Eins.lnk");
    choose_top_item(2);  // "Suchen"
    expect_fresh_hook_after("shell_execute verb=find");
    choose_top_item(10);  // "Informationen"
    HWND about = nullptr;
    ASSERT_TRUE(wait_until([&] { return (about = FindWindowA("WindowClass_1", "Informationen")) != nullptr; }, 10000));
    RECT link = {};
    GetWindowRect(GetDlgItem(about, 10), &link);
    click(link.left + 10, (link.top + link.bottom) / 2);
    expect_fresh_hook_after("run_program file=http://velmora.example/");
    EXPECT_EQ(close_velmora(session_), 0);
}

TEST_F(Interception, APressGoesOnWhenTheCursorCannotBeRead)
{
    start_options options;
    options.switches = {"VELMORA_CURSOR_FAILS"};
    start_recording(options);
    click_start_button();
    ASSERT_TRUE(wait_for_lines(session_.shell_log, "button WM_LBUTTONUP", 1, 5000));
    EXPECT_EQ(shell_lines("button WM_LBUTTONDOWN"), 1) << "the press reached the button";
    EXPECT_EQ(count_lines(log(), "cursor refused"), 1);
    EXPECT_EQ(menus_shown(), 0);
    EXPECT_EQ(close_velmora(session_), 0);
}

TEST_F(Interception, TheStartButtonWorksAgainAfterTheShellRestarts)
{
    start_recording();
    stop_fake_shell(session_);
    ASSERT_EQ(fake_start_button(), nullptr);
    pump_messages(300);
    ASSERT_TRUE(start_fake_shell(session_));
    click_start_button();
    ASSERT_TRUE(wait_for_menu(true, 5000));
    EXPECT_EQ(menus_shown(), 1);
    press_key(VK_ESCAPE);
    ASSERT_TRUE(wait_for_menu(false, 5000));
    EXPECT_EQ(close_velmora(session_), 0);
}

TEST_F(Interception, QuittingDuringARebuildStillEndsWithExitCodeZero)
{
    start_recording({}, 600);
    EXPECT_EQ(close_velmora(session_, 20000), 0);
}

}  // namespace
