#include "workbook/biff/drawing/escher_io.h"

#include "base/byte_reader.h"
#include "workbook/biff/biff_error.h"
#include "workbook/biff/drawing/escher_format.h"
#include "workbook/biff/xls_stream.h"

namespace xls {

bool TMSOHeader::IsContainer() const { return Version == MSOContainerVersion; }

void ReadExact(TXLSStream& stream, void* buffer, int64_t count) {
    if (count < 0 || stream.Read(buffer, count) != count) throw EBIFFError("Unexpected end of the drawing data");
}

void CheckAvailable(TXLSStream& stream, int64_t count) {
    const int64_t position = stream.Position();
    const int64_t end = stream.Seek(0, 2);
    stream.Seek(position, 0);
    if (count < 0 || count > end - position) throw EBIFFError("Unexpected end of the drawing data");
}

std::vector<uint8_t> ReadBytes(TXLSStream& stream, int64_t count) {
    CheckAvailable(stream, count);
    std::vector<uint8_t> bytes(static_cast<size_t>(count));
    ReadExact(stream, bytes.data(), count);
    return bytes;
}

void SkipBytes(TXLSStream& stream, int64_t count) {
    // Read rather than seek: the bytes may run on through CONTINUE records.
    uint8_t piece[4096];
    while (count > 0) {
        const int64_t n = count < int64_t(sizeof piece) ? count : int64_t(sizeof piece);
        ReadExact(stream, piece, n);
        count -= n;
    }
}

uint16_t ReadU16(TXLSStream& stream) {
    uint8_t bytes[2];
    ReadExact(stream, bytes, 2);
    return base::LoadLE16(bytes);
}

uint32_t ReadU32(TXLSStream& stream) {
    uint8_t bytes[4];
    ReadExact(stream, bytes, 4);
    return base::LoadLE32(bytes);
}

TMSOHeader DecodeMSOHeader(const uint8_t* bytes) {
    TMSOHeader header;
    const uint16_t verInst = base::LoadLE16(bytes);
    header.Version = verInst & 0x0F;
    header.Instance = verInst >> 4;
    header.Type = base::LoadLE16(bytes + 2);
    header.Length = base::LoadLE32(bytes + 4);
    return header;
}

void EncodeMSOHeader(const TMSOHeader& header, uint8_t* bytes) {
    base::StoreLE16(bytes, static_cast<uint16_t>((header.Version & 0x0F) | header.Instance << 4));
    base::StoreLE16(bytes + 2, header.Type);
    base::StoreLE32(bytes + 4, header.Length);
}

TMSOHeader ReadMSOHeader(TXLSStream& stream) {
    uint8_t bytes[8];
    ReadExact(stream, bytes, 8);
    return DecodeMSOHeader(bytes);
}

void WriteMSOHeader(TXLSStream& stream, uint16_t version, uint16_t instance, uint16_t type, uint32_t length) {
    stream.WriteEscherHeader(version, instance, length, type);
}

void WriteU16(TXLSStream& stream, uint16_t value) {
    uint8_t bytes[2];
    base::StoreLE16(bytes, value);
    stream.Write(bytes, 2);
}

void WriteU32(TXLSStream& stream, uint32_t value) {
    uint8_t bytes[4];
    base::StoreLE32(bytes, value);
    stream.Write(bytes, 4);
}

uint16_t CheckedRecordLength(int64_t length, const char* what) {
    if (length < 0 || length > MAXRECSZ_97)
        throw EBIFFError(std::string(what) + " is too large for one record (" + std::to_string(length) + " bytes)");
    return static_cast<uint16_t>(length);
}

}  // namespace xls
