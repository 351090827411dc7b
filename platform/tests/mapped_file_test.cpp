#include <gtest/gtest.h>

#include <cstdint>
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

}  // namespace
}  // namespace platform
