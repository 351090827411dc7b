#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "base/text_encoding.h"
#include "workbook/formula/formula_text.h"
#include "workbook/formula/formula_tokenizer.h"
#include "workbook/formula/tests/formula_text_book.h"
#include "workbook/model/error_manager.h"
#include "workbook/model/external_links.h"
#include "workbook/model/tables.h"
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

struct TCorpusCase {
    std::u16string_view Text;
    std::string Words;
};

const TCorpusCase Corpus[] = {
#include "workbook/formula/tests/openpyxl_token_table.inc"
};

TEST(OpenpyxlOracle, TokensMatchOpenpyxlsTokenizer) {
    for (const TCorpusCase& c : Corpus) EXPECT_EQ(Words(c.Text), c.Words) << base::Utf16ToUtf8(c.Text);
}

// A workbook in which every sheet, name, external book and table of the corpus exists.
struct TCorpusBook : test::TFormulaTextBook {
    TCorpusBook() {
        for (const char16_t* name : {u"Sheet1", u"Sheet2", u"Sheet3", u"My Sheet", u"It's", u"Data"})
            Root.Worksheets().Add(-1)->Name = name;
        Names.Add(u"Rate", -1);
        Names.Add(u"_x.y", -1);
        TXc12XExternalBook& book = Root.XLinks().Add()->externalBook;
        book.Target = u"Book1.xlsx";
        book.SheetNames = {"Data"};
        TXc12Table* table = Root.Worksheets().GetItems(0)->tableParts.Add();
        table->name = u"Table1";
        table->ref = MakeCellArea(4, 0, 5, 9);
        for (const char16_t* column : {u"Sales", u"Sales Amount"}) table->tableColumns.Add()->name = column;
    }
};

// Text -> code -> text over the same corpus: the text comes back as typed, except where the code
// keeps a value rather than its spelling (numbers are written in one way, an external book by its
// file name, and a prefix is quoted only where it must be); and the text that comes back compiles
// to the same code.
TEST(OpenpyxlOracle, CorpusComesBackAsTyped) {
    const std::pair<std::u16string_view, std::u16string_view> respelled[] = {
        {u".5", u"0.5"},
        {u"12E3", u"12000"},
        {u"[1]Data!A1", u"[Book1.xlsx]Data!A1"},
        {u"'[Book1.xlsx]Data'!$A$1", u"[Book1.xlsx]Data!$A$1"},
    };
    TCorpusBook book;
    for (const TCorpusCase& c : Corpus) {
        SCOPED_TRACE(base::Utf16ToUtf8(c.Text));
        book.Report.clear();
        const std::vector<uint8_t> code = EncodeCellFormulaText(book.Root, c.Text, 0, 10, 10);
        EXPECT_EQ(book.Report, "");
        ASSERT_FALSE(code.empty());
        std::u16string expected(c.Text);
        for (const auto& [typed, written] : respelled)
            if (typed == c.Text) expected = written;
        const std::u16string text = DecodeFormulaText(book.Root, code, 0);
        EXPECT_EQ(base::Utf16ToUtf8(text), base::Utf16ToUtf8(expected));
        EXPECT_EQ(EncodeCellFormulaText(book.Root, text, 0, 10, 10), code);
    }
}

}  // namespace
}  // namespace xls
