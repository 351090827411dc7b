#include "workbook/formula/formula_evaluator.h"

#include <algorithm>
#include <bit>
#include <cstdlib>

#include "base/byte_reader.h"
#include "base/format.h"
#include "base/text_encoding.h"
#include "workbook/formula/array_arguments.h"
#include "workbook/formula/excel_functions.h"
#include "workbook/formula/ptg_tokens.h"
#include "workbook/formula/worksheet_functions.h"
#include "workbook/model/biff_values.h"
#include "workbook/model/cell_reference.h"
#include "workbook/model/cell_store.h"
#include "workbook/model/error_manager.h"
#include "workbook/model/exceptions.h"

namespace xls {

namespace {

uint16_t U16(const uint8_t* p) { return base::LoadLE16(p); }
int32_t I32(const uint8_t* p) { return static_cast<int32_t>(base::LoadLE32(p)); }
double F64(const uint8_t* p) { return std::bit_cast<double>(base::LoadLE64(p)); }

constexpr int32_t OwnRowMask = 0x7FFFFFFF;
constexpr uint16_t OwnColMask = 0x7FFF;
constexpr uint16_t BiffColMask = 0x3FFF;
constexpr int FuncSum = 4;

// The UTF-16 or 8-bit characters of a string operand; raises when they pass end.
std::u16string ReadChars(const uint8_t* p, const uint8_t* end, int count, bool wide) {
    if (end - p < static_cast<ptrdiff_t>(count) * (wide ? 2 : 1)) throw EXLSError(u"Formula data out of bounds");
    std::u16string s;
    for (int i = 0; i < count; ++i) s += wide ? static_cast<char16_t>(U16(p + 2 * i)) : static_cast<char16_t>(p[i]);
    return s;
}

// The array-formula kind of argument i: records of any count list the kinds of their first
// arguments, the last one listed standing for the rest (none listed: every argument whole).
int ArgumentKind(const TXc12FuncArgKinds& kinds, size_t i) {
    size_t listed = 0;
    while (listed < kinds.Kinds.size() && kinds.Kinds[listed] != 0) ++listed;
    if (kinds.ArgCount == FuncArgKindsAnyCount) return listed == 0 ? 2 : kinds.Kinds[std::min(i, listed - 1)];
    if (i >= kinds.ArgCount || i >= kinds.Kinds.size()) throw EXLSError(u"To many arguments in function");
    return kinds.Kinds[i];
}

}  // namespace

TXLSFormulaEvaluator::TXLSFormulaEvaluator(IXLSFormulaDocument& document, TXLSErrorManager* errors)
    : Document(document), Errors(errors), Stack_(document) {}

TXLSFormulaValue TXLSFormulaEvaluator::Evaluate(int sheet, int col, int row, const uint8_t* ptgs, int len,
                                                const TXLSCellArea* arrayRange) {
    Stack_.BeginEvaluation(arrayRange != nullptr, sheet, col, row);
    if (arrayRange) ArrayRange = *arrayRange;
    Interpret(ptgs, len, 0);
    if (arrayRange && Stack_.Top() >= 0) {
        // An area fills the range with its cells' values (one of a bounded size), a single value
        // fills every cell of it.
        const TXLSFormulaValue& v = Stack_.TopValue();
        if (((v.Kind == vkValue || v.Kind == vkRef) && v.ValType != fvtTableItem) ||
            (v.Kind == vkArea &&
             static_cast<int64_t>(std::abs(v.Col2 - v.Col1) + 1) * (std::abs(v.Row2 - v.Row1) + 1) <= MaxArrayCells))
            Stack_.PushArray(Stack_.PopArray(false));
        const TXLSFormulaValue& top = Stack_.TopValue();
        if (top.Kind == vkArray) WriteArrayResult(*top.Array);
    }
    return ResultPop();
}

// Every cell of the range but the first gets its element: a one-row or one-column array is
// repeated across the range, positions beyond a larger array's edge get #N/A (so that no stale
// value stays), an array larger than the range is cut, never wrapped over cells already written.
void TXLSFormulaEvaluator::WriteArrayResult(const TXLSArrayItem& array) {
    TXLSCellMMU* cells = Stack_.CurCells;
    if (!cells) return;
    // A range beyond the bound of arrays gets only the array's own cells.
    const bool fill =
        static_cast<int64_t>(ArrayRange.Col2 - ArrayRange.Col1 + 1) * (ArrayRange.Row2 - ArrayRange.Row1 + 1) <=
        MaxArrayCells;
    const int lastRow = fill ? ArrayRange.Row2 : std::min(ArrayRange.Row2, ArrayRange.Row1 + array.RowCount() - 1);
    const int lastCol = fill ? ArrayRange.Col2 : std::min(ArrayRange.Col2, ArrayRange.Col1 + array.ColCount() - 1);
    for (int r = 0; ArrayRange.Row1 + r <= lastRow; ++r)
        for (int c = 0; ArrayRange.Col1 + c <= lastCol; ++c) {
            if (r == 0 && c == 0) continue;
            const int ac = array.ColCount() == 1 ? 0 : c;
            const int ar = array.RowCount() == 1 ? 0 : r;
            TXLSFormulaValue e = array.InRange(ac, ar) ? array.Get(ac, ar) : TXLSFormulaValue::MakeError(errNA);
            if (e.ValType == fvtEmpty) e = TXLSFormulaValue::MakeNumber(0);
            if (e.ValType == fvtNumber) e = FiniteOrError(e.Number);
            const int col = ArrayRange.Col1 + c;
            const int row = ArrayRange.Row1 + r;
            TXLSMMUCell cell;
            const bool formula = cells->FindCell(col, row, cell) && TXLSCellMMU::GetCellType(cell) >= xctFloatFormula;
            switch (e.ValType) {
                case fvtNumber:
                    formula ? cells->SetFormulaResultFloat(cell, col, row, e.Number)
                            : cells->SetFloat(col, row, e.Number, 0);
                    break;
                case fvtBoolean:
                    formula ? cells->SetFormulaResultBoolean(cell, col, row, e.BoolErr != 0)
                            : cells->SetBoolean(col, row, e.BoolErr != 0, 0);
                    break;
                case fvtError:
                    formula ? cells->SetFormulaResultError(cell, col, row, e.BoolErr)
                            : cells->SetError(col, row, e.BoolErr, 0);
                    break;
                case fvtString:
                    formula ? cells->SetFormulaResultString(cell, col, row, e.Str)
                            : cells->SetString(col, row, e.Str, 0);
                    break;
                default: throw EXLSError(u"Invalid array value");
            }
        }
}

void TXLSFormulaEvaluator::Call(int id, int argCount, const std::u16string* userName) {
    if (userName)
        CallUser(*userName, argCount);
    else
        CallVariable(id, argCount);
}

// Inside an array formula a function whose arguments are single values takes arrays element
// by element: it is called once per element, with the larger size of its array arguments in each
// direction (one-row and one-column arrays repeat across it, a shorter one gives #N/A beyond its
// end). The result is an array of those calls, which an enclosing function takes whole (SUM of
// LEN over a range) or the formula writes into its range.
void TXLSFormulaEvaluator::ArrayCall(int id, int argCount, const std::u16string* userName) {
    constexpr int FuncRow = 8;
    constexpr int FuncTranspose = 83;
    const TXc12FuncData* rec = userName ? nullptr : TXLSExcelFuncNames::Instance().FuncData(id);
    if (!userName && !rec) {
        Stack_.OpenArguments(argCount);
        return Stack_.PushError(errNA);
    }
    // Functions without argument kinds take every argument whole, as do those whose result is
    // itself the array of the range, and ROW, whose argument's elements would have no row.
    if (!userName && (id == FuncTranspose || id == FuncRow || !rec->ArgKinds || (rec->Flags & FuncFlagWholeArrays)))
        return Call(id, argCount, userName);
    std::vector<TXLSFormulaValue> args(static_cast<size_t>(argCount));
    for (int i = argCount - 1; i >= 0; --i) args[static_cast<size_t>(i)] = Stack_.Pop();
    std::vector<TXLSArrayItem*> expanded(args.size(), nullptr);
    int cols = 0;
    int rows = 0;
    for (size_t i = 0; i < args.size(); ++i) {
        const int kind = userName ? 1 : ArgumentKind(*rec->ArgKinds, i);
        const TXLSValueKind k = args[i].Kind;
        if ((kind == 1 || kind == 4) && (k == vkArea || k == vkArray)) {
            if (k == vkArea && static_cast<int64_t>(std::abs(args[i].Col2 - args[i].Col1) + 1) *
                                       (std::abs(args[i].Row2 - args[i].Row1) + 1) >
                                   MaxArrayCells)
                throw EXLSError(u"Invalid array formula range");
            Stack_.PushValue(args[i]);
            Stack_.PushArray(Stack_.PopArray(false));
            expanded[i] = Stack_.Pop().Array;
            cols = std::max(cols, expanded[i]->ColCount());
            rows = std::max(rows, expanded[i]->RowCount());
        }
    }
    if (cols == 0) {
        // No argument is an array: one call, its value kept whole (a reference stays one).
        for (const TXLSFormulaValue& a : args) Stack_.PushValue(a);
        return Call(id, argCount, userName);
    }
    if (static_cast<int64_t>(cols) * rows > MaxArrayCells) throw EXLSError(u"Invalid array formula range");
    auto result = std::make_unique<TXLSArrayItem>(cols, rows);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) {
            for (size_t i = 0; i < args.size(); ++i) {
                if (!expanded[i])
                    Stack_.PushValue(args[i]);
                else if (expanded[i]->InRange(c, r))
                    Stack_.PushValue(expanded[i]->Get(c, r));
                else
                    Stack_.PushError(errNA);
            }
            Call(id, argCount, userName);
            uint8_t err = 0;
            TXLSFormulaValue v = Stack_.ScalarOf(Stack_.Pop(), err);
            v.Kind = vkValue;
            result->At(c, r) = v;
        }
    Stack_.PushArray(std::move(result));
}

