// The document object, its sheet collection, the external references and the formula handler.
#include <gtest/gtest.h>

#include <cstring>

#include "workbook/biff/biff_error.h"
#include "workbook/biff/biff_record_ids.h"
#include "workbook/biff/tests/biff_test_workbook.h"

namespace xls {
namespace {

TEST(BIFFDocument, NewDocumentHasOneSheetVersionAndRecordSize) {
    test::TBIFFTestWorkbook book;
    TBIFF5& doc = *book.Document;
    EXPECT_EQ(doc.Sheets().Count(), 1);
    EXPECT_EQ(doc.GetVersion(), xvExcel97);
    EXPECT_EQ(doc.MaxRecordSize(), 8224);
    EXPECT_TRUE(doc.DefaultStyles);
    doc.SetVersion(xvExcel50);
    EXPECT_EQ(doc.MaxRecordSize(), 2080);
    for (TExcelVersion version : {xvExcel21, xvExcel30}) {
        doc.SetVersion(version);
        base::TMemoryStream target;
        try {
            doc.SaveToStream(&target);
            ADD_FAILURE() << "version " << int(version) << " was written";
        } catch (const EBIFFError& e) {
            EXPECT_STREQ(e.what(), "Can not write Excel 2.1/3.0 files");
        }
    }
}

TEST(BIFFDocument, SheetIndexByNameIgnoresCase) {
    test::TBIFFTestWorkbook book;
    book.AddSheet(u"Data");
    int index = -2, count = -2;
    book.Document->GetSheetIndex(u"sheet1", index, count);
    EXPECT_EQ(index, 0);
    EXPECT_EQ(count, 2);
    book.Document->GetSheetIndex(u"DATA", index, count);
    EXPECT_EQ(index, 1);
    book.Document->GetSheetIndex(u"Nowhere", index, count);
    EXPECT_EQ(index, -1);
    EXPECT_EQ(count, 0);
    std::u16string name = u"unchanged";
    book.Document->GetSheetName(0, 1, name);
    EXPECT_EQ(name, u"Data");
    book.Document->GetSheetName(1, 1, name);
    EXPECT_EQ(name, u"");
    name = u"unchanged";
    book.Document->GetSheetName(7, 1, name);
    EXPECT_EQ(name, u"unchanged");
}

TEST(BIFFDocument, StyleBodiesKeepTheSizeTheirFieldsGive) {
    TStyles styles;
    // XF index, count, flag, characters (plus trailing bytes that do not belong to the body).
    const uint8_t narrow[] = {0x10, 0x00, 5, 0, 0, 'S', 't', 'y', 'l', 'e', 0xEE, 0xEE};
    const uint8_t wide[] = {0x10, 0x00, 5, 0, 1, 'S', 0, 't', 0, 'y', 0, 'l', 0, 'e', 0, 0xEE};
    const uint8_t builtIn[] = {0x00, 0x80, 3, 0xFF, 0xEE};
    EXPECT_EQ(styles.GetItems(styles.Add(narrow)).size(), 10u);
    EXPECT_EQ(styles.GetItems(styles.Add(wide)).size(), 15u);
    EXPECT_EQ(styles.GetItems(styles.Add(builtIn)).size(), 4u);
    const uint8_t cut[] = {0x10, 0x00, 5, 0, 1, 'S', 0};
    EXPECT_THROW(styles.Add(cut), EBIFFError);
}

TEST(BIFFSheets, NamesRunOnAndRenamingChecksOtherSheets) {
    test::TBIFFTestWorkbook book;
    TSheets& sheets = book.Document->Sheets();
    sheets.Add(0);
    sheets.Add(0);
    EXPECT_EQ(sheets.GetItems(2).GetName(), u"Sheet3");
    sheets.GetItems(1).SetName(u"sheet2");  // its own name in other letter case: no change, no error
    EXPECT_EQ(sheets.GetItems(1).GetName(), u"Sheet2");
    try {
        sheets.GetItems(1).SetName(u"SHEET3");
        ADD_FAILURE() << "a second SHEET3 was accepted";
    } catch (const EBIFFError& e) {
        EXPECT_STREQ(e.what(), "Sheet name \"SHEET3\" allready exists");
    }
    sheets.Delete(2, true);
    sheets.Delete(1, true);
    sheets.Delete(0, true);
    ASSERT_EQ(sheets.Count(), 1);
    EXPECT_EQ(sheets.GetItems(0).GetName(), u"Sheet4");
    EXPECT_EQ(sheets.GetItems(0).Kind(), 0);
    EXPECT_THROW(sheets.GetItems(1), EBIFFError);
}

TEST(BIFFDocument, DeletingASheetKeepsReferencesInStep) {
    test::TBIFFTestWorkbook book;
    book.AddSheet(u"Two");
    book.AddSheet(u"Three");
    TBIFF5& doc = *book.Document;
    ASSERT_EQ(doc.Sheets().Count(), 3);
    doc.CompileFormula(u"Two!A1+Three!A1");
    doc.DeleteSheet(1);
    EXPECT_EQ(doc.Sheets().Count(), 2);
    const TExternalNames& external = doc.FormulaHandler().ExternalNames();
    EXPECT_EQ(external.GetExternSheet(0).FirstSheet, ExtSheetDeleted);
    EXPECT_EQ(external.GetExternSheet(1).FirstSheet, 1);
    doc.DeleteSheet(1);
    doc.DeleteSheet(0);
    ASSERT_EQ(doc.Sheets().Count(), 1);  // the last one is replaced by a fresh sheet
    EXPECT_EQ(doc.GetSheet(0).Kind(), 0);
}

TEST(BIFFSheets, OptionsLiveInTheStoredRecords) {
    test::TBIFFTestWorkbook book;
    TSheet& sheet = book.Document->GetSheet(0);
    sheet.SetOptions(soGridlines | soShowZeros | soProtected);
    EXPECT_EQ(base::LoadLE16(sheet.Records().WINDOW2().data()), 0x04B2);
    EXPECT_EQ(sheet.GetOptions(), soGridlines | soShowZeros);
    sheet.SetWorkspaceOptions(woFitToPage | woOutlineSymbols);
    EXPECT_EQ(sheet.Records().WSBOOL(), 0x0500);
    sheet.SetZoom(85);
    sheet.SetZoomPreview(60);
    EXPECT_EQ(base::LoadLE16(sheet.Records().WINDOW2().data() + 12), 85);
    EXPECT_EQ(sheet.GetZoomPreview(), 60);
}

std::vector<uint8_t> Bytes(std::initializer_list<int> values) {
    std::vector<uint8_t> result;
    for (int v : values) result.push_back(static_cast<uint8_t>(v));
    return result;
}

TEST(ExternalNames, InternalSupBookAndSheetRanges) {
    TExternalNames names;
    names.AddSupBook(Bytes({3, 0, 0x01, 0x04}));
    names.ReadExternSheet(Bytes({2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 2, 0}));
    ASSERT_EQ(names.SupBookCount(), 1);
    EXPECT_EQ(names.GetSupBook(0).Kind, SupBookInternal);
    EXPECT_TRUE(names.GetSupBook(0).FileName.empty());
    int first = -1, last = -1;
    EXPECT_TRUE(names.GetSheetRange(0, first, last));
    EXPECT_FALSE(names.GetSheetRange(1, first, last));
    EXPECT_EQ(first, 1);
    EXPECT_EQ(last, 2);
    EXPECT_FALSE(names.GetSheetRange(2, first, last));
    EXPECT_THROW(names.ReadExternSheet(Bytes({3, 0, 0, 0, 0, 0, 0, 0})), base::Exception);
    EXPECT_THROW(names.AddCRN(5, Bytes({0, 0, 0, 0})), EBIFFError);
}

TEST(ExternalNames, InsertingAndDeletingSheetsMoveInternalEntries) {
    TExternalNames names;
    EXPECT_EQ(names.GetInternalSheetRef(0, 3), 0);
    EXPECT_EQ(names.GetInternalSheetRef(1, 3), 1);
    EXPECT_EQ(names.GetInternalSheetRef(1, 3), 1);  // reused
    EXPECT_EQ(names.SupBookCount(), 1);
    names.SheetInserted(1);
    EXPECT_EQ(names.GetExternSheet(0).FirstSheet, 0);
    EXPECT_EQ(names.GetExternSheet(1).FirstSheet, 2);
    EXPECT_EQ(names.GetExternSheet(1).LastSheet, 2);
    names.SheetDeleted(2);
    EXPECT_EQ(names.GetExternSheet(1).FirstSheet, ExtSheetDeleted);
    EXPECT_EQ(names.GetExternSheet(1).LastSheet, ExtSheetDeleted);
    EXPECT_EQ(names.GetExternSheet(0).FirstSheet, 0);
}

TEST(ExternalNames, EncodedPathsDecodeToPlainPaths) {
    struct TCase {
        std::vector<uint8_t> Encoded;
        std::u16string Path;
    };
    const TCase cases[] = {
        {Bytes({0, 1, 1, 'C', 'd', 'a', 't', 'a', 3, 'b', 'o', 'o', 'k', '.', 'x', 'l', 's'}), u"C:\\data\\book.xls"},
        {Bytes({1,   1, 0,   1, 0,   'C', 0,   'd', 0,   'a', 0,   't', 0,   'a', 0,   3, 0,
                'b', 0, 'o', 0, 'o', 0,   'k', 0,   '.', 0,   'x', 0,   'l', 0,   's', 0}),
         u"C:\\data\\book.xls"},
        {Bytes({0, 1, 1, '@', 's', 'r', 'v', 3, 'x', '.', 'x', 'l', 's'}), u"\\\\srv\\x.xls"},
        {Bytes({0, 1, 4, 'u', 'p', 3, 'x', '.', 'x', 'l', 's'}), u"..\\up\\x.xls"},
    };
    for (const TCase& c : cases) {
        TSupBook book;
        book.FileName = c.Encoded;
        EXPECT_EQ(book.GetPath(), c.Path);
    }
    TSupBook book;
    book.FileName = cases[0].Encoded;
    EXPECT_EQ(book.GetRefPath(), u"C:\\data\\[book.xls]");
}

TEST(InternalNames, BuiltInPrefixAndEmptyNames) {
    TInternalNames names;
    TInternalName& name = names.Add();
    name.SetName(u"_xlnm.Print_Area");
    EXPECT_EQ(name.GetName(), u"Print_Area");
    EXPECT_EQ(name.Options & 1, 1);
    EXPECT_THROW(names.Add().SetName(u"_xlnm."), EBIFFError);
    names.Add().SetName(u"Macro1");
    EXPECT_EQ(names.IndexOfName(u"MACRO1"), 2);
    EXPECT_EQ(names.IndexOfName(u"none"), -1);
    int deleted = 0;
    names.OnDelete = [&](TInternalNames&, int delta) { deleted += delta; };
    names.Delete(0);
    EXPECT_EQ(deleted, -1);
}

TEST(BIFFFormulaHandler, SheetReferencesMakeOneInternalEntryEach) {
    test::TBIFFTestWorkbook book;
    book.AddSheet(u"Sheet2");
    TFormulaHandler& handler = book.Document->FormulaHandler();
    const std::vector<uint8_t> first = book.Document->CompileFormula(u"Sheet2!A1");
    ASSERT_EQ(handler.ExternalNames().SupBookCount(), 1);
    EXPECT_EQ(handler.ExternalNames().GetSupBook(0).SheetCount, 2);
    ASSERT_EQ(handler.ExternalNames().ExternSheetCount(), 1);
    EXPECT_EQ(handler.ExternalNames().GetExternSheet(0).FirstSheet, 1);
    EXPECT_EQ(handler.ExternalNames().GetExternSheet(0).LastSheet, 1);
    // tRef3d (value class) with EXTERNSHEET index 0, row 0, column 0 relative.
    EXPECT_EQ(first, Bytes({0xFF, 0x5A, 0, 0, 0, 0, 0, 0xC0}));
    book.Document->CompileFormula(u"SUM(Sheet2!A1:B2)");
    EXPECT_EQ(handler.ExternalNames().ExternSheetCount(), 1);
    EXPECT_THROW(book.Document->CompileFormula(u"Nowhere!A1"), base::Exception);
    EXPECT_EQ(handler.ExternalNames().ExternSheetCount(), 1);
    handler.SheetInserted(0);
    EXPECT_EQ(handler.ExternalNames().GetExternSheet(0).FirstSheet, 2);
}

TEST(BIFFFormulaHandler, NameTextsForTheDecoder) {
    test::TBIFFTestWorkbook book;
    book.Sheet(0).Name = u"Data";
    book.AddSheet(u"Other");
    TFormulaHandler& handler = book.Document->FormulaHandler();
    book.Document->CompileFormula(u"Data!A1+Other!B2");
    std::u16string text;
    handler.GetNameText(2, 0, text, 0, 0, 0);
    EXPECT_EQ(text, u"Data!");
    handler.SheetDeleted(1);
    handler.GetNameText(2, 1, text, 0, 0, 0);
    EXPECT_EQ(text, u"#REF!!");
    handler.InternalNames().Add().SetName(u"Total");
    handler.GetNameText(0, 0, text, 0, 0, 1);
    EXPECT_EQ(text, u"Total");
    int index = -2;
    handler.LookupName(u"total", index);
    EXPECT_EQ(index, 0);
}

}  // namespace
}  // namespace xls
