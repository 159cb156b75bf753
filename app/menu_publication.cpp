#include "app/menu_publication.h"

#include <utility>

#include "app/menu_publication_state.h"
#include "toolkit/image.h"
#include "toolkit/menu.h"

std::atomic<int32_t> g_menu_offered{0};
critical_section g_publication_lock;
publication_state g_publication;

namespace {

void release(HMENU menu, const std::vector<HANDLE>& folder_bitmaps)
{
    if (menu)
        DestroyMenu(menu);  // and every submenu appended to it
    for (HANDLE bitmap : folder_bitmaps)
        release_image_handle(bitmap);
}

}  // namespace

bool menu_on_offer()
{
    return g_menu_offered.load() != 0;
}

bool rebuild_cancelled()
{
    exclusive_lock lock(&g_publication_lock);
    return g_publication.rebuilds_stopped;
}

bool hand_over(menu_build* build)
{
    auto launch = std::make_shared<const path_list>(std::move(build->launch));
    HMENU replaced_menu = nullptr;
    HANDLE replaced_folder = nullptr;
    pictures_ref replaced_pictures;
    {
        exclusive_lock lock(&g_publication_lock);
        if (g_publication.rebuilds_stopped)
            return false;
        // Room for everything the swap moves, taken before it begins: from here on nothing throws,
        // so the swap is never left half-done.
        g_publication.retired_folder_bitmaps.reserve(g_publication.retired_folder_bitmaps.size() + 1);
        g_publication.retired_pictures.reserve(g_publication.retired_pictures.size() + 1);
        g_publication.retired_menus.reserve(g_publication.retired_menus.size() + 1);

        replaced_menu = move_menu(build->menu, start_menu_number);
        g_publication.offered_menu = menu_handle(start_menu_number);
        replaced_folder = build->folder_bitmap ? move_image(build->folder_bitmap, folder_bitmap_image)
                                               : detach_image(folder_bitmap_image);
        replaced_pictures = std::exchange(g_publication.offered_pictures, std::move(build->pictures));
        g_publication.launch = std::move(launch);
        *build = menu_build{};
        // Only the build on screen waits for its menu to close. Builds handed over and replaced
        // while that menu stays open were never shown; kept as well, they would pile up.
        const bool on_screen = g_publication.menu_on_screen && replaced_menu && replaced_menu == g_publication.shown_menu;
        if (on_screen) {
            g_publication.retired_menus.push_back(std::exchange(replaced_menu, nullptr));
            g_publication.retired_folder_bitmaps.push_back(std::exchange(replaced_folder, nullptr));
            g_publication.retired_pictures.push_back(std::move(replaced_pictures));
        }
        if (g_publication.offered_menu)
            g_menu_offered.store(1);
    }
    release(replaced_menu, {replaced_folder});
    replaced_pictures.reset();  // the pictures that no build shows any more go
    return true;
}

void discard_build(menu_build* build)
{
    if (build->menu)
        free_menu(build->menu);
    if (build->folder_bitmap)
        free_image(build->folder_bitmap);
    *build = menu_build{};  // its share of the pictures
}

pictures_ref offered_pictures()
{
    exclusive_lock lock(&g_publication_lock);
    return g_publication.offered_pictures;
}

bool begin_showing(shown_menu* shown)
{
    exclusive_lock lock(&g_publication_lock);
    if (!g_publication.offered_menu)
        return false;
    g_publication.menu_on_screen = true;
    g_publication.shown_menu = g_publication.offered_menu;
    shown->menu = g_publication.offered_menu;
    shown->launch = g_publication.launch;
    return true;
}

void end_showing()
{
    std::vector<HMENU> menus;
    std::vector<HANDLE> folder_bitmaps;
    std::vector<pictures_ref> pictures;
    {
        exclusive_lock lock(&g_publication_lock);
        g_publication.menu_on_screen = false;
        g_publication.shown_menu = nullptr;
        menus.swap(g_publication.retired_menus);
        folder_bitmaps.swap(g_publication.retired_folder_bitmaps);
        pictures.swap(g_publication.retired_pictures);
    }
    for (HMENU menu : menus)
        release(menu, {});
    release(nullptr, folder_bitmaps);
    pictures.clear();  // the retired builds' share of their pictures
}

launch_table current_launch_list()
{
    exclusive_lock lock(&g_publication_lock);
    return g_publication.launch;
}

void stop_rebuilds()
{
    exclusive_lock lock(&g_publication_lock);
    g_publication.rebuilds_stopped = true;
}
