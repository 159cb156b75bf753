#pragma once
// The pictures of a start menu's entries and folders: for every build the folder bitmap and the
// entry bitmaps, made from the shell's small icons of the entries' shortcuts. Entries whose icons
// are the same picture share one bitmap, so a build holds as many bitmaps as it shows different
// pictures.
//
// Pictures outlive the build that made them. An entry whose shortcut files are unchanged (the same
// candidates, each of the same size and last-write time) keeps the picture it had in the build
// before, and only new or changed shortcuts are asked about; so, as in the shell's own icon cache, a
// changed icon behind an unchanged shortcut shows with that shortcut's next change. A picture lives
// while any build that shows it lives, and goes with the last of them, on whichever thread lets go
// of it. They are kept in memory only.

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "catalogue/programs_tree.h"

// Each bitmap is a GDI object, and Windows 7 gives a process 10,000 of them. Three builds may live
// at once: the one on screen, the one on offer and the one being made; every live picture belongs
// to one of them. So one build shows at most this many different pictures, kept ones included; an
// entry whose picture would be one more shows none.
constexpr int32_t max_pictures_per_build = 3000;

// An entry bitmap under an image number of its own (0 until it is made), freed with the last
// reference to it.
class entry_picture {
public:
    entry_picture() = default;
    ~entry_picture();
    entry_picture(const entry_picture&) = delete;
    entry_picture& operator=(const entry_picture&) = delete;
    int32_t image = 0;
};
using picture_ref = std::shared_ptr<const entry_picture>;

// What one build's entries show. Made on the watcher thread and never changed once taken, so the
// builds that share it may be let go of on any thread.
struct entry_pictures {
    struct kept {
        uint8_t sources;  // the entry's shortcut files, as programs_tree has them
        uint64_t stamp;
        picture_ref picture;
    };
    programs_roots roots;                                // where the shortcut files lie
    std::unordered_map<std::string, kept> by_entry;      // entry path: the picture its shortcut gave
    std::vector<picture_ref> shown;                      // every picture the build shows, once
};
using pictures_ref = std::shared_ptr<const entry_pictures>;

// Rebuild, watcher thread. A build's pictures begin with begin_entry_bitmaps and end with
// take_entry_bitmaps. before: the pictures of the build on offer, which entries with unchanged
// shortcut files under the same roots keep (nullptr: none). Without ask_shell, entries that keep no
// picture show the plain one, the white square, and are not remembered: a menu at once, whose
// pictures follow in the next build.
void begin_entry_bitmaps(const programs_roots& roots, pictures_ref before = nullptr, bool ask_shell = true);
// The entries of tree that would ask the shell, beside the pictures before.
int32_t entries_to_ask(const programs_tree& tree, const programs_roots& roots, const entry_pictures* before);
// The number of the entry's bitmap: its kept picture, or a fetched one (fetch_entry_icon, then
// make_entry_bitmap), or the plain one; 0 when the build has made all the pictures it may.
int32_t entry_bitmap(const std::string& entry_path, uint8_t sources, uint64_t stamp);
// sources: which shortcut files stand behind the entry (programs_tree.h). The icon comes from the
// last of them, in the launcher's order, for which the shell gives one: its place in the shell's
// list of small icons, which is the same for the same picture.
void fetch_entry_icon(const std::string& entry_path, uint8_t sources);
// The number of the bitmap of the fetched icon, at the menu pictures' size, made at its first use
// in the build and shared from then on; 0 when the build has made all the pictures it may.
int32_t make_entry_bitmap();
// The build's pictures, which now belong to the caller.
pictures_ref take_entry_bitmaps();
// Lets go of the pictures made since begin_entry_bitmaps that nobody took: a build broken off
// half-way (memory ran out) leaves none behind, and the kept ones stay with the builds that show them.
void abandon_entry_bitmaps();
// A new folder bitmap for the build, under a number of its own; 0 when it cannot be made.
int32_t make_folder_bitmap();

// For tests: told of every question to the shell, with the shortcut file's path; nullptr for none.
namespace item_bitmaps_seams {
extern void (*asked)(const std::string& path);
}
inline void observe_shell_questions(void (*asked)(const std::string& path))
{
    item_bitmaps_seams::asked = asked;
}
