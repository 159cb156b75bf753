// The control library in windows that are never shown: numbers and their reuse, the current
// control list, image sizing, texts as Windows-1252 bytes, tab expansion and the colour hooks.

#include <gtest/gtest.h>

#include <string>

#include "tests/support/test_support.h"
#include "tests/support/toolkit_events.h"
#include "toolkit/colour.h"

namespace {

class ControlLibrary : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::init_window_toolkit();
        open_window(1, 0, 0, 300, 250, "Controls", window_invisible);
        window = window_handle(1);
        ASSERT_NE(window, nullptr);
    }
    void TearDown() override
    {
        close_all_windows();
        test::drain_events();
    }

    HWND window = nullptr;
};

// A DIB section of the given size, so that the test never depends on the screen's format.
HBITMAP make_bitmap(int width, int height)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    return CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
}

HICON make_icon(int size)
{
    HBITMAP colour = make_bitmap(size, size);
    HBITMAP mask = CreateBitmap(size, size, 1, 1, nullptr);
    ICONINFO info = {TRUE, 0, 0, mask, colour};
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(colour);
    DeleteObject(mask);
    return icon;
}

SIZE outer_size(HWND control)
{
    RECT rect;
    GetWindowRect(control, &rect);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

int children_with_id(HWND parent, int id)
{
    int count = 0;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        count += GetDlgCtrlID(child) == id;
    return count;
}

// The rightmost column with a dark pixel after the control paints itself into a white bitmap.
int rightmost_ink(HWND control, int width, int height)
{
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    ReleaseDC(nullptr, screen);
    HGDIOBJ before = SelectObject(dc, bitmap);
    RECT all = {0, 0, width, height};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SendMessageA(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    int rightmost = -1;
    for (int x = 0; x < width; ++x)
        for (int y = 0; y < height; ++y)
            if (GetRValue(GetPixel(dc, x, y)) < 128)
                rightmost = x;
    SelectObject(dc, before);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return rightmost;
}

TEST_F(ControlLibrary, ANumberInUseIsTakenOverByTheNewControl)
{
    HWND old_control = create_text_control(4, 10, 10, 100, 20, "alt", 0);
    ASSERT_NE(old_control, nullptr);
    HWND new_control = create_button_control(4, 10, 40, 100, 20, "neu", 0);
    ASSERT_NE(new_control, nullptr);
    EXPECT_FALSE(IsWindow(old_control));
    EXPECT_EQ(control_handle(4), new_control);
    EXPECT_EQ(children_with_id(window, 4), 1);
    EXPECT_EQ(GetDlgItem(window, 4), new_control);

    // Across kinds with hooks and records of their own.
    HWND link = create_hyperlink_control(4, 10, 70, 100, 20, "link", rgb(0, 53, 213), 1);
    EXPECT_FALSE(IsWindow(new_control));
    EXPECT_EQ(control_handle(4), link);
    EXPECT_EQ(children_with_id(window, 4), 1);
}

TEST_F(ControlLibrary, TableGrowsToNumberPlusFifty)
{
    int32_t size = control_table_size();
    int32_t number = size >= 120 ? size + 70 : 120;  // 120 in a fresh table of 50
    EXPECT_NE(create_text_control(number, 0, 0, 10, 10, "x", 0), nullptr);
    EXPECT_EQ(control_table_size(), number + 50);
    EXPECT_EQ(GetDlgCtrlID(control_handle(number)), number);
    EXPECT_EQ(create_text_control(-3, 0, 0, 10, 10, "x", 0), nullptr);
}

TEST_F(ControlLibrary, ClosingAWindowFreesAllItsControlNumbers)
{
    HBITMAP banner = make_bitmap(30, 10);
    create_image_control(1, 0, 0, 0, 0, banner, 0);
    for (int32_t number = 2; number <= 9; ++number)
        create_text_control(number, 10, 20 * number, 250, 20, "Zeile", 0);
    create_hyperlink_control(10, 90, 180, 150, 20, "http://example.invalid/", rgb(0, 53, 213), 1);
    create_hyperlink_control(11, 90, 200, 150, 20, "post@example.invalid", rgb(0, 53, 213), 1);
    create_button_control(12, 190, 220, 100, 20, "Schließen", 0);
    for (int32_t number = 1; number <= 12; ++number)
        ASSERT_NE(control_handle(number), nullptr) << number;

    close_window(1);
    for (int32_t number = 1; number <= 12; ++number)
        EXPECT_EQ(control_handle(number), nullptr) << number;

    // The numbers serve a new window at once.
    open_window(1, 0, 0, 300, 250, "Again", window_invisible);
    HWND again = create_hyperlink_control(10, 90, 180, 150, 20, "x", rgb(0, 53, 213), 1);
    EXPECT_EQ(control_handle(10), again);
    EXPECT_EQ(GetParent(again), window_handle(1));
    DeleteObject(banner);
}

TEST_F(ControlLibrary, ControlsGoIntoTheCurrentList)
{
    HWND kept = create_text_control(7, 0, 0, 50, 20, "erste", 0);

    // Flag 8 leaves the list alone.
    open_window(2, 0, 0, 100, 100, "Aside", window_invisible | window_no_control_list);
    EXPECT_EQ(use_control_list(nullptr), window);
    EXPECT_EQ(GetParent(create_text_control(8, 0, 0, 50, 20, "x", 0)), window);

    // The current list's end empties the list; creation then fails and the table stays as it was.
    open_window(3, 0, 0, 100, 100, "Current", window_invisible);
    EXPECT_EQ(use_control_list(nullptr), window_handle(3));
    close_window(3);
    EXPECT_EQ(use_control_list(nullptr), nullptr);
    EXPECT_EQ(create_text_control(7, 0, 0, 50, 20, "zweite", 0), nullptr);
    EXPECT_EQ(control_handle(7), kept);

    // A window that was a list before becomes current again.
    EXPECT_EQ(use_control_list(window), nullptr);
    EXPECT_EQ(use_control_list(window_handle(2)), window);
    EXPECT_EQ(GetParent(create_text_control(9, 0, 0, 50, 20, "x", 0)), window_handle(2));
}

TEST_F(ControlLibrary, ImageControlTakesTheSizeOfItsImage)
{
    HBITMAP banner = make_bitmap(300, 55);
    HWND plain = create_image_control(1, 0, 0, 0, 0, banner, 0);
    ASSERT_NE(plain, nullptr);
    SIZE size = outer_size(plain);
    EXPECT_EQ(size.cx, 300);
    EXPECT_EQ(size.cy, 55);
    EXPECT_EQ(reinterpret_cast<HBITMAP>(SendMessageA(plain, STM_GETIMAGE, IMAGE_BITMAP, 0)), banner);

    HWND edged = create_image_control(2, 0, 60, 0, 0, banner, WS_EX_CLIENTEDGE);
    size = outer_size(edged);
    EXPECT_EQ(size.cx, 304);
    EXPECT_EQ(size.cy, 59);
    RECT placed;
    GetWindowRect(edged, &placed);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&placed), 2);
    EXPECT_EQ(placed.top, 60);  // resized, not moved

    HICON icon = make_icon(32);
    size = outer_size(create_image_control(3, 0, 0, 5, 5, icon, 0));
    EXPECT_EQ(size.cx, 32);
    EXPECT_EQ(size.cy, 32);

    // Without an image the control keeps the size it was made with.
    HWND empty = create_image_control(4, 0, 0, 40, 30, nullptr, 0);
    size = outer_size(empty);
    EXPECT_EQ(size.cx, 40);
    EXPECT_EQ(size.cy, 30);

    // Setting an image answers the one shown before, as the platform's static control does.
    EXPECT_EQ(SendMessageA(empty, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(banner)), 0);
    EXPECT_EQ(SendMessageA(empty, STM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon)),
              reinterpret_cast<LRESULT>(banner));

    close_window(1);
    DestroyIcon(icon);
    DeleteObject(banner);
}

