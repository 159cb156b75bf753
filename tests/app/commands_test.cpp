// test-lock: desktop
// Choosing from Velmora's menu with the keyboard, as a user can: program entries start their
// shortcuts, the commands reach the shell or the recorders that stand in for the session calls.

#include <gtest/gtest.h>

#include <objbase.h>
#include <shlobj.h>

#include <string>

#include "tests/support/test_support.h"
#include "tests/support/velmora_session.h"

namespace {

using namespace test;

class Commands : public ::testing::Test {
protected:
    void SetUp() override
    {
        CoInitialize(nullptr);
        clear_programs_folders();
        launches_ = make_temp_folder("velmora_launches") + "launches.log";
    }
    void TearDown() override
    {
        if (HasFailure())
            dump_logs(session_);
        press_key(VK_ESCAPE);
        end_session(session_);
        clear_programs_folders();
        remove_tree(launches_.substr(0, launches_.find_last_of('\\')));
        CoUninitialize();
    }

    void start()
    {
        ASSERT_TRUE(start_fake_shell(session_));
        ASSERT_TRUE(start_velmora(session_, "velmora_recording.exe"));
        ASSERT_TRUE(wait_for_lines(session_.record_log, "rebuild end", 1, 30000));
    }
    // Opens the menu and walks down: Down first selects "Programs" (item 0), then the commands
    // from "Suchen" (1) to "Velmora beenden" (10); separators are skipped.
    void open_menu_at(int item)
    {
        click_start_button();
        ASSERT_TRUE(wait_for_menu(true, 5000));
        pump_messages(100);
        for (int i = 0; i <= item; ++i)
            press_key(VK_DOWN);
    }
    // Right opens "Programs" with its first entry selected; n counts from 1.
    void choose_program(int n)
    {
        open_menu_at(0);
        press_key(VK_RIGHT);
        for (int i = 1; i < n; ++i)
            press_key(VK_DOWN);
        press_key(VK_RETURN);
    }
    void shortcut(int csidl, const std::string& name, const std::string& tag)
    {
        ASSERT_TRUE(create_shortcut(programs_folder(csidl) + name, fixture_path("record_launch.exe"),
                                    "\"" + launches_ + "\" " + tag, ""));
    }
    int launched(const std::string& tag) { return count_lines(launches_, " " + tag + "|"); }

