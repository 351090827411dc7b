#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/byte_reader.h"
#include "pdf/emf_device_context.h"
#include "pdf/font_style.h"

namespace pdf {

class TPDFPage;
struct TDibPlace;
struct TRaster;

// Plays an enhanced metafile onto a page: each record becomes content operators through the page's
// own drawing operations. Metafile pixels of the 96-per-inch reference device map to page device
// units. Records it does not support are skipped, and so is a record whose contents fall short of
// what its counts announce; a metafile whose record framing is damaged raises TPDFException. Font
// and text errors of the page pass on.
class TEMWParser {
public:
    static constexpr int ReferencePixelsPerInch = 96;

    explicit TEMWParser(TPDFPage& page);
    // Reads and checks the header; raises TPDFException for a damaged one. The bytes must outlive
    // the parser.
    void LoadMetafile(std::string_view bytes);
    // The drawing's size in page device units from the header's bounds.
    void GetMetafileSize(int& width, int& height) const;
    void Execute();

private:
    using TReader = base::TByteReader;
    // Raised inside one record whose contents fall short of its counts: that record is skipped.
    struct ERecordShort {};
    [[noreturn]] static void RecordShort() { throw ERecordShort{}; }
    struct TRect {
        int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
    };

    void InitState();
    void DoRecord(uint32_t type, TReader& r);
    void SetTextMode(bool on);

    // Coordinates (emf_parser.cpp).
    // axis 0 is x, 1 is y.
    double LogicalToDevice(double v, int axis) const;
    double MapX(double x) const;
    double MapY(double y) const;
    double RawX(double x) const { return x * DeviceFactorX_; }
    double RawY(double y) const { return y * DeviceFactorY_; }
    // How the mapping scales sizes (pen widths, advances, font sizes) along an axis.
    double ExtentScale(int axis) const;
    double ExtentScaleX() const { return ExtentScale(0); }
    double ExtentScaleY() const { return ExtentScale(1); }
    static TRect ReadRect(TReader& r);
    static TEmfPoint ReadPoint(TReader& r, bool small);

    // Colours and painting (emf_parser.cpp).
    void ApplyBrushColor(bool onlyWhenChanged);
    void ApplyPenColor();
    void ApplyTextColor();
    void ApplyBkColor();
    void PaintOpen();
    void PaintClosed();
    void PaintBox();

    // State, objects and clipping (emf_state.cpp).
    void DoStateRecord(uint32_t type, TReader& r);
    void DoSelectObject(uint32_t index);
    void SelectPen(const TEmfPen& pen);
    void SelectBrush(const TEmfBrush& brush);
    void SelectFont(const TEmfFont& font);
    void DoRestoreDC(int32_t n);
    void TakeTransform();
    void DecodeTextAlign(uint32_t align);
    void CloseClipForChange();
    void DoIntersectClipRect(TReader& r);
    void DoExtSelectClipRgn(TReader& r);
    void DoSelectClipPath();
    void DoFillRgn(TReader& r);
    std::vector<TRect> ReadRegion(TReader& r, uint32_t size);

    // Paths and shapes (emf_shapes.cpp).
    void DoShapeRecord(uint32_t type, TReader& r);
    std::vector<TEmfPoint> ReadPoints(TReader& r, bool small);
    void DoPolyBezier(const std::vector<TEmfPoint>& points);
    void DoPolyBezierTo(const std::vector<TEmfPoint>& points);
    void DoPolygon(const std::vector<TEmfPoint>& points);
    void DoPolyline(const std::vector<TEmfPoint>& points);
    void DoPolylineTo(const std::vector<TEmfPoint>& points);
    void DoPolyPoly(TReader& r, bool small, bool closed);
    void DoArcRecord(uint32_t type, TReader& r);
    void DoArcTo(TReader& r);
    void DoAngleArc(TReader& r);
    void DoPolyDraw(TReader& r, bool small);
    void DoSetPixel(TReader& r);

