// The console's report sheet (header block, six formulas, 32,000 data rows, no chart) written
// from the filled model to an .xls file, beside libxlsxwriter writing the same cells as .xlsx in
// constant-memory mode; then ten such sheets. Peak memory of a write is reported above the
// resident size of the filled model.
// Reading: the same files read back into a fresh model, by the BIFF layer alone and through the
// workbook component (as the console reads a report back), beside python3-xlrd reading them in the
// same run (its time is taken inside the Python process, without the interpreter's start; see
// ReadXls for how both are timed); peak memory of a read above the resident size before it, and as
// a multiple of the file size.
// Run from a release build: build-release/bench/xls_biff/xls_biff_bench
#include <benchmark/benchmark.h>

#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "base/text_encoding.h"
#include "bench/xls_biff/xlsx_report.h"
#include "workbook/biff/tests/biff_read_book.h"
#include "workbook/biff/tests/biff_test_workbook.h"
#include "workbook/component/workbook_component.h"
#include "workbook/model/formula_helper.h"

namespace {

constexpr int ReportRows = 32000;
// Read timing, the same on both sides: warm reads in each of a few processes, the best counting.
// On this virtual machine all reads of one process can run 1.7 times slower than those of another,
// so one process alone can mislead. Each process reads a copy of the file of its own, so that no
// two share the pages of one file.
constexpr int ReadRepeats = 3;
constexpr int ReadProcesses = 5;

std::string TempPath(const char* name) { return "/tmp/ombrix_xls_bench_" + std::to_string(::getpid()) + name; }

// Resident and peak resident size in KiB.
long StatusKiB(const char* key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(key, 0) == 0) return std::stol(line.substr(std::string(key).size()));
    return 0;
}

void ResetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

void FillReportSheet(xls::test::TBIFFTestWorkbook& book, int sheet) {
    using namespace xls;
    TXLSCellMMU& cells = book.Cells(sheet);
    TXc12XFEditor& editor = book.Root.StyleSheet().XFEditor();
    editor.BeginEdit(nullptr);
    editor.SetFontName(u"宋体");
    editor.SetFontSize(18);
    editor.SetFontStyle(xfsBold);
    editor.SetHorizAlignment(2);
    editor.SetBorderLeftStyle(cbsThin);
    const int title = editor.EndEdit()->Index();
    cells.StoreString(0, 0, title, u"温湿度历史记录报表");
    for (int c = 1; c < 4; ++c) cells.StoreBlank(c, 0, title);
    editor.BeginEdit(nullptr);
    editor.SetFontSize(9);
    editor.SetFillColor(0xC0C0C0);
    const int small = editor.EndEdit()->Index();
    book.Sheet(sheet).mergeCells->AddArea(MakeCellArea(0, 0, 3, 0));
    cells.AddRowHeader(0, 0)->SetHeight(1000);
    for (int c = 0; c < 4; ++c) {
        TXc12Column* col = book.Sheet(sheet).cols.Add(nullptr);
        col->min = col->max = c;
        col->width = c == 3 ? 34.375 : 17.1875;
    }
    cells.StoreString(0, 1, small, u"1.设备信息：");
    cells.StoreString(0, 2, small, u"    设备ID:1");
    cells.StoreString(3, 2, small, u"    本页条数:32000");
    cells.StoreString(0, 3, small, u"    开始时间:2026-01-01 00:00:00");
    cells.StoreString(3, 3, small, u"    结束时间:2026-12-31 23:59:59");
    const char16_t* formulas[6] = {u"\"    温度平均值:\"&ROUND(AVERAGE(B28:B32028),2)",
                                   u"\"    湿度平均值:\"&ROUND(AVERAGE(C28:C32028),2)",
                                   u"\"    温度最小值:\"&MIN(B28:B32028)",
                                   u"\"    湿度最小值:\"&MIN(C28:C32028)",
                                   u"\"    温度最大值:\"&MAX(B28:B32028)",
                                   u"\"    湿度最大值:\"&MAX(C28:C32028)"};
    for (int i = 0; i < 6; ++i) {
        TXLSFormulaHelper& h = cells.FormulaHelper();
        h.Clear();
        h.Col = (i % 2) * 3;
        h.Row = 4 + i / 2;
        h.XF = small;
        const std::vector<uint8_t> tokens = book.Document->CompileFormula(formulas[i]);
        h.SetPtgsCopy(tokens.data(), static_cast<int>(tokens.size()));
        h.SetResultString(u"    温度平均值:22.5");
        cells.StoreFormula();
    }
    cells.StoreString(0, 8, small, u"2.温湿度曲线：");
    cells.StoreString(0, 26, small, u"3.详细数据：");
    const char16_t* heads[4] = {u"序号", u"温度", u"湿度", u"记录时间"};
    for (int c = 0; c < 4; ++c) cells.StoreString(c, 27, 0, heads[c]);
    char text[64];
    for (int r = 0; r < ReportRows; ++r) {
        cells.StoreFloat(0, 28 + r, 0, r + 1);
        cells.StoreFloat(1, 28 + r, 0, (200 + r % 100) / 10.0);
        cells.StoreFloat(2, 28 + r, 0, (500 + r % 300) / 10.0);
        std::snprintf(text, sizeof text, "%.4d-%.2d-%.2d %.2d:%.2d:%.2d", 2026, 1 + r / 2880 % 12, 1 + r / 96 % 28,
                      r / 4 % 24, r % 4 * 15, 0);
        cells.StoreString(3, 28 + r, 0, base::Utf8ToUtf16(text));
    }
}

