#include "workbook/formula/calc_chain.h"

#include <algorithm>

#include "base/byte_reader.h"
#include "base/text_encoding.h"
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

std::u16string CellText(const TXLSCalcCell& c) {
    return base::Utf8ToUtf16(std::to_string(c.Sheet)) + u"!" + ColRowToRefStr(c.Col, c.Row);
}

}  // namespace

void TXLSCalcChainBuilder::AddArea(size_t item, int sheet1, int sheet2, int col1, int row1, int col2, int row2) {
    if (col1 > col2) std::swap(col1, col2);
    if (row1 > row2) std::swap(row1, row2);
    for (int sheet = std::min(sheet1, sheet2); sheet <= std::max(sheet1, sheet2); ++sheet) {
        const TXLSCalcCell first{static_cast<uint16_t>(sheet), 0, row1};
        auto it = std::lower_bound(Items.begin(), Items.end(), first, [](const TItem& a, const TXLSCalcCell& b) {
            return std::tie(a.Cell.Sheet, a.Cell.Row, a.Cell.Col) < std::tie(b.Sheet, b.Row, b.Col);
        });
        for (; it != Items.end() && it->Cell.Sheet == sheet && it->Cell.Row <= row2; ++it)
            if (it->Cell.Col >= col1 && it->Cell.Col <= col2)
                Depends[item].push_back(static_cast<uint32_t>(it - Items.begin()));
    }
}

void TXLSCalcChainBuilder::AddName(size_t item, int index, int depth) {
    TXLSNameDef name;
    if (depth >= MaxNameDepth || !Document.GetName(index, name)) return;
    switch (name.Kind) {
        case nkCell: AddArea(item, name.Sheet, name.Sheet, name.Col1, name.Row1, name.Col1, name.Row1); break;
        case nkArea: AddArea(item, name.Sheet, name.Sheet, name.Col1, name.Row1, name.Col2, name.Row2); break;
        case nkFormula: AddDependencies(item, name.Ptgs, name.PtgsLen, depth + 1); break;
        default: break;
    }
}

void TXLSCalcChainBuilder::AddDependencies(size_t item, const uint8_t* ptgs, int len, int depth) {
    const uint8_t* p = ptgs;
    const uint8_t* end = ptgs + len;
    const int sheet = Items[item].Cell.Sheet;
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
    while (p < end) {
        const size_t width = PtgTokenWidth(p, static_cast<size_t>(end - p), biff);
        if (width == 0) throw EXLSError(u"Formula data out of bounds");
        const uint8_t op = biff ? PtgToRefClass(p[0]) : p[0];
        int first = 0;
        int last = 0;
        switch (op) {
            case ptgRef:
                AddArea(item, sheet, sheet, U16(p + 3) & BiffColMask, U16(p + 1), U16(p + 3) & BiffColMask, U16(p + 1));
                break;
            case ptgArea:
                AddArea(item, sheet, sheet, U16(p + 5) & BiffColMask, U16(p + 1), U16(p + 7) & BiffColMask, U16(p + 3));
                break;
            case ptgRef3d:
                if (ext && ext->GetSheetRange(U16(p + 1), first, last))
                    AddArea(item, first, last, U16(p + 5) & BiffColMask, U16(p + 3), U16(p + 5) & BiffColMask,
                            U16(p + 3));
                break;
            case ptgArea3d:
                if (ext && ext->GetSheetRange(U16(p + 1), first, last))
                    AddArea(item, first, last, U16(p + 7) & BiffColMask, U16(p + 3), U16(p + 9) & BiffColMask,
                            U16(p + 5));
                break;
            case ptgName: AddName(item, U16(p + 1) - 1, depth); break;
            case ptgNameX:
                if (ext && ext->GetSheetRange(U16(p + 1), first, last) && first == 0xFFFE)
                    AddName(item, U16(p + 3) - 1, depth);
                break;
            case xptgName:
                if (U16(p + 1) != 0xFFFF) AddName(item, U16(p + 1), depth);
                break;
            case xptgRef: {
                const int c = U16(p + 5) & OwnColMask;
                const int r = I32(p + 1) & OwnRowMask;
                AddArea(item, sheet, sheet, c, r, c, r);
                break;
            }
            case xptgRef3d:
            case xptgRef3dRange: {
                const int c = U16(p + 5) & OwnColMask;
                const int r = I32(p + 1) & OwnRowMask;
                AddArea(item, p[7], op == xptgRef3d ? p[7] : p[8], c, r, c, r);
                break;
            }
            case xptgArea:
            case xptgArea3d:
            case xptgArea3dRange: {
                const int s1 = op == xptgArea ? sheet : p[13];
                const int s2 = op == xptgArea3dRange ? p[14] : s1;
                AddArea(item, s1, s2, U16(p + 9) & OwnColMask, I32(p + 1) & OwnRowMask, U16(p + 11) & OwnColMask,
                        I32(p + 5) & OwnRowMask);
                break;
            }
            default: break;
        }
        p += width;
    }
}

