#include "workbook/model/free_slots.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

namespace xls {
namespace {

// Slots far apart sit under different summary words; taking must still go lowest first, and a
// slot freed below the last one taken must come back next.
TEST(FreeSlots, LowestFirstAcrossSummaryWords) {
    TFreeSlots slots;
    for (size_t slot : {300000u, 4096u, 63u, 4095u, 64u, 0u}) slots.Add(slot);
    slots.Add(64);  // already free: no second copy
    EXPECT_EQ(slots.Size(), 6u);
    EXPECT_EQ(slots.TakeLowest(), 0u);
    EXPECT_EQ(slots.TakeLowest(), 63u);
    EXPECT_EQ(slots.TakeLowest(), 64u);
    EXPECT_EQ(slots.TakeLowest(), 4095u);
    slots.Add(5);
    EXPECT_EQ(slots.TakeLowest(), 5u);
    EXPECT_EQ(slots.TakeLowest(), 4096u);
    EXPECT_EQ(slots.TakeLowest(), 300000u);
    EXPECT_TRUE(slots.Empty());
}

TEST(FreeSlots, RandomisedAgainstASet) {
    std::mt19937 rng(11);
    TFreeSlots slots;
    std::set<size_t> model;
    for (int step = 0; step < 200000; ++step) {
        if (model.empty() || rng() % 3 != 0) {
            const size_t slot = rng() % 2 ? rng() % 128 : rng() % 1000000;
            slots.Add(slot);
            model.insert(slot);
        } else {
            ASSERT_EQ(slots.TakeLowest(), *model.begin());
            model.erase(model.begin());
        }
        ASSERT_EQ(slots.Size(), model.size());
    }
    slots.Clear();
    EXPECT_TRUE(slots.Empty());
    slots.Add(9);
    EXPECT_EQ(slots.TakeLowest(), 9u);
}

}  // namespace
}  // namespace xls
