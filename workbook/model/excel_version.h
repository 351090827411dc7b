#pragma once

#include <cstdint>

namespace xls {

// The file format a document is read from or written to.
using TExcelVersion = uint8_t;
inline constexpr TExcelVersion xvNone = 0;
inline constexpr TExcelVersion xvExcelUnknown = 1;
inline constexpr TExcelVersion xvExcel21 = 2;
inline constexpr TExcelVersion xvExcel30 = 3;
inline constexpr TExcelVersion xvExcel40 = 4;
inline constexpr TExcelVersion xvExcel50 = 5;
inline constexpr TExcelVersion xvExcel97 = 6;
inline constexpr TExcelVersion xvExcel2007 = 7;

}  // namespace xls
