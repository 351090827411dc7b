#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "base/memory_stream.h"
#include "platform/compound_file.h"
#include "platform/compound_file_error.h"
#include "platform/tests/compound_file_test_support.h"

namespace platform {
namespace {

using testing::Listing;
using testing::RunCommand;
using testing::Streams;
using testing::TStreamMap;

std::vector<uint8_t> Pattern(size_t size, uint32_t seed) {
    std::vector<uint8_t> bytes(size);
    uint32_t x = seed * 2654435761u + 1;
    for (auto& b : bytes) {
        x = x * 1103515245u + 12345u;
        b = static_cast<uint8_t>(x >> 16);
    }
    return bytes;
}

void Put(TCompoundStorage& storage, const std::u16string& name, const std::vector<uint8_t>& bytes) {
    storage.CreateStream(name).WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
}

// Streams on both sides of the mini stream cutoff, an empty one, nested storages and enough
// siblings for a tree several levels deep.
std::unique_ptr<TCompoundFile> SampleFile() {
    auto file = std::make_unique<TCompoundFile>();
    auto& root = file->Root();
    Put(root, u"Workbook", Pattern(10000, 1));
    Put(root, u"\x05SummaryInformation", Pattern(300, 2));
    Put(root, u"Empty", {});
    Put(root, u"Below", Pattern(4095, 3));
    Put(root, u"AtCutoff", Pattern(4096, 4));
    auto& vba = root.CreateStorage(u"_VBA_PROJECT_CUR");
    Put(vba, u"PROJECT", Pattern(64, 5));
    auto& inner = vba.CreateStorage(u"VBA");
    Put(inner, u"dir", Pattern(65, 6));
    Put(inner, u"Module1", Pattern(5000, 7));
    for (int i = 0; i < 40; ++i)
        Put(root, u"S" + std::u16string(1, static_cast<char16_t>(u'a' + i % 26)) + static_cast<char16_t>(u'0' + i / 26),
            Pattern(static_cast<size_t>(i * 37), 100 + i));
    return file;
}

const char* OlefileLister = R"PY(
import sys, zlib, olefile
def esc(n):
    return "".join(c if 0x20 <= ord(c) < 0x7F else "\\x%02X" % ord(c) for c in n)
ole = olefile.OleFileIO(sys.argv[1])
rows = []
for entry in ole.listdir(streams=True, storages=False):
    data = ole.openstream(entry).read()
    rows.append(("/".join(esc(n) for n in entry), len(data), zlib.crc32(data)))
for r in sorted(rows):
    print("%s\t%d\t%d" % r)
)PY";

const char* CfbLister = R"JS(
const CFB = require(process.argv[2]);
const fs = require("fs");
const esc = n => Array.from(n).map(c => { const o = c.charCodeAt(0);
  return o >= 0x20 && o < 0x7F ? c : "\\x" + o.toString(16).toUpperCase().padStart(2, "0"); }).join("");
const crc = b => { let c = ~0; for (const x of b) { c ^= x; for (let k = 0; k < 8; ++k) c = (c >>> 1) ^ (0xEDB88320 & -(c & 1)); } return (~c) >>> 0; };
const cfb = CFB.read(fs.readFileSync(process.argv[3]), { type: "buffer" });
const rows = [];
cfb.FileIndex.forEach((e, i) => {
  if (e.type !== 2) return;
  const path = cfb.FullPaths[i].split("/").slice(1).map(esc).join("/");
  const data = e.content || [];
  rows.push(path + "\t" + data.length + "\t" + crc(data));
});
rows.sort();
process.stdout.write(rows.map(r => r + "\n").join(""));
)JS";

const char* CfbMaker = R"JS(
const CFB = require(process.argv[2]);
const cfb = CFB.utils.cfb_new();
const bytes = (n, s) => { const b = Buffer.alloc(n); for (let i = 0; i < n; ++i) b[i] = (i * 31 + s) & 255; return b; };
CFB.utils.cfb_add(cfb, "/Workbook", bytes(20000, 1));
CFB.utils.cfb_add(cfb, "/\u0005DocumentSummaryInformation", bytes(500, 2));
CFB.utils.cfb_add(cfb, "/_VBA_PROJECT_CUR/VBA/dir", bytes(700, 3));
CFB.utils.cfb_add(cfb, "/_VBA_PROJECT_CUR/PROJECT", bytes(9000, 4));
require("fs").writeFileSync(process.argv[3], CFB.write(cfb, { type: "buffer" }));
)JS";

