// Opening packages of many parts and resolving every relationship, and writing them (time should
// grow linearly with the number of parts), and opening a 200 MB package, which reads only the
// relationship and content-type parts and never inflates a worksheet.
#include <benchmark/benchmark.h>

#include <malloc.h>
#include <sys/resource.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "base/file_stream.h"
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

double MaxRssMB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// Heap bytes in use, from the allocator's own count (the peak RSS says little here, since the
// package is made in memory first).
double HeapBytes() {
    const struct mallinfo2 info = mallinfo2();
    return static_cast<double>(info.uordblks + info.hblkhd);
}

void BM_OpenAndResolve(benchmark::State& state) {
    auto file = MakePackage(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(OpenAndResolve(file));
    }
    // The heap the open package holds (its part tree and content types), beside the file.
    const double before = HeapBytes();
    file.SetPosition(0);
    TOPC_XLSX package;
    package.OpenRead(file, false);
    const double held = HeapBytes() - before;
    package.Close();
    state.SetComplexityN(state.range(0));
    state.counters["package_bytes"] = static_cast<double>(file.Size());
    state.counters["heap_held_KB"] = held / 1024.0;
    state.counters["heap_per_part_B"] = held / static_cast<double>(state.range(0));
}
BENCHMARK(BM_OpenAndResolve)
    ->Arg(250)
    ->Arg(500)
    ->Arg(1000)
    ->Arg(2000)
    ->Arg(4000)
    ->Arg(8000)
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

// Counts the bytes read from the file under it, to show what opening takes of a large package.
class TCountingStream : public base::TStream {
public:
    explicit TCountingStream(base::TStream& inner) : Inner_(inner) {}
    int64_t Read(void* buffer, int64_t count) override {
        const int64_t done = Inner_.Read(buffer, count);
        BytesRead += done;
        return done;
    }
    int64_t Write(const void* buffer, int64_t count) override { return Inner_.Write(buffer, count); }
    int64_t Seek(int64_t offset, base::TSeekOrigin origin) override { return Inner_.Seek(offset, origin); }
    int64_t Size() override { return Inner_.Size(); }

    int64_t BytesRead = 0;

private:
    base::TStream& Inner_;
};

// Without OMBRIX_LARGE_XLSX (made by make_large_xlsx.py with openpyxl) a package with one
// 200 MB worksheet is written to a temporary file first.
std::string LargeWorkbookPath() {
    if (const char* path = std::getenv("OMBRIX_LARGE_XLSX")) return path;
    const std::string path = (std::filesystem::temp_directory_path() / "ombrix_opc_bench_large.xlsx").string();
    base::TFileStream file(path, base::fmCreate);
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
    return path;
}

// Opening reads the directory, the content types and the relationship parts only: the bytes
// read stay a few kilobytes however large the worksheets are.
void BM_OpenLargeWorkbook(benchmark::State& state) {
    const std::string path = LargeWorkbookPath();
    const double before = MaxRssMB();
    int64_t bytesRead = 0;
    int64_t fileSize = 0;
    size_t parts = 0;
    double held = 0;
    for (auto _ : state) {
        base::TFileStream file(path, base::fmOpenRead);
        TCountingStream counted(file);
        const double heapBefore = HeapBytes();
        TOPC_XLSX package;
        package.OpenRead(counted, false);
        parts = Resolve(package.Root());
        held = HeapBytes() - heapBefore;
        package.Close();
        bytesRead = counted.BytesRead;
        fileSize = file.Size();
    }
    benchmark::DoNotOptimize(parts);
    state.counters["package_MB"] = static_cast<double>(fileSize) / 1e6;
    state.counters["bytes_read"] = static_cast<double>(bytesRead);
    state.counters["heap_held_KB"] = held / 1024.0;
    state.counters["maxrss_growth_MB"] = MaxRssMB() - before;
    state.counters["maxrss_MB"] = MaxRssMB();
}
BENCHMARK(BM_OpenLargeWorkbook)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
