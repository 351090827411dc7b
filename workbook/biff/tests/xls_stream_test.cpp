#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/format.h"
#include "base/memory_stream.h"
#include "workbook/biff/biff_error.h"
#include "workbook/biff/tests/biff_read_book.h"
#include "workbook/biff/xls_stream.h"

namespace xls {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Pattern(size_t size) {
    Bytes bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i * 7 + i / 251);
    return bytes;
}

// Headers of every record in a stream written to memory, from its start.
std::vector<TBIFFHeader> Headers(TXLSStream& stream) {
    std::vector<TBIFFHeader> headers;
    stream.Seek(0, 0);
    TBIFFHeader header;
    while (stream.ReadHeader(header) == 4) {
        headers.push_back(header);
        stream.Seek(header.Length, 1);
    }
    return headers;
}

// Reads the record at the start of the stream whole, following its continuations.
Bytes ReadWhole(TXLSStream& stream, size_t size) {
    stream.Seek(0, 0);
    TBIFFHeader header;
    EXPECT_EQ(stream.ReadHeader(header), 4);
    stream.BeginContinueRead();
    Bytes data(size);
    EXPECT_EQ(stream.Read(data.data(), static_cast<int64_t>(size)), static_cast<int64_t>(size));
    stream.EndContinueRead();
    return data;
}

TEST(XLSStreamTest, WriteRecordSplitsAt8224AndReadsBackWhole) {
    const struct {
        size_t Size;
        std::vector<uint16_t> Lengths;
    } cases[] = {{0, {0}}, {100, {100}}, {8224, {8224}}, {8225, {8224, 1}}, {20000, {8224, 8224, 3552}}};
    for (const auto& c : cases) {
        TXLSStream stream;
        stream.CreateMemory();
        const Bytes data = Pattern(c.Size);
        stream.WriteRecord(0x1001, data.data(), static_cast<int64_t>(data.size()));
        stream.WriteRecord(0x000A, nullptr, 0);
        const auto headers = Headers(stream);
        ASSERT_EQ(headers.size(), c.Lengths.size() + 1) << c.Size;
        for (size_t i = 0; i < c.Lengths.size(); ++i) {
            EXPECT_EQ(headers[i].RecID, i == 0 ? 0x1001 : 0x003C) << c.Size;
            EXPECT_EQ(headers[i].Length, c.Lengths[i]) << c.Size;
        }
        EXPECT_EQ(ReadWhole(stream, c.Size), data) << c.Size;
        TBIFFHeader next;
        ASSERT_EQ(stream.ReadHeader(next), 4);
        EXPECT_EQ(next.RecID, 0x000A);
    }
}

TEST(XLSStreamTest, ContinuedRecordWriterPatchesLengths) {
    TXLSStream stream;
    stream.CreateMemory();
    const Bytes data = Pattern(20000);
    stream.BeginContinuedRecord(8224);
    stream.WriteHeader(0x00EB, 0);
    // Pieces of any size, one of them larger than a record.
    size_t done = 0;
    for (size_t piece : {1000u, 7000u, 12000u}) {
        // Every byte is taken, and the count says so, as for any stream.
        EXPECT_EQ(stream.Write(data.data() + done, static_cast<int64_t>(piece)), static_cast<int64_t>(piece));
        done += piece;
    }
    stream.EndContinuedRecord();
    // An empty continued record keeps the header its caller wrote.
    stream.BeginContinuedRecord(8224);
    stream.WriteHeader(0x00EB, 0);
    stream.EndContinuedRecord();

    const auto headers = Headers(stream);
    ASSERT_EQ(headers.size(), 4u);
    const uint16_t ids[] = {0x00EB, 0x003C, 0x003C, 0x00EB};
    const uint16_t lengths[] = {8224, 8224, 3552, 0};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(headers[i].RecID, ids[i]);
        EXPECT_EQ(headers[i].Length, lengths[i]);
    }
    EXPECT_EQ(ReadWhole(stream, 20000), data);
}

TEST(XLSStreamTest, ContinueReadTakesEachContinuationsOwnLength) {
    // Continuations shorter than 8224 bytes, as other writers make them.
    TXLSStream stream;
    stream.CreateMemory();
    const Bytes data = Pattern(180);
    stream.WriteHeader(0x00FC, 100);
    stream.WriteRaw(data.data(), 100);
    stream.WriteHeader(0x003C, 50);
    stream.WriteRaw(data.data() + 100, 50);
    stream.WriteHeader(0x003C, 0);
    stream.WriteHeader(0x003C, 30);
    stream.WriteRaw(data.data() + 150, 30);
    stream.WriteWordRecord(0x000A, 0);
    EXPECT_EQ(ReadWhole(stream, 180), data);

    // Reading past the last continuation meets a record that is none.
    stream.Seek(0, 0);
    TBIFFHeader header;
    stream.ReadHeader(header);
    stream.BeginContinueRead();
    EXPECT_THROW(stream.BeginContinueRead(), EBIFFError);
    Bytes more(200);
    try {
        stream.Read(more.data(), 200);
        FAIL() << "no error";
    } catch (const EBIFFError& e) {
        EXPECT_STREQ(e.what(), "CONTINUE record is missing");
    }
}

