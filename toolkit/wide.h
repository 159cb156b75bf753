#pragma once
// Where the program calls Windows with a name or a path: the UTF-8 text it holds as the UTF-16 of the
// "W" functions, and their answers back as UTF-8 (toolkit/utf.h). wchar_t is 16 bits on Windows.

#include <string>
#include <string_view>

#include "toolkit/utf.h"

static_assert(sizeof(wchar_t) == 2, "Windows' wide characters are UTF-16 units");

// Replaces the contents of out, keeping its memory for the next name.
inline void wide_into(std::wstring* out, std::string_view utf8)
{
    out->resize(utf16_length(utf8));
    write_utf16(utf8, out->data());
}

inline std::wstring wide_from_utf8(std::string_view utf8)
{
    std::wstring wide;
    wide_into(&wide, utf8);
    return wide;
}

inline std::string utf8_from_wide(const wchar_t* units, std::size_t count)
{
    std::string text;
    append_utf8(&text, units, count);
    return text;
}

// A NUL-terminated wide text.
inline std::string utf8_from_wide(const wchar_t* text)
{
    return utf8_from_wide(text, std::wstring_view(text).size());
}
