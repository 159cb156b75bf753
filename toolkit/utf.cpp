#include "toolkit/utf.h"

namespace {

bool continuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

// The characters of Windows-1252 from 0x80 to 0x9F; 0 where it assigns none.
constexpr uint16_t windows_1252_high[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 0x80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,       // 0x88
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 0x90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,  // 0x98
};

}  // namespace

decoded_character decode_utf8(std::string_view text)
{
    const auto lead = static_cast<unsigned char>(text[0]);
    if (lead < 0x80)
        return {lead, 1};
    const decoded_character invalid = {invalid_byte_base + lead, 1};
    uint32_t length = 0, value = 0, lowest = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, value = lead & 0x1F, lowest = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, value = lead & 0x0F, lowest = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, value = lead & 0x07, lowest = 0x10000;
    } else {
        return invalid;  // a continuation byte, an overlong lead (C0, C1) or beyond U+10FFFF (F5 to FF)
    }
    if (text.size() < length)
        return invalid;
    for (uint32_t i = 1; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (!continuation(byte))
            return invalid;
        value = value << 6 | (byte & 0x3F);
    }
    if (value < lowest || value > 0x10FFFF)
        return invalid;
    return {value, length};
}

int windows_1252_byte(uint32_t code_point)
{
    if (code_point < 0x80 || (code_point >= 0xA0 && code_point <= 0xFF))
        return static_cast<int>(code_point);
    // The unassigned bytes stand for the control characters of their own value.
    if (code_point == 0x81 || code_point == 0x8D || code_point == 0x8F || code_point == 0x90 || code_point == 0x9D)
        return static_cast<int>(code_point);
    if (code_point < 0x152 || code_point > 0x2122)
        return -1;
    for (int i = 0; i < 32; ++i)
        if (windows_1252_high[i] == code_point)
            return 0x80 + i;
    return -1;
}

char16_t windows_1252_character(unsigned char byte)
{
    if (byte < 0x80 || byte >= 0xA0)
        return byte;
    const char16_t character = windows_1252_high[byte - 0x80];
    return character ? character : byte;  // an unassigned byte: the control character of its value
}

std::size_t utf16_length(std::string_view utf8)
{
    std::size_t units = 0;
    for (std::size_t i = 0; i < utf8.size();) {
        if (static_cast<unsigned char>(utf8[i]) < 0x80) {
            ++units;
            ++i;
            continue;
        }
        const decoded_character c = decode_utf8(utf8.substr(i));
        i += c.length;
        units += (c.value >= 0x10000 && c.value < invalid_byte_base) ? 2 : 1;
    }
    return units;
}
