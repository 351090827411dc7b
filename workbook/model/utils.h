#pragma once

#include <bitset>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/stream.h"
#include "base/text_utils.h"
#include "workbook/model/format_settings.h"

namespace xls {

// The small shared routines of the library's utility unit. Positions in wide
// texts are 1-based; -1 (not 0) means "not there".

// A set of the characters 0..255.
using TCharSet256 = std::bitset<256>;

// True when c is below 256 and in the set; characters from 256 up are never members.
bool WideCharInSet(char16_t c, const TCharSet256& set);

int WideCharPos(char16_t c, std::u16string_view text);
// An 8-bit character, taken as its code (0..255).
int CharPos(char c, std::u16string_view text);
int LastWideCharPos(char16_t c, std::u16string_view text);
int LastCharPos(char c, std::u16string_view text);

// SplitAtChar, TrimText and TryStrToFloat serve the XML layer below the model too.
using base::SplitAtChar;
using base::TrimText;
using base::TryStrToFloat;

// CRC-32 register over count bytes: reflected polynomial 0xEDB88320, initial value 0xFFFFFFFF
// and no final inversion (so it is the bitwise complement of zlib's crc32). -1 for count < 1.
int32_t StrCRC32(const void* data, int64_t count);
// The same over the UTF-16LE bytes of a text, as the style sheet hashes its texts.
int32_t StrCRC32(std::u16string_view text);

constexpr int64_t EmusPerCm = 360000;
double EmuToCm(int64_t value);
// value x 360,000 rounded to nearest, ties to even; raises EXLSError when the result is not
// a finite number in the 64-bit range.
int64_t CmToEmu(double value);

// P = 10^digits, Y = value x P; (Int(Frac(Y) x 2) + Int(Y)) / P: halves round away from zero.
double RoundToDigits(double value, int digits);

// A number with the settings' currency string before it (CurrencyFormat 0 or 2) or after it
// (1 or 3); the text is trimmed first. False when the currency string is not where it belongs
// or the rest is no number (decimal separator of the settings).
bool TryCurrencyStrToFloat(std::u16string_view text, double& value,
                           const TFormatSettings& settings = DefaultFormatSettings());

// Ascending, in place. NaN values sort after every number so that the order stays a strict
// weak ordering (the original's quicksort compared them as it met them).
void SortDoubleArray(std::span<double> values);
inline void SortDoubleArray(std::vector<double>& values) { SortDoubleArray(std::span<double>(values)); }

bool AllCharsBelow256(std::u16string_view text);
int ClampInt(int value, int min, int max);
inline int BoolToInt(bool value) { return value ? 1 : 0; }
// 2 x level spaces (none for a level below 1).
std::u16string IndentText(int level);

// Reads 4 bytes and moves back by what it read; True when they are "PK" 3 4.
bool IsZipStream(base::TStream& stream);

// Upper case of every UTF-16 unit by the simple Unicode mapping (the runtime's wide
// upper-casing, which maps unit by unit: surrogate pairs stay as they are).
std::u16string WideUpperCaseStr(std::u16string_view text);

}  // namespace xls
