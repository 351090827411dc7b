// The Excel workbooks of the record reads: the history report and the alarm workbook.
#include "console/alarm_workbook.h"
#include "console/form1.h"
#include "console/report_question.h"

namespace console {

void Tform1::StartExcelRun() {
    CheckBox6->setEnabled(false);
    ExcelReport.OnSheetChange = [this] { FlushRecordLines(); };
    ExcelReport.StartReport(LabeledEdit14->Text().toStdString());
}

void Tform1::FinishExcelRun(const QString& savingStatus) {
    CheckBox6->setEnabled(false);
    if (!ExcelReport.Active()) return;
    const std::string name = ExcelReport.FinishWorkbookReport([&] {
        if (!savingStatus.isEmpty()) SetStatus(savingStatus);
    });
    AskToOpenReport(name, &Tform1::Pause);
}

void Tform1::SaveAlarmRun(bool offerToOpen) {
    const std::string name = SaveAlarmWorkbook(XLS, LabeledEdit14->Text().toStdString());
    if (offerToOpen) AskToOpenReport(name, &Tform1::Pause);
}

}  // namespace console
