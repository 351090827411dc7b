#include "workbook/biff/drawing/shapes.h"

#include "base/byte_reader.h"
#include "workbook/biff/biff_error.h"
#include "workbook/biff/drawing/escher_format.h"
#include "workbook/biff/drawing/escher_io.h"
#include "workbook/biff/xls_stream.h"

namespace xls {

TShapeOutsideMso::~TShapeOutsideMso() = default;

TShape::~TShape() = default;

void BeginDrawingRecord(TXLSStream& stream) {
    stream.BeginContinuedRecord(MAXRECSZ_97);
    stream.WriteHeader(BIFFRECID_MSODRAWING, 0);
}

uint16_t TShape::CmoObjectType() const {
    for (const TObjSubrecord& sub : ObjSubrecords)
        if (sub.Ft == OBJ_FTCMO && sub.Data.size() >= 4) return base::LoadLE16(sub.Data.data());
    return 0;
}

uint16_t TShape::CmoObjectId() const {
    for (const TObjSubrecord& sub : ObjSubrecords)
        if (sub.Ft == OBJ_FTCMO && sub.Data.size() >= 4) return base::LoadLE16(sub.Data.data() + 2);
    return ObjPart ? static_cast<uint16_t>(ObjPart->ObjId) : 0;
}

void TShape::SetShapeType(uint16_t type) {
    ShapeType = type;
    uint16_t objType = 0;
    switch (type) {
        case 1: objType = OBJTYPE_RECTANGLE; break;
        case 3: objType = OBJTYPE_OVAL; break;
        case 13:
        case MSOSPT_LINE: objType = OBJTYPE_LINE; break;
        default: return;
    }
    for (TObjSubrecord& sub : ObjSubrecords)
        if (sub.Ft == OBJ_FTCMO && sub.Data.size() >= 2) base::StoreLE16(sub.Data.data(), objType);
}

void TShape::SetButtonFlags() {
    Properties.Add(0x1BF, 0x00010001);
    Properties.Add(0x3BF, 0x00080008);
    Properties.SetCountToItems();
}

int64_t TShape::BaseSize() const {
    // SpContainer, FSP, FOPT and ClientData headers with the FSP body; a text part's
    // ClientTextbox header counts here though its own record carries it.
    int64_t size = Properties.GetSize() + 40;
    if (HasTextPart()) size += 8;
    if (KeptRecords) size += KeptRecords->GetSize();
    return size;
}

int64_t TShape::GetSize() const { return BaseSize(); }

void TShape::WriteRecords(TXLSStream& stream) const {
    WriteMSOHeader(stream, 2, ShapeType, MSOFBT_SP, 8);
    WriteU32(stream, ShapeId);
    WriteU32(stream, Flags);
    Properties.SaveToStream(stream);
    if (KeptRecords) KeptRecords->SaveToStream(stream);
    WriteAnchor(stream);
    WriteMSOHeader(stream, 0, 0, MSOFBT_CLIENTDATA, 0);
}

void TShape::WriteObj(TXLSStream& stream) const {
    stream.EndContinuedRecord();
    if (ObjPart && ObjPart->OwnsObjData) {
        ObjPart->SaveToStream(stream);
        return;
    }
    int64_t length = 0;
    for (const TObjSubrecord& sub : ObjSubrecords) length += 4 + static_cast<int64_t>(sub.Data.size());
    std::vector<uint8_t> body;
    body.reserve(static_cast<size_t>(length));
    for (const TObjSubrecord& sub : ObjSubrecords) {
        base::AppendLE16(body, sub.Ft);
        base::AppendLE16(body, static_cast<uint16_t>(sub.Data.size()));
        body.insert(body.end(), sub.Data.begin(), sub.Data.end());
    }
    stream.WriteHeader(BIFFRECID_OBJ, CheckedRecordLength(length, "OBJ record"));
    stream.WriteRaw(body.data(), length);
    if (ObjPart) ObjPart->SaveToStream(stream);
}

void TShape::SaveToStream(TXLSStream& stream, bool withRecordHeader) const {
    if (withRecordHeader) BeginDrawingRecord(stream);
    WriteMSOHeader(stream, MSOContainerVersion, 0, MSOFBT_SPCONTAINER, static_cast<uint32_t>(GetSize() - 8));
    WriteRecords(stream);
    WriteObj(stream);
}

namespace {

void WriteChildAnchor(TXLSStream& stream, const std::array<uint32_t, 4>& child) {
    WriteMSOHeader(stream, 0, 0, MSOFBT_CHILDANCHOR, 16);
    for (uint32_t v : child) WriteU32(stream, v);
}

}  // namespace

void TShapeChildAnchor::WriteAnchor(TXLSStream& stream) const { WriteChildAnchor(stream, Child); }

void TShapeGroupChildAnchor::WriteAnchor(TXLSStream& stream) const { WriteChildAnchor(stream, Child); }

int64_t TShapeGroup::GetSize() const {
    int64_t size = GetOwnSize();
    for (const auto& child : Children_) size += child->GetSize();
    return size;
}

void TShapeGroup::SaveToStream(TXLSStream& stream, bool withRecordHeader) const {
    if (withRecordHeader) BeginDrawingRecord(stream);
    WriteMSOHeader(stream, MSOContainerVersion, 0, MSOFBT_SPGRCONTAINER, static_cast<uint32_t>(GetSize() - 8));
    WriteMSOHeader(stream, MSOContainerVersion, 0, MSOFBT_SPCONTAINER, static_cast<uint32_t>(GetOwnSize() - 16));
    WriteMSOHeader(stream, 1, 0, MSOFBT_SPGR, 16);
    for (uint32_t v : Rect) WriteU32(stream, v);
    WriteRecords(stream);
    WriteObj(stream);
    for (const auto& child : Children_) child->SaveToStream(stream, true);
}

}  // namespace xls
