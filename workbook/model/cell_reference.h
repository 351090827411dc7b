#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace xls {

// Cell references in A1 and R1C1 text. Columns and rows are 0-based.
//
// The parsers answer true or false: any text that is not a reference, is too long, or lies
// outside the grid answers false (they never raise and never read past the text). Their
// results are written only when they answer true. The writers raise EXLSError for a negative
// column or row.

// The model grid: columns A..XFD, rows 1..1,048,576.
constexpr int XLSMaxCol = 16383;
constexpr int XLSMaxRow = 1048575;
// The BIFF8 grid: columns A..IV, rows 1..65,536.
constexpr int XLSMaxCol97 = 255;
constexpr int XLSMaxRow97 = 65535;

// Packed absolute flags of the formula engine: bit 15 of a column, bit 31 of a row.
constexpr int32_t ColAbsFlag = 0x8000;
constexpr uint32_t RowAbsFlag = 0x80000000u;

// --- Writing (A1) ---

// Column letters: 0 "A", 25 "Z", 26 "AA", 701 "ZZ", 702 "AAA", 16383 "XFD".
std::u16string ColToRefStr(int col);
// Letters followed by row + 1 ("A1").
std::u16string ColRowToRefStr(int col, int row);
// "$" before the letters when colAbs and before the number when rowAbs.
std::u16string ColRowToRefStrAbs(int col, int row, bool colAbs, bool rowAbs);
// Both corners joined by ":", also for a one-cell area ("A1:A1").
std::u16string AreaToRefStr(int col1, int row1, int col2, int row2);
std::u16string AreaToRefStrAbs(int col1, int row1, int col2, int row2, bool col1Abs, bool row1Abs, bool col2Abs,
                               bool row2Abs);
// Flags from bit 15 of each column and bit 31 of each row, cleared before formatting.
std::u16string ColRowFlagsToRefStr(int32_t col, int32_t row);
std::u16string AreaFlagsToRefStr(int32_t col1, int32_t row1, int32_t col2, int32_t row2);

// --- Parsing (A1), model grid ---

// One cell, the whole text: optional "$", letters A-Z (upper case only), optional "$", digits.
bool RefStrToColRow(std::u16string_view text, int& col, int& row);
bool RefStrToColRowAbs(std::u16string_view text, int& col, int& row, bool& colAbs, bool& rowAbs);
// Letters with an optional leading "$" (0..16383).
bool ColStrToCol(std::u16string_view text, int& col);
// Digits with an optional leading "$"; the number minus 1 (0..1,048,575).
bool RowStrToRow(std::u16string_view text, int& row);
// A cell or "cell:cell", after dropping a sheet prefix up to the first "!" (at position 2 or
// later); or whole columns "A:B" (Col2 >= Col1) or whole rows "3:5" (Row2 >= Row1). A
// cell:cell area is returned as written (corners not ordered).
bool AreaStrToColRow(std::u16string_view text, int& col1, int& row1, int& col2, int& row2);
// "cell:cell" only, each half through RefStrToColRowAbs; no sheet prefix, no whole rows or
// columns.
bool AreaStrToColRowAbs(std::u16string_view text, int& col1, int& row1, int& col2, int& row2, bool& col1Abs,
                        bool& row1Abs, bool& col2Abs, bool& row2Abs);

// --- Parsing (A1), BIFF8 grid: the same rules, without the sheet-prefix step ---

bool RefStrToColRow97(std::u16string_view text, int& col, int& row);
bool ColStrToCol97(std::u16string_view text, int& col);
bool RowStrToRow97(std::u16string_view text, int& row);
bool AreaStrToColRow97(std::u16string_view text, int& col1, int& row1, int& col2, int& row2);

// --- R1C1 ---

// One cell: "R", "R2", "R[-1]", "C", "C3", "C[2]", "RC", "R2C3", "R[1]C[-1]" (letters in either
// case). A plain number n is absolute and gives n - 1 (n from 1 to the grid size); a number in
// brackets is a relative offset (its magnitude at most the grid's last index) and sets the
// part's Rel flag. A part that is not given comes back as -1 with its Rel flag false, which no
// given part can be (absolute values are never negative, and -1 offsets carry the flag).
bool R1C1RefStrToColRow(std::u16string_view text, int& col, int& row, bool& colRel, bool& rowRel);
// One cell, or two split at a ":" at position 2 or later. A part not given becomes the whole
// extent (Col1 0, Row1 0, Col2 16,383, Row2 1,048,575, absolute): "R" is the current row, "C2"
// the second column.
bool R1C1AreaStrToColRow(std::u16string_view text, int& col1, int& row1, int& col2, int& row2, bool& col1Rel,
                         bool& row1Rel, bool& col2Rel, bool& row2Rel);

// Writing R1C1: a relative part as "[n]" ("" for 0), an absolute one as n + 1.
std::u16string ColRowToR1C1RefStr(int col, int row, bool colRel, bool rowRel);
std::u16string AreaToR1C1RefStr(int col1, int row1, int col2, int row2, bool col1Rel, bool row1Rel, bool col2Rel,
                                bool row2Rel);

}  // namespace xls
