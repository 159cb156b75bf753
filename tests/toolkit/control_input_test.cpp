// test-lock: desktop
// Controls under the real mouse: the hyperlink's hover colour, underline and cursor read back from
// the screen, and the events of hyperlink and image clicks and double clicks.

#include <gtest/gtest.h>

#include "tests/support/test_support.h"
#include "tests/support/toolkit_events.h"
#include "toolkit/colour.h"

namespace {

constexpr colour_value hover = rgb(0, 53, 213);
constexpr COLORREF black = RGB(0, 0, 0);

class ControlInput : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::init_window_toolkit();
        open_window(1, 0, 0, 300, 250, "Informationen", window_centre_screen);
        window = window_handle(1);
        ASSERT_NE(window, nullptr);
        SetForegroundWindow(window);
        ASSERT_TRUE(test::wait_until([&] { return GetForegroundWindow() == window; }, 2000));
        park_mouse();
    }
    void TearDown() override
    {
        close_all_windows();
        test::drain_events();
    }

    static void run_events(DWORD ms) { test::collect_events(ms); }

    // A point of the window's client area that no control covers.
    void park_mouse()
    {
        POINT free_spot = {280, 10};
        ClientToScreen(window, &free_spot);
        test::move_mouse(free_spot.x, free_spot.y);
        run_events(150);
    }

    static POINT on(HWND control, int x, int y)
    {
        POINT point = {x, y};
        ClientToScreen(control, &point);
        return point;
    }

    // Separate clicks further apart than the double-click time.
    static void pause_between_clicks() { Sleep(GetDoubleClickTime() + 100); }

    HWND window = nullptr;
};

SIZE text_extent(const char* text)
{
    HDC dc = GetDC(nullptr);
    HGDIOBJ before = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SIZE extent = {};
    GetTextExtentPoint32A(dc, text, lstrlenA(text), &extent);
    SelectObject(dc, before);
    ReleaseDC(nullptr, dc);
    return extent;
}

struct ink_count {
    int bluish;
    int dark;
};

// Classifies the pixels of the link's text cell on the screen.
ink_count count_ink(HWND link, SIZE extent)
{
    ink_count count = {};
    for (int y = 0; y < extent.cy; ++y) {
        for (int x = 0; x < extent.cx; ++x) {
            POINT at = {x, y};
            ClientToScreen(link, &at);
            COLORREF pixel = test::screen_pixel(at.x, at.y);
            int r = GetRValue(pixel), g = GetGValue(pixel), b = GetBValue(pixel);
            count.bluish += b > 120 && r < 100 && b > g + 60;
            count.dark += r < 90 && g < 90 && b < 90;
        }
    }
    return count;
}

// Pixels of the underline row that have exactly the colour.
int underline_pixels(HWND link, SIZE extent, COLORREF colour)
{
    int matching = 0;
    for (int x = 0; x < extent.cx; ++x) {
        POINT at = {x, extent.cy};
        ClientToScreen(link, &at);
        matching += test::screen_pixel(at.x, at.y) == colour;
    }
    return matching;
}

