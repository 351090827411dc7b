#pragma once

#include <string>
#include <string_view>

namespace pdf {

// Deflates bytes into memory in the zlib format of /FlateDecode streams; level -1 is
// zlib's default. Raises TPDFException when zlib fails.
std::string Deflate(std::string_view data, int level = -1);

}  // namespace pdf
