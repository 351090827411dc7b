#include <gtest/gtest.h>

#include <functional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "base/text_encoding.h"
#include "workbook/sml/tests/workbook_test_doc.h"
#include "workbook/sml/tests/xpg_test_support.h"

namespace xpg {
namespace {

using testing::Load;
using testing::Save;
using testing::TDefinedNamesRelay;
using testing::TWorkbookTestDoc;

constexpr const char* Main = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
constexpr const char* Rels = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";

std::string Part(const std::string& body) {
    return std::string("<workbook xmlns=\"") + Main + "\" xmlns:r=\"" + Rels + "\">" + body + "</workbook>";
}

// The saved text without the line ends and the blank the writer leaves before the end of a tag.
std::string Compact(std::string text) {
    std::erase(text, '\r');
    for (const auto& [from, to] : {std::pair<std::string, std::string>{"\" />", "\"/>"}, {"\" >", "\">"}}) {
        for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at))
            text.replace(at, from.size(), to);
    }
    return text;
}

// A document that collects its reports and relays its defined names.
struct TReadBook {
    explicit TReadBook(const std::string& body) : Names(Doc) {
        Doc.Errors.SetOnError([this](xls::TXpgPErrors& sink) { Reports.push_back(base::Utf16ToUtf8(sink.Text())); });
        Load(Doc, Part(body));
    }
    std::string Saved() { return Compact(Save(Doc)); }

    TWorkbookTestDoc Doc;
    TDefinedNamesRelay Names;
    std::vector<std::string> Reports;
};

void ExpectHas(const std::string& text, const std::string& part) {
    EXPECT_NE(text.find(part), std::string::npos) << "missing " << part << " in\n" << text;
}

void ExpectLacks(const std::string& text, const std::string& part) {
    EXPECT_EQ(text.find(part), std::string::npos) << "unexpected " << part << " in\n" << text;
}

TEST(SmlWorkbook, LaterPasswordHashesOfProtectionAndSharingSurvive) {
    const std::string protection =
        "<workbookProtection workbookPassword=\"E1D4\" revisionsPassword=\"0A1B\" lockStructure=\"1\" "
        "revisionsAlgorithmName=\"SHA-256\" revisionsHashValue=\"cmV2\" revisionsSaltValue=\"c2FsdA==\" "
        "revisionsSpinCount=\"0\" workbookAlgorithmName=\"SHA-512\" workbookHashValue=\"aGFzaA==\" "
        "workbookSaltValue=\"AAECAw==\" workbookSpinCount=\"100000\"/>";
    const std::string sharing =
        "<fileSharing readOnlyRecommended=\"1\" userName=\"王\" reservationPassword=\"0C1\" "
        "algorithmName=\"SHA-512\" hashValue=\"aA==\" saltValue=\"cw==\" spinCount=\"50\"/>";
    TReadBook book(sharing + protection);
    EXPECT_TRUE(book.Reports.empty());
    const auto& p = book.Doc.Workbook().workbookProtection;
    EXPECT_EQ(p->workbookPassword, 0xE1D4u);
    EXPECT_EQ(p->workbookSpinCount, 100000);
    EXPECT_EQ(p->revisionsSpinCount, 0);  // a legal 0, not "not set"
    const std::string saved = book.Saved();
    // 16-bit hashes keep four hexadecimal digits.
    ExpectHas(saved,
              "<fileSharing readOnlyRecommended=\"1\" userName=\"王\" reservationPassword=\"00C1\" "
              "algorithmName=\"SHA-512\" hashValue=\"aA==\" saltValue=\"cw==\" spinCount=\"50\"/>");
    ExpectHas(saved, protection);
}

TEST(SmlWorkbook, UnknownEnumerationTextsAreReportedAndKeepTheDefault) {
    TReadBook book(
        "<workbookPr showObjects=\"bogus\" updateLinks=\"always\"/>"
        "<sheets><sheet name=\"a\" sheetId=\"1\" state=\"sideways\" r:id=\"rId1\"/>"
        "<sheet name=\"b\" sheetId=\"2\" state=\"VeryHidden\" r:id=\"rId2\"/></sheets>"
        "<calcPr calcMode=\"never\" refMode=\"R1C1\"/><webPublishing targetScreenSize=\"4x4\"/>");
    auto& wb = book.Doc.Workbook();
    EXPECT_EQ(wb.calcPr->calcMode, sml::stcmAuto);  // not manual: recalculation stays on
    EXPECT_EQ(wb.calcPr->refMode, sml::strmR1C1);
    EXPECT_EQ(wb.workbookPr->showObjects, sml::stoAll);
    EXPECT_EQ(wb.workbookPr->updateLinks, sml::stulAlways);
    EXPECT_EQ(wb.sheets->sheet.GetItems(0).state, sml::stssVisible);
    EXPECT_EQ(wb.sheets->sheet.GetItems(1).state, sml::stssVeryHidden);
    EXPECT_EQ(wb.webPublishing->targetScreenSize, sml::sttss800x600);
    EXPECT_EQ(book.Reports.size(), 4u);
    const std::string saved = book.Saved();
    ExpectLacks(saved, "calcMode");
    ExpectLacks(saved, "targetScreenSize");
    ExpectHas(saved, "<sheet name=\"b\" sheetId=\"2\" state=\"veryHidden\" r:id=\"rId2\"/>");
}

