// The Programs tree: sort order, merging of both roots, the lists a build yields, and the walk's
// guards against link cycles, long paths and trees beyond the menu's id range.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "catalogue/programs_tree.h"
#include "tests/pure/memory_fs.h"

namespace {

const programs_roots roots = {"U:\\Users\\Ann\\Start Menu\\", "C:\\ProgramData\\Start Menu\\"};

std::string user(const std::string& relative) { return roots.user + relative; }
std::string common(const std::string& relative) { return roots.common + relative; }

int sign(int value) { return (value > 0) - (value < 0); }

// Along the path of every folder of the tree, under each root, no folder comes twice.
void expect_no_folder_twice_on_a_path(const test::memory_fs& fs, const programs_tree& tree)
{
    for (const std::string& element : tree.tree) {
        if (element.back() != '\\')
            continue;
        for (const std::string& root : {roots.user, roots.common}) {
            std::vector<int> seen;
            for (std::size_t end = element.find('\\'); end != std::string::npos; end = element.find('\\', end + 1)) {
                int node = fs.node_of(root + element.substr(0, end));
                if (node < 0)
                    break;
                EXPECT_EQ(std::count(seen.begin(), seen.end(), node), 0) << root << element;
                seen.push_back(node);
            }
        }
    }
}

TEST(ProgramsTreeText, ComparesLikeTheRuntimesCaseBlindOrder)
{
    const struct {
        const char* a;
        const char* b;
        int expected;
    } rows[] = {
        {"Programs\\Tools", "programs\\TOOLS", 0},        // only A-Z fold
        {"Programs\\Games2\\", "Programs\\Games\\", -1},  // "2" sorts before "\"
        {"Programs\\Office Tools\\", "Programs\\Office\\", -1},  // so does the space
        {"Programs\\Games_x\\", "Programs\\Games\\", 1},  // "_" sorts after "\"
        {"Programs\\GamesX\\", "Programs\\Games\\", 1},   // and so does every letter
        {"Programs\\Games", "Programs\\Games2", -1},      // a prefix first
        {"Programs\\\xC4pfel", "Programs\\\xE4pfel", -1},  // Ä and ä are not folded
        {"Programs\\\xE9", "Programs\\z", 1},             // bytes compare unsigned
        {"", "", 0},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(sign(compare_paths(row.a, row.b)), row.expected) << row.a << " vs " << row.b;
        EXPECT_EQ(sign(compare_paths(row.b, row.a)), -row.expected) << row.b << " vs " << row.a;
    }
}

TEST(ProgramsTreeText, SortIsStableAndDuplicatesGoOnlyWhenExact)
{
    path_list list = {"b", "B", "a", "b", "A", "B"};
    sort_paths(&list);
    EXPECT_EQ(list, (path_list{"a", "A", "b", "B", "b", "B"}));
    remove_adjacent_duplicates(&list);
    // "B" follows "b" and "b" follows "B": no exact duplicates are adjacent.
    EXPECT_EQ(list, (path_list{"a", "A", "b", "B", "b", "B"}));

    path_list exact = {"x", "x", "y", "y", "y", "x"};
    remove_adjacent_duplicates(&exact);
    EXPECT_EQ(exact, (path_list{"x", "y", "x"}));
    path_list empty;
    remove_adjacent_duplicates(&empty);
    EXPECT_TRUE(empty.empty());
}

TEST(ProgramsTreeText, ExtensionIsTheTextAfterTheLastDotOfTheLastComponent)
{
    const struct {
        const char* name;
        const char* expected;
    } rows[] = {
        {"Editor.lnk", "lnk"},
        {"Editor.LNK", "LNK"},        // case kept
        {"my.app.url", "url"},        // last dot
        {"Editor", ""},               // no dot
        {"dir.d\\Editor", ""},        // a dot before the last "\" does not count
        {"dir.d/Editor", ""},         // nor before "/"
        {"\"C:\\a\\b.lnk\"", "lnk"},  // ends at a double quote
        {"Editor.", ""},
        {".lnk", "lnk"},
        {"", ""},
    };
    for (const auto& row : rows)
        EXPECT_EQ(extension_part(row.name), row.expected) << row.name;
}

TEST(ProgramsTree, WorkedExampleGivesItsListsInOrder)
{
    test::memory_fs fs;
    fs.add_file(user("Programs\\Editor.lnk"));
    fs.add_file(user("Programs\\Tools\\Notes.lnk"));
    fs.add_file(user("Programs\\desktop.ini"));
    fs.add_file(common("Programs\\Tools\\Calc.lnk"));
    fs.add_file(common("Programs\\Tools\\Calc.url"));
    fs.add_file(common("Programs\\Tools\\Extra\\Backup.lnk"));
    fs.add_folder(common("Programs\\Games"));

    programs_tree tree = build_programs_tree(fs.ops(), roots);
    EXPECT_EQ(tree.tree, (path_list{"Programs\\", "Programs\\Editor", "Programs\\Games\\", "Programs\\Tools\\",
                                     "Programs\\Tools\\Calc", "Programs\\Tools\\Notes", "Programs\\Tools\\Extra\\",
                                     "Programs\\Tools\\Extra\\Backup"}));
    EXPECT_EQ(tree.launch, (path_list{"Programs\\Editor", "Programs\\Tools\\Calc", "Programs\\Tools\\Notes",
                                       "Programs\\Tools\\Extra\\Backup"}));
    EXPECT_EQ(tree.sources, (std::vector<uint8_t>{0, source_user_lnk, 0, 0, source_common_lnk | source_common_url,
                                                  source_user_lnk, 0, source_common_lnk}));
    EXPECT_EQ(tree.dropped_entries, 0);
}

TEST(ProgramsTree, MergesShortcutsAndSkipsWhatIsNoShortcut)
{
    test::memory_fs fs;
    fs.add_file(user("Programs\\Both.lnk"));
    fs.add_file(common("Programs\\Both.lnk"));
    fs.add_file(user("Programs\\Pair.lnk"));
    fs.add_file(user("Programs\\Pair.url"));
    fs.add_file(common("Programs\\Web.url"));
    fs.add_file(user("Programs\\Odd\\Name.LNK"));  // the extension must match exactly
    fs.add_file(user("Programs\\Odd\\Name.Url"));
    fs.add_file(user("Programs\\Odd\\Name.exe"));
    fs.add_file(user("Programs\\Odd\\Name"));
    fs.add_file(user("Programs\\Odd\\Desktop.ini"));
    fs.add_file(common("Programs\\Odd\\DESKTOP.INI"));
    fs.add_file(common("Programs\\Odd\\.lnk"));    // no name: would read as the folder itself
    fs.add_folder(user("Programs\\Odd\\Folder.lnk"));  // a folder, not a shortcut

    programs_tree tree = build_programs_tree(fs.ops(), roots);
    EXPECT_EQ(tree.tree, (path_list{"Programs\\", "Programs\\Both", "Programs\\Pair", "Programs\\Web",
                                     "Programs\\Odd\\", "Programs\\Odd\\Folder.lnk\\"}));
    EXPECT_EQ(tree.sources, (std::vector<uint8_t>{0, source_user_lnk | source_common_lnk,
                                                  source_user_lnk | source_user_url, source_common_url, 0, 0}));
    EXPECT_EQ(tree.launch, (path_list{"Programs\\Both", "Programs\\Pair", "Programs\\Web"}));
}

TEST(ProgramsTree, KeepsEmptyFoldersAndPutsEntriesBeforeSubfolders)
{
    test::memory_fs fs;
    fs.add_folder(common("Programs\\Deep\\Er\\Est"));
    fs.add_file(user("Programs\\Games\\Games2.lnk"));
    fs.add_file(user("Programs\\Games\\Games.lnk"));
    fs.add_folder(user("Programs\\Games\\Sub"));
    fs.add_folder(user("Programs\\Games2"));
    fs.add_folder(common("Programs\\Games_x"));
    fs.add_folder(common("Programs\\Office"));
    fs.add_folder(common("Programs\\Office Tools"));
    fs.add_file(user("Programs\\Zed.lnk"));

    programs_tree tree = build_programs_tree(fs.ops(), roots);
    EXPECT_EQ(tree.tree, (path_list{"Programs\\", "Programs\\Zed", "Programs\\Deep\\", "Programs\\Deep\\Er\\",
                                     "Programs\\Deep\\Er\\Est\\", "Programs\\Games2\\", "Programs\\Games\\",
                                     "Programs\\Games\\Games", "Programs\\Games\\Games2",
                                     "Programs\\Games\\Sub\\", "Programs\\Games_x\\",
                                     "Programs\\Office Tools\\", "Programs\\Office\\"}));
    EXPECT_EQ(tree.launch, (path_list{"Programs\\Zed", "Programs\\Games\\Games", "Programs\\Games\\Games2"}));
}

TEST(ProgramsTree, WithoutProgramsFoldersHoldsTheRootAlone)
{
    test::memory_fs fs;
    fs.add_file(user("Other\\Stray.lnk"));
    const programs_roots unresolved = {"", ""};
    for (const programs_roots& r : {roots, unresolved}) {
        programs_tree tree = build_programs_tree(fs.ops(), r);
        EXPECT_EQ(tree.tree, path_list{"Programs\\"});
        EXPECT_EQ(tree.sources, std::vector<uint8_t>{0});
        EXPECT_TRUE(tree.launch.empty());
    }
}

TEST(ProgramsTree, RootTheShellCannotResolveIsNotLookedForInTheCurrentFolder)
{
    test::memory_fs fs;
    fs.add_file("Programs\\Relative.lnk");
    fs.add_file(common("Programs\\Shared.lnk"));
    programs_tree tree = build_programs_tree(fs.ops(), {"", roots.common});
    EXPECT_EQ(tree.launch, path_list{"Programs\\Shared"});
    EXPECT_EQ(watcher_pass(fs.ops(), {"", roots.common}).file_count, 1);
}

TEST(ProgramsTree, SpellingsThatDifferInCaseStayApartAndShareTheirFiles)
{
    test::memory_fs fs;
    fs.add_file(common("Programs\\Tools\\Calc.lnk"));
    fs.add_file(user("Programs\\tools\\notes.lnk"));
    fs.add_file(common("Programs\\Mixed.lnk"));
    fs.add_file(user("Programs\\mixed.lnk"));

    programs_tree tree = build_programs_tree(fs.ops(), roots);
    // Folders: the all-users spelling first; entries: the user's spelling first. The file system
    // ignores case, so each folder spelling lists the files of both.
    EXPECT_EQ(tree.tree, (path_list{"Programs\\", "Programs\\mixed", "Programs\\Mixed", "Programs\\Tools\\",
                                     "Programs\\Tools\\Calc", "Programs\\Tools\\notes", "Programs\\tools\\",
                                     "Programs\\tools\\Calc", "Programs\\tools\\notes"}));
    EXPECT_EQ(tree.sources[1], source_user_lnk | source_common_lnk);
    EXPECT_EQ(tree.sources[2], source_user_lnk | source_common_lnk);
    EXPECT_EQ(tree.sources[4], source_common_lnk);
    EXPECT_EQ(tree.sources[5], source_user_lnk);
}

TEST(ProgramsTree, SecondBuildHoldsOnlyItsOwnEntries)
{
    test::memory_fs fs;
    fs.add_file(user("Programs\\Old.lnk"));
    fs.add_file(user("Programs\\Kept.lnk"));
    programs_tree first = build_programs_tree(fs.ops(), roots);
    fs.remove(user("Programs\\Old.lnk"));
    fs.add_file(common("Programs\\New.lnk"));
    programs_tree second = build_programs_tree(fs.ops(), roots);
    EXPECT_EQ(first.launch, (path_list{"Programs\\Kept", "Programs\\Old"}));
    EXPECT_EQ(second.launch, (path_list{"Programs\\Kept", "Programs\\New"}));
}

TEST(ProgramsTree, StopsAtTheLastEntryIdBelowTheCommands)
{
    test::memory_fs fs;
    char name[64];
    for (int folder = 0; folder < 201; ++folder) {
        for (int entry = 0; entry < 50; ++entry) {
            std::snprintf(name, sizeof name, "Programs\\F%03d\\E%02d.lnk", folder, entry);
            fs.add_file(folder % 2 ? user(name) : common(name));
        }
    }
    fs.add_folder(user("Programs\\Z Last"));

    programs_tree tree = build_programs_tree(fs.ops(), roots);
    EXPECT_EQ(tree.launch.size(), static_cast<std::size_t>(max_menu_entries));
    EXPECT_EQ(tree.dropped_entries, 50);
    ASSERT_EQ(tree.sources.size(), tree.tree.size());
    std::size_t entries = 0;
    for (std::size_t i = 0; i < tree.tree.size(); ++i) {
        bool folder = tree.tree[i].back() == '\\';
        EXPECT_EQ(tree.sources[i] == 0, folder) << tree.tree[i];
        if (!folder) {
            EXPECT_EQ(tree.tree[i], tree.launch[entries++]);
        }
    }
    EXPECT_EQ(entries, tree.launch.size());
    // The last full folder loses its entries but stays, like every folder after it.
    EXPECT_EQ(tree.launch.back(), "Programs\\F199\\E49");
    EXPECT_EQ(tree.tree.back(), "Programs\\Z Last\\");
    EXPECT_NE(std::find(tree.tree.begin(), tree.tree.end(), "Programs\\F200\\"), tree.tree.end());
}

TEST(ProgramsTree, LinksBackToAnAncestorAreNotEntered)
{
    test::memory_fs fs;
    fs.add_file(common("Programs\\Loop\\App.lnk"));
    fs.add_file(common("Programs\\Loop\\Inner\\Tool.lnk"));
    // Two ways back per level: without the guard the walk would double with every level.
    fs.add_link(common("Programs\\Loop\\Back"), common("Programs\\Loop"));
    fs.add_link(common("Programs\\Loop\\Inner\\Up"), common("Programs\\Loop"));
    fs.add_link(common("Programs\\Loop\\Inner\\Top"), common("Programs"));
    // A link to a folder that is not on the path is an ordinary folder.
    fs.add_file(common("Programs\\Lib\\Util.lnk"));
    fs.add_link(user("Programs\\Shared"), common("Programs\\Lib"));

    programs_tree tree = build_programs_tree(fs.ops(), roots);
    EXPECT_EQ(tree.tree, (path_list{"Programs\\", "Programs\\Lib\\", "Programs\\Lib\\Util", "Programs\\Loop\\",
                                     "Programs\\Loop\\App", "Programs\\Loop\\Inner\\", "Programs\\Loop\\Inner\\Tool",
                                     "Programs\\Shared\\", "Programs\\Shared\\Util"}));
    expect_no_folder_twice_on_a_path(fs, tree);
    EXPECT_LT(fs.enumerations, 20);

    fs.enumerations = 0;
    pass_signature pass = watcher_pass(fs.ops(), roots);
    EXPECT_EQ(pass.file_count, 4);  // App, Tool, Util, and Util once more through Shared
    EXPECT_LT(fs.enumerations, 10);
}

TEST(ProgramsTree, FolderThatComesRoundBelowALinkIsNotEnteredAgain)
{
    // Programs\A\ToW leads to C\W, whose link ToC leads to its own parent C: going on into C's
    // folder W would be W a second time, though W is no link there.
    test::memory_fs fs;
    fs.add_file(common("Programs\\C\\W\\Deep.lnk"));
    fs.add_folder(common("Programs\\A"));
    fs.add_link(common("Programs\\A\\ToW"), common("Programs\\C\\W"));
    fs.add_link(common("Programs\\C\\W\\ToC"), common("Programs\\C"));

    programs_tree tree = build_programs_tree(fs.ops(), roots);
    EXPECT_EQ(tree.tree, (path_list{"Programs\\", "Programs\\A\\", "Programs\\A\\ToW\\", "Programs\\A\\ToW\\Deep",
                                     "Programs\\A\\ToW\\ToC\\", "Programs\\C\\", "Programs\\C\\W\\",
                                     "Programs\\C\\W\\Deep"}));
    expect_no_folder_twice_on_a_path(fs, tree);
}

TEST(ProgramsTree, WalkWithoutLinksOpensNoFolderToIdentifyIt)
{
    test::memory_fs fs;
    for (const char* path : {"Programs\\A\\B\\C\\x.lnk", "Programs\\A\\y.url", "Programs\\D\\z.lnk"}) {
        fs.add_file(user(path));
        fs.add_file(common(path));
    }
    build_programs_tree(fs.ops(), roots);
    watcher_pass(fs.ops(), roots);
    EXPECT_EQ(fs.identifications, 0);
}

TEST(ProgramsTree, SkipsPathsBeyondTheLengthLimit)
{
    test::memory_fs fs;
    std::string programs = common("Programs\\");
    // A folder whose file "a.url" ends exactly at the limit.
    std::string at_limit = programs + std::string(max_path_length - 6 - programs.size(), 'f');
    std::string beyond = programs + std::string(max_path_length - programs.size() + 1, 'g');
    fs.add_file(at_limit + "\\a.url");
    fs.add_file(at_limit + "\\ab.url");           // one character too long
    fs.add_file(beyond + "\\Lost.lnk");
    fs.add_file(user("Programs\\Short.lnk"));

    programs_tree tree = build_programs_tree(fs.ops(), roots);
    std::string relative = at_limit.substr(roots.common.size());
    EXPECT_EQ(tree.tree, (path_list{"Programs\\", "Programs\\Short", relative + "\\", relative + "\\a"}));
    EXPECT_EQ(watcher_pass(fs.ops(), roots).file_count, 2);

    // A Programs folder whose own path is too long is not walked at all.
    const programs_roots long_root = {roots.user, common(std::string(max_path_length, 'r') + "\\")};
    fs.add_file(long_root.common + "Programs\\Hidden.lnk");
    EXPECT_EQ(build_programs_tree(fs.ops(), long_root).launch, path_list{"Programs\\Short"});
}

TEST(WatcherPass, CountsEveryFileOnceWhateverItIs)
{
    test::memory_fs fs;
    fs.add_file(common("Programs\\a.lnk"));
    fs.add_file(common("Programs\\Sub\\readme.txt"));
    fs.add_file(common("Programs\\Sub\\desktop.ini"));
    fs.add_file(user("Programs\\b.url"));
    fs.add_folder(user("Programs\\Empty"));
    fs.add_file(user("Elsewhere.lnk"));  // beside, not below, the Programs folder
    EXPECT_EQ(watcher_pass(fs.ops(), roots).file_count, 4);
    EXPECT_EQ(watcher_pass(fs.ops(), {"U:\\Missing\\", roots.common}).file_count, 3);
    EXPECT_EQ(watcher_pass(fs.ops(), {"U:\\Missing\\", "C:\\Missing\\"}), pass_signature{});
}

TEST(WatcherPass, SignatureFollowsNamesNotListingOrder)
{
    auto make = [](test::memory_fs* fs) {
        fs->add_file(common("Programs\\Tools\\Calc.lnk"));
        fs->add_file(common("Programs\\Tools\\Notes.lnk"));
        fs->add_file(user("Programs\\Editor.lnk"));
        fs->add_folder(user("Programs\\Games"));
    };
    test::memory_fs base;
    make(&base);
    const pass_signature original = watcher_pass(base.ops(), roots);

    test::memory_fs reversed;
    make(&reversed);
    reversed.reverse_listings(true);
    EXPECT_EQ(watcher_pass(reversed.ops(), roots), original);

    const struct {
        const char* change;
        void (*apply)(test::memory_fs*);
    } changes[] = {
        {"rename a shortcut", [](test::memory_fs* fs) { fs->rename(common("Programs\\Tools\\Calc.lnk"), "Calculator.lnk"); }},
        {"rename only the case", [](test::memory_fs* fs) { fs->rename(user("Programs\\Editor.lnk"), "editor.lnk"); }},
        {"rename a folder", [](test::memory_fs* fs) { fs->rename(common("Programs\\Tools"), "Tools 2"); }},
        {"move between folders", [](test::memory_fs* fs) {
             fs->remove(user("Programs\\Editor.lnk"));
             fs->add_file(user("Programs\\Games\\Editor.lnk"));
         }},
        {"swap between roots", [](test::memory_fs* fs) {
             fs->remove(user("Programs\\Editor.lnk"));
             fs->add_file(common("Programs\\Editor.lnk"));
             fs->remove(common("Programs\\Tools\\Notes.lnk"));
             fs->add_file(user("Programs\\Tools\\Notes.lnk"));
         }},
        {"add one, delete another", [](test::memory_fs* fs) {
             fs->remove(user("Programs\\Editor.lnk"));
             fs->add_file(user("Programs\\Other.lnk"));
         }},
        {"add an empty folder", [](test::memory_fs* fs) { fs->add_folder(common("Programs\\New")); }},
        {"add a text file", [](test::memory_fs* fs) { fs->add_file(user("Programs\\notes.txt")); }},
    };
    for (const auto& row : changes) {
        test::memory_fs changed;
        make(&changed);
        row.apply(&changed);
        EXPECT_NE(watcher_pass(changed.ops(), roots), original) << row.change;
    }
}

}  // namespace
