// The stand-in's memory card: one file per day of its history, records in order.
#include "tools/instrument/card_writer.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "base/exception.h"
#include "platform/testing/test_files.h"
#include "tools/instrument/history_store.h"

namespace instrument {
namespace {

namespace fs = std::filesystem;

TEST(CardWriter, OneFilePerDayOfTheHistory) {
    platform::testing::TTempDir card;
    TInstrumentState state;
    state.Parameters[pmAddress] = 7;
    // 23:00 of the 28th of February 2024, every 30 minutes: 2, 48 and 48 records, then 2.
    GenerateHistory(state, 100, {2024, 2, 28, 23, 0, 0}, 1800);
    fs::create_directories(card.Path() / "THdb7");
    platform::testing::WriteFileBytes(card / "THdb7/20240229.hhw", std::vector<uint8_t>(5000, 0xEE));
    EXPECT_EQ(WriteCard(state, card.Path().string()), 4u);

    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(card.Path() / "THdb7")) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"20240228.hhw", "20240229.hhw", "20240301.hhw", "20240302.hhw"}));
    const std::vector<uint8_t> first = platform::testing::ReadFileBytes(card / "THdb7/20240228.hhw");
    const std::vector<uint8_t> leap = platform::testing::ReadFileBytes(card / "THdb7/20240229.hhw");
    EXPECT_EQ(first.size(), 20u);
    EXPECT_EQ(leap.size(), 480u);
    EXPECT_EQ(fs::file_size(card.Path() / "THdb7/20240302.hhw"), 20u);
    // The records are the ones the instrument would send: record 2 opens the 29th.
    std::array<uint8_t, HistoryRecordSize> expected{};
    PutHistoryRecord(HistoryRecordAt(state, 2), expected);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), leap.begin()));
    PutHistoryRecord(HistoryRecordAt(state, 1), expected);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), first.begin() + 10));
}

TEST(CardWriter, NoHistoryNoFilesAndAnUnwritableRoot) {
    platform::testing::TTempDir card;
    TInstrumentState state;
    EXPECT_EQ(WriteCard(state, card.Path().string()), 0u);
    platform::testing::WriteFileBytes(card / "file", {1});
    GenerateHistory(state, 1, {2024, 1, 1, 0, 0, 0}, 60);
    EXPECT_THROW(WriteCard(state, card / "file"), base::Exception);
}

}  // namespace
}  // namespace instrument
