// Opening packages of many parts and resolving every relationship, and writing them (time should
// grow linearly with the number of parts), and opening a package with a 200 MB worksheet, which reads only
// the relationship and content-type parts and never inflates the sheet.
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <string>
#include <vector>

#include "base/memory_stream.h"
#include "base/text_encoding.h"
#include "workbook/ooxml/opc/opc_xlsx.h"

namespace {

using xls::TOPC_XLSX;
using xls::TOPCItem;

void WriteText(TOPC_XLSX& package, TOPCItem* item, const std::string& text) {
    base::TMemoryStream data;
    data.Write(text.data(), static_cast<int64_t>(text.size()));
    package.WriteItem(item, data);
}

// A workbook with parts/2 worksheets, each with a drawing.
base::TMemoryStream MakePackage(int parts) {
    base::TMemoryStream file;
    TOPC_XLSX package;
    package.OpenWrite(file, false);
    WriteText(package, package.CreateWorkbookItem(), "<workbook/>");
    for (int i = 1; i <= parts / 2; ++i) {
        TOPCItem* sheet = package.CreateWorksheetItem(i);
        WriteText(package, sheet, "<worksheet/>");
        WriteText(package, package.CreateDrawingItem(sheet, i), "<wsDr/>");
    }
    package.Close();
    return file;
}

size_t Resolve(const TOPCItem& item) {
    size_t length = 0;
    for (int i = 0; i < item.Count(); ++i) {
        const TOPCItem& child = item.GetItems(i);
        length += child.GetPartName().size() + child.GetRelsName().size();
        length += item.FindByRId(base::Utf16ToUtf8(child.GetRId())) == &child;
        length += Resolve(child);
    }
    return length;
}

size_t OpenAndResolve(base::TMemoryStream& file) {
    file.SetPosition(0);
    TOPC_XLSX package;
    package.OpenRead(file, false);
    const size_t result = Resolve(package.Root());
    package.Close();
    return result;
}

void BM_OpenAndResolve(benchmark::State& state) {
    auto file = MakePackage(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(OpenAndResolve(file));
    }
    state.SetComplexityN(state.range(0));
    state.counters["package_bytes"] = static_cast<double>(file.Size());
}
BENCHMARK(BM_OpenAndResolve)
    ->RangeMultiplier(2)
    ->Range(256, 4096)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

// Writing: every worksheet is one more part under the workbook, so creating them must not
// search the workbook's children one by one.
void BM_WritePackage(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(MakePackage(static_cast<int>(state.range(0))).Size());
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_WritePackage)
    ->RangeMultiplier(4)
    ->Range(1024, 16384)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

constexpr size_t SheetBytes = 200u * 1000 * 1000;

void BM_OpenLargeWorkbook(benchmark::State& state) {
    base::TMemoryStream file;
    {
        TOPC_XLSX package;
        package.OpenWrite(file, false);
        WriteText(package, package.CreateWorkbookItem(), "<workbook/>");
        std::string sheet = "<worksheet><sheetData>";
        for (int row = 1; sheet.size() < SheetBytes; ++row) {
            sheet += "<row r=\"" + std::to_string(row) + "\"><c r=\"A" + std::to_string(row) + "\"><v>" +
                     std::to_string(static_cast<int64_t>(row) * 7919 % 100003) + "</v></c></row>";
        }
        sheet += "</sheetData></worksheet>";
        WriteText(package, package.CreateWorksheetItem(1), sheet);
        package.Close();
    }
    rusage before{};
    getrusage(RUSAGE_SELF, &before);
    for (auto _ : state) {
        benchmark::DoNotOptimize(OpenAndResolve(file));
    }
    rusage after{};
    getrusage(RUSAGE_SELF, &after);
    state.counters["package_MB"] = static_cast<double>(file.Size()) / 1e6;
    state.counters["maxrss_growth_MB"] = static_cast<double>(after.ru_maxrss - before.ru_maxrss) / 1024.0;
}
BENCHMARK(BM_OpenLargeWorkbook)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
