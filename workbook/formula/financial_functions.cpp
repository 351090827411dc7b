// Financial worksheet functions: annuities, cash flows, depreciation and accrued interest.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <span>
#include <vector>

#include "base/civil_date.h"
#include "workbook/formula/financial_math.h"
#include "workbook/formula/numeric_functions.h"
#include "workbook/formula/worksheet_functions.h"
#include "workbook/model/cell_error.h"

namespace xls {

namespace {

enum : int {
    fnNpv = 11,
    fnPv = 56,
    fnFv = 57,
    fnNper = 58,
    fnPmt = 59,
    fnRate = 60,
    fnMirr = 61,
    fnIrr = 62,
    fnSln = 142,
    fnSyd = 143,
    fnDdb = 144,
    fnIpmt = 167,
    fnPpmt = 168,
    fnVdb = 222,
    fnDb = 247,
    fnIspmt = 350,
    fnAccrint = 868,
    fnXirr = 871,
    fnXnpv = 872,
};

// Pops the arguments, last first, as numbers into x (those left out of the call, or left empty
// in it as in "VDB(c,s,l,0,1,,TRUE)", keep the defaults x holds); false after pushing the first
// error.
bool PopNumbers(TValueStack& s, int argCount, std::span<double> x) {
    for (int i = argCount - 1; i >= 0; --i) {
        const TXLSFormulaValue& arg = s.PeekArgument(0);
        if (static_cast<size_t>(i) >= x.size() || (arg.Kind == vkValue && arg.ValType == fvtEmpty)) {
            s.PopArgument();
            continue;
        }
        if (!s.PopArgNumber(x[static_cast<size_t>(i)])) return false;
    }
    return true;
}

// A payment timing: any whole part other than 0 means the start of the period.
bool AtStart(double type) { return std::trunc(type) != 0; }

// PV, FV, PMT and NPER over (rate, nper or pmt, amount [, amount [, type]]). The periods of PV,
// FV and PMT are whole: a fraction is cut off.
void Annuity(TValueStack& s, int id, int argCount) {
    double x[] = {0, 0, 0, 0, 0};
    if (!PopNumbers(s, argCount, x)) return;
    const bool start = AtStart(x[4]);
    switch (id) {
        case fnPv: return s.PushResult(PresentValue(x[0], std::trunc(x[1]), x[2], x[3], start));
        case fnFv: return s.PushResult(FutureValue(x[0], std::trunc(x[1]), x[2], x[3], start));
        case fnPmt: return s.PushResult(Payment(x[0], std::trunc(x[1]), x[2], x[3], start));
        default: return s.PushResult(NumberOfPeriods(x[0], x[1], x[2], x[3], start));
    }
}

// RATE (nper, pmt, pv [, fv [, type [, guess]]]): without a guess the search starts at 0.
void Rate(TValueStack& s, int argCount) {
    double x[] = {0, 0, 0, 0, 0, 0};
    if (!PopNumbers(s, argCount, x)) return;
    s.PushResult(InterestRate(x[0], x[1], x[2], x[3], AtStart(x[4]), x[5]));
}

// IPMT and PPMT (rate, per, nper, pv [, fv [, type]]): per and nper whole numbers.
void PaymentPart(TValueStack& s, int id, int argCount) {
    double x[] = {0, 0, 0, 0, 0, 0};
    if (!PopNumbers(s, argCount, x)) return;
    const double per = std::trunc(x[1]);
    const double nper = std::trunc(x[2]);
    const bool start = AtStart(x[5]);
    if (std::trunc(x[5]) < 0) return s.PushError(errNum);
    const double interest = InterestPayment(x[0], per, nper, x[3], x[4], start);
    if (id == fnIpmt) return s.PushResult(interest);
    s.PushResult(Payment(x[0], nper, x[3], x[4], start) - interest);
}

// ISPMT (rate, per, nper, pv): the interest of period per (from 0) of a loan repaid in equal
// parts of the principal.
void InterestOfEvenPrincipal(TValueStack& s, int argCount) {
    double x[] = {0, 0, 0, 0};
    if (!PopNumbers(s, argCount, x)) return;
    const double per = std::trunc(x[1]);
    const double nper = std::trunc(x[2]);
    if (nper < 1 || per < 0) return s.PushError(errValue);
    s.PushResult(-(x[3] - x[3] / nper * per) * x[0]);
}

// The numbers of argument number index (0: the first) into out; false after pushing its error.
bool ArgNumbers(TValueStack& s, int argCount, int index, std::vector<double>& out) {
    if (const uint8_t err = ArgumentNumbers(s, s.PeekArgument(argCount - 1 - index), out)) {
        s.PushError(err);
        return false;
    }
    return true;
}

// NPV (rate, value1, ...): the values of every argument in their order, the first discounted by
// one period.
void Npv(TValueStack& s, int argCount) {
    std::vector<double> flows;
    for (int i = 1; i < argCount; ++i)
        if (!ArgNumbers(s, argCount, i, flows)) return;
    double rate = 0;
    uint8_t err = 0;
    if (!s.ValueToNumber(s.PeekArgument(argCount - 1), rate, err) && !err) err = errValue;
    if (err) return s.PushError(err);
    s.PushResult(NetPresentValue(rate, flows), true);
}

// IRR (values [, guess = 0.1]).
void Irr(TValueStack& s, int argCount) {
    double guess = 0.1;
    if (argCount == 2 && !s.PopArgNumber(guess)) return;
    std::vector<double> flows;
    if (!ArgNumbers(s, 1, 0, flows)) return;
    if (flows.size() < 2) return s.PushError(errNum);
    s.PushResult(InternalRateOfReturn(flows, guess));
}

// XNPV (rate, values, dates) and XIRR (values, dates [, guess = 0.1]): one value for each date.
void Dated(TValueStack& s, int id, int argCount) {
    const int first = id == fnXnpv ? 1 : 0;
    double rate = 0.1;
    if (id == fnXirr && argCount == 3) {
        if (!s.PopArgNumber(rate)) return;
        --argCount;
    }
    std::vector<double> values;
    std::vector<double> dates;
    if (!ArgNumbers(s, argCount, first, values) || !ArgNumbers(s, argCount, first + 1, dates)) return;
    if (id == fnXnpv) {
        uint8_t err = 0;
        if (!s.ValueToNumber(s.PeekArgument(argCount - 1), rate, err) && !err) err = errValue;
        if (err) return s.PushError(err);
    }
    // XNPV refuses dates before the first; XIRR takes them as they come.
    if (values.size() < 2 || values.size() != dates.size() ||
        (id == fnXnpv && std::any_of(dates.begin(), dates.end(), [&](double d) { return d < dates[0]; })))
        return s.PushError(errNum);
    s.PushResult(id == fnXnpv ? DatedPresentValue(rate, values, dates) : DatedRateOfReturn(values, dates, rate));
}

// MIRR (values, finance_rate, reinvest_rate): negative flows financed at the one rate, positive
// ones reinvested at the other.
void Mirr(TValueStack& s, int argCount) {
    double reinvest = 0;
    double finance = 0;
    if (!s.PopArgNumber(reinvest) || !s.PopArgNumber(finance)) return;
    std::vector<double> v;
    if (!ArgNumbers(s, argCount - 2, 0, v)) return;
    if (v.size() < 2) return s.PushError(errValue);
    double positive = 0;
    double negative = 0;
    for (size_t i = 0; i < v.size(); ++i) {
        const double k = static_cast<double>(i + 1);
        if (v[i] > 0)
            positive += v[i] / std::pow(1 + reinvest, k);
        else
            negative += v[i] / std::pow(1 + finance, k);
    }
    const double n = static_cast<double>(v.size());
    s.PushResult(std::pow(-positive * std::pow(1 + reinvest, n) / (negative * (1 + finance)), 1 / (n - 1)) - 1, true);
}

// SLN (cost, salvage, life) and SYD (cost, salvage, life, per).
void StraightOrDigits(TValueStack& s, int id, int argCount) {
    double x[] = {0, 0, 0, 0};
    if (!PopNumbers(s, argCount, x)) return;
    const double cost = x[0], salvage = x[1], life = x[2], per = x[3];
    if (id == fnSln) return s.PushResult((cost - salvage) / life, true);
    if (salvage < 0 || life <= 0 || per <= 0 || per > life) return s.PushError(errNum);
    s.PushResult((cost - salvage) * (life - per + 1) * 2 / (life * (life + 1)));
}

// DB (cost, salvage, life, period [, month = 12]): fixed declining balance at a rate rounded to
// three decimals; the first year counts month months, a year after the life the rest.
void FixedDeclining(TValueStack& s, int argCount) {
    double x[] = {0, 0, 0, 0, 12};
    if (!PopNumbers(s, argCount, x)) return;
    const double cost = x[0], salvage = x[1], life = std::trunc(x[2]), period = std::trunc(x[3]),
                 month = std::trunc(x[4]);
    if (month < 1 || period < 1 || life < 1 || !(cost > 0) || cost < salvage || life <= 1 || period > life + 1)
        return s.PushError(errValue);
    const double rate = RoundHalfAway(1 - std::pow((salvage == 0 ? 0.001 : salvage) / cost, 1 / life), 3);
    const double first = cost * rate * month / 12;
    if (period == 1) return s.PushResult(first);
    // Each later year takes rate of what is left: (cost - first) × (1 - rate)^(period - 2).
    const double d = rate * (cost - first) * std::pow(1 - rate, period - 2);
    s.PushResult(period == life + 1 ? d * (12 - month) / 12 : d);
}

// DDB (cost, salvage, life, period [, factor = 2]): factor / life of the book value, never
// below salvage; a rate above 1 takes everything in the first period.
void DoubleDeclining(TValueStack& s, int argCount) {
    double x[] = {0, 0, 0, 0, 2};
    if (!PopNumbers(s, argCount, x)) return;
    const double cost = x[0], salvage = x[1], life = x[2], period = x[3], factor = x[4];
    if (cost < 0 || salvage < 0 || period <= 0 || life <= 0 || factor <= 0 || period > life) return s.PushError(errNum);
    const double f = std::min(factor / life, 1.0);
    const double book = cost * std::pow(1 - f, period - 1);
    s.PushResult(std::max(std::min(book - salvage, book * f), 0.0));
}

// VDB (cost, salvage, life, start, end [, factor = 2 [, no_switch = FALSE]]).
void Vdb(TValueStack& s, int argCount) {
    double x[] = {0, 0, 0, 0, 0, 2, 0};
    if (!PopNumbers(s, argCount, x)) return;
    const double cost = x[0], salvage = x[1], life = x[2], start = x[3], end = x[4], factor = x[5];
    if (cost < 0 || salvage < 0 || life <= 0 || start < 0 || start > end || end > life || factor <= 0)
        return s.PushError(errNum);
    s.PushResult(VariableDeclining(cost, salvage, life, start, end, factor, x[6] != 0));
}

// A date serial as a calendar date; serial 60 is the 29 February 1900 that spreadsheets count.
base::TCivilDate SerialDate(double serial) {
    const auto day = static_cast<int64_t>(std::floor(serial));
    if (day == 60) return {1900, 2, 29};
    return base::CivilFromDays(day < 60 ? day + 1 : day);
}

// Whole days from a to b (the time of day does not count) by the day-count basis: actual days
// (1, 2, 3), or months of 30 days with the days of the month as they are (0, 4); for basis 0 a
// February passed within one year counts its real length.
double DayCount(double a, double b, int basis) {
    if (basis != 0 && basis != 4) return std::floor(b) - std::floor(a);
    const base::TCivilDate x = SerialDate(a);
    const base::TCivilDate y = SerialDate(b);
    double days = 360.0 * static_cast<double>(y.Year - x.Year) + 30.0 * (y.Month - x.Month) + y.Day - x.Day;
    if (basis == 0 && x.Month == 2 && y.Month != 2 && x.Year == y.Year) days -= base::IsLeapYear(x.Year) ? 1 : 2;
    return days;
}

// ACCRINT (issue, first_interest, settlement, rate [, par = 1000 [, frequency = 1 [, basis = 0]]]):
// simple interest from issue to settlement; the first interest date does not enter.
void AccruedInterest(TValueStack& s, int argCount) {
    double x[] = {0, 0, 0, 0, 1000, 1, 0};
    if (!PopNumbers(s, argCount, x)) return;
    const double issue = x[0], settlement = x[2], rate = x[3], par = x[4];
    const double frequency = std::trunc(x[5]), basis = std::trunc(x[6]);
    if (frequency < 0 || basis < 0) return s.PushError(errValue);
    if (!(rate > 0) || !(par > 0) || (frequency != 1 && frequency != 2 && frequency != 4) || basis > 4 ||
        !(issue < settlement) || issue < 0 || settlement >= 2958466)
        return s.PushError(errNum);
    const int b = static_cast<int>(basis);
    const double year = b == 1 ? (base::IsLeapYear(SerialDate(settlement).Year) ? 366 : 365) : b == 3 ? 365 : 360;
    s.PushResult(par * rate * DayCount(issue, settlement, b) / year);
}

}  // namespace

bool CallFinancialFunction(TValueStack& s, int id, int argCount) {
    switch (id) {
        case fnPv:
        case fnFv:
        case fnPmt:
        case fnNper: Annuity(s, id, argCount); return true;
        case fnRate: Rate(s, argCount); return true;
        case fnIpmt:
        case fnPpmt: PaymentPart(s, id, argCount); return true;
        case fnIspmt: InterestOfEvenPrincipal(s, argCount); return true;
        case fnNpv: Npv(s, argCount); return true;
        case fnIrr: Irr(s, argCount); return true;
        case fnXnpv:
        case fnXirr: Dated(s, id, argCount); return true;
        case fnMirr: Mirr(s, argCount); return true;
        case fnSln:
        case fnSyd: StraightOrDigits(s, id, argCount); return true;
        case fnDb: FixedDeclining(s, argCount); return true;
        case fnDdb: DoubleDeclining(s, argCount); return true;
        case fnVdb: Vdb(s, argCount); return true;
        case fnAccrint: AccruedInterest(s, argCount); return true;
        default: return false;
    }
}

}  // namespace xls
