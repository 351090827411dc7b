#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "workbook/formula/calc_chain.h"
#include "workbook/formula/formula_decoder.h"
#include "workbook/formula/formula_evaluator.h"
#include "workbook/formula/formula_tokenizer.h"

namespace xls {

class TXLSErrorManager;
class TXc12Manager;
class TXc12Tables;

// Recalculates a workbook: builds the calculation chain, evaluates each formula of it and
// stores the result as the cell's cached value.
class TXLSFormulaHandler {
public:
    explicit TXLSFormulaHandler(IXLSFormulaDocument& document, TXLSErrorManager* errors = nullptr);
    // With the document root the handler also compiles and decodes formula text.
    TXLSFormulaHandler(IXLSFormulaDocument& document, TXc12Manager& manager);

    // Formula text to own code, for sheetIndex (-1: a workbook-level name) and no cell; empty when
    // the text is empty or does not compile (reported to the document's error manager). The
    // tokenizer keeps the separators of its last use.
    std::vector<uint8_t> EncodeFormula(std::u16string_view text, int sheetIndex);
    // As EncodeFormula for a formula at (col, row): invariantSeparators reads "." and "," (file
    // syntax), otherwise the locale's decimal and list separators (text typed through the API).
    std::vector<uint8_t> EncodeCellFormula(std::u16string_view text, int sheetIndex, int col, int row,
                                           bool invariantSeparators);
    // The text of stored code, without "=": own code, BIFF8 code, or the anchor's formula for a
    // cell of an array or shared formula (found in cells). Options as TXLSFormulaDecoder's.
    std::u16string DecodeFormula(TXLSCellMMU* cells, int sheetIndex, std::span<const uint8_t> ptgs, int options);
    // The table list that structured references of the next compilations look in first.
    void SetTables(TXc12Tables* tables) { Tables_ = tables; }

    // Progress gets (formulas done, formulas in the chain) every 1024 formulas and at the end.
    void Calculate(const std::function<void(int done, int total)>& progress = {});

    // Moves the relative parts of the references in stored token code by the deltas, in place;
    // a reference moved off the grid becomes its error token of the same width.
    static void OffsetRelativeRefs(uint8_t* ptgs, int len, int colDelta, int rowDelta);
    // Fixes the sheet numbers of 3-D references after delta sheets were inserted (delta > 0) or
    // deleted (delta < 0) at sheetIndex; references into deleted sheets become #REF! tokens.
    static void AdjustSheetRefs(uint8_t* ptgs, int len, int sheetIndex, int delta);

    TXLSFormulaEvaluator& Evaluator() { return Evaluator_; }
    const TXLSCalcChain& Chain() const { return Chain_; }
    const std::vector<std::u16string>& Cycles() const { return Builder.Cycles(); }

private:
    std::vector<uint8_t> Compile(std::u16string_view text, int sheetIndex, int col, int row);
    void StoreResult(TXLSCellMMU& cells, int col, int row, const TXLSFormulaValue& v);
    // No store was written since the last complete recalculation.
    bool ResultsCurrent();

    IXLSFormulaDocument& Document;
    TXLSErrorManager* Errors;
    TXLSFormulaEvaluator Evaluator_;
    TXLSCalcChainBuilder Builder;
    TXLSCalcChain Chain_;
    TXc12Manager* Manager_ = nullptr;
    std::unique_ptr<TXLSTokenizer> Tokenizer_;
    std::unique_ptr<TXLSFormulaDecoder> Decoder_;
    TXc12Tables* Tables_ = nullptr;
    // The tokens of the formula being evaluated.
    std::vector<uint8_t> Tokens;
    // Each sheet's store and its change count when the last complete recalculation ended (none
    // after an incomplete one or with volatile functions).
    std::vector<std::pair<TXLSCellMMU*, uint64_t>> ResultStamps;
};

}  // namespace xls