TEST_F(ControlLibrary, TextsReachThePlatformAsWindows1252Bytes)
{
    HWND button = create_button_control(12, 0, 0, 100, 20, "Schließen", 0);
    HWND text = create_text_control(2, 0, 30, 100, 20, "Ausführen", 0);
    HWND link = create_hyperlink_control(10, 0, 60, 100, 20, "Größe", rgb(0, 53, 213), 1);
    EXPECT_EQ(test::window_text(button), "Schlie\xDF" "en");
    EXPECT_EQ(test::window_text(text), "Ausf\xFChren");
    EXPECT_EQ(test::window_text(link), "Gr\xF6\xDF" "e");

    // The link keeps its own text handling behind its procedure.
    EXPECT_TRUE(SetWindowTextA(link, "Straße"));
    EXPECT_EQ(test::window_text(link), "Stra\xDF" "e");
}

TEST_F(ControlLibrary, TextControlsExpandTabs)
{
    HWND plain = create_text_control(2, 0, 0, 300, 20, "Ab", 0);
    HWND tabbed = create_text_control(3, 0, 20, 300, 20, "A\tb", 0);
    int plain_end = rightmost_ink(plain, 300, 20);
    int tabbed_end = rightmost_ink(tabbed, 300, 20);
    ASSERT_GT(plain_end, 0);
    // The first tab stop lies eight average characters in, well past the plain text's end.
    EXPECT_GT(tabbed_end, plain_end + 20);
}

