#include "workbook/formula/biff_formula_tokenizer.h"

#include "workbook/model/cell_error.h"
#include "workbook/model/exceptions.h"
#include "workbook/model/format_settings.h"
#include "workbook/model/utils.h"

namespace xls::biff_formula {

const std::array<std::u16string_view, 36> XLSTokenTypeNames = {
    u"ttNone",   u"ttAdd",       u"ttConcat",     u"ttSub",    u"ttMul",    u"ttDiv",  u"ttPercent", u"ttPower",
    u"ttGT",     u"ttGE",        u"ttLT",         u"ttLE",     u"ttEQ",     u"ttNE",   u"ttParenL",  u"ttParenR",
    u"ttSpace",  u"ttListSep",   u"ttVectL",      u"ttVectR",  u"ttFunc",   u"ttRef",  u"ttArea",    u"ttRef3d",
    u"ttArea3d", u"ttRefX",      u"ttAreaX",      u"ttNumber", u"ttString", u"ttPath", u"ttFile",    u"ttName",
    u"ttNameX",  u"ttSheetName", u"ttSheetNameX", u"ttError"};

namespace {

bool IsUpperLetter(char16_t c) { return c >= u'A' && c <= u'Z'; }
bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool OneOf(char16_t c, std::u16string_view set) { return set.find(c) != std::u16string_view::npos; }

// Characters that may follow a cell reference, and that end a name.
constexpr std::u16string_view AfterRef = u" !\"#$%&'()*+-/:<=>[]^{}";
constexpr std::u16string_view NameEnd = u" !\"#%&'()*+-/<=>?[\\]^{}";
// Characters that end a number (the concatenation too: 1&2 is a formula).
constexpr std::u16string_view NumberEnd = u" %&)*+-/<=>^";
// Characters that a quoted sheet name must not hold.
constexpr std::u16string_view NotInSheetName = u"*/?[\\]";

}  // namespace

std::u16string FormatReport(std::u16string_view format, std::u16string_view argument) {
    std::u16string out(format);
    const size_t at = out.find(u"%s");
    if (at != std::u16string::npos) out.replace(at, 2, argument);
    return out;
}

TXLSTokenizer::TXLSTokenizer(TReport report)
    : ListSeparator_(DefaultFormatSettings().GetListSeparator()),
      DecimalSeparator_(DefaultFormatSettings().GetDecimalSeparator()),
      Report_(std::move(report)) {}

void TXLSTokenizer::Clear() {
    Tokens_.clear();
    Error_ = false;
}

void TXLSTokenizer::Report(int code, std::u16string_view format, std::u16string_view argument) {
    Error_ = true;
    Report_(code, FormatReport(format, argument));
}

void TXLSTokenizer::Add(TXLSTokenType kind, std::u16string text) { Tokens_.push_back({std::move(text), kind}); }

TXLSTokenType TXLSTokenizer::LastKind(size_t back) const {
    return Tokens_.size() > back ? Tokens_[Tokens_.size() - 1 - back].Kind : ttNone;
}

void TXLSTokenizer::Tokenize(std::u16string_view text) {
    Clear();
    OrigText_.assign(text);
    // Upper case outside quotes; a quote is closed only by the character that opened it.
    Text_ = WideUpperCaseStr(text);
    char16_t quote = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (quote) {
            Text_[i] = c;
            if (c == quote) quote = 0;
        } else if (c == u'"' || c == u'\'') {
            quote = c;
        }
    }
    Pos_ = 0;
    Scan();
}

