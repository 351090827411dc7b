#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/text_encoding.h"
#include "workbook/formula/biff_formula_tokenizer.h"

namespace xls::biff_formula {
namespace {

std::string Kinds(std::u16string_view text) {
    TXLSTokenizer tokenizer([](int, const std::u16string&) {});
    tokenizer.Tokenize(text);
    std::string out;
    for (const TXLSToken& t : tokenizer.Tokens()) {
        if (!out.empty()) out += ' ';
        out += base::Utf16ToUtf8(XLSTokenTypeNames[t.Kind]) + ":" + base::Utf16ToUtf8(t.Text);
    }
    return tokenizer.Error() ? out + " !error" : out;
}

TEST(BiffFormulaTokenizer, TokenKinds) {
    struct TCase {
        std::u16string_view Text;
        std::string Kinds;
    };
    const TCase cases[] = {
        {u"sum(a1:$b$2)", "ttFunc:SUM ttArea:A1:$B$2 ttParenR:)"},
        {u"Data!A1", "ttSheetName:DATA ttRef3d:A1"},
        {u"'My Sheet'!b1:c2", "ttSheetName:My Sheet ttArea3d:B1:C2"},
        {u"'C:\\d\\[b.xls]S'!A1", "ttPath:C:\\d\\ ttFile:b.xls ttSheetNameX:S ttRefX:A1"},
        {u"'C:\\d\\b.xls'!Nm", "ttPath:C:\\d\\b.xls ttNameX:NM"},
        {u"IV65536+IW1+A65537+JA1", "ttRef:IV65536 ttAdd:+ ttName:IW1 ttAdd:+ ttName:A65537 ttAdd:+ ttName:JA1"},
        {u"1<=2<>3>=4<5>6=7",
         "ttNumber:1 ttLE:<= ttNumber:2 ttNE:<> ttNumber:3 ttGE:>= ttNumber:4 ttLT:< "
         "ttNumber:5 ttGT:> ttNumber:6 ttEQ:= ttNumber:7"},
        {u"\"it's\"&b1", "ttString:it's ttConcat:& ttRef:B1"},
        {u"\"say \"\"hi\"\"\"&\"\"\"\"", "ttString:say \"hi\" ttConcat:& ttString:\""},
        {u"#div/0!+#N/A", "ttError:#DIV/0! ttAdd:+ ttError:#N/A"},
        {u"error.type(x)", "ttFunc:ERROR.TYPE ttName:X ttParenR:)"},
        {u"1.5%", "ttNumber:1.5 ttPercent:%"},
        {u"( 1 ,2)", "ttParenL:( ttSpace:  ttNumber:1 ttSpace:  ttListSep:, ttNumber:2 ttParenR:)"},
        {u"{1}", " !error"},
        // Scientific notation, with or without a sign or a decimal point; an exponent needs digits.
        {u"1e9*2", "ttNumber:1E9 ttMul:* ttNumber:2"},
        {u"1.5E+3-2E-2", "ttNumber:1.5E+3 ttSub:- ttNumber:2E-2"},
        {u"1E", " !error"},
        {u"1E+)", " !error"},
        {u"1E2E3", " !error"},
        {u"1E2.5", " !error"},
    };
    for (const TCase& c : cases) EXPECT_EQ(Kinds(c.Text), c.Kinds) << base::Utf16ToUtf8(c.Text);
    EXPECT_EQ(XLSTokenTypeNames[ttError], u"ttError");
    EXPECT_EQ(XLSTokenTypeNames[ttSheetNameX], u"ttSheetNameX");
}

}  // namespace
}  // namespace xls::biff_formula
