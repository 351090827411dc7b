// Text functions that join, clean, replace, substitute, search, format numbers as text and read
// numbers from text; the byte forms count the bytes of code page 936.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "base/text_encoding.h"
#include "workbook/formula/date_text.h"
#include "workbook/formula/worksheet_functions.h"
#include "workbook/model/cell_error.h"
#include "workbook/model/exceptions.h"
#include "workbook/model/number_format_mask.h"
#include "workbook/model/utils.h"

namespace xls {

namespace {

enum : int {
    fnValue = 33,
    fnText = 48,
    fnSearch = 82,
    fnReplace = 119,
    fnSubstitute = 120,
    fnFind = 124,
    fnClean = 162,
    fnFindB = 205,
    fnSearchB = 206,
    fnReplaceB = 207,
    fnLeftB = 208,
    fnRightB = 209,
    fnMidB = 210,
    fnLenB = 211,
    fnConcatenate = 336,
    fnHyperlink = 359,
};

// A text as its characters with the number of code-page-936 bytes each takes: one for ASCII and
// for what the code page cannot encode (written as '?'), two for a double-byte character. A
// surrogate pair is one character.
class TByteText {
public:
    explicit TByteText(std::u16string_view text) : Text(text) {
        const std::string bytes = base::Utf8ToCp936(base::Utf16ToUtf8(text));
        size_t b = 0;
        for (size_t i = 0; i < text.size();) {
            const bool pair = text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
                              text[i + 1] <= 0xDFFF;
            const auto lead = b < bytes.size() ? static_cast<unsigned char>(bytes[b]) : 0;
            const int width = lead >= 0x81 && lead <= 0xFE ? 2 : 1;
            Starts.push_back(i);
            ByteStarts.push_back(Length);
            Length += width;
            b += static_cast<size_t>(width);
            i += pair ? 2 : 1;
        }
        Starts.push_back(text.size());
        ByteStarts.push_back(Length);
    }

    int Bytes() const { return Length; }

    // The first n bytes; a double-byte character cut in half leaves a space in its place.
    std::u16string Left(int n) const {
        n = std::clamp(n, 0, Length);
        size_t c = 0;
        while (c + 1 < ByteStarts.size() && ByteStarts[c + 1] <= n) ++c;
        std::u16string out(Text.substr(0, Starts[c]));
        if (ByteStarts[c] < n) out += u' ';
        return out;
    }

    // The last n bytes, the same way.
    std::u16string Right(int n) const {
        n = std::clamp(n, 0, Length);
        const int from = Length - n;
        size_t c = ByteStarts.size() - 1;
        while (c > 0 && ByteStarts[c - 1] >= from) --c;
        std::u16string out(ByteStarts[c] > from ? 1 : 0, u' ');
        out += Text.substr(Starts[c]);
        return out;
    }

