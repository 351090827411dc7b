#include "workbook/formula/value_stack.h"

#include "workbook/formula/date_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "workbook/model/cell_area.h"
#include "workbook/model/cell_store.h"
#include "workbook/model/exceptions.h"
#include "workbook/model/utils.h"

namespace xls {

TXLSFormulaValue TXLSFormulaValue::MakeNumber(double x) {
    TXLSFormulaValue v;
    v.ValType = fvtNumber;
    v.Number = x;
    return v;
}

TXLSFormulaValue TXLSFormulaValue::MakeError(uint8_t code) {
    TXLSFormulaValue v;
    v.ValType = fvtError;
    v.BoolErr = code;
    return v;
}

TXLSFormulaValue TXLSFormulaValue::MakeBoolean(bool b) {
    TXLSFormulaValue v;
    v.ValType = fvtBoolean;
    v.BoolErr = b ? 1 : 0;
    return v;
}

TXLSFormulaValue TXLSFormulaValue::MakeString(std::u16string s) {
    TXLSFormulaValue v;
    v.ValType = fvtString;
    v.Str = std::move(s);
    return v;
}

TXLSFormulaValue FiniteOrError(double x, bool divide) {
    if (std::isfinite(x)) return TXLSFormulaValue::MakeNumber(x);
    return TXLSFormulaValue::MakeError(divide ? errDiv0 : errNum);
}

TXLSArrayItem::TXLSArrayItem(int cols, int rows)
    : Cols_(std::max(cols, 1)), Rows_(std::max(rows, 1)), Items_(static_cast<size_t>(Cols_) * Rows_) {}

bool TXLSArrayItem::InRange(int col, int row) const { return Index(col, row) >= 0; }

int TXLSArrayItem::Index(int col, int row) const {
    if (Broadcast) {
        if (Cols_ == 1 && col > 0) col = 0;
        if (Rows_ == 1 && row > 0) row = 0;
    }
    if (col < 0 || row < 0 || col >= Cols_ || row >= Rows_) return -1;
    return row * Cols_ + col;
}

const TXLSFormulaValue& TXLSArrayItem::Get(int col, int row) const {
    const int i = Index(col, row);
    if (i < 0) throw EXLSError(u"Invalid value");
    return Items_[static_cast<size_t>(i)];
}

TXLSFormulaValue& TXLSArrayItem::At(int col, int row) { return const_cast<TXLSFormulaValue&>(Get(col, row)); }

std::u16string FormulaNumberToText(double x) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.15G", x);
    std::u16string s;
    for (const char* p = buf; *p; ++p) s += static_cast<char16_t>(*p);
    return s;
}

namespace {

// The rank of a value type in comparisons: numbers, then texts, then Booleans.
int TypeRank(TXLSFormulaValueType t) { return t == fvtNumber ? 0 : t == fvtString ? 1 : 2; }

int Sign(double d) { return d < 0 ? -1 : d > 0 ? 1 : 0; }

bool ParseNumber(std::u16string_view text, double& x) { return TryStrToFloat(text, x); }

}  // namespace

int CompareNumbers15(double a, double b) {
    if (a == b || !std::isfinite(a) || !std::isfinite(b)) return Sign(a - b);
    // Each side as the nearest double to its 15-digit decimal: binary noise below the 15th
    // digit (0.1+0.2 against 0.3) makes no difference.
    const auto rounded = [](double x) {
        char buf[40];
        const auto end = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::scientific, 14).ptr;
        double r = x;
        std::from_chars(buf, end, r);
        return r;
    };
    return Sign(rounded(a) - rounded(b));
}

