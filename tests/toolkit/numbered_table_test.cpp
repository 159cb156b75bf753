// The numbered tables behind windows, menus, images and controls: dynamic identifiers and visits
// that release records. Growth and refused numbers are checked through the window and control tests.

#include <gtest/gtest.h>

#include <vector>

#include "toolkit/numbered_table.h"

namespace {

struct record {
    int32_t handle;
};

bool used(const record& r)
{
    return r.handle != 0;
}

TEST(NumberedTable, DynamicNumbersCountOnAndVisitsSurviveReleases)
{
    numbered_table<record> table;
    ASSERT_TRUE(table.init(16, 16));
    for (int32_t n : {3, 0, 9}) {
        int32_t number = n;
        table.claim(&number)->handle = 1;
    }
    std::vector<int32_t> ids;
    for (int i = 0; i < 1000; ++i) {
        int32_t number = dynamic_number;
        record* r = table.claim(&number);
        ASSERT_NE(r, nullptr);
        r->handle = i + 1;
        ids.push_back(number);
    }
    EXPECT_EQ(ids.back(), first_dynamic_id + 999);
    EXPECT_EQ(table.size(), 16);  // the array never grows for them
    EXPECT_EQ(table.find(ids[500])->handle, 501);
    table.release(ids[10]);
    EXPECT_EQ(table.find(ids[10]), nullptr);
    int32_t number = dynamic_number;
    table.claim(&number)->handle = 1;
    EXPECT_EQ(number, first_dynamic_id + 1000);  // identifiers are not reused

    // Releasing while visiting, the visited record and others ahead of it: those are skipped.
    std::vector<int32_t> seen;
    table.for_each_used(used, [&](int32_t visited) {
        seen.push_back(visited);
        table.release(visited);
        if (visited == 0)
            table.release(9);
        if (visited == ids[0])
            table.release(ids[1]);
    });
    EXPECT_EQ(seen.size(), 2u + 1000u - 1u);  // 0, 3, and the dynamic ones but ids[10] and ids[1]
    EXPECT_EQ(seen[2], ids[0]);
    EXPECT_EQ(seen[3], ids[2]);
    EXPECT_EQ(table.dynamic_count(), 0);
    EXPECT_EQ(table.find(3)->handle, 0);
}

}  // namespace
