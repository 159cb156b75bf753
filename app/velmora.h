#pragma once
// The application core: start-up, the main loop and the one shutdown sequence.

#include <windows.h>


constexpr DWORD main_loop_wait_ms = 10;
// The longest the main loop goes without installing a fresh mouse hook (see start_button.h).
constexpr DWORD hook_renewal_interval_ms = 4000;
// How long shutdown waits for the watcher thread to end. A watcher that is still inside the shell
// then is left to the system, and so is the memory it may use.
constexpr DWORD watcher_stop_timeout_ms = 5000;

// The 64-bit build beside the 32-bit one, which the 32-bit one starts on 64-bit Windows.
constexpr char build_64_bit_file[] = "Velmora64.exe";
// The name of the object by which a copy of Velmora claims the session.
constexpr char session_claim_name[] = "Local\\Velmora-Startmenue";

// The process: start-up, main loop, shutdown. Ends the process with exit code 0.
[[noreturn]] void velmora_main();

// The file name of the 64-bit build that the 32-bit one looks for beside itself: build_64_bit_file,
// or what a test sets.
namespace velmora_seams {
extern const char* build_64_bit_file;
}
inline void set_64_bit_build_file(const char* file_name)
{
    velmora_seams::build_64_bit_file = file_name;
}
