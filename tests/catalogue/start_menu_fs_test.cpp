// The start-menu folders, the folder listing and the path probe on Wine's file system.

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>

#include "catalogue/start_menu_fs.h"
#include "tests/support/test_support.h"
#include "tests/support/wine_links.h"

namespace {

class StartMenuFs : public testing::Test {
protected:
    void SetUp() override
    {
        folder_ = test::make_temp_folder("velmora_fs");
        ASSERT_FALSE(folder_.empty());
    }
    void TearDown() override { test::remove_tree(folder_); }

    std::string folder_;  // ends in "\"
};

TEST(StartMenuPath, NamesBothExistingFoldersWithOneTrailingBackslash)
{
    for (int csidl : {user_start_menu, common_start_menu}) {
        std::string path = start_menu_path(csidl);
        ASSERT_GE(path.size(), 4u) << csidl;
        EXPECT_EQ(path.back(), '\\') << path;
        EXPECT_NE(path[path.size() - 2], '\\') << path;
        EXPECT_EQ(probe_path(path), probe_folder) << path;
        EXPECT_EQ(probe_path(path + "Programs"), probe_folder) << path;
    }
    EXPECT_NE(start_menu_path(user_start_menu), start_menu_path(common_start_menu));
    programs_roots roots = current_programs_roots();
    EXPECT_EQ(roots.user, start_menu_path(user_start_menu));
    EXPECT_EQ(roots.common, start_menu_path(common_start_menu));
}

TEST_F(StartMenuFs, ListsEverythingIncludingDotsAndKinds)
{
    std::vector<directory_entry> entries = {{"stale", false}};
    ASSERT_EQ(enumerate_directory(folder_, &entries), 0);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].name, ".");
    EXPECT_EQ(entries[1].name, "..");
    EXPECT_TRUE(entries[0].folder && entries[1].folder);

    ASSERT_TRUE(test::write_file(folder_ + "Hidden.lnk", "x"));
    SetFileAttributesA((folder_ + "Hidden.lnk").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    ASSERT_TRUE(test::write_file(folder_ + "no extension", "x"));
    ASSERT_TRUE(CreateDirectoryA((folder_ + "Sub.lnk").c_str(), nullptr));
    // With and without the trailing backslash, the same listing.
    for (std::string path : {folder_, folder_.substr(0, folder_.size() - 1)}) {
        ASSERT_EQ(enumerate_directory(path, &entries), 0) << path;
        ASSERT_EQ(entries.size(), 5u);
        auto kind_of = [&](const char* name) {
            auto it = std::find_if(entries.begin(), entries.end(), [&](const directory_entry& e) { return e.name == name; });
            return it == entries.end() ? -1 : it->folder ? 1 : 0;
        };
        EXPECT_EQ(kind_of("Hidden.lnk"), 0);
        EXPECT_EQ(kind_of("no extension"), 0);
        EXPECT_EQ(kind_of("Sub.lnk"), 1);
    }
}

TEST_F(StartMenuFs, ListingFailsForMissingFoldersAndFiles)
{
    std::vector<directory_entry> entries = {{"stale", false}};
    EXPECT_EQ(enumerate_directory(folder_ + "missing", &entries), -1);
    EXPECT_TRUE(entries.empty());
    ASSERT_TRUE(test::write_file(folder_ + "file.txt", "x"));
    EXPECT_EQ(enumerate_directory(folder_ + "file.txt", &entries), -1);
}

TEST_F(StartMenuFs, ListingNeverCutsALongFolderIntoAnother)
{
    // The search string "<folder>\\*.*" fits the platform's 260 characters for this folder only.
    std::string longest = folder_ + std::string(max_path_length - 4 - folder_.size(), 'd');
    ASSERT_TRUE(CreateDirectoryA(longest.c_str(), nullptr)) << GetLastError();
    ASSERT_TRUE(CreateDirectoryA((longest + "e").c_str(), nullptr)) << GetLastError();
    std::vector<directory_entry> entries;
    EXPECT_EQ(enumerate_directory(longest, &entries), 0);
    EXPECT_EQ(entries.size(), 2u);
    EXPECT_EQ(enumerate_directory(longest + "e", &entries), -1);
    EXPECT_TRUE(entries.empty());
    EXPECT_EQ(enumerate_directory(longest + std::string(300, 'e'), &entries), -1);
}

