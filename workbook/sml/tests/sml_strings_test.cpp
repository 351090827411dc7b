#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/memory_stream.h"
#include "base/text_encoding.h"
#include "workbook/sml/sml_document.h"
#include "workbook/sml/sml_strings.h"
#include "workbook/sml/tests/xpg_test_support.h"

namespace xpg::sml {
namespace {

using testing::Load;

const std::string MainNs = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";

std::string Flat(const std::string& text) {
    std::string result;
    for (char c : text)
        if (c != '\r') result += c;
    return result;
}

std::string SaveSst(TXPGDocXLSX& doc) {
    base::TMemoryStream stream;
    doc.SaveToStream(stream, TXPGRoot::Sst);
    return Flat(std::string(reinterpret_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size())));
}

// One line per string: its plain text, then each run as [text|bold|underline].
std::string Describe(const TCT_Rst& si) {
    std::string text = base::Utf16ToUtf8(si.t);
    for (int i = 0; i < si.r.Count(); ++i) {
        const auto& run = si.r.GetItems(i);
        text += "[" + base::Utf16ToUtf8(run.t) + "|" + (run.rPr->b->val.value_or(false) ? "b" : "") + "|" +
                std::to_string(run.rPr->u->val) + "]";
    }
    for (int i = 0; i < si.rPh.Count(); ++i) text += "{" + base::Utf16ToUtf8(si.rPh.GetItems(i).t) + "}";
    return text;
}

TEST(SmlStrings, StringsStreamToTheEventAndBack) {
    TXPGDocXLSX doc;
    std::vector<std::string> read;
    doc.Sst().OnReadSi = [&](TCT_Rst& si) { read.push_back(Describe(si)); };
    Load(doc, "<sst xmlns=\"" + MainNs +
                  "\" count=\"5\" uniqueCount=\"5\">"
                  "<si><t xml:space=\"preserve\"> a </t></si>"
                  "<si/>"
                  "<si><r><rPr><b/><u/></rPr><t>温度</t></r><r><t>plain</t></r></si>"
                  "<si><t>漢字</t><rPh sb=\"0\" eb=\"2\"><t>かんじ</t></rPh><phoneticPr fontId=\"1\" type=\"Hiragana\"/></si>"
                  "<si><t>line\n</t></si>"
                  "</sst>");
    EXPECT_EQ(read, (std::vector<std::string>{" a ", "", "[温度|b|0][plain||255]", "漢字{かんじ}", "line\n"}));
    EXPECT_EQ(doc.Sst().count, 5);

    // Written back from the same descriptions, one string at a time.
    size_t next = 0;
    std::vector<std::string> source = {" a ", "", "rich", "漢字", "line\n"};
    doc.Sst().OnWriteSi = [&](TCT_Rst& si) {
        if (next == source.size()) return false;
        si.Clear();
        if (source[next] == "rich") {
            auto& bold = si.r.Add();
            bold.rPr->b->val = true;
            bold.rPr->u->val = stuvSingle;
            bold.t = u"温度";
            si.r.Add().t = u"plain";
        } else {
            si.t = base::Utf8ToUtf16(source[next]);
        }
        ++next;
        return true;
    };
    const std::string saved = SaveSst(doc);
    const std::vector<std::string> pieces = {
        "main\" count=\"5\" uniqueCount=\"5\" >",
        "<si><t xml:space=\"preserve\" > a </t></si>",
        "<si><t/></si>",
        "<si><r><rPr><b/><u/></rPr><t>温度</t></r><r><t>plain</t></r></si>",
        "<si><t>漢字</t></si>",
        "<si><t xml:space=\"preserve\" >line\n</t></si>",
        "</sst>",
    };
    size_t at = 0;
    for (const auto& piece : pieces) {
        const auto found = saved.find(piece, at);
        ASSERT_NE(found, std::string::npos) << piece << "\n" << saved;
        at = found + piece.size();
    }
}

TEST(SmlStrings, MemoryDoesNotGrowWithTheStrings) {
    TXPGDocXLSX doc;
    int count = 0;
    const TCT_RElt* firstRun = nullptr;
    doc.Sst().OnReadSi = [&](TCT_Rst& si) {
        ++count;
        EXPECT_LE(si.r.Count(), 1);
        if (si.r.Count() == 1 && firstRun == nullptr) firstRun = &si.r.GetItems(0);
    };
    std::string markup = "<sst xmlns=\"" + MainNs + "\">";
    for (int i = 0; i < 1000; ++i) markup += i % 2 ? "<si><t>x</t></si>" : "<si><r><t>y</t></r></si>";
    Load(doc, markup + "</sst>");
    EXPECT_EQ(count, 1000);
    EXPECT_EQ(doc.Sst().SiItem.r.Count(), 0);  // cleared for the last (plain) string
}

TEST(SmlStrings, PhoneticPropertiesAndUnknownContent) {
    TXPGDocXLSX doc;
    std::vector<std::u16string> reports;
    doc.Errors.SetOnError([&](xls::TXpgPErrors& e) { reports.push_back(e.Text()); });
    std::vector<int> fontIds;
    doc.Sst().OnReadSi = [&](TCT_Rst& si) { fontIds.push_back(si.phoneticPr->fontId); };
    Load(doc, "<x:sst xmlns:x=\"" + MainNs +
                  "\"><x:si><x:t>a</x:t><x:bogus><x:t>lost</x:t></x:bogus><x:phoneticPr fontId=\"0\" type=\"katakana\"/></x:si></x:sst>");
    EXPECT_EQ(fontIds, (std::vector<int>{0}));
    EXPECT_EQ(doc.Sst().SiItem.t, u"a");
    EXPECT_EQ(doc.Sst().SiItem.phoneticPr->type, stptFullwidthKatakana);
    EXPECT_EQ(reports, (std::vector<std::u16string>{u"Row 0: Unknown Element \"x:bogus\"",
                                                    u"Row 0: Unknown Value \"type=katakana\""}));
}

}  // namespace
}  // namespace xpg::sml
