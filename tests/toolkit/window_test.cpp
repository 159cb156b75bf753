// The window library with windows that are never shown: numbers, classes, styles, positions and
// the events that messages sent or posted to the windows turn into.

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

    static HWND open_hidden(int32_t number, int width = 200, int height = 100,
                            uint32_t flags = 0, HWND owner = nullptr)
    {
        open_window(number, 10, 10, width, height, "Test", window_invisible | flags, owner);
        return window_handle(number);
    }
};

double milliseconds_since(LARGE_INTEGER start)
{
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

RECT outer_rect(int width, int height, DWORD style)
{
    RECT frame = {0, 0, width, height};
    AdjustWindowRect(&frame, style, FALSE);
    return frame;
}

// Windows of the class on this thread; other test programs may use the same class names.
int windows_of_class(const char* name)
{
    int count = 0;
    for (HWND w = FindWindowExA(nullptr, nullptr, name, nullptr); w;
         w = FindWindowExA(nullptr, w, name, nullptr))
        count += GetWindowThreadProcessId(w, nullptr) == GetCurrentThreadId();
    return count;
}

TEST_F(WindowLibrary, WaitReturnsNothingAtOnceOrAfterTheTimeout)
{
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    EXPECT_EQ(wait_event(0), no_event);
    EXPECT_LT(milliseconds_since(start), 50.0);

    // A stray message would end the wait early; try a few times for one that times out.
    double waited = 0;
    for (int attempt = 0; attempt < 20; ++attempt) {
        QueryPerformanceCounter(&start);
        int32_t code = wait_event(10);
        waited = milliseconds_since(start);
        if (code == no_event)
            break;
    }
    EXPECT_GE(waited, 5.0);
    EXPECT_LT(waited, 1000.0);
}

TEST_F(WindowLibrary, CloseEventsAreQueuedAndTheWindowStaysOpen)
{
    HWND main = open_hidden(0);
    HWND about = open_hidden(1);
    test::drain_events();

    // Sent twice before the next wait: one event.
    SendMessageA(main, WM_CLOSE, 0, 0);
    SendMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(wait_event(0), close_event);
    EXPECT_EQ(event_window(), 0);
    EXPECT_EQ(wait_event(0), no_event);
    EXPECT_TRUE(IsWindow(main));
    EXPECT_EQ(window_handle(0), main);

    // Posted: the retrieved message itself, then the queued event.
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(wait_event(0), close_event);
    EXPECT_EQ(wait_event(0), close_event);
    EXPECT_EQ(event_window(), 0);
    EXPECT_EQ(wait_event(0), no_event);

    // Only a direct repetition collapses.
    SendMessageA(main, WM_CLOSE, 0, 0);
    SendMessageA(about, WM_CLOSE, 0, 0);
    SendMessageA(main, WM_CLOSE, 0, 0);
    for (int32_t expected : {0, 1, 0}) {
        EXPECT_EQ(wait_event(0), close_event);
        EXPECT_EQ(event_window(), expected);
    }
    EXPECT_EQ(wait_event(0), no_event);
}

TEST_F(WindowLibrary, CommandsBecomeMenuAndControlEvents)
{
    HWND window = open_hidden(3);
    HWND button = create_button_control(12, 5, 5, 80, 20, "Schließen", 0);
    ASSERT_NE(button, nullptr);
    test::drain_events();

    struct {
        const char* what;
        WPARAM wparam;
        int32_t item;
    } const menu_cases[] = {
        {"menu item, sent as a menu sends it", 7, 7},
        {"fixed command id", 10009, 10009},
        {"accelerator other than the focus commands", MAKEWPARAM(42, 1), 42},
    };
    for (const auto& c : menu_cases) {
        SendMessageA(window, WM_COMMAND, c.wparam, 0);
        EXPECT_EQ(wait_event(0), menu_event) << c.what;
        EXPECT_EQ(event_menu_item(), c.item) << c.what;
        EXPECT_EQ(event_window(), 3) << c.what;
        EXPECT_EQ(event_type(), -1) << c.what;
    }

    // The same through the message queue, retrieved and dispatched by the wait.
    PostMessageA(window, WM_COMMAND, 8, 0);
    EXPECT_EQ(wait_event(0), menu_event);
    EXPECT_EQ(event_menu_item(), 8);

    // The focus commands move the focus and raise nothing.
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(focus_next_command, 1), 0);
    EXPECT_EQ(wait_event(0), no_event);

    // A button's click notification (BM_CLICK would activate the window; the real click is in
    // the desktop tests), and a control's own posted event.
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(12, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    EXPECT_EQ(wait_event(0), control_event);
    EXPECT_EQ(event_control(), 12);
    EXPECT_EQ(event_type(), click_event_type);
    EXPECT_EQ(event_window(), 3);

    post_control_event(button, drag_start_event_type);
    EXPECT_EQ(wait_event(0), control_event);
    EXPECT_EQ(event_control(), 12);
    EXPECT_EQ(event_type(), drag_start_event_type);
    EXPECT_EQ(event_window(), 3);

    // A child with the identifier -10000 reports like a menu.
    HWND menu_like = CreateWindowExA(0, "Button", "x", WS_CHILD, 0, 0, 10, 10, window,
                                     reinterpret_cast<HMENU>(static_cast<INT_PTR>(-10000)),
                                     GetModuleHandleA(nullptr), nullptr);
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(55, 3), reinterpret_cast<LPARAM>(menu_like));
    EXPECT_EQ(wait_event(0), menu_event);
    EXPECT_EQ(event_menu_item(), 55);

    // Other messages come back as themselves, with their parameters; the type of a control
    // event does not outlive it.
    PostMessageA(window, WM_USER + 5, 11, 22);
    EXPECT_EQ(wait_event(0), WM_USER + 5);
    EXPECT_EQ(event_wparam(), 11u);
    EXPECT_EQ(event_lparam(), 22);
    EXPECT_EQ(event_type(), -1);
    EXPECT_EQ(event_window(), 3);
    PostThreadMessageA(GetCurrentThreadId(), WM_USER + 6, 0, 0);
    EXPECT_EQ(wait_event(0), WM_USER + 6);
    EXPECT_EQ(event_window(), -1);
}