void TXLSTokenizer::Scan() {
    while (Pos_ < Text_.size() && !Error_) {
        const char16_t c = Text_[Pos_];
        switch (c) {
            case u' ':
                Add(ttSpace, u" ");
                ++Pos_;
                break;
            case u'!': ScanExclamation(); break;
            case u'"': ScanString(); break;
            case u'#': ScanError(); break;
            case u'%':
                Add(ttPercent, u"%");
                ++Pos_;
                break;
            case u'&':
                Add(ttConcat, u"&");
                ++Pos_;
                break;
            case u'*':
                Add(ttMul, u"*");
                ++Pos_;
                break;
            case u'+':
                Add(ttAdd, u"+");
                ++Pos_;
                break;
            case u'-':
                Add(ttSub, u"-");
                ++Pos_;
                break;
            case u'/':
                Add(ttDiv, u"/");
                ++Pos_;
                break;
            case u'^':
                Add(ttPower, u"^");
                ++Pos_;
                break;
            case u'=':
                Add(ttEQ, u"=");
                ++Pos_;
                break;
            case u')':
                Add(ttParenR, u")");
                ++Pos_;
                break;
            case u'<':
                if (Pos_ + 1 < Text_.size() && Text_[Pos_ + 1] == u'=') {
                    Add(ttLE, u"<=");
                    Pos_ += 2;
                } else if (Pos_ + 1 < Text_.size() && Text_[Pos_ + 1] == u'>') {
                    Add(ttNE, u"<>");
                    Pos_ += 2;
                } else {
                    Add(ttLT, u"<");
                    ++Pos_;
                }
                break;
            case u'>':
                if (Pos_ + 1 < Text_.size() && Text_[Pos_ + 1] == u'=') {
                    Add(ttGE, u">=");
                    Pos_ += 2;
                } else {
                    Add(ttGT, u">");
                    ++Pos_;
                }
                break;
            case u'(':
                if (LastKind() == ttName)
                    Tokens_.back().Kind = ttFunc;
                else
                    Add(ttParenL, u"(");
                ++Pos_;
                break;
            case u'\'':
                if (LastKind() == ttName && !SheetRangeOpen())
                    ++Pos_;
                else
                    ScanQuoted();
                break;
            case u'[': ScanFile(); break;
            case u'{':
            case u'}': Error_ = true; break;
            default:
                if (c == ListSeparator_) {
                    Add(ttListSep, std::u16string(1, c));
                    ++Pos_;
                } else if (IsDigit(c)) {
                    ScanNumber();
                } else if (c == DecimalSeparator_) {
                    throw EXLSError("Illegal use of decimal separator");
                } else {
                    ScanRefOrName();
                }
        }
    }
}

void TXLSTokenizer::ScanExclamation() {
    const TXLSTokenType last = LastKind();
    ++Pos_;
    if (last == ttPath) return;
    if (last == ttRef || last == ttArea || last == ttName) {
        Tokens_.back().Kind = LastKind(1) == ttFile ? ttSheetNameX : ttSheetName;
        return;
    }
    Report(eecInvalid3dName, u"Invalid 3D name %s", Tokens_.empty() ? u"!" : Tokens_.back().Text);
}

void TXLSTokenizer::ScanString() {
    // A doubled quote inside the string stands for one quote.
    std::u16string text;
    size_t from = Pos_ + 1;
    for (;;) {
        const size_t end = Text_.find(u'"', from);
        if (end == std::u16string::npos) {
            Report(eecMissingQuote, u"Missing quote characther in string %s", OrigText_);
            return;
        }
        text.append(Text_, from, end - from);
        if (end + 1 < Text_.size() && Text_[end + 1] == u'"') {
            text += u'"';
            from = end + 2;
            continue;
        }
        Add(ttString, std::move(text));
        Pos_ = end + 1;
        return;
    }
}

void TXLSTokenizer::ScanError() {
    // The known error texts first ("#DIV/0!" and "#N/A" hold characters that end other runs).
    for (int code = errNull; code <= errNA; ++code) {
        const std::u16string_view name = Xc12CellErrorNames[code];
        if (Text_.compare(Pos_, name.size(), name) == 0) {
            Add(ttError, std::u16string(name));
            Pos_ += name.size();
            return;
        }
    }
    size_t end = Pos_ + 1;
    while (end < Text_.size() && (IsUpperLetter(Text_[end]) || Text_[end] == u'!')) ++end;
    Add(ttError, Text_.substr(Pos_, end - Pos_));
    Pos_ = end;
}

size_t TXLSTokenizer::CellRefLength(size_t pos) const {
    const size_t n = Text_.size();
    size_t i = pos;
    if (i < n && Text_[i] == u'$') ++i;
    if (i >= n || !IsUpperLetter(Text_[i])) return 0;
    int col = Text_[i] - u'A';
    ++i;
    if (col <= u'I' - u'A' && i < n && IsUpperLetter(Text_[i])) {
        col = (col + 1) * 26 + (Text_[i] - u'A');
        ++i;
    }
    if (col > 255) return 0;
    if (i < n && Text_[i] == u'$') ++i;
    const size_t digits = i;
    long row = 0;
    while (i < n && IsDigit(Text_[i]) && row <= 65536) row = row * 10 + (Text_[i++] - u'0');
    if (i == digits || row < 1 || row > 65536) return 0;
    if (i < n && !OneOf(Text_[i], AfterRef) && Text_[i] != ListSeparator_) return 0;
    return i - pos;
}