TXLSFormulaValue TXLSFormulaEvaluator::ResultPop() {
    TXLSFormulaValue r = Stack_.Pop();
    const int col = Stack_.CurCol;
    const int row = Stack_.CurRow;
    switch (r.Kind) {
        case vkArea: {
            const bool inCols = r.Col1 <= col && col <= r.Col2;
            const bool inRows = r.Row1 <= row && row <= r.Row2;
            if (inCols && inRows && r.Cells == Stack_.CurCells) return TXLSFormulaValue::MakeError(errRef);
            int c = 0;
            int w = 0;
            if (!Stack_.IntersectCurrent(r, c, w)) return TXLSFormulaValue::MakeError(errValue);
            Stack_.ReadCell(r.Cells, c, w, r);
            break;
        }
        case vkArray: r = r.Array->Get(0, 0); break;
        case vkAreaList:
        case vkXArea:
        case vkArrayArg: return TXLSFormulaValue::MakeError(errValue);
        default: break;
    }
    r.Kind = vkValue;
    r.Empty = 0;
    r.Cells = nullptr;
    if (r.ValType == fvtEmpty) r = TXLSFormulaValue::MakeNumber(0);
    if (r.ValType == fvtNumber) r = FiniteOrError(r.Number);
    return r;
}

void TXLSFormulaEvaluator::CallFixed(int id) {
    int min = 0;
    int max = 0;
    TXLSExcelFuncNames::Instance().GetArgCount(id, min, max);
    Stack_.ArrayMode ? ArrayCall(id, min, nullptr) : CallVariable(id, min);
}

