#include "workbook/formula/calc_chain.h"

#include <algorithm>

#include "base/byte_reader.h"
#include "base/text_encoding.h"
#include "workbook/formula/calc_chain_lookup.h"
#include "workbook/formula/ptg_tokens.h"
#include "workbook/model/cell_error.h"
#include "workbook/model/cell_reference.h"
#include "workbook/model/cell_store.h"
#include "workbook/model/error_manager.h"
#include "workbook/model/exceptions.h"

namespace xls {

namespace {

uint16_t U16(const uint8_t* p) { return base::LoadLE16(p); }
int32_t I32(const uint8_t* p) { return static_cast<int32_t>(base::LoadLE32(p)); }

constexpr int32_t OwnRowMask = 0x7FFFFFFF;
constexpr uint16_t OwnColMask = 0x7FFF;
constexpr uint16_t BiffColMask = 0x3FFF;

// Functions whose value may change while no cell does: the clock, random numbers, the
// environment, hidden rows (which the stores do not count as changes), texts resolved as
// references, and the add-in call.
bool IsVolatileFunction(int id) {
    constexpr int Volatile[] = {63, 74, 125, 148, 221, 244, 255, 344, 818};  // RAND NOW CELL INDIRECT TODAY INFO
                                                                             // add-in SUBTOTAL AGGREGATE
    return std::find(std::begin(Volatile), std::end(Volatile), id & 0x7FFF) != std::end(Volatile);
}

// The first of the ascending cells not before cell, searched outwards from hint: most references
// point near the formula that makes them, so the search stays within a few cache lines.
size_t LowerBoundNear(const std::vector<TXLSCalcCell>& cells, const TXLSCalcCell& cell, size_t hint) {
    size_t low = 0;
    size_t high = cells.size();
    hint = std::min(hint, cells.size());
    if (hint < cells.size() && cells[hint] < cell) {
        size_t step = 1;
        low = hint + 1;
        while (low + step < cells.size() && cells[low + step] < cell) {
            low += step + 1;
            step *= 2;
        }
        high = std::min(cells.size(), low + step);
    } else {
        size_t step = 1;
        high = hint;
        while (high > step && !(cells[high - step] < cell)) {
            high -= step;
            step *= 2;
        }
        low = high > step ? high - step : 0;
    }
    return static_cast<size_t>(std::lower_bound(cells.begin() + static_cast<ptrdiff_t>(low),
                                                cells.begin() + static_cast<ptrdiff_t>(high), cell) -
                               cells.begin());
}

// Whether the cell the store's iteration stands on is a formula of its own (not a cell that only
// points at an array or shared anchor): the cells the chain orders.
bool IterIsChainItem(const TXLSCellMMU& cells) {
    const TCellValueType type = cells.IterCellType();
    if (type < xctFloatFormula || type > xctErrorFormula) return false;
    const uint8_t kind = cells.IterFormulaKind() & 0x1F;  // without the range and table flags
    return kind < 3 || kind > 5;
}

}  // namespace

void TXLSCalcChainBuilder::AddArea(int sheet1, int sheet2, int col1, int row1, int col2, int row2, bool lookupTable) {
    const auto add = [&](uint32_t item) { Refs.emplace_back(item, lookupTable); };
    if (col1 > col2) std::swap(col1, col2);
    if (row1 > row2) std::swap(row1, row2);
    for (int sheet = std::min(sheet1, sheet2); sheet <= std::max(sheet1, sheet2); ++sheet) {
        const std::vector<TXLSCalcCell>& cells = Graph.Cells;
        const size_t from = LowerBoundNear(cells, {static_cast<uint16_t>(sheet), 0, std::max(row1, 0)}, Walking);
        for (size_t i = from; i < cells.size() && cells[i].Sheet == sheet && cells[i].Row <= row2; ++i)
            if (cells[i].Col >= col1 && cells[i].Col <= col2) add(static_cast<uint32_t>(i));
        for (const TRangeAnchor& a : RangeAnchors)
            if (a.Sheet == sheet && a.Range.Col1 <= col2 && a.Range.Col2 >= col1 && a.Range.Row1 <= row2 &&
                a.Range.Row2 >= row1)
                add(a.Item);
    }
}

bool TXLSCalcChainBuilder::LookUpName(int index, TXLSNameDef& name) {
    for (const TNameLookup& l : NameLookups)
        if (l.Index == index) {
            name = l.Def;
            name.Ptgs = l.Ptgs.data();
            return l.Found;
        }
    TNameLookup& l = NameLookups.emplace_back();
    l.Index = index;
    l.Found = Document.GetName(index, l.Def);
    if (l.Found && l.Def.Kind == nkFormula && l.Def.Ptgs && l.Def.PtgsLen > 0)
        l.Ptgs.assign(l.Def.Ptgs, l.Def.Ptgs + l.Def.PtgsLen);
    else
        l.Def.PtgsLen = 0;
    l.Def.Ptgs = nullptr;
    name = l.Def;
    name.Ptgs = l.Ptgs.data();
    return l.Found;
}

bool TXLSCalcChainBuilder::LookUpSheetRange(const IXLSExternSheets* ext, int index, int& first, int& last) {
    if (!ext) return false;
    for (const TSheetRangeLookup& l : SheetRangeLookups)
        if (l.Index == index) {
            first = l.First;
            last = l.Last;
            return l.Found;
        }
    TSheetRangeLookup& l = SheetRangeLookups.emplace_back();
    l.Index = index;
    l.Found = ext->GetSheetRange(index, l.First, l.Last);
    first = l.First;
    last = l.Last;
    return l.Found;
}

bool TXLSCalcChainBuilder::IsCurrent() const {
    if (!Built || SheetStamps.size() != static_cast<size_t>(Document.SheetCount()) ||
        BuiltExternSheets != Document.ExternSheets())
        return false;
    for (size_t i = 0; i < SheetStamps.size(); ++i) {
        const TXLSCellMMU* cells = Document.SheetCells(static_cast<int>(i));
        if (cells != SheetStamps[i].first || (cells && cells->FormulaChanges() != SheetStamps[i].second)) return false;
    }
    for (const TNameLookup& l : NameLookups) {
        TXLSNameDef now;
        const bool found = Document.GetName(l.Index, now);
        if (found != l.Found) return false;
        if (!found) continue;
        const bool hasPtgs = now.Kind == nkFormula && now.Ptgs && now.PtgsLen > 0;
        if (now.Kind != l.Def.Kind || now.Sheet != l.Def.Sheet || now.Col1 != l.Def.Col1 || now.Row1 != l.Def.Row1 ||
            now.Col2 != l.Def.Col2 || now.Row2 != l.Def.Row2 ||
            (hasPtgs ? !std::equal(now.Ptgs, now.Ptgs + now.PtgsLen, l.Ptgs.begin(), l.Ptgs.end()) : !l.Ptgs.empty()))
            return false;
    }
    for (const TSheetRangeLookup& l : SheetRangeLookups) {
        int first = 0;
        int last = 0;
        const bool found = BuiltExternSheets->GetSheetRange(l.Index, first, last);
        if (found != l.Found || (found && (first != l.First || last != l.Last))) return false;
    }
    return true;
}

void TXLSCalcChainBuilder::AddName(size_t item, int index, int depth, bool lookupTable) {
    TXLSNameDef name;
    if (depth >= MaxNameDepth || !LookUpName(index, name)) return;
    switch (name.Kind) {
        case nkCell: AddArea(name.Sheet, name.Sheet, name.Col1, name.Row1, name.Col1, name.Row1, lookupTable); break;
        case nkArea: AddArea(name.Sheet, name.Sheet, name.Col1, name.Row1, name.Col2, name.Row2, lookupTable); break;
        case nkFormula: AddDependencies(item, name.Ptgs, name.PtgsLen, depth + 1, lookupTable); break;
        default: break;
    }
}

void TXLSCalcChainBuilder::AddDependencies(size_t item, const uint8_t* ptgs, int len, int depth, bool lookupTable) {
    const uint8_t* p = ptgs;
    const uint8_t* end = ptgs + len;
    const int sheet = Graph.Cells[item].Sheet;
    bool biff = false;
    if (len > 0 && (p[0] == xptgBiff || p[0] == xptgExtra)) {
        biff = true;
        if (p[0] == xptgExtra) {
            if (len < 3 || U16(p + 1) > len - 3) throw EXLSError(u"Formula data out of bounds");
            end -= U16(p + 1);
            p += 3;
        } else {
            ++p;
        }
    }
    const IXLSExternSheets* ext = Document.ExternSheets();
    const std::vector<const uint8_t*> tables = TCircPtgsStack::LookupTables(p, end, biff);
    auto nextTable = tables.begin();
    while (p < end) {
        const size_t width = PtgTokenWidth(p, static_cast<size_t>(end - p), biff);
        if (width == 0) throw EXLSError(u"Formula data out of bounds");
        const uint8_t op = biff ? PtgToRefClass(p[0]) : p[0];
        const bool table = lookupTable || (nextTable != tables.end() && *nextTable == p);
        if (nextTable != tables.end() && *nextTable == p) ++nextTable;
        const auto area = [&](int sheet1, int sheet2, int col1, int row1, int col2, int row2) {
            AddArea(sheet1, sheet2, col1, row1, col2, row2, table);
        };
        int first = 0;
        int last = 0;
        switch (op) {
            case ptgRef:
                area(sheet, sheet, U16(p + 3) & BiffColMask, U16(p + 1), U16(p + 3) & BiffColMask, U16(p + 1));
                break;
            case ptgArea:
                area(sheet, sheet, U16(p + 5) & BiffColMask, U16(p + 1), U16(p + 7) & BiffColMask, U16(p + 3));
                break;
            case ptgRef3d:
                if (LookUpSheetRange(ext, U16(p + 1), first, last))
                    area(first, last, U16(p + 5) & BiffColMask, U16(p + 3), U16(p + 5) & BiffColMask, U16(p + 3));
                break;
            case ptgArea3d:
                if (LookUpSheetRange(ext, U16(p + 1), first, last))
                    area(first, last, U16(p + 7) & BiffColMask, U16(p + 3), U16(p + 9) & BiffColMask, U16(p + 5));
                break;
            case ptgFunc:
            case xptgFunc:
                if (IsVolatileFunction(U16(p + 1))) Volatile_ = true;
                break;
            case ptgFuncVar:
            case xptgFuncVar:
                if (IsVolatileFunction(U16(p + 2))) Volatile_ = true;
                break;
            // User functions answer from outside, external references from the link tables.
            case xptgUserFunc:
            case xptgRefX:
            case xptgRefXRange:
            case xptgAreaX:
            case xptgAreaXRange: Volatile_ = true; break;
            case ptgName: AddName(item, U16(p + 1) - 1, depth, table); break;
            case ptgNameX:
                if (LookUpSheetRange(ext, U16(p + 1), first, last) && first == 0xFFFE)
                    AddName(item, U16(p + 3) - 1, depth, table);
                break;
            case xptgName:
                if (U16(p + 1) != 0xFFFF) AddName(item, U16(p + 1), depth, table);
                break;
            case xptgRef: {
                const int c = U16(p + 5) & OwnColMask;
                const int r = I32(p + 1) & OwnRowMask;
                area(sheet, sheet, c, r, c, r);
                break;
            }
            case xptgRef3d:
            case xptgRef3dRange: {
                const int c = U16(p + 5) & OwnColMask;
                const int r = I32(p + 1) & OwnRowMask;
                area(p[7], op == xptgRef3d ? p[7] : p[8], c, r, c, r);
                break;
            }
            case xptgArea:
            case xptgArea3d:
            case xptgArea3dRange: {
                const int s1 = op == xptgArea ? sheet : p[13];
                const int s2 = op == xptgArea3dRange ? p[14] : s1;
                area(s1, s2, U16(p + 9) & OwnColMask, I32(p + 1) & OwnRowMask, U16(p + 11) & OwnColMask,
                     I32(p + 5) & OwnRowMask);
                break;
            }
            default: break;
        }
        p += width;
    }
}

void TXLSCalcChainBuilder::AddGraphRefs(uint32_t item) {
    // One area's items come in ascending order; only several references of one formula can
    // repeat or interleave items.
    if (std::adjacent_find(Refs.begin(), Refs.end(), [](const auto& a, const auto& b) { return a.first >= b.first; }) !=
        Refs.end()) {
        // A cell read both through a lookup table and otherwise is an ordinary reference: the
        // unmarked entry sorts first and stays.
        std::sort(Refs.begin(), Refs.end());
        Refs.erase(
            std::unique(Refs.begin(), Refs.end(), [](const auto& a, const auto& b) { return a.first == b.first; }),
            Refs.end());
    }
    for (const auto& [to, lookupTable] : Refs) {
        // A formula that reads its own cell reads its previous value.
        if (to == item) continue;
        Graph.To.push_back(to);
        Graph.LookupTable.push_back(lookupTable);
    }
}

bool TXLSCalcChainBuilder::Build(TXLSCalcChain& chain, TXLSErrorManager* errors) {
    chain.Clear();
    Graph = TCellGraph();
    RangeAnchors.clear();
    Cycles_.clear();
    Built = false;
    Volatile_ = false;
    SheetStamps.clear();
    NameLookups.clear();
    SheetRangeLookups.clear();
    BuiltExternSheets = Document.ExternSheets();
    // The formula cells first, all of them: the references of any formula are searched among
    // them. Their tokens are taken by a second walk of the stores, in the same order, so that no
    // list of them is held.
    for (int sheet = 0; sheet < Document.SheetCount(); ++sheet) {
        TXLSCellMMU* cells = Document.SheetCells(sheet);
        SheetStamps.emplace_back(cells, cells ? cells->FormulaChanges() : 0);
        if (!cells) continue;
        cells->BeginIterate(0);
        while (cells->IterateNext()) {
            if (!IterIsChainItem(*cells)) continue;
            if (const uint8_t* r = TXLSCellMMU::GetFormulaRange(cells->IterCell()))
                RangeAnchors.push_back({static_cast<uint32_t>(Graph.Cells.size()), sheet,
                                        MakeCellArea(U16(r), I32(r + 2), U16(r + 6), I32(r + 8))});
            Graph.Cells.push_back(
                {static_cast<uint16_t>(sheet), static_cast<uint16_t>(cells->IterCol()), cells->IterRow()});
        }
    }
    const size_t count = Graph.Cells.size();
    // Formulas that read no formula cell come first, in cell order; the others follow in the
    // sort's order. Each formula is in the chain once.
    chain.Reserve(count);
    std::vector<bool> chained(count, false);
    Graph.Start.reserve(count + 1);
    uint32_t item = 0;
    for (int sheet = 0; sheet < Document.SheetCount(); ++sheet) {
        TXLSCellMMU* cells = Document.SheetCells(sheet);
        if (!cells) continue;
        cells->BeginIterate(0);
        while (cells->IterateNext()) {
            if (!IterIsChainItem(*cells)) continue;
            const uint8_t* ptgs = nullptr;
            int len = 0;
            try {
                len = cells->IterFormulaPtgs(ptgs);
            } catch (const base::Exception& e) {
                throw EXLSError(base::Utf8ToUtf16(e.what()) + u" [" + Document.SheetName(sheet) + u"!" +
                                ColRowToRefStr(cells->IterCol(), cells->IterRow()) + u"]");
            }
            const uint32_t i = item++;
            Walking = i;
            Graph.Start.push_back(static_cast<uint32_t>(Graph.To.size()));
            Refs.clear();
            // Damaged tokens keep the dependencies found before the damage; the evaluation then
            // gives that formula an error value.
            try {
                AddDependencies(i, ptgs, len, 0, false);
            } catch (const EXLSError&) {
            }
            if (Refs.empty()) {
                chain.Add(Graph.Cells[i]);
                chained[i] = true;
            } else {
                AddGraphRefs(i);
            }
        }
    }
    Graph.Start.push_back(static_cast<uint32_t>(Graph.To.size()));
    RangeAnchors.clear();
    Refs.clear();
    TTopoSort sort;
    const bool ok = sort.SortGraph(std::move(Graph));
    Graph = TCellGraph();
    const std::vector<uint32_t>& order = sort.Order();
    for (size_t k = 0; k < order.size(); ++k) {
        const uint32_t v = order[k];
        if (sort.OrderCircular(k) || chained[v]) continue;
        chained[v] = true;
        chain.Add(sort.Cells()[v]);
    }
    for (int i = 0; i < sort.Cycles().Count(); ++i) {
        Cycles_.push_back(sort.Cycles().Items(i).GetText());
        if (errors) errors->Warning(Cycles_.back(), 3002);
    }
    chain.Shrink();
    Built = true;
    return ok;
}

}  // namespace xls
