#include <gtest/gtest.h>

#include <string>

#include "base/text_encoding.h"
#include "workbook/formula/formula_tokenizer.h"
#include "workbook/model/error_manager.h"
#include "workbook/model/utils.h"

namespace xls {
namespace {

bool IsReferencePart(TXLSTokenKind k) {
    return k == xttBook || k == xttSheet || k == xttSheetEnd || k == xttCol || k == xttColAbs || k == xttRow ||
           k == xttRowAbs || k == xttName || k == xttColon;
}

// The model tokenizer's tokens as openpyxl's words (see gen_openpyxl_tokens.py). A reference is
// several tokens here (prefix, corners, colon) and one operand there: a run of reference parts
// becomes one word, sliced from the text by the tokens' positions. A table reference runs to its
// closing bracket.
std::string Words(std::u16string_view text) {
    TXLSErrorManager errors;
    TXLSTokenizer tokenizer(errors);
    const TXLSTokenList list = tokenizer.Tokenize(text);
    // A sheet or book token covers the name only; its quote and bracket belong to the word.
    auto slice = [&](size_t from, size_t to) {
        size_t start = list[from].Start - 1;
        while (start > 0 && (text[start - 1] == u'\'' || text[start - 1] == u'[')) --start;
        return base::Utf16ToUtf8(text.substr(start, list[to].End - start));
    };
    std::string out;
    auto word = [&](const std::string& w) { out += (out.empty() ? "" : " ") + w; };
    for (size_t i = 0; i < list.size(); ++i) {
        const TXLSTokenKind k = list[i].Kind;
        if (k == xttTable) {
            size_t j = i;
            while (list[j].Kind != xttTableEnd) ++j;
            word("R:" + slice(i, j));
            i = j;
        } else if (IsReferencePart(k) ||
                   (k >= xttErrNull && k <= xttErrGettingData && i > 0 && list[i - 1].Kind == xttSheetEnd)) {
            size_t j = i;
            while (j + 1 < list.size() && (IsReferencePart(list[j + 1].Kind) ||
                                           (list[j].Kind == xttSheetEnd && list[j + 1].Kind >= xttErrNull &&
                                            list[j + 1].Kind <= xttErrGettingData)))
                ++j;
            word("R:" + slice(i, j));
            i = j;
        } else if (k >= xttErrNull && k <= xttErrGettingData) {
            word("E:" + slice(i, i));
        } else if (k == xttTrue || k == xttFalse) {
            word("B:" + slice(i, i));
        } else if (k == xttNumber) {
            word("N:" + slice(i, i));
        } else if (k == xttString) {
            word("S:" + slice(i, i));
        } else if (k == xttFunc) {
            word("F:" + base::Utf16ToUtf8(WideUpperCaseStr(list[i].Text)));
        } else if (k == xttNeg || k == xttPos) {
            word(k == xttNeg ? "u-" : "u+");
        } else if (k == xttSpace || k == xttWhitespace || k == xttIsect) {
        } else {
            word(slice(i, i));
        }
    }
    return out;
}

TEST(OpenpyxlOracle, TokensMatchOpenpyxlsTokenizer) {
    struct TCase {
        std::u16string_view Text;
        std::string Words;
    };
    const TCase cases[] = {
#include "workbook/formula/tests/openpyxl_token_table.inc"
    };
    for (const TCase& c : cases) EXPECT_EQ(Words(c.Text), c.Words) << base::Utf16ToUtf8(c.Text);
}

}  // namespace
}  // namespace xls