void TXLSFormulaEvaluator::CallVariable(int id, int argCount) {
    const TXLSExcelFuncNames& names = TXLSExcelFuncNames::Instance();
    int min = 0;
    int max = 0;
    names.GetArgCount(id, min, max);
    const std::u16string name = names.NameById(id);
    const bool few = argCount < min;
    if (few || (max != FuncAnyArgs && argCount > max)) {
        const std::u16string text = name + u"(" + base::Utf8ToUtf16(std::to_string(few ? min : max)) + u")";
        if (!Errors)
            throw EXLSError(
                base::Format(few ? "Missing argument for function \"%s\"" : "To many arguments for function \"%s\"",
                             {base::Utf16ToUtf8(text)}));
        Errors->Error(text, few ? 4020 : 4021);
        // Reported and not raised: the call still leaves its one result.
        Stack_.OpenArguments(argCount);
        return Stack_.PushError(errValue);
    }
    Stack_.OpenArguments(argCount);
    const int top = Stack_.Top();
    if (!CallWorksheetFunction(Stack_, id, argCount)) Stack_.PushError(errNA);
    if (Stack_.Top() != top + 1)
        throw EXLSError(base::Format("Function \"%s\" left no result", {base::Utf16ToUtf8(name)}));
}

void TXLSFormulaEvaluator::CallUser(const std::u16string& name, int argCount) {
    if (!OnUserFunction) {
        // A function the workbook declares (a macro or add-in name) has no value here; any other
        // name is no function at all.
        const IXLSExternSheets* externs = Document.ExternSheets();
        const bool declared = Document.HasDefinedName(name) || (externs && externs->HasExternalName(name));
        Stack_.OpenArguments(argCount);
        return Stack_.PushError(declared ? errNA : errName);
    }
    TXLSUserFuncData data;
    data.Result = TXLSFormulaValue::MakeError(errName);
    for (int i = 0; i < argCount; ++i) data.Args.push_back(Stack_.Pop());
    OnUserFunction(name, data);
    Stack_.PushValue(data.Result);
}

