#include <algorithm>
#include <chrono>
#include <random>

#include "base/byte_reader.h"
#include "base/format.h"
#include "workbook/biff/biff_error.h"
#include "workbook/biff/drawing/escher_drawing.h"
#include "workbook/biff/drawing/escher_format.h"
#include "workbook/biff/drawing/escher_group.h"

namespace xls {

namespace {

constexpr uint32_t NewShapeFlags = SPFLAG_HAVEANCHOR | SPFLAG_HAVESPT;
constexpr int CmoSize = 18;
constexpr int NtsSize = 22;
// fSize of the client anchor: the picture resizes with its cells.
constexpr uint32_t AnchorFlagSize = 0x2;

TObjSubrecord Cmo(uint16_t objType, int32_t objId, uint16_t flags) {
    TObjSubrecord sub{OBJ_FTCMO, std::vector<uint8_t>(CmoSize)};
    base::StoreLE16(sub.Data.data(), objType);
    base::StoreLE16(sub.Data.data() + 2, static_cast<uint16_t>(objId));
    base::StoreLE16(sub.Data.data() + 4, flags);
    return sub;
}

TObjSubrecord Word(uint16_t ft, uint16_t value) {
    TObjSubrecord sub{ft, std::vector<uint8_t>(2)};
    base::StoreLE16(sub.Data.data(), value);
    return sub;
}

void AddProperties(TOPT& table, std::initializer_list<std::pair<uint16_t, int32_t>> properties) {
    for (const auto& [id, value] : properties) table.Add(id, value);
    table.SetCountToItems();
}

template <class Visit>
void ForEachShape(TShapeGroup& group, const Visit& visit) {
    for (int i = 0; i < group.Count(); ++i) {
        TShape& shape = group.Items(i);
        visit(shape);
        if (TShapeGroup* child = shape.AsGroup()) ForEachShape(*child, visit);
    }
}

// A fresh text id: a random number below 65535 plus the millisecond clock.
int32_t RandomTextId() {
    static thread_local std::mt19937 generator{std::random_device{}()};
    const auto ticks =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count();
    return static_cast<int32_t>(std::uniform_int_distribution<int32_t>(0, 65534)(generator) + (ticks & 0x3FFFFFFF));
}

}  // namespace

int32_t TEscherDrawing::NewTextId() const { return OnNewTextId ? OnNewTextId() : RandomTextId(); }

void TEscherDrawing::PrepareNewShape() {
    if (DrawingId != 0) {
        Group_.TouchCluster(DrawingId);
        return;
    }
    const auto [dgId, firstSpId] = Group_.AddCluster(*this);
    DrawingId = dgId;
    Root_.ShapeId = firstSpId;
    Root_.Flags = SPFLAG_GROUP | SPFLAG_PATRIARCH;
    SpidCur = firstSpId + 1;
}

TShapeClientAnchor& TEscherDrawing::AddShape(uint16_t shapeType, uint32_t col1, uint32_t row1, uint32_t col2,
                                             uint32_t row2) {
    PrepareNewShape();
    auto shape = std::make_unique<TShapeClientAnchor>();
    shape->ShapeId = NextSpId();
    shape->ShapeType = shapeType;
    shape->Flags = NewShapeFlags;
    shape->Anchor.ColL = col1;
    shape->Anchor.RwT = row1;
    shape->Anchor.ColR = col2;
    shape->Anchor.RwB = row2;
    TShapeClientAnchor& added = *shape;
    Root_.Add(std::move(shape));
    return added;
}

TShapeClientAnchor& TEscherDrawing::AddText() {
    TShapeClientAnchor& shape = AddShape(MSOSPT_TEXTBOX, 1, 1, 3, 5);
    auto text = std::make_unique<TShapeOutsideMsoBaseText>(static_cast<int16_t>(NextObjId()));
    text->InitNew();
    shape.ObjPart = std::move(text);
    AddProperties(
        shape.Properties,
        {{MSOPROP_LTXID, NewTextId()}, {0x8B, 2}, {0xBF, 0x00080008}, {0x181, 0x08000041}, {0x1C0, 0x08000040}});
    shape.ObjSubrecords = {Cmo(OBJTYPE_TEXT, NextObjId(), 0x6011), {OBJ_FTEND, {}}};
    return shape;
}

TShapeClientAnchor& TEscherDrawing::AddNote() {
    TShapeClientAnchor& shape = AddShape(MSOSPT_TEXTBOX, 1, 1, 3, 5);
    auto note = std::make_unique<TShapeOutsideMsoNote>(static_cast<int16_t>(NextObjId()));
    note->InitNew();
    base::StoreLE16(note->Runs()[0].data() + 2, NoteFontIndex);
    shape.ObjPart = std::move(note);
    AddProperties(shape.Properties, {{MSOPROP_LTXID, NewTextId()},
                                     {0x8B, 2},
                                     {0xBF, 0x00080008},
                                     {0x158, 0},
                                     {0x181, 0x08000050},
                                     {0x183, 0x08000050},
                                     {0x185, 0x100000F4},
                                     {0x1BF, 0x00100010},
                                     {0x1C3, 0x100000F4},
                                     {0x201, 0},
                                     {0x203, 0x100000F4},
                                     {0x23F, 0x00030003},
                                     {0x3BF, 0x00020002}});
    shape.ObjSubrecords = {
        Cmo(OBJTYPE_NOTE, NextObjId(), 0x4011), {OBJ_FTNTS, std::vector<uint8_t>(NtsSize)}, {OBJ_FTEND, {}}};
    return shape;
}

TShapeClientAnchor& TEscherDrawing::AddLine() {
    TShapeClientAnchor& shape = AddShape(MSOSPT_LINE, 1, 1, 3, 5);
    AddProperties(shape.Properties, {{0xBF, 0x00080008},
                                     {0x144, 4},
                                     {0x17F, 0x00010000},
                                     {0x1BF, 0x00100000},
                                     {0x1C0, 0x08000040},
                                     {0x1FF, 0x00100010}});
    shape.ObjSubrecords = {Cmo(OBJTYPE_LINE, NextObjId(), 0x6011), {OBJ_FTEND, {}}};
    return shape;
}

TShapeClientAnchor& TEscherDrawing::AddAutoShape() {
    TShapeClientAnchor& shape = AddShape(MSOSPT_SUN, 1, 1, 2, 5);
    AddProperties(shape.Properties, {{0xBF, 0x00080008}, {0x181, 0x08000041}, {0x1C0, 0x08000040}});
    shape.ObjSubrecords = {Cmo(OBJTYPE_OFFICEART, NextObjId(), 0x6011), {OBJ_FTEND, {}}};
    return shape;
}

TShapeClientAnchor& TEscherDrawing::AddPicture() {
    TShapeClientAnchor& shape = AddShape(MSOSPT_PICTUREFRAME, 1, 1, 3, 7);
    shape.Anchor.Flags = AnchorFlagSize;
    shape.Properties.Add(MSOPROP_PIB, 0, true);
    shape.Properties.AddString(MSOPROP_PIBNAME, u"[???]");
    shape.Properties.SetCountToItems();
    shape.ObjSubrecords = {
        Cmo(OBJTYPE_PICTURE, NextObjId(), 0x6011), Word(OBJ_FTCF, 0xFFFF), Word(OBJ_FTPIOGRBIT, 0), {OBJ_FTEND, {}}};
    return shape;
}

TShapeClientAnchor& TEscherDrawing::AddChart() {
    if (!OnNewChart) throw EBIFFError("No chart records for a new chart");
    std::unique_ptr<TChartSubstream> records = OnNewChart();
    TShapeClientAnchor& shape = AddShape(MSOSPT_HOSTCONTROL, 2, 1, 8, 16);
    shape.ObjPart = std::make_unique<TShapeOutsideMsoChart>(static_cast<int16_t>(NextObjId()), std::move(records));
    AddProperties(shape.Properties, {{0x7F, 0x01040104},
                                     {0xBF, 0x00080008},
                                     {0x181, 0x0800004E},
                                     {0x183, 0x0800004D},
                                     {0x1BF, 0x00100010},
                                     {0x1C0, 0x0800004D},
                                     {0x1FF, 0x00100010},
                                     {0x23F, 0x00020000}});
    shape.ObjSubrecords = {Cmo(OBJTYPE_CHART, NextObjId(), 0x6011), {OBJ_FTEND, {}}};
    return shape;
}

void TEscherDrawing::RemapBlipIds(const std::vector<int>& fileIndexes) {
    ForEachShape(Root_, [&fileIndexes](TShape& shape) {
        const int index = shape.Properties.BlipIdIndex();
        if (index < 0) return;
        const int32_t blipId = shape.Properties.Items(index).Value;
        // 0 is a picture frame without a picture.
        if (blipId == 0) return;
        const auto found = std::find(fileIndexes.begin(), fileIndexes.end(), blipId - 1);
        if (found == fileIndexes.end()) throw EBIFFError(base::Format("Can not find Blip Id #%d", {blipId}));
        shape.Properties.SetValueAt(index, static_cast<int32_t>(found - fileIndexes.begin()) + 1);
    });
}

void TEscherDrawing::CountPictureRefs() {
    ForEachShape(Root_, [this](TShape& shape) {
        if (shape.ShapeType != MSOSPT_PICTUREFRAME) return;
        const int32_t blipId = shape.Properties.GetValue(MSOPROP_PIB);
        if (blipId > Group_.Count()) throw EBIFFError("Unassigned picture in file.");
        if (blipId > 0 && Group_.GetItems(blipId - 1).RefCount == 0) Group_.GetItems(blipId - 1).RefCount = 1;
    });
}

void TShape::CopyCommon(TShape& dest) const {
    dest.ShapeId = 0;
    dest.ShapeType = ShapeType;
    dest.Flags = Flags;
    Properties.CopyTo(dest.Properties);
    dest.KeptRecords.reset();
    if (KeptRecords) {
        dest.KeptRecords = std::make_unique<TMSORecords>();
        KeptRecords->CopyTo(*dest.KeptRecords);
    }
    dest.ObjSubrecords = ObjSubrecords;
    dest.ObjPart.reset();
    if (ObjPart) {
        if (dynamic_cast<const TShapeOutsideMsoChart*>(ObjPart.get()))
            throw EBIFFError("Wrong type of shape in Assign");
        if (dynamic_cast<const TShapeOutsideMsoNote*>(ObjPart.get()))
            dest.ObjPart = std::make_unique<TShapeOutsideMsoNote>(0);
        else if (dynamic_cast<const TShapeOutsideMsoBaseText*>(ObjPart.get()))
            dest.ObjPart = std::make_unique<TShapeOutsideMsoBaseText>(0);
        else
            throw EBIFFError("Can not assign this interface");
        ObjPart->AssignTo(*dest.ObjPart);
    }
    if (dest.Properties.IndexOf(MSOPROP_LTXID) >= 0) dest.Properties.SetValue(MSOPROP_LTXID, RandomTextId());
}

void TShape::CopyTo(TShape& dest, TEscherDrawing*) const { CopyCommon(dest); }

void TShapeClientAnchor::CopyTo(TShape& dest, TEscherDrawing*) const {
    CopyCommon(dest);
    if (TMSOObjCLIENTANCHOR* anchor = dest.ClientAnchor()) Anchor.CopyTo(*anchor);
}

void TShapeChildAnchor::CopyTo(TShape& dest, TEscherDrawing*) const {
    CopyCommon(dest);
    if (std::array<uint32_t, 4>* child = dest.ChildAnchor()) *child = Child;
}

void TShapeGroup::CopyChildren(TShapeGroup& dest, TEscherDrawing* drawing) const {
    dest.Rect = Rect;
    for (const auto& child : Children_) {
        std::unique_ptr<TShape> copy;
        if (dynamic_cast<const TShapeGroupChildAnchor*>(child.get()))
            copy = std::make_unique<TShapeGroupChildAnchor>();
        else if (dynamic_cast<const TShapeChildAnchor*>(child.get()))
            copy = std::make_unique<TShapeChildAnchor>();
        else if (dynamic_cast<const TShapeClientAnchor*>(child.get()))
            throw EBIFFError("ClientAnchor in ShapeGroup");
        else
            throw EBIFFError("Dont know how to Copy this shape");
        child->CopyTo(*copy, drawing);
        if (drawing) copy->ShapeId = drawing->NextSpId();
        dest.Add(std::move(copy));
    }
}

void TShapeGroupClientAnchor::CopyTo(TShape& dest, TEscherDrawing* drawing) const {
    CopyCommon(dest);
    if (TMSOObjCLIENTANCHOR* anchor = dest.ClientAnchor()) Anchor.CopyTo(*anchor);
    if (TShapeGroup* group = dest.AsGroup()) CopyChildren(*group, drawing);
}

void TShapeGroupChildAnchor::CopyTo(TShape& dest, TEscherDrawing* drawing) const {
    CopyCommon(dest);
    if (std::array<uint32_t, 4>* child = dest.ChildAnchor()) *child = Child;
    if (TShapeGroup* group = dest.AsGroup()) CopyChildren(*group, drawing);
}

}  // namespace xls