TEST_F(StartMenuFs, ProbeTellsNothingFolderOrSize)
{
    ASSERT_TRUE(test::write_file(folder_ + "seven.lnk", "1234567"));
    ASSERT_TRUE(test::write_file(folder_ + "empty.lnk", ""));
    const std::string folder = folder_.substr(0, folder_.size() - 1);
    const struct {
        std::string path;
        int64_t expected;
    } rows[] = {
        {"", probe_nothing},
        {"\\\\", probe_nothing},                  // only backslashes: empty once trimmed
        {folder_ + "missing.lnk", probe_nothing},
        {folder_ + "missing\\x.lnk", probe_nothing},
        {folder, probe_folder},
        {folder_, probe_folder},                  // trailing backslashes go
        {folder + "\\\\\\", probe_folder},
        {folder_ + "seven.lnk", 7},
        {folder_ + "seven.lnk\\", 7},
        {folder_ + "empty.lnk", 0},
        {folder_ + "*.lnk", probe_nothing},       // a wildcard names no one file
        {folder_ + "seven.?nk", probe_nothing},
    };
    for (const auto& row : rows)
        EXPECT_EQ(probe_path(row.path), row.expected) << "'" << row.path << "'";
}

TEST_F(StartMenuFs, ProbeAsksForDrivesByTheirRoot)
{
    EXPECT_EQ(probe_path("C:"), probe_folder);
    EXPECT_EQ(probe_path("C:\\"), probe_folder);
    EXPECT_EQ(probe_path("c:\\\\"), probe_folder);
    DWORD drives = GetLogicalDrives();
    char unused = 0;
    for (char letter = 'Q'; letter <= 'Y' && !unused; ++letter)
        if (!(drives & (1u << (letter - 'A'))))
            unused = letter;
    ASSERT_NE(unused, 0);
    EXPECT_EQ(probe_path(std::string(1, unused) + ":"), probe_nothing);
    EXPECT_EQ(probe_path(std::string(1, unused) + ":\\"), probe_nothing);

    // "C:x" is the file x in drive C's current folder, not the drive.
    ASSERT_EQ(folder_.substr(0, 2), "C:");
    ASSERT_TRUE(test::write_file(folder_ + "x", "abc"));
    char previous[MAX_PATH * 2] = {};
    GetCurrentDirectoryA(sizeof previous, previous);
    ASSERT_TRUE(SetCurrentDirectoryA(folder_.c_str()));
    int64_t relative = probe_path("C:x");
    SetCurrentDirectoryA(previous);
    EXPECT_EQ(relative, 3);
}

TEST_F(StartMenuFs, ProbeReportsSizesBeyondFourGigabytes)
{
    const std::string path = folder_ + "big.lnk";
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD returned = 0;
    DeviceIoControl(file, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
    LARGE_INTEGER size;
    size.QuadPart = (5ll << 30) + 3;
    bool sized = SetFilePointerEx(file, size, nullptr, FILE_BEGIN) && SetEndOfFile(file);
    CloseHandle(file);
    ASSERT_TRUE(sized);
    EXPECT_EQ(probe_path(path), (5ll << 30) + 3);
}

TEST_F(StartMenuFs, ProbeNeverCutsALongPathIntoAnother)
{
    std::string longest = folder_ + std::string(max_path_length - folder_.size(), 'p');
    ASSERT_TRUE(test::write_file(longest, "12345")) << GetLastError();
    EXPECT_EQ(probe_path(longest), 5);
    EXPECT_EQ(probe_path(longest + "q"), probe_nothing);
    EXPECT_EQ(probe_path(longest + std::string(300, 'q')), probe_nothing);
}

TEST_F(StartMenuFs, IdentityFollowsLinksToTheirFolder)
{
    const std::string a = folder_ + "a";
    const std::string b = folder_ + "b";
    ASSERT_TRUE(CreateDirectoryA(a.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(b.c_str(), nullptr));
    ASSERT_TRUE(test::make_folder_link(a + "\\back", a));

    folder_identity id_a = {}, id_b = {}, id_link = {}, id_again = {};
    ASSERT_TRUE(identify_folder(a, &id_a));
    ASSERT_TRUE(identify_folder(b, &id_b));
    ASSERT_TRUE(identify_folder(a + "\\back", &id_link));
    ASSERT_TRUE(identify_folder(a + "\\back\\back\\", &id_again));
    EXPECT_FALSE(id_a.volume == id_b.volume && id_a.index == id_b.index);
    EXPECT_TRUE(id_a.volume == id_link.volume && id_a.index == id_link.index);
    EXPECT_TRUE(id_a.volume == id_again.volume && id_a.index == id_again.index);
    folder_identity none = {};
    EXPECT_FALSE(identify_folder(folder_ + "missing", &none));
    EXPECT_FALSE(identify_folder("", &none));

    EXPECT_TRUE(test::remove_folder_link(a + "\\back"));
    EXPECT_EQ(probe_path(a), probe_folder);
}

}  // namespace
