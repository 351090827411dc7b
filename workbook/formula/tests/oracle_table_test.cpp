#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/text_encoding.h"
#include "workbook/formula/formula_evaluator.h"
#include "workbook/formula/tests/formula_test_document.h"
#include "workbook/model/cell_error.h"

namespace xls {
namespace {

// A value of the table: "N:<number>", TRUE, FALSE, an error text or a text in double quotes.
struct TOracleCell {
    int Col;
    int Row;
    const char16_t* Value;
    bool Error;
};

struct TOracleCase {
    const char16_t* Formula;
    const char16_t* Ours;
    const char16_t* LibreOffice;
    const char16_t* Gnumeric;
    const char16_t* Why;
};

#include "workbook/formula/tests/oracle_table.inc"

void StoreCell(TXLSCellMMU& s, const TOracleCell& c) {
    const std::u16string v = c.Value;
    if (v.starts_with(u"N:"))
        s.StoreFloat(c.Col, c.Row, 0, std::strtod(base::Utf16ToUtf8(v.substr(2)).c_str(), nullptr));
    else if (v == u"TRUE" || v == u"FALSE")
        s.StoreBoolean(c.Col, c.Row, 0, v == u"TRUE");
    else if (c.Error)
        s.StoreError(c.Col, c.Row, 0, ErrorTextToCellError(v));
    else
        s.StoreString(c.Col, c.Row, 0, v.substr(1, v.size() - 2));
}

bool Matches(const TXLSFormulaValue& v, std::u16string_view expected) {
    if (expected.starts_with(u"N:")) {
        const double x = std::strtod(base::Utf16ToUtf8(expected.substr(2)).c_str(), nullptr);
        return v.ValType == fvtNumber && std::fabs(v.Number - x) <= 1e-12 * std::max(1.0, std::fabs(x));
    }
    if (expected == u"TRUE" || expected == u"FALSE")
        return v.ValType == fvtBoolean && v.BoolErr == (expected == u"TRUE");
    if (expected.starts_with(u"\"")) return v.ValType == fvtString && u"\"" + v.Str + u"\"" == expected;
    return v.ValType == fvtError && CellErrorToText(v.BoolErr) == expected;
}

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
    for (const TOracleCell& c : OracleData) StoreCell(s, c);
    s.CalcDimension();
    TXLSFormulaEvaluator eval(doc);
    int row = 0;
    for (const TOracleCase& c : OracleCases) {
        const std::vector<uint8_t> ptgs = doc.Compile(c.Formula);
        const TXLSFormulaValue v = eval.Evaluate(0, 7, row++, ptgs.data(), static_cast<int>(ptgs.size()));
        EXPECT_TRUE(Matches(v, c.Ours)) << base::Utf16ToUtf8(c.Formula) << " gives " << Describe(v) << ", the table "
                                        << base::Utf16ToUtf8(c.Ours);
    }
}

}  // namespace
}  // namespace xls
