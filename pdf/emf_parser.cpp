// Playback of a page's metafile: header, record framing, dispatch, coordinate mapping, colours and
// the painting rules shared by the record handlers.
#include "pdf/emf_parser.h"

#include <cmath>

#include "pdf/pdf_exception.h"
#include "pdf/pdf_page.h"

namespace pdf {

using namespace platform::emf;

namespace {

[[noreturn]] void DamagedMetafile() { throw TPDFException("Damaged metafile"); }

double Red(uint32_t c) { return (c & 0xFF) / 255.0; }
double Green(uint32_t c) { return ((c >> 8) & 0xFF) / 255.0; }
double Blue(uint32_t c) { return ((c >> 16) & 0xFF) / 255.0; }

// Logical units per inch of the fixed mapping modes; 0 for the others.
double FixedUnitsPerInch(uint32_t mode) {
    switch (mode) {
        case MM_LOMETRIC: return 254;
        case MM_HIMETRIC: return 2540;
        case MM_LOENGLISH: return 100;
        case MM_HIENGLISH: return 1000;
        case MM_TWIPS: return 1440;
        default: return 0;
    }
}

// The records that leave text mode as it is.
bool KeepsTextMode(uint32_t type) {
    switch (type) {
        case EMR_SETBKMODE:
        case EMR_SETTEXTALIGN:
        case EMR_SETTEXTCOLOR:
        case EMR_SETBKCOLOR:
        case EMR_MOVETOEX:
        case EMR_SAVEDC:
        case EMR_RESTOREDC:
        case EMR_SELECTOBJECT:
        case EMR_CREATEPEN:
        case EMR_CREATEBRUSHINDIRECT:
        case EMR_DELETEOBJECT:
        case EMR_BITBLT:
        case EMR_EXTCREATEFONTINDIRECTW:
        case EMR_EXTTEXTOUTA:
        case EMR_EXTTEXTOUTW:
        case EMR_SMALLTEXTOUT: return true;
        default: return false;
    }
}

bool IsText(uint32_t type) { return type == EMR_EXTTEXTOUTA || type == EMR_EXTTEXTOUTW || type == EMR_SMALLTEXTOUT; }

}  // namespace

TEMWParser::TEMWParser(TPDFPage& page)
    : Page_(page),
      DeviceFactorX_(double(page.Resolution()) / ReferencePixelsPerInch),
      DeviceFactorY_(double(page.Resolution()) / ReferencePixelsPerInch) {}

void TEMWParser::LoadMetafile(std::string_view bytes) {
    TReader r(bytes, DamagedMetafile);
    if (r.U32LEAt(0) != EMR_HEADER || r.U32LEAt(40) != Signature) DamagedMetafile();
    const uint32_t size = r.U32LEAt(4);
    if (size < 88 || size % 4 || size > bytes.size()) DamagedMetafile();
    TReader bounds = r.Sub(8, 16);
    Bounds_ = ReadRect(bounds);
    Handles_ = r.U16LEAt(56);
    Bytes_ = bytes;
}

void TEMWParser::GetMetafileSize(int& width, int& height) const {
    width = int(std::lround(Bounds_.Right * DeviceFactorX_)) + 1;
    height = int(std::lround(Bounds_.Bottom * DeviceFactorY_)) + 1;
}

void TEMWParser::InitState() {
    Dc_ = TEmfDeviceContext(Handles_);
    TrackedFont_ = Dc_.State.Font;
    WorldScaleX_ = WorldScaleY_ = 1;
    WorldOffsetX_ = WorldOffsetY_ = 0;
    ViewportScale_ = WindowScale_ = false;
    CurrentPosition_ = {};
    InPath_ = false;
    KeptPen_ = {};
    KeptPenWidth_ = 0;
    BrushColor_ = 0;
    BrushNull_ = false;
    ArcCounterClockwise_ = true;
    HorizontalAlign_ = VerticalAlign_ = 0;
    UpdateCP_ = false;
    FontDirty_ = true;
    TextMode_ = false;
    LastFillColor_ = 0;
    ClipActive_ = ClipRectValid_ = false;
}

void TEMWParser::Execute() {
    Page_.SetHorizontalScaling(100);
    Page_.SetCharacterSpacing(0);
    Page_.SetWordSpacing(0);
    Page_.SetLineCap(1);
    InitState();
    TReader file(Bytes_, DamagedMetafile);
    while (!file.AtEnd()) {
        const size_t at = file.Position();
        const uint32_t type = file.U32LEAt(at), size = file.U32LEAt(at + 4);
        if (size < 8 || size % 4) DamagedMetafile();
        TReader record(file.Bytes(size), RecordShort);
        record.Skip(8);
        try {
            DoRecord(type, record);
        } catch (const ERecordShort&) {
            // A record that does not hold what its counts announce is ignored.
        }
        if (type == EMR_EOF) break;
    }
    Page_.SetTextBaseline(false);
    Page_.SetHorizontalScaling(100);
    Page_.SetCharacterSpacing(0);
    Page_.SetWordSpacing(0);
}

void TEMWParser::DoRecord(uint32_t type, TReader& r) {
    if (InPath_ && IsText(type)) return;
    if (TextMode_ && !KeepsTextMode(type)) SetTextMode(false);
    if (IsText(type)) SetTextMode(true);
    switch (type) {
        case EMR_EXTTEXTOUTA: return DoExtTextOut(r, false);
        case EMR_EXTTEXTOUTW: return DoExtTextOut(r, true);
        case EMR_SMALLTEXTOUT: return DoSmallTextOut(r);
        case EMR_BITBLT:
        case EMR_STRETCHBLT:
        case EMR_MASKBLT:
        case EMR_SETDIBITSTODEVICE:
        case EMR_STRETCHDIBITS:
        case EMR_ALPHABLEND:
        case EMR_TRANSPARENTBLT: return DoBitmapRecord(type, r);
        default: break;
    }
    DoStateRecord(type, r);
    DoShapeRecord(type, r);
}

void TEMWParser::SetTextMode(bool on) {
    if (TextMode_ == on) return;
    TextMode_ = on;
    if (!on) ApplyBrushColor(true);
}

// One axis of the window-to-viewport mapping: logical value, window origin and extent,
// viewport origin and extent, the kept window and viewport scales (numerator, denominator).
double TEMWParser::LogicalToDevice(double v, int axis) const {
    const TDCState& s = Dc_.State;
    const bool y = axis == 1;
    const int32_t windowOrg = y ? s.WindowOrg.Y : s.WindowOrg.X, viewportOrg = y ? s.ViewportOrg.Y : s.ViewportOrg.X;
    const int32_t* windowScale = WindowScaleNum_ + 2 * axis;
    const int32_t* viewportScale = ViewportScaleNum_ + 2 * axis;
    if (WindowScale_) v = v * windowScale[1] / windowScale[0];
    if (s.MapMode == MM_ISOTROPIC || s.MapMode == MM_ANISOTROPIC)
        v = (v - windowOrg) * (y ? s.ViewportExt.Y : s.ViewportExt.X) / (y ? s.WindowExt.Y : s.WindowExt.X) +
            viewportOrg;
    else
        // Fixed modes measure y upwards.
        v = (v - windowOrg) * (y && s.MapMode != MM_TEXT ? -1 : 1) * ExtentScale(axis) + viewportOrg;
    if (ViewportScale_) v = v * viewportScale[0] / viewportScale[1];
    return v;
}

double TEMWParser::MapX(double x) const {
    return LogicalToDevice(x, 0) * WorldScaleX_ * DeviceFactorX_ + WorldOffsetX_;
}

double TEMWParser::MapY(double y) const {
    return LogicalToDevice(y, 1) * WorldScaleY_ * DeviceFactorY_ + WorldOffsetY_;
}

double TEMWParser::ExtentScale(int axis) const {
    const TDCState& s = Dc_.State;
    if (s.MapMode == MM_ISOTROPIC || s.MapMode == MM_ANISOTROPIC)
        return axis ? std::fabs(double(s.ViewportExt.Y) / s.WindowExt.Y)
                    : std::fabs(double(s.ViewportExt.X) / s.WindowExt.X);
    if (const double unitsPerInch = FixedUnitsPerInch(s.MapMode)) return ReferencePixelsPerInch / unitsPerInch;
    return 1;
}

TEMWParser::TRect TEMWParser::ReadRect(TReader& r) {
    TRect rect;
    rect.Left = r.I32LE();
    rect.Top = r.I32LE();
    rect.Right = r.I32LE();
    rect.Bottom = r.I32LE();
    return rect;
}

TEmfPoint TEMWParser::ReadPoint(TReader& r, bool small) {
    if (small) {
        const int16_t x = r.I16LE();
        return {x, r.I16LE()};
    }
    const int32_t x = r.I32LE();
    return {x, r.I32LE()};
}

void TEMWParser::ApplyBrushColor(bool onlyWhenChanged) {
    BrushColor_ = ResolvePalette(BrushColor_);
    if (onlyWhenChanged && BrushColor_ == LastFillColor_) return;
    LastFillColor_ = BrushColor_;
    Page_.SetRGBFillColor(Red(BrushColor_), Green(BrushColor_), Blue(BrushColor_));
}

void TEMWParser::ApplyPenColor() {
    KeptPen_.Color = ResolvePalette(KeptPen_.Color);
    Page_.SetRGBStrokeColor(Red(KeptPen_.Color), Green(KeptPen_.Color), Blue(KeptPen_.Color));
}

void TEMWParser::ApplyTextColor() {
    const uint32_t color = ResolvePalette(Dc_.State.TextColor);
    if (color == LastFillColor_ && !FontDirty_) return;
    LastFillColor_ = color;
    Page_.SetRGBFillColor(Red(color), Green(color), Blue(color));
}

void TEMWParser::ApplyBkColor() {
    const uint32_t color = ResolvePalette(Dc_.State.BkColor);
    if (color == LastFillColor_) return;
    LastFillColor_ = color;
    Page_.SetRGBFillColor(Red(color), Green(color), Blue(color));
}

void TEMWParser::PaintOpen() {
    if (KeptPen_.Style == PS_NULL)
        Page_.NewPath();
    else
        Page_.Stroke();
}

void TEMWParser::PaintClosed() {
    const bool alternate = Dc_.State.PolyFillMode == ALTERNATE;
    if (BrushNull_)
        PaintOpen();
    else if (KeptPen_.Style == PS_NULL)
        alternate ? Page_.EoFill() : Page_.Fill();
    else
        alternate ? Page_.EoFillAndStroke() : Page_.FillAndStroke();
}

void TEMWParser::PaintBox() {
    if (KeptPenWidth_ != 0 && KeptPen_.Style != PS_NULL)
        BrushNull_ ? Page_.Stroke() : Page_.FillAndStroke();
    else
        BrushNull_ ? Page_.NewPath() : Page_.Fill();
}

}  // namespace pdf
