#pragma once
// Assembles a start menu from the Programs tree: a submenu per folder, a numbered item per entry
// (ids 1 to N in tree order), then the fixed commands; and attaches the bitmaps.

#include <cstdint>

#include "catalogue/programs_tree.h"

// Precondition: create_popup_menu has just made the build's empty menu, the builder's target, and
// begin_entry_bitmaps has begun its pictures, which belong to the build (take them with
// take_entry_bitmaps, whatever the result). between_entries, when given, is asked before every
// entry and may end the build by answering true. false when the build ended so or the system
// refused a part of the menu: such a menu lacks parts and must not be shown.
bool build_start_menu(const programs_tree& tree, bool (*between_entries)() = nullptr);
// Gives the submenu items of the build's menu the folder bitmap: "Programs" and the folders below
// it to depth 11, the first 101 items of each submenu.
void attach_folder_bitmaps(int32_t menu, int32_t folder_bitmap);
