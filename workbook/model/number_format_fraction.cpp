// Fraction sections of number formats ("# ?/?", "?/?", "# ??/16"): a whole part, then the
// closest fraction whose denominator has as many digits as its placeholders, or the fixed one.
#include <algorithm>
#include <cmath>
#include <string>

#include "workbook/model/number_format_mask.h"

namespace xls {
namespace {

bool IsDigitToken(TMaskKind kind) { return kind >= mkDigitOptional && kind <= mkDigitZero; }

// The fraction p/q closest to x >= 0 with q <= maxDen (the smaller q when two are as close):
// the last convergent of x's continued fraction within the bound, or the semiconvergent after it.
void BestFraction(double x, double maxDen, double& p, double& q) {
    double p0 = 0, q0 = 1, p1 = 1, q1 = 0;
    double r = x;
    for (int i = 0; i < 64; ++i) {
        const double a = std::floor(r);
        const double q2 = q0 + a * q1;
        if (q2 > maxDen) break;
        const double p2 = p0 + a * p1;
        p0 = p1, q0 = q1, p1 = p2, q1 = q2;
        if (r == a) break;
        r = 1 / (r - a);
    }
    const double k = std::floor((maxDen - q0) / q1);
    const double p2 = p0 + k * p1;
    const double q2 = q0 + k * q1;
    if (std::fabs(p2 / q2 - x) < std::fabs(p1 / q1 - x)) {
        p = p2, q = q2;
    } else {
        p = p1, q = q1;
    }
}

void AppendLiteral(std::u16string& out, const TMaskData& t) {
    if (t.Kind == mkChar) out += t.Char;
    if (t.Kind == mkText) out += t.Text;
    if (t.Kind == mkPercent) out += u'%';
}

}  // namespace

std::u16string TExcelMask::PlaceDigits(const TSection& s, size_t begin, size_t end, double value, bool thousands,
                                       bool forceZero) const {
    TSection part;
    part.Present = true;
    part.Tokens.assign(s.Tokens.begin() + static_cast<std::ptrdiff_t>(begin),
                       s.Tokens.begin() + static_cast<std::ptrdiff_t>(end));
    const auto digit = [](const TMaskData& t) { return IsDigitToken(t.Kind); };
    if (std::none_of(part.Tokens.begin(), part.Tokens.end(),
                     [](const TMaskData& t) { return t.Kind == mkNumberStart; }))
        part.Tokens.insert(std::find_if(part.Tokens.begin(), part.Tokens.end(), digit),
                           TMaskData{mkNumberStart, 0, {}});
    if (forceZero && value == 0) {
        const auto last = std::find_if(part.Tokens.rbegin(), part.Tokens.rend(), digit);
        if (last != part.Tokens.rend()) last->Kind = mkDigitZero;
    }
    if (thousands) part.Flags |= msfThousands;
    return FormatDigits(part, value);
}

std::u16string TExcelMask::FormatFraction(const TSection& s, double value) const {
    const std::vector<TMaskData>& t = s.Tokens;
    const size_t bar = static_cast<size_t>(s.FractionBar);
    size_t numBegin = bar;
    while (numBegin > 0 && IsDigitToken(t[numBegin - 1].Kind)) --numBegin;
    size_t denEnd = bar + 1;
    while (denEnd < t.size() && IsDigitToken(t[denEnd].Kind)) ++denEnd;
    // The whole part ends after its last placeholder; what stands between it and the numerator
    // separates the two.
    size_t intEnd = numBegin;
    while (intEnd > 0 && !IsDigitToken(t[intEnd - 1].Kind)) --intEnd;
    const bool whole = intEnd > 0;
    if (!whole) intEnd = numBegin;
    const auto has = [&](size_t b, size_t e, TMaskKind kind) {
        return std::any_of(t.begin() + static_cast<std::ptrdiff_t>(b), t.begin() + static_cast<std::ptrdiff_t>(e),
                           [kind](const TMaskData& d) { return d.Kind == kind; });
    };

    const double fixed = t[bar].Text.empty() ? 0 : std::stod(std::string(t[bar].Text.begin(), t[bar].Text.end()));
    const int places = std::min(static_cast<int>(denEnd - bar - 1), 9);
    const double v = std::fabs(value);
    double integer = whole ? std::floor(v) : 0;
    const double f = v - integer;
    double num = 0;
    double den = fixed;
    if (fixed > 0)
        num = std::ceil(f * fixed - 0.5);  // the nearest numerator, a half down
    else
        BestFraction(f, std::max(std::pow(10.0, places) - 1, 1.0), num, den);
    if (whole && num >= den) integer += 1, num = 0;
    if (num == 0 && fixed == 0) den = 1;
    const bool negative = value < 0 && (integer > 0 || num > 0);

    std::u16string out;
    if (whole) {
        // A zero whole part shows under "0" only, or as the value itself when all of it is zero.
        out = PlaceDigits(s, 0, intEnd, negative ? -integer : integer, (s.Flags & msfThousands) != 0, num == 0);
        if (negative && integer == 0) out.insert(0, 1, u'-');
    } else {
        for (size_t i = 0; i < numBegin; ++i) AppendLiteral(out, t[i]);
    }
    const bool numQ = has(numBegin, bar, mkDigitSpace);
    if (whole && num == 0 && !has(numBegin, bar, mkDigitZero)) {
        // No fraction to show: blanks keep its width under "?", nothing stands for it under "#".
        for (size_t i = intEnd; numQ && i < denEnd; ++i) {
            if (t[i].Kind == mkDigitSpace || t[i].Kind == mkFractionBar || t[i].Kind == mkChar ||
                t[i].Kind == mkDigitZero)
                out += u' ';
            else if (t[i].Kind == mkText)
                out.append(t[i].Text.size(), u' ');
        }
    } else {
        if (whole) {
            // With no whole number shown the separator goes, as blanks when the numerator aligns.
            const bool bare = integer == 0 && !has(0, intEnd, mkDigitZero);
            for (size_t i = intEnd; i < numBegin; ++i) {
                std::u16string sep;
                AppendLiteral(sep, t[i]);
                if (!bare)
                    out += sep;
                else if (t[numBegin].Kind == mkDigitSpace)
                    out.append(sep.size(), u' ');
            }
        }
        std::u16string numerator = PlaceDigits(s, numBegin, bar, num, false, !whole);
        if (negative && !whole) numerator.insert(0, 1, u'-');
        out += numerator;
        out += u'/';
        if (fixed > 0) {
            out += t[bar].Text;
        } else {
            // The denominator stands left-aligned: its blanks go after its digits.
            std::u16string d = PlaceDigits(s, bar + 1, denEnd, den, false, false);
            const size_t lead = d.find_first_not_of(u' ');
            if (lead != std::u16string::npos && lead > 0) d = d.substr(lead) + std::u16string(lead, u' ');
            out += d;
        }
    }
    for (size_t i = denEnd; i < t.size(); ++i) AppendLiteral(out, t[i]);
    return out;
}

}  // namespace xls
