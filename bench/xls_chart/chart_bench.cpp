// The console's report chart on its own: building it (a new chart, the console's settings and
// its two series over 32,000 rows) and writing its substream, and reading that substream back
// with the views bound. The whole report sheet with its chart beside libxlsxwriter needs the
// workbook writer. Run from a release build: build-release/bench/xls_chart/xls_chart_bench
#include <benchmark/benchmark.h>

#include <vector>

#include "workbook/biff/chart/drw_chart.h"
#include "workbook/biff/chart/tests/chart_test_support.h"

namespace {

using namespace xls;
using namespace xls::testing;

void BM_ReportChartBuildAndWrite(benchmark::State& state) {
    for (auto _ : state) {
        TTestChartWorkbook workbook;
        TTestChartOwner owner(workbook);
        TDrwCharts charts(owner, workbook);
        std::vector<uint8_t> bytes = SaveBytes(*ReportChart(charts, 1, 32028).Rec());
        benchmark::DoNotOptimize(bytes.data());
    }
}
BENCHMARK(BM_ReportChartBuildAndWrite)->Unit(benchmark::kMicrosecond);

void BM_ReportChartRead(benchmark::State& state) {
    TTestChartWorkbook workbook;
    TTestChartOwner owner(workbook);
    TDrwCharts charts(owner, workbook);
    const std::vector<uint8_t> bytes = SaveBytes(*ReportChart(charts, 1, 32028).Rec());
    for (auto _ : state) {
        TTestChartOwner reader(workbook);
        TDrwCharts read(reader, workbook);
        TChartRecord& root = reader.NewRoot();
        LoadBytes(root, bytes);
        benchmark::DoNotOptimize(read.AddFromShape(root).Series().Count());
    }
}
BENCHMARK(BM_ReportChartRead)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
