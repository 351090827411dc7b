#include "workbook/formula/array_arguments.h"

#include <algorithm>

#include "base/byte_reader.h"
#include "base/exception.h"
#include "workbook/formula/excel_functions.h"
#include "workbook/formula/ptg_tokens.h"
#include "workbook/model/cell_error.h"

namespace xls {
namespace {

constexpr int FuncSumProduct = 228;
constexpr uint8_t SumProductLow = FuncSumProduct & 0xFF;

// How a token changes the operand stack: it takes Takes operands and leaves one (Leaves), or
// changes nothing; Bad for a token the evaluator does not run.
struct TStackEffect {
    bool Bad = false;
    bool Leaves = false;
    int64_t Takes = 0;
};

TStackEffect EffectOf(const uint8_t* p, uint8_t op) {
    if (op >= ptgAdd && op <= ptgRange) return {false, true, 2};
    switch (op) {
        case ptgUplus:
        case ptgUminus:
        case ptgPercent:
        case ptgParen:
        case ptgAttr:
        case ptgMemArea:
        case ptgMemErr:
        case xptgAttrSpace: return {};
        case ptgFunc:
        case xptgFunc: {
            const TXc12FuncData* f = TXLSExcelFuncNames::Instance().FuncData(base::LoadLE16(p + 1) & 0x7FFF);
            return f ? TStackEffect{false, true, f->MinArgs} : TStackEffect{true};
        }
        case ptgFuncVar:
        case xptgFuncVar:
        case xptgUserFunc: return {false, true, p[1]};
        case xptgArray: return {false, true, int64_t{base::LoadLE16(p + 1)} * base::LoadLE16(p + 3)};
        case xptgTable: return {false, true, p[5]};
        case ptgMissArg:
        case ptgStr:
        case ptgErr:
        case ptgBool:
        case ptgInt:
        case ptgNum:
        case ptgArray:
        case ptgName:
        case ptgRef:
        case ptgArea:
        case ptgMemFunc:
        case ptgRefErr:
        case ptgAreaErr:
        case ptgNameX:
        case ptgRef3d:
        case ptgArea3d:
        case ptgRefErr3d:
        case ptgAreaErr3d:
        case xptgName:
        case xptgRef:
        case xptgArea:
        case xptgRefErr:
        case xptgAreaErr:
        case xptgInt:
        case xptgStr:
        case xptgRef3d:
        case xptgRef3dRange:
        case xptgRefX:
        case xptgRefXRange:
        case xptgArea3d:
        case xptgArea3dRange:
        case xptgAreaX:
        case xptgAreaXRange:
        case xptgRefErr3d:
        case xptgRefErr3dRange:
        case xptgAreaErr3d:
        case xptgAreaErr3dRange:
        case xptgDataTable:
        case xptgTableColumn:
        case xptgTableSpecial:
        case xptgMissArg: return {false, true, 0};
        default: return {true};
    }
}

bool CallsSumProduct(const uint8_t* ptgs, size_t len) {
    for (size_t i = 0; i + 1 < len; ++i)
        if (ptgs[i] == SumProductLow && ptgs[i + 1] == 0) return true;
    return false;
}

}  // namespace

std::vector<TTokenSpan> ArrayArgumentSpans(const uint8_t* ptgs, size_t len, bool biff) {
    std::vector<TTokenSpan> spans;
    if (!CallsSumProduct(ptgs, len)) return spans;
    // The offset of the first token of each operand on the stack.
    std::vector<size_t> starts;
    size_t pos = 0;
    try {
        while (pos < len) {
            const uint8_t* p = ptgs + pos;
            size_t width = PtgTokenWidth(p, len - pos, biff);
            if (width == 0) return {};
            const uint8_t op = biff ? PtgToRefClass(p[0]) : p[0];
            const TStackEffect e = EffectOf(p, op);
            if (e.Bad || static_cast<size_t>(e.Takes) > starts.size()) return {};
            if (e.Leaves) {
                const size_t first = e.Takes > 0 ? starts[starts.size() - static_cast<size_t>(e.Takes)] : pos;
                if ((op == ptgFuncVar || op == xptgFuncVar) && e.Takes > 0 &&
                    (base::LoadLE16(p + 2) & 0x7FFF) == FuncSumProduct)
                    spans.push_back({first, pos});
                starts.resize(starts.size() - static_cast<size_t>(e.Takes));
                starts.push_back(first);
            }
            // The sub-expression behind a memory token is not evaluated.
            if (op == ptgMemFunc) width += base::LoadLE16(p + 1);
            pos += width;
        }
    } catch (const base::Exception&) {
        return {};
    }
    return spans;
}

}  // namespace xls
