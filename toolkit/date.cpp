// Date numbers are split with days-to-civil arithmetic in the proleptic Gregorian calendar: the
// same fields as gmtime, without its shared static buffer and identical on every platform.

#include "toolkit/date.h"

#include <cstring>

namespace {

struct date_fields {
    int32_t year;  // 0 when the date cannot be converted
    int32_t month;
    int32_t day;
    int32_t hour;
    int32_t minute;
    int32_t second;
};

constexpr int32_t seconds_per_day = 86400;

// Counts days from 0000-03-01 so that the leap day falls at the end of a counted year; the
// eras of 400 years repeat exactly.
date_fields split_date(int32_t date)
{
    if (date < 0)
        return {};
    date_fields fields = {};
    const int32_t days = date / seconds_per_day;
    const int32_t time = date % seconds_per_day;
    fields.hour = time / 3600;
    fields.minute = time / 60 % 60;
    fields.second = time % 60;

    const int32_t shifted = days + 719468;  // 1970-01-01 counted from 0000-03-01
    const int32_t era = shifted / 146097;
    const int32_t day_of_era = shifted - era * 146097;
    const int32_t year_of_era =
        (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
    const int32_t day_of_year = day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
    const int32_t month_from_march = (5 * day_of_year + 2) / 153;
    fields.day = day_of_year - (153 * month_from_march + 2) / 5 + 1;
    fields.month = month_from_march < 10 ? month_from_march + 3 : month_from_march - 9;
    fields.year = year_of_era + era * 400 + (fields.month <= 2 ? 1 : 0);
    return fields;
}

char ascii_lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Whether the letters of token follow at text, in any case. Stops at the text's end.
bool token_at(const char* text, const char* token)
{
    for (; *token; ++text, ++token)
        if (ascii_lower(*text) != *token)
            return false;
    return true;
}

void append_two_digits(std::string& out, int32_t value)
{
    out += static_cast<char>('0' + value / 10 % 10);
    out += static_cast<char>('0' + value % 10);
}

enum class field { year4, year2, month, day, hour, minute, second };

struct date_token {
    const char* letters;  // lower case, after the "%"
    field what;
};

// Longer tokens first, so that "%yyyy" is never read as "%yy" and "yy".
constexpr date_token date_tokens[] = {
    {"yyyy", field::year4}, {"yy", field::year2}, {"mm", field::month}, {"dd", field::day},
    {"hh", field::hour},    {"ii", field::minute}, {"ss", field::second},
};

void append_field(std::string& out, field what, const date_fields& fields)
{
    switch (what) {
    case field::year4:
        // Every convertible date lies in 1970..2038; year 0 stands for "cannot be converted".
        append_two_digits(out, fields.year / 100);
        append_two_digits(out, fields.year);
        break;
    case field::year2: append_two_digits(out, fields.year); break;
    case field::month: append_two_digits(out, fields.month); break;
    case field::day: append_two_digits(out, fields.day); break;
    case field::hour: append_two_digits(out, fields.hour); break;
    case field::minute: append_two_digits(out, fields.minute); break;
    case field::second: append_two_digits(out, fields.second); break;
    }
}

}  // namespace

std::string format_date(const char* mask, int32_t date)
{
    std::string out;
    if (!mask)
        return out;
    const date_fields fields = split_date(date);
    // No replacement is longer than its token, so the output never outgrows the mask.
    out.reserve(std::strlen(mask));
    for (const char* at = mask; *at;) {
        if (*at != '%') {
            out += *at++;
            continue;
        }
        const date_token* found = nullptr;
        for (const date_token& token : date_tokens) {
            if (token_at(at + 1, token.letters)) {
                found = &token;
                break;
            }
        }
        if (!found) {
            // The byte after a stray "%" is read again, so "%%dd" is "%" and the day.
            out += *at++;
            continue;
        }
        append_field(out, found->what, fields);
        at += 1 + std::strlen(found->letters);
    }
    return out;
}