bool TXLSCalcChainBuilder::Build(std::vector<TXLSCalcCell>& chain, TXLSErrorManager* errors) {
    chain.clear();
    Items.clear();
    Depends.clear();
    Cycles_.clear();
    for (int sheet = 0; sheet < Document.SheetCount(); ++sheet) {
        TXLSCellMMU* cells = Document.SheetCells(sheet);
        if (!cells) continue;
        cells->BeginIterate(0);
        while (cells->IterateNext()) {
            const TCellValueType type = cells->IterCellType();
            if (type < xctFloatFormula || type > xctErrorFormula) continue;
            const uint8_t kind = cells->IterFormulaKind() & 0x1F;  // without the range and table flags
            if (kind >= 3 && kind <= 5) continue;
            const uint8_t* ptgs = nullptr;
            int len = 0;
            try {
                len = cells->IterFormulaPtgs(ptgs);
            } catch (const base::Exception& e) {
                throw EXLSError(base::Utf8ToUtf16(e.what()) + u" [" + Document.SheetName(sheet) + u"!" +
                                ColRowToRefStr(cells->IterCol(), cells->IterRow()) + u"]");
            }
            Items.push_back({{static_cast<uint16_t>(sheet), static_cast<uint16_t>(cells->IterCol()), cells->IterRow()},
                             std::vector<uint8_t>(ptgs, ptgs + len)});
        }
    }
    Depends.resize(Items.size());
    for (size_t i = 0; i < Items.size(); ++i) {
        AddDependencies(i, Items[i].Ptgs.data(), static_cast<int>(Items[i].Ptgs.size()), 0);
        auto& d = Depends[i];
        std::sort(d.begin(), d.end());
        d.erase(std::unique(d.begin(), d.end()), d.end());
    }

    // Strongly connected components (Tarjan, without recursion): a component is complete once
    // everything it depends on is, so components come out in evaluation order.
    const auto n = static_cast<uint32_t>(Items.size());
    constexpr uint32_t Unvisited = UINT32_MAX;
    std::vector<uint32_t> index(n, Unvisited);
    std::vector<uint32_t> low(n, 0);
    std::vector<bool> onStack(n, false);
    std::vector<uint32_t> stack;
    std::vector<std::pair<uint32_t, size_t>> work;
    uint32_t counter = 0;
    bool ok = true;
    for (uint32_t root = 0; root < n; ++root) {
        if (index[root] != Unvisited) continue;
        work.push_back({root, 0});
        while (!work.empty()) {
            auto& [v, next] = work.back();
            if (next == 0 && index[v] == Unvisited) {
                index[v] = low[v] = counter++;
                stack.push_back(v);
                onStack[v] = true;
            }
            if (next < Depends[v].size()) {
                const uint32_t w = Depends[v][next++];
                if (index[w] == Unvisited)
                    work.push_back({w, 0});
                else if (onStack[w])
                    low[v] = std::min(low[v], index[w]);
                continue;
            }
            const uint32_t done = v;
            work.pop_back();
            if (!work.empty()) low[work.back().first] = std::min(low[work.back().first], low[done]);
            if (low[done] != index[done]) continue;
            std::vector<uint32_t> component;
            uint32_t w = 0;
            do {
                w = stack.back();
                stack.pop_back();
                onStack[w] = false;
                component.push_back(w);
            } while (w != done);
            if (component.size() == 1) {
                // A formula that refers to its own cell only reads its previous value.
                chain.push_back(Items[done].Cell);
                continue;
            }
            ok = false;
            std::sort(component.begin(), component.end());
            std::u16string text;
            for (uint32_t c : component) text += (text.empty() ? u"" : u"->") + CellText(Items[c].Cell);
            Cycles_.push_back(text);
            if (errors) errors->Warning(text, 3002);
        }
    }
    return ok;
}

}  // namespace xls
