#include <gtest/gtest.h>

#include "workbook/formula/tests/formula_text_support.h"
#include "workbook/formula/tests/oracle_cells.h"

namespace xls {
namespace {

using test::TOracleCase;
using test::TOracleCell;

#include "workbook/formula/tests/oracle_criteria.inc"

// COUNTIFS, SUMIFS and AVERAGEIFS are newer than the BIFF8 function table.
TEST(OracleCriteria, FormulasGiveTheResultsOfTheTable) {
    test::RunOracleTableWith(OracleData, OracleCases, [](test::TTestFormulaDocument& doc, const char16_t* f) {
        return test::CompileNewer(doc, f);
    });
}

}  // namespace
}  // namespace xls
