#include "platform/compound_file_reader.h"

#include <algorithm>
#include <cstring>
#include <functional>

#include "base/memory_stream.h"
#include "platform/compound_file_error.h"
#include "platform/compound_file_format.h"
#include "platform/mapped_file.h"

namespace platform {

namespace {

[[noreturn]] void Fail(const std::string& what) { throw ECompoundFileError("Invalid compound file: " + what); }

// The position a seek of a read-only stream leads to.
int64_t SeekTarget(int64_t position, int64_t size, int64_t offset, base::TSeekOrigin origin) {
    const int64_t from = origin == base::TSeekOrigin::soBeginning ? 0
                         : origin == base::TSeekOrigin::soCurrent ? position
                                                                  : size;
    if ((offset > 0 && from > INT64_MAX - offset) || from + offset < 0)
        throw ECompoundFileError("Invalid stream position");
    return from + offset;
}

// A stream whose bytes lie in fixed-size units scattered over the file (sectors or mini sectors).
class TChainStream : public base::TStream {
public:
    TChainStream(std::shared_ptr<TCompoundFileReader> reader, std::vector<uint64_t> unitOffsets, uint32_t unitSize,
                 int64_t size)
        : Reader_(std::move(reader)), Units_(std::move(unitOffsets)), UnitSize_(unitSize), Size_(size) {}

    int64_t Read(void* buffer, int64_t count) override {
        auto* out = static_cast<uint8_t*>(buffer);
        int64_t done = 0;
        count = std::min(count, Size_ - Position_);
        while (done < count) {
            const uint64_t unit = static_cast<uint64_t>(Position_) / UnitSize_;
            const uint64_t within = static_cast<uint64_t>(Position_) % UnitSize_;
            // Units that follow each other in the file are read in one go.
            uint64_t last = unit;
            uint64_t span = UnitSize_ - within;
            while (span < static_cast<uint64_t>(count - done) && last + 1 < Units_.size() &&
                   Units_[last + 1] == Units_[last] + UnitSize_) {
                ++last;
                span += UnitSize_;
            }
            const int64_t n = static_cast<int64_t>(std::min<uint64_t>(span, static_cast<uint64_t>(count - done)));
            Reader_->ReadAt(Units_[unit] + within, out + done, static_cast<size_t>(n));
            done += n;
            Position_ += n;
        }
        return done;
    }
    int64_t Write(const void*, int64_t) override { return 0; }
    int64_t Seek(int64_t offset, base::TSeekOrigin origin) override {
        Position_ = SeekTarget(Position_, Size_, offset, origin);
        return Position_;
    }
    int64_t Size() override { return Size_; }

private:
    std::shared_ptr<TCompoundFileReader> Reader_;
    std::vector<uint64_t> Units_;
    uint32_t UnitSize_;
    int64_t Size_;
    int64_t Position_ = 0;
};

// A stream whose sectors follow each other in a file held in memory: its bytes are read where
// they stand. Keeps the reader, and so the memory, alive.
class TMemoryRunStream : public base::TStream {
public:
    TMemoryRunStream(std::shared_ptr<TCompoundFileReader> reader, uint64_t offset, const uint8_t* bytes, int64_t size)
        : Reader_(std::move(reader)), Offset_(offset), View_(base::TMemoryStream::View(bytes, size)) {}

