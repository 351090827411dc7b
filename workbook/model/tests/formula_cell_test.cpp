#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "workbook/model/cell_store.h"
#include "workbook/model/exceptions.h"
#include "workbook/model/tests/test_util.h"

namespace xls {
namespace {

class FormulaCellTest : public ::testing::Test {
protected:
    TXc12DataStyleSheet StyleSheet;
    TXc12DataSST SST{StyleSheet};
    TXLSCellMMU Store{0, StyleSheet, SST};
    TXLSFormulaHelper& H = Store.FormulaHelper();

    TXLSMMUCell Cell(int col, int row) {
        TXLSMMUCell cell;
        Store.FindCell(col, row, cell);
        return cell;
    }
    std::vector<uint8_t> Bytes(int col, int row) {
        const TXLSMMUCell cell = Cell(col, row);
        return std::vector<uint8_t>(cell.Data, cell.Data + 2 + base::LoadLE16(cell.Data));
    }
    int AddXF() {
        auto xf = std::make_unique<TXc12XF>();
        StyleSheet.SetXFDefaults(*xf);
        return StyleSheet.XFs().AddXF(std::move(xf));
    }
};

const uint8_t Tokens[] = {0x1E, 0x01, 0x00, 0x1E, 0x02};

TEST_F(FormulaCellTest, CompiledFormulaLayoutAndRoundTrip) {
    H.Clear();
    H.Col = 1;
    H.Row = 2;
    H.XF = 0;
    H.SetPtgsCopy(Tokens, 5);
    H.SetResultFloat(42.5);
    Store.StoreFormula();
    TXLSMMUCell cell = Cell(1, 2);
    EXPECT_EQ(cell.Type, 0x80u | xckFormulaFloat);
    EXPECT_EQ(base::LoadLE16(cell.Data) + 2, 19);
    EXPECT_EQ(TXLSCellMMU::GetCellType(cell), xctFloatFormula);
    EXPECT_EQ(TXLSCellMMU::GetFloat(cell), 42.5);
    const uint8_t* ptgs = nullptr;
    ASSERT_EQ(TXLSCellMMU::GetFormulaPtgs(cell, ptgs), 5);
    EXPECT_EQ(std::memcmp(ptgs, Tokens, 5), 0);
    std::u16string text;
    EXPECT_THROW(TXLSCellMMU::GetFormulaText(cell, text), EXLSError);
    // SetPtgs puts its own 0xFF before the tokens.
    Store.StoreFormulaData(2, 2, 0, 5, Tokens);
    ASSERT_EQ(TXLSCellMMU::GetFormulaPtgs(Cell(2, 2), ptgs), 6);
    EXPECT_EQ(ptgs[0], 0xFF);
    // Load then store gives the same bytes.
    const std::vector<uint8_t> before = Bytes(1, 2);
    Store.LoadFormula(Cell(1, 2));
    H.Col = 1;
    H.Row = 2;
    Store.StoreFormula();
    EXPECT_EQ(Bytes(1, 2), before);
}

TEST_F(FormulaCellTest, TextFormulasWithRangeAndTableBlocks) {
    struct Case {
        std::u16string Text;
        bool Wide;
    } cases[] = {{u"SUM(A1:B2)", false}, {u"\u4e2d&A1", true}};
    int col = 0;
    for (const Case& c : cases) {
        H.Clear();
        H.Col = col;
        H.Row = 0;
        H.XF = 0;
        H.Text = c.Text;
        H.FormulaKind = xfkArrayAnchor;
        H.SetRangeRef(u"B3:D9");
        H.SetTableR1(u"C4");
        H.TableOptions = Table2D;
        H.SetResultString(u"r\u00e9sultat");
        Store.StoreFormula();
        const TXLSMMUCell cell = Cell(col, 0);
        std::u16string text;
        TXLSCellMMU::GetFormulaText(cell, text);
        EXPECT_EQ(text, c.Text);
        EXPECT_FALSE(TXLSCellMMU::IsFormulaCompiled(cell));
        const uint8_t* range = TXLSCellMMU::GetFormulaRange(cell);
        ASSERT_NE(range, nullptr);
        EXPECT_EQ(base::LoadLE16(range), 1);
        EXPECT_EQ(static_cast<int32_t>(base::LoadLE32(range + 2)), 2);
        EXPECT_EQ(static_cast<int32_t>(base::LoadLE32(range + 8)), 8);
        Store.LoadFormula(cell);
        EXPECT_EQ(test::U8(H.GetRangeRef()), "B3:D9");
        EXPECT_EQ(test::U8(H.GetTableR1()), "C4");
        EXPECT_EQ(H.GetTableR2(), u"");
        EXPECT_EQ(H.TableOptions, Table2D);
        EXPECT_EQ(H.FormulaKind, xfkArrayAnchor);
        EXPECT_EQ(test::U8(H.GetResultString()), "r\xc3\xa9sultat");
        ++col;
    }
    // A range text that is no area changes nothing.
    EXPECT_THROW(H.SetRangeRef(u"not an area"), EXLSError);
    EXPECT_TRUE(H.HasRange);
}

TEST_F(FormulaCellTest, MembersOfAnchorsHoldTheirInternalToken) {
    struct Case {
        uint8_t Kind, Token;
    } cases[] = {
        {xfkArrayMember, PtgArrayMember}, {xfkAnchorMember, PtgAnchorMember}, {xfkTableMember, PtgTableMember}};
    for (const Case& c : cases) {
        H.Clear();
        H.Col = 5;
        H.Row = 5;
        H.XF = 0;
        H.FormulaKind = c.Kind;
        H.AnchorCol = 3;
        H.AnchorRow = 70000;
        H.SetResultBoolean(true);
        Store.StoreFormula();
        const uint8_t* ptgs = nullptr;
        ASSERT_EQ(TXLSCellMMU::GetFormulaPtgs(Cell(5, 5), ptgs), 7);
        EXPECT_EQ(ptgs[0], c.Token);
        Store.LoadFormula(Cell(5, 5));
        EXPECT_EQ(H.AnchorRow, 70000);
        EXPECT_TRUE(H.GetResultBoolean());
    }
}

TEST_F(FormulaCellTest, ResultsChangeInPlaceOrRewriteTheCell) {
    Store.StoreFormulaTokens(0, 0, 1.0, 5, Tokens, 0);
    TXLSMMUCell cell = Cell(0, 0);
    const std::vector<uint8_t> before = Bytes(0, 0);
    Store.SetFormulaResultFloat(cell, 0, 0, 2.0);
    std::vector<uint8_t> after = Bytes(0, 0);
    int differing = 0;
    for (size_t i = 0; i < before.size(); ++i) differing += before[i] != after[i];
    EXPECT_LE(differing, 8);
    // An empty text is a real result: the number becomes an empty string.
    Store.SetFormulaResultString(Cell(0, 0), 0, 0, u"");
    EXPECT_EQ(TXLSCellMMU::GetCellType(Cell(0, 0)), xctStringFormula);
    EXPECT_EQ(TXLSCellMMU::GetFormulaResultString(Cell(0, 0)), u"");
    Store.SetFormulaResultFloat(Cell(0, 0), 0, 0, 3.0);
    EXPECT_EQ(TXLSCellMMU::GetCellType(Cell(0, 0)), xctFloatFormula);
    Store.SetFloat(0, 0, 4.0, 0);  // a formula keeps its formula
    EXPECT_EQ(TXLSCellMMU::GetFloat(Cell(0, 0)), 4.0);
    Store.SetError(0, 0, 7, 0);
    EXPECT_EQ(TXLSCellMMU::GetFormulaResultError(Cell(0, 0)), 7);
    EXPECT_THROW(Store.SetFormulaResultError(Cell(0, 0), 0, 0, 0), EXLSError);
    EXPECT_THROW(H.SetResultError(0), EXLSError);
    const uint8_t* ptgs = nullptr;
    EXPECT_EQ(TXLSCellMMU::GetFormulaPtgs(Cell(0, 0), ptgs), 5);
    Store.StoreFloat(1, 0, 0, 1);
    EXPECT_THROW(Store.SetFormulaResultFloat(Cell(1, 0), 1, 0, 1), EXLSError);
}

TEST_F(FormulaCellTest, FormatChangesAndUseCounts) {
    const int xf = AddXF();
    Store.StoreFormulaTokens(0, 0, 1.5, 5, Tokens, xf);
    EXPECT_EQ(StyleSheet.XFs().GetItems(xf)->UseCount(), 1);
    EXPECT_EQ(TXLSCellMMU::GetXF(Cell(0, 0)), xf);
    EXPECT_EQ(TXLSCellMMU::GetFloat(Cell(0, 0)), 1.5);
    Store.SetXF(0, 0, 0);
    EXPECT_EQ(TXLSCellMMU::GetXF(Cell(0, 0)), 0);
    EXPECT_EQ(TXLSCellMMU::GetFloat(Cell(0, 0)), 1.5);
    EXPECT_EQ(StyleSheet.XFs().GetItems(xf)->UseCount(), 0);
    // Storing a new formula over a cell keeps its format and gives back its old uses.
    Store.SetString(1, 0, u"old", xf);
    Store.StoreFormulaTokens(1, 0, 2, 5, Tokens, 0);
    EXPECT_EQ(TXLSCellMMU::GetXF(Cell(1, 0)), xf);
    EXPECT_EQ(StyleSheet.XFs().GetItems(xf)->UseCount(), 1);
    EXPECT_EQ(SST.Count(), 0);  // the old string went back
    Store.DeleteCell(1, 0);
    EXPECT_EQ(StyleSheet.XFs().GetItems(xf)->UseCount(), 0);
}

TEST_F(FormulaCellTest, OversizedFormulasRaiseBeforeAnythingChanges) {
    Store.StoreFloat(0, 0, 0, 7);
    const std::vector<uint8_t> huge(70000, 0x1E);
    EXPECT_THROW(Store.StoreFormulaData(0, 0, 0, static_cast<int>(huge.size()), huge.data()), EXLSError);
    EXPECT_THROW(Store.StoreFormulaTokens(0, 0, 1, 65530, huge.data(), 0), EXLSError);
    EXPECT_EQ(TXLSCellMMU::GetFloat(Cell(0, 0)), 7);
    H.Clear();
    H.Col = 0;
    H.Row = 0;
    H.XF = 0;
    H.Text = std::u16string(65535, u'\u4e2d');
    H.SetResultFloat(0);
    EXPECT_THROW(Store.StoreFormula(), EXLSError);
    EXPECT_EQ(TXLSCellMMU::GetFloat(Cell(0, 0)), 7);
    H.ResultKind = FormulaResultNone;
    EXPECT_THROW(Store.StoreFormula(), EXLSError);
}

TEST_F(FormulaCellTest, IterationReadsFormulaCells) {
    Store.StoreFloat(0, 0, 0, 1);
    Store.StoreFormulaTokens(1, 0, 2, 5, Tokens, 0);
    Store.BeginIterate(0);
    ASSERT_TRUE(Store.IterateNext());
    EXPECT_THROW(Store.IterFormulaKind(), EXLSError);
    ASSERT_TRUE(Store.IterateNext());
    EXPECT_EQ(Store.IterCellType(), xctFloatFormula);
    EXPECT_EQ(Store.IterFormulaKind(), xfkNormal);
    const uint8_t* ptgs = nullptr;
    EXPECT_EQ(Store.IterFormulaPtgs(ptgs), 5);
    EXPECT_THROW(Store.IterFloat(), EXLSError);
    Store.IterLoadFormula();
    EXPECT_EQ(H.GetResultFloat(), 2);
    EXPECT_FALSE(Store.IterateNext());
}

}  // namespace
}  // namespace xls
