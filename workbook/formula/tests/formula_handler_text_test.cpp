#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/text_encoding.h"
#include "workbook/formula/formula_handler.h"
#include "workbook/formula/ptg_tokens.h"
#include "workbook/formula/tests/formula_test_document.h"
#include "workbook/model/class_factory.h"
#include "workbook/model/document_root.h"
#include "workbook/model/error_manager.h"
#include "workbook/model/formula_helper.h"
#include "workbook/model/tables.h"
#include "workbook/model/worksheet_part.h"

namespace xls {
namespace {

// The handler's text side over a document root with two sheets; cells of array and shared
// formulas find their anchors in the test document's cell store.
class HandlerText : public ::testing::Test {
protected:
    HandlerText() : Root(Factory, Errors), Doc(1), Handler(Doc, Root) {
        Factory.SetGraphicManager(nullptr);
        Root.CreateParts();
        for (const char16_t* name : {u"Sheet1", u"Sheet2"}) Root.Worksheets().Add(-1)->Name = name;
        Errors.SetOnError(
            [this](TXLSErrorManager& m, TXLSErrorLevel, const std::u16string&) { Report = m.LastError(); });
    }
    std::u16string RoundTrip(std::u16string_view text) {
        return Handler.DecodeFormula(nullptr, 0, Handler.EncodeFormula(text, 0), 0);
    }
    TXLSCellMMU& Cells() { return *Doc.SheetCells(0); }
    // A member cell's code: the opcode, the anchor's column (u16) and row (int32).
    static std::vector<uint8_t> Member(uint8_t op, int col, int row) {
        return {op, uint8_t(col), uint8_t(col >> 8), uint8_t(row), uint8_t(row >> 8), uint8_t(row >> 16), 0};
    }

