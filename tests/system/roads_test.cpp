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

TEST_F(Roads, OneClickOnTheStartButtonAndAChoiceStartTheProgramAlsoOnceRenamedOrMoved)
{
    install("Velmora.exe");
    // Programs holds Alpha, Beta, Mitte, "Administrative Tools", "StartUp" and "Zubehör".
    shortcut(user_programs() + utf8(u8"Zubehör\\Editor.lnk"), "editor");
    shortcut(common_programs() + utf8(u8"Zubehör\\Rechner.lnk"), "rechner");
    for (const char* name : {"Alpha", "Beta", "Mitte"})
        shortcut(user_programs() + name + ".lnk", name);
    remember_folders();
    start();
    HWND main = velmora_main_window(session_);  // invisible, owned by the Start button
    EXPECT_EQ(window_text(main), "Velmora 1.0.0");
    EXPECT_FALSE(IsWindowVisible(main));
    EXPECT_EQ(GetWindow(main, GW_OWNER), fake_start_button());
    choose({-1, 1});  // Zubehör, then its second entry: Editor, Rechner
    EXPECT_TRUE(wait_for_launch("rechner"));
    EXPECT_EQ(launches(), 1) << "the choice started its program once";

    // Renamed and moved while the program runs, the number of files unchanged: Alpha becomes Zeta,
    // Beta goes into Zubehör. Velmora.exe tells nothing, so the second entry is chosen until it
    // opens Zeta: Beta there in the menu before, gone from there, opens nothing.
    for (const auto& [from, to] : {std::pair{"Alpha", u8"Zeta"}, {"Beta", u8"Zubehör\\Beta"}})
        ASSERT_TRUE(MoveFileW(wide(user_programs() + from + ".lnk").c_str(), wide(user_programs() + utf8(to) + ".lnk").c_str()));
    remember_folders();
    EXPECT_TRUE(wait_until([&] {  // Mitte, Zeta, Administrative Tools, StartUp, Zubehör
        choose({1});
        return wait_until([&] { return launched("Alpha") > 0; }, 2000);
    }, 120000)) << "the renamed shortcut never opened";
    choose({-1, 0});  // Zubehör: Beta, Editor, Rechner
    EXPECT_TRUE(wait_until([&] { return launched("Beta") > 0; }, 30000)) << "the moved shortcut did not open";
    EXPECT_EQ(launched("editor"), 0);
    close_and_expect_nothing_written();
}

}  // namespace
