#include "workbook/api/tests/api_fixture.h"

#include <map>
#include <stdexcept>
#include <string>

namespace xls::test {

TFakeBiffDocument::TFakeBiffDocument(TXLSWorkbook& workbook) : Workbook_(workbook) {
    Encoder_.OnExternRef = [this](const std::u16string&, const std::u16string&, int& sheetIndex, int& ixti, bool,
                                  const std::u16string&, const std::u16string& sheetName) {
        TXLSWorksheet* sheet = Workbook_.FindSheet(sheetName);
        sheetIndex = sheet ? sheet->Index() : -1;
        ixti = sheetIndex;
    };
    Encoder_.OnNameIndex = [](const std::u16string&, int& index) { index = -1; };
}

void TFakeBiffDocument::AddSheet(uint8_t kind) {
    ASSERT_EQ(kind, 0);
    if (FailAdd) throw EXLSError("binary sheet not added");
    ++SheetCount;
}

void TFakeBiffDocument::DeleteSheet(int index, bool keepOne) {
    ASSERT_FALSE(keepOne);
    ASSERT_LT(index, SheetCount);
    Deleted.push_back(index);
    --SheetCount;
}

int TFakeBiffDocument::EncodeFormula(std::u16string_view formula, int ptgClass, int bufSize, uint8_t* buf) {
    return Encoder_.Encode(formula, static_cast<uint8_t>(ptgClass), 1, bufSize, buf);
}

ApiTest::ApiTest() {
    Manager = std::make_unique<TXc12Manager>(Factory, Errors);
    Factory.SetManager(Manager.get());
    Manager->CreateParts();
    Manager->SetVersion(xvExcel97);
    Formulas = std::make_unique<TXLSFormulaServices>(*Manager);
    Workbook = std::make_unique<TXLSWorkbook>(*Manager, *Formulas);
    for (int i = 0; i < Styles().XFs().Count(); ++i)
        BaselineUses.push_back(Styles().XFs().GetItems(i) ? Styles().XFs().GetItems(i)->UseCount() : 0);
    Workbook->AddSheet();
}

ApiTest::~ApiTest() {
    Workbook.reset();
    Manager.reset();
}

void ApiTest::UseBiff() {
    Biff = std::make_unique<TFakeBiffDocument>(*Workbook);
    Biff->SheetCount = Workbook->SheetCount();
    Workbook->SetBiff(Biff.get());
}

const TXc12XF& ApiTest::XFAt(int col, int row, int sheet) {
    TXLSCell* cell = Sheet(sheet).GetCell(col, row);
    if (!cell) throw std::runtime_error("no cell at " + std::to_string(col) + "," + std::to_string(row));
    return *cell->GetXF();
}

void ApiTest::ExpectUseCountsBalanced() {
    std::map<int, int> uses;
    for (int s = 0; s < Workbook->SheetCount(); ++s) {
        TXLSCellMMU& cells = Sheet(s).Cells();
        cells.BeginIterateRows(-1);
        while (cells.IterateNextRow()) ++uses[cells.IterRowHeader()->XF()];
        cells.BeginIterate(0);
        while (cells.IterateNext()) ++uses[cells.IterXF()];
        TXc12Columns& cols = Sheet(s).Model().cols;
        for (int i = 0; i < cols.Count(); ++i) ++uses[cols.GetItems(i)->style->Index()];
    }
    for (int i = 0; i < Styles().XFs().Count(); ++i) {
        const TXc12XF* xf = Styles().XFs().GetItems(i);
        if (!xf) continue;
        const int baseline = i < static_cast<int>(BaselineUses.size()) ? BaselineUses[static_cast<size_t>(i)] : 0;
        EXPECT_EQ(xf->UseCount(), baseline + uses[i]) << "XF " << i;
    }
}

}  // namespace xls::test