TEST_F(ControlInput, HyperlinkShowsHoverColourAndHandWhileTheMouseIsOverIt)
{
    const char* text = "www.example.invalid";
    HWND link = create_hyperlink_control(10, 90, 180, 150, 20, text, hover, hyperlink_underline);
    HWND plain = create_hyperlink_control(11, 90, 200, 150, 20, text, hover, 0);
    run_events(200);
    SIZE extent = text_extent(text);
    ASSERT_LT(extent.cy, 20);

    // Not hovered: black text; the underline of flag 1, none with flags 0.
    ink_count idle = count_ink(link, extent);
    EXPECT_GT(idle.dark, 10);
    EXPECT_EQ(idle.bluish, 0);
    EXPECT_EQ(underline_pixels(link, extent, black), extent.cx);
    EXPECT_EQ(underline_pixels(plain, extent, black), 0);

    POINT over = on(link, 5, extent.cy / 2);
    test::move_mouse(over.x, over.y);
    ASSERT_TRUE(test::wait_until([&] { run_events(20); return GetCapture() == link; }, 2000));
    run_events(100);
    ink_count hovered = count_ink(link, extent);
    EXPECT_GT(hovered.bluish, 10);
    EXPECT_EQ(underline_pixels(link, extent, static_cast<COLORREF>(hover)), extent.cx);
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, MAKEINTRESOURCEA(32649)));

    park_mouse();
    ASSERT_TRUE(test::wait_until([&] { run_events(20); return GetCapture() != link; }, 2000));
    run_events(100);
    ink_count left = count_ink(link, extent);
    EXPECT_EQ(left.bluish, 0);
    EXPECT_GT(left.dark, 10);
    EXPECT_EQ(underline_pixels(link, extent, black), extent.cx);
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)));

    // Over the link of a disabled window: not hovered.
    EnableWindow(window, FALSE);
    test::move_mouse(over.x, over.y);
    run_events(300);
    EXPECT_NE(GetCapture(), link);
    EXPECT_EQ(underline_pixels(link, extent, black), extent.cx);
    EnableWindow(window, TRUE);
}

TEST_F(ControlInput, HyperlinkRaisesOneClickPerRelease)
{
    HWND link = create_hyperlink_control(10, 90, 180, 150, 20, "www.example.invalid", hover, 1);
    run_events(100);
    test::drain_events();
    POINT over = on(link, 10, 5);
    test::click(over.x, over.y);
    auto events = test::collect_events(400);
    ASSERT_EQ(test::count_events(events, control_event, click_event_type), 1);
    EXPECT_EQ(events[0].item, 10);
    EXPECT_EQ(events[0].window, 1);
    EXPECT_EQ(events.size(), 1u);

    pause_between_clicks();
    test::click(over.x, over.y);
    test::click(over.x, over.y);
    events = test::collect_events(400);
    EXPECT_EQ(test::count_events(events, control_event, click_event_type), 2);
    EXPECT_EQ(events.size(), 2u);
}

TEST_F(ControlInput, ImageReportsClicksDoubleClicksAndRightClicks)
{
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof info.bmiHeader, 100, 40, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP banner = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HWND image = create_image_control(1, 10, 10, 0, 0, banner, 0);
    run_events(100);
    test::drain_events();
    POINT middle = on(image, 50, 20);

    struct {
        const char* what;
        bool right;
        int clicks;
        int left_clicks, double_clicks, right_clicks, right_double_clicks;
    } const cases[] = {
        {"left click", false, 1, 1, 0, 0, 0},
        {"left double click", false, 2, -1, 1, 0, 0},  // the platform's click count is its own
        {"right click", true, 1, 0, 0, 1, 0},
        {"right double click: its second release raises nothing", true, 2, 0, 0, 1, 1},
        {"right click after a right double click", true, 1, 0, 0, 1, 0},
    };
    for (const auto& c : cases) {
        pause_between_clicks();
        for (int i = 0; i < c.clicks; ++i)
            test::click(middle.x, middle.y, c.right);
        auto events = test::collect_events(400);
        if (c.left_clicks >= 0) {
            EXPECT_EQ(test::count_events(events, control_event, click_event_type), c.left_clicks)
                << c.what;
        }
        EXPECT_EQ(test::count_events(events, control_event, double_click_event_type), c.double_clicks) << c.what;
        EXPECT_EQ(test::count_events(events, control_event, right_click_event_type), c.right_clicks) << c.what;
        EXPECT_EQ(test::count_events(events, control_event, right_double_click_event_type),
                  c.right_double_clicks) << c.what;
        EXPECT_EQ(test::count_events(events, control_event, drag_start_event_type), 0) << c.what;
        for (const auto& event : events)
            EXPECT_EQ(event.item, 1) << c.what;
    }
    close_window(1);
    DeleteObject(banner);
}

}  // namespace
