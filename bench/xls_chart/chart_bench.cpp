// The console's report chart on its own: building it (a new chart, the console's settings and
// its two series over 32,000 rows) and writing its substream, and reading that substream back
// with the views bound. Then the report sheet with its chart (the table of 32,000 rows and the
// chart) written to an .xls file by the BIFF8 writer, beside libxlsxwriter writing the same
// cells and chart as .xlsx in constant-memory mode.
// Run from a release build: build-release/bench/xls_chart/xls_chart_bench
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "bench/xls_chart/xlsx_chart_report.h"
#include "workbook/biff/chart/drw_chart.h"
#include "workbook/biff/chart/tests/chart_test_support.h"
#include "workbook/biff/chart/tests/report_workbook.h"

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

constexpr int ReportRows = 32000;

std::string TempPath(const char* name) { return "/tmp/ombrix_chart_bench_" + std::to_string(::getpid()) + name; }

double FileMiB(const std::string& path) {
    return static_cast<double>(std::ifstream(path, std::ios::ate).tellg()) / (1 << 20);
}

// Filling the model is the console's work, not the writer's: the timed part is the chart and the write.
void BM_ReportSheetWithChartXls(benchmark::State& state) {
    const std::string path = TempPath(".xls");
    TReportWorkbook workbook;
    workbook.FillRows(ReportRows);
    for (auto _ : state) {
        workbook.AddReportChart(28 + ReportRows);
        workbook.Write(path);
    }
    state.counters["FileMiB"] = FileMiB(path);
    std::remove(path.c_str());
}
BENCHMARK(BM_ReportSheetWithChartXls)->Unit(benchmark::kMillisecond)->Iterations(10);

// The same with the model filled inside the timing, as libxlsxwriter fills as it writes.
void BM_ReportSheetWithChartXlsFilledAndWritten(benchmark::State& state) {
    const std::string path = TempPath(".xls");
    for (auto _ : state) {
        TReportWorkbook workbook;
        workbook.FillRows(ReportRows);
        workbook.AddReportChart(28 + ReportRows);
        workbook.Write(path);
    }
    std::remove(path.c_str());
}
BENCHMARK(BM_ReportSheetWithChartXlsFilledAndWritten)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_ReportSheetWithChartXlsxConstantMemory(benchmark::State& state) {
    const std::string path = TempPath(".xlsx");
    for (auto _ : state)
        if (WriteXlsxChartReport(path.c_str(), ReportRows) != 0) state.SkipWithError("libxlsxwriter failed");
    state.counters["FileMiB"] = FileMiB(path);
    std::remove(path.c_str());
}
BENCHMARK(BM_ReportSheetWithChartXlsxConstantMemory)->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace

BENCHMARK_MAIN();
