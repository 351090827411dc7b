#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>
#include <utility>
#include <vector>

#include "workbook/formula/ptg_tokens.h"
#include "workbook/model/cell_store.h"

namespace xls::bench {

// Own token code: the BIFF8 grid stops at row 65,536, so references use the 32-bit rows.
class TTokens {
public:
    TTokens& Ref(int col, int row) {
        Bytes.push_back(xls::xptgRef);
        Int(row);
        U16(static_cast<uint16_t>(col));
        return *this;
    }
    TTokens& Area(int col1, int row1, int col2, int row2) {
        Bytes.push_back(xls::xptgArea);
        Int(row1);
        Int(row2);
        U16(static_cast<uint16_t>(col1));
        U16(static_cast<uint16_t>(col2));
        return *this;
    }
    TTokens& Number(int value) {
        Bytes.push_back(xls::xptgInt);
        Int(value);
        return *this;
    }
    TTokens& Str(std::u16string_view text) {
        Bytes.push_back(xls::xptgStr);
        U16(static_cast<uint16_t>(text.size()));
        for (char16_t c : text) U16(c);
        return *this;
    }
    TTokens& Op(uint8_t op) {
        Bytes.push_back(op);
        return *this;
    }
    TTokens& Func(int id, int argCount) {
        Bytes.push_back(xls::xptgFuncVar);
        Bytes.push_back(static_cast<uint8_t>(argCount));
        U16(static_cast<uint16_t>(id));
        return *this;
    }
    void Store(xls::TXLSCellMMU& cells, int col, int row) {
        cells.StoreFormulaTokens(col, row, 0, static_cast<int>(Bytes.size()), Bytes.data(), 0);
        Bytes.clear();
    }
    // The tokens written so far, handed over.
    std::vector<uint8_t> Take() { return std::move(Bytes); }

private:
    void Int(int32_t v) {
        uint8_t b[4];
        std::memcpy(b, &v, 4);
        Bytes.insert(Bytes.end(), b, b + 4);
    }
    void U16(uint16_t v) {
        Bytes.push_back(static_cast<uint8_t>(v));
        Bytes.push_back(static_cast<uint8_t>(v >> 8));
    }
    std::vector<uint8_t> Bytes;
};

// The recalculation workload of 100,000 rows: A = i, B = (i * 37) mod 101, C = B * 2 + A,
// D = IF(B > 50, B, -B), and in F1:F5 AVERAGE, MIN, MAX and SUM of column C and ROUND(AVERAGE of
// column D, 2), all over whole columns.
inline void StoreHundredThousandRows(xls::TXLSCellMMU& s, TTokens& t) {
    constexpr int FuncIf = 1, FuncSum = 4, FuncAverage = 5, FuncMin = 6, FuncMax = 7, FuncRound = 27;
    constexpr int LastRow = 1048575;
    for (int i = 0; i < 100000; ++i) {
        s.StoreFloat(0, i, 0, i);
        s.StoreFloat(1, i, 0, (i * 37) % 101);
        t.Ref(1, i).Number(2).Op(xls::ptgMul).Ref(0, i).Op(xls::ptgAdd).Store(s, 2, i);
        t.Ref(1, i).Number(50).Op(xls::ptgGT).Ref(1, i).Ref(1, i).Op(xls::ptgUminus).Func(FuncIf, 3).Store(s, 3, i);
    }
    const int funcs[] = {FuncAverage, FuncMin, FuncMax, FuncSum};
    for (int i = 0; i < 4; ++i) t.Area(2, 0, 2, LastRow).Func(funcs[i], 1).Store(s, 5, i);
    t.Area(3, 0, 3, LastRow).Func(FuncAverage, 1).Number(2).Func(FuncRound, 2).Store(s, 5, 4);
}

}  // namespace xls::bench
