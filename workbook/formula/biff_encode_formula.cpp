#include "workbook/formula/biff_encode_formula.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <vector>

#include "base/byte_reader.h"
#include "workbook/formula/excel_functions.h"
#include "workbook/formula/ptg_tokens.h"
#include "workbook/model/biff_values.h"
#include "workbook/model/cell_error.h"
#include "workbook/model/cell_reference.h"
#include "workbook/model/exceptions.h"
#include "workbook/model/format_settings.h"
#include "workbook/model/utils.h"

namespace xls {

using namespace biff_formula;

namespace {

// Deeper nesting of parentheses and functions is refused before the parser's recursion could
// exhaust the stack (the BIFF8 limit is far lower).
constexpr int MaxNesting = 512;
// The argument count of ptgFuncVar has 7 bits.
constexpr int MaxFuncVarArgs = 127;
constexpr size_t MaxStringLength = 255;
constexpr int MaxSpaces = 255;

class TNesting {
public:
    explicit TNesting(int& depth) : Depth_(depth) {
        if (++Depth_ > MaxNesting) {
            --Depth_;
            throw EXLSError("Formula nested too deeply");
        }
    }
    ~TNesting() { --Depth_; }
    TNesting(const TNesting&) = delete;
    TNesting& operator=(const TNesting&) = delete;

private:
    int& Depth_;
};

const TXLSToken EndToken{};

}  // namespace

TEncodeFormula::TEncodeFormula()
    : Tokenizer_([this](int code, const std::u16string& message) { ReportText(code, message); }),
      TrueText_(WideUpperCaseStr(Xc12BoolTrueText)),
      FalseText_(WideUpperCaseStr(Xc12BoolFalseText)) {}

void TEncodeFormula::Report(int code, std::u16string_view format, std::u16string_view argument) {
    ReportText(code, FormatReport(format, argument));
}

void TEncodeFormula::ReportText(int code, const std::u16string& message) {
    const std::u16string text = u"Error in formula " + Tokenizer_.OrigText() + u"\r" + message;
    if (OnEncodeError) {
        OnEncodeError(*this, code, text);
        return;
    }
    throw EXLSError(text);
}

int TEncodeFormula::Encode(std::u16string_view formula, uint8_t ptgClass, int formulaVersion, int bufSize,
                           uint8_t* buf) {
    LastSheetIndex_ = -1;
    Tokenizer_.FormulaVersion = formulaVersion;
    const std::u16string_view text = TrimText(formula);
    if (text.empty()) {
        Tokenizer_.Tokenize(u"");
        Report(eecEmptyFormula, u"Empty formula", u"");
        return 0;
    }
    Tokenizer_.Tokenize(text);
    if (Tokenizer_.Error()) throw EXLSError("Error in formula");
    Buffer_ = buf;
    BufSize_ = bufSize > 0 ? static_cast<size_t>(bufSize) : 0;
    Used_ = 0;
    Pos_ = 0;
    Depth_ = 0;
    ArgClass_ = ptgClass ? ptgClass : PtgClassValue;
    Expression();
    // Text left after the expression is not part of any formula we could write.
    TXLSTokenType kind;
    size_t next;
    PeekSpaces(kind, next);
    if (kind != ttNone) Report(eecInvalidSymbol, u"Invalid symbol %s", Tokenizer_.Tokens()[next].Text);
    Tokenizer_.Clear();
    return static_cast<int>(Used_);
}

const TXLSToken& TEncodeFormula::Peek(size_t offset) const {
    const auto& tokens = Tokenizer_.Tokens();
    return Pos_ + offset < tokens.size() ? tokens[Pos_ + offset] : EndToken;
}

TEncodeFormula::TSpaces TEncodeFormula::PeekSpaces(TXLSTokenType& kind, size_t& next) const {
    const auto& tokens = Tokenizer_.Tokens();
    size_t i = Pos_;
    while (i < tokens.size() && tokens[i].Kind == ttSpace) ++i;
    next = i;
    kind = i < tokens.size() ? tokens[i].Kind : ttNone;
    return {static_cast<int>(std::min<size_t>(i - Pos_, MaxSpaces)), AttrSpaceBefore};
}

template <class Next, class Map>
void TEncodeFormula::BinaryLevel(Next next, Map opcode) {
    (this->*next)();
    for (;;) {
        TXLSTokenType kind;
        size_t at;
        const TSpaces spaces = PeekSpaces(kind, at);
        const uint8_t op = opcode(kind);
        if (op == 0) return;
        Pos_ = at + 1;
        (this->*next)();
        WriteSpaces(spaces);
        WriteByte(op);
    }
}

void TEncodeFormula::Expression() {
    BinaryLevel(&TEncodeFormula::Concat, [](TXLSTokenType kind) -> uint8_t {
        switch (kind) {
            case ttGT: return ptgGT;
            case ttGE: return ptgGE;
            case ttLT: return ptgLT;
            case ttLE: return ptgLE;
            case ttEQ: return ptgEQ;
            case ttNE: return ptgNE;
            default: return 0;
        }
    });
}

void TEncodeFormula::Concat() {
    BinaryLevel(&TEncodeFormula::Additive,
                [](TXLSTokenType kind) -> uint8_t { return kind == ttConcat ? ptgConcat : 0; });
}

void TEncodeFormula::Additive() {
    BinaryLevel(&TEncodeFormula::Term, [](TXLSTokenType kind) -> uint8_t {
        return kind == ttAdd ? ptgAdd : kind == ttSub ? ptgSub : 0;
    });
}

void TEncodeFormula::Term() {
    BinaryLevel(&TEncodeFormula::Power, [](TXLSTokenType kind) -> uint8_t {
        return kind == ttMul ? ptgMul : kind == ttDiv ? ptgDiv : 0;
    });
}

void TEncodeFormula::Power() {
    BinaryLevel(&TEncodeFormula::Percent, [](TXLSTokenType kind) -> uint8_t { return kind == ttPower ? ptgPower : 0; });
}

void TEncodeFormula::Percent() {
    Unary();
    for (;;) {
        TXLSTokenType kind;
        size_t at;
        const TSpaces spaces = PeekSpaces(kind, at);
        if (kind != ttPercent) return;
        Pos_ = at + 1;
        WriteSpaces(spaces);
        WriteByte(ptgPercent);
    }
}

void TEncodeFormula::Unary() {
    struct TSign {
        TSpaces Spaces;
        uint8_t Op;
    };
    std::vector<TSign> signs;
    for (;;) {
        TXLSTokenType kind;
        size_t at;
        const TSpaces spaces = PeekSpaces(kind, at);
        if (kind != ttAdd && kind != ttSub) break;
        if (signs.size() >= static_cast<size_t>(MaxNesting)) throw EXLSError("Formula nested too deeply");
        signs.push_back({spaces, kind == ttAdd ? ptgUplus : ptgUminus});
        Pos_ = at + 1;
    }
    Primary();
    for (auto it = signs.rbegin(); it != signs.rend(); ++it) {
        WriteSpaces(it->Spaces);
        WriteByte(it->Op);
    }
}

void TEncodeFormula::Primary() {
    TNesting nesting(Depth_);
    TXLSTokenType kind;
    size_t at;
    TSpaces open = PeekSpaces(kind, at);
    if (kind != ttParenL) {
        Operand();
        return;
    }
    open.Type = AttrSpaceBeforeParenL;
    Pos_ = at + 1;
    Expression();
    TSpaces close = PeekSpaces(kind, at);
    if (kind == ttParenR) {
        Pos_ = at + 1;
        close.Type = AttrSpaceBeforeParenR;
    } else {
        Report(eecParenMismatch, u"Missmatching parantheses", u"");
        close.Count = 0;
    }
    WriteSpaces(open);
    WriteSpaces(close);
    WriteByte(ptgParen);
}

void TEncodeFormula::Operand() {
    TXLSTokenType kind;
    size_t at;
    const TSpaces spaces = PeekSpaces(kind, at);
    Pos_ = at;
    const TXLSToken& token = Peek();
    switch (token.Kind) {
        case ttNone: Report(eecInvalidSymbol, u"Invalid symbol %s", u""); return;
        case ttFunc:
            ++Pos_;
            FunctionCall(token, spaces);
            return;
        case ttRef:
        case ttArea:
        case ttPath:
        case ttName:
        case ttNameX:
        case ttSheetName:
        case ttSheetNameX:
            if (Reference3d(spaces)) return;
            ++Pos_;
            if (PlainReference(token, spaces)) return;
            if (token.Kind == ttName && (token.Text == TrueText_ || token.Text == FalseText_)) {
                WriteSpaces(spaces);
                WriteByte(ptgBool);
                WriteByte(token.Text == TrueText_ ? 1 : 0);
                return;
            }
            if (token.Kind == ttName) {
                int index = -1;
                if (OnNameIndex) OnNameIndex(token.Text, index);
                if (index < 0 || index >= 0xFFFF) {
                    Report(eecUnknownName, u"Unknown name %s", token.Text);
                    return;
                }
                WriteSpaces(spaces);
                WriteByte(ArgClass_ | (ptgName & 0x1F));
                WriteU16(static_cast<uint16_t>(index + 1));
                WriteU16(0);
                return;
            }
            Report(eecInvalidSymbol, u"Invalid symbol %s", token.Text);
            return;
        case ttString:
            ++Pos_;
            if (token.Text.size() > MaxStringLength) {
                Report(eecStringTooLong, u"Strings can have max 255 characthers", u"");
                return;
            }
            WriteSpaces(spaces);
            WriteByte(ptgStr);
            WriteByte(static_cast<uint8_t>(token.Text.size()));
            if (token.Text.empty()) {
                WriteByte(0);
            } else {
                WriteByte(1);
                for (char16_t c : token.Text) WriteU16(c);
            }
            return;
        case ttError: {
            ++Pos_;
            const TXc12CellError error = ErrorTextToCellError(token.Text);
            if (error == errUnknown || error == errGettingData) {
                Report(eecInvalidSymbol, u"Invalid symbol %s", token.Text);
                return;
            }
            WriteSpaces(spaces);
            WriteByte(ptgErr);
            WriteByte(CellErrorToBIFFError(error));
            return;
        }
        case ttVectL: throw EXLSError("Vector constants not supported.");
        default: ++Pos_; Constant(token, spaces);
    }
}

void TEncodeFormula::Constant(const TXLSToken& token, TSpaces spaces) {
    double value = 0;
    if (!TryStrToFloat(token.Text, value, DefaultFormatSettings().GetDecimalSeparator())) {
        Report(eecInvalidConstant, u"Invalid constant %s", token.Text);
        return;
    }
    WriteSpaces(spaces);
    if (value >= 0 && value <= 65535 && std::floor(value) == value) {
        WriteByte(ptgInt);
        WriteU16(static_cast<uint16_t>(value));
        return;
    }
    WriteByte(ptgNum);
    uint8_t bytes[8];
    base::StoreLE64(bytes, std::bit_cast<uint64_t>(value));
    Write(bytes, sizeof bytes);
}

bool TEncodeFormula::Reference3d(TSpaces spaces) {
    const TXLSToken& first = Peek(0);
    std::u16string path;
    std::u16string file;
    std::u16string sheet;
    const TXLSToken* target = nullptr;
    size_t count = 0;
    bool isSheetRef = true;
    if (first.Kind == ttSheetName && (Peek(1).Kind == ttRef3d || Peek(1).Kind == ttArea3d)) {
        sheet = first.Text;
        target = &Peek(1);
        count = 2;
    } else if (first.Kind == ttPath && Peek(1).Kind == ttNameX) {
        path = first.Text;
        target = &Peek(1);
        isSheetRef = false;
        count = 2;
    } else if (first.Kind == ttPath && Peek(1).Kind == ttFile && Peek(2).Kind == ttSheetNameX &&
               (Peek(3).Kind == ttRefX || Peek(3).Kind == ttAreaX)) {
        path = first.Text;
        file = Peek(1).Text;
        sheet = Peek(2).Text;
        target = &Peek(3);
        count = 4;
    } else {
        return false;
    }
    int sheetIndex = -1;
    int ixti = -1;
    if (OnExternRef) OnExternRef(path, file, sheetIndex, ixti, isSheetRef, target->Text, sheet);
    Pos_ += count;
    if (sheetIndex < 0) {
        Report(eecInvalidSymbol, u"Invalid symbol %s", isSheetRef ? sheet : target->Text);
        return true;
    }
    WriteSpaces(spaces);
    switch (target->Kind) {
        case ttRef3d:
        case ttRefX: WriteRef(ArgClass_ | (ptgRef3d & 0x1F), target->Text, true, static_cast<uint16_t>(ixti)); break;
        case ttArea3d:
        case ttAreaX: WriteArea(ArgClass_ | (ptgArea3d & 0x1F), target->Text, true, static_cast<uint16_t>(ixti)); break;
        default:
            WriteByte(ArgClass_ | (ptgNameX & 0x1F));
            WriteU16(static_cast<uint16_t>(sheetIndex));
            WriteU16(static_cast<uint16_t>(ixti + 1));
            WriteU16(0);
    }
    LastSheetIndex_ = sheetIndex;
    return true;
}

bool TEncodeFormula::PlainReference(const TXLSToken& token, TSpaces spaces) {
    if (token.Kind == ttRef) {
        WriteSpaces(spaces);
        WriteRef(ArgClass_ | (ptgRef & 0x1F), token.Text, false, 0);
        return true;
    }
    if (token.Kind == ttArea) {
        WriteSpaces(spaces);
        WriteArea(ArgClass_ | (ptgArea & 0x1F), token.Text, false, 0);
        return true;
    }
    return false;
}

void TEncodeFormula::FunctionCall(const TXLSToken& func, TSpaces before) {
    const int id = ExcelFunctionByName(func.Text);
    const TExcelFunction* record = nullptr;
    if (id >= 0 && ExcelFunctions()[id].MinArgs != ExcelFuncUnusable) record = &ExcelFunctions()[id];
    if (!record) Report(eecInvalidFunction, u"Invalid function name %s", func.Text);
    const uint8_t outerClass = ArgClass_;
    int count = 0;
    uint8_t argClass = PtgClassValue;
    TSpaces close;
    TXLSTokenType kind;
    size_t at;
    TSpaces spaces = PeekSpaces(kind, at);
    bool more = true;
    if (kind == ttParenR) {
        Pos_ = at + 1;
        close = {spaces.Count, AttrSpaceBeforeParenR};
        more = false;
    }
    while (more) {
        if (record && count <= 5 && record->ArgClasses[count] != 0) argClass = record->ArgClasses[count];
        PeekSpaces(kind, at);
        if (kind == ttListSep || kind == ttParenR) {
            Pos_ = at;
            WriteByte(ptgMissArg);
        } else if (kind != ttNone) {
            ArgClass_ = argClass;
            Expression();
        }
        if (kind != ttNone) ++count;
        spaces = PeekSpaces(kind, at);
        if (kind != ttListSep && kind != ttParenR && kind != ttNone) {
            // Something that continues no expression: report it and go on after this argument.
            Report(eecInvalidSymbol, u"Invalid symbol %s", Tokenizer_.Tokens()[at].Text);
            const auto& tokens = Tokenizer_.Tokens();
            int depth = 0;
            for (; at < tokens.size(); ++at) {
                const TXLSTokenType k = tokens[at].Kind;
                if (k == ttParenL || k == ttFunc) ++depth;
                if ((k == ttParenR || k == ttListSep) && depth == 0) break;
                if (k == ttParenR) --depth;
            }
            kind = at < tokens.size() ? tokens[at].Kind : ttNone;
            spaces = {};
        }
        if (kind == ttListSep) {
            Pos_ = at + 1;
        } else if (kind == ttParenR) {
            Pos_ = at + 1;
            close = {spaces.Count, AttrSpaceBeforeParenR};
            more = false;
        } else {
            Report(eecClosingParenMissing, u"Closing paranthese missing in function", u"");
            Pos_ = Tokenizer_.Tokens().size();
            more = false;
        }
    }
    ArgClass_ = outerClass;
    if (!record) return;
    const bool fixed = record->MinArgs == record->MaxArgs;
    const bool countOk = fixed ? count == record->MinArgs
                               : count >= record->MinArgs && count <= MaxFuncVarArgs &&
                                     (record->MaxArgs == ExcelFuncAnyArgs || count <= record->MaxArgs);
    if (!countOk) Report(eecWrongArgCount, u"Wrong number of arguments for function %s", func.Text);
    WriteSpaces(before);
    WriteSpaces(close);
    if (fixed) {
        WriteByte(PtgClassValue | (ptgFunc & 0x1F));
    } else {
        WriteByte(PtgClassValue | (ptgFuncVar & 0x1F));
        WriteByte(static_cast<uint8_t>(std::min(count, MaxFuncVarArgs)));
    }
    WriteU16(static_cast<uint16_t>(id));
}

void TEncodeFormula::Write(const void* data, size_t size) {
    if (Used_ + size > BufSize_) throw EXLSError("Formula buffer overflow.");
    std::memcpy(Buffer_ + Used_, data, size);
    Used_ += size;
}

void TEncodeFormula::WriteByte(uint8_t value) { Write(&value, 1); }

void TEncodeFormula::WriteU16(uint16_t value) {
    uint8_t bytes[2];
    base::StoreLE16(bytes, value);
    Write(bytes, 2);
}

void TEncodeFormula::WriteSpaces(TSpaces spaces) {
    if (spaces.Count == 0) return;
    const uint8_t attr[4] = {ptgAttr, ptgAttrSpaceBit, spaces.Type, static_cast<uint8_t>(spaces.Count)};
    Write(attr, sizeof attr);
}

namespace {

// The column field of a BIFF8 reference: bit 15 set for a relative row, bit 14 for a relative column.
uint16_t ColumnField(int col, bool colAbs, bool rowAbs) {
    return static_cast<uint16_t>(col | (rowAbs ? 0 : 0x8000) | (colAbs ? 0 : 0x4000));
}

}  // namespace

void TEncodeFormula::WriteRef(uint8_t id, std::u16string_view text, bool withIxti, uint16_t ixti) {
    int col = 0;
    int row = 0;
    bool colAbs = false;
    bool rowAbs = false;
    if (!RefStrToColRowAbs(text, col, row, colAbs, rowAbs)) throw EXLSError("Invalid name");
    WriteByte(id);
    if (withIxti) WriteU16(ixti);
    WriteU16(static_cast<uint16_t>(row));
    WriteU16(ColumnField(col, colAbs, rowAbs));
}

void TEncodeFormula::WriteArea(uint8_t id, std::u16string_view text, bool withIxti, uint16_t ixti) {
    int col1 = 0, row1 = 0, col2 = 0, row2 = 0;
    bool col1Abs = false, row1Abs = false, col2Abs = false, row2Abs = false;
    if (!AreaStrToColRowAbs(text, col1, row1, col2, row2, col1Abs, row1Abs, col2Abs, row2Abs))
        throw EXLSError("Invalid name");
    WriteByte(id);
    if (withIxti) WriteU16(ixti);
    WriteU16(static_cast<uint16_t>(row1));
    WriteU16(static_cast<uint16_t>(row2));
    WriteU16(ColumnField(col1, col1Abs, row1Abs));
    WriteU16(ColumnField(col2, col2Abs, row2Abs));
}

}  // namespace xls
