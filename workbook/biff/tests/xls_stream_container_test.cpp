#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "base/file_stream.h"
#include "base/memory_stream.h"
#include "platform/compound_file.h"
#include "platform/tests/compound_file_test_support.h"
#include "workbook/biff/biff_error.h"
#include "workbook/biff/extra_objects.h"
#include "workbook/biff/xls_stream.h"

namespace xls {
namespace {

using Bytes = std::vector<uint8_t>;
using platform::testing::RunCommand;

class XLSStreamContainerTest : public ::testing::Test {
protected:
    void SetUp() override {
        Dir_ = platform::testing::TempDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
    }
    void TearDown() override { std::filesystem::remove_all(Dir_); }
    std::string PathOf(const std::string& name) const { return (Dir_ / name).string(); }
    void WriteFile(const std::string& name, const Bytes& bytes) const {
        std::ofstream(PathOf(name), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    std::filesystem::path Dir_;
};

// A workbook stream: BOF, a record continued twice in short pieces, EOF.
Bytes WorkbookStream() {
    Bytes b = {0x09, 0x08, 16, 0, 0, 6, 5, 0, 0xAF, 0x18, 0xCD, 0x07, 0xC9, 0x80, 0, 0, 6, 1, 0, 0};
    for (uint16_t length : {300, 40, 7}) {
        b.push_back(length == 300 ? 0xFC : 0x3C);
        b.push_back(0);
        b.push_back(static_cast<uint8_t>(length));
        b.push_back(static_cast<uint8_t>(length >> 8));
        for (int i = 0; i < length; ++i) b.push_back(static_cast<uint8_t>(i));
    }
    b.insert(b.end(), {0x0A, 0, 0, 0});
    return b;
}

TEST_F(XLSStreamContainerTest, PlainFilesAreRecognisedByTheirFirstRecord) {
    const struct {
        Bytes Head;
        TExcelVersion Version;
    } cases[] = {{{0x09, 0x00, 4, 0}, xvExcel21}, {{0x09, 0x02, 6, 0}, xvExcel30}, {{0x09, 0x04, 6, 0}, xvExcel40},
                 {{0x09, 0x08, 16, 0}, xvNone},   {{0x0A, 0x04, 6, 0}, xvNone},    {{0x09}, xvNone}};
    for (const auto& c : cases) {
        WriteFile("plain.xls", c.Head);
        TXLSStream stream;
        EXPECT_EQ(stream.Open(PathOf("plain.xls")), c.Version);
        EXPECT_EQ(stream.Position(), 0);
        EXPECT_EQ(stream.StreamSize(), static_cast<int64_t>(c.Head.size()));
    }
}

TEST_F(XLSStreamContainerTest, CompoundFilesOpenByTheirWorkbookStream) {
    const struct {
        std::vector<std::u16string> Streams;
        TExcelVersion Version;
    } cases[] = {{{u"Book"}, xvExcel50}, {{u"Book", u"Workbook"}, xvExcel97}, {{u"WORKBOOK"}, xvExcel97}};
    const Bytes workbook = WorkbookStream();
    for (const auto& c : cases) {
        platform::TCompoundFile file;
        for (const auto& name : c.Streams)
            file.Root().CreateStream(name).WriteBuffer(workbook.data(), static_cast<int64_t>(workbook.size()));
        file.SaveToFile(PathOf("a.xls"));
        TXLSStream stream;
        EXPECT_EQ(stream.Open(PathOf("a.xls")), c.Version);
        EXPECT_EQ(stream.Position(), 4);  // the first header is read
        EXPECT_EQ(stream.StreamSize(), static_cast<int64_t>(workbook.size()));
    }
    platform::TCompoundFile other;
    other.Root().CreateStream(u"Data").WriteBuffer("x", 1);
    base::TMemoryStream memory;
    other.SaveToStream(memory);
    TXLSStream stream;
    stream.SetSourceStream(&memory);
    try {
        stream.Open("");
        FAIL() << "no error";
    } catch (const EBIFFError& e) {
        EXPECT_STREQ(e.what(), "The file is not an Excel workbook");
    }
}

// Copies every record of the workbook stream through the record interface.
void CopyRecords(TXLSStream& from, TXLSStream& to) {
    from.Seek(0, 0);
    TBIFFHeader header;
    Bytes data;
    while (from.ReadHeader(header) == 4) {
        data.resize(header.Length);
        ASSERT_EQ(from.Read(data.data(), header.Length), header.Length);
        to.WriteHeader(header.RecID, header.Length);
        to.Write(data.data(), header.Length);
    }
}

TEST_F(XLSStreamContainerTest, EveryOtherStreamIsCarriedIntoTheFileWritten) {
    // The file read comes from olefile's side where it can: we write it, olefile rewrites a
    // stream in place, and the result must survive a read and write byte for byte.
    platform::TCompoundFile source;
    const Bytes workbook = WorkbookStream();
    source.Root().CreateStream(u"Workbook").WriteBuffer(workbook.data(), static_cast<int64_t>(workbook.size()));
    const Bytes props(600, 0x11);
    source.Root().CreateStream(u"\x05SummaryInformation").WriteBuffer(props.data(), 600);
    source.Root()
        .CreateStream(
            u"\x05"
            u"DocumentSummaryInformation")
        .WriteBuffer(props.data(), 300);
    const Bytes module(9000, 0x22);
    source.Root()
        .CreateStorage(u"_VBA_PROJECT_CUR")
        .CreateStorage(u"VBA")
        .CreateStream(u"Module1")
        .WriteBuffer(module.data(), 9000);
    source.SaveToFile(PathOf("in.xls"));
    int status = 0;
    RunCommand("/usr/bin/python3 -c \"import olefile; o = olefile.OleFileIO('" + PathOf("in.xls") +
                   "', write_mode=True); o.write_stream('\\x05SummaryInformation', bytes(range(200)) * 3); o.close()\"",
               status);
    ASSERT_EQ(status, 0);

    TExtraObjects extra;
    TXLSStream in;
    in.SetExtraObjects(&extra);
    ASSERT_EQ(in.Open(PathOf("in.xls")), xvExcel97);
    TXLSStream out;
    out.SetExtraObjects(&extra);
    out.CreateFile(PathOf("out.xls"), xvExcel97);
    CopyRecords(in, out);
    out.Close();
    in.Close();

    const auto before = platform::testing::Streams(*platform::TCompoundFile::OpenFile(PathOf("in.xls")));
    const auto after = platform::testing::Streams(*platform::TCompoundFile::OpenFile(PathOf("out.xls")));
    EXPECT_EQ(after, before);
    EXPECT_EQ(after.at("\\x05SummaryInformation")[599], 199);
    // And an outside reader sees the same.
    const std::string lister =
        "import sys, olefile\no = olefile.OleFileIO(sys.argv[1])\nfor e in sorted(o.listdir()):\n"
        "    d = o.openstream(e).read(); print('/'.join(e), len(d), sum(d))\n";
    std::ofstream(PathOf("list.py")) << lister;
    EXPECT_EQ(RunCommand("/usr/bin/python3 " + PathOf("list.py") + " " + PathOf("out.xls"), status),
              RunCommand("/usr/bin/python3 " + PathOf("list.py") + " " + PathOf("in.xls"), status));
}

TEST_F(XLSStreamContainerTest, WritesToATargetStream) {
    base::TMemoryStream target;
    TXLSStream stream;
    stream.SetTargetStream(&target);
    stream.CreateFile("", xvExcel50);
    stream.WriteWordRecord(0x000A, 0);
    stream.Close();
    const auto file = platform::TCompoundFile::OpenStream(target);
    EXPECT_EQ(file->Root().ReadStream(u"Book"), (Bytes{0x0A, 0, 2, 0, 0, 0}));
}

TEST_F(XLSStreamContainerTest, AnUnfinishedWriteLeavesNoFile) {
    for (TExcelVersion version : {xvExcel40, xvExcel97}) {
        {
            TXLSStream stream;
            stream.CreateFile(PathOf("half.xls"), version);
            stream.WriteWordRecord(0x0409, 0);
        }  // destroyed without Close, as when the writer raises
        EXPECT_FALSE(std::filesystem::exists(PathOf("half.xls"))) << int{version};
        EXPECT_TRUE(std::filesystem::is_empty(Dir_)) << int{version};
        TXLSStream stream;
        stream.CreateFile(PathOf("whole.xls"), version);
        stream.WriteWordRecord(0x0409, 0);
        stream.Close();
        EXPECT_TRUE(std::filesystem::exists(PathOf("whole.xls")));
        std::filesystem::remove(PathOf("whole.xls"));
    }
    TXLSStream stream;
    try {
        stream.CreateFile("", xvExcel97);
        FAIL() << "no error";
    } catch (const EBIFFError& e) {
        EXPECT_STREQ(e.what(), "Filename is missing");
    }
}

}  // namespace
}  // namespace xls
