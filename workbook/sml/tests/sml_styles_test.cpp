#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/exception.h"
#include "base/text_encoding.h"
#include "workbook/sml/sml_document.h"
#include "workbook/sml/sml_styles.h"
#include "workbook/sml/tests/xpg_test_support.h"

namespace xpg::sml {
namespace {

using testing::Load;
using testing::Save;

const std::string MainNs = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";

std::string StyleSheet(const std::string& body, const std::string& extra = "") {
    return "<styleSheet xmlns=\"" + MainNs + "\"" + extra + ">" + body + "</styleSheet>";
}

// A document that collects its reports.
struct TReportingDoc {
    TReportingDoc() {
        Doc.Errors.SetOnError([this](xls::TXpgPErrors& e) { Reports.push_back(base::Utf16ToUtf8(e.Text())); });
    }
    std::string Resave(const std::string& markup, TXPGRoot root = TXPGRoot::StyleSheet) {
        Load(Doc, markup);
        base::TMemoryStream stream;
        Doc.SaveToStream(stream, root);
        return std::string(reinterpret_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size()));
    }
    TXPGDocXLSX Doc;
    std::vector<std::string> Reports;
};

std::string Flat(std::string text) {
    std::string result;
    for (char c : text)
        if (c != '\r') result += c;
    return result;
}

TEST(SmlStyles, ValuesWhereZeroOrWhiteIsMeaningfulSurvive) {
    struct TCase {
        const char* Name;
        std::string Body;
        std::string Expected;  // in the saved part
    };
    const std::vector<TCase> cases = {
        {"opaque white font", "<fonts count=\"1\"><font><color rgb=\"FFFFFFFF\"/></font></fonts>",
         "<font><color rgb=\"FFFFFFFF\" /></font>"},
        {"white fill", "<fills><fill><patternFill patternType=\"solid\"><fgColor rgb=\"FFFFFFFF\"/></patternFill></fill></fills>",
         "<patternFill patternType=\"solid\" ><fgColor rgb=\"FFFFFFFF\" /></patternFill>"},
        {"white border", "<borders><border><left style=\"thin\"><color rgb=\"FFFFFFFF\"/></left></border></borders>",
         "<left style=\"thin\" ><color rgb=\"FFFFFFFF\" /></left>"},
        {"Normal style", "<cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" builtinId=\"0\"/></cellStyles>",
         "<cellStyle name=\"Normal\" xfId=\"0\" builtinId=\"0\" />"},
        {"first dxf", "<tableStyles count=\"1\"><tableStyle name=\"T\"><tableStyleElement type=\"headerRow\" dxfId=\"0\"/></tableStyle></tableStyles>",
         "<tableStyleElement type=\"headerRow\" dxfId=\"0\" />"},
        {"single underline alone", "<fonts><font><u/></font></fonts>", "<font><u/></font>"},
        {"single underline in a dxf", "<dxfs><dxf><font><u/></font></dxf></dxfs>", "<dxf><font><u/></font></dxf>"},
        {"charset 0", "<fonts><font><charset val=\"0\"/></font></fonts>", "<font><charset val=\"0\" /></font>"},
        {"explicit apply off", "<cellXfs><xf fontId=\"1\" applyFont=\"0\"/></cellXfs>",
         "<xf numFmtId=\"0\" fontId=\"1\" fillId=\"0\" borderId=\"0\" xfId=\"0\" applyFont=\"0\" />"},
    };
    for (const auto& c : cases) {
        TReportingDoc doc;
        const std::string saved = Flat(doc.Resave(StyleSheet(c.Body)));
        EXPECT_NE(saved.find(c.Expected), std::string::npos) << c.Name << "\n" << saved;
        EXPECT_TRUE(doc.Reports.empty()) << c.Name << ": " << doc.Reports.front();
    }
}

TEST(SmlStyles, FontPropertiesStartAfreshOnEachElement) {
    TReportingDoc doc;
    const std::string saved = Flat(doc.Resave(StyleSheet(
        "<fonts><font><b/><i val=\"0\"/><strike val=\"1\"/><u val=\"double\"/><color theme=\"1\" tint=\"0.5\"/>"
        "<color indexed=\"0\"/><sz val=\"11\"/><name val=\"宋体\"/><u val=\"none\"/></font></fonts>")));
    auto& font = doc.Doc.StyleSheet().fonts->font.GetItems(0);
    EXPECT_EQ(font.b->val, true);
    EXPECT_EQ(font.i->val, false);  // an explicit off is kept
    EXPECT_EQ(font.u->val, stuvNone);
    EXPECT_EQ(font.color->theme, -1);  // the second colour replaced the first
    EXPECT_EQ(font.color->indexed, 0);
    EXPECT_NE(saved.find("<font><name val=\"宋体\" /><b/><i val=\"0\" /><strike/><color indexed=\"0\" /><sz val=\"11\" />"
                         "<u val=\"none\" /></font>"),
              std::string::npos)
        << saved;
}

TEST(SmlStyles, UnknownEnumerationValuesAreReportedAndKeepTheDefault) {
    TReportingDoc doc;
    doc.Resave(StyleSheet(
        "<fills><fill><patternFill patternType=\"Hiragana\"/></fill><fill><patternFill patternType=\"SOLID\"/></fill></fills>"
        "<cellXfs><xf><alignment horizontal=\"middle\" vertical=\"center\"/></xf></cellXfs>"));
    auto& sheet = doc.Doc.StyleSheet();
    // A value of another type with the same prefix is no pattern.
    EXPECT_EQ(sheet.fills->fill.GetItems(0).patternFill->patternType, 255);
    EXPECT_EQ(sheet.fills->fill.GetItems(1).patternFill->patternType, stptSolid);
    EXPECT_EQ(sheet.cellXfs->xf.GetItems(0).alignment->horizontal, 255);
    EXPECT_EQ(sheet.cellXfs->xf.GetItems(0).alignment->vertical, stvaCenter);
    EXPECT_EQ(doc.Reports, (std::vector<std::string>{"Row 0: Unknown Value \"patternType=Hiragana\"",
                                                     "Row 0: Unknown Value \"horizontal=middle\""}));
}

TEST(SmlStyles, EveryAttributeOfASingleAttributeElementIsLookedAt) {
    TReportingDoc doc;
    doc.Resave(StyleSheet("<fonts x=\"1\" count=\"2\"><font><sz other=\"3\" val=\"9\"/></font></fonts>"));
    EXPECT_EQ(doc.Doc.StyleSheet().fonts->count, 2);
    EXPECT_EQ(doc.Doc.StyleSheet().fonts->font.GetItems(0).sz->val, 9.0);
    EXPECT_EQ(doc.Reports, (std::vector<std::string>{"Row 0: Unknown Attribute \"x\"", "Row 0: Unknown Attribute \"other\""}));
}

TEST(SmlStyles, UnknownSubtreesAndOtherBranchesAreSkippedWhole) {
    TReportingDoc doc;
    doc.Resave(StyleSheet(
        "<cellXfs count=\"1\"><xf fontId=\"1\"><wrapper fontId=\"5\"><alignment wrapText=\"1\"/></wrapper></xf></cellXfs>"
        "<mc:AlternateContent xmlns:mc=\"http://schemas.openxmlformats.org/markup-compatibility/2006\">"
        "<mc:Choice Requires=\"x14\"><numFmts><numFmt numFmtId=\"170\" formatCode=\"choice\"/></numFmts></mc:Choice>"
        "<mc:Fallback><numFmts><numFmt numFmtId=\"171\" formatCode=\"fallback\"/></numFmts></mc:Fallback>"
        "</mc:AlternateContent>"));
    auto& sheet = doc.Doc.StyleSheet();
    auto& xf = sheet.cellXfs->xf.GetItems(0);
    EXPECT_EQ(xf.fontId, 1);
    EXPECT_FALSE(xf.alignment->WasRead());
    ASSERT_EQ(sheet.numFmts->numFmt.Count(), 1);
    EXPECT_EQ(sheet.numFmts->numFmt.GetItems(0).formatCode, u"fallback");
    EXPECT_EQ(doc.Reports, (std::vector<std::string>{"Row 0: Unknown Element \"wrapper\""}));
}

TEST(SmlStyles, ContainersWithEmptyItemsAndEmptyRootsAreWritten) {
    TReportingDoc doc;
    const std::string saved =
        Flat(doc.Resave(StyleSheet("<fonts count=\"1\"><font/></fonts><cellStyleXfs count=\"1\"><xf/></cellStyleXfs>")));
    EXPECT_NE(saved.find("<fonts count=\"1\" ><font/></fonts>"), std::string::npos) << saved;
    EXPECT_NE(saved.find("<cellStyleXfs count=\"1\" ><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\" /></cellStyleXfs>"),
              std::string::npos)
        << saved;

    TXPGDocXLSX empty;
    base::TMemoryStream stream;
    empty.SaveToStream(stream, TXPGRoot::Sst);
    const std::string part(reinterpret_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size()));
    EXPECT_NE(Flat(part).find("<sst xmlns=\"" + MainNs +
                              "\" xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\" />"),
              std::string::npos)
        << part;
}

