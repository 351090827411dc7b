#include "workbook/model/number_format_mask.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

#include "base/civil_date.h"
#include "workbook/model/exceptions.h"

namespace xls {
namespace {

char16_t Upper(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c; }

bool IsDigitToken(TMaskKind kind) { return kind >= mkDigitOptional && kind <= mkDigitZero; }

bool IsHourToken(TMaskKind kind) { return (kind >= mkHour && kind <= mkHour12_2) || kind == mkElapsedHours; }

bool IsDateTimeToken(TMaskKind kind) { return kind >= mkYear2 && kind <= mkAP; }

bool StartsWith(std::u16string_view text, size_t at, std::u16string_view what) {
    return text.substr(at, what.size()) == what;
}

std::u16string Widen(std::string_view text) { return {text.begin(), text.end()}; }

std::u16string Padded(int64_t value, int width) {
    std::string digits = std::to_string(value < 0 ? -value : value);
    if (static_cast<int>(digits.size()) < width) digits.insert(0, static_cast<size_t>(width) - digits.size(), '0');
    std::u16string text(value < 0 ? 1 : 0, u'-');
    text.append(digits.begin(), digits.end());
    return text;
}

// |value| rounded half away from zero to decimals places, taken from its 15 significant digits
// so that 2.675 rounds as written: the integer digits ("0" for none) and exactly decimals
// fraction digits.
void DecimalDigits(double value, int decimals, std::string& integer, std::string& fraction) {
    value = std::fabs(value);
    char buf[64];
    const auto end = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 14).ptr;
    const std::string text(buf, end);
    const size_t e = text.find('e');
    std::string digits = text.substr(0, 1) + text.substr(2, e - 2);  // 15 digits, point after the first
    int point = std::stoi(text.substr(e + 1)) + 1;                   // digits before the point
    if (value == 0) point = 1;
    // Keep point + decimals digits, rounding on the next one.
    const int keep = point + decimals;
    if (keep < 0) {
        digits.clear();
    } else if (keep < static_cast<int>(digits.size())) {
        const bool up = digits[static_cast<size_t>(keep)] >= '5';
        digits.resize(static_cast<size_t>(keep));
        if (up) {
            int i = keep - 1;
            for (; i >= 0 && digits[static_cast<size_t>(i)] == '9'; --i) digits[static_cast<size_t>(i)] = '0';
            if (i >= 0) {
                ++digits[static_cast<size_t>(i)];
            } else {
                digits.insert(0, 1, '1');
                ++point;
            }
        }
    }
    const int have = static_cast<int>(digits.size());
    if (have < point + decimals && point + decimals > 0)
        digits.append(static_cast<size_t>(point + decimals - std::max(have, 0)), '0');
    if (point <= 0) {
        integer.assign(1, '0');  // GCC 12 at -O2 takes the literal assignment for an overlapping copy
        fraction = std::string(static_cast<size_t>(-point), '0') + digits;
    } else {
        integer = digits.substr(0, static_cast<size_t>(point));
        fraction = digits.substr(static_cast<size_t>(point));
    }
    fraction.resize(static_cast<size_t>(decimals), '0');
    const size_t first = integer.find_first_not_of('0');
    integer = first == std::string::npos ? "0" : integer.substr(first);
}

int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0); }

}  // namespace

std::u16string GeneralNumberText(double value, char16_t decimalSeparator) {
    if (!std::isfinite(value)) return value != value ? u"NaN" : value > 0 ? u"INF" : u"-INF";
    char buf[40];
    const auto end = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 15).ptr;
    std::u16string text;
    for (const char* p = buf; p != end; ++p) {
        if (*p == 'e') {
            // Two exponent digits at least, as "%G" gives them.
            text += u'E';
            const char sign = p[1];
            text += static_cast<char16_t>(sign);
            p += 2;
            if (end - p < 2) text += u'0';
            for (; p != end; ++p) text += static_cast<char16_t>(*p);
            break;
        }
        text += *p == '.' ? decimalSeparator : static_cast<char16_t>(*p);
    }
    return text;
}

