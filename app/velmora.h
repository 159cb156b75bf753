#pragma once
// The application core: start-up, the main loop and the one shutdown sequence.

#include <windows.h>

#include <atomic>
#include <cstdint>

#include "catalogue/menu_publication.h"

constexpr DWORD main_loop_wait_ms = 10;
// The longest the main loop goes without installing a fresh mouse hook (see start_button.h).
constexpr DWORD hook_renewal_interval_ms = 4000;
// How long shutdown waits for a running rebuild before it leaves the memory to the system.
constexpr DWORD rebuild_stop_timeout_ms = 5000;

// Process-wide state of the application core.
struct app_state {
    HINSTANCE module;
    HWND start_button;                   // the taskbar's Start button; looked up again when gone
    std::atomic<int32_t> menu_requested; // set by the mouse hook, cleared after the menu closed
    std::atomic<int32_t> quit_requested; // ends the main loop
    int32_t last_event;
    HHOOK mouse_hook;
    DWORD hook_renewed_at;               // GetTickCount of the last installation
    launch_table shown_launch;           // launch list of the menu shown last
};
extern app_state g_app;

// The process: start-up, main loop, shutdown. Ends the process with exit code 0.
[[noreturn]] void velmora_main();

// One turn of the main loop; false once the loop should end. Exposed for tests.
bool run_main_loop_turn();

// The invisible main window, owner of the start menu. A shell restart destroys it with the Start
// button that owned it; it is then opened again, owned by the current Start button.
HWND main_window();
