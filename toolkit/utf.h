#pragma once
// Text between UTF-8 and UTF-16, without windows.h. Every name and path that comes from disk or
// from the system is held in UTF-8 inside the program and turned into UTF-16 only where Windows is
// called (toolkit/wide.h).
//
// A Windows file name is a sequence of 16-bit units that need not be valid UTF-16: it may hold a
// surrogate without its partner. Such a surrogate is kept in UTF-8 as its own 3-byte sequence (the
// generalisation of UTF-8 known as WTF-8), so that every name read from disk converts back to the
// exact units it came from and opens. A byte that begins no well-formed sequence cannot come from
// Windows; it has a defined meaning all the same: decoded alone, as invalid_byte_base plus its
// value, and written to UTF-16 as U+FFFD.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

constexpr uint32_t invalid_byte_base = 0x110000;  // above every code point
constexpr char16_t replacement_unit = 0xFFFD;

struct decoded_character {
    uint32_t value;   // a code point (a surrogate from its 3-byte form), or invalid_byte_base + byte
    uint32_t length;  // bytes taken: 1 to 4
};

// The character that text begins with; text must not be empty. Overlong forms, values above
// U+10FFFF and sequences cut short are invalid: their first byte is decoded alone.
decoded_character decode_utf8(std::string_view text);

// The Windows-1252 byte of a code point, or -1 where the code page has none. The five bytes that
// Windows-1252 leaves unassigned (0x81, 0x8D, 0x8F, 0x90, 0x9D) stand for the control characters
// of the same value, as Windows converts them.
int windows_1252_byte(uint32_t code_point);
// The character of a Windows-1252 byte, the other way round; every one lies below U+FFFF.
char16_t windows_1252_character(unsigned char byte);

// The number of UTF-16 units that utf8 converts to.
std::size_t utf16_length(std::string_view utf8);

// Writes the UTF-16 form of utf8 to out, which has room for utf16_length(utf8) units; the end of
// what was written. Unit is any 16-bit character type (char16_t here, wchar_t on Windows).
template <typename Unit>
Unit* write_utf16(std::string_view utf8, Unit* out)
{
    static_assert(sizeof(Unit) == 2, "UTF-16 units");
    for (std::size_t i = 0; i < utf8.size();) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        if (byte < 0x80) {
            *out++ = static_cast<Unit>(byte);
            ++i;
            continue;
        }
        const decoded_character c = decode_utf8(utf8.substr(i));
        i += c.length;
        if (c.value >= invalid_byte_base) {
            *out++ = static_cast<Unit>(replacement_unit);
        } else if (c.value >= 0x10000) {
            *out++ = static_cast<Unit>(0xD800 + ((c.value - 0x10000) >> 10));
            *out++ = static_cast<Unit>(0xDC00 + ((c.value - 0x10000) & 0x3FF));
        } else {
            *out++ = static_cast<Unit>(c.value);
        }
    }
    return out;
}

// Appends the UTF-8 (WTF-8) form of count UTF-16 units; a surrogate pair becomes one 4-byte
// character, a surrogate without its partner its own 3-byte sequence.
template <typename Unit>
void append_utf8(std::string* out, const Unit* units, std::size_t count)
{
    static_assert(sizeof(Unit) == 2, "UTF-16 units");
    out->reserve(out->size() + count);
    for (std::size_t i = 0; i < count; ++i) {
        uint32_t value = static_cast<uint16_t>(units[i]);
        if (value < 0x80) {
            out->push_back(static_cast<char>(value));
            continue;
        }
        if (value >= 0xD800 && value < 0xDC00 && i + 1 < count) {
            const uint32_t low = static_cast<uint16_t>(units[i + 1]);
            if (low >= 0xDC00 && low < 0xE000) {
                value = 0x10000 + ((value - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if (value < 0x800) {
            out->push_back(static_cast<char>(0xC0 | value >> 6));
        } else if (value < 0x10000) {
            out->push_back(static_cast<char>(0xE0 | value >> 12));
            out->push_back(static_cast<char>(0x80 | (value >> 6 & 0x3F)));
        } else {
            out->push_back(static_cast<char>(0xF0 | value >> 18));
            out->push_back(static_cast<char>(0x80 | (value >> 12 & 0x3F)));
            out->push_back(static_cast<char>(0x80 | (value >> 6 & 0x3F)));
        }
        out->push_back(static_cast<char>(0x80 | (value & 0x3F)));
    }
}

inline std::u16string utf16_from_utf8(std::string_view utf8)
{
    std::u16string units(utf16_length(utf8), u'\0');
    write_utf16(utf8, units.data());
    return units;
}

inline std::string utf8_from_utf16(std::u16string_view units)
{
    std::string text;
    append_utf8(&text, units.data(), units.size());
    return text;
}