void TExcelMask::SetMask(std::u16string_view mask) {
    if (mask.size() >= 256) throw EXLSError("Format string more than 255 characthers");
    for (TSection& section : Sections_) section = TSection{};
    // "General" outside quotes stands for the general number text; sections split at ";"
    // outside quotes and escapes.
    std::u16string text;
    int section = 0;
    bool quoted = false;
    for (size_t i = 0; i < mask.size(); ++i) {
        const char16_t c = mask[i];
        if (c == u'"') quoted = !quoted;
        if (!quoted && c == u'\\' && i + 1 < mask.size()) {
            text += c;
            text += mask[++i];
        } else if (!quoted && (c == u'g' || c == u'G') && i + 7 <= mask.size() &&
                   std::equal(mask.begin() + static_cast<std::ptrdiff_t>(i),
                              mask.begin() + static_cast<std::ptrdiff_t>(i + 7), u"GENERAL",
                              [](char16_t a, char16_t b) { return Upper(a) == b; })) {
            text += u'@';
            i += 6;
        } else if (!quoted && c == u';') {
            Sections_[static_cast<size_t>(section)].Present = true;
            ParseSection(text, Sections_[static_cast<size_t>(section)]);
            text.clear();
            if (++section == 4) return;
        } else {
            text += c;
        }
    }
    Sections_[static_cast<size_t>(section)].Present = true;
    ParseSection(text, Sections_[static_cast<size_t>(section)]);
    if (section >= 2) Sections_[2].Flags |= msfZero;
}