    // Bitmaps (emf_bitmaps.cpp).
    void DoBitmapRecord(uint32_t type, TReader& r);
    void DoBitBlt(TReader& r);
    void BitBltOnPage(const TReader& r, uint32_t rop);
    void DoStretchBlt(TReader& r);
    void DoMaskBlt(TReader& r);
    void DoSetDIBitsToDevice(TReader& r);
    void DoStretchDIBits(TReader& r);
    void DoAlphaBlend(TReader& r);
    void DoTransparentBlt(TReader& r);
    static TDibPlace ReadDibPlace(const TReader& r, size_t offBmiAt, size_t usageAt);
    // Adds the bitmap to the document's images (1-bit as CCITT G4, others as the document asks)
    // and returns its index.
    int RegisterImage(const TRaster& raster, bool monochrome);
    // Where an image goes, in page device units: top-left corner and size.
    struct TPlacement {
        double X, Y, Width, Height;
    };
    // The record's bounds, with the right and bottom edges inside or not.
    TPlacement ByBounds(const TReader& r, bool inclusive) const;
    TPlacement ByDestination(int32_t x, int32_t y, int32_t width, int32_t height) const;
    // The destination point and size of the blit records.
    TPlacement BltDestination(const TReader& r) const;
    void ShowRecordImage(int index, const TPlacement& bounds, const TPlacement& destination);
    // A size of the destination in page device units.
    double DestinationWidth(double width) const;
    double DestinationHeight(double height) const;
    // Fills the mapped destination rectangle, in the brush colour or the current fill colour.
    void FillDestination(const TReader& r, bool withBrush);

    // Text (emf_text.cpp).
    void SelectPDFFont();
    void DoExtTextOut(TReader& r, bool wide);
    void DoSmallTextOut(TReader& r);
    // Opens the text's own clip or paints its background; returns whether a clip was opened and
    // whether the converter's own clip had to be closed for it.
    void BeginTextBackground(uint32_t options, const TRect& rect, bool hasChars, bool& opened, bool& closedOwn,
                             uint32_t& keptFill);
    void EndTextBackground(bool opened, bool closedOwn, uint32_t keptFill);
    void ReopenOwnClip(bool closedOwn);
    void ApplyPageFont(bool bytes);

    TPDFPage& Page_;
    std::string_view Bytes_;
    TRect Bounds_;
    uint32_t Handles_ = 0;
    double DeviceFactorX_, DeviceFactorY_;
    TEmfDeviceContext Dc_{0};

    double WorldScaleX_ = 1, WorldScaleY_ = 1, WorldOffsetX_ = 0, WorldOffsetY_ = 0;
    bool ViewportScale_ = false, WindowScale_ = false;
    int32_t ViewportScaleNum_[4] = {1, 1, 1, 1}, WindowScaleNum_[4] = {1, 1, 1, 1};
    TEmfPoint CurrentPosition_;
    bool InPath_ = false;
    TEmfPen KeptPen_;
    double KeptPenWidth_ = 0;
    uint32_t BrushColor_ = 0;
    bool BrushNull_ = false;
    bool ArcCounterClockwise_ = true;
    int HorizontalAlign_ = 0;  // 0 left, 1 centre, 2 right
    int VerticalAlign_ = 0;    // 0 top, 1 baseline, 2 bottom
    bool UpdateCP_ = false;
    TEmfFont TrackedFont_;
    bool FontDirty_ = true;
    bool TextMode_ = false;
    uint32_t LastFillColor_ = 0;
    bool ClipActive_ = false;
    bool ClipRectValid_ = false;
    double ClipRect_[4] = {};
    // The page font the tracked font chose.
    std::string PdfFace_;
    TFontStyles PdfStyles_ = 0;
    double PdfSize_ = 0;
    uint8_t PdfCharset_ = 0;
    uint8_t BytesCharset_ = 0;
};

}  // namespace pdf