TEST(SmlWorkbook, LegalZerosAreKeptApartFromNotSet) {
    TReadBook book(
        "<workbookPr defaultThemeVersion=\"0\"/>"
        "<bookViews><workbookView xWindow=\"0\" yWindow=\"0\" windowWidth=\"0\" windowHeight=\"0\"/>"
        "<workbookView tabRatio=\"0\"/></bookViews>"
        "<definedNames><definedName name=\"a\" localSheetId=\"0\">Sheet1!$A$1</definedName>"
        "<definedName name=\"b\" functionGroupId=\"0\">1</definedName><definedName name=\"c\">2</definedName>"
        "</definedNames><calcPr calcId=\"0\" concurrentManualCount=\"0\"/>"
        "<webPublishing codePage=\"0\"/><webPublishObjects count=\"0\"/>");
    ASSERT_EQ(book.Names.Count(), 3u);
    EXPECT_EQ(book.Names.Name(0).localSheetId, 0);
    EXPECT_EQ(book.Names.Name(2).localSheetId, -1);
    const std::string saved = book.Saved();
    for (const char* part :
         {"<workbookPr defaultThemeVersion=\"0\"/>",
          "<workbookView xWindow=\"0\" yWindow=\"0\" windowWidth=\"0\" windowHeight=\"0\"/>",
          "<workbookView tabRatio=\"0\"/>", "<definedName name=\"a\" localSheetId=\"0\">Sheet1!$A$1</definedName>",
          "<definedName name=\"b\" functionGroupId=\"0\">1</definedName>", "<definedName name=\"c\">2</definedName>",
          "<calcPr calcId=\"0\" concurrentManualCount=\"0\"/>", "<webPublishing codePage=\"0\"/>",
          "<webPublishObjects count=\"0\"/>"})
        ExpectHas(saved, part);
}

TEST(SmlWorkbook, ListsOfDefaultItemsAreWrittenWithTheirItems) {
    TReadBook book(
        "<bookViews><workbookView/><workbookView tabRatio=\"600\"/></bookViews>"
        "<customWorkbookViews><customWorkbookView/></customWorkbookViews>"
        "<externalReferences><externalReference/></externalReferences>"
        "<fileRecoveryPr/><fileRecoveryPr/><fileRecoveryPr autoRecover=\"0\"/>");
    const std::string saved = book.Saved();
    ExpectHas(saved, "<bookViews><workbookView/><workbookView/></bookViews>");
    ExpectHas(saved, "<customWorkbookViews><customWorkbookView/></customWorkbookViews>");
    ExpectHas(saved, "<externalReferences><externalReference/></externalReferences>");
    ExpectHas(saved, "<fileRecoveryPr/><fileRecoveryPr/><fileRecoveryPr autoRecover=\"0\"/>");
}

TEST(SmlWorkbook, SingleAttributeClassesScanEveryAttribute) {
    const std::string relsAlias = std::string(" xmlns:rel=\"") + Rels + "\"";
    TReadBook book(
        "<functionGroups extra=\"1\" builtInGroupCount=\"17\"><functionGroup x=\"1\" name=\"Mine\"/>"
        "</functionGroups><externalReferences><externalReference" +
        relsAlias +
        " foo=\"1\" rel:id=\"rId7\"/></externalReferences><oleSize a=\"b\" ref=\"A1:C3\"/>"
        "<webPublishObjects y=\"1\" count=\"2\"/>");
    auto& wb = book.Doc.Workbook();
    EXPECT_EQ(wb.functionGroups->builtInGroupCount, 17);
    EXPECT_EQ(wb.functionGroups->functionGroup.GetItems(0).name, u"Mine");
    EXPECT_EQ(wb.externalReferences->externalReference.GetItems(0).r_id, u"rId7");
    EXPECT_EQ(wb.oleSize->ref, u"A1:C3");
    EXPECT_EQ(wb.webPublishObjects->count, 2);
    EXPECT_EQ(book.Reports.size(), 5u);
    const std::string saved = book.Saved();
    ExpectHas(saved, "<functionGroups builtInGroupCount=\"17\"><functionGroup name=\"Mine\"/>");
    ExpectHas(saved, "<externalReference r:id=\"rId7\"/>");
}

