#pragma once

#ifdef __cplusplus
extern "C" {
#endif

/* Writes the report table (column heads on row 28, then rows of number, temperature, humidity
   and time text) with the console's line chart (two series over the rows, their names from the
   heads, the times as categories, a legend, no markers, from A10 to E27) with libxlsxwriter in
   constant-memory mode; 0 on success. */
int WriteXlsxChartReport(const char* path, int rows);
/* The same on each of sheets sheets "Sheet1", "Sheet2"..., each sheet's chart over its own rows. */
int WriteXlsxChartReportSheets(const char* path, int rows, int sheets);

#ifdef __cplusplus
}
#endif
