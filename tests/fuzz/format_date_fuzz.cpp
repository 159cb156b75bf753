// format_date and the six field operations. Input: four bytes of date number (little-endian), then
// the mask up to the first NUL byte.
//
// The fields must agree with the C library's own calendar (gmtime_r) over the whole signed 32-bit
// range, and be 0 for a negative date. The text is checked by walking mask and output side by side:
// a "%" that starts a token (first match in the order yyyy, yy, mm, dd, hh, ii, ss, letters in any
// case) stands for the field's digits, every other byte must be copied.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

#include <strings.h>

#include "tests/fuzz/fuzz_check.h"
#include "toolkit/date.h"

namespace {

struct calendar {
    int year, month, day, hour, minute, second;
    bool operator==(const calendar&) const = default;
};

calendar reference_fields(int32_t date)
{
    if (date < 0)
        return {};
    const time_t seconds = date;
    tm fields = {};
    FUZZ_CHECK(gmtime_r(&seconds, &fields) != nullptr);
    return {fields.tm_year + 1900, fields.tm_mon + 1, fields.tm_mday,
            fields.tm_hour,        fields.tm_min,     fields.tm_sec};
}

// The replacement of the token at mask (just after its "%"), or false when none starts there.
bool replacement(const char* mask, const calendar& when, std::size_t* token_length, std::string* digits)
{
    const struct {
        const char* letters;
        const char* format;
        int value;
    } tokens[] = {
        {"yyyy", "%04d", when.year}, {"yy", "%02d", when.year % 100}, {"mm", "%02d", when.month},
        {"dd", "%02d", when.day},    {"hh", "%02d", when.hour},       {"ii", "%02d", when.minute},
        {"ss", "%02d", when.second},
    };
    for (const auto& token : tokens) {
        if (strncasecmp(mask, token.letters, std::strlen(token.letters)) != 0)  // A-Z fold only: C locale
            continue;
        char text[16];
        std::snprintf(text, sizeof text, token.format, token.value);
        *token_length = std::strlen(token.letters);
        *digits = text;
        return true;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    if (size < 4)
        return 0;
    const int32_t date = static_cast<int32_t>(uint32_t{data[0]} | uint32_t{data[1]} << 8 |
                                              uint32_t{data[2]} << 16 | uint32_t{data[3]} << 24);
    const std::string mask(reinterpret_cast<const char*>(data + 4), size - 4);  // ends at a NUL for format_date

    const calendar when = reference_fields(date);
    FUZZ_CHECK((calendar{date_year(date), date_month(date), date_day(date), date_hour(date), date_minute(date),
                         date_second(date)} == when));

    const std::string text = format_date(mask.c_str(), date);
    std::size_t out = 0;
    for (const char* at = mask.c_str(); *at;) {
        std::size_t token_length = 0;
        std::string digits;
        if (*at == '%' && replacement(at + 1, when, &token_length, &digits)) {
            FUZZ_CHECK(text.compare(out, digits.size(), digits) == 0);
            out += digits.size();
            at += 1 + token_length;
        } else {
            FUZZ_CHECK(out < text.size() && text[out] == *at);
            ++out;
            ++at;
        }
    }
    FUZZ_CHECK(out == text.size());
    return 0;
}
