#pragma once

#include <cstdint>
#include <string>

#include "base/memory_stream.h"
#include "base/stream.h"

namespace platform {

// A whole file mapped read-only into memory, read as a stream. The file's pages come straight
// from the page cache: nothing is copied and no fresh memory is touched, which is what reading a
// large file into a buffer costs most. The file must not shrink while it is mapped.
class TMappedFileStream : public base::TStream {
public:
    // Raises base::EFOpenError when the file cannot be opened or mapped.
    explicit TMappedFileStream(const std::string& fileName);
    ~TMappedFileStream() override;
    TMappedFileStream(const TMappedFileStream&) = delete;
    TMappedFileStream& operator=(const TMappedFileStream&) = delete;

    int64_t Read(void* buffer, int64_t count) override { return View_.Read(buffer, count); }
    // Raises: the mapping is read-only.
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, base::TSeekOrigin origin) override { return View_.Seek(offset, origin); }
    int64_t Size() override { return View_.Size(); }
    void SetSize(int64_t newSize) override;
    // The file's bytes, Size() of them.
    const uint8_t* Memory() const { return View_.Memory(); }
    const uint8_t* ContiguousBytes() const override { return Memory(); }
    // Lets the pages wholly inside bytes [from, from + count) of the file leave the process's
    // memory; they are read from the file again when touched.
    void Release(int64_t from, int64_t count);

private:
    void* Mapping_ = nullptr;
    size_t MappedSize_ = 0;
    base::TMemoryStream View_;
};

}  // namespace platform
