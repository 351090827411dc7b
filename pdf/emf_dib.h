#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "base/byte_reader.h"
#include "pdf/pdf_image.h"

namespace pdf {

// Where a raster record keeps its device-independent bitmap: offsets from the start of the
// record, sizes, the colour usage and the scan lines the bits hold (SetDIBitsToDevice sends only
// some of them; the others send all).
struct TDibPlace {
    uint32_t OffBmi = 0, CbBmi = 0, OffBits = 0, CbBits = 0;
    uint32_t Usage = 0;  // DIB_RGB_COLORS or DIB_PAL_COLORS
    uint32_t StartScan = 0;
    uint32_t Scans = UINT32_MAX;
};

// A device-independent bitmap of 1, 4, 8, 16, 24 or 32 bits per pixel (colour table, bit fields,
// run-length coded 4 and 8 bits, bottom-up or top-down) read from a metafile record. Every offset,
// size and colour count is checked against the record and the header; a bitmap that does not fit
// raises TPDFException.
class TDib {
public:
    TDib(const base::TByteReader& record, const TDibPlace& place);
    TDib(const TDib&) = delete;
    TDib& operator=(const TDib&) = delete;

    int Width() const { return Width_; }
    int Height() const { return Height_; }
    int BitCount() const { return BitCount_; }
    // The colour 0xAARRGGBB of a pixel; rows are numbered from the DIB's origin (the bottom row
    // of a bottom-up bitmap, the top row of a top-down one). False outside the bitmap or the
    // scan lines held.
    bool Pixel(int64_t x, int64_t row, uint32_t& argb) const;
    bool TopDown() const { return TopDown_; }

private:
    uint32_t FieldsColour(uint32_t value) const;
    // Expands run-length coded bits into one colour index per byte.
    void DecodeRunLength(std::span<const uint8_t> bits, bool fourBits);

    int Width_ = 0, Height_ = 0, BitCount_ = 0;
    bool TopDown_ = false;
    bool HasAlpha_ = false;
    uint32_t Masks_[4] = {};  // red, green, blue, alpha
    std::vector<uint32_t> Colours_;
    const uint8_t* Bits_ = nullptr;
    size_t Stride_ = 0;
    uint32_t FirstScan_ = 0, HeldScans_ = 0;
    std::vector<uint8_t> Decoded_;
};

// A bitmap rebuilt from a DIB, 0xAARRGGBB pixels in rows from the top.
struct TRaster {
    int Width = 0, Height = 0;
    std::vector<uint32_t> Pixels;
};

// The most pixels one rebuilt bitmap may hold; a record asking for more is refused.
constexpr int64_t MaxRasterPixels = int64_t(1) << 24;

// Draws the source rectangle at (xSrc, ySrc) of the DIB (its lower-left corner for a bottom-up
// bitmap) into a new white bitmap of width x height with the ternary raster operation, the
// pattern being the new bitmap's white brush. A monochrome bitmap first turns each source colour
// into black or white.
TRaster RebuildDib(const TDib& dib, int width, int height, int64_t xSrc, int64_t ySrc, uint32_t rop, bool monochrome);
// The raster operation applied again, as a copy into a new black bitmap.
void ApplyRasterOperation(TRaster& raster, uint32_t rop, uint32_t destination);
// Blends the bitmap over white with a BLENDFUNCTION (constant alpha, per-pixel alpha when
// AC_SRC_ALPHA is set); the result is opaque.
void AlphaBlendOverWhite(TRaster& raster, uint32_t blendFunction);
// The registry's form: 1 bit per pixel (set bits white) when monochrome, else 24-bit RGB.
TPDFBitmap ToPDFBitmap(const TRaster& raster, bool monochrome);

}  // namespace pdf
