#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/text_encoding.h"
#include "workbook/formula/formula_evaluator.h"
#include "workbook/formula/formula_value.h"
#include "workbook/formula/tests/formula_test_document.h"
#include "workbook/model/cell_error.h"
#include "workbook/model/cell_store.h"

namespace xls::test {

// A cell of an oracle table's data sheet. Values are written "N:<number>", TRUE, FALSE, an error
// text or a text in double quotes.
struct TOracleCell {
    int Col;
    int Row;
    const char16_t* Value;
    bool Error;
};

inline double OracleNumber(std::u16string_view text) {
    return std::strtod(base::Utf16ToUtf8(text.substr(2)).c_str(), nullptr);
}

inline void StoreOracleCell(TXLSCellMMU& s, const TOracleCell& c) {
    const std::u16string v = c.Value;
    if (v.starts_with(u"N:"))
        s.StoreFloat(c.Col, c.Row, 0, OracleNumber(v));
    else if (v == u"TRUE" || v == u"FALSE")
        s.StoreBoolean(c.Col, c.Row, 0, v == u"TRUE");
    else if (c.Error)
        s.StoreError(c.Col, c.Row, 0, ErrorTextToCellError(v));
    else
        s.StoreString(c.Col, c.Row, 0, v.substr(1, v.size() - 2));
}

// Whether a result is the table's value; numbers within a relative and an absolute tolerance.
inline bool OracleMatches(const TXLSFormulaValue& v, std::u16string_view expected, double relative, double absolute) {
    if (expected.starts_with(u"N:")) {
        const double x = OracleNumber(expected);
        return v.ValType == fvtNumber && std::fabs(v.Number - x) <= relative * std::fabs(x) + absolute;
    }
    if (expected == u"TRUE" || expected == u"FALSE")
        return v.ValType == fvtBoolean && v.BoolErr == (expected == u"TRUE");
    if (expected.starts_with(u"\"")) return v.ValType == fvtString && u"\"" + v.Str + u"\"" == expected;
    return v.ValType == fvtError && CellErrorToText(v.BoolErr) == expected;
}

// A formula of an oracle table with the result we give, LibreOffice's and gnumeric's, and why
// ours differs where it does.
struct TOracleCase {
    const char16_t* Formula;
    const char16_t* Ours;
    const char16_t* LibreOffice;
    const char16_t* Gnumeric;
    const char16_t* Why;
};

inline std::string DescribeOracleValue(const TXLSFormulaValue& v) {
    switch (v.ValType) {
        case fvtNumber: return std::to_string(v.Number);
        case fvtBoolean: return v.BoolErr ? "TRUE" : "FALSE";
        case fvtError: return base::Utf16ToUtf8(CellErrorToText(v.BoolErr));
        case fvtString: return "\"" + base::Utf16ToUtf8(v.Str) + "\"";
        default: return "empty";
    }
}

// Every formula of a table written by a generator over spreadsheet_oracle.py, over the table's
// data sheet, in the cell where LibreOffice had it (column H, one row each).
// How a table's formula text becomes tokens: by default the BIFF8 encoder's own compilation.
using TOracleCompile = std::vector<uint8_t> (*)(TTestFormulaDocument& doc, const std::u16string& formula);
inline std::vector<uint8_t> CompileOracleFormula(TTestFormulaDocument& doc, const std::u16string& formula) {
    return doc.Compile(formula);
}

inline void RunOracleTable(std::span<const TOracleCell> data, std::span<const TOracleCase> cases,
                           double relative = 1e-12, double absolute = 1e-12,
                           TOracleCompile compile = CompileOracleFormula) {
    TTestFormulaDocument doc(1);
    TXLSCellMMU& s = *doc.SheetCells(0);
    for (const TOracleCell& c : data) StoreOracleCell(s, c);
    s.CalcDimension();
    TXLSFormulaEvaluator eval(doc);
    int row = 0;
    for (const TOracleCase& c : cases) {
        const std::vector<uint8_t> ptgs = compile(doc, c.Formula);
        const TXLSFormulaValue v = eval.Evaluate(0, 7, row++, ptgs.data(), static_cast<int>(ptgs.size()));
        EXPECT_TRUE(OracleMatches(v, c.Ours, relative, absolute))
            << base::Utf16ToUtf8(c.Formula) << " gives " << DescribeOracleValue(v) << ", the table "
            << base::Utf16ToUtf8(c.Ours);
    }
}

}  // namespace xls::test
