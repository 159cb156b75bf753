// test-lock: desktop
// test-label: setups
// The about window as a user sees it, read back while the recording build runs beside the fake taskbar.

#include <string>

#include "tests/support/scenario.h"

namespace {

using namespace test;

using AboutWindow = Scenario;

// Started as from a Run key, a scheduled task or a shortcut without "Start in", in a folder that is
// not the program's (whose name the ANSI code page cannot write): the pictures are found beside the
// program all the same. The window's size at the session's DPI, centred, and its banner; its texts
// whole as Windows holds them, in UTF-16, so that they read as written whatever the ANSI code page;
// each release of a click on a link opens its address through the shell alone; "Schließen" closes
// the window alone; chosen again it replaces the window; a close request to it ends the program.
TEST_F(AboutWindow, ShowsItsControlsOpensItsLinksAndClosesAsAsked)
{
    ASSERT_NO_FATAL_FAILURE(install("velmora_recording.exe"));
    start_with_menu({.directory = scratch_});
    HWND about = choose_about();
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(lines_containing(log(), "pictures="), std::vector<std::string>{"pictures=11"}) << "Programs, ten commands";
    RECT banner = {};
    GetWindowRect(GetDlgItem(about, 1), &banner);
    EXPECT_EQ((banner.right - banner.left) * 1000 + banner.bottom - banner.top, scaled(300) * 1000 + scaled(55));
    RECT client, outer;
    GetClientRect(about, &client);
    GetWindowRect(about, &outer);
    EXPECT_EQ(client.right * 1000 + client.bottom, scaled(300) * 1000 + scaled(250));
    EXPECT_EQ(outer.left, (GetSystemMetrics(SM_CXSCREEN) - (outer.right - outer.left)) / 2);
    EXPECT_EQ(outer.top, (GetSystemMetrics(SM_CYSCREEN) - (outer.bottom - outer.top)) / 2);
    // The recording build's date is fixed.
    const std::vector<std::pair<int, std::string>> texts = {
        {2, "Programm:\tVelmora"},       {3, "Version:\t\t1.0.0"},
        {4, "Betriebssystem:\tWindows 7"}, {5, "Sprache:\tDeutsch"},
        {6, "Kompilierung:\t20:03:23 Uhr - 26.07.2009"}, {7, "Programmierer:\tTobren"},
        {8, "Homepage:"}, {9, "E-Mail-Adresse:"}, {10, "http://velmora.example/"}, {11, "autor@velmora.example"},
        {12, "Schlie\xDF" "en"}};
    EXPECT_EQ(window_text(about), "Informationen");
    for (const auto& [control, text] : texts)
        EXPECT_EQ(window_text(GetDlgItem(about, control)), text) << control;

    auto point_at = [&](int id) {
        RECT rect;
        GetWindowRect(GetDlgItem(about, id), &rect);
        return POINT{rect.left + 20, (rect.top + rect.bottom) / 2};
    };
    const POINT home = point_at(10), mail = point_at(11), close = point_at(12);
    click(home.x, home.y);  // a double click: the events of its two releases
    click(home.x, home.y);
    click(mail.x, mail.y);  // handled after the double click
    EXPECT_TRUE(wait_for_lines(log(), "open_with_shell file=mailto:autor@velmora.example", 1, 30000));
    EXPECT_EQ(count_lines(log(), "open_with_shell file=http://velmora.example/"), 2);
    EXPECT_EQ(count_lines(log(), "run_program "), 0) << "an address was tried as a program";
    click(close.x, close.y);
    EXPECT_TRUE(wait_until([&] { return !IsWindow(about); }, 30000));

    // The program goes on. Chosen twice, the window is replaced: one, complete. (Under Wine the
    // old one takes a moment to go.)
    ASSERT_NE(about = choose_about(), nullptr);
    choose_about();
    HWND last = nullptr;
    ASSERT_TRUE(wait_until([&] { return !IsWindow(about) && GetDlgItem(last = FindWindowA("WindowClass_1", nullptr), 12); },
                           30000));
    EXPECT_EQ(FindWindowExA(nullptr, last, "WindowClass_1", nullptr), nullptr);
    PostMessageA(last, WM_CLOSE, 0, 0);
    EXPECT_EQ(wait_exit(session_.velmora, 30000), 0);
}

}  // namespace
