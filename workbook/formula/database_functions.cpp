// The database functions: a database area whose first row names its fields, a field (a name
// or a 1-based column number) and a criteria area whose first row names fields and whose
// further rows each hold conditions that must all hold; a record matches when any row does.
#include <algorithm>
#include <cmath>
#include <vector>

#include "workbook/formula/criteria.h"
#include "workbook/formula/worksheet_functions.h"
#include "workbook/model/cell_error.h"
#include "workbook/model/cell_store.h"
#include "workbook/model/utils.h"

namespace xls {

namespace {

enum : int {
    fnDCount = 40,
    fnDSum = 41,
    fnDAverage = 42,
    fnDMin = 43,
    fnDMax = 44,
    fnDStdev = 45,
    fnDVar = 47,
    fnDProduct = 189,
    fnDStdevP = 195,
    fnDVarP = 196,
    fnDCountA = 199,
    fnDGet = 235,
};

bool IsDatabaseFunction(int id) {
    switch (id) {
        case fnDCount:
        case fnDSum:
        case fnDAverage:
        case fnDMin:
        case fnDMax:
        case fnDStdev:
        case fnDVar:
        case fnDProduct:
        case fnDStdevP:
        case fnDVarP:
        case fnDCountA:
        case fnDGet: return true;
        default: return false;
    }
}

struct TDbCondition {
    int Field = 0;
    TXLSCriterion Criterion;
};

// An area argument: a reference or an area (its corners ordered); false for anything else.
bool AreaOf(const TXLSFormulaValue& v, TXLSSheetArea& a) {
    if ((v.Kind != vkArea && v.Kind != vkRef) || !v.Cells) return false;
    a = {v.Cells, std::min(v.Col1, v.Col2), std::min(v.Row1, v.Row2), std::max(v.Col1, v.Col2),
         std::max(v.Row1, v.Row2)};
    return true;
}

bool Present(const TXLSFormulaValue& v) { return v.ValType != fvtEmpty && !(v.ValType == fvtString && v.Str.empty()); }

// A cell as text in upper case, for finding fields by name.
std::u16string UpperText(TValueStack& s, TXLSCellMMU* cells, int col, int row) {
    TXLSFormulaValue v;
    s.ReadCell(cells, col, row, v);
    std::u16string text;
    s.ValueToString(v, text);
    return WideUpperCaseStr(text);
}

class TDatabase {
public:
    TDatabase(TValueStack& s, const TXLSSheetArea& db, const TXLSSheetArea& crit) : S(s), Db(db) {
        for (int c = db.Col1; c <= db.Col2; ++c) Names.push_back(UpperText(s, db.Cells, c, db.Row1));
        std::vector<int> critFields;
        for (int c = crit.Col1; c <= crit.Col2; ++c)
            critFields.push_back(FindField(UpperText(s, crit.Cells, c, crit.Row1)));
        TXLSFormulaValue v;
        std::u16string text;
        for (int r = crit.Row1 + 1; r <= crit.Row2; ++r) {
            std::vector<TDbCondition>& row = Rows.emplace_back();
            for (int c = crit.Col1; c <= crit.Col2; ++c) {
                const int field = critFields[static_cast<size_t>(c - crit.Col1)];
                s.ReadCell(crit.Cells, c, r, v);
                if (field < 0 || !Present(v)) continue;
                s.ValueToString(v, text);
                row.push_back({field, {}});
                row.back().Criterion.SetText(text);
                if (std::find(Used.begin(), Used.end(), field) == Used.end()) Used.push_back(field);
            }
        }
    }

    // The 0-based column of a heading in upper case; -1 when none.
    int FindField(const std::u16string& upper) const {
        const auto it = std::find(Names.begin(), Names.end(), upper);
        return it == Names.end() ? -1 : static_cast<int>(it - Names.begin());
    }

    int Columns() const { return Db.Col2 - Db.Col1 + 1; }

