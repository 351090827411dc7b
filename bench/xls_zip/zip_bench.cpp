// Extracting and writing a 100 MB archive of 1,000 entries, against Info-ZIP's unzip -p and
// zip -1 on the same data in the same run: both sides as whole processes (our side is
// xls_zip_process), and ours in this process too. The data is generated into a temporary
// folder. Adding many empty entries shows that each new name costs the same however many
// came before: into a memory stream, a file, and a stream that keeps nothing (the archive code
// without the growth of a buffer or the file system).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "base/file_stream.h"
#include "base/memory_stream.h"
#include "workbook/ooxml/zip/zip_archive.h"

namespace {

namespace fs = std::filesystem;

constexpr int EntryCount = 1000;
constexpr size_t EntrySize = 100 * 1000;

// Discards what is written, like unzip -p into /dev/null.
class TNullStream : public base::TStream {
public:
    int64_t Read(void*, int64_t) override { return 0; }
    int64_t Write(const void*, int64_t count) override {
        Written_ += count;
        return count;
    }
    int64_t Seek(int64_t, base::TSeekOrigin) override { return Written_; }

private:
    int64_t Written_ = 0;
};

// Keeps only the size and the position of what is written: the archive code alone, without the
// growth of a memory buffer or the file system.
class TSizeOnlyStream : public base::TStream {
public:
    int64_t Read(void*, int64_t) override { return 0; }
    int64_t Write(const void*, int64_t count) override {
        Position_ += count;
        Size_ = std::max(Size_, Position_);
        return count;
    }
    int64_t Seek(int64_t offset, base::TSeekOrigin origin) override {
        const int64_t base = origin == base::TSeekOrigin::soBeginning ? 0
                             : origin == base::TSeekOrigin::soCurrent ? Position_
                                                                      : Size_;
        return Position_ = base + offset;
    }

private:
    int64_t Position_ = 0;
    int64_t Size_ = 0;
};

// Worksheet-like text with varying numbers: it deflates about as well as real parts do.
std::string SheetText(std::mt19937& random) {
    std::string text;
    text.reserve(EntrySize);
    for (int row = 1; text.size() < EntrySize; ++row) {
        text += "<row r=\"" + std::to_string(row) + "\">";
        for (char col = 'A'; col <= 'F'; ++col)
            text += std::string("<c r=\"") + col + std::to_string(row) + "\"><v>" + std::to_string(random() % 100000) +
                    "." + std::to_string(random() % 100) + "</v></c>";
        text += "</row>\r";
    }
    text.resize(EntrySize);
    return text;
}

struct TData {
    fs::path Root;
    fs::path Source;
    fs::path InfoZipArchive;
    std::vector<std::string> Names;
    int64_t TotalBytes = 0;

