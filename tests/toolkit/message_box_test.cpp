// test-lock: desktop
// The message box disables the calling thread's other windows while it is up, and only those.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "tests/support/test_support.h"
#include "toolkit/process.h"

namespace {

constexpr char caption[] = "Velmora Meldung";

HWND make_window(bool visible)
{
    HWND window = CreateWindowExA(0, "Static", "", WS_POPUP | WS_BORDER, 40, 40, 200, 120, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    if (window && visible)
        ShowWindow(window, SW_SHOWNOACTIVATE);
    return window;
}

TEST(ModalMessageBox, DisablesTheThreadsOtherVisibleWindowsWhileItIsUp)
{
    init_process_library();
    HWND background = make_window(true);
    HWND hidden = make_window(false);
    HWND already_disabled = make_window(true);
    HWND foreground = make_window(true);
    ASSERT_TRUE(background && hidden && already_disabled && foreground);
    EnableWindow(already_disabled, FALSE);
    SetForegroundWindow(foreground);
    test::pump_messages(100);
    ASSERT_EQ(GetForegroundWindow(), foreground);

    // What another thread, with a window of its own, sees while the box is up.
    std::atomic<HWND> other_thread_window{nullptr};
    HWND box = nullptr, owner = nullptr;
    BOOL enabled[4] = {TRUE, FALSE, TRUE, FALSE};  // background, hidden, already disabled, other thread
    std::thread closer([&] {
        HWND mine = make_window(true);
        other_thread_window = mine;
        box = test::wait_for_window("#32770", caption, 10000);
        if (box) {
            HWND watched[] = {background, hidden, already_disabled, mine};
            for (int i = 0; i < 4; ++i)
                enabled[i] = IsWindowEnabled(watched[i]);
            owner = GetWindow(box, GW_OWNER);
            PostMessageA(box, WM_COMMAND, IDNO, 0);
        }
        DestroyWindow(mine);
    });
    test::wait_until([&] { return other_thread_window.load() != nullptr; }, 10000);
    const int result = message_box(caption, "Text", MB_YESNO | MB_ICONQUESTION);
    closer.join();

    ASSERT_NE(box, nullptr);
    EXPECT_EQ(result, IDNO);  // the button pressed comes back
    EXPECT_FALSE(enabled[0]);
    EXPECT_TRUE(enabled[1]);   // invisible windows are left alone
    EXPECT_FALSE(enabled[2]);
    EXPECT_TRUE(enabled[3]);   // so are the windows of other threads
    EXPECT_EQ(owner, foreground);  // the box belongs to our foreground window
    EXPECT_TRUE(IsWindowEnabled(background) && IsWindowEnabled(hidden) && IsWindowEnabled(foreground));
    EXPECT_FALSE(IsWindowEnabled(already_disabled));  // not enabled by the box
    for (HWND window : {background, hidden, already_disabled, foreground})
        DestroyWindow(window);
}

}  // namespace
