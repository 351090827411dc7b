#pragma once

#include <QImage>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/testing/test_files.h"
#include "tools/skinpack/package_writer.h"

namespace skin::testing {

using platform::testing::Python;
using platform::testing::ReadFileBytes;
using platform::testing::RunCommand;
using platform::testing::TCommandResult;
using platform::testing::TTempDir;
using platform::testing::WriteFileBytes;

std::vector<uint8_t> TextBytes(const std::string& text);

// Bytes that mix runs, text and noise, the same for the same seed.
std::vector<uint8_t> SampleBytes(size_t size, uint32_t seed);

// A BMP file of the given size: frames of distinct colours, magenta in the corners.
std::vector<uint8_t> BmpBytes(int width, int height, QRgb colour = qRgb(40, 120, 200));

// A package of the given entries, packed by our packer.
std::vector<uint8_t> Package(const std::vector<skinpack::TPackageEntry>& entries);

}  // namespace skin::testing
