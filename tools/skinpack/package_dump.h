#pragma once

#include <span>
#include <string>

namespace skinpack {

// A text listing of a package: every entry (with the size of each bitmap), every skin element
// as the skin engine reads it (image size, frames, margins, flags, colours), the caption buttons
// and the colour table. One item per line, fields as "key=value" separated by blanks.
std::string DumpPackage(std::span<const uint8_t> package);

}  // namespace skinpack
