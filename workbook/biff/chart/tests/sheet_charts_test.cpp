#include "workbook/biff/chart/sheet_charts.h"

#include <gtest/gtest.h>

#include "base/byte_reader.h"
#include "workbook/biff/chart/chart_record_ids.h"
#include "workbook/biff/chart/tests/chart_test_support.h"
#include "workbook/biff/xls_stream.h"
#include "workbook/model/exceptions.h"

namespace xls::testing {
namespace {

// A drawing kept as the bytes of its record.
class TBytesDrawing : public TChartDrawing {
public:
    void LoadFromStream(TXLSStream& stream, uint16_t length) override {
        Bytes.resize(length);
        stream.Read(Bytes.data(), length);
    }
    void SaveToStream(TXLSStream& stream) override {
        stream.WriteHeader(CHARTRECID_MSODRAWING, static_cast<uint16_t>(Bytes.size()));
        stream.WriteRaw(Bytes.data(), static_cast<int64_t>(Bytes.size()));
    }
    std::vector<uint8_t> Bytes;
};

class SheetChartsTest : public ::testing::Test {
protected:
    TTestChartWorkbook Workbook;
    TSheetCharts Sheets{Workbook, [] { return std::make_unique<TBytesDrawing>(); }};

    // Reads a substream given as records (BOF first) as chart sheet name.
    TSheetChart& Load(const std::vector<uint8_t>& bytes, std::u16string name, int index) {
        TXLSStream stream;
        stream.CreateMemory();
        stream.WriteRaw(bytes.data(), static_cast<int64_t>(bytes.size()));
        stream.Seek(0, 0);
        TBIFFHeader header;
        stream.ReadHeader(header);
        std::vector<uint8_t> bof(header.Length);
        stream.ReadPlain(bof.data(), header.Length);
        return Sheets.LoadChartSheet(stream, std::move(name), index, bof);
    }

    std::vector<uint8_t> Save(int index) {
        TXLSStream stream;
        stream.CreateMemory();
        Sheets.SaveChartSheet(index, stream);
        std::vector<uint8_t> bytes(stream.Position());
        stream.Seek(0, 0);
        stream.ReadPlain(bytes.data(), static_cast<int64_t>(bytes.size()));
        return bytes;
    }
};

TEST_F(SheetChartsTest, WriteExcelChartSheetIsWrittenBackUnchanged) {
    TXLSStream file;
    file.Open(std::string(OMBRIX_SOURCE_DIR) + "/workbook/biff/chart/tests/fixtures/writeexcel_charts.xls");
    file.Seek(0, 0);
    // The chart sheet is the substream of type chart that no worksheet holds.
    std::vector<uint8_t> original;
    int depth = 0;
    for (;;) {
        const int64_t start = file.Position();
        TBIFFHeader header;
        if (file.ReadHeader(header) < 4) break;
        std::vector<uint8_t> data(header.Length);
        file.ReadPlain(data.data(), header.Length);
        if (header.RecID == 0x0031) Workbook.AddFileFont(u"Arial", 10);
        if (header.RecID == CHARTRECID_BOF) {
            if (depth == 0 && base::LoadLE16(data.data() + 2) == 0x0020) {
                file.Seek(start, 0);
                std::vector<uint8_t> rest(file.StreamSize() - start);
                file.ReadPlain(rest.data(), static_cast<int64_t>(rest.size()));
                original = rest;
                break;
            }
            ++depth;
        }
        if (header.RecID == CHARTRECID_EOF) --depth;
    }
    ASSERT_FALSE(original.empty());
    TSheetChart& sheet = Load(original, u"Chart1", 1);
    EXPECT_EQ(sheet.Name(), u"Chart1");
    EXPECT_EQ(sheet.SheetIndex(), 1);
    const std::vector<uint8_t> written = Save(0);
    original.resize(written.size());
    EXPECT_EQ(written, original);
    EXPECT_EQ(sheet.Rec().Last()->RecId(), CHARTRECID_EOF);
}

TEST_F(SheetChartsTest, DrawingOfAChartSheetIsReadAndWrittenInItsPlace) {
    const std::vector<uint8_t> drawing(120, 0x33);
    const std::vector<TRawRecord> records = {{CHARTRECID_BOF, Hex("00 06 20 00")},
                                             {CHARTRECID_UNITS, {0, 0}},
                                             {CHARTRECID_MSODRAWING, drawing},
                                             {CHARTRECID_EOF, {}}};
    Load(JoinRecords({{CHARTRECID_BOF, Hex("00 06 20 00")}, {CHARTRECID_EOF, {}}}), u"Chart1", 1);
    TSheetChart& second = Load(JoinRecords(records), u"Chart2", 3);
    EXPECT_EQ(Sheets.GetItems(0).Drawing(), nullptr);
    ASSERT_NE(second.Drawing(), nullptr);
    EXPECT_EQ(static_cast<TBytesDrawing*>(second.Drawing())->Bytes, drawing);
    EXPECT_EQ(SplitRecords(Save(1)), records);
    EXPECT_THROW(Sheets.GetItems(2), EListError);
}

TEST_F(SheetChartsTest, DrawingWithoutAPlaceIsRefused) {
    TSheetCharts noDrawings(Workbook, nullptr);
    TXLSStream stream;
    stream.CreateMemory();
    const std::vector<uint8_t> bytes = JoinRecords({{CHARTRECID_MSODRAWING, std::vector<uint8_t>(100)}});
    stream.WriteRaw(bytes.data(), static_cast<int64_t>(bytes.size()));
    stream.Seek(0, 0);
    try {
        noDrawings.LoadChartSheet(stream, u"Chart1", 0, Hex("00 06 20 00"));
        ADD_FAILURE() << "no error";
    } catch (const EXLSError& e) {
        EXPECT_STREQ(e.what(), "Chart record parent is not of excpected type");
    }
}

}  // namespace
}  // namespace xls::testing
