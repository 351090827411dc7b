#pragma once

#include <string>

#include "base/memory_stream.h"

namespace xls::testing {

// A memory stream holding the text, positioned at its start.
inline base::TMemoryStream TextStream(const std::string& text) {
    base::TMemoryStream stream;
    stream.Write(text.data(), static_cast<int64_t>(text.size()));
    stream.SetPosition(0);
    return stream;
}

inline std::string ReadAll(base::TStream& stream) {
    std::string result(static_cast<size_t>(stream.Size()), '\0');
    stream.SetPosition(0);
    stream.Read(result.data(), static_cast<int64_t>(result.size()));
    return result;
}

}  // namespace xls::testing
