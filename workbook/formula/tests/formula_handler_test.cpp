#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "base/text_encoding.h"
#include "workbook/formula/formula_handler.h"
#include "workbook/formula/tests/formula_test_document.h"
#include "workbook/model/cell_reference.h"
#include "workbook/model/cell_store.h"
#include "workbook/model/error_manager.h"

namespace xls {
namespace {

using test::TTestFormulaDocument;

// The cached value of a formula cell as text: a number in the general format, an error text
// or the string itself.
std::string Cached(TTestFormulaDocument& doc, int sheet, int col, int row) {
    TXLSMMUCell cell;
    if (!doc.SheetCells(sheet)->FindCell(col, row, cell)) return "missing";
    switch (TXLSCellMMU::GetCellType(cell)) {
        case xctFloatFormula: return base::Utf16ToUtf8(FormulaNumberToText(TXLSCellMMU::GetFormulaResultFloat(cell)));
        case xctErrorFormula: return base::Utf16ToUtf8(CellErrorToText(TXLSCellMMU::GetFormulaResultError(cell)));
        case xctStringFormula: return base::Utf16ToUtf8(TXLSCellMMU::GetFormulaResultString(cell));
        case xctBooleanFormula: return TXLSCellMMU::GetFormulaResultBoolean(cell) ? "TRUE" : "FALSE";
        default: return "not a formula";
    }
}

TEST(FormulaHandlerTest, FormulasAfterTheFormulasTheyRead) {
    TTestFormulaDocument doc(2);
    doc.SetFormula(0, 1, 0, u"A1*2");  // B1 before A1 in cell order
    doc.SetFormula(0, 0, 0, u"3+4");   // A1
    doc.SetFormula(1, 0, 0, u"S0!B1+SUM(S0!A1:B1)");
    doc.SetFormula(0, 2, 0, u"1+1");  // C1, independent
    TXLSFormulaHandler handler(doc);
    std::vector<std::pair<int, int>> progress;
    handler.Calculate([&](int done, int total) { progress.push_back({done, total}); });
    EXPECT_EQ(Cached(doc, 0, 0, 0), "7");
    EXPECT_EQ(Cached(doc, 0, 1, 0), "14");
    EXPECT_EQ(Cached(doc, 0, 2, 0), "2");
    EXPECT_EQ(Cached(doc, 1, 0, 0), "35");
    ASSERT_EQ(handler.Chain().Count(), 4);
    EXPECT_EQ(progress.back(), std::make_pair(4, 4));
    EXPECT_TRUE(handler.Cycles().empty());
}

// A cycle is reported and left out; everything else, what reads the cycle included, is
// calculated.
TEST(FormulaHandlerTest, CyclesAreReportedAndTheRestCalculated) {
    TTestFormulaDocument doc(1);
    doc.SetFormula(0, 0, 0, u"B1+1");    // A1
    doc.SetFormula(0, 1, 0, u"A1+1");    // B1
    doc.SetFormula(0, 2, 0, u"A1*0+5");  // C1 reads the cycle
    doc.SetFormula(0, 3, 0, u"C1*2");    // D1
    doc.SetFormula(0, 4, 0, u"E1+1");    // E1 reads its own previous value
    TXLSErrorManager errors;
    TXLSFormulaHandler handler(doc, &errors);
    handler.Calculate();
    ASSERT_EQ(handler.Cycles().size(), 1u);
    EXPECT_EQ(handler.Cycles()[0], u"0!A1->0!B1");
    EXPECT_EQ(errors.WarningCount(), 1);
    EXPECT_EQ(Cached(doc, 0, 2, 0), "5");
    EXPECT_EQ(Cached(doc, 0, 3, 0), "10");
    EXPECT_EQ(Cached(doc, 0, 4, 0), "1");
    EXPECT_EQ(handler.Chain().Count(), 3);
}

// Tokens from a damaged file: a string constant claiming more characters than the formula holds.
TEST(FormulaHandlerTest, AFormulaThatCannotBeEvaluatedGetsAnErrorAndTheRestAreCalculated) {
    TTestFormulaDocument doc(1);
    const uint8_t damaged[] = {0xFF, 0x17, 10, 0, 'a'};
    doc.SheetCells(0)->StoreFormulaTokens(0, 0, 0, sizeof damaged, damaged, 0);  // A1
    doc.SetFormula(0, 1, 0, u"2+3");                                             // B1
    TXLSFormulaHandler handler(doc);
    EXPECT_NO_THROW(handler.Calculate());
    EXPECT_EQ(Cached(doc, 0, 0, 0), "#VALUE!");
    EXPECT_EQ(Cached(doc, 0, 1, 0), "5");
}

TEST(FormulaHandlerTest, AreaListAndNameResultsAreStoredAsValues) {
    TTestFormulaDocument doc(2);
    doc.SheetCells(0)->StoreFloat(0, 0, 0, 2);
    doc.SheetCells(0)->CalcDimension();
    doc.AddAreaName(u"FIRST", 0, 0, 0, 0, 0);
    doc.AddFormulaName(u"DOUBLED", u"FIRST*2");
    doc.SetFormula(1, 0, 0, u"ALL!A1");  // an area list: #VALUE!, the rest goes on
    doc.SetFormula(1, 1, 0, u"DOUBLED+1");
    doc.SetFormula(1, 2, 0, u"\"n=\"&FIRST");
    TXLSFormulaHandler handler(doc);
    handler.Calculate();
    EXPECT_EQ(Cached(doc, 1, 0, 0), "#VALUE!");
    EXPECT_EQ(Cached(doc, 1, 1, 0), "5");
    EXPECT_EQ(Cached(doc, 1, 2, 0), "n=2");
}

// An array formula over col1..col2 x row1..row2, anchored at its first cell.
void SetArrayFormula(TTestFormulaDocument& doc, int col1, int row1, int col2, int row2, std::u16string_view text) {
    const std::vector<uint8_t> ptgs = doc.Compile(text);
    TXLSFormulaHelper& h = doc.SheetCells(0)->FormulaHelper();
    h.Clear();
    h.Col = col1;
    h.Row = row1;
    h.FormulaKind = xfkArrayAnchor;
    h.SetPtgsCopy(ptgs.data(), static_cast<int>(ptgs.size()));
    h.SetRange(col1, row1, col2, row2);
    h.HasRange = true;
    h.XF = 0;
    h.SetResultFloat(0);
    doc.SheetCells(0)->StoreFormula();
}

std::string Value(TTestFormulaDocument& doc, int col, int row) {
    TXLSMMUCell cell;
    if (!doc.SheetCells(0)->FindCell(col, row, cell)) return "none";
    if (TXLSCellMMU::GetCellType(cell) >= xctFloatFormula) return Cached(doc, 0, col, row);
    std::u16string text;
    doc.SheetCells(0)->GetAsString(col, row, text);
    return base::Utf16ToUtf8(text);
}

// Array formulas: operators and functions element by element, one-row and one-column operands
// broadcast, results cut to the range.
TEST(FormulaHandlerTest, ArrayFormulasFillTheirRange) {
    TTestFormulaDocument doc(1);
    TXLSCellMMU& s = *doc.SheetCells(0);
    s.StoreFloat(2, 0, 0, 1);  // C1:D2 = 1 2 / 3 4
    s.StoreFloat(3, 0, 0, 2);
    s.StoreFloat(2, 1, 0, 3);
    s.StoreFloat(3, 1, 0, 4);
    s.StoreFloat(5, 0, 0, -1);  // F1:F2 = -1 / -2
    s.StoreFloat(5, 1, 0, -2);
    s.StoreFloat(6, 0, 0, 10);  // G1:G2 = 10 / 20
    s.StoreFloat(6, 1, 0, 20);
    SetArrayFormula(doc, 0, 0, 1, 1, u"C1:D2*10");
    SetArrayFormula(doc, 0, 4, 1, 4, u"C1:D2*10");  // one row: cut, not wrapped
    SetArrayFormula(doc, 4, 0, 4, 1, u"ABS(F1:F2)");
    SetArrayFormula(doc, 7, 0, 8, 1, u"C1:D1+G1:G2");
    SetArrayFormula(doc, 9, 0, 9, 1, u"IF(F1:F2<-1,\"low\",\"ok\")");
    TXLSFormulaHandler handler(doc);
    handler.Calculate();
    EXPECT_EQ(Value(doc, 0, 0), "10");
    EXPECT_EQ(Value(doc, 1, 0), "20");
    EXPECT_EQ(Value(doc, 0, 1), "30");
    EXPECT_EQ(Value(doc, 1, 1), "40");
    EXPECT_EQ(Value(doc, 0, 4), "10");
    EXPECT_EQ(Value(doc, 1, 4), "20");
    EXPECT_EQ(Value(doc, 0, 5), "none");
    EXPECT_EQ(Value(doc, 4, 0), "1");
    EXPECT_EQ(Value(doc, 4, 1), "2");
    EXPECT_EQ(Value(doc, 7, 0), "11");
    EXPECT_EQ(Value(doc, 8, 0), "12");
    EXPECT_EQ(Value(doc, 7, 1), "21");
    EXPECT_EQ(Value(doc, 8, 1), "22");
    EXPECT_EQ(Value(doc, 9, 0), "ok");
    EXPECT_EQ(Value(doc, 9, 1), "low");
}

// The report sheet of the console: header row 28, the records below it, the six summary
// formulas in A5..D7.
void LayoutReport(TTestFormulaDocument& doc, int sheet, int records) {
    TXLSCellMMU& s = *doc.SheetCells(sheet);
    s.StoreString(1, 27, 0, u"温度");
    s.StoreString(2, 27, 0, u"湿度");
    for (int i = 0; i < records; ++i) {
        s.StoreFloat(0, 28 + i, 0, i + 1);
        s.StoreFloat(1, 28 + i, 0, (200 + i % 150) / 10.0);
        s.StoreFloat(2, 28 + i, 0, (400 + i % 300) / 10.0);
    }
    const std::u16string last = base::Utf8ToUtf16(std::to_string(28 + records));
    doc.SetFormula(sheet, 0, 4, u"\"    温度平均值:\"&ROUND(AVERAGE(B28:B" + last + u"),2)");
    doc.SetFormula(sheet, 3, 4, u"\"    湿度平均值:\"&ROUND(AVERAGE(C28:C" + last + u"),2)");
    doc.SetFormula(sheet, 0, 5, u"\"    温度最小值:\"&MIN(B28:B" + last + u")");
    doc.SetFormula(sheet, 3, 5, u"\"    湿度最小值:\"&MIN(C28:C" + last + u")");
    doc.SetFormula(sheet, 0, 6, u"\"    温度最大值:\"&MAX(B28:B" + last + u")");
    doc.SetFormula(sheet, 3, 6, u"\"    湿度最大值:\"&MAX(C28:C" + last + u")");
    s.CalcDimension();
}

// The mean of (base + i % period) / 10 over n records, rounded half up to hundredths, from
// exact integer sums.
std::string RoundedMean(int base, int period, int n) {
    long long tenths = 0;
    for (int i = 0; i < n; ++i) tenths += base + i % period;
    const long long hundredths = (2 * tenths * 10 + n) / (2LL * n);
    return base::Utf16ToUtf8(FormulaNumberToText(static_cast<double>(hundredths) / 100));
}

TEST(FormulaHandlerTest, ConsoleSummariesOn32000RecordsAndOnNone) {
    TTestFormulaDocument doc(2);
    LayoutReport(doc, 0, 32000);
    LayoutReport(doc, 1, 0);
    TXLSFormulaHandler handler(doc);
    handler.Calculate();
    EXPECT_EQ(Cached(doc, 0, 0, 4), "    温度平均值:" + RoundedMean(200, 150, 32000));
    EXPECT_EQ(Cached(doc, 0, 3, 4), "    湿度平均值:" + RoundedMean(400, 300, 32000));
    EXPECT_EQ(Cached(doc, 0, 0, 5), "    温度最小值:20");
    EXPECT_EQ(Cached(doc, 0, 3, 5), "    湿度最小值:40");
    EXPECT_EQ(Cached(doc, 0, 0, 6), "    温度最大值:34.9");
    EXPECT_EQ(Cached(doc, 0, 3, 6), "    湿度最大值:69.9");
    // No records: the average over the header alone divides by zero and the join carries it;
    // MIN and MAX of no numbers are 0.
    EXPECT_EQ(Cached(doc, 1, 0, 4), "#DIV/0!");
    EXPECT_EQ(Cached(doc, 1, 3, 4), "#DIV/0!");
    EXPECT_EQ(Cached(doc, 1, 0, 5), "    温度最小值:0");
    EXPECT_EQ(Cached(doc, 1, 3, 6), "    湿度最大值:0");
}

}  // namespace
}  // namespace xls

