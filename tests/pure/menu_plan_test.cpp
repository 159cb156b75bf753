// The layout of the start menu worked out from the Programs tree: submenus opened and closed,
// captions, entry numbering and the limits of the builder and of the id space.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "presentation/menu_plan.h"

namespace {

// The Programs steps as one line: "open A|entry 1 x|close 2".
std::string render(const menu_plan& plan)
{
    std::string text;
    for (const plan_step& step : plan.steps) {
        if (!text.empty())
            text += '|';
        if (step.action == plan_action::open_submenu)
            text.append("open ").append(step.caption);
        else if (step.action == plan_action::close_submenus)
            text.append("close ").append(std::to_string(step.count));
        else if (step.action == plan_action::add_entry)
            text.append("entry ").append(std::to_string(step.id)).append(" ").append(step.caption);
    }
    return text;
}

std::string nested_folder(int n)  // "Programs\f1\...\fn\"
{
    std::string path = "Programs\\";
    for (int i = 1; i <= n; ++i)
        path.append("f").append(std::to_string(i)).append("\\");
    return path;
}

TEST(MenuPlan, OpensClosesAndNumbersInTreeOrder)
{
    const struct {
        const char* what;
        path_list tree;
        const char* steps;
        int32_t max_depth = 64;
    } rows[] = {
        {"the example tree",
         {"Programs\\", "Programs\\a", "Programs\\B\\", "Programs\\B\\c", "Programs\\D\\"},
         "open Programs|entry 1 a|open B|entry 2 c|close 1|open D|close 2"},
        {"only the root", {"Programs\\"}, "open Programs|close 1"},
        {"no tree at all", {}, ""},
        {"numbers run on across submenus and their subfolders",
         {"Programs\\", "Programs\\x", "Programs\\A\\", "Programs\\A\\y", "Programs\\A\\B\\",
          "Programs\\A\\B\\z", "Programs\\C\\", "Programs\\C\\w"},
         "open Programs|entry 1 x|open A|entry 2 y|open B|entry 3 z|close 2|open C|entry 4 w|close 2"},
        {"ampersands doubled in folders and entries",
         {"Programs\\", "Programs\\R&D\\", "Programs\\R&D\\A&&B"},
         "open Programs|open R&&D|entry 1 A&&&&B|close 2"},
        {"empty elements passed over", {"Programs\\", "", "Programs\\a"}, "open Programs|entry 1 a|close 1"},
        {"folders too deep for the builder add to their deepest ancestor",
         {"Programs\\", "Programs\\a\\", "Programs\\a\\b\\", "Programs\\a\\b\\x", "Programs\\a\\c\\",
          "Programs\\a\\c\\y", "Programs\\d\\"},
         "open Programs|open a|entry 1 x|entry 2 y|close 1|open d|close 2", 2},
    };
    for (const auto& row : rows)
        EXPECT_EQ(render(plan_programs(row.tree, {row.max_depth, 100})), row.steps) << row.what;
}

TEST(MenuPlan, AShallowerFolderClosesEveryFolderThatIsNotItsAncestor)
{
    for (int deep : {5, 10}) {  // a depth-2 folder after one of depth 5 closes 4, after 10 closes 9
        path_list tree = {"Programs\\"};
        for (int i = 1; i < deep; ++i)
            tree.push_back(nested_folder(i));
        tree.push_back("Programs\\back\\");
        menu_plan plan = plan_programs(tree);
        ASSERT_GE(plan.steps.size(), 3u);
        EXPECT_EQ(plan.steps[plan.steps.size() - 3].count, deep - 1) << deep;
        EXPECT_EQ(plan.steps[plan.steps.size() - 2].caption, "back");
    }
}

TEST(MenuPlan, NeverNestsDeeperThanTheBuilderAndClosesWhatItOpens)
{
    path_list tree = {"Programs\\"};
    for (int i = 1; i <= 70; ++i) {
        tree.push_back(nested_folder(i));
        tree.push_back(nested_folder(i).append("e"));
    }
    tree.push_back("Programs\\after\\");
    menu_plan plan = plan_programs(tree);
    int open = 0;
    int deepest = 0;
    for (const plan_step& step : plan.steps) {
        open += step.action == plan_action::open_submenu ? 1 : 0;
        open -= step.action == plan_action::close_submenus ? step.count : 0;
        ASSERT_GE(open, 0);
        deepest = std::max(deepest, open);
    }
    EXPECT_EQ(deepest, 64);  // "Programs" and 63 folders below it
    EXPECT_EQ(open, 0);
    EXPECT_EQ(plan.flattened_folders, 7);
    EXPECT_EQ(plan.entries, 70);  // every entry keeps its item
}

TEST(MenuPlan, EntryIdsStopBelowTheFirstCommand)
{
    path_list tree = {"Programs\\"};
    for (int i = 0; i < 10050; ++i)
        tree.push_back(std::string("Programs\\e").append(std::to_string(i)));
    for (int32_t asked : {max_menu_entries, 20000}) {
        menu_plan plan = plan_start_menu(tree, plan_limits{64, asked});
        EXPECT_EQ(plan.entries, 10000);
        EXPECT_EQ(plan.dropped_entries, 50);
        uint32_t expected = 0;
        for (const plan_step& step : plan.steps) {
            if (step.action == plan_action::add_entry) {
                EXPECT_EQ(step.id, ++expected);
            }
        }
        EXPECT_EQ(expected, 10000u);
    }
}

}  // namespace
