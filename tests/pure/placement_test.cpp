// Where the start menu opens for each taskbar edge.

#include <gtest/gtest.h>

#include "app/placement.h"

namespace {

TEST(MenuPlacement, FollowsTheTaskbarEdge)
{
    const screen_rect button = {0, 738, 64, 768};
    const struct {
        uint32_t edge;
        menu_position expected;
    } rows[] = {
        {0, {true, 0, 768}},  // left: 30 pixels below the button's top edge
        {1, {true, 0, 768}},  // top: likewise
        {2, {true, 0, 738}},  // right: the button's top-left corner
        {3, {true, 0, 738}},  // bottom: the button's top-left corner
        {4, {false, 0, 0}},   // no edge: nothing is shown
        {0xFFFFFFFF, {false, 0, 0}},
    };
    for (const auto& row : rows) {
        menu_position got = menu_position_for(row.edge, button);
        EXPECT_EQ(got.show, row.expected.show) << "edge " << row.edge;
        EXPECT_EQ(got.x, row.expected.x) << "edge " << row.edge;
        EXPECT_EQ(got.y, row.expected.y) << "edge " << row.edge;
    }
}

TEST(MenuPlacement, KeepsNegativeCoordinatesOfMonitorsLeftOrAbove)
{
    const screen_rect button = {-1280, -40, -1216, -10};
    EXPECT_EQ(menu_position_for(1, button).x, -1280);
    EXPECT_EQ(menu_position_for(1, button).y, -10);
    EXPECT_EQ(menu_position_for(3, button).y, -40);
}

}  // namespace
