#include <gtest/gtest.h>

#include "workbook/model/cell_error.h"
#include "workbook/model/comments.h"
#include "workbook/model/cond_formats.h"
#include "workbook/model/external_links.h"
#include "workbook/model/shared_string_table.h"
#include "workbook/model/style_sheet.h"
#include "workbook/model/tables.h"
#include "workbook/model/tests/model_fakes.h"
#include "workbook/model/tests/test_util.h"
#include "workbook/model/worksheet_part.h"

namespace xls {
namespace {

class SheetObjects : public ::testing::Test {
protected:
    test::TFakeServices Services;
    TXc12ClassFactory Factory;
    TXc12DataStyleSheet StyleSheet;
    TXc12DataSST SST{StyleSheet};
    TXc12DataWorksheets Sheets{Factory, StyleSheet, SST, &Services};
    TXc12DataWorksheet& Sheet = *Sheets.Add(-1);
};

std::string ShapeId(const TXc12Comment& note) { return test::U8(note.Shape()->GetAttribute(u"id")); }

TEST_F(SheetObjects, NoteShapesAreNumberedForTheWholeRun) {
    TXc12Comment* first = Sheet.comments.Add();
    first->CreateVmlShape();
    const int number = std::stoi(ShapeId(*first).substr(6));
    EXPECT_EQ(ShapeId(*first).substr(0, 6), "vodka_");
    TXc12DataWorksheet& other = *Sheets.Add(-1);
    TXc12Comment* second = other.comments.Add();
    second->CreateVmlShape();
    EXPECT_EQ(ShapeId(*second), "vodka_" + std::to_string(number + 1));
    // A remade shape takes the next number.
    first->CreateVmlShape();
    EXPECT_EQ(ShapeId(*first), "vodka_" + std::to_string(number + 2));
    const TXc12XmlNode* shape = first->Shape();
    EXPECT_EQ(shape->GetName(), u"v:shape");
    EXPECT_EQ(shape->GetAttribute(u"type"), u"#_x0000_t202");
    EXPECT_EQ(shape->GetAttribute(u"fillcolor"), u"#ffffe1");
    ASSERT_NE(shape->FindPath(u"x:ClientData/x:AutoFill"), nullptr);
    EXPECT_EQ(shape->FindPath(u"x:ClientData/x:AutoFill")->GetText(), u"False");
    EXPECT_EQ(shape->FindChild(u"x:ClientData")->GetAttribute(u"ObjectType"), u"Note");
    EXPECT_EQ(VmlNoteShapeText(7).substr(0, 22), "<v:shape id=\"vodka_7\" ");
}

TEST_F(SheetObjects, MovedNoteUpdatesItsShape) {
    TXc12Comment* note = Sheet.comments.Add();
    note->SetCol(2);
    note->SetRow(4);
    note->CreateVmlShape();
    auto* data = static_cast<test::TFakeNode*>(note->Shape()->FindChild(u"x:ClientData"));
    test::TFakeNode& anchor = data->Add(u"x:Anchor", u"3, 15, 3, 10, 5, 15, 7, 4");
    note->UpdateVmlShape();
    EXPECT_EQ(data->FindChild(u"x:Column")->GetText(), u"2");
    EXPECT_EQ(data->FindChild(u"x:Row")->GetText(), u"4");
    EXPECT_EQ(anchor.Text, u"3, 15, 3, 10, 5, 15, 7, 4");  // never moved: untouched, blanks kept

    note->SetCol(4);
    note->SetRow(7);
    EXPECT_EQ(note->FirstCol(), 2);
    EXPECT_EQ(note->GetArea(), CellToCellArea(4, 7));
    note->UpdateVmlShape();
    EXPECT_EQ(data->FindChild(u"x:Column")->GetText(), u"4");
    EXPECT_EQ(data->FindChild(u"x:Row")->GetText(), u"7");
    EXPECT_EQ(anchor.Text, u"5,15,6,10,7,15,10,4");

    anchor.Text = u"1,2,3,4,5,6,7";
    note->UpdateVmlShape();
    EXPECT_EQ(anchor.Text, u"1,2,3,4,5,6,7");
    anchor.Text = u"x,2,3,4,5,6,7,8";
    note->UpdateVmlShape();
    EXPECT_EQ(anchor.Text, u"2,2,6,4,7,6,10,8");
}

TEST_F(SheetObjects, NotesAndAuthors) {
    TXc12Comments& notes = Sheet.comments;
    TXc12Comment* first = notes.Add();
    first->SetCol(1);
    first->SetRow(1);
    TXc12Comment* second = notes.Add();
    second->SetCol(1);
    second->SetRow(1);
    EXPECT_EQ(notes.Find(1, 1), first);
    EXPECT_EQ(notes.Find(0, 1), nullptr);
    TXc12Author* author = notes.Authors().Add(u"Zhang San");
    notes.Authors().Add(u"Zhang San");
    EXPECT_EQ(notes.Authors().Count(), 2);
    EXPECT_EQ(notes.Authors().Find(u"ZHANG SAN"), author);
    EXPECT_EQ(notes.Authors().Find(u"Li Si"), nullptr);
    first->SetAuthorIndex(3);
    EXPECT_EQ(first->ReadAuthorId(), 3);
    first->SetAuthor(author);
    EXPECT_EQ(first->GetAuthor(), author);

    TXc12Font* font = StyleSheet.Fonts().GetDefaultFont();
    const int uses = font->UseCount();
    first->AddFontRun().Font = StyleSheet.XFEditor().UseFont(*font);
    EXPECT_EQ(font->UseCount(), uses + 1);
    first->ClearRuns();
    EXPECT_EQ(font->UseCount(), uses);
    second->AddFontRun().Font = StyleSheet.XFEditor().UseFont(*font);
    notes.Delete(1);
    EXPECT_EQ(font->UseCount(), uses);
    notes.Clear();
    EXPECT_EQ(notes.Count(), 0);
    EXPECT_EQ(notes.Authors().Count(), 0);
}

TEST_F(SheetObjects, Tables) {
    TXc12Tables& tables = Sheet.tableParts;
    TXc12Table* sales = tables.Add();
    EXPECT_EQ(sales->headerRowCount, 1);
    EXPECT_EQ(sales->totalsRowShown, 1);
    sales->name = u"Sales";
    sales->ref = MakeCellArea(1, 1, 3, 10);
    sales->tableColumns.Add()->name = u"Region";
    sales->tableColumns.Add()->name = u"O'Neil's";
    TXc12Table* stock = tables.Add();
    stock->name = u"Stock";
    stock->ref = MakeCellArea(5, 0, 6, 4);
    stock->tableColumns.Add()->name = u"Item";
    stock->tableColumns.Add()->name = u"Count";
    EXPECT_EQ(tables.IndexOfName(u"STOCK"), 1);
    EXPECT_EQ(tables.IndexOfName(u"None"), -1);
    EXPECT_EQ(tables.IndexOfCell(3, 10), 0);
    EXPECT_EQ(tables.IndexOfCell(6, 0), 1);
    EXPECT_EQ(tables.IndexOfCell(4, 4), -1);
    EXPECT_EQ(tables.IndexOfColumnName(u"count"), 1);
    EXPECT_EQ(tables.IndexOfColumnName(u"O''Neil''s"), 1);
    EXPECT_EQ(tables.IndexOfColumnName(u"O'Neil's"), -1);
    EXPECT_EQ(tables.IndexOfColumnName(u"Nothing"), -1);
    sales->headerRowCount = 0;
    sales->autoFilter.ref = MakeCellArea(1, 1, 3, 10);
    sales->Clear();
    EXPECT_EQ(sales->name, u"Sales");
    EXPECT_EQ(sales->ref, MakeCellArea(1, 1, 3, 10));
    EXPECT_EQ(sales->headerRowCount, 1);
    EXPECT_EQ(sales->tableColumns.Count(), 0);
    EXPECT_EQ(sales->autoFilter.ref, TXLSCellArea());
}

TEST_F(SheetObjects, AutofilterDefaults) {
    TXc12AutoFilter& filter = *Sheet.autoFilter;
    TXc12FilterColumn* column = filter.filterColumns.Add();
    EXPECT_EQ(column->top10.top, 1);
    EXPECT_EQ(column->dynamicFilter.type, 255);
    EXPECT_EQ(column->iconFilter.iconId, -1);
    EXPECT_EQ(column->colorFilter.cellColor, 1);
    TXc12SortCondition* condition = filter.sortState.sortCondition.Add();
    EXPECT_EQ(condition->ref, CellToCellArea(0, 0));
    EXPECT_EQ(condition->dxfId, -1);
    filter.ref = MakeCellArea(0, 0, 2, 9);
    filter.Clear();
    EXPECT_EQ(filter.filterColumns.Count(), 0);
    EXPECT_EQ(filter.sortState.sortCondition.Count(), 0);
    EXPECT_EQ(filter.ref, TXLSCellArea());
}

TEST(ExternalLinks, CachedValues) {
    TXc12XCellValue value;
    EXPECT_EQ(value.GetType(), TXc12XCellValue::xvtNumber);
    EXPECT_EQ(value.GetAsText(), u"0");
    value.SetNil(true);
    EXPECT_EQ(value.GetAsText(), u"");
    value.SetNil(false);
    EXPECT_EQ(value.GetType(), TXc12XCellValue::xvtNumber);
    value.SetAsString(u"");
    EXPECT_EQ(value.GetType(), TXc12XCellValue::xvtString);
    ASSERT_NE(value.GetString(), nullptr);
    EXPECT_EQ(value.GetString()[0], u'\0');
    value.SetAsBoolean(true);
    EXPECT_EQ(value.GetAsText(), u"TRUE");
    value.SetAsError(errDiv0);
    EXPECT_EQ(value.GetAsText(), u"#DIV/0!");
    value.SetAsFloat(2.5);
    EXPECT_EQ(value.GetAsText(), u"2.5");
    value.SetAsFloat(1e20);
    EXPECT_EQ(value.GetAsText(), u"1E20");
    value.SetAsFloat(-0.000125);
    EXPECT_EQ(value.GetAsText(), u"-0.000125");
    TXc12XCell cell;
    EXPECT_TRUE(cell.SetRef(u"XFD1048576"));
    EXPECT_EQ(cell.Col, 16383);
    EXPECT_EQ(cell.GetRef(), u"XFD1048576");
    EXPECT_FALSE(cell.SetRef(u"XFE1"));
    EXPECT_EQ(cell.Col, 16383);
}

TEST(ExternalLinks, FindBookAndCachedValues) {
    TXc12DataXLinks links;
    links.Add()->externalBook.Target = u"BUDGET.XLSX";
    TXc12XExternalBook& book = links.Add()->externalBook;
    book.Target = u"c:\\data\\Plan.xlsx";
    book.SheetNames = {"Jan", "Feb"};
    EXPECT_EQ(links.FindBook(u"1"), 0);
    EXPECT_EQ(links.FindBook(u"2"), 1);
    EXPECT_EQ(links.FindBook(u"3"), -1);
    EXPECT_EQ(links.FindBook(u"0"), -1);
    EXPECT_EQ(links.FindBook(u"budget.xlsx"), 0);
    EXPECT_EQ(links.FindBook(u"C:\\DATA\\plan.XLSX"), 1);
    EXPECT_EQ(links.FindBook(u"other.xlsx"), -1);
    EXPECT_EQ(book.FindSheet(u"feb"), 1);
    EXPECT_EQ(book.FindSheet(u"Mar"), -1);

    TXc12XSheetData& sheet = *book.sheetDataSet.Add();
    TXc12XRow& row1 = *sheet.Add();
    row1.r = 3;
    TXc12XCell& first = *row1.Add();
    first.Col = 2;
    first.SetAsString(u"first");
    TXc12XRow& row2 = *sheet.Add();
    row2.r = 3;
    TXc12XCell& again = *row2.Add();
    again.Col = 2;
    again.SetAsFloat(9);
    TXc12XCellValue value;
    ASSERT_TRUE(links.FindCachedValue(1, 0, value, 3, 2));
    EXPECT_EQ(value.GetAsText(), u"first");
    EXPECT_FALSE(links.FindCachedValue(1, 0, value, 3, 1));
    EXPECT_FALSE(links.FindCachedValue(2, 0, value, 3, 2));
    // A sheet index a formula names but the book does not have is a miss.
    EXPECT_FALSE(links.FindCachedValue(1, 5, value, 3, 2));
    EXPECT_FALSE(links.FindCachedValue(1, -1, value, 3, 2));
}

TEST_F(SheetObjects, ConditionalFormatRules) {
    TXc12ConditionalFormatting* format = Sheet.conditionalFormatting->Add();
    TXc12CfRule* rule = format->rules.Add();
    EXPECT_EQ(rule->type, 255);
    EXPECT_EQ(rule->operator_, 255);
    EXPECT_EQ(rule->timePeriod, 255);
    EXPECT_EQ(rule->aboveAverage, 1);
    EXPECT_EQ(rule->dataBar.minLength, 10);
    EXPECT_EQ(rule->dataBar.maxLength, 90);
    EXPECT_EQ(rule->dataBar.showValue, 1);
    EXPECT_EQ(rule->dataBar.Max.gte, 1);
    EXPECT_EQ(rule->iconSet.iconSet, 3);
    EXPECT_EQ(rule->iconSet.showValue, 1);
    EXPECT_EQ(rule->iconSet.percent, 1);
    rule->SetFormula(2, u"A1>3");
    EXPECT_EQ(rule->GetFormula(2), u"A1>3");
    EXPECT_THROW(rule->GetFormula(3), EXLSError);
    EXPECT_THROW(rule->SetFormula(-1, u"x"), EXLSError);
    TXc12Color color;
    EXPECT_EQ(rule->colorScale.colors.Add(color), 0);
    EXPECT_EQ(rule->colorScale.colors.Count(), 1);
    EXPECT_EQ(static_cast<TXLSConditionalFormat*>(format)->Sheet, &Sheet);
}

// Both kinds follow a cleared area; only the conditional format crops itself to an intersection.
TEST_F(SheetObjects, FormatsAndValidationsFollowAreas) {
    TXc12ConditionalFormatting* format = Sheet.conditionalFormatting->Add();
    format->sqref.AddArea(0, 0, 2, 2);
    TXc12DataValidation* validation = Sheet.dataValidations->Add();
    validation->sqref.AddArea(0, 0, 2, 2);
    Sheet.conditionalFormatting->DeleteArea(1, 1, 1, 1);
    Sheet.dataValidations->DeleteArea(1, 1, 1, 1);
    for (const TCellAreas* areas : {&format->sqref, &validation->sqref}) {
        EXPECT_GT(areas->Count(), 1);
        EXPECT_EQ(areas->CellCount(), 8);
        EXPECT_FALSE(areas->Intersects(1, 1, 1, 1));
    }
    format->sqref.Clear();
    format->sqref.AddArea(0, 0, 2, 9);
    validation->sqref.Clear();
    validation->sqref.AddArea(0, 0, 2, 9);
    format->Intersect(0, 0, 2, 2);
    validation->Intersect(0, 0, 2, 2);
    EXPECT_EQ(format->sqref.GetItems(0)->GetBounds(), MakeCellArea(0, 0, 2, 2));
    EXPECT_EQ(validation->sqref.GetItems(0)->GetBounds(), MakeCellArea(0, 0, 2, 9));
    Sheet.conditionalFormatting->DeleteArea(0, 0, 25, 99);
    EXPECT_EQ(Sheet.conditionalFormatting->Count(), 1);
    EXPECT_EQ(format->sqref.Count(), 0);
    EXPECT_THROW(format->Assign(*validation), EXLSError);
    EXPECT_THROW(validation->Assign(*format), EXLSError);
    Sheet.dataValidations->disablePrompts = 1;
    Sheet.dataValidations->Clear();
    EXPECT_EQ(Sheet.dataValidations->Count(), 0);
    EXPECT_EQ(Sheet.dataValidations->disablePrompts, 0);
}

}  // namespace
}  // namespace xls
