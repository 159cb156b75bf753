// test-lock: desktop
// test-label: setups
// Where the start menu opens for each edge the taskbar may occupy, at the session's DPI, and what
// its items say, read as Windows holds them in UTF-16, whatever the ANSI code page.

#include "tests/support/scenario.h"

namespace {

using namespace test;

using MenuOnScreen = Scenario;

// Left and top: 30 pixels (at 96 DPI) below the button's top; right: opening to the left of the
// button's corner; bottom: opening upwards from it. An edge that the shell does not know shows
// nothing. Every request is served once, and the press is swallowed. The captions, as the system
// holds them, are the program's texts whatever the code page.
TEST_F(MenuOnScreen, OpensAtTheCornerThatTheTaskbarsEdgeSelectsAndReadsAsWritten)
{
    const std::vector<std::string> captions = {  // outside the assertion, which spells it in Windows-1252
        utf8(u8"captions=Programs||Suchen|Ausführen|Benutzer wechseln|Benutzer abmelden|Standby|Ruhezustand|"
             u8"Neu starten|Herunterfahren||Informationen|Velmora beenden")};
    ASSERT_TRUE(start_fake_shell(session_));
    RECT button = {};
    GetWindowRect(fake_start_button(), &button);
    const std::string left = std::to_string(button.left), top = std::to_string(button.top),
                      below = std::to_string(button.top + scaled(30));
    const struct { int edge; std::string shown; } rows[] = {
        {ABE_LEFT, "x=" + left + " y=" + below + " alignment=0"},
        {ABE_TOP, "x=" + left + " y=" + below + " alignment=0"},
        {ABE_RIGHT, "x=" + left + " y=" + top + " alignment=1"},
        {ABE_BOTTOM, "x=" + left + " y=" + top + " alignment=2"},
        {7, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.edge);
        start_with_menu({.settings = {{"VELMORA_TASKBAR_EDGE", std::to_string(row.edge)}}});
        click_start_button();
        ASSERT_TRUE(wait_for_lines(log(), "taskbar_edge", 1, 30000));
        if (!row.shown.empty()) {
            ASSERT_TRUE(wait_for_menu(true, 30000));
            close_menu();
            EXPECT_EQ(lines_containing(log(), "menu shown "), std::vector<std::string>{"menu shown " + row.shown});
            EXPECT_EQ(lines_containing(log(), "captions="), captions);
        }
        EXPECT_EQ(close_velmora(session_), 0);
        EXPECT_EQ(menus_shown(), row.shown.empty() ? 0 : 1);
        EXPECT_EQ(count_lines(log(), "taskbar_edge"), 1);
        EXPECT_EQ(shell_presses(session_.shell_log), 0);
    }
}

}  // namespace
