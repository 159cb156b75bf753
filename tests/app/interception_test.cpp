// test-lock: desktop
// The road of one click, driven with SendInput: a left press on the Start button opens the menu;
// everything else goes on to the windows and hooks it was meant for, a window lying over the button
// and, while no menu is on offer, the shell's button among them. The hook heals where Windows 7 is
// strict; rebuilds never keep a click waiting, nor change the menu on screen.

#include <atomic>

#include "app/app_state.h"
#include "app/start_button.h"
#include "tests/support/image_files.h"
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
    int presses_at_shell() { return shell_presses(session_.shell_log); }
    // The last line that begins with action is followed by a fresh hook: one installed, then the
    // one before removed.
    void expect_fresh_hook_after(const std::string& action)
    {
        std::vector<std::string> hooks;
        ASSERT_TRUE(wait_until([&] {
            hooks.clear();
            for (const std::string& line : read_lines(log())) {
                if (line.starts_with(action))
                    hooks = {""};
                else if (!hooks.empty() && line.starts_with("hook "))
                    hooks.push_back(line);
            }
            return hooks.size() >= 3;
        }, 30000)) << action;
        EXPECT_TRUE(hooks[1].starts_with("hook installed ")) << action;
        EXPECT_TRUE(hooks[2].starts_with("hook removed ") && hooks[2].ends_with(" ok")) << action;
    }

    RECT button_ = {};
};

// A low-level hook of another program, installed before Velmora's on a thread of its own, sees
// what Velmora passes on.
std::atomic<int> g_other_hook_presses;
VELMORA_CALLBACK LRESULT CALLBACK other_hook(int code, WPARAM message, LPARAM event)
{
    g_other_hook_presses += code == HC_ACTION && message == WM_LBUTTONDOWN;
    return CallNextHookEx(nullptr, code, message, event);
}
VELMORA_CALLBACK DWORD WINAPI run_other_hook(void* ready)
{
    HHOOK hook = SetWindowsHookExA(WH_MOUSE_LL, other_hook, GetModuleHandleA(nullptr), 0);
    SetEvent(static_cast<HANDLE>(ready));
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0)
        DispatchMessageA(&message);
    return UnhookWindowsHookEx(hook);
}

TEST_F(Interception, EverythingButALeftPressOnTheButtonGoesOn)
{
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DWORD hook_thread_id = 0;
    HANDLE hook_thread = CreateThread(nullptr, 0, run_other_hook, ready, 0, &hook_thread_id);
    ASSERT_EQ(WaitForSingleObject(ready, 30000), WAIT_OBJECT_0);
    start_with_menu();
    const int x = (button_.left + button_.right) / 2, y = (button_.top + button_.bottom) / 2;

    // A left press on it is swallowed, the release that follows is not.
    move_mouse(x, y);
    mouse_button(true);
    ASSERT_TRUE(wait_for_menu(true, 30000));
    close_menu();
    mouse_button(false);
    EXPECT_TRUE(wait_for_lines(session_.shell_log, "button WM_LBUTTONUP", 1, 30000));
    EXPECT_EQ(presses_at_shell(), 0);
    EXPECT_EQ(g_other_hook_presses.load(), 0);

    click(x, y, true);
    EXPECT_TRUE(wait_for_lines(session_.shell_log, "button WM_RBUTTONUP", 1, 30000));
    EXPECT_EQ(count_lines(session_.shell_log, "button WM_RBUTTONDOWN"), 1);
    click(button_.right + 300, button_.top - 300);
    EXPECT_TRUE(wait_until([] { return g_other_hook_presses == 1; }, 30000));
    EXPECT_EQ(menus_shown(), 1);

    // The shell restarts: a new Start button, which the program finds and owns its window by.
    stop_fake_shell(session_);
    ASSERT_TRUE(start_fake_shell(session_));
    ASSERT_TRUE(open_menu());
    close_menu();

    PostThreadMessageA(hook_thread_id, WM_QUIT, 0, 0);
    WaitForSingleObject(hook_thread, 30000);
    CloseHandle(hook_thread);
    CloseHandle(ready);
}

