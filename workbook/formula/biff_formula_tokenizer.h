#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace xls::biff_formula {

// Tokens of the BIFF formula encoder's tokenizer. ttVectL and ttVectR are never produced.
enum TXLSTokenType : uint8_t {
    ttNone,
    ttAdd,
    ttConcat,
    ttSub,
    ttMul,
    ttDiv,
    ttPercent,
    ttPower,
    ttGT,
    ttGE,
    ttLT,
    ttLE,
    ttEQ,
    ttNE,
    ttParenL,
    ttParenR,
    ttSpace,
    ttListSep,
    ttVectL,
    ttVectR,
    ttFunc,
    ttRef,
    ttArea,
    ttRef3d,
    ttArea3d,
    ttRefX,
    ttAreaX,
    ttNumber,
    ttString,
    ttPath,
    ttFile,
    ttName,
    ttNameX,
    ttSheetName,
    ttSheetNameX,
    ttError,
};

extern const std::array<std::u16string_view, 36> XLSTokenTypeNames;

struct TXLSToken {
    std::u16string Text;
    TXLSTokenType Kind = ttNone;
};

// Report codes of the BIFF formula encoder (its tokenizer reports through the encoder).
enum TEncodeErrorCode : int {
    eecInvalidConstant = 1,
    eecInvalidSymbol = 2,
    eecClosingParenMissing = 3,
    eecInvalidFunction = 4,
    eecMissingQuote = 5,
    eecStringTooLong = 6,
    eecUnknownName = 7,
    eecParenMismatch = 11,
    eecIllegalNumber = 12,
    eecIllegalCharacter = 13,
    eecBadFilename = 14,
    eecInvalid3dName = 15,
    eecInvalidName = 16,
    eecWrongArgCount = 17,
    eecEmptyFormula = 18,
};

// A report message: format with its "%s" replaced by argument.
std::u16string FormatReport(std::u16string_view format, std::u16string_view argument);

// Splits formula text into tokens. The working copy of the text is upper case outside quotes
// (double quotes for strings, apostrophes for sheet names and paths). Reports go to the error
// callback (which may raise) and set Error; scanning stops at the first report.
class TXLSTokenizer {
public:
    using TReport = std::function<void(int code, const std::u16string& message)>;

    explicit TXLSTokenizer(TReport report);

    void Tokenize(std::u16string_view text);
    void Clear();

    const std::vector<TXLSToken>& Tokens() const { return Tokens_; }
    const std::u16string& OrigText() const { return OrigText_; }
    bool Error() const { return Error_; }
    int FormulaVersion = 1;

private:
    void Scan();
    void Add(TXLSTokenType kind, std::u16string text);
    void Report(int code, std::u16string_view format, std::u16string_view argument);
    TXLSTokenType LastKind(size_t back = 0) const;
    // Length of an A1 cell reference on the BIFF8 grid starting at pos; 0 when none starts there.
    size_t CellRefLength(size_t pos) const;
    void ScanExclamation();
    void ScanString();
    void ScanError();
    void ScanRefOrName();
    void ScanName();
    void ScanQuoted();
    // The last token is a name that ends in a colon: the first sheet of a range of sheets.
    bool SheetRangeOpen() const;
    void ScanFile();
    void ScanNumber();

    std::u16string Text_;
    std::u16string OrigText_;
    size_t Pos_ = 0;
    bool Error_ = false;
    char16_t ListSeparator_;
    char16_t DecimalSeparator_;
    TReport Report_;
    std::vector<TXLSToken> Tokens_;
};

}  // namespace xls::biff_formula
