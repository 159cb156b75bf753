// test-lock: desktop
// test-label: wow64
// The road through the whole program, with the real Velmora.exe installed with its Grafiken in a
// folder of its own, whose name the ANSI code page cannot write, and started from there: it runs
// invisibly, one click and a choice start a program, and the program writes not a byte.

#include "tests/support/scenario.h"

namespace {

using namespace test;

using Roads = Scenario;

TEST_F(Roads, OneClickOnTheStartButtonAndAChoiceStartTheProgram)
{
    install("Velmora.exe");
    // Programs holds "Administrative Tools", "StartUp" and "Zubehör", the last of the three.
    shortcut(user_programs() + utf8(u8"Zubehör\\Editor.lnk"), "editor");
    shortcut(common_programs() + utf8(u8"Zubehör\\Rechner.lnk"), "rechner");
    remember_folders();
    start();
    HWND main = velmora_main_window(session_);  // invisible, owned by the Start button
    EXPECT_EQ(window_text(main), "Velmora 1.0.0");
    EXPECT_FALSE(IsWindowVisible(main));
    EXPECT_EQ(GetWindow(main, GW_OWNER), fake_start_button());
    choose({-1, 1});  // Zubehör, then its second entry: Editor, Rechner
    EXPECT_TRUE(wait_for_launch("rechner"));
    EXPECT_EQ(launches(), 1) << "the choice started its program once";
    close_and_expect_nothing_written();
}

}  // namespace
