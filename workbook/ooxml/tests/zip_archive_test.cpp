#include <gtest/gtest.h>

#include <zlib.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/byte_reader.h"
#include "base/memory_stream.h"
#include "workbook/ooxml/tests/external_tools.h"
#include "workbook/ooxml/zip/zip_archive.h"
#include "workbook/ooxml/zip/zip_archive_intf.h"

namespace xls {
namespace {

using base::TMemoryStream;

std::vector<uint8_t> Extract(TXLSZipFile& entry) {
    TMemoryStream out;
    entry.ExtractToStream(out);
    return {out.Memory(), out.Memory() + out.Size()};
}

// An archive written by us into memory: a deflated entry, an empty one and a larger one.
struct TSampleArchive {
    std::vector<uint8_t> First = testing::SampleBytes(5000, 1);
    std::vector<uint8_t> Second = testing::SampleBytes(200000, 2);
    TMemoryStream Archive;

    TSampleArchive() {
        TXLSZipArchive zip;
        zip.OpenForWrite(Archive);
        TMemoryStream source;
        source.WriteBuffer(First.data(), static_cast<int64_t>(First.size()));
        source.SetPosition(0);
        zip.AddStream("first.xml", source);
        TMemoryStream empty;
        zip.AddStream("empty.bin", empty);
        auto stream = zip.BeginEntry("dir\\second.bin");
        stream->WriteBuffer(Second.data(), static_cast<int64_t>(Second.size()));
        zip.EndEntry(std::move(stream));
        zip.Close();
    }

