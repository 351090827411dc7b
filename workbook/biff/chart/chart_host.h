#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace xls {

class TXLSStream;
class TXc12Font;
class TXc12Fonts;

// What a chart needs from the workbook that holds it. The workbook implements it over its font
// list, its EXTERNSHEET table and its BIFF formula handler.
class TChartWorkbook {
public:
    virtual ~TChartWorkbook() = default;

    // The workbook's font list: chart text fonts (Fbi, FontX) are items of it.
    virtual TXc12Fonts& Fonts() = 0;
    // The index that records naming this font carry in the file: the one convention the XF
    // records use. FontAtFileIndex is its inverse; it raises the list's index error for an index
    // that names no font.
    virtual int FontFileIndex(const TXc12Font& font) = 0;
    virtual TXc12Font& FontAtFileIndex(int index) = 0;
    // A font that a new chart made for its texts, no longer needed since the chart is gone: it
    // leaves the list unless a cell format or a text run took it up meanwhile.
    virtual void DropFont(TXc12Font& font) = 0;

    // Makes sure an EXTERNSHEET entry exists for the sheet, so that references can name it.
    virtual void UseSheet(int sheetIndex) = 0;
    // Compiles a reference text (operand class 0) into BIFF8 tokens with EXTERNSHEET indexes;
    // returns the token length. Tokens longer than bufSize raise the encoder's error.
    virtual int EncodeFormula(std::u16string_view text, uint8_t* buf, int bufSize) = 0;
    // The text of BIFF8 tokens, sheet names included.
    virtual std::u16string DecodeFormula(std::span<const uint8_t> tokens) = 0;
};

// The object that owns a chart's record tree: an embedded chart's shape or the chart-sheet
// collection. It keeps the Escher drawing that an MsoDrawing record of the chart begins.
class TChartOwner {
public:
    virtual ~TChartOwner() = default;

    virtual TChartWorkbook& Workbook() = 0;
    // Whether the owner can hold a drawing; without one an MsoDrawing record is refused.
    virtual bool HoldsDrawing() const = 0;
    // The stream stands after the header of an MsoDrawing record of this length: the drawing
    // reads itself from here.
    virtual void ReadDrawing(TXLSStream& stream, uint16_t length) = 0;
    // Writes the drawing in the place of the tree's MsoDrawing record.
    virtual void WriteDrawing(TXLSStream& stream) = 0;
};

class TChartRecord;

// The Escher drawing that an MsoDrawing record of a chart sheet begins (shapes over the chart).
class TChartDrawing {
public:
    virtual ~TChartDrawing() = default;

    // The stream stands after the header of the MsoDrawing record of this length.
    virtual void LoadFromStream(TXLSStream& stream, uint16_t length) = 0;
    virtual void SaveToStream(TXLSStream& stream) = 0;
};

// A sheet's drawing layer as its charts use it: it creates and deletes the shapes that own the
// charts' record trees.
class TChartSheetDrawing {
public:
    virtual ~TChartSheetDrawing() = default;

    // A new chart shape; the result is the empty root of the tree that the shape owns.
    virtual TChartRecord& AddChartShape() = 0;
    // Deletes the shape that owns the tree of this root, and with it the tree.
    virtual void DeleteChartShape(TChartRecord& root) = 0;
};

}  // namespace xls
