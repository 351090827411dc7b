#include <gtest/gtest.h>

#include <charconv>
#include <map>
#include <set>
#include <string>

#include "base/text_encoding.h"
#include "workbook/model/cell_store.h"
#include "workbook/model/shared_string_table.h"
#include "workbook/model/style_sheet.h"
#include "workbook/model/workbook_part.h"
#include "workbook/model/worksheet_part.h"

namespace xls {
namespace {

struct TDefault {
    const char* Name;
    const char* Value;
};

// What python3-openpyxl's element classes set when made (gen_schema_defaults.py).
const TDefault OpenpyxlDefaults[] = {
#include "workbook/model/tests/schema_defaults.inc"
};

// Where openpyxl chooses otherwise on purpose: it always asks for a full recalculation (it
// stores no values) under its own build number, keeps the older page margins (0.75/1/0.5 inch
// against the 0.7/0.75/0.3 of the newer applications the model follows) and gives the default
// row height in points where the model keeps twips, 0 meaning none.
const std::set<std::string> KnownDifferences{
    "calcPr.calcId",      "calcPr.fullCalcOnLoad", "pageMargins.left",
    "pageMargins.right",  "pageMargins.top",       "pageMargins.bottom",
    "pageMargins.header", "pageMargins.footer",    "sheetFormatPr.defaultRowHeight",
};

std::string Text(double value) {
    char buffer[32];
    return std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
}

std::map<std::string, std::string> ModelDefaults() {
    static TXc12ClassFactory factory;
    static TXc12DataStyleSheet styleSheet;
    static TXc12DataSST sst(styleSheet);
    static TXc12DataWorkbook workbook(factory);
    static TXc12DataWorksheet sheet(factory, styleSheet, sst, 0);
    const TXc12BookView& book = *workbook.bookViews.GetItems(0);
    const TXc12SheetView& view = *sheet.sheetViews.GetItems(0);
    const TXc12Selection selection;
    const TXc12SheetProtection& protection = sheet.sheetProtection;
    const TXc12PageMargins& margins = sheet.pageMargins;
    auto n = [](auto value) { return std::to_string(static_cast<long long>(value)); };
    return {
        {"bookView.visibility", n(book.visibility)},
        {"bookView.minimized", n(book.minimized)},
        {"bookView.showHorizontalScroll", n(book.showHorizontalScroll)},
        {"bookView.showVerticalScroll", n(book.showVerticalScroll)},
        {"bookView.showSheetTabs", n(book.showSheetTabs)},
        {"bookView.tabRatio", n(book.tabRatio)},
        {"bookView.firstSheet", n(book.firstSheet)},
        {"bookView.activeTab", n(book.activeTab)},
        {"bookView.autoFilterDateGrouping", n(book.autoFilterDateGrouping)},
        {"calcPr.calcId", n(workbook.calcPr.calcId)},
        {"calcPr.fullCalcOnLoad", n(workbook.calcPr.fullCalcOnLoad)},
        {"webPublishing.targetScreenSize", n(workbook.webPublishing.targetScreenSize)},
        {"sheetView.workbookViewId", n(view.workbookViewId)},
        {"pane.activePane", n(view.pane.activePane)},
        {"pane.state", n(view.pane.state)},
        {"selection.activeCell", base::Utf16ToUtf8(CellAreaToRefStr(selection.activeCell))},
        {"selection.sqref", base::Utf16ToUtf8(selection.sqref.GetAsText())},
        {"pageMargins.left", Text(margins.left)},
        {"pageMargins.right", Text(margins.right)},
        {"pageMargins.top", Text(margins.top)},
        {"pageMargins.bottom", Text(margins.bottom)},
        {"pageMargins.header", Text(margins.header)},
        {"pageMargins.footer", Text(margins.footer)},
        {"sheetFormatPr.baseColWidth", n(sheet.sheetFormatPr.baseColWidth)},
        {"sheetFormatPr.defaultRowHeight", Text(sheet.sheetFormatPr.defaultRowHeight)},
        {"sheetProtection.selectLockedCells", n(protection.selectLockedCells)},
        {"sheetProtection.selectUnlockedCells", n(protection.selectUnlockedCells)},
        {"sheetProtection.sheet", n(protection.sheet)},
        {"sheetProtection.objects", n(protection.objects)},
        {"sheetProtection.insertRows", n(protection.insertRows)},
        {"sheetProtection.insertHyperlinks", n(protection.insertHyperlinks)},
        {"sheetProtection.autoFilter", n(protection.autoFilter)},
        {"sheetProtection.scenarios", n(protection.scenarios)},
        {"sheetProtection.formatColumns", n(protection.formatColumns)},
        {"sheetProtection.deleteColumns", n(protection.deleteColumns)},
        {"sheetProtection.insertColumns", n(protection.insertColumns)},
        {"sheetProtection.pivotTables", n(protection.pivotTables)},
        {"sheetProtection.deleteRows", n(protection.deleteRows)},
        {"sheetProtection.formatCells", n(protection.formatCells)},
        {"sheetProtection.formatRows", n(protection.formatRows)},
        {"sheetProtection.sort", n(protection.sort)},
    };
}

TEST(SchemaDefaults, AgreeWithOpenpyxl) {
    const std::map<std::string, std::string> model = ModelDefaults();
    std::set<std::string> seen;
    for (const TDefault& entry : OpenpyxlDefaults) {
        seen.insert(entry.Name);
        const auto found = model.find(entry.Name);
        ASSERT_NE(found, model.end()) << entry.Name << " is new in openpyxl's table";
        if (KnownDifferences.count(entry.Name) != 0)
            EXPECT_NE(found->second, entry.Value) << entry.Name;
        else
            EXPECT_EQ(found->second, entry.Value) << entry.Name;
    }
    for (const auto& [name, value] : model) EXPECT_EQ(seen.count(name), 1u) << name << " is gone from the table";
}

// The model's own values where openpyxl sets none or differs on purpose.
TEST(SchemaDefaults, ModelValuesOfTheDifferences) {
    const std::map<std::string, std::string> model = ModelDefaults();
    EXPECT_EQ(model.at("calcPr.calcId"), "125725");
    EXPECT_EQ(model.at("calcPr.fullCalcOnLoad"), "0");
    EXPECT_EQ(model.at("pageMargins.left"), "0.7");
    EXPECT_EQ(model.at("pageMargins.top"), "0.75");
    EXPECT_EQ(model.at("pageMargins.header"), "0.3");
    EXPECT_EQ(model.at("sheetFormatPr.defaultRowHeight"), "0");
}

}  // namespace
}  // namespace xls
