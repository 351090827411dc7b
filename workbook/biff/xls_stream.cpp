#include "workbook/biff/xls_stream.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "base/byte_reader.h"
#include "base/file_stream.h"
#include "base/memory_stream.h"
#include "workbook/biff/biff_error.h"
#include "workbook/biff/extra_objects.h"
#include "workbook/biff/xls_vba.h"

namespace xls {

namespace {

bool IsContinuation(uint16_t id) {
    return id == BIFFRECID_CONTINUE || id == BIFFRECID_MSODRAWINGGROUP || id == BIFFRECID_HFPICTURE ||
           id == BIFFRECID_GELFRAME;
}

// Each continuing HFPicture record starts with its own future-record header and flags.
constexpr int32_t HFPicturePrefix = 14;

}  // namespace

TXLSStream::TXLSStream() = default;

TXLSStream::~TXLSStream() { Release(); }

base::TStream& TXLSStream::Current() {
    if (Plain_) return *Plain_;
    if (Ole_) return *Ole_;
    throw EBIFFError("No stream is open");
}

void TXLSStream::Release() {
    PlainOwned_.reset();
    Plain_ = nullptr;
    if (!TemporaryName_.empty()) std::remove(TemporaryName_.c_str());
    TemporaryName_.clear();
    InPlace_ = nullptr;
    InPlaceSize_ = 0;
    InPlacePos_ = 0;
    InPlaceReleased_ = 0;
    Encrypted_ = false;
    Decrypted_.clear();
    FilePassEnd_ = -1;
    Ole_ = nullptr;
    OleRead_.reset();
    Storage_.reset();
    Writing_ = false;
    FileName_.clear();
}

void TXLSStream::Close() {
    try {
        if (Writing_ && Plain_ && !TemporaryName_.empty()) {
            PlainOwned_.reset();
            Plain_ = nullptr;
            if (std::rename(TemporaryName_.c_str(), FileName_.c_str()) != 0)
                throw EBIFFError("Cannot create file \"" + FileName_ + "\": " + std::strerror(errno));
            TemporaryName_.clear();
        }
        if (Writing_ && Storage_) {
            if (TargetStream_)
                Storage_->SaveToStream(*TargetStream_);
            else
                Storage_->SaveToFile(FileName_);
        }
    } catch (...) {
        Release();
        throw;
    }
    Release();
}

TExcelVersion TXLSStream::Open(const std::string& fileName) {
    const bool compound = SourceStream_ ? platform::TCompoundFile::IsCompoundFile(*SourceStream_)
                                        : platform::TCompoundFile::IsCompoundFile(fileName);
    if (compound)
        FileVersion_ = OpenStorage(fileName);
    else
        FileVersion_ = OpenPlainFile(fileName);
    return FileVersion_;
}

TExcelVersion TXLSStream::OpenStorage(const std::string& fileName) {
    Close();
    Storage_ = SourceStream_ ? platform::TCompoundFile::OpenStream(*SourceStream_)
                             : platform::TCompoundFile::LoadFile(fileName);
    if (ExtraObjects_) ExtraObjects_->Keep(Storage_->Root());
    TExcelVersion version;
    if (Storage_->Root().HasStream(u"Workbook")) {
        OleRead_ = Storage_->Root().OpenStream(u"Workbook");
        version = xvExcel97;
    } else if (Storage_->Root().HasStream(u"Book")) {
        OleRead_ = Storage_->Root().OpenStream(u"Book");
        version = xvExcel50;
    } else {
        Release();
        throw EBIFFError("The file is not an Excel workbook");
    }
    Ole_ = OleRead_.get();
    TBIFFHeader header;
    ReadHeader(header);
    StreamSize_ = Ole_->Size();
    if (VBA_) VBA_->LoadFromStorage(Storage_->Root());
    return version;
}

TExcelVersion TXLSStream::OpenPlainFile(const std::string& fileName) {
    Close();
    if (SourceStream_) {
        // A BIFF2-4 worksheet file handed over as a stream is its own record stream.
        Plain_ = SourceStream_;
    } else {
        PlainOwned_ = std::make_unique<base::TFileStream>(fileName, base::fmOpenRead);
        Plain_ = PlainOwned_.get();
    }
    StreamSize_ = Plain_->Size();
    uint8_t head[4] = {};
    TExcelVersion version = xvNone;
    if (Plain_->Read(head, 4) == 4 && head[0] == 0x09) {
        const uint16_t id = base::LoadLE16(head);
        if (id < 0x0100)
            version = xvExcel21;
        else if ((id & 0xFF00) == 0x0200)
            version = xvExcel30;
        else if ((id & 0xFF00) == 0x0400)
            version = xvExcel40;
    }
    Plain_->SetPosition(0);
    return version;
}

void TXLSStream::CreateFile(const std::string& fileName, TExcelVersion version) {
    Close();
    FileVersion_ = version;
    if (!TargetStream_ && fileName.empty()) throw EBIFFError("Filename is missing");
    FileName_ = fileName;
    Writing_ = true;
    if (version < xvExcel50) {
        if (TargetStream_) {
            Plain_ = TargetStream_;
        } else {
            // Written beside the target and renamed over it on Close.
            TemporaryName_ = fileName + ".tmp" + std::to_string(::getpid());
            PlainOwned_ = std::make_unique<base::TFileStream>(TemporaryName_, base::fmCreate);
            Plain_ = PlainOwned_.get();
        }
        return;
    }
    Storage_ = std::make_unique<platform::TCompoundFile>();
    if (ExtraObjects_) ExtraObjects_->CopyInto(Storage_->Root());
    Ole_ = &Storage_->Root().CreateStream(version == xvExcel50 ? u"Book" : u"Workbook");
}

void TXLSStream::WriteVBA() {
    if (!SaveVBA_ || !VBA_ || !VBA_->HasProject() || !Storage_ || FileVersion_ != xvExcel97) return;
    VBA_->SaveToStorage(Storage_->Root().CreateStorage(u"_VBA_PROJECT_CUR"));
}

void TXLSStream::CreateMemory() {
    Close();
    PlainOwned_ = std::make_unique<base::TMemoryStream>();
    Plain_ = PlainOwned_.get();
    StreamSize_ = 0;
    FileVersion_ = xvExcel97;
}

bool TXLSStream::BeginInPlaceRead() {
    base::TStream& stream = Current();
    InPlace_ = stream.ContiguousBytes();
    if (!InPlace_) return false;
    InPlaceSize_ = stream.Size();
    InPlacePos_ = stream.Position();
    InPlaceReleased_ = 0;
    return true;
}

const uint8_t* TXLSStream::ReadInPlaceShort(int64_t count) {
    if (!InPlace_ || ContinueRead_) return nullptr;
    // Nothing wanted past the end is nothing missing, as for a copy.
    if (count == 0) return InPlace_ + InPlaceSize_;
    // Fewer bytes are left than the record's length: the position goes to the end, as a copy's would.
    if (count > 0) InPlacePos_ = std::max(InPlacePos_, InPlaceSize_);
    throw EBIFFError("Unexpected end of file");
}

int64_t TXLSStream::ReadRaw(void* buffer, int64_t count) {
    if (!InPlace_) return Current().Read(buffer, count);
    if (count <= 0 || InPlacePos_ >= InPlaceSize_) return 0;
    const int64_t n = std::min(count, InPlaceSize_ - InPlacePos_);
    std::memcpy(buffer, InPlace_ + InPlacePos_, static_cast<size_t>(n));
    InPlacePos_ += n;
    return n;
}

int TXLSStream::ReadHeaderInContinue(TBIFFHeader& header) {
    uint8_t bytes[4] = {};
    const int n = static_cast<int>(ReadRaw(bytes, 4));
    header.RecID = base::LoadLE16(bytes);
    header.Length = base::LoadLE16(bytes + 2);
    if (n == 4) RecordLength_ = header.Length;
    return n;
}

int64_t TXLSStream::ReadPlain(void* buffer, int64_t count) { return ReadRaw(buffer, count); }

int64_t TXLSStream::Read(void* buffer, int64_t count) {
    if (!ContinueRead_) return ReadRaw(buffer, count);
    return ReadContinued(static_cast<uint8_t*>(buffer), count);
}

int64_t TXLSStream::ReadContinued(uint8_t* buffer, int64_t count) {
    // Each piece is bounded by the length in its own record's header.
    int64_t done = 0;
    while (done < count) {
        const int64_t left = std::max<int64_t>(0, RecordLength_ - ContinuePos_);
        const int64_t piece = std::min(left, count - done);
        if (piece > 0) {
            const int64_t got = ReadRaw(buffer + done, piece);
            done += got;
            ContinuePos_ += static_cast<int32_t>(got);
            if (got < piece) break;
        }
        if (done == count || !NextContinuation()) break;
    }
    return done;
}

bool TXLSStream::NextContinuation() {
    TBIFFHeader header;
    if (ReadHeaderInContinue(header) < 4) return false;
    if (!IsContinuation(header.RecID)) throw EBIFFError("CONTINUE record is missing");
    ContinuePos_ = 0;
    if (header.RecID == BIFFRECID_HFPICTURE) {
        uint8_t prefix[HFPicturePrefix];
        if (header.Length < HFPicturePrefix || ReadRaw(prefix, HFPicturePrefix) != HFPicturePrefix)
            throw EBIFFError("CONTINUE record is missing");
        ContinuePos_ = HFPicturePrefix;
    }
    return true;
}

uint16_t TXLSStream::PeekRecordId() {
    uint8_t bytes[4];
    if (!PeekHeader(bytes)) return 0;
    return base::LoadLE16(bytes);
}

uint16_t TXLSStream::PeekRecordLength() {
    uint8_t bytes[4];
    if (!PeekHeader(bytes)) return 0;
    return base::LoadLE16(bytes + 2);
}

bool TXLSStream::PeekHeader(uint8_t (&bytes)[4]) {
    if (InPlace_) {
        if (InPlacePos_ > InPlaceSize_ || InPlaceSize_ - InPlacePos_ < 4) return false;
        std::memcpy(bytes, InPlace_ + InPlacePos_, 4);
        return true;
    }
    const int64_t n = Current().Read(bytes, 4);
    Current().Seek(-n, base::TSeekOrigin::soCurrent);
    return n == 4;
}

void TXLSStream::WriteHeader(uint16_t id, uint16_t length) {
    const uint8_t bytes[4] = {static_cast<uint8_t>(id), static_cast<uint8_t>(id >> 8), static_cast<uint8_t>(length),
                              static_cast<uint8_t>(length >> 8)};
    Current().WriteBuffer(bytes, 4);
}

void TXLSStream::WriteWordRecord(uint16_t id, uint16_t value) {
    WriteHeader(id, 2);
    WriteWord(value);
}

int64_t TXLSStream::WriteRaw(const void* buffer, int64_t count) {
    Current().WriteBuffer(buffer, count);
    return count;
}

int64_t TXLSStream::Write(const void* buffer, int64_t count) {
    if (MaxRecordData_ > 0) {
        WriteContinued(buffer, count);
        return count;
    }
    WriteRaw(buffer, count);
    WrittenBytes_ += static_cast<int32_t>(count);
    return count;
}

int64_t TXLSStream::WriteWord(uint16_t value) {
    const uint8_t bytes[2] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)};
    return WriteRaw(bytes, 2);
}

