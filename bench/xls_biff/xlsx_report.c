#include "xlsx_report.h"

#include <stdio.h>
#include <xlsxwriter.h>

int WriteXlsxReport(const char* path, int sheets, int rows) {
    lxw_workbook_options options = {.constant_memory = LXW_TRUE, .tmpdir = NULL};
    lxw_workbook* book = workbook_new_opt(path, &options);
    if (!book) return 1;
    lxw_format* title = workbook_add_format(book);
    format_set_bold(title);
    format_set_font_size(title, 18);
    format_set_font_name(title, "宋体");
    format_set_align(title, LXW_ALIGN_CENTER);
    format_set_border(title, LXW_BORDER_THIN);
    lxw_format* small = workbook_add_format(book);
    format_set_font_size(small, 9);
    format_set_bg_color(small, 0xC0C0C0);
    static const char* formulas[6] = {"=\"    温度平均值:\"&ROUND(AVERAGE(B28:B%d),2)",
                                      "=\"    湿度平均值:\"&ROUND(AVERAGE(C28:C%d),2)",
                                      "=\"    温度最小值:\"&MIN(B28:B%d)",
                                      "=\"    湿度最小值:\"&MIN(C28:C%d)",
                                      "=\"    温度最大值:\"&MAX(B28:B%d)",
                                      "=\"    湿度最大值:\"&MAX(C28:C%d)"};
    char text[128];
    for (int s = 0; s < sheets; ++s) {
        lxw_worksheet* sheet = workbook_add_worksheet(book, NULL);
        worksheet_set_column(sheet, 0, 2, 4400 / 256.0, NULL);
        worksheet_set_column(sheet, 3, 3, 8800 / 256.0, NULL);
        worksheet_merge_range(sheet, 0, 0, 0, 3, "温湿度历史记录报表", title);
        worksheet_set_row(sheet, 1, 18, NULL);
        worksheet_write_string(sheet, 1, 0, "1.设备信息：", small);
        worksheet_write_string(sheet, 2, 0, "    设备ID:1", small);
        worksheet_write_string(sheet, 2, 3, "    本页条数:32000", small);
        worksheet_write_string(sheet, 3, 0, "    开始时间:2026-01-01 00:00:00", small);
        worksheet_write_string(sheet, 3, 3, "    结束时间:2026-12-31 23:59:59", small);
        for (int i = 0; i < 6; ++i) {
            snprintf(text, sizeof text, formulas[i], 28 + rows);
            worksheet_write_formula_str(sheet, 4 + i / 2, (i % 2) * 3, text, small, "    温度平均值:22.5");
        }
        worksheet_write_string(sheet, 8, 0, "2.温湿度曲线：", small);
        worksheet_write_string(sheet, 26, 0, "3.详细数据：", small);
        const char* heads[4] = {"序号", "温度", "湿度", "记录时间"};
        for (int c = 0; c < 4; ++c) worksheet_write_string(sheet, 27, c, heads[c], NULL);
        for (int r = 0; r < rows; ++r) {
            worksheet_write_number(sheet, 28 + r, 0, r + 1, NULL);
            worksheet_write_number(sheet, 28 + r, 1, (200 + r % 100) / 10.0, NULL);
            worksheet_write_number(sheet, 28 + r, 2, (500 + r % 300) / 10.0, NULL);
            snprintf(text, sizeof text, "%.4d-%.2d-%.2d %.2d:%.2d:%.2d", 2026, 1 + r / 2880 % 12, 1 + r / 96 % 28,
                     r / 4 % 24, r % 4 * 15, 0);
            worksheet_write_string(sheet, 28 + r, 3, text, NULL);
        }
    }
    return workbook_close(book) == LXW_NO_ERROR ? 0 : 1;
}
