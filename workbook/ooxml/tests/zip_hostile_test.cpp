// Archives and zlib data built to hurt: deflate bombs, central records that share or point
// into one entry's data, ZIP64 archives, and several readers or writers on one entry.
#include <gtest/gtest.h>

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "base/memory_stream.h"
#include "workbook/ooxml/tests/external_tools.h"
#include "workbook/ooxml/zip/zip_archive.h"
#include "workbook/ooxml/zip/zip_archive_intf.h"
#include "workbook/ooxml/zip/zlib_buffers.h"

namespace xls {
namespace {

using base::TMemoryStream;

constexpr int64_t MiB = int64_t{1} << 20;

// Deflate data of mebibytes MiB of zeros, made in a moment: one fully flushed block of a MiB
// of zeros repeated (each decodes alone), then an empty final block.
struct TZeroBomb {
    std::vector<uint8_t> Raw;  // raw deflate, as in a ZIP entry
    uint32_t Crc = 0;
    uint32_t Adler = 1;

    explicit TZeroBomb(int64_t mebibytes) {
        const std::vector<uint8_t> zeros(static_cast<size_t>(MiB), 0);
        std::vector<uint8_t> block(static_cast<size_t>(MiB)), tail(64);
        z_stream z{};
        deflateInit2(&z, 9, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
        z.next_in = const_cast<Bytef*>(zeros.data());
        z.avail_in = static_cast<uInt>(zeros.size());
        z.next_out = block.data();
        z.avail_out = static_cast<uInt>(block.size());
        deflate(&z, Z_FULL_FLUSH);
        const auto blockEnd = block.begin() + (z.next_out - block.data());
        z.next_out = tail.data();
        z.avail_out = static_cast<uInt>(tail.size());
        deflate(&z, Z_FINISH);
        const auto tailEnd = tail.begin() + (z.next_out - tail.data());
        deflateEnd(&z);
        const uint32_t zerosCrc = static_cast<uint32_t>(crc32(0, zeros.data(), static_cast<uInt>(MiB)));
        const uint32_t zerosAdler = static_cast<uint32_t>(adler32(1, zeros.data(), static_cast<uInt>(MiB)));
        for (int64_t i = 0; i < mebibytes; ++i) {
            Raw.insert(Raw.end(), block.begin(), blockEnd);
            Crc = static_cast<uint32_t>(crc32_combine(Crc, zerosCrc, MiB));
            Adler = static_cast<uint32_t>(adler32_combine(Adler, zerosAdler, MiB));
        }
        Raw.insert(Raw.end(), tail.begin(), tailEnd);
    }

    // The same data in zlib format, as InflateBuffer takes it.
    std::vector<uint8_t> Zlib() const {
        std::vector<uint8_t> out(2 + Raw.size());
        out[0] = 0x78;
        out[1] = 0xDA;
        std::copy(Raw.begin(), Raw.end(), out.begin() + 2);
        for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(Adler >> shift));
        return out;
    }
};

// An archive put together record by record, so that its records can say anything.
struct TRawArchive {
    std::vector<uint8_t> Bytes;

    // Appends a local entry and returns a central record that describes it.
    TCentralDirectoryFile AddLocal(const std::string& name, uint16_t method, const std::vector<uint8_t>& data,
                                   uint32_t crc, uint32_t uncompressedSize) {
        TLocalFile l;
        l.Method = method;
        l.Crc32 = crc;
        l.CompressedSize = static_cast<uint32_t>(data.size());
        l.UncompressedSize = uncompressedSize;
        l.NameLength = static_cast<uint16_t>(name.size());
        TCentralDirectoryFile c;
        c.Method = method;
        c.Crc32 = crc;
        c.CompressedSize = l.CompressedSize;
        c.UncompressedSize = uncompressedSize;
        c.NameLength = l.NameLength;
        c.Name = name;
        c.LocalHeaderOffset = static_cast<uint32_t>(Bytes.size());
        Append(l.Encode());
        Bytes.insert(Bytes.end(), name.begin(), name.end());
        Bytes.insert(Bytes.end(), data.begin(), data.end());
        return c;
    }

    // Appends the directory of these records and the end record.
    void Finish(const std::vector<TCentralDirectoryFile>& records) {
        TEndRecord end;
        end.CentralDirOffset = static_cast<uint32_t>(Bytes.size());
        for (const auto& c : records) {
            Append(c.Encode());
            Bytes.insert(Bytes.end(), c.Name.begin(), c.Name.end());
            Bytes.insert(Bytes.end(), c.Extra.begin(), c.Extra.end());
        }
        end.EntriesOnDisk = end.EntriesTotal = static_cast<uint16_t>(records.size());
        end.CentralDirSize = static_cast<uint32_t>(Bytes.size() - end.CentralDirOffset);
        Append(end.Encode());
    }

