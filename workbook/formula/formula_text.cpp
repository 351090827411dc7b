#include "workbook/formula/formula_text.h"

#include "workbook/formula/formula_decoder.h"
#include "workbook/formula/formula_encoder.h"
#include "workbook/model/document_root.h"

namespace xls {

std::vector<uint8_t> EncodeCellFormulaText(TXc12Manager& manager, std::u16string_view text, int sheetIndex, int col,
                                           int row, TXLSFormulaSeparators separators) {
    TXLSTokenizer tokenizer(manager.Errors());
    tokenizer.SetSeparators(separators);
    const TXLSTokenList tokens = tokenizer.Tokenize(text);
    if (tokens.empty()) return {};
    TXLSFormulaEncoder encoder(manager);
    return encoder.Encode(tokens, row, col, sheetIndex);
}

std::u16string DecodeFormulaText(TXc12Manager& manager, std::span<const uint8_t> code, int sheetIndex,
                                 TXLSFormulaSeparators separators) {
    TXLSFormulaDecoder decoder(manager);
    decoder.SetSeparators(separators);
    return decoder.Decode(code, sheetIndex);
}

}  // namespace xls
