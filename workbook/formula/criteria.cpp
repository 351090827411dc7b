#include "workbook/formula/criteria.h"

#include "workbook/formula/date_text.h"
#include "workbook/model/cell_error.h"
#include "workbook/model/utils.h"

namespace xls {

void TXLSCriterion::SetValue(const TXLSFormulaValue& v) {
    Op = coEqual;
    Value = v;
    Value.Kind = vkValue;
    if (v.Kind != vkValue && v.Kind != vkRef && v.Kind != vkArray) Value = TXLSFormulaValue::MakeError(errValue);
    if (Value.ValType == fvtString) return SetText(v.Str);
    if (Value.ValType == fvtEmpty) Value = TXLSFormulaValue::MakeError(errValue);
    Compile();
}

void TXLSCriterion::SetText(std::u16string_view text) {
    static constexpr struct {
        std::u16string_view Text;
        TXLSCriterionOp Op;
    } Ops[] = {{u"<=", coLessEqual}, {u">=", coGreaterEqual}, {u"<>", coNotEqual},
               {u"<", coLess},       {u">", coGreater},       {u"=", coEqual}};
    Op = coEqual;
    if (text.size() >= 2) {
        for (const auto& o : Ops)
            if (text.starts_with(o.Text)) {
                Op = o.Op;
                text.remove_prefix(o.Text.size());
                break;
            }
    }
    double x = 0;
    bool hasDate = false;
    const std::u16string upper = WideUpperCaseStr(text);
    if (TryStrToFloat(text, x) || DateTextToSerial(text, x, hasDate)) {
        Value = TXLSFormulaValue::MakeNumber(x);
    } else if (upper == Xc12BoolTrueText || upper == Xc12BoolFalseText) {
        Value = TXLSFormulaValue::MakeBoolean(upper == Xc12BoolTrueText);
    } else {
        const TXc12CellError err = upper.starts_with(u'#') ? ErrorTextToCellError(upper) : errUnknown;
        Value =
            err != errUnknown ? TXLSFormulaValue::MakeError(err) : TXLSFormulaValue::MakeString(std::u16string(text));
    }
    Compile();
}

void TXLSCriterion::Compile() {
    if (Value.ValType != fvtString) return;
    Upper_ = WideUpperCaseStr(Value.Str);
    Pattern_ = TWildcardPattern(Value.Str);
}

namespace {

int Order(double a, double b) { return a < b ? -1 : a > b ? 1 : 0; }

bool Holds(TXLSCriterionOp op, int c) {
    switch (op) {
        case coLess: return c < 0;
        case coLessEqual: return c <= 0;
        case coEqual: return c == 0;
        case coGreaterEqual: return c >= 0;
        case coGreater: return c > 0;
        default: return c != 0;
    }
}

}  // namespace

bool TXLSCriterion::Matches(const TXLSFormulaValue& v) const {
    // A value of another type is not equal to the criterion; an empty cell meets nothing.
    if (v.ValType != Value.ValType) return Op == coNotEqual && v.ValType != fvtEmpty;
    switch (v.ValType) {
        case fvtNumber: return Holds(Op, Order(v.Number, Value.Number));
        case fvtBoolean:
        case fvtError: return Holds(Op, Order(v.BoolErr, Value.BoolErr));
        case fvtString: {
            // Equality matches the pattern; the order compares the texts without case.
            if (Op == coEqual) return Pattern_.Matches(v.Str);
            if (Op == coNotEqual) return !Pattern_.Matches(v.Str);
            const std::u16string upper = WideUpperCaseStr(v.Str);
            return Holds(Op, upper < Upper_ ? -1 : upper > Upper_ ? 1 : 0);
        }
        default: return false;
    }
}

bool PopCriterionArgument(TValueStack& s, TXLSCriterion& criterion) {
    const TXLSFormulaValue arg = s.PopArgument();
    switch (arg.Kind) {
        case vkArea: {
            int col = 0;
            int row = 0;
            TXLSFormulaValue cell;
            if (!s.IntersectCurrent(arg, col, row))
                col = std::min(arg.Col1, arg.Col2), row = std::min(arg.Row1, arg.Row2);
            s.ReadCell(arg.Cells, col, row, cell);
            criterion.SetValue(cell);
            return true;
        }
        case vkArray: criterion.SetValue(arg.Array->Get(0, 0)); return true;
        case vkValue:
        case vkRef: criterion.SetValue(arg); return true;
        default: s.PushError(errValue); return false;
    }
}

}  // namespace xls
