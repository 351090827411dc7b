// Calculate alone on the 65,536-row workbook just read from an .xls file (BIFF8 tokens, the
// chain built on the first call), and again once the chain stands and one value changed.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>

#include "base/text_encoding.h"
#include "bench/xls_formula/xls_rows_workload.h"
#include "workbook/component/workbook_component.h"

namespace {

// Written once, on first use, and removed when the process ends.
struct TWorkloadFile {
    std::string Name;
    ~TWorkloadFile() {
        if (!Name.empty()) std::remove(Name.c_str());
    }
} Workload;

const std::string& WorkloadFile() {
    if (Workload.Name.empty()) {
        const std::string file = "/tmp/xls_recalc_bench_" + std::to_string(getpid()) + ".xls";
        xls::TVUZAzurEruraWorkbook book;
        xls::bench::MakeXlsRowsWorkload(book);
        book.SaveToFile(base::Utf8ToUtf16(file));
        Workload.Name = file;
    }
    return Workload.Name;
}

void BM_CalculateXlsRowsFirst(benchmark::State& state) {
    std::unique_ptr<xls::TVUZAzurEruraWorkbook> book;
    for (auto _ : state) {
        // The workbook of the round before is freed outside the timing too.
        state.PauseTiming();
        book.reset();
        book = std::make_unique<xls::TVUZAzurEruraWorkbook>();
        book->LoadFromFile(base::Utf8ToUtf16(WorkloadFile()));
        state.ResumeTiming();
        book->Calculate();
    }
    state.counters["formulas"] = static_cast<double>(book->FormulaHandler().Chain().Count());
}
BENCHMARK(BM_CalculateXlsRowsFirst)->Unit(benchmark::kMillisecond);

void BM_CalculateXlsRowsAgain(benchmark::State& state) {
    xls::TVUZAzurEruraWorkbook book;
    book.LoadFromFile(base::Utf8ToUtf16(WorkloadFile()));
    book.Calculate();
    double value = 0;
    for (auto _ : state) {
        state.PauseTiming();
        book.GetSheets(0)->SetAsFloat(0, 0, ++value);
        state.ResumeTiming();
        book.Calculate();
    }
}
BENCHMARK(BM_CalculateXlsRowsAgain)->Unit(benchmark::kMillisecond);

}  // namespace