TEST_F(WindowLibrary, ReopeningANumberReplacesTheWindow)
{
    HWND first = open_hidden(1);
    ASSERT_NE(first, nullptr);
    intptr_t result = open_window(1, 0, 0, 120, 80, "Zweite", window_invisible);
    HWND second = window_handle(1);
    EXPECT_EQ(result, reinterpret_cast<intptr_t>(second));
    EXPECT_NE(second, first);
    EXPECT_FALSE(IsWindow(first));
    EXPECT_EQ(test::window_class_name(second), "WindowClass_1");
    EXPECT_EQ(windows_of_class("WindowClass_1"), 1);
    EXPECT_EQ(window_number_of(second), 1);
}

TEST_F(WindowLibrary, InvisibleWindowHasTheTitleBarStyleOnly)
{
    HWND window = nullptr;
    open_window(0, 0, 0, 200, 100, "Ausführen", window_invisible);
    window = window_handle(0);
    ASSERT_NE(window, nullptr);
    test::pump_messages(50);
    EXPECT_FALSE(IsWindowVisible(window));
    LONG_PTR style = GetWindowLongPtrA(window, GWL_STYLE);
    EXPECT_EQ(style & ~static_cast<LONG_PTR>(WS_CLIPSIBLINGS), static_cast<LONG_PTR>(WS_CAPTION));

    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, 200);
    EXPECT_EQ(client.bottom, 100);

    EXPECT_EQ(test::window_text(window), "Ausf\xFChren");

    // Style bits of their own: passed on, and no title bar added.
    open_window(0, 0, 0, 50, 50, nullptr, window_invisible | WS_POPUP | WS_BORDER);
    style = GetWindowLongPtrA(window_handle(0), GWL_STYLE);
    EXPECT_EQ(style & ~static_cast<LONG_PTR>(WS_CLIPSIBLINGS),
              static_cast<LONG_PTR>(WS_POPUP | WS_BORDER));
    EXPECT_EQ(test::window_text(window_handle(0)), "");
}

