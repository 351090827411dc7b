#pragma once

#include <cstdint>
#include <string>
#include <vector>

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
    const uint8_t* Memory() const { return View_ ? View_ : Buffer_.data(); }
    // Writable access to an owned buffer (raises for a view).
    uint8_t* Data();

    void Clear();
    void LoadFromStream(TStream& source);
    void SaveToStream(TStream& target) const;
    void LoadFromFile(const std::string& fileName);
    void SaveToFile(const std::string& fileName) const;

private:
    void Reserve(int64_t capacity);

    std::vector<uint8_t> Buffer_;  // capacity grows geometrically; Size_ is the logical size
    const uint8_t* View_ = nullptr;
    int64_t Size_ = 0;
    int64_t Position_ = 0;
};

}  // namespace base
