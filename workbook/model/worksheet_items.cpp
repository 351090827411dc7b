#include "workbook/model/worksheet_items.h"

#include <algorithm>

namespace xls {

bool TXc12Column::Equal(const TXc12Column& other) const {
    return width == other.width && style == other.style && outlineLevel == other.outlineLevel && Flags == other.Flags;
}

TXc12Column* TXc12Columns::Add(TXc12XF* style) {
    TXc12Column* column = TXc12ObjectList::Add();
    column->style = style;
    return column;
}

void TXc12Columns::Sort() {
    std::stable_sort(Items_.begin(), Items_.end(), [](const auto& a, const auto& b) { return a->min < b->min; });
}

TXc12MergedCell* TXc12MergedCells::AddArea(const TXLSCellArea& area) {
    std::unique_ptr<TXc12MergedCell> cell = Factory_.Create<TXc12MergedCell>(xckMergedCell, this);
    cell->Area = area;
    TXc12MergedCell* result = cell.get();
    Items_.push_back(std::move(cell));
    return result;
}

void TXc12Hyperlink::Clear() {
    LinkType = xhltNone;
    display.clear();
    Address_.clear();
    location.clear();
    ClearCellArea(ref);
    tooltip.clear();
}

void TXc12Hyperlink::SetAddress(std::u16string_view text) {
    Address_ = text;
    AddressChanged();
}

void TXc12Hyperlink::AssignLink(const TXc12Hyperlink& source) {
    LinkType = source.LinkType;
    display = source.display;
    Address_ = source.Address_;
    location = source.location;
    ref = source.ref;
    tooltip = source.tooltip;
    TargetFrame = source.TargetFrame;
    LocationString = source.LocationString;
    WrittenType = source.WrittenType;
}

TXc12Hyperlink* TXc12Hyperlinks::Add() {
    std::unique_ptr<TXc12Hyperlink> link = Factory_.Create<TXc12Hyperlink>(xckHyperlink, this);
    link->Clear();
    TXc12Hyperlink* result = link.get();
    Items_.push_back(std::move(link));
    return result;
}

std::unique_ptr<TCellArea> TXc12Hyperlinks::CreateArea() const {
    std::unique_ptr<TXc12Hyperlink> link =
        Factory_.Create<TXc12Hyperlink>(xckHyperlink, const_cast<TXc12Hyperlinks*>(this));
    link->Clear();
    return link;
}

void TXc12Hyperlinks::Delete(int col1, int row1, int col2, int row2) {
    const TXLSCellArea rect = MakeCellArea(col1, row1, col2, row2);
    std::vector<std::unique_ptr<TCellArea>> kept;
    std::vector<TXLSCellArea> pieces;
    for (std::unique_ptr<TCellArea>& item : Items_) {
        if (!item->Meets(col1, row1, col2, row2)) {
            kept.push_back(std::move(item));
            continue;
        }
        const auto& link = static_cast<const TXc12Hyperlink&>(*item);
        CutArea(link.GetBounds(), rect, pieces);
        for (const TXLSCellArea& piece : pieces) {
            std::unique_ptr<TCellArea> clone = CreateArea();
            auto& copy = static_cast<TXc12Hyperlink&>(*clone);
            copy.AssignLink(link);
            copy.ref = piece;
            kept.push_back(std::move(clone));
        }
    }
    Items_ = std::move(kept);
}

void TXc12SheetPr::Clear() {
    syncHorizontal = 0;
    syncVertical = 0;
    ClearCellArea(syncRef);
    transitionEvaluation = 0;
    transitionEntry = 0;
    published = 1;
    codeName.clear();
    filterMode = 0;
    enableFormatConditionsCalculation = 1;
    tabColor = TXc12Color();
    tabColor.Kind = xc12ckUnassigned;
    outlinePr.Clear();
    pageSetUpPr.Clear();
}

}  // namespace xls
