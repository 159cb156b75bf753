// Where the start menu opens for each edge of the screen the taskbar may occupy.

#include <gtest/gtest.h>

#include "app/placement.h"

namespace {

TEST(MenuPlacement, TakesTheButtonsCornerAndThirtyPixelsLowerAtTheLeftAndTop)
{
    const screen_rect button = {10, 700, 74, 730};
    const struct {
        uint32_t edge;
        menu_position expected;
    } rows[] = {
        {0, {true, 10, 730, false, false}},  // left: 30 pixels below the button's top, hanging down
        {1, {true, 10, 730, false, false}},  // top: the same
        {2, {true, 10, 700, true, false}},   // right: the button's top-left corner, opening left
        {3, {true, 10, 700, false, true}},   // bottom: the same corner, opening up
        {4, {false, 0, 0, false, false}},    // no edge the shell knows: no menu
        {0xFFFFFFFF, {false, 0, 0, false, false}},
    };
    for (const auto& row : rows) {
        const menu_position at = menu_position_for(row.edge, button);
        EXPECT_EQ(at.show, row.expected.show) << row.edge;
        EXPECT_TRUE(!at.show || (at.x == row.expected.x && at.y == row.expected.y &&
                                 at.opens_left == row.expected.opens_left && at.opens_up == row.expected.opens_up))
            << row.edge << ": " << at.x << "," << at.y;
    }
}

}  // namespace
