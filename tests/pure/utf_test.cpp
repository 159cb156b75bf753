// UTF-8 and UTF-16 both ways: every name Windows gives (any 16-bit units, lone surrogates included)
// comes back unchanged; bytes that Windows never gives have a defined meaning.

#include <gtest/gtest.h>

#include <string>

#include "toolkit/utf.h"

namespace {

TEST(Utf, EveryNameWindowsGivesConvertsBackExactly)
{
    const struct { std::u16string units; std::string bytes; } rows[] = {
        {u"", ""},
        {u"Az\u00E4\u0141\u20AC\u4E2D", "Az\xC3\xA4\xC5\x81\xE2\x82\xAC\xE4\xB8\xAD"},
        {u"\U0001F600", "\xF0\x9F\x98\x80"},                                 // a surrogate pair
        {std::u16string{0xD800}, "\xED\xA0\x80"},                            // lone surrogates
        {std::u16string{u'a', 0xDC00, 0xD83D}, "a\xED\xB0\x80\xED\xA0\xBD"},  // low before high
        {std::u16string{0xD83D, u'b'}, "\xED\xA0\xBD" "b"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(utf8_from_utf16(row.units), row.bytes) << row.bytes;
        EXPECT_EQ(utf16_from_utf8(row.bytes), row.units) << row.bytes;
        EXPECT_EQ(utf16_length(row.bytes), row.units.size()) << row.bytes;
    }
}

TEST(Utf, AByteThatBeginsNoCharacterStandsAlone)
{
    const std::u16string replaced = {replacement_unit};
    const struct { std::string bytes; std::u16string units; } rows[] = {
        {"\x80", replaced},                                        // a continuation byte
        {"\xC0\x80", replaced + replaced},                         // overlong
        {"\xE0\x9F\xBF", replaced + replaced + replaced},          // overlong U+07FF
        {"a\xE2\x82", u"a" + replaced + replaced},                 // cut short
        {"\xF4\x90\x80\x80" "b", replaced + replaced + replaced + replaced + u"b"},  // beyond U+10FFFF
        {"\xFF\xF5", replaced + replaced},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(utf16_from_utf8(row.bytes), row.units) << row.bytes;
        EXPECT_EQ(utf16_length(row.bytes), row.units.size()) << row.bytes;
    }
}

}  // namespace
