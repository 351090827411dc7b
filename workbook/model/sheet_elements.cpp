#include "workbook/model/sheet_elements.h"

#include "workbook/model/cell_reference.h"

namespace xls {

TXc12InputCell* Tx12InputCells::AddRef(std::u16string_view text) {
    TXc12InputCell* cell = Add();
    int col = 0;
    int row = 0;
    if (RefStrToColRow(text, col, row)) {
        cell->col = col;
        cell->row = row;
    }
    return cell;
}

void TXc12Scenarios::Clear() {
    TXc12ObjectList::Clear();
    current = 0;
    show = 0;
}

void TXc12DataConsolidate::Clear() {
    function = 8;
    leftLabels = 0;
    topLabels = 0;
    link = 0;
    dataRefs.Clear();
}

}  // namespace xls
