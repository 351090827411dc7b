// The records the writer builds, byte by byte where the layout matters.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <filesystem>

#include "platform/testing/test_files.h"
#include "workbook/biff/biff_error.h"
#include "workbook/biff/biff_record_ids.h"
#include "workbook/biff/tests/biff_test_workbook.h"
#include "workbook/biff/xls_write.h"
#include "workbook/formula/formula_encoder.h"
#include "workbook/formula/formula_tokenizer.h"
#include "workbook/model/biff_values.h"
#include "workbook/model/cell_error.h"
#include "workbook/model/defined_names.h"

namespace xls {
namespace {

using test::RecordsOf;
using test::SplitRecords;
using test::TRecord;

TEST(EncodeRK, FormsThatReadBackExactly) {
    struct TCase {
        double Value;
        std::optional<uint32_t> RK;
    };
    const TCase cases[] = {
        {0.5, 0x3FE00000},
        {1234567, 1234567u * 4 + 2},
        {-3, 0xC0080000},  // the IEEE form comes first when it fits
        {-1234567, static_cast<uint32_t>(-1234567 * 4 + 2)},
        {1073741823, std::nullopt},  // an integer beyond 30 bits whose double has low bits set
        {25.3, 0x40A3C400 | 1},      // 2530 in IEEE form, divided by 100
        {0.3333, std::nullopt},
        {0.09999999999999999, std::nullopt},  // one unit below 0.1: 10/100 would give 0.1
        {536870912.0, 0x41C00000},
        {1e300, std::nullopt},
    };
    for (const TCase& c : cases) EXPECT_EQ(EncodeRK(c.Value), c.RK) << c.Value;
}

TEST(EncodeRK, NoValueNearHundredthsChangesOnTheWayBack) {
    int changedBefore = 0;
    for (int n = -200000; n <= 200000; ++n) {
        const double exact = n / 100.0;
        for (double v : {std::nextafter(exact, -1e9), exact, std::nextafter(exact, 1e9)}) {
            if (const auto rk = EncodeRK(v)) {
                ASSERT_EQ(std::bit_cast<uint64_t>(DecodeRK(*rk)), std::bit_cast<uint64_t>(v)) << v;
            }
            // How many of these the x100 form alone would have changed.
            const double x = v * 100;
            if (x == std::floor(x) &&
                std::bit_cast<uint64_t>(DecodeRK(static_cast<uint32_t>(x) * 4 + 3)) != std::bit_cast<uint64_t>(v))
                ++changedBefore;
        }
    }
    EXPECT_GT(changedBefore, 1000);
}

// The data of a record and of the CONTINUE records behind it.
std::vector<uint8_t> Joined(const std::vector<TRecord>& records, size_t index) {
    std::vector<uint8_t> data = records[index].Data;
    for (size_t i = index + 1; i < records.size() && records[i].Id == BIFFRECID_CONTINUE; ++i)
        data.insert(data.end(), records[i].Data.begin(), records[i].Data.end());
    return data;
}

size_t IndexOf(const std::vector<TRecord>& records, uint16_t id) {
    for (size_t i = 0; i < records.size(); ++i)
        if (records[i].Id == id) return i;
    return records.size();
}

class WriterRecords : public ::testing::Test {
protected:
    std::vector<TRecord> Write() { return SplitRecords(Book.WriteStream()); }
    // The records of sheet substream n (0-based), BOF to EOF.
    static std::vector<TRecord> Substream(const std::vector<TRecord>& all, int n) {
        std::vector<TRecord> result;
        int bof = -1;
        for (const TRecord& r : all) {
            if (r.Id == BIFFRECID_BOF) ++bof;
            if (bof == n + 1) result.push_back(r);
            if (bof == n + 1 && r.Id == BIFFRECID_EOF) break;
        }
        return result;
    }
    test::TBIFFTestWorkbook Book;
};

TEST_F(WriterRecords, GlobalsOfANewWorkbookInOrder) {
    const auto records = Write();
    std::vector<uint16_t> ids;
    for (const TRecord& r : records) {
        if (r.Id == BIFFRECID_EOF) {
            ids.push_back(r.Id);
            break;
        }
        if (r.Id != BIFFRECID_FONT && r.Id != BIFFRECID_XF && r.Id != BIFFRECID_STYLE && r.Id != BIFFRECID_FORMAT)
            ids.push_back(r.Id);
    }
    const std::vector<uint16_t> expected = {BIFFRECID_BOF,
                                            BIFFRECID_INTERFACEHDR,
                                            BIFFRECID_MMS,
                                            BIFFRECID_INTERFACEEND,
                                            BIFFRECID_WRITEACCESS,
                                            0x0042,
                                            0x0161,
                                            BIFFRECID_TABID,
                                            0x009C,
                                            0x0019,
                                            BIFFRECID_PROTECT,
                                            BIFFRECID_PROTECT,
                                            BIFFRECID_PASSWORD,
                                            0x01AF,
                                            BIFFRECID_WINDOW1,
                                            BIFFRECID_BACKUP,
                                            0x008D,
                                            BIFFRECID_DATEMODE,
                                            BIFFRECID_PRECISION,
                                            BIFFRECID_REFRESHALL,
                                            BIFFRECID_BOOKBOOL,
                                            BIFFRECID_BOUNDSHEET,
                                            0x008C,
                                            BIFFRECID_SST,
                                            BIFFRECID_EXTSST,
                                            BIFFRECID_EOF};
    EXPECT_EQ(ids, expected);
    const auto tabid = RecordsOf(records, BIFFRECID_TABID);
    ASSERT_EQ(tabid.size(), 1u);
    EXPECT_EQ(tabid[0]->Data, (std::vector<uint8_t>{1, 0}));
    // The six built-in styles, and no PALETTE for an unchanged palette.
    EXPECT_EQ(RecordsOf(records, BIFFRECID_STYLE).size(), 6u);
    EXPECT_TRUE(RecordsOf(records, BIFFRECID_PALETTE).empty());
    EXPECT_EQ(RecordsOf(records, BIFFRECID_XF).size(), 21u);
}

TEST_F(WriterRecords, BoundsheetPointsAtItsSubstream) {
    Book.AddSheet(u"第二页");
    const auto records = Write();
    const auto sheets = RecordsOf(records, BIFFRECID_BOUNDSHEET);
    const auto bofs = RecordsOf(records, BIFFRECID_BOF);
    ASSERT_EQ(sheets.size(), 2u);
    ASSERT_EQ(bofs.size(), 3u);
    EXPECT_EQ(sheets[0]->Long(0), bofs[1]->Offset);
    EXPECT_EQ(sheets[1]->Long(0), bofs[2]->Offset);
    EXPECT_EQ(sheets[1]->Data.size(), 8u + 2 * 3);
    EXPECT_EQ(sheets[1]->Data[6], 3);
    EXPECT_EQ(sheets[1]->Data[7], 1);
}

TEST_F(WriterRecords, TabIdReadFromAFileIsDropped) {
    const uint8_t tabs[] = {1, 0, 2, 0};
    Book.Document->GlobalRecords().UpdateDefault(BIFFRECID_TABID, tabs);
    Book.Document->GlobalRecords().UpdateDefault(BIFFRECID_EOF, {});  // the rest of a file read
    EXPECT_TRUE(RecordsOf(Write(), BIFFRECID_TABID).empty());
}

TEST_F(WriterRecords, SheetSubstreamOfANewSheet) {
    Book.Cells().StoreFloat(2, 9, 0, 1);
    Book.Cells().StoreFloat(0, 0, 0, 1);
    const auto sheet = Substream(Write(), 0);
    std::vector<uint16_t> ids;
    for (const TRecord& r : sheet) ids.push_back(r.Id);
    const std::vector<uint16_t> expected = {
        BIFFRECID_BOF,          BIFFRECID_CALCMODE,    BIFFRECID_CALCCOUNT,    BIFFRECID_REFMODE,
        BIFFRECID_ITERATION,    BIFFRECID_DELTA,       BIFFRECID_SAVERECALC,   BIFFRECID_PRINTGRIDLINES,
        BIFFRECID_PRINTHEADERS, BIFFRECID_GRIDSET,     BIFFRECID_GUTS,         BIFFRECID_DEFAULTROWHEIGHT,
        BIFFRECID_WSBOOL,       BIFFRECID_HEADER,      BIFFRECID_FOOTER,       BIFFRECID_LEFTMARGIN,
        BIFFRECID_TOPMARGIN,    BIFFRECID_RIGHTMARGIN, BIFFRECID_BOTTOMMARGIN, BIFFRECID_HCENTER,
        BIFFRECID_VCENTER,      BIFFRECID_SETUP,       BIFFRECID_DEFCOLWIDTH,  BIFFRECID_DIMENSIONS,
        BIFFRECID_ROW,          BIFFRECID_ROW,         BIFFRECID_RK,           BIFFRECID_RK,
        BIFFRECID_WINDOW2,      BIFFRECID_SELECTION,   BIFFRECID_EOF};
    EXPECT_EQ(ids, expected);
    for (const TRecord& r : sheet) {
        if (r.Id == BIFFRECID_DIMENSIONS) {
            EXPECT_EQ(r.Data, (std::vector<uint8_t>{0, 0, 0, 0, 10, 0, 0, 0, 0, 0, 3, 0, 0, 0}));
        }
        if (r.Id == BIFFRECID_SELECTION) {
            EXPECT_EQ(r.Data, (std::vector<uint8_t>{3, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0}));
        }
    }
}

TEST_F(WriterRecords, DimensionsAreComputedWhenWriting) {
    Book.Cells().StoreFloat(0, 0, 0, 1);
    Book.Cells().CalcDimension();
    Book.Sheet().SetDimension(MakeCellArea(0, 0, 0, 0));  // as a reader found it
    Book.Cells().StoreFloat(300, 70000, 0, 1);            // outside the grid of the format
    Book.AddSheet(u"Empty");
    const auto records = Write();
    for (int n = 0; n < 2; ++n) {
        for (const TRecord& r : Substream(records, n)) {
            if (r.Id != BIFFRECID_DIMENSIONS) continue;
            const std::vector<uint8_t> expected =
                n == 0 ? std::vector<uint8_t>{0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0} : std::vector<uint8_t>(14, 0);
            EXPECT_EQ(r.Data, expected);
        }
    }
}

TEST_F(WriterRecords, RunsOfBlanksAndNumbersKeepColumnOrder) {
    TXLSCellMMU& cells = Book.Cells();
    cells.StoreBlank(0, 0, 0);
    cells.StoreFloat(1, 0, 0, 1);
    cells.StoreBlank(3, 0, 0);
    cells.StoreFloat(0, 1, 0, 1);
    cells.StoreFloat(1, 1, 0, 2);
    cells.StoreFloat(2, 1, 0, 3);
    cells.StoreBlank(3, 1, 0);
    cells.StoreBlank(4, 1, 0);
    cells.StoreFloat(5, 1, 0, 0.3333);
    std::vector<std::pair<uint16_t, uint16_t>> seen;  // record id, first column
    for (const TRecord& r : Substream(Write(), 0)) {
        if (r.Id == BIFFRECID_BLANK || r.Id == BIFFRECID_RK || r.Id == BIFFRECID_MULRK || r.Id == BIFFRECID_MULBLANK ||
            r.Id == BIFFRECID_NUMBER)
            seen.emplace_back(r.Id, r.Word(2));
        if (r.Id == BIFFRECID_MULRK) {
            EXPECT_EQ(r.Data.size(), 6u * 3 + 6);
            EXPECT_EQ(r.Word(r.Data.size() - 2), 2);
        }
    }
    const std::vector<std::pair<uint16_t, uint16_t>> expected = {{BIFFRECID_BLANK, 0},    {BIFFRECID_RK, 1},
                                                                 {BIFFRECID_BLANK, 3},    {BIFFRECID_MULRK, 0},
                                                                 {BIFFRECID_MULBLANK, 3}, {BIFFRECID_NUMBER, 5}};
    EXPECT_EQ(seen, expected);
}

TEST_F(WriterRecords, ErrorCodesIncludingGettingData) {
    const uint8_t errors[] = {errNull, errDiv0, errValue, errRef, errName, errNum, errNA, errGettingData};
    for (int i = 0; i < 8; ++i) Book.Cells().StoreError(i, 0, 0, errors[i]);
    std::vector<uint8_t> codes;
    for (const TRecord& r : Substream(Write(), 0))
        if (r.Id == BIFFRECID_BOOLERR && r.Data[7] == 1) codes.push_back(r.Data[6]);
    EXPECT_EQ(codes, (std::vector<uint8_t>{0x00, 0x07, 0x0F, 0x17, 0x1D, 0x24, 0x2A, 0x2B}));
}

TEST_F(WriterRecords, FormulaResultsAndStringRecord) {
    auto store = [&](int col, auto setResult) {
        TXLSFormulaHelper& h = Book.Cells().FormulaHelper();
        h.Clear();
        h.Col = col;
        h.Row = 0;
        h.XF = 0;
        const std::vector<uint8_t> tokens = Book.Document->CompileFormula(u"1+1");
        h.SetPtgsCopy(tokens.data(), static_cast<int>(tokens.size()));
        setResult(h);
        Book.Cells().StoreFormula();
    };
    store(0, [](TXLSFormulaHelper& h) { h.SetResultString(u"text"); });
    store(1, [](TXLSFormulaHelper& h) { h.SetResultString(u""); });
    store(2, [](TXLSFormulaHelper& h) { h.SetResultBoolean(true); });
    store(3, [](TXLSFormulaHelper& h) { h.SetResultError(errGettingData); });
    std::vector<TRecord> formulas;
    int strings = 0;
    for (const TRecord& r : Substream(Write(), 0)) {
        if (r.Id == BIFFRECID_FORMULA) formulas.push_back(r);
        if (r.Id == BIFFRECID_STRING) {
            ++strings;
            EXPECT_EQ(r.Data, (std::vector<uint8_t>{4, 0, 1, 't', 0, 'e', 0, 'x', 0, 't', 0}));
        }
    }
    ASSERT_EQ(formulas.size(), 4u);
    EXPECT_EQ(strings, 1);
    const std::vector<std::vector<uint8_t>> results = {{0, 0, 0, 0, 0, 0, 0xFF, 0xFF},
                                                       {3, 0, 0, 0, 0, 0, 0xFF, 0xFF},
                                                       {1, 0, 1, 0, 0, 0, 0xFF, 0xFF},
                                                       {2, 0, 0x2B, 0, 0, 0, 0xFF, 0xFF}};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(std::vector<uint8_t>(formulas[i].Data.begin() + 6, formulas[i].Data.begin() + 14), results[i]);
        // ptgInt 1, ptgInt 1, ptgAdd
        EXPECT_EQ(formulas[i].Word(20), 7);
        EXPECT_EQ(std::vector<uint8_t>(formulas[i].Data.begin() + 22, formulas[i].Data.end()),
                  (std::vector<uint8_t>{0x1E, 1, 0, 0x1E, 1, 0, 0x03}));
    }
}

TEST_F(WriterRecords, FormulasInOwnCodeOrTextAreCompiledForTheFile) {
    Book.AddSheet(u"Other");
    TXLSTokenizer tokenizer(Book.Errors);
    const TXLSTokenList list = tokenizer.Tokenize(u"SUM(Other!A1:B2)*2");
    ASSERT_FALSE(tokenizer.Failed());
    TXLSFormulaEncoder encoder(Book.Root);
    const std::vector<uint8_t> own = encoder.Encode(list, 0, 0, 0);
    ASSERT_FALSE(own.empty());
    ASSERT_NE(own[0], 0xFF);
    Book.Cells().StoreFormulaTokens(0, 0, 8, static_cast<int>(own.size()), own.data(), 0);
    TXLSFormulaHelper& h = Book.Cells().FormulaHelper();
    h.Clear();
    h.Col = 1;
    h.Row = 0;
    h.XF = 0;
    h.Text = u"Other!A1+1";
    h.SetResultFloat(1);
    Book.Cells().StoreFormula();
    const std::vector<uint8_t> sum = Book.Document->CompileFormula(u"SUM(Other!A1:B2)*2");
    const std::vector<uint8_t> plus = Book.Document->CompileFormula(u"Other!A1+1");
    std::vector<std::vector<uint8_t>> written;
    for (const TRecord& r : Substream(Write(), 0))
        if (r.Id == BIFFRECID_FORMULA) written.emplace_back(r.Data.begin() + 22, r.Data.end());
    ASSERT_EQ(written.size(), 2u);
    EXPECT_EQ(written[0], std::vector<uint8_t>(sum.begin() + 1, sum.end()));
    EXPECT_EQ(written[1], std::vector<uint8_t>(plus.begin() + 1, plus.end()));
}

TEST_F(WriterRecords, FileHyperlinkCountsItsLeadingParentFolders) {
    Book.Sheet().hyperlinks = std::make_unique<TXc12Hyperlinks>(Book.Factory);
    TXc12Hyperlink* file = Book.Sheet().hyperlinks->Add();
    file->ref = MakeCellArea(1, 2, 1, 2);
    file->LinkType = xhltFile;
    file->SetAddress(u"..\\..\\a.xls");
    std::vector<const TRecord*> links;
    const auto records = Write();
    for (const TRecord& r : records)
        if (r.Id == 0x01B8) links.push_back(&r);
    ASSERT_EQ(links.size(), 1u);
    const TRecord& link = *links[0];
    EXPECT_EQ(link.Long(28), 0x0001u);                  // a file, no display text, no location
    EXPECT_EQ(link.Word(48), 2);                        // two "..\" parts
    EXPECT_EQ(link.Long(50), 0u);                       // no 8-bit path
    EXPECT_EQ(link.Long(78), 2u * 5 + 6);               // "a.xls" as UTF-16 with its key
    EXPECT_EQ(link.Data.size(), 78u + 4 + 4 + 2 + 10);  // and nothing after it
}

// Stand-ins for the drawing layer: what they write lands where the drawing records belong.
class TFakeGroup : public TDrawingGroupPart {
public:
    bool HasProperties() const override { return true; }
    void SaveToStream(TXLSStream& stream) override {
        stream.WriteHeader(0x00EB, 0);
        const std::vector<uint8_t> data(10000, 0x5A);
        stream.Write(data.data(), static_cast<int64_t>(data.size()));
    }
    void Clear() override {}
};

class TFakeDrawing : public TSheetDrawingPart {
public:
    int ShapeCount() const override { return 1; }
    void SaveToStream(TXLSStream& stream) override { stream.WriteWordRecord(0x00EC, 7); }
    void Clear() override {}
};

TEST_F(WriterRecords, DrawingPartsWriteWhereTheirRecordsBelong) {
    Book.Document->PictureGroup = std::make_unique<TFakeGroup>();
    Book.Document->GetSheet(0).EscherDrawing = std::make_unique<TFakeDrawing>();
    const auto records = Write();
    const size_t group = IndexOf(records, 0x00EB);
    ASSERT_LT(group, records.size());
    EXPECT_EQ(records[group].Data.size(), 8224u);
    EXPECT_EQ(records[group + 1].Id, BIFFRECID_CONTINUE);
    EXPECT_EQ(records[group + 1].Data.size(), 10000u - 8224);
    EXPECT_LT(IndexOf(records, BIFFRECID_BOUNDSHEET), group);
    EXPECT_EQ(records[group + 2].Id, BIFFRECID_SST);
    const auto sheet = Substream(records, 0);
    const size_t drawing = IndexOf(sheet, 0x00EC);
    ASSERT_LT(drawing, sheet.size());
    EXPECT_EQ(sheet[drawing - 1].Id, BIFFRECID_WINDOW2);
    EXPECT_EQ(sheet[drawing + 1].Id, BIFFRECID_SELECTION);
}

TEST_F(WriterRecords, FontsSkipThePlaceholderAndXFsFollow) {
    TXc12Fonts& fonts = Book.Root.StyleSheet().Fonts();
    TXc12Font* sixth = fonts.Add();
    sixth->SetName(u"宋体");
    sixth->SetSize(10.5);
    sixth->SetColor(Xc12ColorFromIndex(0));
    TXc12XF* xf = Book.Root.StyleSheet().XFs().Add();
    Book.Root.StyleSheet().SetXFDefaults(*xf);
    xf->SetFont(sixth);
    Book.Cells().StoreFloat(0, 0, xf->Index(), 1);
    const auto records = Write();
    const auto fontRecords = RecordsOf(records, BIFFRECID_FONT);
    ASSERT_EQ(fontRecords.size(), 5u);
    EXPECT_EQ(fontRecords[4]->Word(0), 210);     // 10.5 points
    EXPECT_EQ(fontRecords[4]->Word(4), 0x7FFF);  // palette index 0 is written as automatic
    EXPECT_EQ(fontRecords[0]->Word(0), 200);
    const auto xfs = RecordsOf(records, BIFFRECID_XF);
    ASSERT_EQ(xfs.size(), 22u);
    EXPECT_EQ(xfs[21]->Word(0), 5);
    // No borders, automatic pattern colours: only the alignment counts as used.
    EXPECT_EQ(xfs[21]->Data[9], 0x10);
}

TEST_F(WriterRecords, ARealFontAtModelIndexFiveIsWritten) {
    // A file with two fonts leaves the model with fonts 0 to 2; fonts added later reach index 5.
    test::TBIFFTestWorkbook small;
    TXc12Fonts& fonts = small.Root.StyleSheet().Fonts();
    while (fonts.Count() > 3) fonts.Delete(fonts.Count() - 1);
    std::vector<TXc12Font*> added;
    for (const char16_t* name : {u"A3", u"A4", u"A5"}) {
        TXc12Font* font = fonts.Add();
        font->SetName(name);
        font->SetSize(12);
        added.push_back(font);
    }
    ASSERT_EQ(added[2]->Index(), 5);
    TXc12XF* xf = small.Root.StyleSheet().XFs().Add();
    small.Root.StyleSheet().SetXFDefaults(*xf);
    xf->SetFont(added[2]);
    const auto records = SplitRecords(small.WriteStream());
    const auto fontRecords = RecordsOf(records, BIFFRECID_FONT);
    ASSERT_EQ(fontRecords.size(), 5u);
    EXPECT_EQ(fontRecords[4]->Data[16], 'A');
    EXPECT_EQ(fontRecords[4]->Data[18], '5');
    const auto xfs = RecordsOf(records, BIFFRECID_XF);
    EXPECT_EQ(xfs[21]->Word(0), 5);  // the fifth record is font 5 in the file
}

// The model's width in characters is written in 1/256 of a character (not 1/255: the
// console's 4400 would come out as 4383).
TEST_F(WriterRecords, ColumnsKeepTheirWidthInUnitsOf256) {
    TXc12Column* col = Book.Sheet().cols.Add(nullptr);
    col->min = col->max = 0;
    col->width = 17.1875;
    col->Flags = 0x01 | 0x04;
    col->outlineLevel = 2;
    TXc12Column* wide = Book.Sheet().cols.Add(nullptr);
    wide->min = 250;
    wide->max = 400;
    wide->width = 10;
    std::vector<std::vector<uint8_t>> colinfos;
    for (const TRecord& r : Substream(Write(), 0))
        if (r.Id == BIFFRECID_COLINFO) colinfos.push_back(r.Data);
    ASSERT_EQ(colinfos.size(), 2u);
    EXPECT_EQ(colinfos[0], (std::vector<uint8_t>{0, 0, 0, 0, 0x30, 0x11, 15, 0, 0x03, 0x02, 0, 0}));
    EXPECT_EQ(colinfos[1], (std::vector<uint8_t>{250, 0, 255, 0, 0x00, 0x0A, 15, 0, 0, 0, 0, 0}));
}

TEST_F(WriterRecords, MergedAreasSplitAt1027) {
    for (int i = 0; i < 2000; ++i) Book.Sheet().mergeCells->AddArea(MakeCellArea(0, 2 * i, 1, 2 * i));
    Book.Sheet().mergeCells->AddArea(MakeCellArea(250, 0, 300, 0));  // beyond column 255: not written
    std::vector<uint16_t> counts;
    for (const TRecord& r : Substream(Write(), 0))
        if (r.Id == BIFFRECID_MERGEDCELLS) {
            counts.push_back(r.Word(0));
            EXPECT_EQ(r.Data.size(), 2u + 8 * r.Word(0));
        }
    EXPECT_EQ(counts, (std::vector<uint16_t>{1027, 973}));
}

TEST_F(WriterRecords, SelectionsBeyondOneRecordAreRefused) {
    TXc12Selection* sel = Book.Sheet().sheetViews.GetItems(0)->selection.Add();
    for (int i = 0; i < 1368; ++i) sel->sqref.AddCell(0, 2 * i);
    Write();  // A1 and 1,368 more: 1,369 areas fit
    sel->sqref.AddCell(5, 5);
    try {
        Write();
        ADD_FAILURE() << "1370 selected areas were written";
    } catch (const EBIFFError& e) {
        EXPECT_STREQ(e.what(), "Too many selected areas (1370)");
    }
}

TEST_F(WriterRecords, LongExternSheetTablesAndNamesAreContinued) {
    TExternalNames& external = Book.Document->FormulaHandler().ExternalNames();
    for (int i = 0; i < 1500; ++i) external.GetInternalSheetRef(i, 1);
    TXc12DefinedName* name = Book.Root.Workbook().definedNames->Add(u"Long", -1);
    std::vector<uint8_t> tokens{0xFF};
    for (int i = 0; i < 3000; ++i) tokens.insert(tokens.end(), {0x1E, static_cast<uint8_t>(i), 0});
    name->SetPtgs(tokens.data(), static_cast<int>(tokens.size()));
    const auto records = Write();
    const size_t sheetIndex = IndexOf(records, BIFFRECID_EXTERNSHEET);
    ASSERT_LT(sheetIndex, records.size());
    EXPECT_EQ(records[sheetIndex].Data.size(), 8224u);
    const std::vector<uint8_t> table = Joined(records, sheetIndex);
    ASSERT_EQ(table.size(), 2u + 6 * 1500);
    EXPECT_EQ(base::LoadLE16(table.data()), 1500);
    EXPECT_EQ(base::LoadLE16(table.data() + 2 + 6 * 1499 + 2), 1499);
    const size_t nameIndex = IndexOf(records, BIFFRECID_NAME);
    ASSERT_LT(nameIndex, records.size());
    const std::vector<uint8_t> data = Joined(records, nameIndex);
    ASSERT_EQ(data.size(), 14u + 1 + 2 * 4 + 9000);
    EXPECT_EQ(base::LoadLE16(data.data() + 4), 9000);
    EXPECT_EQ(std::vector<uint8_t>(data.end() - 3, data.end()), (std::vector<uint8_t>{0x1E, 2999 % 256, 0}));
}

TEST_F(WriterRecords, NamesWithoutSupBookGetTheInternalOneBeforeOneTable) {
    Book.AddSheet(u"Second");
    TXc12DefinedName* name = Book.Root.Workbook().definedNames->Add(u"_xlnm.Print_Area", 1);
    name->RefKind = nrkArea;
    name->RefSheet = 1;
    name->RefRow1 = 0;
    name->RefRow2 = 9;
    name->RefCol1 = 0;
    name->RefCol2 = 3;
    TXc12DefinedName* plain = Book.Root.Workbook().definedNames->Add(u"Rate", -1);
    const uint8_t tokens[] = {0xFF, 0x1F, 0, 0, 0, 0, 0, 0, 0xF0, 0x3F};
    plain->SetPtgs(tokens, sizeof(tokens));
    auto records = Write();
    std::vector<uint16_t> ids;
    for (const TRecord& r : records)
        if (r.Id == BIFFRECID_SUPBOOK || r.Id == BIFFRECID_EXTERNSHEET || r.Id == BIFFRECID_NAME) ids.push_back(r.Id);
    EXPECT_EQ(ids, (std::vector<uint16_t>{BIFFRECID_SUPBOOK, BIFFRECID_EXTERNSHEET, BIFFRECID_NAME, BIFFRECID_NAME}));
    EXPECT_EQ(RecordsOf(records, BIFFRECID_SUPBOOK)[0]->Data, (std::vector<uint8_t>{2, 0, 1, 4}));
    EXPECT_EQ(RecordsOf(records, BIFFRECID_EXTERNSHEET)[0]->Data,
              (std::vector<uint8_t>{2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0}));
    const auto names = RecordsOf(records, BIFFRECID_NAME);
    EXPECT_EQ(names[0]->Data, (std::vector<uint8_t>{0x20, 0, 0,    1, 11, 0, 0, 0, 2, 0, 0, 0, 0, 0,
                                                    0,    6, 0x3B, 1, 0,  0, 0, 9, 0, 0, 0, 3, 0}));
    EXPECT_EQ(names[1]->Data, (std::vector<uint8_t>{0, 0,   0, 4,   9, 0,   0, 0,    0, 0, 0, 0, 0, 0, 1,    'R',
                                                    0, 'a', 0, 't', 0, 'e', 0, 0x1F, 0, 0, 0, 0, 0, 0, 0xF0, 0x3F}));

    // Entries that exist without any SUPBOOK: the table is still written once.
    const uint8_t table[] = {1, 0, 0, 0, 1, 0, 1, 0};
    Book.Document->FormulaHandler().ExternalNames().ReadExternSheet(table);
    records = Write();
    EXPECT_EQ(RecordsOf(records, BIFFRECID_EXTERNSHEET).size(), 1u);
    EXPECT_LT(IndexOf(records, BIFFRECID_SUPBOOK), IndexOf(records, BIFFRECID_EXTERNSHEET));
}

TEST(WriterFile, AFailedWriteLeavesTheOldFileAndNoTemporaryFile) {
    platform::testing::TTempDir dir;
    const std::string path = dir / "report.xls";
    platform::testing::WriteFileBytes(path, {'o', 'l', 'd'});
    test::TBIFFTestWorkbook book;
    book.Cells().StoreFloat(0, 0, 0, 1);
    TXc12Selection* sel = book.Sheet().sheetViews.GetItems(0)->selection.Add();
    for (int i = 0; i < 2000; ++i) sel->sqref.AddCell(0, 2 * i);
    book.Document->SetFilename(path);
    EXPECT_THROW(book.Document->Write(), EBIFFError);
    EXPECT_EQ(platform::testing::ReadFileBytes(path), (std::vector<uint8_t>{'o', 'l', 'd'}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), std::filesystem::directory_iterator()), 1);
    book.Sheet().sheetViews.GetItems(0)->selection.Clear();
    book.Document->Write();
    EXPECT_GT(platform::testing::ReadFileBytes(path).size(), 512u);
}

}  // namespace
}  // namespace xls
