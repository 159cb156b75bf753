#pragma once
// Text for the tests: the compiler writes their narrow literals in Windows-1252, while the program
// holds names in UTF-8. The code page is written here apart from the program's own table.

#include <string>

namespace test {

// The character of a Windows-1252 byte; an unassigned byte stands for the control character of
// its value, as Windows converts it.
inline char16_t windows_1252_character(unsigned char byte)
{
    static const char16_t high[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
        0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
        0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
        0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
    };
    return byte >= 0x80 && byte < 0xA0 ? high[byte - 0x80] : static_cast<char16_t>(byte);
}

// A u8"..." literal, which is UTF-8 whatever the compiler's character set, as the program's text.
inline std::string utf8(const char8_t* text)
{
    return reinterpret_cast<const char*>(text);
}

}  // namespace test