void TExcelMask::ParseSection(std::u16string_view text, TSection& s) {
    auto add = [&](TMaskKind kind, char16_t c = 0, std::u16string t = {}) {
        s.Tokens.push_back({kind, c, std::move(t)});
    };
    auto lastDateTime = [&]() -> TMaskData* {
        for (auto it = s.Tokens.rbegin(); it != s.Tokens.rend(); ++it)
            if (IsDateTimeToken(it->Kind)) return &*it;
        return nullptr;
    };
    bool digitSeen = false;
    const size_t n = text.size();
    size_t i = 0;
    while (i < n) {
        const char16_t c = text[i];
        const char16_t u = Upper(c);
        if (c == u'"') {
            const size_t close = text.find(u'"', i + 1);
            if (close == std::u16string_view::npos) break;
            add(mkText, 0, std::u16string(text.substr(i + 1, close - i - 1)));
            i = close + 1;
        } else if (c == u'#' || c == u'?' || c == u'0') {
            const TMaskKind kind = c == u'#' ? mkDigitOptional : c == u'?' ? mkDigitSpace : mkDigitZero;
            if (s.Flags & msfScientific)
                ++s.ExponentDigits;
            else if (s.Flags & msfDecimal)
                ++s.Decimals;
            // A comma between digit placeholders groups thousands; commas after the last one scale.
            if (s.Commas > 0 && digitSeen && !(s.Flags & msfDecimal)) s.Flags |= msfThousands;
            s.Commas = 0;
            digitSeen = true;
            add(kind, c);
            ++i;
        } else if (c == u',') {
            ++s.Commas;
            add(mkNone, c);  // a literal in dates
            ++i;
        } else if (c == u'.' && !(s.Flags & msfDecimal)) {
            s.Flags |= msfDecimal;
            s.DecimalIndex = static_cast<int>(s.Tokens.size());
            add(mkDecimal, c);
            ++i;
        } else if (c == u'%') {
            s.Flags |= msfPercent;
            add(mkPercent, c);
            ++i;
        } else if (c == u'@') {
            s.Flags |= msfText;
            add(mkNone, c);
            ++i;
        } else if (u == u'Y' || u == u'M' || u == u'D' || u == u'H' || u == u'S') {
            size_t run = 1;
            while (i + run < n && Upper(text[i + run]) == u) ++run;
            s.Flags |= msfDateTime;
            const TMaskData* previous = lastDateTime();
            TMaskKind kind = mkNone;
            switch (u) {
                case u'Y': kind = run <= 2 ? mkYear2 : mkYear4; break;
                case u'D': kind = run == 1 ? mkDay : run == 2 ? mkDay2 : run == 3 ? mkDayShort : mkDayLong; break;
                case u'H': kind = run == 1 ? mkHour : mkHour2; break;
                case u'S':
                    kind = run == 1 ? mkSecond : mkSecond2;
                    // A month run right before seconds is minutes.
                    if (TMaskData* last = lastDateTime(); last && (last->Kind == mkMonth || last->Kind == mkMonth2))
                        last->Kind = last->Kind == mkMonth ? mkMinute : mkMinute2;
                    break;
                default:  // M
                    if (previous && IsHourToken(previous->Kind))
                        kind = run == 1 ? mkMinute : mkMinute2;
                    else
                        kind = run == 1   ? mkMonth
                               : run == 2 ? mkMonth2
                               : run == 3 ? mkMonthShort
                               : run == 4 ? mkMonthLong
                                          : mkMonthLetter;
            }
            add(kind, c);
            i += run;
        } else if ((c == u'E' || c == u'e') && i + 1 < n && (text[i + 1] == u'+' || text[i + 1] == u'-')) {
            s.Flags |= msfScientific;
            s.ExponentPlus = text[i + 1] == u'+';
            add(mkNone, text[i + 1]);
            i += 2;
        } else if (c == u'[') {
            const size_t close = text.find(u']', i + 1);
            if (close == std::u16string_view::npos) {
                add(mkChar, c);
                ++i;
                continue;
            }
            const std::u16string_view group = text.substr(i + 1, close - i - 1);
            std::u16string upper;
            for (char16_t g : group) upper += Upper(g);
            if (!group.empty() && group[0] == u'$') {
                const size_t dash = group.find(u'-');
                add(mkText, 0, std::u16string(group.substr(1, dash == std::u16string_view::npos ? dash : dash - 1)));
            } else if (upper == u"H" || upper == u"HH") {
                s.Flags |= msfDateTime;
                add(mkElapsedHours, c);
            } else if (upper == u"M" || upper == u"MM") {
                s.Flags |= msfDateTime;
                add(mkElapsedMinutes, c);
            } else if (upper == u"S" || upper == u"SS") {
                s.Flags |= msfDateTime;
                add(mkElapsedSeconds, c);
            }  // colours, locales and conditions show nothing
            i = close + 1;
        } else if (c == u'\\') {
            if (i + 1 < n) add(mkChar, text[i + 1]);
            i += 2;
        } else if (c == u'_') {
            add(mkChar, u' ');
            i += 2;
        } else if (c == u'*') {
            ++i;
        } else if (u == u'A' &&
                   (StartsWith(text, i, u"AM/PM") || StartsWith(text, i, u"am/pm") || StartsWith(text, i, u"a/p"))) {
            const TMaskKind kind = StartsWith(text, i, u"AM/PM")   ? mkAmPmUpper
                                   : StartsWith(text, i, u"am/pm") ? mkAmPmLower
                                                                   : mkAP;
            for (auto it = s.Tokens.rbegin(); it != s.Tokens.rend(); ++it) {
                if (it->Kind == mkHour || it->Kind == mkHour2) {
                    it->Kind = it->Kind == mkHour ? mkHour12 : mkHour12_2;
                    break;
                }
            }
            s.Flags |= msfDateTime;
            add(kind, c);
            i += kind == mkAP ? 3 : 5;
        } else if (c == u'/' && s.FractionBar < 0 && !(s.Flags & (msfDateTime | msfDecimal | msfScientific)) &&
                   !s.Tokens.empty() && IsDigitToken(s.Tokens.back().Kind) && i + 1 < n &&
                   (text[i + 1] == u'#' || text[i + 1] == u'?' || (text[i + 1] >= u'0' && text[i + 1] <= u'9'))) {
            // A fraction: the denominator's placeholders follow, or its digits ("?/8", "??/16").
            std::u16string fixed;
            ++i;
            if (text[i] >= u'1' && text[i] <= u'9')
                while (i < n && text[i] >= u'0' && text[i] <= u'9' && fixed.size() < 9) fixed += text[i++];
            s.FractionBar = static_cast<int>(s.Tokens.size());
            add(mkFractionBar, c, std::move(fixed));
        } else {
            add(mkChar, c);
            ++i;
        }
    }
    s.Commas = std::min(s.Commas, 4);
    const auto first = std::find_if(s.Tokens.begin(), s.Tokens.end(),
                                    [](const TMaskData& t) { return IsDigitToken(t.Kind) || t.Kind == mkDecimal; });
    if (first != s.Tokens.end()) {
        if (IsDigitToken(first->Kind)) s.Flags &= static_cast<uint8_t>(~msfDateTime);
        s.Tokens.insert(first, TMaskData{mkNumberStart, 0, {}});
        if (s.DecimalIndex >= 0) ++s.DecimalIndex;
        if (s.FractionBar >= 0) ++s.FractionBar;
    }
}