namespace xls {
namespace {

std::vector<std::string> ChainText(const TXLSFormulaHandler& handler) {
    std::vector<std::string> out;
    for (const TXLSCalcCell& c : handler.Chain())
        out.push_back(std::to_string(c.Sheet) + "!" + base::Utf16ToUtf8(ColRowToRefStr(c.Col, c.Row)));
    return out;
}

// The chain is kept between recalculations while nothing it was built from changed; any
// change of a formula, of a cell that may have held one, or of a name it used rebuilds it.
TEST(FormulaHandlerTest, ChainIsRebuiltOnlyAfterAChange) {
    TTestFormulaDocument doc(1);
    TXLSCellMMU& s = *doc.SheetCells(0);
    s.StoreFloat(3, 0, 0, 1);  // D1
    doc.AddFormulaName(u"LINK", u"5");
    doc.SetFormula(0, 0, 0, u"LINK+0");  // A1
    doc.SetFormula(0, 1, 0, u"D1*2");    // B1
    TXLSFormulaHandler handler(doc);
    handler.Calculate();
    EXPECT_EQ(ChainText(handler), (std::vector<std::string>{"0!A1", "0!B1"}));
    EXPECT_TRUE(handler.Chain().Count() == 2 && Cached(doc, 0, 0, 0) == "5");

    // A value changes: the results follow (the chain may stay).
    s.StoreFloat(3, 0, 0, 4);
    handler.Calculate();
    EXPECT_EQ(Cached(doc, 0, 1, 0), "8");

    // The name now reads B1: A1 must come after it.
    doc.Names[0].Ptgs = doc.Compile(u"B1+1");
    handler.Calculate();
    EXPECT_EQ(ChainText(handler), (std::vector<std::string>{"0!B1", "0!A1"}));
    EXPECT_EQ(Cached(doc, 0, 0, 0), "9");

    // A new formula and a formula replaced by a value.
    doc.SetFormula(0, 2, 0, u"A1*10");  // C1
    s.StoreFloat(1, 0, 0, 3);           // B1 is a value now
    handler.Calculate();
    EXPECT_EQ(ChainText(handler), (std::vector<std::string>{"0!A1", "0!C1"}));
    EXPECT_EQ(Cached(doc, 0, 2, 0), "40");

    // A formula deleted, and one cleared by ClearRows, leave the chain.
    doc.SetFormula(0, 0, 300, u"1+1");  // A301, in another block of rows
    handler.Calculate();
    EXPECT_EQ(handler.Chain().Count(), 3);
    s.DeleteCell(2, 0);
    handler.Calculate();
    EXPECT_EQ(ChainText(handler), (std::vector<std::string>{"0!A1", "0!A301"}));
    s.ClearRows(300, 300);
    handler.Calculate();
    EXPECT_EQ(ChainText(handler), (std::vector<std::string>{"0!A1"}));
    doc.SetFormula(0, 2, 0, u"A1*10");  // C1 again

    // A formula whose tokens are replaced in place.
    const std::vector<uint8_t> ptgs = doc.Compile(u"C1+1");
    TXLSMMUCell cell;
    ASSERT_TRUE(s.FindCell(0, 0, cell));
    s.ReplaceFormulaPtgs(0, 0, cell, ptgs.data(), static_cast<int>(ptgs.size()));
    TXLSErrorManager errors;
    TXLSFormulaHandler withErrors(doc, &errors);
    withErrors.Calculate();
    withErrors.Calculate();
    // A1 and C1 read each other: reported by every recalculation, cached chain or not.
    EXPECT_EQ(errors.WarningCount(), 2);
    EXPECT_TRUE(withErrors.Chain().Count() == 0);
}

// Reading a cell of an array formula's range waits for the anchor that fills the range.
TEST(FormulaHandlerTest, ArrayRangeCellsDependOnTheirAnchor) {
    TTestFormulaDocument doc(1);
    TXLSCellMMU& s = *doc.SheetCells(0);
    s.StoreFloat(2, 1, 0, 1);  // C2:C3 = 1 / 2
    s.StoreFloat(2, 2, 0, 2);
    doc.SetFormula(0, 1, 0, u"A3+100");             // B1, before the anchor in cell order
    SetArrayFormula(doc, 0, 1, 0, 2, u"C2:C3*10");  // A2:A3
    TXLSFormulaHandler handler(doc);
    handler.Calculate();
    EXPECT_EQ(Value(doc, 0, 1), "10");
    EXPECT_EQ(Value(doc, 0, 2), "20");
    EXPECT_EQ(Cached(doc, 0, 1, 0), "120");
}

}  // namespace
}  // namespace xls