int64_t TXLSStream::WriteLongWord(uint32_t value) {
    const uint8_t bytes[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                              static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
    return WriteRaw(bytes, 4);
}

int64_t TXLSStream::WriteByte(uint8_t value) { return WriteRaw(&value, 1); }

void TXLSStream::WriteRecord(uint16_t id, const void* data, int64_t count) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    // Records before BIFF8 hold at most 2080 bytes.
    const int64_t most = FileVersion_ >= xvExcel21 && FileVersion_ <= xvExcel50 ? MAXRECSZ_40 : MAXRECSZ_97;
    int64_t piece = std::min<int64_t>(count, most);
    WriteHeader(id, static_cast<uint16_t>(piece));
    WriteRaw(bytes, piece);
    for (int64_t done = piece; done < count; done += piece) {
        piece = std::min<int64_t>(count - done, most);
        WriteHeader(BIFFRECID_CONTINUE, static_cast<uint16_t>(piece));
        WriteRaw(bytes + done, piece);
    }
}

void TXLSStream::BeginContinuedRecord(int32_t maxData) {
    if (maxData <= 0 || maxData > 0xFFFF) throw EBIFFError("Invalid maximum record size");
    MaxRecordData_ = maxData;
    WrittenBytes_ = 0;
    RecordStart_ = Position();
}