std::u16string TExcelMask::FormatNumber(double value) const {
    if (!std::isfinite(value)) return GeneralNumberText(value, Settings_.GetDecimalSeparator());
    if (value < 0 && Sections_[1].Present) return FormatSection(Sections_[1], -value);
    if (value == 0 && Sections_[2].Present) return FormatSection(Sections_[2], value);
    return FormatSection(Sections_[0], value);
}

std::u16string TExcelMask::FormatSection(const TSection& s, double value) const {
    if (s.Tokens.empty()) {
        // A section left empty on purpose (";;;") hides the value; no format at all is general.
        return Sections_[1].Present ? std::u16string() : GeneralNumberText(value, Settings_.GetDecimalSeparator());
    }
    if (s.Flags & msfText) {
        std::u16string out;
        for (const TMaskData& t : s.Tokens) {
            if (t.Kind == mkNone && t.Char == u'@')
                out += GeneralNumberText(value, Settings_.GetDecimalSeparator());
            else if (t.Kind == mkChar)
                out += t.Char;
            else if (t.Kind == mkText)
                out += t.Text;
        }
        return out;
    }
    if (s.FractionBar >= 0) return FormatFraction(s, value);
    if (s.Flags & msfDateTime) return FormatDateTime(s, value);
    if (s.Flags & msfScientific) return FormatScientific(s, value);
    return FormatDigits(s, value);
}

