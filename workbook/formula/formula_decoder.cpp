#include "workbook/formula/formula_decoder.h"

#include <charconv>
#include <cstring>
#include <utility>

#include "base/text_encoding.h"

#include "workbook/formula/biff_decode_formula.h"
#include "workbook/formula/excel_functions.h"
#include "workbook/formula/formula_text.h"
#include "workbook/formula/ptg_tokens.h"
#include "workbook/model/cell_reference.h"
#include "workbook/model/cell_store.h"
#include "workbook/model/defined_names.h"
#include "workbook/model/document_root.h"
#include "workbook/model/exceptions.h"
#include "workbook/model/external_links.h"
#include "workbook/model/tables.h"
#include "workbook/model/worksheet_part.h"

namespace xls {

namespace {

constexpr std::u16string_view ErrorTexts[] = {u"_ERROR_ERROR_", u"#NULL!", u"#DIV/0!", u"#VALUE!",      u"#REF!",
                                              u"#NAME?",        u"#NUM!",  u"#N/A",    u"#GETTING_DATA"};

std::u16string ErrorText(uint8_t code) { return std::u16string(code < 9 ? ErrorTexts[code] : ErrorTexts[0]); }

constexpr uint32_t LastRow = 0xFFFFF;
constexpr uint32_t LastCol = 0x3FFF;

std::u16string Hex2(uint8_t v) {
    constexpr char16_t digits[] = u"0123456789ABCDEF";
    return {digits[v >> 4], digits[v & 15]};
}

// Wide enough for a row text of the largest stored row plus one.
std::u16string IntText(int64_t v) {
    char buf[24];
    const auto end = std::to_chars(buf, buf + sizeof buf, v).ptr;
    return std::u16string(buf, end);
}

}  // namespace

void TStringStack::Need(size_t count) const {
    if (Items_.size() < count) throw EXLSError(u"Empty decode stack");
}

std::u16string& TStringStack::Top() {
    Need(1);
    return Items_.back();
}

void TStringStack::Join(std::u16string_view op) {
    Need(2);
    std::u16string b = std::move(Items_.back());
    Items_.pop_back();
    Items_.back().append(op).append(b);
}

void TStringStack::Prefix(std::u16string_view op) { Top().insert(0, op); }
void TStringStack::Postfix(std::u16string_view op) { Top().append(op); }

void TStringStack::Wrap(std::u16string_view open, std::u16string_view close) {
    Top().insert(0, open);
    Items_.back().append(close);
}

void TStringStack::Call(std::u16string_view name, size_t count, char16_t separator, std::u16string_view space) {
    Need(count);
    std::u16string text(name);
    text += u'(';
    for (size_t i = Items_.size() - count; i < Items_.size(); ++i) {
        if (i > Items_.size() - count) text += separator;
        text += Items_[i];
    }
    text += space;
    text += u')';
    Items_.resize(Items_.size() - count);
    Push(std::move(text));
}

void TStringStack::ArrayConst(size_t cols, size_t rows, char16_t columnSeparator, char16_t rowSeparator,
                              std::u16string_view space) {
    const size_t count = cols * rows;
    Need(count);
    std::u16string text = u"{";
    const size_t first = Items_.size() - count;
    for (size_t i = 0; i < count; ++i) {
        if (i > 0) text += i % cols == 0 ? rowSeparator : columnSeparator;
        text += Items_[first + i];
    }
    text += space;
    text += u'}';
    Items_.resize(first);
    Push(std::move(text));
}

void TStringStack::TableCall(std::u16string_view name, size_t count, char16_t separator) {
    Need(count);
    const size_t first = Items_.size() - count;
    std::u16string text(name);
    // One part in its own brackets needs no second pair: Table1[Sales], Table1[#All]. "'" escapes
    // the character after it inside a part.
    bool single = count == 1 && Items_[first].starts_with(u'[');
    for (size_t i = 1; single && i < Items_[first].size(); ++i) {
        if (Items_[first][i] == u'\'')
            ++i;
        else if (Items_[first][i] == u']')
            single = i == Items_[first].size() - 1;
    }
    if (single) {
        text += Items_[first];
    } else {
        text += u'[';
        for (size_t i = first; i < Items_.size(); ++i) {
            if (i > first) text += separator;
            text += Items_[i];
        }
        text += u']';
    }
    Items_.resize(first);
    Push(std::move(text));
}

const std::u16string& TStringStack::Result() const {
    Need(1);
    return Items_.back();
}

// A column name as a bracketed part: "[", "]", "#" and "'" are escaped with "'".
std::u16string TXLSFormulaDecoder::TableColumnText(const TXc12Tables* tables, unsigned table, unsigned column) const {
    if (!tables || static_cast<int>(table) >= tables->Count()) throw EXLSError(u"Unknown table");
    const TXc12TableColumns& columns = tables->GetItems(static_cast<int>(table))->tableColumns;
    if (static_cast<int>(column) >= columns.Count()) throw EXLSError(u"Unknown table column");
    std::u16string text = u"[";
    for (char16_t c : columns.GetItems(static_cast<int>(column))->name) {
        if (c == u'[' || c == u']' || c == u'#' || c == u'\'') text += u'\'';
        text += c;
    }
    return text + u"]";
}

// The formula of the anchor cell that a member cell (array, shared formula, data table) uses.
std::u16string TXLSFormulaDecoder::AnchorText(TXLSCellMMU* cells, std::span<const uint8_t> token, int sheetIndex,
                                              int options) {
    if (!cells) throw EXLSError(u"Decode formula with ACells = Nil");
    // An anchor is never a member itself; a stored loop of members must not recurse forever.
    if (Depth_ > 0) throw EXLSError(u"Formula member refers to a member");
    const int col = token[1] | (token[2] << 8);
    const int row = static_cast<int32_t>(token[3] | (token[4] << 8) | (token[5] << 16) | (uint32_t(token[6]) << 24));
    TXLSMMUCell cell;
    if (!cells->FindCell(col, row, cell)) throw EXLSError(u"Anchor cell of a formula member not found");
    if (!TXLSCellMMU::IsFormulaCompiled(cell)) {
        std::u16string text;
        TXLSCellMMU::GetFormulaText(cell, text);
        return text;
    }
    const uint8_t* ptgs = nullptr;
    const int len = TXLSCellMMU::GetFormulaPtgs(cell, ptgs);
    const std::vector<uint8_t> anchor(ptgs, ptgs + len);
    TXLSFormulaDecoder inner(Manager_);
    inner.Separators_ = Separators_;
    inner.Depth_ = Depth_ + 1;
    return inner.Decode(anchor, sheetIndex, cells, options);
}

std::u16string TXLSFormulaDecoder::Decode(std::span<const uint8_t> code, int sheetIndex, TXLSCellMMU* cells,
                                          int options) {
    if (!code.empty() && (code[0] == xptgBiff || code[0] == xptgExtra))
        return DecodeBiffFormula(code, 0, Separators_.List, {}, 0, 0);
    Stack_.Reset();
    const char16_t list = Separators_.List;
    const char16_t columnSep = list == u';' ? u'\\' : list;
    std::u16string pending;
    // What was typed before a closing parenthesis or brace, or before an argument separator: the
    // first of two space attributes in a row, in front of the call, parenthesis or array constant
    // it closes, or of the next argument's first token.
    std::u16string closing;
    bool afterSpace = false;
    auto u16 = [&](size_t at) { return static_cast<uint32_t>(code[at] | (code[at + 1] << 8)); };
    auto u32 = [&](size_t at) { return u16(at) | (u16(at + 2) << 16); };
    auto sheet = [&](int index) -> TXc12DataWorksheet& {
        if (index >= Manager_.Worksheets().Count()) throw EXLSError(u"Unknown sheet index");
        return *Manager_.Worksheets().GetItems(index);
    };
    auto sheetName = [&](uint8_t index) { return sheet(index).GetQuotedName(); };
    auto sheetRange = [&](uint8_t first, uint8_t last) {
        return QuotedSheetRange(sheet(first).Name, sheet(last).Name);
    };
    // "[book]sheet" (or "[book]first:last"), quoted as a whole when a part holds a character
    // that ends an unquoted prefix. The book is written as its file name.
    auto bookPrefix = [&](size_t at, bool range) {
        const int16_t index = static_cast<int16_t>(u16(at));
        if (index < 0 || index >= Manager_.XLinks().Count()) throw EXLSError(u"Unknown external book");
        const TXc12XExternalBook& book = Manager_.XLinks().GetItems(index)->externalBook;
        auto name = [&](uint8_t sheetIndex) {
            if (sheetIndex >= book.SheetNames.size()) throw EXLSError(u"Unknown external sheet");
            return base::Utf8ToUtf16(book.SheetNames[sheetIndex]);
        };
        const std::u16string target =
            book.Target.empty() || (options & OptionBookNumbers) ? IntText(index + 1) : book.Target;
        std::u16string sheets = name(code[at + 2]);
        if (range) {
            sheets += u':';
            sheets += name(code[at + 3]);
        }
        bool plain = true;
        for (char16_t c : target + sheets)
            if (c <= u' ' || std::u16string_view(u"&*+,-/<=>^'()?[\\]!{}\";#%").find(c) != std::u16string_view::npos)
                plain = false;
        std::u16string text(1, u'[');
        text += target;
        text += u']';
        text += sheets;
        if (plain) return text + u"!";
        std::u16string quoted = u"'";
        for (char16_t c : text) {
            quoted += c;
            if (c == u'\'') quoted += c;
        }
        return quoted + u"'!";
    };
    auto cell = [&](size_t at) {
        return ColRowFlagsToRefStr(static_cast<int32_t>(u16(at + 4)), static_cast<int32_t>(u32(at)));
    };
    auto area = [&](size_t at) {
        const uint32_t row1 = u32(at), row2 = u32(at + 4), col1 = u16(at + 8), col2 = u16(at + 10);
        // Whole columns and whole rows are written as they are typed ("C:C", "3:$5").
        auto colText = [](uint32_t col) {
            std::u16string text = ColToRefStr(static_cast<int>(col & 0x3FFF));
            if (col & 0x8000) text.insert(text.begin(), u'$');
            return text;
        };
        auto rowText = [](uint32_t row) {
            std::u16string text = IntText(int64_t{row & 0x7FFFFFFF} + 1);
            if (row & 0x80000000u) text.insert(text.begin(), u'$');
            return text;
        };
        if (row1 == 0 && row2 == LastRow) return colText(col1) + u":" + colText(col2);
        if (col1 == 0 && col2 == LastCol) return rowText(row1) + u":" + rowText(row2);
        return AreaFlagsToRefStr(static_cast<int32_t>(u16(at + 8)), static_cast<int32_t>(u32(at)),
                                 static_cast<int32_t>(u16(at + 10)), static_cast<int32_t>(u32(at + 4)));
    };
    const TXc12Tables* tables =
        sheetIndex >= 0 && sheetIndex < Manager_.Worksheets().Count() ? &sheet(sheetIndex).tableParts : nullptr;
    // The parts of a structured reference come before its table token, which tells the sheet
    // whose tables they index.
    auto tablesAhead = [&](size_t from) {
        for (size_t p = from; p < code.size();) {
            const size_t w = PtgTokenWidth(code.data() + p, code.size() - p, false);
            if (w == 0) break;
            if (code[p] == xptgTable) {
                const unsigned owner = u16(p + 3);
                return owner < 0xFF ? &sheet(static_cast<int>(owner)).tableParts : tables;
            }
            p += w;
        }
        return tables;
    };
    size_t pos = 0;
    while (pos < code.size()) {
        const uint8_t op = code[pos];
        const size_t width = PtgTokenWidth(code.data() + pos, code.size() - pos, false);
        if (width == 0) throw EXLSError(u"Unknown Ptg \"" + Hex2(op) + u"\"");
        const size_t a = pos + 1;
        std::u16string space = std::move(pending);
        pending.clear();
        std::u16string close;
        if (op == xptgAttrSpace) {
            if (afterSpace) closing = space;
        } else {
            close = std::move(closing);
            closing.clear();
            // Before any other token the first of the pair follows the argument on the stack.
            const bool closer =
                op == ptgParen || op == xptgArray || op == xptgFunc || op == xptgFuncVar || op == xptgUserFunc;
            if (!closer && !close.empty()) Stack_.Postfix(std::exchange(close, std::u16string()));
        }
        afterSpace = op == xptgAttrSpace;
        switch (op) {
            case ptgAdd: Stack_.Join(space + u"+"); break;
            case ptgSub: Stack_.Join(space + u"-"); break;
            case ptgMul: Stack_.Join(space + u"*"); break;
            case ptgDiv: Stack_.Join(space + u"/"); break;
            case ptgPower: Stack_.Join(space + u"^"); break;
            case ptgConcat: Stack_.Join(space + u"&"); break;
            case ptgLT: Stack_.Join(space + u"<"); break;
            case ptgLE: Stack_.Join(space + u"<="); break;
            case ptgEQ: Stack_.Join(space + u"="); break;
            case ptgGE: Stack_.Join(space + u">="); break;
            case ptgGT: Stack_.Join(space + u">"); break;
            case ptgNE: Stack_.Join(space + u"<>"); break;
            case ptgIsect: Stack_.Join(std::u16string(code[a], u' ')); break;
            case ptgUnion: Stack_.Join(space + list); break;
            case ptgRange: Stack_.Join(space + u":"); break;
            case ptgUplus: Stack_.Prefix(space + u"+"); break;
            case ptgUminus: Stack_.Prefix(space + u"-"); break;
            case ptgPercent: Stack_.Postfix(space + u"%"); break;
            case ptgParen: Stack_.Wrap(space + u"(", close + u")"); break;
            case ptgErr: Stack_.Push(space + ErrorText(code[a])); break;
            case ptgBool: Stack_.Push(space + (code[a] ? u"TRUE" : u"FALSE")); break;
            case ptgNum: {
                double v;
                uint64_t bits = u32(a) | (static_cast<uint64_t>(u32(a + 4)) << 32);
                std::memcpy(&v, &bits, sizeof v);
                char buf[40];
                const auto end = std::to_chars(buf, buf + sizeof buf, v).ptr;
                std::u16string text = space;
                // The exponent as spreadsheets write it: 1E-07.
                for (const char* c = buf; c != end; ++c)
                    text += *c == '.' ? Separators_.Decimal : *c == 'e' ? u'E' : char16_t(*c);
                Stack_.Push(std::move(text));
                break;
            }
            case xptgArray: Stack_.ArrayConst(u16(a), u32(a + 2), columnSep, u';', close); break;
            case xptgFunc: {
                const int id = static_cast<int>(u16(a));
                const TXLSExcelFuncNames& funcs = TXLSExcelFuncNames::Instance();
                Stack_.Call(space + funcs.NameById(id), static_cast<size_t>(funcs.MinArgs(id)), list, close);
                break;
            }
            case xptgFuncVar:
                Stack_.Call(space + TXLSExcelFuncNames::Instance().NameById(static_cast<int>(u16(a + 1))), code[a],
                            list, close);
                break;
            case xptgUserFunc: {
                std::u16string name = space;
                for (size_t i = 0; i < u16(a + 1); ++i) name += static_cast<char16_t>(u16(a + 3 + 2 * i));
                Stack_.Call(name, code[a], list, close);
                break;
            }
            case xptgName: {
                const uint32_t index = u16(a);
                TXc12DefinedNames* names = Manager_.Names;
                TXc12DefinedName* name = names && index < 0xFFFF && static_cast<int>(index) < names->Count()
                                             ? names->GetItems(static_cast<int>(index))
                                             : nullptr;
                std::u16string text = name ? name->name : std::u16string(u"#NAME?");
                // A name of another sheet is written with that sheet, as it must be typed there.
                if (name && name->localSheetId >= 0 && name->localSheetId != sheetIndex)
                    text = sheetName(static_cast<uint8_t>(name->localSheetId)) + u"!" + text;
                Stack_.Push(space + text);
                break;
            }
            case xptgRef: Stack_.Push(space + cell(a)); break;
            case xptgArea: Stack_.Push(space + area(a)); break;
            case xptgRefErr:
            case xptgAreaErr: Stack_.Push(space + u"#REF!"); break;
            case xptgInt: Stack_.Push(space + IntText(static_cast<int32_t>(u32(a)))); break;
            case xptgStr: {
                std::u16string text = space + u"\"";
                for (size_t i = 0; i < u16(a); ++i) {
                    const char16_t c = static_cast<char16_t>(u16(a + 2 + 2 * i));
                    text += c;
                    if (c == u'"') text += c;
                }
                Stack_.Push(text + u"\"");
                break;
            }
            case xptgAttrSpace: pending.assign(code[a], u' '); break;
            case xptgRef3d: Stack_.Push(space + sheetName(code[a + 6]) + u"!" + cell(a)); break;
            case xptgRef3dRange: Stack_.Push(space + sheetRange(code[a + 6], code[a + 7]) + u"!" + cell(a)); break;
            case xptgArea3d: Stack_.Push(space + sheetName(code[a + 12]) + u"!" + area(a)); break;
            case xptgArea3dRange: Stack_.Push(space + sheetRange(code[a + 12], code[a + 13]) + u"!" + area(a)); break;
            case xptgRefX: Stack_.Push(space + bookPrefix(a + 6, false) + cell(a)); break;
            case xptgRefXRange: Stack_.Push(space + bookPrefix(a + 6, true) + cell(a)); break;
            case xptgAreaX: Stack_.Push(space + bookPrefix(a + 12, false) + area(a)); break;
            case xptgAreaXRange: Stack_.Push(space + bookPrefix(a + 12, true) + area(a)); break;
            case xptgRefErr3d:
            case xptgRefErr3dRange: Stack_.Push(space + ErrorText(code[pos + 7])); break;
            case xptgAreaErr3d:
            case xptgAreaErr3dRange: Stack_.Push(space + ErrorText(code[pos + 13])); break;
            case xptgMissArg: Stack_.Push(space); break;
            case xptgArrayMember:
            case xptgFormulaMember:
            case xptgDataTableMember:
                Stack_.Push(space + AnchorText(cells, code.subspan(pos, width), sheetIndex, options));
                break;
            case xptgDataTable: {
                const uint8_t flags = code[a];
                auto input = [&](size_t at, bool deleted) {
                    return deleted ? std::u16string(u"#REF!")
                                   : ColRowToRefStr(static_cast<int>(u16(at)), static_cast<int32_t>(u32(at + 2)));
                };
                std::u16string first = input(a + 1, flags & 1), second;
                if (flags & 4)
                    second = input(a + 7, flags & 2);
                else if (!(flags & 8))
                    std::swap(first, second);
                Stack_.Push(space + u"TABLE(" + first + list + second + u")");
                break;
            }
            case xptgTable: {
                const unsigned table = u16(a), owner = u16(a + 2);
                if (owner < 0xFF) tables = &sheet(static_cast<int>(owner)).tableParts;
                if (!tables || static_cast<int>(table) >= tables->Count()) throw EXLSError(u"Unknown table");
                Stack_.TableCall(space + tables->GetItems(static_cast<int>(table))->name, code[a + 4], list);
                break;
            }
            case xptgTableColumn: Stack_.Push(space + TableColumnText(tablesAhead(pos), u16(a), u16(a + 2))); break;
            case xptgTableSpecial: {
                static constexpr std::u16string_view Items[] = {u"_ERROR_",    u"[#All]",    u"[#Data]",
                                                                u"[#Headers]", u"[#Totals]", u"[#This Row]"};
                Stack_.Push(std::u16string(code[a] < 6 ? Items[code[a]] : Items[0]));
                break;
            }
            case 0: throw EXLSError(u"Illegal ptgs " + Hex2(op));
            default: throw EXLSError(u"Unknown Ptg \"" + Hex2(op) + u"\"");
        }
        pos += width;
    }
    return Stack_.Result();
}

std::u16string DecodeFormulaToText(TXc12Manager& manager, int sheetIndex, std::span<const uint8_t> code) {
    return DecodeFormulaText(manager, code, sheetIndex);
}

}  // namespace xls
