#pragma once
// The hand-over between the change watcher, which builds start menus, and the main thread, which
// shows the start menu and opens its entries.
//
// A rebuild makes its menu and pictures under numbers of their own while the previous menu stays
// on offer; only the finished build is handed over, in one step: it becomes menu 0, with its folder
// bitmap as image 1 and its launch list. So a click never waits for a rebuild, and the main thread
// sees the menu and launch list of one build or of the next, never a half-built one. A build
// replaced while its menu is on screen is kept until the menu has closed, and a choice made in
// that menu is looked up in the launch list that belonged to it. Entry pictures may be shared with
// the builds before and after (item_bitmaps.h): a build lets go of its share, and a picture goes
// with the last build that shows it.

#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "catalogue/programs_tree.h"
#include "presentation/item_bitmaps.h"

using launch_table = std::shared_ptr<const path_list>;

// The numbers under which the build on offer lives: its menu and its folder bitmap.
constexpr int32_t start_menu_number = 0;
constexpr int32_t folder_bitmap_image = 1;

// true from the first hand-over on: a menu of ours is on offer. For the mouse hook, which must
// never wait for a lock.
bool menu_on_offer();

// What one rebuild makes: its menu and pictures under dynamic numbers, and its launch list.
struct menu_build {
    int32_t menu = 0;                // menu number; 0 for none (a dynamic number is never 0)
    int32_t folder_bitmap = 0;       // image number of its folder bitmap; 0 for none
    pictures_ref pictures;           // its entry bitmaps
    path_list launch;
};

// Watcher side.
bool rebuild_cancelled();  // true once shutdown has stopped rebuilds
// Makes build the start menu on offer, in one step; what it replaces is released at once, or
// when the menu on screen has closed if that is its menu. false, with nothing changed, when
// rebuilds have been stopped meanwhile. May throw std::bad_alloc, but only before it has changed
// anything: once the swap has begun it cannot fail.
bool hand_over(menu_build* build);
void discard_build(menu_build* build);  // a build that will never be shown
// The pictures of the build on offer, for the next build to keep; nullptr before the first.
pictures_ref offered_pictures();

// Main-thread side.
struct shown_menu {
    HMENU menu;           // the menu on offer
    launch_table launch;  // the launch list that belongs to menu
};
// false before the first build has been handed over: nothing may be shown yet. A hand-over under
// way is waited for (it only swaps handles).
bool begin_showing(shown_menu* shown);
void end_showing();  // releases the builds that were replaced while the menu was up
launch_table current_launch_list();

// Shutdown: no rebuild begins or is handed over after this call, and a running one is cut short
// at its next check of rebuild_cancelled.
void stop_rebuilds();
