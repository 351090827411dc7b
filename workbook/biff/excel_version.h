#pragma once

#include <cstdint>

namespace xls {

// BIFF2 to BIFF8, held as the bytes 2 to 6; 0 for none.
using TExcelVersion = uint8_t;
inline constexpr TExcelVersion xvNone = 0;
inline constexpr TExcelVersion xvExcel21 = 2;
inline constexpr TExcelVersion xvExcel30 = 3;
inline constexpr TExcelVersion xvExcel40 = 4;
inline constexpr TExcelVersion xvExcel50 = 5;
inline constexpr TExcelVersion xvExcel97 = 6;

// Record ids the stream itself knows.
inline constexpr uint16_t BIFFRECID_CONTINUE = 0x003C;
inline constexpr uint16_t BIFFRECID_MSODRAWINGGROUP = 0x00EB;
inline constexpr uint16_t BIFFRECID_HFPICTURE = 0x0866;
inline constexpr uint16_t BIFFRECID_GELFRAME = 0x1066;

// Largest record data of BIFF8; earlier versions allow 2080 bytes.
inline constexpr int32_t MAXRECSZ_97 = 8224;
inline constexpr int32_t MAXRECSZ_40 = 2080;

}  // namespace xls