    velmora_session session_;
    std::string launches_;
};

// Entries: Alpha, Both, Gamma. Both stands for the user's and all users' .lnk and the user's .url,
// which are opened in the launcher's order.
TEST_F(Commands, AnEntryOpensEveryShortcutBehindItUsersFirstAndLnkBeforeUrl)
{
    shortcut(CSIDL_STARTMENU, "Alpha.lnk", "alpha");
    shortcut(CSIDL_COMMON_STARTMENU, "Gamma.lnk", "gamma");
    shortcut(CSIDL_STARTMENU, "Both.lnk", "user");
    shortcut(CSIDL_COMMON_STARTMENU, "Both.lnk", "common");
    ASSERT_TRUE(create_internet_shortcut(programs_folder(CSIDL_STARTMENU) + "Both.url", "http://velmora.invalid/"));
    start();

    choose_program(3);
    ASSERT_TRUE(wait_until([&] { return launched("gamma") == 1; }, 10000));
    EXPECT_EQ(count_lines(session_.record_log, "run_program"), 1);

    ASSERT_TRUE(wait_for_menu(false, 5000));
    choose_program(2);
    ASSERT_TRUE(wait_until([&] { return launched("user") == 1 && launched("common") == 1; }, 10000));
    ASSERT_TRUE(wait_for_lines(session_.record_log, "run_program", 4, 5000));
    std::vector<std::string> runs = lines_containing(session_.record_log, "run_program");
    EXPECT_NE(runs[1].find(programs_folder(CSIDL_STARTMENU) + "Both.lnk"), std::string::npos);
    EXPECT_NE(runs[2].find(programs_folder(CSIDL_COMMON_STARTMENU) + "Both.lnk"), std::string::npos);
    EXPECT_NE(runs[3].find(programs_folder(CSIDL_STARTMENU) + "Both.url"), std::string::npos);

    // A number beyond the entries (sent as the menu would) opens nothing.
    PostMessageA(velmora_main_window(session_), WM_COMMAND, 4, 0);
    pump_messages(500);
    EXPECT_EQ(count_lines(session_.record_log, "run_program"), 4);
    EXPECT_EQ(launched("alpha"), 0);
}

TEST_F(Commands, AChoiceInAMenuShownDuringARebuildOpensWhatTheMenuShowed)
{
    shortcut(CSIDL_STARTMENU, "Mango.lnk", "mango");
    shortcut(CSIDL_STARTMENU, "Zitrone.lnk", "zitrone");
    start();

    // The menu is open on Mango (entry 1) when a new first entry appears and the menu is rebuilt.
    open_menu_at(0);
    press_key(VK_RIGHT);
    shortcut(CSIDL_STARTMENU, "Apfel.lnk", "apfel");
    ASSERT_TRUE(wait_for_lines(session_.record_log, "rebuild end", 2, 30000));
    ASSERT_NE(visible_menu_window(), nullptr) << "the rebuild left the open menu alone";
    press_key(VK_RETURN);
    ASSERT_TRUE(wait_until([&] { return launched("mango") == 1; }, 10000));
    EXPECT_EQ(launched("apfel"), 0);

    // The next menu is the new one: its first entry is Apfel.
    ASSERT_TRUE(wait_for_menu(false, 5000));
    choose_program(1);
    EXPECT_TRUE(wait_until([&] { return launched("apfel") == 1; }, 10000));
}

TEST_F(Commands, SessionCommandsReachTheShellAndTheRecorders)
{
    start();
    char system[MAX_PATH] = {};
    GetSystemDirectoryA(system, sizeof system);
    const std::string shutdown = "\"" + std::string(system) + "\\shutdown.exe\"";
    const struct {
        int item;
        bool shell_log;  // the effect shows in the fake taskbar's log, else in Velmora's
        std::string line;
    } rows[] = {
        {2, true, "tray WM_COMMAND 401 0"},  // "Ausführen"
        {1, false, "shell_execute verb=find file=C:\\ parameters=(null) directory=(null) show=5"},
        {3, false, "lock_workstation"},
        {4, false, "exit_windows flags=0 reason=0"},
        {7, false, "run_program file=" + shutdown + " parameters=-r -f directory= flags=2"},
        {8, false, "run_program file=" + shutdown + " parameters=-s -f  directory= flags=2"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.line);
        open_menu_at(row.item);
        press_key(VK_RETURN);
        EXPECT_TRUE(wait_for_lines(row.shell_log ? session_.shell_log : session_.record_log, row.line, 1, 5000));
        ASSERT_TRUE(wait_for_menu(false, 5000));
    }

    // "Standby" and "Ruhezustand" are greyed: Enter does nothing, the menu has to be dismissed.
    const size_t before = read_lines(session_.record_log).size();
    for (int item : {5, 6}) {
        open_menu_at(item);
        press_key(VK_RETURN);
        pump_messages(200);
        press_key(VK_ESCAPE);
        ASSERT_TRUE(wait_for_menu(false, 5000));
    }
    pump_messages(300);
    std::vector<std::string> lines = read_lines(session_.record_log);
    for (size_t i = before; i < lines.size(); ++i)
        EXPECT_TRUE(lines[i].rfind("menu ", 0) == 0 || lines[i].rfind("entries=", 0) == 0 || lines[i] == "taskbar_edge")
            << lines[i];

    open_menu_at(10);  // "Velmora beenden"
    press_key(VK_RETURN);
    EXPECT_EQ(wait_exit(session_.velmora, 10000), 0);
    close_process(session_.velmora);
}

}  // namespace
