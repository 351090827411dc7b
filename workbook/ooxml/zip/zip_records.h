#pragma once

#include <array>
#include <cstdint>
#include <ctime>
#include <string>

namespace xls {

constexpr uint32_t LocalFileSignature = 0x04034B50;
constexpr uint32_t CentralFileSignature = 0x02014B50;
constexpr uint32_t EndRecordSignature = 0x06054B50;

constexpr uint16_t ZipVersion = 20;
constexpr uint16_t FlagEncrypted = 0x0001;
constexpr uint16_t FlagDataDescriptor = 0x0008;
constexpr uint16_t FlagUtf8Name = 0x0800;
constexpr uint32_t AttrArchive = 0x20;
constexpr uint32_t AttrDirectory = 0x10;

// Local file header: 30 bytes, then the name and the extra field.
struct TLocalFile {
    static constexpr int64_t FixedSize = 30;
    uint16_t VersionNeeded = ZipVersion;
    uint16_t Flags = 0;
    uint16_t Method = 0;
    uint32_t DateTime = 0;  // MS-DOS time in the low word, date in the high word
    uint32_t Crc32 = 0;
    uint32_t CompressedSize = 0;
    uint32_t UncompressedSize = 0;
    uint16_t NameLength = 0;
    uint16_t ExtraLength = 0;
    std::string Name;
    std::string Extra;
    int64_t DataStart = 0;  // stream offset of the entry's data

    std::array<uint8_t, FixedSize> Encode() const;
    // The signature is checked by the caller.
    static TLocalFile Decode(const uint8_t* bytes);
};

// Central directory header: 46 bytes, then name, extra field and comment.
struct TCentralDirectoryFile {
    static constexpr int64_t FixedSize = 46;
    uint16_t VersionMadeBy = ZipVersion;
    uint16_t VersionNeeded = ZipVersion;
    uint16_t Flags = 0;
    uint16_t Method = 0;
    uint32_t DateTime = 0;
    uint32_t Crc32 = 0;
    uint32_t CompressedSize = 0;
    uint32_t UncompressedSize = 0;
    uint16_t NameLength = 0;
    uint16_t ExtraLength = 0;
    uint16_t CommentLength = 0;
    uint16_t DiskNumberStart = 0;
    uint16_t InternalAttributes = 0;
    uint32_t ExternalAttributes = AttrArchive;
    uint32_t LocalHeaderOffset = 0;
    std::string Name;
    std::string Extra;
    std::string Comment;

    std::array<uint8_t, FixedSize> Encode() const;
    static TCentralDirectoryFile Decode(const uint8_t* bytes);
};

// End of central directory record: 22 bytes.
struct TEndRecord {
    static constexpr int64_t FixedSize = 22;
    uint16_t DiskNumber = 0;
    uint16_t CentralDirDisk = 0;
    uint16_t EntriesOnDisk = 0;
    uint16_t EntriesTotal = 0;
    uint32_t CentralDirSize = 0;
    uint32_t CentralDirOffset = 0;
    uint16_t CommentLength = 0;

    std::array<uint8_t, FixedSize> Encode() const;
    static TEndRecord Decode(const uint8_t* bytes);
};

// MS-DOS date and time of a local time; 0 outside the years 1980..2107.
uint32_t DosDateTime(const std::tm& local);
// The current local time in MS-DOS form.
uint32_t DosDateTimeNow();

}  // namespace xls
