#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace platform::testing {

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

// Whole files as bytes; a file that cannot be read or written raises std::runtime_error.
std::vector<uint8_t> ReadFileBytes(const std::string& fileName);
void WriteFileBytes(const std::string& fileName, const std::vector<uint8_t>& bytes);

// Debian's interpreter, which has the oracle modules (python3-xlrd, -openpyxl, -lxml, -pil...).
constexpr const char* Python = "/usr/bin/python3";

}  // namespace platform::testing
