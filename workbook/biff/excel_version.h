#pragma once

#include <cstdint>

// BIFF2 to BIFF8 are the versions 2 to 6 of the document formats.
#include "workbook/model/excel_version.h"

namespace xls {

// Record ids the stream itself knows.
inline constexpr uint16_t BIFFRECID_CONTINUE = 0x003C;
inline constexpr uint16_t BIFFRECID_MSODRAWINGGROUP = 0x00EB;
inline constexpr uint16_t BIFFRECID_HFPICTURE = 0x0866;
inline constexpr uint16_t BIFFRECID_GELFRAME = 0x1066;

// Largest record data of BIFF8; earlier versions allow 2080 bytes.
inline constexpr int32_t MAXRECSZ_97 = 8224;
inline constexpr int32_t MAXRECSZ_40 = 2080;

}  // namespace xls
