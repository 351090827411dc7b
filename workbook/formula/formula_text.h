#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "workbook/formula/formula_tokenizer.h"

namespace xls {

class TXc12Manager;

// The text side of the formula engine in one place, for the formula handler, the worksheet
// interface and the .xlsx side: tokenize and compile, or decode.

// The own code of text for a formula on sheetIndex (-1: a workbook-level name) at (col, row)
// (-1, -1: no cell); empty when the text is empty or does not compile (reported to the
// document's error manager).
std::vector<uint8_t> EncodeCellFormulaText(TXc12Manager& manager, std::u16string_view text, int sheetIndex, int col,
                                           int row, TXLSFormulaSeparators separators = {});
inline std::vector<uint8_t> EncodeFormulaText(TXc12Manager& manager, std::u16string_view text, int sheetIndex) {
    return EncodeCellFormulaText(manager, text, sheetIndex, -1, -1);
}

// The text of own code, or of BIFF8 code (first byte 0xFE or 0xFF); raises EXLSError for code
// that is not valid.
std::u16string DecodeFormulaText(TXc12Manager& manager, std::span<const uint8_t> code, int sheetIndex,
                                 TXLSFormulaSeparators separators = {});

}  // namespace xls
