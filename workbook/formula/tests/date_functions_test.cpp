#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "workbook/formula/formula_evaluator.h"
#include "workbook/formula/tests/formula_test_document.h"
#include "workbook/formula/tests/formula_text_support.h"
#include "workbook/model/cell_store.h"

namespace xls {
namespace {

using test::Show;
using test::TCase;

// Serial 45000 is Wednesday 15 March 2023. A1..A5 hold holidays: Thursday 16, Friday 17,
// Sunday 19 (a weekend day anyway) and Monday 20 twice.
constexpr int Wednesday = 45000;
const std::vector<int> Holidays = {45001, 45002, 45004, 45005, 45005};

class DateFunctionsTest : public ::testing::Test {
protected:
    DateFunctionsTest() : Doc(1), Eval(Doc) {
        TXLSCellMMU& s = Cells();
        for (size_t i = 0; i < Holidays.size(); ++i) s.StoreFloat(0, static_cast<int>(i), 0, Holidays[i]);
        s.CalcDimension();
    }

    TXLSCellMMU& Cells() { return *Doc.SheetCells(0); }

    std::string Run(const std::u16string& text) {
        const std::vector<uint8_t> ptgs = test::CompileNewer(Doc, text);
        return Show(Eval.Evaluate(0, 20, 20, ptgs.data(), static_cast<int>(ptgs.size())));
    }

    void Check(const std::vector<TCase>& cases) {
        for (const TCase& c : cases) EXPECT_EQ(Run(c.Formula), c.Expected) << base::Utf16ToUtf8(c.Formula);
    }

    static std::u16string Text(int n) { return base::Utf8ToUtf16(std::to_string(n)); }

