#include "xlsx_chart_report.h"

#include <stdio.h>
#include <xlsxwriter.h>

static void WriteSheet(lxw_workbook* book, int number, int rows) {
    char sheetName[32];
    snprintf(sheetName, sizeof sheetName, "Sheet%d", number);
    lxw_worksheet* sheet = workbook_add_worksheet(book, sheetName);
    worksheet_set_column(sheet, 0, 2, 4400 / 256.0, NULL);
    worksheet_set_column(sheet, 3, 3, 8800 / 256.0, NULL);
    const char* heads[4] = {"序号", "温度", "湿度", "记录时间"};
    for (int c = 0; c < 4; ++c) worksheet_write_string(sheet, 27, c, heads[c], NULL);
    char text[64];
    for (int r = 0; r < rows; ++r) {
        worksheet_write_number(sheet, 28 + r, 0, r + 1, NULL);
        worksheet_write_number(sheet, 28 + r, 1, (200 + r % 100) / 10.0, NULL);
        worksheet_write_number(sheet, 28 + r, 2, (500 + r % 300) / 10.0, NULL);
        snprintf(text, sizeof text, "2026-%.2d-%.2d %.2d:%.2d:00", 1 + r / 2880 % 12, 1 + r / 96 % 28, r / 4 % 24,
                 r % 4 * 15);
        worksheet_write_string(sheet, 28 + r, 3, text, NULL);
    }
    lxw_chart* chart = workbook_add_chart(book, LXW_CHART_LINE);
    const char* columns[2] = {"B", "C"};
    char values[64], categories[64], name[32];
    for (int s = 0; s < 2; ++s) {
        snprintf(values, sizeof values, "=%s!$%s$29:$%s$%d", sheetName, columns[s], columns[s], 28 + rows);
        snprintf(categories, sizeof categories, "=%s!$D$29:$D$%d", sheetName, 28 + rows);
        snprintf(name, sizeof name, "=Sheet1!$%s$28", columns[s]);
        lxw_chart_series* series = chart_add_series(chart, categories, values);
        chart_series_set_name(series, name);
        chart_series_set_marker_type(series, LXW_CHART_MARKER_NONE);
    }
    chart_legend_set_position(chart, LXW_CHART_LEGEND_RIGHT);
    /* Constant-memory mode writes rows as they come: the chart goes in once the rows are out. */
    worksheet_insert_chart(sheet, 9, 0, chart);
}

int WriteXlsxChartReportSheets(const char* path, int rows, int sheets) {
    lxw_workbook_options options = {.constant_memory = LXW_TRUE, .tmpdir = NULL};
    lxw_workbook* book = workbook_new_opt(path, &options);
    if (!book) return 1;
    for (int number = 1; number <= sheets; ++number) WriteSheet(book, number, rows);
    return workbook_close(book) == LXW_NO_ERROR ? 0 : 1;
}

int WriteXlsxChartReport(const char* path, int rows) { return WriteXlsxChartReportSheets(path, rows, 1); }
