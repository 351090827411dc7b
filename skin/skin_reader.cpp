#include "skin/skin_reader.h"

#include <algorithm>

#include "base/byte_reader.h"
#include "skin/lzh.h"
#include "skin/skin_text.h"

namespace skin {

namespace {

constexpr const char* DamagedText = "The skin package is damaged";
// A coded symbol takes at least one bit and a match at least ten (its length and its position),
// so no byte of LZHUF input stands for more than this many bytes of output.
constexpr int64_t LzhMostBytesPerInputByte = 48;

[[noreturn]] void Damaged() { throw ESkinPackageError(DamagedText); }

// Lines end at CR, LF or CR LF; a line break at the end adds no empty line; a zero byte ends
// the text.
std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    size_t i = 0;
    while (i < text.size() && text[i] != '\0') {
        const size_t start = i;
        while (i < text.size() && text[i] != '\0' && text[i] != '\r' && text[i] != '\n') ++i;
        lines.emplace_back(text.substr(start, i - start));
        if (i < text.size() && text[i] == '\r') ++i;
        if (i < text.size() && text[i] == '\n') ++i;
    }
    return lines;
}

}  // namespace

std::vector<uint8_t> TSkinReader::Unpack(std::span<const uint8_t> package) {
    base::TByteReader reader(package, Damaged);
    const int64_t size = reader.I32LE();
    if (size < static_cast<int64_t>(SkinHeaderSize) || size > SkinMaxUnpackedSize ||
        size > static_cast<int64_t>(reader.Remaining()) * LzhMostBytesPerInputByte)
        throw ESkinPackageError("The skin package's unpacked size is not plausible");
    return TLZH::Decode(reader.Bytes(reader.Remaining()), static_cast<size_t>(size));
}

bool TSkinReader::LoadPackage(std::span<const uint8_t> package) {
    Names_.clear();
    Sizes_.clear();
    Offsets_.clear();
    Data_.clear();
    ErrorText_.clear();
    std::vector<uint8_t> container = Unpack(package);
    Tag_ = base::LoadLE32(container.data());
    const auto version = std::find_if(std::begin(SkinPackageVersions), std::end(SkinPackageVersions),
                                      [&](const TSkinPackageVersion& v) { return v.Tag == Tag_; });
    if (version == std::end(SkinPackageVersions)) {
        ErrorText_ = OlderSkinFileText;
        return false;
    }
    try {
        ReadContainer(container, version->SkippedBlock);
    } catch (...) {
        Names_.clear();
        Sizes_.clear();
        Offsets_.clear();
        throw;
    }
    Data_ = std::move(container);
    return true;
}

void TSkinReader::ReadContainer(std::span<const uint8_t> container, size_t skipped) {
    base::TByteReader reader(container, Damaged);
    reader.Skip(4);
    const int32_t namesLength = reader.I32LE();
    reader.Skip(8 + skipped);
    if (namesLength <= 0 || static_cast<uint32_t>(namesLength) > reader.Remaining())
        throw ESkinPackageError("The skin package's name list does not fit its data");
    const auto nameBytes = reader.Bytes(static_cast<size_t>(namesLength));
    std::vector<std::string> names =
        SplitLines(std::string_view(reinterpret_cast<const char*>(nameBytes.data()), nameBytes.size()));
    if (names.empty() || names.size() > SkinMaxEntries)
        throw ESkinPackageError("The skin package lists no entries or more than 1001");
    if (!reader.Has(4 * names.size())) Damaged();
    uint64_t offset = reader.Position() + 4 * names.size();
    for (size_t i = 0; i < names.size(); ++i) {
        const int32_t size = reader.I32LE();
        if (size < 0) throw ESkinPackageError("The skin package has an entry of negative size");
        Sizes_.push_back(static_cast<uint32_t>(size));
        Offsets_.push_back(offset);
        offset += static_cast<uint32_t>(size);
    }
    if (offset > container.size()) throw ESkinPackageError("The skin package's entries do not fit its data");
    Names_ = std::move(names);
}

std::span<const uint8_t> TSkinReader::Entry(size_t index) const {
    return std::span<const uint8_t>(Data_).subspan(Offsets_[index], Sizes_[index]);
}

std::span<const uint8_t> TSkinReader::GetEntry(std::string_view name) const {
    for (size_t i = 0; i < Names_.size(); ++i)
        if (SameTextNoCase(Names_[i], name)) return Entry(i);
    return {};
}

std::span<const uint8_t> TSkinReader::FindEntry(std::string_view text, std::string& entryName) const {
    for (size_t i = 0; i < Names_.size(); ++i) {
        if (Names_[i].find(text) != std::string::npos) {
            entryName = Names_[i];
            return Entry(i);
        }
    }
    return {};
}

}  // namespace skin
