// The coarse version codes for what the Windows version query reports.

#include <gtest/gtest.h>

#include "toolkit/version_table.h"

namespace {

TEST(VersionCode, MapsEveryRowOfTheTable)
{
    const struct {
        version_report report;
        int32_t expected;
    } rows[] = {
        // ok, platform, major, minor, extended ok, product type
        {{true, 1, 4, 0, false, 0}, 10},     // Windows 95
        {{true, 1, 7, 0, false, 0}, 10},     // 9x: the major version is not looked at
        {{true, 1, 4, 10, false, 0}, 30},    // Windows 98
        {{true, 1, 4, 90, false, 0}, 40},    // Windows Me
        {{true, 1, 4, 3, false, 0}, 100},    // a 9x minor version outside the table
        {{true, 2, 3, 51, false, 0}, 5},     // NT 3.51
        {{true, 2, 4, 0, false, 0}, 20},     // NT 4
        {{true, 2, 5, 0, false, 0}, 50},     // 2000
        {{true, 2, 5, 1, false, 0}, 60},     // XP
        {{true, 2, 5, 2, false, 0}, 65},     // Server 2003
        {{true, 2, 5, 3, false, 0}, 100},    // an NT 5 minor version outside the table
        {{true, 2, 6, 0, true, 1}, 70},      // Vista
        {{true, 2, 6, 1, true, 1}, 70},      // 7
        {{true, 2, 6, 3, true, 1}, 70},      // 8.1: the NT 6 minor version is not looked at
        {{true, 2, 6, 0, true, 3}, 75},      // Server 2008
        {{true, 2, 6, 1, true, 2}, 75},      // a domain controller counts as a server
        {{true, 2, 6, 1, false, 3}, 70},     // failed extended query: taken for a workstation
        {{true, 2, 10, 0, true, 1}, 100},    // NT 10 is outside the table
        {{true, 2, 2, 0, false, 0}, 100},    // below NT 3
        {{true, 0, 3, 10, false, 0}, 100},   // Win32s
        {{true, 3, 6, 0, true, 1}, 100},     // Windows CE
        {{false, 2, 6, 1, true, 1}, 100},    // the query failed: nothing else counts
    };
    for (const auto& row : rows) {
        const version_report& r = row.report;
        EXPECT_EQ(version_code(r), row.expected)
            << "ok " << r.ok << " platform " << r.platform_id << " " << r.major << "." << r.minor
            << " extended " << r.extended_ok << " product " << int(r.product_type);
    }
}

}  // namespace
