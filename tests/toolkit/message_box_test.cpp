// test-lock: desktop
// The message box disables the calling thread's other windows while it is up, and only those.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "tests/support/test_support.h"
#include "toolkit/process.h"

namespace {

constexpr char window_class[] = "VelmoraMessageBoxTest";
constexpr char caption[] = "Velmora Meldung";

HWND make_window(const char* title, bool visible)
{
    static bool registered = [] {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = window_class;
        return RegisterClassA(&wc) != 0;
    }();
    if (!registered)
        return nullptr;
    HWND window = CreateWindowExA(0, window_class, title, WS_POPUP | WS_BORDER, 40, 40, 200, 120,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (window && visible)
        ShowWindow(window, SW_SHOWNOACTIVATE);
    return window;
}

// What another thread sees while the box is up.
struct seen_during_box {
    bool box_found = false;
    bool background_enabled = true;
    bool hidden_enabled = false;
    bool already_disabled_enabled = true;
    bool other_thread_enabled = false;
    HWND owner = nullptr;
};

TEST(ModalMessageBox, DisablesTheThreadsOtherWindowsWhileItIsUp)
{
    init_process_library();
    HWND background = make_window("Hintergrund", true);
    HWND hidden = make_window("Versteckt", false);
    HWND already_disabled = make_window("Gesperrt", true);
    HWND foreground = make_window("Vordergrund", true);
    ASSERT_TRUE(background && hidden && already_disabled && foreground);
    EnableWindow(already_disabled, FALSE);
    ShowWindow(foreground, SW_SHOW);
    SetForegroundWindow(foreground);
    test::pump_messages(100);
    ASSERT_EQ(GetForegroundWindow(), foreground);

    seen_during_box seen;
    std::atomic<HWND> other_thread_window{nullptr};
    std::thread closer([&] {
        HWND mine = make_window("Anderer Thread", true);
        other_thread_window = mine;
        HWND box = test::wait_for_window("#32770", caption, 10000);
        seen.box_found = box != nullptr;
        if (box) {
            seen.background_enabled = IsWindowEnabled(background);
            seen.hidden_enabled = IsWindowEnabled(hidden);
            seen.already_disabled_enabled = IsWindowEnabled(already_disabled);
            seen.other_thread_enabled = IsWindowEnabled(mine);
            seen.owner = GetWindow(box, GW_OWNER);
            PostMessageA(box, WM_COMMAND, IDNO, 0);
        }
        DestroyWindow(mine);
    });
    test::wait_until([&] { return other_thread_window.load() != nullptr; }, 10000);

    const int result = message_box(caption, "Text", MB_YESNO | MB_ICONQUESTION);
    closer.join();

    ASSERT_TRUE(seen.box_found);
    EXPECT_EQ(result, IDNO);  // the button pressed comes back
    EXPECT_FALSE(seen.background_enabled);
    EXPECT_TRUE(seen.hidden_enabled);  // invisible windows are left alone
    EXPECT_FALSE(seen.already_disabled_enabled);
    EXPECT_TRUE(seen.other_thread_enabled);  // so are the windows of other threads
    EXPECT_EQ(seen.owner, foreground);       // the box belongs to our foreground window

    EXPECT_TRUE(IsWindowEnabled(background));  // enabled again afterwards
    EXPECT_TRUE(IsWindowEnabled(hidden));
    EXPECT_TRUE(IsWindowEnabled(foreground));
    EXPECT_FALSE(IsWindowEnabled(already_disabled));  // not enabled by the box

    for (HWND window : {background, hidden, already_disabled, foreground})
        DestroyWindow(window);
}

}  // namespace
