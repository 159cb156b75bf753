#pragma once
// The Programs tree: the user's and all users' Programs folders merged into one sorted tree of
// folder paths and entry paths, and the table of launchable entries. Pure logic over a small table
// of file-system operations, so it runs on in-memory trees as well as on disk.
//
// Paths are relative to a start-menu path and begin with "Programs\". A folder path ends in "\";
// an entry path is a folder path plus a shortcut's file name without its extension. Names and paths
// are UTF-8 (toolkit/utf.h), every name exactly as it is on disk.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

using path_list = std::vector<std::string>;

struct directory_entry {
    std::string name;  // as the file system reports it, without a path
    bool folder;
    bool link = false;     // a junction or symbolic link (a reparse point), which may lead anywhere
    uint64_t size = 0;     // of a file, in bytes
    uint64_t written = 0;  // a file's last-write time, as the file system gives it
};

// Identifies a folder on its volume, so that a walk can tell when a link leads back to a folder
// already on its path.
struct folder_identity {
    uint64_t volume;
    uint64_t index;
};

struct file_system_ops {
    // Lists the entries of folder matching "*.*", "." and ".." included: 0 when the folder could be
    // listed (possibly empty), -1 when it cannot be opened.
    int (*enumerate)(void* context, const std::string& folder, std::vector<directory_entry>* entries);
    // false when the folder cannot be identified (it is then walked without the cycle test). Walks
    // ask only below a link: without one, no folder on a path can come round again.
    bool (*identify)(void* context, const std::string& folder, folder_identity* identity);
    void* context;
};

// Paths longer than this many UTF-16 units, the characters of Windows' wide path, are skipped:
// never truncated, never copied into a fixed buffer. Windows' MAX_PATH of 260 counts the
// terminating null: a path of 260 units is listed by the file system and opened by nothing.
constexpr std::size_t max_path_length = 259;
// Entry ids share the menu's id space with the commands from 10001 on.
constexpr int32_t max_menu_entries = 10000;

// Which shortcut files stand behind an entry, in the order the launcher tries them.
constexpr uint8_t source_user_lnk = 1;
constexpr uint8_t source_common_lnk = 2;
constexpr uint8_t source_user_url = 4;
constexpr uint8_t source_common_url = 8;

struct programs_roots {
    std::string user;    // the current user's start-menu path, ending in "\"
    std::string common;  // all users' start-menu path, ending in "\"
};

struct programs_tree {
    path_list tree;                // "Programs\" first; each folder followed by its entries
    std::vector<uint8_t> sources;  // one element per tree element: source bits, 0 for folders
    // One element per tree element: a fingerprint of the shortcut files behind an entry, each with
    // its size and last-write time, the same for the same files whatever order they were listed
    // in; 0 for folders. A file replaced under the same name changes it when its size or time does.
    std::vector<uint64_t> stamps;
    path_list launch;              // entry paths in tree order: element k-1 is entry id k
};

// The extension of the last path component: the text after its last ".", up to the end or a
// double quote; "" without a dot. Letter case is kept.
std::string extension_part(std::string_view name);

// The menu's order: character by character, and a prefix first. A character that Windows-1252
// holds ranks by its byte there after folding A-Z to a-z (and only those), which is the order of
// the runtime's case-blind compare of ANSI text for every name the code page holds; every other
// character ranks after all of those, among themselves by code point (a surrogate without its
// partner by its value); a byte that begins no UTF-8 character ranks after every character, by its
// value. Different characters never compare equal, so only spellings that differ in A-Z do.
// Result: below 0, 0 or above 0.
int compare_paths(std::string_view a, std::string_view b);
void sort_paths(path_list* list);  // stable
// For a list sorted by compare_paths: removes every element that is byte-for-byte equal to an
// earlier element of its run, the elements that compare equal. Spellings that differ in letter
// case may interleave within a run (X, x, X), so an exact duplicate need not be a neighbour; the
// first element of each spelling stays, in its place.
void remove_duplicates_in_runs(path_list* list);

// Builds the whole tree from both roots' Programs folders.
programs_tree build_programs_tree(const file_system_ops& fs, const programs_roots& roots);

// One pass of the change watcher: the files below both Programs folders (all users' first), and an
// order-independent hash of every relative path seen, folders and files alike, and of every file's
// size and last-write time.
struct pass_signature {
    int32_t file_count = 0;
    uint64_t path_hash = 0;
    bool operator==(const pass_signature&) const = default;
};
pass_signature watcher_pass(const file_system_ops& fs, const programs_roots& roots);
