// The conditional aggregates: COUNTIF(S), SUMIF(S) and AVERAGEIF(S). Ranges are read position
// by position in lockstep; an empty cell meets no criterion, so a walk covers only the rows
// where every criteria range holds cells (a whole column costs its used rows, not a million).
#include <algorithm>
#include <cstdint>
#include <vector>

#include "workbook/formula/criteria.h"
#include "workbook/formula/worksheet_functions.h"
#include "workbook/model/cell_error.h"
#include "workbook/model/cell_store.h"

namespace xls {

namespace {

enum : int {
    fnSumIf = 345,
    fnCountIf = 346,
    fnAverageIf = 828,
    fnAverageIfs = 829,
    fnCountIfs = 833,
    fnSumIfs = 844,
};

// One range of a conditional aggregate read by its position in row order.
struct TRange {
    TXLSCellMMU* Cells = nullptr;
    TXLSArrayItem* Array = nullptr;
    TXLSFormulaValue Single;
    int32_t Col = 0;
    int32_t Row = 0;
    int32_t Cols = 1;
    int32_t Rows = 1;

    int64_t Count() const { return static_cast<int64_t>(Cols) * Rows; }

    void Read(TValueStack& s, int64_t k, TXLSFormulaValue& out) const {
        const auto col = static_cast<int32_t>(k % Cols);
        const auto row = static_cast<int32_t>(k / Cols);
        if (Cells) return s.ReadCell(Cells, Col + col, Row + row, out);
        if (Array) {
            out = Array->InRange(col, row) ? Array->Get(col, row) : TXLSFormulaValue();
            out.Kind = vkValue;
            return;
        }
        out = Single;
    }

    // The positions in [lo, hi) of the stored cells, through the store's own walk: a long,
    // sparse column costs what it holds. Single values and arrays give every position.
    void StoredPositions(int64_t lo, int64_t hi, std::vector<int64_t>& out) const {
        out.clear();
        if (!Cells) {
            for (int64_t k = lo; k < hi; ++k) out.push_back(k);
            return;
        }
        if (lo >= hi) return;
        const int32_t lastRow = Row + static_cast<int32_t>((hi - 1) / Cols);
        Cells->BeginIterateRows(Row + static_cast<int32_t>(lo / Cols) - 1);
        while (Cells->IterateNextRow() && Cells->IterRow() <= lastRow)
            while (Cells->IterateNextInRow() && Cells->IterCol() < Col + Cols) {
                if (Cells->IterCol() < Col) continue;
                const int64_t k = static_cast<int64_t>(Cells->IterRow() - Row) * Cols + (Cells->IterCol() - Col);
                if (k >= lo && k < hi) out.push_back(k);
            }
    }

