#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "workbook/model/cell_error.h"

namespace xls {

// Conversions between the model's values and the value encodings of BIFF8 records.
// Routines that read a record body take it as a span and check every count against it: a body
// shorter than its count raises EXLSError, nothing is read past it.

// An RK number of [MS-XLS]: bit 1 set, the integer value >> 2 (arithmetic); else the upper 30
// bits are the top bits of an IEEE double whose low 34 bits are 0; bit 0 set divides by 100.
double DecodeRK(uint32_t value);
// The number of an RK value before the division by 100 that bit 0 asks for.
double RKUnscaled(uint32_t value);

// BIFF error codes 0x00, 0x07, 0x0F, 0x17, 0x1D, 0x24, 0x2A, 0x2B <-> the model's values 1 to 8.
// Any other code gives errUnknown.
TXc12CellError BIFFErrorToCellError(int code);
// The code of (value and 0x7F); any other value (0 and 8 included) gives 0x2A (#N/A).
uint8_t CellErrorToBIFFError(int value);
// The text of a BIFF code; any other code gives "#???".
std::u16string_view BIFFErrorToText(int code);

// Writes option byte 1 and the UTF-16LE characters (no count, no terminator): 1 + 2 x length
// bytes, also for an empty text. Raises EXLSError when dest is shorter.
void WideStrToBIFFStr(std::u16string_view text, std::span<uint8_t> dest);
// 2 x length + 1; 0 for an empty text (the original's rule: callers that write an empty text
// need the one option byte more).
int BIFFStrSize(std::u16string_view text);

// A body of count characters: the option byte, then UTF-16LE characters when its bit 0
// (fHighByte) is set, else one byte per character (code 0..255). The original tested for the
// value 1 exactly; bit 0 is what [MS-XLS] defines, the other bits (rich text, extension) never
// change the width of the characters. count <= 0 gives an empty text.
std::u16string BIFFBufToWideStr(std::span<const uint8_t> src, int count);
// count bytes without option byte, each the character's code.
std::u16string ByteStrToWideStr(std::span<const uint8_t> src, int count);
// A body whose count came from an 8-bit field (count and 0xFF characters); count <= 0 gives an
// empty text.
std::u16string ShortBIFFBufToWideStr(std::span<const uint8_t> src, int count);
// The raw form kept for names of external references: the option byte normalised to 0 or 1,
// then count (8-bit) or 2 x count (UTF-16) bytes.
std::string BIFFBufToRawStr(std::span<const uint8_t> src, int count);
// First byte 0: the rest, each byte a character code; 1: the rest as UTF-16LE (an odd last
// byte is dropped); any other first byte: the whole string as 8-bit text of the system code
// page, which is UTF-8 on this platform. Empty for an empty string.
std::u16string BIFFStrToWideStr(std::string_view raw);
// byteCount counts a 2-byte terminator: byteCount - 2 bytes of UTF-16LE, cut at the first
// zero character. byteCount <= 0 gives an empty text.
std::u16string WideBufZToWideStr(std::span<const uint8_t> src, int byteCount);

// The palette index 8..63 whose current palette colour has the smallest sum of absolute red,
// green and blue differences from rgb (0x00BBGGRR); the first of equal distances wins.
int NearestIndexColor(uint32_t rgb);
// Current palette entry of (index and 0x7F). Indexes 66 to 127 have no entry: they give entry
// 64 (automatic, the system window text colour), as IntToIndexColor maps them.
uint32_t PaletteColor(int index);
// value when 0..64; anything else is the automatic colour 64 (the original let negative
// values through).
int IntToIndexColor(int value);
// The colour the chart format records store beside a palette index: the palette entry as a
// LongRGB of [MS-XLS] (bytes red, green, blue, 0; read as a little-endian 32-bit value that is
// 0x00BBGGRR, the palette's own order). The original added the blue and red bytes into the
// top byte pair (P + ((P and 0xFF0000) or ((P and 0xFF) shl 16))), which turns red into
// magenta; the chart records need the plain value. Indexes without an entry as PaletteColor.
uint32_t IndexColorToChartRGB(int index);

// False when the area lies wholly outside the BIFF8 grid (col1 > 255, row1 > 65,535, col2 < 0
// or row2 < 0); else col1 and row1 raised to at least 0, col2 lowered to at most 255 and row2
// to at most 65,535, and true.
bool ClipArea97(int& col1, int& row1, int& col2, int& row2);

}  // namespace xls