std::u16string TExcelMask::FormatDigits(const TSection& s, double value) const {
    for (int i = 0; i < s.Commas; ++i) value /= 1000;
    if (s.Flags & msfPercent) value *= 100;
    std::string integer;
    std::string fraction;
    DecimalDigits(value, s.Decimals, integer, fraction);
    const bool negative = value < 0 && (integer != "0" || fraction.find_first_not_of('0') != std::string::npos);
    // A zero integer part gives no digits: "#" shows nothing for it, "0" its own zero.
    std::u16string digits = integer == "0" ? std::u16string() : Widen(integer);
    if (s.Flags & msfThousands) {
        for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3)
            digits.insert(static_cast<size_t>(at), 1, Settings_.ThousandSeparator);
    }
    if (negative) digits.insert(0, 1, u'-');

    // The integer part, built from the right.
    const int end = s.DecimalIndex >= 0 ? s.DecimalIndex : static_cast<int>(s.Tokens.size());
    std::u16string reversed;
    size_t left = digits.size();
    for (int i = end - 1; i >= 0; --i) {
        const TMaskData& t = s.Tokens[static_cast<size_t>(i)];
        switch (t.Kind) {
            case mkDigitOptional:
            case mkDigitSpace:
            case mkDigitZero:
                if (left > 0 && !(left == 1 && digits[0] == u'-'))
                    reversed += digits[--left];
                else if (t.Kind != mkDigitOptional)
                    reversed += t.Kind == mkDigitZero ? u'0' : u' ';
                break;
            case mkNumberStart:
                while (left > 0) reversed += digits[--left];
                break;
            case mkChar: reversed += t.Char; break;
            case mkPercent: reversed += u'%'; break;
            case mkText: reversed.append(t.Text.rbegin(), t.Text.rend()); break;
            default: break;
        }
    }
    std::u16string out(reversed.rbegin(), reversed.rend());
    if (s.DecimalIndex < 0) return out;

    // The fraction: trailing zeros under "#" and "?" are not shown.
    std::vector<const TMaskData*> places;
    for (size_t i = static_cast<size_t>(s.DecimalIndex); i < s.Tokens.size(); ++i)
        if (IsDigitToken(s.Tokens[i].Kind)) places.push_back(&s.Tokens[i]);
    size_t shown = fraction.size();
    while (shown > 0 && fraction[shown - 1] == '0' && places[shown - 1]->Kind != mkDigitZero) --shown;
    size_t next = 0;
    for (size_t i = static_cast<size_t>(s.DecimalIndex); i < s.Tokens.size(); ++i) {
        const TMaskData& t = s.Tokens[i];
        switch (t.Kind) {
            case mkDecimal: out += Settings_.GetDecimalSeparator(); break;
            case mkDigitOptional:
            case mkDigitSpace:
            case mkDigitZero:
                if (next < shown)
                    out += static_cast<char16_t>(fraction[next]);
                else if (t.Kind != mkDigitOptional)
                    out += t.Kind == mkDigitZero ? u'0' : u' ';
                ++next;
                break;
            case mkChar: out += t.Char; break;
            case mkPercent: out += u'%'; break;
            case mkText: out += t.Text; break;
            default: break;
        }
    }
    return out;
}

std::u16string TExcelMask::FormatScientific(const TSection& s, double value) const {
    int exponent = value == 0 ? 0 : static_cast<int>(std::floor(std::log10(std::fabs(value))));
    double mantissa = value / std::pow(10.0, exponent);
    std::string integer;
    std::string fraction;
    DecimalDigits(mantissa, s.Decimals, integer, fraction);
    if (integer.size() > 1) {  // rounding carried into a new digit: 9.99 -> 10.0
        ++exponent;
        mantissa = value / std::pow(10.0, exponent);
    }
    // The mantissa through the numeric path, the exponent after the sign token.
    TSection mantissaPart = s;
    mantissaPart.Flags &= static_cast<uint8_t>(~msfScientific);
    const auto sign = std::find_if(s.Tokens.begin(), s.Tokens.end(), [](const TMaskData& t) {
        return t.Kind == mkNone && (t.Char == u'+' || t.Char == u'-');
    });
    mantissaPart.Tokens.assign(s.Tokens.begin(), sign);
    std::u16string out = FormatDigits(mantissaPart, mantissa);
    out += u'E';
    if (exponent < 0)
        out += u'-';
    else if (s.ExponentPlus)
        out += u'+';
    out += Padded(std::abs(exponent), std::max(s.ExponentDigits, 1));
    return out;
}

