// Device-independent bitmaps of a metafile's raster records: reading them, and what GDI does
// while it draws them into a new bitmap (raster operations, monochrome conversion, blending).
#include "pdf/emf_dib.h"

#include <algorithm>
#include <bit>

#include "pdf/emf_device_context.h"
#include "pdf/pdf_exception.h"

namespace pdf {
namespace {

using namespace platform::emf;

enum : uint8_t { AC_SRC_ALPHA = 1 };
constexpr uint32_t InfoHeaderSize = BitmapInfoHeaderSize;
// Larger than any page a metafile of ours draws, small enough that a row count times a stride
// cannot overflow.
constexpr int32_t MaxSide = 1 << 20;

[[noreturn]] void DamagedBitmap() { throw TPDFException("Damaged bitmap in metafile"); }

// 0x00BBGGRR to 0x00RRGGBB.
uint32_t FromColorRef(uint32_t c) { return (c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF); }

uint8_t Channel(uint32_t value, uint32_t mask) {
    if (!mask) return 0;
    const int shift = std::countr_zero(mask);
    const uint32_t top = mask >> shift;
    return uint8_t(uint64_t((value & mask) >> shift) * 255 / top);
}

// The ternary raster operation on one 8-bit channel: bit n of the operation's index is the result
// for pattern, source and destination bits (n >> 2 & 1, n >> 1 & 1, n & 1).
uint8_t Rop3(uint8_t index, uint8_t p, uint8_t s, uint8_t d) {
    uint8_t result = 0;
    for (int n = 0; n < 8; ++n)
        if (index >> n & 1) result |= uint8_t((n & 4 ? p : ~p) & (n & 2 ? s : ~s) & (n & 1 ? d : ~d));
    return result;
}

uint32_t RopPixel(uint32_t rop, uint32_t source, uint32_t destination) {
    const auto index = uint8_t(rop >> 16);
    uint32_t out = source & 0xFF000000;
    for (int shift = 0; shift < 24; shift += 8)
        out |= uint32_t(Rop3(index, 0xFF, uint8_t(source >> shift), uint8_t(destination >> shift))) << shift;
    return out;
}

bool IsWhite(uint32_t rgb) {
    const uint32_t r = rgb >> 16 & 0xFF, g = rgb >> 8 & 0xFF, b = rgb & 0xFF;
    return r * 30 + g * 59 + b * 11 >= 128 * 100;
}

}  // namespace

TDib::TDib(const base::TByteReader& record, const TDibPlace& place) {
    if (!record.HasAt(place.OffBmi, place.CbBmi) || !record.HasAt(place.OffBits, place.CbBits)) DamagedBitmap();
    const base::TByteReader info(record.BytesAt(place.OffBmi, place.CbBmi), DamagedBitmap);
    const uint32_t headerSize = info.U32LEAt(0);
    if (headerSize < InfoHeaderSize || headerSize > place.CbBmi) DamagedBitmap();
    const auto width = int32_t(info.U32LEAt(4)), height = int32_t(info.U32LEAt(8));
    BitCount_ = info.U16LEAt(14);
    const uint32_t compression = info.U32LEAt(16), used = info.U32LEAt(32);
    if (width <= 0 || width > MaxSide || height == 0 || height < -MaxSide || height > MaxSide) DamagedBitmap();
    Width_ = width;
    Height_ = std::abs(height);
    TopDown_ = height < 0;
    switch (BitCount_) {
        case 1:
        case 4:
        case 8:
        case 24: break;
        case 16: Masks_[0] = 0x7C00, Masks_[1] = 0x3E0, Masks_[2] = 0x1F; break;
        case 32: Masks_[0] = 0xFF0000, Masks_[1] = 0xFF00, Masks_[2] = 0xFF, Masks_[3] = 0xFF000000; break;
        default: DamagedBitmap();
    }
    size_t colourTable = headerSize;
    if (compression == BI_BITFIELDS) {
        if (BitCount_ != 16 && BitCount_ != 32) DamagedBitmap();
        // The masks follow a plain header, or lie inside a longer one.
        const size_t masksAt = InfoHeaderSize;
        for (int i = 0; i < 3; ++i) Masks_[i] = info.U32LEAt(masksAt + 4 * size_t(i));
        Masks_[3] = headerSize >= InfoHeaderSize + 16 ? info.U32LEAt(masksAt + 12) : 0;
        if (headerSize == InfoHeaderSize) colourTable += 12;
    } else if (compression == BI_RLE8 || compression == BI_RLE4) {
        // Run-length coded bitmaps are bottom-up and are expanded whole.
        if (BitCount_ != (compression == BI_RLE8 ? 8 : 4) || TopDown_ || int64_t(Width_) * Height_ > MaxRasterPixels)
            DamagedBitmap();
    } else if (compression != BI_RGB) {
        DamagedBitmap();
    }
    HasAlpha_ = Masks_[3] != 0;
    if (BitCount_ <= 8) {
        const uint64_t count = used ? used : uint64_t(1) << BitCount_;
        const uint64_t entry = place.Usage == DIB_PAL_COLORS ? 2 : 4;
        if (count > 256 || colourTable + count * entry > place.CbBmi) DamagedBitmap();
        for (size_t i = 0; i < count; ++i) {
            if (place.Usage == DIB_PAL_COLORS) {
                const uint16_t index = info.U16LEAt(colourTable + 2 * i);
                Colours_.push_back(FromColorRef(ResolvePalette(index < 20 ? 0x01000000u | index : 0)));
            } else {
                Colours_.push_back(info.U32LEAt(colourTable + 4 * i) & 0xFFFFFF);
            }
        }
    }
    if (compression == BI_RLE8 || compression == BI_RLE4) {
        DecodeRunLength(record.BytesAt(place.OffBits, place.CbBits), compression == BI_RLE4);
        return;
    }
    Stride_ = (size_t(Width_) * size_t(BitCount_) + 31) / 32 * 4;
    FirstScan_ = place.StartScan;
    HeldScans_ = FirstScan_ < uint32_t(Height_) ? std::min(place.Scans, uint32_t(Height_) - FirstScan_) : 0;
    if (uint64_t(Stride_) * HeldScans_ > place.CbBits) DamagedBitmap();
    Bits_ = record.BytesAt(place.OffBits, place.CbBits).data();
}

void TDib::DecodeRunLength(std::span<const uint8_t> bits, bool fourBits) {
    Decoded_.assign(size_t(Width_) * size_t(Height_), 0);
    auto put = [&](size_t x, size_t y, uint8_t index) {
        if (x < size_t(Width_) && y < size_t(Height_)) Decoded_[y * size_t(Width_) + x] = index;
    };
    size_t at = 0, x = 0, y = 0;
    auto next = [&]() -> uint8_t {
        if (at >= bits.size()) DamagedBitmap();
        return bits[at++];
    };
    // Each pass takes at least two bytes, and every run is bounded by the byte that counts it.
    while (at < bits.size() && y < size_t(Height_)) {
        const uint8_t count = next(), value = next();
        if (count > 0) {
            for (size_t i = 0; i < count; ++i, ++x)
                put(x, y, fourBits ? uint8_t(i % 2 ? value & 0xF : value >> 4) : value);
            continue;
        }
        if (value == 0) {
            x = 0, ++y;
        } else if (value == 1) {
            break;
        } else if (value == 2) {
            x += next();
            y += next();
        } else {
            const size_t bytes = fourBits ? (size_t(value) + 1) / 2 : value;
            if (bytes > bits.size() - at) DamagedBitmap();
            for (size_t i = 0; i < value; ++i, ++x) {
                const uint8_t byte = bits[at + (fourBits ? i / 2 : i)];
                put(x, y, fourBits ? uint8_t(i % 2 ? byte & 0xF : byte >> 4) : byte);
            }
            // Absolute runs end on a 16-bit boundary.
            at += bytes + (bytes & 1);
        }
    }
    Bits_ = Decoded_.data();
    Stride_ = size_t(Width_);
    BitCount_ = 8;
    FirstScan_ = 0;
    HeldScans_ = uint32_t(Height_);
}

uint32_t TDib::FieldsColour(uint32_t value) const {
    const uint32_t alpha = HasAlpha_ ? Channel(value, Masks_[3]) : 0xFF;
    return alpha << 24 | uint32_t(Channel(value, Masks_[0])) << 16 | uint32_t(Channel(value, Masks_[1])) << 8 |
           Channel(value, Masks_[2]);
}

bool TDib::Pixel(int64_t x, int64_t row, uint32_t& argb) const {
    if (x < 0 || x >= Width_ || row < FirstScan_ || row >= int64_t(FirstScan_) + HeldScans_) return false;
    const uint8_t* line = Bits_ + size_t(row - FirstScan_) * Stride_;
    const auto column = size_t(x);
    auto indexed = [&](uint32_t index) { return 0xFF000000 | (index < Colours_.size() ? Colours_[index] : 0); };
    switch (BitCount_) {
        case 1: argb = indexed(line[column >> 3] >> (7 - (column & 7)) & 1); break;
        case 4: argb = indexed(line[column >> 1] >> (column & 1 ? 0 : 4) & 0xF); break;
        case 8: argb = indexed(line[column]); break;
        case 16: argb = FieldsColour(base::LoadLE16(line + 2 * column)); break;
        case 24: {
            const uint8_t* p = line + 3 * column;
            argb = 0xFF000000 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
            break;
        }
        default: argb = FieldsColour(base::LoadLE32(line + 4 * column)); break;
    }
    return true;
}

TRaster RebuildDib(const TDib& dib, int width, int height, int64_t xSrc, int64_t ySrc, uint32_t rop, bool monochrome) {
    if (width <= 0 || height <= 0 || int64_t(width) * height > MaxRasterPixels)
        throw TPDFException("Bitmap size out of range");
    TRaster raster{width, height, std::vector<uint32_t>(size_t(width) * size_t(height), 0xFFFFFFFF)};
    for (int y = 0; y < height; ++y) {
        // The source rectangle's first row is its bottom one in a bottom-up bitmap.
        const int64_t row = dib.TopDown() ? ySrc + y : ySrc + (height - 1 - y);
        for (int x = 0; x < width; ++x) {
            uint32_t source;
            if (!dib.Pixel(xSrc + x, row, source)) source = 0xFFFFFFFF;
            if (monochrome) source = (source & 0xFF000000) | (IsWhite(source) ? 0xFFFFFF : 0);
            raster.Pixels[size_t(y) * size_t(width) + size_t(x)] = RopPixel(rop, source, 0xFFFFFF);
        }
    }
    return raster;
}

void ApplyRasterOperation(TRaster& raster, uint32_t rop, uint32_t destination) {
    for (uint32_t& pixel : raster.Pixels) pixel = RopPixel(rop, pixel, destination);
}

void AlphaBlendOverWhite(TRaster& raster, uint32_t blendFunction) {
    const uint32_t constant = blendFunction >> 16 & 0xFF;
    const bool perPixel = (blendFunction >> 24) & AC_SRC_ALPHA;
    for (uint32_t& pixel : raster.Pixels) {
        const uint32_t alpha = perPixel ? (pixel >> 24) * constant / 255 : constant;
        uint32_t out = 0xFF000000;
        for (int shift = 0; shift < 24; shift += 8) {
            const uint32_t s = pixel >> shift & 0xFF;
            // Per-pixel alpha comes premultiplied; a constant alpha scales the source itself.
            const uint32_t blended = (perPixel ? s * constant / 255 : s * alpha / 255) + 255 * (255 - alpha) / 255;
            out |= std::min<uint32_t>(blended, 255) << shift;
        }
        pixel = out;
    }
}

TPDFBitmap ToPDFBitmap(const TRaster& raster, bool monochrome) {
    TPDFBitmap bitmap{raster.Width, raster.Height, monochrome ? 1 : 24, {}};
    bitmap.Pixels.resize(bitmap.Stride() * size_t(raster.Height));
    for (size_t y = 0; y < size_t(raster.Height); ++y)
        for (size_t x = 0; x < size_t(raster.Width); ++x) {
            const uint32_t pixel = raster.Pixels[y * size_t(raster.Width) + x];
            if (monochrome) {
                if (IsWhite(pixel)) bitmap.Pixels[y * bitmap.Stride() + (x >> 3)] |= uint8_t(0x80 >> (x & 7));
            } else {
                uint8_t* p = bitmap.Pixels.data() + y * bitmap.Stride() + 3 * x;
                p[0] = uint8_t(pixel >> 16), p[1] = uint8_t(pixel >> 8), p[2] = uint8_t(pixel);
            }
        }
    return bitmap;
}

}  // namespace pdf