TEST(XLSStreamTest, ContinueReadSkipsTheHFPicturePrefix) {
    TXLSStream stream;
    stream.CreateMemory();
    const Bytes data = Pattern(60);
    const Bytes prefix(14, 0xEE);
    stream.WriteHeader(0x0866, 40);
    stream.WriteRaw(data.data(), 40);
    stream.WriteHeader(0x0866, 14 + 20);
    stream.WriteRaw(prefix.data(), 14);
    stream.WriteRaw(data.data() + 40, 20);
    EXPECT_EQ(ReadWhole(stream, 60), data);
}

TEST(XLSStreamTest, EncodesStringsAndHeaders) {
    TXLSStream stream;
    stream.CreateMemory();
    stream.WriteWideString(u"", true);
    stream.WriteWideString(u"A\u4E2D", true);
    stream.WriteWideString(u"B", false);
    stream.WriteByteString16({0, 'x', 'y'});
    stream.WriteByteString8({1, 'z', 0});
    stream.WriteByteString16({});
    stream.WriteEscherHeader(0xF, 0x123, 0x01020304, 0xF000);
    stream.WriteArea({1, 2, 3, 0x10004});
    const Bytes expected = {0,    0,                                     // empty text: the count only
                            2,    0,    1,    'A',  0,   0x2D, 0x4E,     // count, flag, UTF-16LE
                            1,    'B',  0,                               // no count
                            2,    0,    0,    'x',  'y',                 // 16-bit count of a byte string
                            1,    1,    'z',  0,                         // 8-bit count, UTF-16 flag
                            0,    0,                                     // empty byte string
                            0x3F, 0x12, 0x00, 0xF0, 4,   3,    2,    1,  // OfficeArt header
                            1,    0,    2,    0,    3,   0,    4,    0};
    Bytes written(expected.size() + 1);
    stream.Seek(0, 0);
    ASSERT_EQ(stream.ReadPlain(written.data(), static_cast<int64_t>(written.size())),
              static_cast<int64_t>(expected.size()));
    written.pop_back();
    EXPECT_EQ(written, expected);

    stream.Seek(4, 0);
    std::u16string text;
    EXPECT_EQ(stream.ReadString(2, text), 5);
    EXPECT_EQ(text, u"A\u4E2D");
    stream.Seek(14, 0);
    EXPECT_EQ(stream.ReadString(2, text), 3);  // compressed: one byte per character
    EXPECT_EQ(text, u"xy");
    stream.Seek(-2, 2);
    EXPECT_THROW(stream.ReadString(5, text), EBIFFError);
}

TEST(XLSStreamTest, StringsSplitOverContinueRecordsTakeEachRecordsOwnWidth) {
    const struct {
        const char* Name;
        Bytes First;   // the record's data: flag byte, characters
        Bytes Second;  // the CONTINUE record's data
        int Count;
        std::u16string Text;  // empty: the read must fail
    } cases[] = {
        {"compressed then wide", {0, 'a', 'b', 'c'}, {1, 0xE4, 0, 0x2D, 0x4E}, 5, u"abc\u00E4\u4E2D"},
        {"wide then compressed", {1, 0x2D, 0x4E}, {0, 'x', 'y'}, 3, u"\u4E2Dxy"},
        {"same width", {0, 'a'}, {0, 'b'}, 2, u"ab"},
        {"character cut in two", {1, 0x2D, 0x4E, 0x41}, {1, 0, 0x42, 0}, 3, u""},
        {"continuation missing", {0, 'a'}, {}, 2, u""},
    };
    for (const bool inPlace : {false, true})
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.Name) + (inPlace ? ", in place" : ", copied"));
            TXLSStream stream;
            stream.CreateMemory();
            stream.WriteRecord(0x00FC, c.First.data(), static_cast<int64_t>(c.First.size()));
            if (!c.Second.empty()) stream.WriteRecord(0x003C, c.Second.data(), static_cast<int64_t>(c.Second.size()));
            if (inPlace) {
                ASSERT_TRUE(stream.BeginInPlaceRead());
            }
            stream.Seek(0, 0);
            TBIFFHeader header;
            ASSERT_EQ(stream.ReadHeader(header), 4);
            stream.BeginContinueRead();
            std::u16string text;
            if (c.Text.empty()) {
                EXPECT_THROW(stream.ReadString(c.Count, text), EBIFFError);
                continue;
            }
            EXPECT_EQ(stream.ReadString(c.Count, text), static_cast<int64_t>(c.First.size() + c.Second.size()));
            EXPECT_EQ(text, c.Text);
        }
}