int CompareValues(const TXLSFormulaValue& a, const TXLSFormulaValue& b, TNumberOrder numbers) {
    TXLSFormulaValueType ta = a.ValType;
    TXLSFormulaValueType tb = b.ValType;
    // Empty stands for the other side's zero value.
    if (ta == fvtEmpty && tb == fvtEmpty) return 0;
    if (ta == fvtEmpty || tb == fvtEmpty) {
        const TXLSFormulaValue& other = ta == fvtEmpty ? b : a;
        int r = 0;
        switch (other.ValType) {
            case fvtNumber: r = Sign(0 - other.Number); break;
            case fvtBoolean: r = other.BoolErr ? -1 : 0; break;
            case fvtString: r = other.Str.empty() ? 0 : -1; break;
            default: break;
        }
        return ta == fvtEmpty ? r : -r;
    }
    if (ta != tb) return TypeRank(ta) < TypeRank(tb) ? -1 : 1;
    switch (ta) {
        case fvtNumber:
            return numbers == TNumberOrder::Digits15 ? CompareNumbers15(a.Number, b.Number) : Sign(a.Number - b.Number);
        case fvtBoolean: return Sign(double(a.BoolErr) - double(b.BoolErr));
        case fvtString: {
            const std::u16string ua = WideUpperCaseStr(a.Str);
            const std::u16string ub = WideUpperCaseStr(b.Str);
            return ua < ub ? -1 : ua > ub ? 1 : 0;
        }
        default: return 0;
    }
}

// ---------------------------------------------------------------------------------------------
// Stack control

TValueStack::TValueStack(IXLSFormulaDocument& document) : Iterator(*this), Document(document) {}

void TValueStack::BeginEvaluation(bool arrayMode, int sheet, int col, int row) {
    ArrayMode = arrayMode;
    CurSheet = sheet;
    CurCells = Document.SheetCells(sheet);
    CurCol = col;
    CurRow = row;
    Top_ = -1;
    ArgTop_ = -1;
    OwnedLists.clear();
    OwnedArrays.clear();
    OwnedSources.clear();
}

void TValueStack::NewTop() {
    ++Top_;
    if (static_cast<size_t>(Top_) >= Items.size()) Items.resize(Items.size() + 127);
}

void TValueStack::Drop() {
    if (Top_ - 1 < 0) throw EXLSError(u"Missing operand in expression");
    --Top_;
}

void TValueStack::OpenArguments(int n) {
    if (Top_ - n < -1) throw EXLSError(u"Empty stack");
    ArgTop_ = Top_;
    Top_ -= n;
}

TXLSFormulaValue TValueStack::Pop() {
    if (Top_ < 0) throw EXLSError(u"Empty stack");
    return Items[static_cast<size_t>(Top_--)];
}

TXLSFormulaValue TValueStack::PopArgument() {
    if (ArgTop_ < 0 || ArgTop_ <= Top_) throw EXLSError(u"Empty stack");
    return Items[static_cast<size_t>(ArgTop_--)];
}

const TXLSFormulaValue& TValueStack::PeekArgument(int depth) const {
    if (ArgTop_ - depth < 0 || ArgTop_ - depth <= Top_) throw EXLSError(u"Empty stack");
    return Items[static_cast<size_t>(ArgTop_ - depth)];
}

const TXLSFormulaValue& TValueStack::TopValue() const {
    if (Top_ < 0) throw EXLSError(u"Empty stack");
    return Items[static_cast<size_t>(Top_)];
}

void TValueStack::SetTopError(uint8_t code) { TopRef() = TXLSFormulaValue::MakeError(code); }

// ---------------------------------------------------------------------------------------------
// Pushes

void TValueStack::PushValue(const TXLSFormulaValue& v) {
    NewTop();
    TopRef() = v;
}

void TValueStack::PushEmpty() { PushValue(TXLSFormulaValue()); }
void TValueStack::PushNumber(double x) { PushValue(TXLSFormulaValue::MakeNumber(x)); }
void TValueStack::PushResult(double x, bool divide) { PushValue(FiniteOrError(x, divide)); }
void TValueStack::PushBoolean(bool b) { PushValue(TXLSFormulaValue::MakeBoolean(b)); }
void TValueStack::PushError(uint8_t code) { PushValue(TXLSFormulaValue::MakeError(code)); }
void TValueStack::PushString(std::u16string s) { PushValue(TXLSFormulaValue::MakeString(std::move(s))); }

void TValueStack::PushSheetRef(int sheet, int col, int row) {
    TXLSCellMMU* cells = Document.SheetCells(sheet);
    if (!cells) return PushError(errRef);
    PushCellsRef(cells, col, row);
}

void TValueStack::PushCellsRef(TXLSCellMMU* cells, int col, int row) {
    TXLSFormulaValue v;
    ReadCell(cells, col, row, v);
    v.Kind = vkRef;
    v.Cells = cells;
    v.Col1 = v.Col2 = col;
    v.Row1 = v.Row2 = row;
    PushValue(v);
}

