#pragma once
// Folder links for tests under Wine. Wine shows a Unix symbolic link to a folder as a folder (with
// FILE_ATTRIBUTE_REPARSE_POINT) and follows it, but its CreateSymbolicLinkA makes nothing, so the
// links are made and removed by running /bin/ln and /bin/rm, which Wine starts as Unix programs.

#include <string>

namespace test {

// The Unix path of a Windows path, "" outside Wine.
std::string unix_path_of(const std::string& windows_path);

// A link at link (a Windows path) that leads to the folder target; false when none appeared.
bool make_folder_link(const std::string& link, const std::string& target);
// Removes the link itself, never the folder it leads to; false when it is still there.
bool remove_folder_link(const std::string& link);

}  // namespace test
