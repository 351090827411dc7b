// Correlation, covariance, the least-squares line and the exponential fit, and PROB.
#include <algorithm>
#include <cmath>
#include <memory>

#include "workbook/formula/numeric_functions.h"
#include "workbook/model/cell_error.h"

namespace xls {

namespace {

enum : int {
    fnLinest = 49,
    fnTrend = 50,
    fnLogest = 51,
    fnGrowth = 52,
    fnCorrel = 307,
    fnCovar = 308,
    fnForecast = 309,
    fnIntercept = 311,
    fnPearson = 312,
    fnRsq = 313,
    fnSteyx = 314,
    fnSlope = 315,
    fnProb = 317,
    fnCovarianceS = 834,
    fnCovarianceP = 852,
};

// Sums of deviations from the means, accumulated in extended precision in one pass that
// updates the means as it goes (no list of the pairs is kept).
struct TPairSums {
    long double N = 0;
    long double MeanX = 0;
    long double MeanY = 0;
    long double Sxx = 0;
    long double Syy = 0;
    long double Sxy = 0;

    void Add(double x, double y) {
        N += 1;
        const long double dx = x - MeanX;
        const long double dy = y - MeanY;
        MeanX += dx / N;
        MeanY += dy / N;
        Sxx += dx * (x - MeanX);
        Syy += dy * (y - MeanY);
        Sxy += dx * (y - MeanY);
    }
};

TPairSums PairSums(const std::vector<double>& x, const std::vector<double>& y) {
    TPairSums p;
    for (size_t i = 0; i < x.size(); ++i) p.Add(x[i], y[i]);
    return p;
}

// The line y = m x + b (b = 0 without a constant) and its statistics; an element NaN stands for
// a statistic that does not exist (#N/A), an infinite one for a division by zero (#NUM!).
struct TLineFit {
    double M = 0;
    double B = 0;
    double SeM = 0;
    double SeB = 0;
    double R2 = 0;
    double SeY = 0;
    double F = 0;
    double Df = 0;
    double SsReg = 0;
    double SsResid = 0;
};

double Quotient(long double a, long double b) { return b == 0 ? HUGE_VAL : static_cast<double>(a / b); }

// False when x has no spread to fit (all equal, or all 0 without a constant).
bool FitLine(const std::vector<double>& y, const std::vector<double>& x, bool constant, TLineFit& f) {
    const TPairSums p = PairSums(x, y);
    long double sxx = p.Sxx;
    long double sxy = p.Sxy;
    long double syy = p.Syy;
    if (!constant) {
        sxx = sxy = syy = 0;
        for (size_t i = 0; i < x.size(); ++i) {
            sxx += static_cast<long double>(x[i]) * x[i];
            sxy += static_cast<long double>(x[i]) * y[i];
            syy += static_cast<long double>(y[i]) * y[i];
        }
    }
    if (sxx <= 0) return false;
    const long double m = sxy / sxx;
    f.M = static_cast<double>(m);
    f.B = constant ? static_cast<double>(p.MeanY - m * p.MeanX) : 0;
    const long double ssreg = m * sxy;
    const long double ssresid = std::max(syy - ssreg, 0.0L);
    const long double df = p.N - (constant ? 2 : 1);
    f.Df = static_cast<double>(df);
    f.SsReg = static_cast<double>(ssreg);
    f.SsResid = static_cast<double>(ssresid);
    f.R2 = syy == 0 ? 1 : static_cast<double>(ssreg / syy);
    // Two points on a line with a constant leave no degree of freedom and no residual.
    const double sey = df > 0 ? static_cast<double>(std::sqrt(ssresid / df)) : ssresid == 0 ? 0 : HUGE_VAL;
    f.SeY = sey;
    f.F = Quotient(ssreg * df, ssresid);
    f.SeM = static_cast<double>(sey / std::sqrt(sxx));
    f.SeB = constant ? static_cast<double>(sey * std::sqrt(1 / p.N + p.MeanX * p.MeanX / sxx)) : NAN;
    return true;
}

// A Boolean argument that may be left out (an empty argument takes the default).
bool OptionalBoolean(TValueStack& s, bool& b) {
    if (s.PeekArgument(0).Kind == vkValue && s.PeekArgument(0).ValType == fvtEmpty) {
        s.PopArgument();
        return true;
    }
    return s.PopArgBoolean(b);
}

// known_y's, known_x's (1 to n when left out or empty) and the optional new_x's (known_x's when
// left out); the lists of numbers, and the shape of the argument the new x come from (a column
// when its positions are not all numbers). False after pushing the error.
bool ReadSeries(TValueStack& s, int lists, std::vector<double>& y, std::vector<double>& x, std::vector<double>* nx,
                int* cols = nullptr, int* rows = nullptr) {
    std::vector<TXLSFormulaValue> args;
    for (int i = 0; i < lists; ++i) args.insert(args.begin(), s.PopArgument());
    std::vector<double>* outs[] = {&y, &x, nx};
    std::vector<bool> given(3, false);
    for (int i = lists - 1; i >= 0; --i) {
        const TXLSFormulaValue& a = args[static_cast<size_t>(i)];
        if (a.Kind == vkValue && a.ValType == fvtEmpty) continue;
        given[static_cast<size_t>(i)] = true;
        if (const uint8_t err = ArgumentNumbers(s, a, *outs[i])) {
            s.PushError(err);
            return false;
        }
    }
    if (!given[1]) {
        x.clear();
        for (size_t i = 0; i < y.size(); ++i) x.push_back(static_cast<double>(i + 1));
    }
    if (nx && !given[2]) *nx = x;
    if (x.size() != y.size()) {
        s.PushError(errRef);
        return false;
    }
    if (nx && cols && rows) {
        const TValueSequence shape(s, args[given[2] ? 2 : given[1] ? 1 : 0]);
        const bool whole = shape.Count() == static_cast<int64_t>(nx->size());
        *cols = whole ? shape.ColCount() : 1;
        *rows = whole ? shape.RowCount() : static_cast<int>(nx->size());
    }
    return true;
}

// The logarithms of y for the exponential fit; false when a y is not positive.
bool Logarithms(std::vector<double>& y) {
    for (double& v : y) {
        if (v <= 0) return false;
        v = std::log(v);
    }
    return true;
}

TXLSFormulaValue Statistic(double x) {
    if (std::isnan(x)) return TXLSFormulaValue::MakeError(errNA);
    return FiniteOrError(x);
}

void LinEst(TValueStack& s, int id, int argCount) {
    bool stats = false;
    bool constant = true;
    if (argCount >= 4 && !OptionalBoolean(s, stats)) return;
    if (argCount >= 3 && !OptionalBoolean(s, constant)) return;
    std::vector<double> y;
    std::vector<double> x;
    if (!ReadSeries(s, std::min(argCount, 2), y, x, nullptr)) return;
    if (y.empty() || (constant && y.size() < 2)) return s.PushError(errNum);
    if (id == fnLogest && !Logarithms(y)) return s.PushError(errNum);
    TLineFit f;
    if (!FitLine(y, x, constant, f)) return s.PushError(errNum);
    if (id == fnLogest) f.M = std::exp(f.M), f.B = std::exp(f.B);
    auto array = std::make_unique<TXLSArrayItem>(2, stats ? 5 : 1);
    const double cells[5][2] = {{f.M, f.B}, {f.SeM, f.SeB}, {f.R2, f.SeY}, {f.F, f.Df}, {f.SsReg, f.SsResid}};
    for (int r = 0; r < array->RowCount(); ++r)
        for (int c = 0; c < 2; ++c) array->At(c, r) = Statistic(cells[r][c]);
    // Without a constant the intercept is 0, not a missing value.
    if (!constant) array->At(1, 0) = TXLSFormulaValue::MakeNumber(id == fnLogest ? 1 : 0);
    s.PushArray(std::move(array));
}

void Trend(TValueStack& s, int id, int argCount) {
    bool constant = true;
    if (argCount >= 4 && !OptionalBoolean(s, constant)) return;
    std::vector<double> y;
    std::vector<double> x;
    std::vector<double> nx;
    int cols = 1;
    int rows = 1;
    if (!ReadSeries(s, std::min(argCount, 3), y, x, &nx, &cols, &rows)) return;
    if (y.empty() || (constant && y.size() < 2)) return s.PushError(errNum);
    if (id == fnGrowth && !Logarithms(y)) return s.PushError(errNum);
    TLineFit f;
    if (!FitLine(y, x, constant, f)) return s.PushError(errDiv0);
    if (nx.empty()) return s.PushError(errValue);
    // The fitted values take the shape of the x they are fitted at.
    auto array = std::make_unique<TXLSArrayItem>(cols, rows);
    for (size_t i = 0; i < nx.size(); ++i) {
        const double fitted = f.B + f.M * nx[i];
        array->At(static_cast<int>(i % cols), static_cast<int>(i / cols)) =
            FiniteOrError(id == fnGrowth ? std::exp(fitted) : fitted);
    }
    s.PushArray(std::move(array));
}

void Prob(TValueStack& s, int argCount) {
    double upper = 0;
    double lower = 0;
    if (argCount == 4 && !s.PopArgNumber(upper)) return;
    if (!s.PopArgNumber(lower)) return;
    if (argCount < 4) upper = lower;
    const TXLSFormulaValue probs = s.PopArgument();
    const TXLSFormulaValue values = s.PopArgument();
    std::vector<double> xs;
    std::vector<double> ps;
    if (const uint8_t err = PairedNumbers(s, values, probs, xs, ps)) return s.PushError(err);
    long double total = 0;
    long double inside = 0;
    for (size_t i = 0; i < xs.size(); ++i) {
        if (ps[i] < 0 || ps[i] > 1) return s.PushError(errNum);
        total += ps[i];
        if (lower <= xs[i] && xs[i] <= upper) inside += ps[i];
    }
    // The probabilities must describe a whole distribution.
    if (std::fabs(static_cast<double>(total) - 1) > 1e-7) return s.PushError(errNum);
    s.PushResult(static_cast<double>(inside));
}

// The functions of two paired series (x the first argument for correlation and covariance, the
// second for the line's functions).
void PairFunction(TValueStack& s, int id) {
    const TXLSFormulaValue second = s.PopArgument();
    const TXLSFormulaValue first = s.PopArgument();
    double at = 0;
    if (id == fnForecast && !s.PopArgNumber(at)) return;
    const bool xFirst =
        id == fnCorrel || id == fnPearson || id == fnCovar || id == fnCovarianceP || id == fnCovarianceS;
    TPairSums p;
    const auto add = [&p](double x, double y) { p.Add(x, y); };
    if (const uint8_t err = xFirst ? ForEachPair(s, first, second, add) : ForEachPair(s, second, first, add))
        return s.PushError(err);
    switch (id) {
        case fnCovar:
        case fnCovarianceP: return p.N < 1 ? s.PushError(errDiv0) : s.PushResult(static_cast<double>(p.Sxy / p.N));
        case fnCovarianceS:
            return p.N < 2 ? s.PushError(errDiv0) : s.PushResult(static_cast<double>(p.Sxy / (p.N - 1)));
        case fnCorrel:
        case fnPearson:
        case fnRsq: {
            if (p.N < 1 || p.Sxx == 0 || p.Syy == 0) return s.PushError(errDiv0);
            const double r = static_cast<double>(p.Sxy / std::sqrt(p.Sxx * p.Syy));
            return s.PushResult(id == fnRsq ? r * r : std::clamp(r, -1.0, 1.0));
        }
        case fnSteyx:
            if (p.N < 3 || p.Sxx == 0) return s.PushError(errDiv0);
            return s.PushResult(
                static_cast<double>(std::sqrt(std::max(p.Syy - p.Sxy * p.Sxy / p.Sxx, 0.0L) / (p.N - 2))));
        default: break;
    }
    if (p.N < 1 || p.Sxx == 0) return s.PushError(errDiv0);
    const long double m = p.Sxy / p.Sxx;
    const long double b = p.MeanY - m * p.MeanX;
    s.PushResult(static_cast<double>(id == fnSlope ? m : id == fnIntercept ? b : b + m * at));
}

}  // namespace

bool CallRegressionFunction(TValueStack& s, int id, int argCount) {
    switch (id) {
        case fnCorrel:
        case fnPearson:
        case fnRsq:
        case fnSlope:
        case fnIntercept:
        case fnForecast:
        case fnSteyx:
        case fnCovar:
        case fnCovarianceP:
        case fnCovarianceS: PairFunction(s, id); return true;
        case fnLinest:
        case fnLogest: LinEst(s, id, argCount); return true;
        case fnTrend:
        case fnGrowth: Trend(s, id, argCount); return true;
        case fnProb: Prob(s, argCount); return true;
        default: return false;
    }
}

}  // namespace xls
