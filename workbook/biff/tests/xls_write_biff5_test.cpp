// BIFF5 workbooks read and written back in their own version, checked by python3-xlrd,
// LibreOffice (where installed) and the reader itself.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "base/text_encoding.h"
#include "platform/testing/test_files.h"
#include "workbook/api/formula_services.h"
#include "workbook/biff/biff_document_link.h"
#include "workbook/biff/biff_error.h"
#include "workbook/biff/record_defaults.h"
#include "workbook/biff/tests/biff_read_book.h"
#include "workbook/model/cell_store.h"
#include "workbook/model/defined_names.h"
#include "workbook/model/shared_string_table.h"

namespace xls {
namespace {

using platform::testing::RunCommand;
using platform::testing::ShellQuote;
using platform::testing::TTempDir;

const std::string FixtureDir = std::string(OMBRIX_SOURCE_DIR) + "/workbook/biff/tests/read_fixtures/";

// An 8-bit count and Windows-1252 text, as BIFF5 records hold their short strings.
TRecordBytes Text8(TRecordBytes data, const std::string& cp1252) {
    data.Byte(static_cast<uint8_t>(cp1252.size()));
    return data.Append(reinterpret_cast<const uint8_t*>(cp1252.data()), cp1252.size());
}

// The same with a 16-bit count (LABEL, STRING).
TRecordBytes Text16(TRecordBytes data, const std::string& cp1252) {
    data.Word(static_cast<uint16_t>(cp1252.size()));
    return data.Append(reinterpret_cast<const uint8_t*>(cp1252.data()), cp1252.size());
}

TRecordBytes Cell(uint16_t row, uint16_t col, uint16_t xf) {
    TRecordBytes data;
    data.Word(row).Word(col).Word(xf);
    return data;
}

TRecordBytes BOF5(uint16_t type) {
    TRecordBytes data;
    data.Word(0x0500).Word(type).Word(0x0DBB).Word(0x07CE);
    return data;
}

TRecordBytes XF5(uint16_t font, uint16_t format, uint16_t type, uint8_t align, uint8_t used, uint32_t fill,
                 uint32_t lines) {
    TRecordBytes data;
    data.Word(font).Word(format).Word(type).Byte(align).Byte(used).Long(fill).Long(lines);
    return data;
}

const std::string SecondSheet = "Z\xFCrich \x80";  // Zürich € in Windows-1252

// A BIFF5 workbook made record by record from the published layouts: two sheets, Windows-1252
// texts, fonts, number formats and cell formats with borders and fills, numbers, texts, booleans,
// errors, formulas with number, text and boolean results, a constant and an area name.
std::vector<uint8_t> Biff5Workbook() {
    test::TRecords data;
    data.Record(0x0809, BOF5(0x0010).Bytes);
    data.Record(0x0200, TRecordBytes().Word(0).Word(4).Word(0).Word(4).Word(0).Bytes);
    data.Record(0x007D, TRecordBytes().Word(0).Word(0).Word(20 * 256).Word(15).Word(0).Word(0).Bytes);
    data.Record(0x0208, TRecordBytes().Word(0).Word(0).Word(4).Word(400).Word(0).Word(0).Word(0x0140).Word(15).Bytes);
    data.Record(0x0204, Text16(Cell(0, 0, 17), "Z\xFCrich \x80").Bytes);
    data.Record(0x0203, Cell(0, 1, 16).Double(21.75).Bytes);
    data.Record(0x027E, Cell(0, 2, 15).Long(3 << 2 | 2).Bytes);
    data.Record(0x0205, Cell(0, 3, 15).Byte(1).Byte(0).Bytes);
    data.Record(0x0204, Text16(Cell(1, 0, 15), "Rate").Bytes);
    // =B1*2, =\"ok\", =TRUE with BIFF5 tokens (tRefV of 3 bytes, tStr without a flag byte).
    const std::vector<uint8_t> twice = {0x44, 0x00, 0xC0, 0x01, 0x1E, 0x02, 0x00, 0x05};
    data.Record(0x0006, Cell(1, 1, 18)
                            .Double(43.5)
                            .Word(0)
                            .Long(0)
                            .Word(static_cast<uint16_t>(twice.size()))
                            .Append(twice.data(), twice.size())
                            .Bytes);
    data.Record(0x0006, Cell(1, 2, 15)
                            .Byte(0)
                            .Zeros(5)
                            .Word(0xFFFF)
                            .Word(0)
                            .Long(0)
                            .Word(4)
                            .Byte(0x17)
                            .Byte(2)
                            .Byte('o')
                            .Byte('k')
                            .Bytes);
    data.Record(0x0207, Text16(TRecordBytes(), "ok").Bytes);
    data.Record(
        0x0006,
        Cell(1, 3, 15).Byte(1).Byte(0).Byte(1).Zeros(3).Word(0xFFFF).Word(0).Long(0).Word(2).Byte(0x1D).Byte(1).Bytes);
    data.Record(0x0205, Cell(2, 0, 15).Byte(0x07).Byte(1).Bytes);
    // MULRK: 1.5 (in hundredths) and 7.
    data.Record(0x00BD,
                TRecordBytes().Word(2).Word(1).Word(15).Long(150 << 2 | 3).Word(16).Long(7 << 2 | 2).Word(2).Bytes);
    data.Record(0x0203, Cell(3, 0, 17).Double(45000.5).Bytes);
    data.Record(0x0201, Cell(3, 3, 16).Bytes);
    data.Record(0x023E, TRecordBytes().Word(0x06B6).Word(0).Word(0).Long(0).Bytes);
    data.Record(0x0014, Text8(TRecordBytes(), "Page &P").Bytes);
    data.EOF_();
    const std::vector<uint8_t> first = data.Bytes;

    test::TRecords other;
    other.Record(0x0809, BOF5(0x0010).Bytes);
    other.Record(0x0200, TRecordBytes().Word(0).Word(2).Word(0).Word(1).Word(0).Bytes);
    other.Record(0x0204, Text16(Cell(0, 0, 15), "text").Bytes);
    other.Record(0x0203, Cell(1, 0, 15).Double(-7).Bytes);
    other.Record(0x023E, TRecordBytes().Word(0x06B6).Word(0).Word(0).Long(0).Bytes);
    other.EOF_();

    test::TRecords globals;
    globals.Record(0x0809, BOF5(0x0005).Bytes);
    TRecordBytes access = Text8(TRecordBytes(), "Logger");
    access.Bytes.resize(32, ' ');
    globals.Record(0x005C, access.Bytes);
    globals.Record(0x0042, TRecordBytes().Word(1252).Bytes);
    struct TFont {
        uint16_t Height, Options, Color, Weight;
        uint8_t Underline;
        std::string Name;
    };
    const TFont fonts[] = {{200, 0, 0x7FFF, 400, 0, "Arial"},
                           {200, 1, 0x7FFF, 700, 0, "Arial"},
                           {200, 2, 0x7FFF, 400, 0, "Arial"},
                           {200, 0, 0x7FFF, 400, 0, "Arial"},
                           {240, 0, 10, 400, 1, "Courier New"}};
    for (const TFont& f : fonts) {
        TRecordBytes font;
        font.Word(f.Height).Word(f.Options).Word(f.Color).Word(f.Weight).Word(0).Byte(f.Underline).Zeros(3);
        globals.Record(0x0031, Text8(std::move(font), f.Name).Bytes);
    }
    globals.Record(0x041E, Text8(TRecordBytes().Word(164), "0.000").Bytes);
    globals.Record(0x041E, Text8(TRecordBytes().Word(165), "yyyy-mm-dd hh:mm").Bytes);
    for (int i = 0; i < 15; ++i) globals.Record(0x00E0, XF5(0, 0, 0xFFF5, 0x20, 0, 0x20C0, 0).Bytes);
    globals.Record(0x00E0, XF5(0, 0, 0x0001, 0x20, 0, 0x20C0, 0).Bytes);
    // Font 5, 0.000, right and bottom, a solid yellow fill, thin bottom border in black, a medium
    // top border in black, a thin left border in blue.
    globals.Record(0x00E0, XF5(5, 164, 0x0001, 0x23, 0xF8, 13 | 64 << 7 | 1 << 16 | 1u << 22 | 8u << 25,
                               2 | 1 << 3 | 8 << 9 | 12 << 16 | 64u << 23)
                               .Bytes);
    // Bold, the date format, centred, wrapped, at the top.
    globals.Record(0x00E0, XF5(1, 165, 0x0001, 0x0A, 0x38, 0x20C0, 0).Bytes);
    // Italic, 0.00%.
    globals.Record(0x00E0, XF5(2, 10, 0x0001, 0x20, 0x08, 0x20C0, 0).Bytes);
    globals.Record(0x0293, TRecordBytes().Word(0x8000).Byte(0).Byte(0xFF).Bytes);
    const size_t sheetListAt = globals.Bytes.size();
    globals.Record(0x0085, Text8(TRecordBytes().Long(0).Byte(0).Byte(0), "Data").Bytes);
    globals.Record(0x0085, Text8(TRecordBytes().Long(0).Byte(0).Byte(0), SecondSheet).Bytes);
    globals.Record(0x0016, TRecordBytes().Word(2).Bytes);
    // EXTERNSHEET of a sheet of this workbook: the count leaves out the type byte 3.
    for (const std::string& sheet : {std::string("Data"), SecondSheet}) {
        TRecordBytes entry;
        entry.Byte(static_cast<uint8_t>(sheet.size())).Byte(3);
        globals.Record(0x0017, entry.Append(reinterpret_cast<const uint8_t*>(sheet.data()), sheet.size()).Bytes);
    }
    TRecordBytes rate;
    rate.Word(0).Byte(0).Byte(4).Word(9).Word(0).Word(0).Zeros(4);
    rate.Append(reinterpret_cast<const uint8_t*>("Rate"), 4).Byte(0x1F).Double(0.175);
    globals.Record(0x0018, rate.Bytes);
    // Data!$A$1:$B$2 local to the first sheet: tArea3d of BIFF5 through EXTERNSHEET entry 0.
    TRecordBytes corner;
    corner.Word(0).Byte(0).Byte(6).Word(21).Word(0).Word(1).Zeros(4);
    corner.Append(reinterpret_cast<const uint8_t*>("Corner"), 6).Byte(0x3B).Word(0xFFFF).Zeros(8);
    corner.Word(0).Word(0).Word(0).Word(1).Byte(0).Byte(1);
    globals.Record(0x0018, corner.Bytes);
    globals.EOF_();

    // Each sheet entry points at its substream's BOF.
    const uint32_t firstAt = static_cast<uint32_t>(globals.Bytes.size());
    const uint32_t otherAt = firstAt + static_cast<uint32_t>(first.size());
    base::StoreLE32(&globals.Bytes[sheetListAt + 4], firstAt);
    base::StoreLE32(&globals.Bytes[sheetListAt + 4 + 4 + 7 + 4], otherAt);
    std::vector<uint8_t> stream = globals.Bytes;
    stream.insert(stream.end(), first.begin(), first.end());
    stream.insert(stream.end(), other.Bytes.begin(), other.Bytes.end());
    return test::WrapWorkbook(stream, u"Book");
}

std::vector<uint8_t> FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in) << path;
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void SaveBytes(const std::vector<uint8_t>& bytes, const std::filesystem::path& path) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// The "Book" stream of a compound file.
std::vector<uint8_t> BookStream(const std::vector<uint8_t>& file) {
    auto cf = platform::TCompoundFile::OpenMemory(file);
    auto stream = cf->Root().OpenStream(u"Book");
    std::vector<uint8_t> bytes(static_cast<size_t>(stream->Size()));
    stream->ReadBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    return bytes;
}

std::string XlrdLines(const std::filesystem::path& path, const std::string& prefix) {
    const std::string script = std::string(OMBRIX_SOURCE_DIR) + "/workbook/biff/tests/xlrd_dump.py";
    const auto result = RunCommand("/usr/bin/python3 " + ShellQuote(script) + " " + ShellQuote(path));
    EXPECT_EQ(result.ExitCode, 0) << result.Output;
    std::string lines;
    size_t start = 0;
    while (start < result.Output.size()) {
        size_t end = result.Output.find('\n', start);
        if (end == std::string::npos) end = result.Output.size();
        const std::string line = result.Output.substr(start, end - start);
        if (line.rfind(prefix, 0) == 0) lines += line + "\n";
        start = end + 1;
    }
    return lines;
}

// The hand-made workbook and one that another producer wrote as BIFF5.
class Biff5Files : public ::testing::TestWithParam<const char*> {
protected:
    std::vector<uint8_t> Original() {
        const std::string name = GetParam();
        return name == "handmade" ? Biff5Workbook() : FileBytes(FixtureDir + name);
    }
};

TEST_P(Biff5Files, XlrdAndLibreOfficeReadTheWrittenFileAsTheFileRead) {
    TTempDir dir;
    const std::vector<uint8_t> original = Original();
    SaveBytes(original, dir / "original.xls");
    test::TBIFFReadBook book;
    book.Load(original);
    ASSERT_EQ(book.Document->GetVersion(), xvExcel50);
    book.Document->SetFilename(dir / "written.xls");
    book.Document->Write();
    const std::string script = std::string(OMBRIX_SOURCE_DIR) + "/workbook/biff/tests/biff5_compare.py";
    const auto result = RunCommand("/usr/bin/python3 " + ShellQuote(script) + " " + ShellQuote(dir / "original.xls") +
                                   " " + ShellQuote(dir / "written.xls"));
    EXPECT_EQ(result.ExitCode, 0) << result.Output;
    // An Excel 5 BOF: xlrd reads the written file as BIFF5.
    EXPECT_NE(result.Output.find("xlrd version biff=50 codepage=1252"), std::string::npos) << result.Output;
}

TEST_P(Biff5Files, TheReaderReadsTheWrittenFileAsTheFileRead) {
    test::TBIFFReadBook first;
    first.Load(Original());
    const std::vector<uint8_t> written = first.Save();
    test::TBIFFReadBook second;
    second.Load(written);
    EXPECT_EQ(second.Document->GetVersion(), xvExcel50);
    // What the reader made of the written file is written as the very same stream.
    EXPECT_EQ(BookStream(second.Save()), BookStream(written));
    ASSERT_EQ(second.Root.Worksheets().Count(), first.Root.Worksheets().Count());
    for (int sheet = 0; sheet < first.Root.Worksheets().Count(); ++sheet) {
        EXPECT_EQ(second.Root.Worksheets().GetItems(sheet)->Name, first.Root.Worksheets().GetItems(sheet)->Name);
        TXLSCellMMU& before = first.Cells(sheet);
        TXLSCellMMU& after = second.Cells(sheet);
        before.BeginIterate(0);
        while (before.IterateNext()) {
            std::u16string expected, got;
            before.GetAsString(before.IterCol(), before.IterRow(), expected);
            after.GetAsString(before.IterCol(), before.IterRow(), got);
            EXPECT_EQ(base::Utf16ToUtf8(got), base::Utf16ToUtf8(expected))
                << "sheet " << sheet << " cell " << before.IterCol() << "," << before.IterRow();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Producers, Biff5Files, ::testing::Values("handmade", "gnumeric_biff7.xls"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             const std::string name = info.param;
                             return name.substr(0, name.find('.'));
                         });

class Biff5Write : public ::testing::Test {
protected:
    void SetUp() override { Book.Load(Biff5Workbook()); }

    std::string WriteAndDump(const std::string& prefix) {
        Book.Document->SetFilename(Dir / "book.xls");
        Book.Document->Write();
        return XlrdLines(Dir / "book.xls", prefix);
    }

    test::TBIFFReadBook Book;
    TTempDir Dir;
};

TEST_F(Biff5Write, TextsTakeTheCodePageAndWhatItLacksIsRefused) {
    Book.Cells().StoreString(0, 5, 0, u"\u20AC 5 \u00E9t\u00E9");
    const std::string cells = WriteAndDump("cell 0 5 ");
    EXPECT_EQ(cells, "cell 0 5 0 1 \"\u20AC 5 \u00E9t\u00E9\"\n");
    Book.Cells().StoreString(0, 6, 0, u"\u6E29\u5EA6");
    try {
        Book.Save();
        FAIL() << "a text outside code page 1252 was written";
    } catch (const EBIFFError& e) {
        EXPECT_NE(std::string(e.what()).find("can not be written in code page 1252"), std::string::npos) << e.what();
    }
}

TEST_F(Biff5Write, ConstantNamesAddedAreWrittenAndOthersRefused) {
    TXc12DefinedName* tax = Book.Root.Workbook().definedNames->Add(u"Tax", -1);
    tax->SetContent(u"0.2");
    TXc12DefinedName* label = Book.Root.Workbook().definedNames->Add(u"Label", 0);
    label->SetContent(u"\"caf\u00E9\"");
    const std::string names = WriteAndDump("result ");
    EXPECT_EQ(names,
              "result Rate 0.175\n"
              "result Corner Data!$A$1:$B$2\n"
              "result Tax 0.2\n"
              "result Label \"caf\u00E9\"\n");
    TXc12DefinedName* area = Book.Root.Workbook().definedNames->Add(u"Area", -1);
    area->SetContent(u"Data!A1:B2");
    EXPECT_THROW(Book.Save(), EBIFFError);
}

TEST_F(Biff5Write, FormulasAreNotAddedToAnExcel5Workbook) {
    TBIFFDocumentLink link(*Book.Document);
    std::vector<uint8_t> buffer(64);
    EXPECT_THROW(link.EncodeFormula(u"1+2", 0, static_cast<int>(buffer.size()), buffer.data()), EBIFFError);
    // A formula the model holds in its own code (one it took in some other way) is refused at
    // writing: only the tokens read are BIFF5 tokens.
    TXLSFormulaServices formulas(Book.Root);
    const std::vector<uint8_t> code = formulas.EncodeFormula(u"1+2", 0);
    ASSERT_FALSE(code.empty());
    ASSERT_NE(code[0], 0xFF);
    Book.Cells().StoreFormulaTokens(0, 7, 3, static_cast<int>(code.size()), code.data(), 0);
    EXPECT_THROW(Book.Save(), EBIFFError);
}

}  // namespace
}  // namespace xls
