#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "workbook/sml/content_type.h"
#include "workbook/sml/opc.h"
#include "workbook/sml/tests/xpg_test_support.h"

namespace xpg {
namespace {

using testing::Load;
using testing::Save;

constexpr const char* RelsNs = "http://schemas.openxmlformats.org/package/2006/relationships";

TEST(XpgOpcUnit, ReadsRelationshipsAndWritesTargetModeFirst) {
    opc::TXPGDocOPC doc;
    Load(doc, std::string("<Relationships xmlns=\"") + RelsNs +
                  "\">"
                  "<Relationship Id=\"rId1\" Type=\"t1\" Target=\"http://x/\" TargetMode=\"External\" />"
                  "<Relationship Target=\"b.xml\" Id=\"rId2\" Type=\"t2\" />"
                  "<Relationship Id=\"rId3\" TargetMode=\"Sideways\" />"
                  "<Relationship Id=\"rId4\" TargetMode=\"internal\">text</Relationship>"
                  "<Relationship/>"
                  "</Relationships>");
    auto& list = doc.Relationships().Relationship;
    ASSERT_EQ(list.Count(), 5);
    EXPECT_EQ(list.GetItems(0).TargetMode, opc::sttmExternal);
    EXPECT_EQ(list.GetItems(0).Target, u"http://x/");
    EXPECT_EQ(list.GetItems(1).TargetMode, 255);
    EXPECT_EQ(list.GetItems(1).Type, u"t2");
    EXPECT_EQ(list.GetItems(2).TargetMode, 255);                // an unknown value leaves the default
    EXPECT_EQ(list.GetItems(3).TargetMode, opc::sttmInternal);  // case does not matter
    EXPECT_EQ(list.GetItems(3).Text, u"text");
    EXPECT_TRUE(list.GetItems(4).WasRead());

    const std::string saved = Save(doc);
    EXPECT_NE(saved.find("<Relationships xmlns=\"" + std::string(RelsNs) + "\" >"), std::string::npos) << saved;
    EXPECT_NE(saved.find("<Relationship TargetMode=\"External\" Target=\"http://x/\" Type=\"t1\" Id=\"rId1\" />"),
              std::string::npos)
        << saved;
    EXPECT_NE(saved.find("<Relationship Target=\"b.xml\" Type=\"t2\" Id=\"rId2\" />"), std::string::npos);
    EXPECT_NE(saved.find("<Relationship Target=\"\" Type=\"\" Id=\"rId3\" />"), std::string::npos);
    EXPECT_NE(saved.find(">text</Relationship>"), std::string::npos) << saved;
    EXPECT_NE(saved.find("<Relationship/>"), std::string::npos);
}

TEST(XpgOpcUnit, PrefixBoundToTheMainNamespaceIsNoPrefix) {
    opc::TXPGDocOPC doc;
    int reports = 0;
    doc.Errors.SetOnError([&](xls::TXpgPErrors&) { ++reports; });
    Load(doc, std::string("<p:Relationships xmlns:p=\"") + RelsNs +
                  "\">"
                  "<p:Relationship Id=\"rId1\" Type=\"t\" Target=\"a.xml\"/></p:Relationships>");
    ASSERT_EQ(doc.Relationships().Relationship.Count(), 1);
    EXPECT_EQ(doc.Relationships().Relationship.GetItems(0).Target, u"a.xml");
    EXPECT_EQ(reports, 0);

    // Another prefix is still another element.
    opc::TXPGDocOPC other;
    other.Errors.SetOnError([&](xls::TXpgPErrors&) { ++reports; });
    Load(other, "<q:Relationships xmlns:q=\"urn:other\"><q:Relationship Id=\"x\"/></q:Relationships>");
    EXPECT_EQ(other.Relationships().Relationship.Count(), 0);
    EXPECT_EQ(reports, 1);
}

TEST(XpgContentTypeUnit, WritesDefaultsBeforeOverrides) {
    content_type::TXPGDocContentType doc;
    Load(doc,
         "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
         "<Override PartName=\"/xl/workbook.xml\" ContentType=\"main\" />"
         "<Defualt Extension=\"xml\" ContentType=\"application/xml\" />"
         "<Override PartName=\"/only-name\" />"
         "</Types>");
    auto& types = doc.Types();
    ASSERT_EQ(types.Default.Count(), 1);  // a name with the same byte sum is taken as "Default"
    ASSERT_EQ(types.Override.Count(), 2);
    const std::string saved = Save(doc);
    const auto def = saved.find("<Default Extension=\"xml\" ContentType=\"application/xml\" />");
    const auto over = saved.find("<Override ContentType=\"main\" PartName=\"/xl/workbook.xml\" />");
    ASSERT_NE(def, std::string::npos) << saved;
    ASSERT_NE(over, std::string::npos) << saved;
    EXPECT_LT(def, over);
    EXPECT_NE(saved.find("<Override ContentType=\"\" PartName=\"/only-name\" />"), std::string::npos);
}

TEST(XpgContentTypeUnit, EmptyTypesWritesOnlyTheDeclaration) {
    content_type::TXPGDocContentType doc;
    Load(doc, "<Types/>");
    const std::string saved = Save(doc);
    EXPECT_EQ(saved.find("<Types"), std::string::npos) << saved;
    EXPECT_NE(saved.find("<?xml"), std::string::npos);
}

TEST(XpgContentTypeUnit, UnknownContentIsSkippedWhole) {
    content_type::TXPGDocContentType doc;
    std::vector<std::u16string> reports;
    doc.Errors.SetOnError([&](xls::TXpgPErrors& e) { reports.push_back(e.Text()); });
    Load(doc,
         "<Types>"
         "<Defaults Extension=\"bad\"><Default Extension=\"nested\"/></Defaults>"
         "<Default Extension=\"png\" ContentType=\"image/png\"><x ContentType=\"lost\"/></Default>"
         "<mc:AlternateContent xmlns:mc=\"http://schemas.openxmlformats.org/markup-compatibility/2006\">"
         "<mc:Choice Requires=\"v2\"><Default Extension=\"choice\"/></mc:Choice>"
         "<mc:Fallback><Default Extension=\"fallback\"/></mc:Fallback>"
         "</mc:AlternateContent>"
         "</Types>");
    auto& list = doc.Types().Default;
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.GetItems(0).Extension, u"png");
    EXPECT_EQ(list.GetItems(0).ContentType, u"image/png");
    EXPECT_EQ(list.GetItems(1).Extension, u"fallback");
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0], u"Row 0: Unknown Element \"Defaults\"");
}

}  // namespace
}  // namespace xpg
