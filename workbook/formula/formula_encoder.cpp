#include "workbook/formula/formula_encoder.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

#include "workbook/formula/excel_functions.h"
#include "workbook/formula/ptg_tokens.h"
#include "workbook/model/cell_reference.h"
#include "workbook/model/defined_names.h"
#include "workbook/model/document_root.h"
#include "workbook/model/error_manager.h"
#include "workbook/model/tables.h"
#include "workbook/model/worksheet_part.h"

namespace xls {

namespace {

constexpr uint16_t ColAbsBit = 0x8000;
constexpr uint32_t RowAbsBit = 0x80000000u;
constexpr int32_t LastRow = 0xFFFFF;
constexpr int32_t LastCol = 0x3FFF;

void Put16(std::vector<uint8_t>& b, uint32_t v) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& b, uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

bool IsColKind(TXLSTokenKind k) { return k == xttCol || k == xttColAbs; }
bool IsRowKind(TXLSTokenKind k) { return k == xttRow || k == xttRowAbs; }
bool IsErrorKind(TXLSTokenKind k) { return k >= xttErrNull && k <= xttErrGettingData; }

// Tokens whose result is never a reference. Names, calls (INDEX, OFFSET) and parentheses may be
// references; ":", " " and "," need operands that may be.
bool IsValueClass(uint8_t op) {
    return (op >= ptgAdd && op <= ptgNE) || (op >= ptgUplus && op <= ptgPercent) || op == ptgErr || op == ptgBool ||
           op == ptgNum || op == xptgArray || op == xptgInt || op == xptgStr || op == xptgMissArg;
}

}  // namespace

void TXLSFormulaEncoder::Report(int code, std::u16string_view text) {
    Manager_.Errors().Error(text, code);
    throw TStop{};
}

size_t TXLSFormulaEncoder::New(std::initializer_list<uint8_t> bytes) {
    TToken& t = Pool_.emplace_back();
    t.Bytes = bytes;
    t.Space = PendingSpace_;
    PendingSpace_ = 0;
    if (Tokens_ && Pos_ < Tokens_->size()) {
        t.Start = (*Tokens_)[Pos_].Start;
        t.End = (*Tokens_)[Pos_].End;
    }
    return Pool_.size() - 1;
}

bool TXLSFormulaEncoder::IsOpener(size_t token) const {
    const uint8_t op = Opcode(token);
    return op == ptgParen || op == xptgArray || op == xptgFunc || op == xptgFuncVar || op == xptgUserFunc;
}

int TXLSFormulaEncoder::Precedence(size_t token) const {
    switch (Opcode(token)) {
        case ptgIsect:
        case ptgUnion:
        case ptgRange: return 38;
        case ptgUplus:
        case ptgUminus: return 37;
        case ptgPercent: return 36;
        case ptgPower: return 35;
        case ptgMul:
        case ptgDiv: return 34;
        case ptgAdd:
        case ptgSub: return 33;
        case ptgConcat: return 32;
        // All comparisons are one level, grouping from the left as in every spreadsheet.
        case ptgLT:
        case ptgLE:
        case ptgGE:
        case ptgGT:
        case ptgEQ:
        case ptgNE: return 31;
        case xptgListSep: return 6;
        case xptgFuncVar: return 4;
        case xptgFunc:
        case xptgUserFunc: return 3;
        case ptgParen: return 2;
        case xptgArray: return 1;
        default: throw EXLSError(u"Unknown operator");
    }
}

void TXLSFormulaEncoder::PopToOutput() {
    const size_t top = Stack_.back();
    Stack_.pop_back();
    if (!Contexts_.empty() && Contexts_.back() == top) {
        Contexts_.pop_back();
        CheckCall(top);
    }
    Output(top);
}

void TXLSFormulaEncoder::Push(size_t token) {
    const uint8_t op = Opcode(token);
    if (op == ptgUplus || op == ptgUminus || Stack_.empty() || IsOpener(token)) {
        Stack_.push_back(token);
        if (IsOpener(token)) Contexts_.push_back(token);
        return;
    }
    const int p = Precedence(token);
    while (!Stack_.empty() && !IsOpener(Stack_.back()) && p <= Precedence(Stack_.back())) PopToOutput();
    Stack_.push_back(token);
}

void TXLSFormulaEncoder::CloseParen(uint8_t space) {
    while (!Stack_.empty() && !IsOpener(Stack_.back())) PopToOutput();
    if (Stack_.empty()) Report(4006, u")");
    TToken& opener = Pool_[Stack_.back()];
    opener.CloseSpace = space;
    opener.End = (*Tokens_)[Pos_].End;
    PopToOutput();
}

// Fills in the counts of a call or array constant that closes, and checks the argument count of
// a function against its table entry.
void TXLSFormulaEncoder::CheckCall(size_t opener) {
    TToken& t = Pool_[opener];
    const TXLSExcelFuncNames& funcs = TXLSExcelFuncNames::Instance();
    switch (t.Bytes[0]) {
        case xptgFunc: {
            const int id = t.Bytes[1] | (t.Bytes[2] << 8);
            const int wanted = funcs.MinArgs(id);
            if (t.Args < wanted) Report(4020, funcs.NameById(id));
            if (t.Args > wanted) Report(4021, funcs.NameById(id));
            break;
        }
        case xptgFuncVar: {
            const int id = t.Bytes[2] | (t.Bytes[3] << 8);
            int min = 0;
            int max = 0;
            funcs.GetArgCount(id, min, max);
            if (t.Args < min) Report(4020, funcs.NameById(id));
            if (t.Args > 255 || (max != FuncAnyArgs && t.Args > max)) Report(4021, funcs.NameById(id));
            t.Bytes[1] = static_cast<uint8_t>(t.Args);
            break;
        }
        case xptgUserFunc:
            if (t.Args > 255) Report(4021, u"");
            t.Bytes[1] = static_cast<uint8_t>(t.Args);
            break;
        case xptgArray: {
            int32_t cols = 0;
            if (t.Rows > 0) {
                if (t.Args % t.Rows != 0) Report(4022, u"");
                cols = t.Args / t.Rows;
            }
            if (cols > 0xFFFF) Report(4022, u"");
            t.Bytes.resize(1);
            Put16(t.Bytes, static_cast<uint32_t>(cols));
            Put32(t.Bytes, static_cast<uint32_t>(t.Rows));
            break;
        }
        default: break;
    }
}

void TXLSFormulaEncoder::Output(size_t token) {
    if (Opcode(token) == xptgListSep) {
        if (!Contexts_.empty() && Opcode(Contexts_.back()) != ptgParen) return;
        // Emit checks that both operands are references.
        Pool_[token].Bytes[0] = ptgUnion;
    }
    Out_.push_back(token);
}

TXLSTokenKind TXLSFormulaEncoder::PeekKind(size_t from) const {
    for (size_t i = from; i < Tokens_->size(); ++i)
        if ((*Tokens_)[i].Kind != xttWhitespace && (*Tokens_)[i].Kind != xttSpace) return (*Tokens_)[i].Kind;
    return xttBadChar;
}

void TXLSFormulaEncoder::ListSeparator(bool rowSeparator) {
    const size_t context = Contexts_.empty() ? SIZE_MAX : Contexts_.back();
    const uint8_t op = context == SIZE_MAX ? 0 : Opcode(context);
    if (op == 0 || op == ptgParen || (rowSeparator && op != xptgArray)) {
        // Outside a call: a union candidate.
        Push(New({xptgListSep}));
        return;
    }
    ++Pool_[context].Args;
    if (rowSeparator) ++Pool_[context].Rows;
    // A space before the separator is the text of a missing argument, or follows the argument.
    uint8_t space = std::exchange(PendingSpace_, uint8_t(0));
    if (LastKind_ == (rowSeparator ? xttArrayRowSep : xttListSep) || LastKind_ == xttFunc) {
        PendingSpace_ = std::exchange(space, uint8_t(0));
        Output(New({xptgMissArg}));
    }
    // The separator only flushes the argument before it.
    Push(New({xptgListSep}));
    if (space) Pool_[Out_.back()].TrailSpace = space;
}

void TXLSFormulaEncoder::Function(const TXLSTokenListItem& item) {
    const TXLSExcelFuncNames& funcs = TXLSExcelFuncNames::Instance();
    const int id = funcs.IdByName(item.Text);
    const bool empty = PeekKind(Pos_ + 1) == xttParenClose;
    size_t token;
    if (id < 0 || funcs.FuncData(id) == nullptr) {
        if (item.Text.size() > 0xFFFF) Report(4006, item.Text);
        token = New({xptgUserFunc, 0});
        Put16(Pool_[token].Bytes, static_cast<uint32_t>(item.Text.size()));
        for (char16_t c : item.Text) Put16(Pool_[token].Bytes, c);
    } else if (funcs.IsFixed(id)) {
        token = New({xptgFunc});
        Put16(Pool_[token].Bytes, static_cast<uint32_t>(id));
    } else {
        token = New({xptgFuncVar, 0});
        Put16(Pool_[token].Bytes, static_cast<uint32_t>(id));
    }
    Pool_[token].Args = empty ? 0 : 1;
    Push(token);
}

void TXLSFormulaEncoder::Reference() {
    const TXLSTokenList& t = *Tokens_;
    auto kind = [&](size_t i) { return i < t.size() ? t[i].Kind : xttBadChar; };
    size_t p = Pos_;
    int book = -1;
    if (kind(p) == xttBook) {
        book = Manager_.XLinks().FindBook(t[p].Text);
        if (book < 0 || book > 0x7FFF) Report(4012, t[p].Text);
        ++p;
        if (kind(p) != xttSheet) Report(4012, t[p - 1].Text);
    }
    int sheet1 = -1;
    int sheet2 = -1;
    auto sheetIndex = [&](size_t i) {
        const int index = book >= 0 ? Manager_.XLinks().GetItems(book)->externalBook.FindSheet(t[i].Text)
                                    : Manager_.Worksheets().IndexOfName(t[i].Text);
        if (index < 0 || index > 0xFF) Report(4016, t[i].Text);
        return index;
    };
    if (kind(p) == xttSheet && kind(p + 1) == xttColon && kind(p + 2) == xttSheet && kind(p + 3) == xttSheetEnd) {
        if (kind(p + 4) == xttName) Report(4019, t[p + 4].Text);
        sheet1 = sheetIndex(p);
        sheet2 = sheetIndex(p + 2);
        p += 4;
    } else if (kind(p) == xttSheet && kind(p + 1) == xttSheetEnd) {
        sheet1 = sheetIndex(p);
        p += 2;
    }
    const bool range = sheet2 >= 0;
    auto colField = [&](size_t i) {
        return static_cast<uint16_t>(t[i].Int | (t[i].Kind == xttColAbs ? ColAbsBit : 0));
    };
    auto rowField = [&](size_t i) {
        return static_cast<uint32_t>(t[i].Int) | (t[i].Kind == xttRowAbs ? RowAbsBit : 0);
    };
    auto sheets = [&](std::vector<uint8_t>& b) {
        if (sheet1 >= 0) b.push_back(static_cast<uint8_t>(sheet1));
        if (range) b.push_back(static_cast<uint8_t>(sheet2));
    };
    size_t token;
    if (IsErrorKind(kind(p))) {
        token = New({range ? xptgRefErr3dRange : xptgRefErr3d, 0, 0, 0, 0, 0, 0, static_cast<uint8_t>(kind(p) - 12)});
        if (range) Pool_[token].Bytes.push_back(0);
        p += 1;
    } else if (kind(p) == xttName && book >= 0) {
        // Names of other workbooks are not resolved.
        Report(4019, t[p].Text);
    } else if (kind(p) == xttName && sheet1 >= 0) {
        TXc12DefinedNames* names = Manager_.Names;
        const int index = names ? names->IndexOfName(t[p].Text, sheet1) : -1;
        // A name the sheet lacks is "#NAME?" as an unknown plain name is, so its text compiles back alike.
        if (index < 0) {
            token = New({ptgErr, 5});
        } else {
            token = New({xptgName});
            Put16(Pool_[token].Bytes, static_cast<uint32_t>(index));
        }
        p += 1;
    } else {
        uint32_t row1 = 0, row2 = LastRow;
        uint16_t col1 = 0, col2 = LastCol;
        bool area = true;
        if (IsColKind(kind(p)) && kind(p + 1) == xttColon && IsColKind(kind(p + 2))) {
            col1 = colField(p);
            col2 = colField(p + 2);
            p += 3;
        } else if (IsRowKind(kind(p)) && kind(p + 1) == xttColon && IsRowKind(kind(p + 2))) {
            row1 = rowField(p);
            row2 = rowField(p + 2);
            p += 3;
        } else if (IsColKind(kind(p)) && IsRowKind(kind(p + 1))) {
            col1 = col2 = colField(p);
            row1 = row2 = rowField(p + 1);
            area = kind(p + 2) == xttColon && IsColKind(kind(p + 3)) && IsRowKind(kind(p + 4));
            if (area) {
                col2 = colField(p + 3);
                row2 = rowField(p + 4);
                p += 5;
            } else {
                p += 2;
            }
        } else {
            throw EXLSError(u"Unknown sheet reference type");
        }
        uint8_t op;
        if (sheet1 < 0)
            op = area ? xptgArea : xptgRef;
        else if (book >= 0)
            op = area ? (range ? xptgAreaXRange : xptgAreaX) : (range ? xptgRefXRange : xptgRefX);
        else
            op = area ? (range ? xptgArea3dRange : xptgArea3d) : (range ? xptgRef3dRange : xptgRef3d);
        token = New({op});
        std::vector<uint8_t>& b = Pool_[token].Bytes;
        if (area) {
            Put32(b, row1);
            Put32(b, row2);
            Put16(b, col1);
            Put16(b, col2);
        } else {
            Put32(b, row1);
            Put16(b, col1);
        }
        if (book >= 0) Put16(b, static_cast<uint32_t>(book));
        sheets(b);
    }
    Pool_[token].End = t[p - 1].End;
    Output(token);
    Pos_ = p - 1;
}

// Two operands side by side ("0h") or an operator without its left operand would still balance
// the stack by chance; neither is a formula.
void TXLSFormulaEncoder::CheckOrder(TXLSTokenKind kind) {
    const bool startsOperand = kind == xttParenOpen || kind == xttArrayOpen || kind == xttFunc || kind == xttNeg ||
                               kind == xttPos || kind == xttTrue || kind == xttFalse || kind == xttString ||
                               kind == xttNumber || kind == xttName || kind == xttTable || kind == xttBook ||
                               kind == xttTableColumn || kind == xttTableItem || kind == xttSheet || IsColKind(kind) ||
                               IsRowKind(kind) || IsErrorKind(kind);
    const bool needsOperand = (kind >= xttPower && kind <= xttPercent && kind != xttNeg && kind != xttPos) ||
                              kind == xttRange || kind == xttColon || kind == xttIsect;
    if (startsOperand && OperandLast_) Report(4006, u"");
    if (needsOperand && !OperandLast_) Report(4015, u"");
    if (kind == xttSpace || kind == xttWhitespace || kind == xttSheetEnd || kind == xttTableEnd) return;
    OperandLast_ = kind == xttParenClose || kind == xttArrayClose || kind == xttPercent ||
                   (startsOperand && kind != xttParenOpen && kind != xttArrayOpen && kind != xttFunc &&
                    kind != xttNeg && kind != xttPos);
}

std::vector<uint8_t> TXLSFormulaEncoder::Encode(const TXLSTokenList& tokens, int row, int col, int sheetIndex,
                                                TXLSFormulaTrace* trace) {
    Row_ = row;
    Col_ = col;
    Trace_ = trace;
    TableList_ = Tables_;
    if (Trace_) Trace_->Items.clear();
    Tokens_ = &tokens;
    SheetIndex_ = sheetIndex;
    Pool_.clear();
    Stack_.clear();
    Contexts_.clear();
    Out_.clear();
    PendingSpace_ = 0;
    OperandLast_ = false;
    LastKind_ = xttBadChar;
    try {
        for (Pos_ = 0; Pos_ < tokens.size(); ++Pos_) {
            const TXLSTokenListItem& item = tokens[Pos_];
            const TXLSTokenKind kind = item.Kind;
            CheckOrder(kind);
            switch (kind) {
                case xttSpace:
                case xttWhitespace:
                    // Trailing spaces have no token to stand before and are dropped.
                    PendingSpace_ = static_cast<uint8_t>(std::min(item.Int, 255));
                    break;
                case xttListSep: ListSeparator(false); break;
                case xttArrayRowSep: ListSeparator(true); break;
                case xttColon:
                case xttRange: Push(New({ptgRange})); break;
                case xttParenOpen: Push(New({ptgParen})); break;
                case xttParenClose:
                    if (LastKind_ == xttListSep) Output(New({xptgMissArg}));
                    CloseParen(std::exchange(PendingSpace_, uint8_t(0)));
                    break;
                case xttArrayOpen: {
                    const size_t token = New({xptgArray});
                    if (PeekKind(Pos_ + 1) != xttArrayClose) {
                        Pool_[token].Args = 1;
                        Pool_[token].Rows = 1;
                    }
                    Push(token);
                    break;
                }
                case xttArrayClose: CloseParen(std::exchange(PendingSpace_, uint8_t(0))); break;
                case xttTrue:
                case xttFalse: Output(New({ptgBool, static_cast<uint8_t>(kind == xttTrue)})); break;
                case xttString: {
                    if (item.Text.size() > 0xFFFF) Report(4006, u"\"");
                    const size_t token = New({xptgStr});
                    Put16(Pool_[token].Bytes, static_cast<uint32_t>(item.Text.size()));
                    for (char16_t c : item.Text) Put16(Pool_[token].Bytes, c);
                    Output(token);
                    break;
                }
                case xttNumber: {
                    const double v = item.Number;
                    if (v == std::floor(v) && v >= -2147483646.0 && v <= 2147483647.0) {
                        const size_t token = New({xptgInt});
                        Put32(Pool_[token].Bytes, static_cast<uint32_t>(static_cast<int32_t>(v)));
                        Output(token);
                    } else {
                        const size_t token = New({ptgNum});
                        uint64_t bits;
                        static_assert(sizeof bits == sizeof v);
                        std::memcpy(&bits, &v, sizeof bits);
                        Put32(Pool_[token].Bytes, static_cast<uint32_t>(bits));
                        Put32(Pool_[token].Bytes, static_cast<uint32_t>(bits >> 32));
                        Output(token);
                    }
                    break;
                }
                case xttPower: Push(New({ptgPower})); break;
                case xttMul: Push(New({ptgMul})); break;
                case xttDiv: Push(New({ptgDiv})); break;
                case xttAdd: Push(New({ptgAdd})); break;
                case xttSub: Push(New({ptgSub})); break;
                case xttNeg: Push(New({ptgUminus})); break;
                case xttPos: Push(New({ptgUplus})); break;
                case xttConcat: Push(New({ptgConcat})); break;
                case xttEQ: Push(New({ptgEQ})); break;
                case xttNE: Push(New({ptgNE})); break;
                case xttLT: Push(New({ptgLT})); break;
                case xttLE: Push(New({ptgLE})); break;
                case xttGT: Push(New({ptgGT})); break;
                case xttGE: Push(New({ptgGE})); break;
                case xttPercent: Push(New({ptgPercent})); break;
                case xttIsect: Push(New({ptgIsect, static_cast<uint8_t>(std::min(item.Int, 255))})); break;
                case xttCol:
                case xttColAbs:
                case xttRow:
                case xttRowAbs:
                case xttSheet:
                case xttBook: Reference(); break;
                case xttName: {
                    TXc12DefinedNames* names = Manager_.Names;
                    const int index = names ? names->Find(item.Text, SheetIndex_) : -1;
                    if (index < 0) {
                        Output(New({ptgErr, 5}));
                    } else {
                        const size_t token = New({xptgName});
                        Put16(Pool_[token].Bytes, static_cast<uint32_t>(index));
                        Output(token);
                    }
                    break;
                }
                case xttFunc: Function(item); break;
                case xttSheetEnd:
                case xttTableEnd: break;
                case xttTable:
                case xttTableColumn:
                case xttTableItem: StructuredReference(); break;
                default:
                    if (IsErrorKind(kind)) {
                        Output(New({ptgErr, static_cast<uint8_t>(kind - 12)}));
                        break;
                    }
                    Report(4006, std::u16string(1, item.Char));
            }
            // Spaces do not count as the token before: "SUM(1, )" still ends with a missing argument.
            if (tokens[Pos_].Kind != xttSpace && tokens[Pos_].Kind != xttWhitespace) LastKind_ = tokens[Pos_].Kind;
        }
        while (!Stack_.empty()) {
            if (IsOpener(Stack_.back())) Report(4007, u"");
            PopToOutput();
        }
        return Emit();
    } catch (const TStop&) {
        return {};
    }
}

// Writes the output list, checking that every operator finds its operands and one value is left.
std::vector<uint8_t> TXLSFormulaEncoder::Emit() {
    std::vector<uint8_t> code;
    int64_t depth = 0;
    // Per pending operand: whether it may be a reference.
    std::vector<bool> references;
    uint8_t trail = 0;
    for (size_t index : Out_) {
        const TToken& t = Pool_[index];
        const uint8_t op = t.Bytes[0];
        int64_t takes = 0;
        switch (op) {
            case ptgUplus:
            case ptgUminus:
            case ptgPercent:
            case ptgParen: takes = 1; break;
            case xptgFunc: takes = t.Args; break;
            case xptgFuncVar:
            case xptgUserFunc: takes = t.Bytes[1]; break;
            case xptgArray: takes = static_cast<int64_t>(t.Args); break;
            case xptgTable: takes = t.Bytes[5]; break;
            default:
                if (op >= ptgAdd && op <= ptgRange) takes = 2;
                break;
        }
        if (op == xptgArray && t.Rows == 0) takes = 0;
        if (depth < takes) Report(4015, u"");
        depth += 1 - takes;
        bool reference = !IsValueClass(op);
        if (op == ptgRange || op == ptgIsect || op == ptgUnion) {
            if (!references[references.size() - 1] || !references[references.size() - 2]) Report(4018, u"");
        } else if (op == ptgParen) {
            reference = references.back();
        }
        references.resize(references.size() - static_cast<size_t>(takes));
        references.push_back(reference);
        // A space before a closing bracket, or before the separator after the previous argument,
        // goes first of two space attributes in front of the token.
        const uint8_t before = t.CloseSpace ? t.CloseSpace : std::exchange(trail, uint8_t(0));
        if (before) {
            code.push_back(xptgAttrSpace);
            code.push_back(before);
        }
        if (t.Space || before) {
            code.push_back(xptgAttrSpace);
            code.push_back(t.Space);
        }
        trail = t.TrailSpace;
        if (Trace_)
            Trace_->Items.push_back(
                {t.Start, t.End, static_cast<int>(code.size()), static_cast<int>(Trace_->Items.size())});
        code.insert(code.end(), t.Bytes.begin(), t.Bytes.end());
    }
    if (depth != 1) Report(4015, u"");
    return code;
}

}  // namespace xls
