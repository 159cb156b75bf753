// The coarse version codes for what the Windows version query reports.

#include <gtest/gtest.h>

#include "toolkit/version_table.h"

namespace {

TEST(VersionCode, TellsNt6WorkstationsFromEverythingElse)
{
    const struct {
        version_report report;
        int32_t expected;
    } rows[] = {
        // ok, platform, major, minor, extended ok, product type. Only NT 6 workstations may run the
        // program: the rows where a slip would let another system pass or keep one out.
        {{true, 2, 6, 1, true, 1}, 70},      // 7
        {{true, 2, 6, 3, true, 1}, 70},      // 8.1: the NT 6 minor version is not looked at
        {{true, 2, 6, 0, true, 3}, 75},      // Server 2008
        {{true, 2, 6, 1, true, 2}, 75},      // a domain controller counts as a server
        {{true, 2, 6, 1, false, 3}, 70},     // failed extended query: taken for a workstation
        {{true, 2, 5, 1, false, 0}, 60},     // XP
        {{true, 2, 10, 0, true, 1}, 100},    // NT 10 is outside the table
        {{true, 1, 6, 1, true, 1}, 100},     // 9x: a major version of 6 counts for nothing
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