void TValueStack::PushSheetArea(int sheet, int col1, int row1, int col2, int row2) {
    TXLSCellMMU* cells = Document.SheetCells(sheet);
    if (!cells) return PushError(errRef);
    PushCellsArea(cells, col1, row1, col2, row2);
}

void TValueStack::PushCellsArea(TXLSCellMMU* cells, int col1, int row1, int col2, int row2) {
    TXLSFormulaValue v;
    v.Kind = vkArea;
    v.Cells = cells;
    v.Col1 = col1;
    v.Row1 = row1;
    v.Col2 = col2;
    v.Row2 = row2;
    PushValue(v);
}

void TValueStack::PushSheetsArea(int sheet1, int sheet2, int col1, int row1, int col2, int row2) {
    TXLSAreaList& list = NewAreaList();
    for (int s = std::min(sheet1, sheet2); s <= std::max(sheet1, sheet2); ++s) {
        TXLSCellMMU* cells = Document.SheetCells(s);
        if (!cells) return PushError(errRef);
        list.push_back({cells, col1, row1, col2, row2});
    }
    TXLSFormulaValue v;
    v.Kind = vkAreaList;
    v.List = &list;
    PushValue(v);
}

void TValueStack::PushArray(std::unique_ptr<TXLSArrayItem> array) {
    TXLSFormulaValue v;
    v.Kind = vkArray;
    v.Array = array.get();
    OwnedArrays.push_back(std::move(array));
    PushValue(v);
}

TXLSAreaList& TValueStack::NewAreaList() {
    OwnedLists.push_back(std::make_unique<TXLSAreaList>());
    return *OwnedLists.back();
}

// ---------------------------------------------------------------------------------------------
// Argument pops

bool TValueStack::PopArgFail(uint8_t err) {
    PushError(err);
    return false;
}

bool TValueStack::PopArgNumber(double& x) {
    uint8_t err = 0;
    ValueToNumber(PopArgument(), x, err);
    return err ? PopArgFail(err) : true;
}

bool TValueStack::PopArgInteger(int& n) {
    double x = 0;
    if (!PopArgNumber(x)) return false;
    if (!(std::fabs(x) < 2147483648.0)) return PopArgFail(errNum);
    n = static_cast<int>(std::trunc(x));
    return true;
}

bool TValueStack::PopArgBoolean(bool& b) {
    const uint8_t err = ValueToBoolean(PopArgument(), b);
    return err ? PopArgFail(err) : true;
}

bool TValueStack::PopArgString(std::u16string& s, bool allowEmpty) {
    const uint8_t err = ValueToString(PopArgument(), s);
    if (err) return PopArgFail(err);
    if (s.empty() && !allowEmpty) return PopArgFail(errValue);
    return true;
}

// ---------------------------------------------------------------------------------------------
// Conversions

bool TValueStack::IntersectCurrent(const TXLSFormulaValue& v, int& col, int& row) const {
    col = CurCol;
    row = CurRow;
    if (v.Col1 == v.Col2) {
        col = v.Col1;
        return v.Row1 <= CurRow && CurRow <= v.Row2;
    }
    if (v.Row1 == v.Row2) {
        row = v.Row1;
        return v.Col1 <= CurCol && CurCol <= v.Col2;
    }
    return false;
}

TXLSFormulaValue TValueStack::ScalarOf(const TXLSFormulaValue& v, uint8_t& err) {
    err = 0;
    switch (v.Kind) {
        case vkArea: {
            int col = 0;
            int row = 0;
            TXLSFormulaValue cell;
            if (!IntersectCurrent(v, col, row)) {
                err = errValue;
                return TXLSFormulaValue::MakeError(errValue);
            }
            ReadCell(v.Cells, col, row, cell);
            return cell;
        }
        case vkAreaList:
        case vkXArea:
        case vkArrayArg: err = errValue; return TXLSFormulaValue::MakeError(errValue);
        case vkArray: {
            TXLSFormulaValue e = v.Array->Get(0, 0);
            e.Kind = vkValue;
            return e;
        }
        default: return v;
    }
}

