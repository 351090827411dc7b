#pragma once

#include <string>
#include <string_view>

#include "base/memory_stream.h"

namespace xpg::testing {

// Loads UTF-8 markup into a part document and saves one back to UTF-8 text.
template <class TDoc>
void Load(TDoc& doc, std::string_view markup) {
    auto stream = base::TMemoryStream::View(markup.data(), static_cast<int64_t>(markup.size()));
    doc.LoadFromStream(stream);
}

template <class TDoc>
std::string Save(TDoc& doc) {
    base::TMemoryStream stream;
    doc.SaveToStream(stream);
    return std::string(reinterpret_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size()));
}

}  // namespace xpg::testing
