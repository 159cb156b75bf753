// The control library in windows that are never shown: numbers and their reuse, image sizing,
// texts as Windows-1252 bytes, tab expansion and the image's drag start.

#include <gtest/gtest.h>

#include "tests/support/test_support.h"
#include "tests/support/toolkit_events.h"
#include "toolkit/colour.h"

namespace {

constexpr colour_value blue = rgb(0, 53, 213);

class ControlLibrary : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::init_window_toolkit();
        open_window(1, 0, 0, 300, 250, "Controls", window_invisible);
        window = window_handle(1);
        ASSERT_NE(window, nullptr);
        BITMAPINFO info = {};
        info.bmiHeader = {sizeof info.bmiHeader, 300, 55, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        banner = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        ASSERT_NE(banner, nullptr);
    }
    void TearDown() override
    {
        close_all_windows();
        test::drain_events();
        DeleteObject(banner);
    }

    HWND window = nullptr;
    HBITMAP banner = nullptr;
};

SIZE outer_size(HWND control)
{
    RECT rect;
    GetWindowRect(control, &rect);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

// The rightmost column with a dark pixel after the control paints itself into a white bitmap.
int rightmost_ink(HWND control)
{
    HDC dc = CreateCompatibleDC(nullptr);
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof info.bmiHeader, 300, 20, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ before = SelectObject(dc, bitmap);
    RECT all = {0, 0, 300, 20};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SendMessageA(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    int rightmost = -1;
    for (int x = 0; x < 300; ++x)
        for (int y = 0; y < 20; ++y)
            if (GetRValue(GetPixel(dc, x, y)) < 128)
                rightmost = x;
    SelectObject(dc, before);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return rightmost;
}

TEST_F(ControlLibrary, NumbersAreTakenOverGrownAndFreedWithTheirWindow)
{
    HWND text = create_text_control(4, 10, 10, 100, 20, "alt", 0);
    HWND button = create_button_control(4, 10, 40, 100, 20, "neu", 0);
    HWND link = create_hyperlink_control(4, 10, 70, 100, 20, "link", blue, 1);  // a kind with a record
    EXPECT_FALSE(IsWindow(text) || IsWindow(button));
    EXPECT_EQ(control_handle(4), link);
    EXPECT_EQ(GetDlgItem(window, 4), link);

    ASSERT_EQ(control_table_size(), 50) << "a fresh table";
    EXPECT_NE(create_text_control(120, 0, 0, 10, 10, "x", 0), nullptr);
    EXPECT_EQ(control_table_size(), 170);
    EXPECT_EQ(GetDlgCtrlID(control_handle(120)), 120);
    EXPECT_EQ(create_text_control(-3, 0, 0, 10, 10, "x", 0), nullptr);

    // Closing the window frees every number; without a current list nothing can be made.
    close_window(1);
    for (int32_t number : {4, 120})
        EXPECT_EQ(control_handle(number), nullptr) << number;
    EXPECT_EQ(create_text_control(7, 0, 0, 50, 20, "x", 0), nullptr);
    open_window(1, 0, 0, 300, 250, "Again", window_invisible);
    EXPECT_EQ(GetParent(create_hyperlink_control(4, 90, 180, 150, 20, "x", blue, 1)), window_handle(1));
}

TEST_F(ControlLibrary, ImageControlTakesTheSizeOfItsImage)
{
    EXPECT_EQ(outer_size(create_image_control(1, 0, 0, 0, 0, banner, 0)).cx, 300);
    EXPECT_EQ(outer_size(control_handle(1)).cy, 55);
    HWND edged = create_image_control(2, 0, 60, 0, 0, banner, WS_EX_CLIENTEDGE);
    EXPECT_EQ(outer_size(edged).cx, 304);
    EXPECT_EQ(outer_size(edged).cy, 59);
    RECT placed;
    GetWindowRect(edged, &placed);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&placed), 2);
    EXPECT_EQ(placed.top, 60);  // resized, not moved
    HWND empty = create_image_control(3, 0, 0, 40, 30, nullptr, 0);
    EXPECT_EQ(outer_size(empty).cx, 40);  // without an image: the size it was made with
}

TEST_F(ControlLibrary, TextsReachThePlatformAsWindows1252BytesWithTabsExpanded)
{
    EXPECT_EQ(test::window_text(create_button_control(12, 0, 0, 100, 20, "Schließen", 0)), "Schlie\xDF" "en");
    EXPECT_EQ(test::window_text(create_hyperlink_control(10, 0, 60, 100, 20, "Größe", blue, 1)), "Gr\xF6\xDF" "e");
    HWND plain = create_text_control(2, 0, 0, 300, 20, "Ausführen", 0);
    HWND tabbed = create_text_control(3, 0, 20, 300, 20, "A\tusführen", 0);
    EXPECT_EQ(test::window_text(plain), "Ausf\xFChren");
    // The first tab stop lies eight average characters in, well past the plain text's end.
    ASSERT_GT(rightmost_ink(plain), 0);
    EXPECT_GT(rightmost_ink(tabbed), rightmost_ink(plain) + 20);
}

TEST_F(ControlLibrary, ImageRaisesOneDragStartPerPressBeyondTheThreshold)
{
    HWND image = create_image_control(1, 0, 0, 0, 0, banner, 0);
    const int dx = GetSystemMetrics(SM_CXDRAG) + 1, dy = GetSystemMetrics(SM_CYDRAG) + 1;
    test::drain_events();
    const struct {
        const char* what;
        POINT press;
        POINT moves[3];
        bool lose_capture;
        int drag_starts;
    } rows[] = {
        {"within, beyond, further: one", {10, 10}, {{9 + dx, 10}, {10 + dx, 10}, {10 + 3 * dx, 10}}, false, 1},
        {"upwards, by the vertical threshold", {50, 40}, {{50, 41 - dy}, {50, 41 - dy}, {50, 40 - dy}}, false, 1},
        {"within the threshold only", {50, 40}, {{49 + dx, 40}, {50, 41 - dy}, {51 - dx, 39 + dy}}, false, 0},
        {"capture lost in the middle of a press", {10, 10}, {{90, 30}, {90, 30}, {90, 30}}, true, 0},
    };
    for (const auto& row : rows) {
        SendMessageA(image, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(row.press.x, row.press.y));
        if (row.lose_capture)
            ReleaseCapture();
        for (const POINT& at : row.moves)
            SendMessageA(image, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(at.x, at.y));
        auto events = test::collect_events(100);
        EXPECT_EQ(test::count_events(events, control_event, drag_start_event_type), row.drag_starts) << row.what;
        SendMessageA(image, WM_LBUTTONUP, 0, MAKELPARAM(row.press.x, row.press.y));
    }
}

}  // namespace
