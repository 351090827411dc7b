#pragma once

#include <optional>
#include <string>

namespace platform {

// The paper size code of a locale as the original platform gave it: "1" letter, "5" legal,
// "8" A3, "9" A4, "0" for any other paper. Read from glibc's LC_PAPER of the named locale; an
// empty name means the process environment (LC_ALL, LC_PAPER, LANG). Nothing when the locale
// cannot be loaded.
std::optional<std::string> LocalePaperSizeCode(const std::string& localeName = "");

}  // namespace platform
