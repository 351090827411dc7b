#pragma once

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <string>
#include <vector>

#include "platform/testing/test_files.h"

namespace console::testing {

// A console workbook as python3-xlrd and olefile read it (console/tests/xls_report_dump.py):
// one object per sheet with its rows, the formats of the cells asked for ("row,col", 0-based),
// widths, heights, merged areas and charts.
inline QJsonArray DumpWorkbook(const std::string& path, const std::vector<std::string>& formatCells = {}) {
    std::string command =
        "/usr/bin/python3 " +
        platform::testing::ShellQuote(std::string(OMBRIX_SOURCE_DIR) + "/console/tests/xls_report_dump.py") + " " +
        platform::testing::ShellQuote(path);
    for (const std::string& cell : formatCells) command += " " + cell;
    const auto result = platform::testing::RunCommand(command);
    EXPECT_EQ(result.ExitCode, 0) << result.Output;
    return QJsonDocument::fromJson(QByteArray::fromStdString(result.Output)).array();
}

// The workbook's fonts as xlrd reads them, by file index: name, height, weight and the rest.
inline QJsonArray DumpFonts(const std::string& path) {
    const auto result = platform::testing::RunCommand(
        "/usr/bin/python3 " +
        platform::testing::ShellQuote(std::string(OMBRIX_SOURCE_DIR) + "/console/tests/xls_report_dump.py") +
        " --fonts " + platform::testing::ShellQuote(path));
    EXPECT_EQ(result.ExitCode, 0) << result.Output;
    return QJsonDocument::fromJson(QByteArray::fromStdString(result.Output)).array();
}

// A cell's value as the dump gives it: text as it is, a number in its shortest form.
inline QString CellText(const QJsonObject& sheet, int row, int col) {
    const QJsonArray rows = sheet["rows"].toArray();
    if (row >= rows.size() || col >= rows[row].toArray().size()) return "<none>";
    const QJsonValue value = rows[row].toArray()[col];
    return value.isString() ? value.toString() : QString::number(value.toDouble(), 'g', 15);
}

}  // namespace console::testing
