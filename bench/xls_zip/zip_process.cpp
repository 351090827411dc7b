// Our archive code as a command of its own, so that the benchmark times it as a whole process
// beside unzip -p and zip -1:
//   xls_zip_process x ARCHIVE        writes every entry's content to standard output
//   xls_zip_process c ARCHIVE FOLDER adds every file under FOLDER (names relative to it)
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "base/exception.h"
#include "base/file_stream.h"
#include "workbook/ooxml/zip/zip_archive.h"

namespace {

// Standard output as a stream, written in large pieces like unzip does.
class TStdoutStream : public base::TStream {
public:
    ~TStdoutStream() override { Flush(); }
    int64_t Read(void*, int64_t) override { return 0; }
    int64_t Write(const void* buffer, int64_t count) override {
        const auto* bytes = static_cast<const char*>(buffer);
        if (Buffer_.size() + static_cast<size_t>(count) > Capacity) Flush();
        if (static_cast<size_t>(count) >= Capacity) return Put(bytes, static_cast<size_t>(count));
        Buffer_.insert(Buffer_.end(), bytes, bytes + count);
        return count;
    }
    int64_t Seek(int64_t, base::TSeekOrigin) override { return 0; }
    void Flush() {
        Put(Buffer_.data(), Buffer_.size());
        Buffer_.clear();
    }

private:
    static constexpr size_t Capacity = 1 << 18;
    static int64_t Put(const char* bytes, size_t count) {
        for (size_t done = 0; done < count;) {
            const ssize_t n = ::write(1, bytes + done, count - done);
            if (n <= 0) throw base::Exception("Cannot write to standard output");
            done += static_cast<size_t>(n);
        }
        return static_cast<int64_t>(count);
    }
    std::vector<char> Buffer_;
};

void Extract(const std::string& archiveName) {
    base::TFileStream file(archiveName, base::fmOpenRead);
    xls::TXLSZipArchive zip;
    zip.OpenFromStream(file);
    TStdoutStream out;
    for (int i = 0; i < zip.Count(); ++i) zip.GetFiles(i).ExtractToStream(out);
}

void Create(const std::string& archiveName, const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> files;
    for (const auto& item : std::filesystem::recursive_directory_iterator(folder))
        if (item.is_regular_file()) files.push_back(item.path());
    std::sort(files.begin(), files.end());
    base::TFileStream file(archiveName, base::fmCreate);
    xls::TXLSZipArchive zip;
    zip.OpenForWrite(file);
    for (const auto& path : files) {
        base::TFileStream source(path.string(), base::fmOpenRead);
        zip.AddStream(path.lexically_relative(folder).string(), source);
    }
    zip.Close();
}

}  // namespace

int main(int argc, char** argv) {
    try {
        const std::string mode = argc > 1 ? argv[1] : "";
        if (mode == "x" && argc == 3) {
            Extract(argv[2]);
            return 0;
        }
        if (mode == "c" && argc == 4) {
            Create(argv[2], argv[3]);
            return 0;
        }
        std::fprintf(stderr, "usage: %s x ARCHIVE | c ARCHIVE FOLDER\n", argv[0]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
    }
    return 1;
}
