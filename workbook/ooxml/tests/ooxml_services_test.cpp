#include "workbook/ooxml/opc/ooxml_services_impl.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "base/memory_stream.h"
#include "base/text_encoding.h"
#include "workbook/ooxml/opc/opc_xlsx.h"
#include "workbook/ooxml/tests/opc_test_support.h"

namespace xls {
namespace {

using testing::ReadAll;

std::string U8(std::u16string_view text) { return base::Utf16ToUtf8(text); }

TEST(OoxmlServices, DocumentNodesAreTheModelsView) {
    TOpcOoxmlServices services;
    auto doc = services.CreateDocument();
    EXPECT_TRUE(doc->IsEmpty());
    doc->LoadFromString(
        u"<cp:coreProperties xmlns:cp=\"c\" xmlns:dcterms=\"d\"><dcterms:created a=\"1\">2024-01-01T00:00:00Z"
        u"</dcterms:created><dcterms:modified>x</dcterms:modified></cp:coreProperties>");
    ASSERT_FALSE(doc->IsEmpty());
    TXc12XmlNode* created = doc->Root().FindPath(u"cp:coreProperties/dcterms:created");
    ASSERT_NE(created, nullptr);
    EXPECT_EQ(created->GetText(), u"2024-01-01T00:00:00Z");
    EXPECT_EQ(created->GetAttribute(u"a"), u"1");
    created->SetAttribute(u"a", u"2");
    created->SetAttribute(u"b", u"3");
    created->SetText(u"2025-02-03T04:05:06Z");
    TXc12XmlNode& props = *doc->Root().GetChild(0);
    auto modified = props.ExtractChild(1);
    EXPECT_EQ(modified->GetName(), u"dcterms:modified");
    EXPECT_EQ(props.ChildCount(), 1);
    base::TMemoryStream out;
    doc->SaveToStream(out);
    const std::string text = ReadAll(out);
    EXPECT_NE(text.find("<dcterms:created a=\"2\" b=\"3\""), std::string::npos) << text;
    EXPECT_NE(text.find(">2025-02-03T04:05:06Z</dcterms:created>"), std::string::npos) << text;
    EXPECT_EQ(text.find("modified"), std::string::npos) << text;
}

// Reading a package through the model's view: every part not read comes back with its
// parent's relationship and id; a part below a drawing keeps its absolute name, since the
// model writes kept parts back under the root, the workbook or a sheet.
TEST(OoxmlServices, UnreadPartsOfAPackage) {
    base::TMemoryStream file;
    {
        TOPC_XLSX writer;
        writer.OpenWrite(file, false);
        auto text = testing::TextStream("<x/>");
        writer.WriteItem(writer.CreateWorkbookItem(), text);
        TOPCItem* sheet = writer.CreateWorksheetItem(1);
        writer.WriteItem(sheet, text);
        writer.WriteItem(writer.CreateDrawingItem(sheet, 1), text);
        writer.WriteItem(writer.CreateImageItem(1, u"png"), text);
        writer.CreateHyperlinkItem(sheet, u"https://example.com/a%20b");
        writer.WriteDocPropsCore(text);
        writer.Close();
    }
    file.SetPosition(0);
    TOpcOoxmlServices services;
    auto package = services.CreatePackage();
    package->OpenRead(file, false);
    ASSERT_NE(package->GetContentTypesStream(), nullptr);
    ASSERT_NE(package->ReadDocPropsCore(), nullptr);
    EXPECT_EQ(package->WorkbookItem()->GetRId(), u"rId1");
    std::map<std::string, const TXc12UnreadPart*> byName;
    const auto parts = package->LoadUnreadItems();
    for (const TXc12UnreadPart& part : parts) byName[U8(part.FileName)] = &part;
    EXPECT_FALSE(byName.contains("core.xml"));  // read above
    ASSERT_EQ(byName.size(), 5u);
    const TXc12UnreadPart& sheet = *byName.at("sheet1.xml");
    EXPECT_EQ(sheet.ParentRelationshipType, opc_rel::OfficeDocument);
    EXPECT_EQ(sheet.Target, u"worksheets/sheet1.xml");
    EXPECT_EQ(ReadAll(*sheet.Data), "<x/>");
    EXPECT_EQ(sheet.ContentType, u"application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml");
    const TXc12UnreadPart& drawing = *byName.at("drawing1.xml");
    EXPECT_EQ(drawing.ParentRelationshipType, opc_rel::Worksheet);
    EXPECT_EQ(drawing.ParentRelId, "rId1");
    EXPECT_EQ(drawing.Target, u"../drawings/drawing1.xml");
    const TXc12UnreadPart& image = *byName.at("image1.png");
    EXPECT_EQ(image.ParentRelationshipType, opc_rel::Drawing);
    EXPECT_EQ(image.Target, u"/xl/media/image1.png");
    const TXc12UnreadPart& link = *byName.at("https://example.com/a%20b");
    EXPECT_TRUE(link.External);
    EXPECT_EQ(link.Target, u"https://example.com/a%20b");
    EXPECT_FALSE(link.Data);
    package->Close();
}

TEST(OoxmlServices, WritesThroughHandles) {
    TOpcOoxmlServices services;
    auto package = services.CreatePackage();
    base::TMemoryStream file;
    package->OpenWrite(file, false);
    auto core = testing::TextStream("<core/>");
    package->WriteDocPropsCore(core);
    TXc12PackageItem* book = package->CreateItem(
        nullptr, opc_rel::OfficeDocument, u"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml",
        u"xl/workbook.xml");
    EXPECT_EQ(package->CreateItem(nullptr, opc_rel::OfficeDocument, u"", u"xl/workbook.xml"), book);
    auto text = testing::TextStream("<workbook/>");
    package->WriteItem(book, text);
    package->CloseItem(book);
    EXPECT_THROW(package->CloseItem(book), base::Exception);
    TXc12PackageItem* kept = package->CreateItem(book, u"urn:kept", u"application/x-kept", u"/xl/charts/chart1.xml");
    auto chart = testing::TextStream("<chart/>");
    package->WriteItem(kept, chart);
    package->Close();

    file.SetPosition(0);
    TOPC_XLSX reader;
    reader.OpenRead(file, false);
    EXPECT_EQ(ReadAll(*reader.ReadWorkbook()), "<workbook/>");
    TOPCItem* found = reader.Workbook()->FindSingleByType(u"urn:kept");
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->GetPartName(), "xl/charts/chart1.xml");
    EXPECT_EQ(reader.ContentTypeOf(u"/xl/charts/chart1.xml"), u"application/x-kept");
    reader.Close();
}

}  // namespace
}  // namespace xls
