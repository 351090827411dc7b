// Record reading driven against the instrument stand-in's stores.
#include <gtest/gtest.h>

#include "base/format.h"
#include "console/tests/instrument_fixture.h"
#include "tools/instrument/history_store.h"

namespace console::testing {
namespace {

using namespace std::chrono_literals;
using instrument::TInstrumentServer;
using instrument::TInstrumentState;

QStringList Lines(QListWidget* list) {
    QStringList lines;
    for (int i = 0; i < list->count(); ++i) lines << list->item(i)->text();
    return lines;
}

// The list line the console must show for the stand-in's record `index`, numbered `number`.
QString ExpectedLine(const TInstrumentState& state, uint32_t index, uint32_t number, bool dayLine = false) {
    const auto r = instrument::HistoryRecordAt(state, index);
    const double t = r.Temperature / 10.0;
    const double h = r.Humidity / 10.0;
    const std::string line = dayLine ? base::Format("(%d):温度:%0.1f,湿度:%0.1f;%.2d:%.2d:%.2d",
                                                    {number, t, h, r.Time.Hour, r.Time.Minute, r.Time.Second})
                                     : base::Format("(%d):温度:%0.1f,湿度:%0.1f;%.4d-%.2d-%.2d %.2d:%.2d:%.2d",
                                                    {number, t, h, r.Time.Year, r.Time.Month, r.Time.Day, r.Time.Hour,
                                                     r.Time.Minute, r.Time.Second});
    return QString::fromStdString(line);
}

class RecordsTest : public StandInTest {
protected:
    // A stand-in holding `records` records from 2024-03-01 08:00, `interval` seconds apart.
    TInstrumentServer& Start(uint32_t records, uint8_t model = 0x14, uint32_t interval = 60) {
        TInstrumentServer& server = AddServer("port-a", 115200, false, model);
        server.Instrument().Update([records, interval](TInstrumentState& s) {
            s.HistoryTemperature = -200;
            instrument::GenerateHistory(s, records, {2024, 3, 1, 8, 0, 0}, interval);
        });
        StartWindow();
        ConnectToLastPort("115200");
        return server;
    }
    // The history counters and a continuous read of the unread records.
    void ReadUnread(bool fast) {
        Form->BitBtn17->click();
        ASSERT_TRUE(PumpUntil([&] { return Form->BitBtn19->isEnabled(); }));
        Form->CheckBox3->setChecked(true);
        Form->CheckBox10->setChecked(fast);
        Form->BitBtn19->click();
        ASSERT_TRUE(Form->State.ContinuousRead);
    }
    void ExpectEveryRecordOnce(TInstrumentServer& server, uint32_t count) {
        const TInstrumentState state = server.Instrument().State();
        const QStringList lines = Lines(Form->ListBox2);
        ASSERT_EQ(lines.size(), static_cast<qsizetype>(count));
        for (uint32_t i = 0; i < count; ++i) ASSERT_EQ(lines[i], ExpectedLine(state, i, i + 1)) << i;
    }
};

TEST_F(RecordsTest, UnreadReadsListEveryRecordOnceInOrder) {
    struct Case {
        uint32_t records;
        bool fast;
    };
    for (const Case c : {Case{1, false}, Case{1, true}, Case{100, false}, Case{1000, true}}) {
        SCOPED_TRACE(::testing::Message() << c.records << (c.fast ? " fast" : " one by one"));
        Restart();
        TInstrumentServer& server = Start(c.records);
        ReadUnread(c.fast);
        ASSERT_TRUE(PumpUntil([&] { return !Form->State.ContinuousRead; }, 60s));
        ExpectEveryRecordOnce(server, c.records);
        EXPECT_EQ(Form->LabeledEdit15->Text(), QString::number(c.records));
        EXPECT_EQ(Form->LabeledEdit16->Text(), "0");
        EXPECT_EQ(Panel(7).toStdString(), base::Format("成功:%d,失败:0", {c.records}));
        EXPECT_EQ(Form->BitBtn19->text(), "读取");
        EXPECT_EQ(server.Instrument().State().HistoryUnread, 0u);
    }
}

TEST_F(RecordsTest, ContinuousReadRecoversFromDroppedAndSplitReplies) {
    TInstrumentServer& server = Start(300);
    server.SetFaults({.ChunkSize = 64, .ChunkPause = 2ms});
    ReadUnread(true);
    ASSERT_TRUE(PumpUntil([&] { return Form->State.RecordsRead >= 100; }, 20s));
    // Four requests in a row go unheard: three resends, then a failure is counted and the
    // read goes on.
    server.SetFaults({.SilentRequests = 4, .ChunkSize = 64, .ChunkPause = 2ms});
    ASSERT_TRUE(PumpUntil([&] { return !Form->State.ContinuousRead; }, 40s));
    ExpectEveryRecordOnce(server, 300);
    EXPECT_EQ(Form->State.ReadFailureCount, 1u);
    EXPECT_EQ(Panel(7), "成功:300,失败:1");
}

TEST_F(RecordsTest, ABlockArrivingSlowlyIsWaitedForNotResent) {
    TInstrumentServer& server = Start(200);
    // About 2.9 s for a block of 100 at 7 bytes every 20 ms: far longer than the reply timer.
    server.SetFaults({.ChunkSize = 7, .ChunkPause = 20ms});
    ReadUnread(true);
    ASSERT_TRUE(PumpUntil([&] { return !Form->State.ContinuousRead; }, 60s));
    ExpectEveryRecordOnce(server, 200);
    EXPECT_EQ(Form->State.ReadFailureCount, 0u);
    EXPECT_EQ(Panel(7), "成功:200,失败:0");
}

TEST_F(RecordsTest, ASecondCounterOnlyReplyAfterTheRunClosedIsTaken) {
    TInstrumentServer& server = Start(5);
    Form->BitBtn17->click();
    ASSERT_TRUE(PumpUntil([&] { return Form->BitBtn19->isEnabled(); }));
    Form->CheckBox3->setChecked(false);
    Form->CheckBox10->setChecked(true);
    Form->BitBtn19->click();  // one block: all five
    ASSERT_TRUE(PumpUntil([&] { return Form->ListBox2->count() == 5; }));

    // A run with nothing left: the counters come back, the next request goes out and the
    // run closes; its answer is the same counters again, and it is taken: nothing is resent.
    server.ClearRequests();
    Form->CheckBox3->setChecked(true);
    Form->BitBtn19->click();
    ASSERT_TRUE(PumpUntil([&] { return server.Requests().size() >= 2 && !Form->State.ContinuousRead; }));
    PumpFor(3s);
    EXPECT_EQ(server.Requests().size(), 2u);
    EXPECT_NE(Panel(5), "接收超时");
    EXPECT_FALSE(Form->Timer1.Enabled());
    EXPECT_EQ(Form->ListBox2->count(), 5);
}

TEST_F(RecordsTest, DayAndRangeReadsForBothModels) {
    for (const uint8_t model : {uint8_t{0x12}, uint8_t{0x14}}) {
        SCOPED_TRACE(model == 0x14 ? "second model" : "minute model");
        Restart();
        // 48 records an hour apart from 2024-03-01 08:00: 16 of them on 2 March.
        TInstrumentServer& server = Start(48, model, 3600);
        EXPECT_EQ(Form->State.SecondsModel, model == 0x14 ? 1 : 0);
        const TInstrumentState state = server.Instrument().State();

        Form->PageControl1->setCurrentIndex(2);
        Form->DateTimePicker1->setDate(QDate(2024, 3, 2));
        Form->BitBtn21->click();
        ASSERT_TRUE(PumpUntil([&] { return Form->BitBtn19->isEnabled(); }));
        EXPECT_EQ(Form->LabeledEdit17->Text(), "24");
        Form->CheckBox3->setChecked(true);
        Form->BitBtn19->click();
        ASSERT_TRUE(PumpUntil([&] { return !Form->State.ContinuousRead; }, 20s));
        QStringList expected;
        for (uint32_t i = 16; i < 40; ++i) expected << ExpectedLine(state, i, i - 15, true);
        EXPECT_EQ(Lines(Form->ListBox2), expected);

        Form->BitBtn20->click();
        Form->State.RecordsRead = 0;
        Form->PageControl1->setCurrentIndex(1);
        Form->DateTimePicker2->setDate(QDate(2024, 3, 2));
        Form->DateTimePicker3->setDate(QDate(2024, 3, 3));
        Form->BitBtn29->click();
        ASSERT_TRUE(PumpUntil([&] { return !Form->LabeledEdit25->Text().isEmpty(); }));
        EXPECT_EQ(Form->LabeledEdit25->Text(), "32");
        Form->CheckBox3->setChecked(true);
        Form->CheckBox10->setChecked(true);
        Form->BitBtn19->click();
        ASSERT_TRUE(PumpUntil([&] { return !Form->State.ContinuousRead; }, 20s));
        expected.clear();
        for (uint32_t i = 16; i < 48; ++i) expected << ExpectedLine(state, i, i - 15);
        EXPECT_EQ(Lines(Form->ListBox2), expected);
    }
}

TEST_F(RecordsTest, ReportsAreListedAndAcknowledged) {
    TInstrumentServer& server = Start(10);
    const auto acknowledged = [&] { return server.WaitForReportAcknowledged(0ms); };
    server.SendLiveReport();
    ASSERT_TRUE(PumpUntil(acknowledged));
    ASSERT_TRUE(PumpUntil([&] { return Form->ListBox5->count() == 9; }));
    EXPECT_EQ(Form->ListBox5->item(0)->text(), "温度:23.5");
    EXPECT_EQ(Form->ListBox5->item(7)->text(), "总记录条数:10");

    const TInstrumentState state = server.Instrument().State();
    server.SendRecordReport(3);
    ASSERT_TRUE(PumpUntil(acknowledged));
    ASSERT_TRUE(PumpUntil([&] { return Form->ListBox6->count() == 3; }));
    EXPECT_EQ(Panel(7), "记录条数:3");
    const auto first = instrument::HistoryRecordAt(state, 0);
    EXPECT_EQ(Form->ListBox6->item(0)->text().toStdString(),
              base::Format("(0)温度:%0.1f,湿度:%0.1f;2024-03-01 08:00:00",
                           {first.Temperature / 10.0, first.Humidity / 10.0}));
}

TEST_F(RecordsTest, AlarmAndEventRecordsAreReadToTheEnd) {
    TInstrumentServer& server = Start(0);
    server.Instrument().Update([](TInstrumentState& s) {
        instrument::AddEvent(s, {2, 1, 356, {2024, 5, 7, 9, 3, 0}});
        instrument::AddEvent(s, {1, 2, 0, {2024, 5, 7, 9, 4, 0}});
        instrument::AddEvent(s, {4, 29, 0, {2024, 5, 7, 9, 5, 0}});
    });
    Form->BitBtn13->click();
    ASSERT_TRUE(PumpUntil([&] { return Form->BitBtn15->isEnabled(); }));
    EXPECT_EQ(Form->LabeledEdit12->Text(), "3");
    Form->CheckBox5->setChecked(true);
    Form->BitBtn15->click();
    ASSERT_TRUE(PumpUntil([&] { return !Form->State.ContinuousRead; }, 10s));
    EXPECT_EQ(Lines(Form->ListBox1),
              (QStringList{"(3):高温告警:(35.6℃),2024-05-07 09:03:00", "(2):DO2打开:(0),2024-05-07 09:04:00",
                           "(1):远程清除记录:(0),2024-05-07 09:05:00"}));
    EXPECT_EQ(Form->LabeledEdit13->Text(), "0");
}

// "查询" pressed while the connection's identification or model request awaits its reply waits
// for the chain to end: the identification is not taken as the counters, the model is still
// asked for, and a continuous read afterwards reads every record and ends.
TEST_F(RecordsTest, AQueryPressedDuringTheConnectionChainWaitsForIt) {
    struct Case {
        bool afterIdentity;
        bool fast;
    };
    for (const Case c : {Case{false, true}, Case{false, false}, Case{true, true}, Case{true, false}}) {
        SCOPED_TRACE(::testing::Message() << (c.afterIdentity ? "before the model reply" : "before the identity reply")
                                          << (c.fast ? ", fast" : ", one by one"));
        Restart();
        TInstrumentServer& server = AddServer("port-a", 115200, false, 0x14);
        server.Instrument().Update([](TInstrumentState& s) {
            instrument::GenerateHistory(s, 250, {2024, 3, 1, 8, 0, 0}, 60);
        });
        StartWindow();
        // Late replies, though within the reply timer: the query lands inside the chain.
        server.SetFaults({.ReplyDelay = 200ms});
        Form->ComboBox7->setCurrentText("115200");
        Form->BitBtn2->click();
        if (c.afterIdentity) {
            ASSERT_TRUE(PumpUntil([&] { return Form->State.RequestState == rsModelAfterIdentify; }));
        }
        Form->BitBtn17->click();
        ASSERT_TRUE(PumpUntil([&] { return Form->BitBtn19->isEnabled(); }, 10s)) << Panel(5).toStdString();
        EXPECT_EQ(Form->LabeledEdit14->Text(), "1");
        EXPECT_EQ(Form->LabeledEdit16->Text(), "250");
        EXPECT_EQ(Form->Label7->text(), "秒钟");  // the model reply was taken
        EXPECT_EQ(Form->State.SecondsModel, 1);
        server.SetFaults({});
        Form->CheckBox3->setChecked(true);
        Form->CheckBox10->setChecked(c.fast);
        Form->BitBtn19->click();
        ASSERT_TRUE(Form->State.ContinuousRead);
        ASSERT_TRUE(PumpUntil([&] { return !Form->State.ContinuousRead; }, 60s)) << Panel(5).toStdString();
        ExpectEveryRecordOnce(server, 250);
        EXPECT_EQ(Panel(7), "成功:250,失败:0");
        EXPECT_EQ(Form->BitBtn19->text(), "读取");
    }
}

}  // namespace
}  // namespace console::testing
