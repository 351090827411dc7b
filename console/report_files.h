#pragma once

#include <QDateTime>
#include <functional>
#include <string>

namespace console {

// Reports are written here, relative to the current folder; the window creates it at start.
inline const char* const ReportFolder = "./data/";

// "温湿度" + device + kind + year "年" month "月" day "日" hour "时" minute "分" second "秒" +
// extension, the numbers without leading zeros: the name every report file gets.
std::string ReportFileName(const std::string& deviceId, const char* kind, const QDateTime& time, const char* extension);

// After the pause of a second, asks whether to open the file in ReportFolder, and opens it with
// the desktop's program on OK. The question belongs to the step that saved the file: the
// caller's later steps run once it is answered.
void AskToOpenReport(const std::string& fileName, const std::function<void(int)>& pause);

}  // namespace console
