#include <gtest/gtest.h>

#include "console/alarm_event.h"
#include "console/history_record.h"
#include "console/tests/console_fixture.h"

namespace console::testing {
namespace {

using namespace std::chrono_literals;

const TBytes Record = {0xFF, 0x38, 0x02, 0x58, 0x18, 0x05, 0x1F, 0x17, 0x3B, 0x3B};

// A record whose temperature is i tenths, at second i of 2024-05-31 12:00.
TBytes NumberedRecord(int i) {
    return {static_cast<uint8_t>(i >> 8), static_cast<uint8_t>(i), 0x02, 0x58, 0x18, 0x05, 0x1F, 0x0C, 0x00,
            static_cast<uint8_t>(i % 60)};
}

TBytes BlockReply(uint32_t total, uint32_t unread, const std::vector<TBytes>& records) {
    TBytes data = {static_cast<uint8_t>(total >> 24),  static_cast<uint8_t>(total >> 16),
                   static_cast<uint8_t>(total >> 8),   static_cast<uint8_t>(total),
                   static_cast<uint8_t>(unread >> 24), static_cast<uint8_t>(unread >> 16),
                   static_cast<uint8_t>(unread >> 8),  static_cast<uint8_t>(unread)};
    for (const TBytes& record : records) data.insert(data.end(), record.begin(), record.end());
    TBytes frame = {0x01, 0x03, static_cast<uint8_t>(data.size())};
    frame.insert(frame.end(), data.begin(), data.end());
    return WithCrc(frame);
}

QStringList Lines(QListWidget* list) {
    QStringList lines;
    for (int i = 0; i < list->count(); ++i) lines << list->item(i)->text();
    return lines;
}

TEST(RecordText, HistoryAndEventLines) {
    const THistoryRecord record = THistoryRecord::Decode(Record.data());
    EXPECT_EQ(HistoryLine(7, record), "(7):温度:-20.0,湿度:60.0;2024-05-31 23:59:59");
    EXPECT_EQ(DayLine(1, record), "(1):温度:-20.0,湿度:60.0;23:59:59");
    EXPECT_EQ(ReportedLine(0, record), "(0)温度:-20.0,湿度:60.0;2024-05-31 23:59:59");

    struct Case {
        uint8_t kind, code;
        int16_t value;
        const char* event;
        const char* text;
    };
    const Case cases[] = {{2, 1, 356, "高温告警", "35.6℃"},
                          {2, 6, 805, "高湿告警解除", "80.5"},
                          {1, 2, 0, "DO2打开", "0"},
                          {1, 1, 1, "DO1闭合", "1"},
                          {4, 29, 0, "远程清除记录", "0"},
                          {3, 6, -100, "本地修改低温告警", "-10.0"},
                          {3, 21, 5, "", ""},
                          {9, 1, 5, "", ""}};
    for (const Case& c : cases) {
        TAlarmEvent event;
        event.Class = c.kind;
        event.Code = c.code;
        event.Value = c.value;
        EXPECT_EQ(event.EventText().toStdString(), c.event);
        EXPECT_EQ(event.ValueText().toStdString(), c.text);
    }
    TAlarmEvent blank;
    blank.Class = 3;
    blank.Code = 21;
    blank.Unread = 4;
    blank.Time = {2024, 5, 7, 9, 3, 0};
    EXPECT_EQ(blank.Line(), "(5)::(),2024-05-07 09:03:00");
}

class RecordReadTest : public ConsoleTest {
protected:
    void SetUp() override {
        ConsoleTest::SetUp();
        Connect();
    }
    // The history counters, read with "查询" as an operator does before reading.
    void QueryCounters(uint32_t total, uint32_t unread) {
        Form->BitBtn17->click();
        ASSERT_EQ(Request(8), WithCrc({0x01, 0x03, 0x00, 0x07, 0x00, 0x04}));
        Pty.Write(BlockReply(total, unread, {}));
        ASSERT_TRUE(PumpUntil([&] { return Form->LabeledEdit16->Text() == QString::number(unread); }));
    }
};

TEST_F(RecordReadTest, OneUnreadRecordIsListed) {
    QueryCounters(5, 4);
    Form->CheckBox3->setChecked(false);
    Form->CheckBox10->setChecked(false);
    Form->BitBtn19->click();
    ASSERT_EQ(Request(8), WithCrc({0x01, 0x03, 0x00, 0x07, 0x00, 0x09}));
    Pty.Write(BlockReply(5, 3, {Record}));
    ASSERT_TRUE(PumpUntil([&] { return Form->ListBox2->count() == 1; }));
    EXPECT_EQ(Lines(Form->ListBox2), QStringList{"(1):温度:-20.0,湿度:60.0;2024-05-31 23:59:59"});
    EXPECT_EQ(Form->LabeledEdit16->Text(), "3");
    EXPECT_FALSE(Form->State.ContinuousRead);
}

TEST_F(RecordReadTest, ContinuousFastReadListsEveryRecordOnceAndEndsByItself) {
    QueryCounters(7, 7);
    Form->CheckBox3->setChecked(true);
    Form->CheckBox10->setChecked(true);
    Form->BitBtn19->click();
    EXPECT_EQ(Form->BitBtn19->text(), "停止");
    EXPECT_FALSE(Form->BitBtn3->isEnabled());
    ASSERT_EQ(Request(8), WithCrc({0x01, 0x03, 0x00, 0x07, 0x00, 39}));  // 5 x 7 + 4
    std::vector<TBytes> first;
    for (int i = 1; i <= 4; ++i) first.push_back(NumberedRecord(i));
    const TBytes firstReply = BlockReply(7, 3, first);
    // The instrument sent fewer than asked: only what the frame holds is listed.
    Pty.Write(firstReply);
    ASSERT_EQ(Request(8), WithCrc({0x01, 0x03, 0x00, 0x07, 0x00, 19}));  // 5 x 3 + 4
    // The same reply again is a repeat, not four more records.
    Pty.Write(firstReply);
    PumpFor(200ms);
    EXPECT_EQ(Form->State.RecordsRead, 4u);  // listed, or waiting for the list's next batch
    Pty.Write(BlockReply(7, 0, {NumberedRecord(5), NumberedRecord(6), NumberedRecord(7)}));
    ASSERT_TRUE(PumpUntil([&] { return !Form->State.ContinuousRead; }));
    const QStringList lines = Lines(Form->ListBox2);
    ASSERT_EQ(lines.size(), 7);
    for (int i = 1; i <= 7; ++i)
        EXPECT_EQ(lines[i - 1], QString("(%1):温度:%2,湿度:60.0;2024-05-31 12:00:%3")
                                    .arg(i)
                                    .arg(QString::number(i / 10.0, 'f', 1))
                                    .arg(i, 2, 10, QChar('0')));
    EXPECT_EQ(Panel(7), "成功:7,失败:0");
    EXPECT_EQ(Form->BitBtn19->text(), "读取");
    EXPECT_TRUE(Form->BitBtn3->isEnabled());
    EXPECT_TRUE(Pty.Read(1, 200ms).empty());
}

TEST_F(RecordReadTest, ABlockNeverReadsPastItsFrame) {
    QueryCounters(100, 100);
    Form->CheckBox3->setChecked(false);
    Form->CheckBox10->setChecked(true);
    Form->BitBtn19->click();
    ASSERT_EQ(Request(8), WithCrc({0x01, 0x03, 0x00, 0x07, 0x01, 0xF8}));  // 504 registers
    // A block that promises 100 records in a frame that holds two.
    TBytes reply = {0x01, 0x03, 208, 0, 0, 0, 100, 0, 0, 0, 98};
    for (const TBytes& r : {NumberedRecord(1), NumberedRecord(2)}) reply.insert(reply.end(), r.begin(), r.end());
    Pty.Write(WithCrc(reply));
    ASSERT_TRUE(PumpUntil([&] { return Form->LabeledEdit16->Text() == "98"; }));
    EXPECT_EQ(Form->ListBox2->count(), 2);
}

TEST_F(RecordReadTest, DayReadListsTimesAndEndsOnAnEmptyIndex) {
    Form->PageControl1->setCurrentIndex(2);
    Form->State.SecondsModel = 0;
    // The day is asked for first; its count enables reading.
    Form->DateTimePicker1->setDate(QDate(2024, 5, 31));
    Form->BitBtn21->click();
    ASSERT_EQ(Request(13), WithCrc({0x01, 0x10, 0x0B, 0xB8, 0x00, 0x02, 0x04, 0x18, 0x05, 0x1F, 0x00}));
    Pty.Write(WithCrc({0x01, 0x10, 0x0B, 0xB8, 0x00, 0x02}));
    ASSERT_EQ(Request(8), WithCrc({0x01, 0x03, 0x0B, 0xB8, 0x00, 0x02}));
    Pty.Write(WithCrc({0x01, 0x03, 0x04, 0x00, 0x02, 0x00, 0x01}));
    ASSERT_TRUE(PumpUntil([&] { return Form->BitBtn19->isEnabled(); }));
    EXPECT_EQ(Form->LabeledEdit17->Text(), "2");
    Form->CheckBox3->setChecked(true);
    Form->BitBtn19->click();
    const TBytes request = WithCrc({0x01, 0x03, 0x0B, 0xB8, 0x00, 0x07});
    ASSERT_EQ(Request(8), request);
    TBytes data = {0x00, 0x02, 0x00, 0x01};
    data.insert(data.end(), Record.begin(), Record.end());
    TBytes frame = {0x01, 0x03, static_cast<uint8_t>(data.size())};
    frame.insert(frame.end(), data.begin(), data.end());
    Pty.Write(WithCrc(frame));
    ASSERT_EQ(Request(8), request);  // the same request: the instrument moves on
    frame[6] = 0x00;                 // index 0: the day is read
    frame[15] = 0x3A;
    Pty.Write(WithCrc(frame));
    ASSERT_TRUE(PumpUntil([&] { return !Form->State.ContinuousRead; }));
    EXPECT_EQ(Lines(Form->ListBox2),
              (QStringList{"(1):温度:-20.0,湿度:60.0;23:59:59", "(2):温度:-20.0,湿度:60.0;23:58:59"}));
    EXPECT_FALSE(Form->BitBtn19->isEnabled());
}

TEST_F(RecordReadTest, ReportsAreListedAndAcknowledged) {
    TBytes live = {0x01, 0x10, 0x00, 0x00, 0x00, 0x0B, 0x16, 0xFF, 0x9C, 0x02, 0x58, 0x00, 0x64, 0x00, 0x01,
                   0x00, 0x00, 0x00, 0x05, 0x00, 0x03, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x20};
    Pty.Write(WithCrc(live));
    ASSERT_EQ(Request(8), WithCrc({0x01, 0x10, 0x00, 0x00, 0x00, 0x0B}));
    EXPECT_EQ(Lines(Form->ListBox5), (QStringList{"温度:-10.0", "湿度:60.0", "露点:10.0", "DO1:1", "DO2:0", "告警:5",
                                                  "电量:3", "总记录条数:256", "未读记录条数:32"}));

    Form->State.ReportedRecords = 4;
    TBytes records = {0x01, 0x10, 0x00, 0x07, 0x00, 0x18, 28, 0, 0, 0, 9, 0, 0, 0, 2};
    for (const TBytes& r : {Record, NumberedRecord(3)}) records.insert(records.end(), r.begin(), r.end());
    Pty.Write(WithCrc(records));
    ASSERT_EQ(Request(8), WithCrc({0x01, 0x10, 0x00, 0x07, 0x00, 0x18}));
    EXPECT_EQ(Lines(Form->ListBox6), (QStringList{"(4)温度:-20.0,湿度:60.0;2024-05-31 23:59:59",
                                                  "(5)温度:0.3,湿度:60.0;2024-05-31 12:00:03"}));
    EXPECT_EQ(Panel(7), "记录条数:6");

    // A report of another register is neither listed nor acknowledged.
    Pty.Write(WithCrc({0x01, 0x10, 0x00, 0x03, 0x00, 0x01, 0x02, 0x00, 0x01}));
    EXPECT_TRUE(Pty.Read(1, 300ms).empty());
}

TEST_F(RecordReadTest, ContinuousAlarmReadListsEventsToTheEnd) {
    Form->BitBtn15->setEnabled(true);
    Form->CheckBox5->setEnabled(true);
    Form->CheckBox5->setChecked(true);
    Form->BitBtn15->click();
    const TBytes request = WithCrc({0x01, 0x03, 0x03, 0xE8, 0x00, 0x07});
    ASSERT_EQ(Request(8), request);
    const auto event = [](uint16_t unread, uint8_t kind, uint8_t code, int16_t value) {
        return WithCrc({0x01, 0x03, 0x0E, 0x00, 0x05, static_cast<uint8_t>(unread >> 8), static_cast<uint8_t>(unread),
                        static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value), kind, code, 0x18, 0x05, 0x07,
                        0x09, 0x03, 0x00});
    };
    Pty.Write(event(1, 2, 1, 356));
    ASSERT_EQ(Request(8), request);
    Pty.Write(event(0, 1, 2, 0));
    ASSERT_TRUE(PumpUntil([&] { return !Form->State.ContinuousRead; }));
    EXPECT_EQ(Lines(Form->ListBox1),
              (QStringList{"(2):高温告警:(35.6℃),2024-05-07 09:03:00", "(1):DO2打开:(0),2024-05-07 09:03:00"}));
    EXPECT_EQ(Form->BitBtn15->text(), "读取");
    EXPECT_FALSE(Form->BitBtn15->isEnabled());
    EXPECT_FALSE(Form->CheckBox5->isChecked());
}

}  // namespace
}  // namespace console::testing
