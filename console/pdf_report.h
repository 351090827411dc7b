#pragma once

#include <QDateTime>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "console/history_record.h"
#include "pdf/pdf_document.h"

namespace console {

// The history report as a PDF file: a title, a ruled table of record number, temperature,
// humidity and date-time, and a new page whenever a page is full. Texts go through the
// page canvas (pixels of the 96-per-inch reference device), the grid through the page's own
// path operations (points).
class TPdfReport {
public:
    int32_t PdfBoxX = 57;     // left edge of the grid, points
    int32_t PdfBoxY = 73;     // top of the next grid row, points
    int32_t PdfTextY = 120;   // top of the next row's texts, canvas pixels
    int32_t PdfPageRows = 4;  // rows counted on the current page
    std::string ReportFileName;

    // Creates the document in ./data/ and draws the page head with the title at canvas x.
    void StartPdfReport(const std::string& deviceId, const std::string& title, int titleX,
                        const QDateTime& now = QDateTime::currentDateTime());
    // One record as a table row; `number` is the record's count in the run.
    void AddPdfRow(uint32_t number, const THistoryRecord& record);
    // Ends the document, then, after the pause, offers to open the file. An error aborts the
    // document, unless ending it already did, and passes on.
    void FinishPdfReport(const std::function<void(int)>& pause);
    // Whether a report is being written.
    bool Generating() const { return SPDF && SPDF->Generating(); }

    // The document of the latest report, kept until the next one replaces it.
    std::unique_ptr<pdf::TPDFDocument> SPDF;

private:
    void GridRow();
};

// "温湿度" + device + "历史记录" + year "年" month "月" day "日" hour "时" minute "分" second "秒" + ".pdf".
std::string PdfReportFileName(const std::string& deviceId, const QDateTime& time);
// A value in its shortest decimal form: 23.5, 20, -5.1.
std::string ShortestDecimal(double value);

}  // namespace console
