#include <gtest/gtest.h>

#include <zlib.h>

#include <cstring>
#include <vector>

#include "base/memory_stream.h"
#include "workbook/ooxml/tests/external_tools.h"
#include "workbook/ooxml/zip/zlib_buffers.h"
#include "workbook/ooxml/zip/zlib_streams.h"

namespace xls {
namespace {

using base::TMemoryStream;
using base::TSeekOrigin;

std::vector<uint8_t> Bytes(TMemoryStream& stream) { return {stream.Memory(), stream.Memory() + stream.Size()}; }

// Raw inflate with zlib itself, independent of our streams.
std::vector<uint8_t> RawInflate(const std::vector<uint8_t>& in, size_t expected) {
    std::vector<uint8_t> out(expected + 1);
    z_stream z{};
    EXPECT_EQ(inflateInit2(&z, -15), Z_OK);
    z.next_in = const_cast<Bytef*>(in.data());
    z.avail_in = static_cast<uInt>(in.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(inflate(&z, Z_FINISH), Z_STREAM_END);
    out.resize(z.total_out);
    inflateEnd(&z);
    return out;
}

std::vector<uint8_t> Compress(const std::vector<uint8_t>& data, int64_t writeSize) {
    TMemoryStream dest;
    TCompressionStream stream(TCompressionLevel::clFastest, true, dest);
    for (size_t at = 0; at < data.size(); at += static_cast<size_t>(writeSize))
        stream.WriteBuffer(data.data() + at, std::min<int64_t>(writeSize, static_cast<int64_t>(data.size() - at)));
    stream.Finish();
    EXPECT_EQ(stream.CRC32(), crc32(0, data.data(), static_cast<uInt>(data.size())));
    EXPECT_EQ(stream.TotalIn(), static_cast<int64_t>(data.size()));
    return Bytes(dest);
}

TEST(CompressionStream, AnyWritePatternGivesTheSameDataAndCrc) {
    const auto data = testing::SampleBytes(300000, 7);
    for (int64_t writeSize : {1, 100, 8191, 8192, 70000, 300000}) {
        SCOPED_TRACE(writeSize);
        EXPECT_EQ(RawInflate(Compress(data, writeSize), data.size()), data);
    }
}

TEST(CompressionStream, EmptyAndKnownCrc) {
    TMemoryStream dest;
    {
        TCompressionStream stream(TCompressionLevel::clFastest, true, dest);
        EXPECT_EQ(stream.CRC32(), 0u);
    }
    EXPECT_EQ(Bytes(dest), (std::vector<uint8_t>{0x03, 0x00}));
    TMemoryStream dest2;
    TCompressionStream stream(TCompressionLevel::clMax, false, dest2);
    stream.WriteBuffer("abc", 3);
    stream.Finish();
    EXPECT_EQ(stream.CRC32(), 0x352441C2u);
    // zlib format: header 0x78 0xDA at level 9.
    ASSERT_GE(dest2.Size(), 2);
    EXPECT_EQ(dest2.Memory()[0], 0x78);
    EXPECT_EQ(dest2.Memory()[1], 0xDA);
}

TEST(CompressionStream, GathersSmallWritesAndCountsOnlyCompressedInput) {
    TMemoryStream dest;
    TCompressionStream stream(TCompressionLevel::clFastest, true, dest);
    const uint8_t byte = 'x';
    for (int i = 0; i < 8191; ++i) stream.WriteBuffer(&byte, 1);
    EXPECT_EQ(stream.Seek(0, TSeekOrigin::soCurrent), 0);
    stream.WriteBuffer(&byte, 1);
    EXPECT_EQ(stream.Seek(0, TSeekOrigin::soCurrent), 8191);
    std::vector<uint8_t> big(8192, 'y');
    stream.WriteBuffer(big.data(), 8192);
    EXPECT_EQ(stream.TotalIn(), 8191 + 1 + 8192);
}

TEST(CompressionStream, WrongDirectionAndSeeksAreRefused) {
    TMemoryStream dest;
    TCompressionStream stream(TCompressionLevel::clFastest, true, dest);
    char buffer[4];
    EXPECT_THROW(stream.Read(buffer, 4), ECompressionError);
    EXPECT_THROW(stream.Seek(1, TSeekOrigin::soCurrent), ECompressionError);
    EXPECT_THROW(stream.Seek(0, TSeekOrigin::soBeginning), ECompressionError);
    stream.Finish();
    EXPECT_THROW(stream.Write("a", 1), ECompressionError);
}

TEST(CompressionStream, PutsTheDestinationBackWhenSomeoneMovedIt) {
    const auto data = testing::SampleBytes(200000, 3);
    TMemoryStream dest;
    dest.WriteBuffer("HEAD", 4);
    TCompressionStream stream(TCompressionLevel::clFastest, true, dest);
    stream.WriteBuffer(data.data(), 100000);
    dest.SetPosition(0);  // someone else rewrites the start meanwhile
    dest.WriteBuffer("head", 4);
    stream.WriteBuffer(data.data() + 100000, 100000);
    stream.Finish();
    const auto all = Bytes(dest);
    EXPECT_EQ(std::string(all.begin(), all.begin() + 4), "head");
    EXPECT_EQ(RawInflate({all.begin() + 4, all.end()}, data.size()), data);
}

struct TDeflated {
    std::vector<uint8_t> Data = testing::SampleBytes(150000, 11);
    std::vector<uint8_t> Packed = Compress(Data, 150000);
};

TEST(DecompressionStream, ReadsInPiecesSeeksAndRestarts) {
    TDeflated d;
    TMemoryStream source = TMemoryStream::View(d.Packed.data(), static_cast<int64_t>(d.Packed.size()));
    TDecompressionStream stream(source);
    std::vector<uint8_t> out(d.Data.size());
    for (size_t at = 0; at < out.size(); at += 4095)
        stream.ReadBuffer(out.data() + at, std::min<int64_t>(4095, static_cast<int64_t>(out.size() - at)));
    EXPECT_EQ(out, d.Data);
    char extra;
    EXPECT_EQ(stream.Read(&extra, 1), 0);
    EXPECT_EQ(stream.Seek(0, TSeekOrigin::soBeginning), 0);
    EXPECT_EQ(stream.Seek(1000, TSeekOrigin::soCurrent), 1000);
    EXPECT_EQ(stream.Seek(5000, TSeekOrigin::soBeginning), 5000);
    uint8_t b;
    stream.ReadBuffer(&b, 1);
    EXPECT_EQ(b, d.Data[5000]);
    EXPECT_THROW(stream.Seek(10, TSeekOrigin::soBeginning), EDecompressionError);
    EXPECT_THROW(stream.Seek(0, TSeekOrigin::soEnd), EDecompressionError);
    EXPECT_THROW(stream.Write("a", 1), EDecompressionError);
    EXPECT_THROW(stream.Seek(1 << 30, TSeekOrigin::soCurrent), base::EReadError);
}

TEST(DecompressionStream, TwoStreamsOverOneSourceKeepTheirOwnPlace) {
    TDeflated d;
    TMemoryStream source;
    source.WriteBuffer(d.Packed.data(), static_cast<int64_t>(d.Packed.size()));
    source.WriteBuffer(d.Packed.data(), static_cast<int64_t>(d.Packed.size()));
    source.SetPosition(0);
    TDecompressionStream first(source, static_cast<int64_t>(d.Packed.size()));
    source.SetPosition(static_cast<int64_t>(d.Packed.size()));
    TDecompressionStream second(source, static_cast<int64_t>(d.Packed.size()));
    std::vector<uint8_t> a(d.Data.size()), b(d.Data.size());
    for (size_t at = 0; at < a.size(); at += 1000) {
        const int64_t n = std::min<int64_t>(1000, static_cast<int64_t>(a.size() - at));
        ASSERT_EQ(first.ReadLimited(a.data() + at, n), n);
        ASSERT_EQ(second.ReadLimited(b.data() + at, n), n);
    }
    EXPECT_EQ(a, d.Data);
    EXPECT_EQ(b, d.Data);
}

TEST(DecompressionStream, LimitAndBadInput) {
    TDeflated d;
    TMemoryStream source = TMemoryStream::View(d.Packed.data(), static_cast<int64_t>(d.Packed.size()));
    std::vector<uint8_t> out(d.Data.size());
    TDecompressionStream none(source, 0);
    EXPECT_EQ(none.ReadLimited(out.data(), 100), 0);
    source.SetPosition(0);
    TDecompressionStream some(source, 1000);
    const int64_t got = some.ReadLimited(out.data(), static_cast<int64_t>(out.size()));
    EXPECT_GT(got, 0);
    EXPECT_LT(got, static_cast<int64_t>(d.Data.size()));
    EXPECT_TRUE(std::equal(out.begin(), out.begin() + got, d.Data.begin()));

    const std::vector<uint8_t> garbage(64, 0xFF);
    TMemoryStream bad = TMemoryStream::View(garbage.data(), 64);
    TDecompressionStream broken(bad);
    EXPECT_THROW(broken.Read(out.data(), 100), EDecompressionError);
}

TEST(ZlibBuffers, RoundTripAndBadInput) {
    for (size_t size : {size_t{0}, size_t{1}, size_t{100}, size_t{1} << 20}) {
        SCOPED_TRACE(size);
        const auto data = testing::SampleBytes(size, 5);
        const auto packed = DeflateBuffer(data.data(), static_cast<int64_t>(data.size()));
        EXPECT_EQ(InflateBuffer(packed.data(), static_cast<int64_t>(packed.size())), data);
        // A limit of exactly the size passes; one byte less refuses.
        EXPECT_EQ(InflateBuffer(packed.data(), static_cast<int64_t>(packed.size()), static_cast<int64_t>(size)), data);
        if (size > 0) {
            EXPECT_THROW(
                InflateBuffer(packed.data(), static_cast<int64_t>(packed.size()), static_cast<int64_t>(size) - 1),
                EDecompressionError);
        }
    }
    const auto data = testing::SampleBytes(5000, 9);
    auto packed = DeflateBuffer(data.data(), static_cast<int64_t>(data.size()));
    EXPECT_THROW(InflateBuffer(packed.data(), static_cast<int64_t>(packed.size()) - 5), EDecompressionError);
    packed[packed.size() / 2] ^= 0x55;
    packed[packed.size() / 2 + 1] ^= 0xAA;
    EXPECT_THROW(InflateBuffer(packed.data(), static_cast<int64_t>(packed.size())), EDecompressionError);
    EXPECT_THROW(InflateBuffer(data.data(), 100), EDecompressionError);
}

TEST(ZlibBuffers, HighlyCompressedDataInflatesWhole) {
    const std::vector<uint8_t> zeros(16 << 20, 0);
    const auto packed = DeflateBuffer(zeros.data(), static_cast<int64_t>(zeros.size()));
    EXPECT_LT(packed.size(), size_t{20000});
    EXPECT_EQ(InflateBuffer(packed.data(), static_cast<int64_t>(packed.size())), zeros);
}

}  // namespace
}  // namespace xls
