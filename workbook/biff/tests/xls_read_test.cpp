// The .xls reader: files the writer made read back to the same file, and crafted record
// streams with the cases other producers and damaged files give.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include "base/text_encoding.h"
#include "workbook/biff/biff_error.h"
#include "workbook/biff/tests/biff_read_book.h"
#include "workbook/biff/tests/biff_test_workbook.h"
#include "workbook/biff/tests/report_block.h"
#include "workbook/biff/xls_read.h"
#include "workbook/model/cell_error.h"
#include "workbook/model/cell_format.h"
#include "workbook/model/cell_store.h"
#include "workbook/model/document_root.h"
#include "workbook/model/event_cell.h"
#include "workbook/model/formula_helper.h"

namespace xls {
namespace {

using test::TBIFFReadBook;
using test::TRecords;

std::vector<uint8_t> Cell(uint16_t row, uint16_t col, uint16_t xf, std::initializer_list<uint8_t> rest) {
    std::vector<uint8_t> data = TRecords::Words({row, col, xf});
    data.insert(data.end(), rest);
    return data;
}

// FORMULA with a cached result of 8 bytes, the options word and the tokens.
std::vector<uint8_t> Formula(uint16_t row, uint16_t col, std::vector<uint8_t> result, uint16_t options,
                             std::vector<uint8_t> tokens) {
    std::vector<uint8_t> data = TRecords::Words({row, col, 15});
    data.insert(data.end(), result.begin(), result.end());
    TRecords::Word(data, options);
    data.insert(data.end(), 4, 0);
    TRecords::Word(data, static_cast<uint16_t>(tokens.size()));
    data.insert(data.end(), tokens.begin(), tokens.end());
    return data;
}

const std::vector<uint8_t> StringResult = {0, 0, 0, 0, 0, 0, 0xFF, 0xFF};
const std::vector<uint8_t> NumberResult = {0, 0, 0, 0, 0, 0, 0xF0, 0x3F};  // 1.0
// A formula cell tied to the cell at (row, col): a shared or array formula's anchor.
std::vector<uint8_t> ExpToken(uint16_t row, uint16_t col) {
    std::vector<uint8_t> t = {0x01};
    TRecords::Word(t, row);
    TRecords::Word(t, col);
    return t;
}

std::vector<uint8_t> FormulaPtgs(TXLSCellMMU& cells, int col, int row) {
    TXLSMMUCell cell;
    EXPECT_TRUE(cells.FindCell(col, row, cell)) << col << "," << row;
    const uint8_t* ptgs = nullptr;
    const int length = TXLSCellMMU::GetFormulaPtgs(cell, ptgs);
    return {ptgs, ptgs + length};
}

TEST(XLSRead, ReportLayoutWrittenReadAndWrittenAgainIsByteIdentical) {
    test::TBIFFTestWorkbook book;
    test::BuildReportBlock(book);
    const std::vector<uint8_t> first = test::WorkbookStream(test::SaveBytes(*book.Document));
    TBIFFReadBook read;
    read.Load(test::WrapWorkbook(first));
    ASSERT_EQ(read.Root.Worksheets().Count(), 2);
    const std::vector<uint8_t> second = test::WorkbookStream(read.Save());
    EXPECT_EQ(second.size(), first.size());
    EXPECT_TRUE(second == first);
    // And once more from the copy.
    TBIFFReadBook again;
    again.Load(test::WrapWorkbook(second));
    EXPECT_TRUE(test::WorkbookStream(again.Save()) == first);
}

TEST(XLSRead, EveryCellKindComesBack) {
    test::TBIFFTestWorkbook book;
    TXLSCellMMU& cells = book.Cells();
    cells.StoreFloat(0, 0, 0, 1);
    cells.StoreFloat(1, 0, 0, 0.1);
    cells.StoreFloat(2, 0, 0, 1e300);
    cells.StoreString(0, 1, 0, u"温湿度");
    cells.StoreBoolean(1, 1, 0, true);
    cells.StoreError(2, 1, 0, errDiv0);
    cells.StoreBlank(3, 1, 5);
    book.SetFormula(0, 0, 2, u"A1+B1", 1.1);
    TBIFFReadBook read;
    read.Load(test::SaveBytes(*book.Document));
    TXLSCellMMU& got = read.Cells();
    TXLSMMUCell cell;
    ASSERT_TRUE(got.FindCell(1, 0, cell));
    EXPECT_EQ(TXLSCellMMU::GetFloat(cell), 0.1);
    ASSERT_TRUE(got.FindCell(2, 0, cell));
    EXPECT_EQ(TXLSCellMMU::GetFloat(cell), 1e300);
    std::u16string text;
    ASSERT_TRUE(got.GetAsString(0, 1, text));
    EXPECT_EQ(text, u"温湿度");
    ASSERT_TRUE(got.FindCell(1, 1, cell));
    EXPECT_TRUE(TXLSCellMMU::GetBoolean(cell));
    ASSERT_TRUE(got.FindCell(2, 1, cell));
    EXPECT_EQ(TXLSCellMMU::GetError(cell), errDiv0);
    ASSERT_TRUE(got.FindCell(3, 1, cell));
    EXPECT_EQ(TXLSCellMMU::GetCellType(cell), xctBlank);
    EXPECT_EQ(TXLSCellMMU::GetXF(cell), 5);
    ASSERT_TRUE(got.FindCell(0, 2, cell));
    EXPECT_EQ(TXLSCellMMU::GetCellType(cell), xctFloatFormula);
    EXPECT_EQ(TXLSCellMMU::GetFormulaResultFloat(cell), 1.1);
}

// Each case: a worksheet record whose count or length points past its own data.
struct THostileCase {
    const char* Name;
    uint16_t Id;
    std::vector<uint8_t> Data;
};

TEST(XLSRead, CountsAndLengthsPastTheRecordEndInAClearError) {
    const THostileCase cases[] = {
        {"MERGEDCELLS", 0x00E5, TRecords::Words({100, 0, 0, 0, 1})},
        {"SELECTION", 0x001D, {3, 0, 0, 0, 0, 0, 0, 0x10, 0x00, 0, 0, 0, 0, 0, 0}},
        {"FORMULA tokens", 0x0006, Formula(0, 0, NumberResult, 0, {}) /* length patched below */},
        {"MULRK short", 0x00BD, {0, 0}},
        {"LABELSST index", 0x00FD, Cell(0, 0, 15, {9, 0, 0, 0})},
        {"LABEL count", 0x0204, Cell(0, 0, 15, {0xFF, 0x00, 0x00, 'a'})},
        {"ROW", 0x0208, TRecords::Words({1, 0, 1})},
        {"COLINFO short", 0x007D, TRecords::Words({0, 0, 2550, 15})},
        {"PALETTE", 0x0092, TRecords::Words({56, 1, 2})},
        {"page breaks", 0x001B, TRecords::Words({500, 1, 0, 255})},
    };
    for (THostileCase c : cases) {
        if (std::string(c.Name) == "FORMULA tokens") c.Data[20] = 0x40;
        TRecords records;
        records.Globals({"Sheet1"}).BOF(0x0010).Record(c.Id, c.Data).EOF_();
        TBIFFReadBook read;
        try {
            read.Load(records.File());
            ADD_FAILURE() << c.Name << " was read";
        } catch (const EBIFFError& e) {
            const std::string message = e.what();
            EXPECT_EQ(message.rfind("Error on reading record # ", 0), 0u) << c.Name << ": " << message;
        }
        // A failed read leaves one sheet to go on with.
        EXPECT_GE(read.Root.Worksheets().Count(), 1) << c.Name;
        EXPECT_EQ(read.Document->Sheets().Count(), read.Root.Worksheets().Count()) << c.Name;
    }
}

TEST(XLSRead, SSTWithMoreStringsThanDataAndMissingContinue) {
    // The string count is the file's word: the room taken for it is what the file can hold.
    for (const uint32_t count : {uint32_t{1000}, uint32_t{0xFFFFFFFF}}) {
        SCOPED_TRACE(count);
        std::vector<uint8_t> sst =
            TRecords::Words({1000, 0, static_cast<uint16_t>(count), static_cast<uint16_t>(count >> 16), 1});
        sst.push_back(0);
        sst.push_back('a');
        TRecords records;
        records.BOF(0x0005).Record(0x00FC, sst).Boundsheet("S").EOF_().BOF(0x0010).EOF_();
        const std::vector<uint8_t> file = records.File();
        TBIFFReadBook read;
        try {
            read.Load(file);
            ADD_FAILURE() << "read";
        } catch (const EBIFFError& e) {
            EXPECT_NE(std::string(e.what()).find("CONTINUE record is missing in SST"), std::string::npos) << e.what();
        }
        EXPECT_LE(static_cast<size_t>(read.Root.SST().Capacity()), file.size());
    }
}

TEST(XLSRead, SSTStringGoesOnSixteenBitInContinue) {
    // "ab" 8-bit in the SST, then "c" 16-bit in the CONTINUE; a second plain string after it.
    std::vector<uint8_t> sst = TRecords::Words({2, 0, 2, 0, 3});
    sst.insert(sst.end(), {0, 'a', 'b'});
    std::vector<uint8_t> more = {1, 0x4E, 0x6E};  // U+6E4E
    more.insert(more.end(), {1, 0, 0, 'z'});
    TRecords records;
    records.BOF(0x0005).Record(0x00FC, sst).Record(0x003C, more).Boundsheet("S").EOF_();
    records.BOF(0x0010)
        .Record(0x00FD, Cell(0, 0, 15, {0, 0, 0, 0}))
        .Record(0x00FD, Cell(0, 1, 15, {1, 0, 0, 0}))
        .EOF_();
    TBIFFReadBook read;
    read.Load(records.File());
    std::u16string text;
    ASSERT_TRUE(read.Cells().GetAsString(0, 0, text));
    EXPECT_EQ(text, u"ab\u6E4E");
    ASSERT_TRUE(read.Cells().GetAsString(1, 0, text));
    EXPECT_EQ(text, u"z");
}

// Strings cut by record boundaries at every place: the characters go on after a width byte,
// anything else (counts, options, runs, phonetic data) goes on as it is; empty and unused
// CONTINUE records change nothing.
TEST(XLSRead, SSTStringsAcrossRecordBoundaries) {
    using TBytes = std::vector<uint8_t>;
    struct TCase {
        const char* Name;
        std::vector<TBytes> Records;  // the SST record's strings, then each CONTINUE record
        std::vector<std::u16string> Strings;
    };
    const TCase cases[] = {
        {"one-byte characters go on one-byte", {{3, 0, 0, 'a', 'b'}, {0, 'c', 1, 0, 0, 'd'}}, {u"abc", u"d"}},
        {"characters end with the record", {{2, 0, 0, 'a', 'b'}, {1, 0, 0, 'z'}}, {u"ab", u"z"}},
        {"count split", {{2, 0, 0, 'a', 'b', 2}, {0, 0, 'x', 'y'}}, {u"ab", u"xy"}},
        {"options at the end", {{2, 0, 0, 'a', 'b', 2, 0, 0}, {0, 'x', 'y'}}, {u"ab", u"xy"}},
        {"empty continue", {{3, 0, 0, 'a', 'b'}, {}, {0, 'c'}}, {u"abc"}},
        {"phonetic data split", {{1, 0, 4, 3, 0, 0, 0, 'a', 9}, {9, 9, 1, 0, 0, 'b'}}, {u"a", u"b"}},
        {"rich text", {{2, 0, 8, 1, 0, 'a', 'b', 1, 0}, {0, 0, 1, 0, 0, 'c'}}, {u"ab", u"c"}},
        {"unused continue", {{1, 0, 0, 'a'}, {7, 7, 7}}, {u"a"}},
        {"wide then one-byte", {{3, 0, 1, 0x4E, 0x6E}, {0, 'b', 'c'}}, {u"\u6E4Ebc"}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const uint16_t count = static_cast<uint16_t>(c.Strings.size());
        TBytes sst = TRecords::Words({count, 0, count, 0});
        sst.insert(sst.end(), c.Records[0].begin(), c.Records[0].end());
        TRecords records;
        records.BOF(0x0005).Record(0x00FC, sst);
        for (size_t i = 1; i < c.Records.size(); ++i) records.Record(0x003C, c.Records[i]);
        records.Boundsheet("S").EOF_().BOF(0x0010);
        for (uint16_t i = 0; i < count; ++i) records.Record(0x00FD, Cell(i, 0, 15, {static_cast<uint8_t>(i), 0, 0, 0}));
        records.EOF_();
        TBIFFReadBook read;
        read.Load(records.File());
        ASSERT_EQ(read.Root.SST().Count(), count);
        for (uint16_t i = 0; i < count; ++i) {
            std::u16string text;
            ASSERT_TRUE(read.Cells().GetAsString(0, i, text)) << i;
            EXPECT_EQ(text, c.Strings[i]) << i;
        }
        EXPECT_EQ(read.Root.Worksheets().Count(), 1);
    }
}

TEST(XLSRead, UnsupportedEncryptionsEndInError1002) {
    const std::vector<uint8_t> kinds[] = {
        TRecords::Words({1, 2, 2}),  // RC4 CryptoAPI, versions 2 to 4
        TRecords::Words({1, 3, 2}), TRecords::Words({1, 4, 2}),
        TRecords::Words({1, 1, 2}),  // RC4 of an unknown minor version
        TRecords::Words({0, 0, 0}),  // XOR obfuscation
        TRecords::Words({2, 1, 1}),  // an unknown type
    };
    for (const auto& filepass : kinds) {
        TRecords records;
        records.BOF(0x0005).Record(0x002F, filepass).Boundsheet("S").EOF_().BOF(0x0010).EOF_();
        TBIFFReadBook read;
        try {
            read.Load(records.File());
            ADD_FAILURE() << "read";
        } catch (const EBIFFError& e) {
            EXPECT_NE(std::string(e.what()).find("1002"), std::string::npos) << e.what();
        }
        // With an error event the report does not raise; the read still ends in an error.
        TBIFFReadBook listening;
        int reported = 0;
        listening.Errors.SetOnError(
            [&](TXLSErrorManager& sender, TXLSErrorLevel, const std::u16string&) { reported = sender.LastError(); });
        EXPECT_THROW(listening.Load(records.File()), EBIFFError);
        EXPECT_EQ(reported, 1002);
    }
}

// A BIFF8 ARRAY record over rows 0 to 1 and columns 0 to lastCol whose formula is 7.
std::vector<uint8_t> ArrayOfSeven(uint8_t lastCol) {
    std::vector<uint8_t> array = TRecords::Words({0, 1});
    array.insert(array.end(), {0, lastCol});
    array.insert(array.end(), 6, 0);
    TRecords::Word(array, 3);
    array.insert(array.end(), {0x1E, 0x07, 0x00});  // ptgInt 7
    return array;
}

TEST(XLSRead, PendingArrayEndsWithItsSheet) {
    const std::vector<uint8_t> array = ArrayOfSeven(1);
    TRecords records;
    records.Globals({"One", "Two"});
    records.BOF(0x0010).Record(0x0006, Formula(0, 0, NumberResult, 0, ExpToken(0, 0))).Record(0x0221, array);
    records.Record(0x0006, Formula(1, 1, NumberResult, 0, ExpToken(0, 0))).EOF_();
    // The second sheet's B2 refers to A1 too, with no ARRAY of its own.
    records.BOF(0x0010).Record(0x0006, Formula(1, 1, NumberResult, 0, ExpToken(0, 0))).EOF_();
    TBIFFReadBook read;
    read.Load(records.File());
    const std::vector<uint8_t> anchor = FormulaPtgs(read.Cells(0), 0, 0);
    EXPECT_EQ(anchor, (std::vector<uint8_t>{0xFF, 0x1E, 0x07, 0x00}));
    TXLSMMUCell cell;
    ASSERT_TRUE(read.Cells(0).FindCell(1, 1, cell));
    const std::vector<uint8_t> member = FormulaPtgs(read.Cells(0), 1, 1);
    EXPECT_EQ(member[0], PtgAnchorMember);
    const std::vector<uint8_t> other = FormulaPtgs(read.Cells(1), 1, 1);
    EXPECT_EQ(other, (std::vector<uint8_t>{0xFF, 0x01, 0, 0, 0, 0}));
}

// An array formula read keeps its range, so that the workbook can be written again with it.
TEST(XLSRead, ArrayFormulaReadIsWrittenBack) {
    const std::vector<uint8_t> array = ArrayOfSeven(0);
    TRecords records;
    records.Globals({"One"});
    records.BOF(0x0010).Record(0x0006, Formula(0, 0, NumberResult, 0, ExpToken(0, 0))).Record(0x0221, array);
    records.Record(0x0006, Formula(1, 0, NumberResult, 0, ExpToken(0, 0))).EOF_();
    TBIFFReadBook read;
    read.Load(records.File());
    TBIFFReadBook again;
    again.Load(read.Save());
    for (TBIFFReadBook* book : {&read, &again}) {
        SCOPED_TRACE(book == &read ? "read" : "written and read again");
        EXPECT_EQ(FormulaPtgs(book->Cells(), 0, 0), (std::vector<uint8_t>{0xFF, 0x1E, 0x07, 0x00}));
        TXLSMMUCell cell;
        ASSERT_TRUE(book->Cells().FindCell(0, 0, cell));
        const uint8_t* range = TXLSCellMMU::GetFormulaRange(cell);
        ASSERT_NE(range, nullptr);
        EXPECT_EQ(base::LoadLE32(range + 8), 1u);
        EXPECT_EQ(FormulaPtgs(book->Cells(), 0, 1)[0], PtgAnchorMember);
    }
}

TEST(XLSRead, TextResultWithoutStringRecordKeepsTheFormula) {
    std::vector<uint8_t> str = {3, 0, 0, 'a', 'b', 'c'};
    TRecords records;
    records.Globals({"S"}).BOF(0x0010);
    records.Record(0x0006, Formula(0, 0, StringResult, 0, {0x17, 0, 0}));
    records.Record(0x0006, Formula(1, 0, StringResult, 0, {0x17, 0, 0})).Record(0x0207, str).EOF_();
    TBIFFReadBook read;
    read.Load(records.File());
    TXLSMMUCell cell;
    ASSERT_TRUE(read.Cells().FindCell(0, 0, cell));
    EXPECT_EQ(TXLSCellMMU::GetCellType(cell), xctStringFormula);
    EXPECT_EQ(TXLSCellMMU::GetFormulaResultString(cell), u"");
    ASSERT_TRUE(read.Cells().FindCell(0, 1, cell));
    EXPECT_EQ(TXLSCellMMU::GetFormulaResultString(cell), u"abc");
}

TEST(XLSRead, SharedFormulaServesLaterCellsAndAMissingOneNamesTheCell) {
    // B2:B5 share "the cell above" (ptgRefN row -1, relative row and column).
    std::vector<uint8_t> shared = {1, 0, 4, 0, 1, 1, 0, 4};
    TRecords::Word(shared, 5);
    shared.insert(shared.end(), {0x2C, 0xFF, 0xFF, 0x00, 0xC0});
    TRecords records;
    records.Globals({"S"}).BOF(0x0010);
    records.Record(0x0006, Formula(2, 1, NumberResult, 0x0008, ExpToken(1, 1))).Record(0x04BC, shared);
    records.Record(0x0006, Formula(3, 1, NumberResult, 0x0008, ExpToken(1, 1)));
    TRecords good = records;
    good.EOF_();
    TBIFFReadBook read;
    read.Load(good.File());
    EXPECT_EQ(FormulaPtgs(read.Cells(), 1, 2), (std::vector<uint8_t>{0xFF, 0x24, 0x01, 0x00, 0x01, 0xC0}));
    EXPECT_EQ(FormulaPtgs(read.Cells(), 1, 3), (std::vector<uint8_t>{0xFF, 0x24, 0x02, 0x00, 0x01, 0xC0}));

    records.Record(0x0006, Formula(8, 1, NumberResult, 0x0008, ExpToken(20, 1))).EOF_();
    TBIFFReadBook bad;
    try {
        bad.Load(records.File());
        ADD_FAILURE() << "read";
    } catch (const EBIFFError& e) {
        EXPECT_NE(std::string(e.what()).find("Fixup error in shared formula at C=1,R=8 ($B$9)"), std::string::npos)
            << e.what();
    }
}

TEST(XLSRead, FewFontsStillPutThePlaceholderAtFive) {
    std::vector<uint8_t> font = TRecords::Words({200, 0, 0x7FFF, 400, 0});
    font.insert(font.end(), {0, 0, 0, 0, 5, 0, 'A', 'r', 'i', 'a', 'l'});
    std::vector<uint8_t> xf = TRecords::Words({1, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    TRecords records;
    records.BOF(0x0005).Record(0x0031, font).Record(0x0031, font).Record(0x00E0, xf).Boundsheet("S").EOF_();
    records.BOF(0x0010).EOF_();
    TBIFFReadBook read;
    read.Load(records.File());
    TXc12Fonts& fonts = read.Root.StyleSheet().Fonts();
    ASSERT_GE(fonts.Count(), 6);
    EXPECT_TRUE(fonts.GetItems(5)->GetName().empty());
    EXPECT_EQ(fonts.GetItems(1)->GetName(), u"Arial");
    EXPECT_EQ(read.Root.StyleSheet().XFs().GetItems(1)->GetFont(), fonts.GetItems(2));
}

// A read-cell event that notes each cell as "sheet col,row value".
std::function<void(TXLSEventCell&)> Collect(std::vector<std::string>& seen) {
    return [&seen](TXLSEventCell& cell) {
        std::string value;
        switch (cell.GetCellType()) {
            case xctFloat: value = std::to_string(static_cast<int>(cell.GetAsFloat())); break;
            case xctString: value = base::Utf16ToUtf8(cell.GetAsString()); break;
            case xctError: value = "error " + std::to_string(cell.GetAsError()); break;
            default: value = "type " + std::to_string(cell.GetCellType());
        }
        seen.push_back(base::Utf16ToUtf8(cell.SheetName) + " " + std::to_string(cell.Col) + "," +
                       std::to_string(cell.Row) + " " + value);
    };
}

TEST(XLSRead, DirectReadGivesValuesToTheEventInsteadOfTheStore) {
    std::vector<uint8_t> number = Cell(0, 0, 15, {0, 0, 0, 0, 0, 0, 0x24, 0x40});  // 10.0
    std::vector<uint8_t> label = Cell(0, 1, 15, {2, 0, 0, 'h', 'i'});
    TRecords records;
    records.Globals({"Data"}).BOF(0x0010).Record(0x0203, number).Record(0x0204, label);
    records.Record(0x0205, Cell(1, 0, 15, {7, 1})).Record(0x0006, Formula(1, 1, NumberResult, 0, {0x1E, 1, 0}));
    records.Record(0x0201, Cell(2, 0, 15, {})).EOF_();
    TBIFFReadBook read;
    read.Root.DirectRead = true;
    std::vector<std::string> seen;
    read.Root.OnReadCell = Collect(seen);
    read.Load(records.File());
    EXPECT_EQ(seen, (std::vector<std::string>{"Data 0,0 10", "Data 1,0 hi", "Data 0,1 error " + std::to_string(errDiv0),
                                              "Data 1,1 1"}));
    TXLSMMUCell cell;
    EXPECT_FALSE(read.Cells().FindCell(0, 0, cell));
    EXPECT_FALSE(read.Cells().FindCell(1, 1, cell));
    EXPECT_TRUE(read.Cells().FindCell(0, 2, cell));
}

// ROW with a custom height and an outline level (options 0x40 | level), no format of its own.
std::vector<uint8_t> Row(uint16_t row, uint16_t height, uint8_t level) {
    std::vector<uint8_t> data = TRecords::Words({row, 0, 4, height, 0, 0});
    data.insert(data.end(), {static_cast<uint8_t>(0x40 | level), 0x01, 0x0F, 0x00});
    return data;
}

std::vector<uint8_t> Number(uint16_t row, uint16_t col, double value) {
    std::vector<uint8_t> data = TRecords::Words({row, col, 15});
    uint8_t bytes[8];
    std::memcpy(bytes, &value, 8);
    data.insert(data.end(), bytes, bytes + 8);
    return data;
}

// Files hold the ROW records in blocks before their cells, all of them first, or anywhere:
// each row ends with its header and its cells whatever the order, the last ROW of a row winning.
TEST(XLSRead, RowRecordsInAnyOrderGiveEachRowItsHeaderAndCells) {
    struct TStep {
        bool IsRow;
        uint16_t Row;
        uint16_t Height;  // a ROW's height; a cell's value
    };
    struct TCase {
        const char* Name;
        std::vector<TStep> Steps;
    };
    const TCase cases[] = {
        {"rows first", {{true, 0, 400}, {true, 1, 410}, {true, 2, 420}, {false, 0, 1}, {false, 1, 2}, {false, 2, 3}}},
        {"blocks", {{true, 0, 400}, {true, 1, 410}, {false, 0, 1}, {false, 1, 2}, {true, 2, 420}, {false, 2, 3}}},
        {"row after its cells",
         {{false, 0, 1}, {true, 0, 400}, {false, 1, 2}, {false, 2, 3}, {true, 2, 420}, {true, 1, 410}}},
        {"out of order", {{true, 2, 420}, {true, 0, 400}, {false, 0, 1}, {true, 1, 410}, {false, 1, 2}, {false, 2, 3}}},
        {"twice",
         {{true, 0, 999}, {true, 1, 410}, {true, 2, 420}, {true, 0, 400}, {false, 0, 1}, {false, 1, 2}, {false, 2, 3}}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TRecords records;
        records.Globals({"One", "Two"}).BOF(0x0010);
        for (const TStep& step : c.Steps) {
            if (step.IsRow)
                records.Record(0x0208, Row(step.Row, step.Height, static_cast<uint8_t>(step.Row + 1)));
            else
                records.Record(0x0203, Number(step.Row, step.Row, step.Height));
        }
        // A row with a header and no cells; the next sheet's rows are its own.
        records.Record(0x0208, Row(7, 500, 0)).EOF_();
        records.BOF(0x0010).Record(0x0208, Row(1, 600, 0)).Record(0x0203, Number(1, 3, 9)).EOF_();
        TBIFFReadBook read;
        read.Load(records.File());
        TXLSCellMMU& cells = read.Cells(0);
        for (int row = 0; row < 3; ++row) {
            const TXLSMMURowHeader* header = cells.GetRowHeader(row);
            ASSERT_NE(header, nullptr) << row;
            EXPECT_EQ(header->Height(), 400 + 10 * row) << row;
            EXPECT_EQ(header->OutlineLevel(), row + 1) << row;
            EXPECT_EQ(header->Options(), 0x02) << row;
            TXLSMMUCell cell;
            ASSERT_TRUE(cells.FindCell(row, row, cell)) << row;
            EXPECT_EQ(TXLSCellMMU::GetFloat(cell), row + 1) << row;
        }
        ASSERT_NE(cells.GetRowHeader(7), nullptr);
        EXPECT_EQ(cells.GetRowHeader(7)->Height(), 500);
        EXPECT_EQ(cells.GetRowHeader(1)->Height(), 410);
        ASSERT_NE(read.Cells(1).GetRowHeader(1), nullptr);
        EXPECT_EQ(read.Cells(1).GetRowHeader(1)->Height(), 600);
        EXPECT_EQ(read.Cells(1).GetRowHeader(7), nullptr);
        EXPECT_EQ(cells.GetRowHeader(3), nullptr);
    }
}

TEST(XLSRead, UnknownRecordsAreKeptInPlace) {
    TRecords records;
    records.Globals({"S"}).BOF(0x0010).Record(0x0200, std::vector<uint8_t>(14, 0)).Record(0x0777, {1, 2, 3}).EOF_();
    TBIFFReadBook read;
    read.Load(records.File());
    const std::vector<uint8_t> stream = test::WorkbookStream(read.Save());
    const std::vector<uint8_t> kept = {0x77, 0x07, 3, 0, 1, 2, 3};
    EXPECT_NE(std::search(stream.begin(), stream.end(), kept.begin(), kept.end()), stream.end());
}

TEST(XLSRead, BadRecordIdAndOversizedBOF) {
    TRecords bad;
    bad.Globals({"S"}).BOF(0x0010).Record(0x8001, {}).EOF_();
    TBIFFReadBook read;
    try {
        read.Load(bad.File());
        ADD_FAILURE() << "read";
    } catch (const EBIFFError& e) {
        const std::string message = e.what();
        EXPECT_NE(message.find(", 8001 Offs: "), std::string::npos) << message;
        EXPECT_NE(message.find("Bad record in file"), std::string::npos) << message;
    }
    TRecords big;
    std::vector<uint8_t> bof = TRecords::Words({0x0600, 0x0005});
    bof.resize(257, 0);
    big.Record(0x0809, bof).EOF_();
    EXPECT_THROW(read.Load(big.File()), EBIFFError);
}

// A sheet list the stream cannot hold: every entry would cost a worksheet object.
TEST(XLSRead, SheetListLongerThanTheFileInAClearError) {
    struct TCase {
        const char* Name;
        TRecords Records;
    };
    TCase many{"thousands of entries, one substream", {}};
    many.Records.BOF(0x0005);
    for (int i = 0; i < 3000; ++i) many.Records.Boundsheet("S" + std::to_string(i));
    many.Records.EOF_().BOF(0x0010).EOF_();
    TCase far{"substream past the end", {}};
    far.Records.BOF(0x0005).Record(0x0085, {0xFF, 0xFF, 0xFF, 0x7F, 0, 0, 1, 0, 'S'}).EOF_().BOF(0x0010).EOF_();
    for (TCase* c : {&many, &far}) {
        TBIFFReadBook read;
        try {
            read.Load(c->Records.File());
            ADD_FAILURE() << c->Name << " was read";
        } catch (const EBIFFError& e) {
            EXPECT_NE(std::string(e.what()).find("More sheets listed than the file holds"), std::string::npos)
                << c->Name << ": " << e.what();
        }
        EXPECT_GE(read.Root.Worksheets().Count(), 1) << c->Name;
        EXPECT_EQ(read.Document->Sheets().Count(), read.Root.Worksheets().Count()) << c->Name;
    }
}

std::vector<uint8_t> Fixture(const std::string& name) {
    std::ifstream in(std::string(OMBRIX_SOURCE_DIR) + "/workbook/biff/tests/read_fixtures/" + name, std::ios::binary);
    EXPECT_TRUE(in) << name;
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The fills, borders and protection of BIFF2-4 XF records, which xlrd's comparison leaves out.
TEST(XLSRead, OldXFRecordsGiveFillsBordersAndProtection) {
    struct TCase {
        const char* File;
        int Col, Row;
        TXc12FillPattern Pattern;
        int FgIndex;
        TXc12CellBorderStyle Top, Bottom;
        int Horizontal;
    };
    const TCase cases[] = {
        {"biff3.xls", 0, 1, efpSolid, 10, cbsNone, cbsNone, 2},
        {"biff4.xls", 0, 1, efpSolid, 10, cbsNone, cbsNone, 2},
        {"biff3.xls", 1, 1, efpNone, 0, cbsThin, cbsMedium, 0},
        {"biff4.xls", 1, 1, efpNone, 0, cbsThin, cbsMedium, 0},
        {"biff2.xls", 2, 2, efpNone, -1, cbsNone, cbsThin, 0},
        // The shade bit: a sparse dot pattern, black on white.
        {"biff2.xls", 0, 6, efpGray125, 8, cbsThin, cbsNone, 0},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(std::string(c.File) + " " + std::to_string(c.Col) + "," + std::to_string(c.Row));
        TBIFFReadBook read;
        read.Load(Fixture(c.File));
        TXLSMMUCell cell;
        ASSERT_TRUE(read.Cells().FindCell(c.Col, c.Row, cell));
        const TXc12XF& xf = *read.Root.StyleSheet().XFs().GetItems(TXLSCellMMU::GetXF(cell));
        EXPECT_EQ(xf.GetFill()->GetPatternType(), c.Pattern);
        if (c.FgIndex >= 0) {
            EXPECT_EQ(xf.GetFill()->GetFgColor().Index, c.FgIndex);
        }
        EXPECT_EQ(xf.GetBorder()->Line(xblTop).Style, c.Top);
        EXPECT_EQ(xf.GetBorder()->Line(xblBottom).Style, c.Bottom);
        EXPECT_EQ(xf.GetAlignment().GetHorizAlignment(), c.Horizontal);
        EXPECT_EQ(xf.GetProtection() & 0x01, 1);
    }
}

// Array formulas of BIFF2 to BIFF4, whose anchor token (BIFF2) and ARRAY record are shorter
// than in later versions: the anchor keeps the ARRAY's tokens and range, the other cells of the
// range point at the anchor.
TEST(XLSRead, OldArrayFormulasKeepTheirAnchorRangeAndMembers) {
    struct TCase {
        const char* File;
        uint16_t Col1, Row1, Col2, Row2;
        std::vector<uint8_t> Tokens;
    };
    const TCase cases[] = {
        {"biff2.xls", 0, 7, 1, 8, {0x1E, 7, 0, 0x1E, 5, 0, 0x03}},
        {"biff3.xls", 0, 9, 0, 10, {0x1E, 7, 0, 0x1E, 5, 0, 0x05}},
        {"biff4.xls", 0, 9, 0, 10, {0x1E, 7, 0, 0x1E, 5, 0, 0x05}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.File);
        TBIFFReadBook read;
        read.Load(Fixture(c.File));
        std::vector<uint8_t> anchor = {PtgsBIFF8};
        anchor.insert(anchor.end(), c.Tokens.begin(), c.Tokens.end());
        EXPECT_EQ(FormulaPtgs(read.Cells(), c.Col1, c.Row1), anchor);
        TXLSMMUCell cell;
        ASSERT_TRUE(read.Cells().FindCell(c.Col1, c.Row1, cell));
        const uint8_t* range = TXLSCellMMU::GetFormulaRange(cell);
        ASSERT_NE(range, nullptr);
        EXPECT_EQ(base::LoadLE16(range), c.Col1);
        EXPECT_EQ(base::LoadLE32(range + 2), c.Row1);
        EXPECT_EQ(base::LoadLE16(range + 6), c.Col2);
        EXPECT_EQ(base::LoadLE32(range + 8), c.Row2);
        std::vector<uint8_t> member = {PtgAnchorMember};
        TRecords::Word(member, c.Col1);
        TRecords::Word(member, c.Row1);
        TRecords::Word(member, 0);
        for (uint16_t row = c.Row1; row <= c.Row2; ++row)
            for (uint16_t col = c.Col1; col <= c.Col2; ++col) {
                if (row != c.Row1 || col != c.Col1) {
                    EXPECT_EQ(FormulaPtgs(read.Cells(), col, row), member);
                }
            }
        ASSERT_TRUE(read.Cells().FindCell(c.Col1, c.Row2, cell));
        EXPECT_EQ(TXLSCellMMU::GetFormulaResultFloat(cell), c.File[4] == '2' ? 12 : 35);
    }
}

// A BIFF2 column's width (COLWIDTH) and format (COLUMNDEFAULT) come in records of their own, in
// either order; a column with a format and no width gets the sheet's default width.
TEST(XLSRead, Biff2ColumnsJoinWidthsAndFormats) {
    auto file = [](bool formatsFirst) {
        std::vector<uint8_t> out = {0x09, 0, 4, 0, 2, 0, 0x10, 0};
        auto record = [&](uint16_t id, std::vector<uint8_t> data) {
            TRecords::Word(out, id);
            TRecords::Word(out, static_cast<uint16_t>(data.size()));
            out.insert(out.end(), data.begin(), data.end());
        };
        for (uint8_t fmt : {0, 1}) record(0x0043, {0, 0, static_cast<uint8_t>(0x40 | fmt), 0});
        record(0x001E, {7, 'G', 'e', 'n', 'e', 'r', 'a', 'l'});
        record(0x001E, {4, '0', '.', '0', '0'});
        const std::vector<uint8_t> widths = {1, 2, 0x00, 0x0C};                           // B:C 3072
        const std::vector<uint8_t> formats = {2, 0, 5, 0, 1, 0, 0, 1, 0, 0, 0x3F, 0, 0};  // C, D: XF 1; E: IXFE
        record(0x0044, {1, 0});
        if (formatsFirst) record(0x0020, formats);
        record(0x0024, widths);
        if (!formatsFirst) record(0x0020, formats);
        record(0x000A, {});
        return out;
    };
    for (bool formatsFirst : {true, false}) {
        SCOPED_TRACE(formatsFirst);
        TBIFFReadBook read;
        read.Load(file(formatsFirst));
        TXc12DataWorksheet& sheet = *read.Root.Worksheets().GetItems(0);
        const TXc12XF* hundredths = read.Root.StyleSheet().XFs().GetItems(2);
        const double defaultWidth =
            DefaultColumnWidth(sheet.sheetFormatPr.baseColWidth, read.Root.StyleSheet().Fonts().DefaultCharWidth()) /
            256.0;
        struct TColumn {
            int Min, Max;
            double Width;
            const TXc12XF* Style;
        };
        const TColumn expected[] = {{1, 1, 12, read.Root.StyleSheet().XFs().GetDefault()},
                                    {2, 2, 12, hundredths},
                                    {3, 4, defaultWidth, hundredths}};
        ASSERT_EQ(sheet.cols.Count(), 3);
        for (int i = 0; i < 3; ++i) {
            const TXc12Column& col = *sheet.cols.GetItems(i);
            EXPECT_EQ(col.min, expected[i].Min) << i;
            EXPECT_EQ(col.max, expected[i].Max) << i;
            EXPECT_DOUBLE_EQ(col.width, expected[i].Width) << i;
            EXPECT_EQ(col.style, expected[i].Style) << i;
        }
    }
}

// BIFF2 cells: the XF index 63 of the attributes stands for the IXFE record's, and DirectRead
// hands the values to the event as for later versions.
TEST(XLSRead, Biff2CellsTakeTheirXFAndGoToTheEvent) {
    std::vector<uint8_t> file = {0x09, 0, 4, 0, 2, 0, 0x10, 0};
    auto record = [&](uint16_t id, std::vector<uint8_t> data) {
        TRecords::Word(file, id);
        TRecords::Word(file, static_cast<uint16_t>(data.size()));
        file.insert(file.end(), data.begin(), data.end());
    };
    for (int i = 0; i < 70; ++i) record(0x0043, {0, 0, static_cast<uint8_t>(0x40 | (i == 66 ? 1 : 0)), 0});
    record(0x001E, {7, 'G', 'e', 'n', 'e', 'r', 'a', 'l'});
    record(0x001E, {4, '0', '.', '0', '0'});
    record(0x0044, {66, 0});
    record(0x0003, {1, 0, 2, 0, 0x3F, 0, 0, 0, 0, 0, 0, 0, 0, 0x24, 0x40});
    record(0x0002, {1, 0, 3, 0, 5, 0, 0, 7, 0});
    record(0x0004, {2, 0, 0, 0, 0, 0, 0, 2, 'h', 'i'});
    record(0x0005, {2, 0, 1, 0, 0, 0, 0, 0x07, 1});
    record(0x000A, {});
    {
        TBIFFReadBook read;
        read.Load(file);
        TXLSMMUCell cell;
        ASSERT_TRUE(read.Cells().FindCell(2, 1, cell));
        EXPECT_EQ(read.Root.StyleSheet().XFs().GetItems(TXLSCellMMU::GetXF(cell))->GetNumberFormat()->GetFormatString(),
                  u"0.00");
        ASSERT_TRUE(read.Cells().FindCell(3, 1, cell));
        EXPECT_EQ(TXLSCellMMU::GetXF(cell), 6);
    }
    TBIFFReadBook direct;
    direct.Root.DirectRead = true;
    std::vector<std::string> seen;
    direct.Root.OnReadCell = Collect(seen);
    direct.Load(file);
    EXPECT_EQ(seen, (std::vector<std::string>{"Sheet1 2,1 10", "Sheet1 3,1 7", "Sheet1 0,2 hi",
                                              "Sheet1 1,2 error " + std::to_string(errDiv0)}));
    TXLSMMUCell cell;
    EXPECT_FALSE(direct.Cells().FindCell(2, 1, cell));
}

}  // namespace
}  // namespace xls
