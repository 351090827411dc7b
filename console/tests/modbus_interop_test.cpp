// The console's frames against a Modbus RTU server that nobody here wrote (libmodbus), over
// a line made by socat.
#include <gtest/gtest.h>
#include <modbus/modbus.h>

#include <atomic>
#include <mutex>
#include <thread>

#include "console/tests/console_fixture.h"
#include "platform/testing/socat_pair.h"

namespace console::testing {
namespace {

using namespace std::chrono_literals;

// A libmodbus RTU server for address 1 with 300 holding registers and 10 coils.
class TLibModbusServer {
public:
    explicit TLibModbusServer(const std::string& path) {
        Context_ = modbus_new_rtu(path.c_str(), 9600, 'N', 8, 1);
        modbus_set_slave(Context_, 1);
        Map_ = modbus_mapping_new(10, 0, 300, 0);
        Connected_ = Context_ && Map_ && modbus_connect(Context_) == 0;
        modbus_set_indication_timeout(Context_, 0, 50000);
        if (Connected_) Thread_ = std::thread([this] { Serve(); });
    }
    ~TLibModbusServer() {
        Running_ = false;
        if (Thread_.joinable()) Thread_.join();
        if (Context_) {
            modbus_close(Context_);
            modbus_free(Context_);
        }
        if (Map_) modbus_mapping_free(Map_);
    }
    bool Connected() const { return Connected_; }
    uint16_t Register(int index) {
        std::lock_guard lock(Mutex_);
        return Map_->tab_registers[index];
    }
    void SetRegister(int index, uint16_t value) {
        std::lock_guard lock(Mutex_);
        Map_->tab_registers[index] = value;
    }
    bool Coil(int index) {
        std::lock_guard lock(Mutex_);
        return Map_->tab_bits[index] != 0;
    }

private:
    void Serve() {
        uint8_t query[MODBUS_RTU_MAX_ADU_LENGTH];
        while (Running_) {
            const int length = modbus_receive(Context_, query);
            if (length <= 0) continue;
            std::lock_guard lock(Mutex_);
            modbus_reply(Context_, query, length, Map_);
        }
    }

    modbus_t* Context_ = nullptr;
    modbus_mapping_t* Map_ = nullptr;
    bool Connected_ = false;
    std::atomic<bool> Running_{true};
    std::mutex Mutex_;
    std::thread Thread_;
};

class ModbusInteropTest : public ConsoleTest {
protected:
    void SetUp() override {
        ConsoleTest::SetUp();
        ASSERT_TRUE(Line.Ready()) << "socat did not start";
        Server = std::make_unique<TLibModbusServer>(Line.A());
        ASSERT_TRUE(Server->Connected());
        // Open the line directly: a standard server does not answer the instrument's own
        // identification broadcast, which is not what this test is about.
        Form->Comm1.SetCommName(Line.B());
        Form->Comm1.SetBaudRate(9600);
        Form->Comm1.SetReadIntervalTimeout(30);
        Form->Comm1.OpenPort();
        SetEnabled(
            {Form->BitBtn1, Form->BitBtn4, Form->BitBtn5, Form->BitBtn6, Form->BitBtn8, Form->BitBtn24, Form->BitBtn25},
            true);
    }
    void TearDown() override {
        Form->Comm1.ClosePort();
        Server.reset();
        ConsoleTest::TearDown();
    }

    platform::testing::TSocatPair Line;
    std::unique_ptr<TLibModbusServer> Server;
};

TEST_F(ModbusInteropTest, LiveValuesParametersClockAndCoils) {
    Server->SetRegister(0, static_cast<uint16_t>(-200));  // -20.0 degrees
    Server->SetRegister(1, 1000);                         // 100.0 %
    Server->SetRegister(2, 55);
    Server->SetRegister(5, 9);
    Form->BitBtn1->click();
    ASSERT_TRUE(PumpUntil([&] { return Form->LabeledEdit1->Text() == "-20.0"; }));
    EXPECT_EQ(Form->LabeledEdit2->Text(), "100.0");
    EXPECT_EQ(Form->LabeledEdit3->Text(), "5.5");
    EXPECT_EQ(Form->LabeledEdit6->Text(), "高温+低湿告警");

    const uint16_t parameters[24] = {1, 2,    0,  0, 350, static_cast<uint16_t>(-55), 5, 900, 101, 20, 0, 1, 3, 5, 1,
                                     0, 1234, 10, 1, 0,   static_cast<uint16_t>(-3),  4, 1,   3};
    for (int i = 0; i < 24; ++i) Server->SetRegister(200 + i, parameters[i]);
    Form->BitBtn4->click();
    ASSERT_TRUE(PumpUntil([&] { return Form->LabeledEdit8->Text() == "35.0"; }));
    EXPECT_EQ(Form->LabeledEdit9->Text(), "-5.5");
    EXPECT_EQ(Form->LabeledEdit21->Text(), "1234");
    EXPECT_EQ(Form->ComboBox10->currentIndex(), 1);
    EXPECT_EQ(Form->ComboBox18->currentIndex(), 3);

    // Writing the block back as read leaves the server's registers as they were, but 215,
    // which carries the unit index when written.
    for (int i = 0; i < 24; ++i) Server->SetRegister(200 + i, 0);
    Form->BitBtn5->click();
    ASSERT_TRUE(PumpUntil([&] { return Panel(5) == "设置成功"; }));
    for (int i = 0; i < 24; ++i) {
        const uint16_t expected = i == 15 ? 1 : parameters[i];
        EXPECT_EQ(Server->Register(200 + i), expected) << "register " << 200 + i;
    }

    Server->SetRegister(224, 0x1803);  // 2024-03-31 23:59:58
    Server->SetRegister(225, 0x1F17);
    Server->SetRegister(226, 0x3B3A);
    Form->BitBtn6->click();
    ASSERT_TRUE(PumpUntil([&] { return Form->Edit1->text() == "2024"; }));
    EXPECT_EQ(Form->Edit3->text(), "31");
    EXPECT_EQ(Form->Edit6->text(), "58");
    Form->BitBtn8->click();
    ASSERT_TRUE(PumpUntil([&] { return Server->Register(224) >> 8 == QDate::currentDate().year() - 2000; }));
    EXPECT_EQ(Server->Register(224) & 0xFF, QDate::currentDate().month());

    Form->BitBtn24->click();
    ASSERT_TRUE(PumpUntil([&] { return Server->Coil(3); }));
    EXPECT_TRUE(PumpUntil([&] { return Panel(5) == "操作成功"; }));
    Form->BitBtn25->click();
    ASSERT_TRUE(PumpUntil([&] { return !Server->Coil(3); }));
}

}  // namespace
}  // namespace console::testing
