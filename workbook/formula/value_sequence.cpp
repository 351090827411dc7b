// Arguments walked as sequences of values, the pairing of two of them, and the entry point of
// the numeric worksheet functions.
#include <algorithm>

#include "workbook/formula/numeric_functions.h"
#include "workbook/model/cell_error.h"
#include "workbook/model/cell_store.h"

namespace xls {

bool CallNumericFunction(TValueStack& s, int id, int argCount) {
    return CallMathFunction(s, id, argCount) || CallRegressionFunction(s, id, argCount) ||
           CallDistributionFunction(s, id, argCount) || CallStatisticalTest(s, id, argCount);
}

TValueSequence::TValueSequence(TValueStack& stack, const TXLSFormulaValue& v) : Stack(stack), Source(v) {
    switch (v.Kind) {
        case vkArea: {
            Source.Col1 = std::min(v.Col1, v.Col2);
            Source.Col2 = std::max(v.Col1, v.Col2);
            Source.Row1 = std::min(v.Row1, v.Row2);
            Source.Row2 = std::max(v.Row1, v.Row2);
            Cols = Source.Col2 - Source.Col1 + 1;
            Rows = Source.Row2 - Source.Row1 + 1;
            // Only the rows of the used area can hold cells: whole columns cost what the sheet holds.
            const TXLSCellArea& used = v.Cells->Dimension();
            const int32_t row1 = std::max(Source.Row1, used.Row1);
            const int32_t row2 = std::min(Source.Row2, used.Row2);
            if (used.Row1 < 0 || row1 > row2 || used.Col2 < Source.Col1 || used.Col1 > Source.Col2) {
                First_ = Last_ = 0;
            } else {
                First_ = static_cast<int64_t>(row1 - Source.Row1) * Cols;
                Last_ = static_cast<int64_t>(row2 - Source.Row1 + 1) * Cols;
            }
            break;
        }
        case vkArray:
            Cols = v.Array->ColCount();
            Rows = v.Array->RowCount();
            Last_ = Count();
            break;
        case vkValue:
        case vkRef: break;
        default: Valid_ = false; break;
    }
}

void TValueSequence::Get(int64_t index, TXLSFormulaValue& v) const {
    const auto col = static_cast<int32_t>(index % Cols);
    const auto row = static_cast<int32_t>(index / Cols);
    switch (Source.Kind) {
        case vkArea:
            if (index < First_ || index >= Last_) {
                v = TXLSFormulaValue();
                v.Empty = 1;
                return;
            }
            Stack.ReadCell(Source.Cells, Source.Col1 + col, Source.Row1 + row, v);
            return;
        case vkArray:
            v = Source.Array->Get(col, row);
            v.Kind = vkArray;
            return;
        default: v = Source; return;
    }
}

uint8_t PairedNumbers(TValueStack& s, const TXLSFormulaValue& x, const TXLSFormulaValue& y, std::vector<double>& xs,
                      std::vector<double>& ys) {
    xs.clear();
    ys.clear();
    return ForEachPair(s, x, y, [&](double a, double b) {
        xs.push_back(a);
        ys.push_back(b);
    });
}

uint8_t ArgumentNumbers(TValueStack& s, const TXLSFormulaValue& arg, std::vector<double>& out) {
    const TValueSequence seq(s, arg);
    if (!seq.Valid()) return errValue;
    const bool typed = arg.Kind == vkValue;
    TXLSFormulaValue v;
    for (int64_t i = seq.First(); i < seq.Last(); ++i) {
        seq.Get(i, v);
        switch (v.ValType) {
            case fvtNumber: out.push_back(v.Number); break;
            case fvtError: return v.BoolErr;
            case fvtBoolean:
            case fvtString:
                if (typed) {
                    double x = 0;
                    uint8_t err = 0;
                    s.ValueToNumber(v, x, err);
                    if (err) return err;
                    out.push_back(x);
                }
                break;
            default: break;
        }
    }
    return 0;
}

}  // namespace xls
