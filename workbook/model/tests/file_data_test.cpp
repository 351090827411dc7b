#include "workbook/model/file_data.h"

#include <gtest/gtest.h>

#include "workbook/model/pivot_parts.h"
#include "workbook/model/tests/model_fakes.h"
#include "workbook/model/tests/test_util.h"

namespace xls {
namespace {

constexpr std::u16string_view RelTypeCustomXml =
    u"http://schemas.openxmlformats.org/officeDocument/2006/relationships/customXml";
constexpr std::u16string_view RelTypePrinterSettings =
    u"http://schemas.openxmlformats.org/officeDocument/2006/relationships/printerSettings";

TXc12UnreadPart Part(std::u16string fileName, std::u16string_view type, std::u16string_view parentType,
                     std::string parentId, std::string data = "data") {
    TXc12UnreadPart part;
    part.Target = u"folder/" + fileName;
    part.FileName = std::move(fileName);
    part.RelationshipType = type;
    part.ContentType = u"application/xml";
    part.ParentRelationshipType = parentType;
    part.ParentRelId = std::move(parentId);
    part.Data = std::make_unique<base::TMemoryStream>();
    part.Data->WriteBuffer(data.data(), static_cast<int64_t>(data.size()));
    return part;
}

class FileData : public ::testing::Test {
protected:
    test::TFakeServices Services;
    TXc12FileData Data{&Services};
    test::TFakePackage& Package = *Services.LastPackage;
};

TEST_F(FileData, DefaultsAfterCreateAndClear) {
    for (int round = 0; round < 2; ++round) {
        ASSERT_EQ(Services.LastAppProperties->RootAttributes.size(), 2u);
        EXPECT_EQ(Services.LastAppProperties->RootAttributes[1].first, u"xmlns:vt");
        const TXc12XmlNode* created = Data.CoreProperties()->Root().FindPath(u"cp:coreProperties/dcterms:created");
        ASSERT_NE(created, nullptr);
        EXPECT_EQ(created->GetText(), u"2000-01-01T12:00:00Z");
        EXPECT_NE(Data.CoreProperties()->Root().FindPath(u"cp:coreProperties/dc:creator"), nullptr);
        Data.AddSheetId("rId1");
        Data.KeepPart(Part(u"item1.xml", RelTypeCustomXml, u"", ""));
        Data.Clear();
        EXPECT_EQ(Data.SheetCount(), 0);
        EXPECT_EQ(Data.RootParts().Count(), 0);
    }
}

TEST_F(FileData, UnreadPartsAreKeptWhereTheyBelong) {
    Data.AddSheetId("rId1");
    Data.AddSheetId("rId2");
    Package.Unread.push_back(Part(u"item1.xml", RelTypeCustomXml, u"", "", "<custom/>"));
    Package.Unread.push_back(Part(u"calcChain.xml", u"calc", OpcRelTypeOfficeDocument, ""));
    Package.Unread.push_back(Part(u"app.xml", u"app", u"", ""));
    Package.Unread.push_back(Part(u"printerSettings1.bin", RelTypePrinterSettings, OpcRelTypeWorksheet, "rId2"));
    Package.Unread.push_back(Part(u"table1.xml", OpcRelTypeTable, OpcRelTypeWorksheet, "rId2", "<table/>"));
    Package.Unread.push_back(Part(u"other.bin", u"other", OpcRelTypeWorksheet, "rId2"));
    Package.Unread.push_back(Part(u"theme1.xml", OpcRelTypeTheme, OpcRelTypeOfficeDocument, "", "<theme/>"));
    TXc12UnreadPart external = Part(u"link.xml", u"hyperlink", u"", "");
    external.External = true;
    Package.Unread.push_back(std::move(external));
    Data.KeepUnreadParts();

    ASSERT_EQ(Data.RootParts().Count(), 1);
    EXPECT_EQ(Data.RootParts().GetItems(0)->RelationshipType, RelTypeCustomXml);
    EXPECT_EQ(Data.RootParts().GetItems(0)->Target, u"folder/item1.xml");
    ASSERT_EQ(Data.WorkbookParts().Count(), 1);
    EXPECT_EQ(Data.SheetParts(0), nullptr);
    ASSERT_NE(Data.SheetParts(1), nullptr);
    EXPECT_EQ(Data.SheetParts(1)->Tables.Count(), 1);
    EXPECT_EQ(Data.SheetParts(1)->Other.Count(), 1);
    EXPECT_EQ(Data.SheetParts(5), nullptr);

    base::TMemoryStream out;
    Data.BeginWrite(out);
    EXPECT_NE(Package.CoreText.find("dcterms:created"), std::string::npos);
    test::TFakeItem sheetItem;
    Data.WriteKeptSheetParts(1, &sheetItem);
    Data.WriteKeptSheetParts(0, &sheetItem);
    Data.WriteKeptSheetParts(7, &sheetItem);
    ASSERT_EQ(Package.Items.size(), 2u);
    EXPECT_EQ(Package.Items[0]->Target, u"folder/other.bin");
    EXPECT_EQ(Package.Items[1]->Data, "<table/>");
    EXPECT_EQ(Package.Items[1]->Parent, &sheetItem);
    EXPECT_FALSE(Package.Items[1]->Open);
    Data.EndWrite();
    // The kept theme is written back and no default one is added.
    EXPECT_TRUE(Package.Themes.empty());
    ASSERT_EQ(Package.Items.size(), 4u);
    EXPECT_EQ(Package.Items[2]->Data, "<custom/>");
    EXPECT_EQ(Package.Items[2]->Parent, nullptr);
    EXPECT_EQ(Package.Items[3]->Parent, &Package.Workbook);
    EXPECT_EQ(Package.Items[3]->RelationshipType, OpcRelTypeTheme);
    EXPECT_TRUE(Package.Closed);
}

TEST_F(FileData, DefaultThemeWhenNoneWasKept) {
    base::TMemoryStream out;
    Data.BeginWrite(out);
    Data.EndWrite();
    ASSERT_EQ(Package.Themes.size(), 1u);
    EXPECT_EQ(Package.Themes[0].first, 1);
    const std::string& theme = Package.Themes[0].second;
    for (const char* piece :
         {"name=\"Office Theme\"", "<a:clrScheme name=\"Office\">", "lastClr=\"000000\"", "<a:srgbClr val=\"1F497D\"/>",
          "<a:srgbClr val=\"F79646\"/>", "<a:srgbClr val=\"800080\"/>", "<a:latin typeface=\"Cambria\"/>",
          "<a:latin typeface=\"Calibri\"/>", "script=\"Hans\" typeface=\"??\"", "script=\"Uigh\"", "<a:ln w=\"38100\""})
        EXPECT_NE(theme.find(piece), std::string::npos) << piece;
}

TEST_F(FileData, PartUnderAnUnknownSheetRaises) {
    Data.AddSheetId("rId1");
    Package.Unread.push_back(Part(u"drawing1.xml", u"drawing", OpcRelTypeWorksheet, "rId9"));
    try {
        Data.KeepUnreadParts();
        FAIL() << "no exception";
    } catch (const EXLSError& e) {
        EXPECT_STREQ(e.what(), "Unknown OPC sheet id \"rId9\"");
    }
}

TEST(FileDataWithoutServices, KeepsPlainDataAndRefusesPackageWork) {
    TXc12FileData data;
    EXPECT_EQ(data.CoreProperties(), nullptr);
    data.AddSheetId("rId1");
    data.KeepPart(Part(u"table1.xml", OpcRelTypeTable, OpcRelTypeWorksheet, "rId1"));
    EXPECT_EQ(data.SheetParts(0)->Tables.Count(), 1);
    base::TMemoryStream stream;
    EXPECT_THROW(data.BeginRead(stream), EXLSError);
}

TEST(PivotParts, TablesFindTheirCachesAndAreRenumbered) {
    test::TFakeServices services;
    TXLSPivotCacheDefinitions caches(&services);
    caches.Add()->CacheId = 5;
    TXLSPivotCacheDefinition* second = caches.Add();
    second->CacheId = 9;
    EXPECT_EQ(caches.FindByCacheId(9), second);
    EXPECT_EQ(caches.FindByCacheId(1), nullptr);
    ASSERT_NE(second->Definition, nullptr);
    TXLSPivotTables tables(&services);
    for (const char16_t* text :
         {u"<pivotTableDefinition name=\"A\" cacheId=\"9\"/>", u"<pivotTableDefinition cacheId=\"9\" name=\"B\"/>",
          u"<pivotTableDefinition cacheId=\"77\"/>", u"<pivotTableDefinition cacheId=\"x\"/>"}) {
        TXLSPivotTable* table = tables.Add();
        table->Table->LoadFromString(text);
        table->LinkCache(caches);
    }
    EXPECT_EQ(second->UseCount, 2);
    EXPECT_EQ(tables.GetItems(0)->Cache, second);
    EXPECT_EQ(tables.GetItems(2)->Cache, nullptr);
    EXPECT_EQ(tables.GetItems(3)->Cache, nullptr);
    for (int i = 0; i < tables.Count(); ++i) tables.GetItems(i)->StoreCacheId();
    EXPECT_EQ(tables.GetItems(0)->Table->Root().GetChild(0)->GetAttribute(u"cacheId"), u"2");
    EXPECT_EQ(tables.GetItems(1)->Table->Root().GetChild(0)->GetAttribute(u"cacheId"), u"2");
    EXPECT_EQ(tables.GetItems(2)->Table->Root().GetChild(0)->GetAttribute(u"cacheId"), u"77");
}

}  // namespace
}  // namespace xls
