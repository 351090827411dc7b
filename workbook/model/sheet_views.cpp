#include "workbook/model/sheet_views.h"

namespace xls {

void TXc12Pane::Clear() {
    xSplit = 0;
    ySplit = 0;
    ClearCellArea(topLeftCell);
    activePane = 3;
    state = 0;
    Present = 0;
}

void TXc12Selection::Clear() {
    pane = 3;
    SetCellAreaToCell(activeCell, 0, 0);
    activeCellId = 0;
    sqref.Clear();
    sqref.AddCell(0, 0);
}

void TXc12PivotAreaReference::Clear() {
    field = 0;
    selected = 1;
    byPosition = relative = defaultSubtotal = sumSubtotal = countASubtotal = avgSubtotal = 0;
    maxSubtotal = minSubtotal = productSubtotal = countSubtotal = stdDevSubtotal = 0;
    stdDevPSubtotal = varSubtotal = varPSubtotal = 0;
    Items.Clear();
}

void TXc12PivotArea::Clear() {
    field = 0;
    type = 1;
    dataOnly = 1;
    labelOnly = 0;
    grandRow = 0;
    grandCol = 0;
    cacheIndex = 0;
    outline = 1;
    ClearCellArea(offset);
    collapsedLevelsAreSubtotals = 0;
    axis = 4;
    fieldPosition = 0;
    references.Clear();
}

void TXc12PivotSelection::Clear() {
    pane = 3;
    showHeader = label = data = extendable = 0;
    axis = 4;
    dimension = start = min = max = 0;
    activeRow = activeCol = previousRow = previousCol = click = 0;
    rId.clear();
    pivotArea.Clear();
}

void TXc12SheetView::Clear() {
    windowProtection = 0;
    showFormulas = 0;
    showGridLines = 1;
    showRowColHeaders = 1;
    showZeros = 1;
    rightToLeft = 0;
    tabSelected = 0;
    showRuler = 1;
    showOutlineSymbols = 1;
    defaultGridColor = 1;
    showWhiteSpace = 1;
    view = 0;
    ClearCellArea(topLeftCell);
    colorId = 64;
    zoomScale = 100;
    zoomScaleNormal = 0;
    zoomScaleSheetLayoutView = 0;
    zoomScalePageLayoutView = 0;
    workbookViewId = 0;
    pane.Clear();
    selection.Clear();
    pivotSelection.Clear();
    zoomToFit = 0;
}

void TXc12PageSetup::Clear() {
    paperSize = 0;
    scale = 100;
    firstPageNumber = 1;
    fitToWidth = 1;
    fitToHeight = 1;
    pageOrder = 0;
    orientation = 0;
    usePrinterDefaults = 1;
    blackAndWhite = 0;
    draft = 0;
    cellComments = 0;
    useFirstPageNumber = 0;
    errors = 0;
    horizontalDpi = 600;
    verticalDpi = 600;
    copies = 1;
    PrinterSettings_.reset();
}

void TXc12PageSetup::SetPrinterSettings(std::unique_ptr<base::TStream> stream) {
    PrinterSettings_.reset();
    if (!stream) return;
    auto copy = std::make_unique<base::TMemoryStream>();
    copy->CopyFrom(*stream, 0);
    copy->SetPosition(0);
    PrinterSettings_ = std::move(copy);
}

void TXc12PageMargins::Clear() {
    left = 0.7;
    right = 0.7;
    top = 0.75;
    bottom = 0.75;
    header = 0.3;
    footer = 0.3;
}

void TXc12HeaderFooter::Clear() {
    differentOddEven = 0;
    differentFirst = 0;
    scaleWithDoc = 1;
    alignWithMargins = 1;
    oddHeader.clear();
    oddFooter.clear();
    evenHeader.clear();
    evenFooter.clear();
    firstHeader.clear();
    firstFooter.clear();
}

void TXc12PrintOptions::Clear() {
    horizontalCentered = 0;
    verticalCentered = 0;
    headings = 0;
    gridLines = 0;
    gridLinesSet = 1;
}

void TXc12CustomSheetView::Clear() {
    guid.clear();
    scale = 100;
    colorId = 64;
    showPageBreaks = 0;
    showFormulas = 0;
    showGridLines = 1;
    showRowCol = 1;
    outlineSymbols = 1;
    zeroValues = 1;
    fitToPage = 0;
    printArea = 0;
    filter = 0;
    showAutoFilter = 0;
    hiddenRows = 0;
    hiddenColumns = 0;
    state = 0;
    filterUnique = 0;
    view = 0;
    showRuler = 1;
    ClearCellArea(topLeftCell);
    pane.Clear();
    selection.Clear();
    rowBreaks.Clear();
    colBreaks.Clear();
    pageMargins.Clear();
    printOptions.Clear();
    pageSetup.Clear();
    headerFooter.Clear();
    autoFilter.Clear();
}

}  // namespace xls
