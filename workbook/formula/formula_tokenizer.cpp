#include "workbook/formula/formula_tokenizer.h"

#include <array>
#include <cmath>
#include <limits>

#include "workbook/model/error_manager.h"
#include "workbook/model/utils.h"

namespace xls {

namespace {

constexpr int32_t MaxRow = 1048575;
constexpr int32_t MaxCol = 16383;
// Nesting deeper than this is no formula anybody typed; it would only exhaust the stack.
constexpr int MaxDepth = 256;

bool IsWhite(char16_t c) { return c == u' ' || c == u'\r' || c == u'\n'; }
bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool IsLetter(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }
bool OneOf(char16_t c, std::u16string_view set) { return c != 0 && set.find(c) != std::u16string_view::npos; }
bool IsNameChar(char16_t c) { return IsDigit(c) || IsLetter(c) || OneOf(c, u"\u00C4\u00C5\u00D6\u00E4\u00E5\u00F6"); }
bool IsNameStart(char16_t c) { return IsNameChar(c) || c == u'_' || c == u'\\'; }
bool IsNameRest(char16_t c) { return IsNameChar(c) || c == u'_' || c == u'.'; }
// What may follow a cell reference inside a longer name ("A1B", "LOG10(").
bool ContinuesName(char16_t c) { return IsDigit(c) || IsLetter(c) || c == u'_' || c == u'.' || c >= 128 || c == u'('; }
bool IsFunctionName(std::u16string_view name) {
    if (name.empty() || !IsLetter(name[0])) return false;
    for (char16_t c : name.substr(1))
        if (!IsLetter(c) && !IsDigit(c) && c != u'_' && c != u'.') return false;
    return true;
}

constexpr std::u16string_view OperatorChars = u" &*+,-/:<=>^";
constexpr std::u16string_view NoPrefixChars = u"'()?[\\]";
constexpr std::u16string_view ErrorRunChars = u"#/!?01234567890_ABCDEFGHIJKLMNOPQRSTUVWXYZ";

constexpr std::array<std::u16string_view, 8> ErrorTexts = {u"#NULL!", u"#DIV/0!", u"#VALUE!", u"#REF!",
                                                           u"#NAME?", u"#NUM!",   u"#N/A",    u"#GETTING_DATA"};

bool IsOperatorKind(TXLSTokenKind kind) { return kind >= xttPower && kind <= xttRange; }

}  // namespace

TXLSTokenListItem& TXLSTokenizer::Add(TXLSTokenKind kind, size_t start, size_t end) {
    TXLSTokenListItem& item = Tokens_.emplace_back();
    item.Kind = kind;
    item.Start = static_cast<uint16_t>(start + Offset_ + 1);
    item.End = static_cast<uint16_t>(end + Offset_);
    return item;
}

TXLSTokenListItem& TXLSTokenizer::AddText(TXLSTokenKind kind, size_t start, size_t end, std::u16string text) {
    TXLSTokenListItem& item = Add(kind, start, end);
    item.ValueType = xtvText;
    item.Text = std::move(text);
    return item;
}

void TXLSTokenizer::Report(int code, std::u16string_view text) {
    Failed_ = true;
    Errors_.Error(text, code);
    throw TStop{};
}

const TXLSTokenListItem* TXLSTokenizer::LastSolid() const {
    for (auto it = Tokens_.rbegin(); it != Tokens_.rend(); ++it)
        if (it->Kind != xttWhitespace) return &*it;
    return nullptr;
}

TXLSTokenList TXLSTokenizer::Tokenize(std::u16string_view text) {
    Tokens_.clear();
    Failed_ = false;
    Depth_ = 0;
    size_t first = 0;
    while (first < text.size() && IsWhite(text[first])) ++first;
    if (first == text.size()) return {};
    size_t last = text.size();
    while (IsWhite(text[last - 1])) --last;
    // Positions are 16-bit; a longer text is no formula.
    if (text.size() > std::numeric_limits<uint16_t>::max()) {
        Failed_ = true;
        Errors_.Error(u"", 4006);
        return {};
    }
    Text_.assign(text.substr(first, last - first));
    Offset_ = first;
    Pos_ = 0;
    try {
        if (first > 0) {
            Offset_ = 0;
            Add(xttSpace, 0, first).Int = static_cast<int32_t>(first);
            Tokens_.back().ValueType = xtvInteger;
            Offset_ = first;
        }
        while (!AtEnd()) {
            if (IsWhite(Cur())) {
                const size_t start = Pos_;
                while (IsWhite(Cur())) ++Pos_;
                TXLSTokenListItem& ws = Add(xttWhitespace, start, Pos_);
                ws.ValueType = xtvInteger;
                ws.Int = static_cast<int32_t>(Pos_ - start);
            } else if (!Item()) {
                Report(4006, std::u16string(1, Cur()));
            }
        }
    } catch (const TStop&) {
        Tokens_.clear();
        return {};
    }
    Reclassify();
    if (last < text.size()) {
        TXLSTokenListItem& ws = Add(xttWhitespace, Text_.size(), Text_.size() + (text.size() - last));
        ws.ValueType = xtvInteger;
        ws.Int = static_cast<int32_t>(text.size() - last);
    }
    return std::move(Tokens_);
}

void TXLSTokenizer::Reclassify() {
    for (size_t i = 1; i + 1 < Tokens_.size(); ++i) {
        TXLSTokenListItem& item = Tokens_[i];
        if (item.Kind != xttWhitespace) continue;
        const TXLSTokenKind before = Tokens_[i - 1].Kind;
        const TXLSTokenKind after = Tokens_[i + 1].Kind;
        const bool spacing = before == xttListSep || before == xttParenOpen || IsOperatorKind(before) ||
                             before == xttFunc || after == xttListSep || after == xttParenClose ||
                             IsOperatorKind(after);
        item.Kind = spacing ? xttSpace : xttIsect;
    }
}

bool TXLSTokenizer::Item() {
    if (AtEnd()) return false;
    if (++Depth_ > MaxDepth) Report(4006, std::u16string(1, Cur()));
    struct TLeave {
        int& Depth;
        ~TLeave() { --Depth; }
    } leave{Depth_};
    const size_t start = Pos_;
    const char16_t c = Cur();
    if (c == u'(') {
        ++Pos_;
        if (!Tokens_.empty() && Tokens_.back().Kind == xttName && IsFunctionName(Tokens_.back().Text))
            Tokens_.back().Kind = xttFunc;
        else
            Add(xttParenOpen, start, Pos_);
        while (Item()) {
        }
        if (Cur() != u')') Report(4007, u"");
        Add(xttParenClose, Pos_, Pos_ + 1);
        ++Pos_;
        return true;
    }
    if (Constant()) return true;
    const TXLSTokenListItem* last = LastSolid();
    const bool operandExpected = !last || last->Kind == xttBadChar || last->Kind == xttSpace ||
                                 last->Kind == xttListSep || last->Kind == xttParenOpen ||
                                 (last->Kind >= xttPower && last->Kind <= xttGE) || last->Kind == xttFunc;
    if (operandExpected && (c == u'-' || c == u'+')) {
        ++Pos_;
        Add(c == u'-' ? xttNeg : xttPos, start, Pos_);
        if (!Item()) Report(4008, u"-");
        return true;
    }
    if (c == Separators_.List) {
        ++Pos_;
        Add(xttListSep, start, Pos_);
        Item();
        return true;
    }
    if (Operator()) {
        Item();
        return true;
    }
    if (c == u'%') {
        ++Pos_;
        Add(xttPercent, start, Pos_);
        return true;
    }
    return Reference() || StructuredParts();
}

bool TXLSTokenizer::Operator() {
    static constexpr std::pair<std::u16string_view, TXLSTokenKind> Ops[] = {
        {u"^", xttPower},  {u"*", xttMul}, {u"/", xttDiv},  {u"+", xttAdd}, {u"-", xttSub},
        {u"&", xttConcat}, {u"=", xttEQ},  {u"<>", xttNE},  {u"<=", xttLE}, {u">=", xttGE},
        {u"<", xttLT},     {u">", xttGT},  {u":", xttRange}};
    const std::u16string_view rest = std::u16string_view(Text_).substr(Pos_);
    for (auto [text, kind] : Ops) {
        if (rest.starts_with(text)) {
            Add(kind, Pos_, Pos_ + text.size());
            Pos_ += text.size();
            return true;
        }
    }
    if (IsWhite(Cur())) {
        if (!Tokens_.empty() && Tokens_.back().Kind == xttWhitespace) {
            ++Tokens_.back().Int;
            Tokens_.back().End = static_cast<uint16_t>(Pos_ + Offset_ + 1);
        } else {
            TXLSTokenListItem& ws = Add(xttWhitespace, Pos_, Pos_ + 1);
            ws.ValueType = xtvInteger;
            ws.Int = 1;
        }
        ++Pos_;
        return true;
    }
    return false;
}

bool TXLSTokenizer::Constant() {
    const char16_t c = Cur();
    if (c == u'#') return ErrorConstant();
    const std::u16string_view rest = std::u16string_view(Text_).substr(Pos_);
    for (auto [text, kind] :
         {std::pair{std::u16string_view(u"TRUE"), xttTrue}, std::pair{std::u16string_view(u"FALSE"), xttFalse}}) {
        // TRUE() and FALSE() are functions, TRUEX a name.
        if (rest.starts_with(text) && !ContinuesName(At(Pos_ + text.size()))) {
            Add(kind, Pos_, Pos_ + text.size());
            Pos_ += text.size();
            return true;
        }
    }
    if (WholeRows(false)) return true;
    if (IsDigit(c) || c == Separators_.Decimal) return Number();
    if (c == u'"') return String();
    if (c == u'{') return ArrayConstant();
    return false;
}

bool TXLSTokenizer::ErrorConstant() {
    const std::u16string_view rest = std::u16string_view(Text_).substr(Pos_);
    for (size_t i = 0; i < ErrorTexts.size(); ++i) {
        if (rest.starts_with(ErrorTexts[i])) {
            Add(static_cast<TXLSTokenKind>(xttErrNull + i), Pos_, Pos_ + ErrorTexts[i].size());
            Pos_ += ErrorTexts[i].size();
            return true;
        }
    }
    size_t end = Pos_;
    while (OneOf(At(end), ErrorRunChars)) ++end;
    Report(4001, Text_.substr(Pos_, end - Pos_));
}

bool TXLSTokenizer::ReadRow(size_t& pos, int32_t& row, bool& absolute) const {
    size_t p = pos;
    absolute = At(p) == u'$';
    if (absolute) ++p;
    int64_t value = 0;
    size_t digits = 0;
    while (IsDigit(At(p)) && digits < 10) {
        value = value * 10 + (At(p) - u'0');
        ++p;
        ++digits;
    }
    if (digits == 0 || digits > 9 || value < 1 || value > MaxRow + 1) return false;
    row = static_cast<int32_t>(value - 1);
    pos = p;
    return true;
}

bool TXLSTokenizer::ReadColumn(size_t& pos, int32_t& col, bool& absolute) const {
    size_t p = pos;
    absolute = At(p) == u'$';
    if (absolute) ++p;
    int32_t value = 0;
    size_t letters = 0;
    while (IsLetter(At(p)) && letters < 4) {
        value = value * 26 + ((At(p) | 0x20) - u'a' + 1);
        ++p;
        ++letters;
    }
    if (letters == 0 || letters > 3 || value - 1 > MaxCol) return false;
    col = value - 1;
    pos = p;
    return true;
}

bool TXLSTokenizer::WholeRows(bool required) {
    size_t p = Pos_;
    int32_t row1 = 0;
    int32_t row2 = 0;
    bool abs1 = false;
    bool abs2 = false;
    if (!ReadRow(p, row1, abs1) || At(p) != u':') {
        if (required && (IsDigit(At(Pos_)) || At(Pos_) == u'$')) Report(4010, u"");
        return false;
    }
    const size_t colon = p++;
    if (!ReadRow(p, row2, abs2) || ContinuesName(At(p))) {
        // "1:A" is no row range: leave it to the number and the range operator.
        if (IsDigit(At(p)) || At(p) == u'$' || required) Report(4010, u"");
        return false;
    }
    TXLSTokenListItem& r1 = Add(abs1 ? xttRowAbs : xttRow, Pos_, colon);
    r1.ValueType = xtvInteger;
    r1.Int = row1;
    Add(xttColon, colon, colon + 1);
    TXLSTokenListItem& r2 = Add(abs2 ? xttRowAbs : xttRow, colon + 1, p);
    r2.ValueType = xtvInteger;
    r2.Int = row2;
    Pos_ = p;
    return true;
}

bool TXLSTokenizer::Number() {
    const size_t start = Pos_;
    size_t p = Pos_;
    while (IsDigit(At(p))) ++p;
    if (At(p) == Separators_.Decimal) {
        if (p == start && !IsDigit(At(p + 1))) Report(4003, u"");
        ++p;
        while (IsDigit(At(p))) ++p;
    }
    if (At(p) == u'E' || At(p) == u'e') {
        size_t q = p + 1;
        if (At(q) == u'+' || At(q) == u'-') ++q;
        if (!IsDigit(At(q))) Report(4002, u"");
        while (IsDigit(At(q))) ++q;
        p = q;
    }
    double value = 0;
    // 1E400 is no number a cell can hold; it must not become 0.
    if (!TryStrToFloat(std::u16string_view(Text_).substr(start, p - start), value, Separators_.Decimal) ||
        !std::isfinite(value))
        Report(4006, Text_.substr(start, p - start));
    TXLSTokenListItem& item = Add(xttNumber, start, p);
    item.ValueType = xtvDouble;
    item.Number = value;
    Pos_ = p;
    return true;
}

bool TXLSTokenizer::String() {
    const size_t start = Pos_;
    std::u16string value;
    size_t p = Pos_ + 1;
    for (;;) {
        if (p >= Text_.size()) Report(4004, u"");
        if (Text_[p] == u'"') {
            if (At(p + 1) != u'"') break;
            ++p;
        }
        value += Text_[p++];
    }
    Pos_ = p + 1;
    AddText(xttString, start, Pos_, std::move(value));
    return true;
}

bool TXLSTokenizer::ArrayConstant() {
    Add(xttArrayOpen, Pos_, Pos_ + 1);
    ++Pos_;
    if (Cur() == u'}') {
        Add(xttArrayClose, Pos_, Pos_ + 1);
        ++Pos_;
        return true;
    }
    // With ";" as the list separator the rows take it, and the columns the backslash.
    const char16_t columnSep = Separators_.List == u';' ? u'\\' : Separators_.List;
    for (;;) {
        for (;;) {
            // A sign may stand before any element: {1,-1} is as valid as {-1,1}.
            if (Cur() == u'-' || Cur() == u'+') {
                Add(Cur() == u'-' ? xttNeg : xttPos, Pos_, Pos_ + 1);
                ++Pos_;
            }
            if (Cur() == u'{' || !Constant()) Report(4005, u"");
            if (Cur() != columnSep) break;
            Add(xttListSep, Pos_, Pos_ + 1);
            ++Pos_;
        }
        if (Cur() != u';') break;
        Add(xttArrayRowSep, Pos_, Pos_ + 1);
        ++Pos_;
    }
    if (Cur() != u'}') Report(4005, u"");
    Add(xttArrayClose, Pos_, Pos_ + 1);
    ++Pos_;
    return true;
}

bool TXLSTokenizer::Reference() {
    const size_t start = Pos_;
    const size_t tokens = Tokens_.size();
    const bool prefixed = Prefix();
    if (prefixed && Cur() == u'#') return ErrorConstant();
    if (CellRef()) return true;
    if (prefixed && WholeRows(true)) return true;
    if (!prefixed) {
        Pos_ = start;
        Tokens_.resize(tokens);
    }
    return Name();
}

bool TXLSTokenizer::Prefix() {
    if (Cur() == u'\'') return QuotedPrefix();
    if (Cur() == u'[') {
        size_t p = Pos_ + 1;
        while (p < Text_.size() && !OneOf(Text_[p], OperatorChars) && !OneOf(Text_[p], u"'?[]")) ++p;
        if (p == Pos_ + 1 || At(p) != u']') return false;
        const size_t start = Pos_;
        const size_t tokens = Tokens_.size();
        AddText(xttBook, Pos_ + 1, p, Text_.substr(Pos_ + 1, p - Pos_ - 1));
        Pos_ = p + 1;
        if (UnquotedPrefix(Pos_)) return true;
        Pos_ = start;
        Tokens_.resize(tokens);
        return false;
    }
    return UnquotedPrefix(Pos_);
}

bool TXLSTokenizer::UnquotedPrefix(size_t from) {
    size_t p = from;
    size_t colon = std::u16string::npos;
    while (p < Text_.size() && Text_[p] != u'!') {
        const char16_t c = Text_[p];
        if (c == u':' && colon == std::u16string::npos && p > from) {
            colon = p++;
            continue;
        }
        // The last sheet of a range may be quoted alone: Data:'Other Sheet'!A1.
        if (c == u'\'' && colon != std::u16string::npos && p == colon + 1) return QuotedLastSheet(from, colon);
        if (OneOf(c, NoPrefixChars) || OneOf(c, OperatorChars) || IsWhite(c) || c == Separators_.List) return false;
        ++p;
    }
    if (p >= Text_.size() || p == from || colon + 1 == p) return false;
    AddSheets(std::u16string_view(Text_).substr(from, p - from), from);
    Add(xttSheetEnd, p, p + 1);
    Pos_ = p + 1;
    return true;
}

bool TXLSTokenizer::QuotedLastSheet(size_t from, size_t colon) {
    std::u16string last;
    size_t p = colon + 2;
    for (;;) {
        if (p >= Text_.size()) return false;
        if (Text_[p] == u'\'') {
            if (At(p + 1) != u'\'') break;
            ++p;
        }
        last += Text_[p++];
    }
    if (last.empty() || At(p + 1) != u'!') return false;
    AddText(xttSheet, from, colon, Text_.substr(from, colon - from));
    Add(xttColon, colon, colon + 1);
    AddText(xttSheet, colon + 1, p + 1, last);
    Add(xttSheetEnd, p + 1, p + 2);
    Pos_ = p + 2;
    return true;
}

void TXLSTokenizer::AddSheets(std::u16string_view sheets, size_t start) {
    const size_t colon = sheets.find(u':');
    if (colon != std::u16string_view::npos) {
        AddText(xttSheet, start, start + colon, std::u16string(sheets.substr(0, colon)));
        Add(xttColon, start + colon, start + colon + 1);
        AddText(xttSheet, start + colon + 1, start + sheets.size(), std::u16string(sheets.substr(colon + 1)));
    } else {
        AddText(xttSheet, start, start + sheets.size(), std::u16string(sheets));
    }
}

bool TXLSTokenizer::QuotedPrefix() {
    const size_t start = Pos_;
    std::u16string quoted;
    size_t p = Pos_ + 1;
    // Two apostrophes stand for one, as the decoder writes a sheet name that holds one.
    for (;;) {
        if (p >= Text_.size()) Report(4013, u"'");
        if (Text_[p] == u'\'') {
            if (At(p + 1) != u'\'') break;
            ++p;
        }
        quoted += Text_[p++];
    }
    const size_t close = p;
    if (quoted.empty()) Report(4011, u"");
    if (At(close + 1) != u'!') Report(4013, u"!");
    std::u16string_view rest = quoted;
    if (rest.front() == u'[') {
        const size_t bracket = rest.find(u']');
        if (bracket == std::u16string_view::npos || bracket == 1 || bracket + 1 == rest.size()) Report(4012, u"");
        AddText(xttBook, start + 2, start + 1 + bracket, std::u16string(rest.substr(1, bracket - 1)));
        rest.remove_prefix(bracket + 1);
    }
    const size_t colon = rest.find(u':');
    if (colon == 0 || (colon != std::u16string_view::npos && colon + 1 == rest.size())) Report(4011, u"");
    AddSheets(rest, start + 1 + (quoted.size() - rest.size()));
    Add(xttSheetEnd, close + 1, close + 2);
    Pos_ = close + 2;
    return true;
}

bool TXLSTokenizer::CellRef() {
    size_t p = Pos_;
    int32_t col1 = 0;
    bool colAbs1 = false;
    if (!ReadColumn(p, col1, colAbs1)) return false;
    auto addCol = [this](size_t from, size_t to, int32_t col, bool abs) {
        TXLSTokenListItem& item = Add(abs ? xttColAbs : xttCol, from, to);
        item.ValueType = xtvInteger;
        item.Int = col;
    };
    auto addRow = [this](size_t from, size_t to, int32_t row, bool abs) {
        TXLSTokenListItem& item = Add(abs ? xttRowAbs : xttRow, from, to);
        item.ValueType = xtvInteger;
        item.Int = row;
    };
    if (At(p) == u':') {
        size_t q = p + 1;
        int32_t col2 = 0;
        bool colAbs2 = false;
        if (!ReadColumn(q, col2, colAbs2) || ContinuesName(At(q))) Report(4010, u"");
        addCol(Pos_, p, col1, colAbs1);
        Add(xttColon, p, p + 1);
        addCol(p + 1, q, col2, colAbs2);
        Pos_ = q;
        return true;
    }
    const size_t rowStart = p;
    int32_t row1 = 0;
    bool rowAbs1 = false;
    if (!ReadRow(p, row1, rowAbs1) || ContinuesName(At(p))) return false;
    addCol(Pos_, rowStart, col1, colAbs1);
    addRow(rowStart, p, row1, rowAbs1);
    Pos_ = p;
    if (At(p) != u':') return true;
    size_t q = p + 1;
    int32_t col2 = 0;
    int32_t row2 = 0;
    bool colAbs2 = false;
    bool rowAbs2 = false;
    if (!ReadColumn(q, col2, colAbs2)) return true;
    const size_t rowStart2 = q;
    if (!ReadRow(q, row2, rowAbs2) || ContinuesName(At(q))) return true;
    Add(xttColon, p, p + 1);
    addCol(p + 1, rowStart2, col2, colAbs2);
    addRow(rowStart2, q, row2, rowAbs2);
    Pos_ = q;
    return true;
}

bool TXLSTokenizer::Name() {
    const size_t start = Pos_;
    if (!IsNameStart(Cur())) return false;
    size_t p = Pos_ + 1;
    while (IsNameRest(At(p))) ++p;
    AddText(xttName, start, p, Text_.substr(start, p - start));
    Pos_ = p;
    if (Cur() != u'[') return true;
    Tokens_.back().Kind = xttTable;
    ++Pos_;
    size_t q = Pos_;
    while (At(q) == u' ') ++q;
    if (At(q) == u'[') {
        StructuredParts();
    } else if (Cur() != u']') {
        TablePart();
    }
    if (Cur() != u']') Report(4013, u"]");
    Add(xttTableEnd, Pos_, Pos_ + 1);
    ++Pos_;
    return true;
}

bool TXLSTokenizer::StructuredParts() {
    size_t p = Pos_;
    while (At(p) == u' ') ++p;
    if (At(p) != u'[') return false;
    Pos_ = p;
    for (;;) {
        while (Cur() == u' ') ++Pos_;
        if (Cur() != u'[') break;
        ++Pos_;
        if (!TablePart() || Cur() != u']') Report(4013, u"]");
        ++Pos_;
        size_t q = Pos_;
        while (At(q) == u' ') ++q;
        const char16_t c = At(q);
        if (q > Pos_ && c == u'[') {
            Add(xttTableSpace, Pos_, q);
            Pos_ = q;
        } else if (c == u',' && Separators_.List == u',') {
            Add(xttListSep, q, q + 1);
            Pos_ = q + 1;
        } else if (c == u':') {
            Add(xttColon, q, q + 1);
            Pos_ = q + 1;
        } else if (c == u';') {
            Add(xttArrayRowSep, q, q + 1);
            Pos_ = q + 1;
        } else {
            break;
        }
    }
    return true;
}

bool TXLSTokenizer::TablePart() {
    const size_t start = Pos_;
    if (Cur() == u'#') {
        size_t p = Pos_ + 1;
        while (p < Text_.size() && Text_[p] != u']') ++p;
        if (p >= Text_.size()) return false;
        AddText(xttTableItem, start, p, Text_.substr(start + 1, p - start - 1));
        Pos_ = p;
        return true;
    }
    size_t p = Pos_;
    const char16_t first = At(p);
    if (first == u'\'' && OneOf(At(p + 1), u"#'[]")) {
        p += 2;
    } else if (first > u' ' && !OneOf(first, u"#+-[]")) {
        ++p;
    } else {
        return false;
    }
    // Column names may hold spaces ("Table1[Sales Amount]"); a part ends at its bracket.
    while (p < Text_.size() && Text_[p] >= u' ' && !OneOf(Text_[p], u"#[]")) {
        if (Text_[p] == u'\'' && OneOf(At(p + 1), u"#'[]")) ++p;
        ++p;
    }
    AddText(xttTableColumn, start, p, Text_.substr(start, p - start));
    Pos_ = p;
    return true;
}

}  // namespace xls
