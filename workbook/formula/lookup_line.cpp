#include "workbook/formula/lookup_line.h"

#include <algorithm>

#include "workbook/formula/wildcard_pattern.h"
#include "workbook/model/cell_error.h"
#include "workbook/model/cell_store.h"

namespace xls {

void PushArgumentError(TValueStack& stack, const TXLSFormulaValue& v) {
    stack.PushError(v.Kind == vkValue && v.ValType == fvtError ? v.BoolErr : static_cast<uint8_t>(errValue));
}

void TableSize(const TXLSFormulaValue& v, int32_t& cols, int32_t& rows) {
    cols = rows = 1;
    if (v.Kind == vkArea) {
        cols = std::abs(v.Col2 - v.Col1) + 1;
        rows = std::abs(v.Row2 - v.Row1) + 1;
    } else if (v.Kind == vkArray) {
        cols = v.Array->ColCount();
        rows = v.Array->RowCount();
    }
}

TLookupLine::TLookupLine(TValueStack& stack, const TXLSFormulaValue& table, bool column, int index)
    : Stack(stack), Table(table), Column(column), Index(index) {
    int32_t cols = 0;
    int32_t rows = 0;
    TableSize(table, cols, rows);
    Count_ = column ? rows : cols;
    Last_ = Count_;
    if (table.Kind != vkArea) return;
    const TXLSCellArea& used = table.Cells->Dimension();
    const int32_t col1 = std::min(table.Col1, table.Col2);
    const int32_t row1 = std::min(table.Row1, table.Row2);
    // The line itself and its run across the used area.
    const int32_t at = (column ? col1 : row1) + index;
    const int32_t usedAt1 = column ? used.Col1 : used.Row1;
    const int32_t usedAt2 = column ? used.Col2 : used.Row2;
    const int32_t start = column ? row1 : col1;
    const int32_t used1 = column ? used.Row1 : used.Col1;
    const int32_t used2 = column ? used.Row2 : used.Col2;
    if (used.Col1 < 0 || at < usedAt1 || at > usedAt2) {
        First_ = Last_ = 0;
        return;
    }
    First_ = std::clamp(used1 - start, 0, Count_);
    Last_ = std::clamp(used2 - start + 1, First_, Count_);
}

void TLookupLine::Get(int32_t pos, TXLSFormulaValue& v) const {
    if (pos < First_ || pos >= Last_) {
        v = TXLSFormulaValue();
        v.Empty = 1;
        return;
    }
    const int32_t col = Column ? Index : pos;
    const int32_t row = Column ? pos : Index;
    switch (Table.Kind) {
        case vkArea:
            Stack.ReadCell(Table.Cells, std::min(Table.Col1, Table.Col2) + col, std::min(Table.Row1, Table.Row2) + row,
                           v);
            return;
        case vkArray:
            v = Table.Array->Get(col, row);
            v.Kind = vkValue;
            return;
        default:
            v = Table;
            v.Kind = vkValue;
            return;
    }
}

namespace {

int32_t FindExact(const TLookupLine& line, const TXLSFormulaValue& key) {
    const bool text = key.ValType == fvtString;
    const TWildcardPattern pattern(text ? key.Str : std::u16string());
    TXLSFormulaValue c;
    for (int32_t pos = line.First(); pos < line.Last(); ++pos) {
        line.Get(pos, c);
        if (c.ValType != key.ValType) continue;
        if (text ? pattern.Matches(c.Str) : CompareValues(c, key) == 0) return pos;
    }
    return -1;
}

}  // namespace

int32_t FindInLine(const TLookupLine& line, const TXLSFormulaValue& key, TLookupMode mode) {
    if (key.ValType == fvtEmpty || key.ValType == fvtError) return -1;
    if (mode == lmExact) return FindExact(line, key);
    // Binary search for the last candidate at or before the key; a probe that lands on a position
    // of another type moves to the next candidate of the key's type.
    const int sign = mode == lmAscending ? 1 : -1;
    int32_t lo = line.First();
    int32_t hi = line.Last() - 1;
    int32_t found = -1;
    TXLSFormulaValue c;
    while (lo <= hi) {
        const int32_t mid = lo + (hi - lo) / 2;
        int32_t pos = mid;
        for (; pos <= hi; ++pos) {
            line.Get(pos, c);
            if (c.ValType == key.ValType) break;
        }
        if (pos <= hi && sign * CompareValues(c, key) <= 0) {
            found = pos;
            lo = pos + 1;
        } else {
            hi = mid - 1;
        }
    }
    return found;
}

}  // namespace xls
