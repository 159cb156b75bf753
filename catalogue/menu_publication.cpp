#include "catalogue/menu_publication.h"

#include <utility>
#include <vector>

#include "toolkit/image.h"
#include "toolkit/lock.h"
#include "toolkit/menu.h"

std::atomic<int32_t> rebuild_in_progress{0};

namespace {

// Guards every field of g_state. rebuild_in_progress is written only under it, but read freely.
critical_section g_lock;

struct publication_state {
    bool menu_on_screen = false;
    HMENU shown_menu = nullptr;  // the menu on screen
    // From the release of the menu on screen until the release of the next menu: the images that
    // a rebuild releases in between are the pictures of the menu on screen.
    bool releasing_shown_build = false;
    bool rebuilds_stopped = false;
    launch_table launch = std::make_shared<const path_list>();
    std::vector<HMENU> retired_menus;
    std::vector<HANDLE> retired_images;
};
publication_state g_state;

}  // namespace

bool begin_rebuild()
{
    exclusive_lock lock(&g_lock);
    if (g_state.rebuilds_stopped)
        return false;
    rebuild_in_progress.store(1);
    return true;
}

bool rebuild_cancelled()
{
    exclusive_lock lock(&g_lock);
    return g_state.rebuilds_stopped;
}

void publish_launch_list(path_list launch)
{
    auto table = std::make_shared<const path_list>(std::move(launch));
    exclusive_lock lock(&g_lock);
    g_state.launch = std::move(table);
}

void end_rebuild()
{
    exclusive_lock lock(&g_lock);
    rebuild_in_progress.store(0);
}

void release_old_menu(int32_t number)
{
    exclusive_lock lock(&g_lock);
    if (!menu_exists(number))
        return;
    // Only the build on screen waits for its menu to close. Builds made and replaced while the
    // menu stays open were never shown: kept as well, they would pile up without bound.
    g_state.releasing_shown_build =
        g_state.menu_on_screen && menu_handle(number) == g_state.shown_menu;
    if (g_state.releasing_shown_build)
        g_state.retired_menus.push_back(detach_menu(number));
    else
        free_menu(number);
}

void release_old_image(int32_t number)
{
    exclusive_lock lock(&g_lock);
    if (!image_handle(number))
        return;
    if (g_state.menu_on_screen && g_state.releasing_shown_build)
        g_state.retired_images.push_back(detach_image(number));
    else
        free_image(number);
}

bool begin_showing(shown_menu* shown)
{
    exclusive_lock lock(&g_lock);
    if (rebuild_in_progress.load())
        return false;
    g_state.menu_on_screen = true;
    g_state.shown_menu = menu_handle(0);
    shown->menu = g_state.shown_menu;
    shown->launch = g_state.launch;
    return true;
}

void end_showing()
{
    std::vector<HMENU> menus;
    std::vector<HANDLE> images;
    {
        exclusive_lock lock(&g_lock);
        g_state.menu_on_screen = false;
        g_state.shown_menu = nullptr;
        g_state.releasing_shown_build = false;
        menus.swap(g_state.retired_menus);
        images.swap(g_state.retired_images);
    }
    for (HMENU menu : menus)
        DestroyMenu(menu);
    for (HANDLE image : images)
        release_image_handle(image);
}

launch_table current_launch_list()
{
    exclusive_lock lock(&g_lock);
    return g_state.launch;
}

bool stop_rebuilds(DWORD timeout_ms)
{
    {
        exclusive_lock lock(&g_lock);
        g_state.rebuilds_stopped = true;
    }
    DWORD start = GetTickCount();
    while (rebuild_in_progress.load()) {
        if (GetTickCount() - start >= timeout_ms)
            return false;
        Sleep(5);
    }
    return true;
}

void reset_menu_publication()
{
    exclusive_lock lock(&g_lock);
    g_state = publication_state{};
    rebuild_in_progress.store(0);
}
