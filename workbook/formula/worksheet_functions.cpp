#include "workbook/formula/worksheet_functions.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <vector>

#include "workbook/model/cell_error.h"

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
    fnCount = 0, fnIf = 1, fnIsError = 3, fnSum = 4, fnAverage = 5, fnMin = 6, fnMax = 7, fnNA = 10,
    fnStdev = 12, fnSqrt = 20, fnLn = 22, fnAbs = 24, fnInt = 25, fnRound = 27, fnAnd = 36, fnOr = 37,
    fnNot = 38, fnMod = 39, fnVar = 46, fnIsErr = 126, fnCountA = 169, fnProduct = 183, fnStdevP = 193,
    fnVarP = 194, fnMedian = 227, fnAveDev = 269, fnDevSq = 318, fnGeoMean = 319, fnHarMean = 320,
    fnSumSq = 321, fnKurt = 322, fnSkew = 323, fnLarge = 325, fnSmall = 326, fnQuartile = 327,
    fnPercentile = 328, fnMode = 330, fnConcatenate = 336, fnPower = 337, fnStdevS = 819,
    fnStdevP2 = 820, fnVarS = 821, fnVarP2 = 822, fnModeSngl = 823, fnPercentileInc = 824,
    fnQuartileInc = 825,
};

// The numbers of argCount arguments as the standard statistics take them: every number; from
// values typed into the formula also Booleans and numeric texts; errors end the gathering
// (their code is returned). Texts, Booleans and empty cells read through references are left out.
uint8_t GatherNumbers(TValueStack& s, int argCount, std::vector<double>& out) {
    for (int i = argCount - 1; i >= 0; --i) {
        const TXLSFormulaValue& arg = s.PeekArgument(i);
        TValStackIterator& it = s.Iterator;
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

// Variance with (n - ddof) in the denominator: too few numbers divide by zero.
void PushVariance(TValueStack& s, const std::vector<double>& v, int ddof, bool root) {
    const auto n = static_cast<double>(v.size());
    if (n - ddof <= 0) return s.PushError(errDiv0);
    const double var = DevSq(v) / (n - ddof);
    s.PushResult(root ? std::sqrt(var) : var);
}

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

void Mode(TValueStack& s, const std::vector<double>& v) {
    std::map<double, int> counts;
    for (double x : v) ++counts[x];
    int best = 1;
    double mode = 0;
    // The first number, in argument order, that occurs most often.
    for (double x : v)
        if (counts[x] > best) best = counts[x], mode = x;
    if (best < 2) return s.PushError(errNA);
    s.PushNumber(mode);
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
            if (c.ValType == fvtNumber) n += 1;
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
            NumbersFunction(s, argCount, [&](auto& v) { s.PushNumber(v.empty() ? 0 : *std::min_element(v.begin(), v.end())); });
            return true;
        case fnMax:
            NumbersFunction(s, argCount, [&](auto& v) { s.PushNumber(v.empty() ? 0 : *std::max_element(v.begin(), v.end())); });
            return true;
        case fnMedian:
            NumbersFunction(s, argCount, [&](auto& v) { v.empty() ? s.PushError(errNum) : s.PushNumber(Percentile(v, 0.5)); });
            return true;
        case fnStdev: case fnStdevS:
            NumbersFunction(s, argCount, [&](auto& v) { PushVariance(s, v, 1, true); });
            return true;
        case fnStdevP: case fnStdevP2:
            NumbersFunction(s, argCount, [&](auto& v) { PushVariance(s, v, 0, true); });
            return true;
        case fnVar: case fnVarS:
            NumbersFunction(s, argCount, [&](auto& v) { PushVariance(s, v, 1, false); });
            return true;
        case fnVarP: case fnVarP2:
            NumbersFunction(s, argCount, [&](auto& v) { PushVariance(s, v, 0, false); });
            return true;
        case fnDevSq:
            NumbersFunction(s, argCount, [&](auto& v) { s.PushResult(v.empty() ? 0 : DevSq(v)); });
            return true;
        case fnAveDev:
            NumbersFunction(s, argCount, [&](auto& v) {
                if (v.empty()) return s.PushError(errNum);
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
                s.PushResult(v.empty() ? NAN : static_cast<double>(v.size()) / t);
            });
            return true;
        case fnSkew:
            NumbersFunction(s, argCount, [&](auto& v) {
                const auto n = static_cast<double>(v.size());
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
                if (n < 4) return s.PushError(errDiv0);
                const double m = Mean(v);
                const double sd = std::sqrt(DevSq(v) / (n - 1));
                double t = 0;
                for (double x : v) t += std::pow((x - m) / sd, 4);
                s.PushResult(n * (n + 1) / ((n - 1) * (n - 2) * (n - 3)) * t -
                                 3 * (n - 1) * (n - 1) / ((n - 2) * (n - 3)),
                             true);
            });
            return true;
        case fnMode: case fnModeSngl:
            NumbersFunction(s, argCount, [&](auto& v) { Mode(s, v); });
            return true;
        case fnLarge: case fnSmall: {
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
        case fnPercentile: case fnPercentileInc: case fnQuartile: case fnQuartileInc: {
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
            if (k < 0 || k > 1) s.PushError(errNum);
            else s.PushNumber(Percentile(v, k));
            return true;
        }
        case 216: Rank(s, argCount); return true;
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
        case fnIsError: case fnIsErr: {
            uint8_t err = 0;
            const TXLSFormulaValue v = s.ScalarOf(s.PopArgument(), err);
            const uint8_t code = err ? err : v.ValType == fvtError ? v.BoolErr : 0;
            s.PushBoolean(code != 0 && (id == fnIsError || code != errNA));
            return true;
        }
        case fnConcatenate: {
            std::u16string t;
            for (int i = argCount - 1; i >= 0; --i) {
                std::u16string part;
                if (const uint8_t err = s.ValueToString(s.PeekArgument(i), part)) {
                    s.PushError(err);
                    return true;
                }
                t += part;
            }
            s.PushString(std::move(t));
            return true;
        }
        default: return false;
    }
}

}  // namespace xls
