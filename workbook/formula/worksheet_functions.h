#pragma once

#include <vector>

#include "workbook/formula/value_stack.h"

namespace xls {

// Runs the worksheet function id with its argCount arguments open on the stack (OpenArguments
// done); it leaves exactly one result. False when the function has no implementation (nothing
// is pushed then).
bool CallWorksheetFunction(TValueStack& stack, int id, int argCount);

// The text, information and random-number functions; same contract.
bool CallTextFunction(TValueStack& stack, int id, int argCount);
// Joining, cleaning, replacing, searching, TEXT, VALUE, HYPERLINK and the code-page byte forms;
// reached through CallTextFunction.
bool CallTextEditFunction(TValueStack& stack, int id, int argCount);
// Every UTF-16 unit by the simple Unicode case mapping (surrogates stay as they are).
std::u16string TextCase(std::u16string text, bool upper);

// The date and time functions over date serials; same contract.
bool CallDateFunction(TValueStack& stack, int id, int argCount);

// The information, basic math, date and reference functions; same contract.
bool CallInfoMathFunction(TValueStack& stack, int id, int argCount);

// The conditional aggregates (COUNTIF, SUMIF, AVERAGEIF and their several-criteria forms) and
// the database functions; same contract.
bool CallCriteriaFunction(TValueStack& stack, int id, int argCount);

// The variance of numbers with (n - ddof) in the denominator, or its square root; too few
// numbers divide by zero.
void PushVariance(TValueStack& stack, const std::vector<double>& numbers, int ddof, bool root);
// The financial functions (annuities, cash flows, depreciation, accrued interest); same contract.
bool CallFinancialFunction(TValueStack& stack, int id, int argCount);
// The lookup functions, then (CallReferenceFunction) the reference, information and choice
// functions; same contract.
bool CallLookupFunction(TValueStack& stack, int id, int argCount);
bool CallReferenceFunction(TValueStack& stack, int id, int argCount);

// Half away from zero at every digit count; the scaled value is first taken to 15 significant
// digits so that 2.675 rounds as written, not as stored.
double RoundHalfAway(double x, int digits);

}  // namespace xls
