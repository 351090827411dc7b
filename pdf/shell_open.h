#pragma once

#include <string>

namespace pdf {

// Opens a file in the user's program for its type (xdg-open), without waiting; failures
// are ignored, as nothing depends on the viewer.
void ShellOpen(const std::string& fileName);

}  // namespace pdf
