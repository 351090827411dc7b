/* libxlsxwriter in constant-memory mode writing the console's report sheets (cells and line
   charts) as .xlsx, as a command of its own beside excel_report_process:
     xlsx_report_process SHEETS FILE   SHEETS sheets of 32,000 rows (the last one row fewer) */
#include <stdio.h>
#include <stdlib.h>

#include "bench/xls_chart/xlsx_chart_report.h"

int main(int argc, char** argv) {
    const int sheets = argc == 3 ? atoi(argv[1]) : 0;
    if (sheets < 1) {
        fprintf(stderr, "usage: %s SHEETS FILE\n", argv[0]);
        return 2;
    }
    return WriteXlsxChartReportSheets(argv[2], 32000, sheets) == 0 ? 0 : 1;
}
