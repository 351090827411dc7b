#include "workbook/ooxml/zip/zip_archive.h"

#include <algorithm>

#include "base/byte_reader.h"
#include "base/format.h"

namespace xls {

namespace {

constexpr const char* InvalidZipText = "File is not a valid ZIP file";
constexpr const char* ActiveZipText = "There is an active zip";
constexpr const char* TooLargeText = "Zip file too large";
// The end record and its comment (at most 65,535 bytes) lie at the end of the archive.
constexpr int64_t EndRecordSearchSpan = TEndRecord::FixedSize + 65535;
constexpr int64_t MaxOffset = 0xFFFFFFFF;
constexpr size_t MaxEntries = 65535;

constexpr const char* Zip64Text = "ZIP64 archives are not supported";
constexpr uint32_t Zip64LocatorSignature = 0x07064B50;
constexpr uint16_t Zip64ExtraId = 0x0001;
constexpr int64_t Zip64LocatorSize = 20;

// True when an extra field holds a ZIP64 block: the sizes and offsets that count are in there.
bool HasZip64Extra(std::string_view extra) {
    base::TByteReader reader(extra);
    while (reader.Has(4)) {
        const uint16_t id = reader.U16LE();
        const uint16_t size = reader.U16LE();
        if (id == Zip64ExtraId) return true;
        if (!reader.Has(size)) return false;
        reader.Skip(size);
    }
    return false;
}

bool IsZip64(const TCentralDirectoryFile& c) {
    return c.CompressedSize == 0xFFFFFFFF || c.UncompressedSize == 0xFFFFFFFF || c.LocalHeaderOffset == 0xFFFFFFFF ||
           c.DiskNumberStart == 0xFFFF || HasZip64Extra(c.Extra);
}

// Cuts text up to and including the first occurrence of what; false when it does not occur.
bool CutThrough(std::string& text, std::string_view what) {
    const size_t at = text.find(what);
    if (at == std::string::npos) return false;
    text.erase(0, at + what.size());
    return true;
}

bool HasParentSegment(std::string_view name) {
    size_t start = 0;
    for (;;) {
        const size_t end = name.find('/', start);
        if (name.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start) == "..")
            return true;
        if (end == std::string_view::npos) return false;
        start = end + 1;
    }
}

// The central record that describes what a local header says.
TCentralDirectoryFile CentralFromLocal(const TLocalFile& local) {
    TCentralDirectoryFile c;
    c.VersionNeeded = local.VersionNeeded;
    c.Flags = local.Flags;
    c.Method = local.Method;
    c.DateTime = local.DateTime;
    c.Crc32 = local.Crc32;
    c.CompressedSize = local.CompressedSize;
    c.UncompressedSize = local.UncompressedSize;
    c.NameLength = local.NameLength;
    c.ExtraLength = local.ExtraLength;
    c.Name = local.Name;
    c.Extra = local.Extra;
    return c;
}

}  // namespace

std::string NormalizeZipName(std::string_view name) {
    std::string result(name);
    std::replace(result.begin(), result.end(), '\\', '/');
    CutThrough(result, ":/");
    if (CutThrough(result, "//")) {
        CutThrough(result, "/");
        CutThrough(result, "/");
    }
    const bool unsafe = result.empty() || result.front() == '/' || HasParentSegment(result) ||
                        result.find('\0') != std::string::npos || result.size() > 0xFFFF;
    if (unsafe) throw EZipError(base::Format("Invalid file name \"%s\" in Zip", {std::string(name)}));
    return result;
}

TXLSZipArchive::TXLSZipArchive() = default;

TXLSZipArchive::~TXLSZipArchive() {
    try {
        Close();
    } catch (const base::Exception&) {
        // A destructor cannot report; writers call Close themselves.
    }
}

TXLSZipFile& TXLSZipArchive::GetFiles(int index) {
    if (index < 0 || index >= Count()) throw base::Exception(base::Format("List index out of bounds (%d)", {index}));
    return *Files_[static_cast<size_t>(index)];
}

int TXLSZipArchive::IndexOf(std::string_view name) const { return FindName(name, TZipNameIndex::Hash(name)); }

