// test-lock: desktop
// The window library on the screen, driven by real input: Tab and Shift+Tab, a button click and a
// choice in a popup menu.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "tests/support/test_support.h"
#include "tests/support/toolkit_events.h"

namespace {

class WindowInput : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::init_window_toolkit();
        test::drain_events();
    }
    void TearDown() override
    {
        close_all_windows();
        test::drain_events();
    }

    // Runs the event loop for a while, as the program's main loop does.
    static void run_events(DWORD ms) { test::collect_events(ms); }

    static HWND open_shown(int32_t number, int width, int height)
    {
        open_window(number, 0, 0, width, height, "Eingabe", window_centre_screen);
        HWND window = window_handle(number);
        SetForegroundWindow(window);
        run_events(100);
        return window;
    }

    static POINT centre_of(HWND control)
    {
        RECT rect;
        GetWindowRect(control, &rect);
        return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    }
};

TEST_F(WindowInput, TabAndShiftTabCycleThroughTheTabStops)
{
    HWND window = open_shown(1, 300, 200);
    HWND first = create_button_control(1, 10, 10, 80, 24, "Eins", 0);
    create_text_control(2, 10, 40, 80, 20, "kein Halt", 0);
    HWND second = create_button_control(3, 10, 70, 80, 24, "Zwei", 0);
    HWND disabled = create_button_control(4, 10, 100, 80, 24, "Aus", 0);
    EnableWindow(disabled, FALSE);
    HWND third = create_button_control(5, 10, 130, 80, 24, "Drei", 0);
    ASSERT_TRUE(test::wait_until([&] { return GetForegroundWindow() == window; }, 2000));

    struct {
        bool shift;
        HWND expected;
    } const steps[] = {
        {false, first},  // focus on no child: the first tab stop
        {false, second}, {false, third},
        {false, first},  // wraps past the disabled button to the first
        {true, third},   // and back over the start
        {true, second},
        {true, first},
    };
    int step = 0;
    for (const auto& s : steps) {
        test::press_key(VK_TAB, s.shift);
        HWND focus = nullptr;
        test::wait_until([&] {
            run_events(20);
            return (focus = GetFocus()) == s.expected;
        }, 2000);
        EXPECT_EQ(focus, s.expected) << "step " << step;
        ++step;
    }
}

TEST_F(WindowInput, ButtonClickGivesAControlEvent)
{
    open_shown(1, 300, 250);
    HWND button = create_button_control(12, 190, 220, 100, 20, "Schließen", 0);
    run_events(100);
    POINT at = centre_of(button);
    test::click(at.x, at.y);
    test::toolkit_event event = {};
    ASSERT_TRUE(test::wait_for_event(control_event, 3000, &event));
    EXPECT_EQ(event.item, 12);
    EXPECT_EQ(event.type, click_event_type);
    EXPECT_EQ(event.window, 1);
}

// Shows a popup menu owned by the invisible window 0, while another thread clicks its first item.
class PopupMenu : public WindowInput {
protected:
    void SetUp() override
    {
        WindowInput::SetUp();
        open_window(0, 0, 0, 0, 0, "Velmora 1.0.0", window_invisible);
        owner = window_handle(0);
        menu = CreatePopupMenu();
        AppendMenuA(menu, MF_STRING, 7, "Sieben");
        AppendMenuA(menu, MF_STRING, 10010, "Velmora beenden");
    }
    void TearDown() override
    {
        DestroyMenu(menu);
        WindowInput::TearDown();
    }

    void track_and_choose_first()
    {
        std::atomic<bool> acted{false};
        std::thread driver([&] {
            HWND shown = test::wait_for_window("#32768", nullptr, 3000);
            if (!shown)
                return;
            Sleep(100);
            RECT frame;
            if (GetWindowRect(shown, &frame)) {
                // Two items of equal height: the first fills the upper half.
                test::click(frame.left + 20, frame.top + (frame.bottom - frame.top) / 4);
            } else {
                PostMessageA(owner, WM_CANCELMODE, 0, 0);  // never leave the menu loop hanging
            }
            acted = true;
        });
        SetForegroundWindow(owner);
        TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON, 200, 200, 0, owner,
                       nullptr);
        PostMessageA(owner, WM_NULL, 0, 0);
        driver.join();
        EXPECT_TRUE(acted);
    }

    HWND owner = nullptr;
    HMENU menu = nullptr;
};

TEST_F(PopupMenu, AChosenItemArrivesAsAMenuEvent)
{
    track_and_choose_first();
    test::toolkit_event event = {};
    ASSERT_TRUE(test::wait_for_event(menu_event, 3000, &event));
    EXPECT_EQ(event.item, 7);
    EXPECT_EQ(event.window, 0);
}

}  // namespace
