#pragma once

#include <cstdint>
#include <vector>

#include "platform/testing/test_files.h"

namespace xls::testing {

using platform::testing::Python;
using platform::testing::ReadFileBytes;
using platform::testing::RunCommand;
using platform::testing::ShellQuote;
using platform::testing::TCommandResult;
using platform::testing::TTempDir;
using platform::testing::WriteFileBytes;

// Bytes that mix compressible text and noise, the same for the same seed.
std::vector<uint8_t> SampleBytes(size_t size, uint32_t seed);

}  // namespace xls::testing
