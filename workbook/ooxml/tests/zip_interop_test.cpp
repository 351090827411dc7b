// Archives and zlib data made by programs nobody here wrote (Info-ZIP zip/unzip and
// Python's zipfile/zlib) are read by us, and what we write is read by them.
#include <gtest/gtest.h>

#include <zlib.h>

#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "base/file_stream.h"
#include "base/memory_stream.h"
#include "workbook/ooxml/tests/external_tools.h"
#include "workbook/ooxml/zip/zip_archive.h"
#include "workbook/ooxml/zip/zip_archive_intf.h"
#include "workbook/ooxml/zip/zlib_buffers.h"

namespace xls {
namespace {

using testing::RunCommand;
using testing::ShellQuote;

// A folder of sample files: text, noise, empty, a large one and one in a subfolder.
class ZipInterop : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(Dir.Path() / "src" / "sub");
        Files = {{"small.txt", testing::SampleBytes(100, 1)},
                 {"empty.bin", {}},
                 {"big.xml", testing::SampleBytes(700000, 2)},
                 {"sub/noise.bin", testing::SampleBytes(70000, 3)}};
        for (const auto& [name, bytes] : Files) testing::WriteFileBytes(Dir / ("src/" + name), bytes);
    }

    std::string FileList() const {
        std::string list;
        for (const auto& file : Files) list += " " + file.first;
        return list;
    }

    // Runs a command line inside the source folder and expects success.
    void InSource(const std::string& commandLine) {
        const auto result = RunCommand("cd " + ShellQuote(Dir / "src") + " && " + commandLine);
        ASSERT_EQ(result.ExitCode, 0) << commandLine << "\n" << result.Output;
    }

    // Opens the archive and checks every entry against what unzip -p gives for it.
    void ExpectSameAsUnzip(const std::string& archiveName, size_t expectedEntries) {
        SCOPED_TRACE(archiveName);
        base::TFileStream file(archiveName, base::fmOpenRead);
        TXLSZipArchive zip;
        zip.OpenFromStream(file);
        ASSERT_EQ(static_cast<size_t>(zip.Count()), expectedEntries);
        for (int i = 0; i < zip.Count(); ++i) {
            TXLSZipFile& entry = zip.GetFiles(i);
            if (entry.Name().ends_with("/")) continue;
            const auto unzip = RunCommand("unzip -p " + ShellQuote(archiveName) + " " + ShellQuote(entry.Name()));
            ASSERT_EQ(unzip.ExitCode, 0) << unzip.Output;
            base::TMemoryStream ours;
            entry.ExtractToStream(ours);
            EXPECT_EQ(std::string(reinterpret_cast<const char*>(ours.Memory()), static_cast<size_t>(ours.Size())),
                      unzip.Output)
                << entry.Name();
        }
    }

    testing::TTempDir Dir;
    std::vector<std::pair<std::string, std::vector<uint8_t>>> Files;
};

TEST_F(ZipInterop, ArchivesOfInfoZipExtractLikeUnzip) {
    InSource("zip -q -0 " + ShellQuote(Dir / "stored.zip") + FileList());
    InSource("zip -q -9 " + ShellQuote(Dir / "deflated.zip") + FileList());
    InSource("zip -q " + ShellQuote(Dir / "comment.zip") + FileList() +
             " && head -c 60000 big.xml | tr -d '\\r' | "
             "zip -q -z " +
             ShellQuote(Dir / "comment.zip"));
    // Written to a pipe, zip cannot seek back: sizes and CRC follow the data in descriptors.
    InSource("zip -q -r - ." + std::string(" | cat > ") + ShellQuote(Dir / "pipe.zip"));
    ExpectSameAsUnzip(Dir / "stored.zip", 4);
    ExpectSameAsUnzip(Dir / "deflated.zip", 4);
    ExpectSameAsUnzip(Dir / "comment.zip", 4);
    ExpectSameAsUnzip(Dir / "pipe.zip", 5);

    base::TFileStream file(Dir / "pipe.zip", base::fmOpenRead);
    TXLSZipArchive zip;
    zip.OpenFromStream(file);
    const int big = zip.IndexOf("big.xml");
    ASSERT_GE(big, 0);
    EXPECT_TRUE(zip.GetFiles(big).LocalRecord().Flags & FlagDataDescriptor);
    EXPECT_EQ(zip.GetFiles(big).LocalRecord().CompressedSize, 0u);
}