    // Positions [lo, hi) outside of which the range holds no stored cell.
    void Window(int64_t& lo, int64_t& hi) const {
        if (!Cells) return;
        const TXLSCellArea& used = Cells->Dimension();
        const int32_t r1 = std::max(Row, used.Row1);
        const int32_t r2 = std::min(Row + Rows - 1, used.Row2);
        if (used.Col1 < 0 || r1 > r2 || used.Col2 < Col || used.Col1 > Col + Cols - 1) {
            hi = lo;
            return;
        }
        lo = std::max(lo, static_cast<int64_t>(r1 - Row) * Cols);
        hi = std::min(hi, static_cast<int64_t>(r2 - Row + 1) * Cols);
    }
};

// A range argument: a reference, an area, an array or a single value; false for an area list.
bool MakeRange(const TXLSFormulaValue& v, TRange& r) {
    switch (v.Kind) {
        case vkRef:
        case vkArea:
            r.Cells = v.Cells;
            r.Col = std::min(v.Col1, v.Col2);
            r.Row = std::min(v.Row1, v.Row2);
            r.Cols = std::abs(v.Col2 - v.Col1) + 1;
            r.Rows = std::abs(v.Row2 - v.Row1) + 1;
            return r.Cells != nullptr;
        case vkArray:
            r.Array = v.Array;
            r.Cols = v.Array->ColCount();
            r.Rows = v.Array->RowCount();
            return true;
        case vkValue: r.Single = v; return true;
        default: return false;
    }
}

struct TCondition {
    TRange Range;
    TXLSCriterion Criterion;
};

// Sum and count over the positions where every condition holds. With values, the summed
// value at a position is values' own; a summed error becomes the result (err).
struct TTally {
    double Sum = 0;
    double Count = 0;
    double Numbers = 0;
    uint8_t Err = 0;
};

void Walk(TValueStack& s, const std::vector<TCondition>& conds, const TRange* values, TTally& t) {
    int64_t lo = 0;
    int64_t hi = conds.front().Range.Count();
    for (const TCondition& c : conds) c.Range.Window(lo, hi);
    // The positions are gathered before any is read: reading cells may re-encode a row of the
    // store, which would upset its walk.
    std::vector<int64_t> positions;
    conds.front().Range.StoredPositions(lo, hi, positions);
    TXLSFormulaValue v;
    for (const int64_t k : positions) {
        bool all = true;
        for (const TCondition& c : conds) {
            c.Range.Read(s, k, v);
            if (!c.Criterion.Matches(v)) {
                all = false;
                break;
            }
        }
        if (!all) continue;
        t.Count += 1;
        if (!values) continue;
        values->Read(s, k, v);
        if (v.ValType == fvtError && !t.Err) t.Err = v.BoolErr;
        if (v.ValType != fvtNumber) continue;
        t.Sum += v.Number;
        t.Numbers += 1;
    }
}

// The sum range of SUMIF and AVERAGEIF: from its first cell, the shape of the criteria range.
bool ShapeLike(const TXLSFormulaValue& v, const TRange& like, TRange& r) {
    if (!MakeRange(v, r) || v.Kind == vkValue) return false;
    r.Cols = like.Cols;
    r.Rows = like.Rows;
    return true;
}

// COUNTIF, SUMIF, AVERAGEIF: range, criterion [, sum range].
void SingleCondition(TValueStack& s, int id, int argCount) {
    TXLSFormulaValue sumArg;
    if (argCount == 3) sumArg = s.PopArgument();
    std::vector<TCondition> conds(1);
    if (!PopCriterionArgument(s, conds[0].Criterion)) return;
    const TXLSFormulaValue rangeArg = s.PopArgument();
    if (!MakeRange(rangeArg, conds[0].Range)) return s.PushError(errValue);
    TRange sum;
    if (argCount == 3 && (rangeArg.Kind == vkValue || !ShapeLike(sumArg, conds[0].Range, sum)))
        return s.PushError(errValue);
    TTally t;
    Walk(s, conds, id == fnCountIf ? nullptr : argCount == 3 ? &sum : &conds[0].Range, t);
    if (id == fnCountIf) return s.PushNumber(t.Count);
    if (t.Err) return s.PushError(t.Err);
    if (id == fnSumIf) return s.PushResult(t.Sum);
    // Only numbers are averaged: matches without one do not count.
    if (t.Numbers == 0) return s.PushError(errDiv0);
    s.PushResult(t.Sum / t.Numbers);
}

// COUNTIFS, SUMIFS, AVERAGEIFS: [values range,] then pairs of range and criterion, every range
// of the same number of cells.
void MultiCondition(TValueStack& s, int id, int argCount) {
    const bool withValues = id != fnCountIfs;
    if (argCount < 2 || (argCount % 2 == 1) != withValues) return s.PushError(errValue);
    std::vector<TCondition> conds(static_cast<size_t>(argCount / 2));
    for (size_t i = conds.size(); i-- > 0;) {
        if (!PopCriterionArgument(s, conds[i].Criterion)) return;
        if (!MakeRange(s.PopArgument(), conds[i].Range)) return s.PushError(errValue);
        if (i + 1 < conds.size() && conds[i].Range.Count() != conds[i + 1].Range.Count()) return s.PushError(errValue);
    }
    TRange values;
    if (withValues && (!MakeRange(s.PopArgument(), values) || values.Count() != conds[0].Range.Count()))
        return s.PushError(errValue);
    TTally t;
    Walk(s, conds, withValues ? &values : nullptr, t);
    if (id == fnCountIfs) return s.PushNumber(t.Count);
    if (t.Err) return s.PushError(t.Err);
    if (id == fnSumIfs) return s.PushResult(t.Sum);
    if (t.Numbers == 0) return s.PushError(errDiv0);
    s.PushResult(t.Sum / t.Numbers);
}

}  // namespace

bool CallCriteriaFunction(TValueStack& s, int id, int argCount) {
    switch (id) {
        case fnCountIf:
        case fnSumIf:
        case fnAverageIf: SingleCondition(s, id, argCount); return true;
        case fnCountIfs:
        case fnSumIfs:
        case fnAverageIfs: MultiCondition(s, id, argCount); return true;
        default: return CallDatabaseFunction(s, id, argCount);
    }
}

}  // namespace xls
