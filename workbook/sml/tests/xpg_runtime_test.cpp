#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/exception.h"
#include "base/text_encoding.h"
#include "workbook/sml/tests/xpg_test_support.h"
#include "workbook/sml/tests/xpgtest.h"

namespace xpg {
namespace {

using testing::Load;
using testing::Save;
using namespace xpgtest;

constexpr const char* MainNs = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";

TEST(XpgRuntime, ReadsEveryAttributeKind) {
    TXPGDocTest doc;
    std::vector<std::u16string> reports;
    doc.Errors.SetOnError([&](xls::TXpgPErrors& e) { reports.push_back(e.Text()); });
    std::vector<int> rows;
    std::vector<std::u16string> cells;
    auto& sheetData = *doc.worksheet().sheetData;
    sheetData.OnReadrow = [&](TCT_Row& row) { rows.push_back(row.r); };
    sheetData.rowItem.OnReadc = [&](TCT_Cell& c) {
        cells.push_back(c.r + u":" + std::u16string(1, static_cast<char16_t>(u'0' + c.t)) + u":" + c.v + u":" +
                        c.f->Text);
        c.f->Text.clear();
    };
    Load(doc, std::string("<worksheet xmlns=\"") + MainNs +
                  "\" xmlns:r=\"urn:r\">"
                  "<sheetPr codeName=\"A\" filterMode=\"1\"/><sheetPr filterMode=\"0\"/>"
                  "<sheetData>"
                  "<row r=\"1\" spans=\"1:2 4:5\" hidden=\"true\" ht=\"12.5\">"
                  "<c r=\"A1\" t=\"S\"><v>3</v></c><c r=\"B1\" s=\"x\"><f>A1/2</f><v>1.5</v><q/></c></row>"
                  "<row r=\"3\"/>"
                  "</sheetData>"
                  "<f si=\"7\">SUM(A1)</f>"
                  "<sheetProtection password=\"CC1A\" tehes=\"1\" bogus=\"1\"/>"
                  "<legacyDrawing xmlns:r=\"urn:r\" r:id=\"anysvml\"/>"
                  "<extLst><ext xmlns:x14=\"urn:x14\" other=\"1\" uri=\"{A}\"><deep><deeper/></deep></ext>"
                  "<txe uri=\"{Z}\"/></extLst>"
                  "</worksheet>");
    auto& ws = doc.worksheet();
    EXPECT_TRUE(ws.WasRead());
    EXPECT_EQ(ws.sheetPr->codeName, u"A");  // a repeated single child keeps what is not overwritten
    EXPECT_FALSE(ws.sheetPr->filterMode);
    EXPECT_EQ(rows, (std::vector<int>{1, 3}));
    // Cell children are told apart by their first letter; an unknown one is still reported.
    EXPECT_EQ(cells, (std::vector<std::u16string>{u"A1:3:3:", u"B1:1:1.5:A1/2"}));
    EXPECT_NE(std::find(reports.begin(), reports.end(), u"Row 0: Unknown Element \"q\""), reports.end());
    EXPECT_EQ(ws.f->si, 7);
    EXPECT_EQ(ws.f->Text, u"SUM(A1)");
    EXPECT_EQ(ws.sheetProtection->password, 0xCC1Au);
    EXPECT_TRUE(ws.sheetProtection->tehes);
    EXPECT_FALSE(ws.sheetProtection->sheet);
    EXPECT_EQ(ws.legacyDrawing->r_id, u"anysvml");  // found behind another attribute
    ASSERT_EQ(ws.extLst->ext.Count(), 1);
    EXPECT_EQ(ws.extLst->ext.GetItems(0).uri, u"{A}");
    // A container of one child kind compares the name itself, not its byte sum.
    EXPECT_NE(std::find(reports.begin(), reports.end(), u"Row 0: Unknown Element \"txe\""), reports.end());
    EXPECT_NE(std::find(reports.begin(), reports.end(), u"Row 0: Unknown Attribute \"bogus\""), reports.end());
    // An extension reports nothing about attributes beside its uri.
    for (const auto& report : reports)
        EXPECT_EQ(report.find(u"other"), std::u16string::npos) << base::Utf16ToUtf8(report);
}

TEST(XpgRuntime, ADuplicateAttributeFailsTheRead) {
    TXPGDocTest doc;
    try {
        Load(doc, std::string("<worksheet xmlns=\"") + MainNs +
                      "\"><sheetData><row r=\"2\" r=\"3\"/></sheetData></worksheet>");
        FAIL() << "no exception";
    } catch (const base::Exception& e) {
        EXPECT_EQ(e.Message(), "Syntax error in XML: attribute \"r\" twice in \"row\"");
    }
}

TEST(XpgRuntime, WritesInSchemaOrderWhatIsAssigned) {
    TXPGDocTest doc;
    auto& ws = doc.worksheet();
    doc.Root().RootAttributes.Add("xmlns", u"urn:main");
    ws.sheetPr->codeName = u"Sheet1";
    ws.legacyDrawing->r_id = u"rId9";
    ws.f->Text = u"1+1";
    ws.extLst->ext.Add();  // an item with nothing assigned is still written
    ws.extLst->ext.Add().uri = u"{B}";
    int rowsLeft = 2;
    int cellsLeft = 0;
    auto& data = *ws.sheetData;
    data.OnWriterow = [&](TCT_Row& row) {
        if (rowsLeft == 0) return false;
        row.Clear();
        row.r = 3 - rowsLeft--;
        row.spans.SetDelimitedText(u"1:2");
        cellsLeft = 1;
        return true;
    };
    data.rowItem.OnWritec = [&](TCT_Cell& cell) {
        if (cellsLeft == 0) return false;
        --cellsLeft;
        cell.Clear();
        cell.r = u"A1";
        cell.t = stcts;
        cell.v = u"0";
        return true;
    };
    const std::string saved = Save(doc);
    const std::vector<std::string> order = {
        "<worksheet xmlns=\"urn:main\" >",
        "<sheetPr codeName=\"Sheet1\" />",
        "<sheetData>",
        "<row r=\"1\" spans=\"1:2\" >",
        "<c r=\"A1\" t=\"s\" >",
        "<v>0</v>",
        "<row r=\"2\" spans=\"1:2\" >",
        "</sheetData>",
        "<f>1+1</f>",
        "<legacyDrawing r:id=\"rId9\" />",
        "<extLst>",
        "<ext/>",
        "<ext uri=\"{B}\" />",
        "</worksheet>",
    };
    size_t at = 0;
    for (const auto& piece : order) {
        const auto found = saved.find(piece, at);
        ASSERT_NE(found, std::string::npos) << piece << "\n" << saved;
        at = found + piece.size();
    }
    EXPECT_EQ(saved.find("sheetProtection"), std::string::npos);
}

TEST(XpgRuntime, PrefixedMainNamespaceAndUnknownWrapper) {
    TXPGDocTest doc;
    Load(doc, std::string("<x:worksheet xmlns:x=\"") + MainNs +
                  "\">"
                  "<x:sheetPr codeName=\"P\"/>"
                  "<x:wrapper codeName=\"lost\"><x:sheetPr codeName=\"inner\"/></x:wrapper>"
                  "</x:worksheet>");
    EXPECT_TRUE(doc.worksheet().WasRead());
    EXPECT_EQ(doc.worksheet().sheetPr->codeName, u"P");
}

TEST(XpgRuntime, EnumRegistryIgnoresCase) {
    EXPECT_EQ(xpgtest::Registry().StrToEnum(u"STCTINLINESTR"), stctinlineStr);
    EXPECT_EQ(xpgtest::Registry().StrToEnum(u"stctnone"), 0);
}

}  // namespace
}  // namespace xpg
