#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "base/memory_stream.h"
#include "workbook/model/autofilter.h"
#include "workbook/model/cell_area.h"
#include "workbook/model/cell_areas.h"
#include "workbook/model/integer_list.h"
#include "workbook/model/model_list.h"

namespace xls {

// Sheet views with panes and selections, custom sheet views and the page layout of a sheet.

class TXc12Pane {
public:
    TXc12Pane() { Clear(); }
    void Clear();
    double xSplit;
    double ySplit;
    TXLSCellArea topLeftCell;
    uint8_t activePane;
    uint8_t state;
    // Set by the BIFF reader when the file has a pane record.
    uint8_t Present;
};

class TXc12Selection {
public:
    TXc12Selection() { Clear(); }
    TXc12Selection(const TXc12Selection&) = delete;
    TXc12Selection& operator=(const TXc12Selection&) = delete;
    // Pane 3, A1 as the active cell and as the only area.
    void Clear();
    uint8_t pane;
    TXLSCellArea activeCell;
    int32_t activeCellId;
    TCellAreas sqref;
};

using TXc12Selections = TXc12ObjectList<TXc12Selection>;

class TXc12PivotAreaReference {
public:
    TXc12PivotAreaReference() { Clear(); }
    void Clear();
    int32_t field;
    uint8_t selected;
    uint8_t byPosition;
    uint8_t relative;
    uint8_t defaultSubtotal;
    uint8_t sumSubtotal;
    uint8_t countASubtotal;
    uint8_t avgSubtotal;
    uint8_t maxSubtotal;
    uint8_t minSubtotal;
    uint8_t productSubtotal;
    uint8_t countSubtotal;
    uint8_t stdDevSubtotal;
    uint8_t stdDevPSubtotal;
    uint8_t varSubtotal;
    uint8_t varPSubtotal;
    TIntegerList Items;
};

using TXc12PivotAreaReferences = TXc12ObjectList<TXc12PivotAreaReference>;

class TXc12PivotArea {
public:
    TXc12PivotArea() { Clear(); }
    void Clear();
    int32_t field;
    uint8_t type;
    uint8_t dataOnly;
    uint8_t labelOnly;
    uint8_t grandRow;
    uint8_t grandCol;
    uint8_t cacheIndex;
    uint8_t outline;
    TXLSCellArea offset;
    uint8_t collapsedLevelsAreSubtotals;
    uint8_t axis;
    int32_t fieldPosition;
    TXc12PivotAreaReferences references;
};

class TXc12PivotSelection {
public:
    TXc12PivotSelection() { Clear(); }
    void Clear();
    uint8_t pane;
    uint8_t showHeader;
    uint8_t label;
    uint8_t data;
    uint8_t extendable;
    // Neither cleared nor written.
    int32_t count = 0;
    uint8_t axis;
    int32_t dimension;
    int32_t start;
    int32_t min;
    int32_t max;
    int32_t activeRow;
    int32_t activeCol;
    int32_t previousRow;
    int32_t previousCol;
    int32_t click;
    std::string rId;
    TXc12PivotArea pivotArea;
};

using TXc12PivotSelections = TXc12ObjectList<TXc12PivotSelection>;

class TXc12SheetView {
public:
    TXc12SheetView() { Clear(); }
    void Clear();
    uint8_t windowProtection;
    uint8_t showFormulas;
    uint8_t showGridLines;
    uint8_t showRowColHeaders;
    uint8_t showZeros;
    uint8_t rightToLeft;
    uint8_t tabSelected;
    uint8_t showRuler;
    uint8_t showOutlineSymbols;
    uint8_t defaultGridColor;
    uint8_t showWhiteSpace;
    uint8_t view;
    TXLSCellArea topLeftCell;
    int32_t colorId;
    int32_t zoomScale;
    int32_t zoomScaleNormal;
    int32_t zoomScaleSheetLayoutView;
    int32_t zoomScalePageLayoutView;
    int32_t workbookViewId;
    TXc12Pane pane;
    TXc12Selections selection;
    TXc12PivotSelections pivotSelection;
    // Used for chart sheets.
    uint8_t zoomToFit;
};

using TXc12SheetViews = TXc12ObjectList<TXc12SheetView>;

class TXc12PageSetup {
public:
    TXc12PageSetup() { Clear(); }
    void Clear();
    // Takes the stream: its whole content becomes the printer settings and the stream is freed.
    void SetPrinterSettings(std::unique_ptr<base::TStream> stream);
    const base::TMemoryStream* PrinterSettings() const { return PrinterSettings_.get(); }

