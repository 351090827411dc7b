#pragma once

#include <vector>

#include "workbook/biff/tests/biff_test_workbook.h"
#include "workbook/model/defined_names.h"
#include "workbook/model/formula_helper.h"

namespace xls::test {

// A formatted header block like the console's report: merged title, fonts, fills, borders,
// column widths, row heights, formulas with cached text results, names and 3-D references.
inline void BuildReportBlock(TBIFFTestWorkbook& book) {
    TXc12DataStyleSheet& styles = book.Root.StyleSheet();
    TXc12XFEditor& editor = styles.XFEditor();
    editor.BeginEdit(nullptr);
    editor.SetFontName(u"宋体");
    editor.SetFontSize(18);
    editor.SetFontStyle(xfsBold);
    editor.SetFillColor(0xC0C0C0);
    editor.SetHorizAlignment(2);
    editor.SetVertAlignment(1);
    editor.SetBorderLeftStyle(cbsThin);
    editor.SetBorderTopStyle(cbsThin);
    const int title = editor.EndEdit()->Index();
    // Cells take their use of a format before the next edit, which may reuse an unused one.
    TXLSCellMMU& cells = book.Cells();
    cells.StoreString(0, 0, title, u"温湿度历史记录报表");
    for (int c = 1; c <= 3; ++c) cells.StoreBlank(c, 0, title);
    editor.BeginEdit(nullptr);
    editor.SetFontSize(9);
    editor.SetFillColor(0xFFFFFF);
    const int small = editor.EndEdit()->Index();
    book.Sheet().mergeCells->AddArea(MakeCellArea(0, 0, 3, 0));
    TXLSMMURowHeader* header = cells.AddRowHeader(0, 0);
    header->SetHeight(1000);
    header->SetOptions(0x02);
    cells.AddRowHeader(1, 0)->SetHeight(360);
    for (int c = 0; c < 4; ++c) {
        TXc12Column* col = book.Sheet().cols.Add(nullptr);
        col->min = col->max = c;
        col->width = c == 3 ? 34.375 : 17.1875;  // 8800 and 4400 in 1/256 of a character
        col->Flags = 0x04;
    }
    for (int r = 28; r < 31; ++r) cells.StoreFloat(1, r, small, 20 + r / 10.0);
    TXLSFormulaHelper& h = cells.FormulaHelper();
    h.Clear();
    h.Col = 0;
    h.Row = 4;
    h.XF = small;
    const std::vector<uint8_t> tokens = book.Document->CompileFormula(u"\"    温度平均值:\"&ROUND(AVERAGE(B28:B31),2)");
    h.SetPtgsCopy(tokens.data(), static_cast<int>(tokens.size()));
    h.SetResultString(u"    温度平均值:22.9");
    cells.StoreFormula();

    TXc12DataWorksheet& second = book.AddSheet(u"Second");
    second.sheetData->StoreFloat(0, 0, 0, 5);
    book.SetFormula(1, 1, 0, u"Sheet1!B29*2", 45.6);
    book.SetFormula(1, 2, 0, u"SUM(Sheet1!B29:B31)+A1", 73.7);
    TXc12DefinedName* area = book.Root.Workbook().definedNames->Add(u"_xlnm.Print_Area", 0);
    area->RefKind = nrkArea;
    area->RefSheet = 0;
    area->RefRow2 = 30;
    area->RefCol2 = 3;
    TXc12DefinedName* rate = book.Root.Workbook().definedNames->Add(u"Rate", -1);
    std::vector<uint8_t> rateTokens(64, 0xFF);
    const int rateLength =
        book.Document->FormulaHandler().EncodeFormula(u"Second!$A$1", 0x20, 63, rateTokens.data() + 1);
    rate->SetPtgs(rateTokens.data(), rateLength + 1);
}

}  // namespace xls::test
