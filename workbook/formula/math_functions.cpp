// Rounding to a multiple, combinatorics, roman numerals, sums over paired arrays and the matrix
// functions.
#include <algorithm>
#include <boost/math/special_functions/factorials.hpp>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "workbook/formula/formula_evaluator.h"
#include "workbook/formula/matrix_lu.h"
#include "workbook/formula/numeric_functions.h"
#include "workbook/model/cell_error.h"

namespace xls {

namespace {

enum : int {
    fnMDeterm = 163,
    fnMInverse = 164,
    fnMMult = 165,
    fnFact = 184,
    fnTrunc = 197,
    fnRoundUp = 212,
    fnRoundDown = 213,
    fnSumProduct = 228,
    fnCombin = 276,
    fnEven = 279,
    fnFloor = 285,
    fnCeiling = 288,
    fnOdd = 298,
    fnPermut = 299,
    fnSumXMY2 = 303,
    fnSumX2MY2 = 304,
    fnSumX2PY2 = 305,
    fnRadians = 342,
    fnDegrees = 343,
    fnRoman = 354,
    fnQuotient = 381,
    fnCeilingPrecise = 830,
    fnFloorPrecise = 837,
    fnIsoCeiling = 840,
};

constexpr double Pi = 3.14159265358979323846;
// Beyond 2^52 every double is a whole number.
constexpr double WholeNumbers = 4503599627370496.0;

// x taken to 15 significant digits: a quotient such as 1.1 / 0.1 (11.000000000000002) is the
// whole number it was meant to be before it is rounded up or down.
double Approx(double x) {
    if (!std::isfinite(x) || x == 0) return x;
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.15g", x);
    return std::strtod(buf, nullptr);
}

double ApproxCeil(double x) { return std::ceil(Approx(x)); }
double ApproxFloor(double x) { return std::floor(Approx(x)); }

// x rounded at digits places (negative: left of the point) away from zero (up) or toward it.
double RoundAt(double x, double digits, bool up) {
    const double d = std::trunc(std::clamp(digits, -308.0, 308.0));
    const double a = std::fabs(x);
    const double scale = std::pow(10.0, std::fabs(d));
    double r = 0;
    if (d >= 0) {
        const double y = a * scale;
        if (!(y < WholeNumbers)) return x;
        r = (up ? ApproxCeil(y) : std::trunc(Approx(y))) / scale;
    } else {
        const double y = a / scale;
        r = (up ? ApproxCeil(y) : std::trunc(Approx(y))) * scale;
    }
    return std::copysign(r, x);
}

// CEILING and FLOOR (whose significance keeps its sign) and their PRECISE forms (whose
// significance is taken positive, 1 when left out).
void RoundToMultiple(TValueStack& s, int id, int argCount) {
    const bool signedForm = id == fnCeiling || id == fnFloor;
    const bool up = id != fnFloor && id != fnFloorPrecise;
    double sig = 1;
    double x = 0;
    if ((signedForm || argCount == 2) && !s.PopArgNumber(sig)) return;
    if (!s.PopArgNumber(x)) return;
    if (!signedForm) sig = std::fabs(sig);
    // FLOOR alone divides by a zero significance.
    if (sig == 0) return id == fnFloor && x != 0 ? s.PushError(errDiv0) : s.PushNumber(0);
    if (x > 0 && sig < 0) return s.PushError(errNum);
    s.PushResult(sig * (up ? ApproxCeil(x / sig) : ApproxFloor(x / sig)));
}

// The binomial coefficient by its product, the smaller side of the choice; #NUM! beyond double.
double Combinations(double n, double k) {
    k = std::min(k, n - k);
    // From 1,030 factors on every coefficient exceeds the largest double.
    if (k > 1030) return HUGE_VAL;
    double r = 1;
    for (double i = 1; i <= k; ++i) r = r * (n - k + i) / i;
    return r < WholeNumbers ? std::round(r) : r;
}

void CombinPermut(TValueStack& s, int id) {
    double k = 0;
    double n = 0;
    if (!s.PopArgNumber(k) || !s.PopArgNumber(n)) return;
    n = std::trunc(n);
    k = std::trunc(k);
    if (n < 0 || k < 0 || n < k) return s.PushError(errNum);
    if (id == fnCombin) return s.PushResult(Combinations(n, k));
    // Any product of 171 different whole factors exceeds 170!, the largest double factorial.
    if (k > 170) return s.PushError(errNum);
    double r = 1;
    for (double i = 0; i < k; ++i) r *= n - i;
    s.PushResult(r);
}

void Fact(TValueStack& s) {
    double x = 0;
    if (!s.PopArgNumber(x)) return;
    if (x < 0 || x >= 171) return s.PushError(errNum);
    s.PushNumber(boost::math::unchecked_factorial<double>(static_cast<unsigned>(x)));
}

void Roman(TValueStack& s, int argCount) {
    static constexpr struct {
        int Value;
        const char16_t* Text;
    } Numerals[] = {{1000, u"M"}, {900, u"CM"}, {500, u"D"}, {400, u"CD"}, {100, u"C"}, {90, u"XC"}, {50, u"L"},
                    {40, u"XL"},  {10, u"X"},   {9, u"IX"},  {5, u"V"},    {4, u"IV"},  {1, u"I"}};
    double form = 0;
    double x = 0;
    if ((argCount == 2 && !s.PopArgNumber(form)) || !s.PopArgNumber(x)) return;
    form = std::trunc(form);
    x = std::trunc(x);
    if (form < 0 || form > 4 || x < 0 || x > 3999) return s.PushError(errValue);
    auto n = static_cast<int>(x);
    std::u16string text;
    for (const auto& numeral : Numerals)
        for (; n >= numeral.Value; n -= numeral.Value) text += numeral.Text;
    s.PushString(std::move(text));
}

void PairedSum(TValueStack& s, int id) {
    const TXLSFormulaValue y = s.PopArgument();
    const TXLSFormulaValue x = s.PopArgument();
    std::vector<double> xs;
    std::vector<double> ys;
    if (const uint8_t err = PairedNumbers(s, x, y, xs, ys)) return s.PushError(err);
    if (xs.empty()) return s.PushError(errDiv0);
    double t = 0;
    for (size_t i = 0; i < xs.size(); ++i) {
        const double a = xs[i];
        const double b = ys[i];
        t += id == fnSumX2MY2 ? a * a - b * b : id == fnSumX2PY2 ? a * a + b * b : (a - b) * (a - b);
    }
    s.PushResult(t);
}

// Every argument is one rectangle of values of the same size; positions where any value is not
// a number add nothing. Only the stored part of each area is walked.
void SumProduct(TValueStack& s, int argCount) {
    std::vector<TValueSequence> seqs;
    seqs.reserve(static_cast<size_t>(argCount));
    for (int i = argCount - 1; i >= 0; --i) seqs.emplace_back(s, s.PeekArgument(i));
    for (const TValueSequence& q : seqs)
        if (!q.Valid() || q.ColCount() != seqs.back().ColCount() || q.RowCount() != seqs.back().RowCount())
            return s.PushError(errValue);
    int64_t first = seqs.front().First();
    int64_t last = seqs.front().Last();
    for (const TValueSequence& q : seqs) first = std::min(first, q.First()), last = std::max(last, q.Last());
    double sum = 0;
    TXLSFormulaValue v;
    for (int64_t i = first; i < last; ++i) {
        double product = 1;
        bool numbers = true;
        for (const TValueSequence& q : seqs) {
            q.Get(i, v);
            if (v.ValType == fvtError) return s.PushError(v.BoolErr);
            if (v.ValType == fvtNumber)
                product *= v.Number;
            else
                numbers = false;
        }
        if (numbers) sum += product;
    }
    s.PushResult(sum);
}

// The numbers of a matrix argument; every element must be a number. 0 or the error.
uint8_t ReadMatrix(TValueStack& s, const TXLSFormulaValue& arg, TDenseMatrix& m) {
    const TValueSequence seq(s, arg);
    if (!seq.Valid() || seq.Count() > TXLSFormulaEvaluator::MaxArrayCells) return errValue;
    m = TDenseMatrix(seq.RowCount(), seq.ColCount());
    TXLSFormulaValue v;
    for (int64_t i = 0; i < seq.Count(); ++i) {
        seq.Get(i, v);
        if (v.ValType == fvtError) return v.BoolErr;
        if (v.ValType != fvtNumber) return errValue;
        m.Data[static_cast<size_t>(i)] = v.Number;
    }
    return 0;
}

void PushMatrix(TValueStack& s, const TDenseMatrix& m) {
    auto array = std::make_unique<TXLSArrayItem>(m.Cols, m.Rows);
    for (int r = 0; r < m.Rows; ++r)
        for (int c = 0; c < m.Cols; ++c) array->At(c, r) = FiniteOrError(m.At(r, c));
    s.PushArray(std::move(array));
}

void MatrixFunction(TValueStack& s, int id) {
    TDenseMatrix b;
    TDenseMatrix a;
    const TXLSFormulaValue second = id == fnMMult ? s.PopArgument() : TXLSFormulaValue();
    const TXLSFormulaValue first = s.PopArgument();
    if (const uint8_t err = ReadMatrix(s, first, a)) return s.PushError(err);
    if (id == fnMMult) {
        if (const uint8_t err = ReadMatrix(s, second, b)) return s.PushError(err);
        if (a.Cols != b.Rows || static_cast<int64_t>(a.Rows) * b.Cols > TXLSFormulaEvaluator::MaxArrayCells)
            return s.PushError(errValue);
        return PushMatrix(s, MultiplyMatrices(a, b));
    }
    if (a.Rows != a.Cols) return s.PushError(errValue);
    const TMatrixLU lu(std::move(a));
    // A singular matrix has the determinant 0, not -0.
    if (id == fnMDeterm) return s.PushResult(lu.Determinant() + 0.0);
    if (lu.Singular()) return s.PushError(errNum);
    PushMatrix(s, lu.Inverse());
}

}  // namespace

bool CallMathFunction(TValueStack& s, int id, int argCount) {
    double x = 0;
    double d = 0;
    switch (id) {
        case fnCeiling:
        case fnCeilingPrecise:
        case fnIsoCeiling:
        case fnFloor:
        case fnFloorPrecise: RoundToMultiple(s, id, argCount); return true;
        case fnEven:
            if (s.PopArgNumber(x)) s.PushResult(std::copysign(2 * ApproxCeil(std::fabs(x) / 2), x));
            return true;
        case fnOdd:
            if (s.PopArgNumber(x)) s.PushResult((x < 0 ? -1 : 1) * (2 * ApproxCeil((std::fabs(x) + 1) / 2) - 1));
            return true;
        case fnRoundUp:
        case fnRoundDown:
        case fnTrunc:
            if ((id != fnTrunc || argCount == 2) && !s.PopArgNumber(d)) return true;
            if (s.PopArgNumber(x)) s.PushResult(RoundAt(x, d, id == fnRoundUp));
            return true;
        case fnQuotient:
            if (!s.PopArgNumber(d) || !s.PopArgNumber(x)) return true;
            d == 0 ? s.PushError(errDiv0) : s.PushResult(std::trunc(Approx(x / d)));
            return true;
        case fnRadians:
        case fnDegrees:
            if (s.PopArgNumber(x)) s.PushResult(id == fnRadians ? x * Pi / 180 : x * 180 / Pi);
            return true;
        case fnFact: Fact(s); return true;
        case fnCombin:
        case fnPermut: CombinPermut(s, id); return true;
        case fnRoman: Roman(s, argCount); return true;
        case fnSumX2MY2:
        case fnSumX2PY2:
        case fnSumXMY2: PairedSum(s, id); return true;
        case fnSumProduct: SumProduct(s, argCount); return true;
        case fnMDeterm:
        case fnMInverse:
        case fnMMult: MatrixFunction(s, id); return true;
        default: return false;
    }
}

}  // namespace xls
