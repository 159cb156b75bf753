#pragma once
// The application core: start-up, the main loop and the one shutdown sequence.

#include <windows.h>


constexpr DWORD main_loop_wait_ms = 10;
// The longest the main loop goes without installing a fresh mouse hook (see start_button.h).
constexpr DWORD hook_renewal_interval_ms = 4000;
// How long shutdown waits for a running rebuild before it leaves the memory to the system.
constexpr DWORD rebuild_stop_timeout_ms = 5000;

// The process: start-up, main loop, shutdown. Ends the process with exit code 0.
[[noreturn]] void velmora_main();

