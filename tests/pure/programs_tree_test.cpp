// The Programs tree: sort order, merging of both roots, the lists a build yields, and the walk's
// guards against link cycles, long paths and trees beyond the menu's id range.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "catalogue/programs_tree.h"
#include "tests/pure/memory_fs.h"

namespace {

const programs_roots roots = {"U:\\Users\\Ann\\Start Menu\\", "C:\\ProgramData\\Start Menu\\"};

std::string user(const std::string& relative) { return roots.user + relative; }
std::string common(const std::string& relative) { return roots.common + relative; }

TEST(ProgramsTreeText, SortsLikeTheRuntimesCaseBlindCompare)
{
    const struct {
        const char* a;
        const char* b;
    } ascending[] = {
        {"Programs\\Games2\\", "Programs\\Games\\"},        // "2" and " " sort before "\"
        {"Programs\\Office Tools\\", "Programs\\Office\\"},
        {"Programs\\Games\\", "Programs\\Games_x\\"},       // "_" and letters after it
        {"Programs\\Games\\", "Programs\\gamesX\\"},
        {"Programs\\Games", "Programs\\Games2"},            // a prefix first
        {"Programs\\\xC4pfel", "Programs\\\xE4pfel"},       // only A-Z fold
        {"Programs\\z", "Programs\\\xE9"},                  // unsigned bytes
    };
    for (const auto& row : ascending) {
        EXPECT_LT(compare_paths(row.a, row.b), 0) << row.a << " < " << row.b;
        EXPECT_GT(compare_paths(row.b, row.a), 0) << row.b << " > " << row.a;
    }
    EXPECT_EQ(compare_paths("Programs\\Tools", "programs\\TOOLS"), 0);

    path_list list = {"b", "B", "a", "b", "A", "B", "c"};
    sort_paths(&list);
    EXPECT_EQ(list, (path_list{"a", "A", "b", "B", "b", "B", "c"}));  // stable
    // Exact duplicates go also when another spelling stands between them.
    remove_duplicates_in_runs(&list);
    EXPECT_EQ(list, (path_list{"a", "A", "b", "B", "c"}));
}

TEST(ProgramsTree, WorkedExampleGivesItsListsInOrder)
{
    test::memory_fs fs;
    for (const char* path : {"Programs\\Editor.lnk", "Programs\\Tools\\Notes.lnk", "Programs\\desktop.ini"})
        fs.add(user(path));
    for (const char* path : {"Programs\\Tools\\Calc.lnk", "Programs\\Tools\\Calc.url",
                             "Programs\\Tools\\Extra\\Backup.lnk", "Programs\\Games\\"})
        fs.add(common(path));

    programs_tree tree = build_programs_tree(fs.ops(), roots);
    EXPECT_EQ(tree.tree, (path_list{"Programs\\", "Programs\\Editor", "Programs\\Games\\", "Programs\\Tools\\",
                                     "Programs\\Tools\\Calc", "Programs\\Tools\\Notes", "Programs\\Tools\\Extra\\",
                                     "Programs\\Tools\\Extra\\Backup"}));
    EXPECT_EQ(tree.launch, (path_list{"Programs\\Editor", "Programs\\Tools\\Calc", "Programs\\Tools\\Notes",
                                       "Programs\\Tools\\Extra\\Backup"}));
    EXPECT_EQ(tree.sources, (std::vector<uint8_t>{0, source_user_lnk, 0, 0, source_common_lnk | source_common_url,
                                                  source_user_lnk, 0, source_common_lnk}));
}

TEST(ProgramsTree, MergesShortcutsAndSkipsWhatIsNoShortcut)
{
    test::memory_fs fs;
    for (const char* path : {"Programs\\Both.lnk", "Programs\\Pair.lnk", "Programs\\Pair.url",
                             "Programs\\Odd\\Name.LNK", "Programs\\Odd\\Name.Url", "Programs\\Odd\\Name.exe",
                             "Programs\\Odd\\Name", "Programs\\Odd\\Desktop.ini", "Programs\\Odd\\Folder.lnk\\"})
        fs.add(user(path));
    // ".lnk" has no name: its entry path would end in "\" and read as the folder itself.
    for (const char* path : {"Programs\\Both.lnk", "Programs\\Web.url", "Programs\\Odd\\DESKTOP.INI", "Programs\\Odd\\.lnk"})
        fs.add(common(path));

    programs_tree tree = build_programs_tree(fs.ops(), roots);
    EXPECT_EQ(tree.tree, (path_list{"Programs\\", "Programs\\Both", "Programs\\Pair", "Programs\\Web",
                                     "Programs\\Odd\\", "Programs\\Odd\\Folder.lnk\\"}));
    EXPECT_EQ(tree.sources, (std::vector<uint8_t>{0, source_user_lnk | source_common_lnk,
                                                  source_user_lnk | source_user_url, source_common_url, 0, 0}));
}

TEST(ProgramsTree, WithoutProgramsFoldersHoldsTheRootAlone)
{
    test::memory_fs fs;
    fs.add(user("Other\\Stray.lnk"));
    fs.add("Programs\\Relative.lnk");  // where an unresolved root "" would look
    for (const programs_roots& r : {roots, programs_roots{"", ""}}) {
        programs_tree tree = build_programs_tree(fs.ops(), r);
        EXPECT_EQ(tree.tree, path_list{"Programs\\"});
        EXPECT_EQ(tree.sources, std::vector<uint8_t>{0});
        EXPECT_TRUE(tree.launch.empty());
        EXPECT_EQ(watcher_pass(fs.ops(), r), pass_signature{});
    }
}

TEST(ProgramsTree, SpellingsThatDifferInCaseStayApartAndShareTheirFiles)
{
    test::memory_fs fs;
    fs.add(common("Programs\\Tools\\Calc.lnk"));
    fs.add(user("Programs\\tools\\notes.lnk"));
    fs.add(common("Programs\\Mixed.lnk"));
    fs.add(user("Programs\\mixed.lnk"));

    // Folders: the all-users spelling first; entries: the user's. The file system ignores case, so
    // each spelling of a folder lists the files of both, and each entry stands for both files.
    programs_tree tree = build_programs_tree(fs.ops(), roots);
    EXPECT_EQ(tree.tree, (path_list{"Programs\\", "Programs\\mixed", "Programs\\Mixed", "Programs\\Tools\\",
                                     "Programs\\Tools\\Calc", "Programs\\Tools\\notes", "Programs\\tools\\",
                                     "Programs\\tools\\Calc", "Programs\\tools\\notes"}));
    const uint8_t both = source_user_lnk | source_common_lnk;
    EXPECT_EQ(tree.sources, (std::vector<uint8_t>{0, both, both, 0, source_common_lnk, source_user_lnk, 0,
                                                  source_common_lnk, source_user_lnk}));
}

// X.lnk and x.url for the user, X.lnk for all users: the case-blind sort gives X, x, X, and the
// second X, no neighbour of the first, must go all the same.
TEST(ProgramsTree, AnEntryShowsOnceWhenAnotherSpellingStandsBetweenItsCopies)
{
    test::memory_fs fs;
    fs.add(user("Programs\\X.lnk"));
    fs.add(user("Programs\\x.url"));
    fs.add(common("Programs\\X.lnk"));
    programs_tree tree = build_programs_tree(fs.ops(), roots);
    EXPECT_EQ(tree.tree, (path_list{"Programs\\", "Programs\\X", "Programs\\x"}));
    EXPECT_EQ(tree.launch, (path_list{"Programs\\X", "Programs\\x"}));
}

TEST(ProgramsTree, StopsAtTheLastEntryIdBelowTheCommands)
{
    test::memory_fs fs;
    char name[64];
    for (int i = 0; i < 201 * 50; ++i) {
        std::snprintf(name, sizeof name, "Programs\\F%03d\\E%02d.lnk", i / 50, i % 50);
        fs.add(i % 2 ? user(name) : common(name));
    }
    fs.add(user("Programs\\Z Last\\"));

    programs_tree tree = build_programs_tree(fs.ops(), roots);
    EXPECT_EQ(tree.launch.size(), static_cast<std::size_t>(max_menu_entries));
    EXPECT_EQ(tree.launch.back(), "Programs\\F199\\E49");
    // Folders stay, the one whose entries were dropped too; tree, sources and launch agree.
    ASSERT_EQ(tree.sources.size(), tree.tree.size());
    EXPECT_EQ(tree.tree.size(), tree.launch.size() + 203);
    EXPECT_EQ(tree.tree[tree.tree.size() - 2], "Programs\\F200\\");
    EXPECT_EQ(tree.tree.back(), "Programs\\Z Last\\");
    for (std::size_t i = 0, entry = 0; i < tree.tree.size(); ++i) {
        bool folder = tree.tree[i].back() == '\\';
        EXPECT_EQ(tree.sources[i] == 0, folder) << tree.tree[i];
        EXPECT_TRUE(folder || tree.tree[i] == tree.launch[entry++]) << tree.tree[i];
    }
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

    // Without links no folder needs to be opened to learn its identity.
    test::memory_fs plain;
    plain.add(common("Programs\\A\\B\\C\\x.lnk"));
    plain.add(user("Programs\\A\\y.url"));
    build_programs_tree(plain.ops(), roots);
    watcher_pass(plain.ops(), roots);
    EXPECT_EQ(plain.identifications, 0);
}

TEST(WatcherPass, CountsEveryFileAndSeesEveryRenameOrMove)
{
    const std::vector<std::string> base = {
        common("Programs\\Tools\\Calc.lnk"), common("Programs\\Tools\\desktop.ini"), user("Programs\\Editor.lnk"),
        user("Programs\\Games\\"), user("Elsewhere.lnk")};
    auto pass = [](const std::vector<std::string>& paths, bool reverse = false) {
        test::memory_fs fs;
        for (const std::string& path : paths)
            fs.add(path);
        fs.reverse_listings = reverse;
        return watcher_pass(fs.ops(), roots);
    };
    const pass_signature original = pass(base);
    EXPECT_EQ(original.file_count, 3);
    EXPECT_EQ(pass(base, true), original);  // the listing order does not matter

    auto changed = [&](std::size_t index, const std::string& replacement) {
        std::vector<std::string> paths = base;
        paths[index] = replacement;
        return paths;
    };
    const struct {
        const char* change;
        std::vector<std::string> paths;
        int32_t count;
    } rows[] = {
        {"rename a shortcut", changed(0, common("Programs\\Tools\\Calculator.lnk")), 3},
        {"rename only the case", changed(2, user("Programs\\editor.lnk")), 3},
        {"move between folders", changed(2, user("Programs\\Games\\Editor.lnk")), 3},
        {"move to the other root", changed(2, common("Programs\\Editor.lnk")), 3},
        {"rename a folder", changed(3, user("Programs\\Spiele\\")), 3},
        {"add a text file", changed(4, user("Programs\\notes.txt")), 4},
    };
    for (const auto& row : rows) {
        pass_signature signature = pass(row.paths);
        EXPECT_NE(signature, original) << row.change;
        EXPECT_EQ(signature.file_count, row.count) << row.change;
    }
}

}  // namespace