// Own code 0x80: the values pushed row by row become a cols x rows array.
void TXLSFormulaEvaluator::PushArrayOfValues(int cols, int rows) {
    if (static_cast<int64_t>(cols) * rows > Stack_.Top() + 1) throw EXLSError(u"Empty stack");
    Stack_.OpenArguments(cols * rows);
    auto array = std::make_unique<TXLSArrayItem>(cols, rows);
    for (int r = rows - 1; r >= 0; --r)
        for (int c = cols - 1; c >= 0; --c) {
            const TXLSFormulaValue v = Stack_.PopArgument();
            if (v.Kind != vkValue || v.ValType < fvtNumber || v.ValType > fvtString) return Stack_.PushError(errValue);
            array->At(c, r) = v;
        }
    Stack_.PushArray(std::move(array));
}

void TXLSFormulaEvaluator::PushName(int index, bool biff, int depth) {
    TXLSNameDef name;
    if (index < 0 || !Document.GetName(index, name)) return Stack_.PushError(errName);
    if (biff && name.VbaProcedure) return Stack_.PushError(errNA);
    switch (name.Kind) {
        case nkFormula: {
            if (depth >= MaxNameDepth || name.PtgsLen <= 1) return Stack_.PushError(errName);
            const int base = Stack_.Top();
            Interpret(name.Ptgs, name.PtgsLen, depth + 1);
            if (Stack_.Top() != base + 1) throw EXLSError(u"Invalid name formula");
            return;
        }
        case nkCell: return Stack_.PushSheetRef(name.Sheet, name.Col1, name.Row1);
        case nkArea: return Stack_.PushSheetArea(name.Sheet, name.Col1, name.Row1, name.Col2, name.Row2);
        default: return Stack_.PushError(errRef);
    }
}

// Own reference components inside a name's formula: a relative one is an offset from the
// formula's cell, wrapping around the grid as it does when a name is defined away from A1.
int TXLSFormulaEvaluator::NameCol(uint16_t col) const {
    if (col & ColAbsFlag) return col & OwnColMask;
    return ((col & OwnColMask) + Stack_.CurCol) % (XLSMaxCol + 1);
}

int TXLSFormulaEvaluator::NameRow(uint32_t row) const {
    if (row & RowAbsFlag) return static_cast<int>(row & OwnRowMask);
    return static_cast<int>(((row & OwnRowMask) + static_cast<int64_t>(Stack_.CurRow)) % (XLSMaxRow + 1));
}

void TXLSFormulaEvaluator::PushNameArea(const uint8_t* p) {
    Stack_.PushArea(NameCol(U16(p + 9)), NameRow(base::LoadLE32(p + 1)), NameCol(U16(p + 11)),
                    NameRow(base::LoadLE32(p + 5)));
}

