// The window driven against the instrument stand-in, as an operator would use it.
#include <gtest/gtest.h>

#include <cstdlib>

#include "console/tests/instrument_fixture.h"

namespace console::testing {
namespace {

using namespace std::chrono_literals;
using instrument::TInstrumentServer;

std::vector<uint32_t> Rates(const TInstrumentServer& server) {
    std::vector<uint32_t> rates;
    for (const auto& request : server.Requests())
        if (request.Frame.size() >= 2 && request.Frame[0] == 0xFF) rates.push_back(request.LineBaudRate);
    return rates;
}

TEST_F(StandInTest, DetectionScansPortsAndRatesUntilTheInstrumentAnswers) {
    TInstrumentServer& first = AddServer("port-a", 19200);
    TInstrumentServer& second = AddServer("port-b", 19200, true);
    TInstrumentServer& third = AddServer("port-c", 19200, true);
    StartWindow();
    ASSERT_EQ(Form->ComboBox6->count(), 3);
    Form->ToolButton1->click();
    ASSERT_TRUE(PumpUntil([&] { return Form->State.LinkUp && Panel(5) == "检测完成"; }, 20s)) << Panel(5).toStdString();
    // The shown port and rate first, then from the last port down, each from the first rate.
    EXPECT_EQ(Rates(third), (std::vector<uint32_t>{115200, 9600, 19200, 115200, 1000000}));
    EXPECT_EQ(Rates(second), (std::vector<uint32_t>{9600, 19200, 115200, 1000000}));
    EXPECT_EQ(Rates(first), (std::vector<uint32_t>{9600, 19200}));
    EXPECT_EQ(Dialogs->Messages, (std::vector<std::string>{"连接成功！" + std::string(17, ' ')}));
    EXPECT_EQ(Panel(7), "THKB1,30万组,PT,V101");
    EXPECT_EQ(Form->LabeledEdit14->Text(), "1");
    EXPECT_FALSE(Form->Timer6.Enabled());
    EXPECT_TRUE(Form->BitBtn4->isEnabled() && Form->BitBtn3->isEnabled());
    EXPECT_FALSE(Form->ComboBox6->isEnabled());
}

TEST_F(StandInTest, DetectionOffersToSetADriftedClock) {
    TInstrumentServer& server = AddServer("port-a", 9600);
    server.Instrument().Update([](instrument::TInstrumentState& state) { state.ClockOffset = -600; });
    StartWindow();
    Dialogs->BoxAnswers = {platform::IDOK};
    Form->ToolButton1->click();
    ASSERT_TRUE(PumpUntil([&] { return Panel(5) == "检测完成"; }, 10s));
    EXPECT_EQ(Dialogs->Prompts, (std::vector<std::string>{"已经连接，时间有偏差，是否校准？"}));
    ASSERT_TRUE(PumpUntil([&] { return std::llabs(server.Instrument().State().ClockOffset) < 5; }));
}

TEST_F(StandInTest, ParametersAndClockRoundTrip) {
    TInstrumentServer& server = AddServer("port-a", 115200);
    StartWindow();
    ConnectToLastPort("115200");
    Form->BitBtn4->click();
    ASSERT_TRUE(PumpUntil([&] { return Form->BitBtn5->isEnabled() && Panel(5) == "正常"; }));
    EXPECT_EQ(Form->LabeledEdit7->Text(), "1");
    Form->LabeledEdit8->SetText("-5.5");
    Form->LabeledEdit9->SetText("35");
    Form->BitBtn5->click();
    ASSERT_TRUE(PumpUntil([&] { return Panel(5) == "设置成功"; }));
    EXPECT_EQ(server.Instrument().Register(204), 0xFFC9);
    EXPECT_EQ(server.Instrument().Register(205), 0x015E);

    server.Instrument().Update([](instrument::TInstrumentState& state) { state.ClockOffset = 3 * 86400; });
    Form->BitBtn6->click();
    const QDate shifted = QDate::currentDate().addDays(3);
    ASSERT_TRUE(PumpUntil([&] { return Form->Edit3->text() == QString::number(shifted.day()); }));
    Form->BitBtn8->click();
    ASSERT_TRUE(PumpUntil([&] { return std::llabs(server.Instrument().State().ClockOffset) < 5; }));

    Form->BitBtn50->click();
    ASSERT_TRUE(PumpUntil([&] { return Form->LabeledEdit29->Text() == "240301000001"; }));
    EXPECT_EQ(Form->LabeledEdit30->Text(), "101");
}

TEST_F(StandInTest, LiveValuesSurviveSplitRepliesAndForeignAnswersAreResent) {
    TInstrumentServer& server = AddServer("port-a", 115200);
    StartWindow();
    ConnectToLastPort("115200");
    server.SetFaults({.ChunkSize = 4, .ChunkPause = 1ms});
    Form->BitBtn1->click();
    ASSERT_TRUE(PumpUntil([&] { return Form->LabeledEdit1->Text() == "23.5"; }));
    EXPECT_EQ(Form->LabeledEdit2->Text(), "45.6");

    // A reply from another address is not taken: the reply timer resends until it gives up.
    server.SetFaults({.ReplyAddress = 9});
    server.ClearRequests();
    Form->LabeledEdit1->SetText("");
    Form->BitBtn1->click();
    ASSERT_TRUE(PumpUntil([&] { return Panel(5) == "接收超时"; }, 10s));
    EXPECT_EQ(server.Requests().size(), 4u);
    EXPECT_EQ(Form->LabeledEdit1->Text(), "");
}

TEST_F(StandInTest, RefusedCommandsShowTheInstrumentsAnswer) {
    TInstrumentServer& server = AddServer("port-a", 115200);
    StartWindow();
    ConnectToLastPort("115200");
    server.Instrument().Update(
        [](instrument::TInstrumentState& state) { state.Parameters[instrument::pmDo1Mode] = 0; });
    Form->BitBtn24->click();  // DO1 follows the alarms: it cannot be driven
    ASSERT_TRUE(PumpUntil([&] { return Panel(5) == "控制错误"; }));
}

TEST_F(StandInTest, PullingThePortDuringAResendDisconnects) {
    TInstrumentServer& server = AddServer("port-a", 115200);
    StartWindow();
    ConnectToLastPort("115200");
    server.SetFaults({.Silent = true});
    server.ClearRequests();
    Form->BitBtn6->click();
    ASSERT_TRUE(server.WaitForRequests(1, 2s));
    server.PullPort();
    ASSERT_TRUE(PumpUntil([&] { return Panel(5) == "端口错误"; }, 5s));
    EXPECT_EQ(Panel(1), "关闭");
    EXPECT_TRUE(Form->BitBtn2->isEnabled());
}

}  // namespace
}  // namespace console::testing
