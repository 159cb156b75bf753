#pragma once
// The calls by which the start menu acts on the session and the shell. The default table calls the
// platform; tests put recorders in place of the calls that would end the session, and observe
// where the menu is asked to open.

#include <windows.h>

#include <cstdint>

struct session_operations {
    HINSTANCE (*shell_execute)(HWND window, const char* verb, const char* file,
                               const char* parameters, const char* directory, int show);
    LRESULT (*send_message)(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    BOOL (*lock_workstation)();
    BOOL (*exit_windows)(UINT flags, DWORD reason);
    intptr_t (*run_program)(const char* file, const char* parameters, const char* directory,
                            uint32_t flags);
    // The edge of the screen that the taskbar occupies (ABE_LEFT 0 ... ABE_BOTTOM 3).
    UINT (*taskbar_edge)();
    // Shows a popup menu with its top-left corner at (x, y); returns when it has closed.
    BOOL (*show_menu)(HMENU menu, HWND owner, int x, int y);
};

extern const session_operations platform_session_operations;

const session_operations& session_ops();
// Replaces the table (nullptr: back to the platform's). The table must outlive its use.
void set_session_operations(const session_operations* operations);
