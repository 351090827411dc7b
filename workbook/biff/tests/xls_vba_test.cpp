// The VBA project storage: its compressed containers, its directory and modules, and the
// project carried from a file read to the file written (checked with python3-olefile).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/byte_reader.h"
#include "base/memory_stream.h"
#include "platform/testing/test_files.h"
#include "workbook/biff/biff_error.h"
#include "workbook/biff/biff_record_ids.h"
#include "workbook/biff/tests/biff_read_book.h"
#include "workbook/biff/tests/biff_test_workbook.h"
#include "workbook/biff/xls_vba.h"

namespace xls {
namespace {

using platform::testing::RunCommand;
using platform::testing::ShellQuote;
using platform::testing::TTempDir;
using platform::testing::WriteFileBytes;

std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

// A compressed container of uncompressed chunks (each 4096 bytes, the last padded with blanks).
std::vector<uint8_t> RawContainer(std::vector<uint8_t> data) {
    data.resize((data.size() + 4095) / 4096 * 4096, ' ');
    std::vector<uint8_t> out = {0x01};
    for (size_t at = 0; at < data.size(); at += 4096) {
        base::AppendLE16(out, 0x3FFF);
        out.insert(out.end(), data.begin() + static_cast<std::ptrdiff_t>(at),
                   data.begin() + static_cast<std::ptrdiff_t>(at + 4096));
    }
    return out;
}

TEST(VBAContainer, DecompressesPublishedExamplesAndRefusesDamagedOnes) {
    struct Case {
        std::vector<uint8_t> Container;
        std::string Text;
    };
    const Case cases[] = {
        // The normal-compression example of the VBA file format's documentation.
        {{0x01, 0x2F, 0xB0, 0x00, 0x23, 0x61, 0x61, 0x61, 0x62, 0x63, 0x64, 0x65, 0x82, 0x66, 0x00, 0x70, 0x61,
          0x67, 0x68, 0x69, 0x6A, 0x01, 0x38, 0x08, 0x61, 0x6B, 0x6C, 0x00, 0x30, 0x6D, 0x6E, 0x6F, 0x70, 0x06,
          0x71, 0x02, 0x70, 0x04, 0x10, 0x72, 0x73, 0x74, 0x75, 0x76, 0x10, 0x77, 0x78, 0x79, 0x7A, 0x00, 0x3C},
         "#aaabcdefaaaaghijaaaaaklaaamnopqaaaaaaaaaaaarstuvwxyzaaa"},
        // One literal and a copy token of 14 bytes at offset 1.
        {{0x01, 0x03, 0xB0, 0x02, 0x61, 0x0B, 0x00}, std::string(15, 'a')},
        // Two chunks: the copy token's offset counts from the start of its own chunk.
        {{0x01, 0x03, 0xB0, 0x02, 0x61, 0x0B, 0x00, 0x03, 0xB0, 0x02, 0x62, 0x00, 0x00}, std::string(15, 'a') + "bbbb"},
        {RawContainer(Bytes("raw")), "raw" + std::string(4093, ' ')},
        {{0x01}, ""},
    };
    for (const Case& c : cases) {
        const auto out = DecompressVBA(c.Container);
        EXPECT_EQ(std::string(out.begin(), out.end()), c.Text);
    }
    const std::vector<uint8_t> damaged[] = {
        {},
        {0x02, 0x03, 0xB0, 0x02, 0x61, 0x45, 0x00},  // container signature
        {0x01, 0x03, 0x80, 0x02, 0x61, 0x45, 0x00},  // chunk signature
        {0x01, 0x03, 0xB0, 0x01, 0x45, 0x00},        // copy token before any byte
        {0x01, 0x02, 0xB0, 0x02, 0x61, 0x45},        // copy token cut
    };
    for (const auto& d : damaged) EXPECT_THROW(DecompressVBA(d), EBIFFError) << d.size();
}

void AddDirRecord(std::vector<uint8_t>& dir, uint16_t id, const std::vector<uint8_t>& data, uint32_t size) {
    base::AppendLE16(dir, id);
    base::AppendLE32(dir, size);
    dir.insert(dir.end(), data.begin(), data.end());
}
void AddDirRecord(std::vector<uint8_t>& dir, uint16_t id, const std::vector<uint8_t>& data) {
    AddDirRecord(dir, id, data, static_cast<uint32_t>(data.size()));
}

std::vector<uint8_t> Word(uint16_t v) {
    std::vector<uint8_t> out;
    base::AppendLE16(out, v);
    return out;
}
std::vector<uint8_t> Long(uint32_t v) {
    std::vector<uint8_t> out;
    base::AppendLE32(out, v);
    return out;
}

const std::string ModuleText = "Attribute VB_Name = \"Module1\"\r\n\r\nSub Greet()\r\n    MsgBox \"hi\"\r\nEnd Sub\r\n";

// A workbook file with a VBA project of one module, whose stream name differs from its name.
std::vector<uint8_t> WorkbookWithProject(bool withTerminator) {
    test::TBIFFTestWorkbook book;
    book.Cells().StoreFloat(0, 0, 0, 7);
    const std::vector<uint8_t> workbook = book.WriteStream();

    std::vector<uint8_t> dir;
    AddDirRecord(dir, 0x0001, Long(1));                                  // PROJECTSYSKIND
    AddDirRecord(dir, 0x0004, Bytes("VBAProject"));                      // PROJECTNAME
    AddDirRecord(dir, 0x0009, {0x5E, 0x00, 0x00, 0x00, 0x03, 0x00}, 4);  // PROJECTVERSION
    AddDirRecord(dir, 0x000F, Word(1));                                  // PROJECTMODULES
    AddDirRecord(dir, 0x0013, Word(0xFFFF));                             // PROJECTCOOKIE
    AddDirRecord(dir, 0x0019, Bytes("Module1"));
    AddDirRecord(dir, 0x0047, {'M', 0, 'o', 0, 'd', 0, 'u', 0, 'l', 0, 'e', 0, '1', 0});
    AddDirRecord(dir, 0x001A, Bytes("Stream1"));
    AddDirRecord(dir, 0x0032, {'S', 0, 't', 0, 'r', 0, 'e', 0, 'a', 0, 'm', 0, '1', 0});
    AddDirRecord(dir, 0x0031, Long(5));  // MODULEOFFSET
    AddDirRecord(dir, 0x0021, {});
    AddDirRecord(dir, 0x002B, {}, 0);
    if (withTerminator) AddDirRecord(dir, 0x0010, {});

    std::vector<uint8_t> moduleStream = {1, 2, 3, 4, 5};  // performance cache before the text
    const auto text = RawContainer(Bytes(ModuleText));
    moduleStream.insert(moduleStream.end(), text.begin(), text.end());

    platform::TCompoundFile file;
    auto put = [](platform::TCompoundStorage& storage, const std::u16string& name, const std::vector<uint8_t>& bytes) {
        storage.CreateStream(name).WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    };
    put(file.Root(), u"Workbook", workbook);
    platform::TCompoundStorage& project = file.Root().CreateStorage(u"_VBA_PROJECT_CUR");
    put(project, u"PROJECT", Bytes("ID=\"{00000000-0000-0000-0000-000000000000}\"\r\nModule=Module1\r\n"));
    put(project, u"PROJECTwm", Bytes("Module1"));
    platform::TCompoundStorage& vba = project.CreateStorage(u"VBA");
    put(vba, u"dir", RawContainer(dir));
    put(vba, u"_VBA_PROJECT", {0xCC, 0x61, 0xFF, 0xFF, 0x00, 0x00, 0x00});
    put(vba, u"Stream1", moduleStream);
    return file.SaveToBytes();
}

// Every stream below "_VBA_PROJECT_CUR" with its bytes in hexadecimal, as olefile reads them.
std::string ProjectStreams(const std::string& path) {
    const auto result = RunCommand("/usr/bin/python3 -c " +
                                   ShellQuote("import sys, olefile\n"
                                              "ole = olefile.OleFileIO(sys.argv[1])\n"
                                              "for entry in sorted(ole.listdir()):\n"
                                              "    if entry[0] == '_VBA_PROJECT_CUR':\n"
                                              "        print('/'.join(entry), ole.openstream(entry).read().hex())\n") +
                                   " " + ShellQuote(path));
    EXPECT_EQ(result.ExitCode, 0) << result.Output;
    return result.Output;
}

TEST(VBAProject, KeptProjectIsReadAndWrittenBackByteForByte) {
    TTempDir dir;
    const auto original = WorkbookWithProject(true);
    WriteFileBytes(dir / "in.xls", original);
    const std::string streams = ProjectStreams(dir / "in.xls");
    ASSERT_NE(streams.find("_VBA_PROJECT_CUR/VBA/Stream1"), std::string::npos) << streams;

    test::TBIFFReadBook read;
    read.Document->SetKeepVBA(true);
    read.Load(original);
    const TXLSVBA& vba = *read.Document->GetVBA();
    ASSERT_TRUE(vba.HasProject());
    ASSERT_EQ(vba.GetModuleCount(), 1);
    const TVBAModuleSource& module = vba.GetModules(0);
    EXPECT_EQ(module.Name, u"Module1");
    EXPECT_EQ(module.ModuleType, 0);
    ASSERT_EQ(module.Attributes.GetCount(), 1);
    EXPECT_EQ(module.Attributes.GetString(0), u"VB_Name = \"Module1\"");
    EXPECT_EQ(module.Source, (std::vector<std::string>{"", "Sub Greet()", "    MsgBox \"hi\"", "End Sub"}));
    EXPECT_EQ(vba.ProjectRecords().size(), 5u);
    EXPECT_EQ(vba.ProjectRecords()[2].Data.size(), 6u);

    WriteFileBytes(dir / "out.xls", read.Save());
    EXPECT_EQ(ProjectStreams(dir / "out.xls"), streams);

    // Without keeping the project it is not read, but it still goes with the other storages
    // of the file read, unchanged.
    test::TBIFFReadBook plain;
    plain.Load(original);
    EXPECT_EQ(plain.Document->GetVBA(), nullptr);
    WriteFileBytes(dir / "plain.xls", plain.Save());
    EXPECT_EQ(ProjectStreams(dir / "plain.xls"), streams);
}

TEST(VBAProject, DirectoryWithoutTerminatorIsRefused) {
    test::TBIFFReadBook read;
    read.Document->SetKeepVBA(true);
    try {
        read.Load(WorkbookWithProject(false));
        ADD_FAILURE();
    } catch (const EBIFFError& e) {
        EXPECT_NE(std::string(e.what()).find("EOF missing in VBA dir stream"), std::string::npos) << e.what();
    }
}

}  // namespace
}  // namespace xls
