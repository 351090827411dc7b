#include <gtest/gtest.h>

#include <string>

#include "test_util.h"
#include "workbook/model/cell_error.h"
#include "workbook/model/cell_reference.h"
#include "workbook/model/exceptions.h"

namespace xls {
namespace {

using test::U8;

TEST(CellReference, ColumnLetters) {
    struct Case {
        int Col;
        const char* Letters;
    };
    const Case cases[] = {{0, "A"},       {25, "Z"},      {26, "AA"},     {51, "AZ"},  {52, "BA"},
                          {701, "ZZ"},    {702, "AAA"},   {255, "IV"},    {256, "IW"}, {16383, "XFD"},
                          {16384, "XFE"}, {18277, "ZZZ"}, {18278, "AAAA"}};
    for (const Case& c : cases) EXPECT_EQ(U8(ColToRefStr(c.Col)), c.Letters) << c.Col;
    EXPECT_THROW(ColToRefStr(-1), EXLSError);
}

TEST(CellReference, Writing) {
    EXPECT_EQ(U8(ColRowToRefStr(25, 0)), "Z1");
    EXPECT_EQ(U8(ColRowToRefStr(26, 0)), "AA1");
    EXPECT_EQ(U8(ColRowToRefStr(701, 0)), "ZZ1");
    EXPECT_EQ(U8(ColRowToRefStr(702, 0)), "AAA1");
    EXPECT_EQ(U8(ColRowToRefStr(16383, 1048575)), "XFD1048576");
    EXPECT_EQ(U8(ColRowToRefStrAbs(1, 2, true, false)), "$B3");
    EXPECT_EQ(U8(ColRowToRefStrAbs(1, 2, false, true)), "B$3");
    EXPECT_EQ(U8(ColRowToRefStrAbs(1, 2, true, true)), "$B$3");
    EXPECT_EQ(U8(AreaToRefStr(0, 0, 0, 0)), "A1:A1");
    EXPECT_EQ(U8(AreaToRefStr(1, 1, 2, 2)), "B2:C3");
    EXPECT_EQ(U8(AreaToRefStrAbs(0, 0, 16383, 1048575, true, true, true, true)), "$A$1:$XFD$1048576");
    EXPECT_EQ(U8(AreaToRefStrAbs(0, 0, 3, 3, false, true, true, false)), "A$1:$D4");
    EXPECT_EQ(U8(ColRowFlagsToRefStr(0x8001, static_cast<int32_t>(0x80000004u))), "$B$5");
    EXPECT_EQ(U8(ColRowFlagsToRefStr(0x0001, static_cast<int32_t>(0x80000004u))), "B$5");
    EXPECT_EQ(U8(ColRowFlagsToRefStr(0x8001, 4)), "$B5");
    EXPECT_EQ(U8(AreaFlagsToRefStr(0x8000, 0, 2, static_cast<int32_t>(0x80000009u))), "$A1:C$10");
    EXPECT_THROW(ColRowToRefStr(0, -1), EXLSError);
    EXPECT_THROW(ColRowToRefStr(-1, 0), EXLSError);
}

struct TCellCase {
    const char16_t* Text;
    bool Ok;
    int Col = 0, Row = 0;
    bool ColAbs = false, RowAbs = false;
};

TEST(CellReference, ParsingOneCell) {
    const TCellCase cases[] = {
        {u"A1", true, 0, 0, false, false},
        {u"$XFD$1048576", true, 16383, 1048575, true, true},
        {u"XFD1048576", true, 16383, 1048575, false, false},
        {u"$B3", true, 1, 2, true, false},
        {u"B$3", true, 1, 2, false, true},
        {u"A0001", true, 0, 0, false, false},
        {u"XFE1", false},
        {u"A1048577", false},
        {u"a1", false},
        {u"A1B", false},
        {u"A0", false},
        {u"A", false},
        {u"1", false},
        {u"", false},
        {u"$", false},
        {u"$$A1", false},
        {u"A$$1", false},
        {u"x$A1", false},
        {u" A1", false},
        {u"A1 ", false},
        {u"AAAA1", false},
        {u"A99999999999999999999999999999999", false},
        {u"ZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZ1", false},
        {u"A-1", false},
        {u"A1:B2", false},
        {u"Sheet1!A1", false},
        {u"\uFF21\uFF11", false},
    };
    for (const TCellCase& c : cases) {
        int col = -9, row = -9;
        bool colAbs = false, rowAbs = false;
        EXPECT_EQ(RefStrToColRowAbs(c.Text, col, row, colAbs, rowAbs), c.Ok) << U8(c.Text);
        if (c.Ok) {
            EXPECT_EQ(col, c.Col) << U8(c.Text);
            EXPECT_EQ(row, c.Row) << U8(c.Text);
            EXPECT_EQ(colAbs, c.ColAbs) << U8(c.Text);
            EXPECT_EQ(rowAbs, c.RowAbs) << U8(c.Text);
        } else {
            // Nothing is written when the answer is false.
            EXPECT_EQ(col, -9);
            EXPECT_EQ(row, -9);
        }
        col = row = -9;
        EXPECT_EQ(RefStrToColRow(c.Text, col, row), c.Ok) << U8(c.Text);
    }
}

TEST(CellReference, ParsingBIFF8Cells) {
    int col = 0, row = 0;
    EXPECT_TRUE(RefStrToColRow97(u"IV65536", col, row));
    EXPECT_EQ(col, 255);
    EXPECT_EQ(row, 65535);
    EXPECT_TRUE(RefStrToColRow97(u"$A$1", col, row));
    EXPECT_FALSE(RefStrToColRow97(u"IW1", col, row));
    EXPECT_FALSE(RefStrToColRow97(u"A65537", col, row));
    EXPECT_FALSE(RefStrToColRow97(u"XFD1", col, row));
}

TEST(CellReference, ColumnAndRowTexts) {
    int col = -1, row = -1;
    EXPECT_TRUE(ColStrToCol(u"A", col));
    EXPECT_EQ(col, 0);
    EXPECT_TRUE(ColStrToCol(u"$XFD", col));
    EXPECT_EQ(col, 16383);
    EXPECT_FALSE(ColStrToCol(u"XFE", col));
    EXPECT_FALSE(ColStrToCol(u"", col));
    EXPECT_FALSE(ColStrToCol(u"$", col));
    EXPECT_FALSE(ColStrToCol(u"a", col));
    EXPECT_FALSE(ColStrToCol(u"A1", col));
    EXPECT_FALSE(ColStrToCol(u"$$A", col));
    EXPECT_TRUE(ColStrToCol97(u"IV", col));
    EXPECT_EQ(col, 255);
    EXPECT_FALSE(ColStrToCol97(u"IW", col));

    EXPECT_TRUE(RowStrToRow(u"1", row));
    EXPECT_EQ(row, 0);
    EXPECT_TRUE(RowStrToRow(u"$1048576", row));
    EXPECT_EQ(row, 1048575);
    EXPECT_FALSE(RowStrToRow(u"1048577", row));
    EXPECT_FALSE(RowStrToRow(u"0", row));
    EXPECT_FALSE(RowStrToRow(u"", row));
    EXPECT_FALSE(RowStrToRow(u"$", row));
    EXPECT_FALSE(RowStrToRow(u"-1", row));
    EXPECT_FALSE(RowStrToRow(u"1A", row));
    EXPECT_FALSE(RowStrToRow(u"99999999999999999999999", row));
    EXPECT_TRUE(RowStrToRow97(u"65536", row));
    EXPECT_FALSE(RowStrToRow97(u"65537", row));
}

struct TAreaCase {
    const char16_t* Text;
    bool Ok;
    int Col1 = 0, Row1 = 0, Col2 = 0, Row2 = 0;
};

TEST(CellReference, ParsingAreas) {
    const TAreaCase cases[] = {
        {u"Sheet1!B2:C3", true, 1, 1, 2, 2},
        {u"A:B", true, 0, 0, 1, 1048575},
        {u"$A:$B", true, 0, 0, 1, 1048575},
        {u"3:5", true, 0, 2, 16383, 4},
        {u"$3:$5", true, 0, 2, 16383, 4},
        {u"B:A", false},
        {u"5:3", false},
        {u"A:A", true, 0, 0, 0, 1048575},
        {u"A1", true, 0, 0, 0, 0},
        {u"$B$2", true, 1, 1, 1, 1},
        {u"B2:A1", true, 1, 1, 0, 0},  // as written, not ordered
        {u"A1:B2:C3", false},
        {u"A1:", false},
        {u":A1", false},
        {u"A1:B", false},
        {u"A:1", false},
        {u"A", false},
        {u"1", false},
        {u"", false},
        {u":", false},
        {u"!A1", false},  // a "!" at position 1 is no sheet prefix
        {u"S!A1", true, 0, 0, 0, 0},
        {u"'My Sheet'!A1:B2", true, 0, 0, 1, 1},
        {u"a!b!A1", false},  // only up to the first "!"
        {u"Sheet1!", false},
        {u"A:XFE", false},
        {u"1:1048577", false},
        {u"0:3", false},
    };
    for (const TAreaCase& c : cases) {
        int c1 = -9, r1 = -9, c2 = -9, r2 = -9;
        EXPECT_EQ(AreaStrToColRow(c.Text, c1, r1, c2, r2), c.Ok) << U8(c.Text);
        if (c.Ok) {
            EXPECT_EQ(c1, c.Col1) << U8(c.Text);
            EXPECT_EQ(r1, c.Row1) << U8(c.Text);
            EXPECT_EQ(c2, c.Col2) << U8(c.Text);
            EXPECT_EQ(r2, c.Row2) << U8(c.Text);
        } else {
            EXPECT_EQ(c1, -9) << U8(c.Text);
        }
    }
}

TEST(CellReference, ParsingBIFF8Areas) {
    int c1, r1, c2, r2;
    EXPECT_TRUE(AreaStrToColRow97(u"A:B", c1, r1, c2, r2));
    EXPECT_EQ(r2, 65535);
    EXPECT_TRUE(AreaStrToColRow97(u"3:5", c1, r1, c2, r2));
    EXPECT_EQ(c2, 255);
    EXPECT_FALSE(AreaStrToColRow97(u"Sheet1!A1", c1, r1, c2, r2));  // no sheet prefix step
    EXPECT_FALSE(AreaStrToColRow97(u"A1:IW2", c1, r1, c2, r2));
    EXPECT_TRUE(AreaStrToColRow97(u"A1:IV65536", c1, r1, c2, r2));
}

TEST(CellReference, ParsingAbsoluteAreas) {
    int c1, r1, c2, r2;
    bool a1, b1, a2, b2;
    EXPECT_TRUE(AreaStrToColRowAbs(u"$A1:B$2", c1, r1, c2, r2, a1, b1, a2, b2));
    EXPECT_EQ(c1, 0);
    EXPECT_EQ(r2, 1);
    EXPECT_TRUE(a1);
    EXPECT_FALSE(b1);
    EXPECT_FALSE(a2);
    EXPECT_TRUE(b2);
    EXPECT_FALSE(AreaStrToColRowAbs(u"A1", c1, r1, c2, r2, a1, b1, a2, b2));  // ":" required
    EXPECT_FALSE(AreaStrToColRowAbs(u"A:B", c1, r1, c2, r2, a1, b1, a2, b2));
    EXPECT_FALSE(AreaStrToColRowAbs(u"Sheet1!A1:B2", c1, r1, c2, r2, a1, b1, a2, b2));
    // The original raised a conversion error for a bad row number; this parser answers false.
    EXPECT_FALSE(AreaStrToColRowAbs(u"A1:B99999999999999999999", c1, r1, c2, r2, a1, b1, a2, b2));
}

struct TR1C1Case {
    const char16_t* Text;
    bool Ok;
    int Col = 0, Row = 0;
    bool ColRel = false, RowRel = false;
};

TEST(CellReference, R1C1Cells) {
    const TR1C1Case cases[] = {
        {u"R[-1]C", true, 0, -1, true, true},
        {u"R2C3", true, 2, 1, false, false},
        {u"r2c3", true, 2, 1, false, false},
        {u"RC", true, 0, 0, true, true},
        {u"R", true, -1, 0, false, true},  // no column given
        {u"C", true, 0, -1, true, false},  // no row given
        {u"C2", true, 1, -1, false, false},
        {u"R5", true, -1, 4, false, false},
        {u"R[2]C[-3]", true, -3, 2, true, true},
        {u"R[+2]C[0]", true, 0, 2, true, true},
        {u"R1048576C16384", true, 16383, 1048575, false, false},
        {u"R[1048575]C[-16383]", true, -16383, 1048575, true, true},
        {u"R1048577C1", false},
        {u"R1C16385", false},
        {u"R0C1", false},
        {u"R-1C1", false},
        {u"R[1048576]C", false},
        {u"RC[16384]", false},
        {u"R[]C", false},
        {u"R[C", false},
        {u"R[1", false},
        {u"R1]", false},
        {u"R[1]]C", false},
        {u"R[--1]C", false},
        {u"R99999999999999999999999C1", false},
        {u"R[99999999999999999999999]C1", false},
        {u"", false},
        {u"X", false},
        {u"1", false},
        {u"C1R1", false},
        {u"RCC", false},
        {u"R1 C1", false},
        {u"A1", false},
    };
    for (const TR1C1Case& c : cases) {
        int col = -9, row = -9;
        bool colRel = false, rowRel = false;
        EXPECT_EQ(R1C1RefStrToColRow(c.Text, col, row, colRel, rowRel), c.Ok) << U8(c.Text);
        if (c.Ok) {
            EXPECT_EQ(col, c.Col) << U8(c.Text);
            EXPECT_EQ(row, c.Row) << U8(c.Text);
            EXPECT_EQ(colRel, c.ColRel) << U8(c.Text);
            EXPECT_EQ(rowRel, c.RowRel) << U8(c.Text);
        } else {
            EXPECT_EQ(col, -9) << U8(c.Text);
        }
    }
}

struct TR1C1AreaCase {
    const char16_t* Text;
    bool Ok;
    int Col1 = 0, Row1 = 0, Col2 = 0, Row2 = 0;
    bool Col1Rel = false, Row1Rel = false, Col2Rel = false, Row2Rel = false;
};

TEST(CellReference, R1C1Areas) {
    const TR1C1AreaCase cases[] = {
        {u"R", true, 0, 0, 16383, 0, false, true, false, true},       // the current row
        {u"C2", true, 1, 0, 1, 1048575, false, false, false, false},  // the second column
        {u"R1C1:R2C2", true, 0, 0, 1, 1, false, false, false, false},
        {u"R1:R3", true, 0, 0, 16383, 2, false, false, false, false},
        {u"C[-1]:C[1]", true, -1, 0, 1, 1048575, true, false, true, false},
        // A relative offset of -1 is a given part, not "missing" (the original mixed them up).
        {u"R[-1]C[-1]", true, -1, -1, -1, -1, true, true, true, true},
        {u"R[-1]", true, 0, -1, 16383, -1, false, true, false, true},
        {u"RC", true, 0, 0, 0, 0, true, true, true, true},
        {u":R1", false},
        {u"R1:", false},
        {u"R1:X", false},
        {u"", false},
    };
    for (const TR1C1AreaCase& c : cases) {
        int c1 = -9, r1 = -9, c2 = -9, r2 = -9;
        bool a1 = false, b1 = false, a2 = false, b2 = false;
        EXPECT_EQ(R1C1AreaStrToColRow(c.Text, c1, r1, c2, r2, a1, b1, a2, b2), c.Ok) << U8(c.Text);
        if (!c.Ok) continue;
        EXPECT_EQ(c1, c.Col1) << U8(c.Text);
        EXPECT_EQ(r1, c.Row1) << U8(c.Text);
        EXPECT_EQ(c2, c.Col2) << U8(c.Text);
        EXPECT_EQ(r2, c.Row2) << U8(c.Text);
        EXPECT_EQ(a1, c.Col1Rel) << U8(c.Text);
        EXPECT_EQ(b1, c.Row1Rel) << U8(c.Text);
        EXPECT_EQ(a2, c.Col2Rel) << U8(c.Text);
        EXPECT_EQ(b2, c.Row2Rel) << U8(c.Text);
    }
}

TEST(CellReference, R1C1Writing) {
    EXPECT_EQ(U8(ColRowToR1C1RefStr(2, 1, false, false)), "R2C3");
    EXPECT_EQ(U8(ColRowToR1C1RefStr(0, -1, true, true)), "R[-1]C");
    EXPECT_EQ(U8(ColRowToR1C1RefStr(-3, 2, true, true)), "R[2]C[-3]");
    EXPECT_EQ(U8(AreaToR1C1RefStr(0, 0, 1, 1, false, false, false, false)), "R1C1:R2C2");
    EXPECT_THROW(ColRowToR1C1RefStr(-1, 0, false, false), EXLSError);
    // Round trips.
    for (int col : {0, 1, 255, 16383})
        for (int row : {0, 7, 65535, 1048575})
            for (bool rel : {false, true}) {
                const int c = rel ? col / 2 - 100 : col;
                const int r = rel ? -row / 2 : row;
                int c2, r2;
                bool cr, rr;
                const std::u16string text = ColRowToR1C1RefStr(c, r, rel, rel);
                ASSERT_TRUE(R1C1RefStrToColRow(text, c2, r2, cr, rr)) << U8(text);
                EXPECT_EQ(c2, c);
                EXPECT_EQ(r2, r);
                EXPECT_EQ(cr, rel);
                EXPECT_EQ(rr, rel);
            }
}

TEST(CellReference, A1RoundTripOverTheGridEdges) {
    for (int col : {0, 1, 25, 26, 27, 51, 52, 255, 256, 701, 702, 703, 16382, 16383})
        for (int row : {0, 1, 9, 99, 65535, 65536, 1048574, 1048575}) {
            const std::u16string text = ColRowToRefStr(col, row);
            int c = -1, r = -1;
            ASSERT_TRUE(RefStrToColRow(text, c, r)) << U8(text);
            EXPECT_EQ(c, col);
            EXPECT_EQ(r, row);
            EXPECT_EQ(RefStrToColRow97(text, c, r), col <= 255 && row <= 65535) << U8(text);
        }
}

TEST(CellError, Texts) {
    EXPECT_EQ(U8(CellErrorToText(0)), "_ERROR_ERROR_");
    EXPECT_EQ(U8(CellErrorToText(errDiv0)), "#DIV/0!");
    EXPECT_EQ(U8(CellErrorToText(errNA)), "#N/A");
    EXPECT_EQ(U8(CellErrorToText(errGettingData)), "#GETTING_DATA");
    EXPECT_EQ(U8(CellErrorToText(9)), "_ERROR_ERROR_");
    EXPECT_EQ(U8(CellErrorToText(0x80 | errRef)), "#REF!");  // the value is masked with 0x7F
    EXPECT_EQ(U8(CellErrorToText(-1)), "_ERROR_ERROR_");
    EXPECT_EQ(ErrorTextToCellError(u"#N/A"), errNA);
    EXPECT_EQ(ErrorTextToCellError(u"#n/a"), errUnknown);
    EXPECT_EQ(ErrorTextToCellError(u"#NULL!"), errNull);
    EXPECT_EQ(ErrorTextToCellError(u"#GETTING_DATA"), errGettingData);
    EXPECT_EQ(ErrorTextToCellError(u""), errUnknown);
    EXPECT_EQ(ErrorTextToCellError(u"#N/A "), errUnknown);
    for (int i = 1; i < Xc12CellErrorCount; ++i) EXPECT_EQ(ErrorTextToCellError(CellErrorToText(i)), i);
    EXPECT_EQ(U8(Xc12BoolTrueText), "TRUE");
    EXPECT_EQ(U8(Xc12BoolFalseText), "FALSE");
}

TEST(CellError, PtgToRefClass) {
    EXPECT_EQ(PtgToRefClass(0x44), 0x24);  // ptgRefV -> ptgRef
    EXPECT_EQ(PtgToRefClass(0x64), 0x24);  // ptgRefA -> ptgRef
    EXPECT_EQ(PtgToRefClass(0x45), 0x25);
    EXPECT_EQ(PtgToRefClass(0x7F), 0x3F);
    EXPECT_EQ(PtgToRefClass(0x40), 0x20);
    EXPECT_EQ(PtgToRefClass(0x24), 0x24);
    EXPECT_EQ(PtgToRefClass(0x03), 0x03);
    EXPECT_EQ(PtgToRefClass(0x80), 0x80);
    EXPECT_EQ(PtgToRefClass(0xC4), 0xC4);
}

}  // namespace
}  // namespace xls
