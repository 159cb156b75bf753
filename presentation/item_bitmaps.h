#pragma once
// The pictures of a start menu's entries and folders: for every build the folder bitmap and the
// entry bitmaps, made from the shell's small icons of the entries' shortcuts. Entries whose icons
// are the same picture share one bitmap, so a build holds as many bitmaps as it shows different
// pictures.

#include <cstdint>
#include <string>
#include <vector>

#include "catalogue/programs_tree.h"

// Each bitmap is a GDI object, and Windows 7 gives a process 10,000 of them. Three builds may live
// at once: the one on screen, the one on offer and the one being made. So one build makes at most
// this many different pictures; an entry whose picture would be one more shows none.
constexpr int32_t max_pictures_per_build = 3000;
// Rebuild, watcher thread. A build's pictures begin with begin_entry_bitmaps, which names the
// start-menu folders that fetch_entry_icon looks in, and end with take_entry_bitmaps.
void begin_entry_bitmaps(const programs_roots& roots);
// sources: which shortcut files stand behind the entry (programs_tree.h). The icon comes from the
// last of them, in the launcher's order, for which the shell gives one: its place in the shell's
// list of small icons, which is the same for the same picture.
void fetch_entry_icon(const std::string& entry_path, uint8_t sources);
// The number of the bitmap of the fetched icon, at the menu pictures' size, made at its first use
// in the build and shared from then on; 0 when the build has made all the pictures it may.
int32_t make_entry_bitmap();
// The image numbers of the build's entry bitmaps, which now belong to the caller.
std::vector<int32_t> take_entry_bitmaps();
// Frees the entry bitmaps made since begin_entry_bitmaps that nobody took: a build broken off
// half-way (memory ran out) leaves none behind.
void abandon_entry_bitmaps();
// A new folder bitmap for the build, under a number of its own; 0 when it cannot be made.
int32_t make_folder_bitmap();
