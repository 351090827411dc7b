#include "workbook/ooxml/zip/zip_records.h"

#include "base/byte_reader.h"

namespace xls {

using base::LoadLE16;
using base::LoadLE32;
using base::StoreLE16;
using base::StoreLE32;

std::array<uint8_t, TLocalFile::FixedSize> TLocalFile::Encode() const {
    std::array<uint8_t, FixedSize> b{};
    StoreLE32(&b[0], LocalFileSignature);
    StoreLE16(&b[4], VersionNeeded);
    StoreLE16(&b[6], Flags);
    StoreLE16(&b[8], Method);
    StoreLE32(&b[10], DateTime);
    StoreLE32(&b[14], Crc32);
    StoreLE32(&b[18], CompressedSize);
    StoreLE32(&b[22], UncompressedSize);
    StoreLE16(&b[26], NameLength);
    StoreLE16(&b[28], ExtraLength);
    return b;
}

TLocalFile TLocalFile::Decode(const uint8_t* b) {
    TLocalFile r;
    r.VersionNeeded = LoadLE16(b + 4);
    r.Flags = LoadLE16(b + 6);
    r.Method = LoadLE16(b + 8);
    r.DateTime = LoadLE32(b + 10);
    r.Crc32 = LoadLE32(b + 14);
    r.CompressedSize = LoadLE32(b + 18);
    r.UncompressedSize = LoadLE32(b + 22);
    r.NameLength = LoadLE16(b + 26);
    r.ExtraLength = LoadLE16(b + 28);
    return r;
}

std::array<uint8_t, TCentralDirectoryFile::FixedSize> TCentralDirectoryFile::Encode() const {
    std::array<uint8_t, FixedSize> b{};
    StoreLE32(&b[0], CentralFileSignature);
    StoreLE16(&b[4], VersionMadeBy);
    StoreLE16(&b[6], VersionNeeded);
    StoreLE16(&b[8], Flags);
    StoreLE16(&b[10], Method);
    StoreLE32(&b[12], DateTime);
    StoreLE32(&b[16], Crc32);
    StoreLE32(&b[20], CompressedSize);
    StoreLE32(&b[24], UncompressedSize);
    StoreLE16(&b[28], NameLength);
    StoreLE16(&b[30], ExtraLength);
    StoreLE16(&b[32], CommentLength);
    StoreLE16(&b[34], DiskNumberStart);
    StoreLE16(&b[36], InternalAttributes);
    StoreLE32(&b[38], ExternalAttributes);
    StoreLE32(&b[42], LocalHeaderOffset);
    return b;
}

TCentralDirectoryFile TCentralDirectoryFile::Decode(const uint8_t* b) {
    TCentralDirectoryFile r;
    r.VersionMadeBy = LoadLE16(b + 4);
    r.VersionNeeded = LoadLE16(b + 6);
    r.Flags = LoadLE16(b + 8);
    r.Method = LoadLE16(b + 10);
    r.DateTime = LoadLE32(b + 12);
    r.Crc32 = LoadLE32(b + 16);
    r.CompressedSize = LoadLE32(b + 20);
    r.UncompressedSize = LoadLE32(b + 24);
    r.NameLength = LoadLE16(b + 28);
    r.ExtraLength = LoadLE16(b + 30);
    r.CommentLength = LoadLE16(b + 32);
    r.DiskNumberStart = LoadLE16(b + 34);
    r.InternalAttributes = LoadLE16(b + 36);
    r.ExternalAttributes = LoadLE32(b + 38);
    r.LocalHeaderOffset = LoadLE32(b + 42);
    return r;
}

std::array<uint8_t, TEndRecord::FixedSize> TEndRecord::Encode() const {
    std::array<uint8_t, FixedSize> b{};
    StoreLE32(&b[0], EndRecordSignature);
    StoreLE16(&b[4], DiskNumber);
    StoreLE16(&b[6], CentralDirDisk);
    StoreLE16(&b[8], EntriesOnDisk);
    StoreLE16(&b[10], EntriesTotal);
    StoreLE32(&b[12], CentralDirSize);
    StoreLE32(&b[16], CentralDirOffset);
    StoreLE16(&b[20], CommentLength);
    return b;
}

TEndRecord TEndRecord::Decode(const uint8_t* b) {
    TEndRecord r;
    r.DiskNumber = LoadLE16(b + 4);
    r.CentralDirDisk = LoadLE16(b + 6);
    r.EntriesOnDisk = LoadLE16(b + 8);
    r.EntriesTotal = LoadLE16(b + 10);
    r.CentralDirSize = LoadLE32(b + 12);
    r.CentralDirOffset = LoadLE32(b + 16);
    r.CommentLength = LoadLE16(b + 20);
    return r;
}

uint32_t DosDateTime(const std::tm& local) {
    const int year = local.tm_year + 1900;
    if (year < 1980 || year > 2107) return 0;
    const uint32_t time = static_cast<uint32_t>(local.tm_sec / 2 + local.tm_min * 32 + local.tm_hour * 2048);
    const uint32_t date = static_cast<uint32_t>(local.tm_mday + (local.tm_mon + 1) * 32 + (year - 1980) * 512);
    return time | (date << 16);
}

uint32_t DosDateTimeNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return DosDateTime(local);
}

}  // namespace xls
