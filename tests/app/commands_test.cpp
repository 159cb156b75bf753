// test-lock: desktop
// Choosing from Velmora's menu with the keyboard, as a user can: program entries start their
// shortcuts, the commands reach the shell or the recorders that stand in for the session calls.

#include <string>

#include "tests/support/scenario.h"

namespace {

using namespace test;

using Commands = Scenario;

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

    choose({2});
    ASSERT_TRUE(wait_for_launch("gamma"));
    EXPECT_EQ(count_lines(log(), "run_program"), 1);

    choose({1});
    ASSERT_TRUE(wait_for_launch("user") && wait_for_launch("common"));
    ASSERT_TRUE(wait_for_lines(log(), "run_program", 4, 5000));
    std::vector<std::string> runs = lines_containing(log(), "run_program");
    EXPECT_NE(runs[1].find(user_programs() + "Both.lnk"), std::string::npos);
    EXPECT_NE(runs[2].find(common_programs() + "Both.lnk"), std::string::npos);
    EXPECT_NE(runs[3].find(user_programs() + "Both.url"), std::string::npos);

    // A number beyond the entries (sent as the menu would) opens nothing.
    PostMessageA(velmora_main_window(session_), WM_COMMAND, 4, 0);
    pump_messages(500);
    EXPECT_EQ(count_lines(log(), "run_program"), 4);
    EXPECT_EQ(launched("alpha"), 0);
}

TEST_F(Commands, SessionCommandsReachTheShellAndTheRecorders)
{
    start_with_menu();
    char system[MAX_PATH] = {};
    GetSystemDirectoryA(system, sizeof system);
    const std::string shutdown = "\"" + std::string(system) + "\\shutdown.exe\"";
    const struct {
        int downs;       // the top-level item: "Suchen" is 2
        bool shell_log;  // the effect shows in the fake taskbar's log, else in Velmora's
        std::string line;
    } rows[] = {
        {3, true, "tray WM_COMMAND 401 0"},  // "Ausführen"
        {2, false, "shell_execute verb=find file=C:\\ parameters=(null) directory=(null) show=5"},
        {4, false, "lock_workstation"},
        {5, false, "exit_windows flags=0 reason=0"},
        {8, false, "run_program file=" + shutdown + " parameters=-r -f directory= flags=2"},
        {9, false, "run_program file=" + shutdown + " parameters=-s -f  directory= flags=2"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.line);
        choose_top_item(row.downs);
        EXPECT_TRUE(wait_for_lines(row.shell_log ? session_.shell_log : log(), row.line, 1, 5000));
    }

    // "Standby" and "Ruhezustand" are greyed: Enter does nothing, the menu has to be dismissed.
    const size_t before = read_lines(log()).size();
    for (int downs : {6, 7})
        choose_top_item(downs);
    pump_messages(300);
    std::vector<std::string> lines = read_lines(log());
    for (size_t i = before; i < lines.size(); ++i)
        EXPECT_TRUE(lines[i].rfind("menu ", 0) == 0 || lines[i].rfind("entries=", 0) == 0 || lines[i] == "taskbar_edge")
            << lines[i];

    choose_top_item(11);  // "Velmora beenden"
    EXPECT_EQ(wait_exit(session_.velmora, 10000), 0);
    close_process(session_.velmora);
}

}  // namespace
