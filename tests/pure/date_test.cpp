// Date numbers split into calendar fields and formatted by a mask of %-tokens.

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "toolkit/date.h"

namespace {

constexpr int32_t about_window_date = 1248638603;  // 2009-07-26 20:03:23

TEST(FormatDate, ReplacesTokensAndCopiesEverythingElse)
{
    const struct {
        const char* mask;
        int32_t date;
        const char* expected;
    } rows[] = {
        {"%hh:%ii:%ss Uhr - %dd.%mm.%yyyy", about_window_date, "20:03:23 Uhr - 26.07.2009"},
        {"%dd.%mm.%yyyy %hh:%ii:%ss", 0, "01.01.1970 00:00:00"},          // first convertible second
        {"%dd.%mm.%yyyy %hh:%ii:%ss", INT32_MAX, "19.01.2038 03:14:07"},  // last one
        {"%dd.%mm.%yyyy %hh:%ii:%ss", -1, "00.00.0000 00:00:00"},         // cannot be converted
        {"%yy", INT32_MIN, "00"},
        {"%yy", 946684800, "00"},            // 2000: the last two digits, not the year number
        {"%yyy", about_window_date, "09y"},  // "%yy", then a literal y
        {"%yyyyy", about_window_date, "2009y"},
        {"%YYYY-%Mm-%mM %Hh:%iI:%SS %Dd", about_window_date, "2009-07-07 20:03:23 26"},  // any case
        {"%y %m.%d.%h.%i.%s", about_window_date, "%y %m.%d.%h.%i.%s"},  // single letters: no tokens
        {"%x%dd", about_window_date, "%x26"},
        {"%%dd", about_window_date, "%26"},  // the second "%" starts the token
        {"%%%mm", about_window_date, "%%07"},
        {"100%", about_window_date, "100%"},  // a mask that ends with "%"
        {"%yyy%", about_window_date, "09y%"},
        {"%\xFC%dd Gr\xFC\xDF" "e", about_window_date, "%\xFC" "26 Gr\xFC\xDF" "e"},  // Windows-1252 text
        {"", about_window_date, ""},
        {nullptr, about_window_date, ""},
    };
    for (const auto& row : rows)
        EXPECT_EQ(format_date(row.mask, row.date), row.expected) << (row.mask ? row.mask : "(null)");
}

TEST(FormatDate, FormatsMasksOfAnyLength)
{
    std::string mask;
    std::string expected;
    while (mask.size() < 40000) {
        mask += "%dd.%mm.%yyyy ";
        expected += "26.07.2009 ";
    }
    EXPECT_EQ(format_date((mask + "%").c_str(), about_window_date), expected + "%");  // ends in the margin
    const std::string plain(4097, 'x');  // one byte more than the first output area holds
    EXPECT_EQ(format_date(plain.c_str(), about_window_date), plain);
}

// Every day of the convertible range against a calendar kept by hand: month lengths, the leap
// rule of 4, 100 and 400 years, and day, month and year rolling over.
TEST(DateFields, FollowTheCalendarOverEveryDayOfTheRange)
{
    int32_t year = 1970, month = 1, day = 1;
    int failures = 0;
    for (int64_t midnight = 0; midnight <= INT32_MAX; midnight += 86400) {
        // Its first second, one that moves with the day, its last.
        for (int64_t offset : {int64_t{0}, midnight / 86400 * 7919 % 86400, int64_t{86399}}) {
            if (midnight + offset > INT32_MAX)
                continue;
            const auto date = static_cast<int32_t>(midnight + offset);
            const bool same = date_year(date) == year && date_month(date) == month && date_day(date) == day &&
                              date_hour(date) == offset / 3600 && date_minute(date) == offset / 60 % 60 &&
                              date_second(date) == offset % 60;
            if (!same && ++failures <= 5)
                ADD_FAILURE() << "date " << date << " expected " << year << "-" << month << "-" << day;
        }
        const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
        const int32_t lengths[] = {31, leap ? 29 : 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
        if (++day > lengths[month - 1] && (day = 1) && ++month > 12) {
            month = 1;
            ++year;
        }
    }
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(year * 10000 + month * 100 + day, 20380120);  // the walk reached the end of the range
    EXPECT_EQ(date_year(-1) | date_month(-1) | date_day(-1) | date_hour(-1) | date_minute(-1) | date_second(-1), 0);
}

}  // namespace
