#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "workbook/formula/value_stack.h"
#include "workbook/formula/wildcard_pattern.h"

namespace xls {

// The comparison of a criterion.
enum TXLSCriterionOp : uint8_t {
    coLess = 1,
    coLessEqual = 2,
    coEqual = 3,
    coGreaterEqual = 4,
    coGreater = 5,
    coNotEqual = 6,
};

// One criterion of the conditional aggregates and the database functions: an operator and a
// value, its text pattern compiled when it is set so that a long range compares without
// compiling it again per cell.
class TXLSCriterion {
public:
    // A criterion argument's value (a plain value): "=" with the value, a text read for its
    // leading operator and value. Empty values and references become #VALUE!.
    void SetValue(const TXLSFormulaValue& v);
    // A criterion text: an optional leading operator, then a number, a date, TRUE/FALSE, an
    // error text or a text.
    void SetText(std::u16string_view text);
    // Whether a plain value meets the criterion: values of another type never do.
    bool Matches(const TXLSFormulaValue& v) const;

    TXLSCriterionOp Op = coEqual;
    TXLSFormulaValue Value;

private:
    void Compile();

    TWildcardPattern Pattern_;
    std::u16string Upper_;
};

// The plain value of a criterion argument: a value or cell as it is, an area the cell at the
// current position (its implicit intersection) or else its first cell, an array its first
// element; an area list gives false after pushing #VALUE!. The argument is taken off the frame.
bool PopCriterionArgument(TValueStack& s, TXLSCriterion& criterion);

// The database functions (DCOUNT ... DGET); same contract as CallWorksheetFunction.
bool CallDatabaseFunction(TValueStack& s, int id, int argCount);

}  // namespace xls