TEST_F(WindowLibrary, CentresOnTheScreenAndOnTheOwner)
{
    int screen_width = GetSystemMetrics(SM_CXSCREEN);
    int screen_height = GetSystemMetrics(SM_CYSCREEN);
    RECT outer = outer_rect(300, 250, WS_CAPTION);
    int outer_width = outer.right - outer.left;
    int outer_height = outer.bottom - outer.top;

    RECT placed;
    GetWindowRect(open_hidden(1, 300, 250, window_centre_screen), &placed);
    EXPECT_EQ(placed.left, (screen_width - outer_width) / 2);
    EXPECT_EQ(placed.top, (screen_height - outer_height) / 2);
    EXPECT_EQ(placed.right - placed.left, outer_width);

    // Wider than the screen: the outer size is limited to it.
    GetWindowRect(open_hidden(1, screen_width + 500, 100, window_centre_screen), &placed);
    EXPECT_EQ(placed.left, 0);
    EXPECT_EQ(placed.right - placed.left, screen_width);

    // On the owner: owner at (100, 80).
    open_window(5, 100, 80, 400, 300, "Owner", window_invisible);
    HWND owner = window_handle(5);
    RECT owner_rect;
    GetWindowRect(owner, &owner_rect);
    RECT small = outer_rect(100, 50, WS_CAPTION);
    GetWindowRect(open_hidden(6, 100, 50, window_centre_owner, owner), &placed);
    EXPECT_EQ(placed.left, owner_rect.left + (owner_rect.right - owner_rect.left -
                                              (small.right - small.left)) / 2);
    EXPECT_EQ(placed.top, owner_rect.top + (owner_rect.bottom - owner_rect.top -
                                            (small.bottom - small.top)) / 2);
    EXPECT_EQ(GetWindow(window_handle(6), GW_OWNER), owner);

    // A window larger than its owner would start left of or above the screen: raised to 0.
    open_window(5, 0, 0, 40, 20, "Owner", window_invisible);
    GetWindowRect(open_hidden(6, 600, 400, window_centre_owner, window_handle(5)), &placed);
    EXPECT_EQ(placed.left, 0);
    EXPECT_EQ(placed.top, 0);
}

TEST_F(WindowLibrary, ClosingAFreeNumberDoesNothing)
{
    HWND kept = open_hidden(2);
    for (int32_t number : {1, 15, 400, -5, dynamic_number, first_dynamic_id + 12345})
        close_window(number);
    EXPECT_EQ(window_handle(1), nullptr);
    EXPECT_EQ(window_handle(-5), nullptr);
    EXPECT_TRUE(IsWindow(kept));
    EXPECT_EQ(window_handle(2), kept);
}

TEST_F(WindowLibrary, DynamicNumbersWorkWithEveryOperation)
{
    auto number = static_cast<int32_t>(open_window(dynamic_number, 0, 0, 80, 40, "Dyn", window_invisible));
    ASSERT_GE(number, first_dynamic_id);
    HWND window = window_handle(number);
    ASSERT_TRUE(IsWindow(window));
    std::string class_name = "WindowClass_" + std::to_string(number);
    EXPECT_EQ(test::window_class_name(window), class_name);
    EXPECT_EQ(window_number_of(window), number);

    test::drain_events();
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(wait_event(0), close_event);
    EXPECT_EQ(event_window(), number);

    // Reopened under its identifier: replaced in place.
    EXPECT_EQ(open_window(number, 0, 0, 80, 40, "Dyn", window_invisible), number);
    HWND again = window_handle(number);
    EXPECT_NE(again, window);
    EXPECT_FALSE(IsWindow(window));

    close_window(number);
    EXPECT_FALSE(IsWindow(again));
    EXPECT_EQ(window_handle(number), nullptr);
    WNDCLASSA unused;
    EXPECT_FALSE(GetClassInfoA(GetModuleHandleA(nullptr), class_name.c_str(), &unused));

    // Shutdown closes fixed and dynamic windows alike.
    HWND fixed = open_hidden(1);
    number = static_cast<int32_t>(open_window(dynamic_number, 0, 0, 10, 10, "", window_invisible));
    HWND dynamic = window_handle(number);
    close_all_windows();
    EXPECT_FALSE(IsWindow(fixed));
    EXPECT_FALSE(IsWindow(dynamic));
}

TEST_F(WindowLibrary, TableGrowsToNumberPlusSixteen)
{
    int32_t size = window_table_size();
    int32_t number = size + 4;
    HWND window = open_hidden(number);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window_table_size(), number + 16);
    EXPECT_EQ(window_number_of(window), number);
    HWND low = open_hidden(0);
    EXPECT_EQ(window_handle(number), window);  // kept across the growth
    EXPECT_EQ(window_handle(0), low);
}

TEST_F(WindowLibrary, FailedCreationLeavesTheNumberFree)
{
    auto bad_owner = reinterpret_cast<HWND>(static_cast<intptr_t>(0x7777));
    EXPECT_EQ(open_window(4, 0, 0, 50, 50, "x", window_invisible, bad_owner), 0);
    EXPECT_EQ(window_handle(4), nullptr);
    WNDCLASSA unused;
    EXPECT_FALSE(GetClassInfoA(GetModuleHandleA(nullptr), "WindowClass_4", &unused));
    EXPECT_NE(open_hidden(4), nullptr);  // and usable again
}

}  // namespace
