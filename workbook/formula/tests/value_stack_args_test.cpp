#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "workbook/formula/tests/formula_test_document.h"
#include "workbook/formula/value_stack.h"
#include "workbook/model/exceptions.h"

namespace xls {
namespace {

using test::Show;
using test::TTestFormulaDocument;

// Sheet S0: A1 = 1, B1 = TRUE, A2 = "x", B2 = #N/A, A3 empty, B3 = 2.5.
class ValueStackArgsTest : public ::testing::Test {
protected:
    ValueStackArgsTest() : Doc(1), Stack(Doc) {
        TXLSCellMMU& s = *Doc.SheetCells(0);
        s.StoreFloat(0, 0, 0, 1);
        s.StoreBoolean(1, 0, 0, true);
        s.StoreString(0, 1, 0, u"x");
        s.StoreError(1, 1, 0, errNA);
        s.StoreFloat(1, 2, 0, 2.5);
        s.CalcDimension();
        Stack.BeginEvaluation(false, 0, 5, 5);
    }

    // The argument opened as a one-argument frame.
    void Open(const TXLSFormulaValue& argument) {
        Stack.BeginEvaluation(false, 0, 5, 5);
        Stack.PushValue(argument);
        Stack.OpenArguments(1);
    }
    // What the reader left as the frame's result: "" when it pushed nothing.
    std::string Pushed() { return Stack.Top() < 0 ? "" : Show(Stack.TopValue()); }

    TTestFormulaDocument Doc;
    TValueStack Stack;
};

TEST_F(ValueStackArgsTest, IntegerMinAndDateRefuseValuesOutsideTheirRange) {
    using N = TXLSFormulaValue;
    struct TCase {
        const char* Name;
        TXLSFormulaValue Argument;
        std::function<bool(TValueStack&, double&)> Read;
        bool Ok;
        double Value;  // what the variable holds afterwards (42 when untouched)
        const char* Pushed;
    };
    auto integerMin = [](int min) {
        return [min](TValueStack& s, double& out) {
            int n = static_cast<int>(out);
            const bool ok = s.ArgAsIntegerMin(n, min);
            out = n;
            return ok;
        };
    };
    auto date = [](TValueStack& s, double& out) { return s.ArgAsDate(out); };
    const TCase cases[] = {
        {"integer at the minimum", N::MakeNumber(1.9), integerMin(1), true, 1, ""},
        {"integer truncated toward zero", N::MakeNumber(-2.7), integerMin(-5), true, -2, ""},
        {"integer below the minimum", N::MakeNumber(0.5), integerMin(1), false, 42, "#VALUE!"},
        {"integer from an error", N::MakeError(errDiv0), integerMin(0), false, 42, "#DIV/0!"},
        {"integer from a numeric text", N::MakeString(u"7"), integerMin(0), true, 7, ""},
        {"first date", N::MakeNumber(1), date, true, 1, ""},
        {"last date", N::MakeNumber(2958465), date, true, 2958465, ""},
        {"day after the last date", N::MakeNumber(2958466), date, false, 42, "#VALUE!"},
        {"date zero", N::MakeNumber(0), date, false, 42, "#VALUE!"},
        {"date from an error", N::MakeError(errNA), date, false, 42, "#N/A"},
        {"date from a text", N::MakeString(u"abc"), date, false, 42, "#VALUE!"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Open(c.Argument);
        double value = 42;
        EXPECT_EQ(c.Read(Stack, value), c.Ok);
        EXPECT_EQ(value, c.Value);
        EXPECT_EQ(Pushed(), c.Pushed);
    }
}

TEST_F(ValueStackArgsTest, ReadersOfTheFrameTakeTheLastArgumentFirst) {
    Stack.PushNumber(3);
    Stack.PushString(u"");
    Stack.PushBoolean(true);
    Stack.OpenArguments(3);
    bool b = false;
    std::u16string text = u"before";
    double x = 0;
    EXPECT_TRUE(Stack.ArgAsBoolean(b));
    EXPECT_TRUE(Stack.ArgAsString(text, true));
    EXPECT_TRUE(Stack.ArgAsNumber(x));
    EXPECT_TRUE(b);
    EXPECT_EQ(text, u"");
    EXPECT_EQ(x, 3);
    EXPECT_THROW(Stack.ArgAsNumber(x), EXLSError);  // "Empty stack"

    Open(TXLSFormulaValue::MakeString(u""));
    EXPECT_FALSE(Stack.ArgAsString(text, false));
    EXPECT_EQ(Pushed(), "#VALUE!");
}

// (number, not-a-number flag, error code) at each position of a cells source.
std::vector<std::string> Walk(TXLSCellsSource& source) {
    std::vector<std::string> seen;
    source.Reset();
    while (source.Next()) {
        const double value = source.Value();
        seen.push_back(std::to_string(source.CurCol) + "," + std::to_string(source.CurRow) + "=" +
                       Show(TXLSFormulaValue::MakeNumber(value)) + (source.NotNumber ? " nan" : "") +
                       (source.ErrorCode ? " err" + std::to_string(source.ErrorCode) : ""));
    }
    return seen;
}

TEST_F(ValueStackArgsTest, CellsSourceWalksAnAreaRowByRow) {
    TXLSFormulaValue area;
    area.Kind = vkArea;
    area.Cells = Doc.SheetCells(0);
    // Given with its corners swapped: B3:A1.
    area.Col1 = 1, area.Row1 = 2, area.Col2 = 0, area.Row2 = 0;
    Open(area);
    TXLSCellsSource* source = nullptr;
    ASSERT_TRUE(Stack.ArgAsCellsSource(source));
    EXPECT_EQ(source->ColCount(), 2);
    EXPECT_EQ(source->RowCount(), 3);
    const std::vector<std::string> expected = {"0,0=1", "1,0=0 nan", "0,1=0 nan", "1,1=0 err7", "0,2=0 nan", "1,2=2.5"};
    EXPECT_EQ(Walk(*source), expected);
    EXPECT_FALSE(source->Next());        // stays at the end
    EXPECT_EQ(Walk(*source), expected);  // Reset starts again
}

TEST_F(ValueStackArgsTest, CellsSourceOverAnArrayAndRefusedKinds) {
    auto array = std::make_unique<TXLSArrayItem>(2, 1);
    array->At(0, 0) = TXLSFormulaValue::MakeNumber(4);
    array->At(1, 0) = TXLSFormulaValue::MakeError(errNum);
    Stack.PushArray(std::move(array));
    Stack.OpenArguments(1);
    TXLSCellsSource* source = nullptr;
    ASSERT_TRUE(Stack.ArgAsCellsSource(source));
    EXPECT_EQ(Walk(*source), (std::vector<std::string>{"0,0=4", "1,0=0 err6"}));

    for (const TXLSFormulaValue& refused : {TXLSFormulaValue::MakeNumber(1), TXLSFormulaValue::MakeString(u"A1")}) {
        Open(refused);
        source = nullptr;
        EXPECT_FALSE(Stack.ArgAsCellsSource(source));
        EXPECT_EQ(source, nullptr);
        EXPECT_EQ(Pushed(), "#VALUE!");
    }
}

}  // namespace
}  // namespace xls
