#include "console/report_files.h"

#include "base/format.h"
#include "platform/dialogs.h"
#include "platform/open_with_desktop.h"

namespace console {

std::string ReportFileName(const std::string& deviceId, const char* kind, const QDateTime& t, const char* extension) {
    const QDate d = t.date();
    const QTime h = t.time();
    return base::Format("温湿度%s%s%d年%d月%d日%d时%d分%d秒%s",
                        {deviceId, kind, d.year(), d.month(), d.day(), h.hour(), h.minute(), h.second(), extension});
}

void AskToOpenReport(const std::string& fileName, const std::function<void(int)>& pause) {
    pause(1000);
    if (platform::Dialogs().MessageBox("导出成功，是否打开文件？", "询问",
                                       platform::MB_OKCANCEL | platform::MB_ICONQUESTION | platform::MB_DEFBUTTON2 |
                                           platform::MB_TOPMOST) == platform::IDOK)
        platform::OpenWithDesktop(ReportFolder + fileName);
}

}  // namespace console
