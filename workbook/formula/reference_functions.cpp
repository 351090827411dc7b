// The reference, information and choice functions: INDEX, OFFSET, CHOOSE, TRANSPOSE, AREAS, ROWS,
// COLUMNS, ADDRESS, CELL, ERROR.TYPE, INFO, TYPE and IFERROR.
#include <algorithm>
#include <cmath>

#include "workbook/formula/lookup_line.h"
#include "workbook/formula/worksheet_functions.h"
#include "workbook/model/cell_error.h"
#include "workbook/model/cell_reference.h"
#include "workbook/model/cell_store.h"

namespace xls {

namespace {

enum : int {
    fnIndex = 29,
    fnAreas = 75,
    fnRows = 76,
    fnColumns = 77,
    fnOffset = 78,
    fnTranspose = 83,
    fnType = 86,
    fnChoose = 100,
    fnCell = 125,
    fnAddress = 219,
    fnInfo = 244,
    fnErrorType = 261,
    fnIfError = 839,
};

// The most cells an array result built from a reference may hold.
constexpr int64_t MaxResultCells = int64_t{1} << 20;

bool IsOmitted(const TXLSFormulaValue& v) { return v.Kind == vkValue && v.ValType == fvtEmpty; }

// An optional whole-number argument (present: the call has it); given is cleared and n keeps its
// value when it is left out or empty. False after pushing the error.
bool PopOptionalInteger(TValueStack& s, bool present, int& n, bool& given) {
    given = present && !IsOmitted(s.PeekArgument(0));
    if (!present) return true;
    if (given) return s.PopArgInteger(n);
    s.PopArgument();
    return true;
}

std::u16string AsciiLower(std::u16string text) {
    for (char16_t& c : text)
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + (u'a' - u'A'));
    return text;
}

// The rectangle of a cell or area, corners in order.
TXLSSheetArea RectOf(const TXLSFormulaValue& v) {
    return {v.Cells, std::min(v.Col1, v.Col2), std::min(v.Row1, v.Row2), std::max(v.Col1, v.Col2),
            std::max(v.Row1, v.Row2)};
}

void PushRect(TValueStack& s, const TXLSSheetArea& r) {
    if (r.Col1 == r.Col2 && r.Row1 == r.Row2) return s.PushCellsRef(r.Cells, r.Col1, r.Row1);
    s.PushCellsArea(r.Cells, r.Col1, r.Row1, r.Col2, r.Row2);
}

// INDEX: row and column 1-based, 0 for the whole column or row; area lists choose their area.
void Index(TValueStack& s, int argCount) {
    int area = 1;
    int col = 0;
    int row = 0;
    bool given = false;
    if (!PopOptionalInteger(s, argCount == 4, area, given) || !PopOptionalInteger(s, argCount >= 3, col, given) ||
        !PopOptionalInteger(s, true, row, given))
        return;
    const TXLSFormulaValue ref = s.PopArgument();
    if (row < 0 || col < 0) return s.PushError(errValue);
    if (area < 1) return s.PushError(errRef);
    TXLSSheetArea rect;
    switch (ref.Kind) {
        case vkRef:
        case vkArea: rect = RectOf(ref); break;
        case vkAreaList: {
            if (static_cast<size_t>(area) > ref.List->size()) return s.PushError(errRef);
            const TXLSSheetArea& a = (*ref.List)[static_cast<size_t>(area) - 1];
            rect = {a.Cells, std::min(a.Col1, a.Col2), std::min(a.Row1, a.Row2), std::max(a.Col1, a.Col2),
                    std::max(a.Row1, a.Row2)};
            break;
        }
        case vkArray: break;
        case vkValue:
            if (row > 1 || col > 1 || area != 1) return s.PushError(errRef);
            return s.PushValue(ref);
        default: return s.PushError(errValue);
    }
    if (ref.Kind != vkAreaList && area != 1) return s.PushError(errRef);
    int32_t cols = 0;
    int32_t rows = 0;
    if (ref.Kind == vkArray)
        TableSize(ref, cols, rows);
    else
        cols = rect.Col2 - rect.Col1 + 1, rows = rect.Row2 - rect.Row1 + 1;
    // With only a row number, a one-row table is indexed along its columns.
    if (argCount == 2 && rows == 1) std::swap(row, col), row = 1;
    if (row > rows || col > cols) return s.PushError(errRef);
    const int32_t c1 = col ? col - 1 : 0;
    const int32_t c2 = col ? col - 1 : cols - 1;
    const int32_t r1 = row ? row - 1 : 0;
    const int32_t r2 = row ? row - 1 : rows - 1;
    if (ref.Kind != vkArray)
        return PushRect(s, {rect.Cells, rect.Col1 + c1, rect.Row1 + r1, rect.Col1 + c2, rect.Row1 + r2});
    if (c1 == c2 && r1 == r2) {
        TXLSFormulaValue e = ref.Array->Get(c1, r1);
        e.Kind = vkValue;
        return s.PushValue(e);
    }
    auto part = std::make_unique<TXLSArrayItem>(c2 - c1 + 1, r2 - r1 + 1);
    for (int32_t r = r1; r <= r2; ++r)
        for (int32_t c = c1; c <= c2; ++c) part->At(c - c1, r - r1) = ref.Array->Get(c, r);
    s.PushArray(std::move(part));
}

// OFFSET: the reference moved by rows and columns; a height or width given sets the size (a
// negative one reaches up or left from the moved corner), else the reference's own is kept.
void Offset(TValueStack& s, int argCount) {
    int width = 0;
    int height = 0;
    int cols = 0;
    int rows = 0;
    bool widthGiven = false;
    bool heightGiven = false;
    bool given = false;
    if (!PopOptionalInteger(s, argCount == 5, width, widthGiven) ||
        !PopOptionalInteger(s, argCount >= 4, height, heightGiven) ||
        !PopOptionalInteger(s, argCount >= 3, cols, given) || !PopOptionalInteger(s, true, rows, given))
        return;
    const TXLSFormulaValue ref = s.PopArgument();
    if (ref.Kind != vkRef && ref.Kind != vkArea) return s.PushError(errValue);
    if ((widthGiven && width == 0) || (heightGiven && height == 0)) return s.PushError(errRef);
    TXLSSheetArea r = RectOf(ref);
    int64_t col1 = int64_t{r.Col1} + cols;
    int64_t row1 = int64_t{r.Row1} + rows;
    int64_t col2 = int64_t{r.Col2} + cols;
    int64_t row2 = int64_t{r.Row2} + rows;
    if (widthGiven) {
        col2 = col1 + width - 1;
        if (width < 0) col2 = col1, col1 = col1 + width + 1;
    }
    if (heightGiven) {
        row2 = row1 + height - 1;
        if (height < 0) row2 = row1, row1 = row1 + height + 1;
    }
    if (col1 < 0 || row1 < 0 || col2 > XLSMaxCol || row2 > XLSMaxRow) return s.PushError(errRef);
    r.Col1 = static_cast<int32_t>(col1);
    r.Row1 = static_cast<int32_t>(row1);
    r.Col2 = static_cast<int32_t>(col2);
    r.Row2 = static_cast<int32_t>(row2);
    PushRect(s, r);
}

// CHOOSE: the value argument that the index selects, unchanged (a reference stays one).
void Choose(TValueStack& s, int argCount) {
    double x = 0;
    uint8_t err = 0;
    if (!s.ValueToNumber(s.PeekArgument(argCount - 1), x, err) && !err) err = errValue;
    if (err) return s.PushError(err);
    x = std::trunc(x);
    if (x < 1 || x > argCount - 1) return s.PushError(errValue);
    const TXLSFormulaValue chosen = s.PeekArgument(argCount - 1 - static_cast<int>(x));
    s.PushValue(chosen);
}

// TRANSPOSE: rows and columns exchanged, of a reference's cells or of an array.
void Transpose(TValueStack& s) {
    const TXLSFormulaValue arg = s.PopArgument();
    int32_t cols = 0;
    int32_t rows = 0;
    TableSize(arg, cols, rows);
    if (arg.Kind != vkRef && arg.Kind != vkArea && arg.Kind != vkArray) return PushArgumentError(s, arg);
    if (int64_t{cols} * rows > MaxResultCells) return s.PushError(errValue);
    auto result = std::make_unique<TXLSArrayItem>(rows, cols);
    TXLSFormulaValue v;
    for (int32_t c = 0; c < cols; ++c) {
        const TLookupLine line(s, arg, true, c);
        for (int32_t r = 0; r < rows; ++r) {
            line.Get(r, v);
            result->At(r, c) = v;
        }
    }
    s.PushArray(std::move(result));
}

// ROWS and COLUMNS of a cell, area or array (a plain value counts as one).
void Size(TValueStack& s, bool rows) {
    const TXLSFormulaValue arg = s.PopArgument();
    if (arg.Kind == vkAreaList || arg.Kind == vkXArea || arg.Kind == vkArrayArg) return s.PushError(errRef);
    if (arg.Kind == vkValue && arg.ValType == fvtError) return s.PushError(arg.BoolErr);
    int32_t cols = 0;
    int32_t height = 0;
    TableSize(arg, cols, height);
    s.PushNumber(rows ? height : cols);
}

// ADDRESS: the reference text of a row and column, absolute as abs_num says, A1 or R1C1, after
// a sheet name when one is given.
void Address(TValueStack& s, int argCount) {
    std::u16string sheet;
    if (argCount == 5 && !s.PopArgString(sheet, true)) return;
    bool a1 = true;
    bool given = false;
    if (argCount >= 4) {
        if (IsOmitted(s.PeekArgument(0)))
            s.PopArgument();
        else if (!s.PopArgBoolean(a1))
            return;
    }
    int abs = 1;
    int col = 0;
    int row = 0;
    if (!PopOptionalInteger(s, argCount >= 3, abs, given) || !s.PopArgInteger(col) || !s.PopArgInteger(row)) return;
    if (col < 1 || col > XLSMaxCol + 1 || row < 1 || row > XLSMaxRow + 1) return s.PushError(errValue);
    // 2 makes only the row absolute, 3 only the column, 4 neither; any other value both.
    const bool rowAbs = abs != 3 && abs != 4;
    const bool colAbs = abs != 2 && abs != 4;
    std::u16string text = a1 ? ColRowToRefStrAbs(col - 1, row - 1, colAbs, rowAbs)
                             : ColRowToR1C1RefStr(colAbs ? col - 1 : col, rowAbs ? row - 1 : row, !colAbs, !rowAbs);
    if (!sheet.empty()) text = sheet + u"!" + text;
    s.PushString(std::move(text));
}

// The file name followed by the name of the sheet that holds cells ("[???]" for none).
std::u16string FileNameOf(TValueStack& s, TXLSCellMMU* cells) {
    const std::u16string file = s.Doc().FileName();
    if (file.empty()) return file;
    for (int i = 0; i < s.Doc().SheetCount(); ++i)
        if (s.SheetCells(i) == cells) return file + s.Doc().SheetName(i);
    return file + u"[???]";
}

// CELL: what the first cell of the reference (else A1) is: its address, row, column, file name
// or type; the formatting infos keep their neutral values.
void Cell(TValueStack& s, int argCount) {
    TXLSFormulaValue ref;
    ref.Kind = vkRef;
    ref.Cells = s.CurCells;
    if (argCount == 2) {
        ref = s.PopArgument();
        if (ref.Kind != vkRef && ref.Kind != vkArea) return PushArgumentError(s, ref);
    }
    std::u16string info;
    if (!s.PopArgString(info, false)) return;
    info = AsciiLower(info);
    const TXLSSheetArea r = RectOf(ref);
    if (info == u"address") return s.PushString(ColRowToRefStrAbs(r.Col1, r.Row1, true, true));
    if (info == u"col") return s.PushNumber(r.Col1 + 1);
    if (info == u"row") return s.PushNumber(r.Row1 + 1);
    if (info == u"color" || info == u"parentheses" || info == u"protect" || info == u"width") return s.PushNumber(0);
    if (info == u"format" || info == u"prefix") return s.PushString(u"");
    if (info == u"filename") return s.PushString(FileNameOf(s, r.Cells));
    if (info == u"type") {
        TXLSFormulaValue v;
        s.ReadCell(r.Cells, r.Col1, r.Row1, v);
        return s.PushString(v.ValType == fvtEmpty ? u"b" : v.ValType == fvtString ? u"l" : u"v");
    }
    s.PushError(errValue);
}

// TYPE: 1 number, 2 text, 4 Boolean, 16 error, 64 array; an area by implicit intersection.
void Type(TValueStack& s) {
    const TXLSFormulaValue arg = s.PopArgument();
    if (arg.Kind == vkArray) return s.PushNumber(64);
    uint8_t err = 0;
    const TXLSFormulaValue v = s.ScalarOf(arg, err);
    switch (err ? fvtError : v.ValType) {
        case fvtNumber:
        case fvtEmpty: return s.PushNumber(1);
        case fvtString: return s.PushNumber(2);
        case fvtBoolean: return s.PushNumber(4);
        default: return s.PushNumber(16);
    }
}

// IFERROR: the alternative where the value is an error (element by element for an array),
// else the value unchanged.
void IfError(TValueStack& s) {
    const TXLSFormulaValue alternative = s.PopArgument();
    const TXLSFormulaValue value = s.PopArgument();
    if (value.Kind == vkArray) {
        uint8_t err = 0;
        const TXLSFormulaValue scalar = s.ScalarOf(alternative, err);
        auto result = std::make_unique<TXLSArrayItem>(value.Array->ColCount(), value.Array->RowCount());
        for (int r = 0; r < result->RowCount(); ++r)
            for (int c = 0; c < result->ColCount(); ++c) {
                const TXLSFormulaValue& e = value.Array->Get(c, r);
                result->At(c, r) = e.ValType == fvtError ? scalar : e;
            }
        return s.PushArray(std::move(result));
    }
    uint8_t err = 0;
    const TXLSFormulaValue v = s.ScalarOf(value, err);
    s.PushValue(err || v.ValType == fvtError ? alternative : value);
}

}  // namespace

