// test-lock: desktop
// Choosing from Velmora's menu with the keyboard, as a user can: program entries start their
// shortcuts, the commands reach the shell or the recorders that stand in for the session calls.

#include <string>

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
    ASSERT_TRUE(wait_for_launch("user") && wait_for_launch("common"));
    // A number beyond the entries (sent as the menu would) opens nothing; the choice after it,
    // handled in turn, shows that it has been handled.
    PostMessageA(velmora_main_window(session_), WM_COMMAND, 4, 0);
    choose({2});
    ASSERT_TRUE(wait_for_launch("gamma"));
    const std::vector<std::string> runs = effects(log());
    ASSERT_EQ(runs.size(), 4u);
    EXPECT_NE(runs[0].find(user_programs() + "Both.lnk"), std::string::npos);
    EXPECT_NE(runs[1].find(common_programs() + "Both.lnk"), std::string::npos);
    EXPECT_NE(runs[2].find(user_programs() + "Both.url"), std::string::npos);
    EXPECT_NE(runs[3].find(common_programs() + "Gamma.lnk"), std::string::npos);
    EXPECT_EQ(launched("alpha"), 0);
}

TEST_F(Commands, SessionCommandsReachTheShellAndTheRecorders)
{
    start_with_menu();
    // "Standby" and "Ruhezustand" are greyed: Enter does nothing, the menu has to be dismissed.
    choose_top_item(6, true);
    choose_top_item(7, true);

    char system[MAX_PATH] = {};
    GetSystemDirectoryA(system, sizeof system);
    const std::string shutdown = "\"" + std::string(system) + "\\shutdown.exe\"";
    choose_top_item(3);  // "Ausführen"
    EXPECT_TRUE(wait_for_lines(session_.shell_log, "tray WM_COMMAND 401 0", 1, 30000));
    const struct {
        int downs;  // the top-level item: "Suchen" is 2
        std::string call;
    } rows[] = {
        {2, "shell_execute verb=find file=C:\\ parameters=(null) directory=(null) show=5"},
        {4, "lock_workstation"},
        {5, "exit_windows flags=0 reason=0"},
        {8, "run_program file=" + shutdown + " parameters=-r -f directory= flags=2"},
        {9, "run_program file=" + shutdown + " parameters=-s -f  directory= flags=2"},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(rows[i].call);
        choose_top_item(rows[i].downs);
        ASSERT_TRUE(wait_until([&] { return effects(log()).size() > i; }, 30000));
        EXPECT_EQ(effects(log())[i], rows[i].call) << "or the greyed items did something";
    }

    choose_top_item(11);  // "Velmora beenden"
    EXPECT_EQ(wait_exit(session_.velmora, 15000), 0);
}

}  // namespace
