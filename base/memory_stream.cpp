#include "base/memory_stream.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "base/exception.h"
#include "base/file_stream.h"

namespace base {

TMemoryStream TMemoryStream::View(const void* data, int64_t size) {
    if (size < 0 || (size > 0 && data == nullptr)) throw EStreamError("Invalid memory view");
    TMemoryStream stream;
    static const uint8_t Empty = 0;
    stream.View_ = size > 0 ? static_cast<const uint8_t*>(data) : &Empty;
    stream.Size_ = size;
    return stream;
}

int64_t TMemoryStream::Read(void* buffer, int64_t count) {
    if (count <= 0 || Position_ >= Size_) return 0;
    const int64_t n = std::min(count, Size_ - Position_);
    std::memcpy(buffer, Memory() + Position_, static_cast<size_t>(n));
    Position_ += n;
    return n;
}

int64_t TMemoryStream::Write(const void* buffer, int64_t count) {
    if (View_ || count <= 0) return 0;
    if (Position_ > std::numeric_limits<int64_t>::max() - count) return 0;
    const int64_t end = Position_ + count;
    if (end > Size_) {
        Reserve(end);
        if (Position_ > Size_) std::memset(Buffer_.get() + Size_, 0, static_cast<size_t>(Position_ - Size_));
        Size_ = end;
    }
    std::memcpy(Buffer_.get() + Position_, buffer, static_cast<size_t>(count));
    Position_ = end;
    return count;
}

int64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
    int64_t base = 0;
    switch (origin) {
        case TSeekOrigin::soBeginning: base = 0; break;
        case TSeekOrigin::soCurrent: base = Position_; break;
        case TSeekOrigin::soEnd: base = Size_; break;
    }
    if ((offset > 0 && base > std::numeric_limits<int64_t>::max() - offset) || base + offset < 0)
        throw EStreamError("Invalid stream position");
    Position_ = base + offset;
    return Position_;
}

void TMemoryStream::SetSize(int64_t newSize) {
    if (View_) throw EStreamError("A memory view cannot be resized");
    if (newSize < 0) throw EStreamError("Invalid stream size");
    Reserve(newSize);
    if (newSize > Size_) std::memset(Buffer_.get() + Size_, 0, static_cast<size_t>(newSize - Size_));
    Size_ = newSize;
    Position_ = std::min(Position_, Size_);
}

uint8_t* TMemoryStream::Data() {
    if (View_) throw EStreamError("A memory view is read-only");
    return Buffer_.get();
}

void TMemoryStream::SetCapacity(int64_t capacity) {
    if (View_) throw EStreamError("A memory view cannot be resized");
    if (capacity > Capacity_) Allocate(capacity);
}

void TMemoryStream::Clear() {
    Buffer_.reset();
    Capacity_ = 0;
    View_ = nullptr;
    Size_ = 0;
    Position_ = 0;
}

void TMemoryStream::LoadFromStream(TStream& source) {
    Clear();
    source.SetPosition(0);
    const int64_t size = source.Size();
    if (size < 0) throw EStreamError("Invalid stream size");
    // The bytes are read straight into the buffer: no zero-fill first.
    SetCapacity(size);
    if (size > 0) source.ReadBuffer(Buffer_.get(), size);
    Size_ = size;
}

void TMemoryStream::SaveToStream(TStream& target) const {
    if (Size_ > 0) target.WriteBuffer(Memory(), Size_);
}

void TMemoryStream::LoadFromFile(const std::string& fileName) {
    TFileStream file(fileName, fmOpenRead);
    LoadFromStream(file);
}

void TMemoryStream::SaveToFile(const std::string& fileName) const {
    TFileStream file(fileName, fmCreate);
    SaveToStream(file);
}

void TMemoryStream::Reserve(int64_t capacity) {
    if (capacity <= Capacity_) return;
    Allocate(std::max({capacity, Capacity_ + Capacity_ / 2, int64_t{256}}));
}

void TMemoryStream::Allocate(int64_t capacity) {
    if (static_cast<uint64_t>(capacity) > std::numeric_limits<size_t>::max() / 2)
        throw EStreamError("Out of memory while expanding memory stream");
    void* grown = std::realloc(Buffer_.get(), static_cast<size_t>(capacity));
    if (!grown) throw EStreamError("Out of memory while expanding memory stream");
    (void)Buffer_.release();
    Buffer_.reset(static_cast<uint8_t*>(grown));
    Capacity_ = capacity;
}

}  // namespace base
