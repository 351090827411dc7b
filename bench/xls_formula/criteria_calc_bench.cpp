// Full recalculation in memory of the 100,000-row sheet with a criterion and a lookup over
// whole columns added to its summaries.
#include <benchmark/benchmark.h>

#include <vector>

#include "bench/xls_formula/own_tokens.h"
#include "bench/xls_formula/rows_workload.h"
#include "workbook/formula/formula_evaluator.h"
#include "workbook/formula/formula_handler.h"
#include "workbook/formula/ptg_tokens.h"
#include "workbook/formula/tests/formula_test_document.h"
#include "workbook/model/cell_store.h"

namespace {

using xls::bench::TTokens;

using xls::bench::LastRow;
constexpr int FuncVLookup = 102, FuncCountIf = 346;

void BM_Recalculate100kRowsWithCriteria(benchmark::State& state) {
    xls::test::TTestFormulaDocument doc(1);
    xls::TXLSCellMMU& s = *doc.SheetCells(0);
    TTokens t;
    xls::bench::StoreRowsWorkload(s, t);
    // COUNTIF(B:B,">50") and VLOOKUP(500,A:D,2,FALSE).
    t.Area(1, 0, 1, LastRow).Str(u">50").Func(FuncCountIf, 2).Store(s, 5, 5);
    t.Number(500).Area(0, 0, 3, LastRow).Number(2).Op(xls::ptgBool).Op(0).Func(FuncVLookup, 4).Store(s, 5, 6);
    xls::TXLSFormulaHandler handler(doc);
    xls::bench::TimeRecalculation(state, s, handler);
}
BENCHMARK(BM_Recalculate100kRowsWithCriteria)->Unit(benchmark::kMillisecond);

// COUNTIF alone over the whole column of 100,000 numbers, evaluated again and again.
void BM_CountIfWholeColumn(benchmark::State& state) {
    xls::test::TTestFormulaDocument doc(1);
    xls::TXLSCellMMU& s = *doc.SheetCells(0);
    for (int i = 0; i < 100000; ++i) s.StoreFloat(1, i, 0, (i * 37) % 101);
    s.CalcDimension();
    TTokens t;
    t.Area(1, 0, 1, LastRow).Str(u">50").Func(FuncCountIf, 2);
    const std::vector<uint8_t> code = t.Take();
    xls::TXLSFormulaEvaluator eval(doc);
    for (auto _ : state) {
        const xls::TXLSFormulaValue v = eval.Evaluate(0, 5, 0, code.data(), static_cast<int>(code.size()));
        benchmark::DoNotOptimize(v.Number);
    }
}
BENCHMARK(BM_CountIfWholeColumn)->Unit(benchmark::kMillisecond);

}  // namespace
