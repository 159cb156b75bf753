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
        {0, {true, 10, 730}},   // left: 30 pixels below the button's top
        {1, {true, 10, 730}},   // top: the same
        {2, {true, 10, 700}},   // right: the button's top-left corner
        {3, {true, 10, 700}},   // bottom: the same
        {4, {false, 0, 0}},     // no edge the shell knows: no menu
        {0xFFFFFFFF, {false, 0, 0}},
    };
    for (const auto& row : rows) {
        const menu_position at = menu_position_for(row.edge, button);
        EXPECT_EQ(at.show, row.expected.show) << row.edge;
        EXPECT_TRUE(!at.show || (at.x == row.expected.x && at.y == row.expected.y))
            << row.edge << ": " << at.x << "," << at.y;
    }
}

}  // namespace
