#pragma once

#include <QImage>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/skinpack/package_writer.h"

namespace skin::testing {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TTempDir {
public:
    TTempDir();
    ~TTempDir();
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;
    std::string operator/(const std::string& name) const { return (Path_ / name).string(); }

private:
    std::filesystem::path Path_;
};

struct TCommandResult {
    int ExitCode = -1;
    std::string Output;  // standard output and standard error
};
TCommandResult RunCommand(const std::string& commandLine);

std::vector<uint8_t> ReadFileBytes(const std::string& fileName);
void WriteFileBytes(const std::string& fileName, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> TextBytes(const std::string& text);

// Bytes that mix runs, text and noise, the same for the same seed.
std::vector<uint8_t> SampleBytes(size_t size, uint32_t seed);

// A BMP file of the given size: frames of distinct colours, magenta in the corners.
std::vector<uint8_t> BmpBytes(int width, int height, QRgb colour = qRgb(40, 120, 200));

// A package of the given entries, packed by our packer.
std::vector<uint8_t> Package(const std::vector<skinpack::TPackageEntry>& entries);

constexpr const char* Python = "/usr/bin/python3";

}  // namespace skin::testing
