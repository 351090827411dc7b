#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "workbook/formula/value_stack.h"
#include "workbook/model/cell_error.h"

namespace xls {

// The numeric worksheet functions beyond the descriptive statistics. Each has the contract of
// CallWorksheetFunction: the arguments are open on the stack, exactly one result is pushed, and
// false (nothing pushed) means the id is not one of its functions.
bool CallNumericFunction(TValueStack& stack, int id, int argCount);
bool CallMathFunction(TValueStack& stack, int id, int argCount);
bool CallRegressionFunction(TValueStack& stack, int id, int argCount);
bool CallDistributionFunction(TValueStack& stack, int id, int argCount);
bool CallStatisticalTest(TValueStack& stack, int id, int argCount);

// One argument seen as a row-major sequence of values: a plain value, a cell, an area or an
// array. Positions outside the sheet's used area are known to be empty without being read.
class TValueSequence {
public:
    TValueSequence(TValueStack& stack, const TXLSFormulaValue& v);

    // False for kinds that are no sequence (area lists, external areas).
    bool Valid() const { return Valid_; }
    int64_t Count() const { return static_cast<int64_t>(Cols) * Rows; }
    int32_t ColCount() const { return Cols; }
    int32_t RowCount() const { return Rows; }
    // The positions [First, Last) that may hold a value; all others are empty.
    int64_t First() const { return First_; }
    int64_t Last() const { return Last_; }
    void Get(int64_t index, TXLSFormulaValue& v) const;

private:
    TValueStack& Stack;
    TXLSFormulaValue Source;
    bool Valid_ = true;
    int32_t Cols = 1;
    int32_t Rows = 1;
    int64_t First_ = 0;
    int64_t Last_ = 1;
};

// The positions where both sequences hold numbers, walked in step: f(x, y) for each. 0, errNA
// when the two differ in their count of positions, or the first error value.
template <class F>
uint8_t ForEachPair(TValueStack& stack, const TXLSFormulaValue& x, const TXLSFormulaValue& y, F f) {
    const TValueSequence a(stack, x);
    const TValueSequence b(stack, y);
    if (!a.Valid() || !b.Valid()) return errValue;
    if (a.Count() != b.Count()) return errNA;
    // An error anywhere in either sequence is the result, so the walk covers both used ranges.
    const int64_t first = std::min(a.First(), b.First());
    const int64_t last = std::max(a.Last(), b.Last());
    TXLSFormulaValue va;
    TXLSFormulaValue vb;
    for (int64_t i = first; i < last; ++i) {
        a.Get(i, va);
        b.Get(i, vb);
        if (va.ValType == fvtError) return va.BoolErr;
        if (vb.ValType == fvtError) return vb.BoolErr;
        if (va.ValType == fvtNumber && vb.ValType == fvtNumber) f(va.Number, vb.Number);
    }
    return 0;
}

// The same pairs gathered: the numbers of x and y in order.
uint8_t PairedNumbers(TValueStack& stack, const TXLSFormulaValue& x, const TXLSFormulaValue& y, std::vector<double>& xs,
                      std::vector<double>& ys);

// The numbers of one argument as the statistics gather them (numbers; Booleans and numeric texts
// only when typed into the formula); 0 or the first error value.
uint8_t ArgumentNumbers(TValueStack& stack, const TXLSFormulaValue& arg, std::vector<double>& out);

}  // namespace xls