std::u16string TExcelMask::FormatDateTime(const TSection& s, double value) const {
    // Whole milliseconds first, so that binary noise never shows; then cut to what the format
    // shows (whole seconds, or the digits of a fraction of a second), as clocks do.
    int fractionDigits = 0;
    for (size_t i = 0; i < s.Tokens.size(); ++i) {
        if (s.Tokens[i].Kind != mkDecimal) continue;
        for (size_t j = i + 1; j < s.Tokens.size() && s.Tokens[j].Kind == mkDigitZero && fractionDigits < 3; ++j)
            ++fractionDigits;
        break;
    }
    const int64_t unit = fractionDigits == 0 ? 1000 : fractionDigits == 1 ? 100 : fractionDigits == 2 ? 10 : 1;
    const int64_t total = FloorDiv(std::llround(value * 86400000.0), unit) * unit;
    const int64_t days = FloorDiv(total, 86400000);
    const int64_t ms = total - days * 86400000;
    const auto [year, month, day] = base::CivilFromSerial(days);
    const int hour = static_cast<int>(ms / 3600000);
    const int minute = static_cast<int>(ms / 60000 % 60);
    const int second = static_cast<int>(ms / 1000 % 60);
    const int weekday = static_cast<int>(((days % 7) + 7 + 6) % 7);  // 1899-12-30 was a Saturday
    const int hour12 = hour % 12 == 0 ? 12 : hour % 12;
    const bool pm = hour >= 12;

    std::u16string out;
    for (size_t i = 0; i < s.Tokens.size(); ++i) {
        const TMaskData& t = s.Tokens[i];
        const size_t m = static_cast<size_t>(month - 1);
        switch (t.Kind) {
            case mkChar:
                out += t.Char == u'/' ? Settings_.DateSeparator : t.Char == u':' ? Settings_.TimeSeparator : t.Char;
                break;
            case mkText: out += t.Text; break;
            case mkNone:
                if (t.Char == u',') out += t.Char;
                break;
            case mkYear2: out += Padded(year % 100, 2); break;
            case mkYear4: out += Padded(year, 4); break;
            case mkMonth: out += Padded(month, 1); break;
            case mkMonth2: out += Padded(month, 2); break;
            case mkMonthShort: out += Settings_.ShortMonthNames[m]; break;
            case mkMonthLong: out += Settings_.LongMonthNames[m]; break;
            case mkMonthLetter: out += Settings_.ShortMonthNames[m].substr(0, 1); break;
            case mkDay: out += Padded(day, 1); break;
            case mkDay2: out += Padded(day, 2); break;
            case mkDayShort: out += Settings_.ShortDayNames[static_cast<size_t>(weekday)]; break;
            case mkDayLong: out += Settings_.LongDayNames[static_cast<size_t>(weekday)]; break;
            case mkHour: out += Padded(hour, 1); break;
            case mkHour2: out += Padded(hour, 2); break;
            case mkHour12: out += Padded(hour12, 1); break;
            case mkHour12_2: out += Padded(hour12, 2); break;
            // Elapsed units count whole units: 0.99 of a day is 23 hours.
            case mkElapsedHours: out += Padded(FloorDiv(total, 3600000), 1); break;
            case mkElapsedMinutes: out += Padded(FloorDiv(total, 60000), 1); break;
            case mkElapsedSeconds: out += Padded(FloorDiv(total, 1000), 1); break;
            case mkMinute: out += Padded(minute, 1); break;
            case mkMinute2: out += Padded(minute, 2); break;
            case mkSecond: out += Padded(second, 1); break;
            case mkSecond2: out += Padded(second, 2); break;
            case mkAmPmUpper: out += pm ? u"PM" : u"AM"; break;
            case mkAmPmLower: out += pm ? u"pm" : u"am"; break;
            case mkAP: out += pm ? u"p" : u"a"; break;
            case mkDecimal: {
                out += Settings_.GetDecimalSeparator();
                if (fractionDigits > 0) {
                    const std::u16string digits = Padded(ms % 1000, 3);
                    out += digits.substr(0, static_cast<size_t>(fractionDigits));
                    i += static_cast<size_t>(fractionDigits);
                }
                break;
            }
            case mkPercent: out += u'%'; break;
            default: break;
        }
    }
    return out;
}

}  // namespace xls
