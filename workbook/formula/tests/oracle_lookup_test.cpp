#include <gtest/gtest.h>

#include "workbook/formula/tests/oracle_cells.h"

namespace xls {
namespace {

using test::TOracleCase;
using test::TOracleCell;

#include "workbook/formula/tests/oracle_lookup.inc"

TEST(OracleLookup, LookupAndReferenceFunctionsGiveTheResultsOfTheTable) {
    test::RunOracleTable(OracleData, OracleCases);
}

}  // namespace
}  // namespace xls