TEST(SmlWorkbook, DefinedNamesStreamThroughEvents) {
    TWorkbookTestDoc doc;
    std::vector<std::u16string> names;
    int containers = 0;
    auto& wb = doc.Workbook();
    wb.DefinedNamesItem.OnReadDefinedName = [&](sml::TCT_DefinedName& name) {
        names.push_back(name.name + u"=" + name.Text);
    };
    wb.OnReadDefinedNames = [&](sml::TCT_DefinedNames&) { ++containers; };
    Load(doc, Part("<definedNames><definedName name=\"a\" hidden=\"1\">1&amp;2</definedName>"
                   "<definedName name=\"b\"/></definedNames><calcPr/>"
                   "<definedNames><definedName name=\"c\">3</definedName></definedNames>"));
    EXPECT_EQ(names, (std::vector<std::u16string>{u"a=1&2", u"b=", u"c=3"}));
    EXPECT_EQ(containers, 2);

    // Writing pulls one name at a time; a name with nothing set is not written.
    TWorkbookTestDoc out;
    int next = 0;
    const std::vector<std::pair<std::u16string, std::u16string>> source = {
        {u"x", u"Sheet1!$A$1"}, {u"", u""}, {u"y", u""}};
    out.Workbook().DefinedNamesItem.OnWriteDefinedName = [&](sml::TCT_DefinedName& name) {
        if (next == static_cast<int>(source.size())) return false;
        name.Clear();
        name.name = source[static_cast<size_t>(next)].first;
        name.Text = source[static_cast<size_t>(next)].second;
        ++next;
        return true;
    };
    bool asked = false;
    out.Workbook().OnWriteDefinedNames = [&](sml::TCT_DefinedNames&) { return !std::exchange(asked, true); };
    const std::string saved = Compact(Save(out));
    ExpectHas(saved,
              "<definedNames><definedName name=\"x\">Sheet1!$A$1</definedName>"
              "<definedName name=\"y\"/></definedNames>");
}

TEST(SmlWorkbook, EmptyWorkbookWritesOnlyItsElement) {
    TWorkbookTestDoc doc;
    const std::string saved = Save(doc);
    ExpectHas(saved, "<workbook xmlns=\"");
    ExpectLacks(saved, "calcPr");
    ExpectLacks(saved, "definedNames");
}

// What is written back of attributes at, or away from, their defaults.
TEST(SmlWorkbook, AttributesAreWrittenBackByTheirRules) {
    struct TCase {
        const char* Body;
        const char* Has;    // in the saved part, or nullptr
        const char* Lacks;  // not in the saved part, or nullptr
    };
    const TCase cases[] = {
        {"<functionGroups builtInGroupCount=\"16\"/>", nullptr, "builtInGroupCount"},
        {"<webPublishing targetScreenSize=\"800x600\" dpi=\"96\" css=\"1\"/>", nullptr, "webPublishing"},
        {"<webPublishing targetScreenSize=\"1024x768\" characterSet=\"UTF-8\"/>",
         "<webPublishing targetScreenSize=\"1024x768\" characterSet=\"UTF-8\"/>", nullptr},
        {"<webPublishObjects><webPublishObject id=\"1\"/></webPublishObjects>",
         "<webPublishObject id=\"1\" divId=\"\" destinationFile=\"\"/>", nullptr},
        {"<customWorkbookViews><customWorkbookView name=\"v\" guid=\"{1}\" showComments=\"commIndicator\"/>"
         "</customWorkbookViews>",
         "<customWorkbookView name=\"v\" guid=\"{1}\" windowWidth=\"0\" windowHeight=\"0\" activeSheetId=\"0\"/>",
         "showComments"},
        {"<customWorkbookViews><customWorkbookView name=\"v\" showComments=\"commNone\"/></customWorkbookViews>",
         "showComments=\"commNone\"", nullptr},
        {"<calcPr iterateDelta=\"0.001\" fullPrecision=\"0\"/>", "<calcPr iterateDelta=\"0.001\" fullPrecision=\"0\"/>",
         nullptr},
        {"<calcPr iterateCount=\"100\"/>", nullptr, "calcPr"},
        {"<sheets><sheet name=\"s\" sheetId=\"1\" x:id=\"rId1\" xmlns:x=\"urn:other\"/></sheets>",
         "<sheet name=\"s\" sheetId=\"1\" r:id=\"\"/>", nullptr},
        {"<smartTagPr embed=\"1\" show=\"noIndicator\"/><smartTagTypes><smartTagType name=\"n\"/></smartTagTypes>",
         "<smartTagPr embed=\"1\" show=\"noIndicator\"/><smartTagTypes><smartTagType name=\"n\"/></smartTagTypes>",
         nullptr},
        {"<pivotCaches><pivotCache cacheId=\"0\" r:id=\"rId9\"/></pivotCaches>",
         "<pivotCache cacheId=\"0\" r:id=\"rId9\"/>", nullptr},
        {"<extLst><ext uri=\"{X}\"><y:z xmlns:y=\"urn:y\"/></ext></extLst>", "<extLst><ext uri=\"{X}\"/></extLst>",
         nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Body);
        TReadBook book(c.Body);
        const std::string saved = book.Saved();
        if (c.Has) ExpectHas(saved, c.Has);
        if (c.Lacks) ExpectLacks(saved, c.Lacks);
    }
}

