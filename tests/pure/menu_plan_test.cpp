// The layout of the start menu worked out from the Programs tree: submenus opened and closed,
// captions, entry numbering, the builder's depth limit and the budget of submenus.

#include <gtest/gtest.h>

#include <string>

#include "presentation/menu_plan.h"

namespace {

// The Programs steps as one line: "open A|entry 1 x|close 2".
std::string render(const menu_plan& plan)
{
    std::string text;
    for (const plan_step& step : plan.steps) {
        text += text.empty() ? "" : "|";
        if (step.action == plan_action::close_submenus)
            text += "close " + std::to_string(step.count);
        else
            text += (step.action == plan_action::open_submenu ? "open " : "entry " + std::to_string(step.id) + " ") + step.caption;
    }
    return text;
}

TEST(MenuPlan, OpensClosesAndNumbersInTreeOrder)
{
    const struct {
        const char* what;
        path_list tree;
        const char* steps;
        int32_t max_submenus = 1000;
    } rows[] = {
        {"no tree at all", {}, ""},
        {"empty elements passed over", {"Programs\\", "", "Programs\\a"}, "open Programs|entry 1 a|close 1"},
        {"folders past the budget add to their nearest ancestor with a submenu, and so do theirs",
         {"Programs\\", "Programs\\a\\", "Programs\\a\\x", "Programs\\b\\", "Programs\\b\\y", "Programs\\b\\c\\",
          "Programs\\b\\c\\z", "Programs\\d\\", "Programs\\d\\w"},
         "open Programs|open a|entry 1 x|close 1|entry 2 y|entry 3 z|entry 4 w|close 1", 2},
        {"a budget spent inside a folder keeps its submenu open to the end of it",
         {"Programs\\", "Programs\\a\\", "Programs\\a\\b\\", "Programs\\a\\b\\x", "Programs\\a\\y", "Programs\\c\\"},
         "open Programs|open a|entry 1 x|entry 2 y|close 1|close 1", 2},
    };
    for (const auto& row : rows)
        EXPECT_EQ(render(plan_programs(row.tree, {64, 100, row.max_submenus})), row.steps) << row.what;
}

}  // namespace
