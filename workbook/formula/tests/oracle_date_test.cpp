#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "workbook/formula/formula_evaluator.h"
#include "workbook/formula/tests/formula_text_support.h"
#include "workbook/formula/tests/oracle_cells.h"

namespace xls {
namespace {

using test::TOracleCase;
using test::TOracleCell;

#include "workbook/formula/tests/oracle_date.inc"

// As RunOracleTable, but the outermost call may be a function newer than the BIFF8 table
// (EOMONTH, WORKDAY, ...), and array constants are written into cells.
TEST(OracleDate, FormulasGiveTheResultsOfTheTable) {
    test::TTestFormulaDocument doc(1);
    TXLSCellMMU& s = *doc.SheetCells(0);
    for (const TOracleCell& c : OracleData) test::StoreOracleCell(s, c);
    s.CalcDimension();
    TXLSFormulaEvaluator eval(doc);
    int row = 0;
    for (const TOracleCase& c : OracleCases) {
        const std::vector<uint8_t> ptgs = test::CompileNewer(doc, test::InlineArrays(s, c.Formula));
        const TXLSFormulaValue v = eval.Evaluate(0, 7, row++, ptgs.data(), static_cast<int>(ptgs.size()));
        EXPECT_TRUE(test::OracleMatches(v, c.Ours, 1e-12, 1e-12))
            << base::Utf16ToUtf8(c.Formula) << " gives " << test::DescribeOracleValue(v) << ", the table "
            << base::Utf16ToUtf8(c.Ours);
    }
}

}  // namespace
}  // namespace xls
