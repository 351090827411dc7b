#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace skinpack {

struct TPackageEntry {
    std::string Name;
    std::vector<uint8_t> Data;
};

// The container: version tag 70000, the names length, eight zero bytes, the tag's skipped
// block (zeros), the names separated by CR LF, the 32-bit sizes and the data in that order.
// Raises base::Exception for names the reader could not give back (empty, holding a line
// break or a zero byte) and for more entries than a package holds.
std::vector<uint8_t> BuildContainer(const std::vector<TPackageEntry>& entries);
// The package: the container's size as a 32-bit integer, then its LZHUF stream.
std::vector<uint8_t> PackContainer(std::span<const uint8_t> container);
// Every regular file of the folder, by name, the INI text last.
std::vector<TPackageEntry> ReadFolder(const std::string& folder);

}  // namespace skinpack
