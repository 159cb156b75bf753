#pragma once
// The layout of the start menu as a list of builder steps, worked out from the Programs tree
// without touching a menu: which submenus open and close, the caption of every item, the
// numbering of the entries and the fixed commands after the tree. The assembly carries the steps
// out with the menu library.
//
// Depth of a tree element: its number of backslashes ("Programs\" is 1, "Programs\A\x" is 2).
// A folder's caption is its own name, an entry's the text after its last backslash; every "&" is
// doubled, because the menu would otherwise read it as the mark of a mnemonic.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/programs_tree.h"

// The action tells the caption's encoding: a folder's or an entry's is its name on disk, UTF-8; a
// command's is the program's own text, Windows-1252.
enum class plan_action : uint8_t {
    open_submenu,    // caption (UTF-8); the submenu becomes the target
    close_submenus,  // count submenus close
    add_entry,       // id, caption (UTF-8), tree_index
    add_separator,
    add_command,     // id, caption (Windows-1252), image, greyed
};

struct plan_step {
    plan_action action;
    int32_t count;       // close_submenus
    uint32_t id;         // add_entry, add_command
    int32_t tree_index;  // add_entry, open_submenu: the element of the tree it stands for
    int32_t image;       // add_command: image number of its bitmap
    bool greyed;         // add_command
    std::string caption;
};

struct plan_limits {
    int32_t max_depth;     // submenus that may be open at once (the builder's stack)
    int32_t max_entries;   // entry ids run 1 to max_entries, below the first command id
    int32_t max_submenus;  // submenus in the whole menu
};
// Every menu and submenu is one of the 10,000 USER objects that Windows 7 allows a process, and
// three builds may live at once: the menu on screen, the one on offer and the one being made.
constexpr int32_t max_submenus_per_build = 3000;
// The menu library's stack holds 64 enclosing menus; commands begin at 10001.
constexpr plan_limits start_menu_limits = {64, max_menu_entries, max_submenus_per_build};

struct menu_plan {
    std::vector<plan_step> steps;
    int32_t entries = 0;  // ids handed out: 1 to entries
};

// Steps for the Programs tree (tree order: each folder followed by its entries, sub-folders after
// them). A folder deeper than max_depth, or one that comes after max_submenus submenus have been
// opened, gets no submenu: its entries go into the deepest submenu that is open, the one of its
// nearest ancestor that has one. Entries past max_entries get no item. Every submenu opened is
// closed again by the end of the steps.
menu_plan plan_programs(const path_list& tree, const plan_limits& limits = start_menu_limits);

// The whole start menu: the Programs steps, a separator, the commands before "Informationen", a
// separator, the rest of the commands.
menu_plan plan_start_menu(const path_list& tree, const plan_limits& limits = start_menu_limits);
