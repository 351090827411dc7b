#include "workbook/formula/calc_chain_lookup.h"

#include <algorithm>

#include "base/byte_reader.h"
#include "workbook/formula/excel_functions.h"
#include "workbook/formula/ptg_tokens.h"
#include "workbook/model/cell_error.h"
#include "workbook/model/exceptions.h"

namespace xls {

namespace {

constexpr int FuncLookup = 28;
constexpr int FuncHLookup = 101;
constexpr int FuncVLookup = 102;

bool IsLookup(int id) { return id == FuncLookup || id == FuncHLookup || id == FuncVLookup; }

// The function number of a call token; -1 for any other token.
int CallId(uint8_t op, const uint8_t* token) {
    switch (op) {
        case ptgFunc:
        case xptgFunc: return base::LoadLE16(token + 1) & 0x7FFF;
        case ptgFuncVar:
        case xptgFuncVar: return base::LoadLE16(token + 2) & 0x7FFF;
        default: return -1;
    }
}

}  // namespace

std::vector<const uint8_t*> TCircPtgsStack::LookupTables(const uint8_t* ptgs, const uint8_t* end, bool biff) {
    bool calls = false;
    for (const uint8_t* p = ptgs; p < end && !calls;) {
        size_t width = 0;
        try {
            width = PtgTokenWidth(p, static_cast<size_t>(end - p), biff);
        } catch (const EXLSError&) {
        }
        if (width == 0) return {};
        calls = IsLookup(CallId(biff ? PtgToRefClass(p[0]) : p[0], p));
        p += width;
    }
    if (!calls) return {};
    TCircPtgsStack stack;
    try {
        if (!stack.Walk(ptgs, end, biff)) return {};
    } catch (const EXLSError&) {
        return {};
    }
    std::sort(stack.Tables.begin(), stack.Tables.end());
    return std::move(stack.Tables);
}

bool TCircPtgsStack::Drop(size_t count) {
    if (count > Starts.size()) return false;
    if (count == 0) return true;
    Tokens.resize(Starts[Starts.size() - count]);
    Starts.resize(Starts.size() - count);
    return true;
}

// A call leaves one value for its arguments; a lookup's table arguments are kept aside first.
bool TCircPtgsStack::Call(int id, size_t count) {
    if (count > Starts.size()) return false;
    if (IsLookup(id) && count >= 2) {
        const size_t first = Starts.size() - count;
        // VLOOKUP and HLOOKUP: the table; LOOKUP: the lookup vector (or array) and the result vector.
        const size_t last = id == FuncLookup ? Starts.size() - 1 : first + 1;
        const size_t from = Starts[first + 1];
        const size_t to = last + 1 < Starts.size() ? Starts[last + 1] : Tokens.size();
        Tables.insert(Tables.end(), Tokens.begin() + static_cast<std::ptrdiff_t>(from),
                      Tokens.begin() + static_cast<std::ptrdiff_t>(to));
    }
    Drop(count);
    Push();
    return true;
}

bool TCircPtgsStack::Walk(const uint8_t* ptgs, const uint8_t* end, bool biff) {
    for (const uint8_t* p = ptgs; p < end;) {
        const size_t width = PtgTokenWidth(p, static_cast<size_t>(end - p), biff);
        if (width == 0) return false;
        const uint8_t op = biff ? PtgToRefClass(p[0]) : p[0];
        bool ok = true;
        switch (op) {
            case ptgAdd:
            case ptgSub:
            case ptgMul:
            case ptgDiv:
            case ptgPower:
            case ptgConcat:
            case ptgLT:
            case ptgLE:
            case ptgEQ:
            case ptgGE:
            case ptgGT:
            case ptgNE:
                ok = Drop(2);
                Push();
                break;
            // The reference operators join their operands into one reference.
            case ptgIsect:
            case ptgUnion:
            case ptgRange:
                ok = Starts.size() >= 2;
                if (ok) Starts.pop_back();
                break;
            case ptgUminus:
            case ptgPercent:
                ok = Drop(1);
                Push();
                break;
            case ptgUplus:
            case ptgParen:
            case ptgAttr:
            case ptgMemArea:
            case ptgMemErr:
            case ptgMemFunc:
            case xptgAttrSpace: break;
            case ptgRef:
            case ptgArea:
            case ptgRef3d:
            case ptgArea3d:
            case ptgName:
            case ptgNameX:
            case xptgRef:
            case xptgArea:
            case xptgRef3d:
            case xptgRef3dRange:
            case xptgArea3d:
            case xptgArea3dRange:
            case xptgName: PushToken(p); break;
            case ptgMissArg:
            case ptgStr:
            case ptgErr:
            case ptgBool:
            case ptgInt:
            case ptgNum:
            case ptgArray:
            case ptgRefErr:
            case ptgAreaErr:
            case ptgRefErr3d:
            case ptgAreaErr3d:
            case xptgRefErr:
            case xptgAreaErr:
            case xptgInt:
            case xptgStr:
            case xptgRefX:
            case xptgRefXRange:
            case xptgAreaX:
            case xptgAreaXRange:
            case xptgRefErr3d:
            case xptgRefErr3dRange:
            case xptgAreaErr3d:
            case xptgAreaErr3dRange:
            case xptgArrayMember:
            case xptgDataTable:
            case xptgDataTableMember:
            case xptgMissArg: Push(); break;
            case ptgFunc:
            case xptgFunc: {
                const TXc12FuncData* f = TXLSExcelFuncNames::Instance().FuncData(CallId(op, p));
                ok = f && Call(f->Id, static_cast<size_t>(f->MinArgs));
                break;
            }
            case ptgFuncVar:
            case xptgFuncVar: ok = Call(CallId(op, p), biff ? p[1] & 0x7F : p[1]); break;
            case xptgUserFunc: ok = Call(-1, p[1]); break;
            case xptgArray:
                ok = Drop(size_t(base::LoadLE16(p + 1)) * base::LoadLE16(p + 3));
                Push();
                break;
            // Structured references take table items from the stack: not followed.
            default: ok = false; break;
        }
        if (!ok) return false;
        p += width;
    }
    return true;
}

}  // namespace xls