class CompoundFileTest : public ::testing::Test {
protected:
    void SetUp() override { Dir_ = testing::TempDir(::testing::UnitTest::GetInstance()->current_test_info()->name()); }
    void TearDown() override { std::filesystem::remove_all(Dir_); }

    std::string PathOf(const std::string& name) const { return (Dir_ / name).string(); }
    std::string WriteScript(const std::string& name, const char* text) const {
        std::ofstream(PathOf(name)) << text;
        return PathOf(name);
    }
    std::string Olefile(const std::string& file) const {
        int status = 0;
        const std::string out =
            RunCommand("/usr/bin/python3 " + WriteScript("list.py", OlefileLister) + " " + file, status);
        EXPECT_EQ(status, 0) << out;
        return out;
    }
    // The npm package's folder, which scripts/setup installs outside the repository; a test
    // that needs it fails when it is missing rather than passing without its oracle.
    static std::string CfbModule() {
        const std::filesystem::path module = std::filesystem::path(OMBRIX_ORACLES) / "node_modules" / "cfb";
        if (std::filesystem::exists(module / "package.json")) return module.string();
        ADD_FAILURE() << "the npm oracle cfb is not installed in " << module.string() << ": run scripts/setup";
        return {};
    }
    std::string Node(const char* script, const std::string& file) const {
        int status = 0;
        const std::string out =
            RunCommand("node " + WriteScript("script.js", script) + " " + CfbModule() + " " + file, status);
        EXPECT_EQ(status, 0) << out;
        return out;
    }

    std::filesystem::path Dir_;
};

TEST_F(CompoundFileTest, RoundTripsThroughFileAndMemory) {
    const auto file = SampleFile();
    const TStreamMap expected = Streams(*file);
    file->SaveToFile(PathOf("a.cfb"));
    EXPECT_TRUE(TCompoundFile::IsCompoundFile(PathOf("a.cfb")));
    EXPECT_EQ(Streams(*TCompoundFile::OpenFile(PathOf("a.cfb"))), expected);
    EXPECT_EQ(Streams(*TCompoundFile::OpenMemory(file->SaveToBytes())), expected);
    base::TMemoryStream memory;
    file->SaveToStream(memory);
    memory.SetPosition(17);
    EXPECT_EQ(Streams(*TCompoundFile::OpenStream(memory)), expected);
    EXPECT_EQ(memory.Position(), 0);
}

TEST_F(CompoundFileTest, UnusedDirectoryEntriesLinkNowhere) {
    const std::vector<uint8_t> bytes = SampleFile()->SaveToBytes();
    const auto u32 = [&](size_t at) {
        return static_cast<uint32_t>(bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | bytes[at + 3] << 24);
    };
    // Walk the directory chain through the first FAT sector (the sample is small); every
    // entry without a type must have no links.
    const size_t fat = 512 + size_t{u32(76)} * 512;
    int unused = 0;
    for (uint32_t sector = u32(48); sector < 128; sector = u32(fat + 4 * sector)) {
        const size_t at = 512 + size_t{sector} * 512;
        for (size_t entry = at; entry < at + 512; entry += 128) {
            if (bytes[entry + 66] != 0) continue;
            ++unused;
            EXPECT_EQ(u32(entry + 68), 0xFFFFFFFFu);
            EXPECT_EQ(u32(entry + 72), 0xFFFFFFFFu);
            EXPECT_EQ(u32(entry + 76), 0xFFFFFFFFu);
        }
    }
    EXPECT_GT(unused, 0) << "the sample should leave room in its last directory sector";
}

TEST_F(CompoundFileTest, OlefileReadsWhatWeWrite) {
    const auto file = SampleFile();
    file->SaveToFile(PathOf("a.cfb"));
    EXPECT_EQ(Olefile(PathOf("a.cfb")), Listing(Streams(*file)));
}

