#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace pdf {

class TPDFDocument;
class TPDFObjectWriter;

enum class TPDFImageCompression { icFlate, icJPEG, icCCITT1D, icCCITT2D, icCCITTG4 };

// A bitmap handed to the image registry: 1 bit per pixel (rows of (Width + 7) / 8 bytes,
// leftmost pixel in the most significant bit, Palette giving the colours of index 0 and 1)
// or 24 bits per pixel (rows of Width red, green, blue triples). Rows run top first.
struct TPDFBitmap {
    int Width = 0;
    int Height = 0;
    int BitsPerPixel = 24;
    std::vector<uint8_t> Pixels;
    std::array<uint32_t, 2> Palette = {0x000000, 0xFFFFFF};  // 0xRRGGBB

    size_t Stride() const { return BitsPerPixel == 1 ? (size_t(Width) + 7) / 8 : size_t(Width) * 3; }
};

// A JPEG file handed to the registry: as a JPEG image it is written as it stands (grey or colour);
// as a deflated one it is decoded first.
struct TPDFJpeg {
    std::string Data;
};

// One image XObject: the samples are encoded when it is created and written once.
class TPDFImage {
public:
    // TransparentColor (0xRRGGBB) or -1 picks the pixels an image mask leaves out (-1: the
    // colour of the bottom-left pixel, as a bitmap's own transparent colour). MaskIndex names
    // a registered image mask or is -1. Raises TPDFException on a bad mask or bitmap.
    TPDFImage(const TPDFBitmap& graphic, int transparentColor, bool isMask, int maskIndex, TPDFDocument* document,
              TPDFImageCompression compression);
    // A JPEG file cannot be a mask or take CCITT compression; a file libjpeg cannot read raises
    // "Not valid image.".
    TPDFImage(const TPDFJpeg& graphic, int transparentColor, bool isMask, int maskIndex, TPDFDocument* document,
              TPDFImageCompression compression);

    void Save(TPDFObjectWriter& writer);

    std::string ResourceName;
    int ObjNumber = -1;
    int Width() const { return Width_; }
    int Height() const { return Height_; }
    bool Gray() const { return Gray_ || BitsPerComponent_ == 1; }
    bool IsMask() const { return Mask_; }

private:
    // The mask index names a registered image mask, and a mask has none itself.
    void CheckMask(bool isMask, int maskIndex) const;

    TPDFDocument* Document_;
    TPDFImageCompression Compression_;
    int Width_;
    int Height_;
    std::string Data_;
    int BitsPerComponent_ = 8;
    bool Gray_ = false;
    bool Written_ = false;
    bool Mask_;
    int MaskIndex_;
    bool BlackIs1_ = false;
};

// The document's images in the order they were added; the index draws them.
class TPDFImages {
public:
    explicit TPDFImages(TPDFDocument& owner) : Owner_(owner) {}

    void Clear() { Images_.clear(); }
    int Count() const { return int(Images_.size()); }
    TPDFImage& GetImage(int index) const { return *Images_.at(size_t(index)); }
    // A bitmap or a JPEG file; an image that cannot be made is not added.
    template <class TGraphic>
    TPDFImage& Add(const TGraphic& graphic, TPDFImageCompression compression, int transparentColor, bool isMask,
                   int maskIndex) {
        return Add(std::make_unique<TPDFImage>(graphic, transparentColor, isMask, maskIndex, &Owner_, compression));
    }

private:
    TPDFImage& Add(std::unique_ptr<TPDFImage> image);

    TPDFDocument& Owner_;
    std::vector<std::unique_ptr<TPDFImage>> Images_;
};

}  // namespace pdf
