// test-lock: desktop
// The about window as a user sees it, read back from this separate process while the recording
// build of Velmora runs beside the fake taskbar.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/support/test_support.h"
#include "tests/support/velmora_session.h"

namespace {

using namespace test;

constexpr int information_item = 9;  // top-level items the arrow keys visit, counted from 0
constexpr COLORREF hover_colour = RGB(0, 53, 213);

struct control_row {
    int id;
    const char* window_class;
    int x, y, width, height;
    std::string text;
};

struct found_child {
    HWND window;
    RECT rect;  // in the parent's client coordinates
};

class AboutWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        clear_programs_folders();
        ASSERT_TRUE(start_fake_shell(session_));
        ASSERT_TRUE(start_velmora(session_, "velmora_recording.exe"));
        ASSERT_TRUE(wait_for_lines(session_.record_log, "rebuild end", 1, 30000));
    }
    void TearDown() override
    {
        if (HasFailure())
            dump_logs(session_);
        end_session(session_);
    }

    HWND open_about()
    {
        click_start_button();
        EXPECT_TRUE(wait_for_menu(true, 5000));
        pump_messages(100);
        for (int i = 0; i <= information_item; ++i)
            press_key(VK_DOWN);
        press_key(VK_RETURN);
        HWND window = nullptr;
        wait_until([&] { return (window = about_window()) != nullptr; }, 5000);
        pump_messages(300);
        return window;
    }
    HWND about_window() { return FindWindowA("WindowClass_1", "Informationen"); }
    int about_windows()
    {
        int count = 0;
        for (HWND w = FindWindowA("WindowClass_1", nullptr); w;
             w = FindWindowExA(nullptr, w, "WindowClass_1", nullptr))
            ++count;
        return count;
    }
    static std::vector<found_child> children(HWND parent)
    {
        std::vector<found_child> found;
        for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            RECT rect;
            GetWindowRect(child, &rect);
            MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
            found.push_back({child, rect});
        }
        return found;
    }
    POINT centre_of(HWND window)
    {
        RECT rect;
        GetWindowRect(window, &rect);
        return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    }

    velmora_session session_;
};

