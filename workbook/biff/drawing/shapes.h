#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "workbook/biff/drawing/drawing_anchor.h"
#include "workbook/biff/drawing/shape_properties.h"

namespace xls {

class TXLSStream;
class TEscherDrawing;
class TShapeGroup;

// One subrecord of an OBJ record: ft, then cb = Data.size() bytes.
struct TObjSubrecord {
    uint16_t Ft = 0;
    std::vector<uint8_t> Data;
};

// The BIFF records of a shape that follow its OBJ record (text, note, chart), and for form
// controls the OBJ itself.
class TShapeOutsideMso {
public:
    explicit TShapeOutsideMso(int16_t objId) : ObjId(objId) {}
    virtual ~TShapeOutsideMso();

    virtual void AssignTo(TShapeOutsideMso& dest) const = 0;
    virtual void LoadFromStream(TXLSStream& stream) = 0;
    virtual void SaveToStream(TXLSStream& stream) const = 0;
    // Offered the shape's OBJ subrecords; true takes them over.
    virtual bool TakeObjData(std::vector<TObjSubrecord>&) { return false; }
    // A text-bearing part writes an OfficeArtClientTextbox header in a record of its own.
    virtual bool HasClientTextbox() const { return false; }

    bool OwnsObjData = false;
    int16_t ObjId = 0;
    int16_t CmoFlags = 0;
};

// A shape of the drawing: its OfficeArt records and the BIFF records that belong to it.
class TShape {
public:
    virtual ~TShape();

    // Byte length of the shape's OfficeArt records as written, headers included.
    virtual int64_t GetSize() const;
    // Writes the shape; withRecordHeader opens an MSODRAWING record of its own for it, otherwise
    // the caller has one open. The open record is closed before the OBJ.
    virtual void SaveToStream(TXLSStream& stream, bool withRecordHeader) const;
    // Copies everything but the shape id (the caller gives one); groups need the drawing for
    // their children's ids.
    virtual void CopyTo(TShape& dest, TEscherDrawing* drawing) const;

    virtual TMSOObjCLIENTANCHOR* ClientAnchor() { return nullptr; }
    virtual std::array<uint32_t, 4>* ChildAnchor() { return nullptr; }
    virtual TShapeGroup* AsGroup() { return nullptr; }
    const TShapeGroup* AsGroup() const { return const_cast<TShape*>(this)->AsGroup(); }

    // Object type and id of the ftCmo subrecord (0 when there is none).
    uint16_t CmoObjectType() const;
    uint16_t CmoObjectId() const;
    bool HasTextPart() const { return ObjPart && ObjPart->HasClientTextbox(); }
    // Stores the type; lines, rectangles and ovals carry a matching OBJ object type.
    void SetShapeType(uint16_t type);
    // Properties that make a shape act as a button when a macro is assigned.
    void SetButtonFlags();

    uint32_t ShapeId = 0;
    uint16_t ShapeType = 0;
    uint32_t Flags = 0;
    TOPT Properties;
    TOPT TertiaryProperties;  // read, never written
    std::unique_ptr<TMSORecords> KeptRecords;
    std::vector<TObjSubrecord> ObjSubrecords;
    std::unique_ptr<TShapeOutsideMso> ObjPart;

protected:
    int64_t BaseSize() const;
    // FSP, properties, kept records, anchor and client data.
    void WriteRecords(TXLSStream& stream) const;
    // Closes the open MSODRAWING record and writes the OBJ and what follows it.
    void WriteObj(TXLSStream& stream) const;
    virtual void WriteAnchor(TXLSStream& stream) const = 0;
    void CopyCommon(TShape& dest) const;
};

class TShapeClientAnchor : public TShape {
public:
    int64_t GetSize() const override { return BaseSize() + 26; }
    TMSOObjCLIENTANCHOR* ClientAnchor() override { return &Anchor; }
    void CopyTo(TShape& dest, TEscherDrawing* drawing) const override;

    uint8_t Visible = 1;
    TMSOObjCLIENTANCHOR Anchor;

protected:
    void WriteAnchor(TXLSStream& stream) const override { Anchor.SaveToStream(stream); }
};

class TShapeChildAnchor : public TShape {
public:
    int64_t GetSize() const override { return BaseSize() + 24; }
    std::array<uint32_t, 4>* ChildAnchor() override { return &Child; }
    void CopyTo(TShape& dest, TEscherDrawing* drawing) const override;

    std::array<uint32_t, 4> Child{};  // left, top, right, bottom

protected:
    void WriteAnchor(TXLSStream& stream) const override;
};

class TShapeGroup : public TShape {
public:
    int64_t GetSize() const override;
    virtual int64_t GetOwnSize() const = 0;
    void SaveToStream(TXLSStream& stream, bool withRecordHeader) const override;
    TShapeGroup* AsGroup() override { return this; }

    void Add(std::unique_ptr<TShape> shape) { Children_.push_back(std::move(shape)); }
    int Count() const { return static_cast<int>(Children_.size()); }
    TShape& Items(int index) const { return *Children_.at(static_cast<size_t>(index)); }
    void Delete(int index) { Children_.erase(Children_.begin() + index); }
    void Clear() { Children_.clear(); }
    // The group's child shapes copied into dest with new ids from the drawing.
    void CopyChildren(TShapeGroup& dest, TEscherDrawing* drawing) const;

    std::array<uint32_t, 4> Rect{};  // OfficeArtFSPGR

private:
    std::vector<std::unique_ptr<TShape>> Children_;
};

class TShapeGroupClientAnchor : public TShapeGroup {
public:
    int64_t GetOwnSize() const override { return BaseSize() + 58; }
    TMSOObjCLIENTANCHOR* ClientAnchor() override { return &Anchor; }
    void CopyTo(TShape& dest, TEscherDrawing* drawing) const override;

    TMSOObjCLIENTANCHOR Anchor;

protected:
    void WriteAnchor(TXLSStream& stream) const override { Anchor.SaveToStream(stream); }
};

class TShapeGroupChildAnchor : public TShapeGroup {
public:
    int64_t GetOwnSize() const override { return BaseSize() + 56; }
    std::array<uint32_t, 4>* ChildAnchor() override { return &Child; }
    void CopyTo(TShape& dest, TEscherDrawing* drawing) const override;

    std::array<uint32_t, 4> Child{};

protected:
    void WriteAnchor(TXLSStream& stream) const override;
};

// Opens an MSODRAWING record whose length is fixed when it is closed (EndContinuedRecord):
// a drawing part beyond one record's data goes on in CONTINUE records instead of wrapping
// the 16-bit length.
void BeginDrawingRecord(TXLSStream& stream);

}  // namespace xls
