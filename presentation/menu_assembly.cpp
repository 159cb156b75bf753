// Carries the menu plan out on menu 0 and attaches the pictures. Folders and entries are named in
// UTF-8, the commands in Windows-1252 (menu_plan.h), each through the menu call of its encoding.
// Entry and command bitmaps are attached by position on the submenu that holds the item, right
// after the item is added: a search by command id from menu 0 would walk the whole tree for every
// entry.

#include "presentation/menu_assembly.h"

#include <windows.h>

#include <vector>

#include "presentation/item_bitmaps.h"
#include "presentation/menu_plan.h"
#include "toolkit/image.h"
#include "toolkit/menu.h"

static_assert(start_menu_limits.max_depth == max_menu_depth, "the plan nests as deep as the builder");

namespace {

// The folder bitmap reaches five passes of two levels below "Programs", positions 0 to 100.
constexpr int folder_bitmap_passes = 5;
constexpr int folder_bitmap_last_position = 100;

void attach_bitmap(HMENU menu, int position, HANDLE image)
{
    auto bitmap = static_cast<HBITMAP>(image);
    SetMenuItemBitmaps(menu, static_cast<UINT>(position), MF_BYPOSITION, bitmap, bitmap);
}

// Adds an item to the builder's target and gives its position there, or -1 when the append failed.
template <typename Add>
int append_item(Add add)
{
    HMENU target = menu_append_target();
    int before = GetMenuItemCount(target);
    add();
    int after = GetMenuItemCount(target);
    return after > before ? after - 1 : -1;
}

void add_entry(const programs_tree& tree, const plan_step& step)
{
    HMENU target = menu_append_target();
    int position = append_item([&] { add_menu_item_utf8(step.id, step.caption); });
    if (position < 0)
        return;
    auto index = static_cast<std::size_t>(step.tree_index);
    uint8_t sources = index < tree.sources.size() ? tree.sources[index] : 0;
    uint64_t stamp = index < tree.stamps.size() ? tree.stamps[index] : 0;
    int32_t image = entry_bitmap(tree.tree[index], sources, stamp);
    if (image)
        attach_bitmap(target, position, image_handle(image));
}

void add_command(const plan_step& step)
{
    HMENU target = menu_append_target();
    int position = append_item([&] { add_menu_item(step.id, step.caption.c_str()); });
    if (position >= 0)
        attach_bitmap(target, position, image_handle(step.image));
}

// Gives every submenu item of menu the folder bitmap and collects the submenus.
void mark_submenus(HMENU menu, HBITMAP folder, std::vector<HMENU>* found)
{
    for (int position = 0; position <= folder_bitmap_last_position; ++position) {
        HMENU submenu = GetSubMenu(menu, position);
        if (!submenu)
            continue;
        attach_bitmap(menu, position, folder);
        found->push_back(submenu);
    }
}

}  // namespace

bool build_start_menu(const programs_tree& tree, bool (*between_entries)())
{
    const int32_t menu = menu_being_built();
    if (!menu)
        return false;
    const menu_plan plan = plan_start_menu(tree.tree);
    for (const plan_step& step : plan.steps) {
        switch (step.action) {
        case plan_action::open_submenu:
            open_submenu_utf8(step.caption);
            break;
        case plan_action::close_submenus:
            for (int32_t i = 0; i < step.count; ++i)
                close_submenu();
            break;
        case plan_action::add_entry:
            if (between_entries && between_entries())
                return false;
            add_entry(tree, step);
            break;
        case plan_action::add_separator:
            add_menu_separator();
            break;
        case plan_action::add_command:
            add_command(step);
            break;
        }
        // A refused submenu would leave its entries in the wrong menu, a refused item a hole.
        if (menu_build_failed())
            return false;
    }
    for (const plan_step& step : plan.steps)
        if (step.action == plan_action::add_command && step.greyed)
            disable_menu_item(menu, step.id, 1);
    return true;
}

void attach_folder_bitmaps(int32_t menu, int32_t folder_bitmap)
{
    HMENU top = menu_handle(menu);
    auto folder = static_cast<HBITMAP>(image_handle(folder_bitmap));
    HMENU programs = top ? GetSubMenu(top, 0) : nullptr;
    if (!programs)
        return;
    attach_bitmap(top, 0, folder);
    // Breadth first, one level per sweep, alternating between the two lists.
    std::vector<HMENU> level = {programs};
    std::vector<HMENU> next;
    for (int pass = 0; pass < folder_bitmap_passes * 2; ++pass) {
        next.clear();
        for (HMENU menu : level)
            mark_submenus(menu, folder, &next);
        level.swap(next);
    }
}
