#pragma once

#include <cstdint>

#include "base/stream.h"

namespace xls {

// A stream over memory that belongs to someone else: it reads and writes that memory in place
// and never grows, frees or copies it. The memory must outlive the stream (or the next
// SetPointer).
class TPointerMemoryStream : public base::TStream {
public:
    TPointerMemoryStream() = default;
    TPointerMemoryStream(void* memory, int64_t size) { SetPointer(memory, size); }

    // The stream now reads and writes this memory; the position goes back to 0.
    void SetPointer(void* memory, int64_t size);
    void* Memory() const { return Memory_; }

    int64_t Read(void* buffer, int64_t count) override;
    // Writes what fits before the end of the memory; returns the number of bytes written.
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, base::TSeekOrigin origin) override;
    int64_t Size() override { return Size_; }
    // Foreign memory cannot be resized: only the current size is accepted.
    void SetSize(int64_t newSize) override;

private:
    uint8_t* Memory_ = nullptr;
    int64_t Size_ = 0;
    int64_t Position_ = 0;
};

}  // namespace xls
