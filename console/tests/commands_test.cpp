#include <gtest/gtest.h>

#include "console/tests/console_fixture.h"

namespace console::testing {
namespace {

using namespace std::chrono_literals;

TEST_F(ConsoleTest, ConnectIdentifiesTheInstrumentAndShowsItsModel) {
    Connect(7);
    EXPECT_EQ(Form->LabeledEdit14->Text(), "7");
    EXPECT_EQ(Panel(1), "打开");
    EXPECT_EQ(Panel(5), "正常");
    EXPECT_EQ(Form->Label7->text(), "秒钟");
    EXPECT_EQ(Form->State.SecondsModel, 1);
    EXPECT_TRUE(Form->State.LinkUp);
    EXPECT_FALSE(Form->Timer3.Enabled());
    EXPECT_FALSE(Form->BitBtn2->isEnabled());
    EXPECT_TRUE(Form->BitBtn3->isEnabled() && Form->BitBtn5->isEnabled() && Form->BitBtn37->isEnabled());
    EXPECT_TRUE(Form->CheckBox3->isChecked() && Form->CheckBox10->isChecked());

    Form->BitBtn3->click();
    EXPECT_EQ(Panel(1), "关闭");
    EXPECT_FALSE(Form->State.LinkUp);
    EXPECT_TRUE(Form->Timer3.Enabled());
    EXPECT_FALSE(Form->BitBtn1->isEnabled() || Form->CheckBox3->isEnabled());
}

TEST_F(ConsoleTest, SavingParametersSendsTheWholeBlockInTenths) {
    Connect();
    const std::pair<TLabeledEdit*, const char*> fields[] = {
        {Form->LabeledEdit7, "1"},    {Form->LabeledEdit8, "-5.5"},  {Form->LabeledEdit9, "35"},
        {Form->LabeledEdit19, "0.5"}, {Form->LabeledEdit10, "90"},   {Form->LabeledEdit11, "10.1"},
        {Form->LabeledEdit20, "2"},   {Form->LabeledEdit21, "1234"}, {Form->LabeledEdit22, "5"},
        {Form->LabeledEdit23, "1"},   {Form->LabeledEdit24, "11"},   {Form->LabeledEdit27, "-0.3"},
        {Form->LabeledEdit28, "0"}};
    for (const auto& [edit, text] : fields) edit->SetText(text);
    Form->ComboBox10->setCurrentIndex(1);
    Form->BitBtn5->click();
    const TBytes frame = Request(57);
    ASSERT_EQ(frame.size(), 57u);
    EXPECT_EQ(TBytes(frame.begin(), frame.begin() + 7), (TBytes{0x01, 0x10, 0x00, 0xC8, 0x00, 0x18, 0x30}));
    const auto reg = [&](int r) { return frame[7 + 2 * (r - 200)] << 8 | frame[8 + 2 * (r - 200)]; };
    EXPECT_EQ(reg(204), 0xFFC9);
    EXPECT_EQ(reg(205), 0x015E);
    EXPECT_EQ(reg(216), 1234);
    EXPECT_EQ(reg(218), 1);   // zigbee PID 1: the unit index goes out instead
    EXPECT_EQ(reg(219), 11);  // a channel of 2 or more goes out as typed
    EXPECT_EQ(reg(220), 0xFFFD);
    EXPECT_EQ(frame, WithCrc(TBytes(frame.begin(), frame.end() - 2)));

    // The echo adopts the address and the baud rate of the block.
    Form->ComboBox1->setCurrentText("19200");
    Pty.Write(WithCrc({0x01, 0x10, 0x00, 0xC8, 0x00, 0x18}));
    ASSERT_TRUE(PumpUntil([&] { return Panel(5) == "设置成功"; }));
    EXPECT_EQ(Form->Comm1.BaudRate(), 19200u);
    EXPECT_FALSE(Form->Timer1.Enabled());
}

TEST_F(ConsoleTest, RangeQueryWritesTheDatesThenReadsTheCount) {
    Connect();
    Form->DateTimePicker2->setDate(QDate(2024, 3, 1));
    Form->DateTimePicker3->setDate(QDate(2024, 3, 31));
    Form->BitBtn29->click();
    EXPECT_EQ(Request(17),
              WithCrc({0x01, 0x10, 0x13, 0x88, 0x00, 0x04, 0x08, 0x18, 0x03, 0x01, 0x00, 0x18, 0x03, 0x1F, 0x00}));
    Pty.Write(WithCrc({0x01, 0x10, 0x13, 0x88, 0x00, 0x04}));
    EXPECT_EQ(Request(8), WithCrc({0x01, 0x03, 0x0F, 0xA0, 0x00, 0x04}));
    EXPECT_EQ(Panel(5), "查询成功");
    Pty.Write(WithCrc({0x01, 0x03, 0x08, 0x00, 0x00, 0x01, 0x2C, 0x00, 0x00, 0x00, 0x01}));
    ASSERT_TRUE(PumpUntil([&] { return Form->LabeledEdit25->Text() == "300"; }));
    EXPECT_EQ(Form->LabeledEdit26->Text(), "1");
    EXPECT_TRUE(Form->BitBtn19->isEnabled());
    EXPECT_FALSE(Form->Timer1.Enabled());
    // A late copy of a count reply answers nothing awaited: it changes nothing.
    Pty.Write(WithCrc({0x01, 0x03, 0x08, 0x00, 0x00, 0x00, 0x07, 0x00, 0x00, 0x00, 0x01}));
    PumpFor(300ms);
    EXPECT_EQ(Form->LabeledEdit25->Text(), "300");
}

TEST_F(ConsoleTest, ClearCommandsNeedThePassword) {
    Connect();
    Dialogs->InputAnswers = {"1234", ""};
    Form->BitBtn33->click();
    Form->BitBtn52->click();
    EXPECT_TRUE(Pty.Read(1, 200ms).empty());
    EXPECT_TRUE(Dialogs->Messages.empty());
    Dialogs->InputAnswers = {"2958"};
    Form->BitBtn53->click();
    EXPECT_EQ(Request(8), WithCrc({0x01, 0x06, 0x01, 0x2E, 0x0B, 0x8E}));
    EXPECT_EQ(Panel(5), "正在重置...");
    EXPECT_EQ(Form->Timer1.Interval(), 8000);
}

TEST_F(ConsoleTest, EnergyLevelIsCheckedBeforeSending) {
    Connect();
    Dialogs->InputAnswers = {"5", "-1"};
    Form->BitBtn49->click();
    Form->BitBtn49->click();
    EXPECT_EQ(Dialogs->Messages, (std::vector<std::string>{"数值超范围", "数值超范围"}));
    EXPECT_TRUE(Pty.Read(1, 200ms).empty());
    Dialogs->InputAnswers = {"x"};
    Form->BitBtn49->click();  // not a number: an error box, nothing sent, the window stays
    EXPECT_EQ(Dialogs->Errors.size(), 1u);
    Dialogs->InputAnswers = {"4"};
    Form->BitBtn49->click();
    EXPECT_EQ(Request(8), WithCrc({0x01, 0x06, 0x00, 0xE6, 0x00, 0x04}));
}

TEST_F(ConsoleTest, ExceptionRepliesShowTheirTexts) {
    Connect();
    struct Case {
        uint8_t code;
        const char* status;
    };
    const Case cases[] = {{1, "功能码错误"}, {2, "该版本不支持"}, {3, "数据错误"}, {4, "控制错误"}, {9, "读取中..."}};
    for (const Case& c : cases) {
        Form->BitBtn6->click();
        ASSERT_EQ(Request(8), WithCrc({0x01, 0x03, 0x00, 0xE0, 0x00, 0x03}));
        Pty.Write(WithCrc({0x01, 0x83, c.code}));
        ASSERT_TRUE(PumpUntil([&] { return !Form->Timer1.Enabled(); }));
        EXPECT_EQ(Panel(5).toStdString(), c.status);
    }
}

TEST_F(ConsoleTest, AddressFieldIsCheckedBeforeAnythingIsSent) {
    Connect();
    Form->LabeledEdit14->SetText("256");
    Form->BitBtn6->click();
    Form->LabeledEdit14->SetText("abc");
    Form->BitBtn13->click();
    EXPECT_EQ(Dialogs->Errors, (std::vector<std::string>{"Range check error", "'abc' is not a valid integer value"}));
    EXPECT_TRUE(Pty.Read(1, 200ms).empty());
}

TEST_F(ConsoleTest, NoReplyGivesThreeReopenedResendsThenATimeout) {
    Connect();
    Form->BitBtn6->click();
    const TBytes request = WithCrc({0x01, 0x03, 0x00, 0xE0, 0x00, 0x03});
    for (int round = 0; round < 4; ++round) EXPECT_EQ(Request(8, 4s), request) << round;
    ASSERT_TRUE(PumpUntil([&] { return Panel(5) == "接收超时"; }, 4s));
    EXPECT_FALSE(Form->Timer1.Enabled());
    EXPECT_EQ(Form->State.RetryCount, 0);
    // The abandoned request's late reply is stale: it fills nothing.
    Pty.Write(WithCrc({0x01, 0x03, 0x06, 0x18, 0x03, 0x01, 0x0C, 0x00, 0x00}));
    PumpFor(300ms);
    EXPECT_NE(Form->Edit1->text(), "2024");
}

TEST_F(ConsoleTest, LosingThePortDuringAResendDisconnects) {
    Connect();
    Form->BitBtn6->click();
    ASSERT_EQ(Request(8).size(), 8u);
    Pty.HangUp();
    ASSERT_TRUE(PumpUntil([&] { return Panel(5) == "端口错误"; }, 4s));
    EXPECT_EQ(Panel(1), "关闭");
    EXPECT_FALSE(Form->State.LinkUp);
    EXPECT_TRUE(Form->BitBtn2->isEnabled() && Form->ToolButton1->isEnabled());
    EXPECT_FALSE(Form->BitBtn6->isEnabled());
}

TEST_F(ConsoleTest, RepliesAreJoinedFromChunksWithinTheBuffers) {
    Connect();
    Form->BitBtn6->click();
    ASSERT_EQ(Request(8).size(), 8u);
    const TBytes reply = WithCrc({0x01, 0x03, 0x06, 0x18, 0x03, 0x01, 0x0C, 0x00, 0x05});
    Form->Comm1ReceiveData(reply.data(), 3);
    Form->Comm1ReceiveData(reply.data() + 3, 4);
    EXPECT_NE(Form->Edit1->text(), "2024");
    Form->Comm1ReceiveData(reply.data() + 7, static_cast<uint16_t>(reply.size() - 7));
    EXPECT_EQ(Form->Edit1->text(), "2024");
    EXPECT_EQ(Form->Edit6->text(), "5");

    // Noise of every size never reads or writes past the buffers.
    TBytes noise(1024);
    for (size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<uint8_t>(i * 37 + 1);
    for (int round = 0; round < 50; ++round)
        Form->Comm1ReceiveData(noise.data(), static_cast<uint16_t>(1 + round * 20));
    Form->Comm1ReceiveData(noise.data(), 1024);
    EXPECT_LE(Form->State.ReplyOffset, 1023);
    // A chunk from a foreign address cannot continue a pending reply.
    Form->State.ReplyOffset = 0;
    const TBytes foreign = {0x05, 0x03};
    Form->Comm1ReceiveData(foreign.data(), 2);
    Form->Comm1ReceiveData(foreign.data(), 2);
    EXPECT_EQ(Form->State.ReplyOffset, 0);
}

}  // namespace
}  // namespace console::testing