std::unique_ptr<xls::test::TBIFFTestWorkbook> ReportBook(int sheets) {
    auto book = std::make_unique<xls::test::TBIFFTestWorkbook>();
    for (int s = 1; s < sheets; ++s) book->AddSheet(u"Sheet" + base::Utf8ToUtf16(std::to_string(s + 1)));
    for (int s = 0; s < sheets; ++s) FillReportSheet(*book, s);
    return book;
}

void WriteXls(benchmark::State& state, int sheets) {
    auto book = ReportBook(sheets);
    const std::string path = TempPath(".xls");
    book->Document->SetFilename(path);
    long peakAbove = 0;
    for (auto _ : state) {
        const long before = StatusKiB("VmRSS:");
        ResetPeak();
        book->Document->Write();
        peakAbove = std::max(peakAbove, StatusKiB("VmHWM:") - before);
    }
    state.counters["PeakAboveModelMiB"] = static_cast<double>(peakAbove) / 1024.0;
    state.counters["FileMiB"] = static_cast<double>(std::ifstream(path, std::ios::ate).tellg()) / (1 << 20);
    std::remove(path.c_str());
}

void WriteXlsx(benchmark::State& state, int sheets) {
    const std::string path = TempPath(".xlsx");
    long peakAbove = 0;
    for (auto _ : state) {
        const long before = StatusKiB("VmRSS:");
        ResetPeak();
        if (WriteXlsxReport(path.c_str(), sheets, ReportRows) != 0) state.SkipWithError("libxlsxwriter failed");
        peakAbove = std::max(peakAbove, StatusKiB("VmHWM:") - before);
    }
    state.counters["PeakAboveStartMiB"] = static_cast<double>(peakAbove) / 1024.0;
    std::remove(path.c_str());
}

// Seconds python3-xlrd takes to open the file, best of ReadRepeats in one process.
double XlrdSeconds(const std::string& path) {
    const std::string command =
        "/usr/bin/python3 -c 'import sys,time,xlrd\nbest=1e9\nfor i in range(" + std::to_string(ReadRepeats) +
        "):\n"
        " t=time.perf_counter(); xlrd.open_workbook(sys.argv[1]); best=min(best,time.perf_counter()-t)\n"
        "print(best)' " +
        path;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return 0;
    char buffer[64] = {};
    const bool got = std::fgets(buffer, sizeof(buffer), pipe) != nullptr;
    ::pclose(pipe);
    return got ? std::atof(buffer) : 0;
}

// Reads the file into a fresh model through the BIFF layer alone; seconds taken. Given the
// resident size (KiB) before the read, replaces it with the peak above it while the model is alive.
double LayerReadOnce(const std::string& path, long* peakAbove = nullptr) {
    const auto start = std::chrono::steady_clock::now();
    xls::test::TBIFFReadBook book;
    book.Document->SetFilename(path);
    book.Document->Read();
    if (peakAbove) *peakAbove = StatusKiB("VmHWM:") - *peakAbove;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The same through the workbook component, made as the window makes it before the clock starts:
// the read as the console's report road reads its file back.
double ComponentReadOnce(const std::string& path, long* peakAbove = nullptr) {
    xls::TVUZAzurEruraWorkbook component;
    component.SetVersion(xls::xvExcel97);
    if (peakAbove) {
        ::malloc_trim(0);
        *peakAbove = StatusKiB("VmRSS:");
        ResetPeak();
    }
    const auto start = std::chrono::steady_clock::now();
    component.LoadFromFile(base::Utf8ToUtf16(path));
    if (peakAbove) *peakAbove = StatusKiB("VmHWM:") - *peakAbove;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

using TReadOnce = double (*)(const std::string&, long*);

// Best seconds of ReadRepeats reads in a child process, or 0 when it cannot be started.
double ChildReadSeconds(const std::string& path, TReadOnce readOnce) {
    int fds[2];
    if (::pipe(fds) != 0) return 0;
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(fds[0]);
        double best = 1e9;
        for (int i = 0; i < ReadRepeats; ++i) best = std::min(best, readOnce(path, nullptr));
        const bool sent = ::write(fds[1], &best, sizeof best) == static_cast<ssize_t>(sizeof best);
        ::_exit(sent ? 0 : 1);
    }
    ::close(fds[1]);
    double best = 0;
    if (child > 0 && ::read(fds[0], &best, sizeof best) != static_cast<ssize_t>(sizeof best)) best = 0;
    ::close(fds[0]);
    if (child > 0) ::waitpid(child, nullptr, 0);
    return best;
}

// Peak memory (KiB) above the resident size before the read, in a child process of its own so
// that neither side's freed pages hide the other's growth; 0 when it cannot be started.
long ChildReadPeakKiB(const std::string& path, TReadOnce readOnce) {
    int fds[2];
    if (::pipe(fds) != 0) return 0;
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(fds[0]);
        ::malloc_trim(0);
        long peak = StatusKiB("VmRSS:");
        ResetPeak();
        readOnce(path, &peak);
        const bool sent = ::write(fds[1], &peak, sizeof peak) == static_cast<ssize_t>(sizeof peak);
        ::_exit(sent ? 0 : 1);
    }
    ::close(fds[1]);
    long peak = 0;
    if (child > 0 && ::read(fds[0], &peak, sizeof peak) != static_cast<ssize_t>(sizeof peak)) peak = 0;
    ::close(fds[0]);
    if (child > 0) ::waitpid(child, nullptr, 0);
    return peak;
}

