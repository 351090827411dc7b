#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "base/text_encoding.h"
#include "workbook/formula/calc_chain.h"
#include "workbook/formula/formula_handler.h"
#include "workbook/formula/tests/formula_test_document.h"
#include "workbook/formula/topo_sort.h"
#include "workbook/model/cell_reference.h"
#include "workbook/model/cell_store.h"
#include "workbook/model/class_factory.h"
#include "workbook/model/document_root.h"
#include "workbook/model/error_manager.h"
#include "workbook/model/worksheet_part.h"

namespace xls {
namespace {

// "A1" on sheet 0 and the like.
TXLSCalcCell Cell(const char* ref, int sheet = 0) {
    int col = 0;
    int row = 0;
    for (const char* p = ref; *p; ++p)
        if (*p >= 'A' && *p <= 'Z')
            col = col * 26 + (*p - 'A' + 1);
        else
            row = row * 10 + (*p - '0');
    return {static_cast<uint16_t>(sheet), static_cast<uint16_t>(col - 1), row - 1};
}

std::string Text(const TXLSCalcCell& c) {
    return std::to_string(c.Sheet) + "!" + base::Utf16ToUtf8(ColRowToRefStr(c.Col, c.Row));
}

// Dependency records written as "A1:B1,C1" (A1 reads B1 and C1); "~" before a cell marks it as
// read through a lookup's table.
TDepRefsItems Records(std::initializer_list<const char*> records) {
    TDepRefsItems items;
    for (const std::string r : records) {
        TDepRefsItem& item = items.Add();
        const size_t colon = r.find(':');
        item.Add(Cell(r.substr(0, colon).c_str()));
        for (size_t at = colon + 1; at < r.size();) {
            size_t comma = r.find(',', at);
            if (comma == std::string::npos) comma = r.size();
            const std::string ref = r.substr(at, comma - at);
            if (ref[0] == '~')
                item.AddLookupTable(Cell(ref.c_str() + 1));
            else
                item.Add(Cell(ref.c_str()));
            at = comma + 1;
        }
    }
    return items;
}

// The order of evaluation: Sorted from its last entry to its first, cells of circular
// references in brackets.
std::string Evaluation(const TTopoSort& sort) {
    std::string out;
    for (size_t i = sort.Sorted().size(); i-- > 0;) {
        const std::string cell = Text(sort.Sorted()[i]).substr(2);
        out += (out.empty() ? "" : " ") + (sort.IsCircular(i) ? "[" + cell + "]" : cell);
    }
    return out;
}

std::vector<std::string> CycleTexts(const TDepRefsItems& cycles) {
    std::vector<std::string> out;
    for (int i = 0; i < cycles.Count(); ++i) out.push_back(base::Utf16ToUtf8(cycles.Items(i).GetText()));
    return out;
}

TEST(TopoSortTest, OrdersAndFindsEveryCycle) {
    const struct {
        const char* Name;
        TDepRefsItems Items;
        bool Result;
        const char* Evaluation;
        std::vector<std::string> Cycles;
    } cases[] = {
        {"chain", Records({"A1:B1", "B1:C1"}), true, "C1 B1 A1", {}},
        {"own cell", Records({"A1:A1,B1"}), true, "B1 A1", {}},
        {"two cells", Records({"A1:B1", "B1:A1"}), false, "[B1] [A1]", {"0!A1->0!B1"}},
        {"two separate cycles",
         Records({"A1:B1", "B1:A1", "C1:D1", "D1:C1"}),
         false,
         "[B1] [A1] [D1] [C1]",
         {"0!A1->0!B1", "0!C1->0!D1"}},
        // B1 lies on both cycles: each is reported.
        {"shared cell", Records({"A1:B1", "B1:A1,C1", "C1:B1"}), false, "[C1] [B1] [A1]", {"0!A1->0!B1", "0!B1->0!C1"}},
        // Each cell of a cycle's text refers to the next one, the last to the first.
        {"three cells", Records({"A1:C1", "C1:B1", "B1:A1"}), false, "[B1] [C1] [A1]", {"0!A1->0!C1->0!B1"}},
        // D1 reads the cycle without being on it.
        {"reads a cycle", Records({"D1:A1", "A1:B1", "B1:A1"}), false, "[B1] [A1] D1", {"0!A1->0!B1"}},
        // A loop closed by a lookup table alone is no cycle; the other reference orders it.
        {"table loop", Records({"A1:~A1,~B1", "B1:A1"}), true, "A1 B1", {}},
        // Away from loops a table is calculated first.
        {"table", Records({"A1:~B1", "B1:C1"}), true, "C1 B1 A1", {}},
        // A cell read both ways is read outright.
        {"table and value", Records({"A1:~B1,B1", "B1:A1"}), false, "[B1] [A1]", {"0!A1->0!B1"}},
    };
    for (const auto& c : cases) {
        TTopoSort sort;
        EXPECT_EQ(sort.SortItems(c.Items), c.Result) << c.Name;
        EXPECT_EQ(Evaluation(sort), c.Evaluation) << c.Name;
        EXPECT_EQ(CycleTexts(sort.Cycles()), c.Cycles) << c.Name;
    }
}

TEST(TopoSortTest, CycleRecordsAreBounded) {
    // 200 formulas that each read all 200: a cycle for nearly every one of the 39,800 references.
    TDepRefsItems items;
    for (int i = 0; i < 200; ++i) {
        TDepRefsItem& item = items.Add();
        item.Add({0, 0, i});
        for (int k = 0; k < 200; ++k) item.Add({0, 0, k});
    }
    TTopoSort sort;
    EXPECT_FALSE(sort.SortItems(items));
    EXPECT_EQ(sort.Cycles().Count(), TTopoSort::MaxCycles);
    EXPECT_EQ(sort.Sorted().size(), 200u);
}

using test::TTestFormulaDocument;

std::vector<std::string> ChainText(const TXLSCalcChain& chain) {
    std::vector<std::string> out;
    for (int i = 0; i < chain.Count(); ++i) out.push_back(Text(chain.Items(i)));
    return out;
}

double Number(TTestFormulaDocument& doc, int col, int row) {
    TXLSMMUCell cell;
    if (!doc.SheetCells(0)->FindCell(col, row, cell) || TXLSCellMMU::GetCellType(cell) != xctFloatFormula) return -1;
    return TXLSCellMMU::GetFormulaResultFloat(cell);
}

TEST(CalcChainTest, FormulasComeAfterWhatTheyRead) {
    TTestFormulaDocument doc(1);
    doc.SetFormula(0, 0, 0, u"B1+1");   // A1
    doc.SetFormula(0, 1, 0, u"C1*2");   // B1
    doc.SetFormula(0, 2, 0, u"3+4");    // C1
    doc.SetFormula(0, 3, 0, u"1+1");    // D1
    doc.SetFormula(0, 4, 0, u"A1+C1");  // E1
    TXLSCalcChainBuilder builder(doc);
    TXLSCalcChain chain;
    EXPECT_TRUE(builder.Build(chain));
    EXPECT_EQ(ChainText(chain), (std::vector<std::string>{"0!C1", "0!D1", "0!B1", "0!A1", "0!E1"}));
    TXLSFormulaHandler handler(doc);
    handler.Calculate();
    EXPECT_EQ(Number(doc, 0, 0), 15);
    EXPECT_EQ(Number(doc, 4, 0), 22);
}

// References near and far, before and after the formula, single cells and areas: every formula
// is in the chain once and after each formula cell it reads.
TEST(CalcChainTest, FormulasFollowWhatTheyReadNearAndFar) {
    constexpr int Rows = 3000;
    TTestFormulaDocument doc(1);
    // Each formula with the formula cells it reads.
    std::vector<std::pair<TXLSCalcCell, std::vector<TXLSCalcCell>>> formulas;
    const auto a1 = [](int row) { return u"A" + base::Utf8ToUtf16(std::to_string(row + 1)); };
    for (int row = 0; row < Rows; ++row) {
        // A reads A rows below it (1, 7, 300 or 2,500 away); B reads one A row above it (1 to 17,
        // 40 or 2,900 away), C an area of four from there. A formula whose only read is missed
        // would come first in the chain.
        auto& a = formulas.emplace_back(TXLSCalcCell{0, 0, row}, std::vector<TXLSCalcCell>{});
        std::u16string text = u"1";
        for (const int distance : {1, 7, 300, 2500})
            if (row % 4 == distance % 4 && row + distance < Rows) {
                text += u"+" + a1(row + distance);
                a.second.push_back({0, 0, row + distance});
            }
        doc.SetFormula(0, 0, row, text);
        const int above = row - (row % 3 == 0 ? 1 + row / 3 % 17 : row % 3 == 1 ? 40 : 2900);
        if (above < 0) continue;
        const int last = std::min(above + 3, Rows - 1);
        doc.SetFormula(0, 1, row, a1(above) + u"*2");
        formulas.emplace_back(TXLSCalcCell{0, 1, row}, std::vector<TXLSCalcCell>{{0, 0, above}});
        doc.SetFormula(0, 2, row, u"SUM(" + a1(above) + u":" + a1(last) + u")");
        auto& c = formulas.emplace_back(TXLSCalcCell{0, 2, row}, std::vector<TXLSCalcCell>{});
        for (int r = above; r <= last; ++r) c.second.push_back({0, 0, r});
    }
    TXLSCalcChainBuilder builder(doc);
    TXLSCalcChain chain;
    ASSERT_TRUE(builder.Build(chain));
    std::map<TXLSCalcCell, int> position;
    for (int i = 0; i < chain.Count(); ++i) EXPECT_TRUE(position.emplace(chain.Items(i), i).second) << i;
    EXPECT_EQ(position.size(), formulas.size());
    for (const auto& [cell, reads] : formulas) {
        const auto at = position.find(cell);
        ASSERT_NE(at, position.end()) << Text(cell);
        for (const TXLSCalcCell& read : reads)
            EXPECT_LT(position.at(read), at->second) << Text(cell) << " reads " << Text(read);
    }
}

// Two cycles through B1: two warnings, none of the three formulas calculated.
TEST(CalcChainTest, CyclesThatShareACellAreReportedEach) {
    TTestFormulaDocument doc(1);
    doc.SetFormula(0, 0, 0, u"B1+1");   // A1
    doc.SetFormula(0, 1, 0, u"A1+C1");  // B1
    doc.SetFormula(0, 2, 0, u"B1+1");   // C1
    doc.SetFormula(0, 3, 0, u"2*3");    // D1
    TXLSErrorManager errors;
    std::vector<std::u16string> warnings;
    errors.SetOnError([&](TXLSErrorManager&, TXLSErrorLevel, const std::u16string& text) { warnings.push_back(text); });
    TXLSCalcChainBuilder builder(doc);
    TXLSCalcChain chain;
    EXPECT_FALSE(builder.Build(chain, &errors));
    EXPECT_EQ(errors.WarningCount(), 2);
    EXPECT_EQ(builder.Cycles(), (std::vector<std::u16string>{u"0!A1->0!B1", u"0!B1->0!C1"}));
    ASSERT_EQ(warnings.size(), 2u);
    EXPECT_NE(warnings[0].find(u"0!A1->0!B1"), std::u16string::npos);
    EXPECT_NE(warnings[1].find(u"0!B1->0!C1"), std::u16string::npos);
    EXPECT_EQ(ChainText(chain), (std::vector<std::string>{"0!D1"}));
}

// The lookups' tables hold the lookup's own cell and a cell that reads it: no circular reference.
// The cell the lookup finds, B2, is a formula that reads another formula, so only a chain that
// calculates the table first gives the right value.
class LookupTables : public ::testing::TestWithParam<bool> {
protected:
    LookupTables() : Root(Factory, Errors), Handler(Doc, Root) {
        Factory.SetGraphicManager(nullptr);
        Root.CreateParts();
        Root.Worksheets().Add(-1)->Name = u"S0";
    }
    // Own token code when GetParam(), BIFF8 code otherwise.
    void Set(int col, int row, std::u16string_view text) {
        if (!GetParam()) return Doc.SetFormula(0, col, row, text);
        const std::vector<uint8_t> ptgs = Handler.EncodeCellFormula(text, 0, col, row, true);
        ASSERT_FALSE(ptgs.empty()) << base::Utf16ToUtf8(text);
        Doc.SheetCells(0)->StoreFormulaTokens(col, row, 0, static_cast<int>(ptgs.size()), ptgs.data(), 0);
    }