int TXLSZipArchive::FindName(std::string_view name, uint32_t hash) const {
    return NameIndex_.Find(
        name, hash, [this](int entry) -> std::string_view { return Files_[static_cast<size_t>(entry)]->Name(); });
}

std::unique_ptr<TDecompressionStream> TXLSZipArchive::TakeInflater(int64_t start, int64_t limit) {
    if (SpareInflater_) {
        SpareInflater_->Restart(start, limit);
        return std::move(SpareInflater_);
    }
    Stream_->SetPosition(start);
    return std::make_unique<TDecompressionStream>(*Stream_, limit);
}

void TXLSZipArchive::KeepInflater(std::unique_ptr<TDecompressionStream> inflater) {
    if (!SpareInflater_) SpareInflater_ = std::move(inflater);
}

std::unique_ptr<TCompressionStream> TXLSZipArchive::TakeDeflater() {
    if (!SpareDeflater_) return std::make_unique<TCompressionStream>(TCompressionLevel::clFastest, true, *Stream_);
    SpareDeflater_->Restart();
    return std::move(SpareDeflater_);
}

std::vector<uint8_t>& TXLSZipArchive::Scratch(size_t size) {
    if (Scratch_.size() < size) Scratch_.resize(size);
    return Scratch_;
}

void TXLSZipArchive::IndexName(size_t index) {
    const std::string& name = Files_[index]->Name();
    const uint32_t hash = TZipNameIndex::Hash(name);
    if (FindName(name, hash) < 0)
        NameIndex_.Add(hash, static_cast<int>(index));
    else if (FirstDuplicate_ < 0)
        FirstDuplicate_ = static_cast<int>(index);
}

void TXLSZipArchive::Close() {
    // Whatever happens while the directory is written, the archive ends up closed.
    struct TReset {
        TXLSZipArchive& Archive;
        ~TReset() {
            Archive.Active_.reset();
            Archive.ActiveStream_ = nullptr;
            Archive.Files_.clear();
            Archive.NameIndex_.Clear();
            Archive.FirstDuplicate_ = -1;
            Archive.SpareInflater_.reset();
            Archive.SpareDeflater_.reset();
            // Streams still reading the entries just freed learn of it through the token.
            Archive.EntriesAlive_ = std::make_shared<const bool>(true);
            Archive.Stream_ = nullptr;
            Archive.Mode_ = zmClosed;
        }
    } reset{*this};
    if (Mode_ != zmWrite) return;
    // An entry begun and never ended would be followed by a directory that does not
    // describe it: the archive is left unfinished rather than made to look whole.
    if (Active_) throw EZipError("Zip entry was not finished before the archive was closed");
    WriteCentralDirectory();
}

// --- reading ---

void TXLSZipArchive::OpenFromStream(base::TStream& stream) {
    Close();
    Mode_ = zmRead;
    Stream_ = &stream;
    try {
        ReadDirectory();
    } catch (...) {
        // A refused archive lists nothing rather than the entries read before the fault.
        Close();
        throw;
    }
}

void TXLSZipArchive::ReadDirectory() {
    const int64_t size = Stream_->Size();
    if (FindEndRecord(size)) {
        ReadCentralDirectory(size);
        ReadLocalHeaders(size);
        CheckEntriesApart();
    } else {
        ScanLocalHeaders(size);
    }
}

bool TXLSZipArchive::FindEndRecord(int64_t size) {
    if (size < TEndRecord::FixedSize) return false;
    const int64_t span = std::min(size, EndRecordSearchSpan);
    const int64_t base = size - span;
    std::vector<uint8_t> tail(static_cast<size_t>(span));
    Stream_->SetPosition(base);
    Stream_->ReadBuffer(tail.data(), span);
    // The record closest to the end wins, as long as the directory it names lies before it
    // (a comment may itself contain the signature).
    for (int64_t at = span - TEndRecord::FixedSize; at >= 0; --at) {
        const uint8_t* p = tail.data() + at;
        if (p[0] != 'P' || base::LoadLE32(p) != EndRecordSignature) continue;
        const TEndRecord record = TEndRecord::Decode(p);
        // ZIP64 archives keep their real directory position and counts elsewhere; read as a
        // plain archive they would list some entries and lose the rest.
        const bool zip64 = record.EntriesTotal == 0xFFFF || record.CentralDirOffset == 0xFFFFFFFF ||
                           record.CentralDirSize == 0xFFFFFFFF ||
                           (at >= Zip64LocatorSize && base::LoadLE32(p - Zip64LocatorSize) == Zip64LocatorSignature);
        if (zip64) throw EZipError(Zip64Text);
        if (int64_t{record.CentralDirOffset} + record.CentralDirSize > base + at) continue;
        EndRecord_ = record;
        return true;
    }
    return false;
}

