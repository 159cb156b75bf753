// Where the start menu opens for each taskbar edge.

#include <gtest/gtest.h>

#include "app/placement.h"

namespace {

TEST(MenuPlacement, FollowsTheTaskbarEdge)
{
    const screen_rect bottom_left = {0, 738, 64, 768};
    const screen_rect above_left = {-1280, -40, -1216, -10};  // a monitor left of and above the primary
    const struct {
        uint32_t edge;
        screen_rect button;
        menu_position expected;
    } rows[] = {
        {0, bottom_left, {true, 0, 768}},  // left: 30 pixels below the button's top edge
        {1, bottom_left, {true, 0, 768}},  // top: likewise
        {2, bottom_left, {true, 0, 738}},  // right: the button's top-left corner
        {3, bottom_left, {true, 0, 738}},  // bottom: likewise
        {1, above_left, {true, -1280, -10}},  // negative coordinates stay negative
        {3, above_left, {true, -1280, -40}},
        {4, bottom_left, {false, 0, 0}},   // no edge: nothing is shown
        {0xFFFFFFFF, bottom_left, {false, 0, 0}},
    };
    for (const auto& row : rows) {
        menu_position got = menu_position_for(row.edge, row.button);
        EXPECT_TRUE(got.show == row.expected.show && got.x == row.expected.x && got.y == row.expected.y)
            << "edge " << row.edge << " gave " << got.show << " " << got.x << "," << got.y;
    }
}

}  // namespace
