#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/text_encoding.h"
#include "workbook/formula/formula_decoder.h"
#include "workbook/formula/formula_encoder.h"
#include "workbook/formula/formula_text.h"
#include "workbook/formula/formula_tokenizer.h"
#include "workbook/formula/ptg_tokens.h"
#include "workbook/model/class_factory.h"
#include "workbook/model/defined_names.h"
#include "workbook/model/document_root.h"
#include "workbook/model/error_manager.h"
#include "workbook/model/external_links.h"
#include "workbook/model/tables.h"
#include "workbook/model/worksheet_part.h"

namespace xls {
namespace {

class FormulaCode : public ::testing::Test {
protected:
    FormulaCode() : Root(Factory, Errors), Names(Factory) {
        Factory.SetGraphicManager(nullptr);
        Root.CreateParts();
        for (const char16_t* name : {u"Sheet1", u"My Sheet", u"It's", u"Data_1", u"TRUE"})
            Root.Worksheets().Add(-1)->Name = name;
        Root.Names = &Names;
        Names.Add(u"Rate", -1);
        Names.Add(u"Local", 1);
        TXc12XExternalBook& book = Root.XLinks().Add()->externalBook;
        book.Target = u"Book1.xlsx";
        book.SheetNames = {"Data", "Q 1"};
        Errors.SetOnError(
            [this](TXLSErrorManager& m, TXLSErrorLevel, const std::u16string&) { Report = m.LastError(); });
    }

    std::vector<uint8_t> Compile(std::u16string_view text) {
        Report = 0;
        TXLSTokenizer tokenizer(Errors);
        const TXLSTokenList tokens = tokenizer.Tokenize(text);
        if (tokenizer.Failed()) return {};
        TXLSFormulaEncoder encoder(Root);
        return encoder.Encode(tokens, -1, -1, 0);
    }

    std::string Hex(std::u16string_view text) {
        std::string out;
        for (uint8_t b : Compile(text)) {
            char buf[4];
            snprintf(buf, sizeof buf, "%02X", b);
            out += buf;
        }
        return Report ? "report " + std::to_string(Report) : out;
    }

    // The text comes back as typed, and text -> code -> text -> code is stable.
    void ExpectTextBack(std::u16string_view text) {
        const std::u16string decoded = RoundTrip(text);
        EXPECT_EQ(base::Utf16ToUtf8(decoded), base::Utf16ToUtf8(text));
        EXPECT_EQ(Compile(decoded), Compile(text)) << base::Utf16ToUtf8(text);
    }

    std::u16string RoundTrip(std::u16string_view text) {
        const std::vector<uint8_t> code = Compile(text);
        if (code.empty()) return u"report " + base::Utf8ToUtf16(std::to_string(Report));
        return DecodeFormulaToText(Root, 0, code);
    }

