// The coarse version codes for what the Windows version query reports.

#include <gtest/gtest.h>

#include "toolkit/version_table.h"

namespace {

TEST(VersionCode, LooksOnlyAtWhatTellsTheSystemsApart)
{
    const struct {
        version_report report;
        int32_t expected;
    } rows[] = {
        // ok, platform, major, minor, extended ok, product type
        {{true, 1, 7, 0, false, 0}, 10},     // Windows 95 is 4.0: the 9x major version is not looked at
        {{true, 1, 4, 3, false, 0}, 100},    // a 9x minor version outside the table
        {{true, 2, 5, 1, false, 0}, 60},     // XP
        {{true, 2, 5, 3, false, 0}, 100},    // an NT 5 minor version outside the table
        {{true, 2, 6, 3, true, 1}, 70},      // 8.1: the NT 6 minor version is not looked at, as for 7
        {{true, 2, 6, 0, true, 3}, 75},      // Server 2008
        {{true, 2, 6, 1, true, 2}, 75},      // a domain controller counts as a server
        {{true, 2, 6, 1, false, 3}, 70},     // failed extended query: taken for a workstation
        {{true, 2, 10, 0, true, 1}, 100},    // NT 10 is outside the table
        {{true, 2, 2, 0, false, 0}, 100},    // below NT 3
        {{true, 0, 3, 10, false, 0}, 100},   // Win32s
        {{true, 3, 6, 0, true, 1}, 100},     // Windows CE
        {{false, 2, 6, 1, true, 1}, 100},    // the query failed: nothing else counts
    };
    for (const auto& row : rows)
        EXPECT_EQ(version_code(row.report), row.expected) << "row " << &row - rows;
}

}  // namespace
