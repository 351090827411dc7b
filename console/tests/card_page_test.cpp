// The memory-card panel in the real window, with card roots of the test's own: the search,
// the device choice and dates, the export into the record list and a PDF report, the delete.
#include <gtest/gtest.h>

#include <QDir>
#include <filesystem>
#include <sstream>
#include <thread>

#include "console/tests/console_fixture.h"
#include "platform/testing/test_files.h"
#include "tools/instrument/card_writer.h"
#include "tools/instrument/history_store.h"

namespace console::testing {
namespace {

namespace fs = std::filesystem;
using platform::testing::TTempDir;

// A day file of `count` records of that day, a minute apart; record i has the temperature
// (i - 5) tenths and the humidity 400 + i tenths.
std::vector<uint8_t> DayBytes(const QDate& day, int count) {
    std::vector<uint8_t> bytes;
    for (int i = 0; i < count; ++i) {
        const int16_t t = static_cast<int16_t>(i - 5);
        const uint16_t h = static_cast<uint16_t>(400 + i);
        bytes.insert(bytes.end(),
                     {static_cast<uint8_t>(static_cast<uint16_t>(t) >> 8), static_cast<uint8_t>(t & 0xFF),
                      static_cast<uint8_t>(h >> 8), static_cast<uint8_t>(h & 0xFF),
                      static_cast<uint8_t>(day.year() - 2000), static_cast<uint8_t>(day.month()),
                      static_cast<uint8_t>(day.day()), static_cast<uint8_t>(i / 60), static_cast<uint8_t>(i % 60), 0});
    }
    return bytes;
}

std::string DayName(const QDate& day) { return day.toString("yyyyMMdd").toStdString() + ".hhw"; }

void WriteDay(const TTempDir& card, int device, const QDate& day, int count) {
    const fs::path folder = card.Path() / ("THdb" + std::to_string(device));
    fs::create_directories(folder);
    platform::testing::WriteFileBytes((folder / DayName(day)).string(), DayBytes(day, count));
}

class CardPageTest : public ConsoleTest {
protected:
    void SetUp() override {
        Tform1::ReadCardDrives = [this] { return Drives; };
        ConsoleTest::SetUp();
        Form->BitBtn22->click();
    }
    void TearDown() override {
        ConsoleTest::TearDown();
        Tform1::ReadCardDrives = nullptr;
    }
    void Search() { Form->BitBtn28->click(); }
    void ChooseDevice(int index) {
        Form->ComboBox19->setCurrentIndex(index);
        emit Form->ComboBox19->activated(index);
    }
    void SetDates(const QDate& start, const QDate& end) {
        Form->DateTimePicker4->setDate(start);
        Form->DateTimePicker5->setDate(end);
    }
    QStringList DeviceItems() const {
        QStringList items;
        for (int i = 0; i < Form->ComboBox19->count(); ++i) items << Form->ComboBox19->itemText(i);
        return items;
    }
    QStringList Lines() const {
        QStringList lines;
        for (int i = 0; i < Form->ListBox3->count(); ++i) lines << Form->ListBox3->item(i)->text();
        return lines;
    }
    // The usable controls of the panel, by name.
    std::vector<std::string> Usable() const {
        std::vector<std::string> names;
        for (QWidget* w : std::initializer_list<QWidget*>{
                 Form->BitBtn28, Form->BitBtn30, Form->BitBtn31, Form->BitBtn48, Form->CheckBox4, Form->CheckBox7,
                 Form->ComboBox19, Form->DateTimePicker4, Form->DateTimePicker5})
            if (w->isEnabled()) names.push_back(w->objectName().toStdString());
        return names;
    }