// A click during the first build goes on to the shell's button, whose own menu is better than none;
// during a later one it opens the menu on offer at once. A build handed over while that menu is up
// changes nothing in it: a choice starts what it showed at that place, where the new menu has
// another entry. The first click after the hand-over shows the new menu.
TEST_F(Interception, AClickDuringARebuildOpensTheMenuOnOfferAndTheNextOneTheNewMenu)
{
    shortcut(user_programs() + "Alt.lnk", "alt");
    ASSERT_NO_FATAL_FAILURE(start(
        {.watch_interval_ms = 100, .hold_rebuilds = hold_event(), .settings = {{"VELMORA_PRESS_LIMIT", "600000"}}}));

    ASSERT_TRUE(wait_for_lines(log(), "rebuild begin", 1, 30000));
    click_start_button();
    ASSERT_TRUE(wait_for_lines(session_.shell_log, "button WM_LBUTTONUP", 1, 15000));
    EXPECT_EQ(presses_at_shell(), 1) << "the press did not reach the shell's button";
    let_go();
    ASSERT_TRUE(wait_for_lines(log(), "rebuild end", 1, 30000));
    ASSERT_TRUE(open_menu());
    close_menu();
    EXPECT_EQ(menus_shown(), 1) << "the press during the first build opened a menu as well";
    EXPECT_EQ(presses_at_shell(), 1);

    shortcut(user_programs() + "Aaa.lnk", "aaa");
    ASSERT_TRUE(wait_for_lines(log(), "rebuild begin", 2, 30000));
    const int closed = count_lines(log(), "menu closed");
    ASSERT_TRUE(open_menu());
    EXPECT_EQ(count_lines(log(), "rebuild end"), 1) << "the rebuild ran on";
    let_go();
    // Wine now and then refuses a menu to a build made while another thread tracks a menu: that
    // build is discarded, and the next pass builds again.
    ASSERT_TRUE(wait_until(
        [&] { return count_lines(log(), "rebuild end") + count_lines(log(), "rebuild discarded") > 1; }, 30000));
    for (WORD key : {VK_DOWN, VK_RIGHT, VK_RETURN})
        press_key(key);
    wait_for_menu_closed(closed);
    ASSERT_TRUE(wait_for_launch("alt")) << "the choice in the menu on screen";
    EXPECT_EQ(shown_entries(), (std::vector<std::string>{"Alt", "Administrative Tools", "StartUp"}));
    if (count_lines(log(), "rebuild discarded") > 0) {
        ASSERT_TRUE(wait_for_lines(log(), "rebuild begin", 3, 30000));
        let_go();
    }
    ASSERT_TRUE(wait_for_lines(log(), "rebuild end", 2, 30000));
    choose({0});
    ASSERT_TRUE(wait_for_launch("aaa"));
    EXPECT_EQ(shown_entries(), (std::vector<std::string>{"Aaa", "Alt", "Administrative Tools", "StartUp"}));
    EXPECT_EQ(menus_shown(), 3);
    EXPECT_EQ(launches(), 2);
}

// With many shortcuts to ask the shell about, a plain menu whose entries show the white square is
// handed over at once, then the pictured one, held here until the test lets it go on. Either opens
// and starts the right entries, and the pictured one is what the presses after it open.
TEST_F(Interception, DuringTheFirstBuildAPlainMenuOpensAndThePicturedOneFollows)
{
    // Blau and Rot in Programs, with icons of their colours; 120 copies of Rot in Viele.
    for (const auto& [name, tag, colour] : {std::tuple{"Blau", "blau", RGB(0, 0, 255)}, {"Rot", "rot", RGB(255, 0, 0)}}) {
        const std::string icon = scratch_ + name + ".ico";
        ASSERT_TRUE(write_file(icon, ico_bytes(16, colour, 0)) &&
                    create_shortcut(user_programs() + name + ".lnk", fixture_path("record_launch.exe"),
                                    launch_arguments(tag), "", icon));
    }
    ASSERT_TRUE(make_folders(user_programs() + "Viele"));
    for (int i = 0; i < 120; ++i)
        ASSERT_TRUE(write_file(user_programs() + "Viele\\" + std::to_string(i) + ".lnk", read_file(user_programs() + "Rot.lnk")));
    ASSERT_NO_FATAL_FAILURE(start({.settings = {{"VELMORA_HOLD_PICTURES", hold_event()}}}));
    ASSERT_TRUE(wait_for_lines(log(), "plain menu handed over", 1, 60000));
    choose({0});
    EXPECT_TRUE(wait_for_launch("blau"));
    EXPECT_EQ(lines_containing(log(), "colours=").back(), "colours=ffffff|ffffff|-|-|-");  // white, white, folders
    let_go();
    ASSERT_TRUE(wait_for_lines(log(), "rebuild end", 1, 60000));
    choose({1});
    EXPECT_TRUE(wait_for_launch("rot"));
    EXPECT_EQ(lines_containing(log(), "colours=").back(), "colours=ff0000|0000ff|-|-|-");  // blue, red: 0xBBGGRR
}

// A press waits for a menu to show, but no more than the limit: a menu that came seconds later
// would take the keyboard from whatever the user went on to, and a letter typed there would choose
// one of its items. Served here in this process, before any menu is on offer.
int g_presses_dropped;
TEST(PendingPress, WaitsForAMenuUnlessOlderThanTheLimit)
{
    const app_observer observer = {nullptr, nullptr, [] { ++g_presses_dropped; }};
    g_app.observer = &observer;
    g_app.menu_requested.store(1);
    g_app.requested_at = GetTickCount();
    serve_menu_request();
    EXPECT_EQ(g_app.menu_requested.load(), 1) << "the press was not kept for the menu";
    g_app.requested_at = GetTickCount() - pending_press_limit_ms - 1;
    serve_menu_request();
    EXPECT_EQ(g_app.menu_requested.load(), 0);
    EXPECT_EQ(g_presses_dropped, 1);
    g_app.observer = nullptr;
}

