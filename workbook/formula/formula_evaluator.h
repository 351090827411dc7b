#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "workbook/formula/formula_document.h"
#include "workbook/formula/formula_value.h"
#include "workbook/formula/value_stack.h"
#include "workbook/model/cell_area.h"

namespace xls {

// Computes the value of one compiled formula: the token code is a postfix program over the
// value stack. Streams that start with 0xFE or 0xFF are raw BIFF8 tokens.
class TXLSErrorManager;

// The arguments of a call to a function the function table does not know, and its result:
// Args[0] is the last argument. Result starts as #NAME?.
struct TXLSUserFuncData {
    std::vector<TXLSFormulaValue> Args;
    TXLSFormulaValue Result;
};

using TUserFunctionEvent = std::function<void(const std::u16string& name, TXLSUserFuncData& data)>;

class TXLSFormulaEvaluator {
public:
    // Argument-count faults (4020, 4021) go to errors, which raises them unless someone listens;
    // without errors they raise EXLSError.
    explicit TXLSFormulaEvaluator(IXLSFormulaDocument& document, TXLSErrorManager* errors = nullptr);

    // The value of the formula of cell (col, row) on sheet: always a plain value (number,
    // Boolean, error or string). An array formula gives its range (0-based Col1, Row1, Col2,
    // Row2): its operators and functions work element by element, the array result fills the
    // range (clipped to it) and its first element is the value given. The tokens must not lie
    // in a cell store: walking a store may re-encode a row that earlier writes left open.
    TXLSFormulaValue Evaluate(int sheet, int col, int row, const uint8_t* ptgs, int len,
                              const TXLSCellArea* arrayRange = nullptr);

    TValueStack& Stack() { return Stack_; }

    // Answers calls of names the function table does not know. Without it a name the workbook
    // declares (a defined or external name) gives #N/A, any other #NAME?.
    TUserFunctionEvent OnUserFunction;

    // Names that refer to names deeper than this give #NAME? instead of recursing for ever.
    static constexpr int MaxNameDepth = 32;
    // The largest array-formula range whose functions are called cell by cell.
    static constexpr int64_t MaxArrayCells = 1 << 20;

private:
    void Interpret(const uint8_t* ptgs, int len, int depth);
    void PushName(int index, bool biff, int depth);
    void PushArrayConstant(const uint8_t*& data, const uint8_t* end);
    void PushNameArea(const uint8_t* p);
    int NameCol(uint16_t col) const;
    int NameRow(uint32_t row) const;
    std::u16string ExternalReferenceText(const uint8_t* p, uint8_t op) const;
    void CallFixed(int id);
    void CallVariable(int id, int argCount);
    void CallUser(const std::u16string& name, int argCount);
    void PushArrayOfValues(int cols, int rows);
    void Call(int id, int argCount, const std::u16string* userName);
    void ArrayCall(int id, int argCount, const std::u16string* userName);
    void WriteArrayResult(const TXLSArrayItem& array);
    // Data tables and table references (formula_evaluator_tables.cpp).
    void DataTable(const uint8_t* p);
    TXLSFormulaValue EvalSubstituted(const uint8_t* ptgs, int len, const TXLSCellArea& inputs, int col1, int row1,
                                     int col2, int row2);
    void TableItem(const uint8_t* p);
    void TableArea(const uint8_t* p);
    TXLSFormulaValue ResultPop();

    IXLSFormulaDocument& Document;
    TXLSErrorManager* Errors;
    TValueStack Stack_;
    TXLSCellArea ArrayRange;
};

}  // namespace xls
