#pragma once
// The calls by which the start menu acts on the session and the shell, and those of the Start
// button's interception whose failures Windows 7 shows and Wine does not. The default table calls
// the platform; tests put recorders in place of the calls that would end the session, observe
// where the menu is asked to open, and make the hook and the cursor fail as Windows may.

#include <windows.h>

#include <cstdint>

struct session_operations {
    HINSTANCE (*shell_execute)(HWND window, const char* verb, const char* file,
                               const char* parameters, const char* directory, int show);
    LRESULT (*send_message)(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    BOOL (*lock_workstation)();
    BOOL (*exit_windows)(UINT flags, DWORD reason);
    // run_program and open_with_shell of toolkit/process.h: their texts are UTF-8.
    intptr_t (*run_program)(const char* file, const char* parameters, const char* directory,
                            uint32_t flags);
    intptr_t (*open_with_shell)(const char* file);
    // The edge of the screen that the taskbar occupies (ABE_LEFT 0 ... ABE_BOTTOM 3).
    UINT (*taskbar_edge)();
    // Shows a popup menu with its top-left corner at (x, y), or the corner that alignment names
    // (show_popup_menu); returns when it has closed.
    BOOL (*show_menu)(HMENU menu, HWND owner, int x, int y, uint32_t alignment);
    // The low-level mouse hook, which Windows removes without a word when it answers too slowly.
    HHOOK (*set_mouse_hook)(HOOKPROC procedure, HINSTANCE module);
    BOOL (*remove_mouse_hook)(HHOOK hook);
    BOOL (*cursor_position)(POINT* point);
};

extern const session_operations platform_session_operations;

const session_operations& session_ops();

// The table in use, which tests replace.
namespace session_seams {
extern const session_operations* operations;
}
// For tests: replaces the table (nullptr: back to the platform's). The table must outlive its use.
inline void set_session_operations(const session_operations* operations)
{
    session_seams::operations = operations ? operations : &platform_session_operations;
}