void TXLSStream::WriteContinued(const void* data, int64_t count) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    while (WrittenBytes_ + count > MaxRecordData_) {
        // Fill the current record, patch its length and open a CONTINUE record behind it.
        const int64_t head = MaxRecordData_ - WrittenBytes_;
        Current().Seek(RecordStart_ + 2, base::TSeekOrigin::soBeginning);
        WriteWord(static_cast<uint16_t>(MaxRecordData_));
        Current().Seek(0, base::TSeekOrigin::soEnd);
        WriteRaw(bytes, head);
        bytes += head;
        count -= head;
        RecordStart_ = Position();
        WriteHeader(BIFFRECID_CONTINUE, 0);
        WrittenBytes_ = 0;
    }
    WriteRaw(bytes, count);
    WrittenBytes_ += static_cast<int32_t>(count);
}

void TXLSStream::EndContinuedRecord() {
    if (WrittenBytes_ > 0) {
        Current().Seek(RecordStart_ + 2, base::TSeekOrigin::soBeginning);
        WriteWord(static_cast<uint16_t>(WrittenBytes_));
        Current().Seek(0, base::TSeekOrigin::soEnd);
    }
    MaxRecordData_ = -1;
}

int64_t TXLSStream::Seek(int64_t offset, int origin) {
    const base::TSeekOrigin from = origin == 0   ? base::TSeekOrigin::soBeginning
                                   : origin == 1 ? base::TSeekOrigin::soCurrent
                                                 : base::TSeekOrigin::soEnd;
    if (!InPlace_) return Current().Seek(offset, from);
    // The stream itself checks the new position; reads go on from the bytes in place.
    Current().Seek(InPlacePos_, base::TSeekOrigin::soBeginning);
    InPlacePos_ = Current().Seek(offset, from);
    return InPlacePos_;
}

