// Writing and reading back a compound file with one 200 MB stream and 1,000 small streams, and
// olefile reading the same file for comparison; building and saving at four stream counts and
// four sizes, and finding streams by name, to show linear growth. Peak memory is the process's maximum resident
// size; run one benchmark per process (--benchmark_filter) to see each one's own peak.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "base/file_stream.h"
#include "platform/compound_file.h"

namespace {

constexpr int SmallStreams = 1000;

std::string FilePath() {
    return (std::filesystem::temp_directory_path() / ("ombrix-cfb-bench-" + std::to_string(::getpid()) + ".cfb"))
        .string();
}

double PeakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

std::unique_ptr<platform::TCompoundFile> BuildFile(int64_t bigBytes, int64_t& total) {
    auto file = std::make_unique<platform::TCompoundFile>();
    std::vector<uint8_t> chunk(1 << 20);
    for (size_t i = 0; i < chunk.size(); ++i) chunk[i] = static_cast<uint8_t>(i * 131);
    auto& big = file->Root().CreateStream(u"Workbook");
    for (int64_t done = 0; done < bigBytes; done += static_cast<int64_t>(chunk.size()))
        big.WriteBuffer(chunk.data(), std::min<int64_t>(static_cast<int64_t>(chunk.size()), bigBytes - done));
    total = bigBytes;
    auto& storage = file->Root().CreateStorage(u"Small");
    for (int i = 0; i < SmallStreams; ++i) {
        const int64_t size = 100 + (i * 37) % 3900;
        const std::string digits = std::to_string(i);
        std::u16string name = u"S";
        for (char c : digits) name.push_back(static_cast<char16_t>(c));
        storage.CreateStream(name).WriteBuffer(chunk.data(), size);
        total += size;
    }
    return file;
}

// Writes the 200 MB test file from a child process, so that this process's peak memory shows
// the reading alone.
int64_t WriteTestFile(const std::string& path) {
    int64_t total = 0;
    const pid_t child = ::fork();
    if (child == 0) {
        BuildFile(200 << 20, total)->SaveToFile(path);
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    BuildFile(0, total);
    return total + (int64_t{200} << 20);
}

int64_t ReadAll(const platform::TCompoundStorage& storage, std::vector<uint8_t>& buffer) {
    int64_t total = 0;
    for (const auto& element : storage.Elements()) {
        if (element.IsStorage) {
            total += ReadAll(storage.OpenStorage(element.Name), buffer);
            continue;
        }
        auto stream = storage.OpenStream(element.Name);
        int64_t n;
        while ((n = stream->Read(buffer.data(), static_cast<int64_t>(buffer.size()))) > 0) total += n;
    }
    return total;
}

void BM_Write(benchmark::State& state) {
    int64_t total = 0;
    const auto file = BuildFile(state.range(0) << 20, total);
    const std::string path = FilePath();
    for (auto _ : state) file->SaveToFile(path);
    std::filesystem::remove(path);
    state.SetBytesProcessed(state.iterations() * total);
    state.counters["peak_MB"] = PeakMegabytes();
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_Write)
    ->Arg(50)
    ->Arg(100)
    ->Arg(200)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Complexity(benchmark::oN);

// The same without the file system: shows that laying out and writing the chains is linear.
void BM_WriteToNull(benchmark::State& state) {
    int64_t total = 0;
    const auto file = BuildFile(state.range(0) << 20, total);
    base::TFileStream null("/dev/null", base::fmOpenWrite);
    for (auto _ : state) file->SaveToStream(null);
    state.SetBytesProcessed(state.iterations() * total);
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_WriteToNull)
    ->Arg(50)
    ->Arg(100)
    ->Arg(200)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Complexity(benchmark::oN);

std::u16string StreamName(int i) {
    const std::string digits = std::to_string(i);
    return u"Stream " + std::u16string(digits.begin(), digits.end());
}

// Building a storage of many small streams and saving it, timed together: each new name must
// cost the same however many siblings it has.
void BM_BuildAndSaveStreams(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const std::vector<uint8_t> bytes(100, 7);
    base::TFileStream null("/dev/null", base::fmOpenWrite);
    for (auto _ : state) {
        platform::TCompoundFile file;
        auto& storage = file.Root().CreateStorage(u"Small");
        for (int i = 0; i < count; ++i) storage.CreateStream(StreamName(i)).WriteBuffer(bytes.data(), 100);
        file.SaveToStream(null);
    }
    state.SetItemsProcessed(state.iterations() * count);
    state.SetComplexityN(count);
}
BENCHMARK(BM_BuildAndSaveStreams)
    ->Arg(4000)
    ->Arg(16000)
    ->Arg(64000)
    ->Arg(256000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Complexity(benchmark::oN);

// Finding every stream of such a storage by name.
void BM_FindStreams(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    platform::TCompoundFile file;
    auto& storage = file.Root().CreateStorage(u"Small");
    for (int i = 0; i < count; ++i) storage.CreateStream(StreamName(i)).WriteBuffer("x", 1);
    for (auto _ : state)
        for (int i = 0; i < count; ++i) benchmark::DoNotOptimize(storage.HasStream(StreamName(i)));
    state.SetItemsProcessed(state.iterations() * count);
    state.SetComplexityN(count);
}
BENCHMARK(BM_FindStreams)
    ->Arg(4000)
    ->Arg(16000)
    ->Arg(64000)
    ->Arg(256000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Complexity(benchmark::oN);

// Building and saving one stream of 8 to 512 MB, timed together.
void BM_BuildAndSaveBytes(benchmark::State& state) {
    const int64_t bytes = state.range(0) << 20;
    std::vector<uint8_t> chunk(1 << 20);
    for (size_t i = 0; i < chunk.size(); ++i) chunk[i] = static_cast<uint8_t>(i * 131);
    base::TFileStream null("/dev/null", base::fmOpenWrite);
    for (auto _ : state) {
        platform::TCompoundFile file;
        auto& stream = file.Root().CreateStream(u"Workbook");
        for (int64_t done = 0; done < bytes; done += static_cast<int64_t>(chunk.size()))
            stream.WriteBuffer(chunk.data(), static_cast<int64_t>(chunk.size()));
        file.SaveToStream(null);
    }
    state.SetBytesProcessed(state.iterations() * bytes);
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_BuildAndSaveBytes)
    ->Arg(8)
    ->Arg(32)
    ->Arg(128)
    ->Arg(512)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Complexity(benchmark::oN);

void BM_ReadBack(benchmark::State& state) {
    const std::string path = FilePath();
    const int64_t total = WriteTestFile(path);
    std::vector<uint8_t> buffer(1 << 20);
    for (auto _ : state) {
        const auto file = platform::TCompoundFile::OpenFile(path);
        benchmark::DoNotOptimize(ReadAll(file->Root(), buffer));
    }
    std::filesystem::remove(path);
    state.SetBytesProcessed(state.iterations() * total);
    state.counters["peak_MB"] = PeakMegabytes();
}
BENCHMARK(BM_ReadBack)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_OlefileRead(benchmark::State& state) {
    const std::string path = FilePath();
    const int64_t total = WriteTestFile(path);
    const std::string command =
        "/usr/bin/python3 -c \"import olefile, sys\n"
        "o = olefile.OleFileIO(sys.argv[1])\n"
        "print(sum(len(o.openstream(e).read()) for e in o.listdir()))\" " +
        path + " >/dev/null";
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        if (std::system(command.c_str()) != 0) state.SkipWithError("olefile failed");
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::filesystem::remove(path);
    state.SetBytesProcessed(state.iterations() * total);
}
BENCHMARK(BM_OlefileRead)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

BENCHMARK_MAIN();
