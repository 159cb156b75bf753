#pragma once
// The start-menu folders on disk and the two file-system operations the catalogue and the launcher
// use: listing a folder and probing a path. Safe to call from any thread. Paths and names are UTF-8
// (toolkit/utf.h), asked of Windows through its wide functions, so every name is seen as it is.

#include <cstdint>
#include <string>
#include <vector>

#include "catalogue/programs_tree.h"

constexpr int user_start_menu = 11;    // CSIDL_STARTMENU
constexpr int common_start_menu = 22;  // CSIDL_COMMON_STARTMENU

// The folder's absolute path followed by one "\"; "" when the shell cannot resolve the folder.
std::string start_menu_path(int csidl);
programs_roots current_programs_roots();

// Each entry with its kind, and a file with its size and last-write time. 0 when listed (possibly
// empty), -1 when the folder cannot be opened.
int enumerate_directory(const std::string& folder, std::vector<directory_entry>* entries);
constexpr int64_t probe_nothing = -1;
constexpr int64_t probe_folder = -2;
// -1 when empty or nothing there, -2 a folder, else the file's size in bytes. Trailing "\" are
// ignored; "C:" and "C:\" ask for the drive. A path beyond max_path_length (UTF-16 units) or with a
// wildcard is -1.
int64_t probe_path(const std::string& path);

const file_system_ops& platform_file_system();