    std::vector<uint8_t> Bytes() { return {Archive.Memory(), Archive.Memory() + Archive.Size()}; }
};

uint32_t Get32(const std::vector<uint8_t>& b, size_t at) { return base::LoadLE32(b.data() + at); }

void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
}

TEST(ZipArchive, WritesTheRecordsInOrderAndReadsThemBack) {
    TSampleArchive sample;
    const auto bytes = sample.Bytes();
    // Header 1 at 0, its name, its data; header 2 follows data 1.
    EXPECT_EQ(Get32(bytes, 0), LocalFileSignature);
    EXPECT_EQ(std::string(bytes.begin() + 30, bytes.begin() + 39), "first.xml");
    const uint32_t compressed1 = Get32(bytes, 18);
    EXPECT_EQ(Get32(bytes, 14), crc32(0, sample.First.data(), static_cast<uInt>(sample.First.size())));
    EXPECT_EQ(Get32(bytes, 22), sample.First.size());
    EXPECT_EQ(Get32(bytes, 39 + compressed1), LocalFileSignature);
    const size_t end = bytes.size() - 22;
    EXPECT_EQ(Get32(bytes, end), EndRecordSignature);

    TXLSZipArchive zip;
    TMemoryStream view = TMemoryStream::View(bytes.data(), static_cast<int64_t>(bytes.size()));
    zip.OpenFromStream(view);
    ASSERT_EQ(zip.Count(), 3);
    const TCentralDirectoryFile& last = zip.GetFiles(2).CentralRecord();
    EXPECT_EQ(Get32(bytes, end + 16), last.LocalHeaderOffset + 30 + last.NameLength + last.CompressedSize);
    EXPECT_EQ(zip.GetFiles(0).Name(), "first.xml");
    EXPECT_EQ(zip.GetFiles(2).Name(), "dir/second.bin");
    for (int i = 0; i < 3; ++i) {
        const TCentralDirectoryFile& c = zip.GetFiles(i).CentralRecord();
        EXPECT_EQ(c.VersionMadeBy, 20);
        EXPECT_EQ(c.VersionNeeded, 20);
        EXPECT_EQ(c.ExternalAttributes, 0x20u);
        EXPECT_EQ(c.Flags, 0);
    }
    // An empty stream is stored with nothing; an empty entry begun as a stream is deflated.
    const TCentralDirectoryFile& empty = zip.GetFiles(1).CentralRecord();
    EXPECT_EQ(empty.Method, 0);
    EXPECT_EQ(empty.Crc32, 0u);
    EXPECT_EQ(empty.CompressedSize, 0u);
    EXPECT_EQ(Extract(zip.GetFiles(0)), sample.First);
    EXPECT_TRUE(Extract(zip.GetFiles(1)).empty());
    EXPECT_EQ(Extract(zip.GetFiles(2)), sample.Second);
}

TEST(ZipArchive, EmptyEntryBegunAsStreamIsDeflated) {
    TMemoryStream archive;
    TXLSZipArchiveIntfXLS intf;
    intf.OpenWrite(archive);
    intf.CloseFile(intf.CreateFile("xl/", "/empty.xml"));
    intf.Close();
    TXLSZipArchive zip;
    zip.OpenFromStream(archive);
    ASSERT_EQ(zip.Count(), 1);
    EXPECT_EQ(zip.GetFiles(0).Name(), "xl/empty.xml");
    EXPECT_EQ(zip.GetFiles(0).CentralRecord().Method, 8);
    EXPECT_EQ(zip.GetFiles(0).CentralRecord().CompressedSize, 2u);
    EXPECT_TRUE(Extract(zip.GetFiles(0)).empty());
}

TEST(ZipArchive, StreamsOfAClosedArchiveRefuseInsteadOfReadingFreedEntries) {
    TMemoryStream archive;
    {
        TXLSZipArchiveIntfXLS writer;
        writer.OpenWrite(archive);
        TMemoryStream data;
        data.WriteBuffer("abcdef", 6);
        writer.AddFile("x.bin", data);
        writer.Close();
    }
    TXLSZipArchiveIntfXLS intf;
    intf.OpenRead(archive);
    auto stream = intf.OpenFile("x.bin");
    char buffer[3];
    EXPECT_EQ(stream->Read(buffer, 3), 3);
    intf.Close();
    EXPECT_THROW(stream->Read(buffer, 3), EZipError);
    stream.reset();  // and going away touches nothing freed
}

TEST(ZipArchive, AnEntryLeftOpenIsNotCoveredByAFinishedLookingDirectory) {
    TMemoryStream archive;
    TXLSZipArchiveIntfXLS intf;
    intf.OpenWrite(archive);
    auto entry = intf.CreateFile("b.bin");
    entry->WriteBuffer("data", 4);
    EXPECT_THROW(intf.Close(), EZipError);
}

TEST(ZipArchive, NormalizesNames) {
    const std::pair<const char*, const char*> accepted[] = {
        {"xl\\worksheets\\sheet1.xml", "xl/worksheets/sheet1.xml"},
        {"C:\\dir\\a.xml", "dir/a.xml"},
        {"\\\\server\\share\\x\\y.xml", "x/y.xml"},
        {"a..b/..c/d..", "a..b/..c/d.."},
        {"表格/数据.xml", "表格/数据.xml"},
    };
    for (const auto& [in, out] : accepted) EXPECT_EQ(NormalizeZipName(in), out) << in;
    for (const char* refused : {"", "../evil", "a/../../b", "a\\..\\b", "/etc/passwd", "\\abs", "a/.."})
        EXPECT_THROW(NormalizeZipName(refused), EZipError) << refused;
}

// Names that share a hash are told apart by the names themselves, whatever their case.
TEST(ZipArchive, NameIndexComparesNamesBehindEqualHashes) {
    const std::vector<std::string> names = {"a.xml", "b.xml", "B.XML"};
    const auto nameOf = [&](int entry) -> std::string_view { return names[static_cast<size_t>(entry)]; };
    TZipNameIndex index;
    EXPECT_EQ(index.Find("a.xml", 7, nameOf), -1);
    index.Add(7, 0);
    index.Add(7, 1);
    EXPECT_EQ(index.Find("A.xml", 7, nameOf), 0);
    EXPECT_EQ(index.Find("b.XML", 7, nameOf), 1);
    EXPECT_EQ(index.Find("c.xml", 7, nameOf), -1);
    EXPECT_EQ(index.Find("b.xml", 8, nameOf), -1);
    EXPECT_EQ(TZipNameIndex::Hash("Xl/Workbook.XML"), TZipNameIndex::Hash("xl/workbook.xml"));
}

// A read archive may hold one name twice (in any case): the first is found, the second reported.
TEST(ZipArchive, ReadArchiveReportsItsFirstDuplicateName) {
    TMemoryStream archive;
    {
        TXLSZipArchive zip;
        zip.OpenForWrite(archive);
        TMemoryStream data;
        data.WriteBuffer("x", 1);
        for (const char* name : {"a.xml", "b.xml", "c.xml"}) zip.AddStream(name, data);
        zip.Close();
    }
    std::vector<uint8_t> bytes(archive.Memory(), archive.Memory() + archive.Size());
    // "c.xml" becomes "A.xml" in its local header and its central record.
    for (size_t at = 0; at + 5 <= bytes.size(); ++at)
        if (std::memcmp(&bytes[at], "c.xml", 5) == 0) bytes[at] = 'A';
    TMemoryStream view = TMemoryStream::View(bytes.data(), static_cast<int64_t>(bytes.size()));
    TXLSZipArchive zip;
    zip.OpenFromStream(view);
    ASSERT_EQ(zip.Count(), 3);
    EXPECT_EQ(zip.IndexOf("a.XML"), 0);
    EXPECT_EQ(zip.FirstDuplicate(), 2);
}

TEST(ZipArchive, RefusesDuplicatesNestedEntriesAndForeignStreams) {
    TMemoryStream archive;
    TXLSZipArchiveIntfXLS intf;
    TXLSZipArchive& zip = intf.OpenWrite(archive);
    TMemoryStream data;
    data.WriteBuffer("x", 1);
    intf.AddFile("xl/workbook.xml", data);
    try {
        intf.AddFile("XL/Workbook.xml", data);
        FAIL();
    } catch (const EZipError& e) {
        EXPECT_STREQ(e.what(), "Duplicate file \"XL/Workbook.xml\" in Zip");
    }
    EXPECT_THROW(intf.AddFile("../up.xml", data), EZipError);
    auto open = intf.CreateFile("a.xml");
    try {
        intf.CreateFile("b.xml");
        FAIL();
    } catch (const EZipError& e) {
        EXPECT_STREQ(e.what(), "There is an active zip");
    }
    // Adding a whole stream now would write over the open entry's data.
    EXPECT_THROW(zip.AddStream("c.xml", data), EZipError);
    try {
        intf.CloseFile(std::make_unique<TMemoryStream>());
        FAIL();
    } catch (const EZipError& e) {
        EXPECT_STREQ(e.what(), "Stream is not TCompressionStream");
    }
    open->WriteBuffer("abc", 3);
    intf.CloseFile(std::move(open));
    intf.Close();

    TXLSZipArchiveIntfXLS reader;
    reader.OpenRead(archive);
    ASSERT_EQ(reader.Count(), 2);
    EXPECT_EQ(reader.Find("XL/WORKBOOK.XML"), 0);
    EXPECT_EQ(reader.Find("xl\\workbook.xml"), -1);
    try {
        reader.OpenFile("missing.xml");
        FAIL();
    } catch (const EZipError& e) {
        EXPECT_STREQ(e.what(), "Can not find file missing.xml in ZIP");
    }
    auto stream = reader.OpenFile("A.XML");
    EXPECT_EQ(stream->Size(), 3);
    char buffer[8] = {};
    EXPECT_EQ(stream->Read(buffer, 8), 3);
    EXPECT_STREQ(buffer, "abc");
    EXPECT_THROW(stream->Write("x", 1), EZipError);
}

TEST(ZipArchive, EntriesReadAlternatelyKeepTheirPositions) {
    TSampleArchive sample;
    TXLSZipArchiveIntfXLS intf;
    intf.OpenRead(sample.Archive);
    auto first = intf.OpenFile("first.xml");
    auto second = intf.OpenFile("dir/second.bin");
    std::vector<uint8_t> a(sample.First.size()), b(sample.Second.size());
    size_t atA = 0, atB = 0;
    while (atA < a.size() || atB < b.size()) {
        atA += static_cast<size_t>(first->Read(a.data() + atA, 333));
        atB += static_cast<size_t>(second->Read(b.data() + atB, 4444));
        sample.Archive.SetPosition(0);  // an outsider moving the archive stream changes nothing
    }
    EXPECT_EQ(a, sample.First);
    EXPECT_EQ(b, sample.Second);
    // Seeking back starts the entry over; forward seeks skip.
    EXPECT_EQ(second->Seek(10, base::TSeekOrigin::soBeginning), 10);
    uint8_t byte;
    second->ReadBuffer(&byte, 1);
    EXPECT_EQ(byte, sample.Second[10]);
    EXPECT_EQ(second->Seek(-1, base::TSeekOrigin::soEnd), static_cast<int64_t>(sample.Second.size()) - 1);
    second->ReadBuffer(&byte, 1);
    EXPECT_EQ(byte, sample.Second.back());
}

// Damage done to a written archive, and what extracting its third entry must say.
struct TDamage {
    const char* Name;
    void (*Apply)(std::vector<uint8_t>& bytes, size_t central3);
    const char* Message;
};

TEST(ZipArchive, DamagedEntriesFailWithAClearError) {
    const TDamage cases[] = {
        {"crc", [](std::vector<uint8_t>& b, size_t c) { b[c + 16] ^= 1; }, "CRC error in zip entry \"dir/second.bin\""},
        {"bomb", [](std::vector<uint8_t>& b, size_t c) { Put32(b, c + 24, 0xFFFFFFF0u); },
         "Zip entry \"dir/second.bin\" declares an implausible size"},
        {"ratio", [](std::vector<uint8_t>& b, size_t c) { Put32(b, c + 24, Get32(b, c + 20) * 2000); },
         "Zip entry \"dir/second.bin\" declares an implausible size"},
        {"beyond end", [](std::vector<uint8_t>& b, size_t c) { Put32(b, c + 20, Get32(b, c + 20) + 100000); },
         "Unexpected end of zip entry \"dir/second.bin\""},
        {"short data",
         [](std::vector<uint8_t>& b, size_t c) {
             const uint32_t half = Get32(b, c + 20) / 2;
             Put32(b, c + 20, half);
         },
         "Unexpected end of zip entry \"dir/second.bin\""},
        {"longer than data", [](std::vector<uint8_t>& b, size_t c) { Put32(b, c + 24, Get32(b, c + 24) + 10); },
         "Unexpected end of zip entry \"dir/second.bin\""},
        {"encrypted", [](std::vector<uint8_t>& b, size_t c) { b[c + 8] |= 1; },
         "Zip entry \"dir/second.bin\" is encrypted"},
        {"method", [](std::vector<uint8_t>& b, size_t c) { b[c + 10] = 12; },
         "Unsupported compression method 12 in \"dir/second.bin\""},
    };
    TSampleArchive sample;
    const auto clean = sample.Bytes();
    const size_t central3 = Get32(clean, clean.size() - 22 + 16) + 46 + 9 + 46 + 9;
    ASSERT_EQ(Get32(clean, central3), CentralFileSignature);
    for (const TDamage& damage : cases) {
        SCOPED_TRACE(damage.Name);
        auto bytes = clean;
        damage.Apply(bytes, central3);
        TMemoryStream view = TMemoryStream::View(bytes.data(), static_cast<int64_t>(bytes.size()));
        TXLSZipArchiveIntfXLS intf;
        intf.OpenRead(view);
        ASSERT_EQ(intf.Count(), 3);
        const auto expectError = [&](auto&& action) {
            try {
                action();
                FAIL() << "no error";
            } catch (const EZipError& e) {
                EXPECT_EQ(std::string(e.what()).substr(0, std::strlen(damage.Message)), damage.Message);
            }
        };
        expectError([&] {
            // Loading allocates the entry's declared size first; the check must come before.
            TMemoryStream out;
            out.LoadFromStream(*intf.OpenFile("dir/second.bin"));
        });
        TXLSZipArchive zip;
        zip.OpenFromStream(view);
        expectError([&] { Extract(zip.GetFiles(2)); });
        if (std::strstr(damage.Message, "implausible") != nullptr) expectError([&] { zip.GetFiles(2).Size(); });
        EXPECT_EQ(Extract(zip.GetFiles(0)), sample.First);
    }
}

TEST(ZipArchive, FindsTheEndRecordBehindAnyCommentOrFallsBackToLocalHeaders) {
    TSampleArchive sample;
    const auto clean = sample.Bytes();
    for (size_t commentSize : {size_t{0}, size_t{2000}, size_t{65535}}) {
        SCOPED_TRACE(commentSize);
        auto bytes = clean;
        bytes[bytes.size() - 2] = static_cast<uint8_t>(commentSize);
        bytes[bytes.size() - 1] = static_cast<uint8_t>(commentSize >> 8);
        bytes.resize(bytes.size() + commentSize, 'c');
        TMemoryStream view = TMemoryStream::View(bytes.data(), static_cast<int64_t>(bytes.size()));
        TXLSZipArchive zip;
        zip.OpenFromStream(view);
        ASSERT_EQ(zip.Count(), 3);
        EXPECT_EQ(Extract(zip.GetFiles(2)), sample.Second);
    }
    // Without an end record the local headers are walked.
    auto cut = clean;
    cut.erase(cut.end() - 22, cut.end());
    TMemoryStream view = TMemoryStream::View(cut.data(), static_cast<int64_t>(cut.size()));
    TXLSZipArchive zip;
    zip.OpenFromStream(view);
    ASSERT_EQ(zip.Count(), 3);
    EXPECT_EQ(zip.GetFiles(2).Name(), "dir/second.bin");
    EXPECT_EQ(Extract(zip.GetFiles(2)), sample.Second);
    // Something that is no archive at all opens empty.
    const std::string junk = "no archive here, just text of some length";
    TMemoryStream junkView = TMemoryStream::View(junk.data(), static_cast<int64_t>(junk.size()));
    zip.OpenFromStream(junkView);
    EXPECT_EQ(zip.Count(), 0);
}

TEST(ZipArchive, BrokenDirectoriesAreRefused) {
    TSampleArchive sample;
    const auto clean = sample.Bytes();
    const size_t end = clean.size() - 22;
    const size_t directory = Get32(clean, end + 16);
    const std::pair<const char*, std::vector<uint8_t>> cases[] = {
        {"count too high",
         [&] {
             auto b = clean;
             b[end + 8] = 4;
             return b;
         }()},
        {"bad central signature",
         [&] {
             auto b = clean;
             b[directory] = 'X';
             return b;
         }()},
        {"local offset off",
         [&] {
             auto b = clean;
             Put32(b, directory + 42, 7);
             return b;
         }()},
        {"local offset beyond end",
         [&] {
             auto b = clean;
             Put32(b, directory + 42, 0x7FFFFFF0);
             return b;
         }()},
        {"name runs past the end",
         [&] {
             auto b = clean;
             b[directory + 29] = 0xFF;
             return b;
         }()},
    };
    for (const auto& [name, bytes] : cases) {
        SCOPED_TRACE(name);
        TMemoryStream view = TMemoryStream::View(bytes.data(), static_cast<int64_t>(bytes.size()));
        TXLSZipArchive zip;
        EXPECT_THROW(zip.OpenFromStream(view), EZipError);
    }
}

}  // namespace
}  // namespace xls
