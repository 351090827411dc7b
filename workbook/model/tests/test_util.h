#pragma once

#include <string>
#include <string_view>

#include "base/text_encoding.h"

namespace xls::test {

// UTF-8 form of a library text, for failure messages.
inline std::string U8(std::u16string_view text) { return base::Utf16ToUtf8(text); }

}  // namespace xls::test
