#include <gtest/gtest.h>

#include "workbook/formula/tests/formula_text_support.h"
#include "workbook/formula/tests/oracle_cells.h"

namespace xls {
namespace {

using test::TOracleCase;
using test::TOracleCell;

#include "workbook/formula/tests/oracle_date.inc"

// The outermost call may be a function newer than the BIFF8 table (EOMONTH, WORKDAY, ...), and
// array constants are written into cells.
TEST(OracleDate, FormulasGiveTheResultsOfTheTable) {
    test::RunOracleTableWith(OracleData, OracleCases, [](test::TTestFormulaDocument& doc, const char16_t* f) {
        return test::CompileNewer(doc, test::InlineArrays(*doc.SheetCells(0), f));
    });
}

}  // namespace
}  // namespace xls
