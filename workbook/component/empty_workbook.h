#pragma once

#include <cstdint>
#include <span>

namespace xls {

// The built-in empty workbook: a ZIP archive whose single entry "Empty.xls" is an Excel 97
// workbook with one empty "Sheet1" and the standard styles (made at build time).
std::span<const uint8_t> EmptyWorkbookArchive();

}  // namespace xls
