#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/text_encoding.h"
#include "workbook/dml/tests/dmltest.h"
#include "workbook/sml/tests/xpg_test_support.h"

namespace xpg::dmltest {
namespace {

constexpr std::string_view MainNs = "http://schemas.openxmlformats.org/drawingml/2006/main";

struct Loaded {
    TXPGDocDmlTest doc;
    std::vector<std::u16string> reports;
};

void LoadBody(Loaded& loaded, std::string_view inner) {
    loaded.doc.Errors.SetOnError([&](xls::TXpgPErrors& e) { loaded.reports.push_back(e.Text()); });
    testing::Load(loaded.doc, "<txBody xmlns=\"" + std::string(MainNs) + "\">" + std::string(inner) + "</txBody>");
}

// The saved part without the line breaks the writer puts between elements.
std::string Saved(TXPGDocDmlTest& doc) {
    std::string text = testing::Save(doc);
    std::erase_if(text, [](char c) { return c == '\r' || c == '\n'; });
    return text;
}

bool Reported(const Loaded& loaded, std::u16string_view text) {
    for (const auto& report : loaded.reports)
        if (report.find(text) != std::u16string::npos) return true;
    return false;
}

// A name with the byte sum or the first letter of a known one is another, unknown name: it is
// reported and neither it nor its content reaches the known field.
TEST(DmlDispatch, NamesAreComparedInFull) {
    struct Case {
        const char* markup;
        std::u16string_view report;
    };
    const Case cases[] = {
        {"<bodyPr anchor=\"ctr\" anhcor=\"b\"/>", u"Unknown Attribute \"anhcor\""},
        {"<bodyPr anchor=\"ctr\" wrpa=\"none\"/>", u"Unknown Attribute \"wrpa\""},
        {"<bodyPr anchor=\"ctr\"/><bodyrP anchor=\"b\"><bodyPr anchor=\"b\"/></bodyrP>", u"Unknown Element \"bodyrP\""},
        {"<bodyPr anchor=\"ctr\"/><p><r>kept</r><rr>lost</rr><fldx>lost</fldx></p>", u"Unknown Element \"rr\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.markup);
        Loaded loaded;
        LoadBody(loaded, c.markup);
        const auto& body = loaded.doc.txBody();
        EXPECT_EQ(body.bodyPr->anchor, sttatCtr1);
        EXPECT_TRUE(body.bodyPr->wrap.empty());
        EXPECT_FALSE(body.lstStyle->WasRead());
        for (int i = 0; i < body.p.Count(); ++i) {
            EXPECT_EQ(body.p.GetItems(i).r, u"kept");
            EXPECT_TRUE(body.p.GetItems(i).fld.empty());
        }
        EXPECT_TRUE(Reported(loaded, c.report)) << base::Utf16ToUtf8(c.report);
    }
}

// An enumerated attribute reads its own type's values only; anything else is reported and
// leaves it unset, so it is not written; the other attributes still load.
TEST(DmlDispatch, EnumeratedAttributeReadsAndWritesItsOwnValues) {
    struct Case {
        const char* value;
        uint8_t ordinal;
        const char* written;
    };
    const Case cases[] = {
        {"dist", sttatDist1, "<bodyPr anchor=\"dist\" wrap=\"w\" />"},
        {"CTR", sttatCtr1, "<bodyPr anchor=\"ctr\" wrap=\"w\" />"},
        {"justLow", 255, "<bodyPr wrap=\"w\" />"},
        {"sttatDist1", 255, "<bodyPr wrap=\"w\" />"},
        {"", 255, "<bodyPr wrap=\"w\" />"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        Loaded loaded;
        LoadBody(loaded, std::string("<bodyPr anchor=\"") + c.value + "\" wrap=\"w\"/>");
        EXPECT_EQ(loaded.doc.txBody().bodyPr->anchor, c.ordinal);
        EXPECT_EQ(loaded.doc.txBody().bodyPr->wrap, u"w");
        EXPECT_EQ(loaded.reports.empty(), c.ordinal != 255);
        const std::string saved = Saved(loaded.doc);
        EXPECT_NE(saved.find(c.written), std::string::npos) << saved;
    }
}

// A required child is written where the schema wants it, also when it was absent or empty.
TEST(DmlDispatch, RequiredChildIsAlwaysWritten) {
    struct Case {
        const char* markup;
        const char* written;
    };
    const Case cases[] = {
        {"", "<txBody xmlns=\"http://schemas.openxmlformats.org/drawingml/2006/main\" ><bodyPr/></txBody>"},
        {"<p><r>x</r></p>", "><bodyPr/><p><r>x</r></p></txBody>"},
        {"<p><r>x</r></p><bodyPr/>", "><bodyPr/><p><r>x</r></p></txBody>"},
        {"<bodyPr wrap=\"w\"/>", "><bodyPr wrap=\"w\" /></txBody>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.markup);
        Loaded loaded;
        LoadBody(loaded, c.markup);
        const std::string saved = Saved(loaded.doc);
        EXPECT_NE(saved.find(c.written), std::string::npos) << saved;
    }
}

}  // namespace
}  // namespace xpg::dmltest