    // Calls f with the field's value of every matching record. The records end at the first
    // one that is empty in every criteria column, or at the sheet's last used row.
    template <class F>
    void Scan(int field, F f) {
        const int last = std::min(Db.Row2, Db.Cells->Dimension().Row2);
        TXLSFormulaValue v;
        for (int r = Db.Row1 + 1; r <= last; ++r) {
            bool any = false;
            for (int u : Used) {
                S.ReadCell(Db.Cells, Db.Col1 + u, r, v);
                any = any || Present(v);
            }
            if (!any) return;
            if (!RowMatches(r)) continue;
            S.ReadCell(Db.Cells, Db.Col1 + field, r, v);
            f(v);
        }
    }

private:
    bool RowMatches(int r) {
        TXLSFormulaValue v;
        for (const std::vector<TDbCondition>& row : Rows) {
            bool all = true;
            for (const TDbCondition& c : row) {
                S.ReadCell(Db.Cells, Db.Col1 + c.Field, r, v);
                if (!c.Criterion.Matches(v)) {
                    all = false;
                    break;
                }
            }
            if (all) return true;
        }
        return false;
    }

    TValueStack& S;
    TXLSSheetArea Db;
    std::vector<std::u16string> Names;
    std::vector<std::vector<TDbCondition>> Rows;
    std::vector<int> Used;
};

void Database(TValueStack& s, int id) {
    const TXLSFormulaValue critArg = s.PopArgument();
    const TXLSFormulaValue fieldArg = s.PopArgument();
    const TXLSFormulaValue dbArg = s.PopArgument();
    TXLSSheetArea db;
    TXLSSheetArea crit;
    if (!AreaOf(dbArg, db) || !AreaOf(critArg, crit)) return s.PushError(errValue);
    std::u16string fieldText;
    if (const uint8_t err = s.ValueToString(fieldArg, fieldText)) return s.PushError(err);
    TDatabase base(s, db, crit);
    double number = 0;
    int field = -1;
    if (TryStrToFloat(fieldText, number)) {
        if (number != std::trunc(number) || number < 1 || number > base.Columns()) return s.PushError(errValue);
        field = static_cast<int>(number) - 1;
    } else {
        field = base.FindField(WideUpperCaseStr(fieldText));
        if (field < 0) return s.PushError(errValue);
    }
    std::vector<double>& numbers = s.Numbers;
    numbers.clear();
    double countA = 0;
    TXLSFormulaValue found;
    base.Scan(field, [&](const TXLSFormulaValue& v) {
        if (!Present(v)) return;
        countA += 1;
        found = v;
        if (v.ValType == fvtNumber) numbers.push_back(v.Number);
    });
    const auto count = static_cast<double>(numbers.size());
    double sum = 0;
    for (double x : numbers) sum += x;
    switch (id) {
        case fnDCount: return s.PushNumber(count);
        case fnDCountA: return s.PushNumber(countA);
        case fnDSum: return s.PushResult(sum);
        case fnDAverage: return count == 0 ? s.PushError(errDiv0) : s.PushResult(sum / count);
        case fnDMin: return s.PushNumber(numbers.empty() ? 0 : *std::min_element(numbers.begin(), numbers.end()));
        case fnDMax: return s.PushNumber(numbers.empty() ? 0 : *std::max_element(numbers.begin(), numbers.end()));
        case fnDProduct: {
            double p = 1;
            for (double x : numbers) p *= x;
            return s.PushResult(p);
        }
        case fnDStdev: return PushVariance(s, numbers, 1, true);
        case fnDVar: return PushVariance(s, numbers, 1, false);
        case fnDStdevP: return PushVariance(s, numbers, 0, true);
        case fnDVarP: return PushVariance(s, numbers, 0, false);
        default:
            if (countA != 1) return s.PushError(countA == 0 ? errValue : errNum);
            found.Kind = vkValue;
            return s.PushValue(found);
    }
}

}  // namespace

bool CallDatabaseFunction(TValueStack& s, int id, int argCount) {
    if (!IsDatabaseFunction(id)) return false;
    if (argCount != 3) {
        for (int i = 0; i < argCount; ++i) s.PopArgument();
        s.PushError(errValue);
        return true;
    }
    Database(s, id);
    return true;
}

}  // namespace xls
