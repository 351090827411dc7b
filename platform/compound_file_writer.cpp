#include "platform/compound_file_writer.h"

#include <algorithm>
#include <cstring>
#include <numeric>

#include "platform/compound_file_directory.h"
#include "platform/compound_file_error.h"
#include "platform/compound_file_format.h"

namespace platform {

namespace {

constexpr uint32_t SectorSize = 512;
constexpr uint32_t IdsPerSector = SectorSize / 4;

uint64_t Sectors(uint64_t bytes, uint64_t unit) { return (bytes + unit - 1) / unit; }

struct TDirEntry {
    const TCompoundStorage::Element* Element = nullptr;  // nil for the root
    const TCompoundStorage* Storage = nullptr;           // set for the root and storages
    uint32_t Left = cfb::NoStream;
    uint32_t Right = cfb::NoStream;
    uint32_t Child = cfb::NoStream;
    bool Red = false;
    uint64_t Size = 0;
    uint32_t Start = cfb::EndOfChain;
};

// Collects the directory in breadth-first order and links each storage's elements as a tree.
std::vector<TDirEntry> Flatten(const TCompoundStorage& root) {
    std::vector<TDirEntry> entries(1);
    entries[0].Storage = &root;
    std::vector<cfb::TTreeNode> nodes;
    for (size_t i = 0; i < entries.size(); ++i) {
        if (!entries[i].Storage) continue;
        const auto& children = entries[i].Storage->Children();
        std::vector<const TCompoundStorage::Element*> sorted;
        for (const auto& child : children) sorted.push_back(child.get());
        std::sort(sorted.begin(), sorted.end(),
                  [](const auto* a, const auto* b) { return cfb::CompareNames(a->Name, b->Name) < 0; });
        const uint32_t first = static_cast<uint32_t>(entries.size());
        const int32_t top = cfb::BuildRedBlackTree(static_cast<int32_t>(sorted.size()), nodes);
        auto id = [first](int32_t node) { return node < 0 ? cfb::NoStream : first + static_cast<uint32_t>(node); };
        entries[i].Child = id(top);
        for (size_t k = 0; k < sorted.size(); ++k) {
            TDirEntry e;
            e.Element = sorted[k];
            e.Storage = sorted[k]->Storage.get();
            e.Left = id(nodes[k].Left);
            e.Right = id(nodes[k].Right);
            e.Red = nodes[k].Red;
            if (!e.Storage) {
                const int64_t size = sorted[k]->Stream.Size();
                if (size < 0 || size > 0x7FFFFFFF) throw ECompoundFileError("Stream too large for a compound file");
                e.Size = static_cast<uint64_t>(size);
            }
            entries.push_back(e);
        }
    }
    return entries;
}

// Writes through a buffer so that the target sees large writes only.
class TBufferedWriter {
public:
    explicit TBufferedWriter(base::TStream& target) : Target_(target) { Buffer_.reserve(Capacity); }
    void Put(const void* data, size_t count) {
        const auto* p = static_cast<const uint8_t*>(data);
        if (Buffer_.size() + count > Capacity) Flush();
        if (count >= Capacity) {
            Target_.WriteBuffer(p, static_cast<int64_t>(count));
            return;
        }
        Buffer_.insert(Buffer_.end(), p, p + count);
    }
    void PutU32(uint32_t v) {
        uint8_t b[4];
        base::StoreLE32(b, v);
        Put(b, 4);
    }
    void Pad(uint64_t written, uint64_t unit) {
        static const uint8_t Zero[SectorSize] = {};
        Put(Zero, static_cast<size_t>((unit - written % unit) % unit));
    }
    void Flush() {
        if (!Buffer_.empty()) Target_.WriteBuffer(Buffer_.data(), static_cast<int64_t>(Buffer_.size()));
        Buffer_.clear();
    }

private:
    static constexpr size_t Capacity = 1 << 20;
    base::TStream& Target_;
    std::vector<uint8_t> Buffer_;
};

void CopyStream(const TCompoundStorage::Element& element, uint64_t size, TBufferedWriter& out) {
    if (element.Stream.Owned) {
        out.Put(element.Stream.Owned->Memory(), static_cast<size_t>(size));
        return;
    }
    auto source = element.Stream.Open();
    std::vector<uint8_t> chunk(static_cast<size_t>(std::min<uint64_t>(size, 1 << 20)));
    for (uint64_t done = 0; done < size;) {
        const size_t n = static_cast<size_t>(std::min<uint64_t>(chunk.size(), size - done));
        source->ReadBuffer(chunk.data(), static_cast<int64_t>(n));
        out.Put(chunk.data(), n);
        done += n;
    }
}

void PutDirEntry(const TDirEntry& e, TBufferedWriter& out) {
    uint8_t b[cfb::DirEntrySize] = {};
    const std::u16string& name = e.Element ? e.Element->Name : std::u16string(u"Root Entry");
    for (size_t i = 0; i < name.size(); ++i) base::StoreLE16(b + 2 * i, name[i]);
    base::StoreLE16(b + 64, static_cast<uint16_t>((name.size() + 1) * 2));
    b[66] = !e.Element ? cfb::etRoot : e.Storage ? cfb::etStorage : cfb::etStream;
    b[67] = e.Red ? cfb::ecRed : cfb::ecBlack;
    base::StoreLE32(b + 68, e.Left);
    base::StoreLE32(b + 72, e.Right);
    base::StoreLE32(b + 76, e.Child);
    if (e.Storage) {
        std::memcpy(b + 80, e.Storage->Clsid().data(), 16);
        base::StoreLE32(b + 96, e.Storage->StateBits());
    }
    base::StoreLE32(b + 116, e.Start);
    base::StoreLE32(b + 120, static_cast<uint32_t>(e.Size));
    out.Put(b, sizeof b);
}

void PutUnusedDirEntry(TBufferedWriter& out) {
    uint8_t b[cfb::DirEntrySize] = {};
    base::StoreLE32(b + 68, cfb::NoStream);
    base::StoreLE32(b + 72, cfb::NoStream);
    base::StoreLE32(b + 76, cfb::NoStream);
    out.Put(b, sizeof b);
}

}  // namespace

void WriteCompoundFile(const TCompoundStorage& root, base::TStream& target) {
    std::vector<TDirEntry> entries = Flatten(root);

    // Small streams go to the mini stream, each in consecutive mini sectors.
    uint64_t miniSectors = 0;
    for (auto& e : entries)
        if (e.Element && !e.Storage && e.Size > 0 && e.Size < cfb::MiniStreamCutoff) {
            e.Start = static_cast<uint32_t>(miniSectors);
            miniSectors += Sectors(e.Size, cfb::MiniSectorSize);
        }
    const uint64_t miniStreamBytes = miniSectors * cfb::MiniSectorSize;

    // Regular sectors: the mini stream's container first, then every large stream.
    std::vector<std::pair<uint64_t, uint64_t>> runs;  // first sector and length of every chain
    uint64_t next = 0;
    auto allocate = [&](uint64_t count) {
        runs.emplace_back(next, count);
        next += count;
        return next - count;
    };
    if (miniStreamBytes > 0) entries[0].Start = static_cast<uint32_t>(allocate(Sectors(miniStreamBytes, SectorSize)));
    entries[0].Size = miniStreamBytes;
    for (auto& e : entries)
        if (e.Element && !e.Storage && e.Size >= cfb::MiniStreamCutoff)
            e.Start = static_cast<uint32_t>(allocate(Sectors(e.Size, SectorSize)));
    const uint64_t dirSectors = Sectors(entries.size() * cfb::DirEntrySize, SectorSize);
    const uint64_t firstDir = allocate(dirSectors);
    const uint64_t miniFatSectors = Sectors(miniSectors * 4, SectorSize);
    const uint64_t firstMiniFat = miniFatSectors > 0 ? allocate(miniFatSectors) : cfb::EndOfChain;

    // The FAT must also cover its own sectors and those of the DIFAT.
    uint64_t fatSectors = 0;
    uint64_t difatSectors = 0;
    for (;;) {
        const uint64_t fat = Sectors(next + fatSectors + difatSectors, IdsPerSector);
        const uint64_t difat = fat > cfb::HeaderDifatCount ? Sectors(fat - cfb::HeaderDifatCount, IdsPerSector - 1) : 0;
        if (fat == fatSectors && difat == difatSectors) break;
        fatSectors = fat;
        difatSectors = difat;
    }
    const uint64_t firstFat = next;
    const uint64_t firstDifat = firstFat + fatSectors;
    const uint64_t total = firstDifat + difatSectors;
    if (total >= cfb::MaxRegSect) throw ECompoundFileError("Compound file too large");

    TBufferedWriter out(target);
    uint8_t header[cfb::HeaderSize];
    std::memset(header, 0, sizeof header);
    std::memcpy(header, cfb::Signature, 8);
    base::StoreLE16(header + 24, 0x003E);
    base::StoreLE16(header + 26, 3);
    base::StoreLE16(header + 28, 0xFFFE);
    base::StoreLE16(header + 30, 9);
    base::StoreLE16(header + 32, 6);
    base::StoreLE32(header + 44, static_cast<uint32_t>(fatSectors));
    base::StoreLE32(header + 48, static_cast<uint32_t>(firstDir));
    base::StoreLE32(header + 56, cfb::MiniStreamCutoff);
    base::StoreLE32(header + 60, static_cast<uint32_t>(firstMiniFat));
    base::StoreLE32(header + 64, static_cast<uint32_t>(miniFatSectors));
    base::StoreLE32(header + 68, difatSectors > 0 ? static_cast<uint32_t>(firstDifat) : cfb::EndOfChain);
    base::StoreLE32(header + 72, static_cast<uint32_t>(difatSectors));
    for (uint64_t i = 0; i < cfb::HeaderDifatCount; ++i)
        base::StoreLE32(header + 76 + 4 * i, i < fatSectors ? static_cast<uint32_t>(firstFat + i) : cfb::FreeSect);
    out.Put(header, sizeof header);

    // Mini stream, then the large streams, in the order they were allocated.
    for (const auto& e : entries)
        if (e.Element && !e.Storage && e.Size > 0 && e.Size < cfb::MiniStreamCutoff) {
            CopyStream(*e.Element, e.Size, out);
            out.Pad(e.Size, cfb::MiniSectorSize);
        }
    out.Pad(miniStreamBytes, SectorSize);
    for (const auto& e : entries)
        if (e.Element && !e.Storage && e.Size >= cfb::MiniStreamCutoff) {
            CopyStream(*e.Element, e.Size, out);
            out.Pad(e.Size, SectorSize);
        }
    for (const auto& e : entries) PutDirEntry(e, out);
    // The rest of the last directory sector holds unused entries: empty, with no links
    // (zero links would point at the root entry).
    for (uint64_t k = entries.size(); k % (SectorSize / cfb::DirEntrySize) != 0; ++k) PutUnusedDirEntry(out);

    for (const auto& e : entries)
        if (e.Element && !e.Storage && e.Size > 0 && e.Size < cfb::MiniStreamCutoff) {
            const uint64_t count = Sectors(e.Size, cfb::MiniSectorSize);
            for (uint64_t k = 1; k <= count; ++k)
                out.PutU32(k == count ? cfb::EndOfChain : e.Start + static_cast<uint32_t>(k));
        }
    for (uint64_t k = miniSectors; k < miniFatSectors * IdsPerSector; ++k) out.PutU32(cfb::FreeSect);

    // FAT: every run is one chain of consecutive sectors.
    for (const auto& [first, count] : runs)
        for (uint64_t k = 1; k <= count; ++k)
            out.PutU32(k == count ? cfb::EndOfChain : static_cast<uint32_t>(first + k));
    for (uint64_t k = 0; k < fatSectors; ++k) out.PutU32(cfb::FatSect);
    for (uint64_t k = 0; k < difatSectors; ++k) out.PutU32(cfb::DifSect);
    for (uint64_t k = total; k < fatSectors * IdsPerSector; ++k) out.PutU32(cfb::FreeSect);

    // DIFAT sectors list the FAT sectors beyond the header's 109.
    uint64_t listed = cfb::HeaderDifatCount;
    for (uint64_t d = 0; d < difatSectors; ++d) {
        for (uint64_t k = 0; k + 1 < IdsPerSector; ++k, ++listed)
            out.PutU32(listed < fatSectors ? static_cast<uint32_t>(firstFat + listed) : cfb::FreeSect);
        out.PutU32(d + 1 < difatSectors ? static_cast<uint32_t>(firstDifat + d + 1) : cfb::EndOfChain);
    }
    out.Flush();
}

}  // namespace platform
