// Full recalculation in memory: a sheet of 100,000 rows with two formula columns and summaries
// over whole columns, and the console's ten-sheet report recalculated once per sheet.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "bench/xls_formula/own_tokens.h"
#include "bench/xls_formula/rows_workload.h"
#include "workbook/formula/formula_handler.h"
#include "workbook/formula/ptg_tokens.h"
#include "workbook/formula/tests/formula_test_document.h"
#include "workbook/model/cell_store.h"

namespace {

using xls::bench::TTokens;
using xls::test::TTestFormulaDocument;

using xls::bench::FuncAverage;
using xls::bench::FuncMax;
using xls::bench::FuncMin;
using xls::bench::FuncRound;
using xls::bench::LastRow;

void BM_Recalculate100kRows(benchmark::State& state) {
    TTestFormulaDocument doc(1);
    xls::TXLSCellMMU& s = *doc.SheetCells(0);
    TTokens t;
    xls::bench::StoreRowsWorkload(s, t);
    xls::TXLSFormulaHandler handler(doc);
    handler.Calculate();
    double value = 0;
    const bool newChain = state.range(0) != 0;
    for (auto _ : state) {
        // One value changes before each pass, so that every pass evaluates every formula; with
        // newChain a formula is written again too, so that the chain is built again as well.
        state.PauseTiming();
        s.StoreFloat(0, 0, 0, ++value);
        if (newChain) t.Area(3, 0, 3, LastRow).Func(FuncAverage, 1).Number(2).Func(FuncRound, 2).Store(s, 5, 4);
        state.ResumeTiming();
        handler.Calculate();
    }
    state.counters["formulas"] = static_cast<double>(handler.Chain().Count());
    state.counters["store_MB"] = static_cast<double>(s.MemoryUsed()) / 1e6;
}
BENCHMARK(BM_Recalculate100kRows)->ArgName("newChain")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Ten sheets of 32,000 records with the six summary formulas each; the report's finishing
// recalculates the whole workbook once per sheet. The records change before each round; the
// ten calls follow one another with no write between them.
void BM_ConsoleTenSheetReport(benchmark::State& state) {
    TTestFormulaDocument doc(10);
    TTokens t;
    for (int sheet = 0; sheet < 10; ++sheet) {
        xls::TXLSCellMMU& s = *doc.SheetCells(sheet);
        s.StoreString(1, 27, 0, u"温度");
        s.StoreString(2, 27, 0, u"湿度");
        for (int i = 0; i < 32000; ++i) {
            s.StoreFloat(0, 28 + i, 0, i + 1);
            s.StoreFloat(1, 28 + i, 0, (200 + i % 150) / 10.0);
            s.StoreFloat(2, 28 + i, 0, (400 + i % 300) / 10.0);
        }
        for (int col = 1; col <= 2; ++col) {
            const int target = col == 1 ? 0 : 3;
            const int last = 28 + 32000;
            t.Str(u"    平均值:").Area(col, 27, col, last).Func(FuncAverage, 1).Number(2).Func(FuncRound, 2);
            t.Op(xls::ptgConcat).Store(s, target, 4);
            t.Str(u"    最小值:").Area(col, 27, col, last).Func(FuncMin, 1).Op(xls::ptgConcat).Store(s, target, 5);
            t.Str(u"    最大值:").Area(col, 27, col, last).Func(FuncMax, 1).Op(xls::ptgConcat).Store(s, target, 6);
        }
    }
    xls::TXLSFormulaHandler handler(doc);
    double value = 0;
    for (auto _ : state) {
        state.PauseTiming();
        doc.SheetCells(0)->StoreFloat(1, 28, 0, ++value);
        state.ResumeTiming();
        for (int sheet = 0; sheet < 10; ++sheet) handler.Calculate();
    }
    state.counters["formulas"] = static_cast<double>(handler.Chain().Count());
}
BENCHMARK(BM_ConsoleTenSheetReport)->Unit(benchmark::kMillisecond);

}  // namespace