bool CallReferenceFunction(TValueStack& s, int id, int argCount) {
    switch (id) {
        case fnIndex: Index(s, argCount); return true;
        case fnOffset: Offset(s, argCount); return true;
        case fnChoose: Choose(s, argCount); return true;
        case fnTranspose: Transpose(s); return true;
        case fnAreas: {
            const TXLSFormulaValue arg = s.PopArgument();
            if (arg.Kind == vkRef || arg.Kind == vkArea) return s.PushNumber(1), true;
            if (arg.Kind == vkAreaList) return s.PushNumber(static_cast<double>(arg.List->size())), true;
            return PushArgumentError(s, arg), true;
        }
        case fnRows:
        case fnColumns: Size(s, id == fnRows); return true;
        case fnAddress: Address(s, argCount); return true;
        case fnCell: Cell(s, argCount); return true;
        case fnErrorType: {
            const TXLSFormulaValue arg = s.PopArgument();
            const bool single = arg.Kind == vkValue || arg.Kind == vkRef;
            if (single && arg.ValType == fvtError && arg.BoolErr >= errNull && arg.BoolErr <= errGettingData)
                return s.PushNumber(arg.BoolErr), true;
            return s.PushError(errNA), true;
        }
        case fnInfo: {
            std::u16string text;
            if (!s.PopArgString(text, false)) return true;
            if (AsciiLower(text) == u"pig") return s.PushString(u"Oink!"), true;
            return s.PushError(errNA), true;
        }
        case fnType: Type(s); return true;
        case fnIfError: IfError(s); return true;
        default: return false;
    }
}

}  // namespace xls
