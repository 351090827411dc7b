#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/exception.h"
#include "base/stream.h"
#include "workbook/ooxml/zip/zip_name_index.h"
#include "workbook/ooxml/zip/zip_records.h"
#include "workbook/ooxml/zip/zlib_buffers.h"
#include "workbook/ooxml/zip/zlib_streams.h"

namespace xls {

class EZipError : public base::Exception {
public:
    using base::Exception::Exception;
};

// Name of a new entry: "\" becomes "/", a drive prefix ("C:/") and a share prefix
// ("//server/share/") are cut. Names that would escape the extraction folder (absolute, or
// with a ".." segment), empty names and names longer than the format allows are refused.
std::string NormalizeZipName(std::string_view name);

class TXLSZipArchive;
class TXLSZipFile;

// A read position in one entry's uncompressed content. Each reader keeps its own, so one entry
// can be read by several streams at once and entries can be read alternately over one
// archive stream.
class TXLSZipEntryReader {
public:
    explicit TXLSZipEntryReader(const TXLSZipFile& entry);
    ~TXLSZipEntryReader();
    TXLSZipEntryReader(const TXLSZipEntryReader&) = delete;
    TXLSZipEntryReader& operator=(const TXLSZipEntryReader&) = delete;

    // Refuses entries that are encrypted, lie beyond the end of the archive or declare a
    // size no real entry of their compressed size can have, or one above the archive's limit
    // (before any memory is spent).
    void Open();
    void Close();
    bool IsOpen() const { return Open_; }
    int64_t Position() const { return Position_; }

    // Reads from the entry's content, never past its declared size; raises on truncated data
    // and, at the end, on a CRC-32 mismatch.
    int64_t Read(void* buffer, int64_t count);
    // Forward seeks skip by reading; backward seeks start the entry over.
    int64_t Seek(int64_t offset, base::TSeekOrigin origin);

private:
    const TXLSZipFile& Entry_;
    std::unique_ptr<TDecompressionStream> Inflater_;
    bool Open_ = false;
    int64_t Position_ = 0;  // uncompressed bytes read so far
    uint32_t ReadCrc_ = 0;
};

// One entry of an archive, and a read-only stream over its uncompressed content.
class TXLSZipFile : public base::TStream {
public:
    explicit TXLSZipFile(TXLSZipArchive& owner);
    ~TXLSZipFile() override;
    TXLSZipFile(const TXLSZipFile&) = delete;
    TXLSZipFile& operator=(const TXLSZipFile&) = delete;

    const std::string& Name() const { return Central_.Name; }
    TXLSZipArchive& Owner() const { return Owner_; }
    const TCentralDirectoryFile& CentralRecord() const { return Central_; }
    const TLocalFile& LocalRecord() const { return Local_; }
    int64_t UncompressedSize() const { return Central_.UncompressedSize; }

    // Writes the whole uncompressed content into dest; the CRC-32 is checked. A memory
    // stream is grown once, to the declared size.
    void ExtractToStream(base::TStream& dest);

    void OpenEntry() { Reader_.Open(); }
    void CloseEntry() { Reader_.Close(); }
    bool IsOpen() const { return Reader_.IsOpen(); }

    int64_t Read(void* buffer, int64_t count) override { return Reader_.Read(buffer, count); }
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, base::TSeekOrigin origin) override { return Reader_.Seek(offset, origin); }
    // The declared size, refused when no real entry can have it.
    int64_t Size() override;

    // Raises EZipError when the declared sizes are implausible or above the archive's limit.
    void CheckDeclaredSize() const;

private:
    friend class TXLSZipArchive;

    TXLSZipArchive& Owner_;
    TCentralDirectoryFile Central_;
    TLocalFile Local_;
    TXLSZipEntryReader Reader_{*this};
};

// A ZIP archive over a stream it does not own: read (entries from the central directory,
// or from the local headers when there is no end record) or written (entries one after
// another, the central directory at Close).
class TXLSZipArchive {
public:
    enum TMode { zmClosed = 0, zmRead = 1, zmWrite = 2 };

