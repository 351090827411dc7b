#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "base/exception.h"
#include "platform/compound_file.h"
#include "platform/mapped_file.h"
#include "platform/testing/test_files.h"

namespace platform {
namespace {

using testing::TTempDir;
using testing::WriteFileBytes;

std::vector<uint8_t> Bytes(size_t size) {
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i * 7 + i / 256);
    return bytes;
}

TEST(MappedFileStream, ReadsTheFileAtEveryPositionAndSize) {
    TTempDir dir;
    // Across page boundaries, one byte, and nothing at all.
    for (size_t size : {size_t{10000}, size_t{1}, size_t{0}}) {
        SCOPED_TRACE(size);
        const std::vector<uint8_t> bytes = Bytes(size);
        WriteFileBytes(dir / "f.bin", bytes);
        TMappedFileStream stream(dir / "f.bin");
        ASSERT_EQ(stream.Size(), static_cast<int64_t>(size));
        std::vector<uint8_t> all(size + 10);
        EXPECT_EQ(stream.Read(all.data(), static_cast<int64_t>(all.size())), static_cast<int64_t>(size));
        all.resize(size);
        EXPECT_EQ(all, bytes);
        EXPECT_EQ(stream.Read(all.data(), 1), 0);
        if (size < 4097) continue;
        stream.Seek(4095, base::TSeekOrigin::soBeginning);
        uint8_t two[2] = {};
        ASSERT_EQ(stream.Read(two, 2), 2);
        EXPECT_EQ(two[0], bytes[4095]);
        EXPECT_EQ(two[1], bytes[4096]);
        EXPECT_EQ(stream.Seek(-3, base::TSeekOrigin::soEnd), static_cast<int64_t>(size) - 3);
    }
}

TEST(MappedFileStream, RefusesWritesAndWhatCannotBeMapped) {
    TTempDir dir;
    WriteFileBytes(dir / "f.bin", Bytes(100));
    TMappedFileStream stream(dir / "f.bin");
    const uint8_t byte = 1;
    EXPECT_THROW(stream.Write(&byte, 1), base::EStreamError);
    EXPECT_THROW(stream.SetSize(10), base::EStreamError);
    EXPECT_EQ(stream.Size(), 100);
    EXPECT_THROW(TMappedFileStream(dir / "missing.bin"), base::EFOpenError);
    EXPECT_THROW(TMappedFileStream(dir.Path().string()), base::EFOpenError);
}

TEST(MappedFileStream, CompoundFileLoadedFromAFileReadsItsStreams) {
    TTempDir dir;
    TCompoundFile written;
    const std::vector<uint8_t> big = Bytes(70000);
    const std::vector<uint8_t> small = Bytes(300);
    written.Root().CreateStream(u"Big").WriteBuffer(big.data(), static_cast<int64_t>(big.size()));
    written.Root().CreateStream(u"Small").WriteBuffer(small.data(), static_cast<int64_t>(small.size()));
    written.SaveToFile(dir / "c.bin");
    const auto loaded = TCompoundFile::LoadFile(dir / "c.bin");
    EXPECT_EQ(loaded->Root().ReadStream(u"Big"), big);
    EXPECT_EQ(loaded->Root().ReadStream(u"Small"), small);
}

// Resident pages of mapped files, KiB.
long FileResidentKiB() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("RssFile:", 0) == 0) return std::stol(line.substr(8));
    return -1;
}

// Released bytes leave the process's memory but still read as they were; released bytes of a
// file held in the heap (not mapped) must stay untouched.
TEST(MappedFileStream, ReleasedStreamBytesLeaveMemoryAndStillReadTheSame) {
    TTempDir dir;
    const std::vector<uint8_t> big = Bytes(8 << 20);
    TCompoundFile written;
    written.Root().CreateStream(u"Big").WriteBuffer(big.data(), static_cast<int64_t>(big.size()));
    written.SaveToFile(dir / "c.bin");
    const std::vector<uint8_t> file = written.SaveToBytes();
    struct Case {
        const char* Name;
        std::unique_ptr<TCompoundFile> Loaded;
        bool Mapped;
    } cases[] = {{"mapped", TCompoundFile::LoadFile(dir / "c.bin"), true},
                 {"in memory", TCompoundFile::OpenMemory(file), false}};
    for (Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const auto stream = c.Loaded->Root().OpenStream(u"Big");
        const uint8_t* bytes = stream->ContiguousBytes();
        ASSERT_NE(bytes, nullptr);
        const long before = FileResidentKiB();
        TCompoundFile::ReleaseReadBytes(*stream, static_cast<int64_t>(big.size()) - 1000);
        if (c.Mapped) {
            EXPECT_LT(FileResidentKiB(), before - 6 * 1024);
        }
        EXPECT_TRUE(std::equal(big.begin(), big.end(), bytes));
        // Past the end and before the start: nothing to release, nothing broken.
        TCompoundFile::ReleaseReadBytes(*stream, static_cast<int64_t>(big.size()) * 2);
        TCompoundFile::ReleaseReadBytes(*stream, -1);
        EXPECT_EQ(c.Loaded->Root().ReadStream(u"Big"), big);
    }
}

}  // namespace
}  // namespace platform
