#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "workbook/api/model_formula_document.h"
#include "workbook/formula/formula_handler.h"

namespace xls {

class TXc12Manager;

// The formula handler's services that the interface objects use: compiling formula text into the
// model's own token code, decoding it back and following inserted and deleted sheets. Text goes
// through the one formula handler of the workbook, which also recalculates it.
class TXLSFormulaServices {
public:
    explicit TXLSFormulaServices(TXc12Manager& manager);

    // The token code of text for sheetIndex (-1 for workbook-level names); empty when the text
    // does not compile (the error went to the error manager).
    std::vector<uint8_t> EncodeFormula(std::u16string_view text, int sheetIndex);
    // As EncodeFormula for the formula of a cell: invariant separators ("." and ",") or the
    // locale's.
    std::vector<uint8_t> EncodeCellFormula(std::u16string_view text, bool invariantSeparators, int row, int col,
                                           int sheetIndex);
    // Formula text (without "=") of own token code.
    std::u16string DecodeFormula(std::span<const uint8_t> ptgs, int sheetIndex);
    // Rewrites the sheet bytes of 3-D references in place after delta sheets were inserted
    // (delta > 0) or deleted (delta < 0) at sheetIndex; a reference into a deleted sheet becomes
    // the deleted form of its kind.
    static void AdjustSheetRefs(uint8_t* ptgs, int length, int delta, int sheetIndex);

    TXLSFormulaHandler& Handler() { return Handler_; }
    TXLSModelFormulaDocument& Document() { return Document_; }

private:
    TXLSModelFormulaDocument Document_;
    TXLSFormulaHandler Handler_;
};

}  // namespace xls
