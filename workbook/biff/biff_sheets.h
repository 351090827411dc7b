#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "workbook/biff/record_storage.h"
#include "workbook/biff/record_storage_sheet.h"

namespace xls {

class TBIFF5;
class TDrwChart;
class TDrwCharts;
class TFormulaHandler;
class TXLSStream;

enum THiddenState : uint8_t { hsVisible = 0, hsHidden = 1, hsVeryHidden = 2 };

enum TSheetOption : uint16_t {
    soShowFormulas = 0x0001,
    soGridlines = 0x0002,
    soRowColHeadings = 0x0004,
    soFrozenPanes = 0x0008,
    soShowZeros = 0x0010,
    soProtected = 0x0100,
    soR1C1Mode = 0x0200,
    soIteration = 0x0400,
};
using TSheetOptions = uint16_t;

enum TWorkspaceOption : uint16_t {
    woShowAutoBreaks = 0x0001,
    woApplyStyles = 0x0020,
    woRowSumsBelow = 0x0040,
    woColSumsRight = 0x0080,
    woFitToPage = 0x0100,
    woOutlineSymbols = 0x0400,
};
using TWorkspaceOptions = uint16_t;

// A sheet's drawing layer or chart collection as the writer sees it: the drawing layer writes
// its records (and the chart substreams of its charts) behind the sheet's cells.
class TSheetDrawingPart {
public:
    virtual ~TSheetDrawingPart() = default;
    virtual int ShapeCount() const = 0;
    virtual void SaveToStream(TXLSStream& stream) = 0;
    virtual void Clear() = 0;
    // The embedded charts of the layer, and a new one for the sheet at sheetIndex; a layer
    // that holds no charts raises.
    virtual TDrwCharts& Charts();
    virtual TDrwChart& AddChart(int sheetIndex);
    // Reading a file: the stream stands at the body of the sheet's first MSODRAWING record (the
    // whole drawing with its objects' records follows) or of a NOTE record of length bytes.
    // A layer that reads no drawings raises.
    virtual void LoadFromStream(TXLSStream& stream, uint16_t length);
    virtual void LoadNote(TXLSStream& stream, uint16_t length);
    // After the whole file: pictures are referred to by their place in the group as kept.
    virtual void AfterRead() {}
};

class TSheets;

// What the format keeps per worksheet beside the model: the substream's stored records, the
// drawing and chart holders, protection and view settings.
class TSheet {
public:
    explicit TSheet(TSheets& owner, uint8_t kind);

    void Clear();
    void Assign(const TSheet& source);

    const std::u16string& GetName() const { return Name_; }
    // Raises when another sheet already has the name (case ignored).
    void SetName(const std::u16string& value);
    void SetNameDirect(const std::u16string& value) { Name_ = value; }
    int GetIndex() const;
    uint8_t Kind() const { return Kind_; }

    TRecordStorageSheet& Records() { return Records_; }
    const TRecordStorageSheet& Records() const { return Records_; }
    TBaseRecordStorage& AfterCellRecords() { return AfterCellRecords_; }
    bool StorageFilled = false;

    TSheetOptions GetOptions() const;
    void SetOptions(TSheetOptions value);
    TWorkspaceOptions GetWorkspaceOptions() const;
    void SetWorkspaceOptions(TWorkspaceOptions value);
    uint16_t GetZoom() const;
    void SetZoom(uint16_t value);
    uint16_t GetZoomPreview() const;
    void SetZoomPreview(uint16_t value);
    uint16_t GetDefaultColWidth() const { return Records_.DEFCOLWIDTH(); }
    void SetDefaultColWidth(uint16_t value) { Records_.SetDEFCOLWIDTH(value); }

    bool RecalcFormulas = true;
    THiddenState Hidden = hsVisible;
    uint16_t SheetProtection = 0x7FFF;
    int32_t SheetNumber = 0;

    // The drawing layer with the embedded charts; empty until the sheet is given one, or until
    // Charts or AddChart asks the document to make it.
    std::unique_ptr<TSheetDrawingPart> EscherDrawing;
    TDrwCharts& Charts() { return DrawingLayer().Charts(); }
    // A new chart with one series: its shape in the sheet's drawing, its record tree the
    // default chart substream.
    TDrwChart& AddChart() { return DrawingLayer().AddChart(GetIndex()); }
    // The sheet's drawing layer, made by the document when the sheet has none yet.
    TSheetDrawingPart& DrawingLayer();

private:
    TSheets& Owner_;
    std::u16string Name_;
    uint8_t Kind_;
    TRecordStorageSheet Records_;
    TBaseRecordStorage AfterCellRecords_;
};

class TSheets {
public:
    TSheets(TBIFF5& document, TFormulaHandler& handler) : Document_(document), Handler_(handler) {}

    TSheet& Add(uint8_t kind);
    int Count() const { return static_cast<int>(Items_.size()); }
    // Raises "List index out of bounds (n)" outside 0..Count-1.
    TSheet& GetItems(int index) const;
    TSheet* FindByName(const std::u16string& name) const;
    void Delete(int index, bool keepOne);
    void Clear();
    TSheet& ClearToOne();
    int IndexOf(const TSheet& sheet) const;
    TBIFF5& GetOwner() const { return Document_; }

private:
    TBIFF5& Document_;
    TFormulaHandler& Handler_;
    std::vector<std::unique_ptr<TSheet>> Items_;
    int Running_ = 0;
};

}  // namespace xls
