// Date numbers split into calendar fields and formatted by a mask of %-tokens.

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "toolkit/date.h"

namespace {

constexpr int32_t about_window_date = 1248638603;  // 2009-07-26 20:03:23

TEST(FormatDate, WritesTheFieldsOfAConvertibleDate)
{
    const struct {
        const char* mask;
        int32_t date;
        const char* expected;
    } rows[] = {
        {"%hh:%ii:%ss Uhr - %dd.%mm.%yyyy", about_window_date, "20:03:23 Uhr - 26.07.2009"},
        {"%dd.%mm.%yyyy %hh:%ii:%ss", 0, "01.01.1970 00:00:00"},           // first convertible second
        {"%dd.%mm.%yyyy %hh:%ii:%ss", INT32_MAX, "19.01.2038 03:14:07"},   // last one
        {"%dd.%mm.%yyyy %hh:%ii:%ss", 951782400, "29.02.2000 00:00:00"},   // leap day of a century
        {"%yy", about_window_date, "09"},
        {"%yy", 946684799, "99"},
        {"%yy", 946684800, "00"},           // 2000: the last two digits, not the year number
        {"%yyy", about_window_date, "09y"},  // "%yy", then a literal y
        {"%yyyyy", about_window_date, "2009y"},
        {"%YYYY-%Mm-%mM %Hh:%iI:%SS %Dd", about_window_date, "2009-07-07 20:03:23 26"},  // any case
        {"%ii %mm", about_window_date, "03 07"},  // ii is the minute, mm the month
    };
    for (const auto& row : rows)
        EXPECT_EQ(format_date(row.mask, row.date), row.expected) << row.mask << " @ " << row.date;
}

TEST(FormatDate, WritesZerosForADateThatCannotBeConverted)
{
    for (int32_t date : {-1, -86400, INT32_MIN}) {
        EXPECT_EQ(format_date("%dd.%mm.%yyyy", date), "00.00.0000") << date;
        EXPECT_EQ(format_date("%yy %hh:%ii:%ss", date), "00 00:00:00") << date;
        EXPECT_EQ(date_year(date) | date_month(date) | date_day(date) | date_hour(date) |
                      date_minute(date) | date_second(date), 0) << date;
    }
}

TEST(FormatDate, CopiesEveryPercentThatStartsNoToken)
{
    const struct {
        const char* mask;
        const char* expected;
    } rows[] = {
        {"%y", "%y"},  // single letters are no tokens
        {"%m.%d.%h.%i.%s", "%m.%d.%h.%i.%s"},
        {"%x%dd", "%x26"},
        {"%%dd", "%26"},   // the second "%" starts the token
        {"%%%mm", "%%07"},
        {"100%", "100%"},  // a mask that ends with "%"
        {"%dd%", "26%"},
        {"%", "%"},
        {"%%", "%%"},
        {"%y%", "%y%"},
        {"%yyy%", "09y%"},
        {"%\xFC%dd", "%\xFC" "26"},  // Windows-1252 letters are text, even after "%"
        {"Gr\xFC\xDF" "e", "Gr\xFC\xDF" "e"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(format_date(row.mask, about_window_date), row.expected) << row.mask;
}

TEST(FormatDate, GivesTheEmptyTextForAnEmptyOrMissingMask)
{
    EXPECT_EQ(format_date("", about_window_date), "");
    EXPECT_EQ(format_date(nullptr, about_window_date), "");
    EXPECT_EQ(format_date("Build", about_window_date), "Build");
}

TEST(FormatDate, FormatsMasksOfAnyLength)
{
    std::string mask;
    std::string expected;
    while (mask.size() < 40000) {
        mask += "%dd.%mm.%yyyy ";
        expected += "26.07.2009 ";
    }
    mask += "%";  // the mask ends inside the growth margin
    expected += "%";
    EXPECT_EQ(format_date(mask.c_str(), about_window_date), expected);

    const std::string plain(4097, 'x');  // one byte more than a first output area would hold
    EXPECT_EQ(format_date(plain.c_str(), about_window_date), plain);
}

// Walks every day of the convertible range (0 to 2147483647) with a calendar kept by hand: month
// lengths, the leap rule of 4, 100 and 400 years, and the day, month and year rolling over.
TEST(DateFields, FollowTheCalendarOverEveryDayOfTheRange)
{
    int32_t year = 1970;
    int32_t month = 1;
    int32_t day = 1;
    int failures = 0;
    for (int64_t day_number = 0;; ++day_number) {
        const int64_t midnight = day_number * 86400;
        if (midnight > INT32_MAX)
            break;
        // Three moments of the day: its first second, a second that moves with the day, its last.
        const int64_t offsets[] = {0, (day_number * 7919) % 86400, 86399};
        for (int64_t offset : offsets) {
            const int64_t moment = midnight + offset;
            if (moment > INT32_MAX)
                continue;
            const auto date = static_cast<int32_t>(moment);
            const bool same = date_year(date) == year && date_month(date) == month &&
                              date_day(date) == day && date_hour(date) == offset / 3600 &&
                              date_minute(date) == offset / 60 % 60 && date_second(date) == offset % 60;
            if (!same && ++failures <= 5)
                ADD_FAILURE() << "date " << date << " expected " << year << "-" << month << "-" << day
                              << " " << offset << " s, got " << date_year(date) << "-"
                              << date_month(date) << "-" << date_day(date) << " " << date_hour(date)
                              << ":" << date_minute(date) << ":" << date_second(date);
        }
        const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
        const int32_t lengths[] = {31, leap ? 29 : 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
        if (++day > lengths[month - 1]) {
            day = 1;
            if (++month > 12) {
                month = 1;
                ++year;
            }
        }
    }
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(year, 2038);  // the walk reached the end of the range
    EXPECT_EQ(month, 1);
    EXPECT_EQ(day, 20);
}

}  // namespace
