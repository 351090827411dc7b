#include "workbook/api/formula_services.h"

#include <algorithm>

#include "workbook/formula/iterate_ptgs.h"
#include "workbook/formula/ptg_tokens.h"
#include "workbook/model/document_root.h"

namespace xls {

namespace {

// The deleted form of each 3-D reference kind; the sheet byte then holds this marker.
constexpr uint8_t DeletedSheetMarker = 4;

uint8_t DeletedForm(uint8_t opcode) {
    switch (opcode) {
        case xptgRef3d: return xptgRefErr3d;
        case xptgRef3dRange: return xptgRefErr3dRange;
        case xptgArea3d: return xptgAreaErr3d;
        default: return xptgAreaErr3dRange;
    }
}

}  // namespace

TXLSFormulaServices::TXLSFormulaServices(TXc12Manager& manager) : Document_(manager), Handler_(Document_, manager) {}

std::vector<uint8_t> TXLSFormulaServices::EncodeFormula(std::u16string_view text, int sheetIndex) {
    return Handler_.EncodeFormula(text, sheetIndex);
}

std::vector<uint8_t> TXLSFormulaServices::EncodeCellFormula(std::u16string_view text, bool invariantSeparators, int row,
                                                            int col, int sheetIndex) {
    return Handler_.EncodeCellFormula(text, sheetIndex, col, row, invariantSeparators);
}

std::u16string TXLSFormulaServices::DecodeFormula(std::span<const uint8_t> ptgs, int sheetIndex) {
    return Handler_.DecodeFormula(nullptr, sheetIndex, ptgs, 0);
}

void TXLSFormulaServices::AdjustSheetRefs(uint8_t* ptgs, int length, int delta, int sheetIndex) {
    if (delta == 0 || ptgs == nullptr || length <= 0) return;
    const int count = -delta;
    TXLSIteratePtgs walk(ptgs, length);
    while (walk.Next()) {
        uint8_t* token = walk.Current();
        const uint8_t opcode = token[0];
        const bool range = opcode == xptgRef3dRange || opcode == xptgArea3dRange;
        size_t at;
        if (opcode == xptgRef3d || opcode == xptgRef3dRange)
            at = 7;
        else if (opcode == xptgArea3d || opcode == xptgArea3dRange)
            at = 13;
        else
            continue;
        uint8_t* first = token + at;
        uint8_t* last = range ? first + 1 : first;
        if (delta > 0) {
            for (uint8_t* sheet = first; sheet <= last; ++sheet)
                if (*sheet >= sheetIndex) *sheet = static_cast<uint8_t>(std::min(*sheet + delta, 255));
            continue;
        }
        auto gone = [&](int sheet) { return sheet >= sheetIndex && sheet < sheetIndex + count; };
        if (gone(*first) && gone(*last)) {
            token[0] = DeletedForm(opcode);
            *first = DeletedSheetMarker;
            if (range) *last = DeletedSheetMarker;
            continue;
        }
        // A sheet range that loses sheets keeps the ones that stay.
        if (gone(*first)) *first = static_cast<uint8_t>(sheetIndex + count);
        if (gone(*last)) *last = static_cast<uint8_t>(sheetIndex - 1);
        for (uint8_t* sheet = first; sheet <= last; ++sheet)
            if (*sheet >= sheetIndex + count) *sheet = static_cast<uint8_t>(*sheet - count);
    }
}

}  // namespace xls
