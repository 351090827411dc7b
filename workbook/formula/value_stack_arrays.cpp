// The array forms of the operators: every operand becomes an array (a value 1 x 1, an area its
// cells), one-row and one-column arrays are broadcast, and the scalar operator runs element by
// element on the stack.
#include <algorithm>

#include "workbook/formula/value_stack.h"
#include "workbook/model/exceptions.h"

namespace xls {

std::unique_ptr<TXLSArrayItem> TValueStack::PopArray(bool numeric) {
    const TXLSFormulaValue v = Pop();
    std::unique_ptr<TXLSArrayItem> a;
    const auto element = [&](const TXLSFormulaValue& e) {
        if (!numeric) {
            TXLSFormulaValue plain = e;
            plain.Kind = vkValue;
            return plain;
        }
        double x = 0;
        uint8_t err = 0;
        ValueToNumber(e, x, err);
        return err ? TXLSFormulaValue::MakeError(err) : TXLSFormulaValue::MakeNumber(x);
    };
    switch (v.Kind) {
        case vkValue:
        case vkRef:
            a = std::make_unique<TXLSArrayItem>(1, 1);
            a->At(0, 0) = element(v);
            break;
        case vkArea: {
            const int cols = std::abs(v.Col2 - v.Col1) + 1;
            const int rows = std::abs(v.Row2 - v.Row1) + 1;
            a = std::make_unique<TXLSArrayItem>(cols, rows);
            TXLSFormulaValue cell;
            for (int r = 0; r < rows; ++r)
                for (int c = 0; c < cols; ++c) {
                    ReadCell(v.Cells, std::min(v.Col1, v.Col2) + c, std::min(v.Row1, v.Row2) + r, cell);
                    a->At(c, r) = element(cell);
                }
            break;
        }
        case vkArray:
            a = std::make_unique<TXLSArrayItem>(v.Array->ColCount(), v.Array->RowCount());
            for (int r = 0; r < a->RowCount(); ++r)
                for (int c = 0; c < a->ColCount(); ++c) a->At(c, r) = element(v.Array->Get(c, r));
            break;
        default: throw EXLSError(u"Invalid value");
    }
    a->Broadcast = true;
    return a;
}

// Runs a scalar operator on two plain values and gives its result.
TXLSFormulaValue TValueStack::ScalarBinary(uint8_t op, const TXLSFormulaValue& a, const TXLSFormulaValue& b) {
    PushValue(a);
    PushValue(b);
    if (op <= 0x07)
        ArithOperator(op);
    else if (op == 0x08)
        ConcatOperator();
    else
        CompareOperator(op);
    return Pop();
}

void TValueStack::ArrayBinary(uint8_t op) {
    if (Top_ < 1) throw EXLSError(u"Missing operand in expression");
    const bool arith = op <= 0x07;
    std::unique_ptr<TXLSArrayItem> b = PopArray(arith);
    std::unique_ptr<TXLSArrayItem> a = PopArray(arith);
    // The larger size in each direction: a one-row or one-column operand (a single value
    // included) is repeated across it, any other short operand gives #N/A beyond its end.
    const int cols = std::max(a->ColCount(), b->ColCount());
    const int rows = std::max(a->RowCount(), b->RowCount());
    auto result = std::make_unique<TXLSArrayItem>(cols, rows);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) {
            TXLSFormulaValue& e = result->At(c, r);
            if (!a->InRange(c, r) || !b->InRange(c, r)) {
                e = TXLSFormulaValue::MakeError(errNA);
                continue;
            }
            const TXLSFormulaValue& x = a->Get(c, r);
            const TXLSFormulaValue& y = b->Get(c, r);
            // An error element is the result, the left one first.
            if (x.ValType == fvtError)
                e = x;
            else if (y.ValType == fvtError)
                e = y;
            else
                e = ScalarBinary(op, x, y);
        }
    PushArray(std::move(result));
}

void TValueStack::ArrayUnary(uint8_t op) {
    std::unique_ptr<TXLSArrayItem> a = PopArray(true);
    for (int r = 0; r < a->RowCount(); ++r)
        for (int c = 0; c < a->ColCount(); ++c) {
            TXLSFormulaValue& e = a->At(c, r);
            if (e.ValType != fvtError) e = TXLSFormulaValue::MakeNumber(op == 0x13 ? -e.Number : e.Number * 0.01);
        }
    a->Broadcast = false;
    PushArray(std::move(a));
}

}  // namespace xls