    test::TTestFormulaDocument Doc;
    TXLSFormulaEvaluator Eval;
};

// Serial 1 is a Sunday; Saturday and Sunday are the weekend.
bool IsWeekend(int serial) { return ((serial - 1) % 7 + 7) % 7 == 0 || ((serial - 1) % 7 + 7) % 7 == 6; }

bool IsWorkday(int serial, bool withHolidays) {
    return !IsWeekend(serial) &&
           !(withHolidays && std::find(Holidays.begin(), Holidays.end(), serial) != Holidays.end());
}

// TIME gives a number of days, not a text; whole days of hours, minutes or seconds wrap away,
// hour 24 included, and a negative time is #NUM!.
TEST_F(DateFunctionsTest, TimeIsAFractionOfADayThatWraps) {
    Check({
        {u"TIME(10,30,0)", "0.4375"},
        {u"ISNUMBER(TIME(10,30,0))", "TRUE"},
        {u"TIME(24,0,0)", "0"},
        {u"TIME(25,0,0)=TIME(1,0,0)", "TRUE"},
        {u"TIME(48,30,0)=TIME(0,30,0)", "TRUE"},
        {u"TIME(47,0,0)=TIME(23,0,0)", "TRUE"},
        {u"TIME(0,1440,0)", "0"},
        {u"TIME(0,0,86400)", "0"},
        {u"TIME(1,-30,0)=TIME(0,30,0)", "TRUE"},
        {u"TIME(-1,0,0)", "#NUM!"},
        {u"TIME(0,-1,0)", "#NUM!"},
        {u"TIME(10^308,10^308,0)", "#NUM!"},
        {u"HOUR(TIME(24,0,0))", "0"},
        {u"HOUR(TIME(27,15,0))", "3"},
    });
}

// Each result of WORKDAY, forwards and backwards, from working days and from weekend days, is a
// working day that is no holiday, and exactly |days| such days lie after the start up to it.
TEST_F(DateFunctionsTest, WorkdayLandsOnWorkingDaysPastHolidays) {
    for (const bool withHolidays : {false, true})
        for (int start = Wednesday - 7; start <= Wednesday + 7; ++start)
            for (int days = -12; days <= 12; ++days) {
                const std::u16string formula =
                    u"WORKDAY(" + Text(start) + u"," + Text(days) + (withHolidays ? u",A1:A5)" : u")");
                int expected = start;
                for (int left = days < 0 ? -days : days; left > 0;) {
                    expected += days < 0 ? -1 : 1;
                    if (IsWorkday(expected, withHolidays)) --left;
                }
                EXPECT_EQ(Run(formula), std::to_string(expected)) << base::Utf16ToUtf8(formula);
            }
}

// NETWORKDAYS counts the working days from start to end, both counted and holidays aside;
// backwards the count is negative.
TEST_F(DateFunctionsTest, NetworkdaysCountsWorkingDays) {
    for (const bool withHolidays : {false, true})
        for (int start = Wednesday - 7; start <= Wednesday + 7; ++start)
            for (int end = start - 20; end <= start + 40; end += 3) {
                const std::u16string formula =
                    u"NETWORKDAYS(" + Text(start) + u"," + Text(end) + (withHolidays ? u",A1:A5)" : u")");
                int count = 0;
                for (int day = std::min(start, end); day <= std::max(start, end); ++day)
                    if (IsWorkday(day, withHolidays)) ++count;
                EXPECT_EQ(Run(formula), std::to_string(start > end ? -count : count)) << base::Utf16ToUtf8(formula);
            }
    Check({
        {u"NETWORKDAYS(DATE(2021,1,1),DATE(2021,1,31))", "21"},
        {u"NETWORKDAYS(DATE(2021,2,1),DATE(2021,2,28))", "20"},
        {u"NETWORKDAYS(DATE(2021,1,1),DATE(2021,12,31))", "261"},
    });
}

// Every weekend argument of the .INTL forms, as a code and as seven characters from Monday on:
// WORKDAY.INTL steps over exactly its days off and NETWORKDAYS.INTL leaves them out.
TEST_F(DateFunctionsTest, IntlWeekendsAreTheDaysTheyName) {
    // Days off, Sunday first ("1" off).
    const struct {
        const char16_t* Weekend;
        const char* Off;
    } Cases[] = {
        {u"1", "1000001"},           {u"2", "1100000"},  {u"3", "0110000"},           {u"4", "0011000"},
        {u"5", "0001100"},           {u"6", "0000110"},  {u"7", "0000011"},           {u"11", "1000000"},
        {u"12", "0100000"},          {u"13", "0010000"}, {u"14", "0001000"},          {u"15", "0000100"},
        {u"16", "0000010"},          {u"17", "0000001"}, {u"\"0000011\"", "1000001"}, {u"\"1010100\"", "0101010"},
        {u"\"0000000\"", "0000000"},
    };
    for (const auto& c : Cases) {
        const auto isOff = [&](int serial) { return c.Off[((serial - 1) % 7 + 7) % 7] == '1'; };
        for (int start = Wednesday - 3; start <= Wednesday + 3; ++start) {
            for (int days = -8; days <= 8; ++days) {
                const std::u16string formula =
                    u"WORKDAY.INTL(" + Text(start) + u"," + Text(days) + u"," + c.Weekend + u")";
                int expected = start;
                for (int left = days < 0 ? -days : days; left > 0;) {
                    expected += days < 0 ? -1 : 1;
                    if (!isOff(expected)) --left;
                }
                EXPECT_EQ(Run(formula), std::to_string(expected)) << base::Utf16ToUtf8(formula);
            }
            int count = 0;
            for (int day = start; day <= start + 9; ++day)
                if (!isOff(day)) ++count;
            const std::u16string formula =
                u"NETWORKDAYS.INTL(" + Text(start) + u"," + Text(start + 9) + u"," + c.Weekend + u")";
            EXPECT_EQ(Run(formula), std::to_string(count)) << base::Utf16ToUtf8(formula);
        }
    }
    Check({
        {u"WORKDAY.INTL(45000,1,\"1111111\")", "#VALUE!"},
        {u"NETWORKDAYS.INTL(45000,45010,\"1111111\")", "0"},
        {u"WORKDAY.INTL(45000,1,8)", "#NUM!"},
        {u"WORKDAY.INTL(45000,1,\"000001\")", "#VALUE!"},
        {u"WORKDAY.INTL(45000,1,17,A1:A5)", "45006"},
        {u"NETWORKDAYS.INTL(45000,45010,17,A1:A5)", "5"},
    });
}

// Dates outside years 1..9999, and counts that lead there, are error values, not exceptions.
TEST_F(DateFunctionsTest, OutOfRangeDatesGiveErrorValues) {
    Check({
        {u"DATE(10000,1,1)", "#NUM!"},       {u"DATE(9999,12,32)", "#NUM!"},
        {u"DATE(-1,1,1)", "#NUM!"},          {u"DATE(2021,10^9,1)", "#NUM!"},
        {u"DATE(2021,1,-10^9)", "#NUM!"},    {u"DATE(10^300,1,1)", "#NUM!"},
        {u"YEAR(2958466)", "#NUM!"},         {u"DAY(-10^300)", "#NUM!"},
        {u"HOUR(10^300)", "#NUM!"},          {u"WEEKDAY(10^10)", "#NUM!"},
        {u"DAYS360(1,10^10)", "#NUM!"},      {u"EOMONTH(2958465,1)", "#NUM!"},
        {u"EOMONTH(45000,10^300)", "#NUM!"}, {u"YEARFRAC(1,10^10)", "#NUM!"},
        {u"WORKDAY(2958465,1)", "#NUM!"},    {u"WORKDAY(45000,10^15)", "#NUM!"},
        {u"WORKDAY(-693593,-1)", "#NUM!"},   {u"NETWORKDAYS(1,2958466)", "#NUM!"},
        {u"DATE(9999,12,31)", "2958465"},    {u"NETWORKDAYS(-693593,2958465)", "2608615"},
    });
}

}  // namespace
}  // namespace xls
