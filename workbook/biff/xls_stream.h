#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/byte_reader.h"
#include "base/stream.h"
#include "platform/compound_file.h"
#include "workbook/biff/excel_version.h"
#include "workbook/biff/xls_crypt.h"

namespace xls {

class TExtraObjects;
class TXLSVBA;

struct TBIFFHeader {
    uint16_t RecID = 0;
    uint16_t Length = 0;
};

// The one record interface over the three containers of BIFF data: the "Workbook" (BIFF8) or
// "Book" (BIFF5) stream of a compound file, a plain BIFF2-4 file, or memory.
class TXLSStream {
public:
    TXLSStream();
    // Abandons a container that was created and not closed: a write that failed half-way
    // leaves no file behind. Call Close to finish a written file.
    ~TXLSStream();
    TXLSStream(const TXLSStream&) = delete;
    TXLSStream& operator=(const TXLSStream&) = delete;

    // Set before Open: read the file (a compound file, or a plain BIFF2-4 worksheet file) from this
    // stream instead of the named file.
    void SetSourceStream(base::TStream* source) { SourceStream_ = source; }
    // Set before CreateFile: build the file in memory and copy it into this stream on Close.
    void SetTargetStream(base::TStream* target) { TargetStream_ = target; }
    // Set before Open (filled) and before CreateFile (copied into the new file); may be nil.
    void SetExtraObjects(TExtraObjects* extraObjects) { ExtraObjects_ = extraObjects; }

    // Set before Open (the project is read from the file) and before CreateFile; may be nil.
    void SetVBA(TXLSVBA* vba) { VBA_ = vba; }
    void SetSaveVBA(bool save) { SaveVBA_ = save; }
    // After the last record: the VBA project, when there is one to save, into "_VBA_PROJECT_CUR".
    void WriteVBA();

    TExcelVersion Open(const std::string& fileName);
    TExcelVersion OpenStorage(const std::string& fileName);
    TExcelVersion OpenPlainFile(const std::string& fileName);
    void CreateFile(const std::string& fileName, TExcelVersion version);
    void CreateMemory();
    // Finishes a written container (the named file appears only now) and releases everything.
    void Close();

    TExcelVersion FileVersion() const { return FileVersion_; }
    int64_t StreamSize() const { return StreamSize_; }

    // From here until Close, reads take the stream's bytes where they stand when they all lie in
    // memory in order (a memory stream, a mapped file, a compound file's stream in one run);
    // true when they do. Call after Open.
    bool BeginInPlaceRead();
    // The next count bytes where they stand, the position moved past them; nil when reads are
    // not in place or in CONTINUE-read mode. Raises when fewer than count bytes are left. The
    // bytes stay valid until Close.
    const uint8_t* ReadInPlace(int64_t count) {
        if (!InPlace_ || ContinueRead_ || count < 0 || InPlacePos_ > InPlaceSize_ || InPlaceSize_ - InPlacePos_ < count)
            return ReadInPlaceShort(count);
        const uint8_t* bytes = InPlace_ + InPlacePos_;
        InPlacePos_ += count;
        return bytes;
    }

    // Between records of an in-place read: every so often the stream hears that the bytes behind
    // the position are done with, so that a mapped file's pages leave memory as the read goes on
    // and a large read holds the model it fills rather than the whole file as well.
    void ReleaseReadBytes() {
        constexpr int64_t Step = int64_t{1} << 20;
        if (InPlace_ && InPlacePos_ - InPlaceReleased_ >= Step) {
            InPlaceReleased_ = InPlacePos_;
            if (Ole_) platform::TCompoundFile::ReleaseReadBytes(*Ole_, InPlacePos_);
        }
    }

    int ReadHeader(TBIFFHeader& header) {
        if (InPlace_ && InPlaceSize_ - InPlacePos_ >= 4) {
            const uint8_t* bytes = InPlace_ + InPlacePos_;
            InPlacePos_ += 4;
            header.RecID = base::LoadLE16(bytes);
            header.Length = base::LoadLE16(bytes + 2);
            RecordLength_ = header.Length;
            return 4;
        }
        return ReadHeaderInContinue(header);
    }
    int ReadHeaderInContinue(TBIFFHeader& header);
    int64_t Read(void* buffer, int64_t count);
    // Reads without following CONTINUE records (BOF records).
    int64_t ReadPlain(void* buffer, int64_t count);
    uint16_t PeekRecordId();
    uint16_t PeekRecordLength();

