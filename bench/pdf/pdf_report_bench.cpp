// The console's PDF report without its text: 1,000 pages, each with a header row and 50
// table rows of grid lines drawn through the page's own path operations.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "pdf/pdf_document.h"
#include "pdf/pdf_number_format.h"

namespace {

constexpr int Pages = 1000;
constexpr int RowsPerPage = 50;

void DrawRow(pdf::TPDFPage& page, double top) {
    page.GStateSave();
    page.NewPath();
    page.Rectangle(40, top, 130, top + 14.4);
    page.Rectangle(130, top, 280, top + 14.4);
    page.Rectangle(280, top, 430, top + 14.4);
    page.Rectangle(430, top, 555, top + 14.4);
    page.ClosePath();
    page.Stroke();
}

void WriteReport(benchmark::State& state, pdf::TCompressionType compression) {
    const std::string file =
        (std::filesystem::temp_directory_path() / ("pdf_bench_" + std::to_string(getpid()) + ".pdf")).string();
    size_t heldBytes = 0;
    for (auto _ : state) {
        const size_t heapBefore = mallinfo2().uordblks;
        pdf::TPDFDocument document;
        document.SetFileName(file);
        document.SetCompression(compression);
        document.BeginDoc();
        for (int page = 0; page < Pages; ++page) {
            if (page > 0) document.NewPage();
            for (int row = 0; row <= RowsPerPage; ++row) DrawRow(*document.CurrentPage(), 60.5 + row * 14.4);
        }
        heldBytes = mallinfo2().uordblks - heapBefore;
        document.EndDoc();
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["file_MB"] = double(std::filesystem::file_size(file)) / 1e6;
    state.counters["model_MB"] = double(heldBytes) / 1e6;
    state.counters["peak_RSS_MB"] = double(usage.ru_maxrss) / 1e3;
    std::remove(file.c_str());
}

void BM_ReportUncompressed(benchmark::State& state) { WriteReport(state, pdf::TCompressionType::ctNone); }
void BM_ReportFlate(benchmark::State& state) { WriteReport(state, pdf::TCompressionType::ctFlate); }

void BM_FormatPDFFloat(benchmark::State& state) {
    std::string out;
    double value = 0.12345;
    for (auto _ : state) {
        out.clear();
        for (int i = 0; i < 1000; ++i) pdf::AppendPDFFloat(out, value + i * 14.4);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * 1000);
}

}  // namespace

BENCHMARK(BM_ReportUncompressed)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReportFlate)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FormatPDFFloat);
