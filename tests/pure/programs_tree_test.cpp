// The Programs tree: sort order, merging of both roots, the lists a build yields, and the walk's
// guards against link cycles, long paths and trees beyond the menu's id range.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "catalogue/programs_tree.h"
#include "tests/pure/memory_fs.h"
#include "tests/pure/windows_1252.h"

namespace {

const programs_roots roots = {"U:\\Users\\Ann\\Start Menu\\", "C:\\ProgramData\\Start Menu\\"};

std::string user(const std::string& relative) { return roots.user + relative; }
std::string common(const std::string& relative) { return roots.common + relative; }

// The menu's order, every name against every other: names the code page holds as the runtime's
// case-blind compare of ANSI text orders them (by their bytes there, only A-Z folded), then every
// other character by code point (a lone surrogate by its value), then bytes that begin no character.
TEST(ProgramsTreeText, SortsLikeTheRuntimesCaseBlindCompare)
{
    using test::utf8;
    const std::string ascending[] = {
        // A prefix first; "2" and " " before "\", "_" and the letters after it.
        "Games", "Games2", "Games2\\", "Games\\", "Games_x\\", "gamesX\\", "Office Tools\\", "Office\\", "z",
        // The code page's characters by their bytes there (€ is 0x80, é 0xE9), not by code point.
        utf8(u8"€"), utf8(u8"Š"), utf8(u8"š"), utf8(u8"Äpfel"), utf8(u8"äpfel"), utf8(u8"é"), utf8(u8"ÿ"),
        utf8(u8"Ł"), utf8(u8"Łódź"), utf8(u8"ŁŁ"), utf8(u8"ł"), utf8(u8"П"), utf8(u8"中"),
        "\xED\xA0\x80", "\xED\xB0\x80", utf8(u8"😀"), utf8(u8"\U0010FFFF"),  // lone U+D800 and U+DC00 first
        "\x80", "\xC0\x80", "\xFF",  // a stray byte; overlong C0 80, two bytes
    };
    for (std::size_t i = 0; i < std::size(ascending); ++i)
        for (std::size_t j = 0; j < std::size(ascending); ++j) {
            const int order = compare_paths(ascending[i], ascending[j]);
            EXPECT_EQ((order > 0) - (order < 0), (i > j) - (i < j)) << ascending[i] << " against " << ascending[j];
        }
    EXPECT_EQ(compare_paths("Programs\\Tools", "programs\\TOOLS"), 0);
}

// Paths in the rows are relative to the Programs folders; "" is the folder itself.
TEST(ProgramsTree, MergesBothRootsInOrderAndSkipsWhatIsNoShortcut)
{
    const uint8_t ul = source_user_lnk, cl = source_common_lnk, uu = source_user_url, cu = source_common_url;
    using test::utf8;
    // The user's Programs folder is 32 UTF-16 units long: a backslash, 222 more and ".lnk" make 259,
    // the longest path that Windows opens (MAX_PATH counts the terminating null).
    std::string fits;
    for (int i = 0; i < 222; ++i)
        fits += utf8(u8"Ж");
    const std::string beyond = fits.substr(0, fits.size() - 2) + utf8(u8"😀");
    const struct {
        const char* what;
        std::vector<std::string> user, common, tree;
        std::vector<uint8_t> sources;
        programs_roots at = roots;
    } rows[] = {
        // ".lnk" has no name: its entry path would end in "\" and read as the folder itself.
        {"shortcuts merge, other files go",
         {"Both.lnk", "Pair.lnk", "Pair.url", "Odd\\Name.LNK", "Odd\\Name.Url", "Odd\\Name.exe", "Odd\\Name",
          "Odd\\Desktop.ini", "Odd\\Folder.lnk\\"},
         {"Both.lnk", "Web.url", "Odd\\DESKTOP.INI", "Odd\\.lnk"},
         {"", "Both", "Pair", "Web", "Odd\\", "Odd\\Folder.lnk\\"}, {0, ul | cl, ul | uu, cu, 0, 0}},
        // Folders: the all-users spelling first; entries: the user's. The file system ignores case, so
        // each spelling of a folder lists the files of both, and each entry stands for both files.
        {"spellings stay apart and share their files", {"tools\\notes.lnk", "mixed.lnk"},
         {"Tools\\Calc.lnk", "Mixed.lnk"},
         {"", "mixed", "Mixed", "Tools\\", "Tools\\Calc", "Tools\\notes", "tools\\", "tools\\Calc", "tools\\notes"},
         {0, ul | cl, ul | cl, 0, cl, ul, 0, cl, ul}},
        // The case-blind sort gives X, x, X: the second X, no neighbour of the first, goes all the same.
        {"an entry shows once when another spelling stands between its copies", {"X.lnk", "x.url"}, {"X.lnk"},
         {"", "X", "x"}, {0, ul | cl | uu, ul | cl | uu}},
        // The limit counts UTF-16 units, two for a character beyond U+FFFF, not bytes.
        {"paths of up to 259 characters", {fits + ".lnk", beyond + ".lnk"}, {}, {"", fits}, {0, ul}},
        {"no Programs folders", {}, {}, {""}, {0}},
        // An unresolved root would otherwise look for "Programs" in the current directory.
        {"roots left empty", {"Editor.lnk"}, {"Editor.lnk"}, {""}, {0}, {"", ""}},
    };
    for (const auto& row : rows) {
        test::memory_fs fs;
        fs.add(user("Other\\Stray.lnk"));  // outside the Programs folders
        fs.add("Programs\\Relative.lnk");  // where an empty root would look
        for (const std::string& path : row.user)
            fs.add(user("Programs\\" + path));
        for (const std::string& path : row.common)
            fs.add(common("Programs\\" + path));
        path_list tree;
        for (const std::string& path : row.tree)
            tree.push_back("Programs\\" + path);

        const programs_tree built = build_programs_tree(fs.ops(), row.at);
        EXPECT_EQ(built.tree, tree) << row.what;
        EXPECT_EQ(built.sources, row.sources) << row.what;
        EXPECT_EQ(watcher_pass(fs.ops(), row.at) == pass_signature{}, tree.size() == 1) << row.what;
        // Without links no folder needs to be opened to learn its identity.
        EXPECT_EQ(fs.identifications, 0) << row.what;
    }
}

TEST(ProgramsTree, StopsAtTheLastEntryIdBelowTheCommands)
{
    test::memory_fs fs;
    for (int i = 0; i < 201 * 50; ++i) {
        const std::string name = std::to_string(100 + i / 50) + "\\E" + std::to_string(10 + i % 50) + ".lnk";
        fs.add((i % 2 ? user : common)("Programs\\F" + name));
    }
    fs.add(user("Programs\\Z Last\\"));

    // Folders stay, the one whose entries were dropped too; tree, sources and launch agree.
    programs_tree tree = build_programs_tree(fs.ops(), roots);
    ASSERT_EQ(tree.launch.size(), static_cast<std::size_t>(max_menu_entries));
    EXPECT_EQ(tree.tree.size(), tree.launch.size() + 203);
    EXPECT_EQ(path_list(tree.tree.end() - 3, tree.tree.end()),
              (path_list{"Programs\\F299\\E59", "Programs\\F300\\", "Programs\\Z Last\\"}));
    EXPECT_EQ(std::count(tree.sources.begin(), tree.sources.end(), 0), 203);
    EXPECT_EQ(tree.sources.size(), tree.tree.size());
}

TEST(ProgramsTree, NeverEntersAFolderAlreadyOnItsPath)
{
    test::memory_fs fs;
    fs.add(common("Programs\\Loop\\App.lnk"));
    fs.add(common("Programs\\Loop\\Inner\\Tool.lnk"));
    fs.add(common("Programs\\Lib\\Util.lnk"));
    // Three ways back up: unguarded, the walk would branch three ways at every level.
    fs.add_link(common("Programs\\Loop\\Back"), common("Programs\\Loop"));
    fs.add_link(common("Programs\\Loop\\Inner\\Up"), common("Programs\\Loop"));
    fs.add_link(common("Programs\\Loop\\Inner\\Top"), common("Programs"));
    // A link elsewhere is an ordinary folder: ToLoop leads to Inner and Inner's link Up on to Loop,
    // which is not on that path; but Loop's plain folder Inner is, as ToLoop, and is not entered.
    fs.add_link(common("Programs\\Lib\\ToLoop"), common("Programs\\Loop\\Inner"));

    programs_tree tree = build_programs_tree(fs.ops(), roots);
    EXPECT_EQ(tree.tree, (path_list{"Programs\\", "Programs\\Lib\\", "Programs\\Lib\\Util", "Programs\\Lib\\ToLoop\\",
                                     "Programs\\Lib\\ToLoop\\Tool", "Programs\\Lib\\ToLoop\\Up\\",
                                     "Programs\\Lib\\ToLoop\\Up\\App", "Programs\\Loop\\", "Programs\\Loop\\App",
                                     "Programs\\Loop\\Inner\\", "Programs\\Loop\\Inner\\Tool"}));
    EXPECT_LT(fs.enumerations, 20);
    fs.enumerations = 0;
    EXPECT_EQ(watcher_pass(fs.ops(), roots).file_count, 5);
    EXPECT_LT(fs.enumerations, 10);
}

// An entry's fingerprint changes with the size or the time of any of its files, and only with them.
TEST(ProgramsTree, FingerprintsTheShortcutFilesOfEveryEntry)
{
    const auto stamps = [](uint64_t lnk_size, uint64_t url_written) {
        test::memory_fs fs;
        fs.add(user("Programs\\Pair.lnk"), lnk_size, 1);
        fs.add(common("Programs\\Pair.url"), 2, url_written);
        fs.add(user("Programs\\Other.lnk"), 2, 1);
        return build_programs_tree(fs.ops(), roots).stamps;  // Programs\, Other, Pair
    };
    const std::vector<uint64_t> base = stamps(2, 1), larger = stamps(3, 1), later = stamps(2, 5);
    ASSERT_TRUE(base.size() == 3 && base[0] == 0 && base[1] != base[2]) << "one file is not two";
    EXPECT_TRUE(larger[1] == base[1] && larger[2] != base[2] && later[1] == base[1] && later[2] != base[2]);
}

TEST(WatcherPass, CountsEveryFileAndSeesEveryRenameOrMoveOrReplacement)
{
    const std::vector<std::string> base = {
        common("Programs\\Tools\\Calc.lnk"), common("Programs\\Tools\\desktop.ini"), user("Programs\\Editor.lnk"),
        user("Programs\\Games\\"), user("Elsewhere.lnk")};
    auto pass = [](const std::vector<std::string>& paths, uint64_t first_size = 0, uint64_t first_written = 0) {
        test::memory_fs fs;
        for (const std::string& path : paths)
            fs.add(path, path == paths[0] ? first_size : 0, path == paths[0] ? first_written : 0);
        return watcher_pass(fs.ops(), roots);
    };
    const pass_signature original = pass(base);
    EXPECT_EQ(original.file_count, 3);

    // Each change replaces the path of base at index.
    const struct { const char* change; std::size_t index; std::string path; int32_t count; uint64_t size = 0, written = 0; } rows[] = {
        {"rename a shortcut", 0, common("Programs\\Tools\\Calculator.lnk"), 3},
        {"rename only the case", 2, user("Programs\\editor.lnk"), 3},
        {"move between folders", 2, user("Programs\\Games\\Editor.lnk"), 3},
        {"move to the other root", 2, common("Programs\\Editor.lnk"), 3},
        {"rename a folder", 3, user("Programs\\Spiele\\"), 3},
        {"add a text file", 4, user("Programs\\notes.txt"), 4},
        {"replace a shortcut by a larger one", 0, base[0], 3, 1},
        {"replace a shortcut by a newer one", 0, base[0], 3, 0, 1},
    };
    for (const auto& row : rows) {
        std::vector<std::string> paths = base;
        paths[row.index] = row.path;
        const pass_signature signature = pass(paths, row.size, row.written);
        EXPECT_NE(signature, original) << row.change;
        EXPECT_EQ(signature.file_count, row.count) << row.change;
    }
}

}  // namespace
