// test-lock: desktop
// The window and control libraries on the screen, driven by real input: Tab and Shift+Tab, a
// button click, and the image control's clicks and double clicks. A choice in a popup menu is
// driven end to end in tests/app/commands_test.cpp; the hyperlink's hover colour, underline and
// cursor, and its clicks, in tests/about/about_window_test.cpp.

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


TEST(ControlInput, ImageReportsClicksDoubleClicksAndRightClicks)
{
    test::init_window_toolkit();
    open_window(1, 0, 0, 300, 250, "Informationen", window_centre_screen);
    HWND window = window_handle(1);
    SetForegroundWindow(window);
    ASSERT_TRUE(test::wait_until([&] { return GetForegroundWindow() == window; }, 2000));
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof info.bmiHeader, 100, 40, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP banner = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HWND image = create_image_control(1, 10, 10, 0, 0, banner, 0);
    test::collect_events(100);
    POINT middle = {50, 20};
    ClientToScreen(image, &middle);

    const struct {
        const char* what;
        bool right;
        int clicks;
        int events[4];  // click, right click, double click, right double click; -1 not counted
    } rows[] = {
        {"left click", false, 1, {1, 0, 0, 0}},
        {"left double click", false, 2, {-1, 0, 1, 0}},  // the platform's click count is its own
        {"right click", true, 1, {0, 1, 0, 0}},
        {"right double click: its second release raises nothing", true, 2, {0, 1, 0, 1}},
        {"right click after a right double click", true, 1, {0, 1, 0, 0}},
    };
    const int32_t types[] = {click_event_type, right_click_event_type, double_click_event_type,
                             right_double_click_event_type};
    for (const auto& row : rows) {
        Sleep(GetDoubleClickTime() + 100);  // apart from the clicks before
        for (int i = 0; i < row.clicks; ++i)
            test::click(middle.x, middle.y, row.right);
        auto events = test::collect_events(400);
        for (int t = 0; t < 4; ++t) {
            if (row.events[t] >= 0) {
                EXPECT_EQ(test::count_events(events, control_event, types[t]), row.events[t]) << row.what << " " << t;
            }
        }
        EXPECT_EQ(test::count_events(events, control_event, drag_start_event_type), 0) << row.what;
        for (const auto& event : events)
            EXPECT_TRUE(event.item == 1 && event.window == 1) << row.what;
    }
    close_all_windows();
    DeleteObject(banner);
}

}  // namespace