namespace xls {
namespace {

// Nothing changed since a complete recalculation: the results stand. Every kind of write to a
// store counts as a change, in-place ones included; volatile functions are always evaluated.
TEST(FormulaHandlerTest, UnchangedWorkbookKeepsItsResultsUntilAnyWrite) {
    TTestFormulaDocument doc(1);
    TXLSCellMMU& s = *doc.SheetCells(0);
    s.StoreBoolean(0, 0, 0, true);                                  // A1
    s.StoreString(1, 0, 0, u"ab");                                  // B1
    s.StoreFloat(2, 0, 0, 1);                                       // C1
    s.StoreError(3, 0, 0, errNA);                                   // D1
    doc.SetFormula(0, 0, 1, u"IF(A1,\"y\",\"n\")&B1&C1&ISNA(D1)");  // A2
    doc.SetFormula(0, 1, 1, u"RAND()");                             // B2
    TXLSFormulaHandler handler(doc);
    std::vector<std::pair<int, int>> progress;
    handler.Calculate();
    EXPECT_EQ(Cached(doc, 0, 0, 1), "yab1TRUE");
    const std::string random = Cached(doc, 0, 1, 1);
    handler.Calculate([&](int done, int total) { progress.push_back({done, total}); });
    EXPECT_NE(Cached(doc, 0, 1, 1), random);
    EXPECT_EQ(progress.back(), std::make_pair(2, 2));

    // Without the volatile formula a recalculation of an unchanged workbook changes nothing,
    // and each writer below is seen.
    s.StoreFloat(1, 1, 0, 0);
    const struct {
        std::function<void()> Write;
        const char* Expected;
    } writes[] = {
        {[&] { s.SetBoolean(0, 0, false, 0); }, "nab1TRUE"},  // in place
        {[&] { s.SetString(1, 0, u"cd", 0); }, "ncd1TRUE"},  // in place
        {[&] { s.SetFloat(2, 0, 2, 0); }, "ncd2TRUE"},
        {[&] { s.SetError(3, 0, errDiv0, 0); }, "ncd2FALSE"},  // in place
        {[&] { s.ClearValue(2, 0); }, "ncdFALSE"},
        {[&] { s.DeleteCell(1, 0); }, "nFALSE"},
        {[&] { s.StoreBoolean(0, 0, 0, true); }, "yFALSE"},
        {[&] { s.ClearRows(0, 0); }, "nFALSE"},
    };
    handler.Calculate();
    for (size_t i = 0; i < std::size(writes); ++i) {
        TXLSMMUCell cell;
        ASSERT_TRUE(s.FindCell(0, 1, cell));
        s.SetFormulaResultString(cell, 0, 1, u"stale");
        handler.Calculate();
        EXPECT_EQ(Cached(doc, 0, 0, 1), "stale") << i;
        writes[i].Write();
        handler.Calculate();
        EXPECT_EQ(Cached(doc, 0, 0, 1), writes[i].Expected) << i;
    }
}

// An array result smaller than its range: a one-row or one-column array repeats, the cells past
// a larger array's edge get #N/A instead of keeping what they held; an area fills the range with
// its values, empty cells as 0 (as LibreOffice fills such ranges).
TEST(FormulaHandlerTest, ArrayResultsFillTheWholeRange) {
    TTestFormulaDocument doc(1);
    TXLSCellMMU& s = *doc.SheetCells(0);
    // C1:D2 = 1 2 / 3 4, bins G1:G2 = 10 / 20, A31:A33 = 5, empty, 7, and a stale value in A15
    // inside the FREQUENCY range.
    const int cells[][3] = {{2, 0, 1},  {3, 0, 2},  {2, 1, 3},  {3, 1, 4},  {6, 0, 10},
                            {6, 1, 20}, {0, 30, 5}, {0, 32, 7}, {0, 14, 99}};
    for (const auto& c : cells) s.StoreFloat(c[0], c[1], 0, c[2]);
    SetArrayFormula(doc, 0, 10, 0, 14, u"FREQUENCY(C1:D2,G1:G2)");
    SetArrayFormula(doc, 11, 0, 11, 3, u"A31:A33");
    SetArrayFormula(doc, 12, 0, 13, 2, u"C1:D1*1");
    // Ranges and areas beyond the bound of arrays: only the result's own cells are
    // written, and an area that large is not copied into an array.
    SetArrayFormula(doc, 20, 0, 21, 1048575, u"MMULT(C1:D2,C1:D2)");
    SetArrayFormula(doc, 23, 0, 24, 1048575, u"A1:Z65536");
    s.CalcDimension();
    TXLSFormulaHandler handler(doc);
    handler.Calculate();
    const char* frequency[] = {"4", "0", "0", "#N/A", "#N/A"};
    for (int r = 0; r < 5; ++r) EXPECT_EQ(Value(doc, 0, 10 + r), frequency[r]) << r;
    const char* area[] = {"5", "0", "7", "#N/A"};
    for (int r = 0; r < 4; ++r) EXPECT_EQ(Value(doc, 11, r), area[r]) << r;
    for (int r = 0; r < 3; ++r) {
        EXPECT_EQ(Value(doc, 12, r), "1") << r;
        EXPECT_EQ(Value(doc, 13, r), "2") << r;
    }
    EXPECT_EQ(Value(doc, 21, 1), "22");
    EXPECT_EQ(Value(doc, 20, 2), "none");
    EXPECT_EQ(Value(doc, 24, 1), "none");
}

}  // namespace
}  // namespace xls
