#pragma once

#include <functional>
#include <string>

namespace console {

// After the pause of a second, asks whether to open the file in ReportFolder, and opens it with
// the desktop's program on OK. The question belongs to the step that saved the file: the
// caller's later steps run once it is answered.
void AskToOpenReport(const std::string& fileName, const std::function<void(int)>& pause);

}  // namespace console
