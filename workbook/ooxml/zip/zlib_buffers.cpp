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

std::vector<uint8_t> InflateBuffer(const void* inBuf, int64_t inSize, int64_t estimate, int64_t limit) {
    CheckInput(inBuf, inSize);
    limit = std::max<int64_t>(limit, 0);
    // One byte of room beyond the limit tells data that ends at the limit from data that goes on.
    const int64_t ceiling = std::min(inSize * MaxDeflateRatio + RatioSlack, limit + 1);
    int64_t pieceSize = std::clamp<int64_t>(estimate > 0 ? estimate : RoundUp256(inSize), 1, ceiling);

    z_stream z{};
    if (inflateInit(&z) != Z_OK) throw EDecompressionError(ZlibErrorText);
    TZlibGuard<decltype(&inflateEnd)> guard{z, &inflateEnd};
    z.next_in = const_cast<Bytef*>(static_cast<const Bytef*>(inBuf));
    z.avail_in = static_cast<uInt>(inSize);
    // Pieces instead of one growing buffer: nothing is copied while inflating, and the result
    // is allocated once at its exact size.
    std::vector<std::vector<uint8_t>> pieces;
    int64_t total = 0;
    for (;;) {
        // Only corrupt data outgrows what deflate can expand its input to.
        if (total >= ceiling) throw EDecompressionError(ZlibErrorText);
        pieceSize = std::min(pieceSize, ceiling - total);
        std::vector<uint8_t>& piece = pieces.emplace_back(static_cast<size_t>(pieceSize));
        z.next_out = piece.data();
        z.avail_out = static_cast<uInt>(std::min<int64_t>(pieceSize, std::numeric_limits<uInt>::max()));
        const int code = inflate(&z, Z_NO_FLUSH);
        const int64_t filled = static_cast<int64_t>(z.next_out - piece.data());
        piece.resize(static_cast<size_t>(filled));
        total += filled;
        if (total > limit) throw EDecompressionError(base::Format(LimitText, {limit}));
        if (code == Z_STREAM_END) break;
        if (code != Z_OK && code != Z_BUF_ERROR) throw EDecompressionError(ZlibErrorText);
        // Input used up before the end of the data: the input is truncated.
        if (z.avail_out > 0) throw EDecompressionError(ZlibErrorText);
        pieceSize = std::max<int64_t>(total, 256);
    }
    if (pieces.size() == 1 && pieces.front().capacity() == pieces.front().size()) return std::move(pieces.front());
    std::vector<uint8_t> out;
    out.reserve(static_cast<size_t>(total));
    for (const auto& piece : pieces) out.insert(out.end(), piece.begin(), piece.end());
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
