#pragma once

#include <string>
#include <string_view>

namespace pdf {

// Bytes of a Windows code page as UTF-16; characters that cannot be converted are dropped.
std::u16string CodePageToUtf16(std::string_view bytes, int codePage);

}  // namespace pdf