TEST(SmlDocument, MainNamespaceIsRecognisedUnderAnyPrefix) {
    TReportingDoc doc;
    const std::string saved = Flat(doc.Resave(
        "<x:styleSheet xmlns:x=\"" + MainNs +
        "\" xmlns:q=\"a&amp;b&quot;\"><x:numFmts x:count=\"1\"><x:numFmt numFmtId=\"164\" formatCode=\"0.0&quot;&lt;&quot;\"/>"
        "</x:numFmts><y:fonts xmlns:y=\"urn:other\"/></x:styleSheet>"));
    ASSERT_EQ(doc.Doc.StyleSheet().numFmts->numFmt.Count(), 1);
    EXPECT_EQ(doc.Doc.StyleSheet().numFmts->numFmt.GetItems(0).formatCode, u"0.0\"<\"");
    // The prefixed namespace's elements are written unprefixed, under a default declaration;
    // root attributes are escaped again.
    EXPECT_NE(saved.find("<styleSheet xmlns=\"" + MainNs), std::string::npos) << saved;
    EXPECT_NE(saved.find("xmlns:q=\"a&amp;b&quot;\""), std::string::npos) << saved;
    EXPECT_NE(saved.find("formatCode=\"0.0&quot;&lt;&quot;\""), std::string::npos) << saved;
    EXPECT_EQ(doc.Reports, (std::vector<std::string>{"Row 0: Unknown Attribute \"x:count\"",
                                                     "Row 0: Unknown Element \"y:fonts\""}));
}

