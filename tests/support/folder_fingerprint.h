#pragma once
// A recursive fingerprint of a folder, to show that a run left it byte for byte as it was: every
// file and folder below it with its relative path, its size, a hash of its content and its
// last-write time (a file written back unchanged, or one made and deleted again, still moves the
// time of its folder). The walk uses the wide functions with "\\?\" paths, so names outside
// Windows-1252 and paths beyond 260 characters are seen as they are; links are recorded, not
// followed, so a cycle of links ends.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace test {

struct fingerprint_entry {
    bool folder = false;
    bool link = false;      // a junction or symbolic link: recorded, not entered
    bool readable = true;   // false: the folder could not be listed, or the file not read
    uint64_t size = 0;
    uint64_t content_hash = 0;
    uint64_t last_write = 0;
};

// Relative path (UTF-8, "\" separators, folders ending in "\") to what was found there.
using folder_fingerprint = std::map<std::string, fingerprint_entry>;

// The fingerprint of everything below folder (a Windows path, with or without a trailing "\").
// The folder itself is recorded under ".", so its own time counts too.
folder_fingerprint take_fingerprint(const std::string& folder);

// Human-readable differences, one line each ("added ...", "removed ...", "changed ..."); empty
// when both are the same.
std::vector<std::string> fingerprint_differences(const folder_fingerprint& before,
                                                 const folder_fingerprint& after);

}  // namespace test
