// Workbook model foundations: A1 references (text to reference and back, 10 million per
// iteration) and colour equality and hashing (a million records per iteration).
// Run from a release build: build-release/bench/xls_model/xls_model_bench
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "workbook/model/cell_reference.h"
#include "workbook/model/color.h"

namespace {

constexpr int ReferenceCount = 10'000'000;
constexpr int ColorCount = 1'000'000;

// A spread of cells over the whole model grid: one to three letters, one to seven digits.
std::vector<std::pair<int, int>> Cells(int count) {
    std::mt19937 rng(42);
    std::uniform_int_distribution<int> col(0, xls::XLSMaxCol), row(0, xls::XLSMaxRow), small(0, 99);
    std::vector<std::pair<int, int>> cells(static_cast<size_t>(count));
    for (auto& [c, r] : cells) {
        const bool near = small(rng) < 50;  // half of them near A1, as most sheets are
        c = near ? small(rng) % 26 : col(rng);
        r = near ? small(rng) : row(rng);
    }
    return cells;
}

void BM_A1ToReferenceAndBack(benchmark::State& state) {
    const std::vector<std::pair<int, int>> cells = Cells(ReferenceCount);
    std::vector<std::u16string> texts;
    texts.reserve(cells.size());
    for (const auto& [c, r] : cells) texts.push_back(xls::ColRowToRefStrAbs(c, r, (c & 1) != 0, (r & 1) != 0));
    for (auto _ : state) {
        int64_t checksum = 0;
        for (const std::u16string& text : texts) {
            int col, row;
            bool colAbs, rowAbs;
            xls::RefStrToColRowAbs(text, col, row, colAbs, rowAbs);
            const std::u16string back = xls::ColRowToRefStrAbs(col, row, colAbs, rowAbs);
            checksum += col + row + static_cast<int64_t>(back.size());
        }
        benchmark::DoNotOptimize(checksum);
    }
    state.SetItemsProcessed(state.iterations() * ReferenceCount);
}
BENCHMARK(BM_A1ToReferenceAndBack)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_A1Parse(benchmark::State& state) {
    const std::vector<std::pair<int, int>> cells = Cells(ReferenceCount);
    std::vector<std::u16string> texts;
    texts.reserve(cells.size());
    for (const auto& [c, r] : cells) texts.push_back(xls::ColRowToRefStr(c, r));
    for (auto _ : state) {
        int64_t checksum = 0;
        for (const std::u16string& text : texts) {
            int col, row;
            xls::RefStrToColRow(text, col, row);
            checksum += col + row;
        }
        benchmark::DoNotOptimize(checksum);
    }
    state.SetItemsProcessed(state.iterations() * ReferenceCount);
}
BENCHMARK(BM_A1Parse)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_A1Write(benchmark::State& state) {
    const std::vector<std::pair<int, int>> cells = Cells(ReferenceCount);
    for (auto _ : state) {
        int64_t checksum = 0;
        for (const auto& [c, r] : cells) checksum += static_cast<int64_t>(xls::ColRowToRefStr(c, r).size());
        benchmark::DoNotOptimize(checksum);
    }
    state.SetItemsProcessed(state.iterations() * ReferenceCount);
}
BENCHMARK(BM_A1Write)->Unit(benchmark::kMillisecond)->Iterations(3);

// A mix of the four kinds, as a style sheet holds them.
std::vector<xls::TXc12Color> Colors(int count) {
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> kind(0, 3), index(0, 64), theme(0, 11), tint(-10, 10);
    std::uniform_int_distribution<uint32_t> argb;
    std::vector<xls::TXc12Color> colors(static_cast<size_t>(count));
    for (auto& c : colors) {
        switch (kind(rng)) {
            case 0: c = xls::Xc12ColorAutomatic(); break;
            case 1: c = xls::Xc12ColorFromIndex(index(rng)); break;
            case 2: c = xls::Xc12ColorFromRGB(argb(rng) | 0xFF000000u); break;
            default: c = xls::Xc12ColorFromTheme(theme(rng), tint(rng) / 10.0); break;
        }
    }
    return colors;
}

void BM_ColorEqual(benchmark::State& state) {
    const std::vector<xls::TXc12Color> a = Colors(ColorCount);
    std::vector<xls::TXc12Color> b = a;
    std::rotate(b.begin(), b.begin() + 1, b.end());  // mostly unequal, some equal
    for (auto _ : state) {
        int equal = 0;
        for (size_t i = 0; i < a.size(); ++i)
            equal += xls::Xc12ColorEqual(a[i], b[i]) + xls::Xc12ColorEqual(a[i], a[i]);
        benchmark::DoNotOptimize(equal);
    }
    state.SetItemsProcessed(state.iterations() * ColorCount * 2);
}
BENCHMARK(BM_ColorEqual)->Unit(benchmark::kMillisecond);

void BM_ColorHash(benchmark::State& state) {
    const std::vector<xls::TXc12Color> colors = Colors(ColorCount);
    for (auto _ : state) {
        uint32_t sum = 0;
        for (const xls::TXc12Color& c : colors) sum += xls::Xc12ColorHash(c);
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * ColorCount);
}
BENCHMARK(BM_ColorHash)->Unit(benchmark::kMillisecond);

void BM_ColorToRGB(benchmark::State& state) {
    const std::vector<xls::TXc12Color> colors = Colors(ColorCount);
    for (auto _ : state) {
        uint32_t sum = 0;
        for (const xls::TXc12Color& c : colors) sum += xls::Xc12ColorToRGB(c);
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * ColorCount);
}
BENCHMARK(BM_ColorToRGB)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