    TXc12ClassFactory Factory;
    TXLSErrorManager Errors;
    TXc12Manager Root;
    TXc12DefinedNames Names;
    int Report = 0;
};

TEST_F(FormulaCode, EncodesOperatorsInPrecedence) {
    struct TCase {
        std::u16string_view Text;
        std::string Hex;
    };
    const TCase cases[] = {
        {u"1+2",
         "89010000008902000000"
         "03"},
        {u"1+2*3", "8901000000890200000089030000000503"},
        // Comparisons are one level, left to right: (1=2)<3.
        {u"1=2<3",
         "89010000008902000000"
         "0B"
         "8903000000"
         "09"},
        {u"2^3^2", "8902000000890300000007890200000007"},
        {u"-2^2",
         "89020000001389020000"
         "0007"},
        {u"(1)", "890100000015"},
        {u"SUM(1,,2)", "8901000000F1890200000082030400"},
        {u"SUM(1,)", "8901000000F182020400"},
        {u"{1,2;3,4}",
         "8901000000890200000089030000008904000000800200"
         "02000000"},
        {u"{}", "80000000000000"},
        {u"A1:B2,C3",
         "8600000000010000000000010084020000000200"
         "10"},
        {u"#N/A", "1C07"},
        {u"Nope", "1C05"},
        {u"Rate", "830000"},
        {u"[1]Data!A1:B2",
         "A8000000000100000000000100"
         "000000"},
        {u"'[1]Data:Q 1'!B2",
         "A50100000001000000"
         "0001"},
        {u"'My Sheet'!Local", "830100"},
        {u"Sheet1!Local", "1C05"},
        {u"Sheet1!#REF!+1",
         "B0000000000000048901000000"
         "03"},
        {u"FOO(1,2)",
         "89010000008902000000F2020300"
         "46004F004F00"},
        {u"SIN(1)", "8901000000810F00"},
        {u"2147483647", "89FFFFFF7F"},
        {u"1.5", "1F000000000000F83F"},
        {u"2147483648", "1F000000000000E041"},
        {u"'My Sheet'!$A$1",
         "A2000000800080"
         "01"},
        {u"Sheet1:Data_1!A:A",
         "A700000000FFFF0F0000000000"
         "0003"},
        {u"1:1",
         "86000000000000000000"
         "00FF3F"},
        {u"\"a\"\"b\"",
         "8A03006100220062"
         "00"},
        {u"A1 B1",
         "8400000000000084000000000100"
         "0F01"},
    };
    for (const TCase& c : cases) EXPECT_EQ(Hex(c.Text), c.Hex) << base::Utf16ToUtf8(c.Text);
}

TEST_F(FormulaCode, ReportsInsteadOfStoringABrokenFormula) {
    struct TCase {
        std::u16string_view Text;
        int Code;
    };
    // Function calls are checked against the table's counts, variable ones too (what neither the
    // evaluator nor the .xls compiler would take).
    const TCase cases[] = {
        {u"SIN(1,2)", 4021}, {u"SIN()", 4020},      {u"PI(1)", 4021},      {u"{1,2;3}", 4022},
        {u"1,2", 4018},      {u"Nowhere!A1", 4016}, {u"1E400", 4006},      {u"0h*", 4006},
        {u"1*/2", 4015},     {u"8:.8", 4018},       {u"A1:1", 4018},       {u"(1+2) A1", 4018},
        {u"1+", 4015},       {u"A1+B1@", 4006},     {u"[Book]S!A1", 4012}, {u"[Book1.xlsx]Nope!A1", 4016},
        {u"SUM((1)", 4007},  {u"SUM()", 4020},      {u"IF(1)", 4020},      {u"IF(1,2,3,4)", 4021},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(Hex(c.Text), "report " + std::to_string(c.Code)) << base::Utf16ToUtf8(c.Text);
}

TEST_F(FormulaCode, UnionInFrontOfACallKeepsTheCallsArguments) {
    EXPECT_EQ(RoundTrip(u"SUM((A1,B2),1)"), u"SUM((A1,B2),1)");
    EXPECT_TRUE(Hex(u"(A1,B1)+SUM(1,2)")
                    .ends_with("1015"
                               "8901000000890200000082020400"
                               "03"));
}

TEST_F(FormulaCode, TextComesBackAsTyped) {
    const std::u16string_view texts[] = {
        u"1+2*3",
        u"(1+2)*3",
        u"1 + 2",
        u" SUM(A1:B2)",
        u"-A1%",
        u"+1",
        u"SUM($A$1:B$2,C:C,3:$5)",
        u"'My Sheet'!A1+'It''s'!B2+Sheet1!C3",
        u"SUM('Sheet1:My Sheet'!A1:B2,'Sheet1:Data_1'!B2)",
        u"'Data_1'!A1",
        u"'TRUE'!A1+SUM('Sheet1:TRUE'!B2)",
        u"Rate*2",
        u"\"say \"\"hi\"\"\"&\"\"",
        u"{1,2;3,4}",
        u"{\"a\",TRUE;#N/A,-1}",
        u"IF(A1>=1,VLOOKUP(A1,Sheet1!$A$1:$C$10,3,FALSE),\"\")",
        u"SUM(1,,2)",
        u"A1:B2 B1:C3",
        u"(A1,B2)",
        u"FOO(1,2)",
        u"1.5E+300",
        u"1E-07*A1",
        u"2^-2",
        u"PI()",
        u"SUM(A1:INDEX(B:B,3),(Rate,C1))",
        u"'My Sheet'!Local+Rate",
        u"[Book1.xlsx]Data!$A$1+SUM('[Book1.xlsx]Q 1'!A:B)+'[Book1.xlsx]Data:Q 1'!B2",
    };
    for (std::u16string_view text : texts) {
        const std::u16string decoded = RoundTrip(text);
        EXPECT_EQ(base::Utf16ToUtf8(decoded), base::Utf16ToUtf8(text));
        // Text -> code -> text -> code is stable.
        EXPECT_EQ(Compile(decoded), Compile(text)) << base::Utf16ToUtf8(text);
    }
}

// The sheet of an error reference is not kept.
TEST_F(FormulaCode, SheetErrorReferenceDecodesAsTheError) { EXPECT_EQ(RoundTrip(u"Sheet1!#REF!"), u"#REF!"); }

TEST_F(FormulaCode, LargeArrayConstantDecodes) {
    std::u16string text = u"{";
    for (int i = 0; i < 1000; ++i) text += (i ? u"," : u"") + base::Utf8ToUtf16(std::to_string(i));
    text += u"}";
    EXPECT_EQ(RoundTrip(text), text);
}

TEST_F(FormulaCode, LocaleSeparatorsDecode) {
    const std::vector<uint8_t> code = Compile(u"SUM({1.5,2;3,4})");
    TXLSFormulaDecoder decoder(Root);
    decoder.SetSeparators({u',', u';'});
    EXPECT_EQ(decoder.Decode(code, 0), u"SUM({1,5\\2;3\\4})");
}

TEST_F(FormulaCode, TextFacade) {
    const std::vector<uint8_t> code = EncodeCellFormulaText(Root, u"SUM(1,5;A1)", 0, 2, 3, {u',', u';'});
    EXPECT_EQ(DecodeFormulaText(Root, code, 0), u"SUM(1.5,A1)");
    EXPECT_EQ(DecodeFormulaText(Root, EncodeFormulaText(Root, u"Local", 1), 1), u"Local");
    EXPECT_TRUE(EncodeFormulaText(Root, u"SIN(1,2)", 0).empty());
    EXPECT_EQ(Report, 4021);
    // BIFF8 code goes to its own decoder.
    const uint8_t biff[] = {xptgBiff, 0x1E, 1, 0, 0x1E, 2, 0, ptgAdd};
    EXPECT_EQ(DecodeFormulaText(Root, biff, 0), u"1+2");
}

// Spaces typed before a closing bracket or an argument separator come back too.
TEST_F(FormulaCode, SpacesBeforeClosingBracketsAndSeparatorsComeBack) {
    const std::u16string_view texts[] = {
        u"SUM(1 )",  u" SUM( 1 )",          u"( 1 )*2",         u"FOO(1  )",   u"PI( )",
        u"SUM( ,1)", u"IF(A1,SUM(B1 ) ,2)", u"SUM(A1 , -B2 ,)", u"MAX(1+2 ,3)"};
    for (std::u16string_view text : texts) ExpectTextBack(text);
    // The close space is the first of two attributes in front of the call.
    EXPECT_EQ(Hex(u"SUM(1 )"),
              "8901000000A001A0008201"
              "0400");
}

TEST_F(FormulaCode, TraceGivesTheSourceOfEachToken) {
    TXLSTokenizer tokenizer(Errors);
    const TXLSTokenList tokens = tokenizer.Tokenize(u"1+SUM(A1, 2)");
    TXLSFormulaTrace trace;
    TXLSFormulaEncoder encoder(Root);
    const std::vector<uint8_t> code = encoder.Encode(tokens, -1, -1, 0, &trace);
    struct TItem {
        int Start, End, Offset;
        uint8_t Opcode;
    };
    // 1, A1, 2 (after its space attribute), SUM( .. ) to its parenthesis, +.
    const TItem expected[] = {
        {1, 1, 0, xptgInt}, {7, 8, 5, xptgRef}, {11, 11, 14, xptgInt}, {3, 12, 19, xptgFuncVar}, {2, 2, 23, ptgAdd}};
    ASSERT_EQ(trace.Items.size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(trace.Items[i].Start, expected[i].Start) << i;
        EXPECT_EQ(trace.Items[i].End, expected[i].End) << i;
        EXPECT_EQ(trace.Items[i].Offset, expected[i].Offset) << i;
        EXPECT_EQ(trace.Items[i].Index, static_cast<int>(i));
        EXPECT_EQ(code[static_cast<size_t>(expected[i].Offset)], expected[i].Opcode) << i;
    }
    EXPECT_EQ(code.size(), 24u);
}

TEST_F(FormulaCode, DecoderRejectsBrokenCode) {
    TXLSFormulaDecoder decoder(Root);
    const uint8_t join[] = {0x89, 1, 0, 0, 0, ptgAdd};
    EXPECT_THROW(decoder.Decode(join, 0), EXLSError);
    const uint8_t unknown[] = {0x89, 1, 0, 0, 0, 0x01};
    EXPECT_THROW(decoder.Decode(unknown, 0), std::exception);
    const uint8_t cut[] = {0x89, 1, 0};
    EXPECT_THROW(decoder.Decode(cut, 0), std::exception);
}

// Stored rows and columns may hold the largest values their fields take; their texts must not
// overflow (the first input is one a fuzzer found).
TEST_F(FormulaCode, LargestRowsAndColumnsDecode) {
    TXLSFormulaDecoder decoder(Root);
    const uint8_t found[] = {0xA7, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0,    0, 0xFF, 0x3F,
                             1,    0, 0, 0, 0x19, 0x62, 0,    0x0D, 0,    0x0D, 0, 0x0A};
    try {
        decoder.Decode(found, 0);
    } catch (const base::Exception&) {
    }
    // Whole rows ("3:$5") with both rows set to the largest stored row, absolute.
    std::vector<uint8_t> rows = Compile(u"3:$5");
    ASSERT_GE(rows.size(), 9u);
    for (size_t i = 1; i < 9; ++i) rows[i] = 0xFF;
    EXPECT_EQ(decoder.Decode(rows, 0), u"$2147483648:$2147483648");
}

// Tables: Table1 on Sheet1 at B2:D7 (header row, totals row) with Name, Sales and Cost;
// Orders on My Sheet at F1:I4 (header row only) with Cost, Sales, a name to escape and one with
// a space, so that a column name found first in another table would give the wrong column.
class StructuredRefs : public FormulaCode {
protected:
    StructuredRefs() {
        AddTable(0, u"Table1", MakeCellArea(1, 1, 3, 6), 1, {u"Name", u"Sales", u"Cost"});
        AddTable(1, u"Orders", MakeCellArea(5, 0, 8, 3), 0, {u"Cost", u"Sales", u"[Q#1]", u"Sales Amount"});
    }
    void AddTable(int sheet, const char16_t* name, TXLSCellArea ref, int totals,
                  std::initializer_list<const char16_t*> columns) {
        TXc12Table* table = Root.Worksheets().GetItems(sheet)->tableParts.Add();
        table->name = name;
        table->ref = ref;
        table->totalsRowCount = totals;
        for (const char16_t* column : columns) table->tableColumns.Add()->name = column;
    }
    std::vector<uint8_t> CompileAt(std::u16string_view text, int sheet, int col, int row) {
        Report = 0;
        TXLSTokenizer tokenizer(Errors);
        const TXLSTokenList tokens = tokenizer.Tokenize(text);
        if (tokenizer.Failed()) return {};
        TXLSFormulaEncoder encoder(Root);
        return encoder.Encode(tokens, row, col, sheet);
    }
};

TEST_F(StructuredRefs, CompileToTheTableAreas) {
    // Table1[Sales]: the column's data rows C3:C6, then the table (index 0, sheet 0, one part) with
    // its data rows B3:D6.
    EXPECT_EQ(Hex(u"Table1[Sales]"),
              "BD00000100"
              "86"
              "02000000"
              "05000000"
              "02000200"
              "BC00000000"
              "01"
              "86"
              "02000000"
              "05000000"
              "01000300");
    // Items: #All B2:D7, #Headers B2:D2, #Totals B7:D7, #This Row row 0.
    EXPECT_TRUE(Hex(u"Table1[#All]")
                    .starts_with("BE0100"
                                 "86"
                                 "01000000"
                                 "06000000"
                                 "01000300"));
    EXPECT_TRUE(Hex(u"Table1[#Headers]")
                    .starts_with("BE0300"
                                 "86"
                                 "01000000"
                                 "01000000"));
    EXPECT_TRUE(Hex(u"Table1[#Totals]")
                    .starts_with("BE0400"
                                 "86"
                                 "06000000"
                                 "06000000"));
    EXPECT_TRUE(Hex(u"Table1[#This Row]")
                    .starts_with("BE0500"
                                 "86"
                                 "00000000"
                                 "00000000"));
    // A table without totals row has no #Totals: the part carries "#REF!".
    EXPECT_TRUE(Hex(u"Orders[#Totals]").starts_with("BE0404"));
    // A column is looked up in its own table: Orders[Sales] is column 1 of Orders (G2:G4), not
    // the position Sales has in Table1.
    EXPECT_TRUE(Hex(u"Orders[Sales]")
                    .starts_with("BD00000100"
                                 "86"
                                 "01000000"
                                 "03000000"
                                 "06000600"));
    // The table token names the sheet of a table found on another sheet.
    EXPECT_NE(Hex(u"Orders[Sales]")
                  .find("BC00000100"
                        "01"),
              std::string::npos);
}

TEST_F(StructuredRefs, TextComesBackAsTyped) {
    const std::u16string_view texts[] = {
        u"Table1[Sales]",
        u"SUM(Table1[Cost])",
        u"Table1[]",
        u"Table1[#Headers]",
        u"Table1[[#Headers],[Sales]]",
        u"Table1[[#Data],[#Totals],[Cost]]",
        u"SUM(Table1[[Sales]:[Cost]])",
        u"Orders[Sales]+Table1[Sales]",
        u"Orders['[Q'#1']]",
        u"SUM(Orders[Sales Amount])",
        u"SUM(Table1[[#Headers],[Sales]],1)",
        u"Orders[[#Headers],[Sales Amount]]",
        u" Table1[Name]&\"x\"",
    };
    for (std::u16string_view text : texts) ExpectTextBack(text);
    // Names and items are matched without case and written as the table has them.
    EXPECT_EQ(RoundTrip(u"table1[sales]"), u"Table1[Sales]");
    EXPECT_EQ(RoundTrip(u"Table1[[#headers],[cost]]"), u"Table1[[#Headers],[Cost]]");
}

TEST_F(StructuredRefs, LocaleListSeparatorBetweenParts) {
    const std::vector<uint8_t> code =
        EncodeCellFormulaText(Root, u"SUM(Table1[[#Data];[Cost]];2,5)", 0, -1, -1, {u',', u';'});
    ASSERT_FALSE(code.empty());
    TXLSFormulaDecoder decoder(Root);
    decoder.SetSeparators({u',', u';'});
    EXPECT_EQ(decoder.Decode(code, 0), u"SUM(Table1[[#Data];[Cost]];2,5)");
    EXPECT_EQ(DecodeFormulaToText(Root, 0, code), u"SUM(Table1[[#Data],[Cost]],2.5)");
}

TEST_F(StructuredRefs, PartWithoutTableNameUsesTheTableAtTheCell) {
    // C4 lies in Table1.
    const std::vector<uint8_t> code = CompileAt(u"[Cost]*2", 0, 2, 3);
    ASSERT_FALSE(code.empty());
    EXPECT_EQ(DecodeFormulaToText(Root, 0, code), u"Table1[Cost]*2");
    EXPECT_TRUE(CompileAt(u"[Cost]*2", 0, 9, 9).empty());
    EXPECT_EQ(Report, 4024);
}

TEST_F(StructuredRefs, ReportsInvalidParts) {
    struct TCase {
        std::u16string_view Text;
        int Code;
    };
    const TCase cases[] = {
        {u"Nowhere[Sales]", 4024},
        {u"Table1[Price]", 4025},
        {u"Table1[#Some]", 4026},
        {u"Table1[[#All],[#Data]]", 4026},
        {u"Table1[[#Headers],[#Totals]]", 4026},
        {u"Table1[[#Data],[#Headers],[#Totals]]", 4026},
        {u"Table1[[Sales],[#Headers]]", 4030},
        {u"Table1[[#Headers]:[Sales]]", 4028},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(Hex(c.Text), "report " + std::to_string(c.Code)) << base::Utf16ToUtf8(c.Text);
}

}  // namespace
}  // namespace xls
