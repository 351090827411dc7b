#include "workbook/model/autofilter.h"

namespace xls {

void TXc12Filters::Clear() {
    blank = 0;
    calendarType = 0;
    Values.clear();
    dateGroupItem.Clear();
}

void TXc12CustomFilters::Clear() {
    Filter1.Clear();
    Filter2.Clear();
    and_ = 0;
}

void TXc12SortCondition::Clear() {
    descending = 0;
    sortBy = 0;
    SetCellAreaToCell(ref, 0, 0);
    customList.clear();
    dxfId = -1;
    iconSet = 0;
    iconId = 0;
}

void TXc12SortState::Clear() {
    columnSort = 0;
    caseSensitive = 0;
    sortMethod = 2;
    ClearCellArea(ref);
    sortCondition.Clear();
}

void TXc12AutoFilter::Clear() {
    filterColumns.Clear();
    sortState.Clear();
    ClearCellArea(ref);
}

}  // namespace xls
