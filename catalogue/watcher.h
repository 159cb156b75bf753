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

// Rebuilds the lists, menu 0 and its bitmaps, and hands the new launch list over. Runs on the
// watcher thread between begin_rebuild and end_rebuild.
void rebuild_programs_menu();

// Rebuilds the watcher has run since the process started.
int32_t watcher_rebuild_count();
// The pause between two passes; tests shorten it, the program keeps watch_interval_ms.
void set_watch_interval(DWORD milliseconds);
