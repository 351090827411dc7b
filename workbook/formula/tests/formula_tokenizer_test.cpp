#include <gtest/gtest.h>

#include <string>

#include "base/text_encoding.h"
#include "workbook/formula/formula_tokenizer.h"
#include "workbook/model/error_manager.h"

namespace xls {
namespace {

// The tokens as "kind=value" words: numbers and counts in decimal, texts as they are.
std::string Dump(const TXLSTokenList& tokens) {
    std::string out;
    for (const TXLSTokenListItem& t : tokens) {
        if (!out.empty()) out += ' ';
        out += std::to_string(t.Kind);
        switch (t.ValueType) {
            case xtvInteger: out += "=" + std::to_string(t.Int); break;
            case xtvDouble: {
                char buf[32];
                snprintf(buf, sizeof buf, "%g", t.Number);
                out += std::string("=") + buf;
                break;
            }
            case xtvText: out += "=" + base::Utf16ToUtf8(t.Text); break;
            default: break;
        }
    }
    return out;
}

struct TRecorder {
    TXLSErrorManager Errors;
    int Last = 0;
    TRecorder() {
        Errors.SetOnError([this](TXLSErrorManager& m, TXLSErrorLevel, const std::u16string&) { Last = m.LastError(); });
    }
};

std::string Tokens(std::u16string_view text, TXLSFormulaSeparators seps = {}) {
    TRecorder rec;
    TXLSTokenizer tokenizer(rec.Errors);
    tokenizer.SetSeparators(seps);
    const TXLSTokenList list = tokenizer.Tokenize(text);
    if (tokenizer.Failed()) return "report " + std::to_string(rec.Errors.LastError());
    return Dump(list);
}

TEST(FormulaTokenizer, Kinds) {
    struct TCase {
        std::u16string_view Text;
        std::string Tokens;
    };
    const TCase cases[] = {
        {u"   ", ""},
        {u"  1+2 ", "1=2 26=1 30 26=2 12=1"},
        {u"A1 B1", "44=0 46=0 43=1 44=1 46=0"},
        {u"1 + 2", "26=1 1=1 30 1=1 26=2"},
        {u"$A$1:B$2", "45=0 47=0 3 44=1 47=1"},
        {u"XFD1048576", "44=16383 46=1048575"},
        {u"XFE1", "52=XFE1"},
        {u"A1048577", "52=A1048577"},
        {u"ABCD1", "52=ABCD1"},
        {u"A1B", "52=A1B"},
        {u"sum(1)", "53=sum 26=1 8"},
        {u"LOG10(100)", "53=LOG10 26=100 8"},
        {u"1SUM", "26=1 52=SUM"},
        {u"'My Sheet'!A1", "54=My Sheet 6 44=0 46=0"},
        {u"'[Book1]Sheet1:Sheet3'!A1", "55=Book1 54=Sheet1 3 54=Sheet3 6 44=0 46=0"},
        {u"'It''s'!A1", "54=It's 6 44=0 46=0"},
        {u"Sheet1:Sheet2!A1:B2", "54=Sheet1 3 54=Sheet2 6 44=0 46=0 3 44=1 46=1"},
        {u"[1]Data!$A:$C", "55=1 54=Data 6 45=0 3 45=2"},
        {u"Sheet1!#REF!+1", "54=Sheet1 6 16 30 26=1"},
        {u"2:$5", "46=1 3 47=4"},
        {u"\"a\"\"b\"", "23=a\"b"},
        {u"true", "52=true"},
        {u"TRUE", "21"},
        {u"TRUE()", "53=TRUE 8"},
        {u"{1,2;3,4}", "24 26=1 2 26=2 4 26=3 2 26=4 25"},
        {u"{}", "24 25"},
        {u"{-1,2}", "24 32 26=1 2 26=2 25"},
        {u"{-1,-2}", "24 32 26=1 2 32 26=2 25"},
        {u"-2^2%", "32 26=2 27 26=2 41"},
        {u"1<>2<=3>=4", "26=1 36 26=2 38 26=3 40 26=4"},
        {u"SUM(1,,2)", "53=SUM 26=1 2 2 26=2 8"},
        {u"(A1,B2)", "7 44=0 46=0 2 44=1 46=1 8"},
        {u"#N/A", "19"},
        {u"1.5E+3", "26=1500"},
        {u".5", "26=0.5"},
        {u"Table1[[#Headers],[Sales]]", "56=Table1 58=Headers 2 57=Sales 10"},
        {u"Table1[Sales]", "56=Table1 57=Sales 10"},
        {u"Table1[]", "56=Table1 10"},
        {u"T[[#This Row],[a'#b]]", "56=T 58=This Row 2 57=a'#b 10"},
        {u"MyName*2", "52=MyName 28 26=2"},
        {u"_x.y", "52=_x.y"},
    };
    for (const TCase& c : cases) EXPECT_EQ(Tokens(c.Text), c.Tokens) << base::Utf16ToUtf8(c.Text);
}

TEST(FormulaTokenizer, Reports) {
    struct TCase {
        std::u16string_view Text;
        int Code;
    };
    const TCase cases[] = {
        {u"#FOO", 4001},      {u"1E+", 4002},     {u".", 4003},           {u"\"abc", 4004},    {u"{1,2", 4005},
        {u"{1,A1}", 4005},    {u"1+@", 4006},     {u"SUM(1", 4007},       {u"-", 4008},        {u"A:", 4010},
        {u"Sheet1!12", 4010}, {u"''!A1", 4011},   {u"'a:'!A1", 4011},     {u"'[B]'!A1", 4012}, {u"'[]S'!A1", 4012},
        {u"'abc", 4013},      {u"'abc'A1", 4013}, {u"Table1[#All", 4013},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(Tokens(c.Text), "report " + std::to_string(c.Code)) << base::Utf16ToUtf8(c.Text);
}

TEST(FormulaTokenizer, ReportWithoutHandlerRaises) {
    TXLSErrorManager errors;
    TXLSTokenizer tokenizer(errors);
    EXPECT_THROW(tokenizer.Tokenize(u"1+@"), EXLSReport);
}

// A bad character stops the scan: the list is not a shorter formula that would compile.
TEST(FormulaTokenizer, BadCharacterGivesNoTokens) {
    TRecorder rec;
    TXLSTokenizer tokenizer(rec.Errors);
    EXPECT_TRUE(tokenizer.Tokenize(u"A1+B1@C1").empty());
    EXPECT_TRUE(tokenizer.Failed());
    EXPECT_EQ(rec.Last, 4006);
    EXPECT_FALSE(tokenizer.Tokenize(u"A1+B1").empty());
    EXPECT_FALSE(tokenizer.Failed());
}

TEST(FormulaTokenizer, LocaleSeparatorsArePassedExplicitly) {
    EXPECT_EQ(Tokens(u"SUM(1,5;2)", {u',', u';'}), "53=SUM 26=1.5 2 26=2 8");
    EXPECT_EQ(Tokens(u"{1\\2;3\\4}", {u',', u';'}), "24 26=1 2 26=2 4 26=3 2 26=4 25");
    EXPECT_EQ(Tokens(u"SUM(1,5;2)"), "report 4007");
}

TEST(FormulaTokenizer, PositionsAreOneBased) {
    TXLSErrorManager errors;
    TXLSTokenizer tokenizer(errors);
    const TXLSTokenList list = tokenizer.Tokenize(u" SUM(A1)");
    ASSERT_EQ(list.size(), 5u);
    EXPECT_EQ(list[1].Start, 2);
    EXPECT_EQ(list[1].End, 4);
    EXPECT_EQ(list[2].Start, 6);
    EXPECT_EQ(list[3].End, 7);
}

TEST(FormulaTokenizer, DeepNestingIsReportedNotCrashed) {
    TRecorder rec;
    TXLSTokenizer tokenizer(rec.Errors);
    std::u16string text(5000, u'(');
    text += u"1";
    text += std::u16string(5000, u')');
    EXPECT_TRUE(tokenizer.Tokenize(text).empty());
    EXPECT_EQ(rec.Last, 4006);
}

}  // namespace
}  // namespace xls
