#include "workbook/ooxml/zip/zlib_buffers.h"

#include <zlib.h>

#include <algorithm>
#include <limits>

#include "base/format.h"
#include "workbook/ooxml/zip/zlib_streams.h"

namespace xls {

namespace {

constexpr const char* ZlibErrorText = "ZLib decompress error";
constexpr const char* LimitText = "Inflated data exceeds the limit of %d bytes";

int64_t RoundUp256(int64_t n) { return (n + 255) & ~int64_t{255}; }

// The window through which the inflated size is measured.
constexpr int64_t WindowSize = 65536;

void CheckInput(const void* inBuf, int64_t inSize) {
    if (inSize < 0 || (inSize > 0 && inBuf == nullptr) || inSize > std::numeric_limits<uInt>::max())
        throw EZlibError(ZlibErrorText);
}

// Ends the zlib state on every path, also when an exception leaves the routine.
template <typename EndFn>
struct TZlibGuard {
    z_stream& Stream;
    EndFn End;
    ~TZlibGuard() { End(&Stream); }
};

// Inflates the whole input into out (size bytes; nullptr only measures) and returns the
// inflated size: more than size as soon as the data goes on beyond it. Output that has no
// place in out passes through a small window and is dropped.
int64_t InflateInto(const void* inBuf, int64_t inSize, uint8_t* out, int64_t size) {
    z_stream z{};
    if (inflateInit(&z) != Z_OK) throw EDecompressionError(ZlibErrorText);
    TZlibGuard<decltype(&inflateEnd)> guard{z, &inflateEnd};
    z.next_in = const_cast<Bytef*>(static_cast<const Bytef*>(inBuf));
    z.avail_in = static_cast<uInt>(inSize);
    std::vector<uint8_t> window(WindowSize);
    int64_t total = 0;
    for (;;) {
        if (out != nullptr && total < size) {
            z.next_out = out + total;
            z.avail_out = static_cast<uInt>(std::min<int64_t>(size - total, std::numeric_limits<uInt>::max()));
        } else {
            z.next_out = window.data();
            z.avail_out = static_cast<uInt>(WindowSize);
        }
        const int code = inflate(&z, Z_NO_FLUSH);
        total = static_cast<int64_t>(z.total_out);
        if (code == Z_STREAM_END) return total;
        if (code != Z_OK && code != Z_BUF_ERROR) throw EDecompressionError(ZlibErrorText);
        if (total > size) return total;
        // Input used up before the end of the data: the input is truncated.
        if (z.avail_out > 0) throw EDecompressionError(ZlibErrorText);
    }
}

}  // namespace

std::vector<uint8_t> InflateBuffer(const void* inBuf, int64_t inSize, int64_t limit) {
    CheckInput(inBuf, inSize);
    limit = std::max<int64_t>(limit, 0);
    const int64_t size = InflateInto(inBuf, inSize, nullptr, limit);
    if (size > limit) throw EDecompressionError(base::Format(LimitText, {limit}));
    std::vector<uint8_t> out(static_cast<size_t>(size));
    if (InflateInto(inBuf, inSize, out.data(), size) != size) throw EDecompressionError(ZlibErrorText);
    return out;
}

std::vector<uint8_t> DeflateBuffer(const void* inBuf, int64_t inSize) {
    CheckInput(inBuf, inSize);
    z_stream z{};
    if (deflateInit(&z, 9) != Z_OK) throw ECompressionError(ZlibErrorText);
    TZlibGuard<decltype(&deflateEnd)> guard{z, &deflateEnd};
    std::vector<uint8_t> out(static_cast<size_t>(RoundUp256(deflateBound(&z, static_cast<uLong>(inSize)))));
    z.next_in = const_cast<Bytef*>(static_cast<const Bytef*>(inBuf));
    z.avail_in = static_cast<uInt>(inSize);
    for (;;) {
        z.next_out = out.data() + z.total_out;
        z.avail_out = static_cast<uInt>(out.size() - z.total_out);
        const int code = deflate(&z, Z_FINISH);
        if (code == Z_STREAM_END) break;
        if (code != Z_OK && code != Z_BUF_ERROR) throw ECompressionError(ZlibErrorText);
        out.resize(out.size() * 2);
    }
    out.resize(z.total_out);
    out.shrink_to_fit();
    return out;
}

}  // namespace xls
