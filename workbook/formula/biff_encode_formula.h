#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "workbook/formula/biff_formula_tokenizer.h"

namespace xls {

// Compiles formula text into BIFF8 parsed-formula tokens for the .xls side (chart series links,
// validations, conditional formats, defined names, cell formulas re-encoded from text). Only the
// BIFF8 grid (A..IV, rows 1..65,536); reference and name tokens carry operand classes. The owner
// resolves names and sheets through the events.
class TEncodeFormula {
public:
    // Index of a defined name in the BIFF name list; -1 when there is none.
    std::function<void(const std::u16string& name, int& index)> OnNameIndex;
    // Resolves a sheet prefix (isSheetRef) or an external name: sheetIndex < 0 when not found;
    // ixti is the EXTERNSHEET index written into the token (for an external name, the name's index).
    std::function<void(const std::u16string& path, const std::u16string& file, int& sheetIndex, int& ixti,
                       bool isSheetRef, const std::u16string& name, const std::u16string& sheetName)>
        OnExternRef;
    // Receives every report (code and "Error in formula <text>\r<message>"); encoding then goes on.
    // Without it a report raises EXLSError with that text.
    std::function<void(TEncodeFormula& sender, int code, const std::u16string& message)> OnEncodeError;

    TEncodeFormula();
    // The tokenizer reports through this object.
    TEncodeFormula(const TEncodeFormula&) = delete;
    TEncodeFormula& operator=(const TEncodeFormula&) = delete;

    // Writes the tokens of formula into buf (at most bufSize bytes; "Formula buffer overflow."
    // when they do not fit) and returns the count written. ptgClass is the operand class of the
    // formula's reference tokens (0 stands for 0x40, value). An empty text reports 18 and gives 0;
    // a text the tokenizer refused raises "Error in formula".
    int Encode(std::u16string_view formula, uint8_t ptgClass, int formulaVersion, int bufSize, uint8_t* buf);
    // The sheet index of the last 3-D reference of the last formula; -1 when it had none.
    int LastSheetIndex() const { return LastSheetIndex_; }

private:
    using TToken = biff_formula::TXLSToken;

    struct TSpaces {
        int Count = 0;
        uint8_t Type = 0;
    };

    void Report(int code, std::u16string_view format, std::u16string_view argument);
    void ReportText(int code, const std::u16string& message);

    // Token access; the end reads as a token of kind ttNone.
    const TToken& Peek(size_t offset = 0) const;
    // Spaces in front of the next token that is not a space (at most 255 counted), without
    // consuming them; the kind of that token through kind.
    TSpaces PeekSpaces(biff_formula::TXLSTokenType& kind, size_t& next) const;

    void Expression();
    void Concat();
    void Additive();
    void Term();
    void Power();
    void Percent();
    void Unary();
    void Primary();
    void Operand();
    void FunctionCall(const TToken& func, TSpaces before);
    bool Reference3d(TSpaces before);
    bool PlainReference(const TToken& token, TSpaces before);
    void Constant(const TToken& token, TSpaces before);
    // Parses an operator level: next parses the operands, opcode maps token kinds to opcodes (0: none).
    template <class Next, class Map>
    void BinaryLevel(Next next, Map opcode);

    void Write(const void* data, size_t size);
    void WriteByte(uint8_t value);
    void WriteU16(uint16_t value);
    void WriteSpaces(TSpaces spaces);
    // A plain reference, or a 3-D one (withIxti) with its EXTERNSHEET index.
    void WriteRef(uint8_t id, std::u16string_view text, bool withIxti, uint16_t ixti);
    void WriteArea(uint8_t id, std::u16string_view text, bool withIxti, uint16_t ixti);

    biff_formula::TXLSTokenizer Tokenizer_;
    std::u16string TrueText_;
    std::u16string FalseText_;
    uint8_t* Buffer_ = nullptr;
    size_t BufSize_ = 0;
    size_t Used_ = 0;
    size_t Pos_ = 0;
    uint8_t ArgClass_ = 0x40;
    int Depth_ = 0;
    int LastSheetIndex_ = -1;
};

}  // namespace xls
