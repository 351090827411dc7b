#include <gtest/gtest.h>
#include <modbus.h>

#include <cerrno>
#include <memory>

#include "tools/instrument/history_store.h"
#include "tools/instrument/instrument_server.h"

namespace instrument {
namespace {

// A Modbus master nobody here wrote, on the stand-in's port.
class LibmodbusMaster : public ::testing::Test {
protected:
    void SetUp() override {
        Server.Instrument().Update([](TInstrumentState& s) { s.Temperature = -123; });
        Context.reset(modbus_new_rtu(Server.SlavePath().c_str(), 19200, 'N', 8, 1));
        ASSERT_TRUE(Context);
        ASSERT_EQ(modbus_set_slave(Context.get(), 5), 0);
        modbus_set_response_timeout(Context.get(), 5, 0);
        ASSERT_EQ(modbus_connect(Context.get()), 0) << modbus_strerror(errno);
    }
    void TearDown() override {
        if (Context) modbus_close(Context.get());
    }

    TInstrumentServer Server{{.Address = 5, .BaudRate = 19200}};
    std::unique_ptr<modbus_t, decltype(&modbus_free)> Context{nullptr, &modbus_free};
};

TEST_F(LibmodbusMaster, ReadsHoldingRegisters) {
    uint16_t live[7] = {};
    ASSERT_EQ(modbus_read_registers(Context.get(), 0, 7, live), 7) << modbus_strerror(errno);
    EXPECT_EQ(static_cast<int16_t>(live[0]), -123);
    EXPECT_EQ(live[6], 100);

    uint16_t parameters[ParameterCount] = {};
    ASSERT_EQ(modbus_read_registers(Context.get(), ParameterBase, ParameterCount, parameters), int{ParameterCount});
    const auto expected = Server.Instrument().State().Parameters;
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), parameters));
}

TEST_F(LibmodbusMaster, WritesRegistersAndCoils) {
    ASSERT_EQ(modbus_write_register(Context.get(), 230, 3), 1) << modbus_strerror(errno);
    EXPECT_EQ(Server.Instrument().State().EnergyLevel, 3);

    const uint16_t clock[3] = {0x1803, 0x010C, 0x1E2D};  // 2024-03-01 12:30:45
    ASSERT_EQ(modbus_write_registers(Context.get(), 224, 3, clock), 3) << modbus_strerror(errno);
    const TDateTime now = Server.Instrument().Clock();
    EXPECT_EQ((TDateTime{now.Year, now.Month, now.Day, now.Hour, now.Minute, 0}), (TDateTime{2024, 3, 1, 12, 30, 0}));

    ASSERT_EQ(modbus_write_bit(Context.get(), 3, 1), 1) << modbus_strerror(errno);
    EXPECT_TRUE(Server.Instrument().State().Do1);
    ASSERT_EQ(modbus_write_bit(Context.get(), 3, 0), 1);
    EXPECT_FALSE(Server.Instrument().State().Do1);
}

TEST_F(LibmodbusMaster, SeesExceptionReplies) {
    uint16_t value = 0;
    EXPECT_EQ(modbus_read_registers(Context.get(), 6000, 1, &value), -1);
    EXPECT_EQ(errno, EMBXILADD);
    EXPECT_EQ(modbus_write_register(Context.get(), 230, 9), -1);
    EXPECT_EQ(errno, EMBXILVAL);
    uint8_t bits[1] = {};
    EXPECT_EQ(modbus_read_bits(Context.get(), 3, 1, bits), -1);
    EXPECT_EQ(errno, EMBXILFUN);
    Server.Instrument().Update([](TInstrumentState& s) { s.Parameters[pmDo1Mode] = 0; });
    EXPECT_EQ(modbus_write_bit(Context.get(), 3, 1), -1);
    EXPECT_EQ(errno, EMBXSFAIL);
    // After the refusals the line is still in step.
    EXPECT_EQ(modbus_read_registers(Context.get(), 230, 1, &value), 1);
}

// Blocks of up to 24 records and events fit a standard read.
TEST_F(LibmodbusMaster, ReadsRecordBlocksAndEvents) {
    Server.Instrument().Update([](TInstrumentState& s) {
        GenerateHistory(s, 30, {2024, 3, 1, 0, 0, 0}, 60);
        s.AlarmTotal = s.AlarmUnread = 1;
    });
    const TInstrumentState state = Server.Instrument().State();
    uint16_t block[124] = {};
    ASSERT_EQ(modbus_read_registers(Context.get(), 7, 124, block), 124) << modbus_strerror(errno);
    EXPECT_EQ(block[1], 30);
    EXPECT_EQ(block[3], 6);
    for (uint32_t i = 0; i < 24; ++i) {
        const THistoryRecord record = HistoryRecordAt(state, i);
        EXPECT_EQ(static_cast<int16_t>(block[4 + 5 * i]), record.Temperature);
        EXPECT_EQ(block[5 + 5 * i], record.Humidity);
        EXPECT_EQ(block[8 + 5 * i], (record.Time.Minute << 8) | record.Time.Second);
    }
    ASSERT_EQ(modbus_read_registers(Context.get(), 7, 9, block), 9);
    EXPECT_EQ(block[3], 5);

    uint16_t event[7] = {};
    ASSERT_EQ(modbus_read_registers(Context.get(), 1000, 7, event), 7) << modbus_strerror(errno);
    EXPECT_EQ(event[1], 0);
    EXPECT_EQ(modbus_read_registers(Context.get(), 1000, 7, event), -1);
    EXPECT_EQ(errno, EMBXILVAL);
}

}  // namespace
}  // namespace instrument