TEST(SmlDocument, ADocumentElementThatIsNoRootIsAnError) {
    for (const std::string& markup :
         std::vector<std::string>{"<styleSheet xmlns=\"urn:other\"/>", "<y:sst xmlns:y=\"urn:other\"/>", "<chart xmlns=\"" + MainNs + "\"/>"}) {
        TXPGDocXLSX doc;
        EXPECT_THROW(Load(doc, markup), base::Exception) << markup;
    }
}

TEST(SmlDocument, EveryEnumerationValueConvertsBothWays) {
    for (const auto& type : Enumerations) {
        for (size_t i = 0; i < type.Texts.size(); ++i) {
            const std::u16string text(type.Texts[i]);
            EXPECT_EQ(XpgEnumOrdinal(type.Texts, text), static_cast<int>(i)) << type.Name;
            std::u16string upper = text;
            for (auto& c : upper)
                if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
            EXPECT_EQ(type.Texts[static_cast<size_t>(XpgEnumOrdinal(type.Texts, upper))], text) << type.Name;
        }
    }
    EXPECT_EQ(std::size(Enumerations), 53u);
    EXPECT_EQ(Registry().StrToEnum(u"stbsMediumDashed"), stbsMediumDashed);
}

}  // namespace
}  // namespace xpg::sml
