// The window library with windows that are never shown: numbers, styles, positions and the events
// that messages sent or posted to the windows turn into.

#include <gtest/gtest.h>

#include <string>

#include "tests/support/test_support.h"
#include "tests/support/toolkit_events.h"
#include "toolkit/numbered_table.h"

namespace {

class WindowLibrary : public ::testing::Test {
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

    static HWND open_hidden(int32_t number, int width = 200, int height = 100, uint32_t flags = 0,
                            HWND owner = nullptr)
    {
        open_window(number, 10, 10, width, height, "Test", window_invisible | flags, owner);
        return window_handle(number);
    }
    // The next event's code and the window it names, as "code@window".
    static std::string next_event()
    {
        int32_t code = wait_event(0);
        return std::to_string(code) + "@" + std::to_string(event_window());
    }
};

TEST_F(WindowLibrary, WaitReturnsNothingAtOnceOrAfterTheTimeout)
{
    DWORD start = GetTickCount();
    EXPECT_EQ(wait_event(0), no_event);
    EXPECT_LT(GetTickCount() - start, 50u);

    // A stray message ends a wait early; a few tries find one that times out.
    DWORD waited = 0;
    for (int attempt = 0; attempt < 20; ++attempt) {
        start = GetTickCount();
        int32_t code = wait_event(100);
        waited = GetTickCount() - start;
        if (code == no_event)
            break;
    }
    EXPECT_GE(waited, 80u);  // the tick count is coarse
    EXPECT_LT(waited, 1000u);
}

TEST_F(WindowLibrary, CloseRequestsBecomeCloseEventsAndTheWindowStays)
{
    HWND main = open_hidden(0);
    HWND about = open_hidden(1);
    test::drain_events();

    SendMessageA(main, WM_CLOSE, 0, 0);  // sent twice before the next wait: one event
    SendMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(next_event(), "16@0");
    EXPECT_EQ(wait_event(0), no_event);
    EXPECT_EQ(window_handle(0), main);

    PostMessageA(main, WM_CLOSE, 0, 0);  // posted: the retrieved message, then the queued event
    EXPECT_EQ(next_event(), "16@0");
    EXPECT_EQ(next_event(), "16@0");
    EXPECT_EQ(wait_event(0), no_event);

    SendMessageA(main, WM_CLOSE, 0, 0);  // only a direct repetition collapses
    SendMessageA(about, WM_CLOSE, 0, 0);
    SendMessageA(main, WM_CLOSE, 0, 0);
    for (const char* expected : {"16@0", "16@1", "16@0"})
        EXPECT_EQ(next_event(), expected);
    EXPECT_EQ(wait_event(0), no_event);
    EXPECT_TRUE(IsWindow(main));
}

TEST_F(WindowLibrary, CommandsBecomeMenuAndControlEvents)
{
    HWND window = open_hidden(3);
    HWND button = create_button_control(12, 5, 5, 80, 20, "Knopf", 0);
    ASSERT_NE(button, nullptr);
    test::drain_events();

    SendMessageA(window, WM_COMMAND, 10009, 0);  // as a menu sends it
    EXPECT_EQ(next_event(), "13101@3");
    EXPECT_EQ(event_menu_item(), 10009);
    EXPECT_EQ(event_type(), -1);
    PostMessageA(window, WM_COMMAND, 42, 0);  // through the queue
    EXPECT_EQ(next_event(), "13101@3");
    EXPECT_EQ(event_menu_item(), 42);

    SendMessageA(window, WM_COMMAND, MAKEWPARAM(focus_next_command, 1), 0);  // moves the focus only
    EXPECT_EQ(wait_event(0), no_event);

    // A button's click notification (the real click is in window_input_test), and a posted event.
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(12, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    EXPECT_EQ(next_event(), "13100@3");
    EXPECT_EQ(event_control(), 12);
    EXPECT_EQ(event_type(), click_event_type);
    post_control_event(button, drag_start_event_type);
    EXPECT_EQ(next_event(), "13100@3");
    EXPECT_EQ(event_type(), drag_start_event_type);
}

TEST_F(WindowLibrary, NumbersAreReplacedIgnoredWhenFreeAndGrown)
{
    HWND first = open_hidden(1);
    ASSERT_NE(first, nullptr);
    const intptr_t second = open_window(1, 0, 0, 120, 80, "Zweite", window_invisible);
    EXPECT_EQ(second, reinterpret_cast<intptr_t>(window_handle(1)));
    EXPECT_FALSE(IsWindow(first));  // reopening replaced it
    EXPECT_EQ(test::window_class_name(window_handle(1)), "WindowClass_1");

    for (int32_t number : {2, 400, -5, dynamic_number, first_dynamic_id + 12345})
        close_window(number);  // free numbers: nothing happens
    EXPECT_TRUE(IsWindow(window_handle(1)));

    // The table grows to the number plus 16 and keeps what it held.
    const int32_t high = window_table_size() + 4;
    EXPECT_EQ(window_number_of(open_hidden(high)), high);
    EXPECT_EQ(window_table_size(), high + 16);
    EXPECT_TRUE(IsWindow(window_handle(1)));
}

TEST_F(WindowLibrary, InvisibleWindowHasTheTitleBarStyleOnlyAndItsTitleAsBytes)
{
    open_window(0, 0, 0, 200, 100, "Ausführen", window_invisible);
    HWND window = window_handle(0);
    test::pump_messages(50);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(GetWindowLongPtrA(window, GWL_STYLE) & ~LONG_PTR{WS_CLIPSIBLINGS}, LONG_PTR{WS_CAPTION});
    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, 200);
    EXPECT_EQ(client.bottom, 100);
    EXPECT_EQ(test::window_text(window), "Ausf\xFChren");

    // Style bits of its own are passed on, and no title bar is added.
    open_window(0, 0, 0, 50, 50, nullptr, window_invisible | WS_POPUP | WS_BORDER);
    EXPECT_EQ(GetWindowLongPtrA(window_handle(0), GWL_STYLE) & ~LONG_PTR{WS_CLIPSIBLINGS},
              LONG_PTR{WS_POPUP | WS_BORDER});
}

TEST_F(WindowLibrary, CentresOnTheScreenAndOnTheOwner)
{
    auto outer = [](int width, int height) {
        RECT frame = {0, 0, width, height};
        AdjustWindowRect(&frame, WS_CAPTION, FALSE);
        return SIZE{frame.right - frame.left, frame.bottom - frame.top};
    };
    auto placed = [](HWND window) {
        RECT rect;
        GetWindowRect(window, &rect);
        return rect;
    };
    const int screen_width = GetSystemMetrics(SM_CXSCREEN), screen_height = GetSystemMetrics(SM_CYSCREEN);
    SIZE size = outer(300, 250);
    RECT rect = placed(open_hidden(1, 300, 250, window_centre_screen));
    EXPECT_EQ(rect.left, (screen_width - size.cx) / 2);
    EXPECT_EQ(rect.top, (screen_height - size.cy) / 2);
    rect = placed(open_hidden(1, screen_width + 500, 100, window_centre_screen));
    EXPECT_EQ(rect.left, 0);  // wider than the screen: limited to it
    EXPECT_EQ(rect.right, screen_width);

    HWND owner = open_hidden(5, 400, 300);
    RECT owner_rect = placed(owner);
    size = outer(100, 50);
    rect = placed(open_hidden(6, 100, 50, window_centre_owner, owner));
    EXPECT_EQ(rect.left, owner_rect.left + (owner_rect.right - owner_rect.left - size.cx) / 2);
    EXPECT_EQ(rect.top, owner_rect.top + (owner_rect.bottom - owner_rect.top - size.cy) / 2);
    EXPECT_EQ(GetWindow(window_handle(6), GW_OWNER), owner);
    // Larger than its owner near the screen's corner: raised to 0 rather than left of or above it.
    rect = placed(open_hidden(6, 600, 400, window_centre_owner, open_hidden(5, 40, 20)));
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.top, 0);
}

}  // namespace
