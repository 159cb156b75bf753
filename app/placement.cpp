#include "app/placement.h"

menu_position menu_position_for(uint32_t edge, const screen_rect& button)
{
    switch (edge) {
    case 0:  // left
    case 1:  // top
        return {true, button.left, button.top + menu_offset, false, false};
    case 2:  // right
        return {true, button.left, button.top, true, false};
    case 3:  // bottom
        return {true, button.left, button.top, false, true};
    default:
        return {false, 0, 0, false, false};
    }
}
