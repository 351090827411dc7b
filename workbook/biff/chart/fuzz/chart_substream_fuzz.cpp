#include <cstddef>
#include <cstdint>
#include <span>

#include "base/exception.h"
#include "workbook/biff/chart/drw_chart.h"
#include "workbook/biff/chart/tests/chart_test_support.h"

// Reads the input as a chart substream, binds the chart views to it, reads what the views give
// and writes the tree back.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    xls::testing::TTestChartWorkbook workbook;
    for (int i = 0; i < 8; ++i) workbook.AddFileFont(u"Arial", 10);
    workbook.ExternSheets = {0, 1, 2};
    xls::testing::TTestChartOwner owner(workbook);
    xls::TDrwCharts charts(owner, workbook);
    try {
        xls::TChartRecord& root = owner.NewRoot();
        xls::testing::LoadBytes(root, std::span<const uint8_t>(data, size));
        try {
            xls::TDrwChart& chart = charts.AddFromShape(root);
            for (int i = 0; i < chart.Series().Count(); ++i) {
                xls::TXLSChartSerie& serie = chart.Series().GetItems(i);
                for (auto get : {&xls::TXLSChartSerie::Values, &xls::TXLSChartSerie::Category,
                                 &xls::TXLSChartSerie::Values2, &xls::TXLSChartSerie::SerieName}) {
                    try {
                        (serie.*get)();
                    } catch (const base::Exception&) {
                    }
                }
                serie.Geomtery();
            }
            if (chart.PlotArea().Style()) chart.PlotArea().GetHasLegend();
        } catch (const base::Exception&) {
        }
        xls::testing::SaveBytes(root, &owner);
    } catch (const base::Exception&) {
    }
    return 0;
}
