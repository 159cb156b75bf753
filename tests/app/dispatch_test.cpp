// test-lock: desktop
// What choosing a menu item or clicking an about-window control does, with recorders in place of
// the session operations. Shortcut files are made in the Wine prefix's real Start Menu folders.

#include <gtest/gtest.h>

#include <objbase.h>
#include <shlobj.h>

#include <memory>
#include <string>
#include <vector>

#include "about/product.h"
#include "app/dispatch.h"
#include "app/session_ops.h"
#include "app/velmora.h"
#include "presentation/commands.h"
#include "tests/support/test_support.h"
#include "tests/support/velmora_session.h"
#include "toolkit/process.h"

namespace {

using namespace test;

std::vector<std::string> g_calls;

HINSTANCE record_shell_execute(HWND window, const char* verb, const char* file,
                               const char* parameters, const char* directory, int show)
{
    g_calls.push_back(std::string("shell_execute ") + (window ? "window" : "none") + " " +
                      (verb ? verb : "(null)") + " " + (file ? file : "(null)") + " " +
                      (parameters ? parameters : "(null)") + " " + (directory ? directory : "(null)") +
                      " " + std::to_string(show));
    return nullptr;
}

LRESULT record_send_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    g_calls.push_back("send_message " + window_class_name(window) + " " + std::to_string(message) +
                      " " + std::to_string(wparam) + " " + std::to_string(lparam));
    return 0;
}

BOOL record_lock_workstation()
{
    g_calls.push_back("lock_workstation");
    return TRUE;
}

BOOL record_exit_windows(UINT flags, DWORD reason)
{
    g_calls.push_back("exit_windows " + std::to_string(flags) + " " + std::to_string(reason));
    return TRUE;
}

intptr_t record_run_program(const char* file, const char* parameters, const char* directory,
                            uint32_t flags)
{
    g_calls.push_back(std::string("run_program ") + file + "|" + parameters + "|" + directory + "|" +
                      std::to_string(flags));
    return 1;
}

UINT record_taskbar_edge()
{
    return ABE_BOTTOM;
}

BOOL record_show_menu(HMENU, HWND, int, int)
{
    return TRUE;
}

const session_operations recorders = {
    record_shell_execute, record_send_message, record_lock_workstation, record_exit_windows,
    record_run_program,   record_taskbar_edge, record_show_menu,
};

std::string folder_of(int csidl)
{
    char path[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return std::string(path) + "\\";
}

launch_table table_of(std::vector<std::string> entries)
{
    return std::make_shared<const path_list>(std::move(entries));
}

class Dispatch : public ::testing::Test {
protected:
    void SetUp() override
    {
        CoInitialize(nullptr);
        set_session_operations(&recorders);
        g_calls.clear();
        clear_programs_folders();
        user_ = folder_of(CSIDL_STARTMENU);
        common_ = folder_of(CSIDL_COMMON_STARTMENU);
    }
    void TearDown() override
    {
        clear_programs_folders();
        set_session_operations(nullptr);
        g_app.quit_requested.store(0);
        CoUninitialize();
    }
    void make(const std::string& path)
    {
        make_folders(path.substr(0, path.find_last_of('\\')));
        ASSERT_TRUE(write_file(path, "x"));
    }
    std::string run(const std::string& path) { return "run_program " + path + "|||0"; }

    std::string user_, common_;
};

TEST_F(Dispatch, OpensTheEntryWithTheChosenNumber)
{
    make(user_ + "Programs\\A.lnk");
    make(user_ + "Programs\\Tools\\B.lnk");
    make(common_ + "Programs\\Tools\\C.lnk");
    launch_table launch = table_of({"Programs\\A", "Programs\\Tools\\B", "Programs\\Tools\\C"});

    dispatch_command(3, launch);
    EXPECT_EQ(g_calls, std::vector<std::string>{run(common_ + "Programs\\Tools\\C.lnk")});

    // Numbers outside the list open nothing.
    g_calls.clear();
    for (int32_t item : {0, 4, -1, 9999})
        dispatch_command(item, launch);
    EXPECT_TRUE(g_calls.empty());
}

TEST_F(Dispatch, OpensEveryExistingShortcutOfAnEntryInTheLaunchOrder)
{
    // The same entry under both roots, as shortcut and as internet shortcut.
    make(user_ + "Programs\\Editor.lnk");
    make(common_ + "Programs\\Editor.lnk");
    make(user_ + "Programs\\Editor.url");
    make(common_ + "Programs\\Editor.url");
    launch_entry("Programs\\Editor");
    EXPECT_EQ(g_calls, (std::vector<std::string>{
                           run(user_ + "Programs\\Editor.lnk"),
                           run(common_ + "Programs\\Editor.lnk"),
                           run(user_ + "Programs\\Editor.url"),
                           run(common_ + "Programs\\Editor.url"),
                       }));

    // A shortcut deleted after the menu was built: nothing happens, no message.
    g_calls.clear();
    launch_entry("Programs\\Gone");
    EXPECT_TRUE(g_calls.empty());
}

TEST_F(Dispatch, CarriesOutEachFixedCommand)
{
    // The Run command looks the taskbar up by class and empty title: give it one to find.
    WNDCLASSA tray_class = {};
    tray_class.lpfnWndProc = DefWindowProcA;
    tray_class.hInstance = GetModuleHandleA(nullptr);
    tray_class.lpszClassName = "Shell_TrayWnd";
    RegisterClassA(&tray_class);
    HWND tray = CreateWindowExA(0, "Shell_TrayWnd", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                tray_class.hInstance, nullptr);
    ASSERT_NE(tray, nullptr);

    const std::string shutdown = system_shutdown_program();
    const struct {
        uint32_t id;
        std::vector<std::string> calls;
    } rows[] = {
        {command_search, {"shell_execute none find C:\\ (null) (null) 5"}},
        {command_run, {"send_message Shell_TrayWnd 273 401 0"}},
        {command_switch_user, {"lock_workstation"}},
        {command_log_off, {"exit_windows 0 0"}},
        {command_standby, {}},   // greyed: no action
        {command_hibernate, {}}, // greyed: no action
        {command_restart, {"run_program " + shutdown + "|-r -f||2"}},
        {command_shut_down, {"run_program " + shutdown + "|-s -f ||2"}},  // trailing blank kept
        {10011, {}},
    };
    for (const auto& row : rows) {
        g_calls.clear();
        dispatch_command(static_cast<int32_t>(row.id), table_of({}));
        EXPECT_EQ(g_calls, row.calls) << "command " << row.id;
    }

    EXPECT_EQ(g_app.quit_requested.load(), 0);
    dispatch_command(command_quit, table_of({}));
    EXPECT_EQ(g_app.quit_requested.load(), 1);

    DestroyWindow(tray);
    UnregisterClassA("Shell_TrayWnd", tray_class.hInstance);
}

TEST_F(Dispatch, StartsTheSystemsShutdownToolByItsFullPath)
{
    char system[MAX_PATH] = {};
    GetSystemDirectoryA(system, sizeof system);
    EXPECT_EQ(system_shutdown_program(), "\"" + std::string(system) + "\\shutdown.exe\"");
}

TEST_F(Dispatch, AboutWindowLinksOpenTheHomepageAndTheMailAddress)
{
    dispatch_control(10);
    dispatch_control(11);
    dispatch_control(1);  // the banner and other controls do nothing
    dispatch_control(12); // closes window 1, which is not open here: nothing else happens
    EXPECT_EQ(g_calls, (std::vector<std::string>{
                           run(homepage_url),
                           run(std::string("mailto:") + email_address),
                       }));
}

}  // namespace
