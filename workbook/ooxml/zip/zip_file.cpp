#include <zlib.h>

#include <algorithm>

#include "base/format.h"
#include "workbook/ooxml/zip/zip_archive.h"
#include "workbook/ooxml/zip/zlib_buffers.h"

namespace xls {

namespace {

constexpr int64_t CopyChunk = 65536;

}  // namespace

TXLSZipFile::TXLSZipFile(TXLSZipArchive& owner) : Owner_(owner) {}

TXLSZipFile::~TXLSZipFile() { CloseEntry(); }

void TXLSZipFile::OpenEntry() {
    CloseEntry();
    base::TStream* archive = Owner_.Stream();
    if (archive == nullptr) return;
    if (Central_.Method != 0 && Central_.Method != 8)
        throw EZipError(base::Format("Unsupported compression method %d in \"%s\"", {int{Central_.Method}, Name()}));
    if (Central_.Flags & FlagEncrypted) throw EZipError(base::Format("Zip entry \"%s\" is encrypted", {Name()}));
    CheckDeclaredSize();
    if (Local_.DataStart + Central_.CompressedSize > archive->Size())
        throw EZipError(base::Format("Unexpected end of zip entry \"%s\"", {Name()}));
    if (Central_.Method == 8) {
        archive->SetPosition(Local_.DataStart);
        Inflater_ = std::make_unique<TDecompressionStream>(*archive, int64_t{Central_.CompressedSize});
    }
    Position_ = 0;
    ReadCrc_ = 0;
    Open_ = true;
}

int64_t TXLSZipFile::Size() {
    CheckDeclaredSize();
    return UncompressedSize();
}

void TXLSZipFile::CheckDeclaredSize() const {
    const int64_t compressed = Central_.CompressedSize;
    const int64_t uncompressed = Central_.UncompressedSize;
    const bool implausible = uncompressed > TXLSZipArchive::MaxEntrySize ||
                             (Central_.Method == 0 && uncompressed != compressed) ||
                             (Central_.Method == 8 && uncompressed > compressed * MaxDeflateRatio + RatioSlack);
    if (implausible)
        throw EZipError(base::Format("Zip entry \"%s\" declares an implausible size (%d bytes from %d)",
                                     {Name(), uncompressed, compressed}));
}

void TXLSZipFile::CloseEntry() {
    Inflater_.reset();
    Open_ = false;
    Position_ = 0;
    ReadCrc_ = 0;
}

int64_t TXLSZipFile::Read(void* buffer, int64_t count) {
    if (!Open_) throw EZipError("ZIP file is not open");
    count = std::min(count, UncompressedSize() - Position_);
    if (count <= 0) return 0;
    auto* out = static_cast<uint8_t*>(buffer);
    int64_t got = 0;
    if (Inflater_) {
        got = Inflater_->ReadLimited(out, count);
    } else {
        // Stored data is read at this entry's own position, whoever moved the stream since.
        base::TStream& archive = *Owner_.Stream();
        archive.SetPosition(Local_.DataStart + Position_);
        while (got < count) {
            const int64_t n = archive.Read(out + got, count - got);
            if (n <= 0) break;
            got += n;
        }
    }
    if (got < count) throw EZipError(base::Format("Unexpected end of zip entry \"%s\"", {Name()}));
    for (int64_t done = 0; done < got;) {
        const int64_t piece = std::min<int64_t>(got - done, 1 << 30);
        ReadCrc_ = static_cast<uint32_t>(crc32(ReadCrc_, out + done, static_cast<uInt>(piece)));
        done += piece;
    }
    Position_ += got;
    if (Position_ == UncompressedSize() && ReadCrc_ != Central_.Crc32)
        throw EZipError(base::Format("CRC error in zip entry \"%s\"", {Name()}));
    return got;
}

int64_t TXLSZipFile::Write(const void*, int64_t) { throw EZipError("Not implemented, write"); }

int64_t TXLSZipFile::Seek(int64_t offset, base::TSeekOrigin origin) {
    int64_t target = offset;
    if (origin == base::TSeekOrigin::soCurrent) target += Position_;
    if (origin == base::TSeekOrigin::soEnd) target += UncompressedSize();
    if (target == Position_) return Position_;
    if (target < 0 || target > UncompressedSize()) throw base::EStreamError("Invalid stream operation");
    if (!Open_) throw EZipError("ZIP file is not open");
    if (target < Position_) OpenEntry();
    std::vector<uint8_t> scratch(static_cast<size_t>(std::min(target - Position_, CopyChunk)));
    while (Position_ < target) Read(scratch.data(), std::min<int64_t>(target - Position_, CopyChunk));
    return Position_;
}

void TXLSZipFile::ExtractToStream(base::TStream& dest) {
    OpenEntry();
    struct TCloser {
        TXLSZipFile& Entry;
        ~TCloser() { Entry.CloseEntry(); }
    } closer{*this};
    std::vector<uint8_t> chunk(static_cast<size_t>(std::clamp<int64_t>(UncompressedSize(), 1, CopyChunk)));
    while (Position_ < UncompressedSize()) {
        const int64_t n = Read(chunk.data(), std::min<int64_t>(UncompressedSize() - Position_, CopyChunk));
        dest.WriteBuffer(chunk.data(), n);
    }
    // An empty entry never reaches the check in Read; an empty CRC-32 is 0.
    if (UncompressedSize() == 0 && Central_.Crc32 != 0)
        throw EZipError(base::Format("CRC error in zip entry \"%s\"", {Name()}));
}

}  // namespace xls