TEST_F(CompoundFileTest, OlefileReadsFilesThatNeedTheDifat) {
    // More than 109 FAT sectors: the FAT sector list continues in DIFAT sectors.
    TCompoundFile file;
    Put(file.Root(), u"Workbook", Pattern(9 << 20, 9));
    Put(file.Root(), u"Small", Pattern(10, 10));
    file.SaveToFile(PathOf("big.cfb"));
    const TStreamMap expected = Streams(file);
    EXPECT_EQ(Olefile(PathOf("big.cfb")), Listing(expected));
    EXPECT_EQ(Streams(*TCompoundFile::OpenFile(PathOf("big.cfb"))), expected);
}

TEST_F(CompoundFileTest, NpmCfbReadsWhatWeWrite) {
    if (CfbModule().empty()) return;
    const auto file = SampleFile();
    file->SaveToFile(PathOf("a.cfb"));
    EXPECT_EQ(Node(CfbLister, PathOf("a.cfb")), Listing(Streams(*file)));
}

TEST_F(CompoundFileTest, FilesWrittenByOthersAreReadAndCarriedThrough) {
    if (CfbModule().empty()) return;
    Node(CfbMaker, PathOf("theirs.cfb"));
    const std::string theirs = Node(CfbLister, PathOf("theirs.cfb"));
    ASSERT_NE(theirs.find("_VBA_PROJECT_CUR/VBA/dir\t700"), std::string::npos) << theirs;
    EXPECT_EQ(Olefile(PathOf("theirs.cfb")), theirs);

    const auto read = TCompoundFile::OpenFile(PathOf("theirs.cfb"));
    EXPECT_EQ(Listing(Streams(*read)), theirs);
    // Everything but the workbook stream goes into a new file, as a workbook save does.
    TCompoundFile copy;
    read->Root().CopyTo(copy.Root());
    ASSERT_TRUE(copy.Root().DestroyElement(u"WORKBOOK"));
    Put(copy.Root(), u"Workbook", read->Root().ReadStream(u"Workbook"));
    copy.SaveToFile(PathOf("ours.cfb"));
    EXPECT_EQ(Node(CfbLister, PathOf("ours.cfb")), theirs);
    EXPECT_EQ(Olefile(PathOf("ours.cfb")), theirs);
}

TEST_F(CompoundFileTest, ReadsAChangeOlefileMadeInPlace) {
    const auto file = SampleFile();
    file->SaveToFile(PathOf("a.cfb"));
    int status = 0;
    RunCommand(
        "/usr/bin/python3 -c \"import olefile; o = olefile.OleFileIO('" + PathOf("a.cfb") +
            "', write_mode=True); o.write_stream('_VBA_PROJECT_CUR/VBA/Module1', bytes(range(200)) * 25); o.close()\"",
        status);
    ASSERT_EQ(status, 0);
    const auto read = TCompoundFile::OpenFile(PathOf("a.cfb"));
    const auto module = read->Root().OpenStorage(u"_VBA_PROJECT_CUR").OpenStorage(u"vba").ReadStream(u"Module1");
    ASSERT_EQ(module.size(), 5000u);
    EXPECT_EQ(module[4999], 4999 % 200);
}

