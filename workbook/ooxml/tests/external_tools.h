#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace xls::testing {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TTempDir {
public:
    TTempDir();
    ~TTempDir();
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;

    const std::filesystem::path& Path() const { return Path_; }
    std::string operator/(const std::string& name) const { return (Path_ / name).string(); }

private:
    std::filesystem::path Path_;
};

struct TCommandResult {
    int ExitCode = -1;
    std::string Output;  // standard output and standard error
};

// Runs a shell command line and collects what it prints.
TCommandResult RunCommand(const std::string& commandLine);

// Quotes text for the shell.
std::string ShellQuote(const std::string& text);

std::vector<uint8_t> ReadFileBytes(const std::string& fileName);
void WriteFileBytes(const std::string& fileName, const std::vector<uint8_t>& bytes);

// Bytes that mix compressible text and noise, the same for the same seed.
std::vector<uint8_t> SampleBytes(size_t size, uint32_t seed);

constexpr const char* Python = "/usr/bin/python3";

}  // namespace xls::testing
