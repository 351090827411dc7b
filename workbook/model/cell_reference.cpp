#include "workbook/model/cell_reference.h"

#include "workbook/model/exceptions.h"

namespace xls {
namespace {

// Enough for "$" + 7 letters (any int column) + "$" + 10 digits.
constexpr int BufferSize = 24;

[[noreturn]] void InvalidReference() { throw EXLSError("Invalid cell reference"); }

inline bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
inline bool IsUpper(char16_t c) { return c >= u'A' && c <= u'Z'; }

// Writes the column letters ending at end (exclusive); returns the first written position.
// 0-25 one letter, 26-701 two, 702-18277 three (A, AA, AAA), on in base 26 beyond.
char16_t* PutColumn(char16_t* end, int col) {
    if (col < 0) InvalidReference();
    unsigned n = static_cast<unsigned>(col);
    do {
        *--end = static_cast<char16_t>(u'A' + n % 26);
        n = n / 26;
    } while (n-- > 0);
    return end;
}

char16_t* PutNumber(char16_t* end, unsigned value) {
    do {
        *--end = static_cast<char16_t>(u'0' + value % 10);
        value /= 10;
    } while (value > 0);
    return end;
}

// Writes one cell ending at end; returns its first position.
char16_t* PutCell(char16_t* end, int col, int row, bool colAbs, bool rowAbs) {
    if (row < 0) InvalidReference();
    char16_t* p = PutNumber(end, static_cast<unsigned>(row) + 1u);
    if (rowAbs) *--p = u'$';
    p = PutColumn(p, col);
    if (colAbs) *--p = u'$';
    return p;
}

std::u16string Cell(int col, int row, bool colAbs, bool rowAbs) {
    char16_t buffer[BufferSize];
    char16_t* const end = buffer + BufferSize;
    char16_t* start = PutCell(end, col, row, colAbs, rowAbs);
    return std::u16string(start, end);
}

std::u16string Area(int col1, int row1, int col2, int row2, bool col1Abs, bool row1Abs, bool col2Abs, bool row2Abs) {
    char16_t buffer[2 * BufferSize + 1];
    char16_t* const end = buffer + sizeof buffer / sizeof buffer[0];
    char16_t* p = PutCell(end, col2, row2, col2Abs, row2Abs);
    *--p = u':';
    p = PutCell(p, col1, row1, col1Abs, row1Abs);
    return std::u16string(p, end);
}

// Letters A-Z, 1 to 3 of them (more can never be inside either grid): column 0..maxCol.
bool ParseLetters(std::u16string_view letters, int maxCol, int& col) {
    if (letters.empty() || letters.size() > 3) return false;
    int value = 0;
    for (char16_t c : letters) {
        if (!IsUpper(c)) return false;
        value = value * 26 + (c - u'A' + 1);
    }
    if (value - 1 > maxCol) return false;
    col = value - 1;
    return true;
}

// Digits (at least one; leading zeros allowed): the number minus 1, 0..maxRow. Stops as soon
// as the number is past the grid, so any length is safe.
bool ParseRowDigits(std::u16string_view digits, int maxRow, int& row) {
    if (digits.empty()) return false;
    long long value = 0;
    for (char16_t c : digits) {
        if (!IsDigit(c)) return false;
        value = value * 10 + (c - u'0');
        if (value > static_cast<long long>(maxRow) + 1) return false;
    }
    if (value < 1) return false;
    row = static_cast<int>(value - 1);
    return true;
}

// One A1 cell, read from the end of the text.
bool ParseCell(std::u16string_view text, int maxCol, int maxRow, int& col, int& row, bool& colAbs, bool& rowAbs) {
    size_t i = text.size();
    while (i > 0 && IsDigit(text[i - 1])) --i;
    const size_t digitsStart = i;
    if (digitsStart == text.size()) return false;
    bool ra = false;
    if (i > 0 && text[i - 1] == u'$') {
        ra = true;
        --i;
    }
    const size_t lettersEnd = i;
    while (i > 0 && IsUpper(text[i - 1])) --i;
    const size_t lettersStart = i;
    bool ca = false;
    if (i > 0 && text[i - 1] == u'$') {
        ca = true;
        --i;
    }
    if (i != 0) return false;  // nothing else may precede
    int c = 0;
    int r = 0;
    if (!ParseLetters(text.substr(lettersStart, lettersEnd - lettersStart), maxCol, c)) return false;
    if (!ParseRowDigits(text.substr(digitsStart), maxRow, r)) return false;
    col = c;
    row = r;
    colAbs = ca;
    rowAbs = ra;
    return true;
}

bool ParseColText(std::u16string_view text, int maxCol, int& col) {
    if (!text.empty() && text[0] == u'$') text.remove_prefix(1);
    return ParseLetters(text, maxCol, col);
}

bool ParseRowText(std::u16string_view text, int maxRow, int& row) {
    if (!text.empty() && text[0] == u'$') text.remove_prefix(1);
    return ParseRowDigits(text, maxRow, row);
}

bool ParseArea(std::u16string_view text, int maxCol, int maxRow, int& col1, int& row1, int& col2, int& row2) {
    bool a = false, b = false, c = false, d = false;
    int c1 = 0, r1 = 0, c2 = 0, r2 = 0;
    const size_t colon = text.find(u':');
    if (colon == std::u16string_view::npos) {
        if (!ParseCell(text, maxCol, maxRow, c1, r1, a, b)) return false;
        col1 = col2 = c1;
        row1 = row2 = r1;
        return true;
    }
    const std::u16string_view first = text.substr(0, colon);
    const std::u16string_view second = text.substr(colon + 1);
    if (ParseCell(first, maxCol, maxRow, c1, r1, a, b) && ParseCell(second, maxCol, maxRow, c2, r2, c, d)) {
        col1 = c1, row1 = r1, col2 = c2, row2 = r2;
        return true;
    }
    if (ParseColText(first, maxCol, c1) && ParseColText(second, maxCol, c2)) {
        if (c2 < c1) return false;
        col1 = c1, col2 = c2, row1 = 0, row2 = maxRow;
        return true;
    }
    if (ParseRowText(first, maxRow, r1) && ParseRowText(second, maxRow, r2)) {
        if (r2 < r1) return false;
        row1 = r1, row2 = r2, col1 = 0, col2 = maxCol;
        return true;
    }
    return false;
}

// --- R1C1 ---

inline char16_t UpperAscii(char16_t c) { return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c; }

// Optional sign, then digits (at least one). The magnitude is capped at limit + 1, which is
// enough to tell "too large" while never overflowing.
bool ParseSigned(std::u16string_view text, long long limit, long long& value) {
    bool negative = false;
    if (!text.empty() && (text[0] == u'+' || text[0] == u'-')) {
        negative = text[0] == u'-';
        text.remove_prefix(1);
    }
    if (text.empty()) return false;
    long long v = 0;
    for (char16_t c : text) {
        if (!IsDigit(c)) return false;
        v = v * 10 + (c - u'0');
        if (v > limit + 1) v = limit + 1;
    }
    value = negative ? -v : v;
    return true;
}

// The number part after "R" or "C": empty = offset 0 relative; "[n]" = offset n relative;
// "n" = absolute n - 1.
bool ParseR1C1Part(std::u16string_view part, int max, int& value, bool& relative) {
    if (part.empty()) {
        value = 0;
        relative = true;
        return true;
    }
    long long n = 0;
    if (part.front() == u'[') {
        if (part.size() < 2 || part.back() != u']') return false;
        if (!ParseSigned(part.substr(1, part.size() - 2), max, n) || n > max || n < -max) return false;
        value = static_cast<int>(n);
        relative = true;
        return true;
    }
    if (!ParseSigned(part, static_cast<long long>(max) + 1, n) || n < 1 || n > static_cast<long long>(max) + 1)
        return false;
    value = static_cast<int>(n - 1);
    relative = false;
    return true;
}

struct TR1C1Cell {
    int Col = -1;
    int Row = -1;
    bool ColRel = false;
    bool RowRel = false;
    bool ColGiven = false;
    bool RowGiven = false;
};

bool ParseR1C1Cell(std::u16string_view text, TR1C1Cell& cell) {
    if (text.empty()) return false;
    size_t cPos = std::u16string_view::npos;
    for (size_t i = 0; i < text.size(); ++i)
        if (UpperAscii(text[i]) == u'C') {
            cPos = i;
            break;
        }
    TR1C1Cell result;
    std::u16string_view rowPart, colPart;
    bool hasRow = false, hasCol = false;
    if (cPos == std::u16string_view::npos) {
        if (UpperAscii(text[0]) != u'R') return false;
        rowPart = text.substr(1);
        hasRow = true;
    } else if (cPos == 0) {
        colPart = text.substr(1);
        hasCol = true;
    } else {
        if (UpperAscii(text[0]) != u'R') return false;
        rowPart = text.substr(1, cPos - 1);
        colPart = text.substr(cPos + 1);
        hasRow = hasCol = true;
    }
    if (hasRow) {
        if (!ParseR1C1Part(rowPart, XLSMaxRow, result.Row, result.RowRel)) return false;
        result.RowGiven = true;
    }
    if (hasCol) {
        if (!ParseR1C1Part(colPart, XLSMaxCol, result.Col, result.ColRel)) return false;
        result.ColGiven = true;
    }
    cell = result;
    return true;
}

void PutR1C1Part(std::u16string& out, char16_t letter, int value, bool relative) {
    out += letter;
    if (relative) {
        if (value == 0) return;
        out += u'[';
        const std::string digits = std::to_string(value);
        out.append(digits.begin(), digits.end());
        out += u']';
        return;
    }
    if (value < 0) InvalidReference();
    const std::string digits = std::to_string(static_cast<long long>(value) + 1);
    out.append(digits.begin(), digits.end());
}

}  // namespace

std::u16string ColToRefStr(int col) {
    char16_t buffer[BufferSize];
    char16_t* const end = buffer + BufferSize;
    char16_t* start = PutColumn(end, col);
    return std::u16string(start, end);
}

std::u16string ColRowToRefStr(int col, int row) { return Cell(col, row, false, false); }

std::u16string ColRowToRefStrAbs(int col, int row, bool colAbs, bool rowAbs) { return Cell(col, row, colAbs, rowAbs); }

std::u16string AreaToRefStr(int col1, int row1, int col2, int row2) {
    return Area(col1, row1, col2, row2, false, false, false, false);
}

std::u16string AreaToRefStrAbs(int col1, int row1, int col2, int row2, bool col1Abs, bool row1Abs, bool col2Abs,
                               bool row2Abs) {
    return Area(col1, row1, col2, row2, col1Abs, row1Abs, col2Abs, row2Abs);
}

std::u16string ColRowFlagsToRefStr(int32_t col, int32_t row) {
    const uint32_t r = static_cast<uint32_t>(row);
    return Cell(col & ~ColAbsFlag, static_cast<int>(r & ~RowAbsFlag), (col & ColAbsFlag) != 0, (r & RowAbsFlag) != 0);
}

std::u16string AreaFlagsToRefStr(int32_t col1, int32_t row1, int32_t col2, int32_t row2) {
    const uint32_t r1 = static_cast<uint32_t>(row1);
    const uint32_t r2 = static_cast<uint32_t>(row2);
    return Area(col1 & ~ColAbsFlag, static_cast<int>(r1 & ~RowAbsFlag), col2 & ~ColAbsFlag,
                static_cast<int>(r2 & ~RowAbsFlag), (col1 & ColAbsFlag) != 0, (r1 & RowAbsFlag) != 0,
                (col2 & ColAbsFlag) != 0, (r2 & RowAbsFlag) != 0);
}

bool RefStrToColRow(std::u16string_view text, int& col, int& row) {
    bool colAbs = false, rowAbs = false;
    return ParseCell(text, XLSMaxCol, XLSMaxRow, col, row, colAbs, rowAbs);
}

bool RefStrToColRowAbs(std::u16string_view text, int& col, int& row, bool& colAbs, bool& rowAbs) {
    // The original converted the row strictly and raised for a bad number; a parser that
    // answers true or false answers false instead.
    return ParseCell(text, XLSMaxCol, XLSMaxRow, col, row, colAbs, rowAbs);
}

bool ColStrToCol(std::u16string_view text, int& col) { return ParseColText(text, XLSMaxCol, col); }

bool RowStrToRow(std::u16string_view text, int& row) { return ParseRowText(text, XLSMaxRow, row); }

bool AreaStrToColRow(std::u16string_view text, int& col1, int& row1, int& col2, int& row2) {
    const size_t bang = text.find(u'!');
    if (bang != std::u16string_view::npos && bang >= 1) text.remove_prefix(bang + 1);
    return ParseArea(text, XLSMaxCol, XLSMaxRow, col1, row1, col2, row2);
}

bool AreaStrToColRowAbs(std::u16string_view text, int& col1, int& row1, int& col2, int& row2, bool& col1Abs,
                        bool& row1Abs, bool& col2Abs, bool& row2Abs) {
    const size_t colon = text.find(u':');
    if (colon == std::u16string_view::npos) return false;
    int c1, r1, c2, r2;
    bool a1, b1, a2, b2;
    if (!ParseCell(text.substr(0, colon), XLSMaxCol, XLSMaxRow, c1, r1, a1, b1)) return false;
    if (!ParseCell(text.substr(colon + 1), XLSMaxCol, XLSMaxRow, c2, r2, a2, b2)) return false;
    col1 = c1, row1 = r1, col2 = c2, row2 = r2;
    col1Abs = a1, row1Abs = b1, col2Abs = a2, row2Abs = b2;
    return true;
}

bool RefStrToColRow97(std::u16string_view text, int& col, int& row) {
    bool colAbs = false, rowAbs = false;
    return ParseCell(text, XLSMaxCol97, XLSMaxRow97, col, row, colAbs, rowAbs);
}

bool ColStrToCol97(std::u16string_view text, int& col) { return ParseColText(text, XLSMaxCol97, col); }

bool RowStrToRow97(std::u16string_view text, int& row) { return ParseRowText(text, XLSMaxRow97, row); }

bool AreaStrToColRow97(std::u16string_view text, int& col1, int& row1, int& col2, int& row2) {
    return ParseArea(text, XLSMaxCol97, XLSMaxRow97, col1, row1, col2, row2);
}

bool R1C1RefStrToColRow(std::u16string_view text, int& col, int& row, bool& colRel, bool& rowRel) {
    TR1C1Cell cell;
    if (!ParseR1C1Cell(text, cell)) return false;
    col = cell.Col;
    row = cell.Row;
    colRel = cell.ColRel;
    rowRel = cell.RowRel;
    return true;
}

bool R1C1AreaStrToColRow(std::u16string_view text, int& col1, int& row1, int& col2, int& row2, bool& col1Rel,
                         bool& row1Rel, bool& col2Rel, bool& row2Rel) {
    TR1C1Cell a, b;
    const size_t colon = text.find(u':');
    if (colon != std::u16string_view::npos && colon >= 1) {
        if (!ParseR1C1Cell(text.substr(0, colon), a) || !ParseR1C1Cell(text.substr(colon + 1), b)) return false;
    } else {
        if (!ParseR1C1Cell(text, a)) return false;
        b = a;
    }
    // A part not given spans the grid. The original tested for -1, which a relative offset of
    // -1 ("R[-1]") also is; the given flags keep the two apart.
    if (!a.ColGiven) a.Col = 0, a.ColRel = false;
    if (!a.RowGiven) a.Row = 0, a.RowRel = false;
    if (!b.ColGiven) b.Col = XLSMaxCol, b.ColRel = false;
    if (!b.RowGiven) b.Row = XLSMaxRow, b.RowRel = false;
    col1 = a.Col, row1 = a.Row, col2 = b.Col, row2 = b.Row;
    col1Rel = a.ColRel, row1Rel = a.RowRel, col2Rel = b.ColRel, row2Rel = b.RowRel;
    return true;
}

std::u16string ColRowToR1C1RefStr(int col, int row, bool colRel, bool rowRel) {
    std::u16string out;
    PutR1C1Part(out, u'R', row, rowRel);
    PutR1C1Part(out, u'C', col, colRel);
    return out;
}

std::u16string AreaToR1C1RefStr(int col1, int row1, int col2, int row2, bool col1Rel, bool row1Rel, bool col2Rel,
                                bool row2Rel) {
    std::u16string out = ColRowToR1C1RefStr(col1, row1, col1Rel, row1Rel);
    out += u':';
    out += ColRowToR1C1RefStr(col2, row2, col2Rel, row2Rel);
    return out;
}

}  // namespace xls