    void WriteHeader(uint16_t id, uint16_t length);
    void WriteWordRecord(uint16_t id, uint16_t value);
    int64_t WriteRaw(const void* buffer, int64_t count);
    int64_t Write(const void* buffer, int64_t count);
    int64_t WriteWord(uint16_t value);
    int64_t WriteLongWord(uint32_t value);
    int64_t WriteByte(uint8_t value);
    // Writes a record, continuing data beyond 8224 bytes (2080 before BIFF8) in CONTINUE records.
    void WriteRecord(uint16_t id, const void* data, int64_t count);

    void BeginContinuedRecord(int32_t maxData);
    void WriteContinued(const void* data, int64_t count);
    void EndContinuedRecord();

    int64_t Seek(int64_t offset, int origin);
    int64_t Position() { return InPlace_ ? InPlacePos_ : Seek(0, 1); }

    // Writes column/row bounds as four 16-bit words in the order given.
    void WriteArea(const std::array<int32_t, 4>& area);
    void WriteEscherHeader(uint16_t version, uint16_t instance, uint32_t length, uint16_t recType);

    void WriteWideString(const std::u16string& text, bool withLength);
    // Reads a flag byte and count characters; returns the bytes consumed. In CONTINUE-read
    // mode characters that go on in the next record follow that record's own flag byte.
    int64_t ReadString(int count, std::u16string& result);
    // A byte string of the format: flag byte (1: UTF-16LE follows), then the characters.
    void WriteByteString16(const std::vector<uint8_t>& text);
    void WriteByteString8(const std::vector<uint8_t>& text);

    // Encryption. VerifyPassword only checks; CheckPassword, on success, decrypts the rest of the
    // stream (from the record after FILEPASS) and every read from then on gives plain data.
    bool VerifyPassword(std::span<const uint8_t> filePass, std::u16string_view password);
    bool CheckPassword(std::span<const uint8_t> filePass, std::u16string_view password);
    bool Encrypted() const { return Encrypted_; }
    // Writes FILEPASS for password; EncryptStream, after the last record, then encrypts every
    // record written after it.
    void WriteFilePass(std::u16string_view password);
    void EncryptStream();

    // CONTINUE-read mode: reads follow the current record into its continuation records.
    void BeginContinueRead();
    void EndContinueRead();
    void ResetContinuePos() { ContinuePos_ = 0; }

private:
    base::TStream& Current();
    // Reads from the bytes in place or from the stream, without following CONTINUE records.
    int64_t ReadRaw(void* buffer, int64_t count);
    // ReadInPlace where it does not give the bytes: nil, or the error.
    const uint8_t* ReadInPlaceShort(int64_t count);
    // The next record's header without moving; false when fewer than four bytes are left.
    bool PeekHeader(uint8_t (&bytes)[4]);
    int64_t ReadContinued(uint8_t* buffer, int64_t count);
    // Reads the next continuation's header; false at the end of the stream.
    bool NextContinuation();
    void Release();

    base::TStream* SourceStream_ = nullptr;
    base::TStream* TargetStream_ = nullptr;
    TExtraObjects* ExtraObjects_ = nullptr;
    TXLSVBA* VBA_ = nullptr;
    bool SaveVBA_ = false;

    std::unique_ptr<platform::TCompoundFile> Storage_;
    std::unique_ptr<base::TStream> OleRead_;  // the workbook stream of a file read
    base::TStream* Ole_ = nullptr;            // the workbook stream, read or written
    std::unique_ptr<base::TStream> PlainOwned_;
    base::TStream* Plain_ = nullptr;
    std::string FileName_;       // the file a written container becomes on Close
    std::string TemporaryName_;  // where a plain file is written until Close
    bool Writing_ = false;

    TExcelVersion FileVersion_ = xvNone;
    int64_t StreamSize_ = 0;
    int32_t WrittenBytes_ = 0;
    int64_t RecordStart_ = -1;
    int32_t MaxRecordData_ = 0;
    // The workbook stream's bytes when records are read where they stand; their position.
    const uint8_t* InPlace_ = nullptr;
    int64_t InPlaceSize_ = 0;
    int64_t InPlacePos_ = 0;
    int64_t InPlaceReleased_ = 0;  // the stream was told it may drop what lies before
    bool ContinueRead_ = false;
    int32_t ContinuePos_ = 0;   // data bytes consumed of the current record or continuation
    int32_t RecordLength_ = 0;  // data length of the record whose header was read last
    TXLSCipher Cipher_;
    bool Encrypted_ = false;
    std::vector<uint8_t> Decrypted_;  // the whole stream, read through in place once decrypted
    int64_t FilePassEnd_ = -1;        // where the records to encrypt begin in a written stream
};

}  // namespace xls
