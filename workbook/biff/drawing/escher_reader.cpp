#include "workbook/biff/drawing/escher_reader.h"

#include <algorithm>

#include "workbook/biff/biff_error.h"
#include "workbook/biff/drawing/escher_format.h"
#include "workbook/biff/xls_stream.h"

namespace xls {

TEscherReader::TEscherReader(TXLSStream& stream, uint16_t length, bool drawingGroup)
    : Stream_(stream), Left_(length), Group_(drawingGroup) {
    // This reader follows the records itself.
    stream.EndContinueRead();
}

void TEscherReader::NextRecord() {
    bool afterImdata = false;
    for (;;) {
        TBIFFHeader header;
        if (Stream_.ReadHeader(header) != 4) throw EBIFFError("Unexpected end of the drawing data");
        if (Group_) {
            if (header.RecID != BIFFRECID_MSODRAWINGGROUP && header.RecID != BIFFRECID_CONTINUE)
                throw EBIFFError("Expected record missing: MSODRAWINGGROUP");
        } else if (header.RecID == BIFFRECID_IMDATA || (afterImdata && header.RecID == BIFFRECID_CONTINUE)) {
            SkipBytes(Stream_, header.Length);
            afterImdata = true;
            continue;
        } else if (header.RecID != BIFFRECID_MSODRAWING && header.RecID != BIFFRECID_CONTINUE) {
            throw EBIFFError("Expected record missing: MSODRAWING");
        }
        Left_ = header.Length;
        return;
    }
}

void TEscherReader::Read(void* buffer, int64_t count) {
    auto* bytes = static_cast<uint8_t*>(buffer);
    while (count > 0) {
        if (Left_ == 0) NextRecord();
        const int64_t piece = std::min(count, Left_);
        ReadExact(Stream_, bytes, piece);
        bytes += piece;
        count -= piece;
        Left_ -= piece;
    }
}

std::vector<uint8_t> TEscherReader::Take(int64_t count) {
    CheckAvailable(Stream_, count);
    std::vector<uint8_t> bytes(static_cast<size_t>(count));
    Read(bytes.data(), count);
    return bytes;
}

void TEscherReader::Skip(int64_t count) {
    uint8_t piece[4096];
    while (count > 0) {
        const int64_t n = std::min<int64_t>(count, sizeof piece);
        Read(piece, n);
        count -= n;
    }
}

TMSOHeader TEscherReader::Header() {
    uint8_t bytes[8];
    Read(bytes, 8);
    return DecodeMSOHeader(bytes);
}

bool TEscherReader::EnterNextDrawingRecord() {
    if (Left_ > 0) return false;
    const uint16_t id = Stream_.PeekRecordId();
    if (id != (Group_ ? BIFFRECID_MSODRAWINGGROUP : BIFFRECID_MSODRAWING)) return false;
    NextRecord();
    return true;
}

}  // namespace xls
