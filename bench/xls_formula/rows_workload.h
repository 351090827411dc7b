#pragma once

#include <benchmark/benchmark.h>

#include "bench/xls_formula/own_tokens.h"
#include "workbook/formula/formula_handler.h"
#include "workbook/formula/ptg_tokens.h"
#include "workbook/model/cell_store.h"

namespace xls::bench {

constexpr int FuncIf = 1, FuncSum = 4, FuncAverage = 5, FuncMin = 6, FuncMax = 7, FuncRound = 27;
constexpr int LastRow = 1048575;

// The 100,000-row sheet of the recalculation benchmarks: numbers in A and B, two formula
// columns (C = B * 2 + A, D = IF(B > 50, B, -B)) and five summaries over whole columns in F1:F5.
inline void StoreRowsWorkload(xls::TXLSCellMMU& s, TTokens& t) {
    for (int i = 0; i < 100000; ++i) {
        s.StoreFloat(0, i, 0, i);
        s.StoreFloat(1, i, 0, (i * 37) % 101);
        t.Ref(1, i).Number(2).Op(xls::ptgMul).Ref(0, i).Op(xls::ptgAdd).Store(s, 2, i);
        t.Ref(1, i).Number(50).Op(xls::ptgGT).Ref(1, i).Ref(1, i).Op(xls::ptgUminus).Func(FuncIf, 3).Store(s, 3, i);
    }
    const int funcs[] = {FuncAverage, FuncMin, FuncMax, FuncSum};
    for (int i = 0; i < 4; ++i) t.Area(2, 0, 2, LastRow).Func(funcs[i], 1).Store(s, 5, i);
    t.Area(3, 0, 3, LastRow).Func(FuncAverage, 1).Number(2).Func(FuncRound, 2).Store(s, 5, 4);
}

// Times the recalculation of the sheet s over and over; one value changes before each pass, so
// that every pass evaluates every formula.
inline void TimeRecalculation(benchmark::State& state, xls::TXLSCellMMU& s, xls::TXLSFormulaHandler& handler) {
    handler.Calculate();
    double value = 0;
    for (auto _ : state) {
        state.PauseTiming();
        s.StoreFloat(0, 0, 0, ++value);
        state.ResumeTiming();
        handler.Calculate();
    }
    state.counters["formulas"] = static_cast<double>(handler.Chain().Count());
}

}  // namespace xls::bench
