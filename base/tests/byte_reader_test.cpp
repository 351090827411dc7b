#include "base/byte_reader.h"

#include <gtest/gtest.h>

#include <limits>
#include <stdexcept>
#include <vector>

namespace {

const std::vector<uint8_t> Sample = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09};

TEST(ByteReader, ReadsBothByteOrdersAndAdvances) {
    base::TByteReader r(Sample);
    EXPECT_EQ(r.U8(), 0x01);
    EXPECT_EQ(r.U16LE(), 0x0302);
    EXPECT_EQ(r.U16BE(), 0x0405);
    EXPECT_EQ(r.U32LE(), 0x09080706u);
    EXPECT_TRUE(r.AtEnd());
    EXPECT_EQ(r.U32BEAt(1), 0x02030405u);
    EXPECT_EQ(r.U64LEAt(1), 0x0908070605040302ull);
    EXPECT_EQ(r.Position(), 9u);
}

TEST(ByteReader, RefusesEveryReadPastTheEndWithoutMoving) {
    base::TByteReader r(Sample);
    r.Skip(7);
    EXPECT_THROW(r.U32LE(), base::Exception);
    EXPECT_EQ(r.Position(), 7u);
    EXPECT_THROW(r.Bytes(3), base::Exception);
    EXPECT_THROW(r.Seek(10), base::Exception);
    EXPECT_EQ(r.U16LE(), 0x0908);
    EXPECT_THROW(r.U8(), base::Exception);
    // Offsets near the top of size_t must not wrap around into the buffer.
    EXPECT_THROW(r.U16LEAt(std::numeric_limits<size_t>::max()), base::Exception);
    EXPECT_THROW(r.BytesAt(1, std::numeric_limits<size_t>::max()), base::Exception);
    EXPECT_THROW(r.Sub(8, 2), base::Exception);
}

[[noreturn]] void OwnFailure() { throw std::runtime_error("damaged"); }

TEST(ByteReader, CallsTheFormatsOwnFailureAndSubReadersKeepIt) {
    base::TByteReader r(Sample, OwnFailure);
    base::TByteReader sub = r.Sub(2, 3);
    EXPECT_EQ(sub.U16BE(), 0x0304);
    EXPECT_THROW(sub.U16BE(), std::runtime_error);
    base::TByteReader split = r.Split(2);
    EXPECT_EQ(r.Position(), 2u);
    EXPECT_EQ(split.U16LE(), 0x0201);
    EXPECT_THROW(split.U8(), std::runtime_error);
}

TEST(ByteReader, StoresAndAppendsReadBackTheSame) {
    std::string out;
    base::AppendLE16(out, 0xBEEF);
    base::AppendBE32(out, 0x01020304);
    base::AppendLE64(out, 0x1122334455667788ull);
    base::TByteReader r(out);
    EXPECT_EQ(r.U16LE(), 0xBEEF);
    EXPECT_EQ(r.U32BE(), 0x01020304u);
    EXPECT_EQ(r.U64LE(), 0x1122334455667788ull);
    uint8_t raw[8];
    base::StoreLE64(raw, std::bit_cast<uint64_t>(-2.5));
    EXPECT_EQ(base::LoadLEDouble(raw), -2.5);
}

}  // namespace
