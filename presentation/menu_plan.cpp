#include "presentation/menu_plan.h"

#include <algorithm>

#include "presentation/commands.h"

namespace {

void add_close(menu_plan* plan, int32_t count)
{
    plan_step step = {};
    step.action = plan_action::close_submenus;
    step.count = count;
    step.tree_index = -1;
    plan->steps.push_back(std::move(step));
}

// The lowest id of the fixed commands: entry ids must stay below it.
uint32_t first_command_id()
{
    uint32_t lowest = fixed_commands[0].id;
    for (const fixed_command& command : fixed_commands)
        lowest = std::min(lowest, command.id);
    return lowest;
}

// Number of backslashes of a tree element.
int32_t element_depth(std::string_view element)
{
    return static_cast<int32_t>(std::count(element.begin(), element.end(), '\\'));
}

// Doubles every "&", which the menu would otherwise read as the mark of a mnemonic.
std::string menu_caption(std::string_view name)
{
    std::string caption;
    caption.reserve(name.size() + 2);
    for (char c : name) {
        caption.push_back(c);
        if (c == '&')
            caption.push_back('&');
    }
    return caption;
}

// The caption field of an element as the menu shows it.
std::string element_caption(std::string_view element)
{
    if (!element.empty() && element.back() == '\\')
        element.remove_suffix(1);
    std::size_t slash = element.rfind('\\');
    if (slash != std::string_view::npos)
        element.remove_prefix(slash + 1);
    return menu_caption(element);
}

}  // namespace

menu_plan plan_programs(const path_list& tree, const plan_limits& limits)
{
    menu_plan plan;
    plan.steps.reserve(tree.size() + 8);
    // The depths of the folders whose submenus are open, outermost first; strictly increasing.
    std::vector<int32_t> open;
    int32_t submenus = 0;
    for (std::size_t i = 0; i < tree.size(); ++i) {
        const std::string& element = tree[i];
        if (element.empty())
            continue;
        if (element.back() != '\\') {
            if (plan.entries >= limits.max_entries)
                continue;
            plan_step step = {};
            step.action = plan_action::add_entry;
            step.id = static_cast<uint32_t>(++plan.entries);
            step.tree_index = static_cast<int32_t>(i);
            step.caption = element_caption(element);
            plan.steps.push_back(std::move(step));
            continue;
        }
        // A folder of depth d lives in its parent's submenu: close every open submenu of depth d
        // or more, which ends the previous folder and every folder that is not an ancestor of this
        // one. A folder without a submenu of its own leaves its nearest ancestor's open.
        const int32_t depth = element_depth(element);
        int32_t closing = 0;
        while (!open.empty() && open.back() >= depth) {
            open.pop_back();
            ++closing;
        }
        if (closing > 0)
            add_close(&plan, closing);
        if (static_cast<int32_t>(open.size()) >= limits.max_depth || submenus >= limits.max_submenus)
            continue;
        plan_step step = {};
        step.action = plan_action::open_submenu;
        step.tree_index = static_cast<int32_t>(i);
        step.caption = element_caption(element);
        plan.steps.push_back(std::move(step));
        open.push_back(depth);
        ++submenus;
    }
    if (!open.empty())
        add_close(&plan, static_cast<int32_t>(open.size()));
    return plan;
}

menu_plan plan_start_menu(const path_list& tree, const plan_limits& limits)
{
    plan_limits guarded = limits;
    guarded.max_entries =
        static_cast<int32_t>(std::min<int64_t>(limits.max_entries, first_command_id() - 1));
    menu_plan plan = plan_programs(tree, guarded);
    for (const fixed_command& command : fixed_commands) {
        if (&command == &fixed_commands[0] || command.id == command_information) {
            plan_step separator = {};
            separator.action = plan_action::add_separator;
            separator.tree_index = -1;
            plan.steps.push_back(std::move(separator));
        }
        plan_step step = {};
        step.action = plan_action::add_command;
        step.id = command.id;
        step.tree_index = -1;
        step.image = command.image;
        step.greyed = command.greyed;
        step.caption = command.caption;
        plan.steps.push_back(std::move(step));
    }
    return plan;
}
