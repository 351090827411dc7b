// The handler's text side: compiling formula text and decoding stored code.

#include "workbook/formula/formula_decoder.h"
#include "workbook/formula/formula_encoder.h"
#include "workbook/formula/formula_handler.h"
#include "workbook/formula/formula_tokenizer.h"
#include "workbook/model/document_root.h"
#include "workbook/model/exceptions.h"
#include "workbook/model/format_settings.h"

namespace xls {

TXLSFormulaHandler::TXLSFormulaHandler(IXLSFormulaDocument& document, TXc12Manager& manager)
    : TXLSFormulaHandler(document, &manager.Errors()) {
    Manager_ = &manager;
    Tokenizer_ = std::make_unique<TXLSTokenizer>(manager.Errors());
    Decoder_ = std::make_unique<TXLSFormulaDecoder>(manager);
}

std::vector<uint8_t> TXLSFormulaHandler::EncodeFormula(std::u16string_view text, int sheetIndex) {
    return Compile(text, sheetIndex, -1, -1);
}

std::vector<uint8_t> TXLSFormulaHandler::EncodeCellFormula(std::u16string_view text, int sheetIndex, int col, int row,
                                                           bool invariantSeparators) {
    if (Tokenizer_)
        Tokenizer_->SetSeparators(
            invariantSeparators
                ? TXLSFormulaSeparators{}
                : TXLSFormulaSeparators{DefaultFormatSettings().GetDecimalSeparator(), Manager_->ListSeparator});
    return Compile(text, sheetIndex, col, row);
}

std::vector<uint8_t> TXLSFormulaHandler::Compile(std::u16string_view text, int sheetIndex, int col, int row) {
    if (!Manager_) throw EXLSError(u"Formula handler without document root");
    const TXLSTokenList tokens = Tokenizer_->Tokenize(text);
    if (tokens.empty()) return {};
    TXLSFormulaEncoder encoder(*Manager_);
    encoder.SetTables(Tables_);
    return encoder.Encode(tokens, row, col, sheetIndex);
}

std::u16string TXLSFormulaHandler::DecodeFormula(TXLSCellMMU* cells, int sheetIndex, std::span<const uint8_t> ptgs,
                                                 int options) {
    if (!Manager_) throw EXLSError(u"Formula handler without document root");
    return Decoder_->Decode(ptgs, sheetIndex, cells, options);
}

}  // namespace xls
