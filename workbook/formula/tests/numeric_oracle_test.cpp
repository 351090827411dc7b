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

std::u16string ColumnName(int col) {
    std::u16string name;
    for (++col; col > 0; col = (col - 1) / 26) name.insert(name.begin(), static_cast<char16_t>(u'A' + (col - 1) % 26));
    return name;
}

// The BIFF8 tokens of these tests have no array constants: each {..} of numbers is written into
// cells to the right of the data (column AO on, one block per constant) and referred to there.
std::u16string InlineArrays(TXLSCellMMU& s, std::u16string formula) {
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
std::vector<uint8_t> Compile(test::TTestFormulaDocument& doc, const std::u16string& formula) {
    const size_t paren = formula.find(u'(');
    const std::u16string name = formula.substr(0, paren);
    if (paren == std::u16string::npos || ExcelFunctionByName(name) >= 0) return doc.Compile(formula);
    std::vector<uint8_t> ptgs = doc.Compile(u"SUM" + formula.substr(paren));
    const int id = TXLSExcelFuncNames::Instance().IdByName(name);
    ptgs[ptgs.size() - 2] = static_cast<uint8_t>(id & 0xFF);
    ptgs[ptgs.size() - 1] = static_cast<uint8_t>(id >> 8);
    return ptgs;
}

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
    const std::vector<uint8_t> ptgs = Compile(doc, InlineArrays(*doc.SheetCells(0), inner));
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
                const std::vector<uint8_t> ptgs = Compile(doc, InlineArrays(s, formula));
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
