// The console's Excel history report through the window's workbook component: the time from the
// last record to the file written (a one-sheet report of 32,000 records, and the ten-sheet road
// of 320,000: write, read back, finish, write again), the cost of one record row on the reading's
// road, and libxlsxwriter in constant-memory mode writing the same cells and charts as .xlsx.
// Peak memory is the process's, reported after each benchmark.
// Run from a release build: build-release/bench/console/excel_report_bench
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QDir>
#include <cstdio>
#include <string>

#include "bench/console/history_records.h"
#include "bench/xls_chart/xlsx_chart_report.h"
#include "console/excel_report.h"
#include "console/report_files.h"
#include "platform/process_heap.h"

namespace {

using namespace console;

// The process keeps its large blocks as the console's main sets it.
[[maybe_unused]] const bool HeapAsTheConsoleKeepsIt = (platform::KeepLargeBlocksInHeap(), true);

double PeakMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024;
}

// A workbook as the window makes it.
struct TWindowWorkbook {
    TWindowWorkbook() {
        XLS.SetVersion(xls::xvExcel97);
        XLS.SetDirectWrite(true);
    }
    xls::TVUZAzurEruraWorkbook XLS;
    TExcelReportState State;
};

// Rows are the reading's work, one per record as it arrives: only the finishing is timed.
void BM_ExcelReportFinish(benchmark::State& state) {
    const auto records = static_cast<uint32_t>(state.range(0));
    TWindowWorkbook book;
    TExcelReport report(book.XLS, book.State, ReadingSheetCapacity);
    for (auto _ : state) {
        state.PauseTiming();
        report.StartReport("1");
        for (uint32_t i = 1; i <= records; ++i) report.AddReportRow(i, BenchRecord(i));
        state.ResumeTiming();
        const std::string name = report.FinishWorkbookReport();
        state.PauseTiming();
        std::remove((ReportFolder + name).c_str());
        state.ResumeTiming();
    }
    state.counters["PeakMiB"] = PeakMiB();
}
BENCHMARK(BM_ExcelReportFinish)->Arg(32000)->Arg(320000)->Unit(benchmark::kMillisecond)->Iterations(3);

// One record row, as the reply handler adds it.
void BM_ExcelReportRow(benchmark::State& state) {
    TWindowWorkbook book;
    TExcelReport report(book.XLS, book.State, ReadingSheetCapacity);
    report.StartReport("1");
    uint32_t number = 0;
    for (auto _ : state) {
        ++number;
        report.AddReportRow(number, BenchRecord(number));
        if (number == 320000) {
            state.PauseTiming();
            report.StartReport("1");
            number = 0;
            state.ResumeTiming();
        }
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ExcelReportRow);

void BM_XlsxConstantMemory(benchmark::State& state) {
    const int sheets = static_cast<int>(state.range(0));
    const std::string path = "/tmp/ombrix_excel_report_bench_" + std::to_string(::getpid()) + ".xlsx";
    for (auto _ : state)
        if (WriteXlsxChartReportSheets(path.c_str(), ReadingSheetCapacity, sheets) != 0)
            state.SkipWithError("libxlsxwriter failed");
    std::remove(path.c_str());
    state.counters["PeakMiB"] = PeakMiB();
}
BENCHMARK(BM_XlsxConstantMemory)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    // The report goes to ./data/ of a folder of its own.
    const QString folder = QDir::temp().filePath(QString("excel-report-bench-%1").arg(::getpid()));
    QDir().mkpath(folder + "/data");
    QDir::setCurrent(folder);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    QDir(folder).removeRecursively();
    return 0;
}
