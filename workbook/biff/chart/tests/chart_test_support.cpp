#include "workbook/biff/chart/tests/chart_test_support.h"

#include "base/byte_reader.h"
#include "base/text_encoding.h"
#include "workbook/biff/chart/chart_defaults.h"
#include "workbook/biff/chart/drw_chart.h"
#include "workbook/model/cell_reference.h"
#include "workbook/model/exceptions.h"

namespace xls::testing {

TTestChartWorkbook::TTestChartWorkbook() {
    Fonts_.AddDefaults();
    Encoder_.OnExternRef = [this](const std::u16string&, const std::u16string&, int& sheetIndex, int& ixti,
                                  bool isSheetRef, const std::u16string&, const std::u16string& sheetName) {
        // The encoder hands the sheet name over in upper case.
        if (!isSheetRef || sheetName.size() < 6 ||
            (sheetName.rfind(u"SHEET", 0) != 0 && sheetName.rfind(u"Sheet", 0) != 0))
            return;
        const int number = std::stoi(base::Utf16ToUtf8(sheetName.substr(5)));
        sheetIndex = number - 1;
        UseSheet(sheetIndex);
        for (size_t i = 0; i < ExternSheets.size(); ++i)
            if (ExternSheets[i] == sheetIndex) ixti = static_cast<int>(i);
    };
}

int TTestChartWorkbook::FontFileIndex(const TXc12Font& font) {
    for (int i = 1; i < Fonts_.Count(); ++i)
        if (Fonts_.GetItems(i) == &font) return i - 1;
    throw EXLSError("Font is not in the list");
}

TXc12Font& TTestChartWorkbook::FontAtFileIndex(int index) {
    if (index < 0 || index + 1 >= Fonts_.Count()) throw EListError::IndexOutOfBounds(index);
    return *Fonts_.GetItems(index + 1);
}

void TTestChartWorkbook::DropFont(TXc12Font& font) {
    if (const int index = Fonts_.IndexOf(&font); index > 0) Fonts_.Delete(index);
}

void TTestChartWorkbook::UseSheet(int sheetIndex) {
    for (int sheet : ExternSheets)
        if (sheet == sheetIndex) return;
    ExternSheets.push_back(sheetIndex);
}

int TTestChartWorkbook::EncodeFormula(std::u16string_view text, uint8_t* buf, int bufSize) {
    return Encoder_.Encode(text, 0, 1, bufSize, buf);
}

std::u16string TTestChartWorkbook::DecodeFormula(std::span<const uint8_t> tokens) {
    base::TByteReader reader(tokens, [] { throw EXLSError("Reference tokens are cut short"); });
    const uint8_t ptg = reader.U8();
    const int ixti = reader.U16LE();
    if (ixti >= static_cast<int>(ExternSheets.size())) throw EXLSError("No such EXTERNSHEET entry");
    const std::u16string sheet = u"Sheet" + base::Utf8ToUtf16(std::to_string(ExternSheets[ixti] + 1)) + u"!";
    auto cell = [](int row, uint16_t col) {
        return ColRowToRefStrAbs(col & 0xFF, row, !(col & 0x4000), !(col & 0x8000));
    };
    switch (ptg & 0x1F) {
        case 0x1A: {
            const int row = reader.U16LE();
            return sheet + cell(row, reader.U16LE());
        }
        case 0x1B: {
            const int row1 = reader.U16LE(), row2 = reader.U16LE();
            const uint16_t col1 = reader.U16LE(), col2 = reader.U16LE();
            return sheet + cell(row1, col1) + u":" + cell(row2, col2);
        }
        default: throw EXLSError("The test decoder reads 3-D references only");
    }
}

TXc12Font& TTestChartWorkbook::AddFileFont(std::u16string_view name, double size) {
    if (Fonts_.Count() == 5) Fonts_.AddPlaceholder();
    TXc12Font* font = Fonts_.Add();
    font->SetName(name);
    font->SetSize(size);
    return *font;
}

void TTestChartOwner::ReadDrawing(TXLSStream& stream, uint16_t length) {
    std::vector<uint8_t> bytes(length);
    if (stream.Read(bytes.data(), length) != length) throw EXLSError("MsoDrawing is cut short");
    Drawings_.push_back(std::move(bytes));
}

void TTestChartOwner::WriteDrawing(TXLSStream& stream) {
    const std::vector<uint8_t>& bytes = Drawings_.at(NextDrawing_++);
    stream.WriteHeader(0x00EC, static_cast<uint16_t>(bytes.size()));
    stream.WriteRaw(bytes.data(), static_cast<int64_t>(bytes.size()));
}

TChartRecord& TTestChartOwner::AddChartShape() {
    Roots_.push_back(TChartRecord::CreateRoot(*this));
    return *Roots_.back();
}

void TTestChartOwner::DeleteChartShape(TChartRecord& root) {
    std::erase_if(Roots_, [&root](const std::unique_ptr<TChartRecord>& r) { return r.get() == &root; });
}

TDrwChart& ReportChart(TDrwCharts& charts, int sheet, int lastRow) {
    charts.Clear();
    TDrwChart& chart = charts.Add(sheet - 1);
    SetReportChart(chart, sheet, lastRow);
    return chart;
}

void SetReportChart(TDrwChart& chart, int sheet, int lastRow) {
    TChartPlotArea& plot = chart.PlotArea();
    plot.SetChartType(4);
    plot.SetHasLegend(true);
    plot.SetHas3D(false);
    plot.Frame().LineFormat().SetColorIndex(9);
    plot.Frame().AreaFormat().SetForeColorIndex(9);
    plot.Frame().LineFormat().SetLinePattern(5);
    plot.Style()->SetHasDefDataPoint(true);
    plot.Style()->DefDataPoint().MarkerFormat().SetMarkerType(0);
    const std::u16string s = u"Sheet" + base::Utf8ToUtf16(std::to_string(sheet));
    const std::u16string last = base::Utf8ToUtf16(std::to_string(lastRow));
    TXLSChartSerie& first = chart.Series().GetItems(chart.Series().Count() - 1);
    first.SetValues(s + u"!$B$29:$B$" + last);
    first.SetCategory(s + u"!$D$29:$D$" + last);
    first.SetSerieName(u"Sheet1!$B$28");
    TXLSChartSerie& second = chart.Series().Add();
    second.SetValues(s + u"!$C$29:$C$" + last);
    second.SetSerieName(u"Sheet1!$C$28");
    second.SetCategory(s + u"!$D$29:$D$" + last);
}

std::vector<uint8_t> SaveBytes(TChartRecord& list, TTestChartOwner* owner) {
    if (owner) owner->RewindDrawings();
    TXLSStream stream;
    stream.CreateMemory();
    list.SaveToStream(stream);
    const int64_t size = stream.Position();
    std::vector<uint8_t> bytes(size);
    stream.Seek(0, 0);
    stream.ReadPlain(bytes.data(), size);
    return bytes;
}

int64_t LoadBytes(TChartRecord& list, std::span<const uint8_t> bytes) {
    TXLSStream stream;
    stream.CreateMemory();
    stream.WriteRaw(bytes.data(), static_cast<int64_t>(bytes.size()));
    stream.Seek(0, 0);
    list.LoadFromStream(stream);
    return stream.Position();
}

std::vector<TRawRecord> SplitRecords(std::span<const uint8_t> bytes) {
    std::vector<TRawRecord> records;
    base::TByteReader reader(bytes, [] { throw EXLSError("Record stream is cut short"); });
    while (!reader.AtEnd()) {
        TRawRecord record;
        record.Id = reader.U16LE();
        const std::span<const uint8_t> data = reader.Bytes(reader.U16LE());
        record.Data.assign(data.begin(), data.end());
        records.push_back(std::move(record));
    }
    return records;
}

std::vector<uint8_t> JoinRecords(const std::vector<TRawRecord>& records) {
    std::vector<uint8_t> bytes;
    for (const TRawRecord& record : records) {
        base::AppendLE16(bytes, record.Id);
        base::AppendLE16(bytes, static_cast<uint16_t>(record.Data.size()));
        bytes.insert(bytes.end(), record.Data.begin(), record.Data.end());
    }
    return bytes;
}

std::vector<uint8_t> Hex(std::string_view text) { return DefaultRecordBytes({0, text}); }

}  // namespace xls::testing
