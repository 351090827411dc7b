#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/text_encoding.h"
#include "workbook/formula/formula_evaluator.h"
#include "workbook/formula/tests/formula_test_document.h"
#include "workbook/formula/tests/oracle_cells.h"
#include "workbook/model/cell_error.h"

namespace xls {
namespace {

using test::TOracleCell;

struct TOracleCase {
    const char16_t* Formula;
    const char16_t* Ours;
    const char16_t* LibreOffice;
    const char16_t* Gnumeric;
    const char16_t* Why;
};

#include "workbook/formula/tests/oracle_table.inc"

std::string Describe(const TXLSFormulaValue& v) {
    switch (v.ValType) {
        case fvtNumber: return std::to_string(v.Number);
        case fvtBoolean: return v.BoolErr ? "TRUE" : "FALSE";
        case fvtError: return base::Utf16ToUtf8(CellErrorToText(v.BoolErr));
        case fvtString: return "\"" + base::Utf16ToUtf8(v.Str) + "\"";
        default: return "empty";
    }
}

// Every formula of the table over the table's data sheet, in the cell where LibreOffice had it
// (column H, one row each).
TEST(OracleTable, FormulasGiveTheResultsOfTheTable) {
    test::TTestFormulaDocument doc(1);
    TXLSCellMMU& s = *doc.SheetCells(0);
    for (const TOracleCell& c : OracleData) test::StoreOracleCell(s, c);
    s.CalcDimension();
    TXLSFormulaEvaluator eval(doc);
    int row = 0;
    for (const TOracleCase& c : OracleCases) {
        const std::vector<uint8_t> ptgs = doc.Compile(c.Formula);
        const TXLSFormulaValue v = eval.Evaluate(0, 7, row++, ptgs.data(), static_cast<int>(ptgs.size()));
        EXPECT_TRUE(test::OracleMatches(v, c.Ours, 1e-12, 1e-12))
            << base::Utf16ToUtf8(c.Formula) << " gives " << Describe(v) << ", the table " << base::Utf16ToUtf8(c.Ours);
    }
}

}  // namespace
}  // namespace xls
