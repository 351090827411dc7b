// The 100,000-row recalculation with lookups over whole columns added: an exact VLOOKUP that
// stops at its first match, an approximate one (binary search) and an exact MATCH that finds
// nothing and so reads every stored row.
#include <benchmark/benchmark.h>

#include <vector>

#include "bench/xls_formula/rows_workload.h"
#include "workbook/formula/formula_evaluator.h"
#include "workbook/formula/formula_handler.h"
#include "workbook/formula/tests/formula_test_document.h"
#include "workbook/model/cell_store.h"

namespace {

using xls::bench::TTokens;

constexpr int FuncMatch = 64, FuncVLookup = 102;
using xls::bench::LastRow;

void BM_Recalculate100kRowsWithLookups(benchmark::State& state) {
    xls::test::TTestFormulaDocument doc(1);
    xls::TXLSCellMMU& s = *doc.SheetCells(0);
    TTokens t;
    xls::bench::StoreRowsWorkload(s, t);
    // VLOOKUP(500, A:D, 2, FALSE), VLOOKUP(99999 / 2, A:D, 3) and MATCH(-1, A:A, 0).
    t.Number(500).Area(0, 0, 3, LastRow).Number(2).Number(0).Func(FuncVLookup, 4).Store(s, 6, 0);
    t.Number(99999).Number(2).Op(xls::ptgDiv).Area(0, 0, 3, LastRow).Number(3).Func(FuncVLookup, 3).Store(s, 6, 1);
    t.Number(-1).Area(0, 0, 0, LastRow).Number(0).Func(FuncMatch, 3).Store(s, 6, 2);
    xls::TXLSFormulaHandler handler(doc);
    xls::bench::TimeRecalculation(state, s, handler);
}
BENCHMARK(BM_Recalculate100kRowsWithLookups)->Unit(benchmark::kMillisecond);

// One formula alone, over 100,000 stored rows: the cost of one lookup.
void BM_LookupOverWholeColumn(benchmark::State& state) {
    xls::test::TTestFormulaDocument doc(1);
    xls::TXLSCellMMU& s = *doc.SheetCells(0);
    for (int i = 0; i < 100000; ++i) s.StoreFloat(0, i, 0, i), s.StoreFloat(1, i, 0, i * 2);
    s.CalcDimension();
    TTokens t;
    if (state.range(0) == 0) t.Number(500).Area(0, 0, 1, LastRow).Number(2).Number(0).Func(FuncVLookup, 4);
    if (state.range(0) == 1) t.Number(77777).Area(0, 0, 1, LastRow).Number(2).Func(FuncVLookup, 3);
    if (state.range(0) == 2) t.Number(-1).Area(0, 0, 0, LastRow).Number(0).Func(FuncMatch, 3);
    const std::vector<uint8_t> ptgs = t.Take();
    xls::TXLSFormulaEvaluator eval(doc);
    for (auto _ : state) benchmark::DoNotOptimize(eval.Evaluate(0, 5, 0, ptgs.data(), static_cast<int>(ptgs.size())));
}
BENCHMARK(BM_LookupOverWholeColumn)
    ->ArgName("exact500/sorted/missing")
    ->DenseRange(0, 2)
    ->Unit(benchmark::kMicrosecond);

}  // namespace