TEST(SmlWorkbook, TruncatedOrForeignPartsRaise) {
    for (const char* markup :
         {"<workbook><sheets><sheet name=\"a", "<workbook><definedNames><definedName>x", "<worksheet/>"}) {
        TWorkbookTestDoc doc;
        EXPECT_THROW(Load(doc, markup), base::Exception) << markup;
    }
}

// Every value of every enumeration of the workbook part is read and written back as itself.
struct TEnumCase {
    const char* Element;  // the element under "workbook", with its container when it has one
    const char* Attribute;
    std::span<const std::u16string_view> Texts;
    uint8_t Default;
    std::function<uint8_t(sml::TCT_Workbook&)> Read;
};

TEST(SmlWorkbook, EveryEnumerationValueConvertsBothWays) {
    const std::vector<TEnumCase> cases = {
        {"workbookPr", "showObjects", sml::ST_ObjectsTexts, sml::stoAll,
         [](sml::TCT_Workbook& wb) { return wb.workbookPr->showObjects; }},
        {"workbookPr", "updateLinks", sml::ST_UpdateLinksTexts, sml::stulUserSet,
         [](sml::TCT_Workbook& wb) { return wb.workbookPr->updateLinks; }},
        {"calcPr", "calcMode", sml::ST_CalcModeTexts, sml::stcmAuto,
         [](sml::TCT_Workbook& wb) { return wb.calcPr->calcMode; }},
        {"calcPr", "refMode", sml::ST_RefModeTexts, sml::strmA1,
         [](sml::TCT_Workbook& wb) { return wb.calcPr->refMode; }},
        {"sheets/sheet", "state", sml::ST_SheetStateTexts, sml::stssVisible,
         [](sml::TCT_Workbook& wb) { return wb.sheets->sheet.GetItems(0).state; }},
        {"bookViews/workbookView", "visibility", sml::ST_VisibilityTexts, sml::stvVisible,
         [](sml::TCT_Workbook& wb) { return wb.bookViews->workbookView.GetItems(0).visibility; }},
        {"customWorkbookViews/customWorkbookView", "showComments", sml::ST_CommentsTexts, sml::stcCommIndicator,
         [](sml::TCT_Workbook& wb) { return wb.customWorkbookViews->customWorkbookView.GetItems(0).showComments; }},
        {"customWorkbookViews/customWorkbookView", "showObjects", sml::ST_ObjectsTexts, sml::stoAll,
         [](sml::TCT_Workbook& wb) { return wb.customWorkbookViews->customWorkbookView.GetItems(0).showObjects; }},
        {"smartTagPr", "show", sml::ST_SmartTagShowTexts, sml::ststsAll,
         [](sml::TCT_Workbook& wb) { return wb.smartTagPr->show; }},
        {"webPublishing", "targetScreenSize", sml::ST_TargetScreenSizeTexts, sml::sttss800x600,
         [](sml::TCT_Workbook& wb) { return wb.webPublishing->targetScreenSize; }},
    };
    for (const auto& c : cases) {
        const std::string path = c.Element;
        const size_t slash = path.find('/');
        const std::string leaf = slash == std::string::npos ? path : path.substr(slash + 1);
        for (size_t ordinal = 0; ordinal < c.Texts.size(); ++ordinal) {
            const std::string text = base::Utf16ToUtf8(c.Texts[ordinal]);
            const std::string element = "<" + leaf + " " + c.Attribute + "=\"" + text + "\"/>";
            const std::string body = slash == std::string::npos ? element
                                                                : "<" + path.substr(0, slash) + ">" + element + "</" +
                                                                      path.substr(0, slash) + ">";
            TReadBook book(body);
            SCOPED_TRACE(body);
            EXPECT_TRUE(book.Reports.empty());
            EXPECT_EQ(c.Read(book.Doc.Workbook()), ordinal);
            const std::string written = std::string(c.Attribute) + "=\"" + text + "\"";
            if (ordinal == c.Default)
                ExpectLacks(book.Saved(), written);
            else
                ExpectHas(book.Saved(), written);
        }
    }
}

}  // namespace
}  // namespace xpg