bool TValueStack::ValueToNumber(const TXLSFormulaValue& v, double& x, uint8_t& err) {
    x = 0;
    const TXLSFormulaValue s = ScalarOf(v, err);
    if (err) return true;
    switch (s.ValType) {
        case fvtNumber: x = s.Number; return true;
        case fvtBoolean: x = s.BoolErr ? 1 : 0; return true;
        case fvtError: err = s.BoolErr; return true;
        case fvtString: {
            // Texts that read as numbers, else as dates or times (their serial).
            bool hasDate = false;
            if (!ParseNumber(s.Str, x) && !DateTextToSerial(s.Str, x, hasDate)) err = errValue;
            return true;
        }
        default: return false;
    }
}

uint8_t TValueStack::ValueToString(const TXLSFormulaValue& v, std::u16string& s) {
    s.clear();
    uint8_t err = 0;
    const TXLSFormulaValue t = ScalarOf(v, err);
    if (err) return err;
    switch (t.ValType) {
        case fvtNumber: s = FormulaNumberToText(t.Number); break;
        case fvtBoolean: s = t.BoolErr ? Xc12BoolTrueText : Xc12BoolFalseText; break;
        case fvtError: s = CellErrorToText(t.BoolErr); return t.BoolErr;
        case fvtString: s = t.Str; break;
        default: break;
    }
    return 0;
}

uint8_t TValueStack::ValueToBoolean(const TXLSFormulaValue& v, bool& b) {
    b = false;
    uint8_t err = 0;
    const TXLSFormulaValue t = ScalarOf(v, err);
    if (err) return err;
    double x = 0;
    switch (t.ValType) {
        case fvtNumber: b = t.Number != 0; return 0;
        case fvtBoolean: b = t.BoolErr != 0; return 0;
        case fvtError: return t.BoolErr;
        case fvtString: {
            if (ParseNumber(t.Str, x)) {
                b = x != 0;
                return 0;
            }
            const std::u16string upper = WideUpperCaseStr(t.Str);
            if (upper == Xc12BoolTrueText)
                b = true;
            else if (upper != Xc12BoolFalseText)
                return errValue;
            return 0;
        }
        default: return 0;
    }
}

void TValueStack::ReadCell(TXLSCellMMU* cells, int col, int row, TXLSFormulaValue& v) {
    v.Kind = vkValue;
    v.Str.clear();
    TXLSMMUCell cell;
    if (!cells || !cells->FindCell(col, row, cell)) {
        v.Empty = 1;
        v.ValType = fvtEmpty;
        return;
    }
    v.Empty = 0;
    switch (TXLSCellMMU::GetCellType(cell)) {
        case xctBoolean:
            v.ValType = fvtBoolean;
            v.BoolErr = TXLSCellMMU::GetBoolean(cell);
            break;
        case xctBooleanFormula:
            v.ValType = fvtBoolean;
            v.BoolErr = TXLSCellMMU::GetFormulaResultBoolean(cell);
            break;
        case xctError:
            v.ValType = fvtError;
            v.BoolErr = TXLSCellMMU::GetError(cell);
            break;
        case xctErrorFormula:
            v.ValType = fvtError;
            v.BoolErr = TXLSCellMMU::GetFormulaResultError(cell);
            break;
        case xctString:
            v.ValType = fvtString;
            cells->GetString(cell, v.Str);
            break;
        case xctStringFormula:
            v.ValType = fvtString;
            v.Str = TXLSCellMMU::GetFormulaResultString(cell);
            break;
        case xctFloat:
            v.ValType = fvtNumber;
            v.Number = TXLSCellMMU::GetFloat(cell);
            break;
        case xctFloatFormula:
            v.ValType = fvtNumber;
            v.Number = TXLSCellMMU::GetFormulaResultFloat(cell);
            break;
        default: v.ValType = fvtEmpty; break;
    }
}

// ---------------------------------------------------------------------------------------------
// Operators

void TValueStack::ArithOperator(uint8_t op) {
    Drop();
    TXLSFormulaValue& left = TopRef();
    const TXLSFormulaValue& right = Items[static_cast<size_t>(Top_ + 1)];
    double a = 0;
    double b = 0;
    uint8_t errA = 0;
    uint8_t errB = 0;
    ValueToNumber(left, a, errA);
    ValueToNumber(right, b, errB);
    if (errA || errB) return SetTopError(errA ? errA : errB);
    double r = 0;
    bool divide = false;
    switch (op) {
        case 0x03: r = a + b; break;
        case 0x04: r = a - b; break;
        case 0x05: r = a * b; break;
        case 0x06:
            if (b == 0) return SetTopError(errDiv0);
            r = a / b;
            break;
        default:
            // 0 raised to a negative power divides by zero.
            divide = a == 0 && b < 0;
            r = std::pow(a, b);
            break;
    }
    left = FiniteOrError(r, divide);
}

