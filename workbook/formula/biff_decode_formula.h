#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>

namespace xls {

// What a BIFF8 formula refers to outside itself, answered by the BIFF side: kind 0 the text of
// defined name index; kind 2 the sheet prefix (with "!") of EXTERNSHEET entry index, or with
// nameIndex >= 0 the text of that external name; kind 4 the text of an extended token (index
// the caller's context, a and b from the token).
enum TBiffDecodeKind { bdkName = 0, bdkExternSheet = 2, bdkExtended = 4 };
using TBiffDecodeCallback = std::function<std::u16string(TBiffDecodeKind kind, int index, int a, int b, int nameIndex)>;

// The text of BIFF8 parsed-formula tokens (a leading 0xFF is skipped; 0xFE and its u16 mark
// array-constant data at the end) for a formula at (row, col), which relative tokens (ptgRefN,
// ptgAreaN) are resolved against. Without a callback, names and sheets are written as
// placeholders. Defects of the tokens become placeholder texts in the result ("<Val missing>",
// "Unknown ptg[..]"); tokens cut short and functions without their arguments raise EXLSError.
std::u16string DecodeBiffFormula(std::span<const uint8_t> ptgs, int context, char16_t listSeparator,
                                 const TBiffDecodeCallback& callback, int row, int col);

// Turns the relative tokens of a shared formula into the absolute references of the cell at
// (row, col), in place (BIFF8 layout, or BIFF5 when isBiff8 is false). Raises EXLSError for a
// token a shared formula cannot hold and for tokens cut short.
void FixupSharedFormula(bool isBiff8, std::span<uint8_t> ptgs, int row, int col);

}  // namespace xls