TEST_F(ZipInterop, ArchivesOfPythonExtractLikeUnzip) {
    const std::string script =
        "import sys, zipfile, os\n"
        "os.chdir(sys.argv[1])\n"
        "for name, method in (('py_stored.zip', zipfile.ZIP_STORED), ('py_deflated.zip', zipfile.ZIP_DEFLATED)):\n"
        "    with zipfile.ZipFile(os.path.join('..', name), 'w', method) as z:\n"
        "        z.comment = b'x' * 65535\n"
        "        for f in sys.argv[2:]: z.write(f)\n"
        "        z.writestr('\\u8868/\\u6570\\u636e.txt', 'UTF-8 name')\n";
    testing::WriteFileBytes(Dir / "make.py", std::vector<uint8_t>(script.begin(), script.end()));
    InSource(std::string(testing::Python) + " " + ShellQuote(Dir / "make.py") + " . " + FileList());
    ExpectSameAsUnzip(Dir / "py_stored.zip", 5);
    ExpectSameAsUnzip(Dir / "py_deflated.zip", 5);

    // Stored entries read alternately each keep their own place.
    base::TFileStream file(Dir / "py_stored.zip", base::fmOpenRead);
    TXLSZipArchiveIntfXLS intf;
    intf.OpenRead(file);
    EXPECT_GE(intf.Find("表/数据.txt"), 0);
    auto big = intf.OpenFile("big.xml");
    auto noise = intf.OpenFile("sub/noise.bin");
    std::vector<uint8_t> a(Files[2].second.size()), b(Files[3].second.size());
    for (size_t atA = 0, atB = 0; atA < a.size() || atB < b.size();) {
        atA += static_cast<size_t>(big->Read(a.data() + atA, 5000));
        atB += static_cast<size_t>(noise->Read(b.data() + atB, 777));
    }
    EXPECT_EQ(a, Files[2].second);
    EXPECT_EQ(b, Files[3].second);
}

// The committed fuzz seeds (made by tools/workbook_seeds/make_seeds.py with Python's zipfile,
// openpyxl and LibreOffice): each entry extracts as Python's zipfile reads it, except the
// hostile shapes, which are refused with a clear error.
TEST_F(ZipInterop, SeedArchivesOfOtherProducersExtractLikePython) {
    const std::string lister =
        "import sys, zipfile, zlib\n"
        "for i in zipfile.ZipFile(sys.argv[1]).infolist():\n"
        "    print('%s\\t%d' % (i.filename, zlib.crc32(zipfile.ZipFile(sys.argv[1]).read(i))))\n";
    testing::WriteFileBytes(Dir / "list.py", std::vector<uint8_t>(lister.begin(), lister.end()));
    const std::filesystem::path corpus = std::filesystem::path(OMBRIX_SOURCE_DIR) / "workbook/ooxml/fuzz/zip_corpus";
    int seeds = 0;
    for (const auto& item : std::filesystem::directory_iterator(corpus)) {
        const std::string name = item.path().filename().string();
        SCOPED_TRACE(name);
        ++seeds;
        base::TFileStream file(item.path().string(), base::fmOpenRead);
        std::string ours;
        try {
            TXLSZipArchive zip;
            zip.OpenFromStream(file);
            for (int i = 0; i < zip.Count(); ++i) {
                base::TMemoryStream out;
                zip.GetFiles(i).ExtractToStream(out);
                ours += zip.GetFiles(i).Name() + "\t" +
                        std::to_string(crc32(0, out.Memory(), static_cast<uInt>(out.Size()))) + "\n";
            }
        } catch (const EZipError& e) {
            EXPECT_TRUE(name.starts_with("hostile-") && name != "hostile-bomb.zip") << e.what();
            continue;
        }
        EXPECT_TRUE(!name.starts_with("hostile-") || name == "hostile-bomb.zip") << "accepted";
        const auto python = RunCommand(std::string(testing::Python) + " " + ShellQuote(Dir / "list.py") + " " +
                                       ShellQuote(item.path().string()));
        ASSERT_EQ(python.ExitCode, 0) << python.Output;
        EXPECT_EQ(ours, python.Output);
    }
    EXPECT_GE(seeds, 10);
}