    // Largest uncompressed entry this archive extracts; larger ones are refused before
    // anything is inflated. The default is DefaultInflateLimit.
    int64_t MaxEntrySize() const { return MaxEntrySize_; }
    void SetMaxEntrySize(int64_t size) { MaxEntrySize_ = size; }

    TXLSZipArchive();
    // Closes; a failure to write the central directory is lost here, so writers call Close.
    ~TXLSZipArchive();
    TXLSZipArchive(const TXLSZipArchive&) = delete;
    TXLSZipArchive& operator=(const TXLSZipArchive&) = delete;

    void OpenFromStream(base::TStream& stream);
    // The first entry is written at offset 0 of stream, whatever its position.
    void OpenForWrite(base::TStream& stream);
    void Close();

    TMode Mode() const { return Mode_; }
    base::TStream* Stream() const { return Stream_; }
    int Count() const { return static_cast<int>(Files_.size()); }
    TXLSZipFile& GetFiles(int index);
    // First entry whose name equals name ignoring ASCII letter case; -1 when none.
    int IndexOf(std::string_view name) const;
    // The first entry whose name equals an earlier entry's ignoring ASCII letter case (ZIP
    // allows it; packages built on ZIP refuse it); -1 when none.
    int FirstDuplicate() const { return FirstDuplicate_; }
    // Expires when the entries go (Close, or the archive's end): a stream reading an entry
    // checks it before touching the entry.
    std::weak_ptr<const bool> EntriesToken() const { return EntriesAlive_; }

    // Entries added from now on carry this MS-DOS date and time instead of the current time
    // (reproducible output, e.g. data embedded at build time).
    void SetEntryDateTime(uint32_t dosDateTime) { EntryDateTime_ = dosDateTime; }
    // Adds the rest of stream (from its position) as a new entry.
    void AddStream(const std::string& name, base::TStream& stream);
    // Starts a deflated entry; the caller writes its content into the returned stream and
    // hands it back to EndEntry.
    std::unique_ptr<TCompressionStream> BeginEntry(const std::string& name);
    void EndEntry(std::unique_ptr<TCompressionStream> stream);

private:
    friend class TXLSZipEntryReader;
    friend class TXLSZipFile;

    // zlib states and buffers are kept from one entry to the next, so that reading or
    // writing many entries does not allocate (and give back) them for each.
    std::unique_ptr<TDecompressionStream> TakeInflater(int64_t start, int64_t limit);
    void KeepInflater(std::unique_ptr<TDecompressionStream> inflater);
    std::unique_ptr<TCompressionStream> TakeDeflater();
    std::vector<uint8_t>& Scratch(size_t size);

    void ReadDirectory();
    bool FindEndRecord(int64_t size);
    void ReadCentralDirectory(int64_t size);
    void ReadLocalHeaders(int64_t size);
    void ScanLocalHeaders(int64_t size);
    void ReadNameAndExtra(TLocalFile& local);
    void CheckEntriesApart() const;
    int FindName(std::string_view name, uint32_t hash) const;
    void IndexName(size_t index);

    std::unique_ptr<TXLSZipFile> NewEntry(const std::string& name, uint16_t method, uint32_t uncompressedSize);
    void FinishEntry(std::unique_ptr<TXLSZipFile> entry, uint32_t crc, int64_t uncompressedSize, int64_t dataEnd);
    void WriteCentralDirectory();

    TMode Mode_ = zmClosed;
    base::TStream* Stream_ = nullptr;
    TEndRecord EndRecord_;
    std::vector<std::unique_ptr<TXLSZipFile>> Files_;
    // The first entry of each name, ignoring ASCII letter case.
    TZipNameIndex NameIndex_;
    int FirstDuplicate_ = -1;
    int64_t MaxEntrySize_ = DefaultInflateLimit;
    std::unique_ptr<TDecompressionStream> SpareInflater_;
    std::unique_ptr<TCompressionStream> SpareDeflater_;
    std::vector<uint8_t> Scratch_;
    std::unique_ptr<TXLSZipFile> Active_;
    std::shared_ptr<const bool> EntriesAlive_ = std::make_shared<const bool>(true);
    const TCompressionStream* ActiveStream_ = nullptr;
    std::optional<uint32_t> EntryDateTime_;
};

}  // namespace xls
