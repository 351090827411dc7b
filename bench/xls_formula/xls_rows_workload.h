#pragma once

#include <string>

#include "base/text_encoding.h"
#include "workbook/component/workbook_component.h"

namespace xls::bench {

// The 100,000-row recalculation sheet cut to the 65,536 rows an .xls sheet holds, written
// through the component as the API's users write it: numbers in A and B, C = B * 2 + A,
// D = IF(B > 50, B, -B) on every row, and five summaries over the whole of C and D in F1:F5.
constexpr int XlsRows = 65536;

inline void MakeXlsRowsWorkload(TVUZAzurEruraWorkbook& book, int rows = XlsRows) {
    book.SetVersion(xvExcel97);
    TXLSWorksheet& sheet = *book.GetSheets(0);
    for (int i = 0; i < rows; ++i) {
        const std::u16string r = base::Utf8ToUtf16(std::to_string(i + 1));
        sheet.SetAsFloat(0, i, i);
        sheet.SetAsFloat(1, i, (i * 37) % 101);
        sheet.SetAsFormula(2, i, u"B" + r + u"*2+A" + r);
        sheet.SetAsFormula(3, i, u"IF(B" + r + u">50,B" + r + u",-B" + r + u")");
    }
    const std::u16string last = base::Utf8ToUtf16(std::to_string(rows));
    sheet.SetAsFormula(5, 0, u"AVERAGE(C1:C" + last + u")");
    sheet.SetAsFormula(5, 1, u"MIN(C1:C" + last + u")");
    sheet.SetAsFormula(5, 2, u"MAX(C1:C" + last + u")");
    sheet.SetAsFormula(5, 3, u"SUM(C1:C" + last + u")");
    sheet.SetAsFormula(5, 4, u"ROUND(AVERAGE(D1:D" + last + u"),2)");
}

}  // namespace xls::bench