void TXLSStream::WriteArea(const std::array<int32_t, 4>& area) {
    if (FileVersion_ > xvExcel97) throw EBIFFError("Unhandled Excel version");
    for (int32_t value : area) WriteWord(static_cast<uint16_t>(value));
}

void TXLSStream::WriteEscherHeader(uint16_t version, uint16_t instance, uint32_t length, uint16_t recType) {
    uint8_t bytes[8];
    const uint16_t verInst = static_cast<uint16_t>((version & 0x0F) | instance << 4);
    bytes[0] = static_cast<uint8_t>(verInst);
    bytes[1] = static_cast<uint8_t>(verInst >> 8);
    bytes[2] = static_cast<uint8_t>(recType);
    bytes[3] = static_cast<uint8_t>(recType >> 8);
    for (int i = 0; i < 4; ++i) bytes[4 + i] = static_cast<uint8_t>(length >> (8 * i));
    Write(bytes, 8);
}

void TXLSStream::WriteWideString(const std::u16string& text, bool withLength) {
    std::vector<uint8_t> bytes;
    if (withLength) {
        bytes.push_back(static_cast<uint8_t>(text.size()));
        bytes.push_back(static_cast<uint8_t>(text.size() >> 8));
    }
    if (!text.empty()) {
        bytes.push_back(1);
        for (char16_t c : text) {
            bytes.push_back(static_cast<uint8_t>(c));
            bytes.push_back(static_cast<uint8_t>(c >> 8));
        }
    }
    Write(bytes.data(), static_cast<int64_t>(bytes.size()));
}

int64_t TXLSStream::ReadString(int count, std::u16string& result) {
    if (count < 0 || count > 0xFFFF) throw EBIFFError("Invalid string length");
    constexpr const char* BeyondEndText = "String beyond the end of the stream";
    uint8_t flag = 0;
    if (Read(&flag, 1) != 1) throw EBIFFError(BeyondEndText);
    int64_t consumed = 1;
    result.clear();
    std::vector<uint8_t> bytes;
    while (static_cast<int>(result.size()) < count) {
        // Bit 0 alone says the width; the other bits announce rich-text and phonetic data.
        const bool wide = (flag & 1) != 0;
        int64_t chars = count - static_cast<int64_t>(result.size());
        if (ContinueRead_) {
            const int64_t left = RecordLength_ - ContinuePos_;
            if (left <= 0) {
                // Characters continued in the next record start with a flag byte of their own:
                // the rest of the string may be stored at the other width.
                if (!NextContinuation() || Read(&flag, 1) != 1) throw EBIFFError(BeyondEndText);
                ++consumed;
                continue;
            }
            chars = std::min(chars, wide ? left / 2 : left);
            if (chars == 0) throw EBIFFError("Character split between records");
        }
        const int64_t size = wide ? chars * 2 : chars;
        bytes.resize(static_cast<size_t>(size));
        if (Read(bytes.data(), size) != size) throw EBIFFError(BeyondEndText);
        if (wide) {
            for (int64_t i = 0; i < chars; ++i)
                result.push_back(static_cast<char16_t>(base::LoadLE16(bytes.data() + 2 * i)));
        } else {
            // Compressed characters: the high byte of each UTF-16 code unit is zero.
            for (uint8_t b : bytes) result.push_back(b);
        }
        consumed += size;
    }
    return consumed;
}

void TXLSStream::WriteByteString16(const std::vector<uint8_t>& text) {
    const size_t chars = text.empty() ? 0 : text[0] == 1 ? (text.size() - 1) / 2 : text.size() - 1;
    const uint8_t count[2] = {static_cast<uint8_t>(chars), static_cast<uint8_t>(chars >> 8)};
    Write(count, 2);
    if (!text.empty()) Write(text.data(), static_cast<int64_t>(text.size()));
}

void TXLSStream::WriteByteString8(const std::vector<uint8_t>& text) {
    const size_t chars = text.empty() ? 0 : text[0] == 1 ? (text.size() - 1) / 2 : text.size() - 1;
    const uint8_t count = static_cast<uint8_t>(chars);
    Write(&count, 1);
    if (!text.empty()) Write(text.data(), static_cast<int64_t>(text.size()));
}

void TXLSStream::BeginContinueRead() {
    if (ContinueRead_) throw EBIFFError("CONTINUE read active");
    ContinueRead_ = true;
    ContinuePos_ = 0;
}

void TXLSStream::EndContinueRead() {
    ContinueRead_ = false;
    ContinuePos_ = 0;
}

}  // namespace xls
