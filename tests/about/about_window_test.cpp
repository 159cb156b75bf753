// test-lock: desktop
// The about window as a user sees it, read back from this separate process while the recording
// build of Velmora runs beside the fake taskbar.

#include <algorithm>
#include <string>

#include "tests/support/scenario.h"

namespace {

using namespace test;

using AboutWindow = Scenario;

// "Informationen": the tenth top-level item that the arrow keys visit.
HWND open_about(Scenario& s)
{
    s.choose_top_item(10);
    HWND window = nullptr;
    wait_until([&] { return GetDlgItem(window = FindWindowA("WindowClass_1", "Informationen"), 12) != nullptr; }, 30000);
    return window;
}

// A point on the link's text, in screen coordinates.
POINT on_link(HWND about, int control)
{
    RECT rect;
    GetWindowRect(GetDlgItem(about, control), &rect);
    return {rect.left + 20, (rect.top + rect.bottom) / 2};
}

// Laid out once, centred; the links black and underlined, blue (underline too) with another cursor
// under the mouse, and back when it leaves (cursor handles are the program's own under Wine, so the
// hand is recognised by differing from the label's arrow); each release of a click opens the
// address; "Schließen" closes the window alone; chosen again it replaces the window; and a close
// request to it ends the program.
TEST_F(AboutWindow, ShowsItsControlsOpensItsLinksAndClosesAsAsked)
{
    start_with_menu();
    HWND about = open_about(*this);
    ASSERT_NE(about, nullptr);
    RECT client, outer;
    GetClientRect(about, &client);
    GetWindowRect(about, &outer);
    EXPECT_EQ(client.right * 1000 + client.bottom, 300250);
    EXPECT_EQ(outer.left, (GetSystemMetrics(SM_CXSCREEN) - (outer.right - outer.left)) / 2);
    EXPECT_EQ(outer.top, (GetSystemMetrics(SM_CYSCREEN) - (outer.bottom - outer.top)) / 2);
    EXPECT_EQ(GetWindowLongA(about, GWL_STYLE) & (WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX),
              WS_CAPTION);

    const struct {
        const char* window_class;
        RECT rect;
        const char* text;  // nullptr: checked apart
    } rows[] = {
        {"Static", {0, 0, 300, 55}, nullptr},  // the banner
        {"Static", {10, 60, 310, 80}, "Programm:\tVelmora"},
        {"Static", {10, 80, 260, 100}, "Version:\t\t1.0.0"},
        {"Static", {10, 100, 260, 120}, "Betriebssystem:\tWindows 7"},
        {"Static", {10, 120, 260, 140}, "Sprache:\tDeutsch"},
        {"Static", {10, 140, 260, 160}, nullptr},  // the build date
        {"Static", {10, 160, 260, 180}, "Programmierer:\tTobren"},
        {"Static", {10, 180, 260, 200}, "Homepage:"},
        {"Static", {10, 200, 260, 220}, "E-Mail-Adresse:"},
        {"Static", {90, 180, 240, 200}, "http://velmora.example/"},
        {"Static", {90, 200, 240, 220}, "autor@velmora.example"},
        {"Button", {190, 220, 290, 240}, "Schlie\xDF" "en"},
    };
    for (int id = 1; id <= 12; ++id) {
        SCOPED_TRACE(id);
        const auto& row = rows[id - 1];
        HWND control = GetDlgItem(about, id);
        ASSERT_NE(control, nullptr);
        EXPECT_STRCASEEQ(window_class_name(control).c_str(), row.window_class);
        RECT rect;
        GetWindowRect(control, &rect);
        MapWindowPoints(nullptr, about, reinterpret_cast<POINT*>(&rect), 2);
        EXPECT_TRUE(EqualRect(&rect, &row.rect)) << rect.left << "," << rect.top << "," << rect.right << "," << rect.bottom;
        if (row.text) {
            EXPECT_EQ(window_text(control), row.text);
        }
    }
    // "Kompilierung:", a tab, then hh:ii:ss Uhr - dd.mm.yyyy.
    std::string built = window_text(GetDlgItem(about, 6));
    ASSERT_EQ(built.size(), std::string("Kompilierung:\t00:00:00 Uhr - 00.00.0000").size()) << built;
    EXPECT_EQ(built.substr(0, 14) + built.substr(22, 7), "Kompilierung:\t Uhr - ");

    RECT link;
    GetWindowRect(GetDlgItem(about, 10), &link);
    auto pixels = [&](COLORREF colour, bool longest_row) {
        int count = 0, longest = 0;
        for (int y = link.top; y < link.bottom; ++y)
            for (int x = link.left, run = 0; x < link.right; ++x) {
                bool match = screen_pixel(x, y) == colour;
                count += match;
                longest = std::max(longest, run = match ? run + 1 : 0);
            }
        return longest_row ? longest : count;
    };
    auto cursor = [] {
        CURSORINFO info = {};
        info.cbSize = sizeof info;
        GetCursorInfo(&info);
        return info.hCursor;
    };
    const COLORREF blue = RGB(0, 53, 213);
    POINT label = on_link(about, 8), home = on_link(about, 10), mail = on_link(about, 11);
    auto underlined = [&](COLORREF colour) { return pixels(colour, true) > 60; };
    move_mouse(label.x, label.y);
    ASSERT_TRUE(wait_until([&] { return underlined(RGB(0, 0, 0)); }, 15000));
    EXPECT_EQ(pixels(blue, false), 0);
    HCURSOR arrow = cursor();
    move_mouse(home.x, home.y);
    EXPECT_TRUE(wait_until([&] { return underlined(blue) && cursor() != arrow; }, 15000)) << "blue, with the hand";
    EXPECT_LT(pixels(RGB(0, 0, 0), true), 10);
    move_mouse(label.x, label.y);
    EXPECT_TRUE(wait_until([&] { return underlined(RGB(0, 0, 0)) && cursor() == arrow; }, 15000)) << "black again";
    EXPECT_EQ(pixels(blue, false), 0);

    click(home.x, home.y);
    EXPECT_TRUE(wait_for_lines(log(), "run_program file=http://velmora.example/", 1, 15000));
    click(home.x, home.y);  // a double click: the events of its two releases
    click(home.x, home.y);
    click(mail.x, mail.y);  // handled after the double click
    EXPECT_TRUE(wait_for_lines(log(), "run_program file=mailto:autor@velmora.example", 1, 15000));
    EXPECT_EQ(count_lines(log(), "file=http://velmora.example/"), 3);

    RECT close;
    GetWindowRect(GetDlgItem(about, 12), &close);
    click((close.left + close.right) / 2, (close.top + close.bottom) / 2);
    EXPECT_TRUE(wait_until([&] { return !IsWindow(about); }, 30000));

    // The program goes on. Chosen twice, the window is replaced: one, complete. (Under Wine the
    // old one takes a moment to go.)
    about = open_about(*this);
    ASSERT_NE(about, nullptr);
    open_about(*this);
    ASSERT_TRUE(wait_until([&] { return !IsWindow(about) && GetDlgItem(FindWindowA("WindowClass_1", nullptr), 12); }, 30000));
    EXPECT_EQ(FindWindowExA(nullptr, FindWindowA("WindowClass_1", nullptr), "WindowClass_1", nullptr), nullptr);
    PostMessageA(FindWindowA("WindowClass_1", nullptr), WM_CLOSE, 0, 0);
    EXPECT_EQ(wait_exit(session_.velmora, 30000), 0);
}

}  // namespace