void TValueStack::ConcatOperator() {
    Drop();
    std::u16string a;
    std::u16string b;
    const uint8_t errA = ValueToString(TopRef(), a);
    const uint8_t errB = ValueToString(Items[static_cast<size_t>(Top_ + 1)], b);
    if (errA || errB) return SetTopError(errA ? errA : errB);
    TopRef() = TXLSFormulaValue::MakeString(a + b);
}

void TValueStack::CompareOperator(uint8_t op) {
    Drop();
    uint8_t errA = 0;
    uint8_t errB = 0;
    const TXLSFormulaValue a = ScalarOf(TopRef(), errA);
    const TXLSFormulaValue b = ScalarOf(Items[static_cast<size_t>(Top_ + 1)], errB);
    if (!errA && a.ValType == fvtError) errA = a.BoolErr;
    if (!errB && b.ValType == fvtError) errB = b.BoolErr;
    if (errA || errB) return SetTopError(errA ? errA : errB);
    const int c = CompareValues(a, b, TNumberOrder::Digits15);
    bool r = false;
    switch (op) {
        case 0x09: r = c < 0; break;
        case 0x0A: r = c <= 0; break;
        case 0x0B: r = c == 0; break;
        case 0x0C: r = c >= 0; break;
        case 0x0D: r = c > 0; break;
        default: r = c != 0; break;
    }
    TopRef() = TXLSFormulaValue::MakeBoolean(r);
}

void TValueStack::UnaryOperator(uint8_t op) {
    double x = 0;
    uint8_t err = 0;
    ValueToNumber(TopValue(), x, err);
    if (err) return SetTopError(err);
    TopRef() = TXLSFormulaValue::MakeNumber(op == 0x13 ? -x : x * 0.01);
}

namespace {

bool ValueArea(const TXLSFormulaValue& v, TXLSCellArea& a) {
    if (v.Kind != vkRef && v.Kind != vkArea) return false;
    a = MakeCellArea(std::min(v.Col1, v.Col2), std::min(v.Row1, v.Row2), std::max(v.Col1, v.Col2),
                     std::max(v.Row1, v.Row2));
    return true;
}

}  // namespace

void TValueStack::RefOperator(uint8_t op) {
    Drop();
    TXLSFormulaValue left = TopRef();
    const TXLSFormulaValue right = Items[static_cast<size_t>(Top_ + 1)];
    TXLSCellArea a;
    TXLSCellArea b;
    const bool hasA = ValueArea(left, a);
    const bool hasB = ValueArea(right, b);
    if (op == 0x10) {
        TXLSAreaList* list = nullptr;
        if (left.Kind == vkAreaList) {
            list = left.List;
            if (right.Kind == vkAreaList)
                list->insert(list->end(), right.List->begin(), right.List->end());
            else if (hasB)
                list->push_back({right.Cells, b.Col1, b.Row1, b.Col2, b.Row2});
            else
                return SetTopError(errNull);
        } else if (right.Kind == vkAreaList) {
            if (!hasA) return SetTopError(errNull);
            list = right.List;
            list->insert(list->begin(), {left.Cells, a.Col1, a.Row1, a.Col2, a.Row2});
        } else {
            if (!hasA || !hasB) return SetTopError(errValue);
            list = &NewAreaList();
            list->push_back({left.Cells, a.Col1, a.Row1, a.Col2, a.Row2});
            list->push_back({right.Cells, b.Col1, b.Row1, b.Col2, b.Row2});
        }
        TXLSFormulaValue v;
        v.Kind = vkAreaList;
        v.List = list;
        TopRef() = v;
        return;
    }
    if (!hasA || !hasB) return SetTopError(errValue);
    TXLSCellArea r;
    if (op == 0x0F) {
        if (left.Cells != right.Cells || !IntersectCellArea(a, b, r)) return SetTopError(errNull);
    } else {
        UnionCellArea(a, b, r);
    }
    --Top_;
    if (r.Col1 == r.Col2 && r.Row1 == r.Row2)
        PushCellsRef(left.Cells, r.Col1, r.Row1);
    else
        PushCellsArea(left.Cells, r.Col1, r.Row1, r.Col2, r.Row2);
}

