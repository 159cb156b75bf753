// test-lock: desktop
// The window library on the screen, driven by real input: Tab and Shift+Tab, and a button click.
// A choice in a popup menu is driven end to end in tests/app/commands_test.cpp.

#include <gtest/gtest.h>

#include "tests/support/test_support.h"
#include "tests/support/toolkit_events.h"

namespace {

TEST(WindowInput, TabCyclesThroughTheTabStopsAndAClickGivesAControlEvent)
{
    test::init_window_toolkit();
    test::drain_events();
    open_window(1, 0, 0, 300, 200, "Eingabe", window_centre_screen);
    HWND window = window_handle(1);
    HWND first = create_button_control(1, 10, 10, 80, 24, "Eins", 0);
    create_text_control(2, 10, 40, 80, 20, "kein Halt", 0);
    HWND second = create_button_control(3, 10, 70, 80, 24, "Zwei", 0);
    EnableWindow(create_button_control(4, 10, 100, 80, 24, "Aus", 0), FALSE);
    HWND third = create_button_control(5, 10, 130, 80, 24, "Drei", 0);
    SetForegroundWindow(window);
    ASSERT_TRUE(test::wait_until([&] { test::collect_events(20); return GetForegroundWindow() == window; }, 2000));

    struct {
        bool shift;
        HWND expected;
    } const steps[] = {
        {false, first},  // focus on no child: the first tab stop
        {false, second}, {false, third},
        {false, first},  // wraps past the disabled button to the first
        {true, third},   // and back over the start
        {true, second},
    };
    for (const auto& s : steps) {
        test::press_key(VK_TAB, s.shift);
        HWND focus = nullptr;
        test::wait_until([&] { test::collect_events(20); return (focus = GetFocus()) == s.expected; }, 2000);
        EXPECT_EQ(focus, s.expected) << "step " << (&s - steps);
    }

    RECT rect;
    GetWindowRect(third, &rect);
    test::click((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    test::toolkit_event event = {};
    ASSERT_TRUE(test::wait_for_event(control_event, 3000, &event));
    EXPECT_EQ(event.item, 5);
    EXPECT_EQ(event.type, click_event_type);
    EXPECT_EQ(event.window, 1);
    close_all_windows();
}

}  // namespace
