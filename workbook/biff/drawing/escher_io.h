#pragma once

#include <cstdint>
#include <vector>

namespace xls {

class TXLSStream;

// An OfficeArt record header: version 4 bits, instance 12 bits, type, length.
struct TMSOHeader {
    uint16_t Version = 0;
    uint16_t Instance = 0;
    uint16_t Type = 0;
    uint32_t Length = 0;

    bool IsContainer() const;
};

// Reads exactly count bytes or raises: a record that ends early is a damaged drawing.
void ReadExact(TXLSStream& stream, void* buffer, int64_t count);
// Raises unless count bytes are left in the stream, so that no length read from a file can
// make a reader allocate more than the file holds.
void CheckAvailable(TXLSStream& stream, int64_t count);
std::vector<uint8_t> ReadBytes(TXLSStream& stream, int64_t count);
void SkipBytes(TXLSStream& stream, int64_t count);
uint16_t ReadU16(TXLSStream& stream);
uint32_t ReadU32(TXLSStream& stream);

TMSOHeader ReadMSOHeader(TXLSStream& stream);
TMSOHeader DecodeMSOHeader(const uint8_t* bytes);
void EncodeMSOHeader(const TMSOHeader& header, uint8_t* bytes);
void WriteMSOHeader(TXLSStream& stream, uint16_t version, uint16_t instance, uint16_t type, uint32_t length);
void WriteU16(TXLSStream& stream, uint16_t value);
void WriteU32(TXLSStream& stream, uint32_t value);

// A BIFF record length: refuses data that a 16-bit length cannot describe.
uint16_t CheckedRecordLength(int64_t length, const char* what);

}  // namespace xls
