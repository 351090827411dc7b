#include <gtest/gtest.h>

#include <functional>

#include "platform/compound_file.h"
#include "platform/compound_file_error.h"
#include "platform/compound_file_format.h"
#include "platform/tests/compound_file_test_support.h"

namespace platform {
namespace {

using Bytes = std::vector<uint8_t>;

// A small valid file: a mini stream "Small" and a 5000-byte stream "Workbook". Directory entry 1
// is "Small", entry 2 "Workbook" (shorter names sort first).
Bytes ValidFile() {
    TCompoundFile file;
    Bytes small(100, 7), large(5000, 9);
    file.Root().CreateStream(u"Small").WriteBuffer(small.data(), 100);
    file.Root().CreateStream(u"Workbook").WriteBuffer(large.data(), 5000);
    return file.SaveToBytes();
}

uint32_t HeaderField(const Bytes& b, size_t offset) { return base::LoadLE32(b.data() + offset); }
size_t SectorAt(uint32_t sector) { return (static_cast<size_t>(sector) + 1) * 512; }
size_t DirEntry(const Bytes& b, uint32_t index) { return SectorAt(HeaderField(b, 48)) + index * 128; }
size_t FatEntry(const Bytes& b, uint32_t sector) { return SectorAt(HeaderField(b, 76)) + sector * 4; }
void Set32(Bytes& b, size_t offset, uint32_t value) { base::StoreLE32(b.data() + offset, value); }

// Opens and reads every stream, as a reader of a workbook file would.
testing::TStreamMap ReadEverything(const Bytes& bytes) {
    const auto file = TCompoundFile::OpenMemory(bytes);
    testing::TStreamMap streams;
    testing::CollectStreams(file->Root(), "", streams);
    return streams;
}

TEST(CompoundFileHostileTest, ValidFileReads) {
    const testing::TStreamMap streams = ReadEverything(ValidFile());
    const testing::TStreamMap expected = {{"Small", Bytes(100, 7)}, {"Workbook", Bytes(5000, 9)}};
    EXPECT_EQ(streams, expected);
}

TEST(CompoundFileHostileTest, BrokenStructuresAreClearErrors) {
    const struct {
        const char* Name;
        std::function<void(Bytes&)> Break;
    } cases[] = {
        {"shorter than the header", [](Bytes& b) { b.resize(300); }},
        {"wrong signature", [](Bytes& b) { b[0] = 0; }},
        {"unknown sector size", [](Bytes& b) { b[30] = 10; }},
        {"version 4 with 512-byte sectors", [](Bytes& b) { b[26] = 4; }},
        {"FAT sector count beyond the file", [](Bytes& b) { Set32(b, 44, 0xFFFFFFFF); }},
        {"FAT sector beyond the file", [](Bytes& b) { Set32(b, 76, 0x00FFFFFF); }},
        {"FAT sectors missing from a DIFAT", [](Bytes& b) { Set32(b, 44, 3); }},
        {"DIFAT chain in a cycle",
         [](Bytes& b) {
             Set32(b, 44, 490);
             b.resize(b.size() + 512 * 600);
             Set32(b, 68, 20);
             Set32(b, 72, 200);
             Set32(b, SectorAt(20) + 508, 20);
         }},
        {"directory start beyond the file", [](Bytes& b) { Set32(b, 48, 5000); }},
        {"directory chain in a cycle", [](Bytes& b) { Set32(b, FatEntry(b, HeaderField(b, 48)), HeaderField(b, 48)); }},
        {"no root entry", [](Bytes& b) { b[DirEntry(b, 0) + 66] = cfb::etStorage; }},
        {"name longer than 32 code units", [](Bytes& b) { b[DirEntry(b, 1) + 64] = 200; }},
        {"child link out of range", [](Bytes& b) { Set32(b, DirEntry(b, 0) + 76, 77); }},
        {"tree link back to the root", [](Bytes& b) { Set32(b, DirEntry(b, 1) + 68, 0); }},
        {"tree link to itself", [](Bytes& b) { Set32(b, DirEntry(b, 2) + 72, 2); }},
        {"tree link to an unused entry", [](Bytes& b) { Set32(b, DirEntry(b, 2) + 72, 3); }},
        {"stream larger than the file", [](Bytes& b) { Set32(b, DirEntry(b, 2) + 120, 0x7FFFFFF0); }},
        {"stream chain shorter than its size",
         [](Bytes& b) {
             const uint32_t start = base::LoadLE32(b.data() + DirEntry(b, 2) + 116);
             Set32(b, FatEntry(b, start), cfb::EndOfChain);
         }},
        // Each cycle lies within the length the size asks for, so only the cycle check sees it.
        {"stream chain in a cycle",
         [](Bytes& b) {
             const uint32_t start = base::LoadLE32(b.data() + DirEntry(b, 2) + 116);
             Set32(b, FatEntry(b, start + 3), start);
         }},
        {"mini stream chain in a cycle",
         [](Bytes& b) {
             const uint32_t start = base::LoadLE32(b.data() + DirEntry(b, 1) + 116);
             Set32(b, SectorAt(HeaderField(b, 60)) + start * 4, start);
         }},
        {"stream sector beyond the file", [](Bytes& b) { Set32(b, DirEntry(b, 2) + 116, 0xFFFFFF00); }},
        {"mini stream larger than the file", [](Bytes& b) { Set32(b, DirEntry(b, 0) + 120, 0x7FFFFFFF); }},
        {"mini stream chain broken", [](Bytes& b) { Set32(b, DirEntry(b, 0) + 116, 0xFFFFFFF0); }},
        {"mini sector beyond the mini stream", [](Bytes& b) { Set32(b, DirEntry(b, 1) + 116, 1000); }},
        {"mini FAT chain in a cycle",
         [](Bytes& b) {
             Set32(b, 64, 2);
             Set32(b, FatEntry(b, HeaderField(b, 60)), HeaderField(b, 60));
         }},
    };
    for (const auto& c : cases) {
        Bytes bytes = ValidFile();
        c.Break(bytes);
        try {
            ReadEverything(bytes);
            ADD_FAILURE() << c.Name << ": no error";
        } catch (const ECompoundFileError& e) {
            // A cycle must be reported as one, not caught by some other check by chance.
            if (std::string(c.Name).find("cycle") != std::string::npos) {
                EXPECT_NE(std::string(e.what()).find("cycle"), std::string::npos) << c.Name << ": " << e.what();
            }
        }
    }
}

TEST(CompoundFileHostileTest, DeeplyNestedStoragesAreRefused) {
    const auto nested = [](int depth) {
        TCompoundFile file;
        TCompoundStorage* storage = &file.Root();
        for (int i = 0; i < depth; ++i) storage = &storage->CreateStorage(u"S");
        storage->CreateStream(u"Leaf").WriteBuffer("x", 1);
        return file.SaveToBytes();
    };
    EXPECT_EQ(TCompoundFile::OpenMemory(nested(256))->Root().Elements().size(), 1u);
    EXPECT_THROW(TCompoundFile::OpenMemory(nested(5000)), ECompoundFileError);
}

TEST(CompoundFileHostileTest, GarbageInTheHighHalfOfAVersion3SizeIsIgnored) {
    Bytes bytes = ValidFile();
    Set32(bytes, DirEntry(bytes, 2) + 124, 0xDEADBEEF);
    EXPECT_EQ(TCompoundFile::OpenMemory(bytes)->Root().ReadStream(u"Workbook").size(), 5000u);
}

}  // namespace
}  // namespace platform
