#pragma once
// The state that the parts of the application core share: the process-wide record, the Start
// button and the invisible main window that owns the start menu.

#include <windows.h>

#include <atomic>
#include <cstdint>

#include "app/menu_publication.h"

// For tests: told on the main thread when start-up hands over to the 64-bit build, when it finds
// another copy running in the session, and when a press waited too long for its menu.
struct app_observer {
    void (*handed_to_64_bit_build)();
    void (*another_copy_runs)();
    void (*press_dropped)();
};

struct app_state {
    HINSTANCE module;
    HWND start_button;                   // the taskbar's Start button; looked up again when gone
    HWND taskbar;                        // the taskbar; looked up again when gone
    std::atomic<int32_t> menu_requested; // set by the mouse hook, cleared after the menu closed
    std::atomic<int32_t> quit_requested; // ends the main loop
    DWORD requested_at;                  // GetTickCount of the press that raised the request
    // Main thread only, as the hook that reads them: the menu is taken for showing (from before
    // it appears until it has closed), and a press on the button during that time closed it.
    bool menu_on_screen;
    bool menu_dismissed;
    HHOOK mouse_hook;
    DWORD hook_renewed_at;               // GetTickCount of the last installation
    launch_table shown_launch;           // launch list of the menu shown last
    HANDLE session_claim;                // one copy per session; held until the hook is removed
    const app_observer* observer;
};
extern app_state g_app;

// The first top-level window of class "Button", whatever its title; nullptr when there is none.
HWND find_start_button();
// The stored Start button, looked up again when the stored window no longer exists.
HWND current_start_button();
// The same for the taskbar ("Shell_TrayWnd"); nullptr when there is none.
HWND current_taskbar();

// Opens the invisible main window, owned by owner. false when it cannot be opened.
bool open_main_window(HWND owner);
// The main window. A shell restart destroys it with the Start button that owned it; it is then
// opened again, owned by the current Start button.
HWND main_window();
