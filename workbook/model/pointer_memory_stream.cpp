#include "workbook/model/pointer_memory_stream.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "base/exception.h"

namespace xls {

void TPointerMemoryStream::SetPointer(void* memory, int64_t size) {
    if (size < 0 || (size > 0 && memory == nullptr)) throw base::EStreamError("Invalid memory pointer");
    Memory_ = static_cast<uint8_t*>(memory);
    Size_ = size;
    Position_ = 0;
}

int64_t TPointerMemoryStream::Read(void* buffer, int64_t count) {
    if (count <= 0 || Position_ >= Size_) return 0;
    const int64_t n = std::min(count, Size_ - Position_);
    std::memcpy(buffer, Memory_ + Position_, static_cast<size_t>(n));
    Position_ += n;
    return n;
}

int64_t TPointerMemoryStream::Write(const void* buffer, int64_t count) {
    if (count <= 0 || Position_ >= Size_) return 0;
    const int64_t n = std::min(count, Size_ - Position_);
    std::memmove(Memory_ + Position_, buffer, static_cast<size_t>(n));
    Position_ += n;
    return n;
}

int64_t TPointerMemoryStream::Seek(int64_t offset, base::TSeekOrigin origin) {
    int64_t from = 0;
    switch (origin) {
        case base::TSeekOrigin::soBeginning: from = 0; break;
        case base::TSeekOrigin::soCurrent: from = Position_; break;
        case base::TSeekOrigin::soEnd: from = Size_; break;
    }
    if ((offset > 0 && from > std::numeric_limits<int64_t>::max() - offset) || from + offset < 0)
        throw base::EStreamError("Invalid stream position");
    Position_ = from + offset;
    return Position_;
}

void TPointerMemoryStream::SetSize(int64_t newSize) {
    if (newSize != Size_) throw base::EStreamError("A pointer memory stream cannot be resized");
}

}  // namespace xls
