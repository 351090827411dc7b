#include "workbook/ooxml/zip/zip_records.h"

namespace xls {

namespace {

void Put16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

void Put32(uint8_t* p, uint32_t v) {
    Put16(p, static_cast<uint16_t>(v));
    Put16(p + 2, static_cast<uint16_t>(v >> 16));
}

}  // namespace

uint16_t GetLE16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

uint32_t GetLE32(const uint8_t* p) { return GetLE16(p) | (static_cast<uint32_t>(GetLE16(p + 2)) << 16); }

std::array<uint8_t, TLocalFile::FixedSize> TLocalFile::Encode() const {
    std::array<uint8_t, FixedSize> b{};
    Put32(&b[0], LocalFileSignature);
    Put16(&b[4], VersionNeeded);
    Put16(&b[6], Flags);
    Put16(&b[8], Method);
    Put32(&b[10], DateTime);
    Put32(&b[14], Crc32);
    Put32(&b[18], CompressedSize);
    Put32(&b[22], UncompressedSize);
    Put16(&b[26], NameLength);
    Put16(&b[28], ExtraLength);
    return b;
}

TLocalFile TLocalFile::Decode(const uint8_t* b) {
    TLocalFile r;
    r.VersionNeeded = GetLE16(b + 4);
    r.Flags = GetLE16(b + 6);
    r.Method = GetLE16(b + 8);
    r.DateTime = GetLE32(b + 10);
    r.Crc32 = GetLE32(b + 14);
    r.CompressedSize = GetLE32(b + 18);
    r.UncompressedSize = GetLE32(b + 22);
    r.NameLength = GetLE16(b + 26);
    r.ExtraLength = GetLE16(b + 28);
    return r;
}

std::array<uint8_t, TCentralDirectoryFile::FixedSize> TCentralDirectoryFile::Encode() const {
    std::array<uint8_t, FixedSize> b{};
    Put32(&b[0], CentralFileSignature);
    Put16(&b[4], VersionMadeBy);
    Put16(&b[6], VersionNeeded);
    Put16(&b[8], Flags);
    Put16(&b[10], Method);
    Put32(&b[12], DateTime);
    Put32(&b[16], Crc32);
    Put32(&b[20], CompressedSize);
    Put32(&b[24], UncompressedSize);
    Put16(&b[28], NameLength);
    Put16(&b[30], ExtraLength);
    Put16(&b[32], CommentLength);
    Put16(&b[34], DiskNumberStart);
    Put16(&b[36], InternalAttributes);
    Put32(&b[38], ExternalAttributes);
    Put32(&b[42], LocalHeaderOffset);
    return b;
}

TCentralDirectoryFile TCentralDirectoryFile::Decode(const uint8_t* b) {
    TCentralDirectoryFile r;
    r.VersionMadeBy = GetLE16(b + 4);
    r.VersionNeeded = GetLE16(b + 6);
    r.Flags = GetLE16(b + 8);
    r.Method = GetLE16(b + 10);
    r.DateTime = GetLE32(b + 12);
    r.Crc32 = GetLE32(b + 16);
    r.CompressedSize = GetLE32(b + 20);
    r.UncompressedSize = GetLE32(b + 24);
    r.NameLength = GetLE16(b + 28);
    r.ExtraLength = GetLE16(b + 30);
    r.CommentLength = GetLE16(b + 32);
    r.DiskNumberStart = GetLE16(b + 34);
    r.InternalAttributes = GetLE16(b + 36);
    r.ExternalAttributes = GetLE32(b + 38);
    r.LocalHeaderOffset = GetLE32(b + 42);
    return r;
}

std::array<uint8_t, TEndRecord::FixedSize> TEndRecord::Encode() const {
    std::array<uint8_t, FixedSize> b{};
    Put32(&b[0], EndRecordSignature);
    Put16(&b[4], DiskNumber);
    Put16(&b[6], CentralDirDisk);
    Put16(&b[8], EntriesOnDisk);
    Put16(&b[10], EntriesTotal);
    Put32(&b[12], CentralDirSize);
    Put32(&b[16], CentralDirOffset);
    Put16(&b[20], CommentLength);
    return b;
}

TEndRecord TEndRecord::Decode(const uint8_t* b) {
    TEndRecord r;
    r.DiskNumber = GetLE16(b + 4);
    r.CentralDirDisk = GetLE16(b + 6);
    r.EntriesOnDisk = GetLE16(b + 8);
    r.EntriesTotal = GetLE16(b + 10);
    r.CentralDirSize = GetLE32(b + 12);
    r.CentralDirOffset = GetLE32(b + 16);
    r.CommentLength = GetLE16(b + 20);
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
