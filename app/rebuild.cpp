#include "app/rebuild.h"

#include <exception>
#include <utility>

#include "app/menu_publication.h"
#include "catalogue/programs_tree.h"
#include "catalogue/start_menu_fs.h"
#include "presentation/item_bitmaps.h"
#include "presentation/menu_assembly.h"
#include "toolkit/menu.h"
#include "toolkit/numbered_table.h"

namespace rebuild_seams {
const rebuild_observer* observer = nullptr;
}

namespace {

void tell(void (*rebuild_observer::*event)())
{
    const rebuild_observer* observer = rebuild_seams::observer;
    if (observer && observer->*event)
        (observer->*event)();
}

// Between the entries of a build: the thread's messages are handled, and shutdown ends it.
bool build_stops()
{
    return watcher_checkpoint() || rebuild_cancelled();
}

// Makes the new start menu with its pictures under numbers of the build's own, while the previous
// one stays on offer. false when it cannot be complete: shutdown cut it short, or the system
// refused a menu or an item.
bool build_menu(menu_build* build)
{
    build->menu = static_cast<int32_t>(create_popup_menu(dynamic_number));
    if (!build->menu)
        return false;
    const programs_roots roots = current_programs_roots();
    programs_tree tree = build_programs_tree(watched_file_system(), roots);
    if (build_stops())
        return false;
    const bool built = build_start_menu(tree, roots, build_stops);
    build->pictures = take_entry_bitmaps();
    if (!built)
        return false;
    build->folder_bitmap = make_folder_bitmap();
    attach_folder_bitmaps(build->menu, build->folder_bitmap);
    build->launch = std::move(tree.launch);
    return true;
}

}  // namespace

bool rebuild_programs_menu()
{
    tell(&rebuild_observer::building);
    menu_build build;
    bool complete = false;
    try {
        complete = build_menu(&build) && hand_over(&build);
    } catch (const std::exception&) {
        // Memory ran out half-way: what the build made goes below, the menu on offer stays.
    }
    if (!complete) {
        discard_build(&build);
        abandon_entry_bitmaps();  // pictures made before the build could take them
        tell(&rebuild_observer::discarded);
        return false;
    }
    tell(&rebuild_observer::handed_over);
    return true;
}

const watcher_operations rebuild_on_change = {rebuild_programs_menu};
