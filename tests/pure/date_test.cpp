// Date numbers formatted by a mask of %-tokens.

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>

#include "toolkit/date.h"

namespace {

constexpr int32_t about_window_date = 1248638603;  // 2009-07-26 20:03:23

TEST(FormatDate, ReplacesTokensAndCopiesEverythingElse)
{
    const struct { const char* mask; int32_t date; const char* expected; } rows[] = {
        {"%dd.%mm.%yyyy %hh:%ii:%ss", INT32_MAX, "19.01.2038 03:14:07"},  // the last convertible second
        {"%dd.%mm.%yyyy %hh:%ii:%ss", -1, "00.00.0000 00:00:00"},         // cannot be converted
        {"%yy", 946684800, "00"},            // 2000: the last two digits
        {"%yyy", about_window_date, "09y"},  // "%yy", then a literal y
        {"%YYYY-%Mm-%mM %Hh:%iI:%SS %Dd", about_window_date, "2009-07-07 20:03:23 26"},  // any case
        {"%y %m.%d.%h.%i.%s %x", about_window_date, "%y %m.%d.%h.%i.%s %x"},  // no tokens
        {"%%dd%", about_window_date, "%26%"},  // the second "%" starts the token; a "%" at the end
        {"%\xFC%dd Gr\xFC\xDF" "e", about_window_date, "%\xFC" "26 Gr\xFC\xDF" "e"},  // Windows-1252 text
        {nullptr, about_window_date, ""},
    };
    for (const auto& row : rows)
        EXPECT_EQ(format_date(row.mask, row.date), row.expected) << (row.mask ? row.mask : "(null)");
}

// Every day of the convertible range against a calendar kept by hand: month lengths, the leap
// rule of 4, 100 and 400 years, and day, month and year rolling over.
TEST(FormatDate, FollowsTheCalendarOverEveryDayOfTheRange)
{
    int year = 1970, month = 1, day = 1;
    for (int64_t midnight = 0; midnight <= INT32_MAX; midnight += 86400) {
        for (int second : {0, static_cast<int>(midnight / 86400 * 7919 % 86400), 86399}) {
            if (midnight + second > INT32_MAX)
                continue;
            char expected[80];  // room for any int, as the compiler counts
            std::snprintf(expected, sizeof expected, "%04d%02d%02d%02d%02d%02d", year, month, day, second / 3600,
                          second / 60 % 60, second % 60);
            ASSERT_EQ(format_date("%yyyy%mm%dd%hh%ii%ss", static_cast<int32_t>(midnight + second)), expected);
        }
        const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
        const int lengths[] = {31, leap ? 29 : 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
        if (++day > lengths[month - 1] && (day = 1) && ++month > 12 && (month = 1))
            ++year;
    }
    EXPECT_EQ(year * 10000 + month * 100 + day, 20380120);  // the walk reached the end of the range
}

}  // namespace
