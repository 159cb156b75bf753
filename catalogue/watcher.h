#pragma once
// The change watcher thread: every 5000 ms it walks both Programs folders and rebuilds the start
// menu when what it sees differs from the previous pass, or, after a build that did not complete,
// when its back-off has passed (build_retry.h).

#include <windows.h>

#include <cstdint>

#include "toolkit/process.h"

constexpr DWORD watch_interval_ms = 5000;
// The longest a walk or a rebuild goes without handling the thread's messages.
constexpr DWORD message_answer_interval_ms = 10;

// Forgets the previous pass, so that the next pass rebuilds whatever it sees. Start-up calls it
// before the watcher starts.
void reset_watcher();

// Starts the watcher thread, once, at start-up. false when it could not be started: the program
// then runs without a menu.
bool start_watcher();
// Shutdown: stops rebuilds, wakes the watcher and waits up to timeout_ms for its thread to end,
// handling the calling thread's messages meanwhile. A walk or a rebuild under way is cut short at
// its next folder or entry. true when the thread has ended, or never ran.
bool stop_watcher(DWORD timeout_ms);

// The watcher thread's procedure; its argument is ignored. It returns once rebuilds have been
// stopped for shutdown.
VELMORA_CALLBACK DWORD WINAPI watch_programs(void* argument);

// Builds the lists, a new start menu and its bitmaps, and hands them over as menu 0 with its launch
// list. Runs on the watcher thread. false when the build did not come to its end (shutdown cut it
// short, the system refused a menu, memory ran out): everything it made is gone again, and the
// menu on offer stays.
bool rebuild_programs_menu();

// The pause between two passes; tests shorten it, the program keeps watch_interval_ms.
void set_watch_interval(DWORD milliseconds);
// For the benchmarks: whether walks and rebuilds stop every message_answer_interval_ms to handle
// the thread's messages (they do unless told otherwise).
void set_messages_during_rebuilds(bool handled);
// For the benchmarks: how often walks and rebuilds on the calling thread looked for messages, and
// the time those looks took, messages handled included.
struct message_looks {
    int32_t looks;
    double milliseconds;
};
message_looks message_looks_so_far();
// For tests: told on the watcher thread when a rebuild begins to build, when its menu has been
// handed over, when it was discarded instead, and after every walk of the folders.
struct rebuild_observer {
    void (*building)();
    void (*handed_over)();
    void (*discarded)();
    void (*walked)();
};
void observe_rebuilds(const rebuild_observer* observer);
