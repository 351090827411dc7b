// Formulas of .xlsx files written by python3-openpyxl and by LibreOffice compile without a report
// in a model of the same workbook (sheets, defined names, tables), and their decoded text
// compiles to the same code.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/text_encoding.h"
#include "workbook/formula/formula_text.h"
#include "workbook/formula/tests/formula_text_book.h"
#include "workbook/model/cell_reference.h"
#include "workbook/model/tables.h"

namespace xls {
namespace {

#include "workbook/formula/tests/xlsx_formula_fixtures.inc"

std::vector<std::u16string> Split(std::u16string_view list) {
    std::vector<std::u16string> items;
    for (size_t start = 0; !list.empty();) {
        const size_t bar = list.find(u'|', start);
        items.emplace_back(list.substr(start, bar - start));
        if (bar == std::u16string_view::npos) break;
        start = bar + 1;
    }
    return items;
}

struct TBook : test::TFormulaTextBook {
    explicit TBook(int index) {
        const TXlsxFixtureBook& book = XlsxFixtureBooks[index];
        for (const std::u16string& sheet : Split(book.Sheets)) Root.Worksheets().Add(-1)->Name = sheet;
        for (const std::u16string& name : Split(book.Names)) {
            const size_t at = name.find(u'@');
            Names.Add(name.substr(0, at), std::stoi(base::Utf16ToUtf8(name.substr(at + 1))));
        }
        for (const TXlsxFixtureTable& t : XlsxFixtureTables) {
            if (t.Book != index) continue;
            TXc12Table* table = Root.Worksheets().GetItems(t.Sheet)->tableParts.Add();
            table->name = t.Name;
            int col1, row1, col2, row2;
            EXPECT_TRUE(AreaStrToColRow(base::Utf8ToUtf16(t.Ref), col1, row1, col2, row2));
            table->ref = MakeCellArea(col1, row1, col2, row2);
            table->headerRowCount = t.Headers;
            table->totalsRowCount = t.Totals;
            for (const std::u16string& column : Split(t.Columns)) table->tableColumns.Add()->name = column;
        }
    }
};

TEST(XlsxFormulaFixtures, FormulasOfOtherProgramsCompile) {
    // LibreOffice writes a union inside parentheses with its own operator "~", which is no
    // spreadsheet syntax: it must be reported, not compiled into something else.
    const std::u16string_view notFormulas[] = {u"SUM((A1~A3))"};
    std::vector<std::unique_ptr<TBook>> books;
    for (int i = 0; i < static_cast<int>(std::size(XlsxFixtureBooks)); ++i) books.push_back(std::make_unique<TBook>(i));
    int compiled = 0;
    for (const TXlsxFixture& f : XlsxFixtures) {
        TBook& book = *books[static_cast<size_t>(f.Book)];
        SCOPED_TRACE(std::string(XlsxFixtureBooks[f.Book].File) + " " + base::Utf16ToUtf8(f.Text));
        book.Report.clear();
        const std::vector<uint8_t> code = EncodeCellFormulaText(book.Root, f.Text, f.Sheet, f.Col, f.Row);
        if (std::find(std::begin(notFormulas), std::end(notFormulas), f.Text) != std::end(notFormulas)) {
            EXPECT_TRUE(code.empty());
            EXPECT_FALSE(book.Report.empty());
            continue;
        }
        EXPECT_EQ(book.Report, "");
        ASSERT_FALSE(code.empty());
        const std::u16string text = DecodeFormulaText(book.Root, code, f.Sheet);
        EXPECT_EQ(EncodeCellFormulaText(book.Root, text, f.Sheet, f.Col, f.Row), code) << base::Utf16ToUtf8(text);
        ++compiled;
    }
    EXPECT_GT(compiled, 150);
}

}  // namespace
}  // namespace xls
