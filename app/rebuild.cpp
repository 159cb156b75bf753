#include "app/rebuild.h"

#include <exception>

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

// A plain menu first, its pictures to follow, pays when the shell is to be asked about many
// entries: an answer costs milliseconds (some 3 ms under Wine), a plain menu some 30 us an entry.
// So it comes first when the answers would keep the menu waiting for a third of a second or more,
// and would cost ten times the plain menu at least: then the pictured menu comes at most a tenth
// later than without it.
constexpr int32_t plain_menu_questions = 100;
constexpr int32_t plain_menu_share = 10;  // entries in the menu per entry to ask about, at most

bool plain_menu_first(const programs_tree& tree, const programs_roots& roots)
{
    const int32_t asking = entries_to_ask(tree, roots, offered_pictures().get());
    return asking >= plain_menu_questions &&
           asking >= static_cast<int32_t>(tree.launch.size()) / plain_menu_share;
}

// Makes a start menu with its pictures under numbers of the build's own, while the previous one
// stays on offer: the pictures of the build on offer for entries whose shortcut files are as they
// were, and for the others their icons, or without ask_shell the plain picture. false when it cannot
// be complete: shutdown cut it short, or the system refused a menu or an item.
bool build_menu(menu_build* build, const programs_tree& tree, const programs_roots& roots, bool ask_shell)
{
    build->menu = static_cast<int32_t>(create_popup_menu(dynamic_number));
    if (!build->menu)
        return false;
    begin_entry_bitmaps(roots, offered_pictures(), ask_shell);
    const bool built = build_start_menu(tree, build_stops);
    build->pictures = take_entry_bitmaps();
    if (!built)
        return false;
    build->folder_bitmap = make_folder_bitmap();
    attach_folder_bitmaps(build->menu, build->folder_bitmap);
    build->launch = tree.launch;
    return true;
}

// Makes a build and hands it over; false, with everything it made gone again, when it did not
// come to its end.
bool build_and_hand_over(const programs_tree& tree, const programs_roots& roots, bool ask_shell)
{
    menu_build build;
    bool complete = false;
    try {
        complete = build_menu(&build, tree, roots, ask_shell) && hand_over(&build);
    } catch (const std::exception&) {
        // Memory ran out half-way: what the build made goes below, the menu on offer stays.
    }
    if (!complete) {
        discard_build(&build);
        abandon_entry_bitmaps();  // pictures made before the build could take them
    }
    return complete;
}

}  // namespace

bool rebuild_programs_menu()
{
    tell(&rebuild_observer::building);
    bool complete = false;
    try {
        const programs_roots roots = current_programs_roots();
        const programs_tree tree = build_programs_tree(watched_file_system(), roots);
        complete = !build_stops();
        if (complete && plain_menu_first(tree, roots)) {
            complete = build_and_hand_over(tree, roots, false);
            if (complete)
                tell(&rebuild_observer::plain_handed_over);
        }
        complete = complete && build_and_hand_over(tree, roots, true);
    } catch (const std::exception&) {
        // Memory ran out while the tree was read: nothing was built.
    }
    tell(complete ? &rebuild_observer::handed_over : &rebuild_observer::discarded);
    return complete;
}

const watcher_operations rebuild_on_change = {rebuild_programs_menu};
