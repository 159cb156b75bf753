// UTF-8 and UTF-16 both ways, and the code page of the program's own texts.

#include <gtest/gtest.h>

#include <string>

#include "tests/pure/windows_1252.h"
#include "toolkit/utf.h"

namespace {

// Every name Windows gives (any 16-bit units, lone surrogates included) converts to UTF-8 and back
// unchanged; a byte that begins no character stands alone for one replacement unit.
TEST(Utf, EveryNameWindowsGivesConvertsBackExactlyAndAStrayByteStandsAlone)
{
    const std::u16string replaced = {replacement_unit};
    const struct { std::string bytes; std::u16string units; } rows[] = {
        {"\xED\xA0\x80", std::u16string{0xD800}},                               // lone surrogates
        {"a\xED\xB0\x80\xED\xA0\xBD", std::u16string{u'a', 0xDC00, 0xD83D}},    // low before high
        {"\x80", replaced},                                                     // a continuation byte
        {"\xC0\x80", replaced + replaced},                                      // overlong
        {"\xE0\x9F\xBF", replaced + replaced + replaced},                       // overlong U+07FF
        {"a\xE2\x82", u"a" + replaced + replaced},                              // cut short
        {"\xF4\x90\x80\x80" "b", replaced + replaced + replaced + replaced + u"b"},  // beyond U+10FFFF
        {"\xFF\xF5", replaced + replaced},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(utf16_from_utf8(row.bytes), row.units) << row.bytes;
        EXPECT_EQ(utf16_length(row.bytes), row.units.size()) << row.bytes;
        if (row.units.find(replacement_unit) == std::u16string::npos) {
            EXPECT_EQ(utf8_from_utf16(row.units), row.bytes) << row.bytes;
        }
    }
}

// Each byte's character, as the program reads its own texts, gives the byte back, and no other
// character has one.
TEST(Utf, TheCodePageHoldsTheCharactersOfItsBytesAlone)
{
    int held = 0;
    for (uint32_t code_point = 0; code_point < invalid_byte_base + 256; ++code_point)
        held += windows_1252_byte(code_point) >= 0;
    EXPECT_EQ(held, 256);
    for (int byte = 0; byte < 256; ++byte) {
        const char16_t character = test::windows_1252_character(static_cast<unsigned char>(byte));
        EXPECT_EQ(windows_1252_character(static_cast<unsigned char>(byte)), character) << byte;
        EXPECT_EQ(windows_1252_byte(character), byte);
    }
}

}  // namespace