    int64_t Read(void* buffer, int64_t count) override { return View_.Read(buffer, count); }
    int64_t Write(const void*, int64_t) override { return 0; }
    int64_t Seek(int64_t offset, base::TSeekOrigin origin) override {
        return View_.Seek(SeekTarget(View_.Position(), View_.Size(), offset, origin), base::TSeekOrigin::soBeginning);
    }
    int64_t Size() override { return View_.Size(); }
    const uint8_t* ContiguousBytes() const override { return View_.Memory(); }
    void ReleaseBefore(int64_t position) {
        if (position > 0) Reader_->Release(Offset_, static_cast<uint64_t>(std::min(position, View_.Size())));
    }

private:
    std::shared_ptr<TCompoundFileReader> Reader_;
    uint64_t Offset_;  // of the first byte in the file
    base::TMemoryStream View_;
};

}  // namespace

TCompoundFileReader::TCompoundFileReader(std::unique_ptr<base::TStream> source) : Source_(std::move(source)) {
    FileSize_ = static_cast<uint64_t>(Source_->Size());
    if ((Mapped_ = dynamic_cast<TMappedFileStream*>(Source_.get())))
        Memory_ = Mapped_->Memory();
    else if (const auto* memory = dynamic_cast<const base::TMemoryStream*>(Source_.get()))
        Memory_ = memory->Memory();
    ReadHeader();
    ReadFat();
    ReadDirectory();
    BuildTree();
}

void TCompoundFileReader::ReadAt(uint64_t offset, uint8_t* buffer, size_t count) {
    size_t got = 0;
    if (offset < FileSize_ && Memory_) {
        got = static_cast<size_t>(std::min<uint64_t>(count, FileSize_ - offset));
        std::memcpy(buffer, Memory_ + offset, got);
    } else if (offset < FileSize_) {
        Source_->Seek(static_cast<int64_t>(offset), base::TSeekOrigin::soBeginning);
        got = static_cast<size_t>(Source_->Read(buffer, static_cast<int64_t>(count)));
    }
    // Only a short last sector ends before its bytes do; sector numbers are checked before.
    if (got < count) std::memset(buffer + got, 0, count - got);
}

void TCompoundFile::ReleaseReadBytes(base::TStream& stream, int64_t position) {
    if (auto* run = dynamic_cast<TMemoryRunStream*>(&stream)) run->ReleaseBefore(position);
}

void TCompoundFileReader::Release(uint64_t offset, uint64_t count) {
    if (Mapped_) Mapped_->Release(static_cast<int64_t>(offset), static_cast<int64_t>(count));
}

void TCompoundFileReader::ReadHeader() {
    if (FileSize_ < cfb::HeaderSize) Fail("the file is shorter than its header");
    uint8_t h[cfb::HeaderSize];
    ReadAt(0, h, sizeof h);
    if (std::memcmp(h, cfb::Signature, 8) != 0) Fail("signature missing");
    const uint16_t major = base::LoadLE16(h + 26);
    SectorShift_ = base::LoadLE16(h + 30);
    if (base::LoadLE16(h + 28) != 0xFFFE) Fail("wrong byte order mark");
    if (!((major == 3 && SectorShift_ == 9) || (major == 4 && SectorShift_ == 12)))
        Fail("unknown version or sector size");
    if (base::LoadLE16(h + 32) != 6) Fail("wrong mini sector size");
    if (base::LoadLE32(h + 56) != cfb::MiniStreamCutoff) Fail("wrong mini stream cutoff");
    FatSectorCount_ = base::LoadLE32(h + 44);
    FirstDirSector_ = base::LoadLE32(h + 48);
    FirstMiniFatSector_ = base::LoadLE32(h + 60);
    MiniFatSectorCount_ = base::LoadLE32(h + 64);
    FirstDifatSector_ = base::LoadLE32(h + 68);
    DifatSectorCount_ = base::LoadLE32(h + 72);
    for (int i = 0; i < cfb::HeaderDifatCount; ++i) HeaderDifat_[i] = base::LoadLE32(h + 76 + 4 * i);

    const uint64_t sectorSize = uint64_t{1} << SectorShift_;
    if (FileSize_ < sectorSize) Fail("the file is shorter than its header sector");
    const uint64_t sectors = (FileSize_ - sectorSize + sectorSize - 1) / sectorSize;
    if (sectors > cfb::MaxRegSect) Fail("too many sectors");
    SectorCount_ = static_cast<uint32_t>(sectors);
    if (FatSectorCount_ > SectorCount_ || DifatSectorCount_ > SectorCount_ || MiniFatSectorCount_ > SectorCount_)
        Fail("sector counts exceed the file");
}

void TCompoundFileReader::ReadFat() {
    const uint32_t sectorSize = 1u << SectorShift_;
    const uint32_t perSector = sectorSize / 4;
    std::vector<uint32_t> fatSectors;
    fatSectors.reserve(FatSectorCount_);
    for (int i = 0; i < cfb::HeaderDifatCount && fatSectors.size() < FatSectorCount_; ++i)
        fatSectors.push_back(HeaderDifat_[i]);
    std::vector<uint8_t> buffer(sectorSize);
    uint32_t difat = FirstDifatSector_;
    std::vector<bool> seen(SectorCount_, false);
    for (uint32_t step = 0; fatSectors.size() < FatSectorCount_; ++step) {
        if (step >= DifatSectorCount_ || difat >= SectorCount_) Fail("DIFAT chain broken");
        if (seen[difat]) Fail("DIFAT chain has a cycle");
        seen[difat] = true;
        ReadAt(SectorOffset(difat), buffer.data(), sectorSize);
        for (uint32_t i = 0; i + 1 < perSector && fatSectors.size() < FatSectorCount_; ++i)
            fatSectors.push_back(base::LoadLE32(buffer.data() + 4 * i));
        difat = base::LoadLE32(buffer.data() + sectorSize - 4);
    }
    Fat_.resize(static_cast<size_t>(FatSectorCount_) * perSector);
    for (size_t i = 0; i < fatSectors.size(); ++i) {
        if (fatSectors[i] >= SectorCount_) Fail("FAT sector out of range");
        ReadAt(SectorOffset(fatSectors[i]), buffer.data(), sectorSize);
        for (uint32_t j = 0; j < perSector; ++j) Fat_[i * perSector + j] = base::LoadLE32(buffer.data() + 4 * j);
    }
}

std::vector<uint32_t> TCompoundFileReader::Chain(uint32_t start, const std::vector<uint32_t>& table, uint64_t limit,
                                                 uint64_t wanted, const char* what) const {
    // wanted == UINT64_MAX: follow the chain to its end; otherwise exactly that many links.
    // No chain can be longer than the number of valid sectors, so a longer one is a cycle.
    std::vector<uint32_t> sectors;
    const uint64_t bound = std::min<uint64_t>(limit, table.size());
    uint32_t sector = start;
    while (sectors.size() < wanted) {
        if (sector == cfb::EndOfChain && wanted == UINT64_MAX) break;
        if (sector >= bound) Fail(std::string(what) + " chain broken");
        if (sectors.size() >= bound) Fail(std::string(what) + " chain has a cycle");
        sectors.push_back(sector);
        sector = table[sector];
    }
    // A shorter chain may still loop back on itself within its declared length: any sector met
    // twice is a cycle. A chain that only goes forward, as writers lay streams out, meets none;
    // any other is sorted, which costs the chain's length, not the file's sector count.
    if (std::adjacent_find(sectors.begin(), sectors.end(), std::greater_equal<uint32_t>()) == sectors.end())
        return sectors;
    std::vector<uint32_t> sorted = sectors;
    std::sort(sorted.begin(), sorted.end());
    if (std::adjacent_find(sorted.begin(), sorted.end()) != sorted.end())
        Fail(std::string(what) + " chain has a cycle");
    return sectors;
}

void TCompoundFileReader::ReadDirectory() {
    const uint32_t sectorSize = 1u << SectorShift_;
    const std::vector<uint32_t> dirSectors = Chain(FirstDirSector_, Fat_, SectorCount_, UINT64_MAX, "directory");
    if (dirSectors.empty()) Fail("directory missing");
    const uint32_t perSector = sectorSize / cfb::DirEntrySize;
    Entries_.reserve(dirSectors.size() * perSector);
    std::vector<uint8_t> buffer(sectorSize);
    for (uint32_t sector : dirSectors) {
        ReadAt(SectorOffset(sector), buffer.data(), sectorSize);
        for (uint32_t i = 0; i < perSector; ++i) {
            const uint8_t* p = buffer.data() + i * cfb::DirEntrySize;
            Entry e;
            e.Type = p[66];
            if (e.Type != cfb::etUnused) {
                const uint16_t nameBytes = base::LoadLE16(p + 64);
                if (nameBytes > 64 || nameBytes % 2 != 0) Fail("directory entry name too long");
                for (int c = 0; c + 2 < nameBytes; c += 2)
                    e.Name.push_back(static_cast<char16_t>(base::LoadLE16(p + c)));
            }
            e.Left = base::LoadLE32(p + 68);
            e.Right = base::LoadLE32(p + 72);
            e.Child = base::LoadLE32(p + 76);
            std::memcpy(e.Clsid.data(), p + 80, 16);
            e.StateBits = base::LoadLE32(p + 96);
            e.Start = base::LoadLE32(p + 116);
            e.Size = base::LoadLE32(p + 120);
            // Version 3 files may hold garbage in the high half of the size.
            if (SectorShift_ == 12) e.Size |= static_cast<uint64_t>(base::LoadLE32(p + 124)) << 32;
            Entries_.push_back(std::move(e));
        }
    }
    const Entry& root = Entries_[0];
    if (root.Type != cfb::etRoot) Fail("root entry missing");

    const uint64_t capacity = static_cast<uint64_t>(SectorCount_) << SectorShift_;
    MiniStreamSize_ = root.Size;
    if (MiniStreamSize_ > capacity) Fail("mini stream larger than the file");
    const uint64_t miniSectors = (MiniStreamSize_ + sectorSize - 1) >> SectorShift_;
    MiniStreamSectors_ = Chain(root.Start, Fat_, SectorCount_, miniSectors, "mini stream");
    if (MiniFatSectorCount_ > 0) {
        const std::vector<uint32_t> miniFatSectors =
            Chain(FirstMiniFatSector_, Fat_, SectorCount_, MiniFatSectorCount_, "mini FAT");
        MiniFat_.resize(static_cast<size_t>(MiniFatSectorCount_) * (sectorSize / 4));
        size_t k = 0;
        for (uint32_t sector : miniFatSectors) {
            ReadAt(SectorOffset(sector), buffer.data(), sectorSize);
            for (uint32_t j = 0; j < sectorSize / 4; ++j) MiniFat_[k++] = base::LoadLE32(buffer.data() + 4 * j);
        }
    }
}

void TCompoundFileReader::BuildTree() {
    // Every entry may be reached once; a second visit means a cycle or a shared subtree.
    const uint32_t count = static_cast<uint32_t>(Entries_.size());
    std::vector<bool> visited(count, false);
    visited[0] = true;
    Children_.assign(count, {});
    // Storages nested deeper than any real file would be are refused, so that code walking the
    // storages recursively stays within its stack.
    constexpr int MaxDepth = 256;
    std::vector<std::pair<uint32_t, int>> storages{{0, 0}};
    while (!storages.empty()) {
        const auto [storage, depth] = storages.back();
        storages.pop_back();
        if (depth > MaxDepth) Fail("storages nested too deeply");
        // In-order walk of the storage's tree with an explicit stack: a degenerate tree may be deep.
        std::vector<uint32_t> stack;
        uint32_t node = Entries_[storage].Child;
        while (node != cfb::NoStream || !stack.empty()) {
            while (node != cfb::NoStream) {
                if (node >= count || visited[node]) Fail("directory tree broken");
                const uint8_t type = Entries_[node].Type;
                if (type != cfb::etStorage && type != cfb::etStream) Fail("directory tree broken");
                visited[node] = true;
                stack.push_back(node);
                node = Entries_[node].Left;
            }
            node = stack.back();
            stack.pop_back();
            Children_[storage].push_back(node);
            if (Entries_[node].Type == cfb::etStorage) storages.emplace_back(node, depth + 1);
            node = Entries_[node].Right;
        }
    }
}

std::unique_ptr<base::TStream> TCompoundFileReader::OpenEntry(uint32_t entry) {
    if (entry >= Entries_.size() || Entries_[entry].Type != cfb::etStream) Fail("not a stream");
    const Entry& e = Entries_[entry];
    const uint32_t sectorSize = 1u << SectorShift_;
    std::vector<uint64_t> units;
    if (e.Size < cfb::MiniStreamCutoff) {
        if (e.Size > MiniStreamSize_) Fail("stream larger than the mini stream");
        const uint64_t wanted = (e.Size + cfb::MiniSectorSize - 1) / cfb::MiniSectorSize;
        const uint64_t limit = MiniStreamSize_ / cfb::MiniSectorSize;
        for (uint32_t mini : Chain(e.Start, MiniFat_, limit, wanted, "mini sector")) {
            const uint64_t at = static_cast<uint64_t>(mini) * cfb::MiniSectorSize;
            units.push_back(SectorOffset(MiniStreamSectors_[at >> SectorShift_]) + (at & (sectorSize - 1)));
        }
        return std::make_unique<TChainStream>(shared_from_this(), std::move(units), cfb::MiniSectorSize,
                                              static_cast<int64_t>(e.Size));
    }
    if (e.Size > static_cast<uint64_t>(SectorCount_) << SectorShift_) Fail("stream larger than the file");
    const uint64_t wanted = (e.Size + sectorSize - 1) >> SectorShift_;
    for (uint32_t sector : Chain(e.Start, Fat_, SectorCount_, wanted, "stream")) units.push_back(SectorOffset(sector));
    bool run = Memory_ && !units.empty() && units.front() + e.Size <= FileSize_;
    for (size_t i = 1; run && i < units.size(); ++i) run = units[i] == units[i - 1] + sectorSize;
    if (run)
        return std::make_unique<TMemoryRunStream>(shared_from_this(), units.front(), Memory_ + units.front(),
                                                  static_cast<int64_t>(e.Size));
    return std::make_unique<TChainStream>(shared_from_this(), std::move(units), sectorSize,
                                          static_cast<int64_t>(e.Size));
}

}  // namespace platform
