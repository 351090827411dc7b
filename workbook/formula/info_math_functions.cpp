// Information, basic math, clock and date-text, and reference functions that the dispatch
// carries itself.
#include <algorithm>
#include <cmath>
#include <ctime>
#include <numbers>

#include "workbook/formula/date_text.h"
#include "workbook/formula/worksheet_functions.h"
#include "workbook/model/cell_area.h"
#include "workbook/model/cell_error.h"
#include "workbook/model/cell_reference.h"
#include "workbook/model/utils.h"

namespace xls {

namespace {

enum : int {
    fnIsNA = 2,
    fnRow = 8,
    fnColumn = 9,
    fnSin = 15,
    fnCos = 16,
    fnTan = 17,
    fnAtan = 18,
    fnPi = 19,
    fnExp = 21,
    fnLog10 = 23,
    fnSign = 26,
    fnNow = 74,
    fnAtan2 = 97,
    fnAsin = 98,
    fnAcos = 99,
    fnIsRef = 105,
    fnLog = 109,
    fnN = 131,
    fnDateValue = 140,
    fnTimeValue = 141,
    fnIndirect = 148,
    fnIsNonText = 190,
    fnIsLogical = 198,
    fnToday = 221,
    fnSinh = 229,
    fnCosh = 230,
    fnTanh = 231,
    fnAsinh = 232,
    fnAcosh = 233,
    fnAtanh = 234,
};

// The single value of the popped argument (an area by implicit intersection; its failure as an
// error value).
TXLSFormulaValue PopScalar(TValueStack& s) {
    uint8_t err = 0;
    const TXLSFormulaValue v = s.ScalarOf(s.PopArgument(), err);
    return err ? TXLSFormulaValue::MakeError(err) : v;
}

void Unary(TValueStack& s, double (*f)(double)) {
    double x = 0;
    if (s.PopArgNumber(x)) s.PushResult(f(x));
}

// The local date and time as a serial.
double Now() {
    const std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    return DateToSerial(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday) +
           (local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec) / 86400.0;
}

void DateTimeValue(TValueStack& s, bool date) {
    std::u16string text;
    if (!s.PopArgString(text, true)) return;
    double serial = 0;
    bool hasDate = false;
    if (!DateTextToSerial(text, serial, hasDate)) return s.PushError(errValue);
    s.PushNumber(date ? std::floor(serial) : serial - std::floor(serial));
}

// The most numbers ROW or COLUMN give in an array formula: a whole column of the model.
constexpr int32_t MaxRowColumnNumbers = int32_t{1} << 20;

void RowColumn(TValueStack& s, int argCount, bool row) {
    if (argCount == 0) return s.PushNumber((row ? s.CurRow : s.CurCol) + 1);
    const TXLSFormulaValue v = s.PopArgument();
    int32_t first = 0;
    switch (v.Kind) {
        case vkRef:
        case vkArea: {
            first = row ? std::min(v.Row1, v.Row2) : std::min(v.Col1, v.Col2);
            // In an array formula the numbers of every row (a column of them) or every column
            // (a row of them) of the area.
            const int32_t count = (row ? std::max(v.Row1, v.Row2) : std::max(v.Col1, v.Col2)) - first + 1;
            if (!s.ArrayMode || count == 1) break;
            if (count > MaxRowColumnNumbers) return s.PushError(errValue);
            auto numbers = std::make_unique<TXLSArrayItem>(row ? 1 : count, row ? count : 1);
            for (int32_t i = 0; i < count; ++i)
                numbers->At(row ? 0 : i, row ? i : 0) = TXLSFormulaValue::MakeNumber(double(first) + i + 1);
            return s.PushArray(std::move(numbers));
        }
        case vkAreaList:
            if (v.List->empty()) return s.PushError(errRef);
            first = row ? (*v.List)[0].Row1 : (*v.List)[0].Col1;
            break;
        default: return s.PushError(errRef);
    }
    s.PushNumber(first + 1);
}

// INDIRECT: a reference written as text (A1 or R1C1, optionally after a sheet name) becomes
// the reference; anything else gives #REF!.
void Indirect(TValueStack& s, int argCount) {
    bool a1 = true;
    if (argCount == 2 && !s.PopArgBoolean(a1)) return;
    std::u16string text;
    if (!s.PopArgString(text, true)) return;
    text = WideUpperCaseStr(text);
    int sheet = -1;
    const size_t bang = text.rfind(u'!');
    if (bang != std::u16string::npos && bang >= 1) {
        std::u16string name = text.substr(0, bang);
        text.erase(0, bang + 1);
        if (name.size() >= 2 && (name.front() == u'\'' || name.front() == u'"') && name.back() == name.front())
            name = name.substr(1, name.size() - 2);
        const size_t book = name.find(u']');
        if (book != std::u16string::npos && book >= 1) name.erase(0, book + 1);
        // Doubled apostrophes inside a quoted name stand for one.
        for (size_t i = name.find(u"''"); i != std::u16string::npos; i = name.find(u"''", i + 1)) name.erase(i, 1);
        for (int i = 0; i < s.Doc().SheetCount() && sheet < 0; ++i)
            if (WideUpperCaseStr(s.Doc().SheetName(i)) == WideUpperCaseStr(name)) sheet = i;
        if (sheet < 0) return s.PushError(errRef);
    }
    int col1 = 0, row1 = 0, col2 = 0, row2 = 0;
    if (a1) {
        if (!AreaStrToColRow(text, col1, row1, col2, row2)) return s.PushError(errRef);
    } else {
        bool c1Rel = false, r1Rel = false, c2Rel = false, r2Rel = false;
        if (!R1C1AreaStrToColRow(text, col1, row1, col2, row2, c1Rel, r1Rel, c2Rel, r2Rel)) return s.PushError(errRef);
        if (c1Rel) col1 += s.CurCol;
        if (r1Rel) row1 += s.CurRow;
        if (c2Rel) col2 += s.CurCol;
        if (r2Rel) row2 += s.CurRow;
        if (!IsValidArea(col1, row1, col2, row2)) return s.PushError(errRef);
    }
    if (col1 > col2) std::swap(col1, col2);
    if (row1 > row2) std::swap(row1, row2);
    const int target = sheet < 0 ? s.CurSheet : sheet;
    if (col1 == col2 && row1 == row2)
        s.PushSheetRef(target, col1, row1);
    else
        s.PushSheetArea(target, col1, row1, col2, row2);
}

}  // namespace

bool CallInfoMathFunction(TValueStack& s, int id, int argCount) {
    switch (id) {
        case fnIsNA: {
            const TXLSFormulaValue v = PopScalar(s);
            s.PushBoolean(v.ValType == fvtError && v.BoolErr == errNA);
            return true;
        }
        case fnIsLogical: s.PushBoolean(PopScalar(s).ValType == fvtBoolean); return true;
        case fnIsNonText: s.PushBoolean(PopScalar(s).ValType != fvtString); return true;
        case fnIsRef: {
            const TXLSValueKind k = s.PopArgument().Kind;
            s.PushBoolean(k == vkRef || k == vkArea || k == vkAreaList);
            return true;
        }
        case fnN: {
            const TXLSFormulaValue v = PopScalar(s);
            if (v.ValType == fvtError) return s.PushError(v.BoolErr), true;
            s.PushNumber(v.ValType == fvtNumber ? v.Number : v.ValType == fvtBoolean ? v.BoolErr : 0);
            return true;
        }
        case fnSin: Unary(s, [](double x) { return std::sin(x); }); return true;
        case fnCos: Unary(s, [](double x) { return std::cos(x); }); return true;
        case fnTan: Unary(s, [](double x) { return std::tan(x); }); return true;
        case fnAtan: Unary(s, [](double x) { return std::atan(x); }); return true;
        case fnAsin: Unary(s, [](double x) { return std::asin(x); }); return true;
        case fnAcos: Unary(s, [](double x) { return std::acos(x); }); return true;
        case fnSinh: Unary(s, [](double x) { return std::sinh(x); }); return true;
        case fnCosh: Unary(s, [](double x) { return std::cosh(x); }); return true;
        case fnTanh: Unary(s, [](double x) { return std::tanh(x); }); return true;
        case fnAsinh: Unary(s, [](double x) { return std::asinh(x); }); return true;
        case fnAcosh: Unary(s, [](double x) { return std::acosh(x); }); return true;
        case fnAtanh: Unary(s, [](double x) { return std::atanh(x); }); return true;
        case fnExp: Unary(s, [](double x) { return std::exp(x); }); return true;
        case fnLog10: Unary(s, [](double x) { return x > 0 ? std::log10(x) : NAN; }); return true;
        case fnSign: Unary(s, [](double x) { return x > 0 ? 1.0 : x < 0 ? -1.0 : 0.0; }); return true;
        case fnPi: s.PushNumber(std::numbers::pi); return true;
        case fnAtan2: {
            double y = 0;
            double x = 0;
            if (!s.PopArgNumber(y) || !s.PopArgNumber(x)) return true;
            if (x == 0 && y == 0) return s.PushError(errDiv0), true;
            s.PushResult(std::atan2(y, x));
            return true;
        }
        case fnLog: {
            double base = 10;
            double x = 0;
            if ((argCount == 2 && !s.PopArgNumber(base)) || !s.PopArgNumber(x)) return true;
            if (x <= 0 || base <= 0) return s.PushError(errNum), true;
            if (base == 1) return s.PushError(errDiv0), true;
            s.PushResult(base == 10 ? std::log10(x) : std::log(x) / std::log(base));
            return true;
        }
        case fnNow: s.PushNumber(Now()); return true;
        case fnToday: s.PushNumber(std::floor(Now())); return true;
        case fnDateValue:
        case fnTimeValue: DateTimeValue(s, id == fnDateValue); return true;
        case fnRow:
        case fnColumn: RowColumn(s, argCount, id == fnRow); return true;
        case fnIndirect: Indirect(s, argCount); return true;
        default: return false;
    }
}

}  // namespace xls