// A version 4 file with 4096-byte sectors, laid out by hand: FAT, directory, mini FAT, mini
// stream, then a 5000-byte stream in two sectors.
std::vector<uint8_t> Version4File() {
    constexpr size_t S = 4096;
    std::vector<uint8_t> b(S * 7, 0);
    auto u16 = [&](size_t at, uint16_t v) {
        b[at] = static_cast<uint8_t>(v), b[at + 1] = static_cast<uint8_t>(v >> 8);
    };
    auto u32 = [&](size_t at, uint32_t v) {
        u16(at, static_cast<uint16_t>(v)), u16(at + 2, static_cast<uint16_t>(v >> 16));
    };
    const uint8_t signature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    std::copy(signature, signature + 8, b.begin());
    u16(24, 0x3E), u16(26, 4), u16(28, 0xFFFE), u16(30, 12), u16(32, 6);
    u32(44, 1), u32(48, 1), u32(56, 4096), u32(60, 2), u32(64, 1), u32(68, 0xFFFFFFFE);
    for (int i = 0; i < 109; ++i) u32(76 + 4 * i, i == 0 ? 0 : 0xFFFFFFFF);
    const uint32_t fat[] = {0xFFFFFFFD, 0xFFFFFFFE, 0xFFFFFFFE, 0xFFFFFFFE, 5, 0xFFFFFFFE};
    for (size_t i = 0; i < S / 4; ++i) u32(S + 4 * i, i < 6 ? fat[i] : 0xFFFFFFFF);
    for (size_t i = 0; i < S / 4; ++i) u32(3 * S + 4 * i, i == 0 ? 1 : i == 1 ? 0xFFFFFFFE : 0xFFFFFFFF);
    auto entry = [&](int index, const std::u16string& name, uint8_t type, uint32_t child, uint32_t right,
                     uint32_t start, uint32_t size) {
        const size_t at = 2 * S + 128 * static_cast<size_t>(index);
        for (size_t i = 0; i < name.size(); ++i) u16(at + 2 * i, name[i]);
        u16(at + 64, static_cast<uint16_t>(2 * name.size() + 2));
        b[at + 66] = type, b[at + 67] = 1;
        u32(at + 68, 0xFFFFFFFF), u32(at + 72, right), u32(at + 76, child), u32(at + 116, start), u32(at + 120, size);
    };
    entry(0, u"Root Entry", 5, 1, 0xFFFFFFFF, 3, 128);
    entry(1, u"Tiny", 2, 0xFFFFFFFF, 2, 0, 100);
    entry(2, u"Workbook", 2, 0xFFFFFFFF, 0xFFFFFFFF, 4, 5000);
    for (size_t i = 0; i < 100; ++i) b[4 * S + i] = static_cast<uint8_t>(i + 1);
    for (size_t i = 0; i < 5000; ++i) b[5 * S + i] = static_cast<uint8_t>(i * 7);
    return b;
}

TEST_F(CompoundFileTest, ReadsVersion4FilesLikeOlefile) {
    const auto bytes = Version4File();
    std::ofstream(PathOf("v4.cfb"), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    const std::string theirs = Olefile(PathOf("v4.cfb"));
    ASSERT_NE(theirs.find("Workbook\t5000"), std::string::npos) << theirs;
    const auto file = TCompoundFile::OpenFile(PathOf("v4.cfb"));
    EXPECT_EQ(Listing(Streams(*file)), theirs);
    // Carried into a version 3 file unchanged.
    EXPECT_EQ(Listing(Streams(*TCompoundFile::OpenMemory(file->SaveToBytes()))), theirs);
}

// A stream whose sectors follow each other is read where it stands in memory, a scattered one
// sector by sector: both give the same bytes, also while seeking.
TEST_F(CompoundFileTest, StreamsInOneRunAndScatteredReadAlikeFromMemory) {
    constexpr size_t S = 4096;
    const std::vector<uint8_t> run = Version4File();
    // The same file with the workbook's two sectors in the other order: sector 5 first, then 4.
    std::vector<uint8_t> scattered = run;
    std::copy(run.begin() + 5 * S, run.begin() + 6 * S, scattered.begin() + 6 * S);
    std::copy(run.begin() + 6 * S, run.begin() + 7 * S, scattered.begin() + 5 * S);
    auto u32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) scattered[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
    };
    u32(S + 4 * 4, 0xFFFFFFFE);
    u32(S + 4 * 5, 4);
    u32(2 * S + 128 * 2 + 116, 5);
    std::vector<uint8_t> expected(5000);
    for (size_t i = 0; i < expected.size(); ++i) expected[i] = static_cast<uint8_t>(i * 7);
    const std::vector<uint8_t>* files[] = {&run, &scattered};
    for (const std::vector<uint8_t>* file : files) {
        const auto read = TCompoundFile::OpenMemory(*file);
        EXPECT_EQ(read->Root().ReadStream(u"Workbook"), expected);
        auto stream = read->Root().OpenStream(u"Workbook");
        uint8_t two[2] = {};
        stream->Seek(4095, base::TSeekOrigin::soBeginning);
        ASSERT_EQ(stream->Read(two, 2), 2);
        EXPECT_EQ(two[0], expected[4095]);
        EXPECT_EQ(two[1], expected[4096]);
        EXPECT_EQ(stream->Seek(-1, base::TSeekOrigin::soEnd), 4999);
        EXPECT_THROW(stream->Seek(-5000, base::TSeekOrigin::soCurrent), ECompoundFileError);
        EXPECT_EQ(stream->Read(two, 2), 1);
    }
}