    TMemoryStream View() const { return TMemoryStream::View(Bytes.data(), static_cast<int64_t>(Bytes.size())); }

private:
    template <size_t N>
    void Append(const std::array<uint8_t, N>& fixed) {
        Bytes.insert(Bytes.end(), fixed.begin(), fixed.end());
    }
};

std::vector<uint8_t> Text(const std::string& text) { return {text.begin(), text.end()}; }

uint32_t Crc(const std::vector<uint8_t>& data) {
    return static_cast<uint32_t>(crc32(0, data.data(), static_cast<uInt>(data.size())));
}

template <class Action>
std::string ErrorOf(Action&& action) {
    try {
        action();
    } catch (const base::Exception& e) {
        return e.what();
    }
    return "no error";
}

TEST(ZipBombs, EntriesAboveTheLimitAreRefusedBeforeAnythingIsInflated) {
    // A thousand MiB of zeros in about a MiB: deflate's best ratio, so only the limit stops it.
    const TZeroBomb bomb(1000);
    TRawArchive raw;
    const auto c = raw.AddLocal("xl/worksheets/sheet1.xml", 8, bomb.Raw, bomb.Crc, 1000 * MiB);
    raw.Finish({c});
    TMemoryStream view = raw.View();
    TXLSZipArchiveIntfXLS intf;
    intf.OpenRead(view);
    TXLSZipArchive zip;
    zip.OpenFromStream(view);
    ASSERT_EQ(zip.Count(), 1);
    EXPECT_EQ(zip.MaxEntrySize(), DefaultInflateLimit);
    const std::string refusal =
        "Zip entry \"xl/worksheets/sheet1.xml\" is larger (1048576000 bytes) than the limit of 268435456 bytes";
    TMemoryStream out;
    EXPECT_EQ(ErrorOf([&] { zip.GetFiles(0).ExtractToStream(out); }), refusal);
    EXPECT_EQ(out.Size(), 0);
    EXPECT_EQ(ErrorOf([&] { zip.GetFiles(0).Size(); }), refusal);
    EXPECT_EQ(ErrorOf([&] { intf.OpenFile("xl/worksheets/sheet1.xml"); }), refusal);
}

TEST(ZipBombs, TheLimitIsTheCallersAndExtractionStopsAtTheDeclaredSize) {
    const TZeroBomb bomb(8);
    TRawArchive raw;
    auto honest = raw.AddLocal("honest.bin", 8, bomb.Raw, bomb.Crc, static_cast<uint32_t>(8 * MiB));
    // Declares one MiB and carries eight: only the declared MiB comes out.
    const TZeroBomb one(1);
    auto liar = raw.AddLocal("liar.bin", 8, bomb.Raw, one.Crc, static_cast<uint32_t>(MiB));
    raw.Finish({honest, liar});
    TMemoryStream view = raw.View();
    TXLSZipArchive zip;
    zip.OpenFromStream(view);
    zip.SetMaxEntrySize(4 * MiB);
    TMemoryStream out;
    EXPECT_EQ(ErrorOf([&] { zip.GetFiles(0).ExtractToStream(out); }),
              "Zip entry \"honest.bin\" is larger (8388608 bytes) than the limit of 4194304 bytes");
    zip.GetFiles(1).ExtractToStream(out);
    EXPECT_EQ(out.Size(), MiB);
    zip.SetMaxEntrySize(8 * MiB);
    TMemoryStream all;
    zip.GetFiles(0).ExtractToStream(all);
    EXPECT_EQ(all.Size(), 8 * MiB);
}

TEST(ZipBombs, InflateBufferStopsAtItsLimitAndReturnsExactlyWhatItInflated) {
    const auto bomb = TZeroBomb(300).Zlib();
    const auto size = static_cast<int64_t>(bomb.size());
    EXPECT_EQ(ErrorOf([&] { InflateBuffer(bomb.data(), size); }), "Inflated data exceeds the limit of 268435456 bytes");
    EXPECT_EQ(ErrorOf([&] { InflateBuffer(bomb.data(), size, 5 * MiB); }),
              "Inflated data exceeds the limit of 5242880 bytes");
    const auto small = TZeroBomb(3).Zlib();
    const auto out = InflateBuffer(small.data(), static_cast<int64_t>(small.size()), 3 * MiB);
    EXPECT_EQ(out.size(), static_cast<size_t>(3 * MiB));
    EXPECT_EQ(out.capacity(), out.size());
}

TEST(ZipArchive, CentralRecordsThatShareOrMisnameLocalEntriesAreRefused) {
    // The first entry's stored data holds a whole local entry of its own.
    TRawArchive inner;
    const auto hidden = inner.AddLocal("b.xml", 0, Text("hidden"), Crc(Text("hidden")), 6);
    TRawArchive raw;
    const auto outer =
        raw.AddLocal("a.xml", 0, inner.Bytes, Crc(inner.Bytes), static_cast<uint32_t>(inner.Bytes.size()));
    auto inside = hidden;
    inside.LocalHeaderOffset = outer.LocalHeaderOffset + 30 + 5;
    auto misnamed = outer;
    misnamed.Name = "c.xml";
    const std::pair<const char*, std::vector<TCentralDirectoryFile>> cases[] = {
        {"Zip entries \"a.xml\" and \"a.xml\" overlap", std::vector<TCentralDirectoryFile>(8, outer)},
        {"Zip entries \"a.xml\" and \"b.xml\" overlap", {outer, inside}},
        {"Zip entry \"c.xml\" does not match its local header", {outer, misnamed}},
    };
    for (const auto& [message, records] : cases) {
        SCOPED_TRACE(message);
        TRawArchive archive = raw;
        archive.Finish(records);
        TMemoryStream view = archive.View();
        TXLSZipArchive zip;
        EXPECT_EQ(ErrorOf([&] { zip.OpenFromStream(view); }), message);
        EXPECT_EQ(zip.Count(), 0);
    }
    TRawArchive fine = raw;
    fine.Finish({outer});
    TMemoryStream view = fine.View();
    TXLSZipArchive zip;
    zip.OpenFromStream(view);
    EXPECT_EQ(zip.Count(), 1);
}

TEST(ZipArchive, Zip64ArchivesAreRefusedNotHalfListed) {
    testing::TTempDir dir;
    const auto made = testing::RunCommand("cd " + testing::ShellQuote(dir.Path().string()) +
                                          " && echo a > a.txt && echo bb > b.txt && echo ccc > c.txt"
                                          " && zip -q -fz z64.zip a.txt b.txt c.txt");
    ASSERT_EQ(made.ExitCode, 0) << made.Output;
    const auto infoZip = testing::ReadFileBytes(dir / "z64.zip");
    // Plain archives whose records say "look in the ZIP64 fields".
    TRawArchive raw;
    auto big = raw.AddLocal("a.xml", 0, Text("a"), Crc(Text("a")), 1);
    TRawArchive extraBlock = raw;
    big.Extra = std::string("\x01\x00\x08\x00\x01\x00\x00\x00\x00\x00\x00\x00", 12);
    big.ExtraLength = 12;
    extraBlock.Finish({big});
    auto endCount = raw;
    endCount.Finish({endCount.AddLocal("b.xml", 0, {}, 0, 0)});
    endCount.Bytes[endCount.Bytes.size() - 12] = 0xFF;
    endCount.Bytes[endCount.Bytes.size() - 11] = 0xFF;
    for (const auto& bytes : {infoZip, extraBlock.Bytes, endCount.Bytes}) {
        TMemoryStream view = TMemoryStream::View(bytes.data(), static_cast<int64_t>(bytes.size()));
        TXLSZipArchive zip;
        EXPECT_EQ(ErrorOf([&] { zip.OpenFromStream(view); }), "ZIP64 archives are not supported");
        EXPECT_EQ(zip.Count(), 0);
    }
}

TEST(ZipArchive, TwoStreamsOnOneEntryReadAtTheirOwnPositions) {
    const auto data = testing::SampleBytes(300000, 7);
    TMemoryStream archive;
    {
        TXLSZipArchive writer;
        writer.OpenForWrite(archive);
        TMemoryStream source;
        source.WriteBuffer(data.data(), static_cast<int64_t>(data.size()));
        source.SetPosition(0);
        writer.AddStream("x.bin", source);
        writer.Close();
    }
    TXLSZipArchiveIntfXLS intf;
    intf.OpenRead(archive);
    auto first = intf.OpenFile("x.bin");
    auto second = intf.OpenFile("x.bin");
    std::vector<uint8_t> a(data.size()), b(data.size());
    size_t atA = 0, atB = 0;
    while (atA < a.size() || atB < b.size()) {
        atA += static_cast<size_t>(first->Read(a.data() + atA, 1000));
        atB += static_cast<size_t>(second->Read(b.data() + atB, 7777));
    }
    EXPECT_EQ(a, data);
    EXPECT_EQ(b, data);
    first.reset();
    EXPECT_EQ(second->Seek(5, base::TSeekOrigin::soBeginning), 5);
    uint8_t byte = 0;
    second->ReadBuffer(&byte, 1);
    EXPECT_EQ(byte, data[5]);
}

TEST(ZipArchive, AnEntryStreamOutlivingItsArchiveWritesNothing) {
    TMemoryStream archive;
    TXLSZipArchiveIntfXLS intf;
    intf.OpenWrite(archive);
    auto stream = intf.CreateFile("xl/late.xml");
    stream->WriteBuffer("<a/>", 4);
    EXPECT_THROW(intf.Close(), EZipError);
    const int64_t size = archive.Size();
    const std::vector<uint8_t> before(archive.Memory(), archive.Memory() + size);
    const std::string more(100000, 'x');
    EXPECT_EQ(ErrorOf([&] { stream->WriteBuffer(more.data(), static_cast<int64_t>(more.size())); }),
              "The archive of this stream was closed");
    stream.reset();
    ASSERT_EQ(archive.Size(), size);
    EXPECT_EQ(std::vector<uint8_t>(archive.Memory(), archive.Memory() + size), before);
}

}  // namespace
}  // namespace xls
