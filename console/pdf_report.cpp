#include "console/pdf_report.h"

#include <charconv>
#include <filesystem>

#include "base/format.h"
#include "console/form1.h"
#include "console/report_files.h"
#include "console/report_question.h"

namespace console {
namespace {

const char* const ReportFace = "宋体";
constexpr uint8_t ReportCharset = 134;  // GB2312
// Right edges of the nested grid boxes, from the grid's left edge; and the row texts' x.
constexpr int BoxWidths[] = {63, 153, 243, 480};
constexpr int RowTextX[] = {90, 170, 290, 410};

void SetCanvasFont(platform::TMetafileCanvas& canvas, int size) {
    canvas.Font().Size = size;
    canvas.Font().Name = ReportFace;
    canvas.Font().Charset = ReportCharset;
}

}  // namespace

std::string PdfReportFileName(const std::string& deviceId, const QDateTime& t) {
    return ReportFileName(deviceId, "历史记录", t, ".pdf");
}

std::string ShortestDecimal(double value) {
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

void TPdfReport::GridRow() {
    pdf::TPDFPage& page = *SPDF->CurrentPage();
    page.GStateSave();
    page.NewPath();
    for (int width : BoxWidths) page.Rectangle(PdfBoxX, PdfBoxY, PdfBoxX + width, PdfBoxY + 15);
    page.ClosePath();
    page.Stroke();
    // Each row's state is closed again, so that pages do not nest dozens of states.
    page.GStateRestore();
}

void TPdfReport::StartPdfReport(const std::string& deviceId, const std::string& title, int titleX,
                                const QDateTime& now) {
    PdfBoxX = 57;
    PdfBoxY = 73;
    ReportFileName = PdfReportFileName(deviceId, now);
    SPDF = std::make_unique<pdf::TPDFDocument>();
    // The window makes the folder at start-up; a report must not fail for want of it.
    std::filesystem::create_directories(ReportFolder);
    SPDF->SetFileName(ReportFolder + ReportFileName);
    SPDF->BeginDoc();
    SPDF->CurrentPage()->SetActiveFont(ReportFace, pdf::fsUnderline, 50, ReportCharset);
    platform::TMetafileCanvas& canvas = *SPDF->GetCanvas();
    SetCanvasFont(canvas, 20);
    canvas.Font().Color = 0;
    canvas.TextOut(titleX, 30, title);
    canvas.Font().Size = 10;
    canvas.TextOut(88, 100, "序号");
    canvas.TextOut(170, 100, "温度");
    canvas.TextOut(290, 100, "湿度");
    canvas.TextOut(410, 100, "日期");
    GridRow();
    PdfBoxY += 15;
    PdfTextY = 120;
    PdfPageRows = 4;
}

void TPdfReport::AddPdfRow(uint32_t number, const THistoryRecord& record) {
    pdf::TPDFPage& page = *SPDF->CurrentPage();
    page.SetActiveFont(ReportFace, pdf::fsUnderline, 50, ReportCharset);
    platform::TMetafileCanvas& canvas = *SPDF->GetCanvas();
    SetCanvasFont(canvas, 10);
    const std::string texts[] = {std::to_string(number), ShortestDecimal(record.Temperature),
                                 ShortestDecimal(record.Humidity), record.Time.DateTimeText().toStdString()};
    for (size_t i = 0; i < std::size(texts); ++i) canvas.TextOut(RowTextX[i], PdfTextY, texts[i]);
    GridRow();
    PdfBoxY += 15;
    PdfTextY += 20;
    ++PdfPageRows;
    if (PdfPageRows == 51) {
        SPDF->NewPage();
        PdfPageRows = 0;
        PdfBoxY = 43;
        PdfTextY = 60;
    }
}

void TPdfReport::FinishPdfReport(const std::function<void(int)>& pause) {
    try {
        SPDF->EndDoc();
    } catch (...) {
        // A failed end has aborted the document already; aborting again would replace its error.
        if (SPDF->Generating()) SPDF->Abort();
        throw;
    }
    AskToOpenReport(ReportFileName, pause);
}

void Tform1::StartPdfRun(int tab) {
    CheckBox2->setEnabled(false);
    std::string title = "温湿度历史记录";
    int titleX = 300;
    if (tab == 1) {
        title = base::Format("温湿度历史记录:%s~%s", {DateTimePicker2->date().toString("yyyy-MM-dd").toStdString(),
                                                      DateTimePicker3->date().toString("yyyy-MM-dd").toStdString()});
        titleX = 103;
    } else if (tab == 2) {
        title = base::Format("温湿度历史记录:%s", {DateTimePicker1->date().toString("yyyy-MM-dd").toStdString()});
        titleX = 203;
    }
    PdfReport.StartPdfReport(LabeledEdit14->Text().toStdString(), title, titleX);
}

void Tform1::FinishPdfRun(bool pauseFirst) {
    CheckBox2->setEnabled(false);
    if (!PdfReport.Generating()) return;
    if (pauseFirst) Pause(1000);
    PdfReport.FinishPdfReport(&Tform1::Pause);
}

}  // namespace console