TEST_F(AboutWindow, ShowsItsControlsAsLaidOut)
{
    HWND about = open_about();
    ASSERT_NE(about, nullptr);

    RECT client;
    GetClientRect(about, &client);
    EXPECT_EQ(client.right, 300);
    EXPECT_EQ(client.bottom, 250);
    RECT outer;
    GetWindowRect(about, &outer);
    EXPECT_EQ(outer.left, (GetSystemMetrics(SM_CXSCREEN) - (outer.right - outer.left)) / 2);
    EXPECT_EQ(outer.top, (GetSystemMetrics(SM_CYSCREEN) - (outer.bottom - outer.top)) / 2);
    LONG style = GetWindowLongA(about, GWL_STYLE);
    EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
    EXPECT_EQ(style & (WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0);
    EXPECT_TRUE(IsWindowVisible(about));

    std::string version_line = "Version:\t\t1.0.0";
    const control_row rows[] = {
        {1, "Static", 0, 0, 300, 55, ""},
        {2, "Static", 10, 60, 300, 20, "Programm:\tVelmora"},
        {3, "Static", 10, 80, 250, 20, version_line},
        {4, "Static", 10, 100, 250, 20, "Betriebssystem:\tWindows 7"},
        {5, "Static", 10, 120, 250, 20, "Sprache:\tDeutsch"},
        {6, "Static", 10, 140, 250, 20, ""},  // the build date: checked below
        {7, "Static", 10, 160, 250, 20, "Programmierer:\tTobren"},
        {8, "Static", 10, 180, 250, 20, "Homepage:"},
        {9, "Static", 10, 200, 250, 20, "E-Mail-Adresse:"},
        {10, "Static", 90, 180, 150, 20, "http://velmora.example/"},
        {11, "Static", 90, 200, 150, 20, "autor@velmora.example"},
        {12, "Button", 190, 220, 100, 20, "Schlie\xDF" "en"},
    };
    std::vector<found_child> found = children(about);
    ASSERT_EQ(found.size(), 12u);
    for (const control_row& row : rows) {
        SCOPED_TRACE(row.id);
        HWND control = GetDlgItem(about, row.id);
        ASSERT_NE(control, nullptr);
        EXPECT_STRCASEEQ(window_class_name(control).c_str(), row.window_class);
        RECT rect;
        GetWindowRect(control, &rect);
        MapWindowPoints(nullptr, about, reinterpret_cast<POINT*>(&rect), 2);
        EXPECT_EQ(rect.left, row.x);
        EXPECT_EQ(rect.top, row.y);
        EXPECT_EQ(rect.right - rect.left, row.width);
        EXPECT_EQ(rect.bottom - rect.top, row.height);
        if (row.id != 1 && row.id != 6) {
            EXPECT_EQ(window_text(control), row.text);
        }
    }

    // "Kompilierung:", a tab, then hh:ii:ss Uhr - dd.mm.yyyy.
    std::string built = window_text(GetDlgItem(about, 6));
    ASSERT_EQ(built.size(), std::string("Kompilierung:\t00:00:00 Uhr - 00.00.0000").size()) << built;
    EXPECT_EQ(built.substr(0, 14), "Kompilierung:\t");
    EXPECT_EQ(built.substr(22, 7), " Uhr - ");
}

TEST_F(AboutWindow, LinksAreUnderlinedInBlackAndTurnBlueUnderTheMouse)
{
    HWND about = open_about();
    ASSERT_NE(about, nullptr);
    HWND link = GetDlgItem(about, 10);
    RECT rect;
    GetWindowRect(link, &rect);
    move_mouse(rect.right + 200, rect.bottom + 200);
    pump_messages(300);

    auto count_colour = [&](COLORREF colour) {
        int count = 0;
        for (int y = rect.top; y < rect.bottom; ++y)
            for (int x = rect.left; x < rect.right; ++x)
                if (screen_pixel(x, y) == colour)
                    ++count;
        return count;
    };
    // The underline: a row of black pixels below the text.
    auto longest_black_row = [&]() {
        int longest = 0;
        for (int y = rect.top; y < rect.bottom; ++y) {
            int run = 0;
            for (int x = rect.left; x < rect.right; ++x) {
                run = screen_pixel(x, y) == RGB(0, 0, 0) ? run + 1 : 0;
                longest = std::max(longest, run);
            }
        }
        return longest;
    };
    EXPECT_GT(longest_black_row(), 60);
    EXPECT_EQ(count_colour(hover_colour), 0);

    auto cursor_shown = [] {
        CURSORINFO cursor = {};
        cursor.cbSize = sizeof cursor;
        GetCursorInfo(&cursor);
        return cursor.hCursor;
    };
    // Over the label beside the link the window's arrow shows. (Cursor handles are the program's
    // own under Wine, so the hand is recognised by being another cursor than that arrow.)
    RECT label;
    GetWindowRect(GetDlgItem(about, 8), &label);
    move_mouse(label.left + 5, (label.top + label.bottom) / 2);
    pump_messages(300);
    HCURSOR arrow = cursor_shown();

    move_mouse(rect.left + 5, (rect.top + rect.bottom) / 2);
    pump_messages(400);
    EXPECT_GT(count_colour(hover_colour), 60);
    EXPECT_NE(cursor_shown(), arrow);

    move_mouse(rect.right + 200, rect.bottom + 200);
    pump_messages(400);
    EXPECT_EQ(count_colour(hover_colour), 0);
    EXPECT_GT(longest_black_row(), 60);
}

TEST_F(AboutWindow, LinksOpenTheirAddressesAndTheButtonClosesOnlyTheWindow)
{
    HWND about = open_about();
    ASSERT_NE(about, nullptr);

    POINT home = centre_of(GetDlgItem(about, 10));
    home.x = home.x - 50;
    click(home.x, home.y);
    EXPECT_TRUE(wait_for_lines(session_.record_log, "run_program file=http://velmora.example/", 1, 5000));
    POINT mail = centre_of(GetDlgItem(about, 11));
    mail.x = mail.x - 50;
    click(mail.x, mail.y);
    EXPECT_TRUE(wait_for_lines(session_.record_log, "run_program file=mailto:autor@velmora.example", 1, 5000));

    // A double click gives only the events of its two releases.
    click(home.x, home.y);
    click(home.x, home.y);
    EXPECT_TRUE(wait_for_lines(session_.record_log, "file=http://velmora.example/", 3, 5000));
    pump_messages(300);
    EXPECT_EQ(count_lines(session_.record_log, "file=http://velmora.example/"), 3);

    // "Schließen" closes window 1 and nothing else.
    POINT close = centre_of(GetDlgItem(about, 12));
    click(close.x, close.y);
    EXPECT_TRUE(wait_until([&] { return about_window() == nullptr; }, 5000));
    pump_messages(300);
    EXPECT_NE(velmora_main_window(session_), nullptr);
    EXPECT_EQ(WaitForSingleObject(session_.velmora.process, 0), static_cast<DWORD>(WAIT_TIMEOUT));

    // Afterwards "Informationen" opens a complete new one.
    about = open_about();
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(children(about).size(), 12u);
}

TEST_F(AboutWindow, OpeningItTwiceLeavesOneWindow)
{
    ASSERT_NE(open_about(), nullptr);
    HWND second = open_about();
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(about_windows(), 1);
    EXPECT_EQ(children(second).size(), 12u);
}

TEST_F(AboutWindow, ACloseRequestToItEndsTheProgram)
{
    HWND about = open_about();
    ASSERT_NE(about, nullptr);
    PostMessageA(about, WM_CLOSE, 0, 0);
    EXPECT_EQ(wait_exit(session_.velmora, 10000), 0);
    close_process(session_.velmora);
}

}  // namespace
