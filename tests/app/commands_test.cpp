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

// Positions of the top-level items that the arrow keys visit (separators are skipped).
constexpr int programs_item = 0;
constexpr int search_item = 1;
constexpr int run_item = 2;
constexpr int switch_user_item = 3;
constexpr int log_off_item = 4;
constexpr int standby_item = 5;
constexpr int hibernate_item = 6;
constexpr int restart_item = 7;
constexpr int shut_down_item = 8;
constexpr int quit_item = 10;

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
    void open_menu()
    {
        click_start_button();
        ASSERT_TRUE(wait_for_menu(true, 5000));
        pump_messages(100);
    }
    // Opens the menu, walks down to the top-level item and presses Enter.
    void choose_top_item(int item)
    {
        open_menu();
        for (int i = 0; i <= item; ++i)
            press_key(VK_DOWN);
        press_key(VK_RETURN);
        pump_messages(200);
    }
    // Opens the Programs submenu and chooses its entry number n (counting from 1).
    void choose_program(int n)
    {
        open_menu();
        press_key(VK_DOWN);
        press_key(VK_RIGHT);
        for (int i = 1; i < n; ++i)
            press_key(VK_DOWN);
        press_key(VK_RETURN);
    }
    void shortcut(int csidl, const std::string& name, const std::string& tag)
    {
        std::string path = programs_folder(csidl) + name;
        make_folders(path.substr(0, path.find_last_of('\\')));
        ASSERT_TRUE(create_shortcut(path, fixture_path("record_launch.exe"), "\"" + launches_ + "\" " + tag, ""));
    }
    int launched(const std::string& tag) { return count_lines(launches_, " " + tag + "|"); }

    velmora_session session_;
    std::string launches_;
};

TEST_F(Commands, ChoosingAProgramEntryStartsItsShortcut)
{
    shortcut(CSIDL_STARTMENU, "Alpha.lnk", "alpha");
    shortcut(CSIDL_COMMON_STARTMENU, "Beta.lnk", "beta");
    shortcut(CSIDL_STARTMENU, "Gamma.lnk", "gamma");
    start();

    choose_program(3);
    ASSERT_TRUE(wait_until([&] { return launched("gamma") == 1; }, 10000));
    EXPECT_EQ(launched("alpha") + launched("beta"), 0);
}

TEST_F(Commands, AnEntryUnderBothRootsStartsTwiceTheUsersFirst)
{
    shortcut(CSIDL_STARTMENU, "Both.lnk", "user");
    shortcut(CSIDL_COMMON_STARTMENU, "Both.lnk", "common");
    start();

    choose_program(1);
    ASSERT_TRUE(wait_until([&] { return launched("user") == 1 && launched("common") == 1; }, 10000));
    std::vector<std::string> runs = lines_containing(session_.record_log, "run_program");
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_NE(runs[0].find(programs_folder(CSIDL_STARTMENU) + "Both.lnk"), std::string::npos);
    EXPECT_NE(runs[1].find(programs_folder(CSIDL_COMMON_STARTMENU) + "Both.lnk"), std::string::npos);
}

TEST_F(Commands, AShortcutBeforeAnInternetShortcutOfTheSameName)
{
    shortcut(CSIDL_STARTMENU, "Site.lnk", "site");
    ASSERT_TRUE(create_internet_shortcut(programs_folder(CSIDL_STARTMENU) + "Site.url",
                                         "http://velmora.invalid/"));
    start();

    choose_program(1);
    ASSERT_TRUE(wait_for_lines(session_.record_log, "run_program", 2, 10000));
    std::vector<std::string> runs = lines_containing(session_.record_log, "run_program");
    EXPECT_NE(runs[0].find("Site.lnk"), std::string::npos);
    EXPECT_NE(runs[1].find("Site.url"), std::string::npos);
    EXPECT_TRUE(wait_until([&] { return launched("site") == 1; }, 10000));
}

TEST_F(Commands, AChoiceInAMenuShownDuringARebuildOpensWhatTheMenuShowed)
{
    shortcut(CSIDL_STARTMENU, "Mango.lnk", "mango");
    shortcut(CSIDL_STARTMENU, "Zitrone.lnk", "zitrone");
    start();

    // The menu is open on Mango (entry 1) when a new first entry appears and the menu is rebuilt.
    open_menu();
    press_key(VK_DOWN);
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
        const char* log;  // which log shows the effect
        std::string line;
    } rows[] = {
        {run_item, "shell", "tray WM_COMMAND 401 0"},
        {search_item, "velmora", "shell_execute verb=find file=C:\\ parameters=(null) directory=(null) show=5"},
        {switch_user_item, "velmora", "lock_workstation"},
        {log_off_item, "velmora", "exit_windows flags=0 reason=0"},
        {restart_item, "velmora", "run_program file=" + shutdown + " parameters=-r -f directory= flags=2"},
        {shut_down_item, "velmora", "run_program file=" + shutdown + " parameters=-s -f  directory= flags=2"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.line);
        const std::string& log = std::string(row.log) == "shell" ? session_.shell_log : session_.record_log;
        choose_top_item(row.item);
        EXPECT_TRUE(wait_for_lines(log, row.line, 1, 5000));
        ASSERT_TRUE(wait_for_menu(false, 5000));
    }

    // The greyed items give no event: nothing is recorded, and the menu has to be dismissed.
    int before = static_cast<int>(read_lines(session_.record_log).size());
    for (int item : {standby_item, hibernate_item}) {
        choose_top_item(item);
        press_key(VK_ESCAPE);
        ASSERT_TRUE(wait_for_menu(false, 5000));
    }
    pump_messages(300);
    std::vector<std::string> lines = read_lines(session_.record_log);
    for (size_t i = static_cast<size_t>(before); i < lines.size(); ++i)
        EXPECT_TRUE(lines[i].rfind("menu ", 0) == 0 || lines[i] == "taskbar_edge") << lines[i];

    choose_top_item(quit_item);
    EXPECT_EQ(wait_exit(session_.velmora, 10000), 0);
    close_process(session_.velmora);
}

}  // namespace
