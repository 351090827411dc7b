// Start-up, the request cycle, detection and the port box, driven against the stand-in
// (or a scripted far end) as an operator would.
#include <gtest/gtest.h>

#include <QFile>
#include <algorithm>

#include "console/tests/instrument_fixture.h"
#include "tools/instrument/history_store.h"

namespace console::testing {
namespace {

using namespace std::chrono_literals;
using instrument::TInstrumentServer;

// Requests the stand-in heard that begin with `head` (address, function, register...).
size_t Heard(const TInstrumentServer& server, const TBytes& head) {
    const auto requests = server.Requests();
    return static_cast<size_t>(std::count_if(requests.begin(), requests.end(), [&](const auto& request) {
        return request.Frame.size() >= head.size() && std::equal(head.begin(), head.end(), request.Frame.begin());
    }));
}

TEST_F(ConsoleTest, StartsAndRefreshesThePortListWhenTheDataFolderCannotBeMade) {
    Form.reset();
    ASSERT_TRUE(QDir().rmdir("data"));
    QFile blocker("data");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    Form = std::make_unique<Tform1>();
    EXPECT_EQ(Dialogs->Errors, (std::vector<std::string>{"Unable to create directory \"data\""}));
    EXPECT_TRUE(Form->Timer3.Enabled());
    EXPECT_TRUE(Form->BitBtn2->isEnabled());
    EXPECT_EQ(Form->Edit1->text().toInt(), QDate::currentDate().year());
}

TEST_F(ConsoleTest, ARefusedOrUnansweredQueryHasNoFollowUp) {
    Connect();
    for (const uint8_t code : {1, 2, 4}) {
        SCOPED_TRACE(::testing::Message() << "exception " << int{code});
        Form->BitBtn21->click();  // the day query: the date written to register 3000
        ASSERT_EQ(Request(13).size(), 13u);
        Pty.Write(WithCrc({0x01, 0x90, code}));
        ASSERT_TRUE(PumpUntil([&] { return Panel(5) != "查询中..."; }));
        Form->BitBtn41->click();  // "开记录": an unrelated write
        ASSERT_EQ(Request(11), WithCrc({0x01, 0x10, 0x00, 0xDE, 0x00, 0x01, 0x02, 0x00, 0x01}));
        Pty.Write(WithCrc({0x01, 0x10, 0x00, 0xDE, 0x00, 0x01}));
        ASSERT_TRUE(PumpUntil([&] { return Panel(5) == "设置成功" || Panel(5) == "查询成功"; }));
        EXPECT_EQ(Panel(5), "设置成功");
        EXPECT_TRUE(Pty.Read(8, 300ms).empty()) << "a day-count read followed";
    }
}

TEST_F(StandInTest, ATimedOutQueryHasNoFollowUp) {
    TInstrumentServer& server = AddServer("port-a", 115200);
    StartWindow();
    ConnectToLastPort("115200");
    server.SetFaults({.SilentRequests = 4});
    Form->PageControl1->setCurrentIndex(2);
    Form->BitBtn21->click();
    ASSERT_TRUE(PumpUntil([&] { return Panel(5) == "接收超时"; }, 15s));
    server.ClearRequests();
    Form->BitBtn41->click();
    ASSERT_TRUE(PumpUntil([&] { return Panel(5) == "设置成功" || Panel(5) == "查询成功"; }));
    PumpFor(500ms);
    EXPECT_EQ(Panel(5), "设置成功");
    EXPECT_EQ(server.Requests().size(), 1u);
}

class OneRequestPerPress : public StandInTest {
protected:
    TInstrumentServer& Start() {
        TInstrumentServer& server = AddServer("port-a", 115200);
        server.Instrument().Update([](instrument::TInstrumentState& s) {
            instrument::AddEvent(s, {2, 1, 356, {2024, 5, 7, 9, 3, 0}});
            instrument::AddEvent(s, {1, 2, 0, {2024, 5, 7, 9, 4, 0}});
            instrument::AddEvent(s, {4, 29, 0, {2024, 5, 7, 9, 5, 0}});
        });
        StartWindow();
        ConnectToLastPort("115200");
        return server;
    }
};

TEST_F(OneRequestPerPress, AfterARequestWithoutReplyTimerWentUnanswered) {
    TInstrumentServer& server = Start();
    server.SetFaults({.SilentRequests = 1});
    server.ClearRequests();
    Form->BitBtn36->click();  // the advanced-settings write: no reply timer
    ASSERT_TRUE(PumpUntil([&] { return server.Requests().size() == 1; }));
    Form->BitBtn41->click();  // "开记录"
    ASSERT_TRUE(PumpUntil([&] { return Panel(5) == "设置成功"; }));
    PumpFor(2500ms);
    EXPECT_EQ(Heard(server, {0x01, 0x10, 0x00, 0xDE}), 1u);
    EXPECT_FALSE(Form->Timer1.Enabled());
}

TEST_F(OneRequestPerPress, WhileAnEarlierRequestIsBeingResent) {
    TInstrumentServer& server = Start();
    Form->BitBtn13->click();  // the alarm counters enable "读取"
    ASSERT_TRUE(PumpUntil([&] { return Form->BitBtn15->isEnabled(); }));
    // The counters are asked for again; the request and its first resend go unheard.
    server.SetFaults({.SilentRequests = 2});
    server.ClearRequests();
    Form->BitBtn13->click();
    ASSERT_TRUE(PumpUntil([&] { return server.Requests().size() == 2; }));
    Form->BitBtn15->click();  // one alarm event, while the counters' resends still run
    ASSERT_TRUE(PumpUntil([&] { return Form->ListBox1->count() == 1; }));
    PumpFor(2500ms);
    EXPECT_EQ(Form->ListBox1->count(), 1);
    EXPECT_EQ(Heard(server, {0x01, 0x03, 0x03, 0xE8, 0x00, 0x07}), 1u);
    EXPECT_EQ(server.Instrument().State().AlarmUnread, 2u);
    EXPECT_EQ(Form->LabeledEdit13->Text(), "2");
}

TEST_F(StandInTest, FailedDetectionLeavesTheConsoleDisconnectedAndRefreshing) {
    TInstrumentServer& silent = AddServer("port-a", 19200, true);
    StartWindow();
    Form->ToolButton1->click();
    ASSERT_TRUE(PumpUntil([&] { return Panel(5) == "检测失败"; }, 20s)) << Panel(5).toStdString();
    EXPECT_FALSE(Form->State.LinkUp);
    EXPECT_TRUE(Form->Timer3.Enabled());
    silent.ClearRequests();
    Form->BitBtn9->click();  // the parameter page reads only over a link
    PumpFor(200ms);
    EXPECT_TRUE(silent.Requests().empty());
    AddServer("port-b", 19200);
    EXPECT_TRUE(PumpUntil([&] { return Form->ComboBox6->count() == 2; }, 5s));
}

TEST_F(ConsoleTest, ATypedBaudRateIsUsedWithItsLineSettings) {
    ASSERT_TRUE(Form->ComboBox7->isEditable());
    struct Case {
        const char* typed;
        uint8_t baudIndex;
        uint32_t readIntervalTimeout;
    };
    // A rate outside the table keeps the settings of the rate before it.
    for (const Case c : {Case{"1200", 0, 160}, Case{"4800", 2, 50}, Case{"57600", 2, 50}, Case{"2400", 1, 100}}) {
        SCOPED_TRACE(c.typed);
        Form->ComboBox7->lineEdit()->setText(c.typed);
        Connect();
        EXPECT_EQ(Form->Comm1.BaudRate(), QString(c.typed).toUInt());
        EXPECT_EQ(Form->State.BaudIndex, c.baudIndex);
        EXPECT_EQ(Form->Comm1.ReadIntervalTimeout(), c.readIntervalTimeout);
        EXPECT_EQ(Form->ComboBox7->count(), 4);  // the typed rate joins no list
        Form->BitBtn3->click();
    }
}

TEST_F(StandInTest, ThePortBoxShowsShortNamesInNaturalOrderAndOpensThePaths) {
    AddServer("port-10", 115200);
    AddServer("port-9", 115200, true);
    StartWindow();
    ASSERT_EQ(Form->ComboBox6->count(), 2);
    EXPECT_EQ(Form->ComboBox6->itemText(0), "port-9");
    EXPECT_EQ(Form->ComboBox6->itemText(1), "port-10");
    EXPECT_EQ(Form->ComboBox6->currentText(), "port-10");
    EXPECT_EQ(Form->PortPath(), Form->ComboBox6->itemData(1).toString());
    EXPECT_TRUE(Form->PortPath().endsWith("/ombrix-ports/port-10"));
    ConnectToLastPort("115200");
    EXPECT_EQ(Form->Comm1.CommName(), Form->PortPath().toStdString());
}

}  // namespace
}  // namespace console::testing
