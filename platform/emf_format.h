#pragma once

#include <cstdint>

// Enhanced-metafile numbers: record types, object and mode values, as the format defines
// them. The metafile canvas writes them and the PDF writer's converter reads them.
namespace platform::emf {

enum TRecordType : uint32_t {
    EMR_HEADER = 1,
    EMR_POLYBEZIER = 2,
    EMR_POLYGON = 3,
    EMR_POLYLINE = 4,
    EMR_POLYBEZIERTO = 5,
    EMR_POLYLINETO = 6,
    EMR_POLYPOLYLINE = 7,
    EMR_POLYPOLYGON = 8,
    EMR_SETWINDOWEXTEX = 9,
    EMR_SETWINDOWORGEX = 10,
    EMR_SETVIEWPORTEXTEX = 11,
    EMR_SETVIEWPORTORGEX = 12,
    EMR_EOF = 14,
    EMR_SETPIXELV = 15,
    EMR_SETMAPMODE = 17,
    EMR_SETBKMODE = 18,
    EMR_SETPOLYFILLMODE = 19,
    EMR_SETSTRETCHBLTMODE = 21,
    EMR_SETTEXTALIGN = 22,
    EMR_SETTEXTCOLOR = 24,
    EMR_SETBKCOLOR = 25,
    EMR_OFFSETCLIPRGN = 26,
    EMR_MOVETOEX = 27,
    EMR_SETMETARGN = 28,
    EMR_EXCLUDECLIPRECT = 29,
    EMR_INTERSECTCLIPRECT = 30,
    EMR_SCALEVIEWPORTEXTEX = 31,
    EMR_SCALEWINDOWEXTEX = 32,
    EMR_SAVEDC = 33,
    EMR_RESTOREDC = 34,
    EMR_SETWORLDTRANSFORM = 35,
    EMR_MODIFYWORLDTRANSFORM = 36,
    EMR_SELECTOBJECT = 37,
    EMR_CREATEPEN = 38,
    EMR_CREATEBRUSHINDIRECT = 39,
    EMR_DELETEOBJECT = 40,
    EMR_ANGLEARC = 41,
    EMR_ELLIPSE = 42,
    EMR_RECTANGLE = 43,
    EMR_ROUNDRECT = 44,
    EMR_ARC = 45,
    EMR_CHORD = 46,
    EMR_PIE = 47,
    EMR_LINETO = 54,
    EMR_ARCTO = 55,
    EMR_POLYDRAW = 56,
    EMR_SETARCDIRECTION = 57,
    EMR_BEGINPATH = 59,
    EMR_ENDPATH = 60,
    EMR_CLOSEFIGURE = 61,
    EMR_FILLPATH = 62,
    EMR_STROKEANDFILLPATH = 63,
    EMR_STROKEPATH = 64,
    EMR_SELECTCLIPPATH = 67,
    EMR_ABORTPATH = 68,
    EMR_GDICOMMENT = 70,
    EMR_FILLRGN = 71,
    EMR_EXTSELECTCLIPRGN = 75,
    EMR_BITBLT = 76,
    EMR_STRETCHBLT = 77,
    EMR_MASKBLT = 78,
    EMR_PLGBLT = 79,
    EMR_SETDIBITSTODEVICE = 80,
    EMR_STRETCHDIBITS = 81,
    EMR_EXTCREATEFONTINDIRECTW = 82,
    EMR_EXTTEXTOUTA = 83,
    EMR_EXTTEXTOUTW = 84,
    EMR_POLYBEZIER16 = 85,
    EMR_POLYGON16 = 86,
    EMR_POLYLINE16 = 87,
    EMR_POLYBEZIERTO16 = 88,
    EMR_POLYLINETO16 = 89,
    EMR_POLYPOLYLINE16 = 90,
    EMR_POLYPOLYGON16 = 91,
    EMR_POLYDRAW16 = 92,
    EMR_EXTCREATEPEN = 95,
    EMR_SMALLTEXTOUT = 108,
    EMR_ALPHABLEND = 114,
    EMR_TRANSPARENTBLT = 116,
};

constexpr uint32_t Signature = 0x464D4520;  // " EMF"
constexpr uint32_t Version = 0x10000;
constexpr uint32_t HeaderSize = 108;          // with both header extensions
constexpr uint32_t StockObject = 0x80000000;  // high bit of a stock object's index

// Stock objects.
enum : uint32_t {
    WHITE_BRUSH = 0,
    LTGRAY_BRUSH = 1,
    GRAY_BRUSH = 2,
    DKGRAY_BRUSH = 3,
    BLACK_BRUSH = 4,
    NULL_BRUSH = 5,
    WHITE_PEN = 6,
    BLACK_PEN = 7,
    NULL_PEN = 8,
    OEM_FIXED_FONT = 10,
    SYSTEM_FONT = 13,
};

// Pen styles (the low four bits), brush styles, modes and flags.
enum : uint32_t {
    PS_SOLID = 0,
    PS_DASH = 1,
    PS_DOT = 2,
    PS_DASHDOT = 3,
    PS_DASHDOTDOT = 4,
    PS_NULL = 5,
    PS_INSIDEFRAME = 6,
    PS_STYLE_MASK = 0x0F
};
enum : uint32_t { BS_SOLID = 0, BS_NULL = 1, BS_HATCHED = 2 };
enum : uint32_t { TRANSPARENT = 1, OPAQUE = 2 };
enum : uint32_t { ALTERNATE = 1, WINDING = 2 };
enum : uint32_t {
    MM_TEXT = 1,
    MM_LOMETRIC = 2,
    MM_HIMETRIC = 3,
    MM_LOENGLISH = 4,
    MM_HIENGLISH = 5,
    MM_TWIPS = 6,
    MM_ISOTROPIC = 7,
    MM_ANISOTROPIC = 8
};
enum : uint32_t { TA_UPDATECP = 1, TA_RIGHT = 2, TA_CENTER = 6, TA_BOTTOM = 8, TA_BASELINE = 24 };
enum : uint32_t {
    ETO_OPAQUE = 0x2,
    ETO_CLIPPED = 0x4,
    ETO_GLYPH_INDEX = 0x10,
    ETO_NO_RECT = 0x100,
    ETO_SMALL_CHARS = 0x200
};
enum : uint32_t { AD_COUNTERCLOCKWISE = 1, AD_CLOCKWISE = 2 };
enum : uint32_t { MWT_IDENTITY = 1, MWT_LEFTMULTIPLY = 2, MWT_RIGHTMULTIPLY = 3, MWT_SET = 4 };
enum : uint8_t { PT_CLOSEFIGURE = 1, PT_LINETO = 2, PT_BEZIERTO = 4, PT_MOVETO = 6 };
enum : uint32_t { RGN_COPY = 5 };

// Raster operations: the ternary operation's index in bits 16 to 23.
enum : uint32_t {
    BLACKNESS = 0x000042,
    NOTSRCERASE = 0x1100A6,
    NOTSRCCOPY = 0x330008,
    SRCERASE = 0x440328,
    DSTINVERT = 0x550009,
    PATINVERT = 0x5A0049,
    SRCINVERT = 0x660046,
    SRCAND = 0x8800C6,
    MERGEPAINT = 0xBB0226,
    MERGECOPY = 0xC000CA,
    SRCCOPY = 0xCC0020,
    SRCPAINT = 0xEE0086,
    PATCOPY = 0xF00021,
    PATPAINT = 0xFB0A09,
    WHITENESS = 0xFF0062,
};
// BITMAPINFOHEADER: 40 bytes; compressions and colour usages of a device-independent bitmap.
constexpr uint32_t BitmapInfoHeaderSize = 40;
enum : uint32_t { BI_RGB = 0, BI_RLE8 = 1, BI_RLE4 = 2, BI_BITFIELDS = 3 };
enum : uint32_t { DIB_RGB_COLORS = 0, DIB_PAL_COLORS = 1 };

// LOGFONTW: 28 bytes of fields, then 32 UTF-16 units of face name.
constexpr uint32_t LogFontSize = 92;
constexpr int FaceNameLength = 32;
// The font record carries a LOGFONTW inside the 320-byte extended form, as GDI writes it.
constexpr uint32_t LogFontPanoseSize = 320;

}  // namespace platform::emf
