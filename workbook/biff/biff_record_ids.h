#pragma once

#include <cstdint>

namespace xls {

// Record ids of the BIFF8 records the writer builds. Ids the record stream itself knows are in
// excel_version.h.
inline constexpr uint16_t BIFFRECID_ARRAY = 0x0221;
inline constexpr uint16_t BIFFRECID_BLANK = 0x0201;
inline constexpr uint16_t BIFFRECID_BOF = 0x0809;
inline constexpr uint16_t BIFFRECID_BOOKBOOL = 0x00DA;
inline constexpr uint16_t BIFFRECID_BOOLERR = 0x0205;
inline constexpr uint16_t BIFFRECID_BOTTOMMARGIN = 0x0029;
inline constexpr uint16_t BIFFRECID_BOUNDSHEET = 0x0085;
inline constexpr uint16_t BIFFRECID_BACKUP = 0x0040;
inline constexpr uint16_t BIFFRECID_CALCCOUNT = 0x000C;
inline constexpr uint16_t BIFFRECID_CALCMODE = 0x000D;
inline constexpr uint16_t BIFFRECID_COLINFO = 0x007D;
inline constexpr uint16_t BIFFRECID_CRN = 0x005A;
inline constexpr uint16_t BIFFRECID_DATEMODE = 0x0022;
inline constexpr uint16_t BIFFRECID_DEFAULTROWHEIGHT = 0x0225;
inline constexpr uint16_t BIFFRECID_DEFCOLWIDTH = 0x0055;
inline constexpr uint16_t BIFFRECID_DELTA = 0x0010;
inline constexpr uint16_t BIFFRECID_DIMENSIONS = 0x0200;
inline constexpr uint16_t BIFFRECID_EOF = 0x000A;
inline constexpr uint16_t BIFFRECID_EXTERNNAME = 0x0023;
inline constexpr uint16_t BIFFRECID_EXTERNSHEET = 0x0017;
inline constexpr uint16_t BIFFRECID_EXTSST = 0x00FF;
inline constexpr uint16_t BIFFRECID_FONT = 0x0031;
inline constexpr uint16_t BIFFRECID_FOOTER = 0x0015;
inline constexpr uint16_t BIFFRECID_FORMAT = 0x041E;
inline constexpr uint16_t BIFFRECID_FORMULA = 0x0006;
inline constexpr uint16_t BIFFRECID_GRIDSET = 0x0082;
inline constexpr uint16_t BIFFRECID_GUTS = 0x0080;
inline constexpr uint16_t BIFFRECID_HCENTER = 0x0083;
inline constexpr uint16_t BIFFRECID_HEADER = 0x0014;
inline constexpr uint16_t BIFFRECID_HORIZONTALPAGEBREAKS = 0x001B;
inline constexpr uint16_t BIFFRECID_INDEX = 0x020B;
inline constexpr uint16_t BIFFRECID_INTERFACEEND = 0x00E2;
inline constexpr uint16_t BIFFRECID_INTERFACEHDR = 0x00E1;
inline constexpr uint16_t BIFFRECID_ITERATION = 0x0011;
inline constexpr uint16_t BIFFRECID_LABELSST = 0x00FD;
inline constexpr uint16_t BIFFRECID_LEFTMARGIN = 0x0026;
inline constexpr uint16_t BIFFRECID_MERGEDCELLS = 0x00E5;
inline constexpr uint16_t BIFFRECID_MMS = 0x00C1;
inline constexpr uint16_t BIFFRECID_MULBLANK = 0x00BE;
inline constexpr uint16_t BIFFRECID_MULRK = 0x00BD;
inline constexpr uint16_t BIFFRECID_NAME = 0x0018;
inline constexpr uint16_t BIFFRECID_NUMBER = 0x0203;
inline constexpr uint16_t BIFFRECID_OBJPROTECT = 0x0063;
inline constexpr uint16_t BIFFRECID_OBPROJ = 0x00D3;
inline constexpr uint16_t BIFFRECID_PALETTE = 0x0092;
inline constexpr uint16_t BIFFRECID_PANE = 0x0041;
inline constexpr uint16_t BIFFRECID_PASSWORD = 0x0013;
inline constexpr uint16_t BIFFRECID_PRECISION = 0x000E;
inline constexpr uint16_t BIFFRECID_PRINTGRIDLINES = 0x002B;
inline constexpr uint16_t BIFFRECID_PRINTHEADERS = 0x002A;
inline constexpr uint16_t BIFFRECID_PROTECT = 0x0012;
inline constexpr uint16_t BIFFRECID_RECALCID = 0x01C1;
inline constexpr uint16_t BIFFRECID_REFMODE = 0x000F;
inline constexpr uint16_t BIFFRECID_REFRESHALL = 0x01B7;
inline constexpr uint16_t BIFFRECID_RIGHTMARGIN = 0x0027;
inline constexpr uint16_t BIFFRECID_RK = 0x027E;
inline constexpr uint16_t BIFFRECID_ROW = 0x0208;
inline constexpr uint16_t BIFFRECID_SAVERECALC = 0x005F;
inline constexpr uint16_t BIFFRECID_SCENPROTECT = 0x00DD;
inline constexpr uint16_t BIFFRECID_SELECTION = 0x001D;
inline constexpr uint16_t BIFFRECID_SETUP = 0x00A1;
inline constexpr uint16_t BIFFRECID_SHEETPROTECTION = 0x0867;
inline constexpr uint16_t BIFFRECID_SST = 0x00FC;
inline constexpr uint16_t BIFFRECID_STRING = 0x0207;
inline constexpr uint16_t BIFFRECID_STYLE = 0x0293;
inline constexpr uint16_t BIFFRECID_SUPBOOK = 0x01AE;
inline constexpr uint16_t BIFFRECID_TABID = 0x013D;
inline constexpr uint16_t BIFFRECID_TOPMARGIN = 0x0028;
inline constexpr uint16_t BIFFRECID_VCENTER = 0x0084;
inline constexpr uint16_t BIFFRECID_VERTICALPAGEBREAKS = 0x001A;
inline constexpr uint16_t BIFFRECID_WINDOW1 = 0x003D;
inline constexpr uint16_t BIFFRECID_WINDOW2 = 0x023E;
inline constexpr uint16_t BIFFRECID_WRITEACCESS = 0x005C;
inline constexpr uint16_t BIFFRECID_WSBOOL = 0x0081;
inline constexpr uint16_t BIFFRECID_XCT = 0x0059;
inline constexpr uint16_t BIFFRECID_XF = 0x00E0;

// Insertion points of the stored record lists: where the writer puts generated groups.
inline constexpr uint16_t INSERT_FORMATTING = 0x8001;
inline constexpr uint16_t INSERT_SHEETLIST = 0x8002;
inline constexpr uint16_t INSERT_NAMES = 0x8003;
inline constexpr uint16_t INSERT_DRAWINGGROUP = 0x8004;
inline constexpr uint16_t INSERT_SST = 0x8005;
inline constexpr uint16_t INSERT_PAGEBREAKS = 0x8101;
inline constexpr uint16_t INSERT_HEADERFOOTER = 0x8102;
inline constexpr uint16_t INSERT_MARGINS = 0x8103;
inline constexpr uint16_t INSERT_COLINFO = 0x8104;
inline constexpr uint16_t INSERT_CELLS = 0x8105;
inline constexpr uint16_t INSERT_TRAILING = 0x8106;

}  // namespace xls
