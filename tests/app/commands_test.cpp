// test-lock: desktop
// Choosing from Velmora's menu by keyboard: entries start their shortcuts, commands reach the shell or recorders.

#include "tests/support/scenario.h"

namespace {

using namespace test;

using Commands = Scenario;

// What a choice made the recording build do, in order: the calls that reach the system.
std::vector<std::string> effects(const std::string& log)
{
    std::vector<std::string> found;
    for (const std::string& line : read_lines(log))
        for (const char* call : {"shell_execute ", "lock_workstation", "exit_windows ", "run_program "})
            if (line.rfind(call, 0) == 0)
                found.push_back(line);
    return found;
}

// Entries: Alpha, Both, Gamma. Both stands for the user's and all users' .lnk and the user's .url,
// which are opened in the launcher's order.
TEST_F(Commands, AnEntryOpensEveryShortcutBehindItUsersFirstAndLnkBeforeUrl)
{
    shortcut(user_programs() + "Alpha.lnk", "alpha");
    shortcut(common_programs() + "Gamma.lnk", "gamma");
    shortcut(user_programs() + "Both.lnk", "user");
    shortcut(common_programs() + "Both.lnk", "common");
    ASSERT_TRUE(create_internet_shortcut(user_programs() + "Both.url", "http://velmora.invalid/"));
    start_with_menu();

    choose({1});
    // A number beyond the entries (sent as the menu would) opens nothing; the choice after it,
    // handled in turn, shows that it has been handled.
    PostMessageA(velmora_main_window(session_), WM_COMMAND, 4, 0);
    choose({2});
    ASSERT_TRUE(wait_for_launch("user") && wait_for_launch("common") && wait_for_launch("gamma"));
    const std::vector<std::string> runs = effects(log());  // Alpha's, wrongly opened, would be among them
    ASSERT_EQ(runs.size(), 4u);
    EXPECT_NE(runs[0].find(user_programs() + "Both.lnk"), std::string::npos);
    EXPECT_NE(runs[1].find(common_programs() + "Both.lnk"), std::string::npos);
    EXPECT_NE(runs[2].find(user_programs() + "Both.url"), std::string::npos);
    EXPECT_NE(runs[3].find(common_programs() + "Gamma.lnk"), std::string::npos);
}

TEST_F(Commands, SessionCommandsReachTheShellAndTheRecorders)
{
    start_with_menu();
    // The top-level items from "Suchen" (2) on. Enter on the greyed "Standby" and "Ruhezustand" does
    // nothing; Escape dismisses the menu if it stays.
    for (int downs : {2, 3, 4, 5, 6, 7, 8, 9})
        choose_top_item(downs, downs == 6 || downs == 7);
    EXPECT_TRUE(wait_for_lines(session_.shell_log, "tray WM_COMMAND 401 0", 1, 30000)) << "Ausführen";

    char system[MAX_PATH] = {};
    const std::string shutdown = std::string(system, GetSystemDirectoryA(system, sizeof system)) + "\\shutdown.exe";
    const std::vector<std::string> expected = {
        "shell_execute verb=find file=C:\\ parameters=(null) directory=(null) show=5", "lock_workstation",
        "exit_windows flags=0 reason=0", "run_program file=\"" + shutdown + "\" parameters=-r -f directory= flags=2",
        "run_program file=\"" + shutdown + "\" parameters=-s -f  directory= flags=2"};
    EXPECT_TRUE(wait_until([&] { return effects(log()).size() >= expected.size(); }, 30000));
    EXPECT_EQ(effects(log()), expected) << "or the greyed items did something";
}

}  // namespace
