#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/memory_stream.h"
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

}  // namespace
}  // namespace xls
