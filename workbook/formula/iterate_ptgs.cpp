#include "workbook/formula/iterate_ptgs.h"

#include "base/byte_reader.h"
#include "workbook/formula/ptg_tokens.h"

namespace xls {

TXLSIteratePtgs::TXLSIteratePtgs(uint8_t* ptgs, int32_t length) : Position(ptgs), Remaining(length) {}

bool TXLSIteratePtgs::Next() {
    if (Remaining <= 0) return false;
    const size_t avail = static_cast<size_t>(Remaining);
    // The prefixes frame the stream only as its first token.
    const bool prefix = First && (Position[0] == xptgBiff || Position[0] == xptgExtra);
    const size_t width = PtgTokenWidth(Position, avail, Biff);
    if (width == 0) {
        Remaining = 0;
        return false;
    }
    size_t consumed = width;
    if (prefix) {
        Biff = true;
        if (Position[0] == xptgExtra) consumed += base::LoadLE16(Position + 1);
        if (consumed > avail) consumed = avail;
    }
    First = false;
    Token = Position;
    Width = width;
    Position += width;
    Remaining -= static_cast<int32_t>(consumed);
    return true;
}

}  // namespace xls
