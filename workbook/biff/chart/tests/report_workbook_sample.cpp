// report_workbook_sample OUT [ROWS [REPORTS]]: writes OUT with the library's BIFF8 writer: the
// console's report table of ROWS rows (default 100) and its chart, made REPORTS times in a row
// on the same workbook (default 1) as a run of reports does. The report check
// (fixtures/check_report_chart.py) lets LibreOffice and gnumeric read the result.
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "workbook/biff/chart/tests/report_workbook.h"

int main(int argc, char** argv) {
    if (argc < 2 || argc > 4) {
        std::fprintf(stderr, "usage: report_workbook_sample OUT [ROWS [REPORTS]]\n");
        return 2;
    }
    try {
        const int rows = argc > 2 ? std::atoi(argv[2]) : 100;
        const int reports = argc > 3 ? std::atoi(argv[3]) : 1;
        xls::testing::TReportWorkbook workbook;
        workbook.FillRows(rows);
        for (int report = 0; report < reports; ++report) workbook.AddReportChart(28 + rows);
        workbook.Write(argv[1]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "report_workbook_sample: %s\n", e.what());
        return 1;
    }
    return 0;
}
