#include "catalogue/menu_publication.h"

#include <utility>

#include "toolkit/image.h"
#include "toolkit/lock.h"
#include "toolkit/menu.h"

std::atomic<int32_t> rebuild_in_progress{0};

namespace {

std::atomic<bool> g_menu_offered{false};

// Guards every field of g_state. rebuild_in_progress is written only under it, but read freely.
// Menus and pictures are numbered by the watcher thread alone; the main thread gets menu handles
// from here, so that it never reads the menu table while the watcher grows it.
critical_section g_lock;

struct publication_state {
    bool rebuilds_stopped = false;
    HMENU offered_menu = nullptr;          // menu 0
    std::vector<int32_t> offered_pictures;  // its entry bitmaps; its folder bitmap is image 1
    launch_table launch = std::make_shared<const path_list>();
    bool menu_on_screen = false;
    HMENU shown_menu = nullptr;
    // The builds replaced while their menu was on screen, released when it has closed.
    std::vector<HMENU> retired_menus;
    std::vector<HANDLE> retired_pictures;
};
publication_state g_state;

void release(HMENU menu, const std::vector<HANDLE>& pictures)
{
    if (menu)
        DestroyMenu(menu);  // and every submenu appended to it
    for (HANDLE picture : pictures)
        release_image_handle(picture);
}

}  // namespace

bool menu_on_offer()
{
    return g_menu_offered.load();
}

bool rebuild_cancelled()
{
    exclusive_lock lock(&g_lock);
    return g_state.rebuilds_stopped;
}

bool hand_over(menu_build* build)
{
    auto launch = std::make_shared<const path_list>(std::move(build->launch));
    HMENU replaced_menu = nullptr;
    std::vector<HANDLE> replaced_pictures;
    {
        exclusive_lock lock(&g_lock);
        if (g_state.rebuilds_stopped)
            return false;
        // Room for everything the swap moves, taken before it begins: from here on nothing throws,
        // so the swap is never left half-done with rebuild_in_progress raised.
        const std::size_t moving = g_state.offered_pictures.size() + 1;
        replaced_pictures.reserve(moving);
        g_state.retired_pictures.reserve(g_state.retired_pictures.size() + moving);
        g_state.retired_menus.reserve(g_state.retired_menus.size() + 1);

        rebuild_in_progress.store(1);
        replaced_menu = build->menu ? move_menu(build->menu, start_menu_number) : detach_menu(start_menu_number);
        g_state.offered_menu = menu_handle(start_menu_number);
        HANDLE replaced_folder = build->folder_bitmap ? move_image(build->folder_bitmap, folder_bitmap_image)
                                                      : detach_image(folder_bitmap_image);
        for (int32_t picture : std::exchange(g_state.offered_pictures, std::move(build->pictures)))
            replaced_pictures.push_back(detach_image(picture));
        replaced_pictures.push_back(replaced_folder);
        g_state.launch = std::move(launch);
        *build = menu_build{};
        // Only the build on screen waits for its menu to close. Builds handed over and replaced
        // while that menu stays open were never shown; kept as well, they would pile up.
        const bool on_screen = g_state.menu_on_screen && replaced_menu && replaced_menu == g_state.shown_menu;
        if (on_screen) {
            g_state.retired_menus.push_back(std::exchange(replaced_menu, nullptr));
            g_state.retired_pictures.insert(g_state.retired_pictures.end(), replaced_pictures.begin(),
                                            replaced_pictures.end());
            replaced_pictures.clear();
        }
        rebuild_in_progress.store(0);
        if (g_state.offered_menu)
            g_menu_offered.store(true);
    }
    release(replaced_menu, replaced_pictures);
    return true;
}

void discard_build(menu_build* build)
{
    if (build->menu)
        free_menu(build->menu);
    for (int32_t picture : build->pictures)
        free_image(picture);
    if (build->folder_bitmap)
        free_image(build->folder_bitmap);
    *build = menu_build{};
}

bool begin_showing(shown_menu* shown)
{
    exclusive_lock lock(&g_lock);
    if (rebuild_in_progress.load() || !g_state.offered_menu)
        return false;
    g_state.menu_on_screen = true;
    g_state.shown_menu = g_state.offered_menu;
    shown->menu = g_state.offered_menu;
    shown->launch = g_state.launch;
    return true;
}

void end_showing()
{
    std::vector<HMENU> menus;
    std::vector<HANDLE> pictures;
    {
        exclusive_lock lock(&g_lock);
        g_state.menu_on_screen = false;
        g_state.shown_menu = nullptr;
        menus.swap(g_state.retired_menus);
        pictures.swap(g_state.retired_pictures);
    }
    for (HMENU menu : menus)
        release(menu, {});
    release(nullptr, pictures);
}

launch_table current_launch_list()
{
    exclusive_lock lock(&g_lock);
    return g_state.launch;
}

void stop_rebuilds()
{
    exclusive_lock lock(&g_lock);
    g_state.rebuilds_stopped = true;
}

void reset_menu_publication()
{
    exclusive_lock lock(&g_lock);
    g_state = publication_state{};
    rebuild_in_progress.store(0);
    g_menu_offered.store(false);
}
