// Structured references: Table1[Sales], Table1[[#Headers],[Sales]], [Sales] inside a table.

#include <algorithm>
#include <array>
#include <utility>

#include "base/byte_reader.h"
#include "workbook/formula/formula_encoder.h"
#include "workbook/formula/ptg_tokens.h"
#include "workbook/model/cell_reference.h"
#include "workbook/model/document_root.h"
#include "workbook/model/tables.h"
#include "workbook/model/utils.h"
#include "workbook/model/worksheet_part.h"

namespace xls {

namespace {

constexpr int ItemAll = 1;
constexpr int ItemData = 2;
constexpr int ItemHeaders = 3;
constexpr int ItemTotals = 4;
constexpr int ItemThisRow = 5;
constexpr int ColumnPart = 0xFFFF;

// 1..5 for the texts after "#"; 0 for any other.
int ItemNumber(std::u16string_view text) {
    static constexpr std::array<std::u16string_view, 5> Names = {u"ALL", u"DATA", u"HEADERS", u"TOTALS", u"THIS ROW"};
    const std::u16string upper = WideUpperCaseStr(text);
    for (size_t i = 0; i < Names.size(); ++i)
        if (upper == Names[i]) return static_cast<int>(i) + 1;
    return 0;
}

// The column of a table by its name as typed ("'" escapes the next character; case ignored).
int ColumnIndex(const TXc12Table& table, std::u16string_view typed) {
    std::u16string name;
    for (size_t i = 0; i < typed.size(); ++i) {
        if (typed[i] == u'\'' && i + 1 < typed.size()) ++i;
        name += typed[i];
    }
    name = WideUpperCaseStr(name);
    for (int c = 0; c < table.tableColumns.Count(); ++c)
        if (WideUpperCaseStr(table.tableColumns.GetItems(c)->name) == name) return c;
    return -1;
}

// An embedded own area token: opcode, rows, columns.
void PutArea(std::vector<uint8_t>& b, int row1, int row2, int col1, int col2) {
    b.push_back(xptgArea);
    base::AppendLE32(b, static_cast<uint32_t>(row1));
    base::AppendLE32(b, static_cast<uint32_t>(row2));
    base::AppendLE16(b, static_cast<uint16_t>(col1));
    base::AppendLE16(b, static_cast<uint16_t>(col2));
}

bool IsPart(TXLSTokenKind kind) { return kind == xttTableColumn || kind == xttTableItem; }

}  // namespace

// A table by name: first in the current list, then on every sheet (that list then serves the rest
// of the formula). sheet is the table's worksheet, 0xFFFF when it is not known.
const TXc12Table& TXLSFormulaEncoder::FindTable(const std::u16string& name, int& index, uint16_t& sheet) {
    index = TableList_ ? TableList_->IndexOfName(name) : -1;
    if (index < 0) {
        int owner = -1;
        TXc12Tables* found = nullptr;
        index = Manager_.FindTable(name, found, owner);
        if (index < 0) Report(4024, name);
        TableList_ = found;
    }
    sheet = 0xFFFF;
    for (int i = 0; i < Manager_.Worksheets().Count() && i < 0xFF; ++i)
        if (&Manager_.Worksheets().GetItems(i)->tableParts == TableList_) sheet = static_cast<uint16_t>(i);
    return *TableList_->GetItems(index);
}

void TXLSFormulaEncoder::TablePartToken(const TXc12Table& table, int tableIndex, const TXLSTokenListItem& part,
                                        int item) {
    const TXLSCellArea& ref = table.ref;
    const int dataRow1 = ref.Row1 + table.headerRowCount;
    const int dataRow2 = ref.Row2 - table.totalsRowCount;
    size_t token;
    if (item == ColumnPart) {
        const int column = ColumnIndex(table, part.Text);
        if (column < 0) Report(4025, part.Text);
        token = New({xptgTableColumn});
        std::vector<uint8_t>& b = Pool_[token].Bytes;
        base::AppendLE16(b, static_cast<uint16_t>(tableIndex));
        base::AppendLE16(b, static_cast<uint16_t>(column));
        PutArea(b, dataRow1, dataRow2, ref.Col1 + column, ref.Col1 + column);
    } else {
        int row1 = ref.Row1, row2 = ref.Row2;
        uint8_t error = 0;
        switch (item) {
            case ItemData: row1 = dataRow1, row2 = dataRow2; break;
            case ItemHeaders:
                row2 = ref.Row1 + table.headerRowCount - 1;
                if (table.headerRowCount <= 0) error = 4, row2 = row1;
                break;
            case ItemTotals:
                row1 = ref.Row2 - table.totalsRowCount + 1;
                if (table.totalsRowCount <= 0) error = 4, row1 = row2;
                break;
            case ItemThisRow: row1 = row2 = 0; break;
            case ItemAll:
            default: break;
        }
        token = New({xptgTableSpecial, static_cast<uint8_t>(item), error});
        PutArea(Pool_[token].Bytes, row1, row2, ref.Col1, ref.Col2);
    }
    Pool_[token].Start = part.Start;
    Pool_[token].End = part.End;
    Output(token);
}

// Compiles one structured reference from the token at Pos_ and leaves Pos_ on its last token. The
// parts come first in the code, joined by ":" (range) and spaces (intersection); the table token
// follows with the number of parts separated by the list separator.
void TXLSFormulaEncoder::StructuredReference() {
    const TXLSTokenList& t = *Tokens_;
    auto kind = [&](size_t i) { return i < t.size() ? t[i].Kind : xttBadChar; };
    size_t p = Pos_;
    const bool named = kind(p) == xttTable;
    // Spaces typed before the reference stand before its table token, which gives the name.
    const uint8_t lead = std::exchange(PendingSpace_, uint8_t(0));
    int tableIndex = -1;
    uint16_t sheet = 0xFFFF;
    const TXc12Table* table = nullptr;
    if (named) {
        table = &FindTable(t[p].Text, tableIndex, sheet);
        ++p;
    }
    struct TPart {
        size_t Token;
        int Item;      // 1..5, or ColumnPart
        uint8_t Join;  // operator before it: 0 a new part, ptgRange or ptgIsect
        uint8_t Spaces;
    };
    std::vector<TPart> parts;
    uint8_t join = 0, spaces = 0;
    while (IsPart(kind(p))) {
        const int item = kind(p) == xttTableColumn ? ColumnPart : ItemNumber(t[p].Text);
        if (item == 0) Report(4026, t[p].Text);
        parts.push_back({p, item, join, spaces});
        ++p;
        // Without a table name the reference is one part; what follows belongs to the formula.
        if (!named) break;
        // Between parts ";" is the list separator of a locale that uses it.
        const TXLSTokenKind next = kind(p) == xttArrayRowSep ? xttListSep : kind(p);
        const bool separator = next == xttListSep || next == xttColon || next == xttTableSpace;
        if (separator && !IsPart(kind(p + 1))) Report(4028, t[p].Text);
        if (!separator) break;
        if (item != ColumnPart && next != xttListSep) Report(4028, t[p].Text);
        join = next == xttColon ? ptgRange : next == xttTableSpace ? ptgIsect : 0;
        spaces = static_cast<uint8_t>(std::clamp(t[p].End - t[p].Start + 1, 1, 255));
        ++p;
    }
    if (named && kind(p) != xttTableEnd) Report(4027, t[Pos_].Text);
    if (parts.size() >= 2) {
        std::vector<int> sorted;
        for (const TPart& part : parts) sorted.push_back(part.Item);
        std::sort(sorted.begin(), sorted.end());
        if ((parts[0].Item == ColumnPart) != (sorted[0] == ColumnPart)) Report(4030, t[parts[0].Token].Text);
        if (sorted[0] != ColumnPart) {
            const int second = sorted[1];
            bool allowed = second == ColumnPart;
            if (sorted[0] == ItemData) allowed = allowed || second == ItemHeaders || second == ItemTotals;
            if (sorted.size() >= 3 && sorted[2] != ColumnPart) allowed = false;
            if (!allowed) {
                size_t last = 0;
                for (size_t i = 0; i < parts.size(); ++i)
                    if (parts[i].Item != ColumnPart) last = i;
                Report(4026, t[parts[last].Token].Text);
            }
        }
    }
    if (!named) {
        TXc12Tables* own = TableList_;
        if (!own && SheetIndex_ >= 0 && SheetIndex_ < Manager_.Worksheets().Count())
            own = &Manager_.Worksheets().GetItems(SheetIndex_)->tableParts;
        tableIndex = own ? own->IndexOfCell(Col_, Row_) : -1;
        if (tableIndex < 0)
            Report(4024, u"at " + (Col_ >= 0 && Row_ >= 0 ? ColRowToRefStr(Col_, Row_) : std::u16string()));
        TableList_ = own;
        table = own->GetItems(tableIndex);
        for (int i = 0; i < Manager_.Worksheets().Count() && i < 0xFF; ++i)
            if (&Manager_.Worksheets().GetItems(i)->tableParts == own) sheet = static_cast<uint16_t>(i);
    }
    int groups = 0;
    for (const TPart& part : parts) {
        TablePartToken(*table, tableIndex, t[part.Token], part.Item);
        if (part.Join) {
            const size_t op = New({part.Join});
            if (part.Join == ptgIsect) Pool_[op].Bytes.push_back(part.Spaces);
            Output(op);
        } else {
            ++groups;
        }
    }
    const size_t token = New({xptgTable});
    std::vector<uint8_t>& b = Pool_[token].Bytes;
    base::AppendLE16(b, static_cast<uint16_t>(tableIndex));
    base::AppendLE16(b, sheet);
    b.push_back(static_cast<uint8_t>(groups));
    const TXLSCellArea& ref = table->ref;
    PutArea(b, ref.Row1 + table->headerRowCount, ref.Row2 - table->totalsRowCount, ref.Col1, ref.Col2);
    Pool_[token].Space = lead;
    Pool_[token].Start = t[Pos_].Start;
    Pool_[token].End = t[named ? p : p - 1].End;
    Output(token);
    Pos_ = named ? p : p - 1;
}

}  // namespace xls
