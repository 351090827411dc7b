#include "workbook/biff/drawing/drawing_anchor.h"

#include <cmath>

#include "base/byte_reader.h"
#include "workbook/biff/biff_error.h"
#include "workbook/biff/drawing/escher_format.h"
#include "workbook/biff/drawing/escher_io.h"
#include "workbook/biff/drawing/shapes.h"
#include "workbook/biff/xls_stream.h"

namespace xls {

namespace {

void CheckVersion(const TXLSStream& stream) {
    if (stream.FileVersion() != xvExcel97) throw EBIFFError("Unhandled excel version");
}

}  // namespace

void TMSOObjCLIENTANCHOR::LoadFromBytes(const uint8_t* body) {
    uint32_t* fields[] = {&Flags, &ColL, &DxL, &RwT, &DyT, &ColR, &DxR, &RwB, &DyB};
    for (int i = 0; i < 9; ++i) *fields[i] = base::LoadLE16(body + 2 * i);
}

void TMSOObjCLIENTANCHOR::SaveToStream(TXLSStream& stream) const {
    CheckVersion(stream);
    uint8_t bytes[8 + BodySize];
    EncodeMSOHeader({0, 0, MSOFBT_CLIENTANCHOR, BodySize}, bytes);
    const uint32_t fields[] = {Flags, ColL, DxL, RwT, DyT, ColR, DxR, RwB, DyB};
    for (int i = 0; i < 9; ++i) base::StoreLE16(bytes + 8 + 2 * i, static_cast<uint16_t>(fields[i]));
    stream.Write(bytes, sizeof bytes);
}

uint32_t AnchorOffsetFromFraction(double value, int unit) {
    if (value > 1) value = 1;
    if (!(value >= 0)) value = 0;
    return static_cast<uint32_t>(std::nearbyint(value * unit));
}

TDrwAnchor::~TDrwAnchor() = default;

TMSOObjCLIENTANCHOR& TDrwAnchor::Anchor() const {
    if (!Shape_) throw EBIFFError("Drawing object has no shape");
    return Shape_->Anchor;
}

int32_t TDrwAnchor::Col1() const { return static_cast<int32_t>(Anchor().ColL); }
int32_t TDrwAnchor::Row1() const { return static_cast<int32_t>(Anchor().RwT); }
int32_t TDrwAnchor::Col2() const { return static_cast<int32_t>(Anchor().ColR); }
int32_t TDrwAnchor::Row2() const { return static_cast<int32_t>(Anchor().RwB); }
void TDrwAnchor::SetCol1(int32_t value) { Anchor().ColL = static_cast<uint32_t>(value); }
void TDrwAnchor::SetRow1(int32_t value) { Anchor().RwT = static_cast<uint32_t>(value); }
void TDrwAnchor::SetCol2(int32_t value) { Anchor().ColR = static_cast<uint32_t>(value); }
void TDrwAnchor::SetRow2(int32_t value) { Anchor().RwB = static_cast<uint32_t>(value); }
double TDrwAnchor::Col1Offset() const { return Anchor().DxL / 1024.0; }
double TDrwAnchor::Row1Offset() const { return Anchor().DyT / 256.0; }
double TDrwAnchor::Col2Offset() const { return Anchor().DxR / 1024.0; }
double TDrwAnchor::Row2Offset() const { return Anchor().DyB / 256.0; }
void TDrwAnchor::SetCol1Offset(double value) { Anchor().DxL = AnchorOffsetFromFraction(value, 1024); }
void TDrwAnchor::SetRow1Offset(double value) { Anchor().DyT = AnchorOffsetFromFraction(value, 256); }
void TDrwAnchor::SetCol2Offset(double value) { Anchor().DxR = AnchorOffsetFromFraction(value, 1024); }
void TDrwAnchor::SetRow2Offset(double value) { Anchor().DyB = AnchorOffsetFromFraction(value, 256); }

bool TDrwAnchor::FlipHorizontal() const { return Shape_ && (Shape_->Flags & SPFLAG_FLIPH) != 0; }
bool TDrwAnchor::FlipVertical() const { return Shape_ && (Shape_->Flags & SPFLAG_FLIPV) != 0; }

void TDrwAnchor::SetFlipHorizontal(bool value) {
    Anchor();
    Shape_->Flags = value ? Shape_->Flags | SPFLAG_FLIPH : Shape_->Flags & ~SPFLAG_FLIPH;
}

void TDrwAnchor::SetFlipVertical(bool value) {
    Anchor();
    Shape_->Flags = value ? Shape_->Flags | SPFLAG_FLIPV : Shape_->Flags & ~SPFLAG_FLIPV;
}

uint32_t TDrwAnchor::SpId() const { return Shape_ ? Shape_->ShapeId : 0; }

}  // namespace xls
