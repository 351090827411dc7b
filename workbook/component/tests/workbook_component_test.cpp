// The workbook component: its start state, the format switch with the built-in empty workbook,
// load and save routing by name and content, and what a failed read leaves.
#include <gtest/gtest.h>

#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "base/memory_stream.h"
#include "base/text_encoding.h"
#include "platform/compound_file.h"
#include "platform/testing/test_files.h"
#include "workbook/biff/biff_document.h"
#include "workbook/component/workbook_component.h"
#include "workbook/model/style_sheet.h"

namespace xls::test {
namespace {

using platform::testing::TTempDir;

std::u16string U16(const std::string& path) { return base::Utf8ToUtf16(path); }

double FloatAt(TVUZAzurEruraWorkbook& book, int sheet, int col, int row) {
    TXLSMMUCell cell;
    if (!book.GetSheets(sheet)->Cells().FindCell(col, row, cell)) return -1;
    return TXLSCellMMU::GetFloat(cell);
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

int WarningsNumbered(TXLSErrorManager& errors, int number) {
    int count = 0;
    for (const TXLSErrorMessage& m : errors.Messages()) count += m.Number == number ? 1 : 0;
    return count;
}

class ComponentTest : public ::testing::Test {
protected:
    ComponentTest() { Book.Errors().SetSaveToList(true); }

    // An Excel 97 workbook with value 42 in B2 of its first sheet, written to name.
    void WriteSample(const std::string& name) {
        TVUZAzurEruraWorkbook writer;
        writer.SetVersion(xvExcel97);
        writer.GetSheets(0)->SetAsFloat(1, 1, 42);
        writer.SaveToFile(U16(Dir / name));
    }

    TVUZAzurEruraWorkbook Book;
    TTempDir Dir;
};

TEST_F(ComponentTest, NewComponentIsAnOpenXmlWorkbookWithOneSheet) {
    EXPECT_EQ(Book.SheetCount(), 1);
    EXPECT_EQ(Book.GetSheets(0)->GetName(), u"Sheet1");
    EXPECT_EQ(Book.GetVersion(), xvExcel2007);
    EXPECT_EQ(Book.GetBIFF(), nullptr);
    EXPECT_EQ(Book.Manager().Worksheets().Count(), 1);
    EXPECT_EQ(TVUZAzurEruraWorkbook::ComponentVersion(), u"1.3.42a");
}

TEST_F(ComponentTest, Excel97LoadsTheEmptyWorkbookOnce) {
    Book.SetVersion(xvExcel97);
    ASSERT_NE(Book.GetBIFF(), nullptr);
    EXPECT_EQ(Book.GetVersion(), xvExcel97);
    EXPECT_EQ(Book.Manager().GetVersion(), xvExcel97);
    ASSERT_EQ(Book.SheetCount(), 1);
    EXPECT_EQ(Book.GetSheets(0)->GetName(), u"Sheet1");
    EXPECT_TRUE(Book.GetSheets(0)->IsEmpty());
    EXPECT_EQ(Book.GetBIFF()->Sheets().Count(), 1);
    // The template's styles: Arial 10 fonts, the standard XFs, all kept from compaction.
    TXc12DataStyleSheet& styles = Book.Manager().StyleSheet();
    ASSERT_GE(styles.Fonts().Count(), 5);
    for (int i = 0; i < 5; ++i) {
        if (i == 4) continue;  // the placeholder font
        SCOPED_TRACE(i);
        EXPECT_EQ(styles.Fonts().GetItems(i)->GetName(), u"Arial");
        EXPECT_EQ(styles.Fonts().GetItems(i)->GetSize(), 10);
        EXPECT_TRUE(styles.Fonts().GetItems(i)->BuiltIn());
    }
    EXPECT_GE(styles.XFs().Count(), 21);
    // The Excel 97 format does not escape "_xHHHH_" texts into the shared strings.
    EXPECT_TRUE(Book.Manager().SST().NoEscape());

    // The same value again changes nothing: the cell stays and nothing is reported.
    Book.GetSheets(0)->SetAsFloat(0, 0, 5);
    Book.SetVersion(xvExcel97);
    EXPECT_EQ(FloatAt(Book, 0, 0, 0), 5);
    EXPECT_EQ(Book.Errors().Messages().size(), 0u);
}

TEST_F(ComponentTest, SwitchingANonEmptyWorkbookWarnsAndDiscards) {
    struct TCase {
        const char* What;
        int Sheets;
        bool Cell;
        bool Warned;
    };
    const TCase cases[] = {
        {"one empty sheet", 1, false, false},
        {"a cell in the only sheet", 1, true, true},
        {"two empty sheets", 2, false, true},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        TVUZAzurEruraWorkbook book;
        book.Errors().SetSaveToList(true);
        for (int i = 1; i < c.Sheets; ++i) book.AddSheet();
        if (c.Cell) book.GetSheets(0)->SetAsFloat(2, 3, 1);
        book.SetVersion(xvExcel97);
        EXPECT_EQ(WarningsNumbered(book.Errors(), 6003), c.Warned ? 1 : 0);
        ASSERT_EQ(book.SheetCount(), 1);
        EXPECT_EQ(book.GetSheets(0)->GetName(), u"Sheet1");
        EXPECT_TRUE(book.GetSheets(0)->IsEmpty());
    }
}

TEST_F(ComponentTest, OtherVersionsDropTheBinaryDocumentAndKeepTheCells) {
    Book.SetVersion(xvExcel97);
    Book.GetSheets(0)->SetAsFloat(1, 1, 7);
    for (TExcelVersion value : {xvExcel50, xvNone}) {
        Book.SetVersion(value);
        EXPECT_EQ(Book.GetBIFF(), nullptr);
        EXPECT_EQ(Book.GetVersion(), xvExcel2007);
        EXPECT_EQ(FloatAt(Book, 0, 1, 1), 7);
    }
    EXPECT_FALSE(Book.Manager().SST().NoEscape());
}

TEST_F(ComponentTest, ReadRoutesByExtensionThenByContent) {
    WriteSample("sample.xls");
    const std::vector<uint8_t> compound = ReadBytes(Dir / "sample.xls");
    ASSERT_TRUE(platform::TCompoundFile::IsCompoundFile(Dir / "sample.xls"));
    // Every name below holds the same compound file: the extension test ignores case, and any
    // other name is read as .xls because its content has no ZIP signature.
    for (const char* name : {"UPPER.XLS", "macro.Xlm", "book.xlsx", "data.bin", "noextension"}) {
        SCOPED_TRACE(name);
        WriteBytes(Dir / name, compound);
        TVUZAzurEruraWorkbook book;
        book.LoadFromFile(U16(Dir / name));
        EXPECT_EQ(book.GetVersion(), xvExcel97);
        ASSERT_EQ(book.SheetCount(), 1);
        EXPECT_EQ(FloatAt(book, 0, 1, 1), 42);
        EXPECT_EQ(book.GetFilename(), U16(Dir / name));
    }
}

TEST_F(ComponentTest, OpenXmlPackagesAreRefusedWithoutTouchingTheWorkbook) {
    // A ZIP package under any name but .xls: the Open XML route, which says it is not there yet.
    const std::vector<uint8_t> zip = {'P', 'K', 3, 4, 20, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    WriteBytes(Dir / "book.xlsx", zip);
    WriteBytes(Dir / "book.zip", zip);
    Book.GetSheets(0)->SetAsFloat(0, 0, 3);
    for (const char* name : {"book.xlsx", "book.zip"}) {
        SCOPED_TRACE(name);
        try {
            Book.LoadFromFile(U16(Dir / name));
            ADD_FAILURE() << "read as if supported";
        } catch (const EXLSError& e) {
            EXPECT_NE(std::string(e.what()).find(".xlsx) workbooks are not supported yet"), std::string::npos);
        }
        ASSERT_EQ(Book.SheetCount(), 1);
        EXPECT_EQ(FloatAt(Book, 0, 0, 0), 3);
    }
    // Writing an Open XML workbook says the same and leaves no file.
    EXPECT_THROW(Book.SaveToFile(U16(Dir / "out.xlsx")), EXLSError);
    EXPECT_FALSE(std::filesystem::exists(Dir / "out.xlsx"));
    // A file that can not be opened leaves the workbook as it was.
    EXPECT_ANY_THROW(Book.LoadFromFile(U16(Dir / "missing.xlsx")));
    EXPECT_EQ(FloatAt(Book, 0, 0, 0), 3);
}

TEST_F(ComponentTest, ExcelNinetySevenIsWrittenAsBinaryUnderAnyName) {
    WriteSample("sample.xls");
    Book.LoadFromFile(U16(Dir / "sample.xls"));
    Book.GetSheets(0)->SetAsFloat(0, 0, 1);
    Book.SaveToFile(U16(Dir / "again.xlsx"));
    EXPECT_TRUE(platform::TCompoundFile::IsCompoundFile(Dir / "again.xlsx"));
    EXPECT_EQ(Book.GetFilename(), U16(Dir / "again.xlsx"));
    TVUZAzurEruraWorkbook back;
    back.LoadFromFile(U16(Dir / "again.xlsx"));
    EXPECT_EQ(FloatAt(back, 0, 1, 1), 42);
    EXPECT_EQ(FloatAt(back, 0, 0, 0), 1);
}

TEST_F(ComponentTest, FailedReadLeavesOneEmptyExcel97Sheet) {
    std::vector<uint8_t> noise(4096);
    for (size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<uint8_t>(i * 37 + 11);
    WriteBytes(Dir / "noise.xls", noise);
    WriteBytes(Dir / "noise.dat", noise);
    // A compound file whose workbook stream ends inside a record.
    WriteSample("sample.xls");
    {
        auto file = platform::TCompoundFile::OpenFile(Dir / "sample.xls");
        auto stream = file->Root().OpenStream(u"Workbook");
        std::vector<uint8_t> head(200);
        stream->ReadBuffer(head.data(), 200);
        file->Root().CreateStream(u"Workbook").WriteBuffer(head.data(), 199);
        file->SaveToFile(Dir / "cut.xls");
    }
    for (const char* name : {"noise.xls", "noise.dat", "cut.xls", "missing.xls"}) {
        SCOPED_TRACE(name);
        TVUZAzurEruraWorkbook book;
        book.AddSheet();
        book.GetSheets(0)->SetAsFloat(0, 0, 9);
        EXPECT_ANY_THROW(book.LoadFromFile(U16(Dir / name)));
        ASSERT_EQ(book.SheetCount(), 1);
        EXPECT_EQ(book.GetSheets(0)->GetName(), u"Sheet1");
        EXPECT_TRUE(book.GetSheets(0)->IsEmpty());
        ASSERT_NE(book.GetBIFF(), nullptr);
        EXPECT_EQ(book.GetBIFF()->Sheets().Count(), 1);
        // The next report goes on as usual.
        book.GetSheets(0)->SetAsFloat(1, 1, 5);
        book.SaveToFile(U16(Dir / "after.xls"));
        TVUZAzurEruraWorkbook back;
        back.LoadFromFile(U16(Dir / "after.xls"));
        EXPECT_EQ(FloatAt(back, 0, 1, 1), 5);
    }
}

TEST_F(ComponentTest, SaveToStreamRecomputesTheUsedArea) {
    Book.SetVersion(xvExcel97);
    Book.GetSheets(0)->SetAsFloat(2, 9, 1);
    Book.GetSheets(0)->SetAsFloat(4, 3, 1);
    base::TMemoryStream target;
    Book.SaveToStream(target);
    // The used area is the sheet's, without a separate recompute by the caller.
    EXPECT_EQ(Book.GetSheets(0)->FirstRow(), 3);
    EXPECT_EQ(Book.GetSheets(0)->LastRow(), 9);
    EXPECT_EQ(Book.GetSheets(0)->FirstCol(), 2);
    EXPECT_EQ(Book.GetSheets(0)->LastCol(), 4);
    target.SetPosition(0);
    TVUZAzurEruraWorkbook back;
    back.LoadBIFFFromStream(target);
    EXPECT_EQ(FloatAt(back, 0, 2, 9), 1);
    EXPECT_EQ(FloatAt(back, 0, 4, 3), 1);
}

TEST_F(ComponentTest, FormulasCompileAndRecalculateThroughTheOneHandler) {
    // Typed formulas go through the formula handler in both formats: own token code for an Open
    // XML workbook, BIFF8 tokens for an Excel 97 one; the same handler recalculates them.
    struct TCase {
        const char16_t* Text;
        bool Stored;
        double Value;
    };
    const TCase cases[] = {
        {u"B1*2+SUM(B1:B2)", true, 4 * 2 + 4 + 6},
        {u"IF(B2>5,B2,-1)", true, 6},
        {u"Sheet1!B2/2", true, 3},
        {u"SIN(1,2)", false, 0},  // a fixed-count function with too many arguments
        {u"1+", false, 0},
    };
    for (TExcelVersion version : {xvExcel2007, xvExcel97}) {
        SCOPED_TRACE(version);
        TVUZAzurEruraWorkbook book;
        book.Errors().SetSaveToList(true);
        book.SetVersion(version);
        TXLSWorksheet& sheet = *book.GetSheets(0);
        sheet.SetAsFloat(1, 0, 4);
        sheet.SetAsFloat(1, 1, 6);
        for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) {
            SCOPED_TRACE(base::Utf16ToUtf8(cases[i].Text));
            book.Errors().ClearMessages();
            // A text that does not compile is raised (BIFF8 compiler) or reported, never stored.
            bool raised = false;
            try {
                sheet.SetAsFormula(0, i, cases[i].Text);
            } catch (const std::exception&) {
                raised = true;
            }
            TXLSMMUCell cell;
            EXPECT_EQ(sheet.Cells().FindCell(0, i, cell), cases[i].Stored);
            EXPECT_EQ(!raised && book.Errors().Messages().empty(), cases[i].Stored);
        }
        book.Calculate();
        for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) {
            TXLSMMUCell cell;
            if (!cases[i].Stored || !sheet.Cells().FindCell(0, i, cell)) continue;
            EXPECT_EQ(TXLSCellMMU::GetFormulaResultFloat(cell), cases[i].Value) << i;
        }
    }
}

TEST_F(ComponentTest, CellFilenameNamesTheWorkbooksFileAndSheet) {
    TVUZAzurEruraWorkbook book;
    book.SetVersion(xvExcel97);
    TXLSWorksheet& sheet = *book.GetSheets(0);
    sheet.SetAsFormula(0, 0, u"CELL(\"filename\")");
    for (const auto& [file, shown] :
         {std::pair<std::u16string, std::u16string>{u"", u""}, {u"./data/report.xls", u"./data/[report.xls]Sheet1"}}) {
        book.SetFilename(file);
        book.Calculate();
        TXLSMMUCell cell;
        ASSERT_TRUE(sheet.Cells().FindCell(0, 0, cell));
        EXPECT_EQ(TXLSCellMMU::GetFormulaResultString(cell), shown);
    }
}

}  // namespace
}  // namespace xls::test

namespace xls::test {
namespace {

TEST(ComponentPassword, OpensWithThePasswordAndWritesBackEncryptedUntilRemoved) {
    TTempDir dir;
    TVUZAzurEruraWorkbook book;
    book.SetVersion(xvExcel97);
    book.GetSheets(0)->SetAsFloat(1, 1, 42);
    book.SetPassword(u"s3cret");
    book.SaveToFile(U16(dir / "locked.xls"));

    struct Case {
        std::u16string Password;
        double Value;  // -1: the read fails and leaves an empty sheet
    };
    const Case cases[] = {{u"s3cret", 42}, {u"wrong", -1}, {u"", -1}};
    for (const Case& c : cases) {
        TVUZAzurEruraWorkbook back;
        back.SetPassword(c.Password);
        try {
            back.LoadFromFile(U16(dir / "locked.xls"));
        } catch (const std::exception&) {
            EXPECT_EQ(c.Value, -1) << base::Utf16ToUtf8(c.Password);
        }
        EXPECT_EQ(FloatAt(back, 0, 1, 1), c.Value) << base::Utf16ToUtf8(c.Password);
        if (c.Value < 0) continue;
        // Saved again it stays locked with the same password, until the password is removed.
        back.SaveToFile(U16(dir / "again.xls"));
        TVUZAzurEruraWorkbook without;
        EXPECT_ANY_THROW(without.LoadFromFile(U16(dir / "again.xls")));
        back.SetPassword(u"");
        back.SaveToFile(U16(dir / "open.xls"));
        without.LoadFromFile(U16(dir / "open.xls"));
        EXPECT_EQ(FloatAt(without, 0, 1, 1), 42);
    }
}

}  // namespace
}  // namespace xls::test
