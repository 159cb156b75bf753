#include "app/placement.h"

menu_position menu_position_for(uint32_t edge, const screen_rect& button)
{
    switch (edge) {
    case 0:  // left
    case 1:  // top
        return {true, button.left, button.top + menu_offset};
    case 2:  // right
    case 3:  // bottom
        return {true, button.left, button.top};
    default:
        return {false, 0, 0};
    }
}
