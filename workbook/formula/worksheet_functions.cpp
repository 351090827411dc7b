#include "workbook/formula/worksheet_functions.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <map>
#include <memory>
#include <vector>

#include "workbook/formula/numeric_functions.h"
#include "workbook/model/cell_error.h"
#include "workbook/model/cell_store.h"

namespace xls {

double RoundHalfAway(double x, int digits) {
    if (!std::isfinite(x) || digits > 308 || digits < -308) return x;
    const double scale = std::pow(10.0, std::abs(digits));
    double y = digits >= 0 ? x * scale : x / scale;
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.15g", y);
    y = std::round(std::strtod(buf, nullptr));
    return digits >= 0 ? y / scale : y * scale;
}

namespace {

enum : int {
    fnCount = 0,
    fnIf = 1,
    fnIsError = 3,
    fnSum = 4,
    fnAverage = 5,
    fnMin = 6,
    fnMax = 7,
    fnNA = 10,
    fnStdev = 12,
    fnSqrt = 20,
    fnLn = 22,
    fnAbs = 24,
    fnInt = 25,
    fnRound = 27,
    fnAnd = 36,
    fnOr = 37,
    fnNot = 38,
    fnMod = 39,
    fnVar = 46,
    fnIsErr = 126,
    fnCountA = 169,
    fnProduct = 183,
    fnStdevP = 193,
    fnVarP = 194,
    fnMedian = 227,
    fnAveDev = 269,
    fnDevSq = 318,
    fnGeoMean = 319,
    fnHarMean = 320,
    fnSumSq = 321,
    fnKurt = 322,
    fnSkew = 323,
    fnLarge = 325,
    fnSmall = 326,
    fnQuartile = 327,
    fnPercentile = 328,
    fnMode = 330,
    fnPower = 337,
    fnStdevS = 819,
    fnStdevP2 = 820,
    fnVarS = 821,
    fnVarP2 = 822,
    fnModeSngl = 823,
    fnPercentileInc = 824,
    fnQuartileInc = 825,
    fnFrequency = 252,
    fnPercentRank = 329,
    fnTrimMean = 331,
    fnSubtotal = 344,
    fnCountBlank = 347,
    fnAverageA = 361,
    fnMaxA = 362,
    fnMinA = 363,
    fnStdevPA = 364,
    fnVarPA = 365,
    fnStdevA = 366,
    fnVarA = 367,
    fnAggregate = 818,
    fnPercentileExc = 826,
    fnQuartileExc = 827,
    fnPercentRankInc = 860,
    fnModeMult = 841,
    fnPercentRankExc = 843,
    fnRankEq = 862,
    fnRank = 216,
};

// The numbers of the stored cells of an area, row by row, through the store's own walk (long
// columns cost what they hold, not a search per cell); an error ends it and is returned.
uint8_t GatherAreaNumbers(const TXLSFormulaValue& area, std::vector<double>& out) {
    TXLSCellMMU& cells = *area.Cells;
    const int col1 = std::min(area.Col1, area.Col2);
    const int col2 = std::max(area.Col1, area.Col2);
    const int row2 = std::max(area.Row1, area.Row2);
    cells.BeginIterateRows(std::min(area.Row1, area.Row2) - 1);
    while (cells.IterateNextRow() && cells.IterRow() <= row2) {
        while (cells.IterateNextInRow() && cells.IterCol() <= col2) {
            if (cells.IterCol() < col1) continue;
            const TXLSMMUCell& cell = cells.IterCell();
            switch (TXLSCellMMU::GetCellType(cell)) {
                case xctFloat:
                case xctFloatFormula: out.push_back(TXLSCellMMU::GetFloat(cell)); break;
                case xctError: return TXLSCellMMU::GetError(cell);
                case xctErrorFormula: return TXLSCellMMU::GetFormulaResultError(cell);
                default: break;
            }
        }
    }
    return 0;
}

// The numbers of argCount arguments as the standard statistics take them: every number; from
// values typed into the formula also Booleans and numeric texts; errors end the gathering
// (their code is returned). Texts, Booleans and empty cells read through references are left out.
uint8_t GatherNumbers(TValueStack& s, int argCount, std::vector<double>& out) {
    for (int i = argCount - 1; i >= 0; --i) {
        const TXLSFormulaValue& arg = s.PeekArgument(i);
        TValStackIterator& it = s.Iterator;
        if (arg.Kind == vkArea && arg.Cells && !it.SkipHidden && !it.IgnoreErrors) {
            if (const uint8_t err = GatherAreaNumbers(arg, out)) return err;
            continue;
        }
        it.Start(arg, true);
        while (it.Next()) {
            const TXLSFormulaValue& c = it.Current;
            const bool typed = c.Kind == vkValue && arg.Kind == vkValue;
            switch (c.ValType) {
                case fvtNumber: out.push_back(c.Number); break;
                case fvtError: return c.BoolErr;
                case fvtBoolean:
                    if (typed) out.push_back(c.BoolErr);
                    break;
                case fvtString:
                    if (typed) {
                        double x = 0;
                        uint8_t err = 0;
                        s.ValueToNumber(c, x, err);
                        if (err) return err;
                        out.push_back(x);
                    }
                    break;
                default: break;
            }
        }
    }
    return 0;
}

// The values of argCount arguments as the A functions take them: numbers, Booleans as 1 or 0,
// texts as 0; empty cells are skipped; the first error is returned.
uint8_t GatherValues(TValueStack& s, int argCount, std::vector<double>& out) {
    for (int i = argCount - 1; i >= 0; --i) {
        TValStackIterator& it = s.Iterator;
        it.Start(s.PeekArgument(i), true);
        while (it.Next()) {
            const TXLSFormulaValue& c = it.Current;
            switch (c.ValType) {
                case fvtNumber: out.push_back(c.Number); break;
                case fvtBoolean: out.push_back(c.BoolErr); break;
                case fvtString: out.push_back(0); break;
                case fvtError: return c.BoolErr;
                default: break;
            }
        }
    }
    return 0;
}

template <class F>
void ValuesFunction(TValueStack& s, int argCount, F f) {
    std::vector<double>& v = s.Numbers;
    v.clear();
    const uint8_t err = GatherValues(s, argCount, v);
    if (err) return s.PushError(err);
    f(v);
}

// Runs f over the gathered numbers and pushes its result (errors of the arguments first).
template <class F>
void NumbersFunction(TValueStack& s, int argCount, F f) {
    std::vector<double>& v = s.Numbers;
    v.clear();
    const uint8_t err = GatherNumbers(s, argCount, v);
    if (err) return s.PushError(err);
    f(v);
}

double Sum(const std::vector<double>& v) {
    double t = 0;
    for (double x : v) t += x;
    return t;
}

double Mean(const std::vector<double>& v) { return Sum(v) / static_cast<double>(v.size()); }

double DevSq(const std::vector<double>& v) {
    const double m = Mean(v);
    double t = 0;
    for (double x : v) t += (x - m) * (x - m);
    return t;
}

}  // namespace

void PushVariance(TValueStack& s, const std::vector<double>& v, int ddof, bool root) {
    const auto n = static_cast<double>(v.size());
    if (n - ddof <= 0) return s.PushError(errDiv0);
    const double var = DevSq(v) / (n - ddof);
    s.PushResult(root ? std::sqrt(var) : var);
}

namespace {

// Linear interpolation at k in [0, 1] over the sorted numbers (PERCENTILE's inclusive rule).
double Percentile(std::vector<double> v, double k) {
    std::sort(v.begin(), v.end());
    const double pos = k * static_cast<double>(v.size() - 1);
    const auto lo = static_cast<size_t>(std::floor(pos));
    const size_t hi = std::min(lo + 1, v.size() - 1);
    return v[lo] + (pos - std::floor(pos)) * (v[hi] - v[lo]);
}

// The numbers of the first argument and the number of the second (LARGE, SMALL, PERCENTILE,
// QUARTILE); false after the error has been pushed.
bool NumbersAndK(TValueStack& s, std::vector<double>& v, double& k) {
    uint8_t errK = 0;
    s.ValueToNumber(s.PopArgument(), k, errK);
    const uint8_t err = GatherNumbers(s, 1, v);
    s.PopArgument();
    if (err || errK || v.empty()) {
        s.PushError(err ? err : errK ? errK : static_cast<uint8_t>(errNum));
        return false;
    }
    return true;
}

void Rank(TValueStack& s, int argCount) {
    bool ascending = false;
    if (argCount == 3) {
        double order = 0;
        if (!s.PopArgNumber(order)) return;
        ascending = order != 0;
    }
    std::vector<double> v;
    const uint8_t err = GatherNumbers(s, 1, v);
    s.PopArgument();
    double x = 0;
    if (!s.PopArgNumber(x)) return;
    if (err) return s.PushError(err);
    if (std::find(v.begin(), v.end(), x) == v.end()) return s.PushError(errNA);
    // Ties share the best rank.
    const auto better = std::count_if(v.begin(), v.end(), [&](double y) { return ascending ? y < x : y > x; });
    s.PushNumber(static_cast<double>(better + 1));
}

// The value of the longest run of equal numbers; among equally long runs the smallest.
void Mode(TValueStack& s, std::vector<double>& v) {
    if (v.empty()) return s.PushError(errNum);
    std::sort(v.begin(), v.end());
    size_t best = 1;
    double mode = v[0];
    for (size_t i = 0; i < v.size();) {
        size_t j = i;
        while (j < v.size() && v[j] == v[i]) ++j;
        if (j - i > best) best = j - i, mode = v[i];
        i = j;
    }
    if (best < 2) return s.PushError(errNA);
    s.PushNumber(mode);
}

// The rank cut, not rounded, to its significant digits (a hair above the cut keeps 0.29 from
// falling to 0.289 through its binary form).
double CutToDigits(double x, int digits) {
    const double scale = std::pow(10.0, digits);
    return std::floor(x * scale * (1 + 4 * std::numeric_limits<double>::epsilon())) / scale;
}

// Position of x among the sorted numbers, interpolated between neighbours: i / (n - 1) for
// PERCENTRANK, (i + 1) / (n + 1) for PERCENTRANK.EXC; cut to the significance (3 digits when
// left out, #NUM! below 1); #N/A outside the numbers.
void PercentRank(TValueStack& s, int argCount, bool exclusive) {
    int digits = 3;
    if (argCount == 3 && !s.PopArgInteger(digits)) return;
    double x = 0;
    uint8_t errX = 0;
    s.ValueToNumber(s.PopArgument(), x, errX);
    std::vector<double> v;
    const uint8_t err = GatherNumbers(s, 1, v);
    s.PopArgument();
    if (err || errX) return s.PushError(err ? err : errX);
    if (v.empty() || digits < 1) return s.PushError(errNum);
    std::sort(v.begin(), v.end());
    if (x < v.front() || x > v.back()) return s.PushError(errNA);
    if (v.size() == 1 && !exclusive) return s.PushNumber(1);
    const auto i = static_cast<size_t>(std::lower_bound(v.begin(), v.end(), x) - v.begin());
    const double position =
        v[i] == x ? static_cast<double>(i) : static_cast<double>(i - 1) + (x - v[i - 1]) / (v[i] - v[i - 1]);
    const auto n = static_cast<double>(v.size());
    s.PushNumber(CutToDigits(exclusive ? (position + 1) / (n + 1) : position / (n - 1), std::min(digits, 15)));
}

// PERCENTILE.EXC's rule: position k (n + 1) among the sorted numbers, which must lie from the
// first to the last, interpolated; false outside.
bool PercentileExc(std::vector<double> v, double k, double& out) {
    const auto n = static_cast<double>(v.size());
    const double position = k * (n + 1);
    if (k <= 0 || k >= 1 || position < 1 || position > n) return false;
    std::sort(v.begin(), v.end());
    const auto lo = static_cast<size_t>(std::floor(position));
    const size_t hi = std::min(lo, v.size() - 1);
    out = v[lo - 1] + (position - std::floor(position)) * (v[hi] - v[lo - 1]);
    return true;
}

// The most frequent numbers (at least twice) in the order they first appear, as one column;
// #N/A when no number repeats.
void ModeMulti(TValueStack& s, const std::vector<double>& v) {
    if (v.empty()) return s.PushError(errNum);
    std::map<double, size_t> counts;
    size_t best = 0;
    for (double x : v) best = std::max(best, ++counts[x]);
    if (best < 2) return s.PushError(errNA);
    std::vector<double> modes;
    for (double x : v)
        if (counts[x] == best) modes.push_back(x), counts[x] = 0;
    auto result = std::make_unique<TXLSArrayItem>(1, static_cast<int>(modes.size()));
    for (size_t r = 0; r < modes.size(); ++r)
        result->At(0, static_cast<int>(r)) = TXLSFormulaValue::MakeNumber(modes[r]);
    s.PushArray(std::move(result));
}

void TrimMean(TValueStack& s) {
    double percent = 0;
    uint8_t errP = 0;
    s.ValueToNumber(s.PopArgument(), percent, errP);
    std::vector<double> v;
    const uint8_t err = GatherNumbers(s, 1, v);
    s.PopArgument();
    if (err || errP) return s.PushError(err ? err : errP);
    if (percent < 0 || percent >= 1 || v.empty()) return s.PushError(errNum);
    std::sort(v.begin(), v.end());
    auto k = static_cast<size_t>(std::floor(static_cast<double>(v.size()) * percent));
    if (k % 2) --k;
    double t = 0;
    for (size_t i = k / 2; i < v.size() - k / 2; ++i) t += v[i];
    s.PushResult(t / static_cast<double>(v.size() - k));
}

// One column of bins + 1 rows: each number goes to the smallest bin at or above it (the
// bins need not be sorted), numbers above every bin to the last row.
void Frequency(TValueStack& s) {
    std::vector<double> bins;
    std::vector<double> data;
    const uint8_t errB = GatherNumbers(s, 1, bins);
    s.PopArgument();
    const uint8_t errD = GatherNumbers(s, 1, data);
    s.PopArgument();
    if (errD || errB) return s.PushError(errD ? errD : errB);
    auto result = std::make_unique<TXLSArrayItem>(1, static_cast<int>(bins.size()) + 1);
    std::vector<double> counts(bins.size() + 1, 0);
    for (double x : data) {
        size_t row = bins.size();
        for (size_t b = 0; b < bins.size(); ++b)
            if (bins[b] >= x && (row == bins.size() || bins[b] < bins[row])) row = b;
        counts[row] += 1;
    }
    for (size_t r = 0; r < counts.size(); ++r)
        result->At(0, static_cast<int>(r)) = TXLSFormulaValue::MakeNumber(counts[r]);
    s.PushArray(std::move(result));
}

// COUNTBLANK: empty positions (within the used area) and empty texts.
void CountBlank(TValueStack& s) {
    const TXLSFormulaValue arg = s.PopArgument();
    if (arg.Kind != vkRef && arg.Kind != vkArea) return s.PushError(errValue);
    double n = 0;
    s.Iterator.Start(arg, false);
    while (s.Iterator.Next()) {
        const TXLSFormulaValue& c = s.Iterator.Current;
        if (c.ValType == fvtEmpty || (c.ValType == fvtString && c.Str.empty())) n += 1;
    }
    s.PushNumber(n);
}

// COUNTA: every position that is not empty.
void CountA(TValueStack& s, int argCount) {
    double n = 0;
    for (int i = argCount - 1; i >= 0; --i) {
        const TXLSFormulaValue& arg = s.PeekArgument(i);
        s.Iterator.Start(arg, false);
        while (s.Iterator.Next())
            if (s.Iterator.Current.ValType != fvtEmpty || arg.Kind == vkValue) n += 1;
    }
    s.PushNumber(n);
}

// COUNT: numbers, and typed values that convert to numbers; errors are not counted.
void Count(TValueStack& s, int argCount) {
    double n = 0;
    for (int i = argCount - 1; i >= 0; --i) {
        const TXLSFormulaValue& arg = s.PeekArgument(i);
        s.Iterator.Start(arg, false);
        while (s.Iterator.Next()) {
            const TXLSFormulaValue& c = s.Iterator.Current;
            double x = 0;
            uint8_t err = 0;
            if (c.ValType == fvtNumber)
                n += 1;
            else if (arg.Kind == vkValue && (c.ValType == fvtBoolean || c.ValType == fvtString) &&
                     s.ValueToNumber(c, x, err) && !err)
                n += 1;
        }
    }
    s.PushNumber(n);
}

void Unary(TValueStack& s, double (*f)(double)) {
    double x = 0;
    if (s.PopArgNumber(x)) s.PushResult(f(x));
}

void IfFunction(TValueStack& s, int argCount) {
    TXLSFormulaValue otherwise = argCount == 3 ? s.PopArgument() : TXLSFormulaValue::MakeBoolean(false);
    const TXLSFormulaValue then = s.PopArgument();
    bool b = false;
    if (!s.PopArgBoolean(b)) return;
    const TXLSFormulaValue& r = b ? then : otherwise;
    s.PushValue(r.Kind == vkValue && r.ValType == fvtEmpty ? TXLSFormulaValue::MakeNumber(0) : r);
}

void AndOr(TValueStack& s, int argCount, bool isAnd) {
    bool any = false;
    bool result = isAnd;
    for (int i = argCount - 1; i >= 0; --i) {
        const TXLSFormulaValue& arg = s.PeekArgument(i);
        s.Iterator.Start(arg, true);
        while (s.Iterator.Next()) {
            const TXLSFormulaValue& c = s.Iterator.Current;
            bool b = false;
            if (c.ValType == fvtError) return s.PushError(c.BoolErr);
            if (c.ValType == fvtNumber || c.ValType == fvtBoolean || (arg.Kind == vkValue && c.ValType == fvtString)) {
                if (const uint8_t err = s.ValueToBoolean(c, b)) return s.PushError(err);
                any = true;
                result = isAnd ? result && b : result || b;
            }
        }
    }
    if (!any) return s.PushError(errValue);
    s.PushBoolean(result);
}

void Subtotal(TValueStack& s, int argCount);
void Aggregate(TValueStack& s, int argCount);

}  // namespace

bool CallWorksheetFunction(TValueStack& s, int id, int argCount) {
    switch (id) {
        case fnCount: Count(s, argCount); return true;
        case fnCountA: CountA(s, argCount); return true;
        case fnSum: NumbersFunction(s, argCount, [&](auto& v) { s.PushResult(Sum(v)); }); return true;
        case fnSumSq:
            NumbersFunction(s, argCount, [&](auto& v) {
                double t = 0;
                for (double x : v) t += x * x;
                s.PushResult(t);
            });
            return true;
        case fnProduct:
            NumbersFunction(s, argCount, [&](auto& v) {
                double t = v.empty() ? 0 : 1;
                for (double x : v) t *= x;
                s.PushResult(t);
            });
            return true;
        case fnAverage:
            NumbersFunction(s, argCount, [&](auto& v) { s.PushResult(v.empty() ? HUGE_VAL : Mean(v), true); });
            return true;
        case fnMin:
            NumbersFunction(s, argCount,
                            [&](auto& v) { s.PushNumber(v.empty() ? 0 : *std::min_element(v.begin(), v.end())); });
            return true;
        case fnMax:
            NumbersFunction(s, argCount,
                            [&](auto& v) { s.PushNumber(v.empty() ? 0 : *std::max_element(v.begin(), v.end())); });
            return true;
        case fnMedian:
            NumbersFunction(s, argCount,
                            [&](auto& v) { v.empty() ? s.PushError(errNum) : s.PushNumber(Percentile(v, 0.5)); });
            return true;
        case fnStdev:
        case fnStdevS: NumbersFunction(s, argCount, [&](auto& v) { PushVariance(s, v, 1, true); }); return true;
        case fnStdevP:
        case fnStdevP2: NumbersFunction(s, argCount, [&](auto& v) { PushVariance(s, v, 0, true); }); return true;
        case fnVar:
        case fnVarS: NumbersFunction(s, argCount, [&](auto& v) { PushVariance(s, v, 1, false); }); return true;
        case fnVarP:
        case fnVarP2: NumbersFunction(s, argCount, [&](auto& v) { PushVariance(s, v, 0, false); }); return true;
        case fnDevSq:
            NumbersFunction(s, argCount, [&](auto& v) { v.empty() ? s.PushError(errDiv0) : s.PushResult(DevSq(v)); });
            return true;
        case fnAveDev:
            NumbersFunction(s, argCount, [&](auto& v) {
                if (v.empty()) return s.PushError(errValue);
                const double m = Mean(v);
                double t = 0;
                for (double x : v) t += std::fabs(x - m);
                s.PushResult(t / static_cast<double>(v.size()));
            });
            return true;
        case fnGeoMean:
            NumbersFunction(s, argCount, [&](auto& v) {
                double t = 0;
                for (double x : v) {
                    if (x <= 0) return s.PushError(errNum);
                    t += std::log(x);
                }
                s.PushResult(v.empty() ? NAN : std::exp(t / static_cast<double>(v.size())));
            });
            return true;
        case fnHarMean:
            NumbersFunction(s, argCount, [&](auto& v) {
                double t = 0;
                for (double x : v) {
                    if (x <= 0) return s.PushError(errNum);
                    t += 1 / x;
                }
                v.empty() ? s.PushError(errNA) : s.PushResult(static_cast<double>(v.size()) / t);
            });
            return true;
        case fnSkew:
            NumbersFunction(s, argCount, [&](auto& v) {
                const auto n = static_cast<double>(v.size());
                if (n == 0) return s.PushError(errNA);
                if (n < 3) return s.PushError(errDiv0);
                const double m = Mean(v);
                const double sd = std::sqrt(DevSq(v) / (n - 1));
                double t = 0;
                for (double x : v) t += std::pow((x - m) / sd, 3);
                s.PushResult(n / ((n - 1) * (n - 2)) * t, true);
            });
            return true;
        case fnKurt:
            NumbersFunction(s, argCount, [&](auto& v) {
                const auto n = static_cast<double>(v.size());
                if (n == 0) return s.PushError(errNA);
                if (n < 4) return s.PushError(errDiv0);
                const double m = Mean(v);
                const double sd = std::sqrt(DevSq(v) / (n - 1));
                double t = 0;
                for (double x : v) t += std::pow((x - m) / sd, 4);
                s.PushResult(
                    n * (n + 1) / ((n - 1) * (n - 2) * (n - 3)) * t - 3 * (n - 1) * (n - 1) / ((n - 2) * (n - 3)),
                    true);
            });
            return true;
        case fnMode:
        case fnModeSngl: NumbersFunction(s, argCount, [&](auto& v) { Mode(s, v); }); return true;
        case fnLarge:
        case fnSmall: {
            std::vector<double> v;
            double k = 0;
            if (!NumbersAndK(s, v, k)) return true;
            const double r = std::ceil(k);
            if (r < 1 || r > static_cast<double>(v.size())) {
                s.PushError(errNum);
                return true;
            }
            std::sort(v.begin(), v.end());
            const auto i = static_cast<size_t>(r) - 1;
            s.PushNumber(id == fnSmall ? v[i] : v[v.size() - 1 - i]);
            return true;
        }
        case fnPercentile:
        case fnPercentileInc:
        case fnQuartile:
        case fnQuartileInc: {
            std::vector<double> v;
            double k = 0;
            if (!NumbersAndK(s, v, k)) return true;
            if (id == fnQuartile || id == fnQuartileInc) {
                k = std::trunc(k);
                if (k < 0 || k > 4) {
                    s.PushError(errNum);
                    return true;
                }
                k /= 4;
            }
            if (k < 0 || k > 1)
                s.PushError(errNum);
            else
                s.PushNumber(Percentile(v, k));
            return true;
        }
        case fnRank:
        case fnRankEq: Rank(s, argCount); return true;
        case fnPercentRank:
        case fnPercentRankInc: PercentRank(s, argCount, false); return true;
        case fnPercentRankExc: PercentRank(s, argCount, true); return true;
        case fnModeMult: NumbersFunction(s, argCount, [&](auto& v) { ModeMulti(s, v); }); return true;
        case fnTrimMean: TrimMean(s); return true;
        case fnFrequency: Frequency(s); return true;
        case fnCountBlank: CountBlank(s); return true;
        case fnPercentileExc:
        case fnQuartileExc: {
            std::vector<double> v;
            double k = 0;
            if (!NumbersAndK(s, v, k)) return true;
            if (id == fnQuartileExc) k = std::trunc(k) / 4;
            double r = 0;
            if (PercentileExc(v, k, r))
                s.PushNumber(r);
            else
                s.PushError(errNum);
            return true;
        }
        case fnAverageA:
            ValuesFunction(s, argCount, [&](auto& v) { v.empty() ? s.PushError(errDiv0) : s.PushResult(Mean(v)); });
            return true;
        case fnMaxA:
            ValuesFunction(s, argCount,
                           [&](auto& v) { s.PushNumber(v.empty() ? 0 : *std::max_element(v.begin(), v.end())); });
            return true;
        case fnMinA:
            ValuesFunction(s, argCount,
                           [&](auto& v) { s.PushNumber(v.empty() ? 0 : *std::min_element(v.begin(), v.end())); });
            return true;
        case fnStdevA: ValuesFunction(s, argCount, [&](auto& v) { PushVariance(s, v, 1, true); }); return true;
        case fnStdevPA: ValuesFunction(s, argCount, [&](auto& v) { PushVariance(s, v, 0, true); }); return true;
        case fnVarA: ValuesFunction(s, argCount, [&](auto& v) { PushVariance(s, v, 1, false); }); return true;
        case fnVarPA: ValuesFunction(s, argCount, [&](auto& v) { PushVariance(s, v, 0, false); }); return true;
        case fnSubtotal: Subtotal(s, argCount); return true;
        case fnAggregate: Aggregate(s, argCount); return true;
        case fnRound: {
            int digits = 0;
            double x = 0;
            if (!s.PopArgInteger(digits) || !s.PopArgNumber(x)) return true;
            s.PushResult(RoundHalfAway(x, digits));
            return true;
        }
        case fnAbs: Unary(s, [](double x) { return std::fabs(x); }); return true;
        case fnInt: Unary(s, [](double x) { return std::floor(x); }); return true;
        case fnSqrt: Unary(s, [](double x) { return x < 0 ? NAN : std::sqrt(x); }); return true;
        case fnLn: Unary(s, [](double x) { return x <= 0 ? NAN : std::log(x); }); return true;
        case fnMod: {
            double d = 0;
            double n = 0;
            if (!s.PopArgNumber(d) || !s.PopArgNumber(n)) return true;
            if (d == 0) {
                s.PushError(errDiv0);
                return true;
            }
            // The result takes the divisor's sign.
            s.PushResult(n - d * std::floor(n / d));
            return true;
        }
        case fnPower: {
            double e = 0;
            double b = 0;
            if (!s.PopArgNumber(e) || !s.PopArgNumber(b)) return true;
            s.PushResult(std::pow(b, e), b == 0 && e < 0);
            return true;
        }
        case fnIf: IfFunction(s, argCount); return true;
        case fnAnd: AndOr(s, argCount, true); return true;
        case fnOr: AndOr(s, argCount, false); return true;
        case fnNot: {
            bool b = false;
            if (s.PopArgBoolean(b)) s.PushBoolean(!b);
            return true;
        }
        case fnNA: s.PushError(errNA); return true;
        case fnIsError:
        case fnIsErr: {
            uint8_t err = 0;
            const TXLSFormulaValue v = s.ScalarOf(s.PopArgument(), err);
            const uint8_t code = err ? err : v.ValType == fvtError ? v.BoolErr : 0;
            s.PushBoolean(code != 0 && (id == fnIsError || code != errNA));
            return true;
        }
        default:
            return CallNumericFunction(s, id, argCount) || CallTextFunction(s, id, argCount) ||
                   CallCriteriaFunction(s, id, argCount) || CallDateFunction(s, id, argCount) ||
                   CallFinancialFunction(s, id, argCount) || CallLookupFunction(s, id, argCount);
    }
}

namespace {

// The flags of the stack's iterator for one call; cleared again however the call ends.
class TIteratorFlags {
public:
    TIteratorFlags(TValueStack& s, bool skipHidden, bool ignoreErrors) : S(s) {
        S.Iterator.SkipHidden = skipHidden;
        S.Iterator.IgnoreErrors = ignoreErrors;
    }
    ~TIteratorFlags() { S.Iterator.SkipHidden = S.Iterator.IgnoreErrors = false; }
    TIteratorFlags(const TIteratorFlags&) = delete;
    TIteratorFlags& operator=(const TIteratorFlags&) = delete;

private:
    TValueStack& S;
};

// A leading argument as a whole number; false after pushing the error.
bool LeadingNumber(TValueStack& s, int depth, int& n) {
    double x = 0;
    uint8_t err = 0;
    if (!s.ValueToNumber(s.PeekArgument(depth), x, err) && !err) err = errValue;
    if (err) {
        s.PushError(err);
        return false;
    }
    n = std::fabs(x) < 1e9 ? static_cast<int>(std::trunc(x)) : -1;
    return true;
}

void Subtotal(TValueStack& s, int argCount) {
    static constexpr int Functions[] = {fnAverage, fnCount,  fnCountA, fnMax, fnMin, fnProduct,
                                        fnStdev,   fnStdevP, fnSum,    fnVar, fnVarP};
    int code = 0;
    if (!LeadingNumber(s, argCount - 1, code)) return;
    const bool skipHidden = code > 100;
    if (skipHidden) code -= 100;
    if (code < 1 || code > 11) return s.PushError(errValue);
    TIteratorFlags flags(s, skipHidden, false);
    CallWorksheetFunction(s, Functions[code - 1], argCount - 1);
}

void Aggregate(TValueStack& s, int argCount) {
    static constexpr int Functions[] = {fnAverage,       fnCount,       fnCountA,        fnMax,        fnMin,
                                        fnProduct,       fnStdevS,      fnStdevP2,       fnSum,        fnVarS,
                                        fnVarP2,         fnMedian,      fnModeSngl,      fnLarge,      fnSmall,
                                        fnPercentileInc, fnQuartileInc, fnPercentileExc, fnQuartileExc};
    int code = 0;
    int options = 0;
    if (argCount < 3 || !LeadingNumber(s, argCount - 1, code) || !LeadingNumber(s, argCount - 2, options)) {
        if (argCount < 3) s.PushError(errValue);
        return;
    }
    if (options < 0 || options > 7 || code < 1 || code > 19 || (code >= 14 && argCount != 4))
        return s.PushError(errValue);
    const bool skipHidden = options == 1 || options == 3 || options == 5 || options == 7;
    const bool ignoreErrors = options == 3 || options == 6 || options == 7;
    TIteratorFlags flags(s, skipHidden, ignoreErrors);
    CallWorksheetFunction(s, Functions[code - 1], argCount - 2);
}

}  // namespace

}  // namespace xls
