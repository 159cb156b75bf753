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

// The program's own texts (captions, titles, messages) are written in Windows-1252. Handed to the
// "A" functions they would be read in the system's ANSI code page, "Ausführen" as "Ausfьhren" on a
// Russian Windows; turned into UTF-16 here, they read the same on every Windows.
inline std::wstring wide_from_1252(std::string_view text)
{
    std::wstring wide(text.size(), L'\0');
    for (std::size_t i = 0; i < text.size(); ++i)
        wide[i] = static_cast<wchar_t>(windows_1252_character(static_cast<unsigned char>(text[i])));
    return wide;
}
