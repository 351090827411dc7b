#pragma once

#include <cstdint>
#include <string>

namespace xls {

class TXLSStream;
class TShapeClientAnchor;

// The 18-byte client anchor (OfficeArtClientAnchorSheet): two cells and the offsets inside
// them. Held as 32-bit values; the file keeps the low 16 bits.
class TMSOObjCLIENTANCHOR {
public:
    uint32_t Flags = 0;  // bit 0 fMove, bit 1 fSize; other bits kept from the file
    uint32_t ColL = 0;
    uint32_t DxL = 0;  // 1/1024 of the column's width
    uint32_t RwT = 0;
    uint32_t DyT = 0;  // 1/256 of the row's height
    uint32_t ColR = 0;
    uint32_t DxR = 0;
    uint32_t RwB = 0;
    uint32_t DyB = 0;

    static constexpr int BodySize = 18;

    // Reads the body; the caller has read the OfficeArt header.
    template <class Reader>
    void LoadFromStream(Reader& reader);
    void LoadFromBytes(const uint8_t* body);
    // Writes header and body.
    void SaveToStream(TXLSStream& stream) const;
    void CopyTo(TMSOObjCLIENTANCHOR& dest) const { dest = *this; }
};

template <class Reader>
void TMSOObjCLIENTANCHOR::LoadFromStream(Reader& reader) {
    uint8_t body[BodySize];
    reader.Read(body, BodySize);
    LoadFromBytes(body);
}

// The anchor of one drawing object as its collection shows it: cells and cell fractions.
class TDrwAnchor {
public:
    virtual ~TDrwAnchor();

    virtual std::string GetDisplayName() const { return Name; }
    virtual void SetShape(TShapeClientAnchor* shape) { Shape_ = shape; }
    TShapeClientAnchor* Shape() const { return Shape_; }

    int32_t Col1() const;
    int32_t Row1() const;
    int32_t Col2() const;
    int32_t Row2() const;
    void SetCol1(int32_t value);
    void SetRow1(int32_t value);
    void SetCol2(int32_t value);
    void SetRow2(int32_t value);
    double Col1Offset() const;
    double Row1Offset() const;
    double Col2Offset() const;
    double Row2Offset() const;
    void SetCol1Offset(double value);
    void SetRow1Offset(double value);
    void SetCol2Offset(double value);
    void SetRow2Offset(double value);
    bool FlipHorizontal() const;
    bool FlipVertical() const;
    void SetFlipHorizontal(bool value);
    void SetFlipVertical(bool value);
    uint32_t SpId() const;

    std::string Name;

private:
    TMSOObjCLIENTANCHOR& Anchor() const;

    TShapeClientAnchor* Shape_ = nullptr;  // owned by the sheet's drawing
};

// A cell fraction clamped to 0..1 and scaled to 1/unit, halves to the even neighbour.
uint32_t AnchorOffsetFromFraction(double value, int unit);

}  // namespace xls
