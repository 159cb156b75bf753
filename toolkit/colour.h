#pragma once
// Colour values: red + green * 256 + blue * 65536, the COLORREF layout. -1 means no colour.

#include <cstdint>

using colour_value = int32_t;
constexpr colour_value no_colour = -1;

constexpr colour_value rgb(int red, int green, int blue)
{
    return red + green * 256 + blue * 65536;
}
