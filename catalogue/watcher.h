#pragma once
// The change watcher thread: every 5000 ms it walks both Programs folders and rebuilds the start
// menu when what it sees differs from the previous pass.

#include <windows.h>

#include <cstdint>

#include "toolkit/process.h"

constexpr DWORD watch_interval_ms = 5000;

// Forgets the previous pass, so that the next pass rebuilds whatever it sees. Start-up calls it
// before the watcher starts.
void reset_watcher();

// The watcher thread's procedure; its argument is ignored. It returns only once rebuilds have been
// stopped for shutdown (stop_rebuilds in menu_publication.h).
VELMORA_CALLBACK DWORD WINAPI watch_programs(void* argument);

// Builds the lists, a new start menu and its bitmaps, and hands them over as menu 0 with its launch
// list. Runs on the watcher thread between begin_rebuild and end_rebuild; false when shutdown cut
// it short, and then nothing has changed.
bool rebuild_programs_menu();

// The pause between two passes; tests shorten it, the program keeps watch_interval_ms.
void set_watch_interval(DWORD milliseconds);
// For tests: told on the watcher thread when a rebuild begins to build and when its menu has been
// handed over.
struct rebuild_observer {
    void (*building)();
    void (*handed_over)();
};
void observe_rebuilds(const rebuild_observer* observer);
