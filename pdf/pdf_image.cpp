#include "pdf/pdf_image.h"

#include "base/exception.h"
#include "pdf/pdf_ccitt.h"
#include "pdf/pdf_deflate.h"
#include "pdf/pdf_document.h"
#include "pdf/pdf_exception.h"
#include "pdf/pdf_jpeg.h"
#include "pdf/pdf_number_format.h"
#include "pdf/pdf_object_writer.h"

namespace pdf {
namespace {

uint32_t PixelColour(const TPDFBitmap& bitmap, int x, int y) {
    const uint8_t* row = bitmap.Pixels.data() + size_t(y) * bitmap.Stride();
    if (bitmap.BitsPerPixel == 1) return bitmap.Palette[(row[x >> 3] >> (7 - (x & 7))) & 1];
    const uint8_t* p = row + size_t(x) * 3;
    return uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
}

// The samples as red, green, blue triples: a 24-bit bitmap's own, others widened into `rgb`.
const uint8_t* ToRGB(const TPDFBitmap& bitmap, std::vector<uint8_t>& rgb) {
    if (bitmap.BitsPerPixel == 24) return bitmap.Pixels.data();
    rgb.reserve(size_t(bitmap.Width) * size_t(bitmap.Height) * 3);
    for (int y = 0; y < bitmap.Height; ++y)
        for (int x = 0; x < bitmap.Width; ++x) {
            const uint32_t colour = PixelColour(bitmap, x, y);
            rgb.insert(rgb.end(), {uint8_t(colour >> 16), uint8_t(colour >> 8), uint8_t(colour)});
        }
    return rgb.data();
}

// Rec. 601 weights, enough to tell the darker of two palette entries.
uint32_t Brightness(uint32_t rgb) { return (rgb >> 16 & 0xFF) * 30 + (rgb >> 8 & 0xFF) * 59 + (rgb & 0xFF) * 11; }

// Pixels of the colour become set (white, left out by the mask), all others clear.
std::vector<uint8_t> MaskBits(const TPDFBitmap& bitmap, uint32_t colour) {
    std::vector<uint8_t> bits(((size_t(bitmap.Width) + 7) / 8) * size_t(bitmap.Height));
    const size_t stride = (size_t(bitmap.Width) + 7) / 8;
    for (int y = 0; y < bitmap.Height; ++y)
        for (int x = 0; x < bitmap.Width; ++x)
            if (PixelColour(bitmap, x, y) == colour)
                bits[size_t(y) * stride + size_t(x >> 3)] |= uint8_t(0x80 >> (x & 7));
    return bits;
}

}  // namespace

TPDFImage::TPDFImage(const TPDFBitmap& graphic, int transparentColor, bool isMask, int maskIndex,
                     TPDFDocument* document, TPDFImageCompression compression)
    : Document_(document),
      Compression_(compression),
      Width_(graphic.Width),
      Height_(graphic.Height),
      Mask_(isMask),
      MaskIndex_(maskIndex) {
    CheckMask(isMask, maskIndex);
    if ((graphic.BitsPerPixel != 1 && graphic.BitsPerPixel != 24) || graphic.Width < 0 || graphic.Height < 0 ||
        graphic.Pixels.size() < graphic.Stride() * size_t(graphic.Height))
        throw TPDFException("Not valid image.");
    // Set bits are coded as white; the flag tells readers when index 1 is the darker colour, by
    // the palette alone: the first pixel's colour says nothing when neither entry is pure black.
    if (graphic.BitsPerPixel == 1 && compression != TPDFImageCompression::icJPEG)
        BlackIs1_ = Brightness(graphic.Palette[1]) < Brightness(graphic.Palette[0]);
    const TMonoBitmap mono{graphic.Pixels.data(), graphic.Width, graphic.Height, graphic.Stride()};
    if (isMask) {
        const uint32_t colour =
            transparentColor == -1
                ? (graphic.Height > 0 && graphic.Width > 0 ? PixelColour(graphic, 0, graphic.Height - 1) : 0)
                : uint32_t(transparentColor);
        const std::vector<uint8_t> bits = MaskBits(graphic, colour);
        Compression_ = TPDFImageCompression::icCCITTG4;
        BitsPerComponent_ = 1;
        Gray_ = true;
        BlackIs1_ = false;
        CCITTCompressBitmap({bits.data(), Width_, Height_, (size_t(Width_) + 7) / 8}, Data_, TCCITTMode::Group4);
        return;
    }
    switch (compression) {
        case TPDFImageCompression::icJPEG: {
            std::vector<uint8_t> rgb;
            if (Width_ > 0 && Height_ > 0)
                Data_ = EncodeJpeg(ToRGB(graphic, rgb), Width_, Height_, document ? document->JPEGQuality() : 80);
            break;
        }
        case TPDFImageCompression::icFlate: {
            std::vector<uint8_t> rgb;
            Data_ = Deflate(std::string_view(reinterpret_cast<const char*>(ToRGB(graphic, rgb)),
                                             size_t(Width_) * size_t(Height_) * 3));
            break;
        }
        case TPDFImageCompression::icCCITT1D:
        case TPDFImageCompression::icCCITT2D:
        case TPDFImageCompression::icCCITTG4:
            if (graphic.BitsPerPixel != 1) throw base::Exception("Cannot compress not monochrome image via CCITT");
            BitsPerComponent_ = 1;
            CCITTCompressBitmap(mono, Data_,
                                compression == TPDFImageCompression::icCCITT1D   ? TCCITTMode::Group3OneD
                                : compression == TPDFImageCompression::icCCITT2D ? TCCITTMode::Group3TwoD
                                                                                 : TCCITTMode::Group4);
            break;
    }
}

TPDFImage::TPDFImage(const TPDFJpeg& graphic, int, bool isMask, int maskIndex, TPDFDocument* document,
                     TPDFImageCompression compression)
    : Document_(document), Compression_(compression), Width_(0), Height_(0), Mask_(isMask), MaskIndex_(maskIndex) {
    CheckMask(isMask, maskIndex);
    if (isMask) throw TPDFException("Create Mask available only for bitmap images");
    const TJpegFrame frame = ReadJpegFrame(graphic.Data);
    Width_ = frame.Width;
    Height_ = frame.Height;
    switch (compression) {
        case TPDFImageCompression::icJPEG:
            // The file goes in as it stands, grey or colour.
            Data_ = graphic.Data;
            Gray_ = frame.Components == 1;
            break;
        case TPDFImageCompression::icFlate: {
            const std::vector<uint8_t> rgb = DecodeJpegRGB(graphic.Data);
            Data_ = Deflate(std::string_view(reinterpret_cast<const char*>(rgb.data()), rgb.size()));
            break;
        }
        default: throw TPDFException("CCITT compression work only for bitmap");
    }
}

void TPDFImage::CheckMask(bool isMask, int maskIndex) const {
    if (maskIndex < 0) return;
    if (isMask) throw TPDFException("Mask Image cannot have mask");
    if (!Document_ || maskIndex >= Document_->Images().Count()) throw TPDFException("Unknow Mask Image. Out of bound.");
    if (!Document_->Images().GetImage(maskIndex).IsMask())
        throw TPDFException("Mask Image not marked as \"Mask Image\".");
}

void TPDFImage::Save(TPDFObjectWriter& writer) {
    if (Written_) return;
    int maskNumber = -1;
    if (MaskIndex_ != -1) {
        TPDFImage& mask = Document_->Images().GetImage(MaskIndex_);
        mask.Save(writer);
        maskNumber = mask.ObjNumber;
    }
    writer.BeginObject(ObjNumber);
    writer.WriteLine("/Type /XObject");
    writer.WriteLine("/Subtype /Image");
    writer.WriteLine(Gray() ? "/ColorSpace /DeviceGray" : "/ColorSpace /DeviceRGB");
    std::string line = "/BitsPerComponent ";
    AppendPDFInt(line, BitsPerComponent_);
    writer.WriteLine(line);
    line = "/Width ";
    AppendPDFInt(line, Width_);
    writer.WriteLine(line);
    line = "/Height ";
    AppendPDFInt(line, Height_);
    writer.WriteLine(line);
    if (Mask_) writer.WriteLine("/ImageMask true");
    if (maskNumber != -1) {
        line = "/Mask ";
        AppendPDFInt(line, maskNumber);
        writer.WriteLine(line + " 0 R");
    }
    const bool ccitt = Compression_ != TPDFImageCompression::icFlate && Compression_ != TPDFImageCompression::icJPEG;
    writer.WriteLine(Compression_ == TPDFImageCompression::icFlate  ? "/Filter /FlateDecode"
                     : Compression_ == TPDFImageCompression::icJPEG ? "/Filter /DCTDecode"
                                                                    : "/Filter [/CCITTFaxDecode]");
    line = "/Length ";
    AppendPDFInt(line, int64_t(Data_.size()));
    writer.WriteLine(line);
    if (ccitt) {
        const int k = Compression_ == TPDFImageCompression::icCCITT1D   ? 0
                      : Compression_ == TPDFImageCompression::icCCITT2D ? CCITTGroup3K
                                                                        : -1;
        line = "/DecodeParms [<</K ";
        AppendPDFInt(line, k);
        line += " /Columns ";
        AppendPDFInt(line, Width_);
        line += " /Rows ";
        AppendPDFInt(line, Height_);
        if (BlackIs1_) line += "/BlackIs1 true";
        writer.WriteLine(line + ">>]");
    }
    writer.EndDictionary();
    writer.BeginStream();
    writer.WriteBytes(writer.Crypt(Data_, ObjNumber));
    // The line end before "endstream" lies outside /Length, as readers expect.
    writer.WriteLine("");
    writer.EndStream();
    writer.EndObject();
    std::string().swap(Data_);
    Written_ = true;
}

TPDFImage& TPDFImages::Add(std::unique_ptr<TPDFImage> image) {
    image->ResourceName = "Im" + std::to_string(Images_.size());
    Images_.push_back(std::move(image));
    return *Images_.back();
}

}  // namespace pdf
