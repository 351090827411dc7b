#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/exception.h"

namespace skin {

// Raised for a damaged skin package: sizes, counts or lengths that do not fit its data.
class ESkinPackageError : public base::Exception {
public:
    using base::Exception::Exception;
};

// The container's version tags and the length of the block each one skips after the header.
struct TSkinPackageVersion {
    uint32_t Tag;
    uint32_t SkippedBlock;
};
inline constexpr TSkinPackageVersion SkinPackageVersions[] = {{20000, 0},  {30000, 256}, {40000, 80},
                                                              {50000, 48}, {60000, 117}, {70000, 69}};
inline constexpr size_t SkinHeaderSize = 16;
inline constexpr size_t SkinMaxEntries = 1001;
// A package unpacks to a few hundred kilobytes; anything claiming more than this is damaged.
inline constexpr int64_t SkinMaxUnpackedSize = 64 * 1024 * 1024;
inline constexpr const char* OlderSkinFileText = "This is Older Skin File\rPlease update to new version !";

// Unpacks a skin package (a 32-bit unpacked size and the LZHUF stream of the container) and
// serves its entries by name.
class TSkinReader {
public:
    // Unpacks and reads the container. False (with OlderSkinFileText as ErrorText) for a tag that
    // is not one of the known versions; ElzhException or ESkinPackageError for damaged data.
    bool LoadPackage(std::span<const uint8_t> package);
    const std::string& ErrorText() const { return ErrorText_; }

    // The entry whose stored name equals Name, compared without regard to ASCII case; empty
    // when there is none. The bytes stay valid until the next load.
    std::span<const uint8_t> GetEntry(std::string_view name) const;
    // The first entry, in list order, whose stored name contains Text (case-sensitive); its
    // stored name goes to entryName. Empty, with entryName unchanged, when there is none.
    std::span<const uint8_t> FindEntry(std::string_view text, std::string& entryName) const;

    const std::vector<std::string>& Names() const { return Names_; }
    const std::vector<uint32_t>& Sizes() const { return Sizes_; }
    uint32_t Tag() const { return Tag_; }

    // The container inside a package, unchecked beyond its size field (for tools and tests).
    static std::vector<uint8_t> Unpack(std::span<const uint8_t> package);

private:
    void ReadContainer(std::span<const uint8_t> container, size_t skipped);
    std::span<const uint8_t> Entry(size_t index) const;

    std::vector<std::string> Names_;
    std::vector<uint32_t> Sizes_;
    std::vector<uint64_t> Offsets_;
    std::vector<uint8_t> Data_;
    uint32_t Tag_ = 0;
    std::string ErrorText_;
};

}  // namespace skin
