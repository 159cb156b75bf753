#pragma once
// The hand-over's state, for the hand-over itself and for tests that start it afresh between
// cases; the program uses app/menu_publication.h.

#include <windows.h>

#include <atomic>
#include <vector>

#include "app/menu_publication.h"
#include "toolkit/lock.h"

struct publication_state {
    bool rebuilds_stopped = false;
    HMENU offered_menu = nullptr;   // menu 0
    pictures_ref offered_pictures;  // its entry bitmaps; its folder bitmap is image 1
    launch_table launch = std::make_shared<const path_list>();
    bool menu_on_screen = false;
    HMENU shown_menu = nullptr;
    // The builds replaced while their menu was on screen, released when it has closed.
    std::vector<HMENU> retired_menus;
    std::vector<HANDLE> retired_folder_bitmaps;
    std::vector<pictures_ref> retired_pictures;
};

// Guards every field of g_publication. Menus and pictures are numbered by the watcher thread
// alone; the main thread gets menu handles from here, so that it never reads the menu table while
// the watcher grows it.
extern critical_section g_publication_lock;
extern publication_state g_publication;
extern std::atomic<int32_t> g_menu_offered;  // menu_on_offer(), which the hook reads without the lock

// Forgets every state, as at start-up.
inline void reset_menu_publication()
{
    exclusive_lock lock(&g_publication_lock);
    g_publication = publication_state{};
    g_menu_offered.store(0);
}
