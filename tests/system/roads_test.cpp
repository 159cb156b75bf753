// test-lock: desktop
// test-label: wow64
// The two roads through the whole program, with the real Velmora.exe installed with its Grafiken
// in a folder of its own, whose name the ANSI code page cannot write, and started from there: one
// click and a choice start a program; a shortcut moved while it runs is in the menu where it now
// is. Neither writes a byte.

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

TEST_F(Roads, AShortcutMovedWhileItRunsCanBeChosenWhereItNowIs)
{
    install("Velmora.exe");
    // "Werkzeuge" and "Zubehör" come last in Programs; Werkzeuge is empty at first, and choosing
    // its first entry before the change shows does nothing.
    ASSERT_TRUE(make_folders(user_programs() + "Werkzeuge"));
    shortcut(user_programs() + utf8(u8"Zubehör\\Editor.lnk"), "editor");
    start();
    choose({-1, 0});  // the menu is built: Zubehör's Editor starts
    ASSERT_TRUE(wait_for_launch("editor"));

    // Moved in one step, as a user does: the number of files stays the same.
    ASSERT_TRUE(MoveFileW(wide(user_programs() + utf8(u8"Zubehör\\Editor.lnk")).c_str(),
                          wide(user_programs() + "Werkzeuge\\Editor.lnk").c_str()));
    remember_folders();

    // The user opens the menu again and again until the entry is there (the watcher looks every
    // five seconds).
    for (DWORD moved = GetTickCount(); launched("editor") < 2 && GetTickCount() - moved < 60000;) {
        choose({-2, 0});
        wait_until([&] { return launched("editor") > 1; }, 1000);
    }
    EXPECT_EQ(launches(), 2) << "probing the old menu started nothing";

    close_and_expect_nothing_written();
}

}  // namespace
