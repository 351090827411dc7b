// Moving the references of stored token code: relative parts when a formula is copied, sheet
// numbers when sheets are inserted or deleted.
#include "base/byte_reader.h"
#include "workbook/formula/formula_handler.h"
#include "workbook/formula/iterate_ptgs.h"
#include "workbook/formula/ptg_tokens.h"
#include "workbook/model/cell_error.h"
#include "workbook/model/cell_reference.h"

namespace xls {

namespace {

constexpr uint32_t OwnRowAbsolute = 0x80000000u;
constexpr uint16_t OwnColAbsolute = 0x8000;
constexpr uint16_t BiffColRelative = 0x4000;
constexpr uint16_t BiffRowRelative = 0x8000;
constexpr uint16_t BiffColMask = 0x3FFF;
// What the BIFF fields can hold: a moved component beyond them would wrap onto another cell.
constexpr int BiffMaxRow = 0xFFFF;
constexpr int BiffMaxCol = BiffColMask;

// One own component: moved unless its absolute flag is set; valid tells whether it stayed on
// the grid (absolute components count as 0).
void MoveOwnCol(uint8_t* p, int delta, bool& valid) {
    const uint16_t v = base::LoadLE16(p);
    if (v & OwnColAbsolute) return;
    const int moved = v + delta;
    valid = valid && moved >= 0 && moved <= XLSMaxCol;
    base::StoreLE16(p, static_cast<uint16_t>(moved));
}

void MoveOwnRow(uint8_t* p, int delta, bool& valid) {
    const uint32_t v = base::LoadLE32(p);
    if (v & OwnRowAbsolute) return;
    const int64_t moved = static_cast<int64_t>(v) + delta;
    valid = valid && moved >= 0 && moved <= XLSMaxRow;
    base::StoreLE32(p, static_cast<uint32_t>(moved));
}

// A BIFF row and its column word (which carries both relative flags).
void MoveBiffCell(uint8_t* row, uint8_t* col, int colDelta, int rowDelta, bool& valid) {
    const uint16_t c = base::LoadLE16(col);
    if (c & BiffColRelative) {
        const int moved = (c & BiffColMask) + colDelta;
        valid = valid && moved >= 0 && moved <= BiffMaxCol;
        base::StoreLE16(col, static_cast<uint16_t>((c & ~BiffColMask) | (moved & BiffColMask)));
    }
    if (c & BiffRowRelative) {
        const int moved = base::LoadLE16(row) + rowDelta;
        valid = valid && moved >= 0 && moved <= BiffMaxRow;
        base::StoreLE16(row, static_cast<uint16_t>(moved));
    }
}

}  // namespace

void TXLSFormulaHandler::OffsetRelativeRefs(uint8_t* ptgs, int len, int colDelta, int rowDelta) {
    TXLSIteratePtgs it(ptgs, len);
    while (it.Next()) {
        uint8_t* p = it.Current();
        bool valid = true;
        switch (p[0]) {
            case xptgRef:
                MoveOwnRow(p + 1, rowDelta, valid);
                MoveOwnCol(p + 5, colDelta, valid);
                if (!valid) p[0] = xptgRefErr;
                break;
            case xptgArea:
                MoveOwnRow(p + 1, rowDelta, valid);
                MoveOwnRow(p + 5, rowDelta, valid);
                MoveOwnCol(p + 9, colDelta, valid);
                MoveOwnCol(p + 11, colDelta, valid);
                if (!valid) p[0] = xptgAreaErr;
                break;
            default: {
                // BIFF references of any class; the error token keeps the class.
                const uint8_t base = PtgToRefClass(p[0]);
                if (p[0] < 0x20 || p[0] >= 0x80 || (base != ptgRef && base != ptgArea)) break;
                if (base == ptgRef) {
                    MoveBiffCell(p + 1, p + 3, colDelta, rowDelta, valid);
                } else {
                    MoveBiffCell(p + 1, p + 5, colDelta, rowDelta, valid);
                    MoveBiffCell(p + 3, p + 7, colDelta, rowDelta, valid);
                }
                if (!valid) p[0] = static_cast<uint8_t>(p[0] - base + (base == ptgRef ? ptgRefErr : ptgAreaErr));
                break;
            }
        }
    }
}

namespace {

// Where sheet s goes; false when it was deleted.
bool MoveSheet(int s, int sheetIndex, int delta, int& moved) {
    moved = s;
    if (s < sheetIndex) return true;
    if (delta <= 0 && s <= sheetIndex - delta - 1) return false;
    moved = s + delta;
    return true;
}

// A sheet range in two bytes: each end moves; both deleted make the deleted-range token, one
// deleted end is clamped to the sheets that are left.
void MoveSheetRange(uint8_t* token, uint8_t* first, uint8_t* last, uint8_t errorOp, int sheetIndex, int delta) {
    int f = 0;
    int l = 0;
    const bool keepFirst = MoveSheet(*first, sheetIndex, delta, f);
    const bool keepLast = MoveSheet(*last, sheetIndex, delta, l);
    if (!keepFirst && !keepLast) {
        *token = errorOp;
        *first = *last = errRef;
        return;
    }
    // The first sheet after a deleted block is SheetIndex once the block is gone; the last
    // sheet before it is SheetIndex - 1.
    if (!keepFirst) f = sheetIndex;
    if (!keepLast) l = sheetIndex - 1;
    *first = static_cast<uint8_t>(f);
    *last = static_cast<uint8_t>(l);
}

}  // namespace

void TXLSFormulaHandler::AdjustSheetRefs(uint8_t* ptgs, int len, int sheetIndex, int delta) {
    TXLSIteratePtgs it(ptgs, len);
    while (it.Next()) {
        uint8_t* p = it.Current();
        int moved = 0;
        switch (p[0]) {
            case xptgRef3d:
                if (MoveSheet(p[7], sheetIndex, delta, moved)) {
                    p[7] = static_cast<uint8_t>(moved);
                } else {
                    p[0] = xptgRefErr3d;
                    p[7] = errRef;
                }
                break;
            case xptgArea3d:
                if (MoveSheet(p[13], sheetIndex, delta, moved)) {
                    p[13] = static_cast<uint8_t>(moved);
                } else {
                    p[0] = xptgAreaErr3d;
                    p[13] = errRef;
                }
                break;
            case xptgRef3dRange: MoveSheetRange(p, p + 7, p + 8, xptgRefErr3dRange, sheetIndex, delta); break;
            case xptgArea3dRange: MoveSheetRange(p, p + 13, p + 14, xptgAreaErr3dRange, sheetIndex, delta); break;
            default: break;
        }
    }
}

}  // namespace xls
