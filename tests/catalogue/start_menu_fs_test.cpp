// The folder listing and the path probe on Wine's file system. The start-menu folders themselves
// are found end to end, by the shortcuts the tests in tests/app/ open from both.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "catalogue/start_menu_fs.h"
#include "tests/support/test_support.h"

namespace {

class StartMenuFs : public testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE((folder_ = test::make_temp_folder("velmora_fs")).empty()); }
    void TearDown() override { test::remove_tree(folder_); }

    // The longest name below folder_ that keeps a path of length characters.
    std::string path_of_length(std::size_t length, char letter) const
    {
        return folder_ + std::string(length - folder_.size(), letter);
    }

    std::string folder_;  // ends in "\"
};

TEST_F(StartMenuFs, ListsEveryEntryAndRefusesWhatIsNoFolder)
{
    std::vector<directory_entry> entries = {{"stale", false}};
    ASSERT_EQ(enumerate_directory(folder_, &entries), 0);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_TRUE(entries[0].name == "." && entries[0].folder && entries[1].name == ".." && entries[1].folder);

    ASSERT_TRUE(test::write_file(folder_ + "Hidden.lnk", "x"));
    SetFileAttributesA((folder_ + "Hidden.lnk").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    ASSERT_TRUE(CreateDirectoryA((folder_ + "Sub.lnk").c_str(), nullptr));
    ASSERT_TRUE(test::make_folder_link(folder_ + "Link", folder_ + "Sub.lnk"));
    ASSERT_EQ(enumerate_directory(folder_.substr(0, folder_.size() - 1), &entries), 0);
    ASSERT_EQ(entries.size(), 5u);
    for (const directory_entry& entry : entries) {
        EXPECT_EQ(entry.folder, entry.name != "Hidden.lnk") << entry.name;
        EXPECT_EQ(entry.link, entry.name == "Link") << entry.name;
    }
    EXPECT_TRUE(test::remove_folder_link(folder_ + "Link"));

    EXPECT_EQ(enumerate_directory(folder_ + "missing", &entries), -1);
    EXPECT_TRUE(entries.empty());
    EXPECT_EQ(enumerate_directory(folder_ + "Hidden.lnk", &entries), -1);
    // "<folder>\*.*" fits the platform's 260 characters for a folder of 256 only; a longer folder
    // must fail rather than be cut to the one beside it.
    std::string longest = path_of_length(max_path_length - 4, 'd');
    ASSERT_TRUE(CreateDirectoryA(longest.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((longest + "e").c_str(), nullptr));
    EXPECT_EQ(enumerate_directory(longest, &entries), 0);
    EXPECT_EQ(enumerate_directory(longest + "e", &entries), -1);
    EXPECT_EQ(enumerate_directory(longest + std::string(300, 'e'), &entries), -1);
}

TEST_F(StartMenuFs, ProbeTellsNothingFolderOrSizeBeyondFourGigabytes)
{
    ASSERT_TRUE(test::write_file(folder_ + "seven.lnk", "1234567"));
    std::string longest = path_of_length(max_path_length, 'p');
    ASSERT_TRUE(test::write_file(longest, "12345"));
    // A sparse file of 5 GiB and 3 bytes: its size does not fit 32 bits.
    HANDLE big = CreateFileA((folder_ + "big.lnk").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(big, INVALID_HANDLE_VALUE);
    DWORD returned = 0;
    DeviceIoControl(big, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
    LARGE_INTEGER size;
    size.QuadPart = (5ll << 30) + 3;
    const bool sized = SetFilePointerEx(big, size, nullptr, FILE_BEGIN) && SetEndOfFile(big);
    CloseHandle(big);
    ASSERT_TRUE(sized);
    const std::string folder = folder_.substr(0, folder_.size() - 1);
    const struct {
        std::string path;
        int64_t expected;
    } rows[] = {
        {"", probe_nothing},
        {"\\\\", probe_nothing},  // empty once the backslashes are gone
        {folder_ + "missing.lnk", probe_nothing},
        {folder, probe_folder},
        {folder + "\\\\\\", probe_folder},
        {folder_ + "seven.lnk", 7},
        {folder_ + "seven.lnk\\", 7},
        {folder_ + "big.lnk", (5ll << 30) + 3},
        {folder_ + "*.lnk", probe_nothing},  // a wildcard names no one file
        {folder_ + "seven.?nk", probe_nothing},
        {longest, 5},
        {longest + "q", probe_nothing},  // never cut short into the file above
        {"C:", probe_folder},
        {"c:\\\\", probe_folder},
    };
    for (const auto& row : rows)
        EXPECT_EQ(probe_path(row.path), row.expected) << "'" << row.path << "'";

    char unused = 'Z';  // a drive letter that names no drive
    while (unused > 'D' && (GetLogicalDrives() & (1u << (unused - 'A'))))
        --unused;
    EXPECT_EQ(probe_path(std::string(1, unused) + ":\\"), probe_nothing) << unused;
}

}  // namespace
