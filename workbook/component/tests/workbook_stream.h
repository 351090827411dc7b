#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/compound_file.h"

namespace xls::test {

// The "Workbook" stream of a compound file.
inline std::vector<uint8_t> WorkbookStream(const std::string& path) {
    auto file = platform::TCompoundFile::OpenFile(path);
    auto stream = file->Root().OpenStream(u"Workbook");
    std::vector<uint8_t> bytes(static_cast<size_t>(stream->Size()));
    stream->ReadBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    return bytes;
}

}  // namespace xls::test