    TData() {
        std::string pattern = (fs::temp_directory_path() / "xls-zip-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) std::abort();
        Root = pattern;
        Source = Root / "src";
        std::mt19937 random(42);
        for (int i = 0; i < EntryCount; ++i) {
            const std::string name = "xl/worksheets/sheet" + std::to_string(i + 1) + ".xml";
            fs::create_directories((Source / name).parent_path());
            base::TFileStream file((Source / name).string(), base::fmCreate);
            const std::string text = SheetText(random);
            file.WriteBuffer(text.data(), static_cast<int64_t>(text.size()));
            Names.push_back(name);
            TotalBytes += static_cast<int64_t>(text.size());
        }
        InfoZipArchive = Root / "infozip.zip";
        Run("cd '" + Source.string() + "' && zip -q -1 -r '" + InfoZipArchive.string() + "' xl");
    }
    ~TData() {
        std::error_code ignored;
        fs::remove_all(Root, ignored);
    }

    static void Run(const std::string& commandLine) {
        if (std::system(commandLine.c_str()) != 0) std::abort();
    }
};

TData& Data() {
    static TData data;
    return data;
}

// Times an outside command by the wall clock.
void TimeCommand(benchmark::State& state, const std::string& commandLine) {
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        TData::Run(commandLine);
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    state.SetBytesProcessed(state.iterations() * Data().TotalBytes);
}

void BM_ExtractOurs(benchmark::State& state) {
    TData& data = Data();
    for (auto _ : state) {
        base::TFileStream file(data.InfoZipArchive.string(), base::fmOpenRead);
        xls::TXLSZipArchive zip;
        zip.OpenFromStream(file);
        TNullStream sink;
        for (int i = 0; i < zip.Count(); ++i) zip.GetFiles(i).ExtractToStream(sink);
    }
    state.SetBytesProcessed(state.iterations() * data.TotalBytes);
}

void BM_ExtractOursProcess(benchmark::State& state) {
    TimeCommand(state, std::string(XLS_ZIP_PROCESS) + " x '" + Data().InfoZipArchive.string() + "' > /dev/null");
}

void BM_ExtractInfoZip(benchmark::State& state) {
    TimeCommand(state, "unzip -p '" + Data().InfoZipArchive.string() + "' > /dev/null");
}

void BM_WriteOurs(benchmark::State& state) {
    TData& data = Data();
    const std::string target = (data.Root / "ours.zip").string();
    for (auto _ : state) {
        base::TFileStream file(target, base::fmCreate);
        xls::TXLSZipArchive zip;
        zip.OpenForWrite(file);
        for (const std::string& name : data.Names) {
            base::TFileStream source((data.Source / name).string(), base::fmOpenRead);
            zip.AddStream(name, source);
        }
        zip.Close();
    }
    state.SetBytesProcessed(state.iterations() * data.TotalBytes);
}

void BM_WriteOursProcess(benchmark::State& state) {
    const std::string target = (Data().Root / "ours-process.zip").string();
    TimeCommand(state, std::string(XLS_ZIP_PROCESS) + " c '" + target + "' '" + Data().Source.string() + "'");
}

void BM_WriteInfoZip(benchmark::State& state) {
    const std::string target = (Data().Root / "infozip-out.zip").string();
    TimeCommand(state,
                "rm -f '" + target + "' && cd '" + Data().Source.string() + "' && zip -q -1 -r '" + target + "' xl");
}

// Adds count empty entries to an archive written into the stream makeStream gives.
template <class TMakeStream>
void WriteEmptyEntries(benchmark::State& state, const TMakeStream& makeStream) {
    const int count = static_cast<int>(state.range(0));
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i) names.push_back("xl/media/image" + std::to_string(i) + ".png");
    for (auto _ : state) {
        auto archivePointer = makeStream();
        base::TStream& archive = *archivePointer;
        xls::TXLSZipArchive zip;
        zip.OpenForWrite(archive);
        base::TMemoryStream empty;
        for (const std::string& name : names) zip.AddStream(name, empty);
        zip.Close();
    }
    state.SetItemsProcessed(state.iterations() * count);
    state.SetComplexityN(count);
}

void BM_WriteEmptyEntries(benchmark::State& state) {
    WriteEmptyEntries(state, [] { return std::make_unique<base::TMemoryStream>(); });
}
void BM_WriteEmptyEntriesSizeOnly(benchmark::State& state) {
    WriteEmptyEntries(state, [] { return std::make_unique<TSizeOnlyStream>(); });
}
void BM_WriteEmptyEntriesToFile(benchmark::State& state) {
    const std::string target = (fs::temp_directory_path() / "xls-zip-bench-empty-entries.zip").string();
    WriteEmptyEntries(state, [&] { return std::make_unique<base::TFileStream>(target, base::fmCreate); });
    fs::remove(target);
}

BENCHMARK(BM_ExtractOurs)->Unit(benchmark::kMillisecond)->MinTime(3);
BENCHMARK(BM_ExtractOursProcess)->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(3);
BENCHMARK(BM_ExtractInfoZip)->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(3);
BENCHMARK(BM_WriteOurs)->Unit(benchmark::kMillisecond)->MinTime(3);
BENCHMARK(BM_WriteOursProcess)->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(3);
BENCHMARK(BM_WriteInfoZip)->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(3);
// Up to the format's most entries, 65,535 (16-bit counts).
BENCHMARK(BM_WriteEmptyEntries)
    ->Unit(benchmark::kMillisecond)
    ->RangeMultiplier(2)
    ->Range(1000, 64000)
    ->Arg(65535)
    ->Complexity(benchmark::oN);
BENCHMARK(BM_WriteEmptyEntriesSizeOnly)
    ->Unit(benchmark::kMillisecond)
    ->RangeMultiplier(2)
    ->Range(1000, 64000)
    ->Arg(65535)
    ->Complexity(benchmark::oN);
BENCHMARK(BM_WriteEmptyEntriesToFile)
    ->Unit(benchmark::kMillisecond)
    ->RangeMultiplier(4)
    ->Range(1000, 64000)
    ->Arg(65535)
    ->Complexity(benchmark::oN);

}  // namespace

BENCHMARK_MAIN();
