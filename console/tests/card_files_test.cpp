// The memory card's folders and day files, apart from the window.
#include "console/card_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "base/exception.h"
#include "platform/testing/test_files.h"

namespace console {
namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> RecordBytes(int16_t temperature, uint16_t humidity, int year, int month, int day, int second) {
    return {static_cast<uint8_t>(static_cast<uint16_t>(temperature) >> 8),
            static_cast<uint8_t>(temperature & 0xFF),
            static_cast<uint8_t>(humidity >> 8),
            static_cast<uint8_t>(humidity & 0xFF),
            static_cast<uint8_t>(year - 2000),
            static_cast<uint8_t>(month),
            static_cast<uint8_t>(day),
            12,
            34,
            static_cast<uint8_t>(second)};
}

void Touch(const fs::path& file, const std::vector<uint8_t>& bytes = {}) {
    fs::create_directories(file.parent_path());
    platform::testing::WriteFileBytes(file.string(), bytes);
}

std::vector<std::string> Names(const std::vector<TDayFile>& files) {
    std::vector<std::string> names;
    for (const TDayFile& file : files) names.push_back(file.Name);
    return names;
}

TEST(CardNames, DayNameTestsAndSeparator) {
    EXPECT_TRUE(IsDayFileName("20240105.hhw"));
    EXPECT_TRUE(IsDayFileName("12345678"));
    EXPECT_FALSE(IsDayFileName("1234567"));
    EXPECT_FALSE(IsDayFileName("2024010x.hhw"));
    EXPECT_EQ(TextBeforeSeparator("20240105.hhw", "."), "20240105");
    EXPECT_EQ(TextBeforeSeparator("a.b.c", "."), "a");
    EXPECT_EQ(TextBeforeSeparator("nodot", "."), "");
    EXPECT_EQ(TextBeforeSeparator(".x", "."), "");
}

TEST(CardFolders, OnlyCalendarDayFilesAreListed) {
    platform::testing::TTempDir card;
    const fs::path folder = card.Path() / "THdb1";
    for (const char* name : {"20240105.hhw", "20231231.HHW", "20240229.hhw", "20000101.hhw"}) Touch(folder / name);
    // Names the test refuses: year below 2000, month 0 and 13, day 0 and 32, 11 and 13
    // characters, another extension, letters, and a folder with a day name.
    for (const char* name : {"19991231.hhw", "20240005.hhw", "20241305.hhw", "20240100.hhw", "20240132.hhw",
                             "2024010.hhw", "202401051.hhw", "20240105.txt", "2024O105.hhw", "20240105hhhw"})
        Touch(folder / name);
    fs::create_directories(folder / "20240106.hhw");
    // Pass the name test but are no dates: skipped and told.
    Touch(folder / "20240231.hhw");
    Touch(folder / "20230229.hhw");
    Touch(folder / "20240431.hhw");

    TDayFileList list = ListDayFiles(folder.string());
    SortDayFiles(list.Files);
    EXPECT_EQ(Names(list.Files), (std::vector<std::string>{"20000101", "20231231", "20240105", "20240229"}));
    EXPECT_EQ(list.Files[1].FileName, "20231231.HHW");
    EXPECT_EQ(list.Files[3].Date, QDate(2024, 2, 29));
    std::sort(list.NotDates.begin(), list.NotDates.end());
    EXPECT_EQ(list.NotDates, (std::vector<std::string>{"20230229.hhw", "20240231.hhw", "20240431.hhw"}));
    EXPECT_TRUE(ListDayFiles((card.Path() / "missing").string()).Files.empty());
}

TEST(CardFolders, CompareAndSortByNumber) {
    std::vector<TDayFile> list = {
        {"20240110", "", {}}, {"20231231", "", {}}, {"20240110", "", {}}, {"20240102", "", {}}};
    EXPECT_EQ(CompareDayFileNames(list, 0, 1), 1);
    EXPECT_EQ(CompareDayFileNames(list, 1, 0), -1);
    EXPECT_EQ(CompareDayFileNames(list, 0, 2), 0);
    SortDayFiles(list);
    EXPECT_EQ(Names(list), (std::vector<std::string>{"20231231", "20240102", "20240110", "20240110"}));
}

TEST(CardFolders, DevicesOneTo247WithoutLeadingZeros) {
    platform::testing::TTempDir card;
    for (const char* folder : {"THdb0", "THdb248", "THdb007", "THdb1000", "thdb5"})
        Touch(card.Path() / folder / "20240101.hhw");
    Touch(card.Path() / "THdb247" / "20240102.hhw");
    Touch(card.Path() / "THdb7" / "20240103.hhw");
    Touch(card.Path() / "THdb7" / "20240101.hhw");
    Touch(card.Path() / "THdb9" / "readme.txt");
    Touch(card.Path() / "THdb12" / "20240230.hhw");
    const TCardListing listing = ListCard(card.Path().string());
    ASSERT_EQ(listing.Devices.size(), 2u);
    EXPECT_EQ(listing.Devices[0].Number, 7);
    EXPECT_EQ(Names(listing.Devices[0].Files), (std::vector<std::string>{"20240101", "20240103"}));
    EXPECT_EQ(listing.Devices[1].Number, 247);
    EXPECT_EQ(listing.DayFileCount(), 3u);
    EXPECT_EQ(listing.NotDates, std::vector<std::string>{"THdb12/20240230.hhw"});
    EXPECT_EQ(DayFilePath("/card", 7, listing.Devices[0].Files[1]), "/card/THdb7/20240103.hhw");
}

TEST(CardFolders, SelectionTakesTheFileOnOrBeforeEachDate) {
    const std::vector<TDayFile> files = {{"20240101", "", QDate(2024, 1, 1)},
                                         {"20240103", "", QDate(2024, 1, 3)},
                                         {"20240107", "", QDate(2024, 1, 7)},
                                         {"20240110", "", QDate(2024, 1, 10)}};
    struct Case {
        QDate Start, End;
        size_t Low, High, Count;
    } cases[] = {
        {QDate(2024, 1, 1), QDate(2024, 1, 10), 0, 3, 4},
        {QDate(2024, 1, 5), QDate(2024, 1, 9), 1, 2, 2},  // the start between two files takes the one before
        {QDate(2024, 1, 3), QDate(2024, 1, 3), 1, 1, 1},
        {QDate(2024, 1, 10), QDate(2024, 1, 2), 0, 3, 4},  // start after end: ascending all the same
        {QDate(2023, 12, 1), QDate(2023, 12, 2), 0, 0, 1},
    };
    for (const Case& c : cases) {
        const TDaySelection s = SelectDayFiles(files, c.Start, c.End);
        EXPECT_EQ(s.Low(), c.Low) << c.Start.toString().toStdString();
        EXPECT_EQ(s.High(), c.High) << c.Start.toString().toStdString();
        EXPECT_EQ(s.Count(), c.Count) << c.Start.toString().toStdString();
    }
}

TEST(DayFiles, RecordsCutTailAndReadLimit) {
    platform::testing::TTempDir card;
    std::vector<uint8_t> bytes = RecordBytes(-51, 456, 2024, 3, 9, 1);
    const std::vector<uint8_t> second = RecordBytes(235, 1000, 2024, 3, 9, 2);
    bytes.insert(bytes.end(), second.begin(), second.end());
    bytes.insert(bytes.end(), {1, 2, 3});
    Touch(card / "cut.hhw", bytes);
    const TDayRecords day = ReadDayFile(card / "cut.hhw");
    ASSERT_EQ(day.Records.size(), 2u);
    EXPECT_EQ(day.TailBytes, 3u);
    EXPECT_EQ(day.Records[0].Temperature, -5.1);
    EXPECT_EQ(day.Records[1].Humidity, 100.0);
    EXPECT_EQ(CardRecordLine(7, day.Records[0]), "(7):温度:-5.1,湿度:45.6,2024-03-09 12:34:01");

    Touch(card / "long.hhw", std::vector<uint8_t>(DayFileReadLimit + 25, 1));
    const TDayRecords longDay = ReadDayFile(card / "long.hhw");
    EXPECT_EQ(longDay.Records.size(), 102400u);
    EXPECT_EQ(longDay.TailBytes, 0u);

    Touch(card / "empty.hhw");
    EXPECT_TRUE(ReadDayFile(card / "empty.hhw").Records.empty());
    EXPECT_THROW(ReadDayFile(card / "missing.hhw"), base::Exception);
    fs::create_directories(card.Path() / "folder.hhw");
    EXPECT_THROW(ReadDayFile(card / "folder.hhw"), base::Exception);
}

}  // namespace
}  // namespace console
