#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/memory_stream.h"
#include "base/text_encoding.h"
#include "workbook/ooxml/opc/opc_xlsx.h"
#include "workbook/ooxml/tests/opc_test_support.h"

namespace xls {
namespace {

using testing::ReadAll;

base::TMemoryStream Text(const std::string& text) { return testing::TextStream(text); }

void Write(TOPC_XLSX& package, TOPCItem* item, const std::string& text) {
    auto data = Text(text);
    package.WriteItem(item, data);
}

base::TMemoryStream MakeWorkbook(bool withCalcChain) {
    base::TMemoryStream file;
    TOPC_XLSX package;
    package.OpenWrite(file, false);
    EXPECT_THROW(package.CreateStylesItem(), EOPCError);  // "OPC Workbook is not open."
    Write(package, package.CreateWorkbookItem(), "<workbook/>");
    EXPECT_THROW(package.CreateWorkbookItem(), EOPCError);
    Write(package, package.CreateStylesItem(), "<styleSheet/>");
    TOPCItem* sheet = package.CreateWorksheetItem(1);
    Write(package, sheet, "<worksheet/>");
    Write(package, package.CreateDrawingItem(sheet, 1), "<wsDr/>");
    Write(package, package.CreateImageItem(1, u"png"), "PNG");
    package.CreateHyperlinkItem(sheet, u"http://example.com/");
    auto core = Text("<core/>");
    package.WriteDocPropsCore(core);
    if (withCalcChain) {
        Write(package,
              package.CreateItem(package.Workbook(),
                                 u"http://schemas.openxmlformats.org/officeDocument/2006/relationships/calcChain",
                                 u"c+xml", u"calcChain.xml"),
              "<calcChain/>");
    }
    package.Close();
    file.SetPosition(0);
    return file;
}

TEST(OpcXlsx, ReadsWhatItWrote) {
    auto file = MakeWorkbook(true);
    TOPC_XLSX package;
    package.OpenRead(file, false);
    ASSERT_NE(package.Workbook(), nullptr);
    EXPECT_EQ(package.Workbook()->GetPartName(), "xl/workbook.xml");
    EXPECT_EQ(ReadAll(*package.ReadWorkbook()), "<workbook/>");
    EXPECT_EQ(ReadAll(*package.ReadStyles()), "<styleSheet/>");
    EXPECT_EQ(package.ReadSharedStrings(), nullptr);
    EXPECT_EQ(ReadAll(*package.ReadDocPropsCore()), "<core/>");
    EXPECT_THROW(package.OpenWorksheet("rId1"), EOPCError);  // the styles part, not a worksheet
    EXPECT_THROW(package.OpenWorksheet("rId9"), EOPCError);
    EXPECT_EQ(ReadAll(*package.OpenWorksheet("rId2")), "<worksheet/>");
    EXPECT_EQ(ReadAll(*package.OpenDrawing("rId1")), "<wsDr/>");
    std::u16string target;
    EXPECT_EQ(ReadAll(*package.ReadImage("rId1", target)), "PNG");
    EXPECT_EQ(target, u"../media/image1.png");
    EXPECT_EQ(package.CurrentDrawing()->GetItems(0).GetPartName(), "xl/media/image1.png");
    package.CloseDrawing();
    package.CloseSheet();
    EXPECT_THROW(package.CloseSheet(), EOPCError);  // "Close on not open OPC Item."
    std::vector<TOPCItem*> unread;
    package.LoadUnreadItems(unread);
    ASSERT_EQ(unread.size(), 1u);  // the hyperlink; the calculation chain is never kept
    EXPECT_TRUE(unread[0]->IsExternal());
}

TEST(OpcXlsx, WorkbookMustBeThereOnce) {
    base::TMemoryStream none;
    {
        TOPCContainer package;
        package.OpenWrite(none, false);
        package.CreateItem(nullptr, u"other", u"", u"a.xml");
        package.Close();
    }
    none.SetPosition(0);
    TOPC_XLSX package;
    try {
        package.OpenRead(none, false);
        FAIL();
    } catch (const EOPCError& e) {
        EXPECT_EQ(e.Message(), "Can not find workbook in OPC");
    }
    base::TMemoryStream two;
    {
        TOPCContainer writer;
        writer.OpenWrite(two, false);
        for (const char16_t* target : {u"a.xml", u"b.xml"}) {
            writer.CreateItem(nullptr, std::u16string(xls::opc_rel::OfficeDocument), u"", target);
        }
        writer.Close();
    }
    two.SetPosition(0);
    try {
        package.OpenRead(two, false);
        FAIL();
    } catch (const EOPCError& e) {
        EXPECT_EQ(e.Message(), "More than one workbook in OPC");
    }
    EXPECT_EQ(package.GetState(), OpcClosed);
}

// Every kind of part the spreadsheet package makes, written and found again under the names,
// ids and content types readers expect; then a second save of the same package object.
TEST(OpcXlsx, EveryPartKindWritesAndReadsBack) {
    TOPC_XLSX package;
    base::TMemoryStream file;
    package.OpenWrite(file, false);
    Write(package, package.CreateWorkbookItem(), "<workbook/>");
    Write(package, package.CreateConnectionsItem(), "<connections/>");
    TOPCItem* link = package.CreateExternalLinkItem(1);
    Write(package, link, "<externalLink/>");
    package.CreateExternalLinkPathItem(link, u"file:///other%20book.xlsx");
    TOPCItem* cache = package.CreatePivotCacheItem(nullptr, 1);
    Write(package, cache, "<pivotCacheDefinition/>");
    Write(package, package.CreatePivotRecordsItem(cache, 1), "<pivotCacheRecords/>");
    TOPCItem* sheet = package.CreateWorksheetItem(1);
    Write(package, sheet, "<worksheet/>");
    Write(package, package.CreateCommentsItem(sheet, 1), "<comments/>");
    Write(package, package.CreateVmlDrawingItem(sheet, 1), "<xml/>");
    TOPCItem* table = package.CreateTableItem(sheet);
    Write(package, table, "<table/>");
    Write(package, package.CreateQueryTableItem(table), "<queryTable/>");
    auto settings = Text("BIN");
    EXPECT_EQ(package.WritePrinterSettings(sheet, settings), u"rId4");
    Write(package, package.CreatePivotTableItem(), "<pivotTableDefinition/>");
    Write(package, package.CreateDrawingItem(sheet, 1), "<wsDr/>");
    TOPCItem* chart = package.CreateChartItem();
    Write(package, chart, "<chartSpace/>");
    Write(package, package.CreateChartStyleItem(chart), "<cs:chartStyle/>");
    Write(package, package.CreateChartColorStyleItem(chart), "<cs:colorStyle/>");
    Write(package, package.CreateChartsheetItem(2), "<chartsheet/>");
    EXPECT_THROW(package.CreateCommentsItem(nullptr, 2), EOPCError);  // never under the package root
    package.Close();

    const std::vector<std::pair<std::string, std::u16string>> overrides = {
        {"/xl/connections.xml", u"application/vnd.openxmlformats-officedocument.spreadsheetml.connections+xml"},
        {"/xl/externalLinks/externalLink1.xml",
         u"application/vnd.openxmlformats-officedocument.spreadsheetml.externalLink+xml"},
        {"/xl/pivotCache/pivotCacheRecords1.xml",
         u"application/vnd.openxmlformats-officedocument.spreadsheetml.pivotCacheRecords+xml"},
        {"/xl/comments1.xml", u"application/vnd.openxmlformats-officedocument.spreadsheetml.comments+xml"},
        {"/xl/queryTables/queryTable1.xml",
         u"application/vnd.openxmlformats-officedocument.spreadsheetml.queryTable+xml"},
        {"/xl/pivotTables/pivotTable1.xml",
         u"application/vnd.openxmlformats-officedocument.spreadsheetml.pivotTable+xml"},
        {"/xl/charts/style1.xml", u"application/vnd.ms-office.chartstyle+xml"},
        {"/xl/charts/colors1.xml", u"application/vnd.ms-office.chartcolorstyle+xml"},
        {"/xl/chartsheets/sheet2.xml", u"application/vnd.openxmlformats-officedocument.spreadsheetml.Chartsheet+xml"},
        // Parts with a default of their extension get no override.
        {"/xl/drawings/vmlDrawing1.vml", u"application/vnd.openxmlformats-officedocument.vmlDrawing"},
        {"/xl/printerSettings/printerSettings1.bin",
         u"application/vnd.openxmlformats-officedocument.spreadsheetml.printerSettings"},
    };
    for (const auto& [name, type] : overrides) EXPECT_EQ(package.ContentTypeOf(base::Utf8ToUtf16(name)), type) << name;

    file.SetPosition(0);
    TOPC_XLSX reader;
    reader.OpenRead(file, false);
    EXPECT_EQ(ReadAll(*reader.ReadConnections()), "<connections/>");
    EXPECT_EQ(ReadAll(*reader.ReadExternalLink("rId2")), "<externalLink/>");
    EXPECT_EQ(reader.Workbook()->FindByRId("rId2")->GetItems(0).GetTarget(), u"file:///other%20book.xlsx");
    EXPECT_EQ(ReadAll(*reader.ReadPivotCache("rId3")), "<pivotCacheDefinition/>");
    EXPECT_EQ(ReadAll(*reader.ReadPivotRecords("rId3", "rId1")), "<pivotCacheRecords/>");
    try {
        reader.ReadPivotRecords("rId3", "rId7");
        FAIL();
    } catch (const EOPCError& e) {
        EXPECT_EQ(e.Message(), "Can not find pivotCacheRecords rId7 in OPC");
    }
    EXPECT_TRUE(reader.IsChartsheet("rId5"));
    EXPECT_FALSE(reader.IsChartsheet("rId4"));
    EXPECT_EQ(ReadAll(*reader.ReadComments("rId4")), "<comments/>");
    EXPECT_EQ(reader.ReadComments("rId9"), nullptr);
    EXPECT_EQ(ReadAll(*reader.OpenWorksheet("rId4")), "<worksheet/>");
    EXPECT_EQ(ReadAll(*reader.ReadVmlDrawing("rId2")), "<xml/>");
    EXPECT_EQ(ReadAll(*reader.ReadPrinterSettings("rId4")), "BIN");
    EXPECT_EQ(reader.ReadPrinterSettings("rId8"), nullptr);
    std::vector<std::string> ids;
    EXPECT_TRUE(reader.GetPivotTableRIds(ids));
    EXPECT_EQ(ids, std::vector<std::string>{"rId5"});
    EXPECT_EQ(ReadAll(*reader.ReadPivotTable("rId5")), "<pivotTableDefinition/>");
    EXPECT_EQ(ReadAll(*reader.OpenTable("rId3")), "<table/>");
    EXPECT_EQ(ReadAll(*reader.ReadQueryTable()), "<queryTable/>");
    reader.CloseTable();
    EXPECT_EQ(ReadAll(*reader.OpenDrawing("rId6")), "<wsDr/>");
    TOPCItem* readChart = reader.OpenChartItem("rId1");
    EXPECT_EQ(readChart->GetPartName(), "xl/charts/chart1.xml");
    EXPECT_EQ(ReadAll(*reader.ReadChartStyle(readChart, "rId1")), "<cs:chartStyle/>");
    EXPECT_EQ(ReadAll(*reader.ReadChartColorStyle(readChart, "rId2")), "<cs:colorStyle/>");
    EXPECT_THROW(reader.ReadChartStyle(readChart, "rId2"), EOPCError);  // the colour part, not a style
    reader.CloseItem(readChart);
    EXPECT_EQ(ReadAll(*reader.ReadChart("rId1")), "<chartSpace/>");
    ids.clear();
    EXPECT_FALSE(reader.GetImageRIds(ids));
    reader.CloseDrawing();
    reader.CloseSheet();
    EXPECT_EQ(ReadAll(*reader.OpenChartsheet("rId5")), "<chartsheet/>");
    reader.CloseSheet();
    EXPECT_THROW(reader.GetHyperlinkTarget("rId99", "rId1"), EOPCError);
    EXPECT_EQ(reader.GetHyperlinkTarget("rId4", "rId1"), u"../comments1.xml");
    reader.Close();

    // A second save: table, query-table, pivot-table and chart numbers go on; printer settings restart.
    base::TMemoryStream again;
    package.Clear();
    package.OpenWrite(again, false);
    package.CreateWorkbookItem();
    TOPCItem* second = package.CreateWorksheetItem(1);
    EXPECT_EQ(package.CreateTableItem(second)->GetPartName(), "xl/tables/table2.xml");
    EXPECT_EQ(package.CreatePivotTableItem()->GetPartName(), "xl/pivotTables/pivotTable2.xml");
    package.CreateDrawingItem(second, 1);
    EXPECT_EQ(package.CreateChartItem()->GetPartName(), "xl/charts/chart2.xml");
    auto more = Text("BIN");
    package.WritePrinterSettings(second, more);
    EXPECT_EQ(package.PrinterSettingsCount(), 1);
    package.Close();
}

// Creating parts under one parent finds an existing target through a key, also after many.
TEST(OpcXlsx, CreatingTheSameTargetAgainGivesTheSameItem) {
    TOPC_XLSX package;
    base::TMemoryStream file;
    package.OpenWrite(file, false);
    TOPCItem* book = package.CreateWorkbookItem();
    for (int i = 1; i <= 3000; ++i) package.CreateWorksheetItem(i);
    EXPECT_EQ(package.CreateWorksheetItem(1234)->GetRId(), u"rId1234");
    EXPECT_EQ(book->Count(), 3000);
    const size_t overrides = package.ContentTypes().size();
    package.CreateWorksheetItem(7);
    EXPECT_EQ(package.ContentTypes().size(), overrides);
    package.Close();
}

}  // namespace
}  // namespace xls
