#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "workbook/model/cell_area.h"
#include "workbook/model/cell_areas.h"
#include "workbook/model/class_factory.h"
#include "workbook/model/color.h"
#include "workbook/model/model_list.h"

namespace xls {

class TXc12XF;

// Columns, merged cells, hyperlinks, sheet properties and protection of a worksheet.

enum TXc12ColumnFlag : uint8_t {
    xcfHidden = 0x01,
    xcfBestFit = 0x02,
    xcfCustomWidth = 0x04,
    xcfPhonetic = 0x08,
    xcfCollapsed = 0x10,
};

class TXc12Column {
public:
    void Assign(const TXc12Column& source) { *this = source; }
    // Width, style, outline level and flags; the range is not compared.
    bool Equal(const TXc12Column& other) const;

    int32_t min = 0;
    int32_t max = 0;
    double width = 0;
    TXc12XF* style = nullptr;
    int32_t outlineLevel = 0;
    uint8_t Flags = 0;
};

class TXc12Columns : public TXc12ObjectList<TXc12Column> {
public:
    TXc12Column* Add(TXc12XF* style);
    // Orders the records by first column (their ranges never overlap).
    void Sort();
};

// One merged area.
class TXc12MergedCell : public TCellArea, public TXLSFactoryObject {
public:
    int GetCol1() const override { return Area.Col1; }
    int GetRow1() const override { return Area.Row1; }
    int GetCol2() const override { return Area.Col2; }
    int GetRow2() const override { return Area.Row2; }
    void SetCol1(int value) override { Area.Col1 = value; }
    void SetRow1(int value) override { Area.Row1 = value; }
    void SetCol2(int value) override { Area.Col2 = value; }
    void SetRow2(int value) override { Area.Row2 = value; }

    TXLSCellArea Area{0, 0, 0, 0};
};

class TXc12MergedCells : public TSolidCellAreas, public TXLSFactoryObject {
public:
    explicit TXc12MergedCells(TXLSClassFactory& factory) : Factory_(factory) {}
    using TBaseCellAreas::AddArea;
    // Appended through the class factory; no overlap or duplicate test.
    TXc12MergedCell* AddArea(const TXLSCellArea& area);
    TXc12MergedCell* GetItems(int index) const {
        return static_cast<TXc12MergedCell*>(TBaseCellAreas::GetItems(index));
    }

protected:
    std::unique_ptr<TCellArea> CreateArea() const override { return std::make_unique<TXc12MergedCell>(); }

private:
    TXLSClassFactory& Factory_;
};

enum TXc12HyperlinkType : uint8_t { xhltNone = 0, xhltURL = 1, xhltFile = 2, xhltUNC = 3, xhltWorkbook = 4 };

class TXc12Hyperlinks;

class TXc12Hyperlink : public TCellArea, public TXLSFactoryObject {
public:
    int GetCol1() const override { return ref.Col1; }
    int GetRow1() const override { return ref.Row1; }
    int GetCol2() const override { return ref.Col2; }
    int GetRow2() const override { return ref.Row2; }
    void SetCol1(int value) override { ref.Col1 = value; }
    void SetRow1(int value) override { ref.Row1 = value; }
    void SetCol2(int value) override { ref.Col2 = value; }
    void SetRow2(int value) override { ref.Row2 = value; }
    // The interface hyperlink classifies the address here.
    virtual void AddressChanged() {}

    // The fields a clear sets (the BIFF-only fields stay).
    void Clear();
    void SetAddress(std::u16string_view text);
    const std::u16string& GetAddress() const { return Address_; }
    // Every field of source; the area too.
    void AssignLink(const TXc12Hyperlink& source);

    uint8_t LinkType = xhltNone;
    std::u16string display;
    std::u16string location;
    TXLSCellArea ref;
    std::u16string tooltip;
    std::u16string TargetFrame;
    std::u16string LocationString;
    uint8_t WrittenType = 0;

protected:
    std::u16string Address_;
};

class TXc12Hyperlinks : public TCellAreas, public TXLSFactoryObject {
public:
    explicit TXc12Hyperlinks(TXLSClassFactory& factory) : Factory_(factory) {}
    // A cleared hyperlink made by the class factory.
    TXc12Hyperlink* Add();
    TXc12Hyperlink* GetItems(int index) const { return static_cast<TXc12Hyperlink*>(TBaseCellAreas::GetItems(index)); }
    // A hyperlink cut by the rectangle leaves hyperlinks with the same target over the pieces.
    void Delete(int col1, int row1, int col2, int row2) override;
    using TBaseCellAreas::Delete;

protected:
    // Every area of the list is a hyperlink.
    std::unique_ptr<TCellArea> CreateArea() const override;

private:
    TXLSClassFactory& Factory_;
};

class TXc12OutlinePr {
public:
    void Clear() { applyStyles = 0, summaryBelow = 1, summaryRight = 1, showOutlineSymbols = 1; }
    uint8_t applyStyles = 0;
    uint8_t summaryBelow = 1;
    uint8_t summaryRight = 1;
    uint8_t showOutlineSymbols = 1;
};

class TXc12PageSetupPr {
public:
    void Clear() { autoPageBreaks = 1, fitToPage = 0; }
    uint8_t autoPageBreaks = 1;
    uint8_t fitToPage = 0;
};

class TXc12SheetPr {
public:
    TXc12SheetPr() { Clear(); }
    void Clear();
    uint8_t syncHorizontal;
    uint8_t syncVertical;
    TXLSCellArea syncRef;
    uint8_t transitionEvaluation;
    uint8_t transitionEntry;
    uint8_t published;
    std::u16string codeName;
    uint8_t filterMode;
    uint8_t enableFormatConditionsCalculation;
    TXc12Color tabColor;
    TXc12OutlinePr outlinePr;
    TXc12PageSetupPr pageSetUpPr;
};

class TXc12SheetFormatPr {
public:
    void Clear() { *this = TXc12SheetFormatPr(); }
    int32_t baseColWidth = 8;
    double defaultColWidth = 0;
    // In twips; 0 = none.
    double defaultRowHeight = 0;
    uint8_t customHeight = 0;
    uint8_t zeroHeight = 0;
    uint8_t thickTop = 0;
    uint8_t thickBottom = 0;
    int32_t outlineLevelRow = 0;
    int32_t outlineLevelCol = 0;
};

class TXc12SheetCalcPr {
public:
    void Clear() { fullCalcOnLoad = 0; }
    uint8_t fullCalcOnLoad = 0;
};

class TXc12SheetProtection {
public:
    void Clear() { *this = TXc12SheetProtection(); }
    uint16_t password = 0;
    uint8_t sheet = 0;
    uint8_t objects = 0;
    uint8_t scenarios = 0;
    uint8_t formatCells = 1;
    uint8_t formatColumns = 1;
    uint8_t formatRows = 1;
    uint8_t insertColumns = 1;
    uint8_t insertRows = 1;
    uint8_t insertHyperlinks = 1;
    uint8_t deleteColumns = 1;
    uint8_t deleteRows = 1;
    uint8_t selectLockedCells = 0;
    uint8_t sort = 1;
    uint8_t autoFilter = 1;
    uint8_t pivotTables = 1;
    uint8_t selectUnlockedCells = 0;
};

class TXc12ProtectedRange {
public:
    int32_t password = 0;
    TCellAreas sqref;
    std::u16string name;
    std::u16string securityDescriptor;
};

using TXc12ProtectedRanges = TXc12ObjectList<TXc12ProtectedRange>;

}  // namespace xls
