#pragma once

#include <filesystem>
#include <string>

namespace pdf::test {

// A folder of its own under the system's temporary folder, removed with the object.
class TTempDir {
public:
    TTempDir();
    ~TTempDir();
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;

    std::string File(const std::string& name) const { return (Path_ / name).string(); }

private:
    std::filesystem::path Path_;
};

struct TCommandResult {
    int ExitCode;
    std::string Output;  // standard output and standard error
};

// Runs a shell command and collects what it prints.
TCommandResult RunCommand(const std::string& command);
// Runs a script with Debian's python3, which has the oracle modules.
TCommandResult RunPython(const std::string& script, const std::string& arguments);

std::string ReadFileBytes(const std::string& fileName);
void WriteFileBytes(const std::string& fileName, const std::string& bytes);

}  // namespace pdf::test
