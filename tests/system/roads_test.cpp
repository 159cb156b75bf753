// test-lock: desktop
// test-label: wow64
// The road through the whole program, with the real Velmora.exe installed with its Grafiken in a
// folder of its own, whose name the ANSI code page cannot write, and started from there: one click
// and a choice start a program, and the program writes not a byte.

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
    choose({-1, 1});  // Zubehör, then its second entry: Editor, Rechner
    EXPECT_TRUE(wait_for_launch("rechner"));
    choose({-1, 0});
    EXPECT_TRUE(wait_for_launch("editor"));
    EXPECT_EQ(launches(), 2) << "each choice started its program once";
    close_and_expect_nothing_written();
}

}  // namespace
