// BIFF8 formula encoder: the console's six report formulas and two chart links compiled 100,000
// times per iteration (formulas per second in the "items" counter), and one formula of 40 nested
// functions into a 1,024-byte buffer.
// Run from a release build: build-release/bench/xls_formula/xls_formula_bench
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "workbook/formula/biff_encode_formula.h"

namespace {

constexpr int Rounds = 100'000;

// The report's formulas for a full sheet and the chart's series links.
const std::u16string_view ReportFormulas[] = {
    u"\"    \u6E29\u5EA6\u5E73\u5747\u503C:\"&ROUND(AVERAGE(B28:B32028),2)",
    u"\"    \u6E7F\u5EA6\u5E73\u5747\u503C:\"&ROUND(AVERAGE(C28:C32028),2)",
    u"\"    \u6E29\u5EA6\u6700\u5C0F\u503C:\"&MIN(B28:B32028)",
    u"\"    \u6E7F\u5EA6\u6700\u5C0F\u503C:\"&MIN(C28:C32028)",
    u"\"    \u6E29\u5EA6\u6700\u5927\u503C:\"&MAX(B28:B32028)",
    u"\"    \u6E7F\u5EA6\u6700\u5927\u503C:\"&MAX(C28:C32028)",
    u"Sheet2!$B$29:$B$32028",
    u"Sheet2!$D$29:$D$32028",
};

void ResolveSheets(xls::TEncodeFormula& encoder) {
    encoder.OnExternRef = [](const std::u16string&, const std::u16string&, int& sheetIndex, int& ixti, bool,
                             const std::u16string&, const std::u16string&) { sheetIndex = ixti = 1; };
}

void BM_ReportFormulas(benchmark::State& state) {
    xls::TEncodeFormula encoder;
    ResolveSheets(encoder);
    std::vector<uint8_t> buf(1024);
    for (auto _ : state) {
        int64_t bytes = 0;
        for (int i = 0; i < Rounds; ++i) {
            for (std::u16string_view text : ReportFormulas)
                bytes += encoder.Encode(text, 0, 1, static_cast<int>(buf.size()), buf.data());
        }
        benchmark::DoNotOptimize(bytes);
    }
    state.SetItemsProcessed(state.iterations() * Rounds * static_cast<int64_t>(std::size(ReportFormulas)));
}
BENCHMARK(BM_ReportFormulas)->Unit(benchmark::kMillisecond);

void BM_FortyNestedFunctions(benchmark::State& state) {
    std::u16string text;
    for (int i = 0; i < 40; ++i) text += (i % 2) ? u"ABS(" : u"ROUND(";
    text += u"A1";
    for (int i = 39; i >= 0; --i) text += (i % 2) ? u")" : u",2)";
    xls::TEncodeFormula encoder;
    ResolveSheets(encoder);
    std::vector<uint8_t> buf(1024);
    for (auto _ : state) benchmark::DoNotOptimize(encoder.Encode(text, 0, 1, static_cast<int>(buf.size()), buf.data()));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FortyNestedFunctions);

}  // namespace
