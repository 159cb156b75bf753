// The layout of the start menu worked out from the Programs tree: submenus opened and closed,
// captions, entry numbering and the limits of the builder and of the id space.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "presentation/commands.h"
#include "presentation/menu_plan.h"

namespace {

// The steps as one line: "open A|entry 1 x|close 2|sep|cmd 10001 Suchen".
std::string render(const menu_plan& plan)
{
    std::string text;
    for (const plan_step& step : plan.steps) {
        if (!text.empty())
            text += "|";
        switch (step.action) {
        case plan_action::open_submenu:
            text.append("open ").append(step.caption);
            break;
        case plan_action::close_submenus:
            text.append("close ").append(std::to_string(step.count));
            break;
        case plan_action::add_entry:
            text.append("entry ").append(std::to_string(step.id)).append(" ").append(step.caption);
            break;
        case plan_action::add_separator:
            text += "sep";
            break;
        case plan_action::add_command:
            text.append("cmd ").append(std::to_string(step.id)).append(" ").append(step.caption);
            break;
        }
    }
    return text;
}

// Carries the steps out on a model of the menu builder: where every item lands, keyed by the
// chain of submenu captions that leads to it ("" is the top menu).
struct built_menu {
    std::map<std::string, std::vector<std::string>> items;
    int deepest = 0;
    int final_depth = 0;
    bool closed_at_top = false;  // a close step found nothing open
};

built_menu carry_out(const menu_plan& plan)
{
    built_menu menu;
    std::vector<std::string> open;
    auto target = [&] {
        std::string path;
        for (const std::string& name : open)
            path.append(name).append("/");
        return path;
    };
    for (const plan_step& step : plan.steps) {
        switch (step.action) {
        case plan_action::open_submenu:
            menu.items[target()].push_back(std::string("[").append(step.caption).append("]"));
            open.push_back(step.caption);
            menu.deepest = std::max(menu.deepest, static_cast<int>(open.size()));
            break;
        case plan_action::close_submenus:
            for (int i = 0; i < step.count; ++i) {
                if (open.empty())
                    menu.closed_at_top = true;
                else
                    open.pop_back();
            }
            break;
        case plan_action::add_entry:
            menu.items[target()].push_back(std::string(step.caption).append("#").append(std::to_string(step.id)));
            break;
        case plan_action::add_separator:
            menu.items[target()].push_back("-");
            break;
        case plan_action::add_command:
            menu.items[target()].push_back(step.caption);
            break;
        }
    }
    menu.final_depth = static_cast<int>(open.size());
    return menu;
}

// "Programs\f1\f2\...\fn\" for n nested folders.
std::string nested_folder(int n)
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
    } rows[] = {
        {"the example tree",
         {"Programs\\", "Programs\\a", "Programs\\B\\", "Programs\\B\\c", "Programs\\D\\"},
         "open Programs|entry 1 a|open B|entry 2 c|close 1|open D|close 2"},
        {"only the root: an empty Programs submenu", {"Programs\\"}, "open Programs|close 1"},
        {"no tree at all: no Programs submenu", {}, ""},
        {"entries number on across submenus and their subfolders",
         {"Programs\\", "Programs\\x", "Programs\\A\\", "Programs\\A\\y", "Programs\\A\\B\\",
          "Programs\\A\\B\\z", "Programs\\C\\", "Programs\\C\\w"},
         "open Programs|entry 1 x|open A|entry 2 y|open B|entry 3 z|close 2|open C|entry 4 w|close 2"},
        {"a folder whose parents are missing nests one level",
         {"Programs\\", nested_folder(4), "Programs\\e\\"},
         "open Programs|open f4|close 1|open e|close 2"},
        {"empty elements are passed over", {"Programs\\", "", "Programs\\a"},
         "open Programs|entry 1 a|close 1"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(render(plan_programs(row.tree)), row.steps) << row.what;
}

TEST(MenuPlan, ClosesEveryFolderThatIsNotAnAncestor)
{
    // Each chain is built level by level, so that the builder really holds every ancestor.
    for (int deep : {5, 10}) {
        path_list tree = {"Programs\\"};
        for (int i = 1; i < deep; ++i)
            tree.push_back(nested_folder(i));
        tree.push_back("Programs\\back\\");
        menu_plan plan = plan_programs(tree);
        ASSERT_GE(plan.steps.size(), 3u);
        const plan_step& close = plan.steps[plan.steps.size() - 3];
        EXPECT_EQ(close.action, plan_action::close_submenus);
        EXPECT_EQ(close.count, deep - 1) << "after a folder of depth " << deep;

        built_menu menu = carry_out(plan);
        EXPECT_EQ(menu.items["Programs/"].back(), "[back]");
        EXPECT_EQ(menu.final_depth, 0);
        EXPECT_FALSE(menu.closed_at_top);
    }
}

TEST(MenuPlan, CaptionsAreTheFieldsWithAmpersandsDoubled)
{
    const struct {
        const char* element;
        const char* caption;
    } rows[] = {
        {"Programs\\", "Programs"},
        {"Programs\\Tools\\", "Tools"},
        {"Programs\\Tools\\Notes", "Notes"},
        {"Programs\\Tools\\Notes.v2", "Notes.v2"},     // a dot is part of the name
        {"Programs\\R&D Tools\\", "R&&D Tools"},      // folder captions too
        {"Programs\\R&D Tools\\Q&A", "Q&&A"},
        {"Programs\\&&", "&&&&"},
        {"Programs\\Ausführen", "Ausführen"},        // bytes above 127 pass unchanged
        {"Programs\\x\\", "x"},
        {"Programs\\\\", ""},                          // an empty folder name stays empty
    };
    for (const auto& row : rows)
        EXPECT_EQ(element_caption(row.element), row.caption) << row.element;

    menu_plan plan = plan_programs({"Programs\\", "Programs\\R&D\\", "Programs\\R&D\\A&B"});
    EXPECT_EQ(render(plan), "open Programs|open R&&D|entry 1 A&&B|close 2");
}

TEST(MenuPlan, FoldersBeyondTheBuilderDepthShareTheirDeepestAncestorsSubmenu)
{
    // 70 nested folders, each holding one entry, then a sibling at the top of Programs.
    path_list tree = {"Programs\\", "Programs\\top"};
    for (int i = 1; i <= 70; ++i) {
        tree.push_back(nested_folder(i));
        tree.push_back(nested_folder(i).append("e").append(std::to_string(i)));
    }
    tree.push_back("Programs\\after\\");
    tree.push_back("Programs\\after\\last");

    menu_plan plan = plan_programs(tree);
    built_menu menu = carry_out(plan);
    EXPECT_EQ(menu.deepest, 64);  // "Programs" and 63 folders below it
    EXPECT_EQ(plan.flattened_folders, 7);
    EXPECT_EQ(menu.final_depth, 0);
    EXPECT_FALSE(menu.closed_at_top);
    EXPECT_EQ(plan.entries, 72);

    std::string deepest = "Programs/";
    for (int i = 1; i <= 63; ++i)
        deepest.append("f").append(std::to_string(i)).append("/");
    // The folder at depth 64 holds its own entry and, after it, those of the seven folders below.
    std::vector<std::string> expected = {"e63#64", "e64#65", "e65#66", "e66#67", "e67#68",
                                         "e68#69", "e69#70", "e70#71"};
    EXPECT_EQ(menu.items[deepest], expected);
    EXPECT_EQ(menu.items["Programs/after/"], std::vector<std::string>{"last#72"});
    EXPECT_EQ(menu.items["Programs/"].back(), "[after]");

    // A small limit shows the same rule in a few lines.
    menu_plan small = plan_programs({"Programs\\", "Programs\\a\\", "Programs\\a\\b\\",
                                     "Programs\\a\\b\\x", "Programs\\a\\c\\", "Programs\\a\\c\\y",
                                     "Programs\\d\\"},
                                    plan_limits{2, 100});
    EXPECT_EQ(render(small), "open Programs|open a|entry 1 x|entry 2 y|close 1|open d|close 2");
}

TEST(MenuPlan, EntryIdsStopBelowTheFirstCommand)
{
    path_list tree = {"Programs\\"};
    for (int i = 0; i < 10050; ++i)
        tree.push_back(std::string("Programs\\e").append(std::to_string(i)));
    tree.push_back("Programs\\z\\");

    for (int32_t asked : {max_menu_entries, 20000}) {
        menu_plan plan = plan_start_menu(tree, plan_limits{64, asked});
        EXPECT_EQ(plan.entries, 10000);
        EXPECT_EQ(plan.dropped_entries, 50);
        uint32_t highest = 0;
        int count = 0;
        for (const plan_step& step : plan.steps) {
            if (step.action != plan_action::add_entry)
                continue;
            ++count;
            highest = std::max(highest, step.id);
            EXPECT_EQ(step.id, static_cast<uint32_t>(count));
        }
        EXPECT_EQ(count, 10000);
        EXPECT_EQ(highest, 10000u);
        // The folder after the dropped entries is still there.
        EXPECT_EQ(carry_out(plan).items["Programs/"].back(), "[z]");
    }
}

TEST(MenuPlan, TheCommandsFollowTheTreeBetweenSeparators)
{
    menu_plan plan = plan_start_menu({"Programs\\", "Programs\\a"});
    built_menu menu = carry_out(plan);
    std::vector<std::string> top = {"[Programs]", "-", "Suchen", "Ausführen", "Benutzer wechseln",
                                    "Benutzer abmelden", "Standby", "Ruhezustand", "Neu starten",
                                    "Herunterfahren", "-", "Informationen", "Velmora beenden"};
    EXPECT_EQ(menu.items[""], top);
    std::vector<uint32_t> greyed;
    for (const plan_step& step : plan.steps)
        if (step.action == plan_action::add_command && step.greyed)
            greyed.push_back(step.id);
    EXPECT_EQ(greyed, (std::vector<uint32_t>{command_standby, command_hibernate}));
}

}  // namespace