    std::vector<std::string> Drives;
};

TEST_F(CardPageTest, OpeningThePanel) {
    EXPECT_TRUE(Form->Panel7->isVisibleTo(Form.get()));
    EXPECT_FALSE(Form->Panel5->isVisibleTo(Form.get()));
    EXPECT_EQ(Panel(3), "TF卡导出");
    for (QWidget* w : std::initializer_list<QWidget*>{Form->BitBtn30, Form->BitBtn31, Form->ToolButton1,
                                                      Form->ComboBox19, Form->DateTimePicker4, Form->DateTimePicker5})
        EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
    EXPECT_EQ(Form->CheckBox4->text(), "导出excel");
}

TEST_F(CardPageTest, SearchWithoutCardOrWithoutDayFiles) {
    Search();
    EXPECT_EQ(Form->Edit7->text(), "搜索完成,未发现TF卡!");
    EXPECT_EQ(Panel(7), "未发现TF卡!");
    EXPECT_EQ(Panel(5), "搜索完成");
    EXPECT_EQ(Usable(), (std::vector<std::string>{"BitBtn28", "BitBtn48"}));

    TTempDir empty;
    fs::create_directories(empty.Path() / "THdb1");
    platform::testing::WriteFileBytes(empty / "THdb1/readme.txt", {1});
    WriteDay(empty, 0, QDate(2024, 1, 1), 1);
    Drives = {empty.Path().string()};
    Search();
    EXPECT_EQ(Form->Edit7->text(), "搜索完成,未发现记录文件!");
    EXPECT_EQ(Panel(7), "未发现记录文件!");
    EXPECT_EQ(Panel(1), "TF卡插入");
    EXPECT_EQ(Form->ComboBox19->count(), 0);
    EXPECT_EQ(Usable(), (std::vector<std::string>{"BitBtn28", "BitBtn48"}));
}

TEST_F(CardPageTest, SearchFindsTheFirstDriveWithDayFiles) {
    TTempDir first, second;
    fs::create_directories(first.Path() / "THdb3");
    for (const char* folder : {"THdb0", "THdb248", "THdb05"}) {
        fs::create_directories(second.Path() / folder);
        platform::testing::WriteFileBytes(second / (std::string(folder) + "/20240101.hhw"), DayBytes({2024, 1, 1}, 1));
    }
    WriteDay(second, 5, QDate(2024, 1, 3), 2);
    WriteDay(second, 5, QDate(2024, 1, 1), 2);
    WriteDay(second, 12, QDate(2023, 12, 30), 1);
    WriteDay(second, 12, QDate(2024, 2, 2), 1);
    WriteDay(second, 12, QDate(2024, 1, 7), 1);
    for (const char* bad : {"THdb5/19991231.hhw", "THdb5/20241301.hhw", "THdb5/2024011.hhw", "THdb5/20240230.hhw"})
        platform::testing::WriteFileBytes(second / bad, {0});
    Drives = {first.Path().string(), second.Path().string()};
    Search();
    EXPECT_EQ(Form->Card.CardRoot, second.Path().string());
    EXPECT_EQ(DeviceItems(), (QStringList{"5", "12"}));
    EXPECT_EQ(Form->ComboBox19->currentIndex(), 0);
    EXPECT_EQ(Form->Edit7->text(), "搜索完成,共2设备5天的记录文件!跳过1个日期无效的文件(THdb5/20240230.hhw)!");
    EXPECT_EQ(Panel(7), "2设备5天的记录文件!");
    EXPECT_EQ(Form->DateTimePicker4->date(), QDate(2024, 1, 1));
    EXPECT_EQ(Form->DateTimePicker5->date(), QDate(2024, 1, 3));
    EXPECT_EQ(Form->DateTimePicker4->minimumDate(), QDate(2024, 1, 1));
    EXPECT_EQ(Form->DateTimePicker5->maximumDate(), QDate(2024, 1, 3));
    EXPECT_EQ(Usable(), (std::vector<std::string>{"BitBtn28", "BitBtn30", "BitBtn31", "BitBtn48", "CheckBox4",
                                                  "CheckBox7", "ComboBox19", "DateTimePicker4", "DateTimePicker5"}));

    // The device choice bounds the pickers by its own days.
    ChooseDevice(1);
    EXPECT_EQ(Form->DateTimePicker4->minimumDate(), QDate(2023, 12, 30));
    EXPECT_EQ(Form->DateTimePicker4->maximumDate(), QDate(2024, 2, 2));
    EXPECT_EQ(Form->DateTimePicker5->date(), QDate(2024, 2, 2));
    EXPECT_EQ(Panel(5), "设备12");
    EXPECT_EQ(Form->Edit7->text(), "有3天的记录文件!");
    Form->DateTimePicker4->setDate(QDate(2024, 1, 5));
    EXPECT_EQ(Form->Edit7->text(), "导出的起始日期2024年01月05日");
    Form->DateTimePicker5->setDate(QDate(2024, 1, 9));
    EXPECT_EQ(Panel(7), "导出的结束日期2024年01月09日");

    // A second search that finds less releases what the first found.
    fs::remove_all(second.Path() / "THdb12");
    Search();
    EXPECT_EQ(Form->Card.RecordFileLists.size(), 1u);
    EXPECT_EQ(DeviceItems(), QStringList{"5"});
}

// The question whether to open the report comes while the report is being saved, before the
// export says it is done and the panel is usable again.
TEST_F(CardPageTest, ExportAsksBeforeItReportsItsEnd) {
    TTempDir card;
    WriteDay(card, 4, QDate(2024, 3, 1), 30);
    WriteDay(card, 4, QDate(2024, 3, 2), 30);
    Drives = {card.Path().string()};
    struct Case {
        QCheckBox* Option;
        const char* Saving;
    };
    for (const Case& c : {Case{Form->CheckBox4, "正在保存excel!"}, Case{Form->CheckBox7, "正在保存PDF!"}}) {
        SCOPED_TRACE(c.Saving);
        Dialogs->Prompts.clear();
        Search();
        SetDates(QDate(2024, 3, 1), QDate(2024, 3, 1));
        c.Option->setChecked(true);
        QString status, statistics, message;
        bool exportEnabled = true;
        Dialogs->WhileAsked = [&](const std::string&) {
            status = Panel(5);
            statistics = Panel(7);
            message = Form->Edit7->text();
            exportEnabled = Form->BitBtn30->isEnabled();
        };
        Form->BitBtn30->click();
        EXPECT_EQ(Dialogs->Prompts, std::vector<std::string>{"导出成功，是否打开文件？"});
        EXPECT_EQ(status, "正在导出");
        EXPECT_EQ(statistics, c.Saving);
        EXPECT_EQ(message, c.Saving);
        EXPECT_FALSE(exportEnabled);
        EXPECT_EQ(Panel(5), "导出完成");
        EXPECT_EQ(Form->Edit7->text(), "导出完成,共导出1天30条记录!");
        EXPECT_TRUE(Form->BitBtn30->isEnabled());
        c.Option->setChecked(false);
    }
}

TEST_F(CardPageTest, ExportToPdfFromTheFileBeforeTheStartDate) {
    TTempDir card;
    WriteDay(card, 2, QDate(2024, 3, 1), 3);
    WriteDay(card, 2, QDate(2024, 3, 4), 2);
    WriteDay(card, 2, QDate(2024, 3, 6), 4);
    WriteDay(card, 2, QDate(2024, 3, 9), 1);
    // A cut last record: its three bytes are reported, never read as a record.
    std::vector<uint8_t> cut = DayBytes({2024, 3, 6}, 4);
    cut.insert(cut.end(), {7, 7, 7});
    platform::testing::WriteFileBytes(card / "THdb2/20240306.hhw", cut);
    Drives = {card.Path().string()};
    Search();
    Form->CheckBox7->setChecked(true);
    SetDates(QDate(2024, 3, 5), QDate(2024, 3, 8));
    Form->BitBtn30->click();

    const QStringList lines = Lines();
    ASSERT_EQ(lines.size(), 6);
    EXPECT_EQ(lines[0], "(1):温度:-0.5,湿度:40.0,2024-03-04 00:00:00");
    EXPECT_EQ(lines[2], "(3):温度:-0.5,湿度:40.0,2024-03-06 00:00:00");
    EXPECT_EQ(lines[5], "(6):温度:-0.2,湿度:40.3,2024-03-06 00:03:00");
    EXPECT_EQ(Form->Edit7->text(), "导出完成,共导出2天6条记录!20240306.hhw末尾3字节不足一条记录,已略过!");
    EXPECT_EQ(Panel(7), "导出2天6条记录!");
    EXPECT_EQ(Panel(5), "导出完成");
    EXPECT_EQ(Dialogs->Prompts, std::vector<std::string>{"导出成功，是否打开文件？"});
    // The next export continues with the next day.
    EXPECT_EQ(Form->DateTimePicker4->date(), QDate(2024, 3, 9));
    EXPECT_EQ(Form->DateTimePicker5->date(), QDate(2024, 3, 9));
    EXPECT_TRUE(Form->BitBtn30->isEnabled());
    EXPECT_TRUE(Form->BitBtn9->isEnabled());

    const QStringList pdfs = QDir("data").entryList({"*.pdf"});
    ASSERT_EQ(pdfs.size(), 1);
    EXPECT_TRUE(pdfs[0].startsWith("温湿度2历史记录"));
    const std::string text =
        platform::testing::RunCommand("pdftotext -layout " +
                                      platform::testing::ShellQuote("data/" + pdfs[0].toStdString()) + " -")
            .Output;
    const std::string check =
        platform::testing::RunCommand("qpdf --check " + platform::testing::ShellQuote("data/" + pdfs[0].toStdString()))
            .Output;
    EXPECT_NE(check.find("No syntax or stream encoding errors"), std::string::npos) << check;
    std::vector<std::string> rows;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::vector<std::string> w;
        for (std::string word; words >> word;) w.push_back(word);
        if (w.size() == 5) rows.push_back(w[0] + " " + w[1] + " " + w[2] + " " + w[3] + " " + w[4]);
    }
    EXPECT_EQ(rows, (std::vector<std::string>{"1 -0.5 40 2024-03-04 00:00:00", "2 -0.4 40.1 2024-03-04 00:01:00",
                                              "3 -0.5 40 2024-03-06 00:00:00", "4 -0.4 40.1 2024-03-06 00:01:00",
                                              "5 -0.3 40.2 2024-03-06 00:02:00", "6 -0.2 40.3 2024-03-06 00:03:00"}));