void TXLSZipArchive::ReadCentralDirectory(int64_t size) {
    const int64_t count = EndRecord_.EntriesOnDisk;
    if (count * TCentralDirectoryFile::FixedSize > size) throw EZipError(InvalidZipText);
    try {
        Stream_->SetPosition(EndRecord_.CentralDirOffset);
        uint8_t fixed[TCentralDirectoryFile::FixedSize];
        for (int64_t i = 0; i < count; ++i) {
            Stream_->ReadBuffer(fixed, sizeof fixed);
            if (base::LoadLE32(fixed) != CentralFileSignature) throw EZipError(InvalidZipText);
            auto entry = std::make_unique<TXLSZipFile>(*this);
            TCentralDirectoryFile& c = entry->Central_;
            c = TCentralDirectoryFile::Decode(fixed);
            for (auto [text, length] : {std::pair{&c.Name, c.NameLength}, std::pair{&c.Extra, c.ExtraLength},
                                        std::pair{&c.Comment, c.CommentLength}}) {
                text->resize(length);
                Stream_->ReadBuffer(text->data(), length);
            }
            if (IsZip64(c)) throw EZipError(Zip64Text);
            Files_.push_back(std::move(entry));
            IndexName(Files_.size() - 1);
        }
    } catch (const EZipError&) {
        throw;
    } catch (const base::Exception&) {
        throw EZipError(InvalidZipText);
    }
    if (static_cast<int64_t>(Files_.size()) != count) throw EZipError(InvalidZipText);
}

void TXLSZipArchive::ReadNameAndExtra(TLocalFile& local) {
    local.Name.resize(local.NameLength);
    Stream_->ReadBuffer(local.Name.data(), local.NameLength);
    local.Extra.resize(local.ExtraLength);
    Stream_->ReadBuffer(local.Extra.data(), local.ExtraLength);
    local.DataStart = Stream_->Position();
}

void TXLSZipArchive::ReadLocalHeaders(int64_t size) {
    uint8_t fixed[TLocalFile::FixedSize];
    for (auto& entry : Files_) {
        const int64_t offset = entry->Central_.LocalHeaderOffset;
        if (offset + TLocalFile::FixedSize > size) throw EZipError("Unknown zip file");
        Stream_->SetPosition(offset);
        Stream_->ReadBuffer(fixed, sizeof fixed);
        if (base::LoadLE32(fixed) != LocalFileSignature) throw EZipError("Unknown zip file");
        entry->Local_ = TLocalFile::Decode(fixed);
        try {
            ReadNameAndExtra(entry->Local_);
        } catch (const base::EReadError&) {
            throw EZipError(InvalidZipText);
        }
    }
}

void TXLSZipArchive::ScanLocalHeaders(int64_t size) {
    uint8_t fixed[TLocalFile::FixedSize];
    int64_t offset = 0;
    while (offset + TLocalFile::FixedSize <= std::min(size, MaxOffset)) {
        Stream_->SetPosition(offset);
        Stream_->ReadBuffer(fixed, sizeof fixed);
        if (base::LoadLE32(fixed) != LocalFileSignature) break;
        auto entry = std::make_unique<TXLSZipFile>(*this);
        TLocalFile& local = entry->Local_;
        local = TLocalFile::Decode(fixed);
        try {
            ReadNameAndExtra(local);
        } catch (const base::EReadError&) {
            break;
        }
        // Without a directory the sizes of such an entry are nowhere to be found.
        if (local.Flags & FlagDataDescriptor) throw EZipError(InvalidZipText);
        if (local.CompressedSize == 0xFFFFFFFF || local.UncompressedSize == 0xFFFFFFFF || HasZip64Extra(local.Extra))
            throw EZipError(Zip64Text);
        TCentralDirectoryFile& c = entry->Central_;
        c = CentralFromLocal(local);
        c.ExternalAttributes = (!c.Name.empty() && c.Name.back() == '/') ? AttrDirectory : AttrArchive;
        c.LocalHeaderOffset = static_cast<uint32_t>(offset);
        offset = local.DataStart + local.CompressedSize;
        Files_.push_back(std::move(entry));
        IndexName(Files_.size() - 1);
    }
}