TEST_F(CompoundFileTest, StorageOperations) {
    TCompoundFile file;
    auto& root = file.Root();
    Put(root, u"Book", Pattern(10, 1));
    Put(root, u"BOOK", Pattern(20, 2));  // names match without regard to case: replaced
    ASSERT_EQ(root.Elements().size(), 1u);
    EXPECT_EQ(root.ReadStream(u"book").size(), 20u);
    EXPECT_THROW(root.OpenStorage(u"Book"), ECompoundFileError);
    EXPECT_THROW(root.ReadStream(u"Missing"), ECompoundFileError);
    EXPECT_THROW(root.CreateStream(u"a/b"), ECompoundFileError);
    EXPECT_THROW(root.CreateStream(std::u16string(32, u'x')), ECompoundFileError);
    auto& sub = root.CreateStorage(u"Sub");
    Put(sub, u"Inner", Pattern(5000, 3));
    sub.SetClsid({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16});

    TCompoundFile target;
    Put(target.Root(), u"Book", Pattern(1, 9));
    root.CopyTo(target.Root());
    EXPECT_EQ(Streams(target), Streams(file));
    // The copy is deep: changing the original leaves it alone.
    Put(sub, u"Inner", Pattern(1, 1));
    EXPECT_EQ(target.Root().OpenStorage(u"Sub").ReadStream(u"Inner").size(), 5000u);
    const auto reread = TCompoundFile::OpenMemory(target.SaveToBytes());
    EXPECT_EQ(reread->Root().OpenStorage(u"Sub").Clsid()[15], 16);
    EXPECT_TRUE(reread->Root().DestroyElement(u"sub"));
    EXPECT_FALSE(reread->Root().DestroyElement(u"sub"));
}

TEST_F(CompoundFileTest, FailedSaveLeavesTheOldFileAndNoTemporary) {
    std::ofstream(PathOf("target.xls")) << "old contents";
    // A stream whose chain in its source file is broken fails while the new file is written.
    TCompoundFile source;
    Put(source.Root(), u"Workbook", Pattern(8192, 1));
    auto bytes = source.SaveToBytes();
    bytes[512 + 8192 + 128 + 116] = 0x7F;  // start sector of the stream's directory entry
    bytes[512 + 8192 + 128 + 119] = 0x00;
    const auto broken = TCompoundFile::OpenMemory(bytes);
    EXPECT_THROW(broken->SaveToFile(PathOf("target.xls")), ECompoundFileError);
    std::ifstream in(PathOf("target.xls"));
    std::string contents((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(contents, "old contents");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Dir_), std::filesystem::directory_iterator()), 1);
    EXPECT_THROW(source.SaveToFile(""), ECompoundFileError);
}

// The committed fuzz seeds (made by tools/workbook_seeds/make_seeds.py with xlwt, LibreOffice
// and npm cfb) read as olefile reads them.
TEST_F(CompoundFileTest, OlefileAgreesOnTheSeedFilesOfOtherProducers) {
    const std::filesystem::path corpus =
        std::filesystem::path(OMBRIX_SOURCE_DIR) / "platform/fuzz/compound_file_corpus";
    int seeds = 0;
    for (const auto& item : std::filesystem::directory_iterator(corpus)) {
        SCOPED_TRACE(item.path().filename().string());
        ++seeds;
        EXPECT_EQ(Olefile(item.path().string()), Listing(Streams(*TCompoundFile::OpenFile(item.path().string()))));
    }
    EXPECT_GE(seeds, 4);
}

}  // namespace
}  // namespace platform
