#pragma once

#include <cstdint>

#include "workbook/biff/excel_version.h"

namespace xls {

// Record ids of a chart substream (with BIFFRECID_CONTINUE and BIFFRECID_GELFRAME of the stream).
inline constexpr uint16_t CHARTRECID_EOF = 0x000A;
inline constexpr uint16_t CHARTRECID_BOF = 0x0809;
inline constexpr uint16_t CHARTRECID_MSODRAWING = 0x00EC;
inline constexpr uint16_t CHARTRECID_UNITS = 0x1001;
inline constexpr uint16_t CHARTRECID_CHART = 0x1002;
inline constexpr uint16_t CHARTRECID_SERIES = 0x1003;
inline constexpr uint16_t CHARTRECID_DATAFORMAT = 0x1006;
inline constexpr uint16_t CHARTRECID_LINEFORMAT = 0x1007;
inline constexpr uint16_t CHARTRECID_MARKERFORMAT = 0x1009;
inline constexpr uint16_t CHARTRECID_AREAFORMAT = 0x100A;
inline constexpr uint16_t CHARTRECID_PIEFORMAT = 0x100B;
inline constexpr uint16_t CHARTRECID_ATTACHEDLABEL = 0x100C;
inline constexpr uint16_t CHARTRECID_SERIESTEXT = 0x100D;
inline constexpr uint16_t CHARTRECID_CHARTFORMAT = 0x1014;
inline constexpr uint16_t CHARTRECID_LEGEND = 0x1015;
inline constexpr uint16_t CHARTRECID_BAR = 0x1017;
inline constexpr uint16_t CHARTRECID_LINE = 0x1018;
inline constexpr uint16_t CHARTRECID_PIE = 0x1019;
inline constexpr uint16_t CHARTRECID_AREA = 0x101A;
inline constexpr uint16_t CHARTRECID_SCATTER = 0x101B;
inline constexpr uint16_t CHARTRECID_AXIS = 0x101D;
inline constexpr uint16_t CHARTRECID_TICK = 0x101E;
inline constexpr uint16_t CHARTRECID_VALUERANGE = 0x101F;
inline constexpr uint16_t CHARTRECID_CATSERRANGE = 0x1020;
inline constexpr uint16_t CHARTRECID_CRTLINK = 0x1022;
inline constexpr uint16_t CHARTRECID_DEFAULTTEXT = 0x1024;
inline constexpr uint16_t CHARTRECID_TEXT = 0x1025;
inline constexpr uint16_t CHARTRECID_FONTX = 0x1026;
inline constexpr uint16_t CHARTRECID_OBJECTLINK = 0x1027;
inline constexpr uint16_t CHARTRECID_FRAME = 0x1032;
inline constexpr uint16_t CHARTRECID_BEGIN = 0x1033;
inline constexpr uint16_t CHARTRECID_END = 0x1034;
inline constexpr uint16_t CHARTRECID_CHART3D = 0x103A;
inline constexpr uint16_t CHARTRECID_RADAR = 0x103E;
inline constexpr uint16_t CHARTRECID_SURF = 0x103F;
inline constexpr uint16_t CHARTRECID_RADARAREA = 0x1040;
inline constexpr uint16_t CHARTRECID_AXISPARENT = 0x1041;
inline constexpr uint16_t CHARTRECID_SHTPROPS = 0x1044;
inline constexpr uint16_t CHARTRECID_POS = 0x104F;
inline constexpr uint16_t CHARTRECID_BRAI = 0x1051;
inline constexpr uint16_t CHARTRECID_CHART3DBARSHAPE = 0x105F;
inline constexpr uint16_t CHARTRECID_FBI = 0x1060;
inline constexpr uint16_t CHARTRECID_BOPPOP = 0x1061;

// The id of a tree's root, which stands for no record of the file.
inline constexpr uint16_t CHARTRECID_ROOT = 0xFFFA;
// A default-set entry that applies set 1 (a legend's children) in its place.
inline constexpr uint16_t CHARTRECID_LEGENDSET = 0xF001;

// OfficeArt record type of a property table, the first record of a GelFrame.
inline constexpr uint16_t MSO_OPT = 0xF00B;

}  // namespace xls