    TXc12ClassFactory Factory;
    TXLSErrorManager Errors;
    TXc12Manager Root;
    TTestFormulaDocument Doc{1};
    TXLSFormulaHandler Handler;
};

TEST_P(LookupTables, AreNoCircularReference) {
    const struct {
        const char16_t* Formula;
        const char* At;         // inside the lookup's table
        const char* Dependent;  // reads the lookup
    } cases[] = {
        {u"VLOOKUP(2,A1:C3,2,FALSE)", "C1", "C3"},
        {u"VLOOKUP(2,A1:C3,2)", "C3", "C1"},
        {u"HLOOKUP(2,A1:C3,2,FALSE)", "C3", "C2"},
        {u"LOOKUP(2,A1:A3,B1:B3)", "B3", "C3"},  // in the result vector
        {u"LOOKUP(2,A1:B3)", "B3", "C3"},        // array form; its table is full
        {u"VLOOKUP(2,(A1:C3),2,FALSE)*1+0", "C1", "C3"},
        {u"IF(TRUE,VLOOKUP(A2,A1:C3,B1,FALSE))", "C1", "C2"},
    };
    for (const auto& c : cases) {
        const std::string formula = base::Utf16ToUtf8(c.Formula);
        TXLSCellMMU& s = *Doc.SheetCells(0);
        s.ClearRows(0, 10);
        // A1:C3 = 1 2 - / 2 20 - / 3 30 -: VLOOKUP and LOOKUP find 2 in column A, HLOOKUP in row 1,
        // all read B2.
        s.StoreFloat(0, 0, 0, 1);
        s.StoreFloat(0, 2, 0, 3);
        s.StoreFloat(1, 2, 0, 30);
        Set(1, 0, u"F1*0+2");  // B1
        Set(0, 1, u"F1*0+2");  // A2
        Set(1, 1, u"E1*2");    // B2
        Set(4, 0, u"5*2");     // E1
        Set(5, 0, u"1+1");     // F1
        const TXLSCalcCell at = Cell(c.At);
        const TXLSCalcCell dependent = Cell(c.Dependent);
        Set(at.Col, at.Row, c.Formula);
        Set(dependent.Col, dependent.Row, base::Utf8ToUtf16(c.At) + u"+1");
        s.CalcDimension();
        const int warnings = Errors.WarningCount();
        Handler.Calculate();
        EXPECT_EQ(Errors.WarningCount(), warnings) << formula;
        EXPECT_TRUE(Handler.Cycles().empty()) << formula;
        EXPECT_EQ(Handler.Chain().Count(), 7) << formula;
        EXPECT_EQ(Number(Doc, at.Col, at.Row), 20) << formula;
        EXPECT_EQ(Number(Doc, dependent.Col, dependent.Row), 21) << formula;
    }
}

// A lookup value or column number read from a cell is read outright: a loop through it is a
// circular reference.
TEST_P(LookupTables, OtherArgumentsAreRead) {
    Set(0, 0, u"VLOOKUP(B1,C1:D2,2)");  // A1
    Set(1, 0, u"A1+1");                 // B1
    Set(0, 1, u"HLOOKUP(1,C1:D2,B2)");  // A2
    Set(1, 1, u"A2+1");                 // B2
    Handler.Calculate();
    EXPECT_EQ(Handler.Cycles(), (std::vector<std::u16string>{u"0!A1->0!B1", u"0!A2->0!B2"}));
}

INSTANTIATE_TEST_SUITE_P(Codes, LookupTables, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Own" : "Biff"; });

}  // namespace
}  // namespace xls