TEST_F(ControlLibrary, ColourHooksAnswerTheParentsColourMessage)
{
    HWND text = create_text_control(2, 0, 0, 100, 20, "Text", 0);
    HWND link = create_hyperlink_control(10, 0, 30, 100, 20, "Link", rgb(0, 53, 213), 1);
    create_button_control(12, 0, 60, 100, 20, "Knopf", 0);
    HDC dc = CreateCompatibleDC(nullptr);
    auto answer = [&](HWND control) {
        auto brush = reinterpret_cast<HBRUSH>(SendMessageA(
            window, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control)));
        LOGBRUSH logical = {};
        GetObjectA(brush, sizeof logical, &logical);
        return logical.lbColor;
    };
    COLORREF face = GetSysColor(COLOR_BTNFACE);

    EXPECT_EQ(answer(text), face);  // no colours: the window's own default
    EXPECT_EQ(answer(link), face);
    ASSERT_TRUE(set_control_colours(2, rgb(200, 0, 0), no_colour));
    EXPECT_EQ(answer(text), face);
    EXPECT_EQ(GetTextColor(dc), RGB(200, 0, 0));
    ASSERT_TRUE(set_control_colours(2, rgb(200, 0, 0), rgb(10, 20, 30)));
    EXPECT_EQ(answer(text), RGB(10, 20, 30));
    EXPECT_EQ(GetBkColor(dc), RGB(10, 20, 30));
    ASSERT_TRUE(set_control_colours(10, rgb(0, 0, 0), rgb(1, 2, 3)));
    EXPECT_EQ(answer(link), RGB(1, 2, 3));

    EXPECT_FALSE(set_control_colours(12, rgb(1, 1, 1), no_colour));  // buttons have none
    EXPECT_FALSE(set_control_colours(30, rgb(1, 1, 1), no_colour));  // a free number
    DeleteDC(dc);
}

TEST_F(ControlLibrary, ImageTrackingEndsAtADragStart)
{
    HBITMAP banner = make_bitmap(100, 40);
    HWND image = create_image_control(1, 0, 0, 0, 0, banner, 0);
    test::drain_events();
    int beyond = GetSystemMetrics(SM_CXDRAG) + 1;

    SendMessageA(image, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    EXPECT_EQ(GetCapture(), image);
    SendMessageA(image, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(10 + beyond - 1, 10));  // within
    SendMessageA(image, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(10 + beyond, 10));
    EXPECT_NE(GetCapture(), image);
    SendMessageA(image, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(10 + 3 * beyond, 10));  // no second
    auto events = test::collect_events(100);
    EXPECT_EQ(test::count_events(events, control_event, drag_start_event_type), 1);

    // Upwards and leftwards count as well, by the vertical threshold.
    int vertical = GetSystemMetrics(SM_CYDRAG) + 1;
    SendMessageA(image, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, 30));
    SendMessageA(image, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(50, 30 - vertical));
    events = test::collect_events(100);
    EXPECT_EQ(test::count_events(events, control_event, drag_start_event_type), 1);

    // Capture lost in the middle of a press: no drag start afterwards.
    SendMessageA(image, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    ReleaseCapture();
    SendMessageA(image, WM_MOUSEMOVE, 0, MAKELPARAM(90, 30));
    events = test::collect_events(100);
    EXPECT_EQ(test::count_events(events, control_event, drag_start_event_type), 0);

    close_window(1);
    DeleteObject(banner);
}

}  // namespace