    TXc12ClassFactory Factory;
    TXLSErrorManager Errors;
    TXc12Manager Root;
    test::TTestFormulaDocument Doc;
    TXLSFormulaHandler Handler;
    int Report = 0;
};

TEST_F(HandlerText, SeparatorsOfTheLastUseStay) {
    Root.ListSeparator = u';';
    const std::vector<uint8_t> local = Handler.EncodeCellFormula(u"SUM(1.5;A1)", 0, 2, 3, false);
    EXPECT_EQ(Handler.DecodeFormula(nullptr, 0, local, 0), u"SUM(1.5,A1)");
    // EncodeFormula keeps the locale syntax until a cell formula asks for the file syntax.
    EXPECT_FALSE(Handler.EncodeFormula(u"MAX(1;2)", 0).empty());
    const std::vector<uint8_t> invariant = Handler.EncodeCellFormula(u"MAX(1,2)", 0, 0, 0, true);
    EXPECT_EQ(Handler.EncodeFormula(u"MAX(1,2)", 0), invariant);
    EXPECT_EQ(RoundTrip(u"'Sheet2'!A1+1"), u"Sheet2!A1+1");
}

TEST_F(HandlerText, WhatDoesNotCompileGivesNoCode) {
    for (std::u16string_view text : {u"", u"   ", u"1+", u"SIN(1,2)", u"A1+B1@", u"Sheet9!A1"}) {
        Report = 0;
        EXPECT_TRUE(Handler.EncodeFormula(text, 0).empty()) << base::Utf16ToUtf8(text);
    }
    EXPECT_EQ(Report, 4016);
}

TEST_F(HandlerText, TablesOfTheListComeFirst) {
    for (int sheet : {0, 1}) {
        TXc12Table* table = Root.Worksheets().GetItems(sheet)->tableParts.Add();
        table->name = sheet ? u"Second" : u"First";
        table->ref = MakeCellArea(0, 0, 1, 9);
        table->tableColumns.Add()->name = u"Sales";
    }
    // A part without table name takes the table at the cell in the list set last.
    Handler.SetTables(&Root.Worksheets().GetItems(1)->tableParts);
    const std::vector<uint8_t> code = Handler.EncodeCellFormula(u"[Sales]", 1, 0, 4, true);
    EXPECT_EQ(Handler.DecodeFormula(nullptr, 1, code, 0), u"Second[Sales]");
    Handler.SetTables(nullptr);
    EXPECT_EQ(Handler.DecodeFormula(nullptr, 0, Handler.EncodeCellFormula(u"[Sales]", 0, 0, 4, true), 0),
              u"First[Sales]");
}

TEST_F(HandlerText, MemberCellsDecodeAsTheirAnchor) {
    // B2 anchors own code, B3 BIFF8 code, B4 holds its formula as text.
    const std::vector<uint8_t> own = Handler.EncodeFormula(u"SUM(A1:A3)*2", 0);
    Cells().StoreFormulaTokens(1, 1, 0, static_cast<int>(own.size()), own.data(), 0);
    const uint8_t biff[] = {xptgBiff, 0x44, 0, 0, 0, 0xC0, 0x1E, 3, 0, 0x05};
    Cells().StoreFormulaTokens(1, 2, 0, sizeof biff, biff, 0);
    TXLSFormulaHelper& h = Cells().FormulaHelper();
    h.Clear();
    h.Col = 1;
    h.Row = 3;
    h.Text = u"A1&\"x\"";
    h.XF = 0;
    h.SetResultFloat(0);
    Cells().StoreFormula();
    for (uint8_t op : {xptgArrayMember, xptgFormulaMember, xptgDataTableMember})
        EXPECT_EQ(Handler.DecodeFormula(&Cells(), 0, Member(op, 1, 1), 0), u"SUM(A1:A3)*2");
    EXPECT_EQ(Handler.DecodeFormula(&Cells(), 0, Member(xptgFormulaMember, 1, 2), 0), u"A1*3");
    EXPECT_EQ(Handler.DecodeFormula(&Cells(), 0, Member(xptgArrayMember, 1, 3), 0), u"A1&\"x\"");
    // No cells, no anchor, or an anchor that is itself a member.
    EXPECT_THROW(Handler.DecodeFormula(nullptr, 0, Member(xptgArrayMember, 1, 1), 0), EXLSError);
    EXPECT_THROW(Handler.DecodeFormula(&Cells(), 0, Member(xptgArrayMember, 5, 5), 0), EXLSError);
    const std::vector<uint8_t> loop = Member(xptgFormulaMember, 3, 3);
    Cells().StoreFormulaTokens(3, 3, 0, static_cast<int>(loop.size()), loop.data(), 0);
    EXPECT_THROW(Handler.DecodeFormula(&Cells(), 0, loop, 0), EXLSError);
}

TEST_F(HandlerText, DataTablesDecodeAsTableCalls) {
    // Options, then the first and the second input cell (u16 column, int32 row each).
    auto table = [](uint8_t options) {
        return std::vector<uint8_t>{xptgDataTable, options, 1, 0, 4, 0, 0, 0, 2, 0, 6, 0, 0, 0};
    };
    EXPECT_EQ(Handler.DecodeFormula(nullptr, 0, table(4), 0), u"TABLE(B5,C7)");
    EXPECT_EQ(Handler.DecodeFormula(nullptr, 0, table(8), 0), u"TABLE(B5,)");
    EXPECT_EQ(Handler.DecodeFormula(nullptr, 0, table(0), 0), u"TABLE(,B5)");
    EXPECT_EQ(Handler.DecodeFormula(nullptr, 0, table(4 | 2), 0), u"TABLE(B5,#REF!)");
}

// A call of a name that no function has compiles as a user function and keeps its text; it gives
// #NAME? unless the workbook declares the name (a defined name such as a macro's, an external
// name such as an add-in function's), which keeps #N/A. Arguments of SUMPRODUCT are arrays in
// own code as in BIFF8 code.
TEST_F(HandlerText, UnknownFunctionNamesGiveNameError) {
    auto value = [this](std::u16string_view text) {
        const std::vector<uint8_t> code = Handler.EncodeFormula(text, 0);
        EXPECT_FALSE(code.empty()) << base::Utf16ToUtf8(text);
        return test::Show(Handler.Evaluator().Evaluate(0, 5, 5, code.data(), static_cast<int>(code.size())));
    };
    for (std::u16string_view text : {u"SUMM(1,2)", u"ERF(1)", u"EDATE(1,2)", u"ISEVEN(2)", u"IFNA(1,2)", u"1+ERF(1)"}) {
        EXPECT_EQ(value(text), "#NAME?") << base::Utf16ToUtf8(text);
        EXPECT_EQ(RoundTrip(text), text);
    }
    Doc.ExternalNames.push_back(u"erf");
    Doc.Names.push_back({u"IsEven", {}, {}});
    EXPECT_EQ(value(u"ERF(1)"), "#N/A");
    EXPECT_EQ(value(u"ISEVEN(2)"), "#N/A");
    EXPECT_EQ(value(u"EDATE(1,2)"), "#NAME?");
    Cells().StoreFloat(0, 0, 0, 1);
    Cells().StoreFloat(0, 1, 0, 5);
    Cells().StoreFloat(1, 0, 0, 10);
    Cells().StoreFloat(1, 1, 0, 20);
    Cells().CalcDimension();
    EXPECT_EQ(value(u"SUMPRODUCT((A1:A2>4)*B1:B2)"), "20");
}

}  // namespace
}  // namespace xls
