#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/text_encoding.h"
#include "workbook/formula/excel_functions.h"
#include "workbook/formula/formula_evaluator.h"
#include "workbook/formula/tests/formula_test_document.h"
#include "workbook/formula/tests/formula_text_support.h"
#include "workbook/formula/tests/oracle_cells.h"
#include "workbook/model/cell_error.h"

namespace xls {
namespace {

using test::OracleNumber;
using test::TOracleCell;

struct TNumericCase {
    const char16_t* Formula;
    const char16_t* Ours;
    const char16_t* LibreOffice;
    const char16_t* Gnumeric;
    const char16_t* SciPy;
    const char16_t* Why;
};

#include "workbook/formula/tests/numeric_oracle_table.inc"

// INDEX(F,r,c) of the table: F as an array formula over a 10 x 10 block of its own, element
// (r, c) read from the block (INDEX itself is not one of the functions under test).
TXLSFormulaValue EvaluateElement(test::TTestFormulaDocument& doc, TXLSFormulaEvaluator& eval,
                                 const std::u16string& formula, int block) {
    const size_t last = formula.rfind(u',');
    const size_t middle = formula.rfind(u',', last - 1);
    const std::u16string inner = formula.substr(6, middle - 6);
    const int r = std::stoi(base::Utf16ToUtf8(formula.substr(middle + 1, last - middle - 1)));
    const int c = std::stoi(base::Utf16ToUtf8(formula.substr(last + 1, formula.size() - last - 2)));
    const int col = 30;
    const int row = 10 * block;
    const TXLSCellArea range{row, row + 9, col, col + 9};
    const std::vector<uint8_t> ptgs = test::CompileNewer(doc, test::InlineArrays(*doc.SheetCells(0), inner));
    const TXLSFormulaValue first = eval.Evaluate(0, col, row, ptgs.data(), static_cast<int>(ptgs.size()), &range);
    if (r == 1 && c == 1) return first;
    TXLSFormulaValue v;
    eval.Stack().ReadCell(doc.SheetCells(0), col + c - 1, row + r - 1, v);
    return v;
}

// Every formula of the table over the table's data sheet, in column P where the spreadsheets had
// it; our result is the table's (the spreadsheets' where they agree, else the decision noted).
TEST(NumericOracleTable, FormulasGiveTheResultsOfTheTable) {
    test::TTestFormulaDocument doc(1);
    TXLSCellMMU& s = *doc.SheetCells(0);
    for (const TOracleCell& c : NumericData) test::StoreOracleCell(s, c);
    s.CalcDimension();
    TXLSFormulaEvaluator eval(doc);
    int row = 0;
    int block = 0;
    for (const TNumericCase& c : NumericCases) {
        const std::u16string formula = c.Formula;
        SCOPED_TRACE(base::Utf16ToUtf8(formula));
        TXLSFormulaValue v;
        try {
            if (formula.starts_with(u"INDEX(")) {
                v = EvaluateElement(doc, eval, formula, ++block);
            } else {
                const std::vector<uint8_t> ptgs = test::CompileNewer(doc, test::InlineArrays(s, formula));
                v = eval.Evaluate(0, 15, row, ptgs.data(), static_cast<int>(ptgs.size()));
            }
        } catch (const std::exception& e) {
            ADD_FAILURE() << base::Utf16ToUtf8(formula) << " raises " << e.what();
        }
        ++row;
        // The spreadsheets and the statistics library round their last digits differently.
        EXPECT_TRUE(test::OracleMatches(v, c.Ours, 1e-9, 1e-30))
            << base::Utf16ToUtf8(formula) << " gives " << test::Show(v) << ", the table " << base::Utf16ToUtf8(c.Ours);
    }
}

// Where SciPy was asked, the table's value is SciPy's too.
TEST(NumericOracleTable, SciPyAgreesWhereAsked) {
    for (const TNumericCase& c : NumericCases) {
        const std::u16string_view sci = c.SciPy;
        if (sci.empty()) continue;
        const double ours = OracleNumber(c.Ours);
        EXPECT_NEAR(ours, OracleNumber(sci), 1e-9 * std::fabs(ours) + 1e-30) << base::Utf16ToUtf8(c.Formula);
    }
}

}  // namespace
}  // namespace xls
