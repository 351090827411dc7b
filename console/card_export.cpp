// The memory-card export: the chosen days of a device, record by record, into the record list
// and a PDF or Excel report. It keeps its own record count and report, so that a late
// history reply, which may run while the export lets pending events through, cannot disturb
// either.
#include <QApplication>
#include <QSignalBlocker>

#include "base/format.h"
#include "console/form1.h"
#include "console/report_question.h"

namespace console {
namespace {

QString Text(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

// The end of an export, whether it ran through or failed: the panel is usable again and the
// start date moves past the exported days.
void Tform1::EndCardExport(const TCardDevice& device) {
    SetEnabled({BitBtn28, BitBtn31, BitBtn48}, true);
    const size_t next = Card.Selection.High() + 1;
    if (next < device.Files.size()) {
        const QSignalBlocker quiet4(DateTimePicker4), quiet5(DateTimePicker5);
        DateTimePicker4->setDateTime(QDateTime(device.Files[next].Date, QTime(0, 0)));
        DateTimePicker5->setDateTime(QDateTime(Card.LastFileDate, QTime(0, 0)));
        EnableExportOptions(true);
        SetEnabled({BitBtn30, ComboBox19, DateTimePicker4, DateTimePicker5}, true);
    } else {
        ComboBox19->setEnabled(ComboBox19->count() > 1);
    }
    SetCardSideButtons(true);
}

void Tform1::BitBtn30Click() {
    const TCardDevice* chosen = ChosenDevice();
    if (!chosen) return;
    // A copy: the lists stay as they are while the export runs, but nothing here relies on it.
    const TCardDevice device = *chosen;
    const std::string number = std::to_string(device.Number);
    SetStatus("正在导出");
    SetStatistics("");
    SetEnabled(
        {CheckBox4, CheckBox7, DateTimePicker4, DateTimePicker5, BitBtn28, BitBtn30, BitBtn31, BitBtn48, ComboBox19},
        false);
    SetCardSideButtons(false);

    const bool workbook = CheckBox4->isChecked();
    TExcelReportState workbookState;
    TExcelReport workbookReport(XLS, workbookState, CardSheetCapacity);
    workbookReport.OnSheetChange = [this] { ListBox3->scrollToBottom(); };
    if (workbook) workbookReport.StartReport(number);
    const bool pdf = CheckBox7->isChecked();
    Card.Selection = SelectDayFiles(device.Files, DateTimePicker4->date(), DateTimePicker5->date());
    const size_t low = Card.Selection.Low(), count = Card.Selection.Count();
    uint32_t exported = 0;
    std::vector<std::string> cutTails;
    try {
        if (pdf) CardPdfReport.StartPdfReport(number, "温湿度历史记录", 300);
        for (size_t k = 1; k <= count; ++k) {
            const TDayFile& file = device.Files[low + k - 1];
            const TDayRecords day = ReadDayFile(DayFilePath(Card.CardRoot, device.Number, file));
            QStringList lines;
            lines.reserve(static_cast<qsizetype>(day.Records.size()));
            for (const THistoryRecord& record : day.Records) {
                ++exported;
                lines << CardRecordLine(exported, record);
                if (workbook) workbookReport.AddReportRow(exported, record);
                if (pdf) CardPdfReport.AddPdfRow(exported, record);
            }
            if (day.TailBytes) cutTails.push_back(base::Format("%s末尾%d字节", {file.FileName, day.TailBytes}));
            ListBox3->addItems(lines);
            ListBox3->scrollToBottom();
            SetStatistics(Text(base::Format("已导出%d天/%d天记录！", {k, count})));
            Edit7->setText(Text(base::Format("已导出%d天,共选择导出%d天记录！", {k, count})));
            QApplication::processEvents();
        }
        if (workbook) {
            SetCardMessage("正在保存excel!", "正在保存excel!");
            QApplication::processEvents();
            AskToOpenReport(workbookReport.FinishWorkbookReport(), &Tform1::Pause);
        }
        if (pdf) {
            SetCardMessage("正在保存PDF!", "正在保存PDF!");
            QApplication::processEvents();
            CardPdfReport.FinishPdfReport(&Tform1::Pause);
        }
    } catch (const std::exception& error) {
        // A report left half written is no report: the PDF file goes.
        if (CardPdfReport.Generating()) CardPdfReport.SPDF->Abort();
        EndCardExport(device);
        SetStatus("导出失败");
        SetCardMessage(Text(base::Format("导出失败,已导出%d条记录:%s", {exported, std::string(error.what())})),
                       "导出失败");
        throw;
    }
    EndCardExport(device);
    QString edit = Text(base::Format("导出完成,共导出%d天%d条记录!", {count, exported}));
    if (!cutTails.empty()) edit += Text(base::Format("%s不足一条记录,已略过!", {JoinedNames(cutTails)}));
    SetCardMessage(edit, Text(base::Format("导出%d天%d条记录!", {count, exported})));
    SetStatus("导出完成");
}

}  // namespace console