// What a record reader meets walking the stream, as text: each header with the position after
// it, then the record's data or the error that ends it, and the next record's id peeked.
std::string Walk(TXLSStream& stream) {
    std::string trace;
    TBIFFHeader header;
    for (;;) {
        const uint16_t peeked = stream.PeekRecordId();
        const int n = stream.ReadHeader(header);
        trace += base::Format("[peek %.4X] header %d @%d", {peeked, n, static_cast<int>(stream.Position())});
        if (n < 4) return trace;
        trace += base::Format(" %.4X/%d:", {header.RecID, header.Length});
        Bytes copied(header.Length);
        const uint8_t* data = nullptr;
        try {
            data = stream.ReadInPlace(header.Length);
            if (!data && stream.Read(copied.data(), header.Length) != header.Length)
                throw EBIFFError("Unexpected end of file");
        } catch (const EBIFFError& e) {
            return trace + " " + e.what() + base::Format(" @%d", {static_cast<int>(stream.Position())});
        }
        if (!data) data = copied.data();
        for (size_t i = 0; i < header.Length; ++i) trace += base::Format(" %.2X", {data[i]});
        trace += "\n";
    }
}

// Records taken where they stand in memory and records copied out of a stream read alike, the
// damaged ends of a stream included.
TEST(XLSStreamTest, RecordsInPlaceAndCopiedReadAlike) {
    const Bytes record = {0x01, 0x02, 3, 0, 0xA1, 0xA2, 0xA3};
    const Bytes empty = {0x0A, 0x00, 0, 0};
    auto join = [](std::initializer_list<Bytes> parts) {
        Bytes all;
        for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
        return all;
    };
    const struct {
        const char* Name;
        Bytes Stream;
        std::string Ends;  // the end of the walk
    } cases[] = {
        {"zero-length record last", join({record, empty}), "@11 000A/0:\n[peek 0000] header 0 @11"},
        {"zero-length record first", join({empty, record}), "@8 0201/3: A1 A2 A3\n[peek 0000] header 0 @11"},
        {"header cut", join({record, {0x0A, 0x00, 0}}), "[peek 0000] header 3 @10"},
        {"data cut at the end", join({record, {0x05, 0x00, 4, 0, 0xB1, 0xB2}}), "0005/4: Unexpected end of file @13"},
        {"length past the end", join({empty, {0x06, 0x00, 0xFF, 0xFF, 0xC1}}), "0006/65535: Unexpected end of file @9"},
        {"empty stream", {}, "[peek 0000] header 0 @0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        std::string traces[2];
        for (const bool inPlace : {true, false}) {
            base::TMemoryStream memory =
                base::TMemoryStream::View(c.Stream.data(), static_cast<int64_t>(c.Stream.size()));
            test::TOpaqueStream opaque(c.Stream);
            TXLSStream stream;
            stream.SetSourceStream(inPlace ? static_cast<base::TStream*>(&memory) : &opaque);
            stream.Open("");
            EXPECT_EQ(stream.BeginInPlaceRead(), inPlace);
            traces[inPlace] = Walk(stream);
            const std::string& trace = traces[inPlace];
            EXPECT_EQ(trace.substr(trace.size() - std::min(trace.size(), c.Ends.size())), c.Ends) << trace;
        }
        EXPECT_EQ(traces[true], traces[false]);
    }
}

// Reads in CONTINUE-read mode follow the continuations from the bytes in place as they do when
// copied, and a record is then never handed out in place.
TEST(XLSStreamTest, ContinueReadInPlaceFollowsTheContinuations) {
    TXLSStream stream;
    stream.CreateMemory();
    const Bytes data = Pattern(20000);
    stream.WriteRecord(0x00EB, data.data(), static_cast<int64_t>(data.size()));
    stream.WriteRecord(0x000A, nullptr, 0);
    ASSERT_TRUE(stream.BeginInPlaceRead());
    stream.Seek(0, 0);
    TBIFFHeader header;
    ASSERT_EQ(stream.ReadHeader(header), 4);
    stream.BeginContinueRead();
    EXPECT_EQ(stream.ReadInPlace(1), nullptr);
    Bytes got(data.size());
    EXPECT_EQ(stream.Read(got.data(), static_cast<int64_t>(got.size())), static_cast<int64_t>(got.size()));
    EXPECT_EQ(got, data);
    stream.EndContinueRead();
    EXPECT_EQ(stream.PeekRecordId(), 0x000A);
    EXPECT_EQ(stream.PeekRecordLength(), 0);
    // Seeking moves the reads in place; a position before the start is refused.
    EXPECT_EQ(stream.Seek(4, 0), 4);
    const uint8_t* first = stream.ReadInPlace(2);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first[0], data[0]);
    EXPECT_EQ(first[1], data[1]);
    EXPECT_EQ(stream.Position(), 6);
    EXPECT_ANY_THROW(stream.Seek(-7, 1));
    EXPECT_EQ(stream.Seek(0, 2), 3 * 4 + 20000 + 4);
    EXPECT_EQ(stream.ReadInPlace(0), first + 20012);
    EXPECT_THROW(stream.ReadInPlace(1), EBIFFError);
}

}  // namespace
}  // namespace xls
