// TEXT() with a date and time format evaluated 1,000,000 times over 1,000 date serials, and the
// number format mask alone formatting the same serials 1,000,000 times.
// Run from a release build: build-release/bench/xls_formula/xls_formula_text_format_bench
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "bench/xls_formula/own_tokens.h"
#include "workbook/formula/formula_evaluator.h"
#include "workbook/formula/tests/formula_test_document.h"
#include "workbook/model/cell_store.h"
#include "workbook/model/number_format_mask.h"

namespace {

using xls::bench::TTokens;
using xls::test::TTestFormulaDocument;

constexpr int FuncText = 48;
constexpr int Calls = 1000000;
constexpr std::u16string_view DateMask = u"yyyy-mm-dd hh:mm:ss";

double Serial(int i) { return 46000 + i + (i * 37 % 1440) / 1440.0; }

void BM_TextDateMillion(benchmark::State& state) {
    TTestFormulaDocument doc(1);
    xls::TXLSCellMMU& s = *doc.SheetCells(0);
    for (int i = 0; i < 1000; ++i) s.StoreFloat(0, i, 0, Serial(i));
    s.CalcDimension();
    xls::TXLSFormulaEvaluator eval(doc);
    std::vector<std::vector<uint8_t>> tokens;
    for (int i = 0; i < 1000; ++i) tokens.push_back(TTokens().Ref(0, i).Str(DateMask).Func(FuncText, 2).Take());
    for (auto _ : state)
        for (int i = 0; i < Calls; ++i) {
            const std::vector<uint8_t>& t = tokens[static_cast<size_t>(i % 1000)];
            benchmark::DoNotOptimize(eval.Evaluate(0, 5, 0, t.data(), static_cast<int>(t.size())));
        }
    state.SetItemsProcessed(state.iterations() * Calls);
}
BENCHMARK(BM_TextDateMillion)->Unit(benchmark::kMillisecond);

void BM_DateMaskMillion(benchmark::State& state) {
    xls::TExcelMask mask;
    mask.SetMask(DateMask);
    for (auto _ : state)
        for (int i = 0; i < Calls; ++i) benchmark::DoNotOptimize(mask.FormatNumber(Serial(i % 1000)));
    state.SetItemsProcessed(state.iterations() * Calls);
}
BENCHMARK(BM_DateMaskMillion)->Unit(benchmark::kMillisecond);

}  // namespace
