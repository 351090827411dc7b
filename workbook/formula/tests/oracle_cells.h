#pragma once

#include <cmath>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/text_encoding.h"
#include "workbook/formula/formula_value.h"
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

}  // namespace xls::test
