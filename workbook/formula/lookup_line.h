#pragma once

#include <cstdint>

#include "workbook/formula/value_stack.h"

namespace xls {

// One row or one column of a cell, area or array, seen as positions 0 .. Count() - 1. Positions
// outside the used area of the sheet are known to be empty without being read, so that a search
// over whole columns costs what the sheet holds.
class TLookupLine {
public:
    // The line at offset index (0-based) of table: a column when column is set, else a row.
    TLookupLine(TValueStack& stack, const TXLSFormulaValue& table, bool column, int index);

    int32_t Count() const { return Count_; }
    // The positions [First, Last) that may hold a value.
    int32_t First() const { return First_; }
    int32_t Last() const { return Last_; }
    void Get(int32_t pos, TXLSFormulaValue& v) const;

private:
    TValueStack& Stack;
    const TXLSFormulaValue& Table;
    bool Column;
    int32_t Index;
    int32_t Count_ = 0;
    int32_t First_ = 0;
    int32_t Last_ = 0;
};

// How a line is searched: for the first candidate equal to the key (texts as patterns), or, over
// a line in ascending or descending order, for the last candidate at or before the key in that
// order (a binary search, as other spreadsheets do).
enum TLookupMode : uint8_t { lmExact, lmAscending, lmDescending };

// The position found, -1 for none. Only candidates of the key's value type are compared; an
// empty or error key finds nothing.
int32_t FindInLine(const TLookupLine& line, const TXLSFormulaValue& key, TLookupMode mode);

// An argument of a kind the function does not take: its own error, else #VALUE!.
void PushArgumentError(TValueStack& stack, const TXLSFormulaValue& v);

// The width and height of a cell, area or array (1 x 1 for anything else).
void TableSize(const TXLSFormulaValue& v, int32_t& cols, int32_t& rows);

}  // namespace xls
