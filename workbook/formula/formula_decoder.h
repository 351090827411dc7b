#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "workbook/formula/formula_tokenizer.h"

namespace xls {

class TXLSCellMMU;
class TXc12Manager;
class TXc12Tables;

// Operand texts pending while a token stream is decoded. It grows as needed: an array constant
// may hold thousands of elements.
class TStringStack {
public:
    void Reset() { Items_.clear(); }
    void Push(std::u16string text) { Items_.push_back(std::move(text)); }
    // The two top entries A (below) and B become A + op + B.
    void Join(std::u16string_view op);
    void Prefix(std::u16string_view op);
    void Postfix(std::u16string_view op);
    void Wrap(std::u16string_view open, std::u16string_view close);
    // The count top entries, oldest first, become name(e1<sep>e2...<space>); space is what was
    // typed before the closing parenthesis.
    void Call(std::u16string_view name, size_t count, char16_t separator, std::u16string_view space = {});
    // The count top entries, oldest first, become the parts of a structured reference to name:
    // name[part] for one bracketed part, else name[part<sep>part...].
    void TableCall(std::u16string_view name, size_t count, char16_t separator);
    // The cols x rows top entries become {a<col>b<row>c<col>d}.
    void ArrayConst(size_t cols, size_t rows, char16_t columnSeparator, char16_t rowSeparator,
                    std::u16string_view space = {});
    const std::u16string& Result() const;
    size_t Size() const { return Items_.size(); }

private:
    std::u16string& Top();
    void Need(size_t count) const;
    std::vector<std::u16string> Items_;
};

// Turns the model's own token code back into formula text as it was typed: parentheses come from
// the kept ptgParen tokens and spaces from the space attributes. Strings and sheet names are
// quoted so that the text compiles back to the same code.
class TXLSFormulaDecoder {
public:
    explicit TXLSFormulaDecoder(TXc12Manager& manager) : Manager_(manager) {}

    void SetSeparators(TXLSFormulaSeparators separators) { Separators_ = separators; }

    // Options bit 0: external books are written by link number instead of file name.
    static constexpr int OptionBookNumbers = 1;

    // The text of code for a formula on sheetIndex (-1: none); raises EXLSError for a stream
    // that is not valid own code. cells is the sheet's cell store, where the cells of array and
    // shared formulas and data tables find their anchor's formula. BIFF8 code (first byte 0xFE
    // or 0xFF) goes to the BIFF formula decoder, with the list separator and no names.
    std::u16string Decode(std::span<const uint8_t> code, int sheetIndex, TXLSCellMMU* cells = nullptr, int options = 0);

private:
    std::u16string AnchorText(TXLSCellMMU* cells, std::span<const uint8_t> token, int sheetIndex, int options);
    std::u16string TableColumnText(const TXc12Tables* tables, unsigned table, unsigned column) const;

    TXc12Manager& Manager_;
    TXLSFormulaSeparators Separators_;
    TStringStack Stack_;
    int Depth_ = 0;
};

// Decodes with invariant separators (the .xls writer re-encodes this text).
std::u16string DecodeFormulaToText(TXc12Manager& manager, int sheetIndex, std::span<const uint8_t> code);

}  // namespace xls