// A window lying over the taskbar (a full-screen video, a game, a slide show) keeps the presses
// made on it where the Start button lies; with it gone, the same press opens the menu.
int g_cover_presses;
LRESULT CALLBACK cover_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    g_cover_presses += message == WM_LBUTTONDOWN;
    return DefWindowProcA(window, message, wparam, lparam);
}

TEST_F(Interception, AWindowOverTheButtonKeepsItsPresses)
{
    start_with_menu();
    WNDCLASSA cover_class = {};
    cover_class.lpfnWndProc = cover_procedure;
    cover_class.hInstance = GetModuleHandleA(nullptr);
    cover_class.lpszClassName = "VelmoraTestCover";
    ASSERT_TRUE(RegisterClassA(&cover_class));
    HWND cover = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, cover_class.lpszClassName, "", WS_POPUP | WS_VISIBLE,
                                 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr,
                                 cover_class.hInstance, nullptr);
    const POINT centre = {(button_.left + button_.right) / 2, (button_.top + button_.bottom) / 2};
    ASSERT_TRUE(wait_until([&] { return WindowFromPoint(centre) == cover; }, 30000));

    click_start_button();
    EXPECT_TRUE(wait_until([] { return g_cover_presses == 1; }, 30000)) << "the press did not reach the window";
    DestroyWindow(cover);
    ASSERT_TRUE(open_menu());
    close_menu();
    EXPECT_EQ(menus_shown(), 1) << "the press on the window opened the menu as well";
    EXPECT_EQ(presses_at_shell(), 0);
}

// Pressed while the menu is open, the Start button closes it, as the shell's own button closes its
// menu; the press opens neither the shell's menu nor a second one of ours. So it does while the
// menu is on its way: here the shell is slow to tell the taskbar's edge. The menu stays clear of
// the button wherever it opens.
TEST_F(Interception, StartClosesTheOpenMenuAndTheNextPressOpensItAgain)
{
    start_with_menu({.settings = {{"VELMORA_HOLD_TASKBAR", hold_event()}}});
    click_start_button();
    ASSERT_TRUE(wait_for_lines(log(), "taskbar_edge", 1, 30000));
    click_start_button();
    ASSERT_TRUE(wait_for_lines(session_.shell_log, "button WM_LBUTTONUP", 2, 30000));  // both presses went by
    const int installed = count_lines(log(), "hook installed");
    let_go();
    // The main loop has gone round since, and the renewal of its hook says so.
    ASSERT_TRUE(wait_for_lines(log(), "hook installed", installed + 1, 30000));
    EXPECT_FALSE(visible_menu_window()) << "the second press left the menu open";
    EXPECT_EQ(menus_shown(), 0);

    let_go();  // for the next menu
    ASSERT_TRUE(open_menu());
    RECT covered = {}, overlap = {};
    GetWindowRect(visible_menu_window(), &covered);
    EXPECT_FALSE(IntersectRect(&overlap, &covered, &button_)) << "the menu covers the Start button";
    const int closed = count_lines(log(), "menu closed");
    click_start_button();
    wait_for_menu_closed(closed);
    ASSERT_TRUE(wait_for_lines(log(), "hook installed", count_lines(log(), "hook installed") + 2, 30000));
    EXPECT_EQ(menus_shown(), 1) << "the press left a request behind";
    EXPECT_EQ(presses_at_shell(), 0);

    let_go();
    ASSERT_TRUE(open_menu());
    close_menu();
    EXPECT_EQ(menus_shown(), 2);
}

// Windows 7 silently removes a hook that once answered too slowly, and may refuse the foreground;
// the recording build does both: the menu still gets the keyboard and closes on a click elsewhere,
// the hook is back within seconds, and an action from the menu or from a window is followed by a
// fresh hook.
TEST_F(Interception, TheMenuHealsARemovedHookAndARefusedForeground)
{
    shortcut(user_programs() + "Eins.lnk", "eins");
    start_with_menu({.settings = {{"VELMORA_DROP_HOOK", "1"}, {"VELMORA_REFUSE_FOREGROUND", "1"}}});

    ASSERT_TRUE(open_menu());
    EXPECT_TRUE(wait_for_lines(log(), "foreground refused", 1, 15000));
    close_menu();  // Escape: the menu has the keyboard

    ASSERT_TRUE(wait_for_lines(log(), "hook dropped", 1, 15000));
    const int installed = count_lines(log(), "hook installed");
    ASSERT_TRUE(wait_for_lines(log(), "hook installed", installed + 1, 30000)) << "the hook stays away";
    ASSERT_TRUE(open_menu());
    const int closed = count_lines(log(), "menu closed");
    click(button_.right + 400, button_.top - 300);  // somewhere else on the screen
    wait_for_menu_closed(closed);

    choose({0});
    ASSERT_TRUE(wait_for_launch("eins"));
    expect_fresh_hook_after("run_program file=" + user_programs() + "Eins.lnk");
    HWND about = choose_about();
    ASSERT_NE(about, nullptr);
    RECT link = {};
    GetWindowRect(GetDlgItem(about, 10), &link);
    click(link.left + 10, (link.top + link.bottom) / 2);
    expect_fresh_hook_after("open_with_shell file=http://velmora.example/");
}

}  // namespace
