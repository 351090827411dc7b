#include "workbook/formula/biff_decode_formula.h"

#include <vector>

#include "base/byte_reader.h"
#include "workbook/formula/excel_functions.h"
#include "workbook/formula/ptg_tokens.h"
#include "workbook/formula/value_stack.h"
#include "workbook/model/biff_values.h"
#include "workbook/model/cell_error.h"
#include "workbook/model/cell_reference.h"
#include "workbook/model/exceptions.h"

namespace xls {

namespace {

constexpr std::u16string_view ValMissing = u"<Val missing>";

[[noreturn]] void TokensCut() { throw EXLSError(u"Formula tokens end early"); }

std::u16string Hex2(uint8_t v) {
    constexpr char16_t digits[] = u"0123456789ABCDEF";
    return {digits[v >> 4], digits[v & 15]};
}

std::u16string Decimal(unsigned v) {
    const std::string s = std::to_string(v);
    return std::u16string(s.begin(), s.end());
}

std::u16string Quoted(std::u16string_view text) {
    std::u16string out = u"\"";
    for (char16_t c : text) {
        out += c;
        // Doubled, so that the text compiles back to the same string.
        if (c == u'"') out += c;
    }
    return out + u"\"";
}

// A BIFF8 string body of count characters after its option byte, from the reader.
std::u16string ReadChars(base::TByteReader& r, size_t count) {
    const uint8_t options = r.U8();
    std::u16string text;
    text.reserve(count);
    for (size_t i = 0; i < count; ++i) text += options & 1 ? char16_t(r.U16LE()) : char16_t(r.U8());
    return text;
}

// A cell of a BIFF8 reference: row u16, column field u16 with the column in bits 0-13, bit 14
// set for a relative column and bit 15 for a relative row.
std::u16string CellText(unsigned row, unsigned colField) {
    return ColRowToRefStrAbs(static_cast<int>(colField & 0x3FFF), static_cast<int>(row), !(colField & 0x4000),
                             !(colField & 0x8000));
}

class TBiffDecoder {
public:
    TBiffDecoder(std::span<const uint8_t> ptgs, char16_t listSep, const TBiffDecodeCallback& callback, int context,
                 int row, int col)
        : R_(ptgs, TokensCut), ListSep_(listSep), Callback_(callback), Context_(context), Row_(row), Col_(col) {}

    std::u16string Run();

private:
    void Push(std::u16string text) { Stack_.push_back(std::move(text)); }
    bool Binary(std::u16string_view op);
    bool Unary(std::u16string_view before, std::u16string_view after);
    void Call(std::u16string name, size_t count);
    std::u16string SheetPrefix(unsigned ixti) const;
    // A relative cell of a shared formula: offsets in the fields, resolved against the cell.
    std::u16string RelativeCell(unsigned row, unsigned colField) const;
    std::u16string ArrayText();

