#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace xls {

class TXLSErrorManager;

// Token kinds of the model's formula tokenizer; the numbers are the encoder's.
enum TXLSTokenKind : uint8_t {
    xttBadChar = 0,
    xttSpace = 1,
    xttListSep = 2,
    xttColon = 3,
    xttArrayRowSep = 4,
    xttTableSpace = 5,
    xttSheetEnd = 6,
    xttParenOpen = 7,
    xttParenClose = 8,
    xttTableEnd = 10,
    xttWhitespace = 12,
    xttErrNull = 13,
    xttErrDiv0 = 14,
    xttErrValue = 15,
    xttErrRef = 16,
    xttErrName = 17,
    xttErrNum = 18,
    xttErrNA = 19,
    xttErrGettingData = 20,
    xttTrue = 21,
    xttFalse = 22,
    xttString = 23,
    xttArrayOpen = 24,
    xttArrayClose = 25,
    xttNumber = 26,
    xttPower = 27,
    xttMul = 28,
    xttDiv = 29,
    xttAdd = 30,
    xttSub = 31,
    xttNeg = 32,
    xttPos = 33,
    xttConcat = 34,
    xttEQ = 35,
    xttNE = 36,
    xttLT = 37,
    xttLE = 38,
    xttGT = 39,
    xttGE = 40,
    xttPercent = 41,
    xttRange = 42,
    xttIsect = 43,
    xttCol = 44,
    xttColAbs = 45,
    xttRow = 46,
    xttRowAbs = 47,
    xttName = 52,
    xttFunc = 53,
    xttSheet = 54,
    xttBook = 55,
    xttTable = 56,
    xttTableColumn = 57,
    xttTableItem = 58,
};

enum TXLSTokenValueType : uint8_t { xtvNone, xtvInteger, xtvDouble, xtvChar, xtvText };

struct TXLSTokenListItem {
    uint16_t Start = 0;  // 1-based position of the token's first character
    uint16_t End = 0;    // 1-based position of its last character
    TXLSTokenKind Kind = xttBadChar;
    TXLSTokenValueType ValueType = xtvNone;
    int32_t Int = 0;  // counts, column and row indexes
    double Number = 0;
    char16_t Char = 0;
    std::u16string Text;
};

using TXLSTokenList = std::vector<TXLSTokenListItem>;

// The two separators of formula text. Invariant text uses "." and ","; a caller that shows
// formulas in the user's locale passes the locale's pair.
struct TXLSFormulaSeparators {
    char16_t Decimal = u'.';
    char16_t List = u',';
};

// Splits the text of one formula into tokens, deciding from the neighbouring tokens what the
// characters alone do not tell: a name before "(" is a function, a sign where an operand is
// expected is unary, a space between two operands is the intersection. Reports 4001..4013 go to
// the error manager; when it returns (an error event is assigned) scanning stops and the result
// is marked failed, so a formula with a syntax error is never taken for a shorter one.
class TXLSTokenizer {
public:
    explicit TXLSTokenizer(TXLSErrorManager& errors) : Errors_(errors) {}

    void SetSeparators(TXLSFormulaSeparators separators) { Separators_ = separators; }
    const TXLSFormulaSeparators& Separators() const { return Separators_; }

    // The tokens of text; empty for a text of whitespace only and after a report (Failed()).
    TXLSTokenList Tokenize(std::u16string_view text);
    bool Failed() const { return Failed_; }

private:
    struct TStop {};

    bool AtEnd() const { return Pos_ >= Text_.size(); }
    char16_t Cur() const { return AtEnd() ? char16_t(0) : Text_[Pos_]; }
    char16_t At(size_t pos) const { return pos < Text_.size() ? Text_[pos] : char16_t(0); }
    TXLSTokenListItem& Add(TXLSTokenKind kind, size_t start, size_t end);
    TXLSTokenListItem& AddText(TXLSTokenKind kind, size_t start, size_t end, std::u16string text);
    [[noreturn]] void Report(int code, std::u16string_view text);
    const TXLSTokenListItem* LastSolid() const;

    bool Item();
    bool Constant();
    bool ErrorConstant();
    bool WholeRows(bool required);
    bool Number();
    bool String();
    bool ArrayConstant();
    bool Operator();
    bool Reference();
    bool Prefix();
    bool QuotedPrefix();
    bool UnquotedPrefix(size_t from);
    // first:'last'! where only the last sheet is quoted; false when it is no such prefix.
    bool QuotedLastSheet(size_t from, size_t colon);
    void AddSheets(std::u16string_view sheets, size_t start);
    bool ReadColumn(size_t& pos, int32_t& col, bool& absolute) const;
    bool ReadRow(size_t& pos, int32_t& row, bool& absolute) const;
    bool CellRef();
    bool Name();
    bool StructuredParts();
    bool TablePart();
    void Reclassify();

    TXLSErrorManager& Errors_;
    TXLSFormulaSeparators Separators_;
    std::u16string Text_;
    size_t Pos_ = 0;
    size_t Offset_ = 0;  // leading whitespace cut off, for the 1-based positions
    int Depth_ = 0;
    bool Failed_ = false;
    TXLSTokenList Tokens_;
};

}  // namespace xls
