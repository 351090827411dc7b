#include "workbook/formula/ptg_tokens.h"

#include "base/byte_reader.h"
#include "base/format.h"
#include "workbook/model/cell_error.h"
#include "workbook/model/exceptions.h"

namespace xls {

namespace {

// Width of a token whose head of headSize bytes tells the rest; 0 when the head does not fit.
size_t Described(size_t avail, size_t headSize, size_t width) { return avail < headSize ? 0 : width; }

}  // namespace

size_t PtgTokenWidth(const uint8_t* token, size_t avail, bool biff) {
    if (avail == 0) return 0;
    const uint8_t id = token[0];
    if (id == 0) throw EXLSError("Illegal ptgs");
    size_t width = 0;
    switch (PtgToRefClass(id)) {
        case ptgStr:
            if (avail < 3) return 0;
            width = 3 + size_t(token[1]) * (token[2] == 0 ? 1 : 2);
            break;
        case ptgAttr:
            if (avail < 4) return 0;
            width = (token[1] & ptgAttrChoose) ? 6 + 2 * size_t(base::LoadLE16(token + 2)) : 4;
            break;
        case xptgStr:
            if (avail < 3) return 0;
            width = 3 + 2 * size_t(base::LoadLE16(token + 1));
            break;
        case xptgUserFunc:
            if (avail < 4) return 0;
            width = 4 + 2 * size_t(base::LoadLE16(token + 2));
            break;
        case xptgExtra: width = Described(avail, 3, 3); break;
        case ptgIsect: width = biff ? 1 : 2; break;
        default: {
            const int32_t entry = PtgLengths[id];
            if (entry < 0) throw EXLSError(base::Format("Unknown ptgs %.2X", {unsigned(id)}));
            width = size_t(entry);
        }
    }
    return width <= avail ? width : 0;
}

uint8_t GetFormulaRefArea(const IXLSExternSheets* externSheets, const uint8_t* ptgs, size_t length, TXLSRefArea& area) {
    if (length == 14 && ptgs[0] == xptgArea3d) {
        area.Row1 = static_cast<int32_t>(base::LoadLE32(ptgs + 1));
        area.Row2 = static_cast<int32_t>(base::LoadLE32(ptgs + 5));
        area.Col1 = base::LoadLE16(ptgs + 9);
        area.Col2 = base::LoadLE16(ptgs + 11);
        area.Sheet = ptgs[13];
        return 2;
    }
    if (length == 8 && ptgs[0] == xptgRef3d) {
        area.Row1 = area.Row2 = static_cast<int32_t>(base::LoadLE32(ptgs + 1));
        area.Col1 = area.Col2 = base::LoadLE16(ptgs + 5);
        area.Sheet = ptgs[7];
        return 1;
    }
    if (length == 0 || ptgs[0] < xptgExtra || !externSheets) return 0;
    // The BIFF8 token follows the prefix (and the extra-data length of 0xFE).
    const size_t start = ptgs[0] == xptgExtra ? 3 : 1;
    if (length <= start) return 0;
    const uint8_t* token = ptgs + start;
    const size_t avail = length - start;
    uint8_t kind = 0;
    if (token[0] == ptgRef3d && avail >= 7) kind = 1;
    if (token[0] == ptgArea3d && avail >= 11) kind = 2;
    if (kind == 0) return 0;
    int first = 0;
    int last = 0;
    if (!externSheets->GetSheetRange(base::LoadLE16(token + 1), first, last) || first != last) return 0;
    if (kind == 1) {
        area.Row1 = area.Row2 = base::LoadLE16(token + 3);
        area.Col1 = area.Col2 = base::LoadLE16(token + 5);
    } else {
        area.Row1 = base::LoadLE16(token + 3);
        area.Row2 = base::LoadLE16(token + 5);
        area.Col1 = base::LoadLE16(token + 7);
        area.Col2 = base::LoadLE16(token + 9);
    }
    area.Sheet = first;
    return first >= 255 ? 3 : kind;
}

}  // namespace xls
