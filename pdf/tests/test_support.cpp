#include "pdf/tests/test_support.h"

#include <unistd.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace pdf::test {

TTempDir::TTempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "pdf_tests_XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    Path_ = pattern;
}

TTempDir::~TTempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(Path_, ignored);
}

TCommandResult RunCommand(const std::string& command) {
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe) throw std::runtime_error("popen failed");
    std::string output;
    std::array<char, 4096> buffer;
    size_t count;
    while ((count = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) output.append(buffer.data(), count);
    const int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

TCommandResult RunPython(const std::string& script, const std::string& arguments) {
    TTempDir dir;
    const std::string scriptFile = dir.File("oracle.py");
    WriteFileBytes(scriptFile, script);
    return RunCommand("/usr/bin/python3 " + scriptFile + " " + arguments);
}

std::string ReadFileBytes(const std::string& fileName) {
    std::ifstream in(fileName, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + fileName);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFileBytes(const std::string& fileName, const std::string& bytes) {
    std::ofstream out(fileName, std::ios::binary);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + fileName);
}

}  // namespace pdf::test
