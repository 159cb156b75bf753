#pragma once
// Assembles menu 0, the start menu, from the Programs tree: a submenu per folder, a numbered item
// per entry (ids 1 to N in tree order), then the fixed commands; and attaches the bitmaps.

#include "catalogue/programs_tree.h"

// Precondition: create_popup_menu(0) has just made an empty menu 0. Releases the entry bitmaps
// of the previous build through the menu publication. The entries' icons come from the current
// start-menu folders, or from roots.
void build_start_menu(const programs_tree& tree);
void build_start_menu(const programs_tree& tree, const programs_roots& roots);
// Precondition: build_start_menu has run and make_folder_bitmap has made image 1.
void attach_folder_bitmaps();
