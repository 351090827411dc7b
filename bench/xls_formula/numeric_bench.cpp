// The numeric worksheet functions on large inputs: SUMPRODUCT and CORREL over two columns of
// 1,000,000 rows, NORM.DIST and T.INV evaluated 1,000,000 times, MINVERSE of 100 x 100.
#include <benchmark/benchmark.h>

#include <vector>

#include "bench/xls_formula/own_tokens.h"
#include "workbook/formula/formula_evaluator.h"
#include "workbook/formula/tests/formula_test_document.h"
#include "workbook/model/cell_store.h"

namespace {

using xls::bench::TTokens;
using xls::test::TTestFormulaDocument;

constexpr int FuncSumProduct = 228, FuncCorrel = 307, FuncMInverse = 164, FuncNormDist = 858, FuncTInv = 803;
constexpr int Rows = 1000000;
constexpr int LastRow = 1048575;

// Two whole columns (A and B) of which the first 1,000,000 rows hold numbers.
void FillColumns(xls::TXLSCellMMU& s) {
    for (int i = 0; i < Rows; ++i) {
        s.StoreFloat(0, i, 0, (i % 1000) / 100.0);
        s.StoreFloat(1, i, 0, ((i * 37) % 1001) / 100.0);
    }
    s.CalcDimension();
}

double Evaluate(xls::TXLSFormulaEvaluator& eval, const std::vector<uint8_t>& tokens) {
    return eval.Evaluate(0, 5, 0, tokens.data(), static_cast<int>(tokens.size())).Number;
}

void PairedColumns(benchmark::State& state, int func) {
    TTestFormulaDocument doc(1);
    FillColumns(*doc.SheetCells(0));
    xls::TXLSFormulaEvaluator eval(doc);
    const std::vector<uint8_t> tokens = TTokens().Area(0, 0, 0, LastRow).Area(1, 0, 1, LastRow).Func(func, 2).Take();
    for (auto _ : state) benchmark::DoNotOptimize(Evaluate(eval, tokens));
    state.SetItemsProcessed(state.iterations());
}

void BM_SumProductTwoColumns(benchmark::State& state) { PairedColumns(state, FuncSumProduct); }
BENCHMARK(BM_SumProductTwoColumns)->Unit(benchmark::kMillisecond);

void BM_CorrelTwoColumns(benchmark::State& state) { PairedColumns(state, FuncCorrel); }
BENCHMARK(BM_CorrelTwoColumns)->Unit(benchmark::kMillisecond);

// 1,000,000 evaluations of a distribution over the 1,000 different arguments of A1:A1000; the
// items per second are evaluations per second.
void Distribution(benchmark::State& state, bool normal) {
    TTestFormulaDocument doc(1);
    xls::TXLSCellMMU& s = *doc.SheetCells(0);
    for (int i = 0; i < 1000; ++i) s.StoreFloat(0, i, 0, normal ? (i - 500) / 100.0 : (i + 0.5) / 1000.0);
    s.CalcDimension();
    xls::TXLSFormulaEvaluator eval(doc);
    std::vector<std::vector<uint8_t>> tokens;
    for (int i = 0; i < 1000; ++i) {
        TTokens t;
        if (normal)
            t.Ref(0, i).Number(0).Number(1).Number(1).Func(FuncNormDist, 4);
        else
            t.Ref(0, i).Number(10).Func(FuncTInv, 2);
        tokens.push_back(t.Take());
    }
    for (auto _ : state)
        for (int i = 0; i < 1000000; ++i) benchmark::DoNotOptimize(Evaluate(eval, tokens[i % 1000]));
    state.SetItemsProcessed(state.iterations() * 1000000);
}

void BM_NormDistMillion(benchmark::State& state) { Distribution(state, true); }
BENCHMARK(BM_NormDistMillion)->Unit(benchmark::kMillisecond);

void BM_TInvMillion(benchmark::State& state) { Distribution(state, false); }
BENCHMARK(BM_TInvMillion)->Unit(benchmark::kMillisecond);

void BM_MInverse100(benchmark::State& state) {
    TTestFormulaDocument doc(1);
    xls::TXLSCellMMU& s = *doc.SheetCells(0);
    for (int r = 0; r < 100; ++r)
        for (int c = 0; c < 100; ++c) s.StoreFloat(c, r, 0, ((r * 131 + c * 71) % 97) / 10.0 + (r == c ? 50 : 0));
    s.CalcDimension();
    xls::TXLSFormulaEvaluator eval(doc);
    const std::vector<uint8_t> tokens = TTokens().Area(0, 0, 99, 99).Func(FuncMInverse, 1).Take();
    for (auto _ : state)
        benchmark::DoNotOptimize(eval.Evaluate(0, 120, 0, tokens.data(), static_cast<int>(tokens.size())));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_MInverse100)->Unit(benchmark::kMillisecond);

}  // namespace
