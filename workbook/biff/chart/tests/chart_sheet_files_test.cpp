#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/byte_reader.h"
#include "base/memory_stream.h"
#include "platform/compound_file.h"
#include "platform/testing/test_files.h"
#include "workbook/biff/chart/chart_record.h"
#include "workbook/biff/chart/chart_record_ids.h"
#include "workbook/biff/chart/chart_series.h"
#include "workbook/biff/chart/document_charts.h"
#include "workbook/biff/chart/sheet_charts.h"
#include "workbook/biff/tests/biff_read_book.h"

namespace xls {
namespace {

std::string Fixture(const std::string& name) {
    return std::string(OMBRIX_SOURCE_DIR) + "/workbook/biff/chart/tests/fixtures/" + name;
}

struct TSeriesLinks {
    std::u16string Category, Values;
    bool operator==(const TSeriesLinks&) const = default;
};

void CollectSeries(TChartRecord& record, TChartWorkbook& workbook, std::vector<TSeriesLinks>& out) {
    for (int i = 0; i < record.Count(); ++i) {
        TChartRecord& child = record.Items(i);
        if (child.RecId() == CHARTRECID_SERIES) {
            TXLSChartSerie serie(workbook);
            serie.Bind(child);
            out.push_back({serie.Category(), serie.Values()});
        }
        CollectSeries(child, workbook, out);
    }
}

// A chart sheet as the document holds it: name, tab position and its series' links.
struct TChartSheetView {
    std::u16string Name;
    int SheetIndex;
    std::vector<TSeriesLinks> Series;
    bool operator==(const TChartSheetView&) const = default;
};

std::vector<TChartSheetView> ChartSheetViews(TBIFF5& document) {
    std::vector<TChartSheetView> views;
    TSheetCharts& charts = *ChartSheets(document);
    for (int i = 0; i < charts.Count(); ++i) {
        TChartSheetView view{charts.GetItems(i).Name(), charts.GetItems(i).SheetIndex(), {}};
        CollectSeries(charts.GetItems(i).Rec(), charts.Workbook(), view.Series);
        views.push_back(view);
    }
    return views;
}

// Per BOUNDSHEET entry in list order: its name (8-bit names widened) and the type of the BOF
// that its offset points at.
struct TSheetEntry {
    std::u16string Name;
    uint16_t BofType;
    bool operator==(const TSheetEntry&) const = default;
};

std::vector<TSheetEntry> SheetEntries(const std::vector<uint8_t>& stream) {
    std::vector<TSheetEntry> entries;
    size_t at = 0;
    while (at + 4 <= stream.size()) {
        const uint16_t id = base::LoadLE16(&stream[at]);
        const uint16_t length = base::LoadLE16(&stream[at + 2]);
        if (id == 0x0085) {
            const uint8_t* d = &stream[at + 4];
            const uint32_t offset = base::LoadLE32(d);
            const uint8_t chars = d[6];
            const bool wide = d[7] & 1;
            std::u16string name;
            for (size_t i = 0; i < chars; ++i) name += wide ? base::LoadLE16(d + 8 + 2 * i) : d[8 + i];
            const uint16_t bof = offset + 8 <= stream.size() && base::LoadLE16(&stream[offset]) == 0x0809
                                     ? base::LoadLE16(&stream[offset + 6])
                                     : 0;
            entries.push_back({name, bof});
        }
        at += 4 + length;
    }
    return entries;
}

// The workbook stream of a compound file.
std::vector<uint8_t> WorkbookStream(std::vector<uint8_t> file) {
    return platform::TCompoundFile::OpenMemory(std::move(file))->Root().ReadStream(u"Workbook");
}

std::vector<uint8_t> FixtureBytes(const std::string& name) {
    base::TMemoryStream file;
    file.LoadFromFile(Fixture(name));
    std::vector<uint8_t> bytes(static_cast<size_t>(file.Size()));
    file.SetPosition(0);
    file.ReadBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    return bytes;
}

std::vector<std::u16string> WorksheetNames(test::TBIFFReadBook& book) {
    std::vector<std::u16string> names;
    for (int i = 0; i < book.Root.Worksheets().Count(); ++i) names.push_back(book.Root.Worksheets().GetItems(i)->Name);
    return names;
}

struct TChartSheetCase {
    const char* File;
    std::vector<std::u16string> Worksheets;
    std::vector<TSheetEntry> Entries;
    std::vector<TChartSheetView> Charts;
};

const std::vector<TChartSheetCase>& Cases() {
    static const std::vector<TChartSheetCase> cases = {
        {"writeexcel_charts.xls",
         {u"Sheet1"},
         {{u"Sheet1", 0x0010}, {u"Chart1", 0x0020}},
         {{u"Chart1", 1, {{u"Sheet1!$A$2:$A$5", u"Sheet1!$B$2:$B$5"}}}}},
        {"writeexcel_chart_sheet.xls",
         {u"Data", u"Notes"},
         {{u"Data", 0x0010}, {u"Trend", 0x0020}, {u"Notes", 0x0010}},
         {{u"Trend", 1, {{u"Data!$A$2:$A$7", u"Data!$B$2:$B$7"}, {u"Data!$A$2:$A$7", u"Data!$C$2:$C$7"}}}}},
        // The series points at a worksheet behind the chart sheet, which the file numbers with
        // the chart sheet counted.
        {"writeexcel_sheet_refs.xls",
         {u"First", u"Second", u"Third"},
         {{u"First", 0x0010}, {u"Trend", 0x0020}, {u"Second", 0x0010}, {u"Third", 0x0010}},
         {{u"Trend", 1, {{u"", u"Second!$A$1:$A$2"}}}}},
    };
    return cases;
}

TEST(ChartSheetFilesTest, ChartSheetsAreReadAndWrittenInTheirTabPositions) {
    for (const TChartSheetCase& c : Cases()) {
        SCOPED_TRACE(c.File);
        test::TBIFFReadBook book;
        AttachDrawingLayer(*book.Document);
        book.Load(FixtureBytes(c.File));
        EXPECT_EQ(WorksheetNames(book), c.Worksheets);
        EXPECT_EQ(ChartSheetViews(*book.Document), c.Charts);

        // Read -> write -> read -> write: the second file is the first one again, and both list
        // the chart sheet between the same worksheets, its entry pointing at its substream.
        const std::vector<uint8_t> first = book.Save();
        book.Load(first);
        EXPECT_EQ(ChartSheetViews(*book.Document), c.Charts);
        const std::vector<uint8_t> second = WorkbookStream(book.Save());
        EXPECT_EQ(WorkbookStream(first), second);
        EXPECT_EQ(SheetEntries(second), c.Entries);
    }
}

// Reads a damaged workbook stream; a read may fail, but only with an error, and a document
// that read writes again.
void ReadDamaged(const std::vector<uint8_t>& stream) {
    test::TBIFFReadBook book;
    AttachDrawingLayer(*book.Document);
    try {
        book.Load(stream);
    } catch (const std::exception&) {
        return;
    }
    EXPECT_NO_THROW(book.Save());
}

TEST(ChartSheetFilesTest, DamagedChartSheetsEndInAnErrorOrAreRead) {
    const std::vector<uint8_t> stream = WorkbookStream(FixtureBytes("writeexcel_chart_sheet.xls"));
    // The chart sheet's substream: from the BOF of type chart to the EOF before the last sheet.
    size_t begin = 0, end = 0, at = 0;
    std::vector<size_t> starts;
    while (at + 4 <= stream.size()) {
        const uint16_t id = base::LoadLE16(&stream[at]);
        const uint16_t length = base::LoadLE16(&stream[at + 2]);
        if (id == 0x0809 && base::LoadLE16(&stream[at + 6]) == 0x0020 && begin == 0) begin = at;
        if (begin != 0 && end == 0) starts.push_back(at);
        if (begin != 0 && end == 0 && id == 0x000A) end = at + 4;
        at += 4 + length;
    }
    ASSERT_GT(starts.size(), 10u);
    for (const size_t start : starts) {
        SCOPED_TRACE(start);
        // Cut inside the record, a record longer than what follows, its data overwritten.
        ReadDamaged(std::vector<uint8_t>(stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(start + 3)));
        std::vector<uint8_t> damaged = stream;
        base::StoreLE16(&damaged[start + 2], 0xFFFF);
        ReadDamaged(damaged);
        for (const uint8_t fill : {0x00, 0xFF}) {
            damaged = stream;
            const size_t length = base::LoadLE16(&stream[start + 2]);
            for (size_t i = 0; i < length; ++i) damaged[start + 4 + i] = fill;
            ReadDamaged(damaged);
        }
    }
}

// The names of the sheets python3-xlrd lists in a file, or what it said when it refused it.
std::string XlrdSheetNames(const std::vector<uint8_t>& file) {
    using platform::testing::ShellQuote;
    const platform::testing::TTempDir dir;
    platform::testing::WriteFileBytes(dir / "book.xls", file);
    const auto result = platform::testing::RunCommand(
        std::string(platform::testing::Python) +
        " -c 'import sys, xlrd; print(\",\".join(xlrd.open_workbook(sys.argv[1]).sheet_names()))' " +
        ShellQuote(dir / "book.xls"));
    return result.ExitCode == 0 ? result.Output : "refused: " + result.Output;
}

// A chart whose End became a Begin leaves a level open up to its EOF: the EOF still ends the
// substream, and the file written from it is read again by us and by xlrd, with every sheet.
TEST(ChartSheetFilesTest, ChartWithAnEndTurnedIntoBeginIsWrittenAsAFileThatReadsBack) {
    const std::vector<uint8_t> stream = WorkbookStream(FixtureBytes("writeexcel_chart_sheet.xls"));
    std::vector<size_t> ends;
    bool inChart = false;
    for (size_t at = 0; at + 4 <= stream.size(); at += 4 + base::LoadLE16(&stream[at + 2])) {
        const uint16_t id = base::LoadLE16(&stream[at]);
        if (id == 0x0809) inChart = base::LoadLE16(&stream[at + 6]) == 0x0020;
        if (inChart && id == CHARTRECID_END) ends.push_back(at);
    }
    ASSERT_GE(ends.size(), 3u);
    for (const size_t end : {ends.front(), ends[ends.size() / 2], ends.back()}) {
        SCOPED_TRACE(end);
        std::vector<uint8_t> damaged = stream;
        base::StoreLE16(&damaged[end], CHARTRECID_BEGIN);
        test::TBIFFReadBook book;
        AttachDrawingLayer(*book.Document);
        book.Load(test::WrapWorkbook(damaged));
        const std::vector<uint8_t> saved = book.Save();

        test::TBIFFReadBook again;
        AttachDrawingLayer(*again.Document);
        ASSERT_NO_THROW(again.Load(saved));
        EXPECT_EQ(WorksheetNames(again), (std::vector<std::u16string>{u"Data", u"Notes"}));
        EXPECT_EQ(ChartSheets(*again.Document)->Count(), 1);
        // xlrd lists worksheets only.
        EXPECT_EQ(XlrdSheetNames(saved), "Data,Notes\n");
    }
}

}  // namespace
}  // namespace xls
