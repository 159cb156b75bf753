#include "app/dispatch.h"

#include <windows.h>

#include "about/about_window.h"
#include "about/product.h"
#include "app/session_ops.h"
#include "app/app_state.h"
#include "catalogue/start_menu_fs.h"
#include "presentation/commands.h"
#include "toolkit/process.h"
#include "toolkit/wide.h"
#include "toolkit/window.h"

namespace {

constexpr WPARAM run_dialog_command = 401;

void search_drive_c()
{
    session_ops().shell_execute(nullptr, "find", "C:\\", nullptr, nullptr, SW_SHOW);
}

void open_run_dialog()
{
    // The window name is an empty string, not none: only the taskbar itself has no title.
    HWND taskbar = FindWindowA("Shell_TrayWnd", "");
    if (taskbar)
        session_ops().send_message(taskbar, WM_COMMAND, run_dialog_command, 0);
}

void switch_user()
{
    session_ops().lock_workstation();
}

void log_off()
{
    session_ops().exit_windows(EWX_LOGOFF, 0);
}

void run_shutdown(const char* parameters)
{
    std::string program = system_shutdown_program();
    if (!program.empty())
        session_ops().run_program(program.c_str(), parameters, "", run_hide);
}

void restart()
{
    run_shutdown("-r -f");
}

void shut_down()
{
    run_shutdown("-s -f ");
}

void quit()
{
    g_app.quit_requested.store(1);
}

struct command_action {
    uint32_t id;
    void (*run)();
};

// "Standby" and "Ruhezustand" are greyed in the menu and have no action.
const command_action command_actions[] = {
    {command_search, search_drive_c},
    {command_run, open_run_dialog},
    {command_switch_user, switch_user},
    {command_log_off, log_off},
    {command_restart, restart},
    {command_shut_down, shut_down},
    {command_information, open_about_window},
    {command_quit, quit},
};

}  // namespace

std::string system_shutdown_program()
{
    // By its full path: the search path begins with the program's own folder and the current
    // directory, where a planted "shutdown.exe" must not run instead of the system's.
    wchar_t folder[MAX_PATH];
    UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return "";
    std::string program = "\"";
    program += utf8_from_wide(folder, length);
    if (program.back() != '\\')
        program += '\\';
    program += "shutdown.exe\"";
    return program;
}

void launch_entry(const std::string& entry_path, const programs_roots& roots)
{
    const struct {
        const std::string& root;
        const char* extension;
    } candidates[] = {
        {roots.user, ".lnk"},
        {roots.common, ".lnk"},
        {roots.user, ".url"},
        {roots.common, ".url"},
    };
    // Every candidate that exists is opened, not only the first one found.
    for (const auto& candidate : candidates) {
        if (candidate.root.empty())
            continue;
        const std::string path = candidate.root + entry_path + candidate.extension;
        if (probe_path(path) != probe_nothing)
            session_ops().run_program(path.c_str(), "", "", 0);
    }
}

void dispatch_command(int32_t item, const launch_table& launch)
{
    if (launch && item >= 1 && static_cast<size_t>(item) <= launch->size())
        launch_entry((*launch)[static_cast<size_t>(item) - 1], current_programs_roots());
    for (const command_action& action : command_actions)
        if (static_cast<int32_t>(action.id) == item)
            action.run();
}

void dispatch_control(int32_t control)
{
    switch (control) {
    case homepage_link_control:
        session_ops().open_with_shell(homepage_url);
        break;
    case email_link_control:
        session_ops().open_with_shell((std::string("mailto:") + email_address).c_str());
        break;
    case close_button_control:
        close_window(about_window_number);
        break;
    }
}