    // The last day: afterwards the export waits for another device or a new search.
    Form->CheckBox7->setChecked(false);
    Form->BitBtn30->click();
    EXPECT_EQ(Lines().size(), 7);
    EXPECT_EQ(Lines().back(), "(1):温度:-0.5,湿度:40.0,2024-03-09 00:00:00");
    EXPECT_EQ(Form->Edit7->text(), "导出完成,共导出1天1条记录!");
    EXPECT_EQ(Usable(), (std::vector<std::string>{"BitBtn28", "BitBtn31", "BitBtn48"}));
    EXPECT_EQ(QDir("data").entryList({"*.pdf"}).size(), 1);
    Form->BitBtn48->click();
    EXPECT_EQ(Form->ListBox3->count(), 0);
    EXPECT_EQ(Form->Edit7->text(), "显示已清除！");
}

TEST_F(CardPageTest, ExportOfAFileThatVanishedEndsCleanly) {
    TTempDir card;
    WriteDay(card, 1, QDate(2024, 3, 1), 3);
    WriteDay(card, 1, QDate(2024, 3, 2), 3);
    Drives = {card.Path().string()};
    Search();
    Form->CheckBox7->setChecked(true);
    fs::remove(card.Path() / "THdb1/20240302.hhw");
    Form->BitBtn30->click();
    ASSERT_EQ(Dialogs->Errors.size(), 1u);
    EXPECT_NE(Dialogs->Errors[0].find("20240302.hhw"), std::string::npos);
    EXPECT_TRUE(Form->Edit7->text().startsWith("导出失败,已导出3条记录:"));
    // The half-written report is gone and the panel is usable again.
    EXPECT_TRUE(QDir("data").entryList({"*.pdf"}).isEmpty());
    EXPECT_TRUE(Form->BitBtn28->isEnabled());
    EXPECT_TRUE(Form->BitBtn22->isEnabled());
}

TEST_F(CardPageTest, DeleteARangeKeepsWhatCannotBeDeleted) {
    TTempDir card;
    for (int day = 1; day <= 5; ++day) WriteDay(card, 1, QDate(2024, 4, day), 1);
    Drives = {card.Path().string()};
    Search();
    // Day 3 turns into a folder with something in it: the delete cannot remove it.
    fs::remove(card.Path() / "THdb1/20240403.hhw");
    fs::create_directories(card.Path() / "THdb1/20240403.hhw/inside");
    SetDates(QDate(2024, 4, 2), QDate(2024, 4, 4));
    Form->BitBtn31->click();
    EXPECT_FALSE(fs::exists(card.Path() / "THdb1/20240402.hhw"));
    EXPECT_FALSE(fs::exists(card.Path() / "THdb1/20240404.hhw"));
    EXPECT_TRUE(fs::exists(card.Path() / "THdb1/20240401.hhw"));
    EXPECT_EQ(Form->Edit7->text(), "删除完成,共删除2个文件！1个文件无法删除(20240403.hhw)!");
    EXPECT_EQ(Panel(7), "共删除2个文件！1个无法删除!");
    EXPECT_EQ(Panel(5), "删除完成");
    ASSERT_EQ(Form->Card.RecordFileLists.size(), 1u);
    std::vector<std::string> names;
    for (const TDayFile& file : Form->Card.RecordFileLists[0].Files) names.push_back(file.Name);
    EXPECT_EQ(names, (std::vector<std::string>{"20240401", "20240403", "20240405"}));
    EXPECT_EQ(Form->DateTimePicker4->date(), QDate(2024, 4, 1));
    EXPECT_EQ(Form->DateTimePicker5->date(), QDate(2024, 4, 5));
    EXPECT_EQ(Usable(), (std::vector<std::string>{"BitBtn28", "BitBtn30", "BitBtn31", "BitBtn48", "CheckBox4",
                                                  "CheckBox7", "ComboBox19", "DateTimePicker4", "DateTimePicker5"}));
    EXPECT_TRUE(Form->BitBtn9->isEnabled());
}

TEST_F(CardPageTest, DeleteEveryFileOfTheOnlyDevice) {
    TTempDir card;
    for (int day = 1; day <= 3; ++day) WriteDay(card, 9, QDate(2024, 5, day), 1);
    Drives = {card.Path().string()};
    Search();
    Form->BitBtn31->click();
    EXPECT_TRUE(fs::is_empty(card.Path() / "THdb9"));
    EXPECT_EQ(Form->Edit7->text(), "删除完成,共删除3个文件！");
    EXPECT_EQ(Form->ComboBox19->count(), 0);
    EXPECT_EQ(Usable(), (std::vector<std::string>{"BitBtn28", "BitBtn48"}));
}

TEST_F(CardPageTest, DeleteThatEmptiesADeviceRelistsOrLeavesTheSearch) {
    TTempDir card;
    WriteDay(card, 1, QDate(2024, 6, 1), 1);
    WriteDay(card, 2, QDate(2024, 6, 2), 1);
    WriteDay(card, 2, QDate(2024, 6, 3), 1);
    WriteDay(card, 3, QDate(2024, 6, 4), 1);
    Drives = {card.Path().string()};
    Search();
    ChooseDevice(0);
    Form->BitBtn31->click();
    // The card is still there: it is listed again from its first device.
    EXPECT_EQ(DeviceItems(), (QStringList{"2", "3"}));
    EXPECT_EQ(Form->DateTimePicker4->date(), QDate(2024, 6, 2));
    EXPECT_TRUE(Form->BitBtn30->isEnabled());

    // The card is gone: the search button stays usable.
    Drives.clear();
    ChooseDevice(1);
    Form->BitBtn31->click();
    EXPECT_EQ(Form->ComboBox19->count(), 0);
    EXPECT_EQ(Usable(), (std::vector<std::string>{"BitBtn28", "BitBtn48"}));
    Search();
    EXPECT_EQ(Form->Edit7->text(), "搜索完成,未发现TF卡!");
}

// The stand-in's card: every record of its history comes back, in order, in one export.
TEST_F(CardPageTest, TheStandInsCardExportsItsWholeHistory) {
    TTempDir card;
    instrument::TInstrumentState state;
    state.Parameters[instrument::pmAddress] = 3;
    instrument::GenerateHistory(state, 3000, {2024, 7, 30, 20, 0, 0}, 150);
    ASSERT_EQ(instrument::WriteCard(state, card.Path().string()), 7u);
    Drives = {card.Path().string()};
    Search();
    EXPECT_EQ(Form->Edit7->text(), "搜索完成,共1设备7天的记录文件!");
    Form->BitBtn30->click();
    const QStringList lines = Lines();
    ASSERT_EQ(lines.size(), 3000);
    for (uint32_t i : {0u, 1u, 1499u, 2999u}) {
        std::array<uint8_t, instrument::HistoryRecordSize> bytes{};
        instrument::PutHistoryRecord(instrument::HistoryRecordAt(state, i), bytes);
        EXPECT_EQ(lines[static_cast<int>(i)], CardRecordLine(i + 1, THistoryRecord::Decode(bytes.data())));
    }
    EXPECT_EQ(Form->Edit7->text(), "导出完成,共导出7天3000条记录!");
}

// A history reply that arrives while an export lets pending events through is handled by the
// history page; the export's numbering, counts and PDF rows stay its own.
TEST_F(CardPageTest, ALateHistoryReplyLeavesTheExportAlone) {
    Connect();
    TTempDir card;
    for (int day = 1; day <= 4; ++day) WriteDay(card, 1, QDate(2024, 8, day), 5);
    Drives = {card.Path().string()};
    Form->BitBtn17->click();
    ASSERT_EQ(Request(8), WithCrc({0x01, 0x03, 0x00, 0x07, 0x00, 0x04}));
    Pty.Write(WithCrc({0x01, 0x03, 8, 0, 0, 0, 5, 0, 0, 0, 4}));
    ASSERT_TRUE(PumpUntil([&] { return Form->LabeledEdit16->Text() == "4"; }));
    Form->CheckBox3->setChecked(false);
    Form->CheckBox10->setChecked(false);
    Form->BitBtn19->click();
    ASSERT_EQ(Request(8), WithCrc({0x01, 0x03, 0x00, 0x07, 0x00, 0x09}));
    Form->BitBtn22->click();
    Search();
    Form->CheckBox7->setChecked(true);
    // The reply waits in the window's queue until the export lets events through.
    Pty.Write(
        WithCrc({0x01, 0x03, 18, 0, 0, 0, 5, 0, 0, 0, 3, 0xFF, 0x38, 0x02, 0x58, 0x18, 0x05, 0x1F, 0x17, 0x3B, 0x3B}));
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    Form->BitBtn30->click();
    // It was taken inside the export.
    EXPECT_EQ(Form->State.RecordsRead, 1u);
    ASSERT_TRUE(PumpUntil([&] { return Form->ListBox2->count() == 1; }));
    const QStringList lines = Lines();
    ASSERT_EQ(lines.size(), 20);
    for (int i = 0; i < 20; ++i) EXPECT_TRUE(lines[i].startsWith(QString("(%1):").arg(i + 1))) << i;
    EXPECT_EQ(Form->Edit7->text(), "导出完成,共导出4天20条记录!");
    const QStringList pdfs = QDir("data").entryList({"*.pdf"});
    ASSERT_EQ(pdfs.size(), 1);
    const std::string text = platform::testing::RunCommand(
                                 "pdftotext " + platform::testing::ShellQuote("data/" + pdfs[0].toStdString()) + " -")
                                 .Output;
    EXPECT_NE(text.find("2024-08-04 00:04:00"), std::string::npos);
    EXPECT_EQ(text.find("2024-05-31"), std::string::npos);
}

}  // namespace
}  // namespace console::testing
