#pragma once

#include <cstdint>
#include <vector>

#include "workbook/biff/drawing/escher_io.h"

namespace xls {

class TXLSStream;

// Reads OfficeArt data that runs through consecutive BIFF records: a sheet drawing through its
// MSODRAWING records (and CONTINUE records; IMDATA records between them are passed over), the
// drawing group through MSODRAWINGGROUP and CONTINUE records. A read crosses into the next
// record only when the current one is used up, so data that a record's length does not cover
// is never taken for drawing data.
class TEscherReader {
public:
    // The stream stands at the body of the first record, whose header announced length bytes.
    TEscherReader(TXLSStream& stream, uint16_t length, bool drawingGroup);

    void Read(void* buffer, int64_t count);
    std::vector<uint8_t> Take(int64_t count);
    void Skip(int64_t count);
    TMSOHeader Header();
    // Bytes left in the current record.
    int64_t Left() const { return Left_; }
    // When the current record is used up and the next record carries drawing data, moves into
    // it and returns true.
    bool EnterNextDrawingRecord();
    TXLSStream& Stream() { return Stream_; }

private:
    void NextRecord();

    TXLSStream& Stream_;
    int64_t Left_;
    bool Group_;
};

}  // namespace xls