// External references other than one cell of one sheet are given as their text:
// "[book]sheet!A1", with ":sheet2" for a range of sheets.
std::u16string TXLSFormulaEvaluator::ExternalReferenceText(const uint8_t* p, uint8_t op) const {
    const bool area = op == xptgAreaX || op == xptgAreaXRange;
    const uint8_t* book = p + (area ? 13 : 7);
    const int index = U16(book);
    // Appended piece by piece: GCC 12 at -O2 takes literal-plus-string for an overlapping copy.
    std::u16string text(1, u'[');
    text += Document.ExternalBookName(index);
    text += u']';
    text += Document.ExternalSheetName(index, book[2]);
    if (op == xptgRefXRange || op == xptgAreaXRange) {
        text += u':';
        text += Document.ExternalSheetName(index, book[3]);
    }
    text += u'!';
    text += area ? AreaFlagsToRefStr(U16(p + 9), I32(p + 1), U16(p + 11), I32(p + 5))
                 : ColRowFlagsToRefStr(U16(p + 5), I32(p + 1));
    return text;
}

// BIFF8 array constant: columns - 1 (u8), rows - 1 (u16), then the values row by row.
void TXLSFormulaEvaluator::PushArrayConstant(const uint8_t*& data, const uint8_t* end) {
    if (!data || end - data < 3) throw EXLSError(u"Formula data out of bounds");
    const int cols = data[0] + 1;
    const int rows = U16(data + 1) + 1;
    data += 3;
    // Every element takes at least 9 bytes: a size the data cannot hold is refused before any
    // allocation.
    if (end - data < static_cast<ptrdiff_t>(cols) * rows * 9) throw EXLSError(u"Formula data out of bounds");
    auto array = std::make_unique<TXLSArrayItem>(cols, rows);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) {
            if (end - data < 9) throw EXLSError(u"Formula data out of bounds");
            TXLSFormulaValue& e = array->At(c, r);
            const uint8_t type = *data++;
            switch (type) {
                case 0x01:
                    e = TXLSFormulaValue::MakeNumber(F64(data));
                    data += 8;
                    break;
                case 0x02: {
                    const int count = U16(data);
                    const bool wide = end - data > 2 && (data[2] & 1);
                    e = TXLSFormulaValue::MakeString(ReadChars(data + 3, end, count, wide));
                    data += 3 + count * (wide ? 2 : 1);
                    break;
                }
                case 0x04:
                    e = TXLSFormulaValue::MakeBoolean(data[0] != 0);
                    data += 8;
                    break;
                case 0x10:
                    e = TXLSFormulaValue::MakeError(BIFFErrorToCellError(data[0]));
                    data += 8;
                    break;
                default: data += 8; break;
            }
        }
    Stack_.PushArray(std::move(array));
}

