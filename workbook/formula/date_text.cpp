#include "workbook/formula/date_text.h"

#include <optional>

#include "base/civil_date.h"

namespace xls {

namespace {

// A cursor over the text that reads unsigned numbers and expected characters.
class TScanner {
public:
    explicit TScanner(std::u16string_view text) : Text(text) {}

    bool AtEnd() const { return Pos >= Text.size(); }
    char16_t Peek() const { return AtEnd() ? 0 : Text[Pos]; }
    bool Skip(char16_t c) {
        if (Peek() != c) return false;
        ++Pos;
        return true;
    }
    void SkipSpaces() {
        while (Peek() == u' ') ++Pos;
    }
    // Up to maxDigits digits; digits gets how many were read.
    std::optional<int> Number(int maxDigits, int& digits) {
        int v = 0;
        digits = 0;
        while (digits < maxDigits && Peek() >= u'0' && Peek() <= u'9') v = v * 10 + (Text[Pos++] - u'0'), ++digits;
        if (digits == 0) return std::nullopt;
        return v;
    }
    bool SkipWord(std::u16string_view word) {
        if (Text.size() - Pos < word.size()) return false;
        for (size_t i = 0; i < word.size(); ++i) {
            char16_t c = Text[Pos + i];
            if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
            if (c != word[i]) return false;
        }
        Pos += word.size();
        return true;
    }
    size_t Pos = 0;

private:
    std::u16string_view Text;
};

bool ReadDate(TScanner& s, double& serial) {
    int digits = 0;
    const auto first = s.Number(4, digits);
    if (!first) return false;
    int y = 0, m = 0, d = 0;
    if (digits == 4 && s.Skip(u'-')) {
        int dm = 0, dd = 0;
        const auto mm = s.Number(2, dm);
        if (!mm || !s.Skip(u'-')) return false;
        const auto day = s.Number(2, dd);
        if (!day) return false;
        y = *first, m = *mm, d = *day;
    } else if (digits <= 2 && s.Skip(u'/')) {
        int dd = 0, dy = 0;
        const auto day = s.Number(2, dd);
        if (!day || !s.Skip(u'/')) return false;
        const auto year = s.Number(4, dy);
        if (!year || dy == 3) return false;
        m = *first, d = *day;
        y = dy == 4 ? *year : *year + (*year < 30 ? 2000 : 1900);
    } else {
        return false;
    }
    if (y < 1900 || y > 9999 || m < 1 || m > 12 || d < 1 || d > base::DaysInMonth(y, m)) return false;
    serial = DateToSerial(y, m, d);
    return true;
}

// h:mm[:ss[.fff]] [AM|PM]: hours 1..12 with AM or PM (12 AM is midnight), else up to 9999
// (a duration past a day).
bool ReadTime(TScanner& s, double& fraction) {
    int digits = 0;
    const auto h = s.Number(4, digits);
    if (!h || !s.Skip(u':')) return false;
    const auto mi = s.Number(2, digits);
    if (!mi || digits != 2 || *mi > 59) return false;
    double sec = 0;
    if (s.Skip(u':')) {
        const auto whole = s.Number(2, digits);
        if (!whole || digits != 2 || *whole > 59) return false;
        sec = *whole;
        if (s.Skip(u'.')) {
            double scale = 0.1;
            for (int n = 0; s.Peek() >= u'0' && s.Peek() <= u'9'; ++n, ++s.Pos)
                if (n < 9) sec += (s.Peek() - u'0') * scale, scale /= 10;
        }
    }
    int hour = *h;
    const size_t beforeSpaces = s.Pos;
    s.SkipSpaces();
    const bool am = s.SkipWord(u"AM");
    const bool pm = !am && s.SkipWord(u"PM");
    if (am || pm) {
        if (hour < 1 || hour > 12) return false;
        hour = hour % 12 + (pm ? 12 : 0);
    } else {
        s.Pos = beforeSpaces;
    }
    fraction = (hour * 3600.0 + *mi * 60.0 + sec) / 86400.0;
    return true;
}

}  // namespace

double DateToSerial(int year, int month, int day) {
    const auto days = static_cast<double>(base::DaysFromCivil(year, month, day));
    return days < 61 ? days - 1 : days;
}

bool DateTextToSerial(std::u16string_view text, double& serial, bool& hasDate) {
    TScanner s(text);
    s.SkipSpaces();
    double date = 0;
    double time = 0;
    const size_t start = s.Pos;
    hasDate = ReadDate(s, date);
    if (hasDate) {
        const bool separator = s.Skip(u'T');
        s.SkipSpaces();
        if ((separator || !s.AtEnd()) && !ReadTime(s, time)) return false;
    } else {
        s.Pos = start;
        if (!ReadTime(s, time)) return false;
    }
    s.SkipSpaces();
    if (!s.AtEnd()) return false;
    serial = date + time;
    return true;
}

}  // namespace xls