void TXLSZipArchive::CheckEntriesApart() const {
    // Each central record must describe its own local entry: records that point at one
    // entry's data (or into another's) would let a small file extract many times its size.
    std::vector<std::pair<int64_t, const TXLSZipFile*>> starts;
    starts.reserve(Files_.size());
    for (const auto& entry : Files_) {
        if (entry->Local_.Name != entry->Central_.Name)
            throw EZipError(base::Format("Zip entry \"%s\" does not match its local header", {entry->Name()}));
        starts.emplace_back(entry->Central_.LocalHeaderOffset, entry.get());
    }
    std::sort(starts.begin(), starts.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (size_t i = 1; i < starts.size(); ++i) {
        const TXLSZipFile& before = *starts[i - 1].second;
        if (before.Local_.DataStart + int64_t{before.Central_.CompressedSize} > starts[i].first)
            throw EZipError(
                base::Format("Zip entries \"%s\" and \"%s\" overlap", {before.Name(), starts[i].second->Name()}));
    }
}

// --- writing ---

void TXLSZipArchive::OpenForWrite(base::TStream& stream) {
    Close();
    Mode_ = zmWrite;
    Stream_ = &stream;
    EndRecord_ = TEndRecord{};
}

std::unique_ptr<TXLSZipFile> TXLSZipArchive::NewEntry(const std::string& name, uint16_t method,
                                                      uint32_t uncompressedSize) {
    if (Mode_ != zmWrite) throw EZipError("Zip file is not open for writing");
    if (Active_) throw EZipError(ActiveZipText);
    std::string normalized = NormalizeZipName(name);
    if (IndexOf(normalized) >= 0) throw EZipError(base::Format("Duplicate file \"%s\" in Zip", {normalized}));
    if (Files_.size() >= MaxEntries) throw EZipError(TooLargeText);
    auto entry = std::make_unique<TXLSZipFile>(*this);
    const bool utf8 = std::any_of(normalized.begin(), normalized.end(), [](char c) { return c & 0x80; });
    TLocalFile& l = entry->Local_;
    l.Flags = utf8 ? FlagUtf8Name : 0;
    l.Method = method;
    l.DateTime = EntryDateTime_ ? *EntryDateTime_ : DosDateTimeNow();
    l.UncompressedSize = uncompressedSize;
    l.NameLength = static_cast<uint16_t>(normalized.size());
    l.Name = std::move(normalized);
    TCentralDirectoryFile& c = entry->Central_;
    c = CentralFromLocal(l);
    c.LocalHeaderOffset = EndRecord_.CentralDirOffset;
    // Header and name in one write.
    std::vector<uint8_t>& head = Scratch(TLocalFile::FixedSize + l.NameLength);
    const auto fixed = l.Encode();
    std::copy(fixed.begin(), fixed.end(), head.begin());
    std::copy(l.Name.begin(), l.Name.end(), head.begin() + TLocalFile::FixedSize);
    Stream_->SetPosition(c.LocalHeaderOffset);
    Stream_->WriteBuffer(head.data(), TLocalFile::FixedSize + l.NameLength);
    l.DataStart = Stream_->Position();
    return entry;
}

void TXLSZipArchive::FinishEntry(std::unique_ptr<TXLSZipFile> entry, uint32_t crc, int64_t uncompressedSize,
                                 int64_t dataEnd) {
    TLocalFile& l = entry->Local_;
    const int64_t compressed = dataEnd - l.DataStart;
    if (dataEnd > MaxOffset || uncompressedSize > MaxOffset) throw EZipError(TooLargeText);
    const bool known = l.Crc32 == crc && l.CompressedSize == compressed && l.UncompressedSize == uncompressedSize;
    l.Crc32 = entry->Central_.Crc32 = crc;
    l.CompressedSize = entry->Central_.CompressedSize = static_cast<uint32_t>(compressed);
    l.UncompressedSize = entry->Central_.UncompressedSize = static_cast<uint32_t>(uncompressedSize);
    // A stored empty entry's header was right when first written.
    if (!known) {
        const auto bytes = l.Encode();
        Stream_->SetPosition(entry->Central_.LocalHeaderOffset);
        Stream_->WriteBuffer(bytes.data(), bytes.size());
        Stream_->SetPosition(dataEnd);
    }
    EndRecord_.CentralDirOffset = static_cast<uint32_t>(dataEnd);
    EndRecord_.CentralDirSize = 0;
    ++EndRecord_.EntriesOnDisk;
    ++EndRecord_.EntriesTotal;
    Files_.push_back(std::move(entry));
    IndexName(Files_.size() - 1);
}

void TXLSZipArchive::AddStream(const std::string& name, base::TStream& stream) {
    const int64_t size = std::max<int64_t>(stream.Size() - stream.Position(), 0);
    if (size > MaxOffset) throw EZipError(TooLargeText);
    auto entry = NewEntry(name, size > 0 ? 8 : 0, static_cast<uint32_t>(size));
    uint32_t crc = 0;
    if (size > 0) {
        auto deflater = TakeDeflater();
        deflater->CompressFrom(stream, size);
        deflater->Finish();
        crc = deflater->CRC32();
        SpareDeflater_ = std::move(deflater);
    }
    FinishEntry(std::move(entry), crc, size, Stream_->Position());
}

std::unique_ptr<TCompressionStream> TXLSZipArchive::BeginEntry(const std::string& name) {
    Active_ = NewEntry(name, 8, 0);
    auto stream = TakeDeflater();
    // Once the archive is closed the stream must not write into what follows the directory.
    stream->SetOwnerToken(EntriesToken());
    ActiveStream_ = stream.get();
    return stream;
}

void TXLSZipArchive::EndEntry(std::unique_ptr<TCompressionStream> stream) {
    if (!Active_ || stream.get() != ActiveStream_) throw EZipError("There is no active zip for this stream");
    stream->Finish();
    const uint32_t crc = stream->CRC32();
    const int64_t uncompressed = stream->TotalIn();
    SpareDeflater_ = std::move(stream);
    ActiveStream_ = nullptr;
    FinishEntry(std::move(Active_), crc, uncompressed, Stream_->Position());
}

void TXLSZipArchive::WriteCentralDirectory() {
    // The records are gathered into pieces of about CentralPiece bytes, so that an archive of
    // many entries costs a few large writes rather than four small ones per entry.
    constexpr size_t CentralPiece = 1 << 14;
    std::vector<uint8_t> piece;
    piece.reserve(CentralPiece + 1024);
    Stream_->SetPosition(EndRecord_.CentralDirOffset);
    for (const auto& entry : Files_) {
        const TCentralDirectoryFile& c = entry->Central_;
        const auto fixed = c.Encode();
        piece.insert(piece.end(), fixed.begin(), fixed.end());
        piece.insert(piece.end(), c.Name.begin(), c.Name.begin() + c.NameLength);
        piece.insert(piece.end(), c.Extra.begin(), c.Extra.begin() + c.ExtraLength);
        piece.insert(piece.end(), c.Comment.begin(), c.Comment.begin() + c.CommentLength);
        if (piece.size() >= CentralPiece) {
            Stream_->WriteBuffer(piece.data(), static_cast<int64_t>(piece.size()));
            piece.clear();
        }
    }
    Stream_->WriteBuffer(piece.data(), static_cast<int64_t>(piece.size()));
    const int64_t directoryEnd = Stream_->Position();
    if (directoryEnd > MaxOffset) throw EZipError(TooLargeText);
    EndRecord_.CentralDirSize = static_cast<uint32_t>(directoryEnd - EndRecord_.CentralDirOffset);
    const auto bytes = EndRecord_.Encode();
    Stream_->WriteBuffer(bytes.data(), bytes.size());
}

}  // namespace xls
