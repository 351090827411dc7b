// The console's PDF report with its text: 600 pages, each with a Chinese title and header
// row and 51 rows of digits in "宋体" (served by the system's CJK face), grid lines included.
// Then the cost of one text call in charset 134 (code page 936 bytes) beside the same text
// given as UTF-16: the difference is the code-page conversion.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "base/text_encoding.h"
#include "pdf/pdf_document.h"

namespace {

constexpr int Pages = 600;
constexpr int RowsPerPage = 51;

void WritePage(pdf::TPDFPage& page, int pageIndex, const std::string& title, const std::string (&headers)[4]) {
    page.SetActiveFont("宋体", 0, 20, 134);
    page.TextOut(title, 200, 40);
    page.SetActiveFont("宋体", 0, 10, 134);
    static constexpr int Columns[] = {88, 170, 290, 410};
    for (int c = 0; c < 4; ++c) page.TextOut(headers[c], Columns[c], 100);
    char text[4][32];
    for (int row = 0; row < RowsPerPage; ++row) {
        const double top = 120 + row * 20;
        const int record = pageIndex * RowsPerPage + row + 1;
        std::snprintf(text[0], sizeof text[0], "%d", record);
        std::snprintf(text[1], sizeof text[1], "%.1f", 20 + (record % 100) / 10.0);
        std::snprintf(text[2], sizeof text[2], "%.1f", 40 + (record % 300) / 10.0);
        std::snprintf(text[3], sizeof text[3], "2024-05-%02d %02d:%02d:00", 1 + record % 28, record % 24, record % 60);
        for (int c = 0; c < 4; ++c) page.TextOut(text[c], Columns[c], top);
        page.GStateSave();
        page.NewPath();
        page.Rectangle(80, top - 2, 555, top + 18);
        page.ClosePath();
        page.Stroke();
        page.GStateRestore();
    }
}

void BM_ChineseReport(benchmark::State& state) {
    const std::string file =
        (std::filesystem::temp_directory_path() / ("pdf_font_bench_" + std::to_string(getpid()) + ".pdf")).string();
    const std::string title = base::Utf8ToCp936("温湿度历史记录");
    const std::string headers[4] = {base::Utf8ToCp936("序号"), base::Utf8ToCp936("温度"), base::Utf8ToCp936("湿度"),
                                    base::Utf8ToCp936("日期")};
    for (auto _ : state) {
        pdf::TPDFDocument document;
        document.SetFileName(file);
        document.SetResolution(96);
        document.SetCompression(pdf::TCompressionType::ctFlate);
        document.BeginDoc();
        for (int page = 0; page < Pages; ++page) {
            if (page > 0) document.NewPage();
            WritePage(*document.CurrentPage(), page, title, headers);
        }
        document.EndDoc();
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["file_MB"] = double(std::filesystem::file_size(file)) / 1e6;
    state.counters["peak_RSS_MB"] = double(usage.ru_maxrss) / 1e3;
    std::remove(file.c_str());
}

}  // namespace

BENCHMARK(BM_ChineseReport)->Unit(benchmark::kMillisecond)->Iterations(3);

// Measuring text runs the same conversion and font lookup as drawing it, without growing a page.
template <bool Wide>
void BM_TextWidth(benchmark::State& state) {
    const std::string file =
        (std::filesystem::temp_directory_path() / ("pdf_width_bench_" + std::to_string(getpid()) + ".pdf")).string();
    pdf::TPDFDocument document;
    document.SetFileName(file);
    document.BeginDoc();
    pdf::TPDFPage& page = *document.CurrentPage();
    page.SetActiveFont("宋体", 0, 10, 134);
    const std::string bytes = base::Utf8ToCp936("温湿度历史记录 2024-05-01 12:00:00");
    const std::u16string wide = base::Utf8ToUtf16("温湿度历史记录 2024-05-01 12:00:00");
    double width = 0;
    for (auto _ : state) {
        width += Wide ? page.WideTextWidth(wide) : page.TextWidth(bytes);
        benchmark::DoNotOptimize(width);
    }
    document.Abort();
    std::remove(file.c_str());
}
BENCHMARK(BM_TextWidth<false>)->Name("BM_TextWidth/charset134");
BENCHMARK(BM_TextWidth<true>)->Name("BM_TextWidth/utf16");
