// What the reader makes of files other programs wrote, against what python3-xlrd reads from them:
// sheets, cell values (formula cells by their cached value), merged areas, column widths and
// row heights; each cell's number format, font and alignment; and the formulas' texts. The same
// files, read once from bytes in place and once copied out of a stream, give the same workbook.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>

#include "base/text_encoding.h"
#include "platform/testing/test_files.h"
#include "workbook/biff/biff_record_ids.h"
#include "workbook/biff/tests/biff_read_book.h"
#include "workbook/biff/xls_read.h"
#include "workbook/formula/biff_decode_formula.h"
#include "workbook/model/biff_values.h"
#include "workbook/model/cell_format.h"
#include "workbook/model/cell_store.h"
#include "workbook/model/document_root.h"

namespace xls {
namespace {

const std::string FixtureDir = std::string(OMBRIX_SOURCE_DIR) + "/workbook/biff/tests/read_fixtures/";

std::string Number(double value) {
    if (value == std::trunc(value) && std::fabs(value) < 1e15) return std::to_string(static_cast<long long>(value));
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof(buffer), value);
    return std::string(buffer, result.ptr);
}

std::string Quoted(const std::u16string& text) {
    std::string out = "\"";
    for (char c : base::Utf16ToUtf8(text)) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (u < 0x20) {
            char hex[8];
            std::snprintf(hex, sizeof(hex), "\\u%04x", u);
            out += hex;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string Dump(test::TBIFFReadBook& book) {
    std::string out;
    auto line = [&](const std::string& text) { out += text + "\n"; };
    for (int s = 0; s < book.Root.Worksheets().Count(); ++s) {
        TXc12DataWorksheet& sheet = *book.Root.Worksheets().GetItems(s);
        const std::string at = std::to_string(s) + " ";
        line("sheet " + at + Quoted(sheet.Name));
        TXLSCellMMU& cells = *sheet.sheetData;
        cells.BeginIterate(0);
        while (cells.IterateNext()) {
            const std::string where =
                "cell " + at + std::to_string(cells.IterRow()) + " " + std::to_string(cells.IterCol());
            const TXLSMMUCell& cell = cells.IterCell();
            switch (cells.IterCellType()) {
                case xctFloat: line(where + " n " + Number(cells.IterFloat())); break;
                case xctFloatFormula: line(where + " n " + Number(TXLSCellMMU::GetFormulaResultFloat(cell))); break;
                case xctString: {
                    std::u16string text;
                    cells.GetString(cell, text);
                    line(where + " s " + Quoted(text));
                    break;
                }
                case xctStringFormula: line(where + " s " + Quoted(TXLSCellMMU::GetFormulaResultString(cell))); break;
                case xctBoolean: line(where + " b " + (cells.IterBoolean() ? "1" : "0")); break;
                case xctBooleanFormula:
                    line(where + " b " + (TXLSCellMMU::GetFormulaResultBoolean(cell) ? "1" : "0"));
                    break;
                case xctError: line(where + " e " + std::to_string(CellErrorToBIFFError(cells.IterError()))); break;
                case xctErrorFormula:
                    line(where + " e " +
                         std::to_string(CellErrorToBIFFError(TXLSCellMMU::GetFormulaResultError(cell))));
                    break;
                default: break;
            }
        }
        std::vector<std::array<int, 4>> merged;
        for (int i = 0; i < sheet.mergeCells->Count(); ++i) {
            const TCellArea& a = *sheet.mergeCells->GetItems(i);
            merged.push_back({a.GetRow1(), a.GetRow2(), a.GetCol1(), a.GetCol2()});
        }
        std::sort(merged.begin(), merged.end());
        for (const auto& m : merged)
            line("merged " + at + std::to_string(m[0]) + " " + std::to_string(m[1]) + " " + std::to_string(m[2]) + " " +
                 std::to_string(m[3]));
        // A column the file formats without giving it a width has the sheet's default width,
        // which xlrd does not give.
        const long defaultWidth =
            DefaultColumnWidth(sheet.sheetFormatPr.baseColWidth, book.Root.StyleSheet().Fonts().DefaultCharWidth());
        for (int i = 0; i < sheet.cols.Count(); ++i) {
            const TXc12Column& col = *sheet.cols.GetItems(i);
            const long width = std::lround(col.width * 256);
            for (int c = col.min; c <= col.max && c <= 255; ++c)
                line("col " + at + std::to_string(c) + " " +
                     (width == defaultWidth ? "default" : std::to_string(width)) + " " +
                     ((col.Flags & 0x01) ? "1" : "0"));
        }
        cells.BeginIterateRows(-1);
        while (cells.IterateNextRow()) {
            const TXLSMMURowHeader* header = cells.IterRowHeader();
            // A row that only a cell made has no height and no ROW record in the file.
            if (!header || header->Height() == XLSRowHeightNotGiven) continue;
            line("row " + at + std::to_string(cells.IterRow()) + " " + std::to_string(header->Height()) + " " +
                 ((header->Options() & 0x01) ? "1" : "0"));
        }
    }
    return out;
}

// A cell format as the formats dump gives it: number format, font (name, height in twips,
// bold, italic), horizontal alignment, fill pattern and the left, right, top and bottom line
// styles.
std::string Describe(const TXc12XF& xf) {
    const TXc12Font& font = *xf.GetFont();
    // The model keeps the general format as an empty text.
    const std::u16string& format = xf.GetNumberFormat()->GetFormatString();
    std::string out = Quoted(format.empty() ? u"General" : format) + " " + Quoted(font.GetName()) + " " +
                      std::to_string(std::lround(font.GetSize() * 20)) + " " +
                      ((font.GetStyle() & xfsBold) ? "1" : "0") + " " + ((font.GetStyle() & xfsItalic) ? "1" : "0") +
                      " " + std::to_string(xf.GetAlignment().GetHorizAlignment()) + " " +
                      std::to_string(xf.GetFill()->GetPatternType());
    for (TXc12BorderLine line : {xblLeft, xblRight, xblTop, xblBottom})
        out += " " + std::to_string(xf.GetBorder()->Line(line).Style);
    return out;
}

// Each stored cell's format, then each formatted column's (the model's own default format
// stands for a column the file gives no format).
std::string DumpFormats(test::TBIFFReadBook& book) {
    std::string out;
    const TXc12XFs& xfs = book.Root.StyleSheet().XFs();
    for (int s = 0; s < book.Root.Worksheets().Count(); ++s) {
        TXc12DataWorksheet& sheet = *book.Root.Worksheets().GetItems(s);
        TXLSCellMMU& cells = *sheet.sheetData;
        cells.BeginIterate(0);
        while (cells.IterateNext()) {
            if (cells.IterCellType() == xctNone) continue;
            out += "format " + std::to_string(s) + " " + std::to_string(cells.IterRow()) + " " +
                   std::to_string(cells.IterCol()) + " " + Describe(*xfs.GetItems(cells.IterXF())) + "\n";
        }
        for (int i = 0; i < sheet.cols.Count(); ++i) {
            const TXc12Column& col = *sheet.cols.GetItems(i);
            if (!col.style || col.style == xfs.GetDefault()) continue;
            for (int c = col.min; c <= col.max && c <= 255; ++c)
                out += "column " + std::to_string(s) + " " + std::to_string(c) + " " + Describe(*col.style) + "\n";
        }
    }
    return out;
}

// The text of each formula cell's tokens as the model holds them (shared formulas fixed up).
std::set<std::string> FormulaTexts(test::TBIFFReadBook& book) {
    std::set<std::string> out;
    for (int s = 0; s < book.Root.Worksheets().Count(); ++s) {
        TXLSCellMMU& cells = *book.Root.Worksheets().GetItems(s)->sheetData;
        cells.BeginIterate(0);
        while (cells.IterateNext()) {
            const uint8_t* ptgs = nullptr;
            const TCellValueType type = cells.IterCellType();
            if (type != xctFloatFormula && type != xctStringFormula && type != xctBooleanFormula &&
                type != xctErrorFormula)
                continue;
            const int length = cells.IterFormulaPtgs(ptgs);
            const std::u16string text =
                DecodeBiffFormula({ptgs, static_cast<size_t>(length)}, 0, u',', {}, cells.IterRow(), cells.IterCol());
            out.insert("formula " + std::to_string(s) + " " + std::to_string(cells.IterRow()) + " " +
                       std::to_string(cells.IterCol()) + " " + base::Utf16ToUtf8(text));
        }
    }
    return out;
}

std::string Oracle(const std::string& arguments) {
    const std::string script = std::string(OMBRIX_SOURCE_DIR) + "/workbook/biff/tests/xlrd_read_dump.py";
    const auto oracle =
        platform::testing::RunCommand("/usr/bin/python3 " + platform::testing::ShellQuote(script) + " " + arguments);
    EXPECT_EQ(oracle.ExitCode, 0) << oracle.Output;
    return oracle.Output;
}

void LoadFixture(test::TBIFFReadBook& book, const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    ASSERT_TRUE(in) << path;
    const std::vector<uint8_t> file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    book.Load(file);
}

std::string FixtureName(const ::testing::TestParamInfo<const char*>& info) {
    const std::string name = info.param;
    return name.substr(0, name.find('.'));
}

class ReadsLikeXlrd : public ::testing::TestWithParam<const char*> {};

TEST_P(ReadsLikeXlrd, SameSheetsCellsMergesWidthsAndHeights) {
    const std::string path = FixtureDir + GetParam();
    test::TBIFFReadBook book;
    LoadFixture(book, path);
    EXPECT_EQ(Dump(book), Oracle(platform::testing::ShellQuote(path)));
}

INSTANTIATE_TEST_SUITE_P(Producers, ReadsLikeXlrd,
                         ::testing::Values("xlwt.xls", "libreoffice.xls", "gnumeric_biff8.xls", "gnumeric_biff7.xls",
                                           "writeexcel.xls", "biff2.xls", "biff20.xls", "biff3.xls", "biff4.xls"),
                         FixtureName);

// Rows without a ROW record (cells only) keep the sheet's default height and stay unmarked as
// set by hand when the file is read and written again; rows with a record keep theirs.
class HeightsSurviveRoundTrip : public ::testing::TestWithParam<const char*> {};

TEST_P(HeightsSurviveRoundTrip, XlrdGivesTheSameHeightToEveryRow) {
    const std::string path = FixtureDir + GetParam();
    test::TBIFFReadBook book;
    LoadFixture(book, path);
    platform::testing::TTempDir dir;
    const std::string written = dir / "written.xls";
    platform::testing::WriteFileBytes(written, book.Save());
    EXPECT_EQ(Oracle("--heights " + platform::testing::ShellQuote(written)),
              Oracle("--heights " + platform::testing::ShellQuote(path)));
}

INSTANTIATE_TEST_SUITE_P(Producers, HeightsSurviveRoundTrip,
                         ::testing::Values("xlwt.xls", "writeexcel.xls", "libreoffice.xls", "gnumeric_biff8.xls"),
                         FixtureName);

// The palette indexes of fills and fonts are written back as the file gave them: gnumeric fills
// its cells with the window background (system colour 65), which must not come back as window
// text, black.
class ColoursSurviveRoundTrip : public ::testing::TestWithParam<const char*> {};

TEST_P(ColoursSurviveRoundTrip, XlrdGivesEveryCellTheSameFillAndFontColours) {
    const std::string path = FixtureDir + GetParam();
    test::TBIFFReadBook book;
    LoadFixture(book, path);
    platform::testing::TTempDir dir;
    const std::string written = dir / "written.xls";
    platform::testing::WriteFileBytes(written, book.Save());
    const std::string before = Oracle("--colours " + platform::testing::ShellQuote(path));
    EXPECT_NE(before.find("colours "), std::string::npos);
    EXPECT_EQ(Oracle("--colours " + platform::testing::ShellQuote(written)), before);
}

INSTANTIATE_TEST_SUITE_P(Producers, ColoursSurviveRoundTrip,
                         ::testing::Values("gnumeric_biff8.xls", "xlwt.xls", "writeexcel.xls", "libreoffice.xls"),
                         FixtureName);

// Formula texts of our decoder against xlrd's decompiler on the same cells (xlrd leaves out
// shared formulas and references to other sheets).
class FormulasLikeXlrd : public ::testing::TestWithParam<const char*> {};

TEST_P(FormulasLikeXlrd, SameTextForEveryFormulaXlrdDecompiles) {
    const std::string path = FixtureDir + GetParam();
    test::TBIFFReadBook book;
    LoadFixture(book, path);
    const std::set<std::string> ours = FormulaTexts(book);
    std::istringstream oracle(Oracle("--formulas " + platform::testing::ShellQuote(path)));
    int compared = 0;
    for (std::string line; std::getline(oracle, line);) {
        if (line.empty()) continue;
        ++compared;
        EXPECT_TRUE(ours.count(line)) << "xlrd: " << line;
    }
    EXPECT_GT(compared, 0);
}

INSTANTIATE_TEST_SUITE_P(Producers, FormulasLikeXlrd,
                         ::testing::Values("xlwt.xls", "libreoffice.xls", "gnumeric_biff8.xls", "writeexcel.xls"),
                         FixtureName);

// The cell formats of BIFF2 to BIFF5, whose XF records differ from each other and from BIFF8.
class FormatsLikeXlrd : public ::testing::TestWithParam<const char*> {};

TEST_P(FormatsLikeXlrd, SameNumberFormatFontAndAlignment) {
    const std::string path = FixtureDir + GetParam();
    test::TBIFFReadBook book;
    LoadFixture(book, path);
    EXPECT_EQ(DumpFormats(book), Oracle("--formats " + platform::testing::ShellQuote(path)));
}

INSTANTIATE_TEST_SUITE_P(OlderVersions, FormatsLikeXlrd,
                         ::testing::Values("biff2.xls", "biff20.xls", "biff3.xls", "biff4.xls", "gnumeric_biff7.xls"),
                         FixtureName);

// The array formulas of the hand-made BIFF2-4 files as LibreOffice reads them
// (old_biff_office_oracle.txt, made by gen_old_biff_office_oracle.py): the same anchor, range
// and formula text.
TEST(OldArrayFormulas, AsLibreOfficeReadsThem) {
    std::ifstream table(std::string(OMBRIX_SOURCE_DIR) + "/workbook/biff/tests/old_biff_office_oracle.txt");
    ASSERT_TRUE(table);
    int compared = 0;
    for (std::string line; std::getline(table, line);) {
        std::istringstream in(line);
        std::string kind, file, text;
        int col1 = 0, row1 = 0, col2 = 0, row2 = 0;
        in >> kind >> file >> col1 >> row1 >> col2 >> row2 >> text;
        SCOPED_TRACE(line);
        test::TBIFFReadBook book;
        LoadFixture(book, FixtureDir + file);
        TXLSCellMMU& cells = book.Cells();
        TXLSMMUCell cell;
        ASSERT_TRUE(cells.FindCell(col1, row1, cell));
        const uint8_t* range = TXLSCellMMU::GetFormulaRange(cell);
        ASSERT_NE(range, nullptr);
        EXPECT_EQ((std::array<int, 4>{base::LoadLE16(range), static_cast<int>(base::LoadLE32(range + 2)),
                                      base::LoadLE16(range + 6), static_cast<int>(base::LoadLE32(range + 8))}),
                  (std::array<int, 4>{col1, row1, col2, row2}));
        const uint8_t* ptgs = nullptr;
        const int length = TXLSCellMMU::GetFormulaPtgs(cell, ptgs);
        ASSERT_GT(length, 1);
        EXPECT_EQ(
            base::Utf16ToUtf8(DecodeBiffFormula({ptgs + 1, static_cast<size_t>(length - 1)}, 0, u',', {}, row1, col1)),
            text);
        ++compared;
    }
    EXPECT_GT(compared, 0);
}

// Where a read leads: the workbook's dump and the file written from it, or the error.
struct TReadOutcome {
    std::string Text;
    std::vector<uint8_t> Saved;
};

TReadOutcome ReadOutcome(const std::vector<uint8_t>& file, bool copied) {
    const bool compound = !file.empty() && file[0] == 0xD0;
    test::TBIFFReadBook book;
    try {
        if (!copied) {
            book.Load(file);
        } else if (compound) {
            book.Load(test::ScatterWorkbook(file));
        } else {
            test::TOpaqueStream stream(file);
            book.Document->LoadFromStream(&stream);
        }
    } catch (const std::exception& e) {
        return {std::string("error ") + e.what(), {}};
    }
    TReadOutcome outcome{Dump(book), {}};
    try {
        outcome.Saved = book.Save();
    } catch (const std::exception& e) {
        outcome.Text += std::string("not written: ") + e.what();
    }
    return outcome;
}

// Reads from bytes in place (a memory stream, a compound file's stream in one run) and reads that
// copy the records out (the workbook stream's sectors scattered over the file, a plain file
// behind a stream that hides its memory) give the same workbook; cut inside the last record that
// has data, or with that record's length running past the end, both give the same error.
// A BIFF5 workbook of one sheet "Data" holding the records given.
std::vector<uint8_t> Biff5Book(const test::TRecords& sheet) {
    test::TRecords records;
    records.Record(0x0809, {0x00, 0x05, 0x05, 0x00, 0, 0, 0, 0}).Record(0x0042, {0xE4, 0x04});  // code page 1252
    const size_t boundsheet = records.Bytes.size() + 4;
    records.Record(0x0085, {0, 0, 0, 0, 0, 0, 4, 'D', 'a', 't', 'a'}).EOF_();
    // BOUNDSHEET points at the sheet's BOF, which follows the globals.
    const size_t sheetAt = records.Bytes.size();
    for (size_t i = 0; i < 4; ++i) records.Bytes[boundsheet + i] = static_cast<uint8_t>(sheetAt >> (8 * i));
    records.Record(0x0809, {0x00, 0x05, 0x10, 0x00, 0, 0, 0, 0});
    records.Bytes.insert(records.Bytes.end(), sheet.Bytes.begin(), sheet.Bytes.end());
    records.EOF_();
    return test::WrapWorkbook(records.Bytes, u"Book");
}

std::vector<uint8_t> Biff5Label(uint16_t row, uint16_t count, const std::string& chars) {
    std::vector<uint8_t> label = test::TRecords::Words({row, 0, 15, count});
    label.insert(label.end(), chars.begin(), chars.end());
    return label;
}

// A BIFF5 LABEL whose character count runs past its record: xlrd, like LibreOffice, cuts it at
// the record's end. So does the reader, with a warning naming the cell, and reads on.
TEST(ShortTexts, LabelCutAtTheRecordEndAsXlrdCutsIt) {
    test::TRecords sheet;
    sheet.Record(0x0204, Biff5Label(0, 10, "abc")).Record(0x0204, Biff5Label(1, 2, "ok"));
    const std::vector<uint8_t> file = Biff5Book(sheet);
    test::TBIFFReadBook book;
    book.Errors.SetSaveToList(true);
    book.Load(file);
    platform::testing::TTempDir dir;
    const std::string path = dir / "short.xls";
    platform::testing::WriteFileBytes(path, file);
    const std::string oracle = Oracle(platform::testing::ShellQuote(path));
    EXPECT_NE(oracle.find("cell 0 0 0 s \"abc\"\n"), std::string::npos) << oracle;
    EXPECT_EQ(Dump(book), oracle);
    ASSERT_EQ(book.Errors.Messages().size(), 1u);
    EXPECT_EQ(book.Errors.Messages()[0].Text, u"W2002: Text of cell A1 is shorter than its record says");
}

// The STRING record of a formula's text result cut short the same way (xlrd looks for a
// CONTINUE record there and gives up), and a BIFF5 LABEL with no characters at all.
TEST(ShortTexts, FormulaTextAndEmptyLabelCutToWhatTheRecordHolds) {
    std::vector<uint8_t> formula = test::TRecords::Words({0, 1, 15});
    formula.insert(formula.end(), {0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 3, 0, 0x1E, 1, 0});
    test::TRecords sheet;
    sheet.Record(0x0006, formula).Record(0x0207, {8, 0, 'x', 'y'}).Record(0x0204, Biff5Label(1, 5, ""));
    test::TBIFFReadBook book;
    book.Errors.SetSaveToList(true);
    book.Load(Biff5Book(sheet));
    EXPECT_EQ(Dump(book), "sheet 0 \"Data\"\ncell 0 0 1 s \"xy\"\ncell 0 1 0 s \"\"\n");
    ASSERT_EQ(book.Errors.Messages().size(), 2u);
    EXPECT_EQ(book.Errors.Messages()[0].Text, u"W2002: Text of cell B1 is shorter than its record says");
    EXPECT_EQ(book.Errors.Messages()[1].Text, u"W2002: Text of cell A2 is shorter than its record says");
}

class ReadsAlikeInPlaceAndCopied : public ::testing::TestWithParam<const char*> {};

TEST_P(ReadsAlikeInPlaceAndCopied, SameWorkbookAndSameErrors) {
    std::ifstream in(FixtureDir + GetParam(), std::ios::binary);
    const std::vector<uint8_t> file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    ASSERT_FALSE(file.empty());
    const bool compound = file[0] == 0xD0;
    std::u16string name = u"Workbook";
    std::vector<uint8_t> stream = file;
    if (compound) {
        const auto container = platform::TCompoundFile::OpenMemory(file);
        if (!container->Root().HasStream(name)) name = u"Book";
        stream = container->Root().ReadStream(name);
    }
    size_t last = 0;  // the last record with two bytes of data or more
    for (size_t at = 0; at + 4 <= stream.size(); at += 4 + base::LoadLE16(stream.data() + at + 2))
        if (base::LoadLE16(stream.data() + at + 2) >= 2) last = at;
    const size_t lastLength = base::LoadLE16(stream.data() + last + 2);
    std::vector<uint8_t> tooLong = stream;
    base::StoreLE16(tooLong.data() + last + 2, 0xFFFF);
    const struct {
        const char* Name;
        std::vector<uint8_t> Stream;
        bool Fails;
    } cases[] = {
        {"whole", {}, false},
        {"data cut", {stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(last + 4 + lastLength / 2)}, true},
        {"header cut", {stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(last + 2)}, false},
        {"length past the end", tooLong, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::vector<uint8_t> read = c.Stream.empty() ? file
                                          : compound       ? test::WrapWorkbook(c.Stream, name)
                                                           : c.Stream;
        // Out of the mini stream, whose sectors are always copied.
        if (compound) {
            ASSERT_GE(c.Stream.empty() ? stream.size() : c.Stream.size(), 4096u);
        }
        const TReadOutcome inPlace = ReadOutcome(read, false);
        const TReadOutcome copied = ReadOutcome(read, true);
        EXPECT_EQ(inPlace.Text, copied.Text);
        EXPECT_TRUE(inPlace.Saved == copied.Saved);
        EXPECT_EQ(inPlace.Text.starts_with("error "), c.Fails) << inPlace.Text.substr(0, 200);
    }
}

INSTANTIATE_TEST_SUITE_P(Producers, ReadsAlikeInPlaceAndCopied,
                         ::testing::Values("xlwt.xls", "libreoffice.xls", "gnumeric_biff8.xls", "gnumeric_biff7.xls",
                                           "writeexcel.xls", "biff2.xls", "biff20.xls", "biff3.xls", "biff4.xls"),
                         FixtureName);

// The records of a workbook stream without those of the ids given.
std::vector<uint8_t> WithoutRecords(const std::vector<uint8_t>& stream, std::initializer_list<uint16_t> ids) {
    std::vector<uint8_t> out;
    for (size_t at = 0; at + 4 <= stream.size();) {
        const size_t next = std::min(stream.size(), at + 4 + base::LoadLE16(&stream[at + 2]));
        if (std::find(ids.begin(), ids.end(), base::LoadLE16(&stream[at])) == ids.end())
            out.insert(out.end(), stream.begin() + static_cast<std::ptrdiff_t>(at),
                       stream.begin() + static_cast<std::ptrdiff_t>(next));
        at = next;
    }
    return out;
}

// The dump with each sheet's name line left out.
std::string WithoutSheetNames(const std::string& dump) {
    std::istringstream in(dump);
    std::string out;
    for (std::string line; std::getline(in, line);)
        if (line.rfind("sheet ", 0) != 0) out += line + "\n";
    return out;
}

// A workbook stream whose sheet list (BOUNDSHEET records) was lost keeps its worksheets, named
// as new sheets are; the file written from it reads back the same, with us and with xlrd.
class ReadsWithoutSheetList : public ::testing::TestWithParam<const char*> {};

TEST_P(ReadsWithoutSheetList, WorksheetsAreKeptAndWrittenAsAFileXlrdOpens) {
    const std::string path = FixtureDir + GetParam();
    test::TBIFFReadBook original;
    LoadFixture(original, path);
    const std::vector<uint8_t> stream = test::WorkbookStream(platform::testing::ReadFileBytes(path));

    test::TBIFFReadBook book;
    book.Load(test::WrapWorkbook(WithoutRecords(stream, {BIFFRECID_BOUNDSHEET})));
    ASSERT_EQ(book.Root.Worksheets().Count(), original.Root.Worksheets().Count());
    for (int i = 0; i < book.Root.Worksheets().Count(); ++i)
        EXPECT_EQ(book.Root.Worksheets().GetItems(i)->Name, base::Utf8ToUtf16("Sheet" + std::to_string(i + 1)));
    EXPECT_EQ(WithoutSheetNames(Dump(book)), WithoutSheetNames(Dump(original)));

    platform::testing::TTempDir dir;
    const std::string written = dir / "written.xls";
    platform::testing::WriteFileBytes(written, book.Save());
    test::TBIFFReadBook again;
    LoadFixture(again, written);
    EXPECT_EQ(Dump(again), Dump(book));
    EXPECT_EQ(Oracle(platform::testing::ShellQuote(written)), Dump(book));
}

INSTANTIATE_TEST_SUITE_P(Producers, ReadsWithoutSheetList,
                         ::testing::Values("xlwt.xls", "libreoffice.xls", "gnumeric_biff8.xls"), FixtureName);

// Globals alone hold no sheet to write: such a stream is refused when read.
TEST(ReadsWithoutSheetList, GlobalsWithoutAnySheetAreRefused) {
    const std::vector<uint8_t> stream = test::WorkbookStream(platform::testing::ReadFileBytes(FixtureDir + "xlwt.xls"));
    size_t globalsEnd = 0;
    while (globalsEnd + 4 <= stream.size() && base::LoadLE16(&stream[globalsEnd]) != BIFFRECID_EOF)
        globalsEnd += 4 + base::LoadLE16(&stream[globalsEnd + 2]);
    ASSERT_LT(globalsEnd + 4, stream.size());
    const std::vector<uint8_t> globals(stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(globalsEnd + 4));
    test::TBIFFReadBook book;
    try {
        book.Load(test::WrapWorkbook(WithoutRecords(globals, {BIFFRECID_BOUNDSHEET})));
        FAIL() << "a workbook without sheets was read";
    } catch (const std::exception& e) {
        EXPECT_NE(std::string(e.what()).find("The workbook has no sheets"), std::string::npos) << e.what();
    }
}

}  // namespace
}  // namespace xls
