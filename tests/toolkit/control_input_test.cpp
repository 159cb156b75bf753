// test-lock: desktop
// Controls under the real mouse: the hyperlink's hover colour, underline and cursor read back from
// the screen, and the events of image clicks and double clicks. Link clicks and double clicks are
// driven end to end in tests/about/about_window_test.cpp.

#include <gtest/gtest.h>

#include "tests/support/test_support.h"
#include "tests/support/toolkit_events.h"
#include "toolkit/colour.h"

namespace {

constexpr colour_value hover = rgb(0, 53, 213);

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

    void park_mouse()  // on a spot of the client area that no control covers
    {
        POINT free_spot = {280, 10};
        ClientToScreen(window, &free_spot);
        test::move_mouse(free_spot.x, free_spot.y);
        test::collect_events(150);
    }
    static POINT on(HWND control, int x, int y)
    {
        POINT point = {x, y};
        ClientToScreen(control, &point);
        return point;
    }

    HWND window = nullptr;
};

// Pixels of row y of the link's text cell: those of exactly the colour, and the bluish ones.
struct row_ink {
    int exact;
    int bluish;
};
row_ink ink(HWND link, int width, int y, COLORREF colour)
{
    row_ink count = {};
    for (int x = 0; x < width; ++x) {
        POINT p = {x, y};
        ClientToScreen(link, &p);
        COLORREF pixel = test::screen_pixel(p.x, p.y);
        count.exact += pixel == colour;
        count.bluish += GetBValue(pixel) > 120 && GetRValue(pixel) < 100 && GetBValue(pixel) > GetGValue(pixel) + 60;
    }
    return count;
}

TEST_F(ControlInput, HyperlinkShowsHoverColourAndHandWhileTheMouseIsOverIt)
{
    const char* text = "www.example.invalid";
    HWND link = create_hyperlink_control(10, 90, 180, 150, 20, text, hover, hyperlink_underline);
    HWND plain = create_hyperlink_control(11, 90, 200, 150, 20, text, hover, 0);
    test::collect_events(200);
    HDC dc = GetDC(link);
    HGDIOBJ before = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SIZE extent = {};
    GetTextExtentPoint32A(dc, text, lstrlenA(text), &extent);
    SelectObject(dc, before);
    ReleaseDC(link, dc);
    ASSERT_LT(extent.cy, 20);
    // The text's middle row and the underline row below the text, in the colour expected there.
    auto middle = [&](COLORREF colour) { return ink(link, extent.cx, extent.cy / 2, colour); };
    auto underline = [&](HWND control, COLORREF colour) { return ink(control, extent.cx, extent.cy, colour).exact; };

    const COLORREF black = RGB(0, 0, 0);
    EXPECT_EQ(underline(link, black), extent.cx);  // not hovered: black, underlined with flag 1
    EXPECT_EQ(underline(plain, black), 0);         // and not with flags 0
    EXPECT_EQ(middle(black).bluish, 0);

    POINT over = on(link, 5, extent.cy / 2);
    test::move_mouse(over.x, over.y);
    ASSERT_TRUE(test::wait_until([&] { test::collect_events(20); return GetCapture() == link; }, 2000));
    test::collect_events(100);
    EXPECT_GT(middle(black).bluish, 5);
    EXPECT_EQ(underline(link, static_cast<COLORREF>(hover)), extent.cx);
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, MAKEINTRESOURCEA(32649)));  // the hand

    park_mouse();
    ASSERT_TRUE(test::wait_until([&] { test::collect_events(20); return GetCapture() != link; }, 2000));
    test::collect_events(100);
    EXPECT_EQ(middle(black).bluish, 0);
    EXPECT_EQ(underline(link, black), extent.cx);
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)));  // the arrow again

    EnableWindow(window, FALSE);  // over the link of a disabled window: not hovered
    test::move_mouse(over.x, over.y);
    test::collect_events(300);
    EXPECT_NE(GetCapture(), link);
    EnableWindow(window, TRUE);
}

TEST_F(ControlInput, ImageReportsClicksDoubleClicksAndRightClicks)
{
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof info.bmiHeader, 100, 40, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP banner = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HWND image = create_image_control(1, 10, 10, 0, 0, banner, 0);
    test::collect_events(100);
    POINT middle = on(image, 50, 20);

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
    for (const auto& row : rows) {
        Sleep(GetDoubleClickTime() + 100);  // apart from the clicks before
        for (int i = 0; i < row.clicks; ++i)
            test::click(middle.x, middle.y, row.right);
        auto events = test::collect_events(400);
        const int32_t types[] = {click_event_type, right_click_event_type, double_click_event_type,
                                 right_double_click_event_type};
        for (int t = 0; t < 4; ++t) {
            if (row.events[t] >= 0) {
                EXPECT_EQ(test::count_events(events, control_event, types[t]), row.events[t]) << row.what << " type " << types[t];
            }
        }
        EXPECT_EQ(test::count_events(events, control_event, drag_start_event_type), 0) << row.what;
    }
    close_window(1);
    DeleteObject(banner);
}

}  // namespace
