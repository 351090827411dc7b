#pragma once

#include "workbook/formula/value_stack.h"

namespace xls {

// Runs the worksheet function id with its argCount arguments open on the stack (OpenArguments
// done); it leaves exactly one result. False when the function has no implementation (nothing
// is pushed then).
bool CallWorksheetFunction(TValueStack& stack, int id, int argCount);

// The text, information and random-number functions; same contract.
bool CallTextFunction(TValueStack& stack, int id, int argCount);

// The information, basic math, date and reference functions; same contract.
bool CallInfoMathFunction(TValueStack& stack, int id, int argCount);

// The lookup functions, then (CallReferenceFunction) the reference, information and choice
// functions; same contract.
bool CallLookupFunction(TValueStack& stack, int id, int argCount);
bool CallReferenceFunction(TValueStack& stack, int id, int argCount);

// Half away from zero at every digit count; the scaled value is first taken to 15 significant
// digits so that 2.675 rounds as written, not as stored.
double RoundHalfAway(double x, int digits);

}  // namespace xls