void TXLSTokenizer::ScanRefOrName() {
    const size_t first = CellRefLength(Pos_);
    if (first > 0) {
        size_t length = first;
        TXLSTokenType kind = ttRef;
        if (Pos_ + first < Text_.size() && Text_[Pos_ + first] == u':') {
            const size_t second = CellRefLength(Pos_ + first + 1);
            if (second > 0) {
                length = first + 1 + second;
                kind = ttArea;
            }
        }
        const TXLSTokenType last = LastKind();
        if (last == ttSheetName) kind = kind == ttRef ? ttRef3d : ttArea3d;
        if (last == ttSheetNameX) kind = kind == ttRef ? ttRefX : ttAreaX;
        Add(kind, Text_.substr(Pos_, length));
        Pos_ += length;
        return;
    }
    if (Text_[Pos_] == u'$') {
        Report(eecInvalidName, u"Invalid name %s", std::u16string_view(Text_).substr(Pos_));
        return;
    }
    ScanName();
}

void TXLSTokenizer::ScanName() {
    // Dots join the parts of a name (ERROR.TYPE): the dot is no name end.
    size_t end = Pos_;
    while (end < Text_.size() && !OneOf(Text_[end], NameEnd) && Text_[end] != ListSeparator_) ++end;
    if (end == Pos_) throw EXLSError("Invalid name");
    Add(LastKind() == ttPath ? ttNameX : ttName, Text_.substr(Pos_, end - Pos_));
    Pos_ = end;
}

void TXLSTokenizer::ScanQuoted() {
    const size_t end = Text_.find(u'\'', Pos_ + 1);
    if (end == std::u16string::npos) {
        Report(eecMissingQuote, u"Missing quote characther in string %s", OrigText_);
        return;
    }
    const std::u16string_view quoted = std::u16string_view(Text_).substr(Pos_ + 1, end - Pos_ - 1);
    if (quoted.size() >= 3 && quoted.substr(1, 2) == u":\\") {
        // A path: its text up to the file name in brackets; scanning goes on at the bracket.
        const size_t bracket = quoted.find(u'[', 1);
        if (bracket == std::u16string_view::npos) {
            Add(ttPath, std::u16string(quoted));
            Pos_ = end + 1;
        } else {
            Add(ttPath, std::u16string(quoted.substr(0, bracket)));
            Pos_ += 1 + bracket;
        }
        return;
    }
    for (char16_t c : quoted) {
        if (OneOf(c, NotInSheetName)) {
            Report(eecIllegalCharacter, u"Illegal character in string %s", quoted);
            return;
        }
    }
    // The last sheet of a range whose first one stands before it (Data:'Other Sheet').
    if (SheetRangeOpen())
        Tokens_.back().Text += quoted;
    else
        Add(ttName, std::u16string(quoted));
    Pos_ = end + 1;
}

bool TXLSTokenizer::SheetRangeOpen() const {
    return LastKind() == ttName && !Tokens_.back().Text.empty() && Tokens_.back().Text.back() == u':';
}

void TXLSTokenizer::ScanFile() {
    const size_t end = Text_.find(u']', Pos_ + 1);
    if (end == std::u16string::npos || end == Pos_ + 1) {
        Report(eecBadFilename, u"Bad filename %s", std::u16string_view(Text_).substr(Pos_));
        return;
    }
    Add(ttFile, Text_.substr(Pos_ + 1, end - Pos_ - 1));
    Pos_ = end + 1;
}

void TXLSTokenizer::ScanNumber() {
    size_t end = Pos_;
    bool separator = false;
    bool exponent = false;
    while (end < Text_.size()) {
        const char16_t c = Text_[end];
        if (IsDigit(c)) {
            ++end;
        } else if (c == DecimalSeparator_ && !exponent) {
            if (separator) {
                Report(eecIllegalNumber, u"Illegal number", u"");
                return;
            }
            separator = true;
            ++end;
        } else if (c == u'E' && !exponent) {
            // Scientific notation (the text is in upper case here): E, an optional sign, digits.
            exponent = true;
            ++end;
            if (end < Text_.size() && (Text_[end] == u'+' || Text_[end] == u'-')) ++end;
            if (end >= Text_.size() || !IsDigit(Text_[end])) {
                Report(eecIllegalNumber, u"Illegal number", u"");
                return;
            }
        } else if (OneOf(c, NumberEnd) || c == ListSeparator_) {
            break;
        } else {
            Report(eecIllegalNumber, u"Illegal number", u"");
            return;
        }
    }
    Add(ttNumber, Text_.substr(Pos_, end - Pos_));
    Pos_ = end;
}

}  // namespace xls::biff_formula
