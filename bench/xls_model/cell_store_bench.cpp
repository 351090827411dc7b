// Cell store, style sheet and shared strings under the loads of the logger console's history
// report: filling 32,000 rows of four columns, a million numbers, clearing and deleting, the
// format edits of the report's finishing, wide rows written out of column order, and
// shared-string churn.
// Run from a release build: build-release/bench/xls_model/xls_model_store_bench
#include <benchmark/benchmark.h>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "workbook/model/cell_store.h"

namespace {

using namespace xls;

constexpr int ReportRows = 32000;
constexpr int MillionRows = 62500;
constexpr int MillionCols = 16;

struct TSheet {
    TXc12DataStyleSheet StyleSheet;
    TXc12DataSST SST{StyleSheet};
    TXLSCellMMU Store{0, StyleSheet, SST};
};

// A logger record every 3 seconds: every text distinct.
std::u16string DateText(int row) {
    const int seconds = row * 3;
    char text[40];
    std::snprintf(text, sizeof text, "2026-12-%02d %02d:%02d:%02d", 1 + seconds / 86400 % 28, seconds / 3600 % 24,
                  seconds / 60 % 60, seconds % 60);
    return std::u16string(text, text + std::char_traits<char>::length(text));
}

// A row of the report: the record number, temperature and humidity in tenths, the time.
void FillReport(TSheet& sheet) {
    for (int row = 0; row < ReportRows; ++row) {
        sheet.Store.StoreFloat(0, row, 0, row + 1);
        sheet.Store.StoreFloat(1, row, 0, (200 + row % 150) / 10.0);
        sheet.Store.StoreFloat(2, row, 0, (400 + row % 500) / 10.0);
        sheet.Store.StoreString(3, row, 0, DateText(row));
    }
}

void BM_ReportFill(benchmark::State& state) {
    size_t bytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto sheet = std::make_unique<TSheet>();
        state.ResumeTiming();
        FillReport(*sheet);
        bytes = sheet->Store.MemoryUsed();
        state.PauseTiming();
        sheet.reset();
        state.ResumeTiming();
    }
    state.counters["store_bytes_per_cell"] = static_cast<double>(bytes) / (ReportRows * 4.0);
}
BENCHMARK(BM_ReportFill)->Unit(benchmark::kMillisecond)->Iterations(10);

double MillionValue(int i) {
    switch (i % 4) {
        case 0: return i;
        case 1: return i / 10.0;
        case 2: return (i % 1000) / 100.0;
        default: return i * 1.0000001;
    }
}

void FillMillion(TSheet& sheet) {
    int i = 0;
    for (int row = 0; row < MillionRows; ++row)
        for (int col = 0; col < MillionCols; ++col) sheet.Store.StoreFloat(col, row, 0, MillionValue(i++));
}

void BM_MillionNumbersStore(benchmark::State& state) {
    size_t bytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto sheet = std::make_unique<TSheet>();
        state.ResumeTiming();
        FillMillion(*sheet);
        bytes = sheet->Store.MemoryUsed();
        state.PauseTiming();
        sheet.reset();
        state.ResumeTiming();
    }
    state.counters["store_bytes_per_cell"] = static_cast<double>(bytes) / (MillionRows * MillionCols);
    state.counters["store_MB"] = static_cast<double>(bytes) / 1e6;
}
BENCHMARK(BM_MillionNumbersStore)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_MillionNumbersIterate(benchmark::State& state) {
    TSheet sheet;
    FillMillion(sheet);
    for (auto _ : state) {
        double sum = 0;
        int count = 0;
        sheet.Store.BeginIterate(0);
        while (sheet.Store.IterateNext()) {
            sum += sheet.Store.IterFloat();
            ++count;
        }
        benchmark::DoNotOptimize(sum);
        if (count != MillionRows * MillionCols) state.SkipWithError("wrong cell count");
    }
}
BENCHMARK(BM_MillionNumbersIterate)->Unit(benchmark::kMillisecond);

void BM_ClearFullSheet(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto sheet = std::make_unique<TSheet>();
        FillReport(*sheet);
        state.ResumeTiming();
        sheet->Store.ClearRows(0, ReportRows - 1);
        state.PauseTiming();
        sheet.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ClearFullSheet)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_DeleteCellsOneByOne(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto sheet = std::make_unique<TSheet>();
        FillReport(*sheet);
        state.ResumeTiming();
        for (int row = 0; row < ReportRows; ++row)
            for (int col = 0; col < 4; ++col) sheet->Store.DeleteCell(col, row);
        state.PauseTiming();
        sheet.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_DeleteCellsOneByOne)->Unit(benchmark::kMillisecond)->Iterations(10);

// One format change of one cell, as the worksheet interface makes it.
template <class Fn>
void Format(TSheet& sheet, int col, int row, Fn change) {
    TXLSMMUCell cell;
    sheet.Store.FindCell(col, row, cell);
    TXc12XFEditor& editor = sheet.StyleSheet.XFEditor();
    editor.BeginEdit(sheet.StyleSheet.XFs().GetItems(TXLSCellMMU::GetXF(cell)));
    change(editor);
    sheet.Store.SetXF(col, row, editor.EndEdit()->Index());
}

