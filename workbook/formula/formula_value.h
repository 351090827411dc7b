#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "workbook/model/cell_error.h"

namespace xls {

class TXLSCellMMU;

// What a value record on the evaluator's stack is.
enum TXLSValueKind : uint8_t {
    vkValue = 0,     // a plain value described by ValType
    vkRef = 1,       // one cell, carrying the value it held when pushed
    vkArea = 2,      // a rectangle on one sheet; no values read
    vkXArea = 3,     // never produced
    vkAreaList = 4,  // several rectangles, each on its own sheet
    vkArray = 5,     // an array of values
    vkArrayArg = 6,  // an argument expanded to an array by an array-formula call
};

enum TXLSFormulaValueType : uint8_t {
    fvtEmpty = 0,
    fvtNumber = 1,
    fvtBoolean = 2,
    fvtError = 3,
    fvtString = 4,
    fvtTableItem = 6,
};

// One rectangle of an area list with the cell store of its sheet.
struct TXLSSheetArea {
    TXLSCellMMU* Cells = nullptr;
    int32_t Col1 = 0;
    int32_t Row1 = 0;
    int32_t Col2 = 0;
    int32_t Row2 = 0;
};

using TXLSAreaList = std::vector<TXLSSheetArea>;

class TXLSArrayItem;

// A value record of the stack. Area lists and arrays belong to the stack's owned-object lists
// and live until the next formula starts.
struct TXLSFormulaValue {
    uint8_t Empty = 0;
    TXLSValueKind Kind = vkValue;
    TXLSCellMMU* Cells = nullptr;
    int32_t Col1 = 0;
    int32_t Col2 = 0;
    int32_t Row1 = 0;
    int32_t Row2 = 0;
    std::u16string Str;
    TXLSFormulaValueType ValType = fvtEmpty;
    uint8_t BoolErr = 0;
    double Number = 0;
    TXLSAreaList* List = nullptr;
    TXLSArrayItem* Array = nullptr;

    static TXLSFormulaValue MakeNumber(double x);
    static TXLSFormulaValue MakeError(uint8_t code);
    static TXLSFormulaValue MakeBoolean(bool b);
    static TXLSFormulaValue MakeString(std::u16string s);
};

// An array of plain values, addressed by (column, row), 0-based. With Broadcast set, a one-row
// or one-column array answers every index beyond its size with index 0.
class TXLSArrayItem {
public:
    TXLSArrayItem(int cols, int rows);

    int ColCount() const { return Cols_; }
    int RowCount() const { return Rows_; }
    bool IsLine() const { return Cols_ == 1 || Rows_ == 1; }
    bool InRange(int col, int row) const;
    // The element as a plain value record; raises "Invalid value" outside the array.
    const TXLSFormulaValue& Get(int col, int row) const;
    TXLSFormulaValue& At(int col, int row);

    bool Broadcast = false;

private:
    int Index(int col, int row) const;

    int Cols_;
    int Rows_;
    std::vector<TXLSFormulaValue> Items_;
};

// Whether a number may be stored: infinities and NaN become #NUM! (#DIV/0! when divide is set)
// instead of being cached in a cell.
TXLSFormulaValue FiniteOrError(double x, bool divide = false);

}  // namespace xls
