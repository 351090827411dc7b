// Raster records of a page's metafile: each bitmap is rebuilt from its device-independent bits,
// registered as an image of the document and drawn on the page; raster records without a source
// bitmap fill their destination.
#include <algorithm>
#include <cmath>

#include "base/exception.h"
#include "pdf/emf_dib.h"
#include "pdf/emf_parser.h"
#include "pdf/pdf_document.h"
#include "pdf/pdf_page.h"

namespace pdf {

using namespace platform::emf;

namespace {

// The raster operations a bit-block transfer carries out; any other leaves the page as it is.
bool HandledBitBltOperation(uint32_t rop) {
    switch (rop) {
        case BLACKNESS:
        case NOTSRCERASE:
        case NOTSRCCOPY:
        case SRCERASE:
        case DSTINVERT:
        case PATINVERT:
        case SRCINVERT:
        case SRCAND:
        case MERGEPAINT:
        case MERGECOPY:
        case SRCCOPY:
        case SRCPAINT:
        case PATCOPY:
        case PATPAINT:
        case WHITENESS: return true;
        default: return false;
    }
}

// An operation some producers record for stretched copies; it is drawn as a plain copy.
constexpr uint32_t HalftoneCopy = 0xB8074A;

// Fields of the raster records, as offsets from the start of the record.
struct TBltFields {
    static constexpr size_t XDest = 24, YDest = 28, CxDest = 32, CyDest = 36, Rop = 40, XSrc = 44, YSrc = 48,
                            UsageSrc = 80, OffBmiSrc = 84, CxSrc = 100, CySrc = 104;
};
// EMR_SETDIBITSTODEVICE and EMR_STRETCHDIBITS share their first fields.
struct TDibitsFields {
    static constexpr size_t XDest = 24, YDest = 28, XSrc = 32, YSrc = 36, CxSrc = 40, CySrc = 44, OffBmiSrc = 48,
                            UsageSrc = 64;
};
struct TSetDibitsFields : TDibitsFields {
    static constexpr size_t StartScan = 68, Scans = 72;
};
struct TStretchDibitsFields : TDibitsFields {
    static constexpr size_t Rop = 68, CxDest = 72, CyDest = 76;
};

}  // namespace

TDibPlace TEMWParser::ReadDibPlace(const TReader& r, size_t offBmiAt, size_t usageAt) {
    TDibPlace place;
    place.OffBmi = r.U32LEAt(offBmiAt);
    place.CbBmi = r.U32LEAt(offBmiAt + 4);
    place.OffBits = r.U32LEAt(offBmiAt + 8);
    place.CbBits = r.U32LEAt(offBmiAt + 12);
    place.Usage = r.U32LEAt(usageAt);
    return place;
}

int TEMWParser::RegisterImage(const TRaster& raster, bool monochrome) {
    TPDFDocument& document = Page_.Owner();
    const TPDFImageCompression compression = monochrome                  ? TPDFImageCompression::icCCITTG4
                                             : document.EMFImageAsJpeg() ? TPDFImageCompression::icJPEG
                                                                         : TPDFImageCompression::icFlate;
    return document.AddImage(ToPDFBitmap(raster, monochrome), compression, -1, false, -1);
}

TEMWParser::TPlacement TEMWParser::ByBounds(const TReader& r, bool inclusive) const {
    TReader reader = r.Sub(8, 16);
    const TRect b = ReadRect(reader);
    const double extra = inclusive ? 1 : 0;
    return {RawX(b.Left), RawY(b.Top), RawX(double(b.Right) - b.Left + extra), RawY(double(b.Bottom) - b.Top + extra)};
}

TEMWParser::TPlacement TEMWParser::ByDestination(int32_t x, int32_t y, int32_t width, int32_t height) const {
    return {MapX(x), MapY(y), DestinationWidth(width), DestinationHeight(height)};
}

// Images are placed by the record's bounds. Some programs write bounds in logical units instead
// of device pixels; bounds that stray from the mapped destination by more than two pixels are
// taken to be such, and the destination places the image.
void TEMWParser::ShowRecordImage(int index, const TPlacement& bounds, const TPlacement& destination) {
    const double tolerance = 2 * std::max(DeviceFactorX_, DeviceFactorY_);
    const bool agree = std::fabs(bounds.X - destination.X) <= tolerance &&
                       std::fabs(bounds.Y - destination.Y) <= tolerance &&
                       std::fabs(bounds.Width - destination.Width) <= tolerance &&
                       std::fabs(bounds.Height - destination.Height) <= tolerance;
    const TPlacement& p = agree ? bounds : destination;
    Page_.ShowImage(index, p.X, p.Y, p.Width, p.Height, 0);
}

TEMWParser::TPlacement TEMWParser::BltDestination(const TReader& r) const {
    return ByDestination(int32_t(r.U32LEAt(TBltFields::XDest)), int32_t(r.U32LEAt(TBltFields::YDest)),
                         int32_t(r.U32LEAt(TBltFields::CxDest)), int32_t(r.U32LEAt(TBltFields::CyDest)));
}

double TEMWParser::DestinationWidth(double width) const {
    return ExtentScaleX() * DeviceFactorX_ * WorldScaleX_ * width;
}

double TEMWParser::DestinationHeight(double height) const {
    return ExtentScaleY() * DeviceFactorY_ * WorldScaleY_ * height;
}

void TEMWParser::FillDestination(const TReader& r, bool withBrush) {
    const auto x = int32_t(r.U32LEAt(TBltFields::XDest)), y = int32_t(r.U32LEAt(TBltFields::YDest));
    const auto cx = int32_t(r.U32LEAt(TBltFields::CxDest)), cy = int32_t(r.U32LEAt(TBltFields::CyDest));
    if (withBrush) ApplyBrushColor(!FontDirty_);
    Page_.Rectangle(MapX(x), MapY(y), MapX(double(x) + cx), MapY(double(y) + cy));
    Page_.Fill();
}

void TEMWParser::DoBitmapRecord(uint32_t type, TReader& r) {
    try {
        switch (type) {
            case EMR_BITBLT: return DoBitBlt(r);
            case EMR_STRETCHBLT: return DoStretchBlt(r);
            case EMR_MASKBLT: return DoMaskBlt(r);
            case EMR_SETDIBITSTODEVICE: return DoSetDIBitsToDevice(r);
            case EMR_STRETCHDIBITS: return DoStretchDIBits(r);
            case EMR_ALPHABLEND: return DoAlphaBlend(r);
            case EMR_TRANSPARENTBLT: return DoTransparentBlt(r);
            default: return;
        }
    } catch (const base::Exception&) {
        // A bitmap that cannot be read or registered drops its record; the page goes on.
    }
}

void TEMWParser::DoBitBlt(TReader& r) {
    const uint32_t rop = r.U32LEAt(TBltFields::Rop);
    if (!HandledBitBltOperation(rop)) return;
    // Text mode is left for the bitmap and entered again after it.
    const bool wasText = TextMode_;
    SetTextMode(false);
    try {
        BitBltOnPage(r, rop);
    } catch (...) {
        SetTextMode(wasText);
        throw;
    }
    SetTextMode(wasText);
}

void TEMWParser::BitBltOnPage(const TReader& r, uint32_t rop) {
    const auto cx = int32_t(r.U32LEAt(TBltFields::CxDest)), cy = int32_t(r.U32LEAt(TBltFields::CyDest));
    if (cx == 0 || cy == 0) return;
    const TDibPlace place = ReadDibPlace(r, TBltFields::OffBmiSrc, TBltFields::UsageSrc);
    if (place.CbBmi == 0 || place.CbBits == 0) return FillDestination(r, true);
    const TDib dib(r, place);
    const bool monochrome = dib.BitCount() == 1;
    const int index = RegisterImage(RebuildDib(dib, cx, cy, int32_t(r.U32LEAt(TBltFields::XSrc)),
                                               int32_t(r.U32LEAt(TBltFields::YSrc)), rop, monochrome),
                                    monochrome);
    ShowRecordImage(index, ByBounds(r, true), BltDestination(r));
}

void TEMWParser::DoStretchBlt(TReader& r) {
    const TDibPlace place = ReadDibPlace(r, TBltFields::OffBmiSrc, TBltFields::UsageSrc);
    if (place.OffBmi == 0 || place.OffBits == 0) {
        if (r.U32LEAt(TBltFields::CxDest) != 0 && r.U32LEAt(TBltFields::CyDest) != 0)
            FillDestination(r, false);
        else
            Page_.NewPath();
        return;
    }
    const TDib dib(r, place);
    const bool monochrome = dib.BitCount() == 1;
    // The bitmap is drawn whole at its own size; the record's source rectangle is not used.
    TRaster raster = RebuildDib(dib, dib.Width(), dib.Height(), 0, 0, SRCCOPY, monochrome);
    const uint32_t rop = r.U32LEAt(TBltFields::Rop);
    // Any other operation copies it once more into a new, black bitmap of the same format.
    if (rop != SRCCOPY) ApplyRasterOperation(raster, rop, 0);
    const int index = RegisterImage(raster, monochrome);
    ShowRecordImage(index, ByBounds(r, true), BltDestination(r));
}

void TEMWParser::DoMaskBlt(TReader& r) {
    const TDib dib(r, ReadDibPlace(r, TBltFields::OffBmiSrc, TBltFields::UsageSrc));
    const bool monochrome = dib.BitCount() == 1;
    const int index =
        RegisterImage(RebuildDib(dib, int32_t(r.U32LEAt(TBltFields::CxDest)), int32_t(r.U32LEAt(TBltFields::CyDest)),
                                 int32_t(r.U32LEAt(TBltFields::XSrc)), int32_t(r.U32LEAt(TBltFields::YSrc)),
                                 r.U32LEAt(TBltFields::Rop), monochrome),
                      monochrome);
    ShowRecordImage(index, ByBounds(r, true), BltDestination(r));
}

void TEMWParser::DoSetDIBitsToDevice(TReader& r) {
    TDibPlace place = ReadDibPlace(r, TDibitsFields::OffBmiSrc, TDibitsFields::UsageSrc);
    place.StartScan = r.U32LEAt(TSetDibitsFields::StartScan);
    place.Scans = r.U32LEAt(TSetDibitsFields::Scans);
    const TDib dib(r, place);
    const bool monochrome = dib.BitCount() == 1;
    const auto cx = int32_t(r.U32LEAt(TDibitsFields::CxSrc)), cy = int32_t(r.U32LEAt(TDibitsFields::CySrc));
    const int index = RegisterImage(RebuildDib(dib, cx, cy, int32_t(r.U32LEAt(TDibitsFields::XSrc)),
                                               int32_t(r.U32LEAt(TDibitsFields::YSrc)), SRCCOPY, monochrome),
                                    monochrome);
    TPlacement bounds = ByBounds(r, true);
    bounds.Width = DestinationWidth(cx);
    bounds.Height = DestinationHeight(cy);
    ShowRecordImage(
        index, bounds,
        ByDestination(int32_t(r.U32LEAt(TDibitsFields::XDest)), int32_t(r.U32LEAt(TDibitsFields::YDest)), cx, cy));
}

void TEMWParser::DoStretchDIBits(TReader& r) {
    TReader boundsReader = r.Sub(8, 16);
    const TRect bounds = ReadRect(boundsReader);
    const bool emptyBounds = bounds.Right < bounds.Left || bounds.Bottom < bounds.Top;
    if (emptyBounds && (DestinationWidth(int32_t(r.U32LEAt(TStretchDibitsFields::CxDest))) < 0.01 ||
                        DestinationHeight(int32_t(r.U32LEAt(TStretchDibitsFields::CyDest))) < 0.01))
        return;
    const TDib dib(r, ReadDibPlace(r, TDibitsFields::OffBmiSrc, TDibitsFields::UsageSrc));
    const uint32_t rop = r.U32LEAt(TStretchDibitsFields::Rop);
    const bool monochrome = dib.BitCount() == 1;
    const int index = RegisterImage(
        RebuildDib(dib, int32_t(r.U32LEAt(TDibitsFields::CxSrc)), int32_t(r.U32LEAt(TDibitsFields::CySrc)),
                   int32_t(r.U32LEAt(TDibitsFields::XSrc)), int32_t(r.U32LEAt(TDibitsFields::YSrc)),
                   rop == HalftoneCopy ? SRCCOPY : rop, monochrome),
        monochrome);
    const TPlacement destination = ByDestination(
        int32_t(r.U32LEAt(TDibitsFields::XDest)), int32_t(r.U32LEAt(TDibitsFields::YDest)),
        int32_t(r.U32LEAt(TStretchDibitsFields::CxDest)), int32_t(r.U32LEAt(TStretchDibitsFields::CyDest)));
    if (emptyBounds)
        Page_.ShowImage(index, destination.X, destination.Y, destination.Width, destination.Height, 0);
    else
        ShowRecordImage(index, ByBounds(r, true), destination);
}

void TEMWParser::DoAlphaBlend(TReader& r) {
    const auto cxSrc = int32_t(r.U32LEAt(TBltFields::CxSrc)), cySrc = int32_t(r.U32LEAt(TBltFields::CySrc));
    if (cxSrc < 1 || cySrc < 1) {
        if (r.U32LEAt(TBltFields::CxDest) != 0 && r.U32LEAt(TBltFields::CyDest) != 0)
            FillDestination(r, false);
        else
            Page_.NewPath();
        return;
    }
    const TDib dib(r, ReadDibPlace(r, TBltFields::OffBmiSrc, TBltFields::UsageSrc));
    TRaster raster = RebuildDib(dib, cxSrc, cySrc, int32_t(r.U32LEAt(TBltFields::XSrc)),
                                int32_t(r.U32LEAt(TBltFields::YSrc)), SRCCOPY, false);
    AlphaBlendOverWhite(raster, r.U32LEAt(TBltFields::Rop));
    const int index = RegisterImage(raster, false);
    ShowRecordImage(index, ByBounds(r, false), BltDestination(r));
}

void TEMWParser::DoTransparentBlt(TReader& r) {
    // The transparent colour is not honoured: the whole source is drawn, as a plain copy is.
    BitBltOnPage(r, SRCCOPY);
}

}  // namespace pdf
