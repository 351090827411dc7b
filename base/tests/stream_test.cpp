#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "base/exception.h"
#include "base/file_stream.h"
#include "base/memory_stream.h"

namespace base {
namespace {

TEST(MemoryStream, GrowsZeroFillsGapsAndReadsBack) {
    TMemoryStream stream;
    stream.WriteBuffer("abc", 3);
    stream.SetPosition(6);
    stream.WriteBuffer("Z", 1);
    EXPECT_EQ(stream.Size(), 7);
    ASSERT_EQ(stream.Seek(0, TSeekOrigin::soBeginning), 0);
    char buffer[8] = {};
    EXPECT_EQ(stream.Read(buffer, 8), 7);
    EXPECT_EQ(std::string(buffer, 7), std::string("abc\0\0\0Z", 7));
    EXPECT_EQ(stream.Read(buffer, 8), 0);
    EXPECT_THROW(stream.ReadBuffer(buffer, 1), EReadError);
    EXPECT_EQ(stream.Seek(-2, TSeekOrigin::soEnd), 5);
    EXPECT_THROW(stream.Seek(-1, TSeekOrigin::soBeginning), EStreamError);
    stream.SetSize(2);
    EXPECT_EQ(stream.Position(), 2);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(stream.Memory()), 2), "ab");
}

// Bytes cut off by a smaller size, or room reserved ahead, never show up again as content.
TEST(MemoryStream, RegrowingAfterCutOrReserveShowsZerosNotOldBytes) {
    TMemoryStream stream;
    stream.SetCapacity(4096);
    EXPECT_EQ(stream.Size(), 0);
    stream.WriteBuffer("abcdef", 6);
    stream.SetSize(2);
    stream.SetPosition(5);
    stream.WriteBuffer("Z", 1);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(stream.Memory()), 6), std::string("ab\0\0\0Z", 6));
    stream.SetSize(1);
    stream.SetSize(4);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(stream.Memory()), 4), std::string("a\0\0\0", 4));
    // Growing well past the reserved room keeps what was written.
    std::string big(100000, 'x');
    stream.SetPosition(4);
    stream.WriteBuffer(big.data(), static_cast<int64_t>(big.size()));
    stream.SetCapacity(10);
    EXPECT_EQ(stream.Size(), 100004);
    EXPECT_EQ(stream.Memory()[0], 'a');
    EXPECT_EQ(stream.Memory()[100003], 'x');
    EXPECT_THROW(TMemoryStream::View("ab", 2).SetCapacity(8), EStreamError);
}

TEST(MemoryStream, ViewReadsConstantBytesWithoutCopyAndRefusesWrites) {
    static const uint8_t Bytes[] = {1, 2, 3, 4};
    TMemoryStream view = TMemoryStream::View(Bytes, sizeof Bytes);
    EXPECT_TRUE(view.IsView());
    EXPECT_EQ(view.Memory(), Bytes);
    uint8_t buffer[4];
    view.ReadBuffer(buffer, 4);
    EXPECT_EQ(buffer[3], 4);
    EXPECT_EQ(view.Write(buffer, 1), 0);
    EXPECT_THROW(view.WriteBuffer(buffer, 1), EWriteError);
    EXPECT_THROW(view.SetSize(1), EStreamError);
    EXPECT_THROW(view.Data(), EStreamError);
    EXPECT_EQ(TMemoryStream::View(nullptr, 0).Size(), 0);
    EXPECT_THROW(TMemoryStream::View(nullptr, 5), EStreamError);
}

TEST(FileStream, CreatesWritesReopensAndCopies) {
    const std::string path = testing::TempDir() + "/file_stream_test.bin";
    {
        TFileStream file(path, fmCreate);
        file.WriteBuffer("hello world", 11);
        EXPECT_EQ(file.Size(), 11);
        file.SetSize(5);
    }
    TFileStream file(path, fmOpenRead | fmShareDenyNone);
    EXPECT_EQ(file.Size(), 5);
    TMemoryStream copy;
    EXPECT_EQ(copy.CopyFrom(file, 0), 5);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(copy.Memory()), 5), "hello");
    EXPECT_EQ(file.Write("x", 1), 0);  // opened for reading only
    std::filesystem::remove(path);
}

TEST(FileStream, ErrorsNameTheFile) {
    try {
        TFileStream file("/nonexistent-dir/x.bin", fmOpenRead);
        FAIL();
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message().rfind("Cannot open file \"/nonexistent-dir/x.bin\". ", 0), 0u) << e.Message();
    }
    EXPECT_THROW(TFileStream("/nonexistent-dir/x.bin", fmCreate), EFCreateError);
}

}  // namespace
}  // namespace base
