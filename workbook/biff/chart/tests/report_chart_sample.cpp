// report_chart_sample HOST OUT [LAST]: writes OUT, the workbook HOST (a sheet in the console's
// report layout with one embedded chart) with that chart's substream replaced by the console's
// report chart as this library writes it, its ranges ending on row LAST (default 128). The report check
// (fixtures/check_report_chart.py) lets LibreOffice and gnumeric read the result.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <stdexcept>
#include <vector>

#include "base/byte_reader.h"
#include "workbook/biff/chart/chart_record_ids.h"
#include "workbook/biff/chart/drw_chart.h"
#include "workbook/biff/chart/tests/chart_test_support.h"
#include "workbook/biff/xls_stream.h"

int main(int argc, char** argv) {
    using namespace xls;
    using namespace xls::testing;
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: report_chart_sample HOST OUT [LAST]\n");
        return 2;
    }
    try {
        TTestChartWorkbook workbook;
        TTestChartOwner owner(workbook);
        TXLSStream host;
        host.Open(argv[1]);
        host.Seek(0, 0);
        std::vector<TRawRecord> records;
        int chartStart = -1, chartEnd = -1;
        for (TBIFFHeader header; host.ReadHeader(header) == 4;) {
            TRawRecord record{header.RecID, std::vector<uint8_t>(header.Length)};
            host.ReadPlain(record.Data.data(), header.Length);
            if (record.Id == CHARTRECID_BOF && record.Data.size() >= 4 && base::LoadLE16(&record.Data[2]) == 0x0020)
                chartStart = static_cast<int>(records.size());
            if (record.Id == CHARTRECID_EOF && chartStart >= 0 && chartEnd < 0)
                chartEnd = static_cast<int>(records.size());
            if (record.Id == 0x0031) workbook.AddFileFont(u"Arial", 10);
            if (record.Id == 0x0017) {
                base::TByteReader reader(record.Data);
                for (int n = reader.U16LE(); n > 0; --n) {
                    reader.U16LE();
                    workbook.ExternSheets.push_back(reader.U16LE());
                    reader.U16LE();
                }
            }
            records.push_back(std::move(record));
        }
        if (chartStart < 0 || chartEnd < 0) throw std::runtime_error("the host has no embedded chart");

        const int hostFonts = workbook.Fonts().Count();
        TDrwCharts charts(owner, workbook);
        TDrwChart& chart = ReportChart(charts, 1, argc == 4 ? std::atoi(argv[3]) : 128);
        // The fonts the chart added get their FONT records after the host's, as the workbook
        // writer gives every font of the list one; the sheets move by what that adds.
        int lastFont = -1;
        for (int i = 0; i < static_cast<int>(records.size()); ++i)
            if (records[i].Id == 0x0031) lastFont = i;
        std::vector<TRawRecord> fonts;
        for (int i = hostFonts; i < workbook.Fonts().Count(); ++i) {
            const TXc12Font& font = *workbook.Fonts().GetItems(i);
            std::vector<uint8_t> data;
            base::AppendLE16(data, static_cast<uint16_t>(font.GetSize() * 20));
            base::AppendLE16(data, 0);
            base::AppendLE16(data, 0x7FFF);
            base::AppendLE16(data, 400);
            base::AppendLE16(data, 0);
            data.insert(data.end(), {0, 0, 1, 0, static_cast<uint8_t>(font.GetName().size()), 1});
            for (char16_t c : font.GetName()) base::AppendLE16(data, c);
            fonts.push_back({0x0031, data});
        }
        const uint32_t added = static_cast<uint32_t>(JoinRecords(fonts).size());
        for (TRawRecord& record : records)
            if (record.Id == 0x0085) base::StoreLE32(record.Data.data(), base::LoadLE32(record.Data.data()) + added);
        records.insert(records.begin() + lastFont + 1, fonts.begin(), fonts.end());
        chartStart += static_cast<int>(fonts.size());
        chartEnd += static_cast<int>(fonts.size());

        std::vector<uint8_t> bytes = JoinRecords({records.begin(), records.begin() + chartStart});
        const std::vector<uint8_t> ours = SaveBytes(*chart.Rec());
        bytes.insert(bytes.end(), ours.begin(), ours.end());
        const std::vector<uint8_t> rest = JoinRecords({records.begin() + chartEnd + 1, records.end()});
        bytes.insert(bytes.end(), rest.begin(), rest.end());

        TXLSStream out;
        out.CreateFile(argv[2], xvExcel97);
        out.WriteRaw(bytes.data(), static_cast<int64_t>(bytes.size()));
        out.Close();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "report_chart_sample: %s\n", e.what());
        return 1;
    }
    return 0;
}