TEST_F(ZipInterop, ArchivesWeWritePassUnzipAndPython) {
    const std::string archiveName = Dir / "ours.zip";
    const std::time_t before = std::time(nullptr);
    {
        base::TFileStream file(archiveName, base::fmCreate);
        TXLSZipArchiveIntfXLS intf;
        intf.OpenWrite(file);
        for (const auto& [name, bytes] : Files) {
            base::TMemoryStream source;
            if (!bytes.empty()) source.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
            intf.AddFile(name, source);
        }
        auto stream = intf.CreateFile("表格/数据.xml");
        stream->WriteBuffer(Files[2].second.data(), static_cast<int64_t>(Files[2].second.size()));
        intf.CloseFile(std::move(stream));
        intf.Close();
    }
    const auto unzipTest = RunCommand("unzip -t " + ShellQuote(archiveName));
    EXPECT_EQ(unzipTest.ExitCode, 0) << unzipTest.Output;
    EXPECT_NE(unzipTest.Output.find("No errors detected"), std::string::npos) << unzipTest.Output;
    const auto pyTest = RunCommand(std::string(testing::Python) + " -m zipfile -t " + ShellQuote(archiveName));
    EXPECT_EQ(pyTest.ExitCode, 0) << pyTest.Output;

    // zipinfo: version 2.0 on an MS-DOS host, archive attribute, deflated or stored.
    const auto info = RunCommand("zipinfo " + ShellQuote(archiveName));
    EXPECT_NE(info.Output.find("-rw-a--     2.0 fat   700000 b- defN"), std::string::npos) << info.Output;
    EXPECT_NE(info.Output.find("-rw-a--     2.0 fat        0 b- stor"), std::string::npos) << info.Output;

    // Python sees the same names (the UTF-8 one too), versions, attributes, contents and
    // a modification time within the two-second resolution of the format.
    const std::string script =
        "import sys, zipfile, time\n"
        "z = zipfile.ZipFile(sys.argv[1])\n"
        "for i in z.infolist():\n"
        "    t = time.mktime(i.date_time + (0, 0, -1))\n"
        "    print(i.filename, i.create_system, i.create_version, i.extract_version, hex(i.external_attr),\n"
        "          int(t >= int(sys.argv[2]) - 2 and t <= time.time() + 2), len(z.read(i)))\n";
    testing::WriteFileBytes(Dir / "check.py", std::vector<uint8_t>(script.begin(), script.end()));
    const auto check = RunCommand(std::string(testing::Python) + " " + ShellQuote(Dir / "check.py") + " " +
                                  ShellQuote(archiveName) + " " + std::to_string(before));
    ASSERT_EQ(check.ExitCode, 0) << check.Output;
    EXPECT_EQ(check.Output,
              "small.txt 0 20 20 0x20 1 100\n"
              "empty.bin 0 20 20 0x20 1 0\n"
              "big.xml 0 20 20 0x20 1 700000\n"
              "sub/noise.bin 0 20 20 0x20 1 70000\n"
              "表格/数据.xml 0 20 20 0x20 1 700000\n");
}

// Thousands of entries, empty and not, in several pieces of central directory: Python reads
// the same list back, and each name is found again ignoring case.
TEST_F(ZipInterop, ManyEntriesPassPythonAndAreFoundByName) {
    constexpr int Count = 5000;
    const std::string archiveName = Dir / "many.zip";
    {
        base::TFileStream file(archiveName, base::fmCreate);
        TXLSZipArchive zip;
        zip.OpenForWrite(file);
        for (int i = 0; i < Count; ++i) {
            base::TMemoryStream source;
            if (i % 3 == 0) source.WriteBuffer("x", 1);
            source.SetPosition(0);
            zip.AddStream("xl/media/image" + std::to_string(i) + ".png", source);
        }
        base::TMemoryStream empty;
        EXPECT_THROW(zip.AddStream("XL/MEDIA/IMAGE4999.PNG", empty), EZipError);
        zip.Close();
    }
    const std::string script =
        "import sys, zipfile\n"
        "z = zipfile.ZipFile(sys.argv[1])\n"
        "names = [i.filename for i in z.infolist()]\n"
        "sizes = [len(z.read(n)) for n in names]\n"
        "ok = names == ['xl/media/image%d.png' % i for i in range(len(names))]\n"
        "print(len(names), int(ok), sum(sizes))\n";
    testing::WriteFileBytes(Dir / "many.py", std::vector<uint8_t>(script.begin(), script.end()));
    const auto check =
        RunCommand(std::string(testing::Python) + " " + ShellQuote(Dir / "many.py") + " " + ShellQuote(archiveName));
    ASSERT_EQ(check.ExitCode, 0) << check.Output;
    EXPECT_EQ(check.Output, "5000 1 1667\n");

    base::TFileStream file(archiveName, base::fmOpenRead);
    TXLSZipArchive zip;
    zip.OpenFromStream(file);
    ASSERT_EQ(zip.Count(), Count);
    for (int i = 0; i < Count; ++i) ASSERT_EQ(zip.IndexOf("XL/Media/Image" + std::to_string(i) + ".PNG"), i);
    EXPECT_EQ(zip.IndexOf("xl/media/image5000.png"), -1);
    EXPECT_EQ(zip.FirstDuplicate(), -1);
}

TEST_F(ZipInterop, ZlibBuffersAgreeWithPython) {
    const auto& data = Files[2].second;
    const auto packed = DeflateBuffer(data.data(), static_cast<int64_t>(data.size()));
    testing::WriteFileBytes(Dir / "ours.z", packed);
    const std::string script =
        "import sys, zlib\n"
        "d = open(sys.argv[1] + '/src/big.xml', 'rb').read()\n"
        "assert zlib.decompress(open(sys.argv[1] + '/ours.z', 'rb').read()) == d\n"
        "open(sys.argv[1] + '/theirs.z', 'wb').write(zlib.compress(d, 9))\n";
    testing::WriteFileBytes(Dir / "z.py", std::vector<uint8_t>(script.begin(), script.end()));
    const auto result =
        RunCommand(std::string(testing::Python) + " " + ShellQuote(Dir / "z.py") + " " + ShellQuote(Dir.Path()));
    ASSERT_EQ(result.ExitCode, 0) << result.Output;
    const auto theirs = testing::ReadFileBytes(Dir / "theirs.z");
    EXPECT_EQ(InflateBuffer(theirs.data(), static_cast<int64_t>(theirs.size())), data);
}

}  // namespace
}  // namespace xls
