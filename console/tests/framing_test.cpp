#include <gtest/gtest.h>

#include <vector>

#include "base/exception.h"
#include "console/conversions.h"
#include "console/crc16.h"
#include "console/model_text.h"

namespace console {
namespace {

TEST(Framing, CrcOfKnownFrames) {
    struct Case {
        std::vector<uint8_t> frame;
        uint16_t crc;  // high half: the byte sent first
    };
    const Case cases[] = {
        {{0x01, 0x03, 0x00, 0x00, 0x00, 0x06}, 0xC5C8},  // live values of address 1
        {{0xFF, 0x03, 0x00, 0xC8, 0x00, 0x01}, 0x102A},  // identification broadcast
        {{}, 0xFFFF},
    };
    for (const Case& c : cases) EXPECT_EQ(Crc16Modbus(c.frame.data(), c.frame.size()), c.crc);
}

TEST(Conversions, TenthsAreExactFromTheTypedDigits) {
    struct Case {
        const char* text;
        int32_t tenths;
    };
    const Case cases[] = {{"35", 350},    {"-5.5", -55}, {"23.4", 234}, {"0.29", 2},  {"-0.05", 0},
                          {" 7.09 ", 70}, {"+1.", 10},   {".5", 5},     {"100", 1000}};
    for (const Case& c : cases) EXPECT_EQ(TenthsOf(c.text), c.tenths) << c.text;
    EXPECT_EQ(Low16(TenthsOf("-5.5")), 0xFFC9);
    EXPECT_EQ(Low16(TenthsOf("35")), 0x015E);
    for (const char* bad : {"", "abc", "1.2.3", "-", "1e3", "5,5", "999999999", "-300000000"})
        EXPECT_THROW(TenthsOf(bad), base::EConvertError) << bad;
}

TEST(Conversions, IntegersAndBytes) {
    EXPECT_EQ(StrToInt(" 42"), 42);
    EXPECT_EQ(StrToInt("-7"), -7);
    EXPECT_EQ(StrToInt("$1F"), 31);
    EXPECT_EQ(StrToByte("255"), 255);
    for (const char* bad : {"", "12a", "4 2", "99999999999"}) EXPECT_THROW(StrToInt(bad), base::EConvertError) << bad;
    EXPECT_THROW(StrToByte("256"), ERangeError);
    EXPECT_THROW(StrToByte("-1"), ERangeError);
    try {
        StrToInt("x1");
    } catch (const base::EConvertError& e) {
        EXPECT_EQ(e.Message(), "'x1' is not a valid integer value");
    }
}

TEST(ModelText, ClassCapacityOptionsAndVersion) {
    struct Case {
        uint8_t model, options;
        uint16_t version;
        const char* text;
        const char* unit;
        bool seconds;
    };
    const Case cases[] = {
        {0x14, 0x08, 101, "THKB1,30万组,PT,V101", "秒钟", true},
        {0x25, 0x00, 7, "TKB2,30万组+SD,V7", "秒钟", true},
        {0x09, 0x00, 0, "KA2,V0", "分钟", false},
        {0x31, 0x1C, 12, "HKA1,5万组,QV2,V12", "分钟", false},
        {0x38, 0x10, 3, "HKC3,40万组,QV3,V3", "秒钟", true},
        {0xF0, 0x00, 65535, "KA2,V65535", "分钟", false},
    };
    for (const Case& c : cases) {
        const TModelInfo info = DescribeModel(c.model, c.options, c.version);
        EXPECT_EQ(info.Text.toStdString(), c.text);
        EXPECT_EQ(info.IntervalUnit.toStdString(), c.unit);
        EXPECT_EQ(info.SecondsModel, c.seconds);
    }
}

}  // namespace
}  // namespace console
