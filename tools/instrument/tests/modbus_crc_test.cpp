#include <gtest/gtest.h>

#include <string_view>

#include "tools/instrument/modbus_crc.h"

namespace instrument {
namespace {

TEST(ModbusCrc, KnownFrames) {
    struct TCase {
        std::vector<uint8_t> Bytes;
        uint8_t Low;
        uint8_t High;
    };
    const std::string_view check = "123456789";
    const TCase cases[] = {
        {{0x01, 0x03, 0x00, 0x00, 0x00, 0x06}, 0xC5, 0xC8},  // live values of address 1
        {{0xFF, 0x03, 0x00, 0xC8, 0x00, 0x01}, 0x10, 0x2A},  // identification broadcast
        {{check.begin(), check.end()}, 0x37, 0x4B},          // the CRC catalogue's check value 0x4B37
        {{}, 0xFF, 0xFF},
    };
    for (const TCase& c : cases) {
        std::vector<uint8_t> frame = c.Bytes;
        AppendModbusCrc(frame);
        ASSERT_EQ(frame.size(), c.Bytes.size() + 2);
        EXPECT_EQ(frame[frame.size() - 2], c.Low);
        EXPECT_EQ(frame[frame.size() - 1], c.High);
    }
}

TEST(ModbusCrc, ValidityNeedsBothBytesAndALength) {
    std::vector<uint8_t> frame{0x01, 0x03, 0x00, 0x00, 0x00, 0x06, 0xC5, 0xC8};
    EXPECT_TRUE(HasValidModbusCrc(frame));
    frame[7] ^= 0x01;
    EXPECT_FALSE(HasValidModbusCrc(frame));
    frame = {0xFF, 0xFF};  // the CRC of nothing, but too short for a frame
    EXPECT_FALSE(HasValidModbusCrc(frame));
}

}  // namespace
}  // namespace instrument