    base::TByteReader R_;
    size_t End_ = 0;
    base::TByteReader Extra_{std::span<const uint8_t>(), TokensCut};
    char16_t ListSep_;
    const TBiffDecodeCallback& Callback_;
    int Context_;
    int Row_;
    int Col_;
    std::vector<std::u16string> Stack_;
};

bool TBiffDecoder::Binary(std::u16string_view op) {
    if (Stack_.size() < 2) {
        Push(std::u16string(ValMissing));
        return false;
    }
    std::u16string b = std::move(Stack_.back());
    Stack_.pop_back();
    Stack_.back().append(op).append(b);
    return true;
}

bool TBiffDecoder::Unary(std::u16string_view before, std::u16string_view after) {
    if (Stack_.empty()) {
        Push(std::u16string(ValMissing));
        return false;
    }
    Stack_.back().insert(0, before);
    Stack_.back().append(after);
    return true;
}

void TBiffDecoder::Call(std::u16string name, size_t count) {
    if (Stack_.size() < count) throw EXLSError(u"Function arguments missing");
    name += u'(';
    for (size_t i = Stack_.size() - count; i < Stack_.size(); ++i) {
        if (i > Stack_.size() - count) name += ListSep_;
        name += Stack_[i];
    }
    name += u')';
    Stack_.resize(Stack_.size() - count);
    Push(std::move(name));
}

std::u16string TBiffDecoder::SheetPrefix(unsigned ixti) const {
    return Callback_ ? Callback_(bdkExternSheet, static_cast<int>(ixti), 0, 0, -1) : u"[ExternSheet]";
}

std::u16string TBiffDecoder::RelativeCell(unsigned row, unsigned colField) const {
    const bool rowRel = colField & 0x8000;
    const bool colRel = colField & 0x4000;
    // Offsets wrap on the BIFF8 grid of 65,536 rows and 256 columns.
    const unsigned r = rowRel ? static_cast<unsigned>(Row_ + static_cast<int16_t>(row)) & 0xFFFF : row;
    const unsigned c =
        colRel ? static_cast<unsigned>(Col_ + static_cast<int8_t>(colField & 0xFF)) & 0xFF : colField & 0xFF;
    return ColRowToRefStrAbs(static_cast<int>(c), static_cast<int>(r), !colRel, !rowRel);
}

// The array constant's values from the trailing data: columns - 1 (u8) and rows - 1 (u16), then
// the values row by row. Written as the model decoder writes arrays, so that the text compiles:
// {1,2;3,4}, with a backslash between columns where the list separator is ";".
std::u16string TBiffDecoder::ArrayText() {
    const size_t cols = Extra_.U8() + 1u;
    const size_t rows = Extra_.U16LE() + 1u;
    const char16_t columnSep = ListSep_ == u';' ? u'\\' : ListSep_;
    std::u16string text = u"{";
    for (size_t r = 0; r < rows; ++r) {
        if (r > 0) text += u';';
        for (size_t c = 0; c < cols; ++c) {
            if (c > 0) text += columnSep;
            const uint8_t type = Extra_.U8();
            switch (type) {
                case 0: Extra_.Skip(8); break;
                case 1: text += FormulaNumberToText(Extra_.DoubleLE()); break;
                case 2: {
                    const size_t count = Extra_.U16LE();
                    text += Quoted(ReadChars(Extra_, count));
                    break;
                }
                case 4:
                    text += Extra_.U8() ? u"TRUE" : u"FALSE";
                    Extra_.Skip(7);
                    break;
                case 16:
                    text += BIFFErrorToText(Extra_.U8());
                    Extra_.Skip(7);
                    break;
                default: return u"Bad element ID#" + Decimal(type) + u" in array";
            }
        }
    }
    return text + u"}";
}

std::u16string TBiffDecoder::Run() {
    End_ = R_.Size();
    while (R_.Position() < End_) {
        const uint8_t raw = R_.U8();
        const uint8_t op = raw >= 0x20 && raw < 0x80 ? PtgToRefClass(raw) : raw;
        switch (op) {
            case 0x00: return Stack_.empty() ? u"[ERROR]" : Stack_.back();
            case xptgBiff: break;
            case xptgExtra: {
                const size_t extra = R_.U16LE();
                const size_t at = R_.Position();
                if (extra > End_ - at) TokensCut();
                End_ -= extra;
                Extra_ = base::TByteReader(R_.All().subspan(End_), TokensCut);
                // Tokens never read into the array-constant data.
                R_ = base::TByteReader(R_.All().first(End_), TokensCut);
                R_.Seek(at);
                break;
            }
            case ptgAdd: Binary(u"+"); break;
            case ptgSub: Binary(u"-"); break;
            case ptgMul: Binary(u"*"); break;
            case ptgDiv: Binary(u"/"); break;
            case ptgPower: Binary(u"^"); break;
            case ptgConcat: Binary(u"&"); break;
            case ptgLT: Binary(u"<"); break;
            case ptgLE: Binary(u"<="); break;
            case ptgEQ: Binary(u"="); break;
            case ptgGE: Binary(u">="); break;
            case ptgGT: Binary(u">"); break;
            case ptgNE: Binary(u"<>"); break;
            case ptgIsect: Binary(u" "); break;
            case ptgUnion: Binary(std::u16string_view(&ListSep_, 1)); break;
            case ptgRange: Binary(u":"); break;
            case ptgUplus: Unary(u"+", u""); break;
            case ptgUminus: Unary(u"-", u""); break;
            case ptgPercent: Unary(u"", u"%"); break;
            case ptgParen: Unary(u"(", u")"); break;
            case ptgMissArg: Push(u""); break;
            case ptgStr: {
                const size_t count = R_.U8();
                Push(Quoted(ReadChars(R_, count)));
                break;
            }
            case ptgExtend: {
                const uint8_t subtype = R_.U8();
                if (subtype == 6 || subtype == 7) {
                    const int a = R_.U16LEAt(R_.Position());
                    const int b = R_.U8At(R_.Position() + 2);
                    Push(Callback_ ? Callback_(bdkExtended, Context_, a, b, -1) : u"");
                }
                if ((subtype >= 1 && subtype <= 3) || subtype == 6 || subtype == 7 ||
                    (subtype >= 12 && subtype <= 16) || subtype == 29)
                    R_.Skip(4);
                else if (subtype == 10 || subtype == 11)
                    R_.Skip(13);
                else
                    Push(u"Unknown eptg[" + Hex2(subtype) + u"]");
                break;
            }
            case ptgAttr: {
                const uint8_t options = R_.U8();
                const unsigned data = R_.U16LE();
                if (options & 0x04) R_.Skip(2 * (data + 1u));
                if (options & 0x10) Unary(u"SUM(", u")");
                break;
            }
            case ptgErr: Push(std::u16string(BIFFErrorToText(R_.U8()))); break;
            case ptgBool: Push(R_.U8() ? u"TRUE" : u"FALSE"); break;
            case ptgInt: Push(Decimal(R_.U16LE())); break;
            case ptgNum: Push(FormulaNumberToText(R_.DoubleLE())); break;
            case ptgArray:
                R_.Skip(7);
                Push(ArrayText());
                break;
            case ptgFunc:
            case ptgFuncVar: {
                size_t count = op == ptgFuncVar ? R_.U8() & 0x7Fu : 0;
                const unsigned number = R_.U16LE() & 0x7FFF;
                const std::span<const TExcelFunction> table = ExcelFunctions();
                if (number >= table.size()) throw EXLSError(u"Unknown function " + Decimal(number));
                if (op == ptgFunc) count = table[number].MinArgs;
                std::u16string name(table[number].Name);
                // Add-in and macro functions: the name is the operand below the arguments.
                if (op == ptgFuncVar && !name.empty() && name[0] >= u'0' && name[0] <= u'9') {
                    if (count == 0 || Stack_.size() < count) throw EXLSError(u"Function arguments missing");
                    name = std::move(Stack_[Stack_.size() - count]);
                    Stack_.erase(Stack_.end() - static_cast<std::ptrdiff_t>(count));
                    --count;
                }
                Call(std::move(name), count);
                break;
            }
            case ptgName: {
                const int index = R_.U16LE();
                R_.Skip(2);
                Push(Callback_ ? Callback_(bdkName, index, 0, 0, index) : u"[EXTERNNAME]");
                break;
            }
            case ptgRef: {
                const unsigned row = R_.U16LE();
                Push(CellText(row, R_.U16LE()));
                break;
            }
            case ptgArea: {
                const unsigned row1 = R_.U16LE(), row2 = R_.U16LE(), col1 = R_.U16LE(), col2 = R_.U16LE();
                Push(CellText(row1, col1) + u":" + CellText(row2, col2));
                break;
            }
            case ptgMemArea:
            case ptgMemErr:
            case 0x28:
                // The subexpression that follows gives the operand; the token itself none.
                R_.Skip(6);
                break;
            case ptgMemFunc:
            case 0x2E:
            case 0x2F: R_.Skip(2); break;
            case ptgRefErr:
                R_.Skip(4);
                Push(u"#REF!");
                break;
            case ptgAreaErr:
                R_.Skip(8);
                Push(u"#REF!");
                break;
            case ptgRefN: {
                const unsigned row = R_.U16LE();
                Push(RelativeCell(row, R_.U16LE()));
                break;
            }
            case ptgAreaN: {
                const unsigned row1 = R_.U16LE(), row2 = R_.U16LE(), col1 = R_.U16LE(), col2 = R_.U16LE();
                Push(RelativeCell(row1, col1) + u":" + RelativeCell(row2, col2));
                break;
            }
            case ptgNameX: {
                const unsigned ixti = R_.U16LE();
                const int index = R_.U16LE();
                R_.Skip(2);
                Push(Callback_ ? Callback_(bdkExternSheet, static_cast<int>(ixti), 0, 0, index) : u"[EXTERNNAME X]");
                break;
            }
            case ptgRef3d: {
                const unsigned ixti = R_.U16LE(), row = R_.U16LE(), col = R_.U16LE();
                Push(SheetPrefix(ixti) + CellText(row, col));
                break;
            }
            case ptgArea3d: {
                const unsigned ixti = R_.U16LE();
                const unsigned row1 = R_.U16LE(), row2 = R_.U16LE(), col1 = R_.U16LE(), col2 = R_.U16LE();
                Push(SheetPrefix(ixti) + CellText(row1, col1) + u":" + CellText(row2, col2));
                break;
            }
            case ptgRefErr3d:
            case ptgAreaErr3d: {
                const unsigned ixti = R_.U16LE();
                R_.Skip(op == ptgRefErr3d ? 4 : 8);
                Push(Callback_ ? SheetPrefix(ixti) + u"#REF!" : u"[ExternSheet]!#REF!");
                break;
            }
            default: Push(u"Unknown ptg[" + Hex2(raw) + u"]"); return Stack_.back();
        }
    }
    return Stack_.empty() ? u"[ERROR]" : Stack_.back();
}

// The width of one shared-formula token at p; 0 for a token a shared formula cannot hold.
size_t SharedTokenWidth(bool isBiff8, base::TByteReader& r) {
    const size_t at = r.Position();
    const uint8_t raw = r.U8At(at);
    const uint8_t op = raw >= 0x20 && raw < 0x80 ? PtgToRefClass(raw) : raw;
    if (op >= ptgAdd && op <= ptgMissArg) return 1;
    switch (op) {
        case ptgStr: {
            const size_t count = r.U8At(at + 1);
            if (!isBiff8) return 2 + count;
            return 3 + count * (r.U8At(at + 2) & 1 ? 2 : 1);
        }
        case ptgAttr: return r.U8At(at + 1) & 0x04 ? 6 + 2 * size_t(r.U16LEAt(at + 2)) : 4;
        case ptgErr:
        case ptgBool: return 2;
        case ptgInt:
        case ptgFunc:
        case 0x38:
        case ptgMemFunc:
        case 0x2E:
        case 0x2F: return 3;
        case ptgArray: return 8;
        case ptgFuncVar: return 4;
        case ptgName: return isBiff8 ? 5 : 15;
        case ptgNum: return 9;
        case 0x02: return 5;
        case ptgRef:
        case ptgRefErr:
        case ptgRefN: return isBiff8 ? 5 : 4;
        case ptgArea:
        case ptgAreaErr:
        case ptgAreaN: return isBiff8 ? 9 : 7;
        case ptgMemArea:
        case ptgMemErr:
        case 0x28: return 7;
        default: return 0;
    }
}

// A relative row of a shared formula made absolute: BIFF8 rows are 16 bits with the flags in the
// column field; BIFF5 rows are 14 bits with the flags above them.
void FixRow(bool isBiff8, uint8_t* p, bool relative, int row) {
    const uint16_t field = base::LoadLE16(p);
    if (!relative) return;
    if (isBiff8) {
        base::StoreLE16(p, static_cast<uint16_t>(field + row));
    } else {
        const int offset = (field & 0x3FFF) >= 0x2000 ? (field & 0x3FFF) - 0x4000 : field & 0x3FFF;
        base::StoreLE16(p, static_cast<uint16_t>((field & 0xC000) | ((offset + row) & 0x3FFF)));
    }
}

void FixCol(uint8_t* p, bool relative, int col) {
    if (relative) *p = static_cast<uint8_t>(static_cast<int8_t>(*p) + col);
}

}  // namespace

std::u16string DecodeBiffFormula(std::span<const uint8_t> ptgs, int context, char16_t listSeparator,
                                 const TBiffDecodeCallback& callback, int row, int col) {
    TBiffDecoder decoder(ptgs, listSeparator, callback, context, row, col);
    return decoder.Run();
}

void FixupSharedFormula(bool isBiff8, std::span<uint8_t> ptgs, int row, int col) {
    base::TByteReader r(ptgs, TokensCut);
    while (!r.AtEnd()) {
        const size_t at = r.Position();
        const size_t width = SharedTokenWidth(isBiff8, r);
        if (width == 0) throw EXLSError(u"Unknown ptg[" + Hex2(ptgs[at]) + u"] in Shared Formula");
        r.Skip(width);
        uint8_t* p = ptgs.data() + at;
        const uint8_t op = p[0] >= 0x20 && p[0] < 0x80 ? PtgToRefClass(p[0]) : p[0];
        if (op != ptgRefN && op != ptgAreaN) continue;
        // ptgRefN becomes ptgRef, ptgAreaN ptgArea, of the same operand class.
        p[0] = static_cast<uint8_t>(p[0] - (ptgRefN - ptgRef));
        const int corners = op == ptgRefN ? 1 : 2;
        for (int i = 0; i < corners; ++i) {
            uint8_t* rowField = p + 1 + 2 * i;
            if (isBiff8) {
                uint8_t* colField = p + 1 + 2 * corners + 2 * i;
                const uint16_t flags = base::LoadLE16(colField);
                FixRow(true, rowField, flags & 0x8000, row);
                FixCol(colField, flags & 0x4000, col);
            } else {
                const uint16_t flags = base::LoadLE16(rowField);
                FixRow(false, rowField, flags & 0x8000, row);
                FixCol(p + 1 + 2 * corners + i, flags & 0x4000, col);
            }
        }
    }
}

}  // namespace xls
