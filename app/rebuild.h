#pragma once
// The rebuild of the start menu, which the change watcher starts when the Programs folders have
// changed: the pass's tree, a new menu with its pictures made beside the one on offer, and the
// hand-over of the finished build (menu_publication.h). A build that does not come to its end is
// discarded whole, and the menu on offer stays.
//
// Entries keep the pictures of the build on offer while their shortcut files are unchanged
// (item_bitmaps.h). When many entries have none to keep, the start menu comes in two hand-overs:
// at once a complete menu in which they show the plain picture, then the one with their icons.

#include "catalogue/watcher.h"

// Builds the lists, a new start menu and its bitmaps, and hands them over as menu 0 with its launch
// list. Runs on the watcher thread. false when the pictured menu did not come to its end (shutdown
// cut it short, the system refused a menu, memory ran out): everything that build made is gone
// again, and the menu on offer stays, the plain one if it came.
bool rebuild_programs_menu();

// What the watcher is started with.
extern const watcher_operations rebuild_on_change;

// For tests: told on the watcher thread when a rebuild begins to build, when its menu has been
// handed over, when it was discarded instead, after every walk of the folders, and when a plain
// menu has been handed over before the pictured one.
struct rebuild_observer {
    void (*building)();
    void (*handed_over)();
    void (*discarded)();
    void (*walked)();
    void (*plain_handed_over)();
};
namespace rebuild_seams {
extern const rebuild_observer* observer;
}
inline void observe_rebuilds(const rebuild_observer* observer)
{
    rebuild_seams::observer = observer;
    watcher_seams::walked = observer ? observer->walked : nullptr;
}