    int32_t paperSize;
    int32_t scale;
    int32_t firstPageNumber;
    int32_t fitToWidth;
    int32_t fitToHeight;
    uint8_t pageOrder;
    uint8_t orientation;
    uint8_t usePrinterDefaults;
    uint8_t blackAndWhite;
    uint8_t draft;
    uint8_t cellComments;
    uint8_t useFirstPageNumber;
    uint8_t errors;
    int32_t horizontalDpi;
    int32_t verticalDpi;
    int32_t copies;

private:
    std::unique_ptr<base::TMemoryStream> PrinterSettings_;
};

class TXc12PageMargins {
public:
    TXc12PageMargins() { Clear(); }
    void Clear();
    double left;
    double right;
    double top;
    double bottom;
    double header;
    double footer;
};

class TXc12HeaderFooter {
public:
    TXc12HeaderFooter() { Clear(); }
    void Clear();
    uint8_t differentOddEven;
    uint8_t differentFirst;
    uint8_t scaleWithDoc;
    uint8_t alignWithMargins;
    std::u16string oddHeader;
    std::u16string oddFooter;
    std::u16string evenHeader;
    std::u16string evenFooter;
    std::u16string firstHeader;
    std::u16string firstFooter;
};

class TXc12PrintOptions {
public:
    TXc12PrintOptions() { Clear(); }
    void Clear();
    uint8_t horizontalCentered;
    uint8_t verticalCentered;
    uint8_t headings;
    uint8_t gridLines;
    uint8_t gridLinesSet;
};

class TXc12Break {
public:
    int32_t id = 0;
    int32_t min = 0;
    int32_t max = 0;
    uint8_t man = 0;
    uint8_t pt = 0;
};

using TXc12PageBreaks = TXc12ObjectList<TXc12Break>;

class TXc12CustomSheetView {
public:
    explicit TXc12CustomSheetView(TXLSClassFactory& factory) : autoFilter(factory), Factory_(factory) { Clear(); }
    // Every attribute and every owned object back to the defaults.
    void Clear();
    TXLSClassFactory& ClassFactory() const { return Factory_; }

    std::u16string guid;
    int32_t scale;
    int32_t colorId;
    uint8_t showPageBreaks;
    uint8_t showFormulas;
    uint8_t showGridLines;
    uint8_t showRowCol;
    uint8_t outlineSymbols;
    uint8_t zeroValues;
    uint8_t fitToPage;
    uint8_t printArea;
    uint8_t filter;
    uint8_t showAutoFilter;
    uint8_t hiddenRows;
    uint8_t hiddenColumns;
    uint8_t state;
    uint8_t filterUnique;
    uint8_t view;
    uint8_t showRuler;
    TXLSCellArea topLeftCell;
    TXc12Pane pane;
    TXc12Selection selection;
    TXc12PageBreaks rowBreaks;
    TXc12PageBreaks colBreaks;
    TXc12PageMargins pageMargins;
    TXc12PrintOptions printOptions;
    TXc12PageSetup pageSetup;
    TXc12HeaderFooter headerFooter;
    TXc12AutoFilter autoFilter;

private:
    TXLSClassFactory& Factory_;
};

class TXc12CustomSheetViews : public TXc12ObjectList<TXc12CustomSheetView> {
public:
    explicit TXc12CustomSheetViews(TXLSClassFactory& factory) : Factory_(factory) {}
    TXc12CustomSheetView* Add() { return TXc12ObjectList::Add(Factory_); }

private:
    TXLSClassFactory& Factory_;
};

}  // namespace xls
