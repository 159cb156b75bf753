// test-lock: desktop
// test-label: wow64
// The road through the whole program, with the real Velmora.exe installed with its Grafiken in a
// folder of its own, whose name the ANSI code page cannot write, and started from there: it runs
// invisibly, one click and a choice start a program, a shortcut renamed or moved opens from its
// new place, and the program writes not a byte.

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

// Renamed and moved while the program runs, the number of files unchanged: Alpha becomes Zeta, and
// Beta goes into Werkzeuge. Velmora.exe tells nothing, so the second entry is chosen until it
// opens Zeta: Beta there in the menu before, gone from there, opens nothing.
TEST_F(Roads, AShortcutRenamedOrMovedOpensFromItsNewPlace)
{
    install("Velmora.exe");
    for (const char* name : {"Alpha", "Beta", "Mitte", "Werkzeuge\\Delta"})
        shortcut(user_programs() + name + ".lnk", std::string(name).substr(std::string(name).find('\\') + 1));
    start();
    choose({1});  // Alpha, Beta, Mitte, Administrative Tools, StartUp, Werkzeuge
    ASSERT_TRUE(wait_for_launch("Beta"));
    for (const auto& [from, to] : {std::pair{"Alpha", "Zeta"}, {"Beta", "Werkzeuge\\Beta"}})
        ASSERT_TRUE(MoveFileW(wide(user_programs() + from + ".lnk").c_str(), wide(user_programs() + to + ".lnk").c_str()));
    remember_folders();
    EXPECT_TRUE(wait_until([&] {  // Mitte, Zeta, Administrative Tools, StartUp, Werkzeuge
        choose({1});
        return wait_until([&] { return launched("Alpha") > 0; }, 2000);
    }, 120000)) << "the renamed shortcut never opened";
    const int betas = launched("Beta");
    choose({-1, 0});  // Werkzeuge: Beta, Delta
    EXPECT_TRUE(wait_until([&] { return launched("Beta") > betas; }, 30000)) << "the moved shortcut did not open";
    EXPECT_EQ(launched("Delta"), 0);
    close_and_expect_nothing_written();
}

}  // namespace
