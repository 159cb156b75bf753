// The numbered tables behind windows, menus, images and controls.

#include <gtest/gtest.h>

#include <vector>

#include "toolkit/numbered_table.h"

namespace {

struct record {
    int32_t handle;
    int32_t extra;
};

bool used(const record& r)
{
    return r.handle != 0;
}

TEST(NumberedTable, GrowsToNumberPlusGrowthWithZeroedSlots)
{
    numbered_table<record> table;
    ASSERT_TRUE(table.init(16, 16));
    EXPECT_EQ(table.size(), 16);

    int32_t number = 15;
    table.claim(&number)->handle = 1;
    EXPECT_EQ(table.size(), 16);

    number = 16;  // the first number past the end
    ASSERT_NE(table.claim(&number), nullptr);
    EXPECT_EQ(table.size(), 32);
    EXPECT_EQ(table.find(15)->handle, 1);  // kept across the move
    for (int32_t i = 16; i < 32; ++i)
        EXPECT_EQ(table.find(i)->handle, 0);

    number = 120;
    ASSERT_NE(table.claim(&number), nullptr);
    EXPECT_EQ(table.size(), 136);
}

TEST(NumberedTable, RejectsNumbersItCannotHold)
{
    numbered_table<record> table;
    ASSERT_TRUE(table.init(16, 16));
    int32_t number = -2;
    EXPECT_EQ(table.claim(&number), nullptr);
    EXPECT_EQ(table.find(-2), nullptr);
    EXPECT_EQ(table.find(16), nullptr);
    number = first_dynamic_id + 5;  // an identifier never handed out
    EXPECT_EQ(table.claim(&number), nullptr);
    EXPECT_EQ(table.size(), 16);
}

TEST(NumberedTable, DynamicNumbersAreCountersOutsideTheArray)
{
    numbered_table<record> table;
    ASSERT_TRUE(table.init(16, 16));
    std::vector<int32_t> ids;
    for (int i = 0; i < 1000; ++i) {
        int32_t number = dynamic_number;
        record* r = table.claim(&number);
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(r->handle, 0);
        r->handle = i + 1;
        ids.push_back(number);
    }
    EXPECT_EQ(ids.front(), first_dynamic_id);
    EXPECT_EQ(ids.back(), first_dynamic_id + 999);
    EXPECT_EQ(table.size(), 16);  // the array never grows for them
    EXPECT_EQ(table.dynamic_count(), 1000);
    for (int i = 0; i < 1000; ++i)
        EXPECT_EQ(table.find(ids[i])->handle, i + 1);

    // Releasing gives memory back; identifiers are not reused at once.
    table.release(ids[10]);
    EXPECT_EQ(table.find(ids[10]), nullptr);
    int32_t number = dynamic_number;
    table.claim(&number);
    EXPECT_EQ(number, first_dynamic_id + 1000);
    EXPECT_EQ(table.dynamic_count(), 1000);
}

TEST(NumberedTable, VisitsUsedRecordsInOrderAndToleratesReleaseWhileVisiting)
{
    numbered_table<record> table;
    ASSERT_TRUE(table.init(16, 16));
    for (int32_t n : {3, 0, 9}) {
        int32_t number = n;
        table.claim(&number)->handle = 1;
    }
    std::vector<int32_t> dynamic_ids;
    for (int i = 0; i < 3; ++i) {
        int32_t number = dynamic_number;
        table.claim(&number)->handle = 1;
        dynamic_ids.push_back(number);
    }

    std::vector<int32_t> seen;
    table.for_each_used(used, [&](int32_t number) {
        seen.push_back(number);
        table.release(number);
        if (number == 0)
            table.release(9);  // released before its turn: skipped
        if (number == dynamic_ids[0])
            table.release(dynamic_ids[1]);
    });
    EXPECT_EQ(seen, (std::vector<int32_t>{0, 3, dynamic_ids[0], dynamic_ids[2]}));
    EXPECT_EQ(table.dynamic_count(), 0);
    EXPECT_EQ(table.find(3)->handle, 0);
}

}  // namespace
