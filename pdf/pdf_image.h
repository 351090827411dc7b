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

// One image XObject: the samples are encoded when it is created and written once.
class TPDFImage {
public:
    // TransparentColor (0xRRGGBB) or -1 picks the pixels an image mask leaves out (-1: the
    // colour of the bottom-left pixel, as a bitmap's own transparent colour). MaskIndex names
    // a registered image mask or is -1. Raises TPDFException on a bad mask or bitmap.
    TPDFImage(const TPDFBitmap& graphic, int transparentColor, bool isMask, int maskIndex, TPDFDocument* document,
              TPDFImageCompression compression);

    void Save(TPDFObjectWriter& writer);

    std::string ResourceName;
    int ObjNumber = -1;
    int Width() const { return Width_; }
    int Height() const { return Height_; }
    bool Gray() const { return Gray_ || BitsPerComponent_ == 1; }
    bool IsMask() const { return Mask_; }

private:
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
    TPDFImage& Add(const TPDFBitmap& graphic, TPDFImageCompression compression, int transparentColor, bool isMask,
                   int maskIndex);

private:
    TPDFDocument& Owner_;
    std::vector<std::unique_ptr<TPDFImage>> Images_;
};

// Encodes 24-bit samples (red, green, blue, rows top first) as a baseline JPEG file.
std::string EncodeJpeg(const uint8_t* rgb, int width, int height, int quality);

}  // namespace pdf
