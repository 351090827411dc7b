#include "workbook/formula/cells_source.h"

#include <algorithm>

#include "workbook/formula/formula_value.h"
#include "workbook/model/cell_store.h"

namespace xls {

TXLSCellsSource::TXLSCellsSource(TXLSCellMMU& store, int col1, int row1, int col2, int row2)
    : Col1(std::min(col1, col2)),
      Row1(std::min(row1, row2)),
      Col2(std::max(col1, col2)),
      Row2(std::max(row1, row2)),
      CellStore(&store) {
    Reset();
}

TXLSCellsSource::TXLSCellsSource(const TXLSArrayItem& array)
    : Col2(array.ColCount() - 1), Row2(array.RowCount() - 1), Source(&array) {
    Reset();
}

void TXLSCellsSource::Reset() {
    CurCol = Col1 - 1;
    CurRow = Row1;
}

bool TXLSCellsSource::Next() {
    if (CurRow > Row2) return false;
    if (++CurCol > Col2) {
        CurCol = Col1;
        ++CurRow;
    }
    return CurRow <= Row2;
}

double TXLSCellsSource::Value() {
    NotNumber = false;
    ErrorCode = 0;
    double value = 0;
    if (CellStore) {
        ErrorCode = CellStore->GetFloatOrError(CurCol, CurRow, NotNumber, value);
        return value;
    }
    const TXLSFormulaValue& element = Source->Get(CurCol, CurRow);
    switch (element.ValType) {
        case fvtNumber: return element.Number;
        case fvtError: ErrorCode = element.BoolErr; return 0;
        default: NotNumber = true; return 0;
    }
}

}  // namespace xls
