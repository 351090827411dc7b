#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/stream.h"
#include "platform/compound_file.h"
#include "platform/mapped_file.h"

namespace platform {

// Parses a compound file without trusting any number in it: every sector number, chain, size
// and directory link is checked against the file before it is used.
class TCompoundFileReader : public std::enable_shared_from_this<TCompoundFileReader> {
public:
    struct Entry {
        std::u16string Name;
        uint8_t Type = 0;
        uint32_t Left = 0;
        uint32_t Right = 0;
        uint32_t Child = 0;
        TCompoundClsid Clsid{};
        uint32_t StateBits = 0;
        uint32_t Start = 0;
        uint64_t Size = 0;
    };

    explicit TCompoundFileReader(std::unique_ptr<base::TStream> source);

    const std::vector<Entry>& Entries() const { return Entries_; }
    // Directory indexes of the storage's elements, in the order of the directory tree.
    const std::vector<uint32_t>& ChildrenOf(uint32_t storage) const { return Children_[storage]; }

    // A read-only stream over the entry's bytes; raises ECompoundFileError for a broken chain.
    std::unique_ptr<base::TStream> OpenEntry(uint32_t entry);

    // Reads count bytes at a file offset; bytes past the end of a short last sector read as zero.
    void ReadAt(uint64_t offset, uint8_t* buffer, size_t count);
    // Lets the pages of bytes [offset, offset + count) of a mapped file leave memory.
    void Release(uint64_t offset, uint64_t count);

private:
    void ReadHeader();
    void ReadFat();
    void ReadDirectory();
    void BuildTree();
    std::vector<uint32_t> Chain(uint32_t start, const std::vector<uint32_t>& table, uint64_t limit, uint64_t wanted,
                                const char* what) const;
    uint64_t SectorOffset(uint32_t sector) const { return (static_cast<uint64_t>(sector) + 1) << SectorShift_; }

    std::unique_ptr<base::TStream> Source_;
    TMappedFileStream* Mapped_ = nullptr;  // the source when it is a file mapping
    const uint8_t* Memory_ = nullptr;      // the source's bytes when they lie in memory: read without a stream call
    uint64_t FileSize_ = 0;
    int SectorShift_ = 9;
    uint32_t SectorCount_ = 0;  // sectors after the header that the file holds, a short last one included
    uint32_t FatSectorCount_ = 0;
    uint32_t FirstDirSector_ = 0;
    uint32_t FirstMiniFatSector_ = 0;
    uint32_t MiniFatSectorCount_ = 0;
    uint32_t FirstDifatSector_ = 0;
    uint32_t DifatSectorCount_ = 0;
    uint32_t HeaderDifat_[109] = {};

    std::vector<uint32_t> Fat_;
    std::vector<uint32_t> MiniFat_;
    std::vector<uint32_t> MiniStreamSectors_;
    uint64_t MiniStreamSize_ = 0;
    std::vector<Entry> Entries_;
    std::vector<std::vector<uint32_t>> Children_;
};

}  // namespace platform
