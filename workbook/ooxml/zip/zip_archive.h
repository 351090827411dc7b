#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/exception.h"
#include "base/stream.h"
#include "workbook/ooxml/zip/zip_records.h"
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

// One entry of an archive, and a read-only stream over its uncompressed content. Each entry
// keeps its own read position, so entries can be read alternately over one archive stream.
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

    // Writes the whole uncompressed content into dest; the CRC-32 is checked.
    void ExtractToStream(base::TStream& dest);

    // Refuses entries that are encrypted, lie beyond the end of the archive or declare a
    // size no real entry of their compressed size can have (before any memory is spent).
    void OpenEntry();
    void CloseEntry();
    bool IsOpen() const { return Open_; }

    // Reads from the entry's content; raises on truncated data and, at the end, on a
    // CRC-32 mismatch.
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    // Forward seeks skip by reading; backward seeks start the entry over.
    int64_t Seek(int64_t offset, base::TSeekOrigin origin) override;
    // The declared size, refused when no real entry can have it.
    int64_t Size() override;

private:
    friend class TXLSZipArchive;

    void CheckDeclaredSize() const;

    TXLSZipArchive& Owner_;
    TCentralDirectoryFile Central_;
    TLocalFile Local_;
    std::unique_ptr<TDecompressionStream> Inflater_;
    bool Open_ = false;
    int64_t Position_ = 0;  // uncompressed bytes read so far
    uint32_t ReadCrc_ = 0;
};

// A ZIP archive over a stream it does not own: read (entries from the central directory,
// or from the local headers when there is no end record) or written (entries one after
// another, the central directory at Close).
class TXLSZipArchive {
public:
    enum TMode { zmClosed = 0, zmRead = 1, zmWrite = 2 };

    // Largest uncompressed entry this archive extracts.
    static constexpr int64_t MaxEntrySize = int64_t{1} << 30;

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
    // Expires when the entries go (Close, or the archive's end): a stream reading an entry
    // checks it before touching the entry.
    std::weak_ptr<const bool> EntriesToken() const { return EntriesAlive_; }

    // Adds the rest of stream (from its position) as a new entry.
    void AddStream(const std::string& name, base::TStream& stream);
    // Starts a deflated entry; the caller writes its content into the returned stream and
    // hands it back to EndEntry.
    std::unique_ptr<TCompressionStream> BeginEntry(const std::string& name);
    void EndEntry(std::unique_ptr<TCompressionStream> stream);

private:
    void ReadDirectory();
    bool FindEndRecord(int64_t size);
    void ReadCentralDirectory(int64_t size);
    void ReadLocalHeaders(int64_t size);
    void ScanLocalHeaders(int64_t size);
    void ReadNameAndExtra(TLocalFile& local);

    std::unique_ptr<TXLSZipFile> NewEntry(const std::string& name, uint16_t method, uint32_t uncompressedSize);
    void WriteLocalHeader(const TXLSZipFile& entry);
    void FinishEntry(std::unique_ptr<TXLSZipFile> entry, uint32_t crc, int64_t uncompressedSize, int64_t dataEnd);
    void WriteCentralDirectory();

    TMode Mode_ = zmClosed;
    base::TStream* Stream_ = nullptr;
    TEndRecord EndRecord_;
    std::vector<std::unique_ptr<TXLSZipFile>> Files_;
    std::unique_ptr<TXLSZipFile> Active_;
    std::shared_ptr<const bool> EntriesAlive_ = std::make_shared<const bool>(true);
    const TCompressionStream* ActiveStream_ = nullptr;
};

}  // namespace xls
