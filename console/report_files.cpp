#include "console/report_files.h"

#include "base/format.h"

namespace console {

std::string ReportFileName(const std::string& deviceId, const char* kind, const QDateTime& t, const char* extension) {
    const QDate d = t.date();
    const QTime h = t.time();
    return base::Format("温湿度%s%s%d年%d月%d日%d时%d分%d秒%s",
                        {deviceId, kind, d.year(), d.month(), d.day(), h.hour(), h.minute(), h.second(), extension});
}

}  // namespace console