// Time and memory are measured in separate passes. Time: both sides warm, as xlrd is timed inside
// its Python process whose heap keeps the pages of earlier reads; trimming our heap before each
// timed read would charge us the kernel's first touch of every page (about half of our read on
// this machine) and xlrd not. Memory: one read of its own with the heap trimmed first, so that
// pages freed by the writer or earlier reads cannot hide the read's growth; its time is reported
// too (ColdMs).
void ReadXls(benchmark::State& state, int sheets) {
    const std::string path = TempPath("_read.xls");
    {
        auto book = ReportBook(sheets);
        book->Document->SetFilename(path);
        book->Document->Write();
    }
    const auto fileSize = static_cast<double>(std::filesystem::file_size(path));
    ::malloc_trim(0);
    long peakAbove = StatusKiB("VmRSS:");
    ResetPeak();
    const double cold = LayerReadOnce(path, &peakAbove);
    const long componentPeak = ChildReadPeakKiB(path, ComponentReadOnce);
    // A side that could not be timed gives 0 and is left out.
    auto keepBest = [](double& best, double seconds) { best = seconds > 0 ? std::min(best, seconds) : best; };
    double seconds = 1e9;
    double component = 1e9;
    double xlrd = 1e9;
    const std::string copy = TempPath("_copy.xls");
    auto freshCopy = [&] {
        std::remove(copy.c_str());
        std::filesystem::copy_file(path, copy);
        return copy;
    };
    for (auto _ : state) {
        keepBest(seconds, ChildReadSeconds(freshCopy(), LayerReadOnce));
        keepBest(component, ChildReadSeconds(freshCopy(), ComponentReadOnce));
        keepBest(xlrd, XlrdSeconds(freshCopy()));
    }
    std::remove(copy.c_str());
    state.counters["FileMiB"] = fileSize / (1 << 20);
    state.counters["PeakAboveStartMiB"] = static_cast<double>(peakAbove) / 1024.0;
    state.counters["PeakPerFileSize"] = static_cast<double>(peakAbove) * 1024.0 / fileSize;
    state.counters["ComponentPeakPerFileSize"] = static_cast<double>(componentPeak) * 1024.0 / fileSize;
    state.counters["ColdMs"] = cold * 1000;
    state.counters["BestMs"] = seconds * 1000;
    state.counters["ComponentBestMs"] = component * 1000;
    state.counters["ComponentOverLayer"] = component / seconds;
    state.counters["XlrdBestMs"] = xlrd * 1000;
    state.counters["XlrdOverOurs"] = xlrd / seconds;
    state.counters["XlrdOverComponent"] = xlrd / component;
    std::remove(path.c_str());
}

void BM_ReportSheetXls(benchmark::State& state) { WriteXls(state, 1); }
void BM_ReadReportSheetXls(benchmark::State& state) { ReadXls(state, 1); }
void BM_ReadTenReportSheetsXls(benchmark::State& state) { ReadXls(state, 10); }
void BM_ReportSheetXlsxConstantMemory(benchmark::State& state) { WriteXlsx(state, 1); }
void BM_TenReportSheetsXls(benchmark::State& state) { WriteXls(state, 10); }
void BM_TenReportSheetsXlsxConstantMemory(benchmark::State& state) { WriteXlsx(state, 10); }

BENCHMARK(BM_ReportSheetXls)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_ReportSheetXlsxConstantMemory)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_TenReportSheetsXls)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_TenReportSheetsXlsxConstantMemory)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ReadReportSheetXls)->Unit(benchmark::kMillisecond)->Iterations(ReadProcesses);
BENCHMARK(BM_ReadTenReportSheetsXls)->Unit(benchmark::kMillisecond)->Iterations(ReadProcesses);

}  // namespace

BENCHMARK_MAIN();
