#pragma once
// The pictures of the start menu: the command bitmaps and banner loaded from "Grafiken\" at
// start-up, the folder bitmap, and one entry bitmap per program entry made from the shell's small
// icon of its shortcut.

#include <cstdint>
#include <string>

#include "catalogue/programs_tree.h"

constexpr int32_t folder_bitmap_image = 1;

// Each entry bitmap is a GDI object, and Windows 7 gives a process 10,000 of them. While a rebuild
// replaces the menu on screen two builds live at once, so one build pictures at most this many
// entries; the entries after them in tree order show no picture and work as usual.
constexpr int32_t max_entry_bitmaps = 4000;
constexpr int32_t banner_image = 20;
constexpr int32_t banner_left_icon_image = 21;
constexpr int32_t banner_right_icon_image = 22;

struct graphics_file {
    int32_t image;
    const char* path;  // relative to the current directory
};
// Images 10 to 22 in number order.
extern const graphics_file graphics_files[13];

// Start-up, main thread, before the watcher starts.
void load_graphics();
void compose_banner();

// Rebuild, watcher thread. The start-menu folders that fetch_entry_icon looks in; until the first
// call it asks the system for the current ones.
void use_programs_roots(const programs_roots& roots);
// sources: which shortcut files stand behind the entry (programs_tree.h). The icon comes from the
// last of them, in the launcher's order, for which the shell gives one.
void fetch_entry_icon(const std::string& entry_path, uint8_t sources);
int32_t make_entry_bitmap();  // number of the new 16x16 entry bitmap
void make_folder_bitmap();
// Releases the entry bitmaps of the previous build (whose menu is already gone or retired).
void release_entry_bitmaps();
int32_t entry_bitmap_count();