    // The character index that starts at byte offset at or after it; the end when none.
    size_t CharAtByte(int at) const {
        size_t c = 0;
        while (c + 1 < ByteStarts.size() && ByteStarts[c] < at) ++c;
        return c;
    }
    size_t UnitOf(size_t c) const { return Starts[c]; }
    int ByteOfUnit(size_t unit) const {
        const auto it = std::lower_bound(Starts.begin(), Starts.end(), unit);
        return ByteStarts[static_cast<size_t>(it - Starts.begin())];
    }

private:
    std::u16string_view Text;
    std::vector<size_t> Starts;   // UTF-16 index of each character, and the end
    std::vector<int> ByteStarts;  // byte offset of each character, and the total
    int Length = 0;
};

// CONCATENATE: every value of every argument, areas cell by cell within the used area, in
// argument order. An error value is the result: joining never hides one.
void Concatenate(TValueStack& s, int argCount) {
    std::u16string joined;
    for (int i = argCount - 1; i >= 0; --i) {
        s.Iterator.Start(s.PeekArgument(i), false);
        while (s.Iterator.Next()) {
            std::u16string part;
            if (const uint8_t err = s.ValueToString(s.Iterator.Current, part)) return s.PushError(err);
            joined += part;
        }
    }
    s.PushString(std::move(joined));
}

// CLEAN drops the ASCII control characters (below 32, and DEL); spaces and everything else stay.
std::u16string Clean(std::u16string_view text) {
    std::u16string out;
    for (const char16_t c : text)
        if (c >= 32 && c != 127) out += c;
    return out;
}

// REPLACE and REPLACEB (old, start, count, new): characters or code-page bytes.
void Replace(TValueStack& s, int id) {
    std::u16string replacement;
    std::u16string text;
    int count = 0;
    int start = 0;
    if (!s.PopArgString(replacement, true) || !s.PopArgInteger(count) || !s.PopArgInteger(start) ||
        !s.PopArgString(text, true))
        return;
    if (start < 1 || count < 0) return s.PushError(errValue);
    if (id == fnReplaceB) {
        const TByteText bytes(text);
        const int64_t kept = std::max<int64_t>(int64_t{bytes.Bytes()} - (start - 1) - count, 0);
        return s.PushString(bytes.Left(start - 1) + replacement + bytes.Right(static_cast<int>(kept)));
    }
    const size_t first = std::min(static_cast<size_t>(start - 1), text.size());
    const size_t last = std::min(first + static_cast<size_t>(count), text.size());
    s.PushString(text.substr(0, first) + replacement + text.substr(last));
}

// SUBSTITUTE (text, old, new [, instance]): every occurrence left to right without overlap, or
// only the instance-th one, counting overlapping occurrences.
void Substitute(TValueStack& s, int argCount) {
    int instance = 0;
    if (argCount == 4) {
        if (!s.PopArgInteger(instance)) return;
        if (instance < 1) return s.PushError(errValue);
    }
    std::u16string replacement;
    std::u16string old;
    std::u16string text;
    if (!s.PopArgString(replacement, true) || !s.PopArgString(old, true) || !s.PopArgString(text, true)) return;
    if (old.empty()) return s.PushString(std::move(text));
    if (instance > 0) {
        int seen = 0;
        for (size_t at = text.find(old); at != std::u16string::npos; at = text.find(old, at + 1))
            if (++seen == instance)
                return s.PushString(text.substr(0, at) + replacement + text.substr(at + old.size()));
        return s.PushString(std::move(text));
    }
    std::u16string out;
    size_t from = 0;
    for (size_t at = text.find(old); at != std::u16string::npos; at = text.find(old, from)) {
        out.append(text, from, at - from);
        out += replacement;
        from = at + old.size();
    }
    out.append(text, from);
    s.PushString(std::move(out));
}

// FIND, SEARCH and their byte forms (what, within [, start]): the 1-based position of what in
// within from start on, in characters or code-page bytes. SEARCH ignores case.
void Find(TValueStack& s, int id, int argCount) {
    int start = 1;
    if (argCount == 3 && !s.PopArgInteger(start)) return;
    std::u16string within;
    std::u16string what;
    if (!s.PopArgString(within, true) || !s.PopArgString(what, true)) return;
    if (id == fnSearch || id == fnSearchB) {
        within = TextCase(std::move(within), false);
        what = TextCase(std::move(what), false);
    }
    // Nothing is found of an empty text.
    if (start < 1 || what.empty()) return s.PushError(errValue);
    if (id == fnFindB || id == fnSearchB) {
        const TByteText bytes(within);
        if (start > bytes.Bytes() + 1) return s.PushError(errValue);
        const size_t at = within.find(what, bytes.UnitOf(bytes.CharAtByte(start - 1)));
        if (at == std::u16string::npos) return s.PushError(errValue);
        return s.PushNumber(bytes.ByteOfUnit(at) + 1);
    }
    if (static_cast<size_t>(start) > within.size() + 1) return s.PushError(errValue);
    const size_t at = within.find(what, static_cast<size_t>(start - 1));
    if (at == std::u16string::npos) return s.PushError(errValue);
    s.PushNumber(static_cast<double>(at + 1));
}

// LEFTB, RIGHTB (text [, count = 1]) and MIDB (text, start, count) in code-page bytes.
void BytePart(TValueStack& s, int id, int argCount) {
    int count = 1;
    int start = 1;
    if ((id == fnMidB || argCount == 2) && !s.PopArgInteger(count)) return;
    if (id == fnMidB && !s.PopArgInteger(start)) return;
    std::u16string text;
    if (!s.PopArgString(text, true)) return;
    if (count < 0 || start < 1) return s.PushError(errValue);
    const TByteText bytes(text);
    if (id == fnLeftB) return s.PushString(bytes.Left(count));
    if (id == fnRightB) return s.PushString(bytes.Right(count));
    // The bytes up to the end of the part, then as many from their end as the part has.
    const std::u16string head = bytes.Left(static_cast<int>(std::min<int64_t>(int64_t{start} + count - 1, 1 << 30)));
    const TByteText headBytes(head);
    s.PushString(headBytes.Right(std::max(headBytes.Bytes() - start + 1, 0)));
}

// TEXT (value, format): the number written by the format; a format the masks refuse is a wrong
// argument, not a failure of the whole calculation.
void Text(TValueStack& s) {
    std::u16string format;
    double x = 0;
    if (!s.PopArgString(format, true) || !s.PopArgNumber(x)) return;
    TExcelMask mask;
    try {
        mask.SetMask(format);
    } catch (const EXLSError&) {
        return s.PushError(errValue);
    }
    s.PushString(mask.FormatNumber(x));
}

// VALUE: a number text, else a date or time text (its serial), else an amount of the currency.
void Value(TValueStack& s) {
    std::u16string text;
    if (!s.PopArgString(text, true)) return;
    double x = 0;
    bool hasDate = false;
    if (TryStrToFloat(text, x) || DateTextToSerial(text, x, hasDate) || TryCurrencyStrToFloat(text, x))
        return s.PushNumber(x);
    s.PushError(errValue);
}

}  // namespace

bool CallTextEditFunction(TValueStack& s, int id, int argCount) {
    std::u16string text;
    switch (id) {
        case fnConcatenate: Concatenate(s, argCount); return true;
        case fnClean:
            if (s.PopArgString(text, true)) s.PushString(Clean(text));
            return true;
        case fnReplace:
        case fnReplaceB: Replace(s, id); return true;
        case fnSubstitute: Substitute(s, argCount); return true;
        case fnFind:
        case fnFindB:
        case fnSearch:
        case fnSearchB: Find(s, id, argCount); return true;
        case fnLeftB:
        case fnRightB:
        case fnMidB: BytePart(s, id, argCount); return true;
        case fnLenB:
            if (s.PopArgString(text, true)) s.PushNumber(TByteText(text).Bytes());
            return true;
        case fnText: Text(s); return true;
        case fnValue: Value(s); return true;
        case fnHyperlink: {
            std::u16string link;
            if (argCount == 2 && !s.PopArgString(text, true)) return true;
            if (!s.PopArgString(link, true)) return true;
            s.PushString(argCount == 2 ? std::move(text) : std::move(link));
            return true;
        }
        default: return false;
    }
}

}  // namespace xls
