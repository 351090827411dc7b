// Data tables (what-if tables) and structured references to worksheet tables.
#include <algorithm>
#include <vector>

#include "base/byte_reader.h"
#include "workbook/formula/formula_evaluator.h"
#include "workbook/formula/ptg_tokens.h"
#include "workbook/model/cell_store.h"
#include "workbook/model/exceptions.h"

namespace xls {

namespace {

constexpr int32_t RowMask = 0x7FFFFFFF;
constexpr uint16_t ColMask = 0x7FFF;
constexpr uint8_t TwoInputs = 0x04;
constexpr uint8_t InputsInTopRow = 0x08;
constexpr uint8_t ItemThisRow = 5;

struct TInputSubstitution {
    int32_t FromCol = -1;
    int32_t FromRow = -1;
    int32_t ToCol = 0;
    int32_t ToRow = 0;
};

// Rewrites, in a copy of own token code, the cell references to an input cell so that they read
// the cell of the table's input values instead; the reference flags are kept, so an absolute
// reference to the input cell is replaced as well.
void Substitute(std::vector<uint8_t>& code, const TInputSubstitution* subs, int count) {
    size_t p = 0;
    while (p < code.size()) {
        const size_t width = PtgTokenWidth(code.data() + p, code.size() - p, false);
        if (width == 0) throw EXLSError(u"Formula data out of bounds");
        if (code[p] == xptgRef) {
            uint8_t* t = code.data() + p;
            const uint32_t row = base::LoadLE32(t + 1);
            const uint16_t col = base::LoadLE16(t + 5);
            for (int i = 0; i < count; ++i) {
                const TInputSubstitution& s = subs[i];
                if (static_cast<int32_t>(row & RowMask) != s.FromRow || (col & ColMask) != s.FromCol) continue;
                base::StoreLE32(t + 1, (row & ~static_cast<uint32_t>(RowMask)) | static_cast<uint32_t>(s.ToRow));
                base::StoreLE16(t + 5, static_cast<uint16_t>((col & ~ColMask) | s.ToCol));
                break;
            }
        }
        p += width;
    }
}

}  // namespace

TXLSFormulaValue TXLSFormulaEvaluator::EvalSubstituted(const uint8_t* ptgs, int len, const TXLSCellArea& inputs,
                                                       int col1, int row1, int col2, int row2) {
    std::vector<uint8_t> code(ptgs, ptgs + len);
    const TInputSubstitution subs[2] = {{inputs.Col1, inputs.Row1, col1, row1}, {inputs.Col2, inputs.Row2, col2, row2}};
    Substitute(code, subs, inputs.Col2 >= 0 ? 2 : 1);
    const bool arrayMode = Stack_.ArrayMode;
    const int base = Stack_.Top();
    Stack_.ArrayMode = false;
    Interpret(code.data(), static_cast<int>(code.size()), 0);
    Stack_.ArrayMode = arrayMode;
    if (Stack_.Top() != base + 1) throw EXLSError(u"Invalid data table formula");
    uint8_t err = 0;
    TXLSFormulaValue v = Stack_.ScalarOf(Stack_.Pop(), err);
    v.Kind = vkValue;
    v.Cells = nullptr;
    if (v.ValType == fvtEmpty) v = TXLSFormulaValue::MakeNumber(0);
    return v;
}

// The formula of a table cell: its token code, or nullptr when the cell holds no formula.
static const uint8_t* TableFormula(TXLSCellMMU* cells, int col, int row, int& len) {
    TXLSMMUCell cell;
    if (!cells || !cells->FindCell(col, row, cell) || TXLSCellMMU::GetCellType(cell) < xctFloatFormula) return nullptr;
    const uint8_t* ptgs = nullptr;
    len = TXLSCellMMU::GetFormulaPtgs(cell, ptgs);
    return ptgs;
}

void TXLSFormulaEvaluator::DataTable(const uint8_t* p) {
    if (!Stack_.ArrayMode) return Stack_.PushError(errRef);
    const TXLSCellArea& r = ArrayRange;
    const int cols = r.Col2 - r.Col1 + 1;
    const int rows = r.Row2 - r.Row1 + 1;
    if (r.Col1 < 1 || r.Row1 < 1 || cols < 1 || rows < 1 || static_cast<int64_t>(cols) * rows > MaxArrayCells)
        throw EXLSError(u"Invalid data table range");
    const uint8_t flags = p[1];
    TXLSCellArea inputs =
        MakeCellArea(base::LoadLE16(p + 2) & ColMask, static_cast<int32_t>(base::LoadLE32(p + 4) & RowMask), -1, -1);
    if (flags & TwoInputs) {
        inputs.Col2 = base::LoadLE16(p + 8) & ColMask;
        inputs.Row2 = static_cast<int32_t>(base::LoadLE32(p + 10) & RowMask);
    }
    TXLSCellMMU* cells = Stack_.CurCells;
    auto result = std::make_unique<TXLSArrayItem>(cols, rows);
    // The formulas are copied out of the store before they run: writes may move its cells.
    std::vector<uint8_t> code;
    const auto formulaAt = [&](int col, int row) {
        int len = 0;
        const uint8_t* ptgs = TableFormula(cells, col, row, len);
        if (!ptgs) return false;
        code.assign(ptgs, ptgs + len);
        return true;
    };
    const auto run = [&](int c, int r0, int col1, int row1, int col2, int row2) {
        result->At(c, r0) = EvalSubstituted(code.data(), static_cast<int>(code.size()), inputs, col1, row1, col2, row2);
    };
    const auto zero = TXLSFormulaValue::MakeNumber(0);
    if (flags & TwoInputs) {
        const bool has = formulaAt(r.Col1 - 1, r.Row1 - 1);
        for (int y = 0; y < rows; ++y)
            for (int x = 0; x < cols; ++x)
                has ? run(x, y, r.Col1 + x, r.Row1 - 1, r.Col1 - 1, r.Row1 + y) : void(result->At(x, y) = zero);
    } else if (flags & InputsInTopRow) {
        for (int y = 0; y < rows; ++y) {
            const bool has = formulaAt(r.Col1 - 1, r.Row1 + y);
            for (int x = 0; x < cols; ++x)
                has ? run(x, y, r.Col1 + x, r.Row1 - 1, 0, 0) : void(result->At(x, y) = zero);
        }
    } else {
        for (int x = 0; x < cols; ++x) {
            const bool has = formulaAt(r.Col1 + x, r.Row1 - 1);
            for (int y = 0; y < rows; ++y)
                has ? run(x, y, r.Col1 - 1, r.Row1 + y, 0, 0) : void(result->At(x, y) = zero);
        }
    }
    Stack_.PushArray(std::move(result));
}

void TXLSFormulaEvaluator::TableItem(const uint8_t* p) {
    TXLSFormulaValue v;
    v.ValType = fvtTableItem;
    if (p[2] == 0) {
        v.BoolErr = p[1];
        v.Row1 = static_cast<int32_t>(base::LoadLE32(p + 4));
        v.Row2 = static_cast<int32_t>(base::LoadLE32(p + 8));
        v.Col1 = base::LoadLE16(p + 12);
        v.Col2 = base::LoadLE16(p + 14);
        if (v.BoolErr == ItemThisRow) v.Row1 = v.Row2 = Stack_.CurRow;
    }
    Stack_.PushValue(v);
}

// A table reference: its parts (columns, items) are on the stack; the rows come from the items,
// the columns from the column parts, and the area lies on the table's own sheet.
void TXLSFormulaEvaluator::TableArea(const uint8_t* p) {
    const int sheetIndex = base::LoadLE16(p + 3);
    const int count = p[5];
    const bool ownSheet = sheetIndex <= 255;
    TXLSCellArea rows;
    TXLSCellArea result;
    ClearCellArea(rows);
    ClearCellArea(result);
    if (count == 0) {
        const uint8_t* a = p + 6;
        result = MakeCellArea(base::LoadLE16(a + 9) & ColMask, static_cast<int32_t>(base::LoadLE32(a + 1) & RowMask),
                              base::LoadLE16(a + 11) & ColMask, static_cast<int32_t>(base::LoadLE32(a + 5) & RowMask));
    }
    TXLSFormulaValue error;
    for (int i = 0; i < count; ++i) {
        const TXLSFormulaValue v = Stack_.Pop();
        if (error.ValType == fvtError) continue;
        if (v.Kind == vkValue && v.ValType == fvtError) {
            error = v;
        } else if (v.Kind == vkValue && v.ValType == fvtTableItem) {
            if (v.BoolErr == 0) continue;
            const TXLSCellArea item = MakeCellArea(v.Col1, v.Row1, v.Col2, v.Row2);
            if (CellAreaAssigned(rows))
                ExtendCellArea(rows, item.Col1, item.Row1, item.Col2, item.Row2);
            else
                rows = item;
        } else if (v.Kind == vkRef || v.Kind == vkArea) {
            const TXLSCellArea area = MakeCellArea(std::min(v.Col1, v.Col2), std::min(v.Row1, v.Row2),
                                                   std::max(v.Col1, v.Col2), std::max(v.Row1, v.Row2));
            if (CellAreaAssigned(result))
                ExtendCellArea(result, area.Col1, area.Row1, area.Col2, area.Row2);
            else
                result = area;
        }
    }
    if (error.ValType == fvtError) return Stack_.PushValue(error);
    if (CellAreaAssigned(rows)) {
        if (!CellAreaAssigned(result)) result.Col1 = rows.Col1, result.Col2 = rows.Col2;
        result.Row1 = rows.Row1;
        result.Row2 = rows.Row2;
    }
    if (!CellAreaAssigned(result)) return Stack_.PushError(errRef);
    if (ownSheet)
        Stack_.PushSheetArea(sheetIndex, result.Col1, result.Row1, result.Col2, result.Row2);
    else
        Stack_.PushArea(result.Col1, result.Row1, result.Col2, result.Row2);
}

}  // namespace xls
