#pragma once

#include <functional>
#include <vector>

#include "workbook/formula/calc_chain.h"
#include "workbook/formula/formula_evaluator.h"

namespace xls {

class TXLSErrorManager;

// Recalculates a workbook: builds the calculation chain, evaluates each formula of it and
// stores the result as the cell's cached value.
class TXLSFormulaHandler {
public:
    explicit TXLSFormulaHandler(IXLSFormulaDocument& document, TXLSErrorManager* errors = nullptr);

    // Progress gets (formulas done, formulas in the chain) every 1024 formulas and at the end.
    void Calculate(const std::function<void(int done, int total)>& progress = {});

    TXLSFormulaEvaluator& Evaluator() { return Evaluator_; }
    const std::vector<TXLSCalcCell>& Chain() const { return Chain_; }
    const std::vector<std::u16string>& Cycles() const { return Builder.Cycles(); }

private:
    void StoreResult(TXLSCellMMU& cells, int col, int row, const TXLSFormulaValue& v);

    IXLSFormulaDocument& Document;
    TXLSErrorManager* Errors;
    TXLSFormulaEvaluator Evaluator_;
    TXLSCalcChainBuilder Builder;
    std::vector<TXLSCalcCell> Chain_;
};

}  // namespace xls
