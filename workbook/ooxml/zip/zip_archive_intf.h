#pragma once

#include <memory>
#include <optional>
#include <string>

#include "base/stream.h"
#include "workbook/ooxml/zip/zip_archive.h"

namespace xls {

// The read stream handed out for one entry, with a read position of its own (several may
// read one entry at once). It does not own the entry.
class TXLSOwnerStream : public base::TStream {
public:
    TXLSOwnerStream(TXLSZipFile& entry, std::string name);
    ~TXLSOwnerStream() override;
    TXLSOwnerStream(const TXLSOwnerStream&) = delete;
    TXLSOwnerStream& operator=(const TXLSOwnerStream&) = delete;

    const std::string& Name() const { return Name_; }

    int64_t Read(void* buffer, int64_t count) override { return Reader().Read(buffer, count); }
    int64_t Write(const void* buffer, int64_t count) override { return Entry().Write(buffer, count); }
    int64_t Seek(int64_t offset, base::TSeekOrigin origin) override { return Reader().Seek(offset, origin); }
    int64_t Size() override { return Entry().Size(); }

private:
    // The entry, while its archive still holds it; raises once the archive was closed.
    TXLSZipFile& Entry();
    TXLSZipEntryReader& Reader();

    TXLSZipFile& Entry_;
    TXLSZipEntryReader Reader_;
    std::weak_ptr<const bool> Alive_;
    std::string Name_;
};

// What the package needs of an archive. Names are UTF-8 paths inside the archive.
class TXLSZipArchiveIntf {
public:
    virtual ~TXLSZipArchiveIntf() = default;

    virtual int Count() = 0;
    virtual void OpenRead(base::TStream& stream) = 0;
    virtual int Find(const std::string& name) = 0;
    // The name of an entry whose name another entry has already, ignoring ASCII letter case.
    virtual std::optional<std::string> DuplicateName() = 0;
    virtual std::unique_ptr<TXLSOwnerStream> OpenFile(const std::string& name) = 0;
    virtual std::unique_ptr<base::TStream> CreateFile(const std::string& path) = 0;
    virtual std::unique_ptr<base::TStream> CreateFile(const std::string& folder, const std::string& name) = 0;
    virtual void CloseFile(std::unique_ptr<base::TStream> stream) = 0;
    virtual void AddFile(const std::string& path, base::TStream& stream) = 0;
    virtual void AddFile(const std::string& folder, const std::string& name, base::TStream& stream) = 0;
    virtual TXLSZipArchive& OpenWrite(base::TStream& stream) = 0;
    virtual void Close() = 0;
};

// The archive interface over our own ZIP archive.
class TXLSZipArchiveIntfXLS : public TXLSZipArchiveIntf {
public:
    TXLSZipArchiveIntfXLS();

    int Count() override;
    void OpenRead(base::TStream& stream) override;
    int Find(const std::string& name) override;
    std::optional<std::string> DuplicateName() override;
    std::unique_ptr<TXLSOwnerStream> OpenFile(const std::string& name) override;
    std::unique_ptr<base::TStream> CreateFile(const std::string& path) override;
    std::unique_ptr<base::TStream> CreateFile(const std::string& folder, const std::string& name) override;
    void CloseFile(std::unique_ptr<base::TStream> stream) override;
    void AddFile(const std::string& path, base::TStream& stream) override;
    void AddFile(const std::string& folder, const std::string& name, base::TStream& stream) override;
    TXLSZipArchive& OpenWrite(base::TStream& stream) override;
    void Close() override;

private:
    std::unique_ptr<TXLSZipArchive> Zip_;
};

}  // namespace xls
