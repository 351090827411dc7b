#include "workbook/biff/drawing/escher_drawing.h"

#include <algorithm>

#include "base/byte_reader.h"
#include "base/format.h"
#include "workbook/biff/biff_error.h"
#include "workbook/biff/drawing/escher_format.h"
#include "workbook/biff/drawing/escher_group.h"
#include "workbook/biff/drawing/escher_reader.h"
#include "workbook/biff/xls_stream.h"

namespace xls {

namespace {

// Groups nested deeper than this are refused rather than read by ever deeper recursion.
constexpr int MaxGroupDepth = 64;
constexpr int64_t RootContainerSize = 40;

std::unique_ptr<TShape> NewShapeByFlags(uint32_t flags) {
    const bool group = flags & SPFLAG_GROUP;
    const bool child = flags & SPFLAG_CHILD;
    if (group && child) return std::make_unique<TShapeGroupChildAnchor>();
    if (group) return std::make_unique<TShapeGroupClientAnchor>();
    if (child) return std::make_unique<TShapeChildAnchor>();
    return std::make_unique<TShapeClientAnchor>();
}

uint32_t BodyU32(const std::vector<uint8_t>& body, size_t offset) { return base::LoadLE32(body.data() + offset); }

std::vector<uint8_t> TakeRecord(TEscherReader& reader, const TMSOHeader& header, uint32_t minLength, const char* name) {
    if (header.Length < minLength) throw EBIFFError(std::string(name) + " record is too short");
    return reader.Take(header.Length);
}

bool IsNoTextObject(uint16_t objType) {
    // Charts, scroll bars, list boxes and drop-downs carry no text records.
    return objType == OBJTYPE_CHART || objType == 0x11 || objType == OBJTYPE_LISTBOX || objType == OBJTYPE_DROPDOWN;
}

}  // namespace

TEscherDrawing::TEscherDrawing(TEscherGroup& group) : Group_(group) {}

TEscherDrawing::~TEscherDrawing() {
    if (DrawingId != 0) {
        try {
            Group_.DeleteCluster(DrawingId);
        } catch (const base::Exception&) {
            // The group was cleared before its drawings: nothing is left to remove.
        }
    }
}

void TEscherDrawing::RemoveCluster() {
    if (DrawingId != 0) Group_.DeleteCluster(DrawingId);
    DrawingId = 0;
}

void TEscherDrawing::Clear() {
    Root_.Clear();
    RegroupItems.clear();
    SolverContainer.reset();
    RemoveCluster();
}

void TEscherDrawing::DeleteShape(uint32_t spId) {
    for (int i = 0; i < Root_.Count(); ++i) {
        if (Root_.Items(i).ShapeId != spId) continue;
        Root_.Delete(i);
        if (Root_.Count() > 0)
            Group_.TouchCluster(DrawingId);
        else
            RemoveCluster();
        return;
    }
}

void TEscherDrawing::LoadFromStream(TXLSStream& stream, uint16_t length) {
    if (stream.FileVersion() != xvExcel97) throw EBIFFError("Unhandled excel version");
    TEscherReader reader(stream, length, false);
    const TMSOHeader dgContainer = reader.Header();
    if (dgContainer.Type != MSOFBT_DGCONTAINER) throw EBIFFError("Expected record missing: DGCONTAINER");
    MaxObjId = 0;
    ShapeCounter_ = 0;
    try {
        TMSOHeader header = reader.Header();
        if (header.Type != MSOFBT_DG) throw EBIFFError("Expected record missing: DG");
        const std::vector<uint8_t> dg = TakeRecord(reader, header, 8, "DG");
        Csp = BodyU32(dg, 0);
        SpidCur = BodyU32(dg, 4);
        DrawingId = header.Instance;
        Group_.AttachDrawing(*this);

        header = reader.Header();
        if (header.Type == MSOFBT_REGROUPITEMS) {
            const std::vector<uint8_t> items = TakeRecord(reader, header, 4u * header.Instance, "FRIT");
            RegroupItems.clear();
            for (uint32_t i = 0; i < header.Instance; ++i) RegroupItems.push_back(BodyU32(items, 4 * i));
            header = reader.Header();
        }
        if (header.Type != MSOFBT_SPGRCONTAINER) throw EBIFFError("Expected record missing: SPGRCONTAINER");
        const int64_t groupLength = header.Length;
        header = reader.Header();
        if (header.Type != MSOFBT_SPCONTAINER) throw EBIFFError("Expected record missing: SPCONTAINER");
        const int64_t rootLength = header.Length;
        if (rootLength < RootContainerSize || rootLength + 8 > groupLength)
            throw EBIFFError("Error while reading Shape. Length <> 0");
        header = reader.Header();
        if (header.Type != MSOFBT_SPGR) throw EBIFFError("Expected record missing: SPGR");
        const std::vector<uint8_t> rect = TakeRecord(reader, header, 16, "SPGR");
        for (size_t i = 0; i < 4; ++i) Root_.Rect[i] = BodyU32(rect, 4 * i);
        header = reader.Header();
        if (header.Type != MSOFBT_SP) throw EBIFFError("Expected record missing: SP");
        const std::vector<uint8_t> sp = TakeRecord(reader, header, 8, "SP");
        Root_.ShapeId = BodyU32(sp, 0);
        Root_.Flags = BodyU32(sp, 4);
        if (!(Root_.Flags & SPFLAG_PATRIARCH)) throw EBIFFError("SP is not root");
        // Whatever else the patriarch's container holds is not written back.
        const int64_t rootUsed = 16 + static_cast<int64_t>(rect.size()) + static_cast<int64_t>(sp.size());
        if (rootUsed > rootLength) throw EBIFFError("Error while reading Shape. Length <> 0");
        reader.Skip(rootLength - rootUsed);

        ReadShapes(reader, Root_, groupLength - rootLength - 8, 0);
        ReadSolver(reader);
    } catch (const base::Exception& e) {
        throw EBIFFError(base::Format("Error on reading shape #%d\r", {ShapeCounter_}) + e.Message());
    }
}

void TEscherDrawing::ReadSolver(TEscherReader& reader) {
    if (reader.Left() == 0 && !reader.EnterNextDrawingRecord()) return;
    SolverContainer = std::make_unique<TMSORecords>();
    while (reader.Left() > 0) {
        if (reader.Left() < 8) throw EBIFFError("Error while reading the solver container");
        const TMSOHeader header = reader.Header();
        if (header.IsContainer()) {
            SolverContainer->Add(header, nullptr);
            continue;
        }
        if (header.Length > reader.Left()) throw EBIFFError("Error while reading the solver container");
        const std::vector<uint8_t> body = reader.Take(header.Length);
        SolverContainer->Add(header, body.data());
    }
}

void TEscherDrawing::ReadShapes(TEscherReader& reader, TShapeGroup& group, int64_t length, int depth) {
    if (depth > MaxGroupDepth) throw EBIFFError("Shape groups nested too deep");
    while (length > 0) {
        ++ShapeCounter_;
        TMSOHeader header = reader.Header();
        if (header.Length + int64_t{8} > length) throw EBIFFError("Error while reading Shape. Group Length <> 0");
        int64_t childrenLength = -1;
        if (header.Type == MSOFBT_SPGRCONTAINER) {
            const int64_t groupLength = header.Length;
            header = reader.Header();
            if (header.Type != MSOFBT_SPCONTAINER) throw EBIFFError("Expected record missing: SPCONTAINER");
            childrenLength = groupLength - (int64_t{header.Length} + 8);
            if (childrenLength < 0) throw EBIFFError("Error while reading Shape. Group Length <> 0");
            length -= 8;
        }
        if (header.Type != MSOFBT_SPCONTAINER) throw EBIFFError("Expected record missing: SPCONTAINER");
        length -= int64_t{header.Length} + 8;
        std::unique_ptr<TShape> shape = ReadShapeContainer(reader, header.Length);
        TShape& added = *shape;
        TShapeGroup* asGroup = shape->AsGroup();
        if (childrenLength >= 0 && !asGroup) throw EBIFFError("Group container holds no group shape");
        group.Add(std::move(shape));
        if (OnAfterShape) OnAfterShape(*this, added);
        if (childrenLength >= 0) {
            length -= childrenLength;
            ReadShapes(reader, *asGroup, childrenLength, depth + 1);
        }
        if (length < 0) throw EBIFFError("Error while reading Shape. Group Length <> 0");
    }
}

std::unique_ptr<TShape> TEscherDrawing::ReadShapeContainer(TEscherReader& reader, int64_t length) {
    std::unique_ptr<TShape> shape;
    std::array<uint32_t, 4> heldRect{};
    auto need = [&shape](const char* what) -> TShape& {
        if (!shape) throw EBIFFError(std::string("Expected record missing: SP (before ") + what + ")");
        return *shape;
    };
    while (length > 0) {
        const TMSOHeader header = reader.Header();
        length -= 8;
        if (!header.IsContainer()) length -= header.Length;
        if (length < 0) throw EBIFFError("Error while reading Shape. Length <> 0");
        switch (header.Type) {
            case MSOFBT_SPGR: {
                const std::vector<uint8_t> body = TakeRecord(reader, header, 16, "SPGR");
                for (size_t i = 0; i < 4; ++i) heldRect[i] = BodyU32(body, 4 * i);
                break;
            }
            case MSOFBT_SP: {
                if (shape) throw EBIFFError("Two SP records in one shape");
                const std::vector<uint8_t> body = TakeRecord(reader, header, 8, "SP");
                shape = NewShapeByFlags(BodyU32(body, 4));
                shape->ShapeId = BodyU32(body, 0);
                shape->Flags = BodyU32(body, 4);
                shape->ShapeType = header.Instance;
                if (TShapeGroup* group = shape->AsGroup()) group->Rect = heldRect;
                break;
            }
            case MSOFBT_OPT:
            case MSOFBT_TERTIARYOPT: {
                TShape& target = need("OPT");
                const std::vector<uint8_t> body = reader.Take(header.Length);
                TOPT& table = header.Type == MSOFBT_OPT ? target.Properties : target.TertiaryProperties;
                table.LoadFromBuffer(body.data(), header.Length, header.Instance);
                break;
            }
            case MSOFBT_CHILDANCHOR: {
                std::array<uint32_t, 4>* child = need("CHILDANCHOR").ChildAnchor();
                if (!child) throw EBIFFError("CHILDANCHOR when shape not is ChildAnchor");
                const std::vector<uint8_t> body = TakeRecord(reader, header, 16, "CHILDANCHOR");
                for (size_t i = 0; i < 4; ++i) (*child)[i] = BodyU32(body, 4 * i);
                break;
            }
            case MSOFBT_CLIENTANCHOR: {
                TMSOObjCLIENTANCHOR* anchor = need("CLIENTANCHOR").ClientAnchor();
                if (!anchor) throw EBIFFError("CLIENTANCHOR when shape not is ClientAnchor");
                const std::vector<uint8_t> body =
                    TakeRecord(reader, header, TMSOObjCLIENTANCHOR::BodySize, "CLIENTANCHOR");
                anchor->LoadFromBytes(body.data());
                break;
            }
            case MSOFBT_CLIENTDATA: {
                TShape& target = need("CLIENTDATA");
                if (header.Length > 0) throw EBIFFError("Size of CLIENTDATA > 0");
                // The OBJ must follow the record that ends here.
                if (reader.Left() != 0) throw EBIFFError("Expected record missing: OBJ");
                // The container's last 8 bytes are a client text box in a record of its own.
                const bool textFollows = length == 8;
                ReadObj(reader.Stream(), target, textFollows);
                if (target.HasTextPart()) length -= 8;
                break;
            }
            default: {
                TShape& target = need("records");
                if (!target.KeptRecords) target.KeptRecords = std::make_unique<TMSORecords>();
                if (header.IsContainer()) {
                    target.KeptRecords->Add(header, nullptr);
                } else {
                    const std::vector<uint8_t> body = reader.Take(header.Length);
                    target.KeptRecords->Add(header, body.data());
                }
            }
        }
    }
    if (length != 0) throw EBIFFError("Error while reading Shape. Length <> 0");
    if (!shape) throw EBIFFError("Expected record missing: SP");
    return shape;
}

void TEscherDrawing::ReadObj(TXLSStream& stream, TShape& shape, bool textFollows) {
    TBIFFHeader header;
    if (stream.ReadHeader(header) != 4 || header.RecID != BIFFRECID_OBJ)
        throw EBIFFError("Expected record missing: OBJ");
    const std::vector<uint8_t> body = ReadBytes(stream, header.Length);
    base::TByteReader obj(body.data(), body.size());
    shape.ObjSubrecords.clear();
    uint16_t objType = 0;
    uint16_t objId = 0;
    while (obj.Remaining() >= 4) {
        const uint16_t ft = obj.U16LE();
        size_t cb = obj.U16LE();
        if (ft == OBJ_FTLBSDATA) {
            // Its stored length is not reliable: the list data runs to the end of the record.
            cb = obj.Remaining();
        } else if (ft != OBJ_FTEND && (ft < 0x0004 || ft > 0x0015)) {
            throw EBIFFError(base::Format("Unknown OBJ record %.2x", {int(ft)}));
        } else if (ft == OBJ_FTEND) {
            shape.ObjSubrecords.push_back({OBJ_FTEND, {}});
            break;
        }
        if (cb > obj.Remaining()) throw EBIFFError("OBJ subrecord beyond the end of the record");
        TObjSubrecord sub{ft, std::vector<uint8_t>(body.begin() + static_cast<ptrdiff_t>(obj.Position()),
                                                   body.begin() + static_cast<ptrdiff_t>(obj.Position() + cb))};
        obj.Skip(cb);
        if (ft == OBJ_FTCMO && cb >= 4) {
            objType = base::LoadLE16(sub.Data.data());
            objId = base::LoadLE16(sub.Data.data() + 2);
            MaxObjId = std::max<int32_t>(MaxObjId, objId);
        }
        shape.ObjSubrecords.push_back(std::move(sub));
        if (ft == OBJ_FTLBSDATA) {
            if (objType == OBJTYPE_LISTBOX || objType == OBJTYPE_DROPDOWN)
                shape.ObjSubrecords.push_back({OBJ_FTEND, {}});
            break;
        }
    }
    const auto id = static_cast<int16_t>(objId);
    if (objType == OBJTYPE_CHART) {
        shape.ObjPart = std::make_unique<TShapeOutsideMsoChart>(id, OnChartForReading ? OnChartForReading() : nullptr);
    } else if (textFollows && !IsNoTextObject(objType)) {
        if (objType == OBJTYPE_NOTE)
            shape.ObjPart = std::make_unique<TShapeOutsideMsoNote>(id);
        else
            shape.ObjPart = std::make_unique<TShapeOutsideMsoBaseText>(id);
    }
    if (shape.ObjPart) shape.ObjPart->LoadFromStream(stream);
}

void TEscherDrawing::AssignNote(int32_t col, int32_t row, const std::u16string& author, int32_t objId, uint16_t flags) {
    for (int i = 0; i < Root_.Count(); ++i) {
        TShape& shape = Root_.Items(i);
        auto* note = dynamic_cast<TShapeOutsideMsoNote*>(shape.ObjPart.get());
        if (!note || shape.CmoObjectId() != objId) continue;
        note->Col = col;
        note->Row = row;
        note->NoteFlags = flags;
        note->Author = author;
        if (auto* anchored = dynamic_cast<TShapeClientAnchor*>(&shape)) anchored->Visible = (flags >> 1) & 1;
        return;
    }
    throw EBIFFError(base::Format("Can not find shape for note #%d", {objId}));
}

void TEscherDrawing::LoadNote(TXLSStream& stream, uint16_t length) {
    const std::vector<uint8_t> body = ReadBytes(stream, length);
    base::TByteReader note(body.data(), body.size(), [] { throw EBIFFError("NOTE record is too short"); });
    const uint16_t row = note.U16LE();
    const uint16_t col = note.U16LE();
    const uint16_t flags = note.U16LE();
    const uint16_t objId = note.U16LE();
    const uint16_t chars = note.U16LE();
    std::u16string author;
    if (chars > 0) {
        const bool wide = note.U8() & 1;
        for (uint16_t i = 0; i < chars; ++i) author.push_back(wide ? static_cast<char16_t>(note.U16LE()) : note.U8());
    }
    AssignNote(col, row, author, objId, flags);
}

void TEscherDrawing::SaveToStream(TXLSStream& stream) const {
    // Only BIFF8 files carry drawings.
    if (Root_.Count() == 0 || stream.FileVersion() != xvExcel97) return;
    int64_t shapes = 0;
    for (int i = 0; i < Root_.Count(); ++i) shapes += Root_.Items(i).GetSize();
    const int64_t regroup = RegroupItems.empty() ? 0 : 8 + 4 * static_cast<int64_t>(RegroupItems.size());
    const int64_t solver = SolverContainer ? SolverContainer->GetSize() : 0;
    const int64_t dgLength = 72 + regroup + shapes + solver;
    if (dgLength > UINT32_MAX) throw EBIFFError("The drawing is too large");

    BeginDrawingRecord(stream);
    WriteMSOHeader(stream, MSOContainerVersion, 0, MSOFBT_DGCONTAINER, static_cast<uint32_t>(dgLength));
    WriteMSOHeader(stream, 0, static_cast<uint16_t>(DrawingId), MSOFBT_DG, 8);
    WriteU32(stream, static_cast<uint32_t>(Root_.Count() + 1));
    WriteU32(stream, SpidCur);
    if (!RegroupItems.empty()) {
        WriteMSOHeader(stream, 0, static_cast<uint16_t>(RegroupItems.size()), MSOFBT_REGROUPITEMS,
                       static_cast<uint32_t>(4 * RegroupItems.size()));
        for (uint32_t item : RegroupItems) WriteU32(stream, item);
    }
    WriteMSOHeader(stream, MSOContainerVersion, 0, MSOFBT_SPGRCONTAINER, static_cast<uint32_t>(48 + shapes));
    WriteMSOHeader(stream, MSOContainerVersion, 0, MSOFBT_SPCONTAINER, 40);
    WriteMSOHeader(stream, 1, 0, MSOFBT_SPGR, 16);
    for (uint32_t v : Root_.Rect) WriteU32(stream, v);
    WriteMSOHeader(stream, 2, 0, MSOFBT_SP, 8);
    WriteU32(stream, Root_.ShapeId);
    WriteU32(stream, Root_.Flags);
    for (int i = 0; i < Root_.Count(); ++i) Root_.Items(i).SaveToStream(stream, i > 0);
    if (SolverContainer) {
        BeginDrawingRecord(stream);
        SolverContainer->SaveToStream(stream);
        stream.EndContinuedRecord();
    }
    for (int i = 0; i < Root_.Count(); ++i) {
        const TShape& shape = Root_.Items(i);
        const auto* note = dynamic_cast<const TShapeOutsideMsoNote*>(shape.ObjPart.get());
        if (!note) continue;
        if (note->Author.size() > 0x7FFF) throw EBIFFError("Note author is too long");
        std::vector<uint8_t> body;
        base::AppendLE16(body, static_cast<uint16_t>(note->Row));
        base::AppendLE16(body, static_cast<uint16_t>(note->Col));
        base::AppendLE16(body, note->NoteFlags);
        base::AppendLE16(body, shape.CmoObjectId());
        base::AppendLE16(body, static_cast<uint16_t>(note->Author.size()));
        body.push_back(note->Author.empty() ? 0 : 1);
        for (char16_t c : note->Author) base::AppendLE16(body, c);
        stream.WriteHeader(BIFFRECID_NOTE, CheckedRecordLength(static_cast<int64_t>(body.size()), "NOTE record"));
        stream.WriteRaw(body.data(), static_cast<int64_t>(body.size()));
    }
}

}  // namespace xls
