#include "app/session_ops.h"

#include <shellapi.h>

#include "toolkit/menu.h"
#include "toolkit/process.h"

namespace {

HINSTANCE platform_shell_execute(HWND window, const char* verb, const char* file,
                                 const char* parameters, const char* directory, int show)
{
    return ShellExecuteA(window, verb, file, parameters, directory, show);
}

LRESULT platform_send_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    return SendMessageA(window, message, wparam, lparam);
}

BOOL platform_lock_workstation()
{
    return LockWorkStation();
}

BOOL platform_exit_windows(UINT flags, DWORD reason)
{
    return ExitWindowsEx(flags, reason);
}

intptr_t platform_run_program(const char* file, const char* parameters, const char* directory,
                              uint32_t flags)
{
    return run_program(file, parameters, directory, flags);
}

UINT platform_taskbar_edge()
{
    APPBARDATA taskbar = {};
    taskbar.cbSize = sizeof taskbar;
    SHAppBarMessage(ABM_GETTASKBARPOS, &taskbar);
    return taskbar.uEdge;
}

HHOOK platform_set_mouse_hook(HOOKPROC procedure, HINSTANCE module)
{
    return SetWindowsHookExA(WH_MOUSE_LL, procedure, module, 0);
}

BOOL platform_remove_mouse_hook(HHOOK hook)
{
    return UnhookWindowsHookEx(hook);
}

BOOL platform_cursor_position(POINT* point)
{
    return GetCursorPos(point);
}

}  // namespace

const session_operations platform_session_operations = {
    platform_shell_execute, platform_send_message, platform_lock_workstation,
    platform_exit_windows,  platform_run_program,  open_with_shell,  platform_taskbar_edge,  show_popup_menu,
    platform_set_mouse_hook, platform_remove_mouse_hook, platform_cursor_position,
};

namespace session_seams {
const session_operations* operations = &platform_session_operations;
}

const session_operations& session_ops()
{
    return *session_seams::operations;
}
