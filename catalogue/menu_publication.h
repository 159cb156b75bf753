#pragma once
// The hand-over between the change watcher, which rebuilds menu 0 and the launch list, and the
// main thread, which shows the menu and opens its entries.
//
// The main thread sees the menu and launch list of one rebuild or of the next, never a half-built
// one. A rebuild that begins while the menu is on screen does not destroy what the screen shows:
// the old menu and its bitmaps are retired and released when the menu has closed, and a choice made
// in that menu is looked up in the launch list that belonged to it.

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>

#include "catalogue/programs_tree.h"

using launch_table = std::shared_ptr<const path_list>;

// 1 while the watcher rebuilds; the main loop does not show the menu then.
extern std::atomic<int32_t> rebuild_in_progress;

// Watcher side.
bool begin_rebuild();      // false once rebuilds are stopped; else rebuild_in_progress becomes 1
bool rebuild_cancelled();  // true once shutdown is waiting for the running rebuild
void publish_launch_list(path_list launch);
void end_rebuild();        // rebuild_in_progress becomes 0
// Release of the previous build: at once, or when the menu on screen has closed.
void release_old_menu(int32_t number);
void release_old_image(int32_t number);

// Main-thread side.
struct shown_menu {
    HMENU menu;           // nullptr before the first rebuild
    launch_table launch;  // the launch list that belongs to menu
};
// false while a rebuild runs: nothing may be shown now, the request stays pending.
bool begin_showing(shown_menu* shown);
void end_showing();  // releases what rebuilds retired while the menu was up
launch_table current_launch_list();

// Shutdown: no rebuild begins after this call; waits up to timeout_ms for a running one to end.
// Result false when one is still running.
bool stop_rebuilds(DWORD timeout_ms);

// For tests: forget every state, as at start-up.
void reset_menu_publication();
