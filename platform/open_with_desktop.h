#pragma once

#include <string>

namespace platform {

// Opens a file or folder with the desktop's program for it (xdg-open), without waiting; the
// result is ignored, as the shell's was, since nothing depends on the viewer.
void OpenWithDesktop(const std::string& path);

}  // namespace platform
