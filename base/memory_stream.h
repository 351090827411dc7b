#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "base/stream.h"

namespace base {

// A stream over memory: either a growable buffer it owns, or a read-only view of constant
// bytes that belong to someone else (no copy is made; writes and resizes fail).
class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;

    // A read-only view; the bytes must outlive the stream.
    static TMemoryStream View(const void* data, int64_t size);

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() override { return Size_; }
    void SetSize(int64_t newSize) override;

    bool IsView() const { return View_ != nullptr; }
    const uint8_t* Memory() const { return View_ ? View_ : Buffer_.get(); }
    const uint8_t* ContiguousBytes() const override { return Memory(); }
    // Writable access to an owned buffer (raises for a view).
    uint8_t* Data();
    // Makes room for capacity bytes without changing the size: a writer that knows about how
    // much is coming spares the growth steps (raises for a view).
    void SetCapacity(int64_t capacity);

    void Clear();
    void LoadFromStream(TStream& source);
    void SaveToStream(TStream& target) const;
    void LoadFromFile(const std::string& fileName);
    void SaveToFile(const std::string& fileName) const;

private:
    // Grows the buffer geometrically; bytes past Size_ are undefined until written.
    void Reserve(int64_t capacity);
    void Allocate(int64_t capacity);

    struct TFree {
        void operator()(uint8_t* p) const { std::free(p); }
    };
    // Grown by reallocation, which extends a block in place where the heap allows it: no
    // copy and no zero-fill of the new room.
    std::unique_ptr<uint8_t, TFree> Buffer_;
    int64_t Capacity_ = 0;
    const uint8_t* View_ = nullptr;
    int64_t Size_ = 0;
    int64_t Position_ = 0;
};

}  // namespace base
