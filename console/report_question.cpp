#include "console/report_question.h"

#include "console/report_files.h"
#include "platform/dialogs.h"
#include "platform/open_with_desktop.h"

namespace console {

void AskToOpenReport(const std::string& fileName, const std::function<void(int)>& pause) {
    pause(1000);
    if (platform::Dialogs().MessageBox("导出成功，是否打开文件？", "询问",
                                       platform::MB_OKCANCEL | platform::MB_ICONQUESTION | platform::MB_DEFBUTTON2 |
                                           platform::MB_TOPMOST) == platform::IDOK)
        platform::OpenWithDesktop(ReportFolder + fileName);
}

}  // namespace console
