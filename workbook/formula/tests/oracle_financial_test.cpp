#include <gtest/gtest.h>

#include "workbook/formula/tests/formula_text_support.h"
#include "workbook/formula/tests/oracle_cells.h"

namespace xls {
namespace {

using test::TOracleCase;
using test::TOracleCell;

#include "workbook/formula/tests/oracle_financial.inc"

// XNPV, XIRR and ACCRINT lie past the BIFF8 table: compiled as the newer functions are.
TEST(FinancialOracle, FunctionsGiveTheResultsOfTheTable) {
    test::RunOracleTableWith(OracleData, OracleCases, [](test::TTestFormulaDocument& doc, const char16_t* f) {
        return test::CompileNewer(doc, f);
    });
}

}  // namespace
}  // namespace xls