// ---------------------------------------------------------------------------------------------
// Iterator

void TValStackIterator::Start(const TXLSFormulaValue& v, bool stopAtError) {
    Chained.reset();
    Source = v;
    StopAtError = stopAtError;
    Done = false;
    AreaIndex = 0;
    switch (v.Kind) {
        case vkArea: {
            Whole = MakeCellArea(std::min(v.Col1, v.Col2), std::min(v.Row1, v.Row2), std::max(v.Col1, v.Col2),
                                 std::max(v.Row1, v.Row2));
            const TXLSCellArea& used = v.Cells->Dimension();
            if (used.Col1 < 0) {
                Done = true;
                break;
            }
            Source.Col1 = std::max(Whole.Col1, used.Col1);
            Source.Row1 = std::max(Whole.Row1, used.Row1);
            Source.Col2 = std::min(Whole.Col2, used.Col2);
            Source.Row2 = std::min(Whole.Row2, used.Row2);
            if (Source.Col1 > Source.Col2 || Source.Row1 > Source.Row2) Done = true;
            PosCol = Source.Col1 - 1;
            PosRow = Source.Row1;
            LastCol = Source.Col2;
            LastRow = Source.Row2;
            break;
        }
        case vkAreaList:
            if (v.List->empty())
                Done = true;
            else
                PosCol = (*v.List)[0].Col1 - 1, PosRow = (*v.List)[0].Row1;
            break;
        case vkArray:
            PosCol = -1;
            PosRow = 0;
            break;
        case vkXArea:
        case vkArrayArg: Done = true; break;
        default: break;
    }
}

bool TValStackIterator::RowVisible(TXLSCellMMU* cells, int row) const {
    const TXLSMMURowHeader* h = cells ? cells->GetRowHeader(row) : nullptr;
    return h && !(h->Options() & 1);
}

// One position further, without the error rules; false at the end (Done) or for a hidden position.
bool TValStackIterator::Step() {
    switch (Source.Kind) {
        case vkValue:
        case vkRef:
            Done = true;
            Current = Source;
            return !(SkipHidden && Source.Kind == vkRef && !RowVisible(Source.Cells, Source.Row1));
        case vkArea:
            if (++PosCol > LastCol) PosCol = Source.Col1, ++PosRow;
            if (PosRow > LastRow) return !(Done = true);
            if (SkipHidden && !RowVisible(Source.Cells, PosRow)) {
                PosCol = LastCol;
                return false;
            }
            Owner.ReadCell(Source.Cells, PosCol, PosRow, Current);
            return true;
        case vkAreaList: {
            const TXLSAreaList& list = *Source.List;
            if (++PosCol > list[AreaIndex].Col2) {
                PosCol = list[AreaIndex].Col1;
                if (++PosRow > list[AreaIndex].Row2) {
                    if (++AreaIndex >= list.size()) return !(Done = true);
                    PosCol = list[AreaIndex].Col1;
                    PosRow = list[AreaIndex].Row1;
                }
            }
            if (SkipHidden && !RowVisible(list[AreaIndex].Cells, PosRow)) return false;
            Owner.ReadCell(list[AreaIndex].Cells, PosCol, PosRow, Current);
            return true;
        }
        case vkArray:
            if (++PosCol >= Source.Array->ColCount()) PosCol = 0, ++PosRow;
            if (PosRow >= Source.Array->RowCount()) return !(Done = true);
            Current = Source.Array->Get(PosCol, PosRow);
            Current.Kind = vkArray;
            return true;
        default: return !(Done = true);
    }
}

bool TValStackIterator::Next() {
    for (;;) {
        if (Done) return false;
        if (!Step()) {
            if (Done) return false;
            continue;
        }
        if (Current.ValType == fvtError) {
            if (IgnoreErrors && Source.Kind != vkValue && Source.Kind != vkRef) continue;
            if (StopAtError && !IgnoreErrors) Done = true;
        }
        return true;
    }
}

}  // namespace xls
