#pragma once

#include <QDateTime>
#include <string>

namespace console {

// Reports are written here, relative to the current folder; the window creates it at start.
inline const char* const ReportFolder = "./data/";

// "温湿度" + device + kind + year "年" month "月" day "日" hour "时" minute "分" second "秒" +
// extension, the numbers without leading zeros: the name every report file gets.
std::string ReportFileName(const std::string& deviceId, const char* kind, const QDateTime& time, const char* extension);

}  // namespace console
