// A chart sheet before the worksheets that formulas and names refer to: files number sheets
// with chart sheets counted, the model without them. Formulas must find the right worksheet,
// names keep their sheet, and the written file numbers them as the original did (xlrd reads
// the names of both alike).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/byte_reader.h"
#include "base/text_encoding.h"
#include "platform/compound_file.h"
#include "platform/testing/test_files.h"
#include "workbook/component/workbook_component.h"
#include "workbook/model/cell_store.h"
#include "workbook/model/defined_names.h"
#include "workbook/model/document_root.h"

namespace xls::test {
namespace {

using platform::testing::RunCommand;
using platform::testing::ShellQuote;
using platform::testing::TTempDir;

const std::string Fixture =
    std::string(OMBRIX_SOURCE_DIR) + "/workbook/biff/chart/tests/fixtures/writeexcel_sheet_refs.xls";

// Sheet names First, Trend (chart sheet), Second, Third; First!A1 = Second!A1+1,
// First!A2 = Third!A1*2 (First!A3 sums B1 over First:Third, a range the table must keep whole).
std::vector<double> FirstSheetResults(TVUZAzurEruraWorkbook& book) {
    book.Calculate();
    std::vector<double> results;
    for (int row = 0; row < 2; ++row) {
        TXLSMMUCell cell;
        if (!book.GetSheets(0)->Cells().FindCell(0, row, cell)) return {};
        results.push_back(TXLSCellMMU::GetFormulaResultFloat(cell));
    }
    return results;
}

// Each name with its scope and the first sheet it refers to, as the model holds them.
std::vector<std::string> Names(TVUZAzurEruraWorkbook& book) {
    std::vector<std::string> out;
    const TXc12DefinedNames& names = *book.Manager().Workbook().definedNames;
    for (int i = 0; i < names.Count(); ++i) {
        const TXc12DefinedName* name = names.GetItems(i);
        if (name) out.push_back(base::Utf16ToUtf8(name->name) + " scope " + std::to_string(name->localSheetId));
    }
    return out;
}

// The EXTERNSHEET record of a file's workbook stream.
std::vector<uint8_t> ExternSheet(const std::string& path) {
    const std::vector<uint8_t> stream = platform::TCompoundFile::OpenFile(path)->Root().ReadStream(u"Workbook");
    for (size_t at = 0; at + 4 <= stream.size();) {
        const uint16_t id = base::LoadLE16(&stream[at]);
        const uint16_t length = base::LoadLE16(&stream[at + 2]);
        if (id == 0x0017)
            return {stream.begin() + static_cast<std::ptrdiff_t>(at + 4),
                    stream.begin() + static_cast<std::ptrdiff_t>(at + 4 + length)};
        at += 4 + length;
    }
    return {};
}

// xlrd's view of the names: name, scope, and the sheets and cells of the reference.
std::string XlrdNames(const std::string& path) {
    const auto result = RunCommand(std::string(platform::testing::Python) +
                                   " -c 'import sys,xlrd\nb=xlrd.open_workbook(sys.argv[1])\n"
                                   "for n in b.name_obj_list: print(n.name, n.scope, n.result.value[0].coords)' " +
                                   ShellQuote(path));
    return result.Output;
}

TEST(ChartSheetRefsTest, FormulasAndNamesFindTheWorksheetsBehindAChartSheet) {
    TVUZAzurEruraWorkbook book;
    book.LoadFromFile(base::Utf8ToUtf16(Fixture));
    ASSERT_EQ(book.SheetCount(), 3);
    EXPECT_EQ(FirstSheetResults(book), (std::vector<double>{8, 200}));
    EXPECT_EQ(Names(book), (std::vector<std::string>{"Limit scope -1", "Spot scope 2"}));

    TTempDir dir;
    const std::string written = (dir.Path() / "written.xls").string();
    book.SaveToFile(base::Utf8ToUtf16(written));
    EXPECT_EQ(ExternSheet(written), ExternSheet(Fixture));
    const std::string original = XlrdNames(Fixture);
    EXPECT_NE(original.find("Spot 2 (2, 3, 1, 2, 0, 1)"), std::string::npos) << original;
    EXPECT_EQ(XlrdNames(written), original);

    TVUZAzurEruraWorkbook again;
    again.LoadFromFile(base::Utf8ToUtf16(written));
    EXPECT_EQ(FirstSheetResults(again), (std::vector<double>{8, 200}));
    EXPECT_EQ(Names(again), Names(book));
}

}  // namespace
}  // namespace xls::test
