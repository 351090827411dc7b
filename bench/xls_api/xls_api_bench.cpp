// The workbook interface: the console's report sheet built through it (layout recipe, 32,000
// record rows, finishing with the font name on A1:D32028 and six border operations on
// A28:D32028), emptying report sheets of two sizes, and formatting and clearing whole columns
// of sparse sheets of three sizes (work must follow the stored cells, not the 1,048,576-row grid).
// Run from a release build: build-release/bench/xls_api/xls_api_bench
#include <benchmark/benchmark.h>

#include "workbook/api/tests/api_fixture.h"
#include "workbook/api/tests/report_recipe.h"
#include "workbook/model/cell_reference.h"

namespace {

using namespace xls;

constexpr int Records = 32000;
constexpr int Last = report::FirstDataRow + Records;

struct TBook : test::ApiTest {
    TBook() { UseBiff(); }
    void TestBody() override {}
};

void BM_ReportSheetThroughTheInterface(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto book = std::make_unique<TBook>();
        state.ResumeTiming();
        report::BuildReportSheet(book->Sheet(), Records);
        state.PauseTiming();
        book.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ReportSheetThroughTheInterface)->Unit(benchmark::kMillisecond)->Iterations(5);

// The finishing alone, on a laid-out sheet full of records.
void BM_ReportFinishing(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto book = std::make_unique<TBook>();
        report::LayoutReportSheet(book->Sheet(), report::U("温湿度历史记录报表"));
        for (int n = 1; n <= Records; ++n) report::AddReportRow(book->Sheet(), report::FirstDataRow + n - 1, n);
        state.ResumeTiming();
        report::FinishReportSheet(book->Sheet(), Records, Last);
        state.PauseTiming();
        book.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ReportFinishing)->Unit(benchmark::kMillisecond)->Iterations(5);

// Emptying a report sheet of state.range(0) records: time follows the records.
void BM_ClearReportSheet(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto book = std::make_unique<TBook>();
        report::BuildReportSheet(book->Sheet(), static_cast<int>(state.range(0)));
        state.ResumeTiming();
        book->Sheet().Clear();
        state.PauseTiming();
        book.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ClearReportSheet)->Unit(benchmark::kMillisecond)->Iterations(5)->Arg(1000)->Arg(Records);

// Whole columns A:D of a sheet with state.range(0) rows of 4 cells spread over the grid: format
// (EnsureCells first) and clear. Time follows the stored cells, not the 1,048,576 rows.
void BM_WholeColumnsOfASparseSheet(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        auto book = std::make_unique<TBook>();
        for (int row = 0; row < rows; ++row)
            for (int col = 0; col < 4; ++col) book->Sheet().SetAsFloat(col, row * (XLSMaxRow / rows), row);
        state.ResumeTiming();
        book->Sheet().Range().GetItems(u"A1:D1048576").SetFillColor(0xC0C0C0);
        book->Sheet().ClearArea(0, 0, 3, XLSMaxRow, xcfCells | xcfFormats);
        state.PauseTiming();
        book.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_WholeColumnsOfASparseSheet)->Unit(benchmark::kMillisecond)->Iterations(10)->Arg(25)->Arg(2500)->Arg(25000);

}  // namespace

BENCHMARK_MAIN();
