#pragma once

#include <cstdint>

namespace xls {

class TXLSArrayItem;
class TXLSCellMMU;

// A read cursor over the numbers of a rectangle of a cell store or of an array, row by row,
// left to right. An array source spans the array's columns and rows from (0, 0).
class TXLSCellsSource {
public:
    TXLSCellsSource(TXLSCellMMU& store, int col1, int row1, int col2, int row2);
    explicit TXLSCellsSource(const TXLSArrayItem& array);

    // Before the first position.
    void Reset();
    // The next position: the next column, after a row's last the first of the next row; false
    // after the last row.
    bool Next();
    // The number at the cursor, 0 for anything else: ErrorCode holds the error of an error
    // position (else 0), NotNumber is set for an empty position, a Boolean or a text.
    double Value();
    int ColCount() const { return Col2 - Col1 + 1; }
    int RowCount() const { return Row2 - Row1 + 1; }

    int32_t Col1 = 0;
    int32_t Row1 = 0;
    int32_t Col2 = 0;
    int32_t Row2 = 0;
    int32_t CurCol = -1;
    int32_t CurRow = 0;
    TXLSCellMMU* CellStore = nullptr;
    const TXLSArrayItem* Source = nullptr;
    bool NotNumber = false;
    uint8_t ErrorCode = 0;
};

}  // namespace xls
