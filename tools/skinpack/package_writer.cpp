#include "tools/skinpack/package_writer.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "base/byte_reader.h"
#include "base/exception.h"
#include "skin/skin_reader.h"
#include "skin/skin_text.h"
#include "tools/skinpack/lzh_encoder.h"

namespace skinpack {

namespace {

constexpr skin::TSkinPackageVersion WrittenVersion = skin::SkinPackageVersions[5];

}  // namespace

std::vector<uint8_t> BuildContainer(const std::vector<TPackageEntry>& entries) {
    if (entries.empty() || entries.size() > skin::SkinMaxEntries)
        throw base::Exception("A skin package holds 1 to 1001 entries");
    std::string names;
    for (const TPackageEntry& e : entries) {
        if (e.Name.empty() || e.Name.find_first_of(std::string("\r\n\0", 3)) != std::string::npos)
            throw base::Exception("Entry name not storable in a skin package: \"" + e.Name + "\"");
        if (!names.empty()) names += "\r\n";
        names += e.Name;
    }
    std::vector<uint8_t> out;
    base::AppendLE32(out, WrittenVersion.Tag);
    base::AppendLE32(out, static_cast<uint32_t>(names.size()));
    out.resize(out.size() + 8 + WrittenVersion.SkippedBlock, 0);
    out.insert(out.end(), names.begin(), names.end());
    for (const TPackageEntry& e : entries) base::AppendLE32(out, static_cast<uint32_t>(e.Data.size()));
    for (const TPackageEntry& e : entries) out.insert(out.end(), e.Data.begin(), e.Data.end());
    if (out.size() > static_cast<size_t>(skin::SkinMaxUnpackedSize))
        throw base::Exception("The skin package would be larger than a reader accepts");
    return out;
}

std::vector<uint8_t> PackContainer(std::span<const uint8_t> container) {
    std::vector<uint8_t> out;
    base::AppendLE32(out, static_cast<uint32_t>(container.size()));
    const std::vector<uint8_t> stream = LzhEncode(container);
    out.insert(out.end(), stream.begin(), stream.end());
    return out;
}

std::vector<TPackageEntry> ReadFolder(const std::string& folder) {
    std::vector<TPackageEntry> entries;
    for (const auto& item : std::filesystem::directory_iterator(folder)) {
        if (!item.is_regular_file()) continue;
        std::ifstream file(item.path(), std::ios::binary);
        if (!file) throw base::EFOpenError("Cannot open \"" + item.path().string() + "\"");
        entries.push_back({item.path().filename().string(), std::vector<uint8_t>(std::istreambuf_iterator<char>(file),
                                                                                 std::istreambuf_iterator<char>())});
    }
    auto isIni = [](const TPackageEntry& e) { return skin::AsciiLower(e.Name).ends_with(".ini"); };
    std::sort(entries.begin(), entries.end(), [&](const TPackageEntry& a, const TPackageEntry& b) {
        return isIni(a) != isIni(b) ? isIni(b) : a.Name < b.Name;
    });
    return entries;
}

}  // namespace skinpack