// The finishing of the report: a font on every cell, a thin border on all four sides of every
// cell of the table, centred text in the first and part of the last column: 700,000 edits.
void BM_ReportFinishingXFEdits(benchmark::State& state) {
    int64_t edits = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto sheet = std::make_unique<TSheet>();
        FillReport(*sheet);
        state.ResumeTiming();
        edits = 0;
        for (int row = 0; row < ReportRows; ++row)
            for (int col = 0; col < 4; ++col, ++edits)
                Format(*sheet, col, row, [](TXc12XFEditor& e) { e.SetFontName(u"Arial"); });
        for (int row = 0; row < ReportRows; ++row)
            for (int col = 0; col < 4; ++col) {
                Format(*sheet, col, row, [](TXc12XFEditor& e) { e.SetBorderLeftStyle(cbsThin); });
                Format(*sheet, col, row, [](TXc12XFEditor& e) { e.SetBorderTopStyle(cbsThin); });
                Format(*sheet, col, row, [](TXc12XFEditor& e) { e.SetBorderRightStyle(cbsThin); });
                Format(*sheet, col, row, [](TXc12XFEditor& e) { e.SetBorderBottomStyle(cbsThin); });
                edits += 4;
            }
        for (int row = 0; row < ReportRows; ++row, ++edits)
            Format(*sheet, 0, row, [](TXc12XFEditor& e) { e.SetHorizAlignment(2); });
        for (int row = 0; row < 60000 - ReportRows; ++row, ++edits)
            Format(*sheet, 3, row, [](TXc12XFEditor& e) { e.SetHorizAlignment(2); });
        state.PauseTiming();
        sheet.reset();
        state.ResumeTiming();
    }
    state.counters["edits"] = static_cast<double>(edits);
}
BENCHMARK(BM_ReportFinishingXFEdits)->Unit(benchmark::kMillisecond)->Iterations(5);

// One row of n numbers written left to right (0), right to left (1) or in random column order
// (2), then iterated once (which encodes a row held open). Every order must grow linearly.
void BM_WideRowFill(benchmark::State& state) {
    const int cells = static_cast<int>(state.range(0));
    const int order = static_cast<int>(state.range(1));
    std::vector<int> cols(static_cast<size_t>(cells));
    for (int i = 0; i < cells; ++i) cols[static_cast<size_t>(i)] = order == 1 ? cells - 1 - i : i;
    if (order == 2) {
        uint32_t seed = 12345;
        for (size_t i = cols.size(); i > 1; --i) {
            seed = seed * 1664525u + 1013904223u;
            std::swap(cols[i - 1], cols[seed % i]);
        }
    }
    for (auto _ : state) {
        TSheet sheet;
        for (int col : cols) sheet.Store.StoreFloat(col, 7, 0, col + 0.5);
        sheet.Store.BeginIterate(0);
        int seen = 0;
        while (sheet.Store.IterateNext()) ++seen;
        if (seen != cells) state.SkipWithError("cells lost");
    }
    state.SetComplexityN(cells);
    state.SetLabel(order == 0 ? "left to right" : order == 1 ? "right to left" : "random order");
}
BENCHMARK(BM_WideRowFill)->Unit(benchmark::kMicrosecond)->ArgsProduct({{2048, 4096, 8192, 16384}, {0, 1, 2}});

// n distinct texts added and referenced, as a reader building a table of all-different cells
// does. The texts are made on the fly so that the figure is the table's alone.
void BM_SharedStringAdds(benchmark::State& state) {
    const int adds = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        TXc12DataStyleSheet styleSheet;
        auto sst = std::make_unique<TXc12DataSST>(styleSheet);
        state.ResumeTiming();
        char16_t text[24] = u"reading ";
        for (int i = 0; i < adds; ++i) {
            char digits[12];
            const auto end = std::to_chars(digits, digits + sizeof digits, int64_t{i} * 7919).ptr;
            std::copy(digits, end, text + 8);
            sst->AddRef(sst->AddString(std::u16string_view(text, static_cast<size_t>(8 + (end - digits)))));
        }
        state.PauseTiming();
        sst.reset();
        state.ResumeTiming();
    }
    state.SetComplexityN(adds);
}
BENCHMARK(BM_SharedStringAdds)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2)
    ->Arg(1'000'000)
    ->Arg(2'000'000)
    ->Arg(4'000'000)
    ->Arg(8'000'000)
    ->Complexity(benchmark::oN);

// n adds (a million, and a quarter of that to show the growth is linear) with half of them repeats, half the references
// released, then a million adds again (the freed slots reused lowest first).
void BM_SharedStringChurn(benchmark::State& state) {
    const int Adds = static_cast<int>(state.range(0));
    std::vector<std::u16string> texts;
    texts.reserve(Adds / 2);
    for (int i = 0; i < Adds / 2; ++i) {
        const std::string number = std::to_string(int64_t{i} * 7919);
        texts.push_back(u"text " + std::u16string(number.begin(), number.end()));
    }
    for (auto _ : state) {
        state.PauseTiming();
        TXc12DataStyleSheet styleSheet;
        auto sst = std::make_unique<TXc12DataSST>(styleSheet);
        std::vector<int> indexes;
        indexes.reserve(Adds);
        state.ResumeTiming();
        for (int i = 0; i < Adds; ++i) {
            const int index = sst->AddString(texts[static_cast<size_t>(i % (Adds / 2))]);
            sst->AddRef(index);
            indexes.push_back(index);
        }
        for (int i = 0; i < Adds; i += 2) sst->Release(indexes[static_cast<size_t>(i)]);
        for (int i = 0; i < Adds; ++i) sst->AddRef(sst->AddString(texts[static_cast<size_t>((i * 7) % (Adds / 2))]));
        state.PauseTiming();
        sst.reset();
        state.ResumeTiming();
    }
    state.SetComplexityN(Adds);
}
BENCHMARK(BM_SharedStringChurn)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->Arg(250'000)
    ->Arg(1'000'000)
    ->Arg(4'000'000)
    ->Arg(8'000'000)
    ->Complexity(benchmark::oN);

}  // namespace

BENCHMARK_MAIN();
