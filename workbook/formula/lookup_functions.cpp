// The lookup functions: VLOOKUP, HLOOKUP, LOOKUP and MATCH.
#include <algorithm>

#include "workbook/formula/lookup_line.h"
#include "workbook/formula/worksheet_functions.h"
#include "workbook/model/cell_error.h"
#include "workbook/model/cell_reference.h"

namespace xls {

namespace {

enum : int {
    fnLookup = 28,
    fnMatch = 64,
    fnHLookup = 101,
    fnVLookup = 102,
};

bool IsTable(const TXLSFormulaValue& v) { return v.Kind == vkRef || v.Kind == vkArea || v.Kind == vkArray; }

// The single value a lookup value stands for: an area by implicit intersection (#N/A when there
// is none), an array its first element. False after pushing the error.
bool LookupKey(TValueStack& s, const TXLSFormulaValue& v, TXLSFormulaValue& key) {
    uint8_t err = 0;
    key = s.ScalarOf(v, err);
    if (err) {
        s.PushError(errNA);
        return false;
    }
    if (key.ValType == fvtError) {
        s.PushError(key.BoolErr);
        return false;
    }
    return true;
}

// VLOOKUP searches the first column and gives the value in column index; HLOOKUP the first row.
void TableLookup(TValueStack& s, int argCount, bool vertical) {
    bool sorted = true;
    if (argCount == 4 && !s.PopArgBoolean(sorted)) return;
    int index = 0;
    if (!s.PopArgInteger(index)) return;
    const TXLSFormulaValue table = s.PopArgument();
    const TXLSFormulaValue value = s.PopArgument();
    if (!IsTable(table)) return PushArgumentError(s, table);
    if (index < 1) return s.PushError(errValue);
    int32_t cols = 0;
    int32_t rows = 0;
    TableSize(table, cols, rows);
    if (index > (vertical ? cols : rows)) return s.PushError(errRef);
    TXLSFormulaValue key;
    if (!LookupKey(s, value, key)) return;
    const TLookupLine keys(s, table, vertical, 0);
    const int32_t pos = FindInLine(keys, key, sorted ? lmAscending : lmExact);
    if (pos < 0) return s.PushError(errNA);
    TXLSFormulaValue result;
    TLookupLine(s, table, vertical, index - 1).Get(pos, result);
    s.PushValue(result);
}

// A one-row or one-column table (a single cell counts as both): true with its direction.
bool IsVector(const TXLSFormulaValue& v, bool& column) {
    if (!IsTable(v)) return false;
    int32_t cols = 0;
    int32_t rows = 0;
    TableSize(v, cols, rows);
    column = cols == 1;
    return cols == 1 || rows == 1;
}

// LOOKUP: the vector form with a result vector, or the array form that searches the first row
// of a wider-than-tall table (else its first column) and gives the last row (else column).
void Lookup(TValueStack& s, int argCount) {
    TXLSFormulaValue result;
    bool resultColumn = false;
    if (argCount == 3) {
        result = s.PopArgument();
        if (!IsVector(result, resultColumn)) return PushArgumentError(s, result);
    }
    const TXLSFormulaValue table = s.PopArgument();
    const TXLSFormulaValue value = s.PopArgument();
    if (!IsTable(table)) return PushArgumentError(s, table);
    TXLSFormulaValue key;
    if (!LookupKey(s, value, key)) return;
    int32_t cols = 0;
    int32_t rows = 0;
    TableSize(table, cols, rows);
    const bool searchColumn = cols <= rows;
    const int32_t pos = FindInLine(TLookupLine(s, table, searchColumn, 0), key, lmAscending);
    if (pos < 0) return s.PushError(errNA);
    TXLSFormulaValue found;
    if (argCount == 2) {
        TLookupLine(s, table, searchColumn, (searchColumn ? cols : rows) - 1).Get(pos, found);
        return s.PushValue(found);
    }
    // A result vector shorter than the position goes on in its own direction (a single cell in
    // the search's), as other spreadsheets read it; arrays do not.
    int32_t resultCols = 0;
    int32_t resultRows = 0;
    TableSize(result, resultCols, resultRows);
    if (resultCols == 1 && resultRows == 1) resultColumn = searchColumn;
    if (result.Kind == vkArray) {
        if (pos >= (resultColumn ? resultRows : resultCols)) return s.PushError(errNA);
        TLookupLine(s, result, resultColumn, 0).Get(pos, found);
        return s.PushValue(found);
    }
    const int32_t col = std::min(result.Col1, result.Col2) + (resultColumn ? 0 : pos);
    const int32_t row = std::min(result.Row1, result.Row2) + (resultColumn ? pos : 0);
    if (col > XLSMaxCol || row > XLSMaxRow) return s.PushError(errNA);
    s.ReadCell(result.Cells, col, row, found);
    s.PushValue(found);
}

// MATCH: the 1-based position in a vector; match type 0 exact, above 0 the last at or below the
// value in an ascending vector, below 0 the last at or above it in a descending one.
void Match(TValueStack& s, int argCount) {
    int type = 1;
    if (argCount == 3 && !s.PopArgInteger(type)) return;
    const TXLSFormulaValue vector = s.PopArgument();
    const TXLSFormulaValue value = s.PopArgument();
    if (vector.Kind == vkValue && vector.ValType == fvtError) return s.PushError(vector.BoolErr);
    TXLSFormulaValue key;
    if (!LookupKey(s, value, key)) return;
    bool column = false;
    if (!IsVector(vector, column)) return s.PushError(errNA);
    const TLookupMode mode = type == 0 ? lmExact : type > 0 ? lmAscending : lmDescending;
    const int32_t pos = FindInLine(TLookupLine(s, vector, column, 0), key, mode);
    if (pos < 0) return s.PushError(errNA);
    s.PushNumber(pos + 1);
}

}  // namespace

bool CallLookupFunction(TValueStack& s, int id, int argCount) {
    switch (id) {
        case fnVLookup: TableLookup(s, argCount, true); return true;
        case fnHLookup: TableLookup(s, argCount, false); return true;
        case fnLookup: Lookup(s, argCount); return true;
        case fnMatch: Match(s, argCount); return true;
        default: return CallReferenceFunction(s, id, argCount);
    }
}

}  // namespace xls
