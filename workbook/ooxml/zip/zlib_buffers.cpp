#include "workbook/ooxml/zip/zlib_buffers.h"

#include <zlib.h>

#include <algorithm>
#include <limits>

#include "workbook/ooxml/zip/zlib_streams.h"

namespace xls {

namespace {

constexpr const char* ZlibErrorText = "ZLib decompress error";

int64_t RoundUp256(int64_t n) { return (n + 255) & ~int64_t{255}; }

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

}  // namespace

std::vector<uint8_t> InflateBuffer(const void* inBuf, int64_t inSize, int64_t estimate) {
    CheckInput(inBuf, inSize);
    const int64_t ceiling = inSize * MaxDeflateRatio + RatioSlack;
    int64_t size = estimate > 0 ? estimate : RoundUp256(inSize);
    size = std::clamp<int64_t>(size, 256, ceiling);
    std::vector<uint8_t> out(static_cast<size_t>(size));

    z_stream z{};
    if (inflateInit(&z) != Z_OK) throw EDecompressionError(ZlibErrorText);
    TZlibGuard<decltype(&inflateEnd)> guard{z, &inflateEnd};
    z.next_in = const_cast<Bytef*>(static_cast<const Bytef*>(inBuf));
    z.avail_in = static_cast<uInt>(inSize);
    for (;;) {
        z.next_out = out.data() + z.total_out;
        z.avail_out = static_cast<uInt>(std::min<int64_t>(static_cast<int64_t>(out.size() - z.total_out),
                                                          std::numeric_limits<uInt>::max()));
        const int code = inflate(&z, Z_NO_FLUSH);
        if (code == Z_STREAM_END) break;
        if (code != Z_OK && code != Z_BUF_ERROR) throw EDecompressionError(ZlibErrorText);
        // Input used up before the end of the data: the input is truncated.
        if (z.avail_out > 0) throw EDecompressionError(ZlibErrorText);
        if (static_cast<int64_t>(out.size()) >= ceiling) throw EDecompressionError(ZlibErrorText);
        out.resize(static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(out.size()) * 2, ceiling)));
    }
    out.resize(z.total_out);
    out.shrink_to_fit();
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
