#pragma once

#include <cstdint>
#include <functional>
#include <utility>
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

    // Moves the relative parts of the references in stored token code by the deltas, in place;
    // a reference moved off the grid becomes its error token of the same width.
    static void OffsetRelativeRefs(uint8_t* ptgs, int len, int colDelta, int rowDelta);
    // Fixes the sheet numbers of 3-D references after delta sheets were inserted (delta > 0) or
    // deleted (delta < 0) at sheetIndex; references into deleted sheets become #REF! tokens.
    static void AdjustSheetRefs(uint8_t* ptgs, int len, int sheetIndex, int delta);

    TXLSFormulaEvaluator& Evaluator() { return Evaluator_; }
    const std::vector<TXLSCalcCell>& Chain() const { return Chain_; }
    const std::vector<std::u16string>& Cycles() const { return Builder.Cycles(); }

private:
    void StoreResult(TXLSCellMMU& cells, int col, int row, const TXLSFormulaValue& v);
    // No store was written since the last complete recalculation.
    bool ResultsCurrent();

    IXLSFormulaDocument& Document;
    TXLSErrorManager* Errors;
    TXLSFormulaEvaluator Evaluator_;
    TXLSCalcChainBuilder Builder;
    std::vector<TXLSCalcCell> Chain_;
    // The tokens of the formula being evaluated.
    std::vector<uint8_t> Tokens;
    // Each sheet's store and its change count when the last complete recalculation ended (none
    // after an incomplete one or with volatile functions).
    std::vector<std::pair<TXLSCellMMU*, uint64_t>> ResultStamps;
};

}  // namespace xls
