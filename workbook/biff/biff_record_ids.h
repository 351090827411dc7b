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

// Ids only the reader meets: records of earlier versions, records it reads or skips but the
// writer never builds.
inline constexpr uint16_t BIFFRECID_ARRAY_BIFF2 = 0x0021;
inline constexpr uint16_t BIFFRECID_AUTOFILTERINFO = 0x009D;
inline constexpr uint16_t BIFFRECID_BLANK_BIFF2 = 0x0001;
inline constexpr uint16_t BIFFRECID_BOF_BIFF2 = 0x0009;
inline constexpr uint16_t BIFFRECID_BOF_BIFF3 = 0x0209;
inline constexpr uint16_t BIFFRECID_BOF_BIFF4 = 0x0409;
inline constexpr uint16_t BIFFRECID_BOOLERR_BIFF2 = 0x0005;
inline constexpr uint16_t BIFFRECID_CODEPAGE = 0x0042;
inline constexpr uint16_t BIFFRECID_COLUMNDEFAULT_BIFF2 = 0x0020;
inline constexpr uint16_t BIFFRECID_COLWIDTH_BIFF2 = 0x0024;
inline constexpr uint16_t BIFFRECID_CONDFMT = 0x01B0;
inline constexpr uint16_t BIFFRECID_COUNTRY = 0x008C;
inline constexpr uint16_t BIFFRECID_DBCELL = 0x00D7;
inline constexpr uint16_t BIFFRECID_DIMENSIONS_BIFF2 = 0x0000;
inline constexpr uint16_t BIFFRECID_DSF = 0x0161;
inline constexpr uint16_t BIFFRECID_DV = 0x01BE;
inline constexpr uint16_t BIFFRECID_DVAL = 0x01B2;
inline constexpr uint16_t BIFFRECID_EXTERNCOUNT = 0x0016;
inline constexpr uint16_t BIFFRECID_EXTERNNAME_BIFF3 = 0x0223;
inline constexpr uint16_t BIFFRECID_FILEPASS = 0x002F;
inline constexpr uint16_t BIFFRECID_FILESHARING = 0x005B;
inline constexpr uint16_t BIFFRECID_FILTERMODE = 0x009B;
inline constexpr uint16_t BIFFRECID_FNGROUPCOUNT = 0x009C;
inline constexpr uint16_t BIFFRECID_FONT_BIFF3 = 0x0231;
inline constexpr uint16_t BIFFRECID_FORMAT_BIFF2 = 0x001E;
inline constexpr uint16_t BIFFRECID_FORMULA_BIFF3 = 0x0206;
inline constexpr uint16_t BIFFRECID_FORMULA_BIFF4 = 0x0406;
inline constexpr uint16_t BIFFRECID_HIDEOBJ = 0x008D;
inline constexpr uint16_t BIFFRECID_INTEGER_BIFF2 = 0x0002;
inline constexpr uint16_t BIFFRECID_IXFE_BIFF2 = 0x0044;
inline constexpr uint16_t BIFFRECID_LABEL = 0x0204;
inline constexpr uint16_t BIFFRECID_LABEL_BIFF2 = 0x0004;
inline constexpr uint16_t BIFFRECID_MSODRAWING = 0x00EC;
inline constexpr uint16_t BIFFRECID_MSODRAWINGSELECTION = 0x00ED;
inline constexpr uint16_t BIFFRECID_NAME_BIFF3 = 0x0218;
inline constexpr uint16_t BIFFRECID_NOTE = 0x001C;
inline constexpr uint16_t BIFFRECID_NUMBER_BIFF2 = 0x0003;
inline constexpr uint16_t BIFFRECID_PROT4REV = 0x01AF;
inline constexpr uint16_t BIFFRECID_PROT4REVPASS = 0x01BC;
inline constexpr uint16_t BIFFRECID_RK_BIFF2 = 0x007E;
inline constexpr uint16_t BIFFRECID_ROW_BIFF2 = 0x0008;
inline constexpr uint16_t BIFFRECID_SHEETEXT = 0x0862;
inline constexpr uint16_t BIFFRECID_SHRFMLA = 0x04BC;
inline constexpr uint16_t BIFFRECID_SHRFMLA_BIFF5 = 0x00BC;
inline constexpr uint16_t BIFFRECID_STRING_BIFF2 = 0x0007;
inline constexpr uint16_t BIFFRECID_TABLE = 0x0236;
inline constexpr uint16_t BIFFRECID_USERBVIEW = 0x01A9;
inline constexpr uint16_t BIFFRECID_USERSVIEWBEGIN = 0x01AA;
inline constexpr uint16_t BIFFRECID_USERSVIEWEND = 0x01AB;
inline constexpr uint16_t BIFFRECID_WINDOWPROTECT = 0x0019;
inline constexpr uint16_t BIFFRECID_XF_BIFF2 = 0x0043;
inline constexpr uint16_t BIFFRECID_XF_BIFF3 = 0x0243;
inline constexpr uint16_t BIFFRECID_XF_BIFF4 = 0x0443;

// Substream types of a BOF record.
inline constexpr uint16_t BOFTypeGlobals = 0x0005;
inline constexpr uint16_t BOFTypeWorksheet = 0x0010;
inline constexpr uint16_t BOFTypeChart = 0x0020;
inline constexpr uint16_t BOFTypeVBModule = 0x0006;
inline constexpr uint16_t BOFTypeMacroSheet = 0x0040;
inline constexpr uint16_t BOFTypeWorkspace = 0x0100;

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
