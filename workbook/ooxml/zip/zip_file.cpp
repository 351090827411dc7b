#include <zlib.h>

#include <algorithm>

#include "base/format.h"
#include "base/memory_stream.h"
#include "workbook/ooxml/zip/zip_archive.h"
#include "workbook/ooxml/zip/zlib_buffers.h"

namespace xls {

namespace {

constexpr int64_t CopyChunk = 65536;

}  // namespace

// --- one read position ---

TXLSZipEntryReader::TXLSZipEntryReader(const TXLSZipFile& entry) : Entry_(entry) {}

TXLSZipEntryReader::~TXLSZipEntryReader() = default;

void TXLSZipEntryReader::Open() {
    Close();
    base::TStream* archive = Entry_.Owner().Stream();
    if (archive == nullptr) return;
    const TCentralDirectoryFile& central = Entry_.CentralRecord();
    const std::string& name = Entry_.Name();
    if (central.Method != 0 && central.Method != 8)
        throw EZipError(base::Format("Unsupported compression method %d in \"%s\"", {int{central.Method}, name}));
    if (central.Flags & FlagEncrypted) throw EZipError(base::Format("Zip entry \"%s\" is encrypted", {name}));
    Entry_.CheckDeclaredSize();
    const int64_t dataStart = Entry_.LocalRecord().DataStart;
    if (dataStart + central.CompressedSize > archive->Size())
        throw EZipError(base::Format("Unexpected end of zip entry \"%s\"", {name}));
    if (central.Method == 8) Inflater_ = Entry_.Owner().TakeInflater(dataStart, int64_t{central.CompressedSize});
    Position_ = 0;
    ReadCrc_ = 0;
    Open_ = true;
}

void TXLSZipEntryReader::Close() {
    if (Inflater_) Entry_.Owner().KeepInflater(std::move(Inflater_));
    Open_ = false;
    Position_ = 0;
    ReadCrc_ = 0;
}

int64_t TXLSZipEntryReader::Read(void* buffer, int64_t count) {
    if (!Open_) throw EZipError("ZIP file is not open");
    const int64_t size = Entry_.UncompressedSize();
    count = std::min(count, size - Position_);
    if (count <= 0) return 0;
    auto* out = static_cast<uint8_t*>(buffer);
    int64_t got = 0;
    if (Inflater_) {
        got = Inflater_->ReadLimited(out, count);
    } else {
        // Stored data is read at this reader's own position, whoever moved the stream since.
        base::TStream& archive = *Entry_.Owner().Stream();
        archive.SetPosition(Entry_.LocalRecord().DataStart + Position_);
        while (got < count) {
            const int64_t n = archive.Read(out + got, count - got);
            if (n <= 0) break;
            got += n;
        }
    }
    if (got < count) throw EZipError(base::Format("Unexpected end of zip entry \"%s\"", {Entry_.Name()}));
    for (int64_t done = 0; done < got;) {
        const int64_t piece = std::min<int64_t>(got - done, 1 << 30);
        ReadCrc_ = static_cast<uint32_t>(crc32(ReadCrc_, out + done, static_cast<uInt>(piece)));
        done += piece;
    }
    Position_ += got;
    if (Position_ == size && ReadCrc_ != Entry_.CentralRecord().Crc32)
        throw EZipError(base::Format("CRC error in zip entry \"%s\"", {Entry_.Name()}));
    return got;
}

int64_t TXLSZipEntryReader::Seek(int64_t offset, base::TSeekOrigin origin) {
    const int64_t size = Entry_.UncompressedSize();
    int64_t target = offset;
    if (origin == base::TSeekOrigin::soCurrent) target += Position_;
    if (origin == base::TSeekOrigin::soEnd) target += size;
    if (target == Position_) return Position_;
    if (target < 0 || target > size) throw base::EStreamError("Invalid stream operation");
    if (!Open_) throw EZipError("ZIP file is not open");
    if (target < Position_) Open();
    std::vector<uint8_t> scratch(static_cast<size_t>(std::min(target - Position_, CopyChunk)));
    while (Position_ < target) Read(scratch.data(), std::min<int64_t>(target - Position_, CopyChunk));
    return Position_;
}

// --- the entry ---

TXLSZipFile::TXLSZipFile(TXLSZipArchive& owner) : Owner_(owner) {}

TXLSZipFile::~TXLSZipFile() = default;

int64_t TXLSZipFile::Size() {
    CheckDeclaredSize();
    return UncompressedSize();
}

void TXLSZipFile::CheckDeclaredSize() const {
    const int64_t compressed = Central_.CompressedSize;
    const int64_t uncompressed = Central_.UncompressedSize;
    const bool implausible = (Central_.Method == 0 && uncompressed != compressed) ||
                             (Central_.Method == 8 && uncompressed > compressed * MaxDeflateRatio + RatioSlack);
    if (implausible)
        throw EZipError(base::Format("Zip entry \"%s\" declares an implausible size (%d bytes from %d)",
                                     {Name(), uncompressed, compressed}));
    if (uncompressed > Owner_.MaxEntrySize())
        throw EZipError(base::Format("Zip entry \"%s\" is larger (%d bytes) than the limit of %d bytes",
                                     {Name(), uncompressed, Owner_.MaxEntrySize()}));
}

int64_t TXLSZipFile::Write(const void*, int64_t) { throw EZipError("Not implemented, write"); }

void TXLSZipFile::ExtractToStream(base::TStream& dest) {
    OpenEntry();
    struct TCloser {
        TXLSZipFile& Entry;
        ~TCloser() { Entry.CloseEntry(); }
    } closer{*this};
    const int64_t size = UncompressedSize();
    // A memory stream would grow by half again each time it fills up; it is sized once
    // instead (to no more than the limit allows, checked when the entry was opened).
    if (auto* memory = dynamic_cast<base::TMemoryStream*>(&dest); memory != nullptr && !memory->IsView()) {
        const int64_t at = memory->Position();
        if (memory->Size() < at + size) memory->SetSize(at + size);
        memory->SetPosition(at);
    }
    std::vector<uint8_t>& chunk = Owner_.Scratch(static_cast<size_t>(std::clamp<int64_t>(size, 1, CopyChunk)));
    while (Reader_.Position() < size) {
        const int64_t n = Read(chunk.data(), std::min<int64_t>(size - Reader_.Position(), CopyChunk));
        dest.WriteBuffer(chunk.data(), n);
    }
    // An empty entry never reaches the check in Read; an empty CRC-32 is 0.
    if (size == 0 && Central_.Crc32 != 0) throw EZipError(base::Format("CRC error in zip entry \"%s\"", {Name()}));
}

}  // namespace xls
