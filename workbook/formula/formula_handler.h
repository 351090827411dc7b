#pragma once

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
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

    TXLSFormulaEvaluator& Evaluator() { return Evaluator_; }
    const std::vector<TXLSCalcCell>& Chain() const { return Chain_; }
    const std::vector<std::u16string>& Cycles() const { return Builder.Cycles(); }

private:
    std::vector<uint8_t> Compile(std::u16string_view text, int sheetIndex, int col, int row);
    void StoreResult(TXLSCellMMU& cells, int col, int row, const TXLSFormulaValue& v);

    IXLSFormulaDocument& Document;
    TXLSErrorManager* Errors;
    TXLSFormulaEvaluator Evaluator_;
    TXLSCalcChainBuilder Builder;
    std::vector<TXLSCalcCell> Chain_;
    TXc12Manager* Manager_ = nullptr;
    std::unique_ptr<TXLSTokenizer> Tokenizer_;
    std::unique_ptr<TXLSFormulaDecoder> Decoder_;
    TXc12Tables* Tables_ = nullptr;
};

}  // namespace xls