void TXLSFormulaEvaluator::Interpret(const uint8_t* ptgs, int len, int depth) {
    const uint8_t* p = ptgs;
    const uint8_t* end = ptgs + len;
    const uint8_t* arrayData = nullptr;
    const uint8_t* arrayEnd = end;
    bool biff = false;
    if (len > 0 && (p[0] == xptgBiff || p[0] == xptgExtra)) {
        biff = true;
        if (p[0] == xptgExtra) {
            if (len < 3 || U16(p + 1) > len - 3) throw EXLSError(u"Formula data out of bounds");
            end = ptgs + len - U16(p + 1);
            arrayData = end;
            p += 3;
        } else {
            ++p;
        }
    }
    // Arguments that are arrays by definition (SUMPRODUCT's) run as in an array formula.
    const bool arrayMode = Stack_.ArrayMode;
    const uint8_t* first = p;
    const std::vector<TTokenSpan> arrayArguments =
        arrayMode ? std::vector<TTokenSpan>() : ArrayArgumentSpans(first, static_cast<size_t>(end - first), biff);
    while (p < end) {
        if (!arrayArguments.empty()) {
            const size_t at = static_cast<size_t>(p - first);
            Stack_.ArrayMode = std::any_of(arrayArguments.begin(), arrayArguments.end(),
                                           [at](const TTokenSpan& s) { return s.Begin <= at && at < s.End; });
        }
        const size_t width = PtgTokenWidth(p, static_cast<size_t>(end - p), biff);
        if (width == 0) throw EXLSError(u"Formula data out of bounds");
        const uint8_t op = biff ? PtgToRefClass(p[0]) : p[0];
        switch (op) {
            case ptgAdd:
            case ptgSub:
            case ptgMul:
            case ptgDiv:
            case ptgPower:
            case ptgConcat:
            case ptgLT:
            case ptgLE:
            case ptgEQ:
            case ptgGE:
            case ptgGT:
            case ptgNE:
                if (Stack_.ArrayMode)
                    Stack_.ArrayBinary(op);
                else if (op == ptgConcat)
                    Stack_.ConcatOperator();
                else if (op >= ptgLT)
                    Stack_.CompareOperator(op);
                else
                    Stack_.ArithOperator(op);
                break;
            case ptgIsect:
            case ptgUnion:
            case ptgRange: Stack_.RefOperator(op); break;
            case ptgUplus:
            case ptgParen:
            case xptgAttrSpace: break;
            case ptgUminus:
            case ptgPercent: Stack_.ArrayMode ? Stack_.ArrayUnary(op) : Stack_.UnaryOperator(op); break;
            case ptgMissArg: Stack_.PushEmpty(); break;
            case ptgStr: Stack_.PushString(ReadChars(p + 3, end, p[1], p[2] & 1)); break;
            case ptgAttr:
                if (p[1] & 0x10) CallVariable(FuncSum, 1);
                break;
            case ptgErr: Stack_.PushError(biff ? static_cast<uint8_t>(BIFFErrorToCellError(p[1])) : p[1]); break;
            case ptgBool: Stack_.PushBoolean(p[1] == 1); break;
            case ptgInt: Stack_.PushNumber(U16(p + 1)); break;
            case ptgNum: Stack_.PushNumber(F64(p + 1)); break;
            case ptgArray: PushArrayConstant(arrayData, arrayEnd); break;
            case ptgFunc:
            case xptgFunc: CallFixed(U16(p + 1) & 0x7FFF); break;
            case ptgFuncVar:
            case xptgFuncVar:
                Stack_.ArrayMode ? ArrayCall(U16(p + 2) & 0x7FFF, p[1], nullptr)
                                 : CallVariable(U16(p + 2) & 0x7FFF, p[1]);
                break;
            case ptgName: PushName(U16(p + 1) - 1, true, depth); break;
            case xptgName: PushName(U16(p + 1) == 0xFFFF ? -1 : U16(p + 1), false, depth); break;
            case ptgRef: Stack_.PushRef(U16(p + 3) & BiffColMask, U16(p + 1)); break;
            case ptgArea:
                Stack_.PushArea(U16(p + 5) & BiffColMask, U16(p + 1), U16(p + 7) & BiffColMask, U16(p + 3));
                break;
            case ptgMemArea:
            case ptgMemErr: break;
            case ptgMemFunc:
                Stack_.PushError(errNA);
                p += U16(p + 1);
                break;
            case ptgRefErr:
            case ptgAreaErr:
            case ptgRefErr3d:
            case ptgAreaErr3d:
            case xptgRefErr:
            case xptgAreaErr:
            case xptgRefErr3dRange:
            case xptgAreaErr3d:
            case xptgAreaErr3dRange: Stack_.PushError(errRef); break;
            case xptgRefErr3d: Stack_.PushError(p[7]); break;
            case ptgNameX:
            case ptgRef3d:
            case ptgArea3d: {
                int first = 0;
                int last = 0;
                const IXLSExternSheets* sheets = Document.ExternSheets();
                if (!sheets || !sheets->GetSheetRange(U16(p + 1), first, last)) {
                    Stack_.PushError(errRef);
                } else if (op == ptgNameX) {
                    if (first != 0xFFFE)
                        Stack_.PushError(errRef);
                    else
                        PushName(U16(p + 3) - 1, false, depth);
                } else {
                    const int c1 = U16(p + (op == ptgRef3d ? 5 : 7)) & BiffColMask;
                    const int r1 = U16(p + 3);
                    const int c2 = op == ptgRef3d ? c1 : U16(p + 9) & BiffColMask;
                    const int r2 = op == ptgRef3d ? r1 : U16(p + 5);
                    if (first != last)
                        Stack_.PushSheetsArea(first, last, c1, r1, c2, r2);
                    else if (op == ptgRef3d)
                        Stack_.PushSheetRef(first, c1, r1);
                    else
                        Stack_.PushSheetArea(first, c1, r1, c2, r2);
                }
                break;
            }
            case xptgRef:
                if (depth > 0)
                    Stack_.PushRef(NameCol(U16(p + 5)), NameRow(base::LoadLE32(p + 1)));
                else
                    Stack_.PushRef(U16(p + 5) & OwnColMask, I32(p + 1) & OwnRowMask);
                break;
            case xptgArea:
                if (depth > 0)
                    PushNameArea(p);
                else
                    Stack_.PushArea(U16(p + 9) & OwnColMask, I32(p + 1) & OwnRowMask, U16(p + 11) & OwnColMask,
                                    I32(p + 5) & OwnRowMask);
                break;
            case xptgRefX: {
                TXLSFormulaValue v;
                if (!Document.ExternalCachedValue(U16(p + 7), p[9], U16(p + 5) & OwnColMask, I32(p + 1) & OwnRowMask,
                                                  v))
                    v = TXLSFormulaValue();
                v.Kind = vkValue;
                Stack_.PushValue(v.ValType == fvtEmpty ? TXLSFormulaValue() : v);
                break;
            }
            case xptgRefXRange:
            case xptgAreaX:
            case xptgAreaXRange: Stack_.PushString(ExternalReferenceText(p, op)); break;
            case xptgInt: Stack_.PushNumber(I32(p + 1)); break;
            case xptgStr: Stack_.PushString(ReadChars(p + 3, end, U16(p + 1), true)); break;
            case xptgRef3d: Stack_.PushSheetRef(p[7], U16(p + 5) & OwnColMask, I32(p + 1) & OwnRowMask); break;
            case xptgRef3dRange: {
                const int c = U16(p + 5) & OwnColMask;
                const int r = I32(p + 1) & OwnRowMask;
                Stack_.PushSheetsArea(p[7], p[8], c, r, c, r);
                break;
            }
            case xptgArea3d:
                Stack_.PushSheetArea(p[13], U16(p + 9) & OwnColMask, I32(p + 1) & OwnRowMask, U16(p + 11) & OwnColMask,
                                     I32(p + 5) & OwnRowMask);
                break;
            case xptgArea3dRange:
                Stack_.PushSheetsArea(p[13], p[14], U16(p + 9) & OwnColMask, I32(p + 1) & OwnRowMask,
                                      U16(p + 11) & OwnColMask, I32(p + 5) & OwnRowMask);
                break;
            case xptgMissArg: Stack_.PushEmpty(); break;
            case xptgArray:
                if (U16(p + 1) == 0 || U16(p + 3) == 0) throw EXLSError(u"Invalid array size");
                PushArrayOfValues(U16(p + 1), U16(p + 3));
                break;
            case xptgUserFunc: {
                const std::u16string name = ReadChars(p + 4, end, U16(p + 2), true);
                Stack_.ArrayMode ? ArrayCall(-1, p[1], &name) : CallUser(name, p[1]);
                break;
            }
            case xptgDataTable: DataTable(p); break;
            case xptgTableColumn:
                Stack_.PushArea(U16(p + 14) & OwnColMask, I32(p + 6) & OwnRowMask, U16(p + 16) & OwnColMask,
                                I32(p + 10) & OwnRowMask);
                break;
            case xptgTableSpecial: TableItem(p); break;
            case xptgTable: TableArea(p); break;
            case xptgArrayMember:
            case xptgDataTableMember: throw EXLSError(u"This ptgs shall not be calculated");
            default: throw EXLSError(base::Format("Invalid ptgs: %.2X", {op}));
        }
        p += width;
    }
    Stack_.ArrayMode = arrayMode;
}

}  // namespace xls
