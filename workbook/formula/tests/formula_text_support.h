#pragma once

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/text_encoding.h"
#include "workbook/formula/excel_functions.h"
#include "workbook/formula/tests/formula_test_document.h"
#include "workbook/model/cell_store.h"

namespace xls::test {

inline std::u16string ColumnName(int col) {
    std::u16string name;
    for (++col; col > 0; col = (col - 1) / 26) name.insert(name.begin(), static_cast<char16_t>(u'A' + (col - 1) % 26));
    return name;
}

// The BIFF8 tokens of these tests have no array constants: each {..} of numbers is written into
// cells to the right of the data (column AO on, one block per constant) and referred to there.
inline std::u16string InlineArrays(TXLSCellMMU& s, std::u16string formula) {
    int block = 0;
    for (size_t open = formula.find(u'{'); open != std::u16string::npos; open = formula.find(u'{')) {
        const size_t close = formula.find(u'}', open);
        const std::string items = base::Utf16ToUtf8(formula.substr(open + 1, close - open - 1));
        const int col1 = 40 + 12 * block++;
        int col = col1;
        int row = 0;
        int lastCol = col1;
        for (const char* p = items.c_str(); *p;) {
            char* end = nullptr;
            s.StoreFloat(col, row, 0, std::strtod(p, &end));
            lastCol = std::max(lastCol, col);
            p = end;
            if (*p == ',') ++col, ++p;
            if (*p == ';') col = col1, ++row, ++p;
        }
        const std::u16string area =
            ColumnName(col1) + u"1:" + ColumnName(lastCol) + base::Utf8ToUtf16(std::to_string(row + 1));
        formula.replace(open, close - open + 1, area);
    }
    s.CalcDimension();
    return formula;
}

// Formula text to tokens. Functions newer than the BIFF8 table are compiled as SUM with their
// arguments and given their own number afterwards (only the outermost call may be such a one).
inline std::vector<uint8_t> CompileNewer(test::TTestFormulaDocument& doc, const std::u16string& formula) {
    const size_t paren = formula.find(u'(');
    const std::u16string name = formula.substr(0, paren);
    if (paren == std::u16string::npos || ExcelFunctionByName(name) >= 0) return doc.Compile(formula);
    std::vector<uint8_t> ptgs = doc.Compile(u"SUM" + formula.substr(paren));
    const int id = TXLSExcelFuncNames::Instance().IdByName(name);
    ptgs[ptgs.size() - 2] = static_cast<uint8_t>(id & 0xFF);
    ptgs[ptgs.size() - 1] = static_cast<uint8_t>(id >> 8);
    return ptgs;
}

}  // namespace xls::test
