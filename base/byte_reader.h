#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>

#include "base/exception.h"

namespace base {

// Raised by TByteReader when a read would pass the end of its bytes, unless the reader was
// given a failure of its own (a format's "damaged file" error, say).
inline constexpr const char* ReadBeyondEndText = "Read beyond the end of the data";

// Unchecked loads and stores at a pointer, for data whose bounds the caller already checked
// (a record whose length was validated, a buffer being built).
inline uint16_t LoadLE16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
inline uint32_t LoadLE32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline uint64_t LoadLE64(const uint8_t* p) { return uint64_t(LoadLE32(p)) | uint64_t(LoadLE32(p + 4)) << 32; }
inline uint16_t LoadBE16(const uint8_t* p) { return static_cast<uint16_t>(p[0] << 8 | p[1]); }
inline uint32_t LoadBE32(const uint8_t* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}
inline double LoadLEDouble(const uint8_t* p) { return std::bit_cast<double>(LoadLE64(p)); }

inline void StoreLE16(uint8_t* p, uint16_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
inline void StoreLE32(uint8_t* p, uint32_t v) {
    StoreLE16(p, uint16_t(v));
    StoreLE16(p + 2, uint16_t(v >> 16));
}
inline void StoreLE64(uint8_t* p, uint64_t v) {
    StoreLE32(p, uint32_t(v));
    StoreLE32(p + 4, uint32_t(v >> 32));
}
inline void StoreBE16(uint8_t* p, uint16_t v) {
    p[0] = uint8_t(v >> 8);
    p[1] = uint8_t(v);
}
inline void StoreBE32(uint8_t* p, uint32_t v) {
    StoreBE16(p, uint16_t(v >> 16));
    StoreBE16(p + 2, uint16_t(v));
}

// Appends to a byte buffer (std::string or std::vector<uint8_t>).
template <class Buffer>
void AppendLE16(Buffer& out, uint16_t v) {
    out.push_back(static_cast<typename Buffer::value_type>(v));
    out.push_back(static_cast<typename Buffer::value_type>(v >> 8));
}
template <class Buffer>
void AppendLE32(Buffer& out, uint32_t v) {
    AppendLE16(out, uint16_t(v));
    AppendLE16(out, uint16_t(v >> 16));
}
template <class Buffer>
void AppendLE64(Buffer& out, uint64_t v) {
    AppendLE32(out, uint32_t(v));
    AppendLE32(out, uint32_t(v >> 32));
}
template <class Buffer>
void AppendBE16(Buffer& out, uint16_t v) {
    out.push_back(static_cast<typename Buffer::value_type>(v >> 8));
    out.push_back(static_cast<typename Buffer::value_type>(v));
}
template <class Buffer>
void AppendBE32(Buffer& out, uint32_t v) {
    AppendBE16(out, uint16_t(v >> 16));
    AppendBE16(out, uint16_t(v));
}

// A cursor over bytes that refuses to read past their end: every read checks first and calls
// the failure (which must not return) instead of reading out of bounds. Reads "At" an offset
// leave the cursor where it is. Offsets and sizes are checked without overflow.
class TByteReader {
public:
    using TFailure = void (*)();

    TByteReader(std::span<const uint8_t> bytes, TFailure failure = nullptr) : Bytes_(bytes), Failure_(failure) {}
    TByteReader(const void* data, size_t size, TFailure failure = nullptr)
        : TByteReader(std::span(static_cast<const uint8_t*>(data), size), failure) {}
    explicit TByteReader(std::string_view text, TFailure failure = nullptr)
        : TByteReader(text.data(), text.size(), failure) {}

    size_t Size() const { return Bytes_.size(); }
    size_t Position() const { return Pos_; }
    size_t Remaining() const { return Bytes_.size() - Pos_; }
    bool AtEnd() const { return Pos_ == Bytes_.size(); }
    bool Has(size_t count) const { return count <= Remaining(); }
    bool HasAt(size_t offset, size_t count) const { return offset <= Bytes_.size() && count <= Bytes_.size() - offset; }
    std::span<const uint8_t> All() const { return Bytes_; }

    void Seek(size_t offset) {
        if (offset > Bytes_.size()) Fail();
        Pos_ = offset;
    }
    void Skip(size_t count) {
        Need(count);
        Pos_ += count;
    }

    uint8_t U8() { return *Take(1); }
    int8_t I8() { return static_cast<int8_t>(U8()); }
    uint16_t U16LE() { return LoadLE16(Take(2)); }
    int16_t I16LE() { return static_cast<int16_t>(U16LE()); }
    uint32_t U32LE() { return LoadLE32(Take(4)); }
    int32_t I32LE() { return static_cast<int32_t>(U32LE()); }
    uint64_t U64LE() { return LoadLE64(Take(8)); }
    double DoubleLE() { return LoadLEDouble(Take(8)); }
    uint16_t U16BE() { return LoadBE16(Take(2)); }
    int16_t I16BE() { return static_cast<int16_t>(U16BE()); }
    uint32_t U32BE() { return LoadBE32(Take(4)); }
    int32_t I32BE() { return static_cast<int32_t>(U32BE()); }

    // The next count bytes, as a view into the reader's data.
    std::span<const uint8_t> Bytes(size_t count) { return {Take(count), count}; }
    void CopyTo(void* destination, size_t count) { std::memcpy(destination, Take(count), count); }

    uint8_t U8At(size_t offset) const { return *At(offset, 1); }
    uint16_t U16LEAt(size_t offset) const { return LoadLE16(At(offset, 2)); }
    uint32_t U32LEAt(size_t offset) const { return LoadLE32(At(offset, 4)); }
    uint64_t U64LEAt(size_t offset) const { return LoadLE64(At(offset, 8)); }
    uint16_t U16BEAt(size_t offset) const { return LoadBE16(At(offset, 2)); }
    int16_t I16BEAt(size_t offset) const { return static_cast<int16_t>(U16BEAt(offset)); }
    uint32_t U32BEAt(size_t offset) const { return LoadBE32(At(offset, 4)); }
    std::span<const uint8_t> BytesAt(size_t offset, size_t count) const { return {At(offset, count), count}; }

    // A reader over count bytes at offset, with the same failure.
    TByteReader Sub(size_t offset, size_t count) const { return TByteReader(BytesAt(offset, count), Failure_); }
    // A reader over the next count bytes; this one moves past them.
    TByteReader Split(size_t count) { return TByteReader(Bytes(count), Failure_); }

private:
    [[noreturn]] void Fail() const {
        if (Failure_) Failure_();
        throw Exception(ReadBeyondEndText);
    }
    void Need(size_t count) const {
        if (!Has(count)) Fail();
    }
    const uint8_t* Take(size_t count) {
        Need(count);
        const uint8_t* p = Bytes_.data() + Pos_;
        Pos_ += count;
        return p;
    }
    const uint8_t* At(size_t offset, size_t count) const {
        if (!HasAt(offset, count)) Fail();
        return Bytes_.data() + offset;
    }

    std::span<const uint8_t> Bytes_;
    size_t Pos_ = 0;
    TFailure Failure_;
};

}  // namespace base
